#include "race/StandInDriving.h"

#include "media/QV7_Input.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_WaypointList.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kTopSpeed = -30.0f;
constexpr float kReverseSpeed = 10.0f;
constexpr float kForce = 12.0f;
constexpr float kSteerLock = 0.35f;

bool KeyDown(KeyAction action)
{
    if (!g_input || !g_windowsData)
        return false;
    const InputCode* keys = g_windowsData->m_Settings.Keys[action];
    return g_input->IsKeyDown(keys[0]) || g_input->IsKeyDown(keys[1]);
}

D3DXVECTOR3 Nose(dBodyID chassis)
{
    dVector3 nose;
    dBodyVectorToWorld(chassis, -1, 0, 0, nose);
    return D3DXVECTOR3(float(nose[0]), float(nose[1]), float(nose[2]));
}

void DriveByKeys(QV7_Buggy& buggy)
{
    float speed = 0.0f, force = 10.0f, steer = 0.0f;
    if (KeyDown(KEY_Accelerate))
        speed = kTopSpeed, force = kForce;
    else if (KeyDown(KEY_Reverse))
        speed = kReverseSpeed, force = kForce;
    if (KeyDown(KEY_SteerLeft))
        steer += kSteerLock;
    if (KeyDown(KEY_SteerRight))
        steer -= kSteerLock;
    if (KeyDown(KEY_HandBrake))
        speed = 0.0f, force = 20.0f;
    if (speed != 0.0f)
        buggy.placementHold = 0;
    ApplyDrive(buggy, speed, force, steer);
}

// Toward the waypoint after the stretch the racer is on, at a steady pace.
void DriveAlongPath(QV7_Buggy& buggy)
{
    const WaypointRecord* on = g_waypointList ? g_waypointList->FindSegment(buggy.position) : nullptr;
    if (!on && g_waypointList && g_waypointList->Count() > 0)
        on = g_waypointList->Waypoint(0);
    const WaypointRecord* target = on && on->next ? on->next : on;
    if (!target)
    {
        ApplyDrive(buggy, 0.0f, 10.0f, 0.0f);
        return;
    }
    const D3DXVECTOR3 nose = Nose(buggy.ChassisBody());
    const float dx = target->position.x - buggy.position.x, dz = target->position.z - buggy.position.z;
    // Positive steering turns the nose toward -z: steer by the side the target lies on.
    const float side = nose.x * dz - nose.z * dx;
    const float length = std::sqrt(dx * dx + dz * dz) + 1e-3f;
    const float steer = std::clamp(-side / length * 1.5f, -kSteerLock, kSteerLock);
    buggy.placementHold = 0;
    ApplyDrive(buggy, kTopSpeed * 0.8f, kForce, steer);
}
} // namespace

void ApplyDrive(QV7_Buggy& buggy, float wheelSpeed, float force, float steer)
{
    for (dJointID joint : buggy.drivenJoints)
        if (joint)
        {
            dJointSetHinge2Param(joint, dParamVel2, wheelSpeed);
            dJointSetHinge2Param(joint, dParamFMax2, force);
        }
    for (dJointID joint : buggy.steeredJoints)
        if (joint)
        {
            // Low stop first when turning one way, high first the other, so the pair never crosses.
            dJointSetHinge2Param(joint, dParamLoStop, steer - 0.0001f);
            dJointSetHinge2Param(joint, dParamHiStop, steer + 0.0001f);
            dJointSetHinge2Param(joint, dParamLoStop, steer - 0.0001f);
        }
    if (QV7_DriveController* driver = buggy.Controller())
    {
        driver->steerAngle = steer;
        if (dBodyID chassis = buggy.ChassisBody())
        {
            const dReal* v = dBodyGetLinearVel(chassis);
            driver->groundSpeed = float(std::fabs(v[0]) + std::fabs(v[2]));
            driver->forwardAxis = Nose(chassis);
        }
    }
}

void StandInDrive(QV7_Buggy& buggy)
{
    if (!buggy.ChassisBody())
        return;
    const int gridIndex = buggy.ownerGroup ? buggy.ownerGroup->racers.IndexOf(&buggy) : 0;
    if (g_mapSystem && !g_mapSystem->Released(gridIndex))
    {
        ApplyDrive(buggy, 0.0f, 10.0f, 0.0f);
        return;
    }
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER)
        DriveByKeys(buggy);
    else
        DriveAlongPath(buggy);
}
