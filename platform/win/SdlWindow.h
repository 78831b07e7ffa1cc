// The SDL2 window back-end. Only platform/ includes this header.
#pragma once

#include "platform/win/Window.h"

struct SDL_Window;

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
    void* NativeHandle() const override { return m_Window; }

    uint32_t SdlId() const;

  private:
    SdlWindow(SDL_Window* window, WindowProc proc) : Window(proc), m_Window(window) {}
    SDL_Window* m_Window;
};

// Translates every pending SDL event into window messages.
void PumpSdlEvents();
void WaitForSdlEvent(int timeoutMs);
void ShowSdlCursor(bool show);
void GetSdlDesktopSize(int& width, int& height);
} // namespace win
