// The list box control (type 7): scrolling rows of text, optionally split
// into columns that the screens set up, with a scroll knob on the right.
// A row is chosen by pressing on it (and can be dragged over while the button
// is held) or, while the list has focus, with the Up and Down arrows.
// AddText fills the list with a text wrapped to its width, for descriptions
// and help pages.
#pragma once

#include "gui/QV7_Menu_hWnd.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

struct FontSlot;
struct MenuFont;

// One column text of a row.
struct ListColumnText
{
    static constexpr int kTextSize = 260;
    char m_Text[kTextSize] = {};
};

struct ListRow
{
    static constexpr int kTextSize = 2000;
    char m_Text[kTextSize] = {};
    // 0: the list's colour.
    D3DCOLOR m_Colour = 0;
    // 0: the list's selected colour.
    D3DCOLOR m_SelectedColour = 0;
    // One per column of the list; freed last to first with the row.
    QV7_Collection<ListColumnText> m_Columns;
};

// One column, set up by the screens.
struct ListColumn
{
    // From the list's left edge.
    int32_t m_X = 0;
    int32_t m_Width = 0;
    int32_t m_Centred = 0;
    // 1: the column changes colour under the mouse.
    int32_t m_Hover = 0;
    // 0: the row's colour.
    D3DCOLOR m_Colour = 0;
    D3DCOLOR m_HoverColour = 0;
    D3DCOLOR m_SelectedColour = 0;
};

class QV7_Menu_List : public QV7_Menu_hWnd
{
  public:
    static constexpr int kEllipsisSize = 52;
    static constexpr int kColumnTextSize = 260;
    // AddText refuses texts of this many characters or more.
    static constexpr int kMaxText = ListRow::kTextSize;

    QV7_Menu_List();

    void Draw(int inputOff) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;
    // Scroll position back to 0.
    void ResetToLoaded() override;

    // Replaces the rows with the text wrapped to the list's width: a line
    // ends at a carriage return (CR LF is skipped, a second pair gives an
    // empty row) or after the last space before the width runs out. A text of
    // kMaxText characters or more is logged and throws CDException.
    void AddText(const char* text);

    // Height of one row in pixels: the font's height + 3, 8 without a font.
    int RowHeight() const;
    // The first row shown, from the scroll position.
    int FirstVisibleRow() const;

    TextureRecord* m_KnobPicture = nullptr;
    // Pixels from the top to the knob's top.
    int32_t m_ScrollPosition = 0;
    int32_t m_TextXOffset = 0;
    int32_t m_KnobWidth = 4;
    int32_t m_KnobHeight = 4;
    FontSlot* m_Font = nullptr;
    D3DCOLOR m_RowColour = 0xFF9999FF;
    D3DCOLOR m_SelectedRowColour = 0xFFFF7777;
    int32_t m_ListReserved = 0;
    QV7_Collection<ListRow> m_Rows;
    QV7_Collection<ListColumn> m_Columns;
    int32_t m_SelectedRow = -1;
    int32_t m_SelectedColumn = -1;
    int32_t m_DraggingKnob = 0;
    int32_t m_Ellipsis = 0;
    char m_EllipsisText[kEllipsisSize];
    int32_t m_EllipsisMargin = 0;
    // 1: a selected row keeps the selected-row colour even when it has its own colour.
    int32_t m_KeepRowColour = 0;
    // 1: the selected column (other than the first) of the selected row shows m_SelectedColumnText.
    int32_t m_ShowSelectedColumnText = 0;
    char m_SelectedColumnText[kColumnTextSize] = {};
    // 1: the arrow keys do not move the selection.
    int32_t m_KeyboardOff = 0;

  private:
    // inputOff (under a pop-up): the keys are followed but move nothing.
    void HandleArrowKeys(int inputOff);
    void SelectUnderMouse(int first, int visible, int rowHeight);
    void DrawRows(MenuFont* font, int first, int visible, int rowHeight, int inputOff);
    void DrawRowColumns(MenuFont* font, const ListRow& row, bool selected, float y, int inputOff);
    void DrawCell(MenuFont* font, const char* text, D3DCOLOR colour, float y, const ListColumn* column);
    void DragKnob(int inputOff);
};
