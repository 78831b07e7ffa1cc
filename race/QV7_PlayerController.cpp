// The player's driver: its life, the frame's order of work, the controls it
// reads, and the driving arithmetic kept apart so that it can be checked
// without a buggy.
#include "race/QV7_PlayerController.h"

#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "media/QV7_Joysticks.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

QV7_PlayerController* g_playerController = nullptr;
PlayerDriveHooks QV7_PlayerController::s_Hooks;

namespace
{
constexpr InputCode kFirstAxisCode = 500;
constexpr InputCode kLastAxisCode = 511;

int DeviceKeyDown(InputCode code)
{
    return g_input ? g_input->IsKeyDown(code) : 0;
}

int DeviceCodeState(InputCode code)
{
    return g_joysticks ? std::abs(g_joysticks->GetCodeState(code)) : 0;
}

DriveSession SessionFromMap()
{
    DriveSession session;
    if (!g_mapSystem)
        return session;
    session.countdownRunning = g_mapSystem->releaseFlags[0];
    session.lastGridLineHeld = g_mapSystem->releaseFlags[QV7_MapSystem::kReleaseFlagCount - 1];
    session.viewedBuggy = g_mapSystem->viewedBuggy;
    if (g_mapSystem->water)
    {
        session.hasWater = 1;
        session.waterLevel = g_mapSystem->water->m_WaterLevel;
    }
    return session;
}

const InputCode* Bindings(KeyAction action)
{
    if (g_windowsData)
        return g_windowsData->m_Settings.Keys[action];
    static const GameSettings defaults;
    return defaults.Keys[action];
}
} // namespace

int (*QV7_PlayerController::s_KeyDown)(InputCode code) = DeviceKeyDown;
int (*QV7_PlayerController::s_CodeState)(InputCode code) = DeviceCodeState;

QV7_PlayerController::QV7_PlayerController()
{
    cameraMode = CAMERA_MODE_NEAR;
    g_playerController = this;
}

QV7_PlayerController::~QV7_PlayerController()
{
    if (g_playerController == this)
        g_playerController = nullptr;
    if (wreckEffect && s_Hooks.endEffect)
        s_Hooks.endEffect(wreckEffect);
}

void QV7_PlayerController::Drive()
{
    DriveFrame(g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void QV7_PlayerController::DriveFrame(float dt)
{
    if (!buggy)
        return;
    const DriveSession session = s_Hooks.session ? s_Hooks.session() : SessionFromMap();
    FrameFlags flags;
    RunTimers(dt);
    EndWreck(dt, flags);
    StartWreck();
    RunBudgets(dt);
    RunHorn();
    RunWeaponKeys();
    if (s_Hooks.fireRequest)
        s_Hooks.fireRequest(*buggy, KeyOf(KEY_Shoot) && !session.lastGridLineHeld);
    RunCameraKeys();
    if (cameraMode != 0)
        DriveInput(dt, session, flags);
    SetSteeringJoints();
    TransferWeight();
    Splash(dt, session);
    RaiseDust(session);
    if (s_Hooks.brokenEffect)
        s_Hooks.brokenEffect(*buggy);
    WidenView(dt);
}

bool QV7_PlayerController::KeyOf(KeyAction action) const
{
    const InputCode* codes = Bindings(action);
    for (int i = 0; i < 2; ++i)
        if (codes[i] >= 0 && s_KeyDown(codes[i]) > 0)
            return true;
    return false;
}

int QV7_PlayerController::AxisOf(KeyAction action, bool* bound) const
{
    const InputCode* codes = Bindings(action);
    *bound = false;
    int magnitude = 0;
    for (int i = 0; i < 2; ++i)
    {
        if (codes[i] < kFirstAxisCode || codes[i] > kLastAxisCode)
            continue;
        *bound = true;
        if (magnitude == 0)
            magnitude = s_CodeState(codes[i]);
    }
    return magnitude;
}

bool QV7_PlayerController::Airborne() const
{
    return buggy->airborne != 0;
}

float QV7_PlayerController::SteerWithKeys(float angle, bool left, bool right, float dt)
{
    if (left)
    {
        angle += 0.00045f * dt;
        if (angle < 0.0012f * dt)
            angle += 0.0012f * dt;
        angle = std::min(angle, kMaxSteer);
    }
    if (right)
    {
        angle -= 0.00045f * dt;
        if (angle > -0.0012f * dt)
            angle -= 0.0012f * dt;
        angle = std::max(angle, -kMaxSteer);
    }
    return angle;
}

float QV7_PlayerController::SteerFromAxis(int magnitude, bool left)
{
    const float angle = std::min(0.00031f * float(magnitude), kMaxSteer);
    return left ? angle : -angle;
}

float QV7_PlayerController::CentreSteering(float angle, float dt)
{
    const float step = 0.001f * dt;
    if (std::fabs(angle) < step)
        return 0.0f;
    return angle > 0.0f ? angle - step : angle + step;
}

QV7_PlayerController::WheelMotor QV7_PlayerController::MotorFor(float command, float steerAngle,
                                                                float enginePower, bool turboBurning,
                                                                bool slowed)
{
    WheelMotor motor;
    if (command < 0.0f)
        motor.velocity = slowed ? 22.5f : 30.0f;
    else
    {
        float k = turboBurning ? 3.3f : 3.0f;
        if (slowed)
            k = turboBurning ? 2.8f : 2.5f;
        motor.velocity = -enginePower * k;
    }
    motor.command = command * (2.0f * std::fabs(steerAngle) + 1.0f);
    const float size = std::fabs(motor.command);
    if (motor.command < 0.0f)
    {
        motor.rearForce = size * 0.1f;
        motor.frontForce = size * 0.04f;
    }
    else
        motor.rearForce = motor.frontForce = size * 0.2f;
    return motor;
}

float QV7_PlayerController::ClimbHelp(float command, float slope, bool held, bool destroyedNow)
{
    if (command == 30.0f && slope < 0.0f)
        command = std::min(30.0f - 50.0f * slope, 70.0f);
    if (!held)
        command += slope;
    if (held || destroyedNow)
        command = 0.0f;
    return command;
}

float QV7_PlayerController::SlopeTerm(float rearMinusFront)
{
    constexpr float kDeadZone = 0.04f;
    float pitch = 0.0f;
    if (rearMinusFront > kDeadZone)
        pitch = rearMinusFront - kDeadZone;
    else if (rearMinusFront < -kDeadZone)
        pitch = rearMinusFront + kDeadZone;
    return 5.0f * pitch;
}

void QV7_PlayerController::WheelMasses(float steerAngle, bool handBrake, float masses[4])
{
    std::fill(masses, masses + 4, 100.0f);
    if (handBrake || steerAngle == 0.0f)
        return;
    const float heavy = std::fabs(steerAngle) / 0.456f * 2500.0f + 100.0f;
    // A right turn (negative) loads the first rear and the second front wheel.
    if (steerAngle < 0.0f)
        masses[0] = masses[3] = heavy;
    else
        masses[1] = masses[2] = heavy;
}

float QV7_PlayerController::NextFov(float fov, bool turbo, float groundSpeed, float dt)
{
    if (turbo)
    {
        if (fov >= kWidestFov)
            return fov;
        const float target = std::min((groundSpeed + 0.8f) * 0.5f, kWidestFov);
        fov = target > fov ? fov + 0.001f * dt : target;
    }
    else
        fov -= 0.001f * dt;
    return std::max(fov, kNarrowestFov);
}
