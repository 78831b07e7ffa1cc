// PumpFrame.
#include "shell/framegate/QV7_FrameGate.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "platform/input/script/ScriptedInput.h"
#include "platform/win/Clock.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <cstdlib>

int g_screenshotCounter = 0;

namespace
{
int s_quitAfterFrames = -1; // -1: not read from the environment yet
int s_drawnFrames = 0;
bool s_scriptEnded = false;

void CloseGameWindow()
{
    if (g_windowsData->m_Window)
        win::PostMessage(g_windowsData->m_Window.get(), win::WM_CLOSE);
}

// An input script plays one frame per drawn frame, sends the window the
// messages its presses would send (the screenshot key is looked at only on a
// pass that handled a message), and closes the window when it is over, as
// its player would.
void AdvanceInputScript()
{
    if (!input::script::Running() || s_scriptEnded)
        return;
    const input::script::FrameEvents events = input::script::AdvanceFrame();
    if (!events.running)
    {
        QV7_Logger::Log(g_logger, "INFO: Input script over, closing the window");
        s_scriptEnded = true;
        CloseGameWindow();
        return;
    }
    win::Window* window = g_windowsData->m_Window.get();
    if (events.keyDown && window)
        win::PostMessage(window, win::WM_KEYDOWN);
    if (events.leftButtonDown && window)
        win::PostMessage(window, win::WM_LBUTTONDOWN);
}

void CountDrawnFrame()
{
    AdvanceInputScript();
    if (s_quitAfterFrames < 0)
    {
        const char* value = std::getenv("QV7_QUIT_AFTER_FRAMES");
        s_quitAfterFrames = value ? std::atoi(value) : 0;
    }
    if (s_quitAfterFrames > 0 && ++s_drawnFrames == s_quitAfterFrames)
        CloseGameWindow();
}

bool ScreenshotKeyDown()
{
    if (!g_input)
        return false;
    const InputCode* keys = g_windowsData->m_Settings.Keys[KEY_Screenshot];
    return g_input->IsKeyDown(keys[0]) > 0 || g_input->IsKeyDown(keys[1]) > 0;
}

void TakeScreenshot()
{
    ++g_screenshotCounter;
    char name[64];
    std::snprintf(name, sizeof(name), "%d_%u", g_screenshotCounter, unsigned(win::timeGetTime()));
    if (g_frameManager)
        g_frameManager->SaveScreenToFile(g_programDir + "ScreenShot" + name + ".bmp");
}

void BringEngineWindowForward()
{
    win::Window* window = g_engine->m_Window;
    if (!window)
        return;
    window->SetTopMost();
    window->SetFocus();
}

// Handles what the window has queued; true when anything was handled.
// Every pending message is handled in one pass (the platform delivers mouse
// motion unmerged, so one message a pass would fall behind), but a WM_QUIT is
// left for the next pass's first look.
bool HandleMessages(QV7_Windows& windows)
{
    win::MSG& msg = windows.m_Message;
    bool handled = false;
    if (windows.m_Active)
    {
        while (win::PeekMessage(msg, false) && msg.message != win::WM_QUIT)
        {
            win::PeekMessage(msg, true);
            win::DispatchMessage(msg);
            handled = true;
        }
        return handled;
    }
    if (!win::GetMessage(msg))
    {
        win::PostQuitMessage(int(msg.wParam)); // seen again by the next pass
        return true;
    }
    if (msg.message != win::WM_NULL)
        win::DispatchMessage(msg);
    return msg.message != win::WM_NULL;
}
} // namespace

void SetQuitAfterFrames(int frames)
{
    s_quitAfterFrames = frames;
    s_drawnFrames = 0;
}

FrameResult PumpFrame()
{
    QV7_Windows& windows = *g_windowsData;
    win::MSG next;
    if (windows.m_Quit == 1 || (win::PeekMessage(next, false) && next.message == win::WM_QUIT))
    {
        windows.m_Quit = 1;
        return FRAME_QUIT;
    }

    if (HandleMessages(windows))
    {
        if (!windows.m_ScreenshotOff && ScreenshotKeyDown())
            TakeScreenshot();
        CountDrawnFrame();
        return FRAME_RENDER;
    }

    win::Window* engineWindow = g_engine ? g_engine->m_Window : nullptr;
    if (win::GetActiveWindow() != engineWindow || !g_engine)
    {
        win::Sleep(10);
        QV7_Logger::Log(g_logger, "Application Sleeping");
        return FRAME_SKIP;
    }

    const HRESULT state = g_engine->TestCooperativeLevel();
    if (win::GetActiveWindow() != engineWindow)
        BringEngineWindowForward();
    else if (state == D3DERR_DEVICENOTRESET)
    {
        BringEngineWindowForward();
        if (!g_engine->Initialize(1))
        {
            // The reset did not happen: try again next pass instead of reporting one.
            if (g_engine->m_FullScreen)
                BringEngineWindowForward();
            return FRAME_SKIP;
        }
        CountDrawnFrame();
        return FRAME_RESET;
    }
    if (state == D3DERR_DEVICELOST)
        return FRAME_SKIP;
    CountDrawnFrame();
    return FRAME_RENDER;
}
