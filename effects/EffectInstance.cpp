#include "effects/EffectInstance.h"

#include "effects/EffectKeyTick.h"
#include "effects/EmitterDraw.h"
#include "effects/QV7_EffectsList.h"
#include "world/QV7_Landscape.h"

#include <algorithm>

EffectInstance::EffectInstance()
{
    D3DXMatrixIdentity(&m_Matrix);
}

void EffectInstance::Advance(float elapsedMs)
{
    if (!m_Active || !m_Template)
        return;
    if (m_TimeAccumulator < 0.0f)
        m_TimeAccumulator = 0.0f;
    m_TimeAccumulator += elapsedMs;
    const int32_t duration = std::max(m_Template->duration, kEffectTickMs);
    while (m_TimeAccumulator > float(kEffectTickMs))
    {
        Tick();
        m_Age += float(kEffectTickMs);
        m_TimeAccumulator -= float(kEffectTickMs);
        if (float(duration) > m_Age)
            continue;
        if (m_Loop == 1)
            m_TimeAccumulator += m_Age - float(duration);
        else
            m_Active = 0;
        m_Age = 0.0f;
        Reset(0);
        // A stopped instance keeps what it shows; it does not start a new cycle.
        if (!m_Active)
            return;
    }
}

void EffectInstance::Reset(int force)
{
    if (!m_Template)
        return;
    for (int i = 0; i < m_EmitterStates.Count(); ++i)
    {
        EmitterState& state = *m_EmitterStates[i];
        std::fill(std::begin(state.m_EmitAccumulator), std::end(state.m_EmitAccumulator), 0.0f);
        const EffectEmitter* emitter = i < m_Template->emitters.Count() ? m_Template->emitters[i] : nullptr;
        if (m_Loop == 1 && emitter && emitter->keepOnLoop == 1 && force == 0)
            continue;
        state.m_MeshParticles.Clear();
        state.m_Particles.Clear();
        state.m_RenderSettings.origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
}

EmitterTickRules EffectInstance::Rules() const
{
    EmitterTickRules rules;
    rules.instance = true;
    rules.emissionPaused = m_EmissionPaused != 0;
    rules.timeScale = m_TimeScale;
    rules.alpha = m_Alpha;
    rules.overrideVelocity = m_OverrideVelocity == 1;
    rules.velocity = m_Velocity;
    rules.groundBounce = true;
    rules.groundHeight = g_landscape ? g_landscape->GetHeight(m_Position.x, m_Position.z) : 0.0f;
    rules.originHeight = m_Position.y;
    rules.scale = m_Scale;
    rules.lockEffect = m_LockEffect != 0;
    return rules;
}

void EffectInstance::Tick()
{
    if (!m_Template)
        return;
    const int32_t a = int32_t(m_Age);
    const EmitterTickRules rules = Rules();
    EffectTemplate& effect = *m_Template;
    const int count = std::min(effect.emitters.Count(), m_EmitterStates.Count());
    for (int i = 0; i < count; ++i)
    {
        EmitterState& state = *m_EmitterStates[i];
        EmitterTick<InstanceParticle> tick{
            *effect.emitters[i],
            state.m_Particles,
            state.m_MeshParticles,
            state.m_RenderSettings.origin,
            {&state.m_EmitAccumulator[0], &state.m_EmitAccumulator[1], &state.m_EmitAccumulator[2]},
            effect.owner ? effect.owner->m_Textures : nullptr,
            [this, &effect](EffectEmitter* target)
            {
                const int index = effect.emitters.IndexOf(target);
                if (index < 0 || index >= m_EmitterStates.Count())
                    return EmitterLists<InstanceParticle>();
                EmitterState& s = *m_EmitterStates[index];
                return EmitterLists<InstanceParticle>{&s.m_Particles, &s.m_MeshParticles,
                                                      target->IsBillboard()};
            },
            rules};
        tick.Run(a);
    }
}

void EffectInstance::Render(const D3DXMATRIX& world, float scale)
{
    if (!m_Template || !m_Template->owner)
        return;
    QV7_EffectsList& library = *m_Template->owner;
    const int count = std::min(m_Template->emitters.Count(), m_EmitterStates.Count());
    for (int i = count - 1; i >= 0; --i)
    {
        EffectEmitter& emitter = *m_Template->emitters[i];
        EmitterState& state = *m_EmitterStates[i];
        if (emitter.IsBillboard())
        {
            std::vector<EffectParticle*> particles(state.m_Particles.begin(), state.m_Particles.end());
            BillboardDrawOptions options;
            options.drawScale = scale;
            options.colourOverride = m_ColourOverride == 1;
            options.colour = m_OverrideColour;
            DrawBillboardEmitter(library, particles, emitter.textureId, state.m_RenderSettings.words,
                                 m_Template->sort == 1, world, options);
            continue;
        }
        MeshDrawOptions options;
        options.instance = true;
        options.words = &state.m_RenderSettings.words;
        options.drawScale = scale;
        options.meshScaleMode = m_MeshScaleMode;
        if (m_AgeFade == 1)
        {
            const float duration = float(std::max(m_Template->duration, 1));
            options.ageFadeRef = int32_t(std::clamp(m_Age / duration * 255.0f, 0.0f, 255.0f));
        }
        options.noZWrite = m_NoZWrite == 1;
        options.noMip = m_MeshNoMip == 1;
        DrawMeshEmitter(library, state.m_MeshParticles, emitter.meshId, world, options);
    }
}
