// Island pictures: each pixel samples the island's height field (coordinates
// -1..1 across the picture, +y down), gets its colour from the height and its
// light from the slope, then the track is laid over it as a dusty band.
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

// Value noise on an integer lattice, smoothly interpolated: the same numbers everywhere.
float Lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

float Noise(float x, float y, uint32_t seed)
{
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    const float fx = Smooth(0.0f, 1.0f, x - float(ix)), fy = Smooth(0.0f, 1.0f, y - float(iy));
    const float top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * fx;
    const float bottom =
        Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * fx;
    return top + (bottom - top) * fy;
}

// Three octaves, about 0..1.
float Fractal(float x, float y, uint32_t seed)
{
    return 0.57f * Noise(x * 3.0f, y * 3.0f, seed) + 0.29f * Noise(x * 7.0f, y * 7.0f, seed + 1) +
           0.14f * Noise(x * 15.0f, y * 15.0f, seed + 2);
}

// Height above the sea (negative: depth below it) at (x, y) in -1..1, from
// the island's own height field: land in units of 5000, the sea's depth in
// units of 400 so the shallows and the deep water keep their colours.
float Height(const demo::Heightfield& field, float x, float y)
{
    const float half = demo::kIslandSize * 0.5f;
    const float h = field.HeightAt((x + 1.0f) * half, (y + 1.0f) * half) - demo::kIslandWaterLevel;
    return h >= 0.0f ? h / 5000.0f : h / 400.0f;
}

// Colour of a land height: beach, then the island's vegetation or rock.
Rgb LandColour(int island, float h, float detail)
{
    const Rgb sand = FromArgb(0xE8D7A0), wetSand = FromArgb(0xC9B27A);
    if (h < 0.015f)
        return Lerp(wetSand, sand, h / 0.015f);
    if (island == 3)
    {
        const Rgb ochre = FromArgb(0xC98A4B), red = FromArgb(0x9A4E2C), dark = FromArgb(0x5E3322);
        const Rgb ground = Lerp(Lerp(sand, ochre, (h - 0.015f) / 0.08f), red, (h - 0.25f) / 0.35f);
        return Lerp(ground, dark, detail * 0.25f);
    }
    const Rgb grass = FromArgb(0x6DAA45), forest = FromArgb(0x2F6B2C), rock = FromArgb(0x8E8272);
    const Rgb snowless =
        Lerp(Lerp(sand, grass, (h - 0.015f) / 0.04f), forest, (h - 0.12f) / 0.25f + detail * 0.3f);
    return Lerp(snowless, rock, (h - 0.5f) / 0.2f);
}

// Sea colour by depth: turquoise shallows to deep blue, with a foam line at the coast.
Rgb SeaColour(float h, float detail)
{
    const Rgb shallow = FromArgb(0x3FC7C9), mid = FromArgb(0x1C7FA8), deep = FromArgb(0x0C3A6B);
    Rgb water = h > -0.08f ? Lerp(shallow, mid, -h / 0.08f) : Lerp(mid, deep, (-h - 0.08f) / 0.35f);
    water = Lerp(water, FromArgb(0xFFFFFF), 0.06f * detail);
    const float foam = Smooth(-0.02f, 0.0f, h);
    return Lerp(water, FromArgb(0xF4FBFF), foam * 0.7f);
}

struct IslandCanvas
{
    Bitmap32 pixels;
    std::vector<float> heights;
};

// The island shaded by a sun from the north-west; seaAlpha 1 for an opaque sea.
IslandCanvas PaintIsland(int island, int size, float seaAlpha)
{
    const demo::Heightfield field = demo::DemoIslandHeightfield(island);
    IslandCanvas canvas{Bitmap32(size, size, 0), std::vector<float>(size_t(size) * size)};
    const float step = 2.0f / float(size);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px)
        {
            const float x = -1.0f + (float(px) + 0.5f) * step, y = -1.0f + (float(py) + 0.5f) * step;
            const float h = Height(field, x, y);
            const float detail = Fractal(x * 4.0f, y * 4.0f, 99u);
            canvas.heights[size_t(py) * size + px] = h;
            if (h < 0.0f)
            {
                const float alpha = seaAlpha + (1.0f - seaAlpha) * Smooth(-0.12f, 0.0f, h);
                canvas.pixels.pixels[size_t(py) * size + px] = ToArgb(SeaColour(h, detail), alpha);
                continue;
            }
            // The slope from two neighbours, lit from the north-west.
            const float e = 0.01f;
            const float dx = (Height(field, x + e, y) - h) / e, dy = (Height(field, x, y + e) - h) / e;
            const float nx = -dx * 0.35f, ny = -dy * 0.35f, nz = 1.0f;
            const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
            const float light = (nx * -0.6f + ny * -0.6f + nz * 0.53f) / length;
            const float shade = std::clamp(0.45f + 0.75f * light, 0.3f, 1.2f);
            Rgb c = LandColour(island, h, detail);
            c = {c.r * shade, c.g * shade, c.b * shade};
            canvas.pixels.pixels[size_t(py) * size + px] = ToArgb(c);
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

std::vector<uint8_t> DemoIslandThumbnail(int island, const std::string& name, int size)
{
    IslandCanvas canvas = PaintIsland(island, size, 1.0f);
    DrawTrack(canvas.pixels, island, float(size) / 90.0f);
    Vignette(canvas.pixels);
    Caption(canvas.pixels, name);
    Border(canvas.pixels, 0xFFB8C8E0);
    return Png(canvas.pixels);
}

std::vector<uint8_t> DemoIslandMiniMap(int island, int size)
{
    IslandCanvas canvas = PaintIsland(island, size, 0.0f);
    DrawTrack(canvas.pixels, island, float(size) / 60.0f);
    return Png(canvas.pixels);
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
