// Writer of an island's height field, Map%d.map: three 1024 by 1024 float
// layers (heights, brightness, an unused third layer) row by row with x
// fastest, then the shade level, three spare floats, the base and detail
// texture ids, the land's material, the sun light, the eight fog words, the
// sky and two water texture ids and the water level; 12583156 bytes in all,
// little-endian, no header.
#pragma once

#include "platform/gfx/D3D9Types.h"
#include "platform/io/BinaryWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// The eight fog words in file order: the values of FOGENABLE, FOGCOLOR,
// FOGVERTEXMODE, FOGTABLEMODE, FOGSTART, FOGEND, FOGDENSITY, RANGEFOGENABLE;
// start, end and density are float bit patterns.
struct LandscapeFogWords
{
    uint32_t words[8] = {};
};

// Fog words from plain values (colour 0xAARRGGBB, modes as D3DFOGMODE).
LandscapeFogWords MakeLandscapeFog(bool enable, uint32_t colour, uint32_t vertexMode, uint32_t tableMode,
                                   float start, float end, float density, bool rangeFog);

struct LandscapeMapDescription
{
    static constexpr int kSide = 1024;
    static constexpr int kSamples = kSide * kSide;
    static constexpr size_t kFileSize = 12583156;

    // kSamples values each, sample (x, z) at z * 1024 + x; a layer left
    // shorter is written with zeros for the samples it lacks.
    std::vector<float> heights;
    std::vector<float> brightness;
    std::vector<float> thirdLayer;
    float shadeLevel = -0.5f;
    float spare[3] = {};
    int32_t baseTextureId = 0;
    int32_t detailTextureId = 0;
    D3DMATERIAL9 material = {};
    D3DLIGHT9 light = {};
    LandscapeFogWords fog;
    int32_t skyTextureId = 0;
    int32_t waterTextureId1 = 0;
    int32_t waterTextureId2 = 0;
    float waterLevel = 0.0f;

    float& Height(int x, int z) { return heights[size_t(z) * kSide + size_t(x)]; }
    float& Brightness(int x, int z) { return brightness[size_t(z) * kSide + size_t(x)]; }
};

// A flat island at height 0: full-size zero layers, a white material, a sun
// shining down and toward +z with white light, linear vertex fog off.
LandscapeMapDescription MakeFlatLandscapeMap();

BinaryWriter BuildLandscapeMap(const LandscapeMapDescription& map);
bool WriteLandscapeMap(const std::string& path, const LandscapeMapDescription& map);
