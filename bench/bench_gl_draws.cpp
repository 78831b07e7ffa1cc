// The CPU cost of one draw of each kind the game makes, on the gl back-end
// with the offscreen driver (Mesa's software rasteriser: the per-pixel work
// is CPU time, on the driver's own threads too). Each iteration draws and
// waits for the picture to be finished, and is timed by the process CPU
// clock (every thread): read the manual-time figures.
#include "bench/BenchEngine.h"
#include "engine/QV7_Engine.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace
{
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// A texture of the given size, every level filled with a pattern.
IDirect3DTexture9* PatternTexture(UINT size, UINT levels)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(g_device->CreateTexture(size, size, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr)))
        return nullptr;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level)
    {
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(level, &desc);
        D3DLOCKED_RECT locked{};
        texture->LockRect(level, &locked, nullptr, 0);
        for (UINT y = 0; y < desc.Height; ++y)
        {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch);
            for (UINT x = 0; x < desc.Width; ++x)
                row[x] = 0x80000000u | ((x * 255 / desc.Width) << 16) | ((y * 255 / desc.Height) << 8) | 0x40;
        }
        texture->UnlockRect(level);
    }
    return texture;
}

struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct LitVertex
{
    float x, y, z, nx, ny, nz, u, v;
};
constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

void Quad(ScreenVertex* out, float x, float y, float w, float h, D3DCOLOR colour, float u0 = 0, float v0 = 0,
          float u1 = 1, float v1 = 1)
{
    out[0] = {x, y, 0.5f, 1.0f, colour, u0, v0};
    out[1] = {x + w, y, 0.5f, 1.0f, colour, u1, v0};
    out[2] = {x, y + h, 0.5f, 1.0f, colour, u0, v1};
    out[3] = {x + w, y + h, 0.5f, 1.0f, colour, u1, v1};
}

void Stage(DWORD stage, DWORD colourOp, DWORD alphaOp)
{
    g_device->SetTextureStageState(stage, D3DTSS_COLOROP, colourOp);
    g_device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_COLORARG2, stage ? D3DTA_CURRENT : D3DTA_DIFFUSE);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAOP, alphaOp);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, stage ? D3DTA_CURRENT : D3DTA_DIFFUSE);
}

void Blending(bool on)
{
    // Screen-space quads are drawn whichever way they wind, as the game's are,
    // and not against a depth buffer nobody cleared (it would reject them all).
    g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
    g_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

// Runs draw once to build what it needs, then times draw-and-finish. Each
// iteration is a scene of its own: the device holds back draws from user
// memory until its next call, and the end of the scene sends them.
template <class Draw> void Measure(benchmark::State& state, Draw draw)
{
    g_device->BeginScene();
    draw();
    g_device->EndScene();
    glFinish();
    for (auto _ : state)
    {
        g_device->BeginScene();
        const double begin = CpuSeconds();
        draw();
        g_device->EndScene();
        glFinish();
        state.SetIterationTime(CpuSeconds() - begin);
    }
}

// kind 0: opaque; 1: blended; 2: depth-tested and alpha-tested, a 1024 x 1024
// quad clipped to the screen; 3: as 2, its picture rewritten every frame.
// samples: the multisampling the engine is asked for (it gets it only where
// the driver offers it).
void FullScreenPicture(benchmark::State& state)
{
    BenchEngine e(win::Backend::Real, int(state.range(1)));
    IDirect3DTexture9* texture = e.ready ? PatternTexture(1024, 0) : nullptr;
    if (!texture)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_MODULATE);
    Stage(1, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(state.range(0) == 1);
    g_device->SetTexture(0, texture);
    g_device->SetFVF(kScreenFvf);
    ScreenVertex quad[4];
    Quad(quad, -0.5f, -0.5f, 800, 600, 0xFFFFFFFF);
    if (state.range(0) >= 2)
    {
        g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        g_device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        Quad(quad, 0, 0, 1024, 1024, 0xFFFFFFFF);
    }
    Measure(state, [&] {
        if (state.range(0) >= 2)
            g_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        if (state.range(0) == 3)
        {
            // A picture the game rewrites every frame (a movie frame): every level is uploaded again.
            for (UINT level = 0; level < texture->GetLevelCount(); ++level)
            {
                D3DLOCKED_RECT locked{};
                texture->LockRect(level, &locked, nullptr, 0);
                static_cast<uint8_t*>(locked.pBits)[0] ^= 1;
                texture->UnlockRect(level);
            }
        }
        g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
    });
    g_device->SetTexture(0, nullptr);
    texture->Release();
}

void BitmapTextLine(benchmark::State& state)
{
    BenchEngine e;
    IDirect3DTexture9* texture = e.ready ? PatternTexture(256, 1) : nullptr;
    if (!texture)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_MODULATE);
    Stage(1, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(true);
    g_device->SetTexture(0, texture);
    g_device->SetFVF(kScreenFvf);
    // Forty 12 x 16 glyphs, each a quad of its own cell, as two triangles.
    std::vector<ScreenVertex> vertices;
    for (int i = 0; i < 40; ++i)
    {
        ScreenVertex q[4];
        const float u = float(i % 16) / 16.0f, v = float(i / 16) / 16.0f;
        Quad(q, 20.0f + 12.0f * float(i), 100.0f, 12, 16, 0xFFFFFF00, u, v, u + 1.0f / 16, v + 1.0f / 16);
        vertices.insert(vertices.end(), {q[0], q[1], q[2], q[1], q[3], q[2]});
    }
    Measure(state, [&] {
        g_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 80, vertices.data(), sizeof(ScreenVertex));
    });
    g_device->SetTexture(0, nullptr);
    texture->Release();
}

void MenuParticles(benchmark::State& state)
{
    BenchEngine e;
    IDirect3DTexture9* texture = e.ready ? PatternTexture(32, 1) : nullptr;
    if (!texture)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_MODULATE);
    Stage(1, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(true);
    g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    g_device->SetTexture(0, texture);
    g_device->SetFVF(kScreenFvf);
    // 400 sprites of 8 x 8 pixels scattered over the screen.
    std::vector<ScreenVertex> vertices;
    for (int i = 0; i < 400; ++i)
    {
        ScreenVertex q[4];
        Quad(q, float((i * 97) % 790), float((i * 61) % 590), 8, 8, 0x80FFA040);
        vertices.insert(vertices.end(), {q[0], q[1], q[2], q[1], q[3], q[2]});
    }
    Measure(state, [&] {
        g_device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 800, vertices.data(), sizeof(ScreenVertex));
    });
    g_device->SetTexture(0, nullptr);
    texture->Release();
}

// The main menu's particle cloud as the game draws it: 757 sprites of a
// 16 x 16 picture with mip-maps, one DrawPrimitiveUP each, crowded round one
// point, added to the picture, with the anisotropic filtering (x4) the
// game's quality settings ask for. squeezed 0: 10 x 10 pixels each, one
// scale across and down (filtered trilinearly); 1: 10 x 5, anisotropic.
void MenuSparkCloud(benchmark::State& state)
{
    BenchEngine e;
    IDirect3DTexture9* texture = e.ready ? PatternTexture(16, 0) : nullptr;
    if (!texture)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_SELECTARG1);
    Stage(1, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(true);
    g_device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCCOLOR);
    g_device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC);
    g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC);
    g_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    g_device->SetSamplerState(0, D3DSAMP_MAXANISOTROPY, 4);
    g_device->SetTexture(0, texture);
    g_device->SetFVF(kScreenFvf);
    const float height = state.range(0) ? 5.0f : 10.0f;
    std::vector<ScreenVertex> sprites(757 * 4);
    for (int i = 0; i < 757; ++i)
    {
        const float angle = float(i) * 2.39996f, reach = 140.0f * std::sqrt(float(i) / 757.0f);
        Quad(&sprites[size_t(i) * 4], 450.0f + reach * std::cos(angle), 380.0f + reach * std::sin(angle), 10,
             height, 0xFF806400);
    }
    Measure(state,
            [&]
            {
                for (int i = 0; i < 757; ++i)
                    g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, &sprites[size_t(i) * 4],
                                              sizeof(ScreenVertex));
            });
    g_device->SetTexture(0, nullptr);
    texture->Release();
}

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1.0f;
    return m;
}

void LitFoggedMesh(benchmark::State& state)
{
    BenchEngine e;
    IDirect3DTexture9* texture = e.ready ? PatternTexture(256, 0) : nullptr;
    if (!texture)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_MODULATE);
    Stage(1, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(false);
    g_device->SetTexture(0, texture);
    g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    g_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    g_device->SetRenderState(D3DRS_LIGHTING, TRUE);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    g_device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    g_device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    const float fogStart = 2.0f, fogEnd = 20.0f;
    DWORD bits = 0;
    std::memcpy(&bits, &fogStart, 4);
    g_device->SetRenderState(D3DRS_FOGSTART, bits);
    std::memcpy(&bits, &fogEnd, 4);
    g_device->SetRenderState(D3DRS_FOGEND, bits);
    g_device->SetRenderState(D3DRS_FOGCOLOR, 0xFF8090A0);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {0.3f, 0.3f, 0.3f, 1};
    g_device->SetMaterial(&material);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0.3f, -1.0f, 0.5f};
    g_device->SetLight(0, &light);
    g_device->LightEnable(0, TRUE);
    const D3DMATRIX identity = Identity();
    D3DMATRIX projection{};
    projection.m[0][0] = 1.0f;
    projection.m[1][1] = 1.333f;
    projection.m[2][2] = 1.0f;
    projection.m[2][3] = 1.0f;
    projection.m[3][2] = -0.1f;
    D3DMATRIX world = identity;
    world.m[3][2] = 6.0f;
    g_device->SetTransform(D3DTS_WORLD, &world);
    g_device->SetTransform(D3DTS_VIEW, &identity);
    g_device->SetTransform(D3DTS_PROJECTION, &projection);
    g_device->SetFVF(kLitFvf);
    // A 32 x 32 grid bent into a bowl, about half the screen.
    std::vector<LitVertex> vertices;
    std::vector<uint16_t> indices;
    const int n = 32;
    for (int j = 0; j <= n; ++j)
        for (int i = 0; i <= n; ++i)
        {
            const float x = float(i) / n * 6.0f - 3.0f, y = float(j) / n * 6.0f - 3.0f;
            vertices.push_back({x, y, 0.1f * (x * x + y * y), -0.2f * x, -0.2f * y, -1.0f, float(i) / n,
                                float(j) / n});
        }
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
        {
            const uint16_t a = uint16_t(j * (n + 1) + i), b = uint16_t(a + 1), c = uint16_t(a + n + 1),
                           d = uint16_t(c + 1);
            indices.insert(indices.end(), {a, b, c, b, d, c});
        }
    Measure(state, [&] {
        g_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        g_device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, UINT(vertices.size()), UINT(indices.size() / 3),
                                         indices.data(), D3DFMT_INDEX16, vertices.data(), sizeof(LitVertex));
    });
    g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
    g_device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    g_device->SetTexture(0, nullptr);
    texture->Release();
}

void TwoStageBlendedQuad(benchmark::State& state)
{
    BenchEngine e;
    IDirect3DTexture9* first = e.ready ? PatternTexture(256, 1) : nullptr;
    IDirect3DTexture9* second = first ? PatternTexture(128, 1) : nullptr;
    if (!second)
        return state.SkipWithError("no device");
    Stage(0, D3DTOP_MODULATE, D3DTOP_MODULATE);
    Stage(1, D3DTOP_ADD, D3DTOP_MODULATE);
    g_device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
    Stage(2, D3DTOP_DISABLE, D3DTOP_DISABLE);
    Blending(true);
    g_device->SetTexture(0, first);
    g_device->SetTexture(1, second);
    g_device->SetFVF(kScreenFvf);
    ScreenVertex quad[4];
    Quad(quad, 200, 150, 400, 300, 0xC0FFFFFF);
    Measure(state, [&] { g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)); });
    g_device->SetTexture(0, nullptr);
    g_device->SetTexture(1, nullptr);
    g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    first->Release();
    second->Release();
}

BENCHMARK(FullScreenPicture)->ArgNames({"kind", "samples"})->ArgsProduct({{0, 1, 2, 3}, {0, 4}})->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BitmapTextLine)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(MenuParticles)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(MenuSparkCloud)
    ->ArgName("squeezed")
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LitFoggedMesh)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(TwoStageBlendedQuad)->UseManualTime()->Unit(benchmark::kMicrosecond);
} // namespace
