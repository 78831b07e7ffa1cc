// The menu manager. For now only its place in the start-up sequence exists.
#pragma once

class QV7_MenuManager
{
  public:
    QV7_MenuManager();
    ~QV7_MenuManager();
};

extern QV7_MenuManager* g_menuManager;
