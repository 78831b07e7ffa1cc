// One named effect of a library: its emitters and their keys, and the state
// of the template played in place (a map's placed effects run on the
// template itself, in fixed 20 ms ticks).
#pragma once

#include "effects/EffectRecords.h"

class QV7_EffectsList;

constexpr int kEffectTickMs = 20;

class EffectTemplate
{
  public:
    // Runs whole 20 ms ticks while more than 20 ms are pending; loops or
    // stops at the end of the duration.
    void Advance(float elapsedMs);
    // Clears the emission accumulators; empties every emitter that does not
    // keep its particles over a loop.
    void Reset();
    // One 20 ms step of every emitter.
    void Tick();

    char name[260] = "*";
    int32_t id = -1;
    int32_t duration = 5000;
    int32_t loop = 0;
    int32_t sort = 0;
    QV7_Collection<EffectEmitter> emitters;
    float age = 0.0f;
    float accumulator = 0.0f;
    int32_t active = 0;
    QV7_EffectsList* owner = nullptr;
};
