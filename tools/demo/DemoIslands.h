// The demo's race islands: for each, Map%d.map (heights, brightness, textures,
// material, sun, fog, sky and water), the sun shading picture MapSHD%d.map and
// the Map%d.tex list; their pictures go into Textures2.qvx beside the other
// world pictures. Island 1 is a hill island ringed by a beach, island 2 a ring
// of hills round a lagoon, island 3 a long mesa cut by a canyon.
#pragma once

#include "platform/gfx/D3D9Types.h"
#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo
{
constexpr int kDemoIslandCount = 3;
// Textures2.qvx IDs shared by the islands; each island n owns 3000 + 100 n (base
// picture), + 1 (sky) and + 2 (water).
constexpr int32_t kIslandDetailId = 3001;
constexpr int32_t kIslandRoughDetailId = 3002;
constexpr int32_t kIslandRippleId = 3003;
int32_t IslandBaseId(int number);
int32_t IslandSkyId(int number);
int32_t IslandWaterId(int number);

// An island: what its Map%d.map holds, and its own pictures.
struct DemoIsland
{
    int number = 0;
    LandscapeMapDescription map;
    ImagePixels shading;     // MapSHD%d.map
    ImagePixels basePicture; // stretched over the island
    ImagePixels sky;         // the sky dome's atlas
    ImagePixels water;       // the water's colour texture
};

// Island `number` (1 .. kDemoIslandCount); the same island on every call.
DemoIsland BuildDemoIsland(int number);

// What island `number` looks like from above: its heights, its base picture
// under its sun shading (1024 x 1024, column x, row z) and its sea's colour.
struct IslandTopView
{
    Heightfield field;
    ImagePixels ground;
    uint32_t water = 0; // ARGB, opaque
    float waterLevel = kIslandWaterLevel;
};
IslandTopView BuildIslandTopView(int number);

// Only its height field, as BuildDemoIsland makes it.
Heightfield DemoIslandHeightfield(int number);
// The pictures the islands share: the two detail textures and the ripples.
std::vector<TextureContainerRecord> SharedIslandTextures();
std::vector<TextureContainerRecord> IslandTextures(const DemoIsland& island);
std::vector<int32_t> IslandTextureIds(const DemoIsland& island);

// Writes Map%d.map, MapSHD%d.map and Map%d.tex of every island, and
// Textures2.qvx with worldPictures followed by the islands' pictures.
// worldPictureIds are listed in every Map%d.tex too. False on a write failure.
bool WriteDemoIslands(const std::string& dataDir, std::vector<TextureContainerRecord> worldPictures,
                      const std::vector<int32_t>& worldPictureIds);
} // namespace demo
