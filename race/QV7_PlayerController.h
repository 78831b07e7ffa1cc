// The human driver of the player's racer. Once a rendered frame, before the
// physics steps, Drive turns the bound keys and controller axes into the
// wheel motors, steering stops and wheel masses of the buggy, and runs its
// health, energy and turbo budgets, wrecks, drowning and respawns, the weapon
// and camera keys, the horn, splashes, wheel dust and the turbo's wider view.
// The fields shared with the computer driver are in the base.
#pragma once

#include "race/PlayerDriveHooks.h"
#include "race/QV7_DriveController.h"
#include "shell/GameSettings.h"

struct SoundInstance;

class QV7_PlayerController : public QV7_DriveController
{
  public:
    static constexpr float kMaxSteer = 0.3f;
    static constexpr float kWreckMs = 800.0f;
    static constexpr float kRespawnLockMs = 1000.0f;
    static constexpr float kNoticeMs = 2000.0f;
    static constexpr int kAxisThreshold = 21;
    static constexpr float kNarrowestFov = 0.7853982f;
    static constexpr float kWidestFov = 1.5f;

    // Starts behind the buggy in the near camera and publishes g_playerController.
    QV7_PlayerController();
    ~QV7_PlayerController();
    QV7_PlayerController(const QV7_PlayerController&) = delete;
    QV7_PlayerController& operator=(const QV7_PlayerController&) = delete;

    // The chase camera of this driver's buggy (once a frame), its hand-over
    // to the scene camera, and its reset (camera keys, respawns).
    void UpdateCamera() { UpdateFor(buggy, cameraMode, true); }
    void ApplyCamera() const { Apply(cameraMode); }
    void ResetCamera() { ResetFor(buggy, cameraMode, true); }

    // The notices the start grid clears with respawnRequested.
    void ClearGridNotices()
    {
        respawnRequested = 0;
        wrongCheckpointNotice = 0;
        drownedNotice = 0;
        destroyedNotice = 0;
    }

    // One frame of driving on the frame manager's last frame time.
    void Drive();
    void DriveFrame(float dt);

    // The steering integrator: both keys may act in one frame, left first.
    // Turning back past the centre is quicker than turning away from it.
    static float SteerWithKeys(float angle, bool left, bool right, float dt);
    // An axis magnitude (0-1000) as a steering angle, left positive.
    static float SteerFromAxis(int magnitude, bool left);
    // Back towards the centre at 0.001 rad per ms, landing on it exactly.
    static float CentreSteering(float angle, float dt);

    // What one frame's drive command makes of the wheel motors.
    struct WheelMotor
    {
        float velocity = 0.0f;   // axis 2 of all four wheel joints
        float rearForce = 0.0f;  // axis-2 maximum force of the driven joints
        float frontForce = 0.0f; // and of the steered joints
        float command = 0.0f;    // the command scaled by the steering share
    };
    static WheelMotor MotorFor(float command, float steerAngle, float enginePower, bool turboBurning,
                               bool slowed);
    // The climb help on a slope and the slope itself, then nothing while
    // the buggy is held or wrecked.
    static float ClimbHelp(float command, float slopeTerm, bool held, bool destroyed);
    // Five times the rear wheels' height over the front wheels', with a dead zone.
    static float SlopeTerm(float rearMinusFront);
    // Wheel masses in the order rear 1, rear 2, front 1, front 2: the outer
    // pair of a turn carries the weight.
    static void WheelMasses(float steerAngle, bool handBrake, float masses[4]);
    // The field of view one frame later (turbo widens, otherwise narrows).
    static float NextFov(float fov, bool turbo, float groundSpeed, float dt);

    // Where Drive reads a code: the keyboard and the selected controller's
    // hats and buttons (1 or 0), and an axis magnitude beyond the dead zone.
    // Tests replace them.
    static int (*s_KeyDown)(InputCode code);
    static int (*s_CodeState)(InputCode code);
    static PlayerDriveHooks s_Hooks;

    float slopeTerm = 0.0f;
    float headingIndicator = 0.0f;
    D3DXVECTOR3 firstBodyForwardAxis{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 chassisVelocity{0.0f, 0.0f, 0.0f};
    int lookBack = 0;
    int lookBackLatch = 0;
    int destroyedNotice = 0;
    int wrongCheckpointNotice = 0;
    int drownedNotice = 0;
    int lowPowerNotice = 0;
    int noAmmoNotice = 0;
    float noticeTime = 0.0f;
    void* wreckEffect = nullptr; // kept: the driver ends it
    SoundInstance* hornSound = nullptr;
    // The launch ramp and how long accelerate has been held (ms).
    float launchRamp = 0.0f;
    float accelerateTime = 0.0f;

  private:
    // This frame's wreck and drowning, for the respawn.
    struct FrameFlags
    {
        bool wrecked = false;
        bool forced = false;
    };
    void RunTimers(float dt);
    void EndWreck(float dt, FrameFlags& flags);
    void StartWreck();
    void RunBudgets(float dt);
    void RunHorn();
    void RunWeaponKeys();
    void RunCameraKeys();
    void DriveInput(float dt, const DriveSession& session, FrameFlags& flags);
    bool ApplyReverse(float dt);
    void ApplyAccelerate(float dt);
    void ApplyTurbo(float dt, const DriveSession& session);
    void ReadOrientation();
    void SetWheelMotors();
    void Steer(float dt);
    void Drown(const DriveSession& session, FrameFlags& flags);
    void Respawn(const DriveSession& session, const FrameFlags& flags);
    void PlaceAtCheckpoint(const RespawnPoint& point, bool forced);
    void RunRespawnKey(const DriveSession& session);
    void Brake(const DriveSession& session);
    void SetSteeringJoints();
    void TransferWeight();
    void Splash(float dt, const DriveSession& session);
    void RaiseDust(const DriveSession& session);
    void WidenView(float dt);

    bool KeyOf(KeyAction action) const;
    // The first non-zero axis magnitude of the action's bindings, and
    // whether one of them is an axis.
    int AxisOf(KeyAction action, bool* bound) const;
    bool Airborne() const;
};

extern QV7_PlayerController* g_playerController;
