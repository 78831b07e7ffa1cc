// The weapons' step: sounds, damage over time, shield, jammer, then the
// selected weapon's projectiles and shots; and the frame's shield and jammer
// effects.
#include "race/QV7_BuggyWeapons.h"

#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <cmath>

WeaponHooks QV7_BuggyWeapons::s_Hooks;

namespace
{
constexpr float kStep = QV7_BuggyWeapons::kStepMs;
constexpr float kDamagePerStep = 0.0647058f;
constexpr float kShockPerStep = 0.0627058f;
constexpr float kShieldReachSq = 43000.0f;
constexpr float kJammerReach = 700.666f;

SoundEntry* Slot(SoundSlot slot)
{
    return g_soundSystem ? g_soundSystem->m_Slots[slot] : nullptr;
}

void PlayAt(SoundSlot slot, const D3DXVECTOR3& at)
{
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[slot], at.x, at.y, at.z);
}

float DistanceSq(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3LengthSq(&d);
}

const QV7_Collection<QV7_Buggy>* Racers(const QV7_Buggy& owner)
{
    return owner.ownerGroup ? &owner.ownerGroup->racers : nullptr;
}

// The jammer's reach by level; other levels reach without end.
float JammerLimit(int level)
{
    static const float kLimits[3] = {3000.0f, 5000.0f, 8000.0f};
    return level >= 0 && level <= 2 ? kLimits[level] : -1.0f;
}
} // namespace

float QV7_BuggyWeapons::WaterLevel()
{
    if (s_Hooks.waterLevel)
        return s_Hooks.waterLevel();
    if (g_mapSystem && g_mapSystem->water)
        return g_mapSystem->water->m_WaterLevel;
    return -1.0e30f;
}

float QV7_BuggyWeapons::GroundHeight(float x, float z)
{
    if (s_Hooks.groundHeight)
        return s_Hooks.groundHeight(x, z);
    return g_landscape ? g_landscape->GetHeight(x, z) : -1.0e30f;
}

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

namespace
{
D3DXVECTOR3 CarryPoint(const D3DXVECTOR3& p, const D3DXVECTOR3& pivot, const D3DXVECTOR3& translation,
                       const D3DXMATRIX& first, const D3DXMATRIX& second)
{
    D3DXVECTOR3 a = p - pivot, b;
    D3DXVec3TransformCoord(&b, &a, &first);
    D3DXVec3TransformCoord(&a, &b, &second);
    return a + translation;
}

D3DXVECTOR3 CarryNormal(const D3DXVECTOR3& n, const D3DXMATRIX& first, const D3DXMATRIX& second)
{
    D3DXVECTOR3 a, b;
    D3DXVec3TransformNormal(&a, &n, &first);
    D3DXVec3TransformNormal(&b, &a, &second);
    return b;
}
} // namespace

void QV7_BuggyWeapons::TransformPointsAndNormals(const D3DXVECTOR3& pivot, const D3DXVECTOR3& translation,
                                                 const D3DXMATRIX& coordinates, const D3DXMATRIX& next)
{
    for (ProjectileRecord* shot : projectiles)
    {
        shot->position = CarryPoint(shot->position, pivot, translation, coordinates, next);
        shot->direction = CarryNormal(shot->direction, coordinates, next);
    }
    muzzleA = CarryPoint(muzzleA, pivot, translation, coordinates, next);
    muzzleB = CarryPoint(muzzleB, pivot, translation, coordinates, next);
    fireDirection = CarryNormal(fireDirection, coordinates, next);
}

void QV7_BuggyWeapons::CreateSounds()
{
    if (!g_soundSystem)
        return;
    if (!chainGunSound)
        chainGunSound = g_soundSystem->CreateInstance(Slot(SOUND_CHAINGUN));
    if (!waterSound)
        waterSound = g_soundSystem->CreateInstance(Slot(SOUND_WATERDRIVE));
    if (!engineSound && (engineSound = g_soundSystem->CreateInstance(Slot(SOUND_ENGINE))) != nullptr)
    {
        g_soundSystem->PlayInstance(engineSound);
        g_soundSystem->UpdateInstance(engineSound, owner->position.x, owner->position.y, owner->position.z);
        g_soundSystem->SetInstanceFrequency(engineSound, 25000);
    }
}

int QV7_BuggyWeapons::EngineStep(float groundSpeed)
{
    for (int i = 0; i < 9; ++i)
        speedHistory[i] = speedHistory[i + 1];
    float average = 0.0f;
    for (float s : speedHistory)
        average += s;
    average /= 10.0f;
    gearTimer = std::max(gearTimer - kStep, 0.0f);
    if (accelerating && gearTimer == 0.0f)
    {
        static const float kUp[3] = {12.0f, 24.0f, 36.0f};
        static const float kDown[4] = {-1.0f, 6.0f, 16.0f, 27.0f};
        if (gear < 3 && average > kUp[gear])
            ++gear, gearTimer = 1000.0f;
        else if (gear > 0 && average < kDown[gear])
            --gear, gearTimer = 1000.0f;
    }
    else if (!accelerating && average < 2.0f)
        gear = 0;
    const float pitch = std::clamp(average - 11.0f * float(gear) + 0.5f * engineLoad, 0.0f, 18.0f);
    engineFrequency = int(700.0f * pitch + 15000.0f);
    speedHistory[9] = groundSpeed * 7.0f;
    return engineFrequency;
}

void QV7_BuggyWeapons::DamageOverTime()
{
    QV7_DriveController& driver = *owner->Controller();
    if (burnTime != 0.0f)
    {
        driver.health -= kDamagePerStep;
        burnTime = std::max(burnTime - kDamagePerStep, 0.0f);
    }
    if (freezeTime != 0.0f)
    {
        driver.slowTimer = 10.0f;
        freezeTime = std::max(freezeTime - kDamagePerStep, 0.0f);
    }
    if (shockTime != 0.0f)
    {
        driver.energy -= kShockPerStep;
        shockTime = std::max(shockTime - kDamagePerStep, 0.0f);
    }
}

void QV7_BuggyWeapons::LowPower()
{
    if (owner->controllerKind == QV7_Buggy::CONTROLLER_PLAYER && owner->playerController)
        owner->playerController->lowPowerNotice = 1;
}

void QV7_BuggyWeapons::Shield()
{
    QV7_DriveController& driver = *owner->Controller();
    if (shieldRequest == 1)
    {
        driver.energy -= 0.04f;
        if (driver.energy < 5.0f)
        {
            shieldRequest = 0;
            LowPower();
        }
        else if (!shieldWasOn && shieldOpenSoundTimer > 500.0f)
        {
            PlayAt(SOUND_SHIELDOPEN, owner->position);
            shieldOpenSoundTimer = 0.0f;
        }
        if (shieldRequest == 1)
            shieldOpen = std::min(shieldOpen + kStep, kShieldFull);
    }
    else
    {
        if (shieldWasOn && shieldCloseSoundTimer > 500.0f)
        {
            PlayAt(SOUND_SHIELDCLOSE, owner->position);
            shieldCloseSoundTimer = 0.0f;
        }
        shieldOpen = std::max(shieldOpen - kStep, 0.0f);
    }
    shieldWasOn = shieldRequest;
}

void QV7_BuggyWeapons::ShieldPush()
{
    const QV7_Collection<QV7_Buggy>* racers = Racers(*owner);
    if (shieldOpen <= 0.0f || !racers)
        return;
    for (QV7_Buggy* other : *racers)
    {
        if (other == owner || DistanceSq(other->position, owner->position) >= kShieldReachSq)
            continue;
        D3DXVECTOR3 d = owner->position - other->position;
        if (!(D3DXVec3LengthSq(&d) > 0.0f))
            continue; // one on top of the other: no way to push apart
        D3DXVec3Normalize(&d, &d);
        if (dBodyID mine = owner->ChassisBody())
            dBodyAddForce(mine, 40.0f * d.x, 40.0f * d.y, 40.0f * d.z);
        if (dBodyID theirs = other->ChassisBody())
            dBodyAddForce(theirs, -200.0f * d.x, -200.0f * d.y, -200.0f * d.z);
    }
}

void QV7_BuggyWeapons::Jammer()
{
    QV7_DriveController& driver = *owner->Controller();
    if (jammerRequest == 1)
    {
        if (jammerWave == 0.0f && driver.energy > 50.0f)
        {
            jammerWave = 0.01f;
            driver.energy -= 40.0f;
            PlayAt(SOUND_JAMMER, owner->position);
        }
        else if (jammerWave == 0.0f)
            LowPower();
        jammerRequest = 0;
    }
    const QV7_Collection<QV7_Buggy>* racers = Racers(*owner);
    if (jammerWave == 0.0f)
        return;
    jammerWave += 55.0f;
    static const float kDrain[3] = {20.0f, 40.0f, 80.0f};
    for (int i = 0; racers && i < racers->count; ++i)
    {
        QV7_Buggy* other = racers->items[i];
        QV7_BuggyWeapons& theirs = other->weapons;
        QV7_DriveController* struck = other->Controller();
        if (other == owner || !struck || theirs.jammerLockout > 10.0f ||
            DistanceSq(other->position, owner->position) >= kJammerReach * jammerWave)
            continue;
        theirs.jammerLockout = 1000.0f;
        const int level = other->equipment.levels[EquipmentSlots::kJammerSlot - 1];
        if (level >= 0 && level <= 2)
            struck->energy = std::max(struck->energy - kDrain[level], 0.0f);
    }
    const float limit = JammerLimit(owner->equipment.levels[EquipmentSlots::kJammerSlot - 1]);
    if (limit >= 0.0f && jammerWave > limit)
        jammerWave = 0.0f;
}

void QV7_BuggyWeapons::Update()
{
    QV7_DriveController* driver = owner ? owner->Controller() : nullptr;
    if (!driver)
        return;
    CreateSounds();
    if (engineSound)
    {
        const int hertz = EngineStep(driver->groundSpeed);
        g_soundSystem->UpdateInstance(engineSound, owner->position.x, owner->position.y, owner->position.z);
        g_soundSystem->SetInstanceFrequency(engineSound, hertz);
        if (!g_soundSystem->m_Paused)
            g_soundSystem->PlayInstance(engineSound);
    }
    if (waterTimer > 100.0f && waterSound && g_soundSystem)
        g_soundSystem->StopInstance(waterSound);
    waterTimer += kStep;
    DamageOverTime();
    for (int k = 0; k < 4; ++k)
        owner->ammoFullScale[k] = std::max(owner->ammoFullScale[k], owner->ammo ? owner->ammo[k] : 0);
    if (chainFlashTime != 0.0f)
        chainFlashTime = std::max(chainFlashTime - kStep, 0.0f);
    if (s_Hooks.showSlotEffect)
        s_Hooks.showSlotEffect(*owner, "Chaing", chainFlashTime != 0.0f, 1.0f, muzzleA);
    if (jammerLockout != 0.0f)
        jammerLockout = std::max(jammerLockout - kStep, 0.0f);
    shieldOpenSoundTimer += kStep;
    shieldCloseSoundTimer += kStep;
    Shield();
    ShieldPush();
    Jammer();
    const int selected = owner->equipment.selected;
    if (selected < 1 || selected > 5)
        return;
    cooldown = std::max(cooldown - kStep, 0.0f);
    for (int i = projectiles.count - 1; i >= 0; --i)
        Fly(*projectiles.items[i]);
    const bool chainGunGoing = Fire();
    if (!chainGunGoing && chainGunSound && g_soundSystem)
        g_soundSystem->StopInstance(chainGunSound);
    timeSinceHit = std::min(timeSinceHit + kStep, 10000.0f);
    for (int i = projectiles.count - 1; i >= 0; --i)
        if (i < projectiles.count)
            UpdateProjectiles(projectiles.items[i]);
}

void QV7_BuggyWeapons::PlaceEffects()
{
    if (!owner || !s_Hooks.showSlotEffect)
        return;
    D3DXVECTOR3 p = owner->position;
    if (dBodyID chassis = owner->ChassisBody())
    {
        const dReal* at = dBodyGetPosition(chassis);
        p = D3DXVECTOR3(float(at[0]), float(at[1]), float(at[2])) * 200.0f;
    }
    float scale = 0.008f * shieldOpen;
    if (jammerLockout != 0.0f)
        scale -= 0.5f * std::sin(0.07f * jammerLockout);
    s_Hooks.showSlotEffect(*owner, "Shield", shieldOpen > 0.0f, scale, p - D3DXVECTOR3(0.0f, 50.0f, 0.0f));
    s_Hooks.showSlotEffect(*owner, "Shield jammer", jammerWave != 0.0f, 0.0075f * jammerWave, p);
}
