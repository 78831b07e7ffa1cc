// What the player's driver asks of the parts of a race that live elsewhere:
// the live effects, the weapons, the chase camera, the checkpoints and the
// session's countdown and water. Each hook is skipped when it is not set, so
// a driver with no race around it still drives.
#pragma once

#include "platform/d3dx/D3DXMath.h"

class QV7_Buggy;
class QV7_PlayerController;
class QV7_MapSystem;

// Where a respawn puts the buggy: the last checkpoint it passed correctly.
struct RespawnPoint
{
    // Pose 0 and, when the checkpoint has more than one, pose 1 (render units, yaw).
    D3DXVECTOR3 position[2] = {};
    float yaw[2] = {};
    int poseCount = 0;
    // The checkpoint's ms since a buggy last passed it or respawned at it;
    // the respawn restarts it at 0.
    float* sincePassed = nullptr;
    // The viewed buggy was the last to pass it.
    int passedByViewed = 0;
    // The checkpoint system logs its passes.
    int logFlag = 0;
};

// One wheel's dust this frame, for both dust sets of that wheel.
struct WheelDust
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f}; // emitters' place (render units)
    int firstRate = 0;                      // "Wheel dust" particles
    int secondRate = 0;                     // "Wheel dust 1" particles
    int firstEmitting = 0;
    int secondEmitting = 0;
};

// The session as the driver reads it once a frame.
struct DriveSession
{
    int countdownRunning = 0;
    int lastGridLineHeld = 0;
    int hasWater = 0;
    float waterLevel = 0.0f;
    const QV7_Buggy* viewedBuggy = nullptr;
};

struct PlayerDriveHooks
{
    // A live effect from the weapon effect table's entry name ("Explode",
    // "Beam", "Water splashes") at a point with a scale; null when the table
    // has no such entry. A kept effect is never deleted by the manager on its
    // own: the driver ends it with endEffect.
    void* (*createEffect)(const char* name, const D3DXVECTOR3& at, float scale, bool kept) = nullptr;
    // Moves a kept effect; false once the manager no longer has it.
    bool (*moveEffect)(void* effect, const D3DXVECTOR3& at) = nullptr;
    // Tells a kept effect to finish and lets the manager delete it.
    void (*endEffect)(void* effect) = nullptr;
    // Live effects tied to the buggy (its shield slot, its position) stop.
    void (*stopOwnerEffects)(QV7_Buggy& buggy) = nullptr;
    // The buggy's wheel dust (wheel 0-3: rear 1, rear 2, front 1, front 2)
    // and its "Broken" effect, once a frame.
    void (*wheelDust)(QV7_Buggy& buggy, int wheel, const WheelDust& dust) = nullptr;
    void (*brokenEffect)(QV7_Buggy& buggy) = nullptr;

    // Weapons: the burn, freeze and shock timers back at 0; the fire request;
    // a shield toggle; the jammer request.
    void (*clearHitTimers)(QV7_Buggy& buggy) = nullptr;
    void (*fireRequest)(QV7_Buggy& buggy, int firing) = nullptr;
    void (*toggleShield)(QV7_Buggy& buggy) = nullptr;
    void (*requestJammer)(QV7_Buggy& buggy) = nullptr;

    // The chase camera's history back at its mode's rest position.
    void (*resetCamera)(QV7_PlayerController& driver) = nullptr;
    // The buggy's last correctly passed checkpoint; false when it has none.
    bool (*respawnPoint)(const QV7_Buggy& buggy, RespawnPoint* point) = nullptr;
    // The session's countdown, grid lines, water and viewed buggy; when not
    // set, read from g_mapSystem.
    DriveSession (*session)() = nullptr;
};
