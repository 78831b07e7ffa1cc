// The landscape's costs: loading an island (Map%d.map, its shading picture
// and its textures from Textures2.qvx) against reading the same files' bytes
// and nothing more, as a ratio in one run; and the CPU time of drawing one
// frame of landscape on the null and gl back-ends, with the tiles kept and
// with all 64 rebuilt because the eye changed cell.
//
// The island: hills over the whole grid with a brightness layer, a 1024 by
// 1024 grey PNG shading picture, a 1024 by 1024 DXT1 base texture and a 256
// by 256 DXT1 detail texture with full mip chains.
#include "bench/BenchEngine.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_TextureList.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "tools/writers/TextureContainerWriter.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace
{
ImagePixels Picture(uint32_t side, uint32_t seed)
{
    ImagePixels image;
    image.width = image.height = side;
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x)
        {
            const uint32_t g = (x * 7 + y * 3 + seed + ((x ^ y) & 31)) & 0xFF;
            image.argb.push_back(0xFF000000u | g << 16 | ((g + 40) & 0xFF) << 8 | (g / 2));
        }
    return image;
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The island's files in a scratch folder, made once per process.
const std::string& IslandFolder()
{
    static std::string folder;
    if (!folder.empty())
        return folder;
    char pattern[] = "/tmp/qv7-bench-island-XXXXXX";
    folder = std::string(mkdtemp(pattern)) + "/";
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    for (int z = 0; z < 1024; ++z)
        for (int x = 0; x < 1024; ++x)
        {
            map.Height(x, z) = 300.0f + 250.0f * std::sin(x * 0.02f) * std::cos(z * 0.015f);
            map.Brightness(x, z) = 0.3f * std::sin(x * 0.1f + z * 0.07f);
        }
    map.baseTextureId = 3100;
    map.detailTextureId = 3101;
    WriteLandscapeMap(folder + "Map1.map", map);
    Save(folder + "MapSHD1.map", WritePng(Picture(1024, 0), false));
    WriteWorldTextureContainer(folder + "Textures2.qvx", {{3100, WriteDds(Picture(1024, 1), D3DFMT_DXT1, 0)},
                                                          {3101, WriteDds(Picture(256, 2), D3DFMT_DXT1, 0)}});
    WriteMapTextureList(folder + "Map1.tex", {3100, 3101});
    return folder;
}

double Seconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// Every byte of the island's files (or of one of them) into memory, nothing more.
size_t RawRead(const std::string& folder, std::initializer_list<const char*> names = {
                                              "Map1.map", "MapSHD1.map", "Textures2.qvx", "Map1.tex"})
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

void BM_LoadIslandAgainstRawRead(benchmark::State& state)
{
    BenchEngine bench(win::Backend::Null);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    const std::string& folder = IslandFolder();
    double raw = 0.0, load = 0.0, textureSeconds = 0.0, mapSeconds = 0.0;
    size_t bytes = 0;
    for (auto _ : state)
    {
        auto start = std::chrono::steady_clock::now();
        bytes = RawRead(folder);
        raw += Seconds(start);
        start = std::chrono::steady_clock::now();
        LoadIsland(folder, textureSeconds, mapSeconds);
        load += Seconds(start);
    }
    const double n = double(state.iterations());
    state.counters["raw_ms"] = 1000.0 * raw / n;
    state.counters["load_ms"] = 1000.0 * load / n;
    state.counters["load_per_raw"] = load / raw;
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
BENCHMARK(BM_LoadIslandAgainstRawRead)->Unit(benchmark::kMillisecond)->Iterations(10);

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
