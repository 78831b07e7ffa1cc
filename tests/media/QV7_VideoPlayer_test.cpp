// The intro-movie player on the null back-ends, with clips made by our WMV
// writer and a manual clock: failures end the movie at once with their log
// lines; a clip's pictures reach the video texture in order and the movie
// ends; the texture is written only on the game thread, after the frame lock
// hands a picture over; device loss stops and resumes; the sound track plays
// at the music volume; the pictures follow the sound track's clock through a
// long clip; destroying the player mid-play joins the decoder.
#include "media/QV7_VideoPlayer.h"

#include "SoundTestSupport.h"
#include "engine/QV7_Engine.h"
#include "engine/effects/QV7_EffectSources.h"
#include "media/QV7_SoundSystem.h"
#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/EffectDescription.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Clock.h"
#include "tools/writers/WmvWriter.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace
{
const std::vector<uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x000000};

struct Rgb
{
    int r, g, b;
};

Rgb FromYuv(int y, int u, int v)
{
    auto clamp = [](double c) { return std::clamp(int(std::lround(c)), 0, 255); };
    const double c = 1.164 * (y - 16);
    return {clamp(c + 1.596 * (v - 128)), clamp(c - 0.391 * (u - 128) - 0.813 * (v - 128)),
            clamp(c + 2.018 * (u - 128))};
}

template <typename Condition> bool Eventually(Condition condition)
{
    for (int i = 0; i < 20000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return condition();
}

class VideoPlayerTest : public SoundTestBase
{
  protected:
    void SetUp() override
    {
        SoundTestBase::SetUp();
        win::SetClockSource(&m_Clock);
        gfx::null::ResetSettings();
        m_Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(m_Direct3D, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = 800;
        pp.BackBufferHeight = 600;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(m_Direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                           &pp, &g_device),
                  D3D_OK);
        m_Sound = std::make_unique<QV7_SoundSystem>();
        ASSERT_TRUE(m_Sound->InitDevice(nullptr));
    }
    void TearDown() override
    {
        m_Sound.reset();
        if (g_device)
            g_device->Release();
        g_device = nullptr;
        if (m_Direct3D)
            m_Direct3D->Release();
        gfx::null::ResetSettings();
        win::SetClockSource(nullptr);
        SoundTestBase::TearDown();
    }

    void WriteIntro(const std::vector<uint32_t>& colours, double soundSeconds = 0.5)
    {
        WmvClip clip = MakeSolidColourClip(colours, 64, 48, 10);
        clip.audio.assign(size_t(22050 * soundSeconds), 3000);
        ASSERT_TRUE(WriteWmvFile(m_Dir + "intro.wmv", clip));
    }

    static CTextureRenderer* Renderer(QV7_VideoPlayer& player)
    {
        return player.m_Filter->Graph()->Renderer();
    }
    static movie::Movie* Movie(QV7_VideoPlayer& player) { return player.m_Filter->Graph()->m_Movie.get(); }

    // The colour in the middle of the video texture, read on this (the game) thread.
    static Rgb TextureCentre(QV7_VideoPlayer& player)
    {
        IDirect3DTexture9* texture = Renderer(player)->Texture();
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t(locked.Pitch) * 24;
        const Rgb colour = FromYuv(row[64], row[65], row[67]);
        texture->UnlockRect(0);
        return colour;
    }

    static void ExpectColour(const Rgb& got, uint32_t want, const std::string& what)
    {
        EXPECT_NEAR(got.r, int(want >> 16 & 255), 14) << what;
        EXPECT_NEAR(got.g, int(want >> 8 & 255), 14) << what;
        EXPECT_NEAR(got.b, int(want & 255), 14) << what;
    }

    // Lets the decoder thread reach picture count n, then draws one game frame.
    static void FrameAfter(QV7_VideoPlayer& player, int n)
    {
        ASSERT_TRUE(Eventually([&] { return Renderer(player)->DeliveredFrames() >= n; })) << n;
        player.RenderFrame();
    }

    win::ManualClock m_Clock{1000};
    IDirect3D9* m_Direct3D = nullptr;
    std::unique_ptr<QV7_SoundSystem> m_Sound;
};

TEST_F(VideoPlayerTest, AFileThatCannotPlayEndsTheMovieAtOnceWithItsLogLines)
{
    const std::string cannot =
        "ERROR: Video Filter: Unable to CreateVideoTextureObject! Make sure Video Decoder "
        "Filters are installed!";
    const struct
    {
        const char* what;
        std::vector<std::string> lines; // in this order
        bool notFound;
    } cases[] = {
        {"missing",
         {"ERROR: Video Filter: Unable to load file %s!", cannot,
          "ERROR: Video Filter: Could not load video file"},
         true},
        {"broken", {"ERROR: Video Filter: Unable to load file %s!", cannot}, false},
        {"sound only",
         {"ERROR: Video Filter: ConnectWMVFile() unable to find Raw Video Pin #1!", cannot},
         false},
    };
    for (const auto& c : cases)
    {
        CapturedLog().clear();
        std::filesystem::remove(m_Dir + "intro.wmv");
        if (std::string(c.what) == "broken")
        {
            std::ofstream out(m_Dir + "intro.wmv", std::ios::binary);
            for (int i = 0; i < 3000; ++i)
                out << char(i * 31 + 7);
        }
        else if (std::string(c.what) == "sound only")
        {
            WmvClip clip;
            clip.audio.assign(22050, 2000);
            ASSERT_TRUE(WriteWmvFile(m_Dir + "intro.wmv", clip));
        }
        {
            QV7_VideoPlayer player;
            EXPECT_EQ(g_videoPlayer, &player);
            player.Start();
            EXPECT_TRUE(player.HasEnded()) << c.what;
            EXPECT_EQ(player.m_Started, 1);
            int previous = -1;
            for (std::string line : c.lines)
            {
                if (const size_t at = line.find("%s"); at != std::string::npos)
                    line.replace(at, 2, m_Dir + "intro.wmv");
                const int index = LogIndex(line);
                EXPECT_GT(index, previous) << c.what << ": " << line;
                previous = index;
            }
            EXPECT_EQ(Logged("ERROR: Video Filter: Could not load video file"), c.notFound) << c.what;
            EXPECT_FALSE(Logged("ERROR: Video Filter: Could not add source filter to graph!")) << c.what;
            player.RenderFrame(); // harmless after a failed start
        }
        EXPECT_EQ(g_videoPlayer, nullptr);
    }
}

TEST_F(VideoPlayerTest, EveryPictureReachesTheTextureInOrderAndTheMovieEnds)
{
    WriteIntro(kColours);
    Settings().MusicVolume = 80;
    QV7_VideoPlayer player;
    player.Start();
    ASSERT_FALSE(player.HasEnded());
    CTextureRenderer* renderer = Renderer(player);
    ASSERT_NE(renderer->Texture(), nullptr);
    EXPECT_EQ(renderer->m_TextureFormat, D3DFMT_A8L8);
    EXPECT_EQ(renderer->m_VideoWidth, 64);
    EXPECT_STREQ(g_videoCopyMode, "Using Dynamic Textures");

    player.RenderFrame(); // runs the graph
    ASSERT_EQ(player.m_GraphRunning, 1);
    for (int k = 0; k < int(kColours.size()); ++k)
    {
        FrameAfter(player, k + 1);
        EXPECT_EQ(renderer->ShownFrames(), k + 1);
        ExpectColour(TextureCentre(player), kColours[size_t(k)], "picture " + std::to_string(k));
        EXPECT_FALSE(player.HasEnded());
        m_Clock.Advance(100);
    }
    // The sound track plays through the sound layer at the music volume.
    snd::SoundBuffer* sound = player.m_Filter->Graph()->m_Sound.get();
    ASSERT_NE(sound, nullptr);
    int32_t volume = 0;
    sound->GetVolume(volume);
    EXPECT_EQ(volume, 80 * 50 - 5000);
    uint32_t status = 0;
    sound->GetStatus(status);
    EXPECT_TRUE(status & snd::DSBSTATUS_PLAYING);

    m_Clock.Advance(1000);
    ASSERT_TRUE(Eventually([&] { return Movie(player)->Completed(); }));
    player.RenderFrame();
    EXPECT_TRUE(player.HasEnded());
    EXPECT_EQ(renderer->ShownFrames(), int(kColours.size()));
}

TEST_F(VideoPlayerTest, TheSoundTrackIsSilentWithSoundSwitchedOff)
{
    WriteIntro({0x808080, 0x808080});
    Settings().INIT_SoundEnabled = 0;
    QV7_VideoPlayer player;
    player.Start();
    player.RenderFrame();
    snd::SoundBuffer* sound = player.m_Filter->Graph()->m_Sound.get();
    ASSERT_NE(sound, nullptr);
    int32_t volume = 0;
    sound->GetVolume(volume);
    EXPECT_EQ(volume, -10000);
}

TEST_F(VideoPlayerTest, TheTextureIsWrittenOnlyByTheGameThreadAfterTheHandOver)
{
    WriteIntro(kColours);
    QV7_VideoPlayer player;
    player.Start();
    player.RenderFrame();
    FrameAfter(player, 1);
    const std::string texture = gfx::ResourceName(Renderer(player)->Texture());

    gfx::null::ClearCalls();
    m_Clock.Advance(100);
    ASSERT_TRUE(Eventually([&] { return Renderer(player)->DeliveredFrames() == 2; }));
    m_Clock.Advance(100);
    ASSERT_TRUE(Eventually([&] { return Renderer(player)->DeliveredFrames() == 3; }));
    // Two pictures handed over and the device not called at all.
    EXPECT_TRUE(gfx::null::Calls().empty());

    player.RenderFrame(); // only the latest picture is written, once
    EXPECT_EQ(gfx::null::CountCalls(texture + ".LockRect("), 1u);
    EXPECT_EQ(gfx::null::CountCalls(texture + ".LockRect(0,8192)"), 1u); // D3DLOCK_DISCARD
    EXPECT_EQ(gfx::null::CountCalls(texture + ".UnlockRect(0)"), 1u);
    ExpectColour(TextureCentre(player), kColours[2], "latest picture");

    gfx::null::ClearCalls();
    player.RenderFrame(); // nothing new waiting
    EXPECT_EQ(gfx::null::CountCalls(texture + ".LockRect("), 0u);
}

TEST_F(VideoPlayerTest, DeviceLossStopsTheMovieAndTheResetCarriesOn)
{
    WriteIntro(kColours);
    QV7_VideoPlayer player;
    player.Start();
    player.RenderFrame();
    FrameAfter(player, 1);
    m_Clock.Advance(100);
    FrameAfter(player, 2);

    player.OnLostReset(1);
    EXPECT_EQ(player.m_Started, 1);
    EXPECT_FALSE(Movie(player)->Running());
    EXPECT_EQ(Renderer(player)->Texture(), nullptr);
    EXPECT_EQ(player.m_Filter->m_Quad, nullptr);
    EXPECT_EQ(player.m_Filter->m_Effect, nullptr);
    uint32_t status = 0;
    player.m_Filter->Graph()->m_Sound->GetStatus(status);
    EXPECT_FALSE(status & snd::DSBSTATUS_PLAYING);
    m_Clock.Advance(5000); // no time passes for the movie while the device is lost

    player.OnLostReset(0);
    EXPECT_FALSE(player.HasEnded());
    ASSERT_NE(Renderer(player)->Texture(), nullptr);
    EXPECT_NE(player.m_Filter->m_Quad, nullptr);
    EXPECT_NE(player.m_Filter->m_Effect, nullptr);
    EXPECT_TRUE(Movie(player)->Running());
    EXPECT_EQ(Renderer(player)->DeliveredFrames(), 2);
    m_Clock.Advance(100);
    FrameAfter(player, 3);
    ExpectColour(TextureCentre(player), kColours[2], "first picture after the reset");
    EXPECT_LE(LogIndex("ERROR: Video Filter: Unable to STOP the DirectShow graph!"), -1);
}

TEST_F(VideoPlayerTest, AnEffectThatCannotBeMadeEndsTheMovieWithItsLogLines)
{
    WriteIntro(kColours);
    d3dx::EffectDescription noSimple;
    const std::string& good = VideoEffectSource();
    ASSERT_TRUE(d3dx::ParseEffectDescription(good.data(), good.size(), noSimple, nullptr));
    for (auto& technique : noSimple.techniques)
        if (technique.name == "Simple")
            technique.name = "Plain";
    const struct
    {
        std::string bytes;
        const char* line;
    } cases[] = {{"not an effect", "ERROR: Video Filter: Failed to load effect file"},
                 {d3dx::WriteEffectDescription(noSimple), "ERROR: Video Filter: SetTechnique failed!"}};
    for (const auto& c : cases)
    {
        CapturedLog().clear();
        QV7_VideoPlayer player;
        player.m_Filter->m_EffectBytes = &c.bytes;
        player.Start();
        EXPECT_TRUE(player.HasEnded()) << c.line;
        EXPECT_GE(LogIndex(c.line), 0) << c.line;
        EXPECT_GT(LogIndex("ERROR: Video Filter: Load Effect Failed"), LogIndex(c.line));
        // The movie is not even opened.
        EXPECT_EQ(player.m_Filter->Graph(), nullptr);
        player.RenderFrame();
    }
}

TEST_F(VideoPlayerTest, EachFrameConvertsThePictureThenDrawsItFullScreenThroughTheColourControls)
{
    WriteIntro(kColours);
    QV7_VideoPlayer player;
    player.Start();
    ASSERT_FALSE(player.HasEnded());
    VideoFilter& filter = *player.m_Filter;
    ID3DXEffect* effect = filter.m_Effect;
    ASSERT_NE(effect, nullptr);
    // Set-up gave the effect the texture's size and its sampling taps.
    float value[4] = {};
    effect->GetFloatArray("SrcTexWidth", value, 1);
    EXPECT_EQ(value[0], 64.0f);
    effect->GetFloatArray("SrcTexHeight", value, 1);
    EXPECT_EQ(value[0], 48.0f);
    effect->GetFloatArray("UvBase[1]", value, 4);
    EXPECT_FLOAT_EQ(value[0], 0.5f / 64.0f);
    EXPECT_FLOAT_EQ(value[1], 0.5f / 48.0f);
    effect->GetFloatArray("UvBase[5]", value, 4); // one texel at 120 degrees
    EXPECT_NEAR(value[0], -0.5f / 64.0f, 1e-6);
    EXPECT_NEAR(value[1], 0.8660254f / 48.0f, 1e-6);

    filter.m_Brightness = 0.75f;
    filter.m_Hue = 0.25f;
    player.RenderFrame();
    FrameAfter(player, 1);
    gfx::null::ClearCalls();
    m_Clock.Advance(100);
    FrameAfter(player, 2);

    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(g_device->GetRenderTarget(0, &backBuffer), D3D_OK);
    const std::string target = gfx::ResourceName(filter.m_RenderTargetSurfaces[0]);
    const std::string converted = gfx::ResourceName(filter.m_RenderTargets[0]);
    const std::string video = gfx::ResourceName(Renderer(player)->Texture());
    const std::string back = gfx::ResourceName(backBuffer);
    backBuffer->Release();
    // The draw comes after the picture was written, and in this order.
    const std::vector<std::string> order = {
        video + ".UnlockRect(0)",
        "SetFVF(258)",
        "SetStreamSource(0," + gfx::ResourceName(filter.m_Quad) + ",0,20)",
        "SetRenderTarget(0," + target + ")",
        "SetDepthStencilSurface(null)",
        "Clear(0,1,0xff000000,1,0)",
        "Effect.SetTexture(BlurTex," + video + ")",
        "Effect.SetTechnique(SimpleYUY2)",
        "Effect.BeginPass(SimpleYUY2,0)",
        "DrawPrimitive(6,0,2)",
        "Effect.End()",
        "SetRenderTarget(0," + back + ")",
        "Clear(0,3,0xff000000,1,0)",
        "Effect.SetTexture(BlurTex," + converted + ")",
        "Effect.SetTechnique(ColorControls)",
        "Effect.BeginPass(ColorControls,0)",
        "DrawPrimitive(6,0,2)",
        "Effect.End()",
    };
    int at = 0;
    for (const std::string& call : order)
    {
        const int found = gfx::null::FindCall(call, size_t(at));
        ASSERT_GE(found, 0) << call;
        at = found + 1;
    }
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive("), 2u);
    EXPECT_EQ(gfx::null::CountCalls("Effect.BeginPass(Blur"), 0u);

    // The colour pass's matrix puts the quad's corners on the corners of the
    // target, inside the depth range.
    D3DXMATRIX wvp;
    effect->GetFloatArray("WorldViewProj", &wvp.m[0][0], 16);
    for (const auto& [x, y] : {std::pair{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}})
    {
        const D3DXVECTOR4 corner(x, y, 0.0f, 1.0f);
        D3DXVECTOR4 clip;
        D3DXVec4Transform(&clip, &corner, &wvp);
        EXPECT_NEAR(clip.x / clip.w, x, 1e-5);
        EXPECT_NEAR(clip.y / clip.w, y, 1e-5);
        EXPECT_GT(clip.z / clip.w, 0.0f);
        EXPECT_LT(clip.z / clip.w, 1.0f);
    }
    const struct
    {
        const char* name;
        float want;
    } controls[] = {{"UvOffsetToUse", 0.0f}, {"Brightness", 0.75f}, {"Contrast", 1.0f}, {"Saturation", 1.0f},
                    {"Hue", 0.25f}};
    for (const auto& c : controls)
    {
        effect->GetFloatArray(c.name, value, 1);
        EXPECT_EQ(value[0], c.want) << c.name;
    }
}

// A 20-second clip played with the sound device's clock drifting from the
// system clock: at the end the picture shown is within one picture of what
// is heard. With no sound to follow (no device, or a device whose position
// never moves) the pictures keep to the system clock instead.
TEST_F(VideoPlayerTest, PicturesFollowTheSoundTrackToTheEndOfALongClip)
{
    constexpr int kFps = 5;
    constexpr int kPictureMs = 1000 / kFps;
    WmvClip clip;
    clip.width = 64;
    clip.height = 48;
    clip.framesPerSecond = kFps;
    clip.frameCount = 20 * kFps;
    clip.quantiser = 31;
    clip.drawFrame = [](int index, std::vector<uint32_t>& pixels) {
        std::fill(pixels.begin(), pixels.end(), uint32_t(index * 2) * 0x010101u);
    };
    clip.audio.assign(size_t(22050 * 20), 2000);
    ASSERT_TRUE(WriteWmvFile(m_Dir + "intro.wmv", clip));

    const struct
    {
        const char* what;
        double soundRate; // sound milliseconds per clock millisecond
        bool soundDevice;
        bool followsSound;
    } cases[] = {
        {"sound slower than the clock", 0.9, true, true},
        {"sound faster than the clock", 1.1, true, true},
        {"a sound position that never moves", 0.0, true, false},
        {"no sound device", 0.9, false, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        if (!c.soundDevice)
            m_Sound.reset();
        QV7_VideoPlayer player;
        player.Start();
        ASSERT_FALSE(player.HasEnded());
        player.RenderFrame(); // runs the graph: pictures and sound start here
        snd::SoundBuffer* sound = player.m_Filter->Graph()->m_Sound.get();
        ASSERT_EQ(sound != nullptr, c.soundDevice);
        const uint32_t start = m_Clock.Now();
        // What the pictures should keep to.
        auto master = [&]() -> uint32_t {
            if (!c.followsSound)
                return m_Clock.Now() - start;
            uint32_t cursor = 0;
            sound->GetCurrentPosition(&cursor, nullptr);
            return uint32_t(uint64_t(cursor / 2) * 1000u / 22050u);
        };
        while (master() < 19700)
        {
            m_Clock.Advance(50);
            snd::null::AdvanceTime(50 * c.soundRate);
            player.RenderFrame();
            ASSERT_FALSE(player.HasEnded()) << master();
        }
        const uint32_t heard = master();
        if (c.followsSound) { // the two clocks are far enough apart to tell
            EXPECT_GT(std::abs(int(m_Clock.Now() - start) - int(heard)), 1500);
        }
        const int due = int(heard) / kPictureMs + 1;
        ASSERT_TRUE(Eventually([&] { return Renderer(player)->DeliveredFrames() >= due; }));
        player.RenderFrame();
        EXPECT_NEAR(double(Renderer(player)->ShownTimeMs()), double(heard), kPictureMs);

        // The movie ends once what is heard has played out.
        m_Clock.Advance(1000);
        snd::null::AdvanceTime(1000 * c.soundRate);
        player.RenderFrame();
        ASSERT_TRUE(Eventually([&] { return Movie(player)->Completed(); }));
        player.RenderFrame();
        EXPECT_TRUE(player.HasEnded());
        EXPECT_EQ(Renderer(player)->DeliveredFrames(), clip.frameCount);
    }
}

TEST_F(VideoPlayerTest, DestroyingThePlayerMidPlayJoinsTheDecoder)
{
    std::vector<uint32_t> long_clip(30, 0x2040C0);
    WriteIntro(long_clip, 3.0);
    const int buffersBefore = snd::null::LiveBufferCount();
    {
        QV7_VideoPlayer player;
        player.Start();
        player.RenderFrame();
        for (int k = 1; k <= 11; ++k)
        {
            m_Clock.Advance(100);
            FrameAfter(player, k + 1);
        }
        EXPECT_FALSE(player.HasEnded());
        EXPECT_EQ(snd::null::LiveBufferCount(), buffersBefore + 1);
        // The decoder thread waits for picture 12 when the player goes, as
        // on a skip after the first second.
    }
    EXPECT_EQ(g_videoPlayer, nullptr);
    EXPECT_EQ(snd::null::LiveBufferCount(), buffersBefore);
}

TEST(CTextureRendererTest, YuvTexturesAreRoundedToThirtyTwoPixels)
{
    std::mutex lock;
    const struct
    {
        int width;
        int textureWidth;
    } cases[] = {{720, 736}, {640, 640}, {33, 64}, {32, 32}};
    for (const auto& c : cases)
    {
        CTextureRenderer renderer(lock, true);
        ASSERT_EQ(renderer.CheckMediaType(movie::PixelLayout::YUY2), S_OK);
        ASSERT_EQ(renderer.SetMediaType({c.width, 48, 25.0}, true), S_OK);
        EXPECT_EQ(renderer.m_VideoWidth, c.textureWidth) << c.width;
        EXPECT_EQ(renderer.m_SourcePitch, c.textureWidth * 2) << c.width;
        EXPECT_EQ(renderer.m_BitsPerPixel, 16);
    }
    CTextureRenderer yuv(lock, true);
    EXPECT_EQ(yuv.CheckMediaType(movie::PixelLayout::BGR24), E_FAIL);
    CTextureRenderer mpeg(lock, false);
    EXPECT_EQ(mpeg.CheckMediaType(movie::PixelLayout::YUY2), E_FAIL);
    ASSERT_EQ(mpeg.CheckMediaType(movie::PixelLayout::BGR24), S_OK);
    ASSERT_EQ(mpeg.SetMediaType({5, 2, 25.0}, false), S_OK);
    EXPECT_EQ(mpeg.m_VideoWidth, 5);
    EXPECT_EQ(mpeg.m_SourcePitch, 16);
    EXPECT_STREQ(g_videoCopyMode, "Bitwise copy of the sample");
}

TEST(CTextureRendererTest, RgbRowsWidenFourPixelsAtATimeThenTheRest)
{
    const uint8_t row[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    uint32_t out[6] = {0, 0, 0, 0, 0, 0xDEADBEEF};
    ExpandRgb24Row(row, out, 5);
    EXPECT_EQ(out[0], 0xFF030201u);
    EXPECT_EQ(out[3], 0xFF0C0B0Au);
    EXPECT_EQ(out[4], 0xFF0F0E0Du); // the fifth, alone
    EXPECT_EQ(out[5], 0xDEADBEEFu); // nothing written past the row
}

TEST_F(VideoPlayerTest, TheReaderIsChosenByTheExtensionWhateverItsCase)
{
    EXPECT_TRUE(IsWindowsMediaPath("/data/INTRO.WMV"));
    EXPECT_TRUE(IsWindowsMediaPath("a.Asf"));
    EXPECT_FALSE(IsWindowsMediaPath("a.mpg"));
    EXPECT_TRUE(IsMpegPath("a.MPEG"));
    EXPECT_TRUE(IsMpegPath("a.m2v"));
    EXPECT_FALSE(IsMpegPath("a.wmv"));

    std::mutex lock;
    const struct
    {
        std::string file;
        std::vector<std::string> lines;
        std::string absent;
    } cases[] = {
        {"INTRO.WMV",
         {"ERROR: Video Filter: Unable to load file %s!"},
         "ERROR: Video Filter: Could not add source filter to graph!"},
        {"intro.mpg",
         {"ERROR: Video Filter: Could not add source filter to graph!",
          "ERROR: Video Filter: Media file: %s could not be found"},
         "ERROR: Video Filter: Unable to load file %s!"},
    };
    for (const auto& c : cases)
    {
        CapturedLog().clear();
        const std::string path = m_Dir + c.file;
        auto expand = [&](std::string line)
        {
            if (const size_t at = line.find("%s"); at != std::string::npos)
                line.replace(at, 2, path);
            return line;
        };
        VideoGraph graph(lock);
        EXPECT_EQ(graph.Connect(path, true), VFW_E_NOT_FOUND) << c.file;
        for (const auto& line : c.lines)
            EXPECT_TRUE(Logged(expand(line))) << line;
        EXPECT_FALSE(Logged(expand(c.absent))) << c.absent;
    }
}
} // namespace
