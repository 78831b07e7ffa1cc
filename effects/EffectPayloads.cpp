#include "effects/EffectPayloads.h"

namespace
{
constexpr size_t kFileSizes[kLastEffectKeyKind + 1] = {0,  20, 28, 28, 52, 28, 12, 4,  28, 12, 4,  28, 12,
                                                       16, 4,  52, 44, 28, 52, 36, 36, 12, 12, 12, 28};

// The file part of each payload must sit at its front, in file order.
static_assert(offsetof(EmitPayload, accumulator) == 20);
static_assert(sizeof(VectorPayload) == 28 && sizeof(ModeLastVectorPayload) == 28);
static_assert(sizeof(BoxPayload) == 52 && sizeof(ColourPayload) == 12 && sizeof(ScalarPayload) == 12);
static_assert(offsetof(SpawnPayload, target) >= 28 && offsetof(SpawnPayload, inheritLife) == 24);
static_assert(sizeof(UvPayload) == 16 && sizeof(AttractPayload) == 44 && sizeof(WavePayload) == 36);

BoxPayload Box(const D3DXVECTOR3& minimum, const D3DXVECTOR3& maximum, const D3DXVECTOR3& endMinimum,
               const D3DXVECTOR3& endMaximum)
{
    BoxPayload box;
    box.minimum = minimum;
    box.maximum = maximum;
    box.endMinimum = endMinimum;
    box.endMaximum = endMaximum;
    return box;
}

ScalarPayload Scalar(float value, float end)
{
    ScalarPayload scalar;
    scalar.value = value;
    scalar.end = end;
    return scalar;
}

ModeLastVectorPayload ModeLast(const D3DXVECTOR3& value)
{
    ModeLastVectorPayload payload;
    payload.value = value;
    return payload;
}
} // namespace

size_t EffectPayloadFileSize(int32_t kind)
{
    return IsEffectKeyKind(kind) ? kFileSizes[kind] : 0;
}

EffectPayload EffectPayload::Defaults(int32_t kind)
{
    EffectPayload p;
    const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
    switch (kind)
    {
    case KEY_START_VELOCITY:
        p.vector = VectorPayload{0, {0.0f, 10.0f, 0.0f}, zero};
        break;
    case KEY_DRIFT:
        p.vector = VectorPayload{0, {0.0f, 0.01f, 0.0f}, zero};
        break;
    case KEY_RANDOM_PUSH:
        p.box = Box({-1, 0, -1}, {1, 0, 1}, zero, zero);
        break;
    case KEY_TRAIL_JITTER:
        p.box = Box({-1, 0, -1}, {1, 0, 1}, {-1, 0, -1}, {1, 0, 1});
        break;
    case KEY_RANDOM_ORIGIN:
        p.box = Box({-1, -1, -1}, {1, 1, 1}, {-1, -1, -1}, {1, 1, 1});
        break;
    case KEY_FORCE:
        p.modeLast = ModeLast({0.0f, -0.5f, 0.0f});
        break;
    case KEY_ROTATION:
        p.modeLast = ModeLast({5.0f, 0.0f, 0.0f});
        break;
    case KEY_ORIGIN:
        p.modeLast = ModeLast(zero);
        break;
    case KEY_COLOUR:
    case KEY_PARTICLE_COLOUR:
        p.colour = ColourPayload();
        break;
    case KEY_TEXTURE:
        p.integer = IntPayload{-1};
        break;
    case KEY_TRAIL_COPIES:
        p.integer = IntPayload{100};
        break;
    case KEY_STREAK:
        p.single = FloatPayload();
        break;
    case KEY_SIZE:
        p.scalar = Scalar(100.0f, 1.0f);
        break;
    case KEY_BOUNCE:
        p.scalar = Scalar(0.9f, 0.0f);
        break;
    case KEY_PARTICLE_SIZE:
        p.scalar = Scalar(100.0f, 200.0f);
        break;
    case KEY_PARTICLE_ALPHA:
        p.scalar = Scalar(255.0f, 255.0f);
        break;
    case KEY_SPAWN:
    case KEY_PARTICLE_SPAWN:
        p.spawn = SpawnPayload();
        break;
    case KEY_UV_OFFSET:
        p.uv = UvPayload();
        break;
    case KEY_ATTRACT:
        p.attract = AttractPayload();
        break;
    case KEY_SINE_ORIGIN:
    case KEY_COSINE_ORIGIN:
        p.wave = WavePayload();
        break;
    default:
        p.emit = EmitPayload();
        break;
    }
    return p;
}
