// The sky and the water on the gl back-end, read back as pictures: the sky
// box shows each face's part of the atlas and is never fogged, the simple
// water blends its texture over what lies beneath, and the reflective water
// mirrors what stands above it (with a clip plane or the clipping projection,
// with and without ripples) but nothing that lies under it. Each picture is
// also written as a PNG into the test's temporary folder for a look.
#include "WorldTestSupport.h"
#include "engine/QV7_Scene.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <cmath>
#include <cstring>

namespace
{
// The atlas' regions, each its own colour.
constexpr D3DCOLOR kSkyZMinus = 0xFF8040C0, kSkyXMinus = 0xFFC08040, kSkyXPlus = 0xFF40C080,
                   kSkyZPlus = 0xFF4080E0, kSkyTop = 0xFF2040A0, kUnused = 0xFFFF00FF;
constexpr D3DCOLOR kFogColour = 0xFFFF0000;
constexpr float kWaterLevel = 200.0f;

// Tall enough that the sides' stretched last rows (v 0.245 and 0.255) are
// filtered from their own band only.
ImagePixels SkyAtlas()
{
    const uint32_t side = 256, quarter = side / 4;
    ImagePixels atlas{side, side, std::vector<uint32_t>(side * side)};
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < side; ++x)
        {
            const bool left = x < side / 2;
            D3DCOLOR c = y < quarter       ? (left ? kSkyZMinus : kSkyXMinus)
                         : y < 2 * quarter ? (left ? kSkyXPlus : kSkyZPlus)
                                           : (left ? kSkyTop : kUnused);
            atlas.argb[y * side + x] = c;
        }
    return atlas;
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

using worldtest::Mix;

bool Near(uint32_t a, uint32_t b, int tolerance)
{
    return worldtest::Distance(a, b) <= tolerance;
}

class WaterAndSkyPictureTest : public enginetest::EngineFixture
{
  protected:
    WaterAndSkyPictureTest()
    {
        width = 160;
        height = 120;
    }
    void Make(int detail, D3DCOLOR bump = 0xFF808080)
    {
        windows->m_Settings.Detail = detail;
        Start();
        atlas = worldtest::PictureTexture(SkyAtlas());
        sky = std::make_unique<QV7_SkyDome>();
        sky->m_Texture = atlas.get();
        water = std::make_unique<QV7_Water>();
        waterTexture = worldtest::SolidTexture(0xFF2060A0);
        bumpTexture = worldtest::SolidTexture(bump);
        water->m_FirstTexture = waterTexture.get();
        water->m_SecondTexture = bumpTexture.get();
        water->m_WaterLevel = kWaterLevel;
        water->BuildSurface();
        g_frameManager->m_LastFrameMs = 0.0f;
    }
    void TearDown() override
    {
        water.reset();
        sky.reset();
        atlas.reset();
        waterTexture.reset();
        bumpTexture.reset();
        EngineFixture::TearDown();
    }
    // The map's fog, as the landscape sets it: red, linear, everything past
    // 100 units fully fogged.
    static void ThickFog()
    {
        g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
        g_scene->SetRenderState(kFogColour, D3DRS_FOGCOLOR);
        g_scene->SetRenderState(D3DFOG_LINEAR, D3DRS_FOGVERTEXMODE);
        g_scene->SetRenderState(FloatBits(0.0f), D3DRS_FOGSTART);
        g_scene->SetRenderState(FloatBits(100.0f), D3DRS_FOGEND);
    }
    // An upright quad facing the camera along z.
    static void Wall(float x0, float x1, float y0, float y1, float z, D3DCOLOR colour)
    {
        worldtest::DrawWall(x0, z, x1, z, y0, y1, colour);
    }
    gfx::PresentedFrame Present(const char* name)
    {
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        ImagePixels picture{uint32_t(frame.width), uint32_t(frame.height), frame.pixels};
        SaveImageFile(testing::TempDir() + "qv7_" + name + ".png", WritePng(picture, false));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
    }
    static uint32_t AtWorld(const gfx::PresentedFrame& frame, const D3DXVECTOR3& point)
    {
        return worldtest::PixelAt(frame, point) & 0xFFFFFF;
    }
    std::unique_ptr<TextureRecord> atlas, waterTexture, bumpTexture;
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
};

TEST_F(WaterAndSkyPictureTest, SkyShowsEachFacesAtlasRegionAndIsNeverFogged)
{
    Make(0);
    struct Case
    {
        const char* name;
        D3DXVECTOR3 look;
        D3DCOLOR colour;
    };
    const Case cases[] = {{"sky_zplus", {0, 0, 1}, kSkyZPlus},
                          {"sky_xplus", {1, 0, 0}, kSkyXPlus},
                          {"sky_zminus", {0, 0, -1}, kSkyZMinus},
                          {"sky_xminus", {-1, 0, 0}, kSkyXMinus},
                          {"sky_top", {0, 1, 0.01f}, kSkyTop}};
    for (const Case& c : cases)
    {
        const D3DXVECTOR3 eye(3000.0f, 900.0f, -2000.0f);
        worldtest::PlaceCamera(eye, eye + c.look * 100.0f);
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        ThickFog();
        sky->Render(0);
        g_device->EndScene();
        const gfx::PresentedFrame frame = Present(c.name);
        // The face fills the picture; nothing of it is fog coloured.
        for (int y = 10; y < height; y += 20)
            for (int x = 10; x < width; x += 20)
                EXPECT_TRUE(Near(At(frame, x, y), c.colour & 0xFFFFFF, 3))
                    << c.name << " at " << x << "," << y << ": " << std::hex << At(frame, x, y);
    }
}

TEST_F(WaterAndSkyPictureTest, SimpleWaterBlendsItsDoubledTextureOverTheSky)
{
    Make(0);
    worldtest::PlaceCamera(D3DXVECTOR3(0.0f, 700.0f, 0.0f), D3DXVECTOR3(0.0f, 300.0f, 4000.0f));
    g_device->BeginScene();
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    sky->Render(0);
    water->RenderSimple();
    g_device->EndScene();
    const gfx::PresentedFrame frame = Present("water_simple");
    // Texture x diffuse white, then texture + that - 0.5: 0x20 -> 0, 0x60 -> 0x40, 0xA0 -> 0xC1;
    // laid at alpha 0.6 over the sky's lower half.
    const uint32_t water = Mix(0x0040C1, kSkyZPlus & 0xFFFFFF, 0.6f);
    EXPECT_TRUE(Near(AtWorld(frame, D3DXVECTOR3(0.0f, kWaterLevel, 1500.0f)), water, 4))
        << std::hex << AtWorld(frame, D3DXVECTOR3(0.0f, kWaterLevel, 1500.0f));
    EXPECT_TRUE(Near(AtWorld(frame, D3DXVECTOR3(-2000.0f, kWaterLevel, 8000.0f)), water, 4));
    // Above the horizon: the sky alone.
    EXPECT_TRUE(Near(At(frame, width / 2, 2), kSkyZPlus & 0xFFFFFF, 3))
        << std::hex << At(frame, width / 2, 2);
}

TEST_F(WaterAndSkyPictureTest, ReflectiveWaterMirrorsWhatStandsAboveItAndNothingBelow)
{
    struct Case
    {
        const char* name;
        int detail;
        bool clipPlane;
        D3DCOLOR bump;
        // How far the ripples move the picture left (and down).
        int shift;
    };
    // A grey bump map moves nothing; a red one moves the reflection by
    // (0.08, -0.08) of the screen: 12.8 pixels left and 9.6 down.
    const Case cases[] = {{"water_reflective_clipplane", 1, true, 0xFF808080, 0},
                          {"water_reflective_projection", 1, false, 0xFF808080, 0},
                          {"water_reflective_ripples", 2, true, 0xFF808080, 0},
                          {"water_reflective_ripples_red", 2, true, 0xFFFF0000, 13},
                          {"water_reflective_red_unused", 1, true, 0xFFFF0000, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        Make(c.detail, c.bump);
        ASSERT_EQ(water->m_Ripples, c.detail == 2 ? 1 : 0);
        water->m_HasClipPlane = c.clipPlane ? 1 : 0;
        worldtest::PlaceCamera(D3DXVECTOR3(0.0f, 700.0f, 0.0f), D3DXVECTOR3(0.0f, 300.0f, 4000.0f));
        auto scene = []
        {
            Wall(-600.0f, 600.0f, 300.0f, 1400.0f, 4000.0f, 0xFFFFFF00);
            Wall(-900.0f, -300.0f, 250.0f, 340.0f, 1000.0f, 0xFF00FF00);
            Wall(300.0f, 900.0f, 100.0f, 190.0f, 1000.0f, 0xFFFF00FF);
        };
        water->BeginReflection();
        scene();
        water->EndReflection();
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        sky->Render(0);
        scene();
        water->RenderReflective();
        g_device->EndScene();
        const gfx::PresentedFrame frame = Present(c.name);

        // The mirror plane is 18 above the water: a point's image lies at 436 - y.
        const float mirror = 2.0f * (kWaterLevel + 18.0f);
        const uint32_t sky = kSkyZPlus & 0xFFFFFF;
        // A mirrored point's pixel, moved as far as the ripples move the picture.
        auto image = [&](float px, float py, float pz, int dx = 0)
        {
            int x = 0, y = 0;
            worldtest::ScreenPoint(D3DXVECTOR3(px, py, pz), width, height, x, y);
            return At(frame, std::clamp(x - c.shift + dx, 0, width - 1),
                      std::clamp(y + c.shift * 3 / 4, 0, height - 1));
        };
        const uint32_t yellow = image(0.0f, mirror - 800.0f, 4000.0f);
        EXPECT_TRUE(Near(yellow, Mix(0xFFFF00, sky, 0.6f), 6)) << std::hex << yellow;
        // Just left of the image's edge: the sky, wherever the image went.
        const uint32_t leftOfImage = image(-600.0f, mirror - 800.0f, 4000.0f, -4);
        EXPECT_TRUE(Near(leftOfImage, sky, 6)) << std::hex << leftOfImage;
        const uint32_t green = image(-600.0f, mirror - 295.0f, 1000.0f);
        EXPECT_TRUE(Near(green, Mix(0x00FF00, sky, 0.6f), 6)) << std::hex << green;
        // Where the magenta wall's image would be, the water shows the sky.
        const uint32_t below = image(600.0f, mirror - 145.0f, 1000.0f);
        EXPECT_TRUE(Near(below, sky, 6)) << std::hex << below;
        // The far water mirrors the sky.
        const uint32_t far = AtWorld(frame, D3DXVECTOR3(3000.0f, kWaterLevel, 12000.0f));
        EXPECT_TRUE(Near(far, sky, 6)) << std::hex << far;
    }
}
} // namespace
