// The movie layer on the null back-end, over clips made by our WMV writer:
// what opening reports for missing, broken, soundless and pictureless files,
// pictures arriving in order at their times on a manual clock, the sound
// track decoded whole, completion, stopping mid-play and resuming, and the
// packed layouts a renderer can ask for.
#include "platform/movie/Movie.h"

#include "platform/win/Backend.h"
#include "platform/win/Clock.h"
#include "tools/demo/DemoMovie.h"
#include "tools/writers/WmvWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace
{
using namespace movie;

const std::vector<uint32_t> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x000000};

struct Rgb
{
    int r, g, b;
};

Rgb ColourOf(uint32_t argb)
{
    return {int(argb >> 16 & 255), int(argb >> 8 & 255), int(argb & 255)};
}

Rgb FromYuv(int y, int u, int v)
{
    auto clamp = [](double c) { return std::clamp(int(std::lround(c)), 0, 255); };
    const double c = 1.164 * (y - 16);
    return {clamp(c + 1.596 * (v - 128)), clamp(c - 0.391 * (u - 128) - 0.813 * (v - 128)),
            clamp(c + 2.018 * (u - 128))};
}

// The colour of pixel x (even) of a row in any of the layouts.
Rgb PixelOf(const uint8_t* row, PixelLayout layout, int x)
{
    switch (layout)
    {
    case PixelLayout::YUY2:
        return FromYuv(row[x * 2], row[x * 2 + 1], row[x * 2 + 3]);
    case PixelLayout::UYVY:
        return FromYuv(row[x * 2 + 1], row[x * 2], row[x * 2 + 2]);
    case PixelLayout::BGR24:
        return {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    }
    return {};
}

void ExpectNear(const Rgb& got, const Rgb& want, const std::string& what)
{
    EXPECT_NEAR(got.r, want.r, 14) << what;
    EXPECT_NEAR(got.g, want.g, 14) << what;
    EXPECT_NEAR(got.b, want.b, 14) << what;
}

// What the sink saw of each picture: its facts, the clock at delivery and
// the colour in its middle.
struct Seen
{
    int index;
    uint32_t timeMs;
    uint32_t clock;
    int width, height, pitch;
    Rgb centre;
};

class RecordingSink : public FrameSink
{
  public:
    void DeliverFrame(const VideoFrame& frame) override
    {
        Seen seen{frame.index, frame.timeMs, win::timeGetTime(), frame.width, frame.height, frame.pitch, {}};
        seen.centre = PixelOf(frame.data + size_t(frame.pitch) * size_t(frame.height / 2), frame.layout,
                              frame.width / 2 & ~1);
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Seen.push_back(seen);
    }
    std::vector<Seen> Frames()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Seen;
    }

  private:
    std::mutex m_Mutex;
    std::vector<Seen> m_Seen;
};

// Waits for the decoder thread to get somewhere; the bound only stops a
// broken build from hanging the run.
template <typename Condition> bool Eventually(Condition condition)
{
    for (int i = 0; i < 20000; ++i)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class MovieTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        win::SetClockSource(&m_Clock);
        char pattern[] = "/tmp/qv7-movie-XXXXXX";
        m_Dir = std::string(mkdtemp(pattern)) + "/";
    }
    void TearDown() override
    {
        win::SetClockSource(nullptr);
        std::filesystem::remove_all(m_Dir);
    }

    // Six solid colours at 10 pictures a second, 0.6 s of sound.
    std::string WriteColourClip(const std::string& name = "clip.wmv")
    {
        WmvClip clip = MakeSolidColourClip(kColours, 64, 48, 10);
        clip.sampleRate = 22050;
        clip.audio.assign(size_t(22050 * 6 / 10), 0);
        for (size_t i = 0; i < clip.audio.size(); ++i)
            clip.audio[i] = int16_t(8000 * std::sin(double(i) * 0.05));
        const std::string path = m_Dir + name;
        EXPECT_TRUE(WriteWmvFile(path, clip));
        return path;
    }

    std::unique_ptr<Movie> OpenOk(const std::string& path)
    {
        std::unique_ptr<Movie> movie;
        EXPECT_EQ(Movie::Open(path, Container::Asf, movie), OpenResult::Ok);
        return movie;
    }

    win::ManualClock m_Clock{5000};
    std::string m_Dir;
};

TEST_F(MovieTest, OpeningReportsWhatIsWrongWithTheFile)
{
    const std::string good = WriteColourClip();
    {
        std::ofstream broken(m_Dir + "broken.wmv", std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            broken << char(i * 37 + 11);
    }
    std::ofstream(m_Dir + "empty.wmv").close();
    WmvClip soundOnly;
    soundOnly.audio.assign(22050, 1000);
    ASSERT_TRUE(WriteWmvFile(m_Dir + "sound.wmv", soundOnly));
    WmvClip silent = MakeSolidColourClip({0x808080, 0x808080}, 32, 32, 25);
    ASSERT_TRUE(WriteWmvFile(m_Dir + "silent.wmv", silent));

    const struct
    {
        std::string file;
        Container container;
        OpenResult result;
    } cases[] = {
        {"missing.wmv", Container::Asf, OpenResult::FileNotFound},
        {"missing.mpg", Container::Any, OpenResult::FileNotFound},
        {"broken.wmv", Container::Asf, OpenResult::Unreadable},
        {"empty.wmv", Container::Any, OpenResult::Unreadable},
        {"sound.wmv", Container::Asf, OpenResult::NoVideoStream},
        {"silent.wmv", Container::Asf, OpenResult::Ok},
        {"clip.wmv", Container::Any, OpenResult::Ok},
    };
    for (const auto& c : cases)
    {
        std::unique_ptr<Movie> movie;
        EXPECT_EQ(Movie::Open(m_Dir + c.file, c.container, movie), c.result) << c.file;
        EXPECT_EQ(movie != nullptr, c.result == OpenResult::Ok) << c.file;
    }
    (void)good;

    std::unique_ptr<Movie> movie;
    ASSERT_EQ(Movie::Open(m_Dir + "silent.wmv", Container::Asf, movie), OpenResult::Ok);
    EXPECT_FALSE(movie->HasAudioStream());
    EXPECT_EQ(movie->Audio(), nullptr);
}

TEST_F(MovieTest, OpenDescribesPicturesAndDecodesTheSoundTrackWhole)
{
    auto movie = OpenOk(WriteColourClip());
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->Format().width, 64);
    EXPECT_EQ(movie->Format().height, 48);
    EXPECT_NEAR(movie->Format().framesPerSecond, 10.0, 0.01);
    ASSERT_TRUE(movie->HasAudioStream());
    const AudioTrack* audio = movie->Audio();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->channels, 1);
    EXPECT_EQ(audio->sampleRate, 22050);
    // The encoder pads its last frame and adds its own delay.
    EXPECT_GE(audio->DurationMs(), 600u);
    EXPECT_LT(audio->DurationMs(), 900u);
    const auto loudest = std::max_element(audio->samples.begin(), audio->samples.end());
    EXPECT_NEAR(*loudest, 8000, 1200);
}

TEST_F(MovieTest, PicturesArriveInOrderWhenTheClockReachesThem)
{
    auto movie = OpenOk(WriteColourClip());
    ASSERT_TRUE(movie);
    RecordingSink sink;
    ASSERT_TRUE(movie->Run(&sink));
    const uint32_t start = m_Clock.Now();
    for (int k = 0; k < int(kColours.size()); ++k)
    {
        ASSERT_TRUE(Eventually([&] { return movie->DeliveredFrames() == k + 1; })) << k;
        EXPECT_FALSE(movie->Completed());
        m_Clock.Advance(100);
    }
    const auto frames = sink.Frames();
    ASSERT_EQ(frames.size(), kColours.size());
    for (size_t k = 0; k < frames.size(); ++k)
    {
        EXPECT_EQ(frames[k].index, int(k));
        EXPECT_EQ(frames[k].timeMs, 100u * k);
        // Each picture waited for its time, and the clock was moved only
        // once the one before had arrived.
        EXPECT_EQ(frames[k].clock, start + 100u * k);
        EXPECT_EQ(frames[k].width, 64);
        EXPECT_EQ(frames[k].pitch, 128);
        ExpectNear(frames[k].centre, ColourOf(kColours[k]), "picture " + std::to_string(k));
    }
    // The last picture's time is over at 600 ms, the sound track a little later.
    m_Clock.Advance(1000);
    EXPECT_TRUE(Eventually([&] { return movie->Completed(); }));
    EXPECT_EQ(movie->DeliveredFrames(), int(kColours.size()));
    movie->Stop();
    EXPECT_FALSE(movie->Running());
}

TEST_F(MovieTest, StopJoinsAWaitingThreadAndRunCarriesOnFromThere)
{
    auto movie = OpenOk(WriteColourClip());
    ASSERT_TRUE(movie);
    RecordingSink sink;
    ASSERT_TRUE(movie->Run(&sink));
    ASSERT_TRUE(Eventually([&] { return movie->DeliveredFrames() == 1; }));
    m_Clock.Advance(150); // picture 1 due; picture 2 waits for 200
    ASSERT_TRUE(Eventually([&] { return movie->DeliveredFrames() == 2; }));

    movie->Stop(); // the thread is waiting for picture 2's time
    EXPECT_FALSE(movie->Running());
    m_Clock.Advance(10000); // time passing while stopped does not count
    EXPECT_EQ(movie->DeliveredFrames(), 2);

    const uint32_t resumed = m_Clock.Now();
    ASSERT_TRUE(movie->Run(&sink));
    EXPECT_TRUE(movie->Running());
    m_Clock.Advance(49);
    m_Clock.Advance(1);
    ASSERT_TRUE(Eventually([&] { return movie->DeliveredFrames() == 3; }));
    const auto frames = sink.Frames();
    EXPECT_EQ(frames[2].index, 2);
    EXPECT_EQ(frames[2].clock, resumed + 50);
    ExpectNear(frames[2].centre, ColourOf(kColours[2]), "picture after resuming");
    movie.reset(); // the destructor stops and joins a running movie
}

TEST_F(MovieTest, PicturesComeInTheLayoutAndWidthAsked)
{
    const std::string path = WriteColourClip();
    for (PixelLayout layout : {PixelLayout::YUY2, PixelLayout::UYVY, PixelLayout::BGR24})
    {
        auto movie = OpenOk(path);
        ASSERT_TRUE(movie);
        movie->SetOutput(layout, 96);
        RecordingSink sink;
        ASSERT_TRUE(movie->Run(&sink));
        ASSERT_TRUE(Eventually([&] { return movie->DeliveredFrames() == 1; }));
        movie->Stop();
        const Seen first = sink.Frames().at(0);
        EXPECT_EQ(first.width, 96);
        EXPECT_EQ(first.height, 48);
        EXPECT_EQ(first.pitch, 96 * BytesPerPixel(layout));
        ExpectNear(first.centre, ColourOf(kColours[0]), "layout " + std::to_string(int(layout)));
    }
}

TEST_F(MovieTest, TheDemoIntroOpensWithPicturesAndSound)
{
    ASSERT_TRUE(WriteDemoMovie(m_Dir));
    auto movie = OpenOk(m_Dir + "intro.wmv");
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->Format().width, 320);
    EXPECT_EQ(movie->Format().height, 240);
    ASSERT_NE(movie->Audio(), nullptr);
    EXPECT_GE(movie->Audio()->DurationMs(), 4000u);
}

TEST_F(MovieTest, TheWriterIsDeterministic)
{
    const std::string a = WriteColourClip("a.wmv");
    const std::string b = WriteColourClip("b.wmv");
    auto bytes = [](const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    const auto first = bytes(a);
    EXPECT_GT(first.size(), 1000u);
    EXPECT_EQ(first, bytes(b));
}
} // namespace
