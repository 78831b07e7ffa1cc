// The CPU time of one frame of the island's small furniture (shorelines,
// fading vegetation and track items, as demo island 1 holds them) against
// the landscape alone from the same chase camera on the track, on the null
// and the gl back-end. The goal: the furniture costs less than the land. On
// gl each iteration waits for the picture and is timed by the process CPU
// clock (the software rasteriser's threads too): read the manual-time figures.
#include "bench/BenchEngine.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "shell/QV7_Windows.h"
#include "tools/demo/DemoData.h"
#include "tools/demo/DemoWaypoints.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_FadingVegetation.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_ZephyrionItems.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <unistd.h>

namespace
{
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

const std::string& DataFolder()
{
    static std::string folder;
    if (!folder.empty())
        return folder;
    char pattern[] = "/tmp/qv7-bench-furniture-XXXXXX";
    folder = std::string(mkdtemp(pattern)) + "/";
    if (!WriteDemoData(folder))
        std::fprintf(stderr, "bench_small_furniture: the demo data could not be written to %s\n",
                     folder.c_str());
    return folder;
}

enum class Part
{
    Landscape,
    Furniture,
};

void Frame(benchmark::State& state, win::Backend backend, Part part)
{
    const std::string& data = DataFolder();
    QV7_Windows windows;
    windows.m_Settings.Detail = 2;
    BenchEngine e(backend);
    if (!e.ready)
    {
        state.SkipWithError("no device");
        return;
    }
    QV7_TextureList textures;
    textures.Init();
    textures.LoadMapTextures(data + "Map1.tex", data + "Textures2.qvx", nullptr);
    LoadLandscapeMap(*g_landscape, data, 1, &textures);
    auto shore = std::make_unique<QV7_ShoreLines>();
    auto vegetation = std::make_unique<QV7_FadingVegetation>();
    auto items = std::make_unique<QV7_ZephyrionItems>();
    shore->Load(data + "Map1.ssh", &textures);
    shore->OnLostReset(0);
    vegetation->Load(data + "Map1.fvf", &textures);
    items->Load(data + "Map1.zph", &textures);
    // A chase camera over the track, looking along it.
    const std::vector<demo::TrackPoint> line = demo::DemoTrackLine(1, 500.0f);
    g_camera->m_Eye =
        D3DXVECTOR3(line[1].x, g_landscape->GetHeight(line[1].x, line[1].z) + 160.0f, line[1].z);
    g_camera->m_Target =
        D3DXVECTOR3(line[4].x, g_landscape->GetHeight(line[4].x, line[4].z) + 40.0f, line[4].z);
    g_camera->UpdateView();
    g_frameManager->m_LastFrameMs = 16.0f;
    const bool gl = backend == win::Backend::Real;
    auto frame = [&]
    {
        g_device->BeginScene();
        if (part == Part::Landscape)
            g_landscape->Render(0);
        else
        {
            shore->Render();
            vegetation->Render();
            items->Render();
        }
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
    items.reset();
    vegetation.reset();
    shore.reset();
    textures.Destroy();
    g_landscape->Unload();
}

BENCHMARK_CAPTURE(Frame, landscape_null, win::Backend::Null, Part::Landscape)->UseManualTime();
BENCHMARK_CAPTURE(Frame, furniture_null, win::Backend::Null, Part::Furniture)->UseManualTime();
BENCHMARK_CAPTURE(Frame, landscape_gl, win::Backend::Real, Part::Landscape)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Frame, furniture_gl, win::Backend::Real, Part::Furniture)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
} // namespace
