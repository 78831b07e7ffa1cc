// The island pictures are computed per sample or texel from plain functions of
// position, so rows can be filled in parallel and every run gives the same bytes.
#include "tools/demo/DemoIslandPictures.h"

#include "tools/demo/DemoNoise.h"

#include <algorithm>
#include <cmath>

namespace demo
{
namespace
{
constexpr float kDegrees = 3.14159265f / 180.0f;
// Shadow edges fade over this height difference.
constexpr float kShadowSoftness = 60.0f;

Rgb Mix(const Rgb& a, const Rgb& b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(const Rgb& c, float s)
{
    return {c.r * s, c.g * s, c.b * s};
}

Rgb Add(const Rgb& a, const Rgb& b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

float Dot(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D3DVECTOR Normalised(const D3DVECTOR& v)
{
    const float length = std::sqrt(Dot(v, v));
    return length > 0.0f ? D3DVECTOR{v.x / length, v.y / length, v.z / length} : v;
}

ImagePixels Blank(int width, int height)
{
    ImagePixels image;
    image.width = uint32_t(width);
    image.height = uint32_t(height);
    image.argb.assign(size_t(width) * height, 0);
    return image;
}

uint32_t Grey(float value, float alpha = 1.0f)
{
    return PackArgb({value, value, value}, alpha);
}

bool Inside(int x, int z)
{
    return x >= 0 && z >= 0 && x < kIslandSamples && z < kIslandSamples;
}

// One shadow line: the highest ray from the sun over the samples walked so far.
void SweepShadowLine(const Heightfield& field, int x, int z, const Sun& sun, float drop,
                     std::vector<float>& shadows)
{
    float ray = -1e30f;
    float previous = 0.0f;
    for (bool first = true; Inside(x, z); x += sun.stepX, z += sun.stepZ, first = false)
    {
        const float height = field.heights[size_t(z) * kIslandSamples + x];
        if (!first)
            ray = std::max(ray, previous) - drop;
        shadows[size_t(z) * kIslandSamples + x] = std::clamp((ray - height) / kShadowSoftness, 0.0f, 1.0f);
        previous = height;
    }
}

Rgb GroundColour(const Heightfield& field, const GroundPalette& palette, uint32_t seed, int x, int z)
{
    const float wx = float(x) * kIslandCellSize, wz = float(z) * kIslandCellSize;
    const float height = field.At(x, z);
    const float slope = field.Slope(x, z);
    const float patches = Fbm(wx / 5000.0f, wz / 5000.0f, seed, 3);
    const float tufts = Fbm(wx / 1200.0f, wz / 1200.0f, seed + 4, 2);
    const float speckle = ValueNoise(wx / 300.0f, wz / 300.0f, seed + 9);

    // Lush in hollows, drier on the heights and in the large dry patches.
    Rgb colour = Mix(palette.lushGrass, palette.grass, SmoothStep(-0.3f, 0.3f, patches + 0.3f * tufts));
    const float dry = 0.7f * SmoothStep(0.2f, 0.5f, patches + 0.15f * tufts) +
                      0.4f * SmoothStep(1400.0f, 3200.0f, height + 500.0f * tufts);
    colour = Mix(colour, palette.dryGrass, std::min(dry, 1.0f));
    Rgb rock = Mix(palette.rock, palette.darkRock, 0.5f + 0.5f * speckle);
    if (palette.strata)
    {
        const float band = 0.5f + 0.5f * std::sin(height / 70.0f + 1.5f * patches);
        rock = Mix(Mix(palette.strataDark, palette.strataLight, band), rock, 0.2f + 0.2f * speckle);
    }
    const float rockSlope = palette.rockSlope + 0.1f * speckle;
    colour = Mix(colour, rock, SmoothStep(rockSlope, rockSlope + 0.35f, slope));

    const float beachTop = kIslandWaterLevel + palette.sandLine + 25.0f * patches;
    const float sand = SmoothStep(beachTop + 10.0f, beachTop - 30.0f, height) * SmoothStep(0.5f, 0.3f, slope);
    colour = Mix(colour, palette.sand, sand);
    colour = Mix(colour, palette.wetSand, SmoothStep(kIslandWaterLevel + 25.0f, kIslandWaterLevel, height));
    colour = Mix(colour, palette.seabed,
                 SmoothStep(kIslandWaterLevel - 10.0f, kIslandWaterLevel - 160.0f, height));
    return Scale(colour, 0.95f + 0.05f * speckle);
}

// Sky box faces in the atlas: (u, v) ranges and where their edges lie on the box.
float Along(float t, float from, float to)
{
    return std::clamp((t - from) / (to - from), 0.0f, 1.0f);
}

float Cloudiness(const SkyLook& look, const D3DVECTOR& direction)
{
    if (direction.y <= 0.0f)
        return 0.0f;
    const float scale = 1.0f / (direction.y + 0.12f);
    const float density =
        Fbm(direction.x * scale * 2.2f + 5.0f, direction.z * scale * 2.2f + 5.0f, look.seed, 5);
    const float threshold = 0.35f - 0.7f * look.cloudCover;
    return SmoothStep(threshold, threshold + 0.35f, density) * SmoothStep(0.0f, 0.22f, direction.y);
}
} // namespace

uint32_t PackArgb(const Rgb& colour, float alpha)
{
    auto byte = [](float v) { return uint32_t(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(alpha) << 24 | byte(colour.r) << 16 | byte(colour.g) << 8 | byte(colour.b);
}

D3DVECTOR Sun::Direction() const
{
    const float across = std::hypot(float(stepX), float(stepZ));
    const float c = std::cos(elevationDegrees * kDegrees), s = std::sin(elevationDegrees * kDegrees);
    return {float(stepX) / across * c, -s, float(stepZ) / across * c};
}

std::vector<float> CastShadows(const Heightfield& field, const Sun& sun)
{
    std::vector<float> shadows(field.heights.size(), 0.0f);
    const float step = kIslandCellSize * std::hypot(float(sun.stepX), float(sun.stepZ));
    const float drop = step * std::tan(sun.elevationDegrees * kDegrees);
    for (int z = 0; z < kIslandSamples; ++z)
        for (int x = 0; x < kIslandSamples; ++x)
            if (!Inside(x - sun.stepX, z - sun.stepZ))
                SweepShadowLine(field, x, z, sun, drop, shadows);
    return shadows;
}

D3DVECTOR SampleNormal(const Heightfield& field, int x, int z)
{
    const float gx = (field.At(x + 1, z) - field.At(x - 1, z)) / (2.0f * kIslandCellSize);
    const float gz = (field.At(x, z + 1) - field.At(x, z - 1)) / (2.0f * kIslandCellSize);
    return Normalised({-gx, 1.0f, -gz});
}

std::vector<float> SunShading(const Heightfield& field, const Sun& sun, const std::vector<float>& shadows,
                              float ambient)
{
    std::vector<float> shading(field.heights.size());
    const D3DVECTOR light = sun.Direction();
    const float flat = -light.y;
    ForEachRow(
        [&](int z)
        {
            for (int x = 0; x < kIslandSamples; ++x)
            {
                const size_t i = size_t(z) * kIslandSamples + x;
                const float facing = std::max(-Dot(light, SampleNormal(field, x, z)), 0.0f) / flat;
                shading[i] = ambient + (1.0f - ambient) * std::min(facing, 1.0f) * (1.0f - shadows[i]);
            }
        });
    return shading;
}

std::vector<float> BrightnessLayer(const std::vector<float>& shadows, float litCap, float shadeLevel)
{
    std::vector<float> brightness(shadows.size());
    for (size_t i = 0; i < shadows.size(); ++i)
        brightness[i] = litCap + (shadeLevel - litCap) * shadows[i];
    return brightness;
}

ImagePixels ShadingPicture(const std::vector<float>& shading)
{
    ImagePixels image = Blank(kIslandSamples, kIslandSamples);
    for (size_t i = 0; i < shading.size() && i < image.argb.size(); ++i)
        image.argb[i] = Grey(shading[i]);
    return image;
}

ImagePixels BasePicture(const Heightfield& field, const GroundPalette& palette, uint32_t seed)
{
    ImagePixels image = Blank(kIslandSamples, kIslandSamples);
    ForEachRow(
        [&](int z)
        {
            for (int x = 0; x < kIslandSamples; ++x)
                image.argb[size_t(z) * kIslandSamples + x] =
                    PackArgb(GroundColour(field, palette, seed, x, z));
        });
    return image;
}

ImagePixels DetailPicture(int size, float contrast, uint32_t seed)
{
    ImagePixels image = Blank(size, size);
    const int period = 16;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = float(x) * float(period) / float(size),
                        fy = float(y) * float(period) / float(size);
            const float grain = PeriodicFbm(fx, fy, period, seed, 4);
            const float pebbles = PeriodicNoise(fx * 8.0f, fy * 8.0f, period * 8, seed + 5);
            image.argb[size_t(y) * size + x] = Grey(0.5f + contrast * (grain * 1.2f + pebbles * 0.5f));
        }
    return image;
}

D3DVECTOR SkyBoxPoint(float u, float v)
{
    if (v >= 0.5f)
    {
        if (u >= 0.5f)
            return {0.0f, 0.0f, 0.0f};
        return {1.0f - 2.0f * Along(v, 0.499f, 0.999f), 1.0f, -1.0f + 2.0f * Along(u, 0.001f, 0.499f)};
    }
    if (v >= 0.25f)
    {
        const float y = Along(v, 0.255f, 0.499f);
        if (u < 0.5f)
            return {1.0f, y, -1.0f + 2.0f * Along(u, 0.001f, 0.499f)};
        return {1.0f - 2.0f * Along(u, 0.499f, 0.999f), y, 1.0f};
    }
    const float y = 1.0f - Along(v, 0.001f, 0.245f);
    if (u < 0.5f)
        return {1.0f - 2.0f * Along(u, 0.001f, 0.499f), y, -1.0f};
    return {-1.0f, y, -1.0f + 2.0f * Along(u, 0.499f, 0.999f)};
}

Rgb SkyColour(const SkyLook& look, const D3DVECTOR& direction, const D3DVECTOR& toSun)
{
    const float up = std::max(direction.y, 0.0f);
    Rgb colour = Mix(look.horizon, look.zenith, std::pow(up, 0.55f));
    const float towardSun = std::max(Dot(direction, toSun), 0.0f);
    const float glow = 0.35f * std::pow(towardSun, 6.0f) + 0.5f * std::pow(towardSun, 120.0f);
    colour = Add(colour, Scale(look.sunGlow, glow + (towardSun > 0.9994f ? 1.0f : 0.0f)));
    const float cloud = Cloudiness(look, direction);
    const Rgb cloudColour = Mix(look.cloudShade, look.cloudLit, 0.45f + 0.55f * std::pow(towardSun, 2.0f));
    return Mix(colour, cloudColour, cloud);
}

ImagePixels SkyAtlas(const SkyLook& look, const Sun& sun, int size)
{
    ImagePixels image = Blank(size, size);
    const D3DVECTOR light = sun.Direction();
    const D3DVECTOR toSun{-light.x, -light.y, -light.z};
    ForEachRow(
        [&](int y)
        {
            for (int x = 0; x < size; ++x)
            {
                const D3DVECTOR point =
                    SkyBoxPoint((float(x) + 0.5f) / float(size), (float(y) + 0.5f) / float(size));
                const Rgb colour =
                    Dot(point, point) > 0.0f ? SkyColour(look, Normalised(point), toSun) : look.horizon;
                image.argb[size_t(y) * size + x] = PackArgb(colour);
            }
        },
        size);
    return image;
}

namespace
{
// A tiling wave height: crossing sine trains with whole wave counts across the
// picture, roughened by a little periodic noise.
float WaveHeight(float x, float y, int size, uint32_t seed)
{
    struct Wave
    {
        int kx, ky;
        float amplitude, phase;
    };
    static const Wave waves[] = {{3, 1, 0.35f, 0.0f},  {2, -3, 0.25f, 1.3f}, {5, 2, 0.18f, 2.1f},
                                 {-4, 7, 0.12f, 0.4f}, {9, -5, 0.08f, 2.9f}, {11, 9, 0.05f, 1.7f}};
    const float tau = 6.2831853f / float(size);
    float h = 0.0f;
    for (const Wave& wave : waves)
        h += wave.amplitude * std::sin(tau * (float(wave.kx) * x + float(wave.ky) * y) + wave.phase);
    const float period = 8.0f;
    return h + 0.25f * PeriodicFbm(x * period / float(size), y * period / float(size), 8, seed, 3);
}
} // namespace

ImagePixels WaterPicture(const Rgb& colour, uint32_t seed)
{
    const int size = 256;
    ImagePixels image = Blank(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float wave = WaveHeight(float(x), float(y), size, seed);
            const float crest = SmoothStep(0.45f, 0.8f, wave);
            const Rgb water = Add(Scale(colour, 1.0f + 0.25f * wave), Scale({0.3f, 0.3f, 0.3f}, crest));
            image.argb[size_t(y) * size + x] = PackArgb(water, 0.92f + 0.08f * crest);
        }
    return image;
}

ImagePixels RipplePicture(uint32_t seed)
{
    const int size = 256;
    ImagePixels image = Blank(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const float fx = float(x), fy = float(y);
            const float du =
                (WaveHeight(fx + 1.0f, fy, size, seed) - WaveHeight(fx - 1.0f, fy, size, seed)) * 4.0f;
            const float dv =
                (WaveHeight(fx, fy + 1.0f, size, seed) - WaveHeight(fx, fy - 1.0f, size, seed)) * 4.0f;
            image.argb[size_t(y) * size + x] = PackArgb({0.5f + 0.5f * du, 0.5f + 0.5f * dv, 1.0f});
        }
    return image;
}
} // namespace demo
