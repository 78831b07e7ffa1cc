// Plants and stones scattered by a hash of their grid place, so every run
// writes the same islands.
#include "tools/demo/DemoVegetation.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoSmallFurniturePictures.h"
#include "tools/demo/DemoWaypoints.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr float kPlantSpacing = 130.0f;
constexpr float kStoneSpacing = 420.0f;
constexpr float kRoadClearance = 320.0f;
constexpr int kMaskSide = 256; // 256-unit squares

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    return x ^ (x >> 16);
}

float Unit(uint32_t h)
{
    return float(h & 0xFFFF) / 65535.0f;
}

// Squares of the island within reach of the road.
std::vector<bool> RoadMask(int number)
{
    std::vector<bool> mask(size_t(kMaskSide) * kMaskSide, false);
    for (const TrackPoint& p : DemoTrackLine(number, 100.0f))
        for (int dz = -2; dz <= 2; ++dz)
            for (int dx = -2; dx <= 2; ++dx)
            {
                const int mx = int(p.x / 256.0f) + dx, mz = int(p.z / 256.0f) + dz;
                if (mx < 0 || mz < 0 || mx >= kMaskSide || mz >= kMaskSide)
                    continue;
                const float cx = float(mx) * 256.0f + 128.0f, cz = float(mz) * 256.0f + 128.0f;
                if (std::hypot(cx - p.x, cz - p.z) < kRoadClearance + 181.0f)
                    mask[size_t(mz) * kMaskSide + size_t(mx)] = true;
            }
    return mask;
}

// Green ground: above the beach, gentle, off the road.
bool Growable(const Heightfield& field, const std::vector<bool>& road, float x, float z)
{
    const float h = field.HeightAt(x, z);
    if (h < kIslandWaterLevel + kBeachRise * 0.6f)
        return false;
    if (field.Slope(int(x / kIslandCellSize), int(z / kIslandCellSize)) > 0.45f)
        return false;
    return !road[size_t(int(z / 256.0f)) * kMaskSide + size_t(int(x / 256.0f))];
}

VegetationLayerRecord Plants(int number, const Heightfield& field, const std::vector<bool>& road)
{
    VegetationLayerRecord layer;
    layer.name = "Grass and flowers";
    layer.textureId = uint32_t(kPlantsPictureId);
    layer.kind = 0;
    layer.blend = 0;
    layer.endDistance = 2600.0f;
    layer.fadeLength = 900.0f;
    layer.alphaRef = 110.0f;
    const int side = int(kIslandSize / kPlantSpacing);
    for (int gz = 0; gz < side; ++gz)
        for (int gx = 0; gx < side; ++gx)
        {
            const uint32_t h = Hash(uint32_t(gx) * 73856093u ^ uint32_t(gz) * 19349663u ^ uint32_t(number));
            if (Unit(h) > 0.55f)
                continue;
            const float x = (float(gx) + Unit(h >> 8)) * kPlantSpacing;
            const float z = (float(gz) + Unit(Hash(h))) * kPlantSpacing;
            if (!Growable(field, road, x, z))
                continue;
            const bool flower = Unit(Hash(h + 7u)) < 0.12f;
            const float size = 0.8f + 0.5f * Unit(Hash(h + 3u));
            const uint32_t tint = flower ? 0xFFFFFFFF
                                         : 0xFF000000 | uint32_t(200 + int(55 * Unit(h >> 4))) << 16 |
                                               uint32_t(220 + int(35 * Unit(h >> 6))) << 8 | 0xC0;
            AddPlantBillboard(layer, x, field.HeightAt(x, z) - 2.0f, z, 30.0f * size, 50.0f * size, tint,
                              flower ? 0.5f : 0.0f, flower ? 1.0f : 0.5f);
        }
    return layer;
}

// A stone: a squat five-sided pyramid, grey with a lighter top.
std::vector<FadingMeshVertexRecord> Stone(float x, float y, float z, float size, float turn)
{
    std::vector<FadingMeshVertexRecord> v;
    for (int i = 0; i < 5; ++i)
    {
        const float a = turn + float(i) * 1.2566f;
        v.push_back(
            {x + std::cos(a) * size, y - 4.0f, z + std::sin(a) * size, 0xFF6E6A64, float(i) * 0.25f, 1.0f});
    }
    v.push_back({x, y + size * 0.7f, z, 0xFFB4AEA4, 0.5f, 0.0f});
    return v;
}

VegetationLayerRecord Stones(int number, const Heightfield& field, const std::vector<bool>& road)
{
    VegetationLayerRecord layer;
    layer.name = "Stones";
    layer.textureId = uint32_t(kSpeckledPictureId);
    layer.kind = 1;
    layer.blend = 0;
    layer.endDistance = 2200.0f;
    layer.fadeLength = 800.0f;
    layer.alphaRef = 20.0f;
    layer.verticesPerInstance = 6;
    // Sides clockwise from outside (the effect draws both faces anyway).
    for (uint16_t i = 0; i < 5; ++i)
        layer.instanceIndices.insert(layer.instanceIndices.end(), {i, uint16_t(5), uint16_t((i + 1) % 5)});
    const int side = int(kIslandSize / kStoneSpacing);
    for (int gz = 0; gz < side; ++gz)
        for (int gx = 0; gx < side; ++gx)
        {
            const uint32_t h =
                Hash(uint32_t(gx) * 83492791u ^ uint32_t(gz) * 2654435761u ^ uint32_t(number * 31));
            if (Unit(h) > 0.3f)
                continue;
            const float x = (float(gx) + Unit(h >> 8)) * kStoneSpacing;
            const float z = (float(gz) + Unit(Hash(h))) * kStoneSpacing;
            if (field.HeightAt(x, z) < kIslandWaterLevel + 10.0f || Growable(field, road, x, z) == false)
                continue;
            AddMeshInstance(
                layer, Stone(x, field.HeightAt(x, z), z, 10.0f + 14.0f * Unit(h >> 3), Unit(h >> 5) * 6.3f));
        }
    return layer;
}
} // namespace

std::vector<VegetationLayerRecord> DemoVegetation(int number)
{
    const Heightfield field = DemoIslandHeightfield(number);
    const std::vector<bool> road = RoadMask(number);
    return {Plants(number, field, road), Stones(number, field, road)};
}

bool WriteDemoVegetation(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        ok = ok && WriteFadingVegetationFile(dataDir + "Map" + std::to_string(number) + ".fvf",
                                             DemoVegetation(number));
    return ok;
}
} // namespace demo
