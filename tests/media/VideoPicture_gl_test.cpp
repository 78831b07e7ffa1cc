// The intro movie's picture on the gl back-end (offscreen driver): the video
// effect turns packed YUV texels into the right RGB pixels for both byte
// orders, and a clip of solid-colour pictures made by our WMV writer shows
// those colours full screen, in order, through the whole draw path (the
// conversion into the render target, then the colour controls).
#include "media/QV7_VideoPlayer.h"

#include "engine/QV7_FrameManager.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/win/Clock.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/WmvWriter.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace
{
struct Rgb
{
    int r, g, b;
};

// BT.601, video range: what the effect must compute.
Rgb FromYuv(int y, int u, int v)
{
    auto clamp = [](double c) { return std::clamp(int(std::lround(c)), 0, 255); };
    const double c = 1.164383 * (y - 16);
    return {clamp(c + 1.596027 * (v - 128)), clamp(c - 0.391762 * (u - 128) - 0.812968 * (v - 128)),
            clamp(c + 2.017232 * (u - 128))};
}

class VideoPictureGlTest : public enginetest::EngineFixture
{
  protected:
    VideoPictureGlTest()
    {
        width = 160;
        height = 120;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        char pattern[] = "/tmp/qv7-video-gl-XXXXXX";
        m_Dir = std::string(mkdtemp(pattern)) + "/";
        m_SavedDataDir = g_dataDir;
        g_dataDir = m_Dir;
        win::SetClockSource(&m_Clock);
        windows->m_Settings.Debug = 0; // no frame counter over the picture
        Start();
        ASSERT_NE(g_device, nullptr);
    }
    void TearDown() override
    {
        EngineFixture::TearDown();
        win::SetClockSource(nullptr);
        g_dataDir = m_SavedDataDir;
        std::filesystem::remove_all(m_Dir);
    }

    template <typename Draw> gfx::PresentedFrame Frame(Draw draw)
    {
        g_frameManager->BeginFrame();
        draw();
        g_frameManager->EndFrame();
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        return frame;
    }

    static Rgb At(const gfx::PresentedFrame& frame, int x, int y)
    {
        const uint32_t p = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
        return {int(p >> 16 & 255), int(p >> 8 & 255), int(p & 255)};
    }

    win::ManualClock m_Clock{1000};
    std::string m_Dir;
    std::string m_SavedDataDir;
};

TEST_F(VideoPictureGlTest, PackedYuvTexelsBecomeTheirRgbPixelsInBothByteOrders)
{
    const std::string& bytes = VideoEffectSource();
    ID3DXEffect* effect = nullptr;
    std::string errors;
    ASSERT_EQ(D3DXCreateEffect(g_device, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr, &effect,
                               &errors),
              D3D_OK)
        << errors;
    constexpr int kTexels = 32;
    // Every pixel its own luma; every pair its own chroma, so that taking U
    // or V from the wrong texel, or the pair from the wrong place, shows.
    auto lumaOf = [](int x) { return 30 + 6 * x; };
    auto uOf = [](int pair) { return 60 + 9 * pair; };
    auto vOf = [](int pair) { return 200 - 7 * pair; };

    for (const bool yuy2 : {true, false})
    {
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(g_device->CreateTexture(kTexels, 2, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8L8, D3DPOOL_DEFAULT, &texture,
                                          nullptr),
                  D3D_OK);
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD), D3D_OK);
        for (int row = 0; row < 2; ++row)
        {
            auto* texel = static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch;
            for (int x = 0; x < kTexels; ++x)
            {
                // Memory order of a texel: L, then A.
                const int chroma = x % 2 == 0 ? uOf(x / 2) : vOf(x / 2);
                texel[2 * x + 0] = uint8_t(yuy2 ? lumaOf(x) : chroma);
                texel[2 * x + 1] = uint8_t(yuy2 ? chroma : lumaOf(x));
            }
        }
        texture->UnlockRect(0);

        // The quad straight in clip space, its coordinates half a texel on,
        // as the movie's quad has them.
        const float du = 0.5f / kTexels, dv = 0.5f / 2;
        const VideoQuadVertex quad[4] = {{-1.0f, -1.0f, 0.5f, 0.0f + du, 1.0f + dv},
                                         {1.0f, -1.0f, 0.5f, 1.0f + du, 1.0f + dv},
                                         {1.0f, 1.0f, 0.5f, 1.0f + du, 0.0f + dv},
                                         {-1.0f, 1.0f, 0.5f, 0.0f + du, 0.0f + dv}};
        D3DMATRIX identity{};
        for (int i = 0; i < 4; ++i)
            identity.m[i][i] = 1.0f;
        const gfx::PresentedFrame frame = Frame(
            [&]
            {
                effect->SetMatrix("WorldViewProj", &identity);
                effect->SetFloat("UvOffsetToUse", 0.0f);
                effect->SetTexture("BlurTex", texture);
                effect->SetTechnique(yuy2 ? "SimpleYUY2" : "SimpleUYVY");
                g_device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
                UINT passes = 0;
                effect->Begin(&passes, 0);
                for (UINT pass = 0; pass < passes; ++pass)
                {
                    effect->BeginPass(pass);
                    g_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(VideoQuadVertex));
                    effect->EndPass();
                }
                effect->End();
                effect->SetTexture("BlurTex", nullptr);
            });
        ASSERT_EQ(frame.width, width);
        const int perTexel = frame.width / kTexels;
        for (int x = 0; x < kTexels; ++x)
        {
            const Rgb want = FromYuv(lumaOf(x), uOf(x / 2), vOf(x / 2));
            for (const int y : {frame.height / 4, 3 * frame.height / 4})
            {
                const Rgb got = At(frame, x * perTexel + perTexel / 4, y); // see the colour-control test
                const std::string where = std::string(yuy2 ? "YUY2" : "UYVY") + " texel " + std::to_string(x);
                EXPECT_NEAR(got.r, want.r, 2) << where;
                EXPECT_NEAR(got.g, want.g, 2) << where;
                EXPECT_NEAR(got.b, want.b, 2) << where;
            }
        }
        texture->Release();
    }
    effect->Release();
}

TEST_F(VideoPictureGlTest, TheColourControlsLeaveThePictureAloneAtTheirRestingValues)
{
    const std::string& bytes = VideoEffectSource();
    ID3DXEffect* effect = nullptr;
    ASSERT_EQ(D3DXCreateEffect(g_device, bytes.data(), UINT(bytes.size()), nullptr, nullptr, 0, nullptr, &effect,
                               nullptr),
              D3D_OK);
    const std::vector<uint32_t> texels = {0xFF0000, 0x808080, 0x4080C0, 0xFFFFFF};
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(g_device->CreateTexture(4, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::copy(texels.begin(), texels.end(), static_cast<uint32_t*>(locked.pBits));
    texture->UnlockRect(0);

    const struct
    {
        const char* what;
        float brightness, contrast, saturation, hue;
        std::vector<uint32_t> want;
    } cases[] = {
        {"resting", 1.0f, 1.0f, 1.0f, 0.0f, texels},
        {"half bright", 0.5f, 1.0f, 1.0f, 0.0f, {0x800000, 0x404040, 0x204060, 0x808080}},
        {"twice the contrast", 1.0f, 2.0f, 1.0f, 0.0f, {0xFF0000, 0x818181, 0x0081FF, 0xFFFFFF}},
        {"no saturation", 1.0f, 1.0f, 0.0f, 0.0f, {0x4C4C4C, 0x808080, 0x747474, 0xFFFFFF}},
        // A third of a turn about the grey axis takes red to green.
        {"hue turned", 1.0f, 1.0f, 1.0f, 2.0943952f, {0x00FF00, 0x808080, 0xC04080, 0xFFFFFF}},
    };
    const float du = 0.5f / 4, dv = 0.5f;
    const VideoQuadVertex quad[4] = {{-1.0f, -1.0f, 0.5f, 0.0f + du, 1.0f + dv},
                                     {1.0f, -1.0f, 0.5f, 1.0f + du, 1.0f + dv},
                                     {1.0f, 1.0f, 0.5f, 1.0f + du, 0.0f + dv},
                                     {-1.0f, 1.0f, 0.5f, 0.0f + du, 0.0f + dv}};
    D3DMATRIX identity{};
    for (int i = 0; i < 4; ++i)
        identity.m[i][i] = 1.0f;
    for (const auto& c : cases)
    {
        const gfx::PresentedFrame frame = Frame(
            [&]
            {
                g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
                g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
                effect->SetMatrix("WorldViewProj", &identity);
                effect->SetFloat("UvOffsetToUse", 0.0f);
                effect->SetFloat("Brightness", c.brightness);
                effect->SetFloat("Contrast", c.contrast);
                effect->SetFloat("Saturation", c.saturation);
                effect->SetFloat("Hue", c.hue);
                effect->SetTexture("BlurTex", texture);
                effect->SetTechnique("ColorControls");
                g_device->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
                UINT passes = 0;
                effect->Begin(&passes, 0);
                effect->BeginPass(0);
                g_device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(VideoQuadVertex));
                effect->EndPass();
                effect->End();
                effect->SetTexture("BlurTex", nullptr);
            });
        for (int x = 0; x < 4; ++x)
        {
            // The quad's half-texel shift (made for a one-to-one copy) moves
            // the stretched texels half a texel left: a quarter in is safe.
            const Rgb got = At(frame, x * frame.width / 4 + frame.width / 16, frame.height / 2);
            const uint32_t want = c.want[size_t(x)];
            EXPECT_NEAR(got.r, int(want >> 16 & 255), 2) << c.what << " texel " << x;
            EXPECT_NEAR(got.g, int(want >> 8 & 255), 2) << c.what << " texel " << x;
            EXPECT_NEAR(got.b, int(want & 255), 2) << c.what << " texel " << x;
        }
    }
    texture->Release();
    effect->Release();
}

TEST_F(VideoPictureGlTest, ASolidColourClipShowsItsColoursFullScreenInOrder)
{
    const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x000000, 0x3080C0};
    ASSERT_TRUE(WriteWmvFile(m_Dir + "intro.wmv", MakeSolidColourClip(colours, 64, 48, 10)));
    QV7_VideoPlayer player;
    player.Start();
    ASSERT_FALSE(player.HasEnded());
    CTextureRenderer* renderer = player.m_Filter->Graph()->Renderer();

    Frame([&] { player.RenderFrame(); }); // the first frame starts the movie
    for (int k = 0; k < int(colours.size()); ++k)
    {
        for (int i = 0; i < 20000 && renderer->DeliveredFrames() < k + 1; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_GE(renderer->DeliveredFrames(), k + 1) << k;
        const gfx::PresentedFrame frame = Frame([&] { player.RenderFrame(); });
        ASSERT_EQ(renderer->ShownFrames(), k + 1);
        const uint32_t want = colours[size_t(k)];
        // Every pixel of the screen: the picture covers it all.
        int wrong = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
            {
                const Rgb got = At(frame, x, y);
                const bool near = std::abs(got.r - int(want >> 16 & 255)) <= 12 &&
                                  std::abs(got.g - int(want >> 8 & 255)) <= 12 &&
                                  std::abs(got.b - int(want & 255)) <= 12;
                if (!near && wrong++ < 3)
                    ADD_FAILURE() << "picture " << k << " at " << x << "," << y << ": " << got.r << " " << got.g
                                  << " " << got.b << ", want " << std::hex << want;
            }
        EXPECT_EQ(wrong, 0) << "picture " << k;
        m_Clock.Advance(100);
    }
    EXPECT_FALSE(player.HasEnded());
}
} // namespace
