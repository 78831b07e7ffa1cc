// Drawn pixel by pixel; alpha 0 wherever nothing is painted, so the alpha
// test and blending cut the shapes out.
#include "tools/demo/DemoSmallFurniturePictures.h"

#include <algorithm>
#include <cmath>

namespace demo
{
namespace
{
uint32_t Argb(float a, float r, float g, float b)
{
    auto byte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

uint32_t Hash(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352du;
    x ^= x >> 15;
    x *= 0x846ca68bu;
    return x ^ (x >> 16);
}

ImagePixels Blank(uint32_t width, uint32_t height)
{
    ImagePixels image;
    image.width = width;
    image.height = height;
    image.argb.assign(size_t(width) * height, 0);
    return image;
}

// A blade from (x0, bottom) leaning by lean, tapering to its tip.
void Blade(ImagePixels& image, float x0, float lean, float height, float width, uint32_t colour)
{
    const int h = int(image.height);
    for (int y = 0; y < int(height); ++y)
    {
        const float t = float(y) / height;
        const float cx = x0 + lean * t * t;
        const float half = width * (1.0f - t) * 0.5f + 0.4f;
        for (int x = int(cx - half); x <= int(cx + half); ++x)
            if (x >= 0 && x < int(image.width) / 2)
                image.argb[size_t(h - 1 - y) * image.width + size_t(x)] = colour;
    }
}

void Disc(ImagePixels& image, float cx, float cy, float radius, uint32_t colour)
{
    for (int y = int(cy - radius); y <= int(cy + radius); ++y)
        for (int x = int(cx - radius); x <= int(cx + radius); ++x)
            if (x >= 0 && y >= 0 && x < int(image.width) && y < int(image.height) &&
                std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) <= radius)
                image.argb[size_t(y) * image.width + size_t(x)] = colour;
}
} // namespace

ImagePixels CoinPicture()
{
    ImagePixels image = Blank(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            const float dx = (float(x) + 0.5f - 32.0f) / 30.0f, dy = (float(y) + 0.5f - 32.0f) / 30.0f;
            const float r = std::hypot(dx, dy);
            if (r > 1.0f)
                continue;
            // A rim, a raised face lit from the top left, and a star-like glint.
            const float light = 0.75f + 0.25f * (-dx - dy) * 0.7f;
            const float rim = r > 0.82f ? 0.8f : 1.0f;
            image.argb[y * 64 + x] = Argb(1.0f, light * rim, 0.82f * light * rim, 0.25f * light * rim);
        }
    Disc(image, 22.0f, 22.0f, 4.0f, 0xFFFFF8D0);
    return image;
}

ImagePixels PlantsPicture()
{
    ImagePixels image = Blank(128, 64);
    for (int i = 0; i < 14; ++i)
    {
        const uint32_t h = Hash(uint32_t(i) + 11u);
        const float x0 = 6.0f + float(h % 52u);
        const float lean = float(int(h >> 8) % 25 - 12);
        const float height = 30.0f + float((h >> 16) % 30u);
        const float shade = 0.55f + float((h >> 24) % 40u) / 100.0f;
        Blade(image, x0, lean, height, 4.0f, Argb(1.0f, 0.25f * shade, 0.62f * shade, 0.18f * shade));
    }
    // Flowers: stalks with coloured heads in the right half.
    const uint32_t heads[3] = {0xFFF0E040, 0xFFE04070, 0xFFF8F8F8};
    for (int i = 0; i < 3; ++i)
    {
        const float x = 72.0f + 20.0f * float(i);
        const float top = 18.0f + 8.0f * float(i % 2);
        for (int y = int(top); y < 64; ++y)
            for (int dx = -1; dx <= 0; ++dx)
                image.argb[size_t(y) * 128 + size_t(int(x) + dx)] = 0xFF3C7A28;
        for (int p = 0; p < 5; ++p)
        {
            const float a = float(p) * 1.2566f;
            Disc(image, x + 5.0f * std::cos(a), top + 5.0f * std::sin(a), 3.6f, heads[i]);
        }
        Disc(image, x, top, 2.6f, 0xFFE0A020);
    }
    return image;
}

ImagePixels SurfPicture()
{
    ImagePixels image = Blank(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            // v runs from the beach (row 0) out to sea: foam bands breaking up with distance.
            const float v = float(y) / 63.0f;
            const float wave = 0.5f + 0.5f * std::sin(float(x) * 0.196f * 2.0f + v * 18.0f);
            const float noise = float(Hash(x + 64u * y) % 100u) / 100.0f;
            const float foam = std::clamp(
                (1.0f - v) * 1.2f + 0.5f * wave * (1.0f - 0.5f * v) + 0.25f * noise - 0.3f, 0.0f, 1.0f);
            image.argb[y * 64 + x] = Argb(foam, 0.92f, 0.96f, 1.0f);
        }
    return image;
}

ImagePixels SpeckledPicture()
{
    ImagePixels image = Blank(32, 32);
    for (uint32_t i = 0; i < 32 * 32; ++i)
    {
        const float g = 0.78f + float(Hash(i + 999u) % 22u) / 100.0f;
        image.argb[i] = Argb(1.0f, g, g, g);
    }
    return image;
}

std::vector<TextureContainerRecord> DemoSmallFurniturePictures()
{
    return {{kCoinPictureId, WritePng(CoinPicture())},
            {kPlantsPictureId, WritePng(PlantsPicture())},
            {kSurfPictureId, WritePng(SurfPicture())},
            {kSpeckledPictureId, WritePng(SpeckledPicture())}};
}

std::vector<int32_t> DemoSmallFurniturePictureIds()
{
    return {kCoinPictureId, kPlantsPictureId, kSurfPictureId, kSpeckledPictureId};
}
} // namespace demo
