// The landscape's costs: loading an island (Map1.map, its shading picture
// MapSHD1.map, and the textures Map1.tex lists from Textures2.qvx) against
// reading the same files' bytes and nothing more, as a ratio in one run; and
// the CPU time of drawing one frame of landscape on the null and gl
// back-ends, with the tiles kept and with all 64 rebuilt because the eye
// changed cell.
//
// The island is the demo's island 1, written by the demo generator as
// qv7-mkdemo writes it.
#include "bench/BenchEngine.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_TextureList.h"
#include "shell/QV7_Windows.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unistd.h>

namespace
{
// The demo islands' files in a scratch folder, made once per process.
const std::string& IslandFolder()
{
    static std::string folder;
    if (!folder.empty())
        return folder;
    char pattern[] = "/tmp/qv7-bench-island-XXXXXX";
    folder = std::string(mkdtemp(pattern)) + "/";
    if (!demo::WriteDemoIslands(folder, DemoWorldPictures(), DemoWorldPictureIds()))
        std::fprintf(stderr, "bench_landscape: the demo islands could not be written to %s\n",
                     folder.c_str());
    return folder;
}

double Seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Every byte of the named files into memory, nothing more.
size_t RawRead(const std::string& folder, std::initializer_list<const char*> names)
{
    size_t total = 0;
    for (const char* name : names)
    {
        FILE* file = std::fopen((folder + name).c_str(), "rb");
        if (!file)
            continue;
        std::fseek(file, 0, SEEK_END);
        std::vector<uint8_t> bytes(size_t(std::ftell(file)));
        std::fseek(file, 0, SEEK_SET);
        total += std::fread(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
        benchmark::DoNotOptimize(bytes.data());
    }
    return total;
}

// The IDs Map1.tex lists.
std::vector<int32_t> ListedIds(const std::string& folder)
{
    std::vector<int32_t> ids;
    FILE* file = std::fopen((folder + "Map1.tex").c_str(), "rb");
    int32_t count = 0;
    if (file && std::fread(&count, 4, 1, file) == 1)
        for (int32_t id = 0; count-- > 0 && std::fread(&id, 4, 1, file) == 1;)
            ids.push_back(id);
    if (file)
        std::fclose(file);
    return ids;
}

// The island's own bytes: its map, shading picture and list, and of the
// container only the records the list names.
size_t RawReadIslandOnly(const std::string& folder, const std::vector<int32_t>& ids)
{
    size_t total = RawRead(folder, {"Map1.map", "MapSHD1.map", "Map1.tex"});
    FILE* file = std::fopen((folder + "Textures2.qvx").c_str(), "rb");
    if (!file)
        return total;
    int32_t head[2];
    while (std::fread(head, 4, 2, file) == 2)
    {
        if (std::find(ids.begin(), ids.end(), head[0]) == ids.end())
        {
            std::fseek(file, long(uint32_t(head[1])), SEEK_CUR);
            continue;
        }
        std::vector<uint8_t> bytes(static_cast<uint32_t>(head[1]));
        total += std::fread(bytes.data(), 1, bytes.size(), file);
        benchmark::DoNotOptimize(bytes.data());
    }
    std::fclose(file);
    return total;
}

// The island as a race loads it; adds the seconds of the texture list and of
// the landscape step (map file and shading picture).
void LoadIsland(const std::string& folder, double& textureSeconds, double& mapSeconds)
{
    auto start = std::chrono::steady_clock::now();
    QV7_TextureList textures;
    textures.LoadMapTextures(folder + "Map1.tex", folder + "Textures2.qvx", nullptr);
    textureSeconds += Seconds(start);
    start = std::chrono::steady_clock::now();
    LoadLandscapeMap(*g_landscape, folder, 1, &textures);
    mapSeconds += Seconds(start);
    g_landscape->Unload();
}

// state.range(0) 0: the game's default settings, which load the map
// textures as DXT5; 1: high-resolution textures (A8R8G8B8).
void BM_LoadIslandAgainstRawRead(benchmark::State& state)
{
    QV7_Windows windows;
    windows.m_Settings.force_HighResTextures = int(state.range(0));
    BenchEngine bench(win::Backend::Null);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    const std::string& folder = IslandFolder();
    const std::vector<int32_t> ids = ListedIds(folder);
    double raw = 0.0, rawIsland = 0.0, load = 0.0, textureSeconds = 0.0, mapSeconds = 0.0;
    size_t bytes = 0, islandBytes = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        bytes = RawRead(folder, {"Map1.map", "MapSHD1.map", "Textures2.qvx", "Map1.tex"});
        raw += Seconds(start);
        start = std::chrono::steady_clock::now();
        islandBytes = RawReadIslandOnly(folder, ids);
        rawIsland += Seconds(start);
        start = std::chrono::steady_clock::now();
        LoadIsland(folder, textureSeconds, mapSeconds);
        load += Seconds(start);
    }
    const double n = double(state.iterations());
    state.counters["raw_ms"] = 1000.0 * raw / n;
    state.counters["load_ms"] = 1000.0 * load / n;
    state.counters["load_per_raw"] = load / raw;
    // Against the island's own bytes alone (the container's other records left out).
    state.counters["raw_island_ms"] = 1000.0 * rawIsland / n;
    state.counters["load_per_raw_island"] = load / rawIsland;
    state.counters["island_MB"] = double(islandBytes) / 1e6;
    state.counters["textures_ms"] = 1000.0 * textureSeconds / n;
    state.counters["map_ms"] = 1000.0 * mapSeconds / n;
    // The shading picture alone, as the landscape step loads it.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        if (IDirect3DTexture9* picture = LoadTextureFromFile(folder + "MapSHD1.map"))
            picture->Release();
    state.counters["shading_ms"] = 1000.0 * Seconds(start) / 5.0;
    // Map1.map alone: its raw read against the landscape step without the picture.
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i)
        RawRead(folder, {"Map1.map"});
    state.counters["map_raw_ms"] = 1000.0 * Seconds(start) / 5.0;
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_LoadIslandAgainstRawRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

// One frame of landscape: state.range(0) 1 moves the eye into another cell
// every frame (all 64 tiles rebuilt), 0 keeps it in one cell.
void FrameOfLandscape(benchmark::State& state, win::Backend backend)
{
    BenchEngine bench(backend);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    const std::string& folder = IslandFolder();
    QV7_TextureList textures;
    textures.LoadMapTextures(folder + "Map1.tex", folder + "Textures2.qvx", nullptr);
    LoadLandscapeMap(*g_landscape, folder, 1, &textures);
    const bool crossCells = state.range(0) != 0;
    int frame = 0;
    for (auto _ : state)
    {
        const float x = 30000.0f + (crossCells ? 1024.0f * float(frame % 8) : float(frame % 8));
        g_camera->SetEye(x, 900.0f, 20000.0f);
        g_camera->SetTarget(x + 3000.0f, 0.0f, 26000.0f);
        g_device->BeginScene();
        g_landscape->Render(0);
        g_device->EndScene();
        ++frame;
    }
    g_landscape->Unload();
}

void BM_LandscapeFrameNull(benchmark::State& state)
{
    FrameOfLandscape(state, win::Backend::Null);
}
void BM_LandscapeFrameGl(benchmark::State& state)
{
    FrameOfLandscape(state, win::Backend::Real);
}
BENCHMARK(BM_LandscapeFrameNull)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LandscapeFrameGl)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
} // namespace
