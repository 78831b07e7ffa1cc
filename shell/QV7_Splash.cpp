// Generated splash picture and icon, and the splash text.
#include "shell/QV7_Splash.h"

#include "platform/font/Font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace
{
const int kWidth = 485;
const int kHeight = 300;
const uint32_t kTextColour = 0xFF000000u | (18u << 16) | (81u << 8) | 111u;

uint32_t Rgb(double r, double g, double b)
{
    auto c = [](double v) { return uint32_t(std::clamp(v, 0.0, 255.0)); };
    return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

// Height of the island silhouette at column x: two soft hills over the sea.
double IslandTop(int x)
{
    const double hillA = 60.0 * std::exp(-std::pow((x - 130) / 70.0, 2));
    const double hillB = 38.0 * std::exp(-std::pow((x - 330) / 95.0, 2));
    return 262.0 - std::max(hillA, hillB);
}

SplashImage BuildPicture()
{
    SplashImage image{kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight)};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
        {
            const double t = y / double(kHeight);
            uint32_t colour = Rgb(170 + 70 * t, 205 + 40 * t, 235 + 15 * t); // sky, light towards the horizon
            const double sun = std::hypot(x - 390.0, y - 70.0);
            if (sun < 34)
                colour = Rgb(255, 236, 170);
            else if (sun < 46)
                colour = Rgb(250, 230 + (sun - 34), 190 + (sun - 34) * 3);
            if (y > 262)
                colour = Rgb(40, 110 + (y - 262) * 1.5, 150 + (y - 262)); // sea
            if (y > IslandTop(x) && y <= 262)
                colour = Rgb(34 + (y - IslandTop(x)) * 0.3, 92, 58); // island
            if (y < 6 || y >= kHeight - 6 || x < 6 || x >= kWidth - 6)
                colour = Rgb(18, 81, 111); // frame
            image.pixels[size_t(y) * kWidth + x] = colour;
        }
    return image;
}

SplashImage BuildIcon()
{
    SplashImage icon{32, 32, std::vector<uint32_t>(32 * 32)};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            const double r = std::hypot(x - 15.5, y - 15.5);
            uint32_t colour = 0;
            if (r < 15.5)
                colour = y > 20 ? Rgb(40, 130, 170) : Rgb(230, 120, 30); // a wheel over water
            if (r < 7)
                colour = Rgb(30, 30, 30);
            icon.pixels[size_t(y) * 32 + x] = colour;
        }
    return icon;
}

void DrawCentred(SplashImage& image, const font::Font* font, int top, int bottom, const char* text)
{
    if (!font)
        return;
    font::Bitmap32 target;
    target.width = image.width;
    target.height = image.height;
    target.pixels = std::move(image.pixels);
    font->DrawTextCentered(target, font::Rect{0, top, image.width, bottom}, text, kTextColour);
    image.pixels = std::move(target.pixels);
}
} // namespace

const SplashImage& SplashPicture()
{
    static const SplashImage picture = BuildPicture();
    return picture;
}

const SplashImage& WindowIcon()
{
    static const SplashImage icon = BuildIcon();
    return icon;
}

const SplashImage& ComposeSplash(int loadingPercent)
{
    static SplashImage composed;
    static int composedPercent = -1;
    static std::unique_ptr<font::Font> font = font::Font::Create("Times New Roman", 20, 500, false);
    if (composedPercent == loadingPercent && !composed.pixels.empty())
        return composed;
    composed = SplashPicture();
    // Horizontally centred at the top of each band, as DT_CENTER places it.
    DrawCentred(composed, font.get(), 155, 175, "Loading Game");
    char percent[16];
    std::snprintf(percent, sizeof(percent), "%d%%", loadingPercent);
    DrawCentred(composed, font.get(), 180, 200, percent);
    composedPercent = loadingPercent;
    return composed;
}
