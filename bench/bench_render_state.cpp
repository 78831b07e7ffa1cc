// The cost of a render-state change through the render-state cache and of a
// 2D text draw with the texture font, on the null and on the gl back-end.
#include "bench/BenchEngine.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace
{
void StateChange(benchmark::State& state, win::Backend backend)
{
    BenchEngine e(backend);
    if (!e.ready)
    {
        state.SkipWithError("no device");
        return;
    }
    DWORD cull = D3DCULL_NONE;
    size_t iteration = 0;
    for (auto _ : state)
    {
        // The null device records every call; its record is emptied now and then.
        if ((++iteration & 1023) == 0)
            gfx::null::ClearCalls();
        // A change that reaches the device, then a redundant one that does not.
        g_scene->SetRenderState(cull, D3DRS_CULLMODE);
        g_scene->SetRenderState(cull, D3DRS_CULLMODE);
        cull = cull == D3DCULL_NONE ? D3DCULL_CCW : D3DCULL_NONE;
    }
}

void TextDraw(benchmark::State& state, win::Backend backend)
{
    BenchEngine e(backend);
    if (!e.ready || !g_frameManager->m_FpsFont->m_Texture)
    {
        state.SkipWithError("no device or font");
        return;
    }
    g_device->BeginScene();
    size_t iteration = 0;
    for (auto _ : state)
    {
        if ((++iteration & 63) == 0)
            gfx::null::ClearCalls();
        g_frameManager->m_FpsFont->DrawText(5.0f, 5.0f, 0xFFFF0000, "123 FPS");
    }
    g_device->EndScene();
}

BENCHMARK_CAPTURE(StateChange, null, win::Backend::Null);
BENCHMARK_CAPTURE(StateChange, gl, win::Backend::Real);
BENCHMARK_CAPTURE(TextDraw, null, win::Backend::Null);
BENCHMARK_CAPTURE(TextDraw, gl, win::Backend::Real);
} // namespace
