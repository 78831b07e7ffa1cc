// A small island drawn whole on the gl back-end, as a race frame draws it:
// the reflection pass (mirrored sky, then the land), then the sky, the land
// with its terrain rings and the water, simple or reflective, from a few fixed
// cameras, with a rock under the water as the race's scenery. The pictures
// must show the sky above the horizon and unfogged, the far land going into
// the fog colour, the hill mirrored in the reflective water, and nothing under
// the water mirrored up through it. With QV7_ISLAND_PICTURES set to a
// folder, each picture is saved there as PNG.
#include "LandscapeTestSupport.h"
#include "WorldTestSupport.h"
#include "engine/QV7_Scene.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <cmath>

namespace
{
constexpr D3DCOLOR kSkySide = 0xFF4080E0, kSkyTop = 0xFF2040A0, kFogColour = 0xFFE0A080;
constexpr float kWaterLevel = 200.0f;
constexpr float kCentre = 32768.0f;
const D3DXVECTOR2 kFarHill(kCentre + 8000.0f, kCentre + 12000.0f);

// A shallow sea bed 150 under the water, a steep hill in the middle rising to 1800 and a taller one
// far behind it to the right.
float IslandHeight(float x, float z)
{
    const float near = std::hypot(x - kCentre, z - kCentre) / 1500.0f;
    const float far = std::hypot(x - kFarHill.x, z - kFarHill.y) / 2500.0f;
    return 50.0f + 1750.0f * std::exp(-near * near) + 3000.0f * std::exp(-far * far);
}

LandscapeMapDescription Island()
{
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    for (int z = 0; z < LandscapeMapDescription::kSide; ++z)
        for (int x = 0; x < LandscapeMapDescription::kSide; ++x)
            map.Height(x, z) = IslandHeight(64.0f * float(x), 64.0f * float(z));
    map.material.Diffuse = {0.35f, 0.6f, 0.25f, 1.0f};
    map.material.Ambient = {0.35f, 0.6f, 0.25f, 1.0f};
    map.fog = MakeLandscapeFog(true, kFogColour, D3DFOG_LINEAR, D3DFOG_NONE, 3000.0f, 24000.0f, 1.0f, false);
    map.waterLevel = kWaterLevel;
    return map;
}

using worldtest::Distance;
using worldtest::Mix;
using worldtest::WaterKind;

class IslandPictureTest : public landscapetest::LandscapeFixture
{
  protected:
    IslandPictureTest()
    {
        width = 200;
        height = 150;
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        windows->m_Settings.Detail = 1;
        ImagePixels atlas{64, 64, std::vector<uint32_t>(64 * 64, kSkySide)};
        for (uint32_t y = 32; y < 64; ++y)
            for (uint32_t x = 0; x < 32; ++x)
                atlas.argb[y * 64 + x] = kSkyTop;
        skyTexture = worldtest::PictureTexture(atlas);
        waterTexture = worldtest::SolidTexture(0xFF2060A0);
        sky = std::make_unique<QV7_SkyDome>();
        water = std::make_unique<QV7_Water>();
        WriteAndLoad(Island());
        sky->m_Texture = skyTexture.get();
        water->m_FirstTexture = waterTexture.get();
        g_frameManager->m_LastFrameMs = 0.0f;
    }
    void TearDown() override
    {
        water.reset();
        sky.reset();
        skyTexture.reset();
        waterTexture.reset();
        LandscapeFixture::TearDown();
    }
    // A magenta rock under the water, at least 1500 from the eye (further
    // for a high eye, so that it stays in view) and 25 degrees to the side of the view, clear of both hills:
    // scenery the race draws in both passes, across the line of sight.
    static D3DXVECTOR2 RockDirection()
    {
        const float angle =
            std::atan2(g_camera->m_Target.z - g_camera->m_Eye.z, g_camera->m_Target.x - g_camera->m_Eye.x) +
            25.0f * 3.14159265f / 180.0f;
        return D3DXVECTOR2(std::cos(angle), std::sin(angle));
    }
    static D3DXVECTOR2 RockCentre()
    {
        const float distance = std::max(1500.0f, 2.5f * (g_camera->m_Eye.y - kWaterLevel));
        return D3DXVECTOR2(g_camera->m_Eye.x, g_camera->m_Eye.z) + RockDirection() * distance;
    }
    static void Rock()
    {
        const D3DXVECTOR2 centre = RockCentre(), direction = RockDirection();
        const D3DXVECTOR2 across(direction.y * 300.0f, -direction.x * 300.0f);
        worldtest::DrawWall(centre.x - across.x, centre.y - across.y, centre.x + across.x,
                            centre.y + across.y, 60.0f, 190.0f, 0xFFFF00FF);
    }
    gfx::PresentedFrame Frame(WaterKind kind, const std::string& name)
    {
        const gfx::PresentedFrame frame = worldtest::DrawIslandFrame(*sky, *water, kind, &Rock);
        worldtest::SaveIslandPicture(frame, "small_island_" + name);
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, const D3DXVECTOR3& point)
    {
        return worldtest::PixelAt(frame, point);
    }
    std::unique_ptr<TextureRecord> skyTexture, waterTexture;
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
};

TEST_F(IslandPictureTest, SkyFogHillAndItsMirrorFromFixedCameras)
{
    struct Camera
    {
        const char* name;
        D3DXVECTOR3 eye, target;
        // A point of the hill's slope facing the camera, and a patch of open
        // water away from the hill.
        D3DXVECTOR2 slope, openWater;
        bool seesFarHill;
    };
    const Camera cameras[] = {
        {"south",
         {kCentre, 300.0f, kCentre - 8000.0f},
         {kCentre, 600.0f, kCentre},
         {kCentre, kCentre - 800.0f},
         {kCentre - 1400.0f, kCentre - 5000.0f},
         true},
        {"southwest",
         {kCentre - 6000.0f, 700.0f, kCentre - 5000.0f},
         {kCentre, 500.0f, kCentre},
         {kCentre - 600.0f, kCentre - 500.0f},
         {kCentre - 4200.0f, kCentre - 1500.0f},
         false},
        {"high",
         {kCentre + 1500.0f, 1500.0f, kCentre - 10000.0f},
         {kCentre, 300.0f, kCentre},
         {kCentre + 100.0f, kCentre - 800.0f},
         {kCentre - 1500.0f, kCentre - 6000.0f},
         true},
    };
    for (const Camera& c : cameras)
    {
        SCOPED_TRACE(c.name);
        worldtest::PlaceCamera(c.eye, c.target);
        const gfx::PresentedFrame land = Frame(WaterKind::None, std::string(c.name) + "_land");
        const gfx::PresentedFrame simple = Frame(WaterKind::Simple, std::string(c.name) + "_simple");
        const gfx::PresentedFrame mirrored =
            Frame(WaterKind::Reflective, std::string(c.name) + "_reflective");

        // Above the horizon: the sky, never the fog.
        for (const gfx::PresentedFrame* frame : {&land, &simple, &mirrored})
            for (int x = 5; x < width; x += 20)
            {
                const uint32_t pixel = frame->pixels[size_t(2) * size_t(width) + size_t(x)];
                EXPECT_LE(std::min(Distance(pixel, kSkySide & 0xFFFFFF), Distance(pixel, kSkyTop & 0xFFFFFF)),
                          4)
                    << std::hex << pixel << " at " << std::dec << x;
            }

        // The far hill is nearly fog; the near hill clearly is not.
        const float slopeHeight = IslandHeight(c.slope.x, c.slope.y);
        const D3DXVECTOR3 slope(c.slope.x, slopeHeight, c.slope.y);
        const uint32_t hill = At(land, slope);
        EXPECT_GT(Distance(hill, kFogColour & 0xFFFFFF), 60) << std::hex << hill;
        if (c.seesFarHill)
        {
            const D3DXVECTOR3 farSlope(kFarHill.x, IslandHeight(kFarHill.x, kFarHill.y - 1500.0f) - 150.0f,
                                       kFarHill.y - 1500.0f);
            const uint32_t far = At(land, farSlope);
            EXPECT_LE(Distance(far, kFogColour & 0xFFFFFF), 45) << std::hex << far;
        }

        // The hill's mirror image: the reflected land lies 7 lower, mirrored
        // at 18 above the water.
        const D3DXVECTOR3 image(c.slope.x, 2.0f * (kWaterLevel + 18.0f) - (slopeHeight - 7.0f), c.slope.y);
        const uint32_t below = At(land, image), reflected = At(mirrored, image), plain = At(simple, image);
        EXPECT_LE(Distance(reflected, Mix(hill, below, 0.6f)), 30)
            << std::hex << reflected << " hill " << hill << " below " << below;
        EXPECT_GT(Distance(plain, reflected), 30) << std::hex << plain << " " << reflected;

        // Open water mirrors the sky alone.
        const D3DXVECTOR3 open(c.openWater.x, kWaterLevel, c.openWater.y);
        const uint32_t bed = At(land, open), openReflected = At(mirrored, open);
        EXPECT_LE(Distance(openReflected, Mix(kSkySide & 0xFFFFFF, bed, 0.6f)), 8)
            << std::hex << openReflected << " bed " << bed;
        // Where the rock under the water would be mirrored, the water shows
        // the sky too: the reflection is clipped at the water.
        const D3DXVECTOR2 rock = RockCentre();
        const D3DXVECTOR3 rockImage(rock.x, 2.0f * (kWaterLevel + 18.0f) - 180.0f, rock.y);
        const uint32_t rockBed = At(land, rockImage), rockReflected = At(mirrored, rockImage);
        EXPECT_LE(Distance(rockReflected, Mix(kSkySide & 0xFFFFFF, rockBed, 0.6f)), 8)
            << std::hex << rockReflected << " bed " << rockBed;
    }
}
} // namespace
