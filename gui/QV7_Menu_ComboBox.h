// The combo box control (type 6): a closed box showing the selected item
// that a click opens into a scrolling drop list below it. The page draws the
// open list after all its controls, so it lies above them, and takes no other
// input while it is open; letting the button go outside the box and the
// scroll column closes it. While the button is held on an item, that item is
// selected and the page reports the combo's id in every frame.
#pragma once

#include "gui/QV7_Menu_hWnd.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

struct FontSlot;
struct MenuFont;

struct ComboItem
{
    static constexpr int kTextSize = 260;
    char m_Text[kTextSize] = {};
    // 0: the combo's item colour.
    D3DCOLOR m_Colour = 0;
    // 0: the item's colour, else the combo's selected-item colour.
    D3DCOLOR m_SelectedColour = 0;
};

class QV7_Menu_Combo : public QV7_Menu_hWnd
{
  public:
    static constexpr int kEllipsisSize = 52;

    QV7_Menu_Combo();

    void Draw(int inputOff) override;
    // Opens a closed list; closes an open one unless the click is in the scroll column.
    void OnClick(int x, int y) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;

    bool IsDropListOpen() const override;
    // Run by the page before its controls: on the frame the button goes up,
    // the list closes unless the mouse is over the box or the scroll column,
    // or the knob is being dragged.
    void RunDropListRelease() override;
    // The open list under the box: picture, items (pressing on one selects
    // it), knob and knob drag.
    void DrawOpenList() override;

    // Height of one drop-list row: the font's height + 3, 3 without a font.
    int RowHeight() const;
    // The first item shown in the drop list, from the scroll position.
    int FirstVisibleItem() const;
    // The selected item or null when none (or the index is out of range).
    ComboItem* SelectedItem() const;

    TextureRecord* m_ButtonPicture = nullptr;
    TextureRecord* m_DropListPicture = nullptr;
    TextureRecord* m_KnobPicture = nullptr;
    int32_t m_DropListHeight = 100;
    // Pixels from the drop list's top to the knob's top.
    int32_t m_ScrollPosition = 0;
    int32_t m_ButtonWidth = 4;
    int32_t m_ButtonHeight = 4;
    int32_t m_KnobWidth = 4;
    int32_t m_KnobHeight = 4;
    FontSlot* m_Font = nullptr;
    D3DCOLOR m_ItemColour = 0xFF9999FF;
    D3DCOLOR m_SelectedItemColour = 0xFFFF7777;
    int32_t m_ComboReserved = 0;
    QV7_Collection<ComboItem> m_Items;
    int32_t m_SelectedItem = -1;
    int32_t m_Open = 0;
    int32_t m_DraggingKnob = 0;
    int32_t m_TextYOffset = 0;
    int32_t m_TextXOffset = 0;
    // 0: the list never opens.
    int32_t m_Enabled = 1;
    // 1: the box does not show the selected item's text.
    int32_t m_HideText = 0;
    int32_t m_Ellipsis = 0;
    char m_EllipsisText[kEllipsisSize];
    int32_t m_EllipsisMargin = 0;

  private:
    bool InScrollColumn(float x, float y, float top, float bottom) const;
    bool MouseInComboArea() const;
    void DrawItems(MenuFont* font);
    void DragKnob();
    std::string ShownText(MenuFont* font, const char* text) const;
};
