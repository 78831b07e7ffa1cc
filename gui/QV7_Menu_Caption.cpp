// Caption drawing through DrawFontText, outside the 2D bracket.
#include "gui/QV7_Menu_Caption.h"

#include "engine/QV7_Screen2D.h"
#include "gui/MenuFileLayout.h"
#include "gui/MenuTextFit.h"
#include "gui/QV7_FontsHandler.h"

#include <cstdio>

QV7_Menu_Caption::QV7_Menu_Caption()
{
    m_Type = kMenuCaption;
    std::snprintf(m_Text, sizeof(m_Text), "Caption Label");
    std::snprintf(m_EllipsisText, sizeof(m_EllipsisText), "...");
}

void QV7_Menu_Caption::Draw(int inputOff)
{
    QV7_Menu_hWnd::Draw(inputOff);
    if (g_screen2D)
        g_screen2D->End2D();
    // A caption without a font (a font id missing from Fonts.qvx) draws nothing.
    MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    if (m_Visible && font)
    {
        const D3DCOLOR colour = (IsMouseOver() && m_HoverColour != 0) ? m_HoverColour : m_Colour;
        std::string text = m_Text;
        if (m_Ellipsis)
            text = FitMenuText(font, text, m_Right - m_EllipsisMargin - m_Left, m_EllipsisText);
        if (m_Centred)
        {
            font->m_BoxWidth = float(m_Right - m_Left);
            font->m_BoxLeft = float(m_Left);
            DrawFontText(font, 0.0f, float(m_Top + 2), colour, text.c_str(), kFontCentreInBox);
        }
        else
        {
            DrawFontText(font, float(m_Left + 2 + m_XOffset), float(m_Top + 2), colour, text.c_str(), 0);
        }
    }
    if (g_screen2D)
        g_screen2D->Begin2D();
}

void QV7_Menu_Caption::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Font = record.font;
    m_Colour = record.colour;
    m_CaptionReserved = record.typeReserved;
    std::snprintf(m_Text, sizeof(m_Text), "%s", record.texts[0].c_str());
    std::snprintf(m_LoadedText, sizeof(m_LoadedText), "%s", m_Text);
}
