// The demo intro movie's pictures and sound. The card is a dark gradient
// with a bright band across it; three discs orbit the middle and a bar
// sweeps below. The sound is a soft chord that fades in and out.
#include "tools/demo/DemoMovie.h"

#include "tools/writers/WmvWriter.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFramesPerSecond = 25;
constexpr int kSeconds = 4;
constexpr int kSampleRate = 22050;
constexpr double kPi = 3.14159265358979;

uint32_t Rgb(int r, int g, int b)
{
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

void DrawDisc(std::vector<uint32_t>& pixels, double cx, double cy, double radius, uint32_t colour)
{
    for (int y = std::max(0, int(cy - radius)); y <= std::min(kHeight - 1, int(cy + radius)); ++y)
        for (int x = std::max(0, int(cx - radius)); x <= std::min(kWidth - 1, int(cx + radius)); ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                pixels[size_t(y * kWidth + x)] = colour;
}

void DrawCard(int index, std::vector<uint32_t>& pixels)
{
    const double t = double(index) / kFramesPerSecond;
    // Fade in over the first second and out over the last half.
    const double level = std::min({1.0, t, (kSeconds - t) * 2.0});
    auto shade = [&](int c) { return int(c * std::max(0.0, level)); };
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            const bool band = y >= 100 && y < 140;
            const int base = band ? 200 : 20 + y / 6;
            pixels[size_t(y * kWidth + x)] =
                Rgb(shade(band ? 230 : base / 2), shade(band ? 170 : base / 2), shade(band ? 40 : base));
        }
    const uint32_t colours[3] = {Rgb(shade(220), shade(40), shade(30)), Rgb(shade(40), shade(200), shade(60)),
                                 Rgb(shade(60), shade(90), shade(230))};
    for (int i = 0; i < 3; ++i)
    {
        const double angle = t * 2.0 + i * 2.0 * kPi / 3.0;
        DrawDisc(pixels, kWidth / 2 + 110 * std::cos(angle), kHeight / 2 + 70 * std::sin(angle), 18,
                 colours[i]);
    }
    const int barX = int(std::fmod(t * 120.0, double(kWidth + 60))) - 60;
    for (int y = 200; y < 212; ++y)
        for (int x = std::max(0, barX); x < std::min(kWidth, barX + 60); ++x)
            pixels[size_t(y * kWidth + x)] = Rgb(shade(250), shade(250), shade(250));
}

std::vector<int16_t> Chord()
{
    const double notes[3] = {220.0, 277.18, 329.63};
    std::vector<int16_t> samples(size_t(kSampleRate * kSeconds));
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const double t = double(i) / kSampleRate;
        const double envelope = std::min({1.0, t / 0.8, (kSeconds - t) / 0.8});
        double sum = 0.0;
        for (double note : notes)
            sum += std::sin(2.0 * kPi * note * t * (1.0 + t * 0.02));
        samples[i] = int16_t(std::lround(sum / 3.0 * 9000.0 * envelope));
    }
    return samples;
}
} // namespace

bool WriteDemoMovie(const std::string& dataDir)
{
    WmvClip clip;
    clip.width = kWidth;
    clip.height = kHeight;
    clip.framesPerSecond = kFramesPerSecond;
    clip.frameCount = kFramesPerSecond * kSeconds;
    clip.drawFrame = &DrawCard;
    clip.quantiser = 4;
    clip.sampleRate = kSampleRate;
    clip.channels = 1;
    clip.audio = Chord();
    return WriteWmvFile(dataDir + "intro.wmv", clip);
}
