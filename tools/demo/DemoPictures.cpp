// Demo pictures: gradients, rounded panels, rings and text drawn into ARGB
// canvases, saved as PNG inside the loose files and the containers. Page
// pictures are 1024 x 1024 with the visible 800 x 600 page at the top left.
#include "tools/demo/DemoPictures.h"

#include "tools/demo/DemoEffects.h"

#include "platform/font/Font.h"
#include "tools/demo/DemoBuggyMeshes.h"
#include "tools/demo/DemoFigures.h"
#include "tools/demo/DemoMapsDatabase.h"
#include "tools/demo/DemoSmallFurniturePictures.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/TextureContainerWriter.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace
{
using font::Bitmap32;

struct Colour
{
    float a, r, g, b;
};

Colour Unpack(uint32_t argb)
{
    return {float(argb >> 24) / 255.0f, float((argb >> 16) & 0xFF) / 255.0f,
            float((argb >> 8) & 0xFF) / 255.0f, float(argb & 0xFF) / 255.0f};
}

uint32_t Pack(const Colour& c)
{
    auto byte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(c.a) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
}

uint32_t Mix(uint32_t from, uint32_t to, float t)
{
    const Colour a = Unpack(from), b = Unpack(to);
    return Pack({a.a + (b.a - a.a) * t, a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t});
}

// Non-premultiplied "over" with an extra coverage factor.
void Blend(Bitmap32& canvas, int x, int y, uint32_t argb, float coverage)
{
    if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height || coverage <= 0.0f)
        return;
    uint32_t& pixel = canvas.pixels[size_t(y) * canvas.width + x];
    Colour src = Unpack(argb);
    src.a *= std::min(coverage, 1.0f);
    const Colour dst = Unpack(pixel);
    const float outA = src.a + dst.a * (1.0f - src.a);
    if (outA <= 0.0f)
    {
        pixel = 0;
        return;
    }
    auto channel = [&](float s, float d) { return (s * src.a + d * dst.a * (1.0f - src.a)) / outA; };
    pixel = Pack({outA, channel(src.r, dst.r), channel(src.g, dst.g), channel(src.b, dst.b)});
}

void VerticalGradient(Bitmap32& canvas, int top, int bottom, uint32_t from, uint32_t to)
{
    for (int y = std::max(top, 0); y < std::min(bottom, canvas.height); ++y)
    {
        const uint32_t colour = Mix(from, to, float(y - top) / float(std::max(bottom - top - 1, 1)));
        std::fill_n(canvas.pixels.begin() + size_t(y) * canvas.width, canvas.width, colour);
    }
}

// Signed distance from a rounded rectangle (negative inside).
float RoundRectDistance(float x, float y, float left, float top, float right, float bottom, float radius)
{
    const float cx = (left + right) * 0.5f, cy = (top + bottom) * 0.5f;
    const float hx = (right - left) * 0.5f - radius, hy = (bottom - top) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// A rounded box with a vertical gradient and an optional border line.
void RoundRect(Bitmap32& canvas, float left, float top, float right, float bottom, float radius,
               uint32_t fillTop, uint32_t fillBottom, uint32_t border, float borderWidth)
{
    for (int y = int(top) - 1; y <= int(bottom) + 1; ++y)
        for (int x = int(left) - 1; x <= int(right) + 1; ++x)
        {
            const float d =
                RoundRectDistance(float(x) + 0.5f, float(y) + 0.5f, left, top, right, bottom, radius);
            const float inside = std::clamp(0.5f - d, 0.0f, 1.0f);
            if (inside <= 0.0f)
                continue;
            const float t = std::clamp((float(y) - top) / std::max(bottom - top, 1.0f), 0.0f, 1.0f);
            Blend(canvas, x, y, Mix(fillTop, fillBottom, t), inside);
            if (borderWidth > 0.0f)
                Blend(canvas, x, y, border, std::clamp(d + borderWidth + 0.5f, 0.0f, 1.0f) * inside);
        }
}

void Ring(Bitmap32& canvas, float cx, float cy, float radius, float width, uint32_t inner, uint32_t outer)
{
    for (int y = int(cy - radius - width); y <= int(cy + radius + width); ++y)
        for (int x = int(cx - radius - width); x <= int(cx + radius + width); ++x)
        {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            const float coverage = std::clamp(width * 0.5f + 0.5f - std::fabs(d - radius), 0.0f, 1.0f);
            Blend(canvas, x, y,
                  Mix(inner, outer, std::clamp((d - radius + width * 0.5f) / width, 0.0f, 1.0f)), coverage);
        }
}

// A soft round light: full in the middle, fading to nothing at the radius.
void Glow(Bitmap32& canvas, float cx, float cy, float radius, uint32_t colour)
{
    for (int y = int(cy - radius); y <= int(cy + radius); ++y)
        for (int x = int(cx - radius); x <= int(cx + radius); ++x)
        {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) / radius;
            if (d < 1.0f)
                Blend(canvas, x, y, colour, (1.0f - d) * (1.0f - d));
        }
}

// Diagonal speed stripes across a band.
void Stripes(Bitmap32& canvas, int top, int bottom, int period, int width, uint32_t colour)
{
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < canvas.width; ++x)
            if ((x + y) % period < width)
                Blend(canvas, x, y, colour, 1.0f);
}

std::unique_ptr<font::Font> Face(int height, bool bold)
{
    return font::Font::Create("Arial", height, bold ? 700 : 400, false);
}

// Text centred on cx, its cell's top at y, with a soft drop shadow.
void Text(Bitmap32& canvas, int cx, int y, const std::string& text, int height, bool bold, uint32_t colour)
{
    std::unique_ptr<font::Font> face = Face(height, bold);
    if (!face)
        return;
    const int x = cx - face->MeasureText(text).width / 2;
    face->DrawText(canvas, x + 2, y + 3, text, 0x80000000);
    face->DrawText(canvas, x, y, text, colour);
}

std::vector<uint8_t> Png(Bitmap32& canvas)
{
    ImagePixels image;
    image.width = uint32_t(canvas.width);
    image.height = uint32_t(canvas.height);
    image.argb = std::move(canvas.pixels);
    return WritePng(image, true);
}

// The page space: 1024 x 1024, the visible page 800 x 600.
Bitmap32 Page(uint32_t top, uint32_t bottom)
{
    Bitmap32 canvas{1024, 1024, 0xFF000000};
    VerticalGradient(canvas, 0, 600, top, bottom);
    return canvas;
}

std::vector<uint8_t> FirstLogo()
{
    Bitmap32 canvas = Page(0xFF0A1428, 0xFF02040A);
    Glow(canvas, 400, 250, 260, 0x603060C0);
    Ring(canvas, 400, 240, 96, 16, 0xFFFFC040, 0xFFE05010);
    Ring(canvas, 400, 240, 70, 4, 0xFF80A0FF, 0xFF4060C0);
    Text(canvas, 400, 210, "QV7", 56, true, 0xFFFFFFFF);
    Text(canvas, 400, 370, "QV7 ENGINE", 52, true, 0xFFF0F0F0);
    Text(canvas, 400, 440, "presents", 24, false, 0xFFA0A8C0);
    return Png(canvas);
}

std::vector<uint8_t> SecondLogo()
{
    Bitmap32 canvas = Page(0xFF301010, 0xFF080404);
    Stripes(canvas, 200, 330, 48, 10, 0x30FF8040);
    Glow(canvas, 400, 260, 300, 0x50FF6020);
    Text(canvas, 400, 205, "DEMO RACING", 80, true, 0xFFFFD060);
    Text(canvas, 400, 320, "a combat racing demo", 28, false, 0xFFF0E0D0);
    return Png(canvas);
}

// The bar is drawn by the game from (204, 327) to (589, 344); the frame sits around it.
std::vector<uint8_t> LoadingBackground()
{
    Bitmap32 canvas = Page(0xFF1A3050, 0xFF05080E);
    Glow(canvas, 400, 600, 420, 0x40FF8030);
    Stripes(canvas, 380, 600, 64, 2, 0x18FFFFFF);
    Text(canvas, 400, 200, "DEMO RACING", 64, true, 0xFFFFD060);
    Text(canvas, 400, 280, "Loading", 26, false, 0xFFE0E8F0);
    RoundRect(canvas, 197, 320, 596, 351, 6, 0xE0101820, 0xE0202A38, 0xFFA0B0C8, 2);
    Text(canvas, 400, 540, "Press Escape in a race to open the pause menu", 16, false, 0xFF8090A8);
    return Png(canvas);
}

// 512 x 32: the bar fills u 0 to 0.75195 (385 pixels) and v 0 to 0.52 (16 pixels).
std::vector<uint8_t> ProgressBar()
{
    Bitmap32 canvas{512, 32, 0x00000000};
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 386; ++x)
        {
            const uint32_t along = Mix(0xFFE04010, 0xFFFFD040, float(x) / 385.0f);
            const float shine = y < 6 ? 0.35f * (1.0f - float(y) / 6.0f) : 0.0f;
            canvas.pixels[size_t(y) * 512 + x] =
                Mix(Mix(along, 0xFF802008, float(y) / 34.0f), 0xFFFFFFFF, shine);
        }
    return Png(canvas);
}

std::vector<uint8_t> MainBackdrop()
{
    Bitmap32 canvas = Page(0xFF102040, 0xFF040810);
    // A floor grid running to the horizon.
    for (int y = 330; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
        {
            const float depth = float(y - 320) / 280.0f;
            const float u = (float(x) - 400.0f) / depth;
            const float v = 40.0f / depth;
            const bool line = std::fmod(std::fabs(u), 80.0f) < 2.0f / depth || std::fmod(v, 8.0f) < 0.6f;
            if (line)
                Blend(canvas, x, y, 0xFF40A0FF, 0.25f + 0.5f * depth);
        }
    Glow(canvas, 400, 330, 380, 0x60FF7020);
    Text(canvas, 400, 40, "DEMO RACING", 72, true, 0xFFFFD060);
    return Png(canvas);
}

std::vector<uint8_t> PageBackdrop(const char* title)
{
    Bitmap32 canvas = Page(0xFF182436, 0xFF070A10);
    Stripes(canvas, 0, 600, 96, 3, 0x10FFFFFF);
    RoundRect(canvas, 20, 20, 780, 90, 10, 0xC0203048, 0xC0101820, 0xFF5070A0, 2);
    if (title && *title)
        Text(canvas, 400, 500, title, 30, true, 0xFFE0E8F0);
    return Png(canvas);
}

// The garage pages: warmer than the other pages, with a floor band for the buggies.
std::vector<uint8_t> GarageBackdrop()
{
    Bitmap32 canvas = Page(0xFF2C2018, 0xFF0C0806);
    Stripes(canvas, 0, 600, 64, 2, 0x0CFFE0C0);
    RoundRect(canvas, 20, 20, 780, 90, 10, 0xC0302418, 0xC0181008, 0xFFA07850, 2);
    return Png(canvas);
}

std::vector<uint8_t> Button(int width, int height, bool hover)
{
    Bitmap32 canvas{width, height, 0x00000000};
    const float radius = float(height) * 0.3f;
    if (hover)
        RoundRect(canvas, 2, 2, float(width - 2), float(height - 2), radius, 0xFFFFB040, 0xFFC04010,
                  0xFFFFF0C0, 2);
    else
        RoundRect(canvas, 2, 2, float(width - 2), float(height - 2), radius, 0xFF485870, 0xFF1C2430,
                  0xFF8898B0, 2);
    // A glassy highlight on the upper half.
    RoundRect(canvas, 6, 5, float(width - 6), float(height) * 0.45f, radius * 0.7f, 0x50FFFFFF, 0x10FFFFFF, 0,
              0);
    return Png(canvas);
}

// An arrow with a dark outline, hot spot at the top-left pixel.
std::vector<uint8_t> Cursor()
{
    Bitmap32 canvas{32, 32, 0x00000000};
    const float px[] = {1, 1, 7, 11, 14, 10, 17};
    const float py[] = {1, 22, 17, 26, 24, 16, 16};
    auto inside = [&](float x, float y)
    {
        bool in = false;
        for (int i = 0, j = 6; i < 7; j = i++)
            if ((py[i] > y) != (py[j] > y) && x < (px[j] - px[i]) * (y - py[i]) / (py[j] - py[i]) + px[i])
                in = !in;
        return in;
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            int samples = 0, near = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                {
                    const float fx = float(x) + (float(sx) + 0.5f) / 4.0f,
                                fy = float(y) + (float(sy) + 0.5f) / 4.0f;
                    samples += inside(fx, fy);
                    near +=
                        inside(fx - 1, fy) || inside(fx + 1, fy) || inside(fx, fy - 1) || inside(fx, fy + 1);
                }
            Blend(canvas, x, y, 0xFF101010, float(near) / 16.0f);
            Blend(canvas, x, y, Mix(0xFFFFFFFF, 0xFFFFC060, float(y) / 26.0f), float(samples) / 16.0f);
        }
    return Png(canvas);
}

std::vector<uint8_t> Trail()
{
    Bitmap32 canvas{16, 16, 0x00FFA040};
    Glow(canvas, 8, 8, 8, 0xFFFFB050);
    return Png(canvas);
}

std::vector<uint8_t> Panel()
{
    // Wider than the main menu's buttons and nearly opaque, so the question
    // stands clear of the page under it.
    Bitmap32 canvas{512, 256, 0x00000000};
    RoundRect(canvas, 1, 1, 511, 255, 12, 0xF4141C2C, 0xF8080C14, 0xFF6080A8, 2);
    return Png(canvas);
}

std::vector<uint8_t> ProgressFrame()
{
    Bitmap32 canvas{512, 32, 0x00000000};
    RoundRect(canvas, 1, 1, 511, 31, 8, 0xE0101820, 0xE0202A38, 0xFFA0B0C8, 2);
    return Png(canvas);
}

std::vector<uint8_t> CheckFrame()
{
    Bitmap32 canvas{32, 32, 0x00000000};
    RoundRect(canvas, 2, 2, 30, 30, 6, 0xE0101820, 0xE0202A38, 0xFFA0B0C8, 2);
    return Png(canvas);
}

// A tick drawn as two thick strokes, with a soft edge.
std::vector<uint8_t> CheckMark()
{
    Bitmap32 canvas{32, 32, 0x00000000};
    const auto strokeDistance = [](float px, float py, float ax, float ay, float bx, float by)
    {
        const float dx = bx - ax, dy = by - ay;
        float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
        t = t < 0 ? 0 : t > 1 ? 1 : t;
        const float ex = px - (ax + t * dx), ey = py - (ay + t * dy);
        return std::sqrt(ex * ex + ey * ey);
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
        {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float d =
                std::min(strokeDistance(px, py, 8, 16, 14, 23), strokeDistance(px, py, 14, 23, 25, 8));
            const float coverage = std::max(0.0f, std::min(1.0f, 3.2f - d));
            Blend(canvas, x, y, 0xFFFFC040, coverage);
        }
    return Png(canvas);
}

// Laid over a button's normal picture: darker, so a button the page ignores reads as greyed.
std::vector<uint8_t> ButtonVeil(int width, int height)
{
    Bitmap32 canvas{width, height, 0x00000000};
    RoundRect(canvas, 2, 2, float(width - 2), float(height - 2), float(height) * 0.3f, 0xD0080808, 0xD0080808,
              0xFF505050, 2);
    return Png(canvas);
}

// A down arrow in a rounded box.
std::vector<uint8_t> DropArrow()
{
    Bitmap32 canvas{32, 32, 0x00000000};
    RoundRect(canvas, 1, 1, 31, 31, 6, 0xFF485870, 0xFF1C2430, 0xFF8898B0, 2);
    for (int y = 11; y < 22; ++y)
        for (int x = 8; x < 24; ++x)
        {
            const float half = float(21 - y) * 0.75f; // the arrow narrows towards its tip
            const float coverage = std::clamp(half - std::fabs(float(x) + 0.5f - 16.0f) + 0.5f, 0.0f, 1.0f);
            Blend(canvas, x, y, 0xFFFFC040, coverage);
        }
    return Png(canvas);
}

std::vector<uint8_t> SliderTrack()
{
    Bitmap32 canvas{256, 16, 0x00000000};
    RoundRect(canvas, 1, 4, 255, 12, 4, 0xE0101820, 0xE0202A38, 0xFFA0B0C8, 1);
    return Png(canvas);
}

std::vector<uint8_t> ListKnob()
{
    Bitmap32 canvas{12, 32, 0x00000000};
    RoundRect(canvas, 1, 1, 11, 31, 5, 0xFFFFB040, 0xFFC04010, 0xFFFFE0A0, 1);
    return Png(canvas);
}

// A tiled world picture: two tones in a soft noise, deterministic.
std::vector<uint8_t> Ground(uint32_t light, uint32_t dark, int checker)
{
    Bitmap32 canvas{64, 64, 0xFF000000};
    uint32_t seed = light ^ dark;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            seed = seed * 1103515245u + 12345u;
            float t = float((seed >> 16) & 0xFF) / 255.0f * 0.5f;
            if (checker && ((x / checker) + (y / checker)) % 2)
                t += 0.5f;
            canvas.pixels[size_t(y) * 64 + x] = Mix(light, dark, t);
        }
    return Png(canvas);
}
} // namespace

bool WriteDemoPictures(const std::string& dataDir)
{
    bool ok = SaveImageFile(dataDir + "ldat1.gfx", FirstLogo());
    ok = ok && SaveImageFile(dataDir + "ldat2.gfx", SecondLogo());
    ok = ok && SaveImageFile(dataDir + "ldat3.gfx", LoadingBackground());
    ok = ok && SaveImageFile(dataDir + "ldat4.gfx", ProgressBar());

    using namespace demo;
    const std::vector<TextureContainerRecord> menu = {
        {kMainBackdropId, MainBackdrop()},
        {kPageBackdropId, PageBackdrop("")},
        {kLoadingBackdropId, PageBackdrop("Loading")},
        {kButtonId, Button(256, 64, false)},
        {kButtonHoverId, Button(256, 64, true)},
        {kSmallButtonId, Button(128, 32, false)},
        {kSmallButtonHoverId, Button(128, 32, true)},
        {kCursorId, Cursor()},
        {kCursorTrailId, Trail()},
        {kPanelId, Panel()},
        {kProgressFrameId, ProgressFrame()},
        {kProgressFillId, ProgressBar()},
        {kCheckMarkId, CheckMark()},
        {kCheckFrameId, CheckFrame()},
        {kListKnobId, ListKnob()},
        {kInnerBackdropId, GarageBackdrop()},
        {kSmallButtonDimId, ButtonVeil(128, 32)},
        {kDropArrowId, DropArrow()},
        {kSliderTrackId, SliderTrack()},
    };
    return ok && WriteMenuTextureContainer(dataDir + "Textures1.qvx", menu);
}

std::vector<TextureContainerRecord> DemoWorldPictures()
{
    using namespace demo;
    std::vector<TextureContainerRecord> world = {
        {kGrassId, Ground(0xFF4C8A2E, 0xFF2A5418, 0)},
        {kTrackId, Ground(0xFF707070, 0xFF383838, 16)},
        {kMapLoadingId, Ground(0xFF305080, 0xFF102030, 32)},
    };
    for (TextureContainerRecord& picture : DemoMapsPictures())
        world.push_back(std::move(picture));
    for (TextureContainerRecord& buggy : DemoBuggyTextures())
        world.push_back(std::move(buggy));
    for (TextureContainerRecord& figure : DemoFigureTextures())
        world.push_back(std::move(figure));
    for (TextureContainerRecord& particle : DemoEffectPictures())
        world.push_back(std::move(particle));
    for (TextureContainerRecord& picture : DemoSmallFurniturePictures())
        world.push_back(std::move(picture));
    return world;
}

std::vector<int32_t> DemoWorldPictureIds()
{
    std::vector<int32_t> ids = {demo::kGrassId, demo::kTrackId};
    // The islands' own effect libraries draw with the particle pictures.
    for (int32_t id : DemoEffectPictureIds())
        ids.push_back(id);
    for (int32_t id : demo::DemoSmallFurniturePictureIds())
        ids.push_back(id);
    return ids;
}
