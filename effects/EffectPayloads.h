// The 24 kinds of effect key and the payload each kind's records carry. The
// leading fields of every payload are its bytes in the library file, in file
// order, all 32-bit; kinds 1, 11 and 24 keep run-time fields after them.
// Writers and readers share these layouts, so each payload states its file
// size and the reader copies exactly that many bytes over the defaults.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <cstddef>
#include <cstdint>

class EffectEmitter;

enum EffectKeyKind
{
    KEY_EMIT = 1,
    KEY_START_VELOCITY = 2,
    KEY_DRIFT = 3,
    KEY_RANDOM_PUSH = 4,
    KEY_FORCE = 5,
    KEY_COLOUR = 6,
    KEY_TEXTURE = 7,
    KEY_ROTATION = 8,
    KEY_SIZE = 9,
    KEY_STREAK = 10,
    KEY_SPAWN = 11,
    KEY_BOUNCE = 12,
    KEY_UV_OFFSET = 13,
    KEY_TRAIL_COPIES = 14,
    KEY_TRAIL_JITTER = 15,
    KEY_ATTRACT = 16,
    KEY_ORIGIN = 17,
    KEY_RANDOM_ORIGIN = 18,
    KEY_SINE_ORIGIN = 19,
    KEY_COSINE_ORIGIN = 20,
    KEY_PARTICLE_COLOUR = 21,
    KEY_PARTICLE_SIZE = 22,
    KEY_PARTICLE_ALPHA = 23,
    KEY_PARTICLE_SPAWN = 24,
};

constexpr int kFirstEffectKeyKind = KEY_EMIT;
constexpr int kLastEffectKeyKind = KEY_PARTICLE_SPAWN;

inline bool IsEffectKeyKind(int32_t kind)
{
    return kind >= kFirstEffectKeyKind && kind <= kLastEffectKeyKind;
}

// Kinds measured on each particle's own age rather than on the effect's clock.
inline bool IsParticleClockKind(int32_t kind)
{
    return kind >= KEY_PARTICLE_COLOUR && kind <= KEY_PARTICLE_SPAWN;
}

struct EmitPayload
{
    uint32_t mode = 0;
    int32_t rate = 5;
    int32_t endRate = -1;
    int32_t maximum = 1000;
    int32_t life = 500;
    float accumulator = 0.0f;
};

struct VectorPayload // start velocity, drift
{
    uint32_t mode = 0;
    D3DXVECTOR3 value;
    D3DXVECTOR3 end{0.0f, 0.0f, 0.0f};
};

struct BoxPayload // random push, trail jitter, random origin
{
    D3DXVECTOR3 minimum;
    D3DXVECTOR3 maximum;
    uint32_t mode = 0;
    D3DXVECTOR3 endMinimum;
    D3DXVECTOR3 endMaximum;
};

struct ModeLastVectorPayload // force, rotation, origin
{
    D3DXVECTOR3 value;
    uint32_t mode = 0;
    D3DXVECTOR3 end{0.0f, 0.0f, 0.0f};
};

struct ColourPayload
{
    uint32_t colour = 0xFFFFFFFFu;
    uint32_t mode = 0;
    uint32_t end = 0xFF000000u;
};

struct IntPayload // texture id, trail-copy count
{
    int32_t value;
};

struct FloatPayload // streak stretch
{
    float value = 0.0f;
};

struct ScalarPayload // size, bounce damping, particle size and alpha
{
    float value;
    uint32_t mode = 0;
    float end;
};

struct SpawnPayload // spawn, particle spawn
{
    int32_t targetIndex = -1; // resolved into target after loading
    uint32_t mode = 0;
    int32_t rate = 5;
    int32_t endRate = -1;
    int32_t maximum = 1000;
    int32_t childLife = 500;
    uint32_t inheritLife = 0;
    EffectEmitter* target = nullptr;
    float accumulator = 0.0f;
};

struct UvPayload
{
    float u = 0.0f, v = 0.0f;
    float endU = 1.0f, endV = 1.0f;
};

struct AttractPayload
{
    D3DXVECTOR3 point{100.0f, 10.0f, 100.0f};
    float strength = 1.0f;
    uint32_t mode = 0;
    D3DXVECTOR3 endPoint{-100.0f, 10.0f, 100.0f};
    float endStrength = 1.0f;
    uint32_t movePosition = 0;
    uint32_t keepVelocity = 0;
};

struct WavePayload // sine and cosine origin
{
    D3DXVECTOR3 amplitude{1.0f, 0.0f, 0.0f};
    float frequency = 1.0f;
    uint32_t mode = 0;
    D3DXVECTOR3 endAmplitude{0.0f, 0.0f, 1.0f};
    float endFrequency = 1.0f;
};

// Bytes of a kind's payload in the file; 0 for a kind outside 1..24.
size_t EffectPayloadFileSize(int32_t kind);

// One record's payload: the member of its kind, holding that kind's defaults
// until the file's bytes are copied over it.
union EffectPayload
{
    EmitPayload emit;
    VectorPayload vector;
    BoxPayload box;
    ModeLastVectorPayload modeLast;
    ColourPayload colour;
    IntPayload integer;
    FloatPayload single;
    ScalarPayload scalar;
    SpawnPayload spawn;
    UvPayload uv;
    AttractPayload attract;
    WavePayload wave;

    EffectPayload() : emit() {}
    // The defaults of a kind (an inert record keeps the emit layout unused).
    static EffectPayload Defaults(int32_t kind);
    // The first bytes, where a file's payload goes.
    uint8_t* FileBytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* FileBytes() const { return reinterpret_cast<const uint8_t*>(this); }
};
