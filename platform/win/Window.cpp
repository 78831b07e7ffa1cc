// The process message queue and the parts of a window common to both back-ends.
#include "platform/win/Window.h"

#include "platform/win/Backend.h"
#include "platform/win/NullWindow.h"
#include "platform/win/SdlWindow.h"

#include <csignal>
#include <deque>

namespace win
{
namespace
{
std::deque<MSG> s_queue;
Window* s_activeWindow = nullptr;
Window* s_gameWindow = nullptr;
volatile std::sig_atomic_t s_quitSignal = 0;

void OnQuitSignal(int) { s_quitSignal = 1; }

// Moves every pending platform event into the queue.
void DrainPlatformEvents()
{
    if (s_quitSignal && s_gameWindow)
    {
        s_quitSignal = 0;
        s_queue.push_back({s_gameWindow, WM_CLOSE, 0, 0});
    }
    if (SelectedBackend() == Backend::Real)
        PumpSdlEvents();
}
} // namespace

std::unique_ptr<Window> Window::Create(const WindowDesc& desc, WindowProc proc)
{
    std::unique_ptr<Window> window;
    if (SelectedBackend() == Backend::Null)
        window = std::make_unique<NullWindow>(desc, proc);
    else
        window = SdlWindow::Make(desc, proc);
    if (!window)
        return nullptr;
    s_gameWindow = window.get();
    if (IsHeadless())
    {
        // No window manager gives focus to a window nobody sees.
        SetActiveWindow(window.get());
        PostMessage(window.get(), WM_ACTIVATE, WA_ACTIVE, 0);
    }
    return window;
}

Window::~Window()
{
    if (s_activeWindow == this)
        s_activeWindow = nullptr;
    if (s_gameWindow == this)
        s_gameWindow = nullptr;
    for (auto it = s_queue.begin(); it != s_queue.end();)
        it = (it->window == this) ? s_queue.erase(it) : it + 1;
}

void Window::Invalidate() { PostMessage(this, WM_PAINT); }

void Window::Update()
{
    // UpdateWindow: a pending paint is delivered at once, not through the queue.
    bool pending = false;
    for (auto it = s_queue.begin(); it != s_queue.end();)
    {
        if (it->window == this && it->message == WM_PAINT)
        {
            pending = true;
            it = s_queue.erase(it);
        }
        else
            ++it;
    }
    if (pending)
        CallProc(WM_PAINT, 0, 0);
}

void Window::Destroy()
{
    if (m_Destroyed)
        return;
    m_Destroyed = true;
    CallProc(WM_DESTROY, 0, 0);
}

intptr_t Window::CallProc(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    return m_Proc ? m_Proc(this, message, wParam, lParam) : DefWindowProc(this, message, wParam, lParam);
}

intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t, intptr_t)
{
    if (message == WM_CLOSE && window)
        window->Destroy();
    return 0;
}

bool PeekMessage(MSG& msg, bool remove)
{
    DrainPlatformEvents();
    if (s_queue.empty())
        return false;
    msg = s_queue.front();
    if (remove)
        s_queue.pop_front();
    return true;
}

bool GetMessage(MSG& msg)
{
    while (!PeekMessage(msg, true))
    {
        if (SelectedBackend() == Backend::Null)
        {
            msg = MSG{};
            return true;
        }
        WaitForSdlEvent(100);
    }
    return msg.message != WM_QUIT;
}

void DispatchMessage(const MSG& msg)
{
    if (msg.window)
        msg.window->CallProc(msg.message, msg.wParam, msg.lParam);
}

void PostMessage(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    s_queue.push_back({window, message, wParam, lParam});
}

void PostQuitMessage(int exitCode) { s_queue.push_back({nullptr, WM_QUIT, uintptr_t(exitCode), 0}); }

void ClearMessageQueue() { s_queue.clear(); }

Window* GetActiveWindow() { return s_activeWindow; }

void SetActiveWindow(Window* window) { s_activeWindow = window; }

void ShowCursor(bool show)
{
    if (SelectedBackend() == Backend::Real)
        ShowSdlCursor(show);
}

void GetDesktopSize(int& width, int& height)
{
    width = 1024;
    height = 768;
    if (SelectedBackend() == Backend::Real)
        GetSdlDesktopSize(width, height);
}

void InstallQuitSignals()
{
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
} // namespace win
