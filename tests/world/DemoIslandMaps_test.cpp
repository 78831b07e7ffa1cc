// The demo data's islands as the race loads them: each Map%d.map, MapSHD%d.map
// and Map%d.tex written by the demo generator reads back through the game's
// loaders, with the heights the generator made and every picture found.
#include "LandscapeTestSupport.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"

namespace
{
class DemoIslandMapsTest : public landscapetest::LandscapeFixture
{
};

TEST_F(DemoIslandMapsTest, EachIslandLoadsWithItsHeightsSunAndPictures)
{
    ASSERT_TRUE(demo::WriteDemoIslands(dir, DemoWorldPictures(), DemoWorldPictureIds()));
    for (int number = 1; number <= demo::kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        const demo::DemoIsland island = demo::BuildDemoIsland(number);
        QV7_TextureList textures;
        textures.Init();
        const std::string suffix = std::to_string(number);
        textures.LoadMapTextures(dir + "Map" + suffix + ".tex", dir + "Textures2.qvx", nullptr);
        for (int32_t id : demo::IslandTextureIds(island))
            EXPECT_NE(textures.FindByCompileId(uint32_t(id)), nullptr) << id;

        LoadLandscapeMap(*g_landscape, dir, number, &textures);
        const QV7_Landscape& land = *g_landscape;
        ASSERT_TRUE(land.IsCreated());
        EXPECT_NE(land.m_ShadowTexture, nullptr) << "MapSHD" << number << ".map decodes";
        EXPECT_NE(land.m_BaseTexture, nullptr);
        EXPECT_NE(land.m_DetailTexture, nullptr);
        EXPECT_EQ(land.m_SkyTextureId, island.map.skyTextureId);
        EXPECT_EQ(land.m_WaterTextureIds[1], demo::kIslandRippleId);
        EXPECT_EQ(land.m_WaterLevel, demo::kIslandWaterLevel);
        EXPECT_EQ(land.m_Light.Type, D3DLIGHT_DIRECTIONAL);
        const auto& heights = island.map.heights;
        for (int z : {0, 300, 512, 700, 1023})
            for (int x : {0, 250, 512, 800})
                EXPECT_EQ(land.GetHeight(float(x) * 64.0f, float(z) * 64.0f),
                          x < 1023 && z < 1023 ? heights[size_t(z) * 1024 + size_t(x)] : 0.0f);
        EXPECT_GT(land.GetHeight(32768.0f + 32.0f, 32768.0f + 32.0f), 0.0f);
        EXPECT_GT(land.m_MaxHeight, 2000.0f);
        textures.Destroy();
        g_landscape->Unload();
    }
}
} // namespace
