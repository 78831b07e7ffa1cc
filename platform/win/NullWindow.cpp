// In-memory window for headless tests.
#include "platform/win/NullWindow.h"

namespace win
{
NullWindow::NullWindow(const WindowDesc& desc, WindowProc proc)
    : Window(proc), m_Title(desc.title), m_X(desc.x), m_Y(desc.y), m_Width(desc.width), m_Height(desc.height)
{
    m_Pixels.assign(size_t(m_Width) * size_t(m_Height), 0xFF000000u);
}

void NullWindow::Move(int x, int y, int width, int height)
{
    m_X = x;
    m_Y = y;
    if (width != m_Width || height != m_Height)
    {
        m_Width = width;
        m_Height = height;
        m_Pixels.assign(size_t(width) * size_t(height), 0xFF000000u);
    }
}

void NullWindow::GetClientSize(int& width, int& height) const
{
    width = m_Width;
    height = m_Height;
}

void NullWindow::GetPosition(int& x, int& y) const
{
    x = m_X;
    y = m_Y;
}

void NullWindow::SetIcon(const uint32_t* argb, int width, int height)
{
    m_Icon.assign(argb, argb + size_t(width) * size_t(height));
    m_IconWidth = width;
    m_IconHeight = height;
}

void NullWindow::PaintPixels(const uint32_t* argb, int width, int height, int pitch, int x, int y)
{
    ++m_PaintCount;
    for (int row = 0; row < height; ++row)
    {
        const int ty = y + row;
        if (ty < 0 || ty >= m_Height)
            continue;
        for (int col = 0; col < width; ++col)
        {
            const int tx = x + col;
            if (tx >= 0 && tx < m_Width)
                m_Pixels[size_t(ty) * size_t(m_Width) + size_t(tx)] = argb[size_t(row) * size_t(pitch) + size_t(col)];
        }
    }
}
} // namespace win
