// Button drawing: hover and pressed pictures centred in the rectangle.
#include "gui/QV7_Menu_Button.h"

#include "gui/MenuFileLayout.h"

#include <cstdio>

QV7_Menu_Button::QV7_Menu_Button()
{
    m_Type = kMenuButton;
    std::snprintf(m_Text1, sizeof(m_Text1), "None");
    std::snprintf(m_Text2, sizeof(m_Text2), "None");
    std::snprintf(m_Text3, sizeof(m_Text3), "None");
}

void QV7_Menu_Button::Draw(int inputOff)
{
    TextureRecord* picture = (IsMouseOver() || m_Highlight) ? m_HoverPicture : nullptr;
    if (IsPressed() && m_PressedPicture)
        picture = m_PressedPicture;
    if (picture && (inputOff != 1 || m_Highlight == 1))
    {
        FillPictureSize(picture, m_Width, m_Height);
        const int x = m_Left + (m_Right - m_Left) / 2 - m_Width / 2;
        const int y = m_Top + (m_Bottom - m_Top) / 2 - m_Height / 2;
        if (m_Visible)
            DrawMenuSprite(picture, float(x), float(y), float(m_Width), float(m_Height));
    }
    QV7_Menu_hWnd::Draw(inputOff);
}

void QV7_Menu_Button::MarkTexturesUsed()
{
    MarkPictureUsed(m_HoverPicture);
    MarkPictureUsed(m_PressedPicture);
}

void QV7_Menu_Button::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_HoverPicture = record.pictures[0];
    m_PressedPicture = record.pictures[1];
    m_Width = record.width;
    m_Height = record.height;
    std::snprintf(m_Text1, sizeof(m_Text1), "%s", record.texts[0].c_str());
    std::snprintf(m_Text2, sizeof(m_Text2), "%s", record.texts[1].c_str());
    std::snprintf(m_Text3, sizeof(m_Text3), "%s", record.texts[2].c_str());
}
