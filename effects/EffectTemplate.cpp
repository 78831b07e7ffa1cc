#include "effects/EffectTemplate.h"

#include "effects/EffectKeyTick.h"
#include "effects/QV7_EffectsList.h"

void EffectTemplate::Advance(float elapsedMs)
{
    if (!active)
        return;
    if (accumulator < 0.0f)
        accumulator = 0.0f;
    accumulator += elapsedMs;
    // A duration below one tick would never drain the accumulator on a loop.
    const int32_t cycle = duration < kEffectTickMs ? kEffectTickMs : duration;
    while (accumulator > float(kEffectTickMs))
    {
        Tick();
        age += float(kEffectTickMs);
        accumulator -= float(kEffectTickMs);
        if (age < float(cycle))
            continue;
        if (loop == 1)
            accumulator += age - float(cycle);
        else
            active = 0;
        age = 0.0f;
        Reset();
        if (!active)
            return;
    }
}

void EffectTemplate::Reset()
{
    for (EffectEmitter* emitter : emitters)
    {
        for (EffectKey* key : emitter->keys)
            for (EffectKeyRecord* record : key->records)
                if (EffectPayload* emit = record->Payload(KEY_EMIT))
                    emit->emit.accumulator = 0.0f;
        if (loop == 1 && emitter->keepOnLoop == 1)
            continue;
        emitter->meshParticles.Clear();
        emitter->particles.Clear();
        emitter->origin = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
}

void EffectTemplate::Tick()
{
    const int32_t a = int32_t(age);
    for (EffectEmitter* emitter : emitters)
    {
        EmitterTick<EffectParticle> tick{*emitter,
                                         emitter->particles,
                                         emitter->meshParticles,
                                         emitter->origin,
                                         {nullptr, nullptr, nullptr},
                                         owner ? owner->m_Textures : nullptr,
                                         [](EffectEmitter* target) {
                                             return EmitterLists<EffectParticle>{&target->particles,
                                                                                 &target->meshParticles,
                                                                                 target->IsBillboard()};
                                         },
                                         EmitterTickRules()};
        tick.Run(a);
    }
}
