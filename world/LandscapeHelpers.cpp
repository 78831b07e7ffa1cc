// The shared fog, strip and normal helpers of the world renderers.
#include "world/LandscapeHelpers.h"

#include "engine/QV7_Scene.h"
#include "world/QV7_Landscape.h"

#include <cmath>

void ApplyLandscapeFog()
{
    if (!g_landscape || !g_scene)
        return;
    const uint32_t* fog = g_landscape->m_Fog;
    g_scene->SetRenderState(fog[0], D3DRS_FOGENABLE);
    g_scene->SetRenderState(fog[1], D3DRS_FOGCOLOR);
    if (fog[2] == 0)
    {
        g_scene->SetRenderState(0, D3DRS_FOGVERTEXMODE);
        g_scene->SetRenderState(fog[3], D3DRS_FOGTABLEMODE);
    }
    else
    {
        g_scene->SetRenderState(fog[3], D3DRS_FOGTABLEMODE);
        g_scene->SetRenderState(fog[2], D3DRS_FOGVERTEXMODE);
    }
    g_scene->SetRenderState(fog[4], D3DRS_FOGSTART);
    g_scene->SetRenderState(fog[5], D3DRS_FOGEND);
    g_scene->SetRenderState(fog[6], D3DRS_FOGDENSITY);
    g_scene->SetRenderState(fog[7], D3DRS_RANGEFOGENABLE);
}

void BuildSpiralStrip(uint16_t* indices)
{
    constexpr int kSide = 17;
    int n = kSide, r = 0, c = 0, out = 0;
    auto emit = [&](int first, int second)
    {
        indices[out++] = uint16_t(first);
        indices[out++] = uint16_t(second);
    };
    while (n > 1)
    {
        for (int i = 0; i < n; ++i, ++c)
            emit(r * kSide + c, (r + 1) * kSide + c);
        c -= 1, r += 1;
        for (int i = 0; i < n - 1; ++i, ++r)
            emit(r * kSide + c, r * kSide + c - 1);
        r -= 1, c -= 1;
        for (int i = 0; i < n - 1; ++i, --c)
            emit(r * kSide + c, (r - 1) * kSide + c);
        c += 1, r -= 1;
        for (int i = 0; i < n - 2; ++i, --r)
            emit(r * kSide + c, r * kSide + c + 1);
        n -= 2, c += 1, r += 1;
    }
}

float FloorF(float value)
{
    return std::floor(value);
}
