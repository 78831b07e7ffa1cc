// The main menu loop. Until the menu pages exist it draws empty frames, so the
// window stays up and responsive until it is closed.
#include "menus/QV7_MainMenu.h"

#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "shell/framegate/QV7_FrameGate.h"

void RunMainMenu()
{
    for (;;)
    {
        const FrameResult result = PumpFrame();
        if (result == FRAME_QUIT)
            return;
        if (result == FRAME_SKIP)
            continue;
        if (g_input)
            g_input->Poll();
        g_frameManager->BeginFrame();
        g_frameManager->EndFrame();
    }
}
