// 2D layer bracket.
#include "engine/QV7_Screen2D.h"

QV7_Screen2D* g_screen2D = nullptr;

QV7_Screen2D::QV7_Screen2D() { g_screen2D = this; }

QV7_Screen2D::~QV7_Screen2D()
{
    if (g_screen2D == this)
        g_screen2D = nullptr;
}

void QV7_Screen2D::DrawTexturedRect(uint32_t, TextureRecord*, float, float, float, float) {}

void QV7_Screen2D::DrawTexturedRectUV(uint32_t, TextureRecord*, float, float, float, float, float, float, float,
                                      float)
{
}

void QV7_Screen2D::DrawFade(int) {}

void QV7_Screen2D::DrawTexturedFade(int, TextureRecord*) {}
