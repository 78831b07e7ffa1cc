// The combo box: the closed box with its selected item, opening and closing
// the drop list, and the open list's items, knob and knob drag.
#include "gui/QV7_Menu_ComboBox.h"

#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"
#include "gui/MenuTextFit.h"
#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_MenuManager.h"

#include <algorithm>
#include <cstdio>

namespace
{
// The button state at the previous release check, one for all combo boxes:
// the release check runs only while a list is open.
uint8_t g_comboButtonWasDown = 0;
} // namespace

QV7_Menu_hWnd* CreateComboBoxControl()
{
    return new QV7_Menu_Combo();
}

QV7_Menu_Combo::QV7_Menu_Combo()
{
    m_Type = kMenuCombo;
    std::snprintf(m_EllipsisText, sizeof(m_EllipsisText), "...");
}

void QV7_Menu_Combo::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Font = record.font;
    m_ButtonPicture = record.pictures[0];
    m_DropListPicture = record.pictures[1];
    m_KnobPicture = record.pictures[2];
    m_DropListHeight = record.dropListHeight;
    // The file's scroll position is not used: the list always opens at the top.
    m_ScrollPosition = 0;
    m_ButtonWidth = record.width;
    m_ButtonHeight = record.height;
    m_KnobWidth = record.knobWidth;
    m_KnobHeight = record.knobHeight;
    m_ItemColour = record.colour;
    m_SelectedItemColour = record.selectedColour;
    m_ComboReserved = record.typeReserved;
    m_SelectedItem = record.value;
}

void QV7_Menu_Combo::MarkTexturesUsed()
{
    MarkPictureUsed(m_ButtonPicture);
    MarkPictureUsed(m_DropListPicture);
    MarkPictureUsed(m_KnobPicture);
}

int QV7_Menu_Combo::RowHeight() const
{
    const MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    return font ? std::max(font->m_Height + 3, 1) : 3;
}

int QV7_Menu_Combo::FirstVisibleItem() const
{
    const int visible = m_DropListHeight / RowHeight();
    const int track = m_DropListHeight - 2 * (m_KnobHeight / 2);
    if (track <= 0)
        return 0;
    const int first = int(float(m_ScrollPosition) / float(track) * float(m_Items.Count() - visible));
    return std::max(first, 0);
}

ComboItem* QV7_Menu_Combo::SelectedItem() const
{
    if (m_SelectedItem < 0 || m_SelectedItem >= m_Items.Count())
        return nullptr;
    return m_Items[m_SelectedItem];
}

std::string QV7_Menu_Combo::ShownText(MenuFont* font, const char* text) const
{
    if (!m_Ellipsis)
        return text;
    return FitMenuText(font, text, m_Right - m_EllipsisMargin - m_Left, m_EllipsisText);
}

void QV7_Menu_Combo::Draw(int inputOff)
{
    if (m_Items.Count() == 0)
        return;
    if (!IsFocused() || !m_Enabled)
        m_Open = 0;

    MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    if (const ComboItem* item = SelectedItem())
    {
        if (g_screen2D)
            g_screen2D->End2D();
        if (font && m_Visible && !m_HideText)
        {
            const D3DCOLOR colour = item->m_Colour ? item->m_Colour : m_SelectedItemColour;
            DrawFontText(font, float(m_Left + m_TextXOffset + 2), float(m_Top + m_TextYOffset + 2), colour,
                         ShownText(font, item->m_Text).c_str(), 0);
        }
        if (g_screen2D)
            g_screen2D->Begin2D();
    }

    if (IsMouseOver() && !inputOff && m_Enabled)
    {
        FillPictureSize(m_ButtonPicture, m_ButtonWidth, m_ButtonHeight);
        if (m_Visible)
            DrawMenuSprite(m_ButtonPicture, float(m_Right - m_ButtonWidth), float(m_Bottom - m_ButtonHeight),
                           float(m_ButtonWidth), float(m_ButtonHeight));
    }
    QV7_Menu_hWnd::Draw(inputOff);
}

bool QV7_Menu_Combo::InScrollColumn(float x, float y, float top, float bottom) const
{
    return float(m_Right - m_KnobWidth) < x && x < float(m_Right) && top < y && y < bottom;
}

void QV7_Menu_Combo::OnClick(int x, int y)
{
    QV7_Menu_hWnd::OnClick(x, y);
    if (!m_Open)
    {
        // A disabled combo never opens (it would be closed again next frame).
        if (m_Enabled)
            m_Open = 1;
        return;
    }
    if (!InScrollColumn(MenuMouseX(), MenuMouseY(), float(m_Top + 5),
                        float(m_Bottom + m_DropListHeight - m_KnobHeight / 2)))
        m_Open = 0;
}

bool QV7_Menu_Combo::IsDropListOpen() const
{
    return m_Open != 0;
}

void QV7_Menu_Combo::RunDropListRelease()
{
    const uint8_t down = MenuLeftButtonDown() ? 1 : 0;
    if (g_comboButtonWasDown && !down)
    {
        const bool inColumn =
            InScrollColumn(MenuMouseX(), MenuMouseY(), float(m_Bottom), float(m_Bottom + m_DropListHeight));
        if (!inColumn && !IsMouseOver() && !m_DraggingKnob)
            m_Open = 0;
    }
    g_comboButtonWasDown = down;
}

bool QV7_Menu_Combo::MouseInComboArea() const
{
    const float x = MenuMouseX(), y = MenuMouseY();
    return float(m_Left) < x && x < float(m_Right) && float(m_Top) < y &&
           y < float(m_Bottom + m_DropListHeight);
}

void QV7_Menu_Combo::DrawOpenList()
{
    if (!m_Enabled)
        return;
    if (m_Visible && m_DropListPicture && m_DropListPicture->m_Texture)
        DrawMenuSprite(m_DropListPicture, float(m_Left), float(m_Bottom),
                       float(m_DropListPicture->m_Info.Width), float(m_DropListPicture->m_Info.Height));
    if (m_Items.Count() > 0)
    {
        if (g_screen2D)
            g_screen2D->End2D();
        DrawItems(m_Font ? m_Font->m_Font : nullptr);
        if (g_screen2D)
            g_screen2D->Begin2D();
    }
    FillPictureSize(m_KnobPicture, m_KnobWidth, m_KnobHeight);
    if (m_Visible)
        DrawMenuSprite(m_KnobPicture, float(m_Right - m_KnobWidth), float(m_Bottom + m_ScrollPosition),
                       float(m_KnobWidth), float(m_KnobHeight));
    DragKnob();
}

void QV7_Menu_Combo::DrawItems(MenuFont* font)
{
    const int rowHeight = RowHeight();
    const int first = FirstVisibleItem();
    const int visible = std::min(m_DropListHeight / rowHeight, m_Items.Count() - first);
    const float mx = MenuMouseX(), my = MenuMouseY();
    const bool pressedInArea = MouseInComboArea() && MenuLeftButtonDown() && !m_DraggingKnob;
    for (int k = 0; k < visible; ++k)
    {
        const int index = first + k;
        const ComboItem& item = *m_Items[index];
        const float y = float(m_Bottom + 2 + m_TextYOffset + k * rowHeight);
        D3DCOLOR colour;
        if (index != m_SelectedItem)
        {
            if (pressedInArea && y < my && my < y + float(rowHeight) &&
                mx < float(m_Right - m_ButtonWidth - 5))
            {
                m_SelectedItem = index;
                if (g_menuManager)
                    g_menuManager->SetClickedId(m_Id);
                g_capturedWidget = this;
            }
            colour = item.m_Colour ? item.m_Colour : m_ItemColour;
        }
        else
        {
            colour = item.m_SelectedColour ? item.m_SelectedColour
                     : item.m_Colour       ? item.m_Colour
                                           : m_SelectedItemColour;
        }
        if (m_Visible && font)
            DrawFontText(font, float(m_Left + m_TextXOffset + 2), y, colour,
                         ShownText(font, item.m_Text).c_str(), 0);
    }
}

void QV7_Menu_Combo::DragKnob()
{
    const float mx = MenuMouseX(), my = MenuMouseY();
    const float knobHalf = float(m_KnobHeight / 2);
    if (!g_capturedWidget && MouseInComboArea() && MenuLeftButtonDown() &&
        float(m_Right - m_KnobWidth) < mx && mx < float(m_Right) && float(m_Bottom) + knobHalf < my &&
        my < float(m_Bottom + m_DropListHeight) - knobHalf)
    {
        m_DraggingKnob = 1;
        g_capturedWidget = this;
    }
    if (!MenuLeftButtonDown())
        m_DraggingKnob = 0;
    if (m_DraggingKnob && g_capturedWidget == this)
    {
        const int travel = std::max(m_DropListHeight - 2 * (m_KnobHeight / 2), 0);
        m_ScrollPosition = std::clamp(int(my) - m_KnobHeight / 2 - m_Bottom, 0, travel);
    }
}
