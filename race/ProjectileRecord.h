// One shot in flight, owned by its firer's weapons: the kind of weapon that
// fired it, where it is and where it flies, how long it has left and how old
// it is, and the live effect that shows it (owned by the effect list; the
// record asks for its removal when it goes).
#pragma once

#include "platform/d3dx/D3DXMath.h"

class EffectInstance;

class ProjectileRecord
{
  public:
    ProjectileRecord() = default;
    ~ProjectileRecord() { RemoveEffect(); }
    ProjectileRecord(const ProjectileRecord&) = delete;
    ProjectileRecord& operator=(const ProjectileRecord&) = delete;

    // Asks the effect list to drop the shot's effect; nothing without one.
    void RemoveEffect();

    // Removes a projectile's effect instance from the race's effect list;
    // unset (no race effects) nothing is removed.
    static void (*s_RemoveEffect)(EffectInstance* effect);

    EffectInstance* effect = nullptr;
    int kind = -1;                           // 1 flamer, 2 ice cannon, 3 chain gun, 4 cannon, 5 tesla coil
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};  // render units
    D3DXVECTOR3 direction{0.0f, 0.0f, 0.0f}; // unit
    float lifetime = 0.0f;                   // ms left
    float age = 0.0f;                        // ms in flight
};
