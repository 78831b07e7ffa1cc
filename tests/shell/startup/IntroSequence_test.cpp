// The intro movie and the logo sequence on the null back-ends and the manual
// clock, as start-up runs them. Every scripted frame is 50 ms; the harness's
// observer runs at each frame's input poll and notes what the frame before
// drew (the null device keeps the 2D quads) and the music pieces' state
// after it, so the six phases, the fade values, the cross-fade's volumes and
// the skip keys are all checked frame by frame.
#include "engine/QV7_TextureList.h"
#include "media/QV7_SoundSystem.h"
#include "media/QV7_VideoPlayer.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "shell/QV7_Windows.h"
#include "shell/startup/QV7_IntroSequence.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoSounds.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/WmvWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

using namespace screentest;

namespace
{
constexpr uint32_t kFrameMs = 50;

struct Quad
{
    std::string texture;
    uint32_t colour = 0;
    float left = 0, top = 0, right = 0, bottom = 0;
};

struct MusicState
{
    int volume = 0; // as last set
    bool playing = false;
    bool looping = false;
};

struct SeenFrame
{
    std::vector<Quad> quads;
    // The two pieces at the frame's poll, and at the next (after the frame set them).
    MusicState first, second;
    MusicState firstAfter, secondAfter;
    bool movie = false; // the movie player existed at this frame's poll
    bool last = false;  // the sequence's last frame: no poll follows it
};

MusicState StateOf(const SoundEntry* entry)
{
    MusicState state;
    uint32_t status = 0;
    if (entry && entry->m_Buffer && SUCCEEDED(entry->m_Buffer->GetStatus(status)))
    {
        state.volume = entry->m_Volume;
        state.playing = (status & snd::DSBSTATUS_PLAYING) != 0;
        state.looping = (status & snd::DSBSTATUS_LOOPING) != 0;
    }
    return state;
}

// The 2D quads kept since the last look (pre-transformed, colour, one
// texture set), those before the first Present first; then forgets them.
std::vector<Quad> TakeQuads(std::vector<Quad>* afterPresent = nullptr)
{
    const int present = gfx::null::FindCall("Present()");
    std::vector<Quad> quads;
    for (const gfx::null::UserDraw& draw : gfx::null::UserDraws())
    {
        if (draw.stride != 28 || draw.vertices.size() < 4 * 28)
            continue;
        float corner[2][2];
        std::memcpy(corner[0], draw.vertices.data(), 8);
        std::memcpy(corner[1], draw.vertices.data() + 3 * 28, 8);
        Quad quad;
        quad.texture = draw.texture;
        std::memcpy(&quad.colour, draw.vertices.data() + 16, 4);
        quad.left = corner[0][0];
        quad.top = corner[0][1];
        quad.right = corner[1][0];
        quad.bottom = corner[1][1];
        const bool later = afterPresent && present >= 0 && draw.call > size_t(present);
        (later ? *afterPresent : quads).push_back(quad);
    }
    gfx::null::ClearCalls();
    return quads;
}

void WritePicture(const std::string& path, uint32_t argb)
{
    ImagePixels pixels;
    pixels.width = pixels.height = 16;
    pixels.argb.assign(256, argb);
    const std::vector<uint8_t> png = WritePng(pixels);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

// One logo phase: what it draws, where its value starts, how fast it moves
// and where it ends, and how long that takes.
enum class Kind
{
    Faded,      // the picture, then the fade over it
    Plain,      // the picture alone
    Crossfaded, // the picture, then the loading picture blended over it
};

struct Phase
{
    int picture; // 1 or 2
    Kind kind;
    float start; // the fade value, or the hold timer
    float perMs;
    float end;
    uint32_t durationMs;
};

const Phase kPhases[] = {
    {1, Kind::Faded, 0.0f, 0.1f, 255.0f, 2550},  {1, Kind::Plain, 0.0f, 0.1f, 320.0f, 3200},
    {1, Kind::Faded, 255.0f, -0.2f, 0.0f, 1275}, {2, Kind::Faded, 0.0f, 0.2f, 255.0f, 1275},
    {2, Kind::Plain, 0.0f, 0.1f, 380.0f, 3800},  {2, Kind::Crossfaded, 255.0f, -0.1f, 0.0f, 2550},
};

// One start-up's intro and logos on a front end of its own (a quit is for
// good, so every run needs a fresh one).
class IntroRun
{
  public:
    explicit IntroRun(int volume) : musicVolume(volume)
    {
        gfx::null::Settings().keepUserDraws = true;
        h.Windows().m_Settings.MusicVolume = musicVolume;
        WritePicture(h.DataDir() + "ldat1.gfx", 0xFFFF0000);
        WritePicture(h.DataDir() + "ldat2.gfx", 0xFF00FF00);
        WritePicture(h.DataDir() + "ldat3.gfx", 0xFF0000FF);
        WritePicture(h.DataDir() + "ldat4.gfx", 0xFFFFFFFF);
        LoadLoadingScreen(list, h.DataDir());
        EXPECT_NE(list.m_LoadingPicture, nullptr);
        logo1 = gfx::ResourceName(TextureOf(list.m_Logo1));
        logo2 = gfx::ResourceName(TextureOf(list.m_Logo2));
        loading = gfx::ResourceName(TextureOf(list.m_LoadingPicture));

        WriteDemoSounds(h.DataDir());
        sound = std::make_unique<QV7_SoundSystem>();
        EXPECT_TRUE(sound->InitDevice(nullptr));
        sound->LoadMenuSounds();
        EXPECT_NE(sound->m_MusicA, nullptr);
        EXPECT_NE(sound->m_MusicB, nullptr);

        h.SetFrameObserver(
            [this]
            {
                const MusicState first = StateOf(sound->m_MusicA), second = StateOf(sound->m_MusicB);
                if (m_Pending)
                {
                    m_Pending->quads = TakeQuads();
                    m_Pending->firstAfter = first;
                    m_Pending->secondAfter = second;
                    seen.push_back(*m_Pending);
                }
                m_Pending = SeenFrame{};
                m_Pending->first = first;
                m_Pending->second = second;
                m_Pending->movie = g_videoPlayer != nullptr;
                gfx::null::ClearCalls();
            });
        gfx::null::ClearCalls();
    }
    ~IntroRun() { sound.reset(); }

    // Runs the sequence over frames whose input input(frame number) gives.
    void Run(const std::function<ScriptedFrame(int)>& input, int frames)
    {
        for (int i = 0; i < frames; ++i)
        {
            ScriptedFrame frame = input(i);
            frame.ms = kFrameMs;
            h.Queue(frame);
        }
        h.CloseAfterScript();
        RunIntroAndLogos(list, *sound);
        // No poll follows the last frame: its quads come before the loading
        // screen's first Present.
        end1 = StateOf(sound->m_MusicA);
        end2 = StateOf(sound->m_MusicB);
        if (m_Pending)
        {
            m_Pending->quads = TakeQuads(&afterwards);
            m_Pending->last = true;
            seen.push_back(*m_Pending);
            m_Pending.reset();
        }
        else
            TakeQuads(&afterwards);
    }

    // The logo frames: those whose first quad is a logo.
    std::vector<SeenFrame> LogoFrames() const
    {
        std::vector<SeenFrame> logos;
        for (const SeenFrame& frame : seen)
            if (!frame.quads.empty() && (frame.quads[0].texture == logo1 || frame.quads[0].texture == logo2))
                logos.push_back(frame);
        return logos;
    }

    static bool Drew(const std::vector<Quad>& quads, const std::string& texture)
    {
        return std::any_of(quads.begin(), quads.end(), [&](const Quad& q) { return q.texture == texture; });
    }

    // After the sequence: the looping piece at the normal music volume, the
    // first stopped, and the loading screen drawn without the logos.
    void ExpectHandOver() const
    {
        EXPECT_FALSE(end1.playing);
        EXPECT_TRUE(end2.playing && end2.looping);
        EXPECT_EQ(end2.volume, musicVolume == 0 ? -10000 : musicVolume * 50 - 5000);
        EXPECT_TRUE(Drew(afterwards, loading));
        EXPECT_FALSE(Drew(afterwards, logo1) || Drew(afterwards, logo2));
    }

    const int musicVolume;
    ScreenLoopHarness h;
    QV7_TextureList list{TextureListRole::LoadingScreen};
    std::unique_ptr<QV7_SoundSystem> sound;
    std::string logo1, logo2, loading;
    std::vector<SeenFrame> seen;
    std::vector<Quad> afterwards;
    MusicState end1, end2;

  private:
    std::optional<SeenFrame> m_Pending;
};

ScriptedFrame Idle(int)
{
    return {};
}

TEST(IntroSequenceTest, SixPhasesFadeTheLogosAndCrossFadeTheMusic)
{
    for (const int musicVolume : {80, 0})
    {
        SCOPED_TRACE(musicVolume);
        IntroRun run(musicVolume);
        run.Run(Idle, 400);
        const std::vector<SeenFrame> logos = run.LogoFrames();

        size_t at = 0;
        for (const Phase& phase : kPhases)
        {
            SCOPED_TRACE("phase " + std::to_string(&phase - kPhases + 1));
            const std::string& picture = phase.picture == 1 ? run.logo1 : run.logo2;
            const size_t first = at;
            for (float value = phase.start;;)
            {
                ASSERT_LT(at, logos.size());
                const SeenFrame& frame = logos[at];
                const Quad& logo = frame.quads[0];
                const size_t n = at - first;
                ASSERT_EQ(logo.texture, picture) << n;
                ASSERT_EQ(frame.quads.size(), phase.kind == Kind::Plain ? 1u : 2u) << n;
                EXPECT_EQ(logo.colour, 0xFFFFFFFFu);
                EXPECT_EQ(logo.left, 0.0f);
                EXPECT_EQ(logo.top, 0.0f);
                EXPECT_EQ(logo.right, 1023.0f);
                EXPECT_EQ(logo.bottom, 1023.0f);
                EXPECT_TRUE(frame.first.playing && !frame.first.looping) << n;
                const int fade = int(value);
                if (phase.kind == Kind::Faded)
                {
                    EXPECT_EQ(frame.quads[1].texture, "null");
                    EXPECT_EQ(frame.quads[1].colour, uint32_t(fade) << 24) << n;
                }
                if (phase.kind == Kind::Crossfaded)
                {
                    // The loading picture comes in as the fade value falls,
                    // and the music crosses over with it.
                    EXPECT_EQ(frame.quads[1].texture, run.loading);
                    EXPECT_EQ(frame.quads[1].colour, uint32_t(255 - fade) << 24 | 0xFFFFFFu) << n;
                    const float level = value / 255.0f, rest = (255.0f - value) / 255.0f;
                    if (!frame.last) // else the hand-over has set them since
                    {
                        EXPECT_EQ(frame.firstAfter.volume,
                                  musicVolume == 0 ? -10000 : int(level * float(musicVolume) - 100.0f) * 50)
                            << n;
                        EXPECT_EQ(frame.secondAfter.volume, int(rest * float(musicVolume) - 100.0f) * 50)
                            << n;
                    }
                    EXPECT_TRUE(frame.second.playing && frame.second.looping) << n;
                }
                else
                    EXPECT_FALSE(frame.second.playing) << n;
                ++at;
                value += float(kFrameMs) * phase.perMs;
                if (phase.perMs > 0 ? value >= phase.end : value <= phase.end)
                    break;
            }
            EXPECT_NEAR(double((at - first) * kFrameMs), double(phase.durationMs), double(kFrameMs));
        }
        EXPECT_EQ(at, logos.size()) << "logo frames after the last phase";
        run.ExpectHandOver();
    }
}

TEST(IntroSequenceTest, ASkipKeyOrClickInAnyPhaseGoesStraightToTheLoadingScreen)
{
    constexpr int kEscape = 1, kSpace = 57, kEnter = 28, kPadEnter = 156;
    // Frames inside phases 1 to 6 (they start at frames 0, 51, 115, 141, 167 and 243).
    const struct
    {
        int frame;
        int key; // 0: the left mouse button
    } cases[] = {{10, kEscape}, {80, kSpace}, {120, kEnter}, {150, kPadEnter}, {200, 0}, {260, kEscape}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.frame);
        IntroRun run(60);
        run.Run(
            [&](int i)
            {
                ScriptedFrame frame;
                if (i == c.frame)
                {
                    if (c.key)
                        frame.keys = {c.key};
                    else
                        frame.left = true;
                }
                return frame;
            },
            400);
        // The frame with the press is drawn, then the sequence ends.
        EXPECT_EQ(run.LogoFrames().size(), size_t(c.frame + 1));
        run.ExpectHandOver();
    }
}

TEST(IntroSequenceTest, TheMovieIgnoresSkipsInItsFirstSecondAndASkipThenSkipsTheLogos)
{
    IntroRun run(70);
    WmvClip clip = MakeSolidColourClip(std::vector<uint32_t>(30, 0x204080), 64, 48, 10);
    ASSERT_TRUE(WriteWmvFile(run.h.DataDir() + "intro.wmv", clip));
    run.Run(
        [](int)
        {
            ScriptedFrame frame;
            frame.keys = {1};
            return frame;
        },
        100);
    const auto movieFrames =
        std::count_if(run.seen.begin(), run.seen.end(), [](const SeenFrame& f) { return f.movie; });
    // Escape is held from the first frame (every poll of the movie loop); it
    // counts once more than 1000 ms have passed.
    EXPECT_EQ(movieFrames, 1000 / kFrameMs + 1);
    EXPECT_EQ(g_videoPlayer, nullptr);
    EXPECT_TRUE(run.LogoFrames().empty());
    for (const SeenFrame& frame : run.seen)
        EXPECT_FALSE(frame.first.playing) << "the first piece belongs to the logos";
    run.ExpectHandOver();
}
} // namespace
