// The CPU time of one frame's water and sky on the null and the gl back-end:
// the sky alone, the simple water, and the reflective water with its
// reflection pass (the mirrored sky into the 512 x 512 surface, then the
// rippled sheet). On gl each iteration waits for the picture to be finished
// and is timed by the process CPU clock (every thread, the software
// rasteriser's too): read the manual-time figures.
#include "bench/BenchEngine.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <ctime>
#include <memory>

namespace
{
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

TextureRecord* PatternTexture(UINT size)
{
    auto* record = new TextureRecord();
    if (FAILED(g_device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture,
                                       nullptr)))
        return record;
    D3DLOCKED_RECT locked{};
    record->m_Texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < size; ++y)
        for (UINT x = 0; x < size; ++x)
            static_cast<uint32_t*>(locked.pBits)[y * UINT(locked.Pitch) / 4 + x] =
                0xFF000000u | ((x * 255 / size) << 16) | ((y * 255 / size) << 8) | 0x80;
    record->m_Texture->UnlockRect(0);
    return record;
}

enum class Part
{
    Sky,
    SimpleWater,
    ReflectiveWater,
};

// Detail 2: reflections and ripples, as the highest settings draw them.
void WaterAndSky(benchmark::State& state, win::Backend backend, Part part)
{
    QV7_Windows windows;
    windows.m_Settings.Detail = 2;
    BenchEngine e(backend);
    if (!e.ready)
    {
        state.SkipWithError("no device");
        return;
    }
    const bool gl = backend == win::Backend::Real;
    std::unique_ptr<TextureRecord> atlas(PatternTexture(256)), colour(PatternTexture(128)),
        bump(PatternTexture(128));
    auto sky = std::make_unique<QV7_SkyDome>();
    auto water = std::make_unique<QV7_Water>();
    sky->m_Texture = atlas.get();
    water->m_FirstTexture = colour.get();
    water->m_SecondTexture = bump.get();
    water->BuildSurface();
    g_camera->m_Eye = D3DXVECTOR3(32768.0f, 700.0f, 20000.0f);
    g_camera->m_Target = D3DXVECTOR3(32768.0f, 300.0f, 30000.0f);
    g_camera->UpdateView();
    g_frameManager->m_LastFrameMs = 16.0f;
    auto frame = [&]
    {
        if (part == Part::ReflectiveWater)
        {
            water->BeginReflection();
            water->EndReflection();
        }
        g_device->BeginScene();
        if (part == Part::Sky)
            sky->Render(0);
        else if (part == Part::SimpleWater)
            water->RenderSimple();
        else
            water->RenderReflective();
        g_device->EndScene();
        if (gl)
            glFinish();
    };
    frame();
    size_t iteration = 0;
    for (auto _ : state)
    {
        if ((++iteration & 255) == 0)
            gfx::null::ClearCalls();
        const double begin = CpuSeconds();
        frame();
        state.SetIterationTime(CpuSeconds() - begin);
    }
    water.reset();
    sky.reset();
}

BENCHMARK_CAPTURE(WaterAndSky, sky_null, win::Backend::Null, Part::Sky)->UseManualTime();
BENCHMARK_CAPTURE(WaterAndSky, simple_null, win::Backend::Null, Part::SimpleWater)->UseManualTime();
BENCHMARK_CAPTURE(WaterAndSky, reflective_null, win::Backend::Null, Part::ReflectiveWater)->UseManualTime();
BENCHMARK_CAPTURE(WaterAndSky, sky_gl, win::Backend::Real, Part::Sky)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WaterAndSky, simple_gl, win::Backend::Real, Part::SimpleWater)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(WaterAndSky, reflective_gl, win::Backend::Real, Part::ReflectiveWater)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
} // namespace
