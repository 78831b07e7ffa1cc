// Shorelines round the demo islands.
#include "tools/demo/DemoShoreLines.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoSmallFurniturePictures.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr int kRays = 720;
constexpr float kCentre = 32768.0f;
constexpr float kSurfWidth = 160.0f;
// Quads are listed in each cell within this distance: what the camera sees.
constexpr float kVisibleReach = 6000.0f;

struct ShorePoint
{
    float x, z;
    bool found;
};

// Along the ray at angle a from radius r0 towards r1, the first place the
// ground crosses the water level going from land to sea.
ShorePoint Crossing(const Heightfield& field, float a, float r0, float r1)
{
    const float step = r1 > r0 ? 32.0f : -32.0f;
    float previous = field.HeightAt(kCentre + std::cos(a) * r0, kCentre + std::sin(a) * r0);
    for (float r = r0 + step; step > 0 ? r <= r1 : r >= r1; r += step)
    {
        const float x = kCentre + std::cos(a) * r, z = kCentre + std::sin(a) * r;
        const float h = field.HeightAt(x, z);
        if (previous >= kIslandWaterLevel && h < kIslandWaterLevel)
            return {x, z, true};
        previous = h;
    }
    return {0.0f, 0.0f, false};
}

// A ring of shore points joined into quads; outward along the ray (sign 1) or back (-1).
void AddRing(std::vector<std::array<ShoreVertexRecord, 4>>& quads, const std::vector<ShorePoint>& ring,
             float sign)
{
    for (int i = 0; i < kRays; ++i)
    {
        const ShorePoint &a = ring[size_t(i)], &b = ring[size_t((i + 1) % kRays)];
        if (!a.found || !b.found || std::hypot(b.x - a.x, b.z - a.z) > 800.0f)
            continue;
        const float angleA = 2.0f * float(M_PI) * float(i) / kRays,
                    angleB = angleA + 2.0f * float(M_PI) / kRays;
        quads.push_back(MakeShoreQuad(
            a.x, a.z, b.x, b.z, kIslandWaterLevel + 1.5f, sign * std::cos(angleA) * kSurfWidth,
            sign * std::sin(angleA) * kSurfWidth, sign * std::cos(angleB) * kSurfWidth,
            sign * std::sin(angleB) * kSurfWidth, float(i % 8) * 0.5f, float(i % 8 + 1) * 0.5f));
    }
}
} // namespace

ShoreLinesFile DemoShoreLines(int number)
{
    const Heightfield field = DemoIslandHeightfield(number);
    std::vector<ShorePoint> outer, inner;
    for (int i = 0; i < kRays; ++i)
    {
        const float a = 2.0f * float(M_PI) * float(i) / kRays;
        outer.push_back(Crossing(field, a, 0.0f, 32000.0f));
        // The lagoon's inner shore: from the rim's highest ground in towards the middle.
        inner.push_back(number == 2 ? Crossing(field, a, 16000.0f, 0.0f) : ShorePoint{0, 0, false});
    }
    std::vector<std::array<ShoreVertexRecord, 4>> quads;
    AddRing(quads, outer, 1.0f);
    AddRing(quads, inner, -1.0f);
    ShoreLinesFile file;
    file.textureId = uint32_t(kSurfPictureId);
    PlaceShoreQuads(file, quads, kVisibleReach);
    return file;
}

bool WriteDemoShoreLines(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        ok = ok &&
             WriteShoreLinesFile(dataDir + "Map" + std::to_string(number) + ".ssh", DemoShoreLines(number));
    return ok;
}
} // namespace demo
