// Island shapes built from a shore profile (sea floor, beach) and a land form
// that rises behind the beach. Distances are world units; "inland" is the
// distance from the waterline, positive on land.
#include "tools/demo/DemoHeightfields.h"

#include "tools/demo/DemoNoise.h"

#include <algorithm>
#include <cmath>

namespace demo
{
namespace
{
constexpr float kCentre = kIslandSize * 0.5f;
constexpr float kPi = 3.14159265f;

// Sea floor below the waterline, falling to 0; a gentle beach above it.
float ShoreHeight(float inland)
{
    if (inland < 0.0f)
        return std::max(kIslandWaterLevel + inland * 0.07f, 0.0f);
    return kIslandWaterLevel + std::min(inland, 2200.0f) * (kBeachRise / 2200.0f);
}

// How much of the land form stands at this distance inland: none on the beach.
float LandWeight(float inland)
{
    return SmoothStep(1800.0f, 6500.0f, inland);
}

float Gauss(float dx, float dz, float radius)
{
    return std::exp(-(dx * dx + dz * dz) / (radius * radius));
}

// Rocky crests on the higher ground.
float Outcrops(float x, float z, uint32_t seed, float ground)
{
    return 420.0f * RidgedFbm(x / 4200.0f, z / 4200.0f, seed, 4) * SmoothStep(900.0f, 2400.0f, ground);
}

// Distance from the grid's nearest border sample, in units.
float FromBorder(int x, int z)
{
    const int last = kIslandSamples - 1;
    return float(std::min({x, z, last - x, last - z})) * kIslandCellSize;
}

// The sea floor reaches 0 on the grid's border, where the flat floor beyond begins.
template <typename HeightFunction> Heightfield Sample(HeightFunction height)
{
    Heightfield field;
    ForEachRow(
        [&](int z)
        {
            for (int x = 0; x < kIslandSamples; ++x)
            {
                float h = height(float(x) * kIslandCellSize, float(z) * kIslandCellSize);
                if (h < kIslandWaterLevel)
                    h = std::min(h, FromBorder(x, z) * 0.07f);
                field.heights[size_t(z) * kIslandSamples + x] = h;
            }
        });
    return field;
}

float HillHeight(float x, float z, uint32_t seed)
{
    const float dx = x - kCentre, dz = z - kCentre;
    const float coast = 23500.0f + 4200.0f * Fbm(x / 15000.0f, z / 15000.0f, seed, 3);
    const float inland = coast - std::hypot(dx, dz);
    if (inland < 1800.0f)
        return ShoreHeight(inland);
    const float dome = 1200.0f * SmoothStep(0.0f, coast, inland);
    const float peaks = 2300.0f * Gauss(dx + 4500.0f, dz + 2500.0f, 5500.0f) +
                        1500.0f * Gauss(dx - 7500.0f, dz - 5500.0f, 4000.0f) +
                        1000.0f * Gauss(dx - 3000.0f, dz + 11000.0f, 3200.0f);
    // Rolling hills with a few sharper ridges between the peaks.
    const float hills = 1100.0f * (0.5f + 0.5f * Fbm(x / 8000.0f, z / 8000.0f, seed + 1, 4));
    const float ridges =
        700.0f * RidgedFbm(x / 11000.0f, z / 11000.0f, seed + 4, 3) * SmoothStep(3000.0f, 10000.0f, inland);
    const float ground = dome + peaks + hills + ridges;
    return ShoreHeight(inland) + LandWeight(inland) * (ground + Outcrops(x, z, seed + 2, ground));
}

float LagoonHeight(float x, float z, uint32_t seed)
{
    const float dx = x - kCentre, dz = z - kCentre;
    const float r = std::hypot(dx, dz);
    const float outer = 27500.0f + 2600.0f * Fbm(x / 13000.0f, z / 13000.0f, seed, 3);
    const float inner = 11500.0f + 2200.0f * Fbm(x / 9000.0f, z / 9000.0f, seed + 7, 3);
    const float fromLagoon = r - inner;
    if (fromLagoon < 0.0f)
    {
        // Falling away from the shore as the sea floor does, levelling out in the middle.
        const float t = std::min(-fromLagoon / 5000.0f, 1.0f);
        return kIslandWaterLevel - 175.0f * t * (2.0f - t);
    }
    const float inland = std::min(outer - r, fromLagoon);
    if (inland < 1800.0f)
        return ShoreHeight(inland);
    // The crest follows the ring; its height wanders round it, standing up in
    // a few hills and dropping to a low pass on one side.
    const float wander = 0.1f * Fbm(x / 7000.0f, z / 7000.0f, seed + 8, 2);
    const float across = std::clamp(fromLagoon / (outer - inner) + wander, 0.0f, 1.0f);
    const float angle = std::atan2(dz, dx);
    const float along = Fbm(std::cos(angle) * 4.0f + 10.0f, std::sin(angle) * 4.0f + 10.0f, seed + 3, 3);
    const float toPass = std::remainder(angle - 0.9f, 2.0f * kPi);
    const float pass = 1.0f - 0.85f * std::exp(-toPass * toPass / 0.12f);
    const float bell = 0.5f - 0.5f * std::cos(2.0f * kPi * across);
    const float crest = (1900.0f + 1900.0f * along) * pass * bell;
    const float hills = 350.0f * (0.5f + 0.5f * Fbm(x / 5000.0f, z / 5000.0f, seed + 1, 4));
    const float ground = crest + hills;
    return ShoreHeight(inland) + LandWeight(inland) * (ground + Outcrops(x, z, seed + 2, ground));
}

// Stepped walls: the canyon side climbs in a few sloping ledges.
float Ledges(float t, int steps)
{
    const float scaled = t * float(steps);
    const float step = std::min(std::floor(scaled), float(steps - 1));
    const float stepped = (step + SmoothStep(0.15f, 0.85f, scaled - step)) / float(steps);
    return 0.5f * (t + stepped);
}

float CanyonHeight(float x, float z, uint32_t seed)
{
    const float dx = (x - kCentre) / 28500.0f, dz = (z - kCentre) / 14500.0f;
    const float reach = 1.0f + 0.1f * Fbm(x / 12000.0f, z / 12000.0f, seed, 3);
    const float inland = (reach - std::hypot(dx, dz)) * 14500.0f;
    if (inland < 1800.0f)
        return ShoreHeight(inland);
    const float plateau = 2000.0f + 350.0f * Fbm(x / 9000.0f, z / 9000.0f, seed + 2, 4);
    // A dry river bed, sandy where it lies low.
    const float floorHeight = 60.0f * (1.0f + Fbm(x / 4000.0f, z / 4000.0f, seed + 5, 3));
    const float halfFloor = 1700.0f + 500.0f * Fbm(x / 6000.0f, 0.5f, seed + 4, 2);
    const float wall = 1300.0f + 400.0f * Fbm(x / 3000.0f, z / 3000.0f, seed + 6, 2);
    const float fromMiddle = std::fabs(z - CanyonCentreZ(x));
    const float rise = Ledges(SmoothStep(halfFloor, halfFloor + wall, fromMiddle), 3);
    const float ground = floorHeight + (plateau - floorHeight) * rise;
    // The mesa meets the beach in steep ledges too.
    return ShoreHeight(inland) + Ledges(SmoothStep(1800.0f, 5000.0f, inland), 2) * ground;
}
} // namespace

float Heightfield::At(int x, int z) const
{
    if (x < 0 || z < 0 || x >= kIslandSamples || z >= kIslandSamples)
        return 0.0f;
    return heights[size_t(z) * kIslandSamples + x];
}

float Heightfield::Slope(int x, int z) const
{
    const float gx = (At(x + 1, z) - At(x - 1, z)) / (2.0f * kIslandCellSize);
    const float gz = (At(x, z + 1) - At(x, z - 1)) / (2.0f * kIslandCellSize);
    return std::hypot(gx, gz);
}

float Heightfield::HeightAt(float x, float z) const
{
    const float fx = std::floor(x / kIslandCellSize), fz = std::floor(z / kIslandCellSize);
    const int ix = int(fx), iz = int(fz);
    const float u = x / kIslandCellSize - fx, v = z / kIslandCellSize - fz;
    return (1.0f - v) * ((1.0f - u) * At(ix, iz) + u * At(ix + 1, iz)) +
           v * ((1.0f - u) * At(ix, iz + 1) + u * At(ix + 1, iz + 1));
}

Heightfield HillIsland(uint32_t seed)
{
    return Sample([seed](float x, float z) { return HillHeight(x, z, seed); });
}

Heightfield LagoonIsland(uint32_t seed)
{
    return Sample([seed](float x, float z) { return LagoonHeight(x, z, seed); });
}

Heightfield CanyonIsland(uint32_t seed)
{
    return Sample([seed](float x, float z) { return CanyonHeight(x, z, seed); });
}

float CanyonCentreZ(float x)
{
    return kCentre + 3000.0f * std::sin(x * (2.0f * kPi / 38000.0f) + 0.7f) +
           1100.0f * std::sin(x * (2.0f * kPi / 13000.0f) + 2.1f);
}
} // namespace demo
