// The demo checkpoints over demo island 1 on the gl back-end, drawn after
// the landscape as a race draws them: from behind the finish the chequered
// banner spans the road ahead, and from behind another checkpoint its orange
// gate floats over the road.
#include "tests/world/LandscapeTestSupport.h"

#include "race/QV7_Checkpoint.h"
#include "world/MeshObject.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/demo/DemoCheckpoints.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"

#include <cmath>

namespace
{
class CheckpointsOnIslandGlTest : public landscapetest::LandscapeFixture
{
  protected:
    CheckpointsOnIslandGlTest()
    {
        width = 400;
        height = 300;
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        ASSERT_TRUE(demo::WriteDemoIslands(dir, DemoWorldPictures(), DemoWorldPictureIds()));
        ASSERT_TRUE(demo::WriteDemoCheckpoints(dir));
        textures.Init();
        textures.LoadMapTextures(dir + "Map1.tex", dir + "Textures2.qvx", nullptr);
        LoadLandscapeMap(*g_landscape, dir, 1, &textures);
        g_device->SetLight(0, &g_landscape->m_Light);
        g_device->LightEnable(0, TRUE);
        checkpoints.Load(dir + "Map1.chk", &textures);
    }
    void TearDown() override
    {
        checkpoints.meshes.Clear();
        textures.Destroy();
        g_landscape->Unload();
        LandscapeFixture::TearDown();
    }
    // The view from behind checkpoint i, along its yaw.
    gfx::PresentedFrame DrawBehind(int i, int picture)
    {
        const CheckpointMarker& m = checkpoints.checkpoints[i]->markers[0];
        const float fx = std::sin(m.yaw), fz = std::cos(m.yaw);
        g_camera->SetEye(m.x - 1300.0f * fx, m.y + 330.0f, m.z - 1300.0f * fz);
        g_camera->SetTarget(m.x + 1500.0f * fx, m.y + 200.0f, m.z + 1500.0f * fz);
        g_camera->UpdateFrustum();
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, g_landscape->m_Fog[1], 1.0f, 0);
        g_landscape->Render(0);
        checkpoints.Render(0.0f);
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, gltest::TestPictureName(picture));
        return frame;
    }
    template <class Test> static int Count(const gfx::PresentedFrame& f, Test test)
    {
        int n = 0;
        for (int y = 0; y < int(f.height); ++y)
            for (int x = 0; x < int(f.width); ++x)
            {
                const uint32_t c = f.pixels[size_t(y) * f.width + x];
                n += test(int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)) ? 1 : 0;
            }
        return n;
    }
    QV7_TextureList textures;
    QV7_Checkpoint checkpoints;
};

TEST_F(CheckpointsOnIslandGlTest, TheFinishAndAGateStandOverTheRoad)
{
    ASSERT_EQ(checkpoints.checkpoints.Count(), demo::kDemoCheckpointCount);
    auto white = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
    auto dark = [](int r, int g, int b) { return r < 50 && g < 50 && b < 50; };
    auto orange = [](int r, int g, int b) { return r > 180 && r > g + 30 && b < 100; };
    const gfx::PresentedFrame finish = DrawBehind(0, 1);
    EXPECT_GT(Count(finish, white), 300);
    EXPECT_GT(Count(finish, dark), 300);
    const gfx::PresentedFrame gate = DrawBehind(3, 2);
    EXPECT_GT(Count(gate, orange), 100);
}
} // namespace
