// The weapons' reset; the per-step update lives beside it.
#include "race/QV7_BuggyWeapons.h"

WeaponHooks QV7_BuggyWeapons::s_Hooks;

void QV7_BuggyWeapons::Reset()
{
    QV7_Buggy* const keptOwner = owner;
    const D3DXVECTOR3 keptMuzzleB = muzzleB;
    SoundInstance* const keptSounds[3] = {waterSound, engineSound, chainGunSound};
    const float keptWaterTimer = waterTimer;
    projectiles.Clear();
    fireRequest = shieldRequest = jammerRequest = 0;
    muzzleA = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    fireDirection = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    barrelAngle = chainFlashTime = shieldOpen = jammerWave = jammerLockout = 0.0f;
    burnTime = freezeTime = shockTime = timeSinceHit = 0.0f;
    for (float& s : speedHistory)
        s = 0.0f;
    engineLoad = gearTimer = barrelSpin = cooldown = 0.0f;
    gear = accelerating = alternateMuzzle = shieldWasOn = 0;
    shieldOpenSoundTimer = shieldCloseSoundTimer = 0.0f;
    owner = keptOwner;
    muzzleB = keptMuzzleB;
    waterSound = keptSounds[0], engineSound = keptSounds[1], chainGunSound = keptSounds[2];
    waterTimer = keptWaterTimer;
}
