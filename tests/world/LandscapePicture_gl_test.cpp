// The landscape on the gl back-end: a V-shaped valley whose one side faces
// the sun and the other faces away, seen along the valley from a fixed
// camera, with linear vertex fog. The sunlit side comes out brighter, as the
// lengths of the lighting normals say, and the far land takes the fog colour.
#include "LandscapeTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"

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
    // A texture whose left half (u < 0.5) is left and right half right.
    static void HalvesTexture(TextureRecord& record, D3DCOLOR left, D3DCOLOR right)
    {
        ASSERT_EQ(g_device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record.m_Texture,
                                          nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(record.m_Texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                static_cast<uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x] = x < 32 ? left : right;
        record.m_Texture->UnlockRect(0);
    }
    gfx::PresentedFrame Draw(float eyeHeight = 4000.0f)
    {
        g_camera->SetEye(32768.0f, eyeHeight, 12000.0f);
        g_camera->SetTarget(32768.0f, 0.0f, 22000.0f);
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        g_landscape->Render(0);
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, "landscape_" + std::to_string(++s_pictures));
        return frame;
    }
    static inline int s_pictures = 0;
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
TEST_F(LandscapePictureTest, BaseTextureIsLaidOverTheIslandByWorldPosition)
{
    // Flat land under a sun straight overhead, no fog; the base picture's
    // left half red, right half green, so the island's west half (x below
    // 32768) is red and its east half green. A mid-grey detail picture adds
    // nothing (signed add around one half).
    LandscapeMapDescription map = Valley();
    map.heights.assign(map.heights.size(), 0.0f);
    map.light.Direction = {0.0f, -1.0f, 0.0f};
    map.fog = MakeLandscapeFog(false, 0, D3DFOG_NONE, D3DFOG_NONE, 0.0f, 1.0f, 1.0f, false);
    map.baseTextureId = 3001;
    map.detailTextureId = 3002;
    QV7_TextureList textures;
    TextureRecord* base = textures.Append();
    base->m_CompileId = 3001;
    HalvesTexture(*base, 0xFFFF0000u, 0xFF00FF00u);
    TextureRecord* detail = textures.Append();
    detail->m_CompileId = 3002;
    HalvesTexture(*detail, 0xFF808080u, 0xFF808080u);
    WriteAndLoad(map, &textures);
    ASSERT_EQ(g_landscape->m_BaseTexture, base);
    const gfx::PresentedFrame frame = Draw(1500.0f);
    const uint32_t west = frame.pixels[size_t(130) * size_t(frame.width) + 40];
    const uint32_t east = frame.pixels[size_t(130) * size_t(frame.width) + 160];
    EXPECT_GT(Channel(west, 16), 200) << std::hex << west;
    EXPECT_LT(Channel(west, 8), 30) << std::hex << west;
    EXPECT_GT(Channel(east, 8), 200) << std::hex << east;
    EXPECT_LT(Channel(east, 16), 30) << std::hex << east;
    g_landscape->Unload();
}
} // namespace
