// The engine's one 2D drawing layer: a bracket (Begin2D / End2D) that puts the
// device into a 2D state inside a WorkSpace of the render-state cache, and the
// primitives drawn in it: lines, textured rectangles and full-screen fades.
// Coordinates are back-buffer pixels; menu pages are laid out for 800 x 600 and
// full-page pictures are 1024 x 1024 textures drawn from (0, 0).
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstdint>

class QV7_Screen2D
{
  public:
    // Publishes g_screen2D.
    QV7_Screen2D();
    ~QV7_Screen2D();
    QV7_Screen2D(const QV7_Screen2D&) = delete;
    QV7_Screen2D& operator=(const QV7_Screen2D&) = delete;

    // Nesting Begin2D, or End2D outside the bracket, throws CDException.
    void Begin2D();
    void End2D();

    void DrawTexturedRect(D3DCOLOR colour, IDirect3DTexture9* texture, float left, float top, float right,
                          float bottom);
    void DrawTexturedRectUV(D3DCOLOR colour, IDirect3DTexture9* texture, float left, float top, float right,
                            float bottom, float u0, float v0, float u1, float v1);
    void DrawLine2D(D3DCOLOR colour, float x0, float y0, float x1, float y1);
    void DrawLine3D(D3DCOLOR colour, float x0, float y0, float z0, float x1, float y1, float z1);
    // Multiplies the back buffer by alpha / 255: 255 keeps it, 0 makes it black.
    void DrawFade(int alpha);
    // The texture over the page at opacity (255 - alpha) / 255.
    void DrawTexturedFade(int alpha, IDirect3DTexture9* texture);
    // Darkens the rectangle to 80 / 255 (the debug console's backdrop).
    void DrawConsoleBackground(float left, float top, float right, float bottom);

    uint8_t m_In2D = 0;
    D3DMATERIAL9 m_Material = {};
};

extern QV7_Screen2D* g_screen2D;
