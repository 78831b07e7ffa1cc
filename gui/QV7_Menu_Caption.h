// A line of text in a menu font: left-aligned from its rectangle's left edge
// (plus an offset) or centred in its width, optionally cut with an ellipsis,
// optionally in a second colour under the mouse.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

struct FontSlot;

class QV7_Menu_Caption : public QV7_Menu_hWnd
{
  public:
    static constexpr int kTextSize = 500;
    static constexpr int kEllipsisSize = 52;

    QV7_Menu_Caption();

    void Draw(int inputOff) override;
    void LoadFields(const MenuControlRecord& record) override;

    FontSlot* m_Font = nullptr;
    D3DCOLOR m_Colour = 0xFF8888FF;
    // 0: none, the colour stays under the mouse.
    D3DCOLOR m_HoverColour = 0;
    int32_t m_CaptionReserved = 0;
    char m_Text[kTextSize];
    int32_t m_XOffset = 0;
    int32_t m_Centred = 0;
    int32_t m_Ellipsis = 0;
    char m_EllipsisText[kEllipsisSize];
    int32_t m_EllipsisMargin = 0;
    char m_LoadedText[kTextSize] = {};
};
