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
using worldtest::Brightness;
using worldtest::Distance;
using worldtest::PixelAt;
using worldtest::WaterKind;

constexpr float kCentre = 32768.0f;
// Island 1's highest hill; the sun travels toward +x and +z, so its south-west
// slopes face the sun.
const D3DXVECTOR2 kPeak(kCentre - 4500.0f, kCentre - 2500.0f);
// A magenta rock standing in the sea off the beach, under the water.
constexpr D3DCOLOR kRockColour = 0xFFFF00FF;
const D3DXVECTOR2 kRock(kCentre - 4500.0f, 7600.0f);

bool Magenta(uint32_t pixel)
{
    return worldtest::Channel(pixel, 16) > 150 && worldtest::Channel(pixel, 0) > 150 &&
           worldtest::Channel(pixel, 8) < 110;
}

int CountMagenta(const gfx::PresentedFrame& frame)
{
    return int(std::count_if(frame.pixels.begin(), frame.pixels.end(), Magenta));
}

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
    // The race's scenery: the rock, from the sea floor to 10 under the water.
    static void Rock()
    {
        const float floor = g_landscape->GetHeight(kRock.x, kRock.y) - 50.0f;
        worldtest::DrawWall(kRock.x - 400.0f, kRock.y, kRock.x + 400.0f, kRock.y, floor,
                            g_landscape->m_WaterLevel - 10.0f, kRockColour);
    }
    gfx::PresentedFrame Frame(WaterKind kind, const std::string& name)
    {
        const gfx::PresentedFrame frame = worldtest::DrawIslandFrame(*sky, *water, kind, &Rock);
        worldtest::SaveIslandPicture(frame, "demo_island1_" + name);
        return frame;
    }
    static D3DXVECTOR3 Ground(float x, float z) { return {x, g_landscape->GetHeight(x, z), z}; }
    // Where the reflective water shows a point above it: mirrored in the
    // reflection's plane, the land drawn 7 lower.
    D3DXVECTOR3 MirrorImage(const D3DXVECTOR3& point) const
    {
        const float plane = water->m_WaterLevel - water->MirrorPlaneOffset(g_camera->m_Eye.y);
        return {point.x, 2.0f * plane - (point.y - QV7_Landscape::kReflectionDrop), point.z};
    }
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
};

TEST_F(DemoIslandSceneGlTest, SkyAndFarFogFromTheSea)
{
    ASSERT_NE(sky->m_Texture, nullptr);
    ASSERT_NE(water->m_FirstTexture, nullptr);
    ASSERT_EQ(water->m_WaterLevel, g_landscape->m_WaterLevel);
    // High over the sea off the south coast, the island behind the eye,
    // looking out to the horizon.
    const D3DXVECTOR3 eye(kCentre + 2000.0f, 3000.0f, 5000.0f);
    worldtest::PlaceCamera(eye, {eye.x, 200.0f, eye.z - 25000.0f});
    const uint32_t fog = g_landscape->m_Fog[1] & 0xFFFFFF;
    const D3DXVECTOR3 near(eye.x, 200.0f, eye.z - 6000.0f), far(eye.x, 200.0f, eye.z - 31000.0f);
    {
        // Beyond the grid the sea floor of its border goes on; the island's
        // picture does not come round again under the sea.
        const gfx::PresentedFrame floor = Frame(WaterKind::None, "sea_floor");
        const uint32_t border = PixelAt(floor, {eye.x, 0.0f, -3000.0f});
        EXPECT_LE(Distance(PixelAt(floor, {eye.x, 0.0f, -9000.0f}), border), 20) << std::hex << border;
    }
    for (WaterKind kind : {WaterKind::Simple, WaterKind::Reflective})
    {
        const std::string name = kind == WaterKind::Simple ? "sea_simple" : "sea_reflective";
        SCOPED_TRACE(name);
        const gfx::PresentedFrame seen = Frame(kind, name);
        // The same frame with a garish fog: only what the fog touches changes.
        g_landscape->m_Fog[1] = 0xFFFF00FF;
        const gfx::PresentedFrame garish = Frame(kind, name + "_garish_fog");
        g_landscape->m_Fog[1] = 0xFF000000 | fog;

        // Above the horizon the sky, bluer than the fog and untouched by it.
        const uint32_t top = worldtest::MeanColour(seen, 0, 0, width, height / 4);
        EXPECT_GT(worldtest::Channel(top, 0), worldtest::Channel(top, 16) + 40) << std::hex << top;
        EXPECT_EQ(worldtest::MeanColour(garish, 0, 0, width, height / 4), top);
        // The water near the eye is clear of fog; far out it goes into the
        // fog colour: fogged itself on the simple path, mirroring the sky's
        // horizon (the fog's colour) on the reflective one.
        EXPECT_LE(Distance(PixelAt(garish, near), PixelAt(seen, near)), 12);
        EXPECT_LT(Distance(PixelAt(seen, far), fog) + 30, Distance(PixelAt(seen, near), fog))
            << std::hex << PixelAt(seen, far) << " near " << PixelAt(seen, near);
        EXPECT_LE(Distance(PixelAt(seen, far), fog), 30) << std::hex << PixelAt(seen, far);
        if (kind == WaterKind::Simple)
        {
            EXPECT_GT(Distance(PixelAt(garish, far), PixelAt(seen, far)), 60)
                << std::hex << PixelAt(garish, far);
        }
    }
}

TEST_F(DemoIslandSceneGlTest, TheHillsSunSideIsBrighterThanItsShadedSide)
{
    // From the south-east, across the sun's path, both slopes in view.
    worldtest::PlaceCamera({kPeak.x + 9000.0f, 5500.0f, kPeak.y - 9000.0f}, Ground(kPeak.x, kPeak.y));
    const gfx::PresentedFrame frame = Frame(WaterKind::Simple, "hill_from_southeast");
    int sunny = 0, shaded = 0;
    for (float along = 1200.0f; along <= 3600.0f; along += 400.0f)
        for (float across = -600.0f; across <= 600.0f; across += 300.0f)
        {
            const float d = along * 0.7071f, s = across * 0.7071f;
            sunny += Brightness(PixelAt(frame, Ground(kPeak.x - d + s, kPeak.y - d - s)));
            shaded += Brightness(PixelAt(frame, Ground(kPeak.x + d + s, kPeak.y + d - s)));
        }
    EXPECT_GT(sunny, shaded * 5 / 4) << sunny << " against " << shaded;
}

TEST_F(DemoIslandSceneGlTest, ReflectiveWaterMirrorsTheHillAndNothingFromBelow)
{
    // On the water off the south beach, looking up at the hill.
    worldtest::PlaceCamera({kCentre - 4500.0f, 320.0f, 6000.0f},
                           {kCentre - 4500.0f, 1500.0f, kCentre - 2500.0f});
    const gfx::PresentedFrame land = Frame(WaterKind::None, "beach_land");
    const gfx::PresentedFrame simple = Frame(WaterKind::Simple, "beach_simple");
    const gfx::PresentedFrame mirrored = Frame(WaterKind::Reflective, "beach_reflective");

    // The rock under the water shows without water, dimmed through the
    // water, and nowhere else: the reflection is clipped at the surface, so
    // nothing under it is mirrored up into view.
    const int rock = CountMagenta(land);
    EXPECT_GT(rock, 500);
    for (const gfx::PresentedFrame* frame : {&simple, &mirrored})
    {
        int outside = 0;
        for (size_t i = 0; i < frame->pixels.size(); ++i)
            outside += Magenta(frame->pixels[i]) && !Magenta(land.pixels[i]);
        EXPECT_EQ(outside, 0);
        EXPECT_LT(CountMagenta(*frame), rock / 2);
    }

    // Points high on the hill show in the reflective water at their mirror
    // image, and the plain water there does not look like them.
    int toMirror = 0, toPlain = 0;
    for (float x = kPeak.x - 3000.0f; x <= kPeak.x + 3000.0f; x += 500.0f)
    {
        const D3DXVECTOR3 hill = Ground(x, kPeak.y - 3000.0f);
        ASSERT_GT(hill.y, 900.0f);
        const uint32_t seen = PixelAt(land, hill);
        const D3DXVECTOR3 image = MirrorImage(hill);
        toMirror += Distance(PixelAt(mirrored, image), seen);
        toPlain += Distance(PixelAt(simple, image), seen);
    }
    EXPECT_LT(toMirror * 2, toPlain) << toMirror << " against " << toPlain;
    // Open water beside the hill's image mirrors the sky: bluer than the hill.
    const uint32_t open = PixelAt(mirrored, {kCentre - 4500.0f, 200.0f, 7000.0f});
    EXPECT_GT(worldtest::Channel(open, 0), worldtest::Channel(open, 8)) << std::hex << open;
}

TEST_F(DemoIslandSceneGlTest, FromAboveTheWestCoastTheRingsCarryTheLandIntoTheFog)
{
    // High over the west coast, looking across the island past its peak.
    const D3DXVECTOR3 eye(kCentre - 20000.0f, 2600.0f, kCentre + 9000.0f);
    worldtest::PlaceCamera(eye, Ground(kPeak.x, kPeak.y));
    const gfx::PresentedFrame frame = Frame(WaterKind::Reflective, "west_coast_reflective");
    const uint32_t fog = g_landscape->m_Fog[1] & 0xFFFFFF;
    // Grass on the near slope, clear of the fog.
    const uint32_t slope = PixelAt(frame, Ground(kPeak.x - 1500.0f, kPeak.y + 1500.0f));
    EXPECT_GT(worldtest::Channel(slope, 8), worldtest::Channel(slope, 0) + 20)
        << "grass " << std::hex << slope;
    // The island's second hill, 27000 away on the far side: far beyond the
    // near tiles, drawn by the outer rings and half into the fog.
    const D3DXVECTOR2 secondPeak(kCentre + 7500.0f, kCentre + 5500.0f);
    D3DXVECTOR2 toHill(secondPeak.x - eye.x, secondPeak.y - eye.z);
    D3DXVec2Normalize(&toHill, &toHill);
    const D3DXVECTOR3 far = Ground(eye.x + 25500.0f * toHill.x, eye.z + 25500.0f * toHill.y);
    ASSERT_GT(far.y, g_landscape->m_WaterLevel + 500.0f);
    const uint32_t farLand = PixelAt(frame, far);
    EXPECT_LT(Distance(farLand, fog) + 40, Distance(slope, fog)) << std::hex << farLand << " near " << slope;
    const uint32_t sky = worldtest::MeanColour(frame, 0, 0, width, 4);
    EXPECT_GT(Distance(farLand, sky), 8) << "the far hill is drawn " << std::hex << farLand;
}
} // namespace
