// SDL2 window: events become window messages; the splash is painted through
// the window's own framebuffer so that no GL context is needed before the
// device exists.
#include "platform/win/SdlWindow.h"

#include "platform/win/Backend.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace win
{
namespace
{
std::vector<SdlWindow*> s_windows;
std::string s_lastError;
// Set once SDL has come up on a driver nobody can see without being asked to:
// the refusal stands for the rest of the run instead of being retried.
bool s_noVisibleDisplay = false;
constexpr int kHitClient = 1; // HTCLIENT

void Fail(std::string reason)
{
    s_lastError = std::move(reason);
    std::fprintf(stderr, "%s\n", s_lastError.c_str());
    std::fflush(stderr);
}

// True when SDL_VIDEODRIVER (a comma-separated list) names the driver.
bool DriverWasAskedFor(const char* driver)
{
    const char* wanted = std::getenv("SDL_VIDEODRIVER");
    if (!wanted)
        return false;
    const size_t length = std::strlen(driver);
    for (const char* at = wanted; *at;)
    {
        const char* end = std::strchr(at, ',');
        const size_t n = end ? size_t(end - at) : std::strlen(at);
        if (n == length && SDL_strncasecmp(at, driver, n) == 0)
            return true;
        if (!end)
            break;
        at = end + 1;
    }
    return false;
}

bool EnsureVideo()
{
    if (s_noVisibleDisplay)
        return false;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        Fail(std::string("SDL video could not start: ") + SDL_GetError());
        return false;
    }
    // When no display answers, SDL quietly settles on its offscreen driver.
    // A window there never gets the focus a real desktop would give it, so
    // the game would wait for it forever: that is no display at all, unless
    // a headless run asked for exactly this driver.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (IsInvisibleVideoDriver(driver) && !DriverWasAskedFor(driver))
    {
        const char* display = std::getenv("DISPLAY");
        Fail(std::string("No display could be opened (DISPLAY=") + (display ? display : "unset") +
             ", SDL fell back to its " + driver +
             " video driver); set SDL_VIDEODRIVER=offscreen or QV7_BACKEND=null to run without one");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        s_noVisibleDisplay = true;
        return false;
    }
    return true;
}

SdlWindow* FindWindow(uint32_t id)
{
    for (SdlWindow* w : s_windows)
        if (w->SdlId() == id)
            return w;
    return nullptr;
}

void TranslateWindowEvent(SdlWindow* window, const SDL_WindowEvent& e)
{
    switch (e.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        PostMessage(window, WM_CLOSE);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SetActiveWindow(window);
        PostMessage(window, WM_ACTIVATE, WA_ACTIVE);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (!IsHeadless())
        {
            if (GetActiveWindow() == window)
                SetActiveWindow(nullptr);
            PostMessage(window, WM_ACTIVATE, WA_INACTIVE);
        }
        break;
    case SDL_WINDOWEVENT_ENTER:
        // SDL keeps a cursor until it is changed, so asking once per entry is
        // enough where Windows asks before every mouse move. lParam: the
        // client area hit-test code and the mouse message that asked.
        PostMessage(window, WM_SETCURSOR, 0, intptr_t((WM_MOUSEMOVE << 16) | kHitClient));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        PostMessage(window, WM_PAINT);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        PostMessage(window, WM_SIZE, 0, intptr_t((e.data2 << 16) | (e.data1 & 0xFFFF)));
        break;
    default:
        break;
    }
}

void TranslateEvent(const SDL_Event& e)
{
    switch (e.type)
    {
    case SDL_QUIT:
        if (!s_windows.empty())
            PostMessage(s_windows.back(), WM_CLOSE);
        break;
    case SDL_WINDOWEVENT:
        if (SdlWindow* w = FindWindow(e.window.windowID))
            TranslateWindowEvent(w, e.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (SdlWindow* w = FindWindow(e.key.windowID))
            PostMessage(w, e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, uintptr_t(e.key.keysym.scancode));
        break;
    case SDL_MOUSEMOTION:
        if (SdlWindow* w = FindWindow(e.motion.windowID))
            PostMessage(w, WM_MOUSEMOVE, 0, intptr_t((e.motion.y << 16) | (e.motion.x & 0xFFFF)));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (SdlWindow* w = FindWindow(e.button.windowID))
        {
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            uint32_t message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            if (e.button.button == SDL_BUTTON_RIGHT)
                message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            else if (e.button.button == SDL_BUTTON_MIDDLE)
                message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            PostMessage(w, message, 0, intptr_t((e.button.y << 16) | (e.button.x & 0xFFFF)));
        }
        break;
    case SDL_MOUSEWHEEL:
        if (SdlWindow* w = FindWindow(e.wheel.windowID))
            PostMessage(w, WM_MOUSEWHEEL, uintptr_t(uint32_t(e.wheel.y * 120) << 16));
        break;
    default:
        break;
    }
}
} // namespace

std::unique_ptr<Window> SdlWindow::Make(const WindowDesc& desc, WindowProc proc)
{
    if (!EnsureVideo())
        return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (desc.openGL)
        flags |= SDL_WINDOW_OPENGL;
    if (desc.popup)
        flags |= SDL_WINDOW_BORDERLESS;
    SDL_Window* sdl = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height, flags);
    if (!sdl && desc.openGL)
        sdl = SDL_CreateWindow(desc.title.c_str(), desc.x, desc.y, desc.width, desc.height, flags & ~SDL_WINDOW_OPENGL);
    if (!sdl)
    {
        Fail(std::string("SDL window could not be created: ") + SDL_GetError());
        return nullptr;
    }
    std::unique_ptr<SdlWindow> window(new SdlWindow(sdl, proc));
    s_windows.push_back(window.get());
    if (desc.hideCursor)
        ShowSdlCursor(false);
    return window;
}

SdlWindow::~SdlWindow()
{
    std::erase(s_windows, this);
    SDL_DestroyWindow(m_Window);
    if (m_Arrow)
        SDL_FreeCursor(m_Arrow);
}

uint32_t SdlWindow::SdlId() const { return SDL_GetWindowID(m_Window); }

void SdlWindow::SetTitle(const std::string& title) { SDL_SetWindowTitle(m_Window, title.c_str()); }

void SdlWindow::Move(int x, int y, int width, int height)
{
    SDL_SetWindowPosition(m_Window, x, y);
    SDL_SetWindowSize(m_Window, width, height);
}

void SdlWindow::Show() { SDL_ShowWindow(m_Window); }

void SdlWindow::SetTopMost()
{
    // Raised and shown; a permanent always-on-top flag would trap the desktop
    // under a window the player may want to leave.
    SDL_ShowWindow(m_Window);
    SDL_RaiseWindow(m_Window);
}

void SdlWindow::SetFocus() { SDL_RaiseWindow(m_Window); }

void SdlWindow::SetDesktopFullScreen(bool fullScreen)
{
    SDL_SetWindowFullscreen(m_Window, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void SdlWindow::GetClientSize(int& width, int& height) const { SDL_GetWindowSize(m_Window, &width, &height); }

void SdlWindow::GetPosition(int& x, int& y) const { SDL_GetWindowPosition(m_Window, &x, &y); }

bool SdlWindow::IsMinimized() const { return (SDL_GetWindowFlags(m_Window) & SDL_WINDOW_MINIMIZED) != 0; }

bool SdlWindow::IsVisible() const { return (SDL_GetWindowFlags(m_Window) & SDL_WINDOW_SHOWN) != 0; }

void SdlWindow::PaintPixels(const uint32_t* argb, int width, int height, int pitch, int x, int y)
{
    SDL_Surface* target = SDL_GetWindowSurface(m_Window);
    if (!target)
        return;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32,
                                                             pitch * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!source)
        return;
    SDL_Rect destination{x, y, width, height};
    SDL_BlitSurface(source, nullptr, target, &destination);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(m_Window);
}

bool IsInvisibleVideoDriver(const char* driver)
{
    return driver && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0);
}

const char* SdlVideoDriverInUse()
{
    return SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
}

std::string LastWindowError() { return s_lastError; }

void SdlWindow::SetIcon(const uint32_t* argb, int width, int height)
{
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(argb), width, height, 32,
                                                           width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!icon)
        return;
    SDL_SetWindowIcon(m_Window, icon); // SDL keeps its own copy
    SDL_FreeSurface(icon);
}

void SdlWindow::SetCursor(Cursor)
{
    if (!m_Arrow)
        m_Arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (m_Arrow)
        SDL_SetCursor(m_Arrow);
}

void PumpSdlEvents()
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return;
    SDL_Event e;
    while (SDL_PollEvent(&e))
        TranslateEvent(e);
}

void WaitForSdlEvent(int timeoutMs)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
    {
        SDL_Delay(Uint32(timeoutMs));
        return;
    }
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, timeoutMs))
        TranslateEvent(e);
}

void ShowSdlCursor(bool show)
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void GetSdlDesktopSize(int& width, int& height)
{
    SDL_DisplayMode mode;
    if (EnsureVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0)
    {
        width = mode.w;
        height = mode.h;
    }
}
} // namespace win
