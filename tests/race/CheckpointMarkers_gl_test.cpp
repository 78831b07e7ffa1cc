// The demo checkpoint markers drawn on the gl back-end as a race draws them:
// seen from behind the finish, the chequered finish banner hangs over the
// road in front and an orange gate with its blue arrow further on, each
// spanning the road between its two posts.
#include "engine/QV7_Camera.h"
#include "engine/QV7_Scene.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_Checkpoint.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/demo/DemoCheckpoints.h"
#include "tools/writers/CheckpointFileWriter.h"

#include <gtest/gtest.h>

namespace
{
class CheckpointMarkersGlTest : public enginetest::EngineFixture
{
  protected:
    CheckpointMarkersGlTest()
    {
        width = 320;
        height = 240;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
    }
    gfx::PresentedFrame Draw(QV7_Checkpoint& system)
    {
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Ambient = {0.4f, 0.4f, 0.4f, 1};
        light.Direction = {0.3f, -0.6f, 0.74f};
        g_device->SetLight(0, &light);
        g_device->LightEnable(0, TRUE);
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF87B5E0, 1.0f, 0);
        g_device->BeginScene();
        system.Render(0.0f);
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, gltest::TestPictureName(1));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
    }
    // Pixels of the frame whose colour passes the test, in a rectangle.
    template <class Test>
    static int Count(const gfx::PresentedFrame& f, int x0, int y0, int x1, int y1, Test test)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
            {
                const uint32_t c = At(f, x, y);
                n += test(int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)) ? 1 : 0;
            }
        return n;
    }
};

TEST_F(CheckpointMarkersGlTest, TheFinishBannerAndAGateHangOverTheRoad)
{
    // Racers drive along +z (yaw 0): the finish at the origin, a gate 1800 on.
    CheckpointFileDescription d = MakeCheckpointLoop({{0, 0, 0, 0}, {0, 0, 1800, 0}}, 300.0f);
    d.markerMesh = demo::DemoCheckpointMesh();
    d.finishMesh = demo::DemoFinishMesh();
    BinaryReader file(BuildCheckpointFile(d).Bytes());
    QV7_Checkpoint system;
    system.Read(file, "Map1.chk", nullptr);
    SetCameraEye(0.0f, 300.0f, -1200.0f);
    SetCameraTarget(0.0f, 420.0f, 3000.0f);
    g_camera->UpdateFrustum();
    const gfx::PresentedFrame frame = Draw(system);
    auto orange = [](int r, int g, int b) { return r > 150 && r > g && b < 100; };
    auto blue = [](int r, int g, int b) { return b > 150 && r < 120 && b > g; };
    auto white = [](int r, int g, int b) { return r > 200 && g > 200 && b > 200; };
    auto dark = [](int r, int g, int b) { return r < 60 && g < 60 && b < 60; };
    // The finish fills the upper middle with both colours of its squares.
    EXPECT_GT(Count(frame, 40, 0, 280, 120, white), 500);
    EXPECT_GT(Count(frame, 40, 0, 280, 120, dark), 500);
    // The gate far off: orange and its blue arrow, about the middle of the picture.
    EXPECT_GT(Count(frame, 100, 60, 220, 180, orange), 20);
    EXPECT_GT(Count(frame, 100, 60, 220, 180, blue), 5);
    // The sky stays at the left and right edges low down.
    EXPECT_EQ(At(frame, 2, 230), 0x87B5E0u);
}
} // namespace
