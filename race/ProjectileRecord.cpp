// A projectile's effect goes with it.
#include "race/ProjectileRecord.h"

void (*ProjectileRecord::s_RemoveEffect)(EffectInstance* effect) = nullptr;

void ProjectileRecord::RemoveEffect()
{
    if (effect && s_RemoveEffect)
        s_RemoveEffect(effect);
    effect = nullptr;
}
