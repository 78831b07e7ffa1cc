// The demo islands' height fields: a hill island with a beach all round, a ring
// of hills round a lagoon, and a long mesa cut by a canyon. Each is a grid of
// 1024 x 1024 heights 64 units apart, row by row in z, x fastest, the way the
// landscape keeps it; the sea floor falls to 0 towards the grid's border so the
// island meets the flat sea floor the landscape draws beyond it.
#pragma once

#include "world/ParallelRows.h"

#include <cstdint>
#include <vector>

namespace demo
{
constexpr int kIslandSamples = 1024;
constexpr float kIslandCellSize = 64.0f;
constexpr float kIslandSize = kIslandSamples * kIslandCellSize;
// The water's own starting level, kept by every demo island so the sea sits
// where the water is before a map sets it.
constexpr float kIslandWaterLevel = 200.0f;
// Sand runs from the waterline up to about this height above the water.
constexpr float kBeachRise = 120.0f;

struct Heightfield
{
    std::vector<float> heights = std::vector<float>(size_t(kIslandSamples) * kIslandSamples, 0.0f);

    // 0 outside the grid, as the landscape answers there.
    float At(int x, int z) const;
    // Rise per unit of ground distance, from the neighbouring samples.
    float Slope(int x, int z) const;
    // The grid's bilinear height at world (x, z).
    float HeightAt(float x, float z) const;
};

Heightfield HillIsland(uint32_t seed);
Heightfield LagoonIsland(uint32_t seed);
Heightfield CanyonIsland(uint32_t seed);

// The canyon's middle line: its z at world x.
float CanyonCentreZ(float x);

// Runs rowJob(z) for every row z below `rows` (the grid's by default), spread
// over a few threads. Rows must not depend on each other, which keeps the
// result the same on every run.
template <typename RowJob> void ForEachRow(RowJob rowJob, int rows = kIslandSamples)
{
    ForEachRowInParallel(rows, rowJob);
}
} // namespace demo
