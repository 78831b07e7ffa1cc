// A check box: a click toggles it; its mark picture is drawn while it is
// checked, centred or near its left edge. The option box shares its drawing.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

class QV7_Menu_Check : public QV7_Menu_hWnd
{
  public:
    QV7_Menu_Check();

    void Draw(int inputOff) override;
    void OnClick(int x, int y) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;
    void ResetToLoaded() override;

    TextureRecord* m_Mark = nullptr;
    int32_t m_Checked = 0;
    // 1: the mark sits 10 pixels from the left edge instead of centred.
    int32_t m_LeftAligned = 0;
    int32_t m_Width = 4;
    int32_t m_Height = 4;
    int32_t m_LoadedChecked = 0;
};
