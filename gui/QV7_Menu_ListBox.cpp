// The list box: arrow keys, mouse selection, row and column drawing, the
// scroll knob, and the text wrapper behind AddText.
#include "gui/QV7_Menu_ListBox.h"

#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"
#include "gui/MenuTextFit.h"
#include "gui/QV7_FontsHandler.h"
#include "media/QV7_Input.h"
#include "platform/input/KeyCodes.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
const char* const kModule = ".\\QV7_Menu_List";

// The arrows' state in the previous frame, one flag per arrow shared by every
// list, so that a held arrow moves the selection once.
int g_listUpWasDown = 0;
int g_listDownWasDown = 0;

bool KeyDown(int code)
{
    return g_input && g_input->IsKeyDown(code);
}

void CopyText(char* destination, size_t size, const char* source, size_t length)
{
    length = std::min(length, size - 1);
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}
} // namespace

QV7_Menu_hWnd* CreateListBoxControl()
{
    return new QV7_Menu_List();
}

QV7_Menu_List::QV7_Menu_List()
{
    m_Type = kMenuList;
    std::snprintf(m_EllipsisText, sizeof(m_EllipsisText), "...");
}

void QV7_Menu_List::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Font = record.font;
    m_KnobPicture = record.pictures[0];
    // The file's scroll position is not used: a list always opens at the top.
    m_ScrollPosition = 0;
    m_KnobWidth = record.knobWidth;
    m_KnobHeight = record.knobHeight;
    m_RowColour = record.colour;
    m_SelectedRowColour = record.selectedColour;
    m_ListReserved = record.typeReserved;
    m_SelectedRow = record.value;
}

void QV7_Menu_List::ResetToLoaded()
{
    m_ScrollPosition = 0;
}

void QV7_Menu_List::MarkTexturesUsed()
{
    MarkPictureUsed(m_KnobPicture);
}

int QV7_Menu_List::RowHeight() const
{
    const MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    return font ? std::max(font->m_Height + 3, 1) : 8;
}

int QV7_Menu_List::FirstVisibleRow() const
{
    const int rowHeight = RowHeight();
    const int visible = (m_Bottom - m_Top) / rowHeight;
    const int track = (m_Bottom - m_KnobHeight / 2) - (m_Top + m_KnobHeight / 2);
    if (track <= 0)
        return 0;
    // The knob's travel covers the rows that do not fit, as in the combo box's
    // drop list; a list that fits whole always starts at row 0.
    const int first = int(float(m_ScrollPosition) / float(track) * float(m_Rows.Count() - visible));
    return std::max(first, 0);
}

void QV7_Menu_List::Draw(int inputOff)
{
    FillPictureSize(m_KnobPicture, m_KnobWidth, m_KnobHeight);
    if (IsFocused() && !m_KeyboardOff)
        HandleArrowKeys(inputOff);

    if (m_Rows.Count() > 0)
    {
        if (g_screen2D)
            g_screen2D->End2D();
        const int rowHeight = RowHeight();
        const int first = FirstVisibleRow();
        const int visible = std::min((m_Bottom - m_Top) / rowHeight, m_Rows.Count() - first);
        if (!inputOff)
            SelectUnderMouse(first, visible, rowHeight);
        MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
        if (m_Visible && font)
            DrawRows(font, first, visible, rowHeight, inputOff);
        if (g_screen2D)
            g_screen2D->Begin2D();
    }

    if (m_Visible)
        DrawMenuSprite(m_KnobPicture, float(m_Right - m_KnobWidth), float(m_Top + m_ScrollPosition),
                       float(m_KnobWidth), float(m_KnobHeight));
    DragKnob(inputOff);
    QV7_Menu_hWnd::Draw(inputOff);
}

void QV7_Menu_List::HandleArrowKeys(int inputOff)
{
    const int up = KeyDown(input::DIK_UP);
    const int down = KeyDown(input::DIK_DOWN);
    // Under a pop-up the arrows only bring their state up to date, so an
    // arrow held when the pop-up closes does not move the selection either.
    if (up && !g_listUpWasDown && !inputOff)
        m_SelectedRow = std::max(m_SelectedRow - 1, 0);
    if (down && !g_listDownWasDown && !inputOff)
        m_SelectedRow = std::min(m_SelectedRow + 1, m_Rows.Count() - 1);
    g_listUpWasDown = up;
    g_listDownWasDown = down;
}

void QV7_Menu_List::SelectUnderMouse(int first, int visible, int rowHeight)
{
    if (!IsPressed() || g_capturedWidget != this || m_DraggingKnob)
        return;
    const float mx = MenuMouseX(), my = MenuMouseY();
    if (mx >= float(m_Right - m_KnobWidth - 5))
        return;
    for (int i = 0; i < visible; ++i)
    {
        const int rowTop = m_Top + i * rowHeight + 2;
        if (float(rowTop) < my && my < float(rowTop + rowHeight))
            m_SelectedRow = first + i;
    }
    for (int c = 0; c < m_Columns.Count(); ++c)
    {
        const ListColumn& column = *m_Columns[c];
        if (float(m_Left + column.m_X) < mx && mx < float(m_Left + column.m_X + column.m_Width))
            m_SelectedColumn = c;
    }
}

void QV7_Menu_List::DrawRows(MenuFont* font, int first, int visible, int rowHeight, int inputOff)
{
    for (int i = 0; i < visible; ++i)
    {
        const int index = first + i;
        const ListRow& row = *m_Rows[index];
        const float y = float(m_Top + i * rowHeight + 2);
        const bool selected = index == m_SelectedRow;
        if (m_Columns.Count() > 0)
        {
            DrawRowColumns(font, row, selected, y, inputOff);
            continue;
        }
        D3DCOLOR colour = row.m_Colour ? row.m_Colour : m_RowColour;
        if (selected)
        {
            colour = m_SelectedRowColour;
            if (!m_KeepRowColour && row.m_Colour)
                colour = row.m_Colour;
            if (row.m_SelectedColour)
                colour = row.m_SelectedColour;
        }
        DrawCell(font, row.m_Text, colour, y, nullptr);
    }
}

void QV7_Menu_List::DrawRowColumns(MenuFont* font, const ListRow& row, bool selected, float y, int inputOff)
{
    if (row.m_Columns.Count() != m_Columns.Count())
    {
        QV7_Logger::Log(g_logger, "ERROR: Menu ListBox views items count incompatible with views Header");
        ThrowDataError(kModule, 286);
    }
    const float mx = MenuMouseX(), my = MenuMouseY();
    const bool mouseInRow = IsMouseOver() && !inputOff && y < my && my < y + float(RowHeight()) &&
                            mx < float(m_Right - m_KnobWidth - 5);
    for (int c = 0; c < m_Columns.Count(); ++c)
    {
        const ListColumn& column = *m_Columns[c];
        const char* text = row.m_Columns[c]->m_Text;
        D3DCOLOR colour;
        if (!selected)
        {
            colour = row.m_Colour ? row.m_Colour : m_RowColour;
            if (column.m_Hover && mouseInRow)
            {
                if (column.m_Colour)
                    colour = column.m_Colour;
                const bool inColumn =
                    float(m_Left + column.m_X) < mx && mx < float(m_Left + column.m_X + column.m_Width);
                if (inColumn && column.m_HoverColour)
                    colour = column.m_HoverColour;
            }
        }
        else
        {
            colour = m_SelectedRowColour;
            if (!m_KeepRowColour && row.m_Colour)
                colour = row.m_Colour;
            if (row.m_SelectedColour)
                colour = row.m_SelectedColour;
            if (column.m_Colour)
                colour = column.m_Colour;
            if (column.m_SelectedColour && c == m_SelectedColumn)
                colour = column.m_SelectedColour;
            if (m_ShowSelectedColumnText && c == m_SelectedColumn && c != 0)
                text = m_SelectedColumnText;
        }
        DrawCell(font, text, colour, y, &column);
    }
}

void QV7_Menu_List::DrawCell(MenuFont* font, const char* text, D3DCOLOR colour, float y,
                             const ListColumn* column)
{
    std::string shown = text;
    if (m_Ellipsis)
        shown = FitMenuText(font, shown, m_Right - m_EllipsisMargin - m_Left, m_EllipsisText);
    if (column && column->m_Centred)
    {
        font->m_BoxLeft = float(m_Left + column->m_X);
        font->m_BoxWidth = float(column->m_Width);
        DrawFontText(font, 0.0f, y, colour, shown.c_str(), kFontCentreInBox);
        return;
    }
    const int columnX = column ? column->m_X : 0;
    DrawFontText(font, float(m_Left + m_TextXOffset + columnX + 2), y, colour, shown.c_str(), 0);
}

void QV7_Menu_List::DragKnob(int inputOff)
{
    const float mx = MenuMouseX(), my = MenuMouseY();
    if (IsPressed() && !inputOff && !g_capturedWidget && float(m_Right - m_KnobWidth) < mx &&
        mx < float(m_Right) && float(m_Top) < my && my < float(m_Bottom))
    {
        m_DraggingKnob = 1;
        g_capturedWidget = this;
    }
    if (!MenuLeftButtonDown())
        m_DraggingKnob = 0;
    if (m_DraggingKnob && g_capturedWidget == this)
    {
        const int travel = std::max(m_Bottom - m_Top - 2 * (m_KnobHeight / 2), 0);
        m_ScrollPosition = std::clamp(int(my) - m_KnobHeight / 2 - m_Top, 0, travel);
    }
}

void QV7_Menu_List::AddText(const char* text)
{
    if (!text)
        text = "";
    const size_t length = std::strlen(text);
    if (length >= size_t(kMaxText))
    {
        QV7_Logger::Log(g_logger, "ERROR: Text Buffer Too Long");
        ThrowDataError(kModule, 553);
    }
    m_Rows.Clear();
    const MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    const int available = m_Right - m_Left - 25;

    auto addRow = [this, text](size_t from, size_t to)
    {
        ListRow* row = m_Rows.Add();
        CopyText(row->m_Text, sizeof(row->m_Text), text + from, to - from);
    };

    size_t lineStart = 0;
    size_t afterSpace = 0; // just after the line's last space; 0 = none yet
    int width = 0;
    size_t i = 0;
    while (i < length)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r')
        {
            addRow(lineStart, i);
            ++i;
            if (i < length && text[i] == '\n')
                ++i;
            lineStart = i;
            afterSpace = 0;
            width = 0;
            continue;
        }
        width += MenuGlyphAdvance(font, c);
        if (c == ' ')
            afterSpace = i + 1;
        if (width > available)
        {
            // After the last space unless it lies 10 or more characters back;
            // a word that long is cut where the width ran out.
            size_t breakAt = (afterSpace > lineStart && i - afterSpace < 10) ? afterSpace : i;
            // A list narrower than one glyph still takes one character per row.
            if (breakAt <= lineStart)
                breakAt = lineStart + 1;
            addRow(lineStart, breakAt);
            lineStart = i = breakAt;
            afterSpace = 0;
            width = 0;
            continue;
        }
        ++i;
    }
    addRow(lineStart, length);
}
