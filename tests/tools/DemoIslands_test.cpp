// The demo islands' generators: the shapes each island promises (a beach at the
// water, a lagoon below it, a canyon below its walls), the sun's shadows and
// shading, the ground colours by height and slope, the sky atlas against the
// sky dome's texture coordinates, and pictures that tile.
#include "tools/demo/DemoIslandPictures.h"
#include "tools/demo/DemoIslands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace demo;

namespace
{
constexpr float kMiddle = kIslandSize * 0.5f;

// Heights along a ray from the island's middle, one sample apart.
std::vector<float> Ray(const Heightfield& field, float angle)
{
    std::vector<float> heights;
    for (float r = 0.0f; r < kMiddle; r += kIslandCellSize)
        heights.push_back(field.HeightAt(kMiddle + r * std::cos(angle), kMiddle + r * std::sin(angle)));
    return heights;
}

const Heightfield& Hills()
{
    static const Heightfield field = HillIsland(11);
    return field;
}

const Heightfield& Lagoon()
{
    static const Heightfield field = LagoonIsland(22);
    return field;
}

const Heightfield& Canyon()
{
    static const Heightfield field = CanyonIsland(33);
    return field;
}

float Channel(uint32_t argb, int shift)
{
    return float((argb >> shift) & 0xFF) / 255.0f;
}

// A flat field at `height` with a square block of `blockHeight` around sample (cx, cz).
Heightfield Block(float height, int cx, int cz, int half, float blockHeight)
{
    Heightfield field;
    for (int z = 0; z < kIslandSamples; ++z)
        for (int x = 0; x < kIslandSamples; ++x)
        {
            const bool inside = std::abs(x - cx) <= half && std::abs(z - cz) <= half;
            field.heights[size_t(z) * kIslandSamples + x] = inside ? blockHeight : height;
        }
    return field;
}
} // namespace

TEST(DemoIslands, EveryIslandIsRingedBySeaThatFallsToTheSeaFloorAtTheBorder)
{
    for (const Heightfield* field : {&Hills(), &Lagoon(), &Canyon()})
    {
        float highest = 0.0f;
        for (float h : field->heights)
        {
            ASSERT_TRUE(std::isfinite(h));
            ASSERT_GE(h, 0.0f);
            highest = std::max(highest, h);
        }
        EXPECT_GT(highest, 2000.0f);
        EXPECT_LT(highest, 6000.0f);
        for (int i = 0; i < kIslandSamples; ++i)
            for (float border : {field->At(i, 0), field->At(i, kIslandSamples - 1), field->At(0, i),
                                 field->At(kIslandSamples - 1, i)})
                ASSERT_EQ(border, 0.0f) << "the border meets the flat sea floor beyond the grid";
    }
}

// Walking out from the middle, the land comes down to the water in a gentle
// beach: the last 1000 units before the waterline rise at most the beach's height.
TEST(DemoIslands, TheHillIslandComesDownToTheWaterInABeachAllRound)
{
    for (int step = 0; step < 16; ++step)
    {
        const std::vector<float> ray = Ray(Hills(), float(step) * 0.3927f);
        SCOPED_TRACE(step);
        ASSERT_GT(ray.front(), 1000.0f) << "hills in the middle";
        size_t shore = 0;
        while (shore < ray.size() && ray[shore] >= kIslandWaterLevel)
            ++shore;
        ASSERT_LT(shore, ray.size());
        ASSERT_GT(shore, 16u);
        EXPECT_NEAR(ray[shore], kIslandWaterLevel, 10.0f) << "the beach meets the water";
        EXPECT_LE(ray[shore - 16], kIslandWaterLevel + kBeachRise + 1.0f) << "a wide, low beach";
    }
}

TEST(DemoIslands, TheLagoonLiesBelowTheWaterInsideARingOfHillsAboveIt)
{
    EXPECT_LT(Lagoon().HeightAt(kMiddle, kMiddle), kIslandWaterLevel - 100.0f);
    for (int step = 0; step < 32; ++step)
    {
        const std::vector<float> ray = Ray(Lagoon(), float(step) * 0.19635f);
        SCOPED_TRACE(step);
        EXPECT_LT(ray[50], kIslandWaterLevel) << "lagoon water 3200 units out";
        const float crest = *std::max_element(ray.begin(), ray.end());
        EXPECT_GT(crest, kIslandWaterLevel + 300.0f) << "the ring is closed";
        EXPECT_LT(ray.back(), kIslandWaterLevel) << "sea outside";
    }
}

TEST(DemoIslands, TheCanyonFloorLiesFarBelowItsWalls)
{
    for (float x = 22000.0f; x <= 44000.0f; x += 2000.0f)
    {
        SCOPED_TRACE(x);
        const float middle = CanyonCentreZ(x);
        const float floor = Canyon().HeightAt(x, middle);
        EXPECT_GT(floor, kIslandWaterLevel) << "a dry floor";
        EXPECT_GT(Canyon().HeightAt(x, middle - 5000.0f), floor + 1000.0f);
        EXPECT_GT(Canyon().HeightAt(x, middle + 5000.0f), floor + 1000.0f);
    }
}

TEST(DemoIslands, TheSunPointsDownAlongItsGridStep)
{
    const Sun sun{-1, 1, 30.0f};
    const D3DVECTOR d = sun.Direction();
    EXPECT_NEAR(d.x * d.x + d.y * d.y + d.z * d.z, 1.0f, 1e-5f);
    EXPECT_NEAR(d.y, -0.5f, 1e-5f);
    EXPECT_LT(d.x, 0.0f);
    EXPECT_NEAR(d.x, -d.z, 1e-6f);
}

// A 640-unit block under a 45-degree sun travelling +x throws a shadow 640
// units long on the ground behind it, none in front.
TEST(DemoIslands, ABlockCastsAShadowAsLongAsItIsHighDownSun)
{
    const Heightfield field = Block(100.0f, 500, 500, 2, 740.0f);
    const std::vector<float> shadows = CastShadows(field, Sun{1, 0, 45.0f});
    auto at = [&](int x, int z) { return shadows[size_t(z) * kIslandSamples + x]; };
    EXPECT_EQ(at(497, 500), 0.0f) << "sun side";
    EXPECT_EQ(at(502, 500), 0.0f) << "the block's top";
    EXPECT_EQ(at(503, 500), 1.0f);
    EXPECT_EQ(at(510, 500), 1.0f);
    EXPECT_EQ(at(513, 500), 0.0f) << "past 640 units";
    EXPECT_EQ(at(505, 504), 0.0f) << "beside the shadow";

    const std::vector<float> brightness = BrightnessLayer(shadows, 0.3f, -0.5f);
    EXPECT_FLOAT_EQ(brightness[size_t(500) * kIslandSamples + 497], 0.3f);
    EXPECT_FLOAT_EQ(brightness[size_t(500) * kIslandSamples + 505], -0.5f);
}

TEST(DemoIslands, ShadingIsBrighterOnTheSunSideOfAHill)
{
    const Sun sun{1, 1, 40.0f}; // light travelling +x +z: the sun stands at -x -z
    const Heightfield& field = Hills();
    const std::vector<float> shading = SunShading(field, sun, CastShadows(field, sun), 0.6f);
    auto at = [&](int x, int z) { return shading[size_t(z) * kIslandSamples + x]; };
    // The main peak stands at sample (441, 473); compare its two flanks.
    EXPECT_GT(at(441 - 40, 473 - 40), at(441 + 40, 473 + 40) + 0.1f);
    EXPECT_FLOAT_EQ(at(5, 5), 1.0f) << "flat sea floor in the sun";
    for (float s : shading)
        ASSERT_TRUE(s >= 0.6f && s <= 1.0f);
}

// Pure palette colours make each choice visible: sand red, grass green, rock blue.
TEST(DemoIslands, GroundIsSandAtTheShoreRockOnSteepSlopesAndGrassElsewhere)
{
    GroundPalette palette{};
    palette.sand = palette.wetSand = {1.0f, 0.0f, 0.0f};
    palette.seabed = {1.0f, 0.0f, 1.0f};
    palette.grass = palette.lushGrass = palette.dryGrass = {0.0f, 1.0f, 0.0f};
    palette.rock = palette.darkRock = {0.0f, 0.0f, 1.0f};
    Heightfield field;
    for (int z = 0; z < kIslandSamples; ++z)
        for (int x = 0; x < kIslandSamples; ++x)
        {
            float h = kIslandWaterLevel + 60.0f; // beach
            if (x >= 300)
                h = 1000.0f; // meadow
            if (x >= 600)
                h = 1000.0f + float(x - 600) * kIslandCellSize * 1.5f; // cliff
            if (x < 100)
                h = 20.0f; // sea floor
            field.heights[size_t(z) * kIslandSamples + x] = h;
        }
    const ImagePixels picture = BasePicture(field, palette, 7);
    auto dominant = [&](int x)
    {
        const uint32_t c = picture.At(uint32_t(x), 512);
        const float r = Channel(c, 16), g = Channel(c, 8), b = Channel(c, 0);
        return r > 0.8f && b > 0.8f ? 'S' : r > 0.8f ? 's' : g > 0.8f ? 'g' : b > 0.8f ? 'r' : '?';
    };
    EXPECT_EQ(dominant(50), 'S') << "sea floor";
    EXPECT_EQ(dominant(200), 's');
    EXPECT_EQ(dominant(450), 'g');
    EXPECT_EQ(dominant(800), 'r');
}

// Each sky dome vertex above the horizon, at its texture coordinates, must
// show the atlas colour of its own place on the box (half size 1).
TEST(DemoIslands, TheSkyAtlasShowsEachDomeVertexItsOwnDirection)
{
    struct Vertex
    {
        float x, y, z, u, v;
    };
    const Vertex vertices[] = {
        {-1, 1, -1, 0.001f, 0.999f}, {1, 1, -1, 0.001f, 0.499f},  {-1, 1, 1, 0.499f, 0.999f},
        {1, 1, 1, 0.499f, 0.499f},   {1, 1, 1, 0.499f, 0.499f},   {-1, 1, 1, 0.999f, 0.499f},
        {1, 0, 1, 0.499f, 0.255f},   {-1, 0, 1, 0.999f, 0.255f},  {1, 1, 1, 0.499f, 0.499f},
        {1, 1, -1, 0.001f, 0.499f},  {1, 0, -1, 0.001f, 0.255f},  {1, 0, 1, 0.499f, 0.255f},
        {-1, 1, 1, 0.999f, 0.001f},  {-1, 1, -1, 0.499f, 0.001f}, {-1, 0, -1, 0.499f, 0.245f},
        {-1, 0, 1, 0.999f, 0.245f},  {-1, 1, -1, 0.499f, 0.001f}, {1, 1, -1, 0.001f, 0.001f},
        {-1, 0, -1, 0.499f, 0.245f}, {1, 0, -1, 0.001f, 0.245f},
    };
    for (const Vertex& vertex : vertices)
    {
        const D3DVECTOR p = SkyBoxPoint(vertex.u, vertex.v);
        SCOPED_TRACE(testing::Message() << vertex.u << ", " << vertex.v);
        EXPECT_NEAR(p.x, vertex.x, 1e-4f);
        EXPECT_NEAR(p.y, vertex.y, 1e-4f);
        EXPECT_NEAR(p.z, vertex.z, 1e-4f);
    }
}

TEST(DemoIslands, TheSkyIsBluerOverheadAndBrightTowardTheSun)
{
    const SkyLook look{
        {0.2f, 0.4f, 0.8f}, {0.7f, 0.8f, 0.9f}, {1.0f, 0.9f, 0.7f}, {1, 1, 1}, {0.6f, 0.6f, 0.7f}, 0.0f, 5};
    const D3DVECTOR toSun{0.0f, 0.6f, 0.8f};
    const Rgb up = SkyColour(look, {0.0f, 1.0f, 0.0f}, {0.0f, -1.0f, 0.0f});
    const Rgb horizon = SkyColour(look, {-1.0f, 0.0f, 0.0f}, toSun);
    const Rgb sun = SkyColour(look, toSun, toSun);
    EXPECT_GT(up.b - up.r, horizon.b - horizon.r);
    EXPECT_GT(sun.r + sun.g + sun.b, 2.9f);
}

// Pictures that repeat across the ground or the water must not show a seam:
// the step from the last column or row back to the first is no bigger than
// the largest step inside.
TEST(DemoIslands, RepeatedPicturesTileWithoutASeam)
{
    const ImagePixels pictures[] = {DetailPicture(256, 0.13f, 3), WaterPicture({0.3f, 0.4f, 0.5f}, 4),
                                    RipplePicture(5)};
    for (const ImagePixels& picture : pictures)
    {
        const uint32_t w = picture.width, h = picture.height;
        auto step = [&](uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1)
        {
            float largest = 0.0f;
            for (int shift : {0, 8, 16})
                largest = std::max(largest, std::fabs(Channel(picture.At(x0, y0), shift) -
                                                      Channel(picture.At(x1, y1), shift)));
            return largest;
        };
        float inside = 0.0f, seam = 0.0f;
        for (uint32_t i = 0; i < w; ++i)
            for (uint32_t j = 0; j + 1 < h; ++j)
                inside = std::max({inside, step(i, j, i, j + 1), step(j, i, j + 1, i)});
        for (uint32_t i = 0; i < w; ++i)
            seam = std::max({seam, step(i, h - 1, i, 0), step(w - 1, i, 0, i)});
        EXPECT_LE(seam, inside + 1.0f / 255.0f);
    }
}

TEST(DemoIslands, EachIslandHasItsOwnPicturesAndASunThatShinesDown)
{
    std::vector<int32_t> seen;
    for (int number = 1; number <= kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        const DemoIsland island = BuildDemoIsland(number);
        const LandscapeMapDescription& map = island.map;
        EXPECT_EQ(map.light.Type, D3DLIGHT_DIRECTIONAL);
        EXPECT_LT(map.light.Direction.y, -0.3f);
        EXPECT_EQ(map.heights.size(), size_t(LandscapeMapDescription::kSamples));
        EXPECT_EQ(map.brightness.size(), map.heights.size());
        EXPECT_EQ(island.shading.width, uint32_t(kIslandSamples));
        EXPECT_EQ(island.basePicture.width, uint32_t(kIslandSamples));
        EXPECT_EQ(map.waterLevel, kIslandWaterLevel);
        EXPECT_EQ(map.fog.words[0], 1u);
        EXPECT_EQ(map.fog.words[3], uint32_t(D3DFOG_LINEAR));
        for (int32_t id : IslandTextureIds(island))
        {
            EXPECT_GE(id, 3000);
            EXPECT_LT(id, 3500);
        }
        for (const TextureContainerRecord& record : IslandTextures(island))
        {
            EXPECT_EQ(std::count(seen.begin(), seen.end(), record.compileId), 0);
            seen.push_back(record.compileId);
        }
    }
}
