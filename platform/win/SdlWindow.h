// The SDL2 window back-end. Only platform/ includes this header.
#pragma once

#include "platform/win/Window.h"

struct SDL_Window;
struct SDL_Cursor;

namespace win
{
class SdlWindow : public Window
{
  public:
    static std::unique_ptr<Window> Make(const WindowDesc& desc, WindowProc proc);
    ~SdlWindow() override;

    void SetTitle(const std::string& title) override;
    void Move(int x, int y, int width, int height) override;
    void Show() override;
    void SetTopMost() override;
    void SetFocus() override;
    void SetDesktopFullScreen(bool fullScreen) override;
    void GetClientSize(int& width, int& height) const override;
    void GetPosition(int& x, int& y) const override;
    bool IsMinimized() const override;
    bool IsVisible() const override;
    void PaintPixels(const uint32_t* argb, int width, int height, int pitch, int x, int y) override;
    void SetIcon(const uint32_t* argb, int width, int height) override;
    void SetCursor(Cursor cursor) override;
    void* NativeHandle() const override { return m_Window; }

    uint32_t SdlId() const;

  private:
    SdlWindow(SDL_Window* window, WindowProc proc) : Window(proc), m_Window(window) {}
    SDL_Window* m_Window;
    SDL_Cursor* m_Arrow = nullptr; // made on the first WM_SETCURSOR
};

// Translates every pending SDL event into window messages.
void PumpSdlEvents();
void WaitForSdlEvent(int timeoutMs);
void ShowSdlCursor(bool show);
void GetSdlDesktopSize(int& width, int& height);
// The video driver SDL is running on; null before SDL video has started.
const char* SdlVideoDriverInUse();
// SDL's offscreen and dummy drivers: windows there are seen by nobody.
bool IsInvisibleVideoDriver(const char* driver);
} // namespace win
