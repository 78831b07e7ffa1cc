#include "tools/demo/DemoEffects.h"

#include "tools/demo/DemoHeightfields.h"
#include "tools/demo/DemoIslands.h"
#include "tools/writers/ImageWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
using namespace demo;

// ---- pictures: 64 x 64, white with the shape in the alpha ----------------

ImagePixels Blank()
{
    ImagePixels image;
    image.width = image.height = 64;
    image.argb.assign(64 * 64, 0x00FFFFFFu);
    return image;
}

uint32_t Pixel(float alpha, float grey = 1.0f)
{
    const uint32_t a = uint32_t(std::clamp(alpha, 0.0f, 1.0f) * 255.0f + 0.5f);
    const uint32_t g = uint32_t(std::clamp(grey, 0.0f, 1.0f) * 255.0f + 0.5f);
    return a << 24 | g << 16 | g << 8 | g;
}

template <class Shape> std::vector<uint8_t> Picture(Shape shape)
{
    ImagePixels image = Blank();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
        {
            const float dx = (float(x) + 0.5f - 32.0f) / 32.0f, dy = (float(y) + 0.5f - 32.0f) / 32.0f;
            image.argb[size_t(y) * 64 + x] = shape(dx, dy, x, y);
        }
    return WritePng(image, true);
}

float Noise(int x, int y)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Lattice noise of the given cell size, smoothly interpolated between cells.
float SmoothNoise(int x, int y, int cell)
{
    const int cx = x / cell, cy = y / cell;
    auto ease = [](float t) { return t * t * (3.0f - 2.0f * t); };
    const float fx = ease(float(x % cell) / float(cell)), fy = ease(float(y % cell) / float(cell));
    const float top = Noise(cx, cy) * (1.0f - fx) + Noise(cx + 1, cy) * fx;
    const float bottom = Noise(cx, cy + 1) * (1.0f - fx) + Noise(cx + 1, cy + 1) * fx;
    return top * (1.0f - fy) + bottom * fy;
}

std::vector<uint8_t> Smoke()
{
    return Picture(
        [](float dx, float dy, int x, int y)
        {
            const float r = std::sqrt(dx * dx + dy * dy);
            const float lumps = 0.75f + 0.25f * (Noise(x / 6, y / 6) + Noise(x / 3, y / 3)) * 0.5f;
            return Pixel(std::pow(std::max(0.0f, 1.0f - r), 1.5f) * lumps, 0.85f + 0.15f * Noise(x, y));
        });
}

std::vector<uint8_t> Spark()
{
    return Picture(
        [](float dx, float dy, int, int)
        {
            const float r = std::sqrt(dx * dx + dy * dy);
            return Pixel(std::exp(-r * r * 18.0f) +
                         0.35f * std::max(0.0f, 1.0f - r) * std::max(0.0f, 1.0f - r));
        });
}

std::vector<uint8_t> Star()
{
    return Picture(
        [](float dx, float dy, int, int)
        {
            const float r = std::sqrt(dx * dx + dy * dy);
            const float rays = std::exp(-std::abs(dx) * 14.0f) + std::exp(-std::abs(dy) * 14.0f);
            return Pixel((std::exp(-r * r * 30.0f) + 0.6f * rays * std::max(0.0f, 1.0f - r)));
        });
}

std::vector<uint8_t> Flame()
{
    return Picture(
        [](float dx, float dy, int x, int y)
        {
            const float r = std::sqrt(dx * dx + dy * dy * 0.7f);
            const float flicker = 0.75f + 0.25f * SmoothNoise(x, y, 8);
            return Pixel(std::pow(std::max(0.0f, 1.0f - r), 1.2f) * flicker);
        });
}

std::vector<uint8_t> Ring()
{
    return Picture(
        [](float dx, float dy, int, int)
        {
            const float r = std::sqrt(dx * dx + dy * dy);
            const float rim = std::exp(-(r - 0.85f) * (r - 0.85f) * 120.0f);
            return Pixel(r < 1.0f ? rim + 0.18f * r * r : 0.0f);
        });
}

std::vector<uint8_t> Dust()
{
    return Picture(
        [](float dx, float dy, int x, int y)
        {
            const float r = std::sqrt(dx * dx + dy * dy);
            return Pixel(std::max(0.0f, 1.0f - r) * (0.6f + 0.4f * SmoothNoise(x, y, 4)), 0.9f);
        });
}

std::vector<uint8_t> Drop()
{
    return Picture(
        [](float dx, float dy, int, int)
        {
            const float r = std::sqrt(dx * dx * 1.6f + dy * dy);
            return Pixel(std::pow(std::max(0.0f, 1.0f - r), 0.8f));
        });
}

// ---- key records -----------------------------------------------------------

constexpr int32_t kForever = 1000000;

EffectRecordDescription Emit(int32_t rate, int32_t maximum, int32_t life, int32_t start = 0,
                             int32_t end = kForever)
{
    return EffectRecord(1, start, end).U(0).I(rate).I(-1).I(maximum).I(life);
}

EffectRecordDescription Velocity(float x, float y, float z)
{
    return EffectRecord(2, 0, kForever).U(0).V(x, y, z).V(0, 0, 0);
}

EffectRecordDescription Push(float x, float y, float z, int32_t end = kForever)
{
    return EffectRecord(4, 0, end).V(-x, -y, -z).V(x, y, z).U(0).V(0, 0, 0).V(0, 0, 0);
}

EffectRecordDescription PushUp(float x, float low, float high, float z, int32_t end = kForever)
{
    return EffectRecord(4, 0, end).V(-x, low, -z).V(x, high, z).U(0).V(0, 0, 0).V(0, 0, 0);
}

EffectRecordDescription Force(float y)
{
    return EffectRecord(5, 0, kForever).V(0, y, 0).U(0).V(0, 0, 0);
}

EffectRecordDescription Streak(float stretch)
{
    return EffectRecord(10, 0, kForever).F(stretch);
}

EffectRecordDescription Bounce(float damping)
{
    return EffectRecord(12, 0, kForever).F(damping).U(0).F(0.0f);
}

// Over each particle's own life: colour, size and alpha from start to end.
EffectRecordDescription LifeColour(uint32_t from, uint32_t to, int32_t life)
{
    return EffectRecord(21, 0, life).C(from).U(1).C(to);
}

EffectRecordDescription LifeSize(float from, float to, int32_t life)
{
    return EffectRecord(22, 0, life).F(from).U(1).F(to);
}

EffectRecordDescription LifeAlpha(float from, float to, int32_t life)
{
    return EffectRecord(23, 0, life).F(from).U(1).F(to);
}

EffectRecordDescription RandomOrigin(float x, float y, float z)
{
    return EffectRecord(18, 0, kForever).V(-x, -y, -z).V(x, y, z).U(0).V(-x, -y, -z).V(x, y, z);
}

EffectRecordDescription Size(float size)
{
    return EffectRecord(9, 0, kForever).F(size).U(0).F(size);
}

// ---- emitters and templates ------------------------------------------------

enum class Blend
{
    Alpha,
    Additive
};

EffectEmitterDescription Emitter(const char* name, int32_t picture, Blend blend,
                                 std::initializer_list<EffectRecordDescription> records)
{
    EffectEmitterDescription e;
    e.name = name;
    e.textureId = picture;
    // alpha blend, source, destination, z-write, alpha test, reference A, reference B
    e.render = blend == Blend::Additive ? std::array<uint32_t, 7>{1, 5, 2, 0, 1, 1, 1}
                                        : std::array<uint32_t, 7>{1, 5, 6, 0, 1, 4, 4};
    for (const EffectRecordDescription& r : records)
        e.Key(r);
    return e;
}

EffectTemplateDescription Template(const char* name, int32_t id, int32_t duration, int32_t loop,
                                   std::vector<EffectEmitterDescription> emitters, int32_t sort = 1)
{
    EffectTemplateDescription t;
    t.name = name;
    t.id = id;
    t.duration = duration;
    t.loop = loop;
    t.sort = sort;
    t.emitters = std::move(emitters);
    return t;
}

EffectEmitterDescription SmokePlume(uint32_t colour, float size, float rise, int32_t rate, int32_t life)
{
    return Emitter("smoke", kSmokePictureId, Blend::Alpha,
                   {Emit(rate, 400, life), Velocity(0, rise, 0), Push(0.15f, 0.05f, 0.15f),
                    LifeSize(size, size * 3.0f, life), LifeAlpha(200, 0, life),
                    LifeColour(colour, colour & 0xFF7F7F7Fu, life)});
}

EffectEmitterDescription SparkBurst(int32_t count, uint32_t hot, uint32_t cool, float speed, int32_t life,
                                    float size)
{
    return Emitter("sparks", kSparkPictureId, Blend::Additive,
                   {Emit(count * 50, count, life, 0, 20),
                    PushUp(speed, speed * 0.3f, speed * 1.2f, speed, 20), Force(-0.35f), Bounce(0.4f),
                    Streak(1.5f), LifeColour(hot, cool, life), LifeSize(size, size * 0.4f, life),
                    LifeAlpha(255, 0, life)});
}

EffectEmitterDescription Fireball(float size, int32_t life, uint32_t colour)
{
    return Emitter("fire", kFlamePictureId, Blend::Additive,
                   {Emit(2000, 30, life, 0, 40), Push(size * 0.06f, size * 0.06f, size * 0.06f, 40),
                    LifeSize(size * 0.4f, size * 1.3f, life), LifeColour(colour, 0xFF401000u, life),
                    LifeAlpha(255, 0, life)});
}

EffectEmitterDescription Jet(const char* name, int32_t picture, uint32_t hot, uint32_t cool, float speed,
                             float size, int32_t life)
{
    return Emitter(name, picture, Blend::Additive,
                   {Emit(400, 200, life), Velocity(0, 0, speed), Push(speed * 0.08f, speed * 0.08f, 0.0f),
                    LifeSize(size * 0.4f, size * 1.5f, life), LifeColour(hot, cool, life),
                    LifeAlpha(255, 0, life)});
}

// A single particle that lives as long as its instance (the shield slots lock it).
EffectEmitterDescription Bubble(uint32_t colour, float size, int32_t picture)
{
    return Emitter("bubble", picture, Blend::Additive,
                   {Emit(60, 0, 100000), Size(size), EffectRecord(6, 0, kForever).C(colour).U(0).C(colour)});
}
} // namespace

std::vector<TextureContainerRecord> DemoEffectPictures()
{
    return {{kSmokePictureId, Smoke()}, {kSparkPictureId, Spark()}, {kStarPictureId, Star()},
            {kFlamePictureId, Flame()}, {kRingPictureId, Ring()},   {kDustPictureId, Dust()},
            {kDropPictureId, Drop()}};
}

std::vector<int32_t> DemoEffectPictureIds()
{
    std::vector<int32_t> ids;
    for (const TextureContainerRecord& picture : DemoEffectPictures())
        ids.push_back(picture.compileId);
    return ids;
}

std::vector<std::string> DemoGlobalEffectNames()
{
    std::vector<std::string> names;
    for (const EffectTemplateDescription& t : DemoGlobalEffects().templates)
        names.push_back(t.name);
    return names;
}

EffectLibraryDescription DemoGlobalEffects()
{
    EffectLibraryDescription d;
    auto add = [&d](EffectTemplateDescription t) { d.templates.push_back(std::move(t)); };
    const int32_t puff = 900;
    add(Template("Exhaust", 1, 1000, 1, {SmokePlume(0xFFB0B0B0u, 6.0f, 0.6f, 40, puff)}));
    add(Template("Turbo", 2, 1000, 1,
                 {Jet("flame", kFlamePictureId, 0xFFFFE0A0u, 0xFF3050FFu, -3.0f, 10.0f, 200)}));
    add(Template(
        "buggy10effect", 3, 1000, 1,
        {Emitter("glitter", kStarPictureId, Blend::Additive,
                 {Emit(30, 60, 600), RandomOrigin(60, 20, 60), Velocity(0, 0.5f, 0), LifeSize(12, 2, 600),
                  LifeColour(0xFF80FFFFu, 0xFFFF80FFu, 600), LifeAlpha(255, 0, 600)})}));
    add(Template("Broken", 4, 1000, 1, {SmokePlume(0xFF303030u, 14.0f, 1.2f, 30, 1500)}));
    add(Template("Shield", 5, 1000, 1, {Bubble(0xFF4090FFu, 260.0f, kRingPictureId)}, 0));
    add(Template("Shield jammer", 6, 1000, 1, {Bubble(0xFFFF5030u, 280.0f, kRingPictureId)}, 0));
    add(Template("Chaing", 7, 1000, 1, {Bubble(0xFFFFD060u, 40.0f, kStarPictureId)}, 0));
    add(Template(
        "Checkpoint", 8, 2000, 1,
        {Emitter("column", kStarPictureId, Blend::Additive,
                 {Emit(40, 120, 1500), RandomOrigin(40, 0, 40), Velocity(0, 4.0f, 0), LifeSize(30, 8, 1500),
                  LifeColour(0xFF60FF60u, 0xFFFFFF60u, 1500), LifeAlpha(255, 0, 1500)})}));
    // The weapon effect table.
    add(Template(
        "Water splashes", 20, 800, 0,
        {Emitter("splash", kDropPictureId, Blend::Alpha,
                 {Emit(3000, 40, 700, 0, 20), PushUp(3, 4, 9, 3, 20), Force(-0.5f), LifeSize(10, 22, 700),
                  LifeColour(0xFFE0F0FFu, 0xFF80A0C0u, 700), LifeAlpha(220, 0, 700)})}));
    add(Template("Sparks", 21, 800, 0, {SparkBurst(30, 0xFFFFFFC0u, 0xFFFF6000u, 6.0f, 600, 6.0f)}));
    add(Template(
        "Stars", 22, 1000, 0,
        {Emitter("stars", kStarPictureId, Blend::Additive,
                 {Emit(2000, 16, 900, 0, 20), PushUp(2, 1, 4, 2, 20), Force(-0.1f), LifeSize(30, 5, 900),
                  LifeColour(0xFFFFFF80u, 0xFFFF80FFu, 900), LifeAlpha(255, 0, 900)})}));
    add(Template("Beam", 23, 400, 0,
                 {Emitter("beam", kSparkPictureId, Blend::Additive,
                          {Emit(1000, 40, 300), Velocity(0, 0, 30), Streak(0.5f),
                           LifeColour(0xFFFFFFFFu, 0xFF4080FFu, 300), LifeSize(8, 2, 300)})}));
    add(Template("Crash", 24, 900, 0,
                 {SparkBurst(24, 0xFFFFFFFFu, 0xFFFF8000u, 5.0f, 500, 5.0f),
                  Emitter("debris dust", kDustPictureId, Blend::Alpha,
                          {Emit(1000, 12, 800, 0, 20), Push(2, 1, 2, 20), LifeSize(20, 60, 800),
                           LifeColour(0xFF9A8060u, 0xFF605040u, 800), LifeAlpha(160, 0, 800)})}));
    add(Template(
        "Explode", 25, 2000, 0,
        {Fireball(110.0f, 700, 0xFFFFD080u), SparkBurst(60, 0xFFFFFFC0u, 0xFFFF4000u, 10.0f, 900, 10.0f),
         Emitter("smoke", kSmokePictureId, Blend::Alpha,
                 {Emit(600, 30, 1800, 100, 400), Push(2, 1, 2), Velocity(0, 2, 0), LifeSize(60, 220, 1800),
                  LifeColour(0xFF404040u, 0xFF202020u, 1800), LifeAlpha(200, 0, 1800)})}));
    add(Template("Flamer", 26, 1000, 1,
                 {Jet("flame", kFlamePictureId, 0xFFFFF0B0u, 0xFFFF2000u, 12.0f, 30.0f, 400)}));
    add(Template("Flamer high", 27, 1000, 1,
                 {Jet("flame", kFlamePictureId, 0xFFFFFFFFu, 0xFFFF4000u, 16.0f, 45.0f, 450)}));
    add(Template("Ice cannon", 28, 1000, 1,
                 {Jet("ice", kStarPictureId, 0xFFFFFFFFu, 0xFF40A0FFu, 14.0f, 20.0f, 350)}));
    add(Template("Ice cannon high", 29, 1000, 1,
                 {Jet("ice", kStarPictureId, 0xFFFFFFFFu, 0xFF2060FFu, 18.0f, 30.0f, 400)}));
    add(Template("Chain gun", 30, 300, 0, {SparkBurst(6, 0xFFFFFFC0u, 0xFFFFA000u, 3.0f, 150, 8.0f)}));
    add(Template("cannon", 31, 1000, 1,
                 {Emitter("trail", kSmokePictureId, Blend::Alpha,
                          {Emit(200, 100, 600), Push(0.3f, 0.3f, 0.3f), LifeSize(8, 30, 600),
                           LifeColour(0xFFC0C0C0u, 0xFF808080u, 600), LifeAlpha(180, 0, 600)})}));
    add(Template("Tesla Coil", 32, 500, 1,
                 {Emitter("arc", kSparkPictureId, Blend::Additive,
                          {Emit(600, 60, 200), Push(6, 6, 6), Streak(1.0f),
                           LifeColour(0xFFFFFFFFu, 0xFF8040FFu, 200), LifeSize(6, 2, 200)})}));
    add(Template("Fire hit", 33, 900, 0, {Fireball(60.0f, 500, 0xFFFFC060u)}));
    add(Template("Ice hit", 34, 900, 0, {SparkBurst(20, 0xFFFFFFFFu, 0xFF60C0FFu, 4.0f, 600, 8.0f)}));
    add(Template(
        "Cannon hit", 35, 1500, 0,
        {Fireball(100.0f, 600, 0xFFFFE0A0u), SparkBurst(30, 0xFFFFFFC0u, 0xFFFF6000u, 7.0f, 700, 7.0f)}));
    add(Template("Tesla hit", 36, 600, 0, {SparkBurst(25, 0xFFFFFFFFu, 0xFF8040FFu, 5.0f, 400, 6.0f)}));
    add(Template("Shiel hit", 37, 500, 0,
                 {Emitter("flash", kRingPictureId, Blend::Additive,
                          {Emit(3000, 0, 400, 0, 20), LifeSize(200, 300, 400),
                           LifeColour(0xFFFFFFFFu, 0xFF2060FFu, 400), LifeAlpha(255, 0, 400)})}));
    return d;
}

EffectLibraryDescription DemoIslandEffects(int island)
{
    // Each island's ground gives its dust its colour.
    const uint32_t dust = island == 2 ? 0xFFC8B890u : island == 3 ? 0xFFB07050u : 0xFFA89070u;
    EffectLibraryDescription d;
    auto wheelDust = [dust](const char* name, int32_t id, float size)
    {
        return Template(name, id, 1000, 1,
                        {Emitter("dust", kDustPictureId, Blend::Alpha,
                                 {Emit(50, 150, 1200), PushUp(0.6f, 0.2f, 0.8f, 0.6f), Force(-0.02f),
                                  LifeSize(size, size * 4.0f, 1200),
                                  LifeColour(dust, dust & 0xFFB0B0B0u, 1200), LifeAlpha(150, 0, 1200)})});
    };
    d.templates.push_back(wheelDust("Wheel dust", 1, 14.0f));
    d.templates.push_back(wheelDust("Wheel dust 1", 2, 20.0f));
    d.templates.push_back(
        Template("Chimney smoke", 3, 4000, 1, {SmokePlume(0xFFE0E0E0u, 30.0f, 2.5f, 20, 5000)}));
    d.templates.push_back(
        Template("Sea sparkles", 4, 3000, 1,
                 {Emitter("glints", kStarPictureId, Blend::Additive,
                          {Emit(25, 80, 1000), RandomOrigin(800, 0, 800), LifeSize(4, 40, 500),
                           LifeColour(0xFFFFFFFFu, 0xFFA0E0FFu, 1000), LifeAlpha(0, 255, 500)})}));
    d.templates.push_back(
        Template("Camp fire", 5, 1000, 1,
                 {Jet("flames", kFlamePictureId, 0xFFFFE080u, 0xFFFF3000u, 0.0f, 40.0f, 700),
                  SmokePlume(0xFF505050u, 20.0f, 2.0f, 8, 3000)}));
    // The flames rise rather than shoot forwards.
    d.templates.back().emitters[0].keys[1] = {2, {Velocity(0, 3.0f, 0)}};
    return d;
}

std::vector<PlacedEffectRecord> DemoPlacedEffects(int island)
{
    const Heightfield field = DemoIslandHeightfield(island);
    const float middle = kIslandSize * 0.5f;
    auto onGround = [&field](float x, float z, uint32_t id, float scale)
    {
        PlacedEffectRecord r;
        r.templateId = id;
        r.position = {x, field.HeightAt(x, z), z};
        r.scale = scale;
        r.viewDistance = 12000.0f;
        return r;
    };
    std::vector<PlacedEffectRecord> placed = {onGround(middle + 900.0f, middle - 600.0f, 3, 1.0f),
                                              onGround(middle - 1200.0f, middle + 400.0f, 5, 1.0f)};
    // Sparkles over the first stretch of sea east of the middle.
    for (float x = middle; x < kIslandSize; x += 256.0f)
        if (field.HeightAt(x, middle) < kIslandWaterLevel)
        {
            PlacedEffectRecord sea;
            sea.templateId = 4;
            sea.position = {x + 1200.0f, kIslandWaterLevel + 10.0f, middle};
            sea.viewDistance = 15000.0f;
            placed.push_back(sea);
            break;
        }
    return placed;
}

bool WriteDemoEffects(const std::string& dataDir)
{
    bool ok = WriteEffectLibrary(dataDir + "Map-1.efx", DemoGlobalEffects());
    for (int island = 1; ok && island <= kDemoIslandCount; ++island)
    {
        char name[32];
        std::snprintf(name, sizeof name, "Map%d.efx", island);
        ok = WriteEffectLibrary(dataDir + name, DemoIslandEffects(island));
        std::snprintf(name, sizeof name, "Map%d.efm", island);
        ok = ok && WritePlacedEffects(dataDir + name, DemoPlacedEffects(island));
    }
    return ok;
}
