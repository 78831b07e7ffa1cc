// Island pictures: the real island from above (its shaded base picture with
// the sea over the drowned ground), then the track laid over it as a dusty
// band.
#include "tools/demo/DemoMapThumbnails.h"

#include "platform/font/Font.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"
#include "tools/writers/ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
using font::Bitmap32;
constexpr float kPi = 3.14159265f;

struct Rgb
{
    float r, g, b;
};

Rgb FromArgb(uint32_t c)
{
    return {float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f, float(c & 0xFF) / 255.0f};
}

Rgb Lerp(const Rgb& a, const Rgb& b, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

uint32_t ToArgb(const Rgb& c, float alpha = 1.0f)
{
    auto byte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(alpha) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

float Smooth(float e0, float e1, float x)
{
    const float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// The island seen from above as the race shows it: its base picture under its
// sun shading, the sea's colour over the ground below the water, deepening
// offshore. Column x, row z, each pixel the mean of the ground it covers.
// seaAlpha 1 for an opaque sea; less lets the deep sea show through.
Bitmap32 PaintIsland(const demo::IslandTopView& view, int size, float seaAlpha)
{
    Bitmap32 canvas(size, size, 0);
    const int texels = std::max(int(view.ground.width) / size, 1);
    const Rgb water = FromArgb(view.water);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px)
        {
            float r = 0.0f, g = 0.0f, b = 0.0f, depth = 0.0f;
            for (int j = py * texels; j < (py + 1) * texels; ++j)
                for (int i = px * texels; i < (px + 1) * texels; ++i)
                {
                    const Rgb c = FromArgb(view.ground.At(uint32_t(i), uint32_t(j)));
                    r += c.r, g += c.g, b += c.b;
                    depth += view.waterLevel - view.field.At(i, j);
                }
            const float n = float(texels * texels);
            depth /= n;
            const Rgb ground{r / n, g / n, b / n};
            if (depth <= 0.0f)
            {
                canvas.pixels[size_t(py) * size + px] = ToArgb(ground);
                continue;
            }
            // Shallows show the sand through the water; deep water is the sea's own colour.
            const float deep = Smooth(0.0f, 160.0f, depth);
            const Rgb sea = Lerp(Lerp(ground, water, 0.45f), water, deep);
            canvas.pixels[size_t(py) * size + px] = ToArgb(sea, 1.0f - (1.0f - seaAlpha) * deep);
        }
    return canvas;
}

void BlendPixel(Bitmap32& canvas, int x, int y, uint32_t argb, float coverage)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || coverage <= 0.0f)
        return;
    uint32_t& pixel = canvas.pixels[size_t(y) * canvas.width + x];
    const float a = float(argb >> 24) / 255.0f * std::min(coverage, 1.0f);
    const Rgb src = FromArgb(argb), dst = FromArgb(pixel);
    const float dstA = float(pixel >> 24) / 255.0f;
    const float outA = a + dstA * (1.0f - a);
    if (outA <= 0.0f)
        return;
    auto mix = [&](float s, float d) { return (s * a + d * dstA * (1.0f - a)) / outA; };
    pixel = ToArgb({mix(src.r, dst.r), mix(src.g, dst.g), mix(src.b, dst.b)}, outA);
}

// A soft disc of the given radius in pixels.
void Dot(Bitmap32& canvas, float cx, float cy, float radius, uint32_t argb)
{
    for (int y = int(cy - radius - 1); y <= int(cy + radius + 1); ++y)
        for (int x = int(cx - radius - 1); x <= int(cx + radius + 1); ++x)
        {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            BlendPixel(canvas, x, y, argb, std::clamp(radius + 0.5f - d, 0.0f, 1.0f));
        }
}

// The island's race track, the same line its waypoints follow, from world
// units to the picture's pixels.
void DrawTrack(Bitmap32& canvas, int island, float width)
{
    const float toPixels = float(canvas.width) / demo::kIslandSize;
    const std::vector<demo::TrackPoint> line = demo::DemoTrackLine(island, 0.25f / toPixels);
    for (int pass = 0; pass < 2; ++pass)
        for (const demo::TrackPoint& p : line)
        {
            const float px = p.x * toPixels, py = p.z * toPixels;
            if (pass == 0)
                Dot(canvas, px, py, width * 0.5f + 0.8f, 0x60302010);
            else
                Dot(canvas, px, py, width * 0.5f, 0xFFD8C8A0);
        }
    // The start: a white mark on the track's first point.
    Dot(canvas, line[0].x * toPixels, line[0].z * toPixels, width * 0.9f, 0xFFFFFFFF);
}

std::vector<uint8_t> Png(Bitmap32& canvas)
{
    ImagePixels image;
    image.width = uint32_t(canvas.width);
    image.height = uint32_t(canvas.height);
    image.argb = canvas.pixels;
    return WritePng(image, true);
}

// A darkening towards the corners, so the thumbnail reads as a framed view.
void Vignette(Bitmap32& canvas)
{
    const float half = float(canvas.width) * 0.5f;
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
        {
            const float d = std::hypot(float(x) + 0.5f - half, float(y) + 0.5f - half) / (half * 1.41f);
            BlendPixel(canvas, x, y, 0xFF000000, Smooth(0.55f, 1.0f, d) * 0.55f);
        }
}

void Caption(Bitmap32& canvas, const std::string& text)
{
    const int band = canvas.height / 7;
    for (int y = canvas.height - band; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            BlendPixel(canvas, x, y, 0xFF0A1428,
                       0.45f + 0.3f * float(y - canvas.height + band) / float(band));
    std::unique_ptr<font::Font> face = font::Font::Create("Arial", band * 3 / 5, 700, false);
    if (!face)
        return;
    const font::Rect box{0, canvas.height - band, canvas.width, canvas.height};
    font::Rect shadow = box;
    shadow.left += 1, shadow.top += 2, shadow.right += 1, shadow.bottom += 2;
    face->DrawTextCentered(canvas, shadow, text, 0xC0000000);
    face->DrawTextCentered(canvas, box, text, 0xFFF4F0E0);
}

void Border(Bitmap32& canvas, uint32_t colour)
{
    for (int i = 0; i < canvas.width; ++i)
        for (int k = 0; k < 2; ++k)
        {
            BlendPixel(canvas, i, k, colour, 1.0f);
            BlendPixel(canvas, i, canvas.height - 1 - k, colour, 1.0f);
            BlendPixel(canvas, k, i, colour, 1.0f);
            BlendPixel(canvas, canvas.width - 1 - k, i, colour, 1.0f);
        }
}
} // namespace

std::vector<uint8_t> DemoIslandThumbnail(const demo::IslandTopView& view, int island, const std::string& name,
                                         int size)
{
    Bitmap32 canvas = PaintIsland(view, size, 1.0f);
    DrawTrack(canvas, island, float(size) / 90.0f);
    Vignette(canvas);
    Caption(canvas, name);
    Border(canvas, 0xFFB8C8E0);
    return Png(canvas);
}

std::vector<uint8_t> DemoIslandMiniMap(const demo::IslandTopView& view, int island, int size)
{
    Bitmap32 canvas = PaintIsland(view, size, 0.0f);
    DrawTrack(canvas, island, float(size) / 60.0f);
    return Png(canvas);
}

std::vector<uint8_t> DemoMiniMapMarker(int size)
{
    Bitmap32 canvas(size, size, 0);
    const float half = float(size) * 0.5f;
    Dot(canvas, half, half, half - 0.5f, 0xFF201008);
    Dot(canvas, half, half, half - 2.0f, 0xFFFFD040);
    Dot(canvas, half - half * 0.25f, half - half * 0.25f, half * 0.25f, 0xA0FFFFFF);
    return Png(canvas);
}

std::vector<uint8_t> DemoPilotPortrait(uint32_t colour, int size)
{
    Bitmap32 canvas(size, size, 0xFF000000);
    const Rgb base = FromArgb(colour);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float t = float(y) / float(size);
            canvas.pixels[size_t(y) * size + x] = ToArgb(Lerp(base, FromArgb(0x101018), t * 0.85f));
        }
    const float s = float(size);
    // Shoulders, helmet, visor and its highlight.
    Dot(canvas, s * 0.5f, s * 1.05f, s * 0.42f, 0xFF23262E);
    Dot(canvas, s * 0.5f, s * 0.48f, s * 0.3f, ToArgb(Lerp(base, FromArgb(0xFFFFFF), 0.35f)));
    Dot(canvas, s * 0.5f, s * 0.48f, s * 0.27f, ToArgb(Lerp(base, FromArgb(0xFFFFFF), 0.15f)));
    for (int y = int(s * 0.4f); y < int(s * 0.58f); ++y)
        for (int x = int(s * 0.26f); x < int(s * 0.74f); ++x)
        {
            const float d = std::hypot(float(x) - s * 0.5f, float(y) - s * 0.48f);
            if (d < s * 0.255f)
                BlendPixel(canvas, x, y, 0xFF0C1018, 1.0f);
        }
    Dot(canvas, s * 0.38f, s * 0.45f, s * 0.035f, 0xB0E0F0FF);
    Border(canvas, 0xFFB8C8E0);
    return Png(canvas);
}
