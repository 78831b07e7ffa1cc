// The game window and the process message queue, in the shape of the Win32
// calls the game makes (create, move, show, top-most, focus, paint, peek, get,
// dispatch, post quit). Two back-ends: SDL2 and a null one driven by tests.
//
// SDL events are translated into messages: window close -> WM_CLOSE (whose
// default handling destroys the window: WM_DESTROY), focus -> WM_ACTIVATE,
// expose -> WM_PAINT, pointer entering -> WM_SETCURSOR, keys ->
// WM_KEYDOWN/WM_KEYUP, mouse -> WM_MOUSEMOVE and button messages. SIGINT and
// SIGTERM arrive as WM_CLOSE, so they take the same quit path as closing the
// window.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace win
{
// Message numbers as Win32 defines them.
enum : uint32_t
{
    WM_NULL = 0x0000,
    WM_DESTROY = 0x0002,
    WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006,
    WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_SETCURSOR = 0x0020,
    WM_KEYDOWN = 0x0100,
    WM_KEYUP = 0x0101,
    WM_CHAR = 0x0102,
    WM_DEADCHAR = 0x0103,
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_RBUTTONDOWN = 0x0204,
    WM_RBUTTONUP = 0x0205,
    WM_MBUTTONDOWN = 0x0207,
    WM_MBUTTONUP = 0x0208,
    WM_MOUSEWHEEL = 0x020A,
};
// WM_ACTIVATE low word.
enum : uint32_t
{
    WA_INACTIVE = 0,
    WA_ACTIVE = 1,
    WA_CLICKACTIVE = 2
};

class Window;

struct MSG
{
    Window* window = nullptr;
    uint32_t message = WM_NULL;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

using WindowProc = intptr_t (*)(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The system cursors the game asks for (LoadCursor with IDC_*).
enum class Cursor
{
    Arrow
};

struct WindowDesc
{
    std::string title;
    int x = 0, y = 0, width = 640, height = 480;
    bool popup = false;      // full-screen style: no frame
    bool openGL = true;      // the gfx layer will draw into it
    bool hideCursor = false; // full-screen start hides the cursor
};

class Window
{
  public:
    // Makes a window on the selected back-end; null when it cannot be made
    // (LastWindowError says why). On the real back-end a display nobody can
    // see counts as none, unless SDL_VIDEODRIVER asked for that driver.
    static std::unique_ptr<Window> Create(const WindowDesc& desc, WindowProc proc);
    virtual ~Window();

    virtual void SetTitle(const std::string& title) = 0;
    virtual void Move(int x, int y, int width, int height) = 0;
    virtual void Show() = 0;
    virtual void SetTopMost() = 0;
    virtual void SetFocus() = 0;
    // Desktop-size borderless window showing the scaled back buffer; never a mode switch.
    virtual void SetDesktopFullScreen(bool fullScreen) = 0;
    virtual void GetClientSize(int& width, int& height) const = 0;
    virtual void GetPosition(int& x, int& y) const = 0;
    virtual bool IsMinimized() const = 0;
    virtual bool IsVisible() const = 0;
    // Copies an A8R8G8B8 picture (pitch in pixels) to (x, y) of the client area.
    virtual void PaintPixels(const uint32_t* argb, int width, int height, int pitch, int x, int y) = 0;
    // The icon of the title bar and task bar, A8R8G8B8, width x height pixels.
    virtual void SetIcon(const uint32_t* argb, int width, int height) = 0;
    // SetCursor while the pointer is over this window, as WM_SETCURSOR handlers do.
    virtual void SetCursor(Cursor cursor) = 0;
    // The SDL_Window* behind this window, for the other platform layers; null on the null back-end.
    virtual void* NativeHandle() const = 0;

    // Queues WM_PAINT (InvalidateRect); UpdateWindow delivers it at once.
    void Invalidate();
    void Update();
    void Destroy();
    intptr_t CallProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

  protected:
    Window(WindowProc proc) : m_Proc(proc) {}

  private:
    WindowProc m_Proc;
    bool m_Destroyed = false;
};

// Why the last Window::Create failed, in words for the log.
std::string LastWindowError();

// The default handling of a message (DefWindowProc): WM_CLOSE destroys the window.
intptr_t DefWindowProc(Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// Message queue of the game thread. Peek and Get first drain every pending
// platform event into the queue, so a frame never lags behind mouse motion.
bool PeekMessage(MSG& msg, bool remove);
// Waits for a message (bounded waits, so signals are still seen); false for WM_QUIT.
bool GetMessage(MSG& msg);
void DispatchMessage(const MSG& msg);
void PostMessage(Window* window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
void PostQuitMessage(int exitCode);
void ClearMessageQueue();

// The window that has the focus; headless runs count their window as active.
Window* GetActiveWindow();
void SetActiveWindow(Window* window);

void ShowCursor(bool show);
void GetDesktopSize(int& width, int& height);

// SIGINT and SIGTERM post WM_CLOSE to the game window from the next pump on.
void InstallQuitSignals();
} // namespace win
