// The player's health and energy, wrecks, drowning and the respawn at the
// last checkpoint passed.
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"

#include "media/QV7_Joysticks.h"
#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>

namespace
{
// The joystick effect slot the player's driving starts.
constexpr int kDrivingEffectSlot = 4;
constexpr float kRespawnCheckpointMs = 1600.0f;
int g_respawnLatch = 0;

D3DXVECTOR3 BelowBy50(const D3DXVECTOR3& at)
{
    return D3DXVECTOR3(at.x, at.y - 50.0f, at.z);
}
} // namespace

void QV7_PlayerController::RunTimers(float dt)
{
    slowTimer = std::max(slowTimer - dt, 0.0f);
    steerLockTimer = std::max(steerLockTimer - dt, 0.0f);
    driveInput = 0;
    turboBurning = 0;
}

// The wreck lasts its 800 ms whether or not its effect could be made or
// still exists: the effect only follows the buggy.
void QV7_PlayerController::EndWreck(float dt, FrameFlags& flags)
{
    if (!destroyed)
        return;
    destroyedTime += dt;
    if (wreckEffect && s_Hooks.moveEffect && !s_Hooks.moveEffect(wreckEffect, BelowBy50(buggy->position)))
        wreckEffect = nullptr;
    if (destroyedTime <= kWreckMs)
        return;
    health = healthMax;
    energy = energyMax;
    destroyed = 0;
    destroyedTime = 0.0f;
    respawnRequested = 1;
    buggy->wrecked = 0;
    if (wreckEffect && s_Hooks.endEffect)
        s_Hooks.endEffect(wreckEffect);
    wreckEffect = nullptr;
    flags.wrecked = flags.forced = true;
}

void QV7_PlayerController::StartWreck()
{
    if (health > 0.0f || destroyed)
        return;
    if (s_Hooks.clearHitTimers)
        s_Hooks.clearHitTimers(*buggy);
    health = 0.0f;
    destroyedNotice = 1;
    destroyed = 1;
    if (s_Hooks.createEffect)
        wreckEffect = s_Hooks.createEffect("Explode", BelowBy50(buggy->position), 1.0f, true);
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[SOUND_EXPLOSION], buggy->position.x,
                                   buggy->position.y, buggy->position.z);
    if (g_joysticks)
        g_joysticks->StartEffect(kDrivingEffectSlot);
    if (dBodyID chassis = buggy->ChassisBody())
        dBodyAddForce(chassis, 0, 10000, 0);
    buggy->wrecked = 1;
}

void QV7_PlayerController::RunBudgets(float dt)
{
    health = std::min(health + healthRegen * dt * 0.0001f, healthMax);
    energy = std::min(energy + energyRegen * dt * 0.0005f, energyMax);
    if (energy < 0.0f)
    {
        energy = 0.0f;
        lowPowerNotice = 1;
    }
    if (buggy->wrongCheckpoint == 1)
        wrongCheckpointNotice = 1;
    if (!(wrongCheckpointNotice || drownedNotice || destroyedNotice || lowPowerNotice || noAmmoNotice))
        return;
    noticeTime += dt;
    if (noticeTime <= kNoticeMs)
        return;
    wrongCheckpointNotice = drownedNotice = destroyedNotice = lowPowerNotice = noAmmoNotice = 0;
    buggy->wrongCheckpoint = 0;
    noticeTime = 0.0f;
}

void QV7_PlayerController::Drown(const DriveSession& session, FrameFlags& flags)
{
    if (!session.hasWater || session.countdownRunning || buggy->position.y >= session.waterLevel)
        return;
    health = healthMax;
    energy = energyMax;
    drownedNotice = 1;
    flags.forced = true;
}

// A wreck's own request waits through the countdown instead of being lost
// with it, so a buggy wrecked on the grid still comes back after the start.
void QV7_PlayerController::Respawn(const DriveSession& session, const FrameFlags& flags)
{
    if (respawnLock)
        respawnRequested = 0;
    const bool forced = flags.forced && !session.countdownRunning;
    if ((!respawnRequested && !forced) || session.countdownRunning)
        return;
    RespawnPoint point;
    if (!s_Hooks.respawnPoint || !s_Hooks.respawnPoint(*buggy, &point) || point.poseCount < 1)
        return;
    const bool checkpointFree = point.sincePassed && *point.sincePassed > kRespawnCheckpointMs;
    if (!forced && !checkpointFree && !point.passedByViewed)
        return;
    if (!flags.wrecked && s_Hooks.createEffect)
        s_Hooks.createEffect("Beam", buggy->position, 1.0f, false);
    if (s_Hooks.stopOwnerEffects)
        s_Hooks.stopOwnerEffects(*buggy);
    respawnRequested = 0;
    if (point.sincePassed)
        *point.sincePassed = 0.0f;
    respawnLockTime = 0.0f;
    respawnLock = 1;
    PlaceAtCheckpoint(point, forced);
    if (point.logFlag)
        QV7_Logger::Log(g_logger, "INFO: A.I.: Player Buggy Respawn");
    if (s_Hooks.resetCamera)
        s_Hooks.resetCamera(*this);
}

void QV7_PlayerController::PlaceAtCheckpoint(const RespawnPoint& point, bool forced)
{
    const int pose = buggy->alternativeMarker && point.poseCount > 1 ? 1 : 0;
    const D3DXVECTOR3& at = point.position[pose];
    if (forced)
        buggy->PlaceWithOffset(at, D3DXVECTOR3(450.0f, 150.0f, 0.0f), point.yaw[pose]);
    else
        buggy->PlaceAt(at.x, at.y + 150.0f, at.z, point.yaw[pose]);
}

void QV7_PlayerController::RunRespawnKey(const DriveSession& session)
{
    if (!KeyOf(KEY_Respawn))
    {
        g_respawnLatch = 0;
        return;
    }
    if (g_respawnLatch)
        return;
    g_respawnLatch = 1;
    respawnRequested = session.countdownRunning ? 0 : 1;
}
