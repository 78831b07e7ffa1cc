// The computer driver of an opponent racer: it follows the island's waypoints
// at a pace set by the player's difficulty and its standing against the
// viewed buggy, picks and fires weapons, raises its shield and jammer, and
// respawns itself when stuck, drowned or wrecked. Once a frame (Drive),
// before the physics steps.
#pragma once

#include "race/QV7_DriveController.h"

#include "shell/QV7_Collection.h"

class QV7_Buggy;
class QV7_WaypointList;
struct WaypointRecord;

// The race around a computer driver, as Drive reads it.
struct ComputerDrivingRace
{
    const QV7_Buggy* viewed = nullptr;
    const QV7_Collection<QV7_Buggy>* racers = nullptr;
    const QV7_WaypointList* waypoints = nullptr;
    // The five start flags (1: held): the countdown, then the grid lines.
    // Null: everything released.
    const int* releaseFlags = nullptr;
    float waterLevel = -1.0e30f;
    int difficulty = 1;
    int tutorial = 0;
};

// The answer of the checkpoint logic to a respawn request.
enum RespawnAnswer
{
    RESPAWN_NO_CHECKPOINT = 0, // no checkpoint passed yet: the request is dropped
    RESPAWN_WAIT = 1,          // its checkpoint was used under 1600 ms ago
    RESPAWN_READY = 2,         // pose given; the checkpoint's timer restarted
};

// What the computer drivers ask of the rest of the race; each is skipped when unset.
struct ComputerDrivingHooks
{
    // The race of the session; unset: the session's own (g_mapSystem).
    ComputerDrivingRace (*race)() = nullptr;
    RespawnAnswer (*respawnPose)(QV7_Buggy& racer, bool forced, D3DXVECTOR3* position, float* yaw) = nullptr;
    // A one-shot named effect ("Explode", "Beam") at a point.
    void (*effect)(const char* name, const D3DXVECTOR3& at) = nullptr;
    // The racer's own live effects stop (a respawn).
    void (*stopOwnEffects)(QV7_Buggy& racer) = nullptr;
    // The chase camera back at rest behind the racer.
    void (*resetCamera)(QV7_Buggy& racer) = nullptr;
    // Water splashes, wheel dust and the "Broken" instance of the racer.
    void (*wheelEffects)(QV7_Buggy& racer) = nullptr;
};

class QV7_AIController : public QV7_DriveController
{
  public:
    static constexpr float kWreckMs = 800.0f;
    static constexpr float kRespawnLockMs = 1000.0f;

    QV7_AIController();
    void UpdateCamera() { UpdateFor(buggy, cameraMode, false); }
    void ApplyCamera() const { Apply(cameraMode); }
    void ResetCamera() { ResetFor(buggy, cameraMode, false); }
    // The one word the start grid clears.
    void ClearGridNotices() { respawnRequested = 0; }

    // One frame of the frame manager's time.
    void Drive();
    void DriveFrame(float dt, const ComputerDrivingRace& race);

    // Standing of b against the viewed buggy v: +-2 a lap apart or two
    // checkpoints, +-1 one checkpoint, 0 level.
    static int RelativePosition(const QV7_Buggy& b, const QV7_Buggy& v);
    // Wheel command and speed factor of step: tutorial races have their own row.
    struct Pace
    {
        float driveCommand;
        float speedFactor; // < 0: unchanged
    };
    static Pace PaceFor(int difficulty, bool tutorial, int relativePosition, int racePosition);
    static float Distance3(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
    static float PointSegmentDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& p);
    // The start flag a racer number waits on (index into the five).
    static int ReleaseFlagOf(int racerNumber);
    // The race of the session.
    static ComputerDrivingRace SessionRace();

    static ComputerDrivingHooks s_Hooks;
    static bool s_LogRespawns;

    float recentDistance = 0.0f;
    float distanceSum = 0.0f;
    float distanceClock = 0.0f;
    WaypointRecord* currentWaypoint = nullptr;
    float speedFactor = 1.0f;
    float wobbleClock = 20000.0f;
    float wobble = 0.0f;
    float teslaLockTimer = 0.0f;
    float fireHoldTimer = 0.0f;
    float weaponChoiceTimer = 0.0f;
    int turboSoundLatch = 0;
    int relativePosition = 0;
    int destroyedNotice = 0;
    int lookBack = 0;
    float slopeTerm = 0.0f;
    D3DXVECTOR3 chassisVelocity{0.0f, 0.0f, 0.0f};
    // Respawns done (for the log and the tests).
    int respawnCount = 0;

  private:
    // The steering wish of this frame.
    struct Demand
    {
        float w = 0.0f;
        bool brake = false;
        bool cutThrottle = false;
        bool speedLimited = false;
        float speedLimit = 0.0f;
    };
    void RunTimers(float dt);
    void ChooseWeapon();
    void SelectSlot(int slot);
    int AmmoOf(int slot) const;
    void AimAndFire(const ComputerDrivingRace& race);
    void UseShieldAndJammer(const ComputerDrivingRace& race);
    // Wreck end and start; true when the wreck ended this frame (forced respawn).
    bool Wreck(float dt);
    void Regenerate(float dt);
    void MeasureDistance(float dt);
    Demand SteeringDemand(float dt);
    float DrawWobble(float dt);
    void Throttle(float dt, const Demand& demand, const ComputerDrivingRace& race);
    void Brake(const Demand& demand);
    void Orientation();
    void SetWheels();
    void Steer(float dt, const Demand& demand);
    void Respawn(bool stuck, bool forced, bool wrecked, const ComputerDrivingRace& race);
    void BrakeState(bool held);
    void SteeringStops();
    void WeightTransfer();
    bool Airborne() const;
    void CameraKeys();
};
