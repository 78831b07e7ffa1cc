// Menu manager lifetime.
#include "gui/QV7_MenuManager.h"

QV7_MenuManager* g_menuManager = nullptr;

QV7_MenuManager::QV7_MenuManager() { g_menuManager = this; }

QV7_MenuManager::~QV7_MenuManager()
{
    if (g_menuManager == this)
        g_menuManager = nullptr;
}
