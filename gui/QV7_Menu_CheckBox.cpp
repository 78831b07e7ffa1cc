// Check box input and mark drawing.
#include "gui/QV7_Menu_CheckBox.h"

#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"

QV7_Menu_Check::QV7_Menu_Check()
{
    m_Type = kMenuCheck;
}

void QV7_Menu_Check::Draw(int inputOff)
{
    QV7_Menu_hWnd::Draw(inputOff);
    if (!m_Checked || !TextureOf(m_Mark))
        return;
    FillPictureSize(m_Mark, m_Width, m_Height);
    const int x = m_LeftAligned ? m_Left + 10 : m_Left + (m_Right - m_Left) / 2 - m_Width / 2;
    const int y = m_Top + (m_Bottom - m_Top) / 2 - m_Height / 2;
    if (m_Visible)
        DrawMenuSprite(m_Mark, float(x), float(y), float(m_Width), float(m_Height));
}

void QV7_Menu_Check::OnClick(int x, int y)
{
    QV7_Menu_hWnd::OnClick(x, y);
    m_Checked = !m_Checked;
}

void QV7_Menu_Check::MarkTexturesUsed()
{
    MarkPictureUsed(m_Mark);
}

void QV7_Menu_Check::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Mark = record.pictures[0];
    m_Checked = m_LoadedChecked = record.value;
    m_LeftAligned = record.flag;
    m_Width = record.width;
    m_Height = record.height;
}

void QV7_Menu_Check::ResetToLoaded()
{
    m_Checked = m_LoadedChecked;
}
