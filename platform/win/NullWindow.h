// The null window: keeps its state in memory and records what was painted, so
// tests can run every screen with no display.
#pragma once

#include "platform/win/Window.h"

#include <vector>

namespace win
{
class NullWindow : public Window
{
  public:
    NullWindow(const WindowDesc& desc, WindowProc proc);

    void SetTitle(const std::string& title) override { m_Title = title; }
    void Move(int x, int y, int width, int height) override;
    void Show() override { m_Visible = true; }
    void SetTopMost() override { m_TopMost = true; m_Visible = true; }
    void SetFocus() override { SetActiveWindow(this); }
    void SetDesktopFullScreen(bool fullScreen) override { m_FullScreen = fullScreen; }
    void GetClientSize(int& width, int& height) const override;
    void GetPosition(int& x, int& y) const override;
    bool IsMinimized() const override { return m_Minimized; }
    bool IsVisible() const override { return m_Visible; }
    void PaintPixels(const uint32_t* argb, int width, int height, int pitch, int x, int y) override;
    void SetIcon(const uint32_t* argb, int width, int height) override;
    void SetCursor(Cursor cursor) override
    {
        m_Cursor = cursor;
        ++m_CursorSets;
    }
    void* NativeHandle() const override { return nullptr; }

    // Test controls and records.
    void SetMinimized(bool minimized) { m_Minimized = minimized; }
    std::string m_Title;
    int m_X = 0, m_Y = 0, m_Width = 0, m_Height = 0;
    bool m_Visible = false, m_TopMost = false, m_FullScreen = false, m_Minimized = false;
    // The client area as last painted, A8R8G8B8.
    std::vector<uint32_t> m_Pixels;
    int m_PaintCount = 0;
    // The icon as last set (empty: none) and the cursor the window asked for.
    std::vector<uint32_t> m_Icon;
    int m_IconWidth = 0, m_IconHeight = 0;
    Cursor m_Cursor = Cursor::Arrow;
    int m_CursorSets = 0;
};
} // namespace win
