// The 2D drawing layer on the 800 x 600 page space. This first version keeps
// the bracket and the primitives' signatures; the quads are drawn once the
// render-state cache and the texture containers exist.
#pragma once

#include <cstdint>

struct TextureRecord;

class QV7_Screen2D
{
  public:
    QV7_Screen2D();
    ~QV7_Screen2D();

    void Begin2D() { m_In2D = 1; }
    void End2D() { m_In2D = 0; }
    void DrawTexturedRect(uint32_t colour, TextureRecord* texture, float left, float top, float right, float bottom);
    void DrawTexturedRectUV(uint32_t colour, TextureRecord* texture, float left, float top, float right,
                            float bottom, float u0, float v0, float u1, float v1);
    void DrawFade(int alpha);
    void DrawTexturedFade(int alpha, TextureRecord* texture);

    uint8_t m_In2D = 0;
};

extern QV7_Screen2D* g_screen2D;
