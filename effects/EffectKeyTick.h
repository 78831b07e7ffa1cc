// The one 20 ms step of an emitter, shared by templates played in place and
// by live instances: every key of the emitter acts on the emitter's
// particles, then the particles age and move. The two users differ only in
// where the particles, the origin and the emission accumulators live and in
// the instance rules (paused emission, alpha cap, velocity override, ground
// bounce, locked particles, time scale), which EmitterTickRules carries.
#pragma once

#include "effects/EffectRecords.h"

#include <functional>

class QV7_TextureList;

struct EmitterTickRules
{
    bool instance = false;
    bool emissionPaused = false;
    float timeScale = 1.0f;
    int32_t alpha = 255; // of new billboard particles, and their cap
    bool overrideVelocity = false;
    D3DXVECTOR3 velocity{0.0f, 0.0f, 0.0f};
    // Billboard bounce against the ground under the instance (instances).
    bool groundBounce = false;
    float groundHeight = 0.0f;
    float originHeight = 0.0f;
    float scale = 1.0f;
    bool lockEffect = false;
};

// Where a spawn key puts its children: the lists of the target emitter.
template <class P> struct EmitterLists
{
    QV7_Collection<P>* particles = nullptr;
    QV7_Collection<EffectMeshParticle>* meshes = nullptr;
    bool billboard = true;
};

// Hard limit on the particles one emitter holds whatever its keys say, so a
// damaged rate or maximum cannot exhaust memory or stall a tick.
constexpr int kMaxEmitterParticles = 10000;

template <class P> struct EmitterTick
{
    EffectEmitter& emitter;
    QV7_Collection<P>& particles;
    QV7_Collection<EffectMeshParticle>& meshes;
    D3DXVECTOR3& origin;
    // KEY_EMIT, KEY_SPAWN, KEY_PARTICLE_SPAWN; null: the payload's own.
    float* accumulators[3];
    const QV7_TextureList* textures;
    std::function<EmitterLists<P>(EffectEmitter*)> targetLists;
    EmitterTickRules rules;

    // One step covering effect time A .. A + 20.
    void Run(int32_t effectAge);
};

// Random numbers of the effect keys: the game's generator scaled to 0..1.
float EffectRandom();

// The window of a key record against the interval a .. a + 20.
struct KeyWindow
{
    bool applies = false;
    float fraction = 1.0f;
    int32_t overlap = 0;
};
KeyWindow ComputeKeyWindow(int32_t start, int32_t end, int32_t a);

extern template struct EmitterTick<EffectParticle>;
extern template struct EmitterTick<InstanceParticle>;
