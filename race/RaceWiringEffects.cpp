// Live effects made, placed and ended for the rest of the race.
#include "race/RaceWiringEffects.h"

#include "effects/EffectInstance.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Scene.h"
#include "media/QV7_SoundSystem.h"
#include "race/BuggyMesh.h"
#include "race/NearCallback.h"
#include "race/ProjectileRecord.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/WheelEffects.h"
#include "engine/QV7_FrameManager.h"
#include "world/QV7_Water.h"
#include "world/QV7_ZephyrionItems.h"

#include <cstring>
#include <vector>

namespace
{
constexpr int kCrashEntry = 4;
constexpr int kShieldHitEntry = 20;
constexpr float kHitScale = 0.2f;
constexpr float kJammerHeightScale = 2.25f;
constexpr int kExhaustSlots = 6;
constexpr int kModelWithEffect = 9;

QV7_EffectsListMap* Live()
{
    return g_mapSystem ? g_mapSystem->liveEffects.get() : nullptr;
}

// The racer's row in the per-racer tables: its place in the group; -1 outside.
int RowOf(const QV7_Buggy* buggy)
{
    const QV7_PhysicsGroup* group = g_mapSystem ? g_mapSystem->physicsGroup.get() : nullptr;
    const int row = group && buggy ? group->racers.IndexOf(buggy) : -1;
    return row < kEffectRacers ? row : -1;
}

EffectTemplate* WeaponTemplate(const char* name)
{
    QV7_EffectsListMap* live = Live();
    for (int i = 0; live && name && i < kWeaponEffects; ++i)
        if (kWeaponEffectNames[i] && std::strcmp(kWeaponEffectNames[i], name) == 0)
            return live->m_WeaponEffects.entries[i];
    return nullptr;
}

bool Alive(const EffectInstance* effect)
{
    QV7_EffectsListMap* live = Live();
    return live && effect && live->m_Instances.IndexOf(effect) >= 0;
}

EffectInstance* Spawn(EffectTemplate* effect, const D3DXVECTOR3& at, float scale, int autoDelete)
{
    QV7_EffectsListMap* live = Live();
    EffectInstance* instance = live && effect ? live->CreateInstance(effect, autoDelete) : nullptr;
    if (!instance)
        return nullptr;
    instance->m_Position = at;
    instance->m_Scale = scale;
    return instance;
}

void* CreateDriverEffect(const char* name, const D3DXVECTOR3& at, float scale, bool kept)
{
    return Spawn(WeaponTemplate(name), at, scale, kept ? 0 : 1);
}

bool MoveDriverEffect(void* effect, const D3DXVECTOR3& at)
{
    auto* instance = static_cast<EffectInstance*>(effect);
    if (!Alive(instance))
        return false;
    instance->m_Position = at;
    return true;
}

void EndDriverEffect(void* effect)
{
    auto* instance = static_cast<EffectInstance*>(effect);
    if (!Alive(instance))
        return;
    instance->m_Loop = 0;
    instance->m_AutoDelete = 1;
}

// The transient effects riding on the racer (its shield's hits, those
// following it) go; its own slots stay.
void StopOwnerEffects(QV7_Buggy& buggy)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&buggy);
    if (!live || row < 0)
        return;
    std::vector<EffectInstance*> going;
    for (EffectInstance* instance : live->m_Instances)
        if (instance->m_AutoDelete == 1 &&
            ((instance->m_Parent && instance->m_Parent == live->m_ShieldEffect[row]) ||
             (instance->m_FollowOwner && instance->m_OwnerPosition == &buggy.position) ||
             instance->m_Owner == &buggy))
            going.push_back(instance);
    for (EffectInstance* instance : going)
        live->DeleteInstance(instance);
}

void ShowDust(EffectInstance* dust, int emitting, const D3DXVECTOR3& at)
{
    if (!dust)
        return;
    dust->m_Active = 1;
    dust->m_EmissionPaused = emitting ? 0 : 1;
    dust->m_Position = at;
}

void WheelDust(QV7_Buggy& buggy, int wheel, const WheelDust& dust)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&buggy);
    if (!live || row < 0 || wheel < 0 || wheel > 3)
        return;
    ShowDust(live->m_WheelDust[row][wheel], dust.firstEmitting, dust.position);
    ShowDust(live->m_WheelDustAlt[row][wheel], dust.secondEmitting, dust.position);
}

void BrokenEffect(QV7_Buggy& buggy)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&buggy);
    if (!live || row < 0 || !live->m_BrokenEffect[row])
        return;
    live->m_BrokenEffect[row]->m_Hidden = live->m_BrokenEffect[row]->m_Active ? 0 : 1;
}

void HitEffect(const D3DXVECTOR3& point, float scale)
{
    QV7_EffectsListMap* live = Live();
    if (live)
        Spawn(live->m_WeaponEffects.entries[kCrashEntry], point, scale, 1);
}

void ShieldHitEffect(QV7_Buggy& racer, const D3DXVECTOR3& point, float)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&racer);
    if (!live)
        return;
    EffectInstance* hit = Spawn(live->m_WeaponEffects.entries[kShieldHitEntry], point, kHitScale, 1);
    if (hit && row >= 0)
        hit->m_Parent = live->m_ShieldEffect[row];
}

void PlayCrashSound(const D3DXVECTOR3& point)
{
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[SOUND_CRASH], point.x, point.y, point.z);
}

void Crash(QV7_Buggy& buggy, const D3DXVECTOR3& point)
{
    buggy.driverAnimation.bumpRequest = 1;
    PlayCrashSound(point);
    HitEffect(point, kHitScale);
}

void ShieldCrash(QV7_Buggy& buggy, const D3DXVECTOR3& point, float shield)
{
    ShieldHitEffect(buggy, point, shield);
}

void RemoveOwnerEffects(QV7_Buggy& buggy)
{
    if (QV7_EffectsListMap* live = Live())
        live->RemoveOwnerInstances(&buggy, RowOf(&buggy));
}

// ---- weapons ----

EffectInstance* CreateWeaponEffect(const WeaponEffectRequest& request)
{
    EffectInstance* e =
        Spawn(WeaponTemplate(request.name), request.position, request.scale, request.autoDelete);
    if (!e)
        return nullptr;
    if (request.follow)
    {
        e->m_FollowOwner = 1;
        e->m_OwnerPosition = &request.follow->position;
        e->m_Owner = const_cast<QV7_Buggy*>(request.follow);
        e->m_UseOffset = request.useOffset;
        e->m_Offset = request.offset;
        e->m_AttachToBody = request.attachToBody;
        e->m_LocalOffset = request.localOffset;
    }
    if (request.useMatrix)
    {
        e->m_UseMatrix = 1;
        e->m_Matrix = request.matrix;
        e->m_MatrixFollowsOwner = request.follow ? 1 : 0;
    }
    const int row = RowOf(request.follow);
    if (request.parentIsShield && row >= 0)
        e->m_Parent = Live()->m_ShieldEffect[row];
    e->m_SecondPass = request.secondPass;
    e->m_NoZWrite = request.noZWrite;
    e->m_AgeFade = request.ageFade;
    e->m_MeshNoMip = request.meshNoMip;
    e->m_CarryParticles = request.carriedBy && request.carriedBy->carried ? 1 : 0;
    for (int i = 0; i < request.preTicks; ++i)
        e->Tick();
    return e;
}

void MoveWeaponEffect(EffectInstance* effect, const D3DXVECTOR3& position, const D3DXMATRIX& matrix)
{
    if (!Alive(effect))
        return;
    effect->m_Position = position;
    effect->m_Matrix = matrix;
}

EffectInstance* SlotEffect(QV7_EffectsListMap& live, int row, const char* slot)
{
    if (std::strcmp(slot, "Chaing") == 0)
        return live.m_ChainEffect[row];
    if (std::strcmp(slot, "Shield") == 0)
        return live.m_ShieldEffect[row];
    if (std::strcmp(slot, "Shield jammer") == 0)
        return live.m_JammerEffect[row];
    return nullptr;
}

void ShowSlotEffect(const QV7_Buggy& racer, const char* slot, bool shown, float scale,
                    const D3DXVECTOR3& position)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&racer);
    EffectInstance* e = live && row >= 0 && slot ? SlotEffect(*live, row, slot) : nullptr;
    if (!e)
        return;
    e->m_Active = shown ? 1 : 0;
    e->m_Hidden = shown ? 0 : 1;
    if (!shown)
        return;
    e->m_Position = position;
    e->m_Scale = scale;
    if (e == live->m_JammerEffect[row])
    {
        // The wave is a flat ring: it rises less than it spreads.
        e->m_SeparateHeightScale = 1;
        e->m_HeightScale = kJammerHeightScale;
    }
}

void RemoveProjectileEffect(EffectInstance* effect)
{
    if (Alive(effect))
        Live()->DeleteInstance(effect);
}

void CreateStars(const D3DXVECTOR3& position, float scale)
{
    Spawn(WeaponTemplate("Stars"), position, scale, 1);
}

void ComputerEffect(const char* name, const D3DXVECTOR3& at)
{
    Spawn(WeaponTemplate(name), at, 1.0f, 1);
}

// ---- the racers' drawing ----

// The buggy renderers open and close their own state work space: the
// group's plain one is closed first.
void LeaveGroupStates()
{
    if (g_scene && g_scene->m_Open)
        g_scene->EndWorkSpace(0);
}

void RenderPart(QV7_Buggy& buggy, int part, int destroyed, int reflection, int shadow, int late,
                const D3DXMATRIX& world)
{
    BuggyMesh* mesh = buggy.modelItem ? buggy.modelItem->mesh : nullptr;
    if (!mesh || part < 0)
        return;
    LeaveGroupStates();
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &buggy, uint32_t(part), destroyed, reflection, shadow,
                                            late, world);
}

void RenderItem(const QV7_DataBase_MeshObject& item, QV7_Buggy& buggy, int destroyed, int reflection,
                float angle, int shadow, int spin, const D3DXMATRIX& world)
{
    LeaveGroupStates();
    item.RenderPhysics(&buggy, world, destroyed, reflection, spin, angle, shadow);
}

D3DXVECTOR3 MarkerWorld(const PhysicsNameRecord* marker, const D3DXMATRIX& world)
{
    D3DXVECTOR3 point(marker->values[0], marker->values[1], marker->values[2]);
    D3DXVec3TransformCoord(&point, &point, &world);
    return point;
}

// Emitters start at the point itself, so smoke is left behind in the world.
void PlaceAtPoint(EffectInstance* e, const D3DXVECTOR3& point)
{
    e->m_Position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    for (EmitterState* state : e->m_EmitterStates)
        state->m_RenderSettings.origin = point;
}

void PlaceBodyEffects(QV7_Buggy& buggy, const D3DXVECTOR3& bodyPosition, const D3DXMATRIX&,
                      const D3DXMATRIX& world, int brokenStrength)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&buggy);
    if (!live || row < 0)
        return;
    if (EffectInstance* broken = live->m_BrokenEffect[row])
    {
        broken->m_Position = bodyPosition;
        broken->m_Alpha = brokenStrength;
        broken->m_Active = brokenStrength > 0 ? 1 : 0;
        broken->m_Hidden = broken->m_Active ? 0 : 1;
    }
    const QV7_DriveController* driver = buggy.Controller();
    const bool burning = driver && driver->turboBurning;
    const PhysicsNameRecord* tips[2] = {buggy.exhaustMarker, buggy.secondExhaustMarker};
    for (int k = 0; k < 2; ++k)
        if (EffectInstance* turbo = live->m_RacerEffectsB[row][k])
        {
            turbo->m_Active = 1;
            turbo->m_EmissionPaused = burning && tips[k] ? 0 : 1;
            if (tips[k])
                turbo->m_Position = MarkerWorld(tips[k], world);
        }
    if (EffectInstance* extra = live->m_RacerExtraEffect[row]; extra && buggy.effectMarker)
        extra->m_Position = MarkerWorld(buggy.effectMarker, world);
}

void PlaceExhaust(QV7_Buggy& buggy, const QV7_DataBase_MeshObject& part, const D3DXMATRIX& partWorld)
{
    QV7_EffectsListMap* live = Live();
    const int row = RowOf(&buggy);
    if (!live || row < 0)
        return;
    const QV7_Collection<PhysicsNameRecord>& dummies = part.physics.markers;
    const QV7_DriveController* driver = buggy.Controller();
    for (int k = 0; k < kExhaustSlots && k < dummies.count; ++k)
        if (EffectInstance* smoke = live->m_RacerEffects[row][k])
        {
            PlaceAtPoint(smoke, MarkerWorld(dummies.items[k], partWorld));
            // The exhausts smoke faintly while the driver is off the throttle.
            smoke->m_Alpha = driver && driver->driveInput ? 255 : 96;
        }
}

void InstallRacerHooks()
{
    QV7_PhysicsGroup::s_Hooks.removeOwnerEffects = &RemoveOwnerEffects;
    QV7_PhysicsGroup::s_Hooks.crash = &Crash;
    QV7_PhysicsGroup::s_Hooks.shieldCrash = &ShieldCrash;
    g_contactHooks.shieldOpen = [](const QV7_Buggy& b) { return b.weapons.shieldOpen; };
    g_contactHooks.hitEffect = &HitEffect;
    g_contactHooks.shieldHitEffect = &ShieldHitEffect;
    PhysicsGroupRenderHooks& r = QV7_PhysicsGroup::s_RenderHooks;
    r.renderPart = &RenderPart;
    r.renderItem = &RenderItem;
    r.placeBodyEffects = &PlaceBodyEffects;
    r.placeExhaust = &PlaceExhaust;
}

// A computer driver's splashes, dust and "Broken" smoke, as the player's
// driver shows its own, with the computer's tuning.
void ComputerWheelEffects(QV7_Buggy& racer)
{
    QV7_AIController* driver = racer.computerController;
    if (!driver)
        return;
    DriveSession session;
    if (g_mapSystem && g_mapSystem->water)
    {
        session.hasWater = 1;
        session.waterLevel = g_mapSystem->water->m_WaterLevel;
    }
    const float dt = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    SplashWheels(*driver, dt, session, kComputerWheelEffects, &CreateDriverEffect);
    RaiseWheelDust(*driver, session, kComputerWheelEffects, &WheelDust);
    BrokenEffect(racer);
}

void InstallDriverHooks()
{
    PlayerDriveHooks& p = QV7_PlayerController::s_Hooks;
    p.createEffect = &CreateDriverEffect;
    p.moveEffect = &MoveDriverEffect;
    p.endEffect = &EndDriverEffect;
    p.stopOwnerEffects = &StopOwnerEffects;
    p.wheelDust = &WheelDust;
    p.brokenEffect = &BrokenEffect;
    ComputerDrivingHooks& c = QV7_AIController::s_Hooks;
    c.effect = &ComputerEffect;
    c.stopOwnEffects = &StopOwnerEffects;
    c.wheelEffects = &ComputerWheelEffects;
}

EffectInstance* RacerEffect(QV7_EffectsListMap& live, const char* name, QV7_Buggy* owner)
{
    EffectInstance* e = live.CreateInstanceByName(name, 1);
    if (e)
        e->m_Owner = owner;
    return e;
}

// A racer's row filled anew: exhaust smoke for the player's fitted
// exhaust, turbo flames for everyone, and the model's own effect.
void FillRacerRow(QV7_EffectsListMap& live, QV7_Buggy& racer, int row)
{
    live.ClearRacerRow(row);
    const QV7_DriveController* driver = racer.Controller();
    if (racer.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && driver && driver->exhaustFitted)
        for (int k = 0; k < kExhaustSlots; ++k)
            live.m_RacerEffects[row][k] = RacerEffect(live, "Exhaust", &racer);
    for (int k = 0; k < 2; ++k)
        if ((live.m_RacerEffectsB[row][k] = RacerEffect(live, "Turbo", &racer)))
            live.m_RacerEffectsB[row][k]->m_EmissionPaused = 1;
    if (racer.modelIndex == kModelWithEffect)
        live.m_RacerExtraEffect[row] = RacerEffect(live, "buggy10effect", &racer);
}
} // namespace

void RaceWiringEffects::Install()
{
    InstallRacerHooks();
    InstallDriverHooks();
    QV7_BuggyWeapons::s_Hooks.createEffect = &CreateWeaponEffect;
    QV7_BuggyWeapons::s_Hooks.moveEffect = &MoveWeaponEffect;
    QV7_BuggyWeapons::s_Hooks.showSlotEffect = &ShowSlotEffect;
    ProjectileRecord::s_RemoveEffect = &RemoveProjectileEffect;
    QV7_ZephyrionItems::s_CreateStars = &CreateStars;
}

void RaceWiringEffects::SessionStart(QV7_MapSystem& session)
{
    QV7_EffectsListMap* live = session.liveEffects.get();
    if (!live)
        return;
    if (session.physicsGroup)
    {
        QV7_Collection<QV7_Buggy>& racers = session.physicsGroup->racers;
        for (int row = 0; row < racers.Count() && row < kEffectRacers; ++row)
            FillRacerRow(*live, *racers[row], row);
    }
    if (session.checkpoints)
        if (EffectInstance* marker = live->CreateInstanceByName("Checkpoint", 1))
        {
            marker->m_MultiPosition = 1;
            marker->m_Scale = 0.8f;
            session.checkpoints->markerEffect = marker;
            CopyCheckpointMarkers(session);
        }
}

void RaceWiringEffects::SessionEnd(QV7_MapSystem& session)
{
    if (session.checkpoints)
        session.checkpoints->markerEffect = nullptr;
}

void RaceWiringEffects::CopyCheckpointMarkers(QV7_MapSystem& session)
{
    if (!session.checkpoints)
        return;
    auto* marker = static_cast<EffectInstance*>(session.checkpoints->markerEffect);
    if (!marker || !session.liveEffects || session.liveEffects->m_Instances.IndexOf(marker) < 0)
        return;
    marker->m_Copies.Clear();
    for (const CheckpointEffectCopy& copy : session.checkpoints->EffectCopies())
    {
        EffectCopy* into = marker->m_Copies.Add();
        into->position = copy.position;
        into->colourOverride = copy.colourOverride;
        into->colour = copy.colour;
    }
}
