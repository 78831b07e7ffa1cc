// Projectiles in flight and their hit test: water, ground, racers (the
// shield first), then the static geometry; and what each kind does to what
// it hits.
#include "race/QV7_BuggyWeapons.h"

#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/StaticPointQuery.h"

#include <cmath>

namespace
{
constexpr float kStep = QV7_BuggyWeapons::kStepMs;

void PlayAt(SoundSlot slot, const D3DXVECTOR3& at)
{
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[slot], at.x, at.y, at.z);
}

float ShotYaw(int kind)
{
    return kind == ITEM_CHAIN_GUN || kind == ITEM_TESLA_COIL ? 0.0f : 3.14159265f;
}

float DistanceSq(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return D3DXVec3LengthSq(&d);
}

EffectInstance* Effect(const WeaponEffectRequest& request)
{
    return QV7_BuggyWeapons::s_Hooks.createEffect ? QV7_BuggyWeapons::s_Hooks.createEffect(request) : nullptr;
}

// A passing hit by kind: the effect, the damage at levels 0-1 and above,
// the force-feedback slot and the sound.
struct HitRow
{
    const char* effect;
    float damage[2];
    int feedbackSlot;
    SoundSlot sound;
};
const HitRow kHits[5] = {
    {"Fire hit", {2, 4}, 6, SOUND_FLAMEHIT},    {"Ice hit", {10, 15}, 6, SOUND_ICEHIT},
    {"Sparks", {3, 5}, 7, SOUND_CHAINHITB},     {"Cannon hit", {15, 15}, 8, SOUND_CANNONHIT},
    {"Tesla hit", {35, 50}, 9, SOUND_TESLAHIT},
};

// Where the shot struck, in the struck chassis' own axes.
D3DXVECTOR3 ImpactOnChassis(const QV7_Buggy& struck, const D3DXVECTOR3& at)
{
    dBodyID chassis = struck.ChassisBody();
    if (!chassis)
        return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 d = at - struck.position;
    dVector3 local;
    dBodyVectorFromWorld(chassis, d.x, d.y, d.z, local);
    return D3DXVECTOR3{float(local[0]), float(local[1]), float(local[2])};
}
} // namespace

void QV7_BuggyWeapons::Fly(ProjectileRecord& shot)
{
    QV7_DriveController& firer = *owner->Controller();
    const float speed = 50.0f * firer.groundSpeed + (shot.kind == ITEM_CANNON ? 50.0f : 100.0f);
    shot.position += speed * shot.direction;
    const QV7_Collection<QV7_Buggy>* racers = owner->ownerGroup ? &owner->ownerGroup->racers : nullptr;
    const EquipmentSlots& e = owner->equipment;
    if (shot.kind == ITEM_TESLA_COIL && e.levels[e.selected - 1] >= 1 && racers && racers->count >= 2)
    {
        const QV7_Buggy* nearest = nullptr;
        float best = 0.0f;
        for (const QV7_Buggy* other : *racers)
        {
            const float d = DistanceSq(other->position, shot.position);
            if (other != owner && (!nearest || d < best))
                nearest = other, best = d;
        }
        if (nearest && best < 4000.0f * 4000.0f && best > 0.0f)
        {
            D3DXVECTOR3 towards = nearest->position - shot.position;
            D3DXVec3Normalize(&towards, &towards);
            shot.position += 10.0f * towards;
        }
    }
    if (shot.effect && s_Hooks.moveEffect)
    {
        const float scale = shot.kind <= ITEM_ICE_CANNON ? LerpByDistance(shot.age, 0.01f, 1.0f)
                                                         : (shot.kind == ITEM_CANNON       ? 0.1f
                                                            : shot.kind == ITEM_TESLA_COIL ? 0.8f
                                                                                           : 1.0f);
        s_Hooks.moveEffect(shot.effect, shot.position,
                           ShotMatrix(shot.position, shot.direction, ShotYaw(shot.kind), scale));
    }
    shot.lifetime -= kStep;
    shot.age += kStep;
    if (shot.lifetime < 0.0f)
        projectiles.Delete(&shot);
}

QV7_Buggy* QV7_BuggyWeapons::StruckRacer(const ProjectileRecord& shot) const
{
    QV7_Buggy* struck = nullptr;
    if (!owner->ownerGroup)
        return nullptr;
    for (QV7_Buggy* other : owner->ownerGroup->racers)
    {
        if (other == owner)
            continue;
        const float d2 = DistanceSq(shot.position, other->position);
        if (d2 < 10000.0f || (other->weapons.shieldRequest == 1 && d2 < 21500.0f))
            struck = other; // the last in racer order
    }
    return struck;
}

void QV7_BuggyWeapons::UpdateProjectiles(ProjectileRecord* shot)
{
    const D3DXVECTOR3 p = shot->position;
    if (p.y < WaterLevel())
    {
        static const float kSplash[5] = {0.5f, 0.5f, 0.2f, 0.7f, 1.0f};
        WeaponEffectRequest splash;
        splash.name = "Water splashes";
        splash.position = p;
        splash.scale = kSplash[shot->kind - 1];
        splash.carriedBy = owner;
        Effect(splash);
        PlayAt(SOUND_WATERSPLASH, p);
    }
    else if (GroundHeight(p.x, p.z) > p.y)
        HitGround(*shot);
    else if (QV7_Buggy* struck = StruckRacer(*shot))
        HitRacer(*shot, *struck);
    else
    {
        const dReal point[3] = {p.x * 0.005f, p.y * 0.005f, p.z * 0.005f};
        const StaticPointQuery::Result found =
            StaticPointQuery::Test(owner->ownerGroup ? owner->ownerGroup->space : nullptr, point);
        if (!found.hit)
            return;
        if (found.data && s_Hooks.countTargetHit)
            s_Hooks.countTargetHit(found.data);
        HitGround(*shot);
    }
    projectiles.Delete(shot);
}

void QV7_BuggyWeapons::HitGround(const ProjectileRecord& shot)
{
    static const char* const kEffects[5] = {"Fire hit", "Ice hit", "Cannon hit", "Cannon hit", nullptr};
    static const SoundSlot kSounds[4] = {SOUND_FLAMEHIT, SOUND_ICEHIT, SOUND_CHAINHIT, SOUND_CANNONHIT};
    if (shot.kind == ITEM_TESLA_COIL)
        return; // the coil's discharge leaves nothing on the ground
    WeaponEffectRequest impact;
    impact.name = kEffects[shot.kind - 1];
    impact.position = shot.position;
    impact.carriedBy = owner;
    Effect(impact);
    PlayAt(kSounds[shot.kind - 1], shot.position);
}

void QV7_BuggyWeapons::HitRacer(ProjectileRecord& shot, QV7_Buggy& struck)
{
    const EquipmentSlots& e = owner->equipment;
    const int level = e.levels[e.selected - 1];
    QV7_DriveController* target = struck.Controller();
    QV7_BuggyWeapons& theirs = struck.weapons;
    theirs.timeSinceHit = 0.0f;
    if (!target)
        return;
    const float v = target->energy, m = target->energyMax;
    const bool passes =
        theirs.shieldOpen == 0.0f ||
        (shot.kind == ITEM_CHAIN_GUN && ((level == 1 && v <= 0.2f * m) || (level == 2 && v <= 0.5f * m)));
    if (!passes)
    {
        WeaponEffectRequest hit;
        hit.name = "Shiel hit";
        hit.position = shot.position;
        hit.scale = 0.0075f * theirs.shieldOpen;
        hit.follow = &struck;
        hit.useOffset = 1;
        hit.offset = D3DXVECTOR3(0.0f, -50.0f, 0.0f);
        hit.secondPass = hit.noZWrite = hit.ageFade = 1;
        hit.useMatrix = 1;
        const D3DXVECTOR3 centre = struck.position - D3DXVECTOR3(0.0f, 50.0f, 0.0f);
        hit.matrix = ShotMatrix(centre, shot.position - centre, 1.5707964f, hit.scale, 0.0f);
        hit.parentIsShield = 1;
        hit.carriedBy = &struck;
        Effect(hit);
        target->energy -= 0.2f;
        PlayAt(SOUND_SHIELDHIT, shot.position);
        return;
    }
    const HitRow& row = kHits[shot.kind - 1];
    WeaponEffectRequest hit;
    hit.name = row.effect;
    hit.position = shot.position;
    hit.follow = &struck;
    hit.carriedBy = &struck;
    if (shot.kind == ITEM_CHAIN_GUN || shot.kind == ITEM_CANNON)
    {
        hit.attachToBody = 1;
        hit.localOffset = ImpactOnChassis(struck, shot.position);
        if (shot.kind == ITEM_CHAIN_GUN)
            hit.scale = 0.3f;
    }
    Effect(hit);
    target->health -= row.damage[level == 0 || level == 1 ? 0 : 1];
    if (shot.kind == ITEM_FLAMER)
        theirs.burnTime += 10.0f;
    else if (shot.kind == ITEM_ICE_CANNON)
        theirs.freezeTime += 10.0f;
    else if (shot.kind == ITEM_TESLA_COIL)
        theirs.shockTime += 10.0f;
    else if (shot.kind == ITEM_CANNON && struck.ChassisBody())
    {
        D3DXVECTOR3 push = shot.direction;
        if (D3DXVec3LengthSq(&push) > 0.0f)
            D3DXVec3Normalize(&push, &push);
        dBodyAddForce(struck.ChassisBody(), 4500.0f * push.x, 4500.0f * push.y, 4500.0f * push.z);
    }
    if (struck.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && s_Hooks.forceFeedback)
        s_Hooks.forceFeedback(row.feedbackSlot);
    PlayAt(row.sound, shot.position);
}
