// The landscape on the gl back-end: a V-shaped valley whose one side faces
// the sun and the other faces away, seen along the valley from a fixed
// camera, with linear vertex fog. The sunlit side comes out brighter, as the
// lengths of the lighting normals say, and the far land takes the fog colour.
#include "LandscapeTestSupport.h"

#include "tools/writers/ImageWriters.h"

#include <cstdlib>

namespace
{
class LandscapePictureTest : public landscapetest::LandscapeFixture
{
  protected:
    LandscapePictureTest()
    {
        width = 200;
        height = 150;
    }
    // The valley runs along z at x = 32768: sides rising 48 per sample for
    // 60 samples, flat beyond. The sun shines toward +x and down, so the
    // side east of the valley floor (rising toward +x) faces it.
    static LandscapeMapDescription Valley()
    {
        LandscapeMapDescription map = MakeFlatLandscapeMap();
        for (int z = 0; z < 1024; ++z)
            for (int x = 0; x < 1024; ++x)
                map.Height(x, z) = 48.0f * float(std::min(std::abs(x - 512), 60));
        map.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        map.material.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
        map.light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        map.light.Ambient = {0.0f, 0.0f, 0.0f, 1.0f};
        map.light.Direction = {0.7071f, -0.7071f, 0.0f};
        map.fog =
            MakeLandscapeFog(true, 0xFF3070B0u, D3DFOG_LINEAR, D3DFOG_NONE, 6000.0f, 20000.0f, 1.0f, false);
        return map;
    }
    gfx::PresentedFrame Draw()
    {
        g_camera->SetEye(32768.0f, 4000.0f, 12000.0f);
        g_camera->SetTarget(32768.0f, 0.0f, 22000.0f);
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        g_landscape->Render(0);
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        if (const char* folder = std::getenv("QV7_PICTURE_DIR"))
        {
            ImagePixels image;
            image.width = uint32_t(frame.width);
            image.height = uint32_t(frame.height);
            image.argb = frame.pixels;
            SaveFile(std::string(folder) + "/landscape_valley.png", WritePng(image, false));
        }
        return frame;
    }
    static int Channel(uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }
    static int Grey(const gfx::PresentedFrame& frame, int x, int y)
    {
        const uint32_t p = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
        return (Channel(p, 16) + Channel(p, 8) + Channel(p, 0)) / 3;
    }
};

TEST_F(LandscapePictureTest, SunlitSlopeIsBrighterAndTheDistanceFadesIntoFog)
{
    WriteAndLoad(Valley());
    const gfx::PresentedFrame frame = Draw();
    ASSERT_EQ(frame.width, 200);
    // Near the bottom of the picture, a quarter in from each side: the west
    // slope (facing away) left, the east slope (facing the sun) right.
    const int shaded = Grey(frame, 50, 140), sunlit = Grey(frame, 150, 140);
    EXPECT_GT(sunlit, shaded + 40) << sunlit << " vs " << shaded;
    EXPECT_GT(shaded, 20) << "the shaded side is dim, not black";
    // Just below the horizon the land is past the fog's end: the fog colour.
    int horizon = -1;
    for (int y = 0; y < frame.height && horizon < 0; ++y)
        if ((frame.pixels[size_t(y) * size_t(frame.width) + 100] & 0xFFFFFF) != 0)
            horizon = y;
    ASSERT_GE(horizon, 0) << "no land in the picture";
    const uint32_t far = frame.pixels[size_t(horizon + 1) * size_t(frame.width) + 100];
    EXPECT_NEAR(Channel(far, 16), 0x30, 6);
    EXPECT_NEAR(Channel(far, 8), 0x70, 6);
    EXPECT_NEAR(Channel(far, 0), 0xB0, 6);
    // The near land is hardly fogged: its blue is no stronger than its red.
    const uint32_t near = frame.pixels[size_t(140) * size_t(frame.width) + 150];
    EXPECT_LT(Channel(near, 0) - Channel(near, 16), 30);
}
} // namespace
