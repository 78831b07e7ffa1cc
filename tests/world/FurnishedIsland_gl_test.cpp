// Demo island 1 with its small furniture on the gl back-end, drawn in the
// race's order (sky, land, water, shorelines, vegetation, track items): from
// a chase camera on the track the coins and pick-ups stand on the road and
// grass grows beside it; from above the surf lines the beach. Each picture is
// compared with the same frame without the furniture. With
// QV7_ISLAND_PICTURES set to a folder the pictures are saved there.
#include "LandscapeTestSupport.h"
#include "WorldTestSupport.h"

#include "tools/demo/DemoData.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoShoreLines.h"
#include "tools/demo/DemoWaypoints.h"
#include "world/QV7_FadingVegetation.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_ZephyrionItems.h"

namespace
{
using worldtest::Channel;

class FurnishedIslandGlTest : public landscapetest::LandscapeFixture
{
  protected:
    FurnishedIslandGlTest()
    {
        width = 320;
        height = 240;
    }
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/qv7-furnished-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        data = std::string(pattern) + "/";
        ASSERT_TRUE(WriteDemoData(data));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        windows->m_Settings.Detail = 2;
        sky = std::make_unique<QV7_SkyDome>();
        water = std::make_unique<QV7_Water>();
        textures.Init();
        textures.LoadMapTextures(data + "Map1.tex", data + "Textures2.qvx", nullptr);
        LoadLandscapeMap(*g_landscape, data, 1, &textures);
        shore = std::make_unique<QV7_ShoreLines>();
        vegetation = std::make_unique<QV7_FadingVegetation>();
        items = std::make_unique<QV7_ZephyrionItems>();
        shore->Load(data + "Map1.ssh", &textures);
        shore->OnLostReset(0);
        vegetation->Load(data + "Map1.fvf", &textures);
        items->Load(data + "Map1.zph", &textures);
        g_frameManager->m_LastFrameMs = 0.0f;
    }
    void TearDown() override
    {
        items.reset();
        vegetation.reset();
        shore.reset();
        textures.Destroy();
        g_landscape->Unload();
        water.reset();
        sky.reset();
        LandscapeFixture::TearDown();
    }
    gfx::PresentedFrame Frame(bool furnished, const std::string& name)
    {
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        sky->Render(0);
        g_landscape->Render(0);
        water->RenderSimple();
        if (furnished)
        {
            shore->Render();
            vegetation->Render();
            items->Render();
        }
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        for (uint32_t& pixel : frame.pixels)
            pixel &= 0xFFFFFF;
        worldtest::SaveIslandPicture(frame, "furnished_" + name + (furnished ? "" : "_bare"));
        return frame;
    }
    static D3DXVECTOR3 Ground(float x, float z) { return {x, g_landscape->GetHeight(x, z), z}; }

    static std::string data;
    QV7_TextureList textures;
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
    std::unique_ptr<QV7_ShoreLines> shore;
    std::unique_ptr<QV7_FadingVegetation> vegetation;
    std::unique_ptr<QV7_ZephyrionItems> items;
};
std::string FurnishedIslandGlTest::data;

bool Gold(uint32_t p)
{
    return Channel(p, 16) > 150 && Channel(p, 8) > 100 && Channel(p, 0) < Channel(p, 8) - 50;
}

TEST_F(FurnishedIslandGlTest, ChaseCameraSeesItemsOnTheRoadAndGrassBesideIt)
{
    const std::vector<demo::TrackPoint> line = demo::DemoTrackLine(1, 500.0f);
    const D3DXVECTOR3 behind = Ground(line[1].x, line[1].z), ahead = Ground(line[4].x, line[4].z);
    worldtest::PlaceCamera(behind + D3DXVECTOR3(0.0f, 160.0f, 0.0f), ahead + D3DXVECTOR3(0.0f, 40.0f, 0.0f));
    const gfx::PresentedFrame bare = Frame(false, "chase");
    const gfx::PresentedFrame furnished = Frame(true, "chase");
    int gold = 0, changed = 0;
    for (size_t i = 0; i < furnished.pixels.size(); ++i)
    {
        gold += Gold(furnished.pixels[i]) && !Gold(bare.pixels[i]);
        changed += worldtest::Distance(furnished.pixels[i], bare.pixels[i]) > 24;
    }
    EXPECT_GT(gold, 20) << "the coins on the road";
    EXPECT_GT(changed, int(furnished.pixels.size()) / 50);
    // The sky above the horizon is untouched.
    EXPECT_EQ(worldtest::MeanColour(furnished, 0, 0, width, 20),
              worldtest::MeanColour(bare, 0, 0, width, 20));
}

TEST_F(FurnishedIslandGlTest, SurfLinesTheBeachFromAbove)
{
    // Above the south beach, looking down at the waterline.
    const ShoreLinesFile file = demo::DemoShoreLines(1);
    const ShoreCellRecord* found = nullptr;
    for (const ShoreCellRecord& cell : file.cells)
        if (!cell.vertices.empty() && cell.vertices[0].z < 20000.0f)
        {
            found = &cell;
            break;
        }
    ASSERT_NE(found, nullptr);
    const ShoreVertexRecord& inner = found->vertices[0];
    const ShoreVertexRecord& outer = found->vertices[1];
    const D3DXVECTOR3 surf((inner.x * 3 + outer.x) / 4, inner.y, (inner.z * 3 + outer.z) / 4);
    worldtest::PlaceCamera(surf + D3DXVECTOR3(0.0f, 900.0f, -300.0f), surf);
    const gfx::PresentedFrame bare = Frame(false, "beach_above");
    const gfx::PresentedFrame furnished = Frame(true, "beach_above");
    const uint32_t with = worldtest::PixelAt(furnished, surf), without = worldtest::PixelAt(bare, surf);
    EXPECT_GT(worldtest::Brightness(with), worldtest::Brightness(without) + 60)
        << std::hex << with << " over " << without;
}
} // namespace

namespace
{
TEST_F(FurnishedIslandGlTest, FromAboveTheTrackAndBesideAPickUp)
{
    // High over the track: the items along the road, the plants and stones beside it.
    const std::vector<demo::TrackPoint> line = demo::DemoTrackLine(1, 500.0f);
    const D3DXVECTOR3 road = Ground(line[6].x, line[6].z);
    worldtest::PlaceCamera(road + D3DXVECTOR3(-600.0f, 1400.0f, -600.0f), road);
    const gfx::PresentedFrame bare = Frame(false, "above_track");
    const gfx::PresentedFrame furnished = Frame(true, "above_track");
    // Seen from above the plants are edge-on; the coins and pick-ups show.
    int gold = 0;
    for (size_t i = 0; i < furnished.pixels.size(); ++i)
        gold += Gold(furnished.pixels[i]) && !Gold(bare.pixels[i]);
    EXPECT_GT(gold, 40);
    // Beside the first pick-up (index 3 on the line: a currency bar), low down.
    const TrackItem* pickup = nullptr;
    for (const auto& item : items->m_Items)
        if (item->type > 0)
        {
            pickup = item.get();
            break;
        }
    ASSERT_NE(pickup, nullptr);
    worldtest::PlaceCamera(pickup->position + D3DXVECTOR3(120.0f, 40.0f, 60.0f), pickup->position);
    const gfx::PresentedFrame close = Frame(true, "pickup");
    const gfx::PresentedFrame empty = Frame(false, "pickup");
    EXPECT_GT(worldtest::Distance(worldtest::PixelAt(close, pickup->position),
                                  worldtest::PixelAt(empty, pickup->position)),
              40);
}
} // namespace
