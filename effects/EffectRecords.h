// The records of an effect library: particles and their trail points, key
// records, keys and emitters. Every record owns what hangs below it.
#pragma once

#include "effects/EffectPayloads.h"
#include "platform/d3dx/D3DXMath.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

struct TextureRecord;

// Trail points are capped so an endless streak particle cannot grow without
// bound; the renderer reads only the newest ones.
constexpr int kMaxTrailPoints = 256;

struct TrailPoint
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 base{0.0f, 0.0f, 0.0f};
};

struct EffectParticle
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float size = 100.0f;
    int32_t isNew = 1;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    uint32_t colour = 0xFFFFFFFFu;
    int32_t alpha = 255;
    TextureRecord* texture = nullptr;
    float u = 0.0f, v = 0.0f;
    int32_t streak = 0;
    int32_t trailCopies = 0;
    int32_t trailCopyCount = 0;
    int32_t life = -1;
    int32_t age = 0;
    QV7_Collection<TrailPoint> trail;
    float stretch = 0.0f;
};

// A billboard particle of a live instance: the instance's alpha when it was
// emitted caps what colour and alpha keys may give it.
struct InstanceParticle : EffectParticle
{
    int32_t maxAlpha = 255;
};

struct EffectMeshParticle
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    int32_t isNew = 1;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    uint32_t colour = 0xFFFFFFFFu;
    int32_t alpha = 255;
    int32_t reserved = 0;
    int32_t streak = 0;
    int32_t trailCopies = 0;
    int32_t trailCopyCount = 0;
    int32_t life = -1;
    int32_t age = 0;
    QV7_Collection<TrailPoint> trail;
    float stretch = 0.0f;
};

struct EffectKeyRecord
{
    int32_t start = 0;
    int32_t end = 100;
    char name[260] = "No Name";
    int32_t kind = -1;
    EffectPayload payload;

    // The payload in slot k: only the slot of the record's own kind holds one.
    EffectPayload* Payload(int32_t k) { return k == kind && IsEffectKeyKind(k) ? &payload : nullptr; }
};

struct EffectKey
{
    int32_t kind = -1;
    QV7_Collection<EffectKeyRecord> records;
};

// The seven render words of an emitter, in file order.
struct EmitterRenderWords
{
    uint32_t alphaBlend = 1;
    uint32_t sourceBlend = 5;      // D3DBLEND_SRCALPHA
    uint32_t destinationBlend = 6; // D3DBLEND_INVSRCALPHA
    uint32_t zWrite = 0;
    uint32_t alphaTest = 1;
    uint32_t alphaRefA = 80;
    uint32_t alphaRefB = 200;
};

class EffectEmitter
{
  public:
    bool IsBillboard() const { return meshId == -1; }

    char name[260] = "*";
    int32_t keepOnLoop = 0;
    QV7_Collection<EffectKey> keys;
    int32_t meshId = -1;
    int32_t textureId = -1;
    QV7_Collection<EffectMeshParticle> meshParticles;
    QV7_Collection<EffectParticle> particles;
    EmitterRenderWords render;
    D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
};
