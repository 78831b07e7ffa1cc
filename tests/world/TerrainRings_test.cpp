// The tiles round the camera: which cell the eye is in, when the tiles are
// rebuilt, where each level samples the grid, the stitched and raised outer
// edges, and device loss and reset.
#include "LandscapeTestSupport.h"

#include "platform/gfx/DeviceBase.h"

#include <cmath>
#include <limits>

namespace
{
class TerrainRingsTest : public landscapetest::LandscapeFixture
{
  protected:
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        QV7_Landscape& land = *g_landscape;
        land.Create();
        // As after a map load: the first rebuild fills every tile.
        land.m_CameraCell = D3DXVECTOR3(-1.0f, -1.0f, -1.0f);
        land.m_Light.Type = D3DLIGHT_DIRECTIONAL;
        // Heights and lighting normals that name their own sample.
        for (int z = 0; z < 1024; ++z)
            for (int x = 0; x < 1024; ++x)
            {
                land.Height(x, z) = H(x, z);
                land.m_LightingNormals[size_t(z) * 1024 + size_t(x)] = D3DXVECTOR3(float(x), float(z), 7.0f);
            }
    }
    static float H(int x, int z) { return float(x) + 1000.0f * float(z); }
    static void Eye(float x, float z) { g_camera->SetEye(x, 100.0f, z); }
    static void RebuildAt(float x, float z)
    {
        Eye(x, z);
        g_landscape->RebuildRings();
    }
    static const LandscapeVertex& Vertex(int level, int tile, int r, int c)
    {
        static LandscapeVertex copy;
        const TerrainTile& t =
            level == 0 ? g_landscape->m_NearTiles[tile] : g_landscape->m_RingTiles[level - 1][tile];
        void* data = nullptr;
        EXPECT_EQ(t.m_VertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
        copy = static_cast<const LandscapeVertex*>(data)[r * 17 + c];
        t.m_VertexBuffer->Unlock();
        return copy;
    }
    static float Y(int level, int tile, int r, int c) { return Vertex(level, tile, r, c).position.y; }
    static int LivePool() { return static_cast<gfx::DeviceBase*>(g_device)->LiveDefaultPool(); }
};

TEST_F(TerrainRingsTest, EyeCellTruncatesTowardZero)
{
    struct Case
    {
        float eye, cell;
    };
    const Case cases[] = {{1023.9f, 0.0f},      {1024.0f, 1024.0f}, {-0.5f, 0.0f},
                          {-1024.5f, -1024.0f}, {5000.0f, 4096.0f}, {-3000.0f, -2048.0f}};
    for (const Case& c : cases)
    {
        RebuildAt(c.eye, -c.eye);
        EXPECT_EQ(g_landscape->m_CameraCell.x, c.cell) << c.eye;
        EXPECT_EQ(g_landscape->m_CameraCell.z, -c.cell) << c.eye;
        EXPECT_EQ(g_landscape->m_CameraCell.y, 0.0f);
        EXPECT_EQ(g_landscape->m_World._41, c.cell);
        EXPECT_EQ(g_landscape->m_World._43, -c.cell);
    }
}

TEST_F(TerrainRingsTest, RebuildsAllTilesOnlyWhenTheEyeChangesCell)
{
    QV7_Landscape& land = *g_landscape;
    RebuildAt(5000.0f, 5000.0f);
    EXPECT_EQ(land.m_TilesBuilt, 64);
    RebuildAt(5100.0f, 4100.0f);
    EXPECT_EQ(land.m_TilesBuilt, 64) << "same cell";
    gfx::null::ClearCalls();
    RebuildAt(5100.0f, 6200.0f);
    EXPECT_EQ(land.m_TilesBuilt, 128);
    const std::string discard = ".Lock(0,0," + std::to_string(D3DLOCK_DISCARD) + ")";
    size_t locks = 0;
    for (const std::string& call : gfx::null::Calls())
        locks += call.find(discard) != std::string::npos;
    EXPECT_EQ(locks, 64u) << "one discarding lock per tile";
    // An eye that is not a number keeps the tiles where they are.
    for (float bad :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 3.0e9f})
    {
        RebuildAt(bad, 100.0f);
        EXPECT_EQ(land.m_TilesBuilt, 128);
        EXPECT_EQ(land.m_CameraCell.x, 4096.0f);
    }
}

TEST_F(TerrainRingsTest, EachLevelSamplesTheGridAtItsOwnStep)
{
    RebuildAt(8192.0f + 10.0f, 8192.0f + 1000.0f);
    // Near tile 5 (A = B = -1024): every sample, 64 units apart.
    const LandscapeVertex near = Vertex(0, 5, 3, 4);
    EXPECT_EQ(near.position, D3DXVECTOR3(-1024.0f + 4 * 64, H(112 + 4, 112 + 3), -1024.0f + 3 * 64));
    EXPECT_EQ(near.normal, D3DXVECTOR3(116.0f, 115.0f, 7.0f));
    // Ring 2 tile 5 (A = -4096, B = 4096): every 4th sample, 256 units apart.
    const LandscapeVertex ring = Vertex(2, 5, 3, 5);
    EXPECT_EQ(ring.position, D3DXVECTOR3(-4096.0f + 5 * 256, H(64 + 20, 192 + 12), 4096.0f + 3 * 256));
    EXPECT_EQ(ring.normal, D3DXVECTOR3(84.0f, 204.0f, 7.0f));
    // Ring 4 tile 11 (A = 16384, B = 0): every 16th sample.
    const LandscapeVertex far = Vertex(4, 11, 2, 3);
    EXPECT_EQ(far.position, D3DXVECTOR3(16384.0f + 3 * 1024, H(384 + 48, 128 + 32), 2 * 1024.0f));
    // The sphere is D3DX's: the mean of the positions and the farthest from it.
    const TerrainTile& tile = g_landscape->m_NearTiles[5];
    D3DXVECTOR3 centre;
    float radius = 0.0f;
    D3DXComputeBoundingSphere(tile.m_Positions.data(), 289, sizeof(D3DXVECTOR3), &centre, &radius);
    EXPECT_EQ(tile.m_Centre, centre);
    EXPECT_EQ(tile.m_Radius, radius);
    EXPECT_EQ(tile.m_Positions[3 * 17 + 4], near.position);
}

TEST_F(TerrainRingsTest, OutsideTheIslandIsFlatSeaFloorLitLikeTheFirstSample)
{
    RebuildAt(100.0f, 100.0f);
    // Near tile 0 starts 2048 units before the island's corner.
    const LandscapeVertex outside = Vertex(0, 0, 5, 5);
    EXPECT_EQ(outside.position.y, 0.0f);
    EXPECT_EQ(outside.normal, D3DXVECTOR3(0.0f, 0.0f, 7.0f));
    // Ring 4 reaches 32768 past the far corner of the island too.
    RebuildAt(65000.0f, 65000.0f);
    EXPECT_EQ(Y(4, 7, 8, 8), 0.0f);
    EXPECT_EQ(Vertex(4, 7, 8, 8).normal, D3DXVECTOR3(0.0f, 0.0f, 7.0f));
    // An edge vertex next to the border takes outside samples as 0.
    RebuildAt(1024.0f, 5000.0f);
    EXPECT_EQ(Y(0, 0, 0, 15), (0.0f + H(0, 32)) / 2 + 1.0f);
    EXPECT_EQ(Y(0, 0, 1, 0), 1.0f);
}

TEST_F(TerrainRingsTest, OuterEdgesAreStitchedAndRaised)
{
    RebuildAt(8192.0f, 8192.0f);
    // Near tile 0 (A = B = -2048), samples from (96, 96): left and near edges.
    EXPECT_EQ(Y(0, 0, 1, 0), (H(96, 96) + H(96, 98)) / 2 + 1.0f) << "odd row: mean of neighbours";
    EXPECT_EQ(Y(0, 0, 2, 0), H(96, 98) + 1.0f) << "even row: own sample";
    EXPECT_EQ(Y(0, 0, 0, 1), (H(96, 96) + H(98, 96)) / 2 + 1.0f) << "odd column on the near edge";
    EXPECT_EQ(Y(0, 0, 0, 0), H(96, 96) + 2.0f) << "corner: raised twice";
    EXPECT_EQ(Y(0, 0, 16, 16), H(112, 112)) << "inner corner untouched";
    EXPECT_EQ(Y(0, 0, 5, 5), H(101, 101));
    // Near tile 15 (A = B = 1024): right and far edges.
    EXPECT_EQ(Y(0, 15, 16, 16), H(160, 160) + 2.0f);
    EXPECT_EQ(Y(0, 15, 3, 16), (H(160, 146) + H(160, 148)) / 2 + 1.0f);
    EXPECT_EQ(Y(0, 15, 16, 7), (H(150, 160) + H(152, 160)) / 2 + 1.0f);
    // Near tile 5 lies inside: no edge at all.
    EXPECT_EQ(Y(0, 5, 0, 0), H(112, 112));
    // Ring 1 tile 0 (T = 2048, k = 2, raise 2), samples from (64, 64).
    EXPECT_EQ(Y(1, 0, 1, 0), (H(64, 64) + H(64, 68)) / 2 + 2.0f);
    EXPECT_EQ(Y(1, 0, 16, 0), H(64, 96) + 2.0f);
    // Ring 2 raises by 10, ring 3 by 15 (tile 8: left edge only).
    RebuildAt(32768.0f, 32768.0f);
    EXPECT_EQ(Y(2, 9, 4, 0), H(384, 512 + 16) + 10.0f);
    EXPECT_EQ(Y(3, 8, 3, 0), (H(256, 384 + 16) + H(256, 384 + 32)) / 2 + 15.0f);
    EXPECT_EQ(Y(3, 8, 0, 3), H(256 + 24, 384)) << "tile 8 has no near edge";
    // Ring 4 is never stitched nor raised.
    EXPECT_EQ(Y(4, 0, 1, 0), H(0, 16));
    EXPECT_EQ(Y(4, 0, 0, 0), H(0, 0));
    EXPECT_EQ(Y(4, 7, 16, 16), 0.0f);
}

TEST_F(TerrainRingsTest, DeviceLossReleasesTheTilesAndResetRebuildsThemAtOnce)
{
    QV7_Landscape& land = *g_landscape;
    RebuildAt(5000.0f, 5000.0f);
    const int live = LivePool();
    land.OnLostReset(1);
    EXPECT_EQ(LivePool(), live - 64);
    int withBuffer = 0;
    land.ForEachTile([&](TerrainTile& tile) { withBuffer += tile.m_VertexBuffer != nullptr; });
    EXPECT_EQ(withBuffer, 0);
    land.Render(0); // draws nothing, breaks nothing
    gfx::null::ClearCalls();
    land.OnLostReset(0);
    EXPECT_EQ(LivePool(), live);
    EXPECT_EQ(land.m_TilesBuilt, 128) << "rebuilt without waiting for a move";
    EXPECT_EQ(land.m_CameraCell.x, 4096.0f);
    EXPECT_GE(gfx::null::FindCall("SetLight(0,3)"), 0);
    EXPECT_EQ(Y(0, 5, 3, 4), H(48 + 4, 48 + 3));

    // The engine's own reset: the null device refuses a reset while any
    // default-pool buffer lives, so this also proves the release.
    ASSERT_EQ(engine->Initialize(1), 1);
    EXPECT_EQ(land.m_TilesBuilt, 192);
    land.Unload();
    land.OnLostReset(1); // not created: nothing to do
    land.OnLostReset(0);
    EXPECT_EQ(land.m_TilesBuilt, 192);
}
} // namespace
