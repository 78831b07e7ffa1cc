#include "menus/MenuControls.h"

#include "gui/MenuPage.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_TextField.h"
#include "shell/QV7_Logger.h"

#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>

namespace
{
void LogMissingOnce(const char* id)
{
    static std::set<std::string> logged;
    const MenuPage* page = g_menuManager ? g_menuManager->CurrentPage() : nullptr;
    const std::string key = std::string(page ? page->m_Id : "?") + "/" + id;
    if (logged.insert(key).second)
        QV7_Logger::Log(g_logger, "ERROR: Menu control %s not found on page %s", id, page ? page->m_Id : "?");
}
} // namespace

QV7_Menu_hWnd* FindMenuControl(const char* id)
{
    QV7_Menu_hWnd* control = g_menuManager ? g_menuManager->FindControl(id, kMenuAnyType) : nullptr;
    if (!control)
        LogMissingOnce(id);
    return control;
}

void SetMenuText(const char* id, const char* format, ...)
{
    QV7_Menu_hWnd* control = FindMenuControl(id);
    char* text = nullptr;
    size_t size = 0;
    if (auto* caption = dynamic_cast<QV7_Menu_Caption*>(control))
        text = caption->m_Text, size = sizeof caption->m_Text;
    else if (auto* field = dynamic_cast<QV7_Menu_Text*>(control))
        text = field->m_Text, size = sizeof field->m_Text;
    if (!text)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, size, format, args);
    va_end(args);
}

void CentreMenuText(const char* id)
{
    if (auto* caption = FindMenuControlAs<QV7_Menu_Caption>(id))
        caption->m_Centred = 1;
}

bool MenuChecked(const char* id)
{
    auto* box = FindMenuControlAs<QV7_Menu_Check>(id);
    return box && box->m_Checked != 0;
}

void SetMenuChecked(const char* id, bool checked)
{
    if (auto* box = FindMenuControlAs<QV7_Menu_Check>(id))
        box->m_Checked = checked ? 1 : 0;
}

void SetMenuVisible(const char* id, bool visible)
{
    if (QV7_Menu_hWnd* control = FindMenuControl(id))
        control->m_Visible = visible ? 1 : 0;
}
