// The demo islands drawn by the landscape on the gl back-end from a fixed
// camera each: land in the lower part of the picture in the island's own
// colours (grass green on the hill and lagoon islands, red-brown desert on
// the canyon island), the fog colour where no land is. With
// QV7_ISLAND_PICTURES set to a folder, the pictures are saved there as PNG
// for a person to look at.
#include "LandscapeTestSupport.h"

#include "engine/QV7_Scene.h"
#include "tools/demo/DemoHeightfields.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"

#include <cstdlib>

namespace
{
class DemoIslandsGlTest : public landscapetest::LandscapeFixture
{
  protected:
    DemoIslandsGlTest()
    {
        width = 320;
        height = 240;
    }
};

struct View
{
    float eye[3], target[3];
};

void SavePicture(const gfx::PresentedFrame& frame, int number)
{
    const char* folder = std::getenv("QV7_ISLAND_PICTURES");
    if (!folder)
        return;
    ImagePixels image;
    image.width = uint32_t(frame.width);
    image.height = uint32_t(frame.height);
    image.argb = frame.pixels;
    SaveImageFile(std::string(folder) + "/island" + std::to_string(number) + ".png", WritePng(image, false));
}

struct Rgb8
{
    int r, g, b;
};

Rgb8 Pixel(const gfx::PresentedFrame& frame, int x, int y)
{
    const uint32_t c = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
    return {int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF)};
}

// The mean colour of a block of pixels.
Rgb8 Mean(const gfx::PresentedFrame& frame, int x0, int y0, int x1, int y1)
{
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
        {
            const Rgb8 p = Pixel(frame, x, y);
            r += p.r, g += p.g, b += p.b;
        }
    return {int(r / n), int(g / n), int(b / n)};
}

TEST_F(DemoIslandsGlTest, EachIslandShowsItsLandUnderTheFogColouredHorizon)
{
    ASSERT_TRUE(demo::WriteDemoIslands(dir, DemoWorldPictures(), DemoWorldPictureIds()));
    const float canyonStart = demo::CanyonCentreZ(9000.0f), canyonAhead = demo::CanyonCentreZ(26000.0f);
    const View views[demo::kDemoIslandCount] = {
        {{50000.0f, 2400.0f, 14000.0f}, {32000.0f, 1200.0f, 32000.0f}},
        {{27000.0f, 3200.0f, 47000.0f}, {36000.0f, 0.0f, 27000.0f}},
        {{9000.0f, 1600.0f, canyonStart}, {26000.0f, 500.0f, canyonAhead}},
    };
    for (int number = 1; number <= demo::kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        QV7_TextureList textures;
        textures.Init();
        const std::string suffix = std::to_string(number);
        textures.LoadMapTextures(dir + "Map" + suffix + ".tex", dir + "Textures2.qvx", nullptr);
        LoadLandscapeMap(*g_landscape, dir, number, &textures);
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
        SavePicture(frame, number);

        const Rgb8 top = Pixel(frame, 160, 2);
        EXPECT_NEAR(top.r, int((fogColour >> 16) & 0xFF), 2);
        EXPECT_NEAR(top.b, int(fogColour & 0xFF), 2);
        const Rgb8 land = Mean(frame, 120, 190, 200, 230);
        if (number < 3)
            EXPECT_GT(land.g, land.b + 20) << "grass";
        else
            EXPECT_GT(land.r, land.b + 30) << "desert";
        textures.Destroy();
        g_landscape->Unload();
    }
}
} // namespace
