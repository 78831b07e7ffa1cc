// A push button. Its normal look is part of the page background; the button
// draws only its hover picture (under the mouse or while highlighted) and its
// pressed picture, centred in its rectangle. The three texts are carried for
// the screens, which use them as they need; the button never draws them.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

class QV7_Menu_Button : public QV7_Menu_hWnd
{
  public:
    QV7_Menu_Button();

    void Draw(int inputOff) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;

    TextureRecord* m_HoverPicture = nullptr;
    TextureRecord* m_PressedPicture = nullptr;
    int32_t m_Width = 4;
    int32_t m_Height = 4;
    char m_Text1[kIdSize];
    char m_Text2[kIdSize];
    char m_Text3[kIdSize];
    // 1: shows the hover picture as if the mouse were over it, also without input.
    int32_t m_Highlight = 0;
};
