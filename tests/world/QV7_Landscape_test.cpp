// The landscape's queries, derived normals and shared strip, on grids set
// directly (no file): heights, normals and lighting normals at samples,
// midpoints, the last row and column and outside; the strip's coverage and
// winding.
#include "LandscapeTestSupport.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_ShadowMap.h"
#include "world/LandscapeHelpers.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>

namespace
{
class LandscapeQueryTest : public landscapetest::LandscapeFixture
{
  protected:
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        g_landscape->Create();
    }
    // Heights on multiples of 1/16, so bilinear sums at quarter positions are exact.
    static float Ramp(int x, int z) { return float(x % 64) * 0.5f + float(z % 32) * 0.25f; }
    void FillRamp()
    {
        for (int z = 0; z < 1024; ++z)
            for (int x = 0; x < 1024; ++x)
                g_landscape->Height(x, z) = Ramp(x, z);
        g_landscape->ComputeCellNormals();
    }
};

TEST_F(LandscapeQueryTest, HeightIsBilinearInsideAndZeroOutside)
{
    FillRamp();
    const QV7_Landscape& land = *g_landscape;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        float x, z, height;
    };
    const Case cases[] = {
        {0.0f, 0.0f, Ramp(0, 0)},
        {64.0f * 5, 64.0f * 9, Ramp(5, 9)},
        {64.0f * 5 + 32, 64.0f * 9, (Ramp(5, 9) + Ramp(6, 9)) / 2},
        {64.0f * 5, 64.0f * 9 + 32, (Ramp(5, 9) + Ramp(5, 10)) / 2},
        {64.0f * 5 + 16, 64.0f * 9 + 48,
         0.25f * (0.75f * Ramp(5, 9) + 0.25f * Ramp(6, 9)) +
             0.75f * (0.75f * Ramp(5, 10) + 0.25f * Ramp(6, 10))},
        {64.0f * 1022 + 32, 64.0f * 1022, (Ramp(1022, 1022) + Ramp(1023, 1022)) / 2},
        // The last row and column have no cell of their own to interpolate in.
        {64.0f * 1023, 64.0f * 10, 0.0f},
        {64.0f * 10, 64.0f * 1023 + 5, 0.0f},
        {-0.01f, 64.0f, 0.0f},
        {64.0f, -64.0f, 0.0f},
        {nan, 64.0f, 0.0f},
        {64.0f, inf, 0.0f},
        {-inf, 64.0f, 0.0f},
        {3.0e38f, 64.0f, 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(land.GetHeight(c.x, c.z), c.height) << c.x << ", " << c.z;
    g_landscape->Unload();
    EXPECT_EQ(land.GetHeight(64.0f * 5, 64.0f * 9), 0.0f) << "no map: no ground";
}

TEST_F(LandscapeQueryTest, NormalIsTheCellsOwnUpToTheGridsEdge)
{
    QV7_Landscape& land = *g_landscape;
    // A step up toward +x at column 10 over the first 1000 rows, and a lone
    // raised sample in the last column whose missing right neighbour counts
    // as height 0.
    for (int z = 0; z < 1000; ++z)
        for (int x = 11; x < 1023; ++x)
            land.Height(x, z) = 64.0f;
    land.Height(1023, 500) = 64.0f;
    land.ComputeCellNormals();
    const float r = std::sqrt(0.5f), third = std::sqrt(1.0f / 3.0f);
    auto expectNormal = [&](float x, float z, D3DXVECTOR3 expected)
    {
        const D3DXVECTOR3 n = land.GetNormal(x, z);
        EXPECT_NEAR(n.x, expected.x, 1e-6f) << x << ", " << z;
        EXPECT_NEAR(n.y, expected.y, 1e-6f) << x << ", " << z;
        EXPECT_NEAR(n.z, expected.z, 1e-6f) << x << ", " << z;
    };
    expectNormal(64.0f * 10 + 1, 64.0f * 3, {-r, r, 0.0f});     // rising toward +x
    expectNormal(64.0f * 10 + 63.9f, 64.0f * 3, {-r, r, 0.0f}); // no interpolation inside a cell
    expectNormal(64.0f * 12, 64.0f * 3, {0.0f, 1.0f, 0.0f});
    expectNormal(64.0f * 1022, 64.0f * 3, {r, r, 0.0f});             // falling to the zero column
    expectNormal(65472.0f, 64.0f * 500 + 10, {third, third, third}); // last column, outside = 0
    expectNormal(65535.9f, 64.0f * 400, {0.0f, 1.0f, 0.0f});
    expectNormal(65536.0f, 64.0f * 500, {0.0f, 1.0f, 0.0f}); // outside
    expectNormal(-0.5f, 64.0f, {0.0f, 1.0f, 0.0f});
    expectNormal(std::numeric_limits<float>::quiet_NaN(), 64.0f, {0.0f, 1.0f, 0.0f});
    // The cell normals of the last row look at a zero row beyond it.
    land.Height(5, 1023) = land.Height(6, 1023) = 64.0f;
    land.ComputeCellNormals();
    expectNormal(64.0f * 5, 65500.0f, {0.0f, r, r});
    expectNormal(64.0f * 4, 65535.9f, {-r, r, 0.0f});
}

TEST_F(LandscapeQueryTest, TheLoadsOnePassGivesTheSameNormalsAsTheGeneralProduct)
{
    // Rough ground with a brightness layer and a slanted sun: the one pass the
    // map load makes, spread over threads, must give every normal bit for bit
    // as the general triangle normal and the per-sample adjustment do.
    QV7_Landscape& land = *g_landscape;
    uint32_t state = 12345u;
    auto next = [&state]
    {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1u << 24);
    };
    for (int z = 0; z < 1024; ++z)
        for (int x = 0; x < 1024; ++x)
        {
            land.Height(x, z) = 3000.0f * next() - 200.0f;
            land.m_Brightness[size_t(z) * 1024 + size_t(x)] = 0.6f * next() - 0.3f;
        }
    land.m_Light.Direction = {0.4f, -0.8f, 0.3f};
    land.m_ShadeLevel = -0.4f;
    land.ComputeNormals();
    int wrong = 0;
    for (int z = 0; z < 1024; z += 7)
        for (int x = 0; x < 1024; x += 3)
        {
            const float right = x + 1 < 1024 ? land.Height(x + 1, z) : 0.0f;
            const float below = z + 1 < 1024 ? land.Height(x, z + 1) : 0.0f;
            const D3DXVECTOR3 a(64.0f * float(x), land.Height(x, z), 64.0f * float(z));
            D3DXVECTOR3 b(a.x + 64.0f, right, a.z), c(a.x, below, a.z + 64.0f), cell;
            ComputeTriangleNormal(a, b, c, cell);
            D3DXVECTOR3 lit = cell;
            land.AdjustLightingNormal(x, z, lit);
            const size_t i = size_t(z) * 1024 + size_t(x);
            wrong += std::memcmp(&cell, &land.m_CellNormals[i], sizeof cell) != 0 ||
                     std::memcmp(&lit, &land.m_LightingNormals[i], sizeof lit) != 0;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(LandscapeQueryTest, LightingNormalLengthFollowsShadeAndBrightness)
{
    QV7_Landscape& land = *g_landscape;
    land.m_Light.Direction = {0.0f, -1.0f, 0.0f};
    struct Case
    {
        const char* name;
        float shade, brightness;
        D3DXVECTOR3 normal, expected;
    };
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f), tilted(0.6f, 0.8f, 0.0f);
    const Case cases[] = {
        {"neither test", -0.5f, 0.2f, up, up},
        {"shade above one: vertical, shade long", 0.5f, 0.2f, up, {0.0f, 1.5f, 0.0f}},
        {"brightness below zero wins over shade", 0.5f, -0.5f, up, {0.0f, 0.5f, 0.0f}},
        {"brightness alone", -0.5f, -0.5f, up, {0.0f, 0.5f, 0.0f}},
        // d = -0.8: e = -0.6 is not below it, r = -0.9 is not above it.
        {"a slope in the light keeps its normal", -0.4f, -0.1f, tilted, tilted},
        // d = -0.8: r = -0.7 lies above it; the slope becomes flat and dimmer.
        {"a slope dimmed by its brightness", -0.4f, -0.3f, tilted, {0.0f, 0.7f, 0.0f}},
    };
    for (const Case& c : cases)
    {
        land.m_ShadeLevel = c.shade;
        land.m_Brightness[size_t(3 * 1024 + 2)] = c.brightness;
        D3DXVECTOR3 n = c.normal;
        land.AdjustLightingNormal(2, 3, n);
        EXPECT_NEAR(n.x, c.expected.x, 1e-6f) << c.name;
        EXPECT_NEAR(n.y, c.expected.y, 1e-6f) << c.name;
        EXPECT_NEAR(n.z, c.expected.z, 1e-6f) << c.name;
    }
    // Outside the grid the brightness is 0: length 1 at most from it.
    land.m_ShadeLevel = -0.5f;
    D3DXVECTOR3 n = up;
    land.AdjustLightingNormal(-1, 3, n);
    EXPECT_EQ(n.y, 1.0f);
    // The load applies it to every sample.
    land.m_Brightness.assign(land.m_Brightness.size(), -0.25f);
    land.ComputeLightingNormals();
    EXPECT_NEAR(land.m_LightingNormals[777].y, 0.75f, 1e-6f);
}

TEST_F(LandscapeQueryTest, EngineMadeLandscapeStartsFromTheCachesFogAndLightsTheShadowMap)
{
    EXPECT_TRUE(enginetest::Logged("INFO: Loading Landscape environment."));
    const D3DRENDERSTATETYPE states[8] = {D3DRS_FOGENABLE,    D3DRS_FOGCOLOR,      D3DRS_FOGVERTEXMODE,
                                          D3DRS_FOGTABLEMODE, D3DRS_FOGSTART,      D3DRS_FOGEND,
                                          D3DRS_FOGDENSITY,   D3DRS_RANGEFOGENABLE};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g_landscape->m_Fog[i], g_scene->GetRenderState(states[i])) << i;
    EXPECT_EQ(g_landscape->m_Fog[5], 0x3F800000u) << "fog end 1.0";
    // The shadow map's sun is the map's, once a map is there.
    ASSERT_NE(QV7_ShadowMap::s_SunDirection, nullptr);
    g_landscape->m_Light.Direction = {0.25f, -0.5f, 0.75f};
    D3DXVECTOR3 sun(0.0f, -1.0f, 0.0f);
    EXPECT_TRUE(QV7_ShadowMap::s_SunDirection(&sun));
    EXPECT_EQ(sun, D3DXVECTOR3(0.25f, -0.5f, 0.75f));
    g_landscape->Unload();
    sun = D3DXVECTOR3(0.0f, -1.0f, 0.0f);
    EXPECT_FALSE(QV7_ShadowMap::s_SunDirection(&sun));
    EXPECT_EQ(sun, D3DXVECTOR3(0.0f, -1.0f, 0.0f));
    // The engine takes the landscape down with its other subsystems.
    engine.reset();
    EXPECT_EQ(g_landscape, nullptr);
    EXPECT_EQ(QV7_ShadowMap::s_SunDirection, nullptr);
}

TEST(LandscapeStrip, SpiralCoversEveryCellTwiceWithOneWinding)
{
    uint16_t indices[QV7_Landscape::kStripIndices];
    BuildSpiralStrip(indices);
    std::map<int, int> trianglesPerCell;
    int degenerate = 0;
    for (int t = 0; t < QV7_Landscape::kStripTriangles; ++t)
    {
        int a = indices[t], b = indices[t + 1], c = indices[t + 2];
        ASSERT_LT(std::max({a, b, c}), 289);
        if (a == b || b == c || a == c)
        {
            ++degenerate;
            continue;
        }
        // A strip's odd triangles are drawn in reverse.
        if (t % 2 == 1)
            std::swap(b, c);
        auto position = [](int i) { return D3DXVECTOR3(float(i % 17) * 64.0f, 0.0f, float(i / 17) * 64.0f); };
        const D3DXVECTOR3 pa = position(a), ab = position(b) - pa, ac = position(c) - pa;
        D3DXVECTOR3 cross;
        D3DXVec3Cross(&cross, &ab, &ac);
        // Clockwise seen from above: the face looks up and survives CCW culling.
        EXPECT_GT(cross.y, 0.0f) << "triangle " << t;
        EXPECT_NEAR(std::fabs(cross.y), 64.0f * 64.0f, 0.01f) << "half a cell";
        const int row = std::min({a / 17, b / 17, c / 17}), column = std::min({a % 17, b % 17, c % 17});
        ++trianglesPerCell[row * 16 + column];
    }
    EXPECT_EQ(degenerate, 62);
    EXPECT_EQ(trianglesPerCell.size(), 256u);
    for (const auto& [cell, count] : trianglesPerCell)
        EXPECT_EQ(count, 2) << "cell " << cell;
}

TEST(LandscapeHelpers, TriangleNormalPointsUpAndLeavesEdgesRelative)
{
    const D3DXVECTOR3 a(64.0f, 10.0f, 64.0f);
    D3DXVECTOR3 b(128.0f, 10.0f, 64.0f), c(64.0f, 74.0f, 128.0f), out;
    ComputeTriangleNormal(a, b, c, out);
    EXPECT_EQ(b, D3DXVECTOR3(64.0f, 0.0f, 0.0f));
    EXPECT_EQ(c, D3DXVECTOR3(0.0f, 64.0f, 64.0f));
    EXPECT_NEAR(out.y, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(out.z, -std::sqrt(0.5f), 1e-6f);
    EXPECT_EQ(FloorF(-0.5f), -1.0f);
    EXPECT_EQ(FloorF(2.0f), 2.0f);
}
} // namespace
