// The demo islands drawn by the landscape on the gl back-end from a fixed
// camera each: land in the lower part of the picture in the island's own
// colours (grass green on the hill and lagoon islands, red-brown desert on
// the canyon island), the fog colour where no land is. With
// QV7_ISLAND_PICTURES set to a folder, the pictures are saved there as PNG
// for a person to look at.
#include "LandscapeTestSupport.h"
#include "WorldTestSupport.h"

#include "engine/QV7_Scene.h"
#include "tools/demo/DemoHeightfields.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"

#include <cstdlib>

namespace
{
// The demo data as qv7-mkdemo writes it, made once for the whole suite.
class DemoIslandsGlTest : public landscapetest::LandscapeFixture
{
  protected:
    DemoIslandsGlTest()
    {
        width = 320;
        height = 240;
    }
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/qv7-demo-islands-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        data = std::string(pattern) + "/";
        ASSERT_TRUE(demo::WriteDemoIslands(data, DemoWorldPictures(), DemoWorldPictureIds()));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    }
    // Loads island `number`'s textures and map as the race loader does.
    void LoadIsland(int number)
    {
        textures.Init();
        const std::string suffix = std::to_string(number);
        textures.LoadMapTextures(data + "Map" + suffix + ".tex", data + "Textures2.qvx", nullptr);
        LoadLandscapeMap(*g_landscape, data, number, &textures);
    }
    void UnloadIsland()
    {
        textures.Destroy();
        g_landscape->Unload();
    }
    static std::string data;
    QV7_TextureList textures;
};
std::string DemoIslandsGlTest::data;

struct View
{
    float eye[3], target[3];
};

using worldtest::Channel;

TEST_F(DemoIslandsGlTest, EachIslandShowsItsLandUnderTheFogColouredHorizon)
{
    const float canyonStart = demo::CanyonCentreZ(9000.0f), canyonAhead = demo::CanyonCentreZ(26000.0f);
    const View views[demo::kDemoIslandCount] = {
        {{50000.0f, 2400.0f, 14000.0f}, {32000.0f, 1200.0f, 32000.0f}},
        {{27000.0f, 3200.0f, 47000.0f}, {36000.0f, 0.0f, 27000.0f}},
        {{9000.0f, 1600.0f, canyonStart}, {26000.0f, 500.0f, canyonAhead}},
    };
    for (int number = 1; number <= demo::kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        LoadIsland(number);
        const View& view = views[number - 1];
        g_camera->SetEye(view.eye[0], view.eye[1], view.eye[2]);
        g_camera->SetTarget(view.target[0], view.target[1], view.target[2]);

        const uint32_t fogColour = g_landscape->m_Fog[1];
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, fogColour, 1.0f, 0);
        g_landscape->Render(0);
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        worldtest::SaveIslandPicture(frame, "island" + std::to_string(number));

        const uint32_t top = frame.pixels[size_t(2 * width + 160)];
        EXPECT_NEAR(Channel(top, 16), Channel(fogColour, 16), 2);
        EXPECT_NEAR(Channel(top, 0), Channel(fogColour, 0), 2);
        const uint32_t land = worldtest::MeanColour(frame, 120, 190, 200, 230);
        if (number < 3)
            EXPECT_GT(Channel(land, 8), Channel(land, 0) + 20) << "grass";
        else
            EXPECT_GT(Channel(land, 16), Channel(land, 0) + 30) << "desert";
        UnloadIsland();
    }
}
} // namespace

namespace
{
// Island 1 as a race shows it: the sky dome and the water made before the
// map loads, so the loader hands them their textures and level through
// g_onLandscapeMapLoaded as the game wires them.
class DemoIslandSceneGlTest : public DemoIslandsGlTest
{
  protected:
    void SetUp() override
    {
        DemoIslandsGlTest::SetUp();
        windows->m_Settings.Detail = 1; // reflective water
        sky = std::make_unique<QV7_SkyDome>();
        water = std::make_unique<QV7_Water>();
        LoadIsland(1);
        g_frameManager->m_LastFrameMs = 0.0f;
    }
    void TearDown() override
    {
        UnloadIsland();
        water.reset();
        sky.reset();
        DemoIslandsGlTest::TearDown();
    }
    gfx::PresentedFrame Frame(worldtest::WaterKind kind, const std::string& name)
    {
        const gfx::PresentedFrame frame = worldtest::DrawIslandFrame(*sky, *water, kind, [] {});
        worldtest::SaveIslandPicture(frame, "demo_island1_" + name);
        return frame;
    }
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
};

TEST_F(DemoIslandSceneGlTest, HillIslandFromFixedCameras)
{
    ASSERT_NE(sky->m_Texture, nullptr);
    ASSERT_NE(water->m_FirstTexture, nullptr);
    struct Camera
    {
        const char* name;
        D3DXVECTOR3 eye, target;
    };
    const float c = 32768.0f;
    const Camera cameras[] = {
        {"beach", {c - 4500.0f, 320.0f, 6000.0f}, {c - 4500.0f, 1500.0f, c - 2500.0f}},
        {"flank", {c - 20000.0f, 2600.0f, c + 9000.0f}, {c - 4500.0f, 1200.0f, c - 2500.0f}},
        {"sea", {c + 2000.0f, 400.0f, c - 15000.0f}, {c + 2000.0f, 250.0f, -20000.0f}},
    };
    for (const Camera& camera : cameras)
    {
        SCOPED_TRACE(camera.name);
        worldtest::PlaceCamera(camera.eye, camera.target);
        Frame(worldtest::WaterKind::None, std::string(camera.name) + "_land");
        Frame(worldtest::WaterKind::Simple, std::string(camera.name) + "_simple");
        Frame(worldtest::WaterKind::Reflective, std::string(camera.name) + "_reflective");
    }
}
} // namespace
