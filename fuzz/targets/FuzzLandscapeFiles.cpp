// The fuzz target of the island's height field, Map%d.map. The file is 12.5 MB
// of three float layers and a 244-byte tail of scalars; a fuzzer input is far
// smaller (65536 bytes at most), so an input holds the tail first and then a
// pattern that is repeated over the three layers. The target writes the whole
// file from it (a tail shorter than 244 bytes leaves the file cut short inside
// it) and loads it as the race loader does, with a shading picture and the
// map's texture list; a map that loads is drawn from a few camera places and
// queried, then unloaded.
#include "engine/QV7_Camera.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "shell/QV7_Globals.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr size_t kLayersSize = kLandscapeMapFileSize - kLandscapeMapTailSize;

std::vector<uint8_t> ExpandInput(const uint8_t* data, size_t size)
{
    const size_t tail = std::min(size, kLandscapeMapTailSize);
    std::vector<uint8_t> file(kLayersSize + tail, 0);
    const uint8_t* pattern = data + tail;
    const size_t patternSize = size - tail;
    for (size_t at = 0; patternSize && at < kLayersSize; at += patternSize)
        std::memcpy(file.data() + at, pattern, std::min(patternSize, kLayersSize - at));
    if (tail)
        std::memcpy(file.data() + kLayersSize, data, tail);
    return file;
}

void DrawAndQuery(QV7_Landscape& land)
{
    const float places[][2] = {{100.0f, 100.0f}, {40000.0f, 20000.0f}, {65535.0f, -3000.0f}};
    for (const auto& place : places)
    {
        g_camera->SetEye(place[0], 500.0f, place[1]);
        g_camera->SetTarget(place[0] + 1000.0f, 0.0f, place[1] + 700.0f);
        land.Render(0);
        land.Render(1);
        land.GetHeight(place[0], place[1]);
        land.GetNormal(place[0], place[1]);
    }
}
} // namespace

std::vector<uint8_t> LandscapeFuzzInput(const std::vector<uint8_t>& file, size_t patternSize)
{
    if (file.size() < kLandscapeMapFileSize)
        return {};
    std::vector<uint8_t> input(kLandscapeMapTailSize + patternSize);
    std::memcpy(input.data(), file.data() + kLandscapeMapFileSize - kLandscapeMapTailSize, kLandscapeMapTailSize);
    std::memcpy(input.data() + kLandscapeMapTailSize, file.data(), std::min(patternSize, file.size()));
    return input;
}

int FuzzLandscapeMap(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    const std::vector<uint8_t> file = ExpandInput(data, size);
    fuzzworld::ScratchFile map(fuzzworld::DataDir() + "Map1.map", file.data(), file.size());
    const std::vector<uint8_t> shading = LandscapeFuzzShadingPicture();
    fuzzworld::ScratchFile picture(fuzzworld::DataDir() + "MapSHD1.map", shading.data(), shading.size());
    QV7_TextureList textures;
    textures.LoadBuggyTextures(fuzzworld::DataDir() + "FixedTextures2.qvx", kFuzzPictureIds.data(),
                               int(kFuzzPictureIds.size()));
    try
    {
        LoadLandscapeMap(*g_landscape, fuzzworld::DataDir(), 1, &textures);
    }
    catch (const CDException&)
    {
        return 0;
    }
    DrawAndQuery(*g_landscape);
    g_landscape->Unload();
    return 0;
}
