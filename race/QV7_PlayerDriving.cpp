// The player's throttle, reverse, turbo, steering and brake, and what they
// make of the buggy's wheel joints and wheel masses.
#include "race/BuggyPhysicsDefinition.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"

#include "media/QV7_SoundSystem.h"

#include <algorithm>
#include <cmath>

namespace
{
// The frame the turbo started burning plays its sound once.
int g_turboSoundLatch = 0;

float SumOfAbs(const dReal* v)
{
    return float(std::fabs(v[0]) + std::fabs(v[1]) + std::fabs(v[2]));
}

float GroundSpeedOf(dBodyID chassis)
{
    const dReal* v = dBodyGetLinearVel(chassis);
    return float(std::fabs(v[0]) + std::fabs(v[2]));
}

float MeanHeight(const dBodyID (&wheels)[2])
{
    float sum = 0.0f;
    for (dBodyID wheel : wheels)
        if (wheel)
            sum += float(dBodyGetPosition(wheel)[1]);
    return sum * 0.5f;
}

D3DXVECTOR3 Nose(dBodyID body)
{
    const dReal* r = dBodyGetRotation(body);
    return D3DXVECTOR3(-float(r[0]), -float(r[4]), -float(r[8]));
}

void SetMotor(dJointID joint, float velocity, float force)
{
    if (!joint)
        return;
    dJointSetHinge2Param(joint, dParamVel2, velocity);
    dJointSetHinge2Param(joint, dParamFMax2, force);
}
} // namespace

void QV7_PlayerController::DriveInput(float dt, const DriveSession& session, FrameFlags& flags)
{
    driveCommand = 0.0f;
    reversing = 0;
    if (respawnLock)
    {
        respawnLockTime += dt;
        if (respawnLockTime > kRespawnLockMs)
            respawnLock = 0;
    }
    ApplyReverse(dt);
    ApplyAccelerate(dt);
    ApplyTurbo(dt, session);
    slopeTerm = SlopeTerm(MeanHeight(buggy->rearWheelBodies) - MeanHeight(buggy->frontWheelBodies));
    ReadOrientation();
    driveCommand = ClimbHelp(driveCommand, slopeTerm, buggy->placementHold != 0, destroyed != 0);
    SetWheelMotors();
    Steer(dt);
    Drown(session, flags);
    Respawn(session, flags);
    RunRespawnKey(session);
    Brake(session);
}

// Reversing from a standstill makes the driver look back over his shoulder.
bool QV7_PlayerController::ApplyReverse(float dt)
{
    const bool free = !respawnLock && !Airborne();
    bool axisBound = false;
    const int magnitude = AxisOf(KEY_Reverse, &axisBound);
    bool joystick = false;
    if (axisBound && free && magnitude >= kAxisThreshold)
    {
        driveCommand = -0.05f * float(magnitude);
        joystick = true;
    }
    const bool keyboard = free && KeyOf(KEY_Reverse);
    if (keyboard)
    {
        driveCommand = -60.0f;
        driveInput = 1;
    }
    else if (!joystick)
        lookBack = 0;
    if (!joystick && !keyboard)
        return false;
    reversing = 1;
    buggy->placementHold = 0;
    launchRamp = std::max(launchRamp - 0.1f * dt, 0.0f);
    if (launchRamp == 0.0f && groundSpeed < 0.4f)
        lookBack = lookBackLatch = 1;
    if (lookBackLatch)
        lookBack = 1;
    return true;
}

void QV7_PlayerController::ApplyAccelerate(float dt)
{
    const bool free = !respawnLock && !Airborne();
    bool axisBound = false;
    const int magnitude = AxisOf(KEY_Accelerate, &axisBound);
    bool accelerating = false;
    if (axisBound && free)
    {
        if (magnitude >= kAxisThreshold)
        {
            driveCommand = 0.03f * float(magnitude);
            accelerating = true;
        }
    }
    else if (free && KeyOf(KEY_Accelerate))
    {
        driveCommand = 30.0f;
        accelerating = true;
    }
    if (!accelerating)
    {
        accelerateTime = 0.0f;
        launchRamp = std::max(launchRamp - 0.025f * dt, 0.0f);
        return;
    }
    lookBack = lookBackLatch = reversing = 0;
    buggy->placementHold = 0;
    driveInput = 1;
    accelerateTime += dt;
    if (accelerateTime < 400.0f)
        launchRamp = std::min(launchRamp + 0.05f * dt, 20.0f);
    else
        launchRamp = std::max(launchRamp - 0.025f * dt, 0.0f);
}

void QV7_PlayerController::ApplyTurbo(float dt, const DriveSession& session)
{
    const bool accelerating = driveCommand > 0.0f;
    if (accelerating && KeyOf(KEY_Turbo) && !respawnLock && !Airborne() && turbo > 0.0f &&
        !session.countdownRunning)
    {
        driveCommand = 75.0f;
        reversing = 0;
        buggy->placementHold = 0;
        driveInput = 1;
        turboBurning = 1;
        turbo = std::max(turbo - dt, 0.0f);
    }
    if (turboBurning && !g_turboSoundLatch && g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[SOUND_TURBO], buggy->position.x, buggy->position.y,
                                   buggy->position.z);
    g_turboSoundLatch = turboBurning;
}

void QV7_PlayerController::ReadOrientation()
{
    dBodyID chassis = buggy->ChassisBody();
    if (chassis)
    {
        const dReal* v = dBodyGetLinearVel(chassis);
        chassisVelocity = D3DXVECTOR3(float(v[0]), float(v[1]), float(v[2]));
        forwardAxis = Nose(chassis);
        // The local x axis' z component runs on to +-2 past a quarter turn.
        const float x = -forwardAxis.x, z = -forwardAxis.z;
        const float folded = x >= 0.0f ? z : (z >= 0.0f ? 2.0f - z : -2.0f - z);
        headingIndicator = folded * 1.5707964f;
    }
    if (!buggy->bodies.empty() && buggy->bodies[0])
        firstBodyForwardAxis = Nose(buggy->bodies[0]);
}

void QV7_PlayerController::SetWheelMotors()
{
    const WheelMotor motor =
        MotorFor(driveCommand, steerAngle, enginePower, turboBurning != 0, slowTimer != 0.0f);
    for (dJointID joint : buggy->drivenJoints)
        SetMotor(joint, motor.velocity, motor.rearForce);
    for (dJointID joint : buggy->steeredJoints)
        SetMotor(joint, motor.velocity, motor.frontForce);
    driveCommand = motor.command;
    if (buggy->rearWheelBodies[1])
        driveCommand = SumOfAbs(dBodyGetAngularVel(buggy->rearWheelBodies[1]));
    if (dBodyID chassis = buggy->ChassisBody())
        groundSpeed = GroundSpeedOf(chassis);
}

void QV7_PlayerController::Steer(float dt)
{
    const bool airborne = Airborne();
    bool axisBound = false;
    int magnitude = AxisOf(KEY_SteerLeft, &axisBound);
    if (axisBound && !airborne && magnitude >= kAxisThreshold)
        steerAngle = SteerFromAxis(magnitude, true);
    magnitude = AxisOf(KEY_SteerRight, &axisBound);
    if (axisBound && !airborne && magnitude >= kAxisThreshold)
        steerAngle = SteerFromAxis(magnitude, false);
    const bool left = KeyOf(KEY_SteerLeft), right = KeyOf(KEY_SteerRight);
    if (!airborne)
        steerAngle = SteerWithKeys(steerAngle, left, right, dt);
    if (steerLockTimer != 0.0f)
        steerAngle = 0.0f;
    if ((!left && !right) || airborne)
        steerAngle = CentreSteering(steerAngle, dt);
}

void QV7_PlayerController::Brake(const DriveSession& session)
{
    const bool braking =
        KeyOf(KEY_HandBrake) || buggy->placementHold || session.countdownRunning || destroyed;
    handBrakeOn = braking ? 1 : 0;
    if (!braking)
        return;
    driveInput = 0;
    for (dJointID joint : buggy->drivenJoints)
        SetMotor(joint, 0.0f, 10.0f);
    for (dJointID joint : buggy->steeredJoints)
        SetMotor(joint, 0.0f, 10.0f);
}

// The stops are set low, high, low so that the pair is taken whichever way
// the angle moved since the last frame.
void QV7_PlayerController::SetSteeringJoints()
{
    for (dJointID joint : buggy->steeredJoints)
    {
        if (!joint)
            continue;
        dJointSetHinge2Param(joint, dParamFMax, 0);
        dJointSetHinge2Param(joint, dParamLoStop, steerAngle - 0.0001);
        dJointSetHinge2Param(joint, dParamHiStop, steerAngle + 0.0001);
        dJointSetHinge2Param(joint, dParamLoStop, steerAngle - 0.0001);
    }
}

void QV7_PlayerController::TransferWeight()
{
    float masses[4];
    WheelMasses(steerAngle, handBrakeOn != 0, masses);
    const dBodyID wheels[4] = {buggy->rearWheelBodies[0], buggy->rearWheelBodies[1],
                               buggy->frontWheelBodies[0], buggy->frontWheelBodies[1]};
    for (int i = 0; i < 4; ++i)
    {
        const PhysicsBodyDef* definition = buggy->partDefinitions[i];
        if (!wheels[i] || !definition || definition->massProperties.mass <= 0)
            continue;
        dMass mass = definition->massProperties;
        dMassAdjust(&mass, masses[i]);
        dBodySetMass(wheels[i], &mass);
    }
    for (dJointID joint : buggy->steeredJoints)
        if (joint)
            dJointSetHinge2Param(joint, dParamVel, 0);
}
