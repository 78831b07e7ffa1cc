// The CPU time of one race frame of island 1 from its track with the
// furniture (static objects in the opaque and blended passes, trees, the
// ferry stepped and drawn) against the landscape alone, on the null and the
// gl back-end; "furniture_per_landscape" is the furniture's cost over the
// landscape's (the goal: below 1). On gl every frame waits for the picture.
#include "bench/BenchEngine.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "shell/QV7_Windows.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"
#include "tools/demo/DemoScenery.h"
#include "tools/demo/DemoSceneryMeshes.h"
#include "tools/demo/DemoWaypoints.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_TreeVegetation.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <ode/ode.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace
{
double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

const std::string& IslandFolder()
{
    static std::string folder;
    if (!folder.empty())
        return folder;
    char pattern[] = "/tmp/qv7-bench-scenery-XXXXXX";
    folder = std::string(mkdtemp(pattern)) + "/";
    std::vector<TextureContainerRecord> pictures = DemoWorldPictures();
    std::vector<int32_t> ids = DemoWorldPictureIds();
    for (TextureContainerRecord& picture : demo::SceneryPictures())
        pictures.push_back(std::move(picture));
    for (int32_t id : demo::SceneryPictureIds())
        ids.push_back(id);
    if (!demo::WriteDemoIslands(folder, std::move(pictures), ids) || !demo::WriteDemoScenery(folder))
        std::fprintf(stderr, "bench_scenery: the demo islands could not be written to %s\n", folder.c_str());
    return folder;
}

// Seconds of CPU per frame over `frames` frames along the track.
template <class Draw> double TimeFrames(int frames, bool gl, Draw draw)
{
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1, 100.0f);
    const double begin = CpuSeconds();
    for (int f = 0; f < frames; ++f)
    {
        const demo::TrackPoint& at = track[size_t(f * 7) % track.size()];
        const demo::TrackPoint& ahead = track[size_t(f * 7 + 12) % track.size()];
        const float ground = g_landscape->GetHeight(at.x, at.z);
        g_camera->SetEye(at.x, ground + 250.0f, at.z);
        g_camera->SetTarget(ahead.x, ground + 100.0f, ahead.z);
        g_camera->UpdateFrustum();
        g_device->BeginScene();
        g_landscape->Render(0);
        draw();
        g_device->EndScene();
        if (gl)
            glFinish();
        if ((f & 255) == 0)
            gfx::null::ClearCalls();
    }
    return (CpuSeconds() - begin) / frames;
}

void FurnishedFrame(benchmark::State& state, win::Backend backend)
{
    QV7_Windows windows;
    windows.m_Settings.Detail = 1;
    BenchEngine bench(backend);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    const bool gl = backend == win::Backend::Real;
    const std::string& folder = IslandFolder();
    QV7_TextureList textures;
    textures.Init();
    textures.LoadMapTextures(folder + "Map1.tex", folder + "Textures2.qvx", nullptr);
    LoadLandscapeMap(*g_landscape, folder, 1, &textures);
    dInitODE2(0);
    dVector3 centre = {160, 0, 160, 0}, extents = {400, 100, 400, 0};
    dSpaceID space = dQuadTreeSpaceCreate(nullptr, centre, extents, 6);
    dSpaceSetCleanup(space, 1);
    std::vector<dGeomID> geoms;
    StaticGeomSink sink{space, &geoms};
    {
        QV7_Mesh_StaticObjects objects;
        objects.Load(folder + "Map1.sob", g_device, &textures, sink);
        QV7_TreeVegetation trees;
        trees.Load(folder + "MapT1.trs", g_device, &textures, sink);
        QV7_PathFollowing paths;
        paths.Load(folder + "Map1.pf", g_device, &textures, sink);
        const auto furniture = [&]
        {
            paths.UpdateFrame(16.0f);
            objects.Render(0);
            trees.Render(0);
            paths.Render();
            objects.RenderBlended();
        };
        double bare = 0.0, furnished = 0.0;
        for (auto _ : state)
        {
            bare += TimeFrames(32, gl, [] {});
            const double both = TimeFrames(32, gl, furniture);
            furnished += both;
            state.SetIterationTime(both);
        }
        const double n = double(state.iterations());
        state.counters["landscape_us"] = 1e6 * bare / n;
        state.counters["furnished_us"] = 1e6 * furnished / n;
        state.counters["furniture_per_landscape"] = (furnished - bare) / bare;
        g_device->SetStreamSource(0, nullptr, 0, 0);
        g_device->SetIndices(nullptr);
    }
    dSpaceDestroy(space);
    dCloseODE();
    textures.Destroy();
    g_landscape->Unload();
}

void BM_FurnishedFrameNull(benchmark::State& state)
{
    FurnishedFrame(state, win::Backend::Null);
}
void BM_FurnishedFrameGl(benchmark::State& state)
{
    FurnishedFrame(state, win::Backend::Real);
}
BENCHMARK(BM_FurnishedFrameNull)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(5);
BENCHMARK(BM_FurnishedFrameGl)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(3);
} // namespace
