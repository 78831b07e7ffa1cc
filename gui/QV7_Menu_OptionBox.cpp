// Option box selection across its page.
#include "gui/QV7_Menu_OptionBox.h"

#include "gui/MenuPage.h"

QV7_Menu_Option::QV7_Menu_Option()
{
    m_Type = kMenuOption;
}

void QV7_Menu_Option::OnClick(int x, int y)
{
    QV7_Menu_hWnd::OnClick(x, y);
    Select();
}

void QV7_Menu_Option::Select()
{
    if (m_Page)
        for (QV7_Menu_hWnd* control : m_Page->m_Controls)
            if (control->m_Type == kMenuOption)
                static_cast<QV7_Menu_Option*>(control)->m_Checked = 0;
    m_Checked = 1;
}
