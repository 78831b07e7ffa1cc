// Pictures of the 2D layer on the gl back-end: the loading screen's bar ends
// on the pixel column its percent gives, a textured quad and the fades leave
// the expected colours.
#include "EngineTestSupport.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "platform/d3dx/D3DXTexture.h"
#include "tools/writers/ImageWriters.h"

#include <filesystem>

namespace
{
constexpr uint32_t kBlue = 0xFF2040C0, kRed = 0xFFE02010, kGreen = 0xFF30C060;

IDirect3DTexture9* SolidTexture(uint32_t argb)
{
    ImagePixels image;
    image.width = image.height = 8;
    image.argb.assign(64, argb);
    const std::vector<uint8_t> png = WritePng(image);
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(g_device, png.data(), UINT(png.size()), 0, 0, 0, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &texture),
              D3D_OK);
    return texture;
}

class Screen2DGlTest : public enginetest::EngineFixture
{
  protected:
    Screen2DGlTest()
    {
        width = 800;
        height = 600;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Active = 1; // the loading screen pumps the frame gate
        Start();
        g_frameManager->m_ClearColour = 0xFF000000;
    }
    static gfx::PresentedFrame Presented()
    {
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
    }
};

TEST_F(Screen2DGlTest, LoadingScreenBarEndsOnThePercentsColumn)
{
    const auto dir = std::filesystem::temp_directory_path() / ("qv7_ldat_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ImagePixels image;
    image.width = image.height = 8;
    image.argb.assign(64, kBlue);
    ASSERT_TRUE(SaveImageFile((dir / "ldat3.gfx").string(), WritePng(image)));
    image.argb.assign(64, kRed);
    ASSERT_TRUE(SaveImageFile((dir / "ldat4.gfx").string(), WritePng(image)));

    QV7_TextureList list(TextureListRole::LoadingScreen);
    list.m_LoadingPicture = list.Load((dir / "ldat3.gfx").string());
    list.m_ProgressBar = list.Load((dir / "ldat4.gfx").string());
    std::filesystem::remove_all(dir);
    ASSERT_NE(list.m_ProgressBar, nullptr);

    // The bar's right edge is 204 + percent x 3.849984 + 1; pixel centres sit
    // on whole coordinates, so the last red column is the edge rounded down.
    for (const auto& [percent, lastRed] : {std::pair{50, 397}, std::pair{25, 301}, std::pair{100, 589}})
    {
        SCOPED_TRACE(percent);
        DrawLoadingScreen(&list, percent, 255.0f, 0);
        const gfx::PresentedFrame frame = Presented();
        EXPECT_EQ(At(frame, 203, 335), kBlue & 0xFFFFFF);
        EXPECT_EQ(At(frame, 204, 335), kRed & 0xFFFFFF);
        EXPECT_EQ(At(frame, lastRed, 335), kRed & 0xFFFFFF);
        EXPECT_EQ(At(frame, lastRed + 1, 335), kBlue & 0xFFFFFF);
        EXPECT_EQ(At(frame, 300, 326), kBlue & 0xFFFFFF);
        EXPECT_EQ(At(frame, 210, 327), kRed & 0xFFFFFF);
        EXPECT_EQ(At(frame, 210, 343), kRed & 0xFFFFFF);
        EXPECT_EQ(At(frame, 210, 344), kBlue & 0xFFFFFF);
    }
    // Faded to half in mode 0: the picture at half brightness.
    DrawLoadingScreen(&list, 50, 128.0f, 0);
    const uint32_t half = At(Presented(), 100, 100);
    EXPECT_NEAR(int((half >> 16) & 0xFF), 0x20 * 128 / 255, 2);
    EXPECT_NEAR(int(half & 0xFF), 0xC0 * 128 / 255, 2);
}

TEST_F(Screen2DGlTest, TexturedQuadAndFadesGiveTheExpectedColours)
{
    IDirect3DTexture9* green = SolidTexture(kGreen);
    IDirect3DTexture9* red = SolidTexture(kRed);
    auto frame = [&](auto draw) {
        g_frameManager->BeginFrame();
        g_screen2D->Begin2D();
        draw();
        g_screen2D->End2D();
        g_frameManager->EndFrame();
        return Presented();
    };

    gfx::PresentedFrame shot = frame([&] { g_screen2D->DrawTexturedRect(0xFFFFFFFF, green, 10, 10, 30, 30); });
    EXPECT_EQ(At(shot, 10, 10), kGreen & 0xFFFFFF);
    EXPECT_EQ(At(shot, 29, 29), kGreen & 0xFFFFFF);
    EXPECT_EQ(At(shot, 30, 20), 0u);
    EXPECT_EQ(At(shot, 9, 20), 0u);

    shot = frame([&] {
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, green, 10, 10, 30, 30);
        g_screen2D->DrawFade(128);
    });
    const uint32_t halved = At(shot, 20, 20);
    EXPECT_NEAR(int((halved >> 8) & 0xFF), 0xC0 * 128 / 255, 2);
    EXPECT_NEAR(int((halved >> 16) & 0xFF), 0x30 * 128 / 255, 2);

    shot = frame([&] {
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, green, 0, 0, 800, 600);
        g_screen2D->DrawTexturedFade(0, red);
    });
    EXPECT_EQ(At(shot, 400, 300), kRed & 0xFFFFFF) << "alpha 0 covers the page with the texture";
    shot = frame([&] {
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, green, 0, 0, 800, 600);
        g_screen2D->DrawTexturedFade(255, red);
    });
    EXPECT_EQ(At(shot, 400, 300), kGreen & 0xFFFFFF) << "alpha 255 shows nothing of it";
    shot = frame([&] {
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, green, 0, 0, 800, 600);
        g_screen2D->DrawFade(0);
    });
    EXPECT_EQ(At(shot, 400, 300), 0u);
    green->Release();
    red->Release();
}
} // namespace
