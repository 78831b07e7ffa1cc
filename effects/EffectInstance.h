// One playing effect of a race: a template of one of the two libraries,
// simulated on the instance's own emitter states and drawn at the
// instance's placement. Gameplay code writes the fields directly; the
// live-effect manager owns every instance.
#pragma once

#include "effects/EffectKeyTick.h"
#include "effects/EffectTemplate.h"
#include "platform/d3dx/D3DXMath.h"

class QV7_Buggy;

struct EmitterRenderSettings
{
    EmitterRenderWords words;
    D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
};

struct EmitterState
{
    QV7_Collection<EffectMeshParticle> m_MeshParticles;
    QV7_Collection<InstanceParticle> m_Particles;
    EmitterRenderSettings m_RenderSettings;
    // KEY_EMIT, KEY_SPAWN, KEY_PARTICLE_SPAWN.
    float m_EmitAccumulator[3] = {0.0f, 0.0f, 0.0f};
};

struct EffectCopy
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    int32_t colourOverride = 0;
    D3DCOLOR colour = 0xFFFFFFFFu;
};

class EffectInstance
{
  public:
    EffectInstance();

    // Accumulates frame time and runs whole 20 ms ticks; loops or stops at
    // the end of the template's duration.
    void Advance(float elapsedMs);
    // Starts a new cycle: accumulators cleared, particles freed unless the
    // instance loops and the emitter keeps them (force 1 always frees them).
    void Reset(int force);
    // One 20 ms step of every emitter state.
    void Tick();
    // Draws every emitter, last to first, with the world matrix; the scale
    // multiplies billboard sizes (and sets mesh scales with m_MeshScaleMode).
    void Render(const D3DXMATRIX& world, float scale);

    EffectTemplate* m_Template = nullptr;
    int32_t m_Loop = 1;
    float m_Age = 0.0f;
    float m_TimeAccumulator = 0.0f;
    int32_t m_Active = 1;
    QV7_Collection<EmitterState> m_EmitterStates;
    int32_t m_AutoDelete = 0;
    D3DXVECTOR3 m_Position{0.0f, 0.0f, 0.0f};
    float m_Scale = 1.0f;
    D3DXVECTOR3 m_Rotation{0.0f, 0.0f, 0.0f};
    float m_TimeScale = 1.0f;
    int32_t m_EmissionPaused = 0;
    int32_t m_Alpha = 255;
    int32_t m_OverrideVelocity = 0;
    D3DXVECTOR3 m_Velocity{0.0f, 0.0f, 0.0f};
    int32_t m_MultiPosition = 0;
    QV7_Collection<EffectCopy> m_Copies;
    int32_t m_ColourOverride = 0;
    D3DCOLOR m_OverrideColour = 0xFFFFFFFFu;
    int32_t m_UseMatrix = 0;
    int32_t m_MatrixFollowsOwner = 0;
    D3DXMATRIX m_Matrix;
    int32_t m_MeshScaleMode = 0;
    int32_t m_FollowOwner = 0;
    const D3DXVECTOR3* m_OwnerPosition = nullptr;
    int32_t m_UseOffset = 0;
    D3DXVECTOR3 m_Offset{0.0f, 0.0f, 0.0f};
    int32_t m_AttachToBody = 0;
    D3DXVECTOR3 m_LocalOffset{0.0f, 0.0f, 0.0f};
    QV7_Buggy* m_Owner = nullptr;
    int32_t m_LockEffect = 0;
    int32_t m_SecondPass = 0;
    int32_t m_NoZWrite = 0;
    int32_t m_AgeFade = 0;
    int32_t m_MeshNoMip = 0;
    int32_t m_SeparateHeightScale = 0;
    float m_HeightScale = 1.0f;
    EffectInstance* m_Parent = nullptr;
    int32_t m_Hidden = 0;
    int32_t m_CarryParticles = 0;
    int32_t m_CarryPosition = 0;

  private:
    EmitterTickRules Rules() const;
};
