// The menus' small 2D particle system: emitters that spawn textured square
// sparks at a screen position, move them with velocity, acceleration and
// random jitter in fixed 17 ms steps, let dying sparks spawn children, and
// draw them as pre-transformed quads. Its one user is the trail behind the
// mouse cursor. The engine creates the system with its per-device
// singletons; it is published in g_particles2D.
#pragma once

#include "platform/gfx/D3D9.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

struct TextureRecord;

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1.
struct ParticleVertex
{
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    D3DCOLOR specular;
    float u, v;
};
static_assert(sizeof(ParticleVertex) == 32, "particle vertices are 32 bytes");

struct ScreenParticle
{
    float m_Age = 0.0f;
    int32_t m_ChildCount = 0;
    float m_X = 0.0f, m_Y = 0.0f;
    float m_VelocityX = 0.0f, m_VelocityY = 0.0f;
    float m_AccelerationX = 0.0f, m_AccelerationY = 0.0f;
    float m_JitterX = 0.0f, m_JitterY = 0.0f;
    ParticleVertex m_Vertices[4] = {};
};

struct ScreenEmitter
{
    float m_HalfSize = 10.0f;
    TextureRecord* m_Picture = nullptr;
    int32_t m_Active = 0;
    // Milliseconds per particle.
    int32_t m_SpawnInterval = 1;
    int32_t m_Reserved = 0;
    QV7_Collection<D3DCOLOR> m_Colours;
    int32_t m_NextColour = 0;
    int32_t m_RandomColour = 0;
    // Milliseconds.
    float m_Life = 1000.0f;
    int32_t m_MaxParticles = 1000;
    // Children each new particle spawns when it dies.
    int32_t m_ChildCount = 0;
    float m_X = 0.0f, m_Y = 0.0f;
    // Pixels per 100 ms.
    float m_VelocityX = 0.0f, m_VelocityY = 0.0f;
    float m_AccelerationX = 0.0f, m_AccelerationY = 0.0f;
    // Widths of the random position noise and of the start-velocity noise.
    float m_JitterX = 0.0f, m_JitterY = 0.0f;
    float m_SpreadX = 0.0f, m_SpreadY = 0.0f;
    // 1: additive blending.
    int32_t m_Blend = 1;
    float m_SpawnRemainder = 0.0f;
    QV7_Collection<ScreenParticle> m_Particles;
    float m_StepAccumulator = 0.0f;
};

class QV7_Particles2D
{
  public:
    static constexpr float kStepMs = 17.0f;
    // A frame longer than this is skipped rather than simulated.
    static constexpr float kLongFrameMs = 300.0f;

    // Publishes g_particles2D.
    QV7_Particles2D();
    // Clears the global, then deletes the emitters from the last to the first.
    ~QV7_Particles2D();
    QV7_Particles2D(const QV7_Particles2D&) = delete;
    QV7_Particles2D& operator=(const QV7_Particles2D&) = delete;

    // A new active emitter appended to the list; the caller may change any
    // field afterwards.
    ScreenEmitter* CreateEmitter(float halfSize, TextureRecord* picture, float x, float y, float velocityX,
                                 float velocityY);
    // Advances one emitter by the frame manager's last frame time.
    void Update(ScreenEmitter* emitter);
    void Draw(ScreenEmitter* emitter);

    QV7_Collection<ScreenEmitter> m_Emitters;

  private:
    void Step(ScreenEmitter& emitter);
};

extern QV7_Particles2D* g_particles2D;
