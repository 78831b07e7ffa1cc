// A racer's weapons, shield and jammer at work: every 11 ms physics step it
// turns its driver's requests into sounds, shots and shield or jammer
// energy, flies and hit-tests its projectiles, and keeps the damage that
// burns, freezes and shocks the racer over time; once a frame it places the
// shield and jammer effects.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "race/ProjectileRecord.h"
#include "shell/QV7_Collection.h"

class EffectInstance;
class QV7_Buggy;
struct SoundInstance;

// A live effect a weapon asks for. The race's effect list makes it from the
// named template of its weapon-effect table; a missing template or list
// makes nothing, and the damage and sounds happen all the same.
struct WeaponEffectRequest
{
    const char* name = "";
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    int autoDelete = 1;
    // Follows this racer (its position), with an offset when useOffset.
    const QV7_Buggy* follow = nullptr;
    int useOffset = 0;
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    // Attached to the followed racer's chassis at localOffset.
    int attachToBody = 0;
    D3DXVECTOR3 localOffset{0.0f, 0.0f, 0.0f};
    // Oriented by matrix (and moved with its owner).
    int useMatrix = 0;
    D3DXMATRIX matrix;
    // A shield hit belongs to the struck racer's shield effect.
    int parentIsShield = 0;
    int secondPass = 0, noZWrite = 0, ageFade = 0, meshNoMip = 0;
    // Carried with the moving scenery when this racer rides it.
    const QV7_Buggy* carriedBy = nullptr;
    // Ticks run at once so that a shot is seen fully formed.
    int preTicks = 0;
};

// What the weapons ask of the rest of the race; each is skipped when unset.
struct WeaponHooks
{
    EffectInstance* (*createEffect)(const WeaponEffectRequest& request) = nullptr;
    // A projectile's effect moved to its new pose.
    void (*moveEffect)(EffectInstance* effect, const D3DXVECTOR3& position,
                       const D3DXMATRIX& matrix) = nullptr;
    // One of the racer's own slot effects ("Chaing", "Shield", "Shield
    // jammer") shown or hidden, with its scale and position when shown.
    void (*showSlotEffect)(const QV7_Buggy& racer, const char* slot, bool shown, float scale,
                           const D3DXVECTOR3& position) = nullptr;
    // The struck geometry's target record for the tutorial's count.
    void (*countTargetHit)(void* target) = nullptr;
    // Force-feedback slot started for the player's racer.
    void (*forceFeedback)(int slot) = nullptr;
    // The ground's height at (x, z) and the water's, render units; unset:
    // the landscape's and the race session's.
    float (*groundHeight)(float x, float z) = nullptr;
    float (*waterLevel)() = nullptr;
};

class QV7_BuggyWeapons
{
  public:
    static constexpr float kStepMs = 11.0f;
    static constexpr float kShieldFull = 300.0f;

    QV7_BuggyWeapons() = default;
    QV7_BuggyWeapons(const QV7_BuggyWeapons&) = delete;
    QV7_BuggyWeapons& operator=(const QV7_BuggyWeapons&) = delete;

    // Back to the start of a race: everything but the owner, muzzle B, the
    // three persistent sounds and the water timer; the projectiles go.
    void Reset();
    ProjectileRecord* AddProjectile() { return projectiles.Add(); }

    // One 11 ms physics step.
    void Update();
    // Once a frame: the shield bubble and the jammer wave where the racer is.
    void PlaceEffects();
    // The hit test of one projectile; a projectile that hits is deleted.
    void UpdateProjectiles(ProjectileRecord* projectile);

    // The engine's gear and pitch for a step at groundSpeed; returns the
    // sound's frequency (Hz).
    int EngineStep(float groundSpeed);
    // value grown from a to b over its first 500.
    static float LerpByDistance(float value, float a, float b);
    // A shot's orientation: scaled, turned by yaw (pitch a quarter turn) and
    // looking along direction from position, with position as translation.
    // A straight up or down direction still gives a whole matrix.
    static D3DXMATRIX ShotMatrix(const D3DXVECTOR3& position, D3DXVECTOR3 direction, float yaw, float scale,
                                 float pitch = 1.5707964f);
    // Moving scenery carries the racer's live points with it: every
    // projectile (position as a point, direction as a normal), both muzzles
    // and the fire direction. Points lose the pivot, turn by coordinates then
    // by next, and gain translation; normals turn by both alone.
    void TransformPointsAndNormals(const D3DXVECTOR3& pivot, const D3DXVECTOR3& translation,
                                   const D3DXMATRIX& coordinates, const D3DXMATRIX& next);
    // The water's height and the ground's at (x, z) as the hit test sees
    // them: the hooks', else the race session's and the landscape's.
    static float WaterLevel();
    static float GroundHeight(float x, float z);

    static WeaponHooks s_Hooks;

    int fireRequest = 0;
    int shieldRequest = 0;
    int jammerRequest = 0;
    QV7_Buggy* owner = nullptr;
    D3DXVECTOR3 muzzleA{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 muzzleB{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 fireDirection{0.0f, 0.0f, -1.0f};
    float barrelAngle = 0.0f;
    float chainFlashTime = 0.0f;
    float shieldOpen = 0.0f;
    float jammerWave = 0.0f;
    float jammerLockout = 0.0f;
    float burnTime = 0.0f;
    float freezeTime = 0.0f;
    float shockTime = 0.0f;
    float timeSinceHit = 0.0f;
    SoundInstance* waterSound = nullptr;
    float waterTimer = 0.0f;
    SoundInstance* engineSound = nullptr;
    float speedHistory[10] = {};
    float engineLoad = 0.0f;
    int gear = 0;
    float gearTimer = 0.0f;
    int accelerating = 0;
    QV7_Collection<ProjectileRecord> projectiles;
    float barrelSpin = 0.0f;
    int alternateMuzzle = 0;
    float cooldown = 0.0f;
    SoundInstance* chainGunSound = nullptr;
    int shieldWasOn = 0;
    float shieldOpenSoundTimer = 0.0f;
    float shieldCloseSoundTimer = 0.0f;
    // The engine sound's frequency as last set (Hz); 25000 until the first step.
    int engineFrequency = 25000;

  private:
    void CreateSounds();
    void DamageOverTime();
    void Shield();
    void ShieldPush();
    void Jammer();
    void Fly(ProjectileRecord& projectile);
    // The selected weapon's shots of this step; true when a chain-gun shot
    // left or the chain gun waited at full spin (its loop keeps playing).
    bool Fire();
    ProjectileRecord* Shoot(int kind, int level, const D3DXVECTOR3& muzzle, D3DXVECTOR3 direction);
    void LowPower();
    void HitRacer(ProjectileRecord& projectile, QV7_Buggy& struck);
    void HitGround(const ProjectileRecord& projectile);
    QV7_Buggy* StruckRacer(const ProjectileRecord& projectile) const;
};
