// The main menu loop. Until the main-menu screen with its own logic exists it
// shows the page "ID_MAIN_MENU" with the cursor, so the window stays up and
// responsive until it is closed.
#include "menus/QV7_MainMenu.h"

#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_Input.h"
#include "shell/framegate/QV7_FrameGate.h"

void RunMainMenu()
{
    if (g_menuManager)
    {
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_MAIN_MENU");
        g_menuManager->m_CursorFlag = 1;
    }
    for (;;)
    {
        const FrameResult result = PumpFrame();
        if (result == FRAME_QUIT)
            return;
        if (result == FRAME_SKIP)
            continue;
        if (g_input)
            g_input->Poll();
        if (g_menuManager)
            g_menuManager->UpdateCurrentPage();
        g_frameManager->BeginFrame();
        if (g_menuManager)
            g_menuManager->RenderCurrentPage(0);
        g_frameManager->EndFrame();
    }
}
