// The chase camera's modes, lag, clearance and free flight.
#include "race/ChaseCamera.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Rotation.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Water.h"

#include <cmath>

namespace
{
constexpr float kTargetRaise = 100.0f;
constexpr float kPlayerClearance = 50.0f;
constexpr float kComputerClearance = 10.0f;
constexpr float kWaterClearance = 25.0f;

// The player's driver's eye by model position: k, h.
void DriverEye(int position, float& k, float& h)
{
    switch (position)
    {
    case ChaseCamera::kNoModelRecord:
    case 2:
        k = 0.19f, h = 33.0f;
        return;
    case 1:
        k = 0.25f, h = 30.0f;
        return;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
        k = 0.15f, h = 30.0f;
        return;
    case 8:
        k = 0.18f, h = 32.0f;
        return;
    case 9:
        k = 0.15f, h = 20.0f;
        return;
    default:
        k = 0.2f, h = 30.0f;
        return;
    }
}

D3DXVECTOR3 Raised(const D3DXVECTOR3& v, float up)
{
    return D3DXVECTOR3(v.x, v.y + up, v.z);
}

// Input codes of the free camera's keys.
constexpr int kKeyUp = 200, kKeyDown = 208, kKeyLeft = 203, kKeyRight = 205;
constexpr int kKeyRightCtrl = 157, kKeyRightShift = 54, kKeyLeftShift = 42;
} // namespace

CameraRig ChaseCamera::Rig(int mode, bool player, int modelPosition)
{
    CameraRig rig;
    rig.groundClearance = player ? kPlayerClearance : kComputerClearance;
    rig.waterLimit = player;
    rig.raise = kTargetRaise;
    switch (mode)
    {
    case CAMERA_MODE_NEAR:
        rig.k = player ? 2.2f : 3.1f, rig.h = 150.0f;
        break;
    case CAMERA_MODE_FAR:
        rig.k = player ? 3.1f : 5.1f, rig.h = 180.0f;
        break;
    case CAMERA_MODE_CLOSE:
        if (player)
            DriverEye(modelPosition, rig.k, rig.h);
        else
            rig.k = 0.1f, rig.h = 20.0f;
        rig.raise = rig.h;
        break;
    default:
        break;
    }
    return rig;
}

void ChaseCamera::Shift(float dtMs)
{
    cameraHistoryClock += dtMs;
    while (cameraHistoryClock > kShiftMs)
    {
        for (int i = 0; i < kHistory - 1; ++i)
            cameraOffsetHistory[i] = cameraOffsetHistory[i + 1];
        cameraHistoryClock -= kShiftMs;
    }
}

void ChaseCamera::KeepClear(const CameraRig& rig, const CameraGround& ground)
{
    if (ground.height)
    {
        const float floor = ground.height(cameraEye.x, cameraEye.z) + rig.groundClearance;
        if (floor > cameraEye.y)
            cameraEye.y = floor;
    }
    if (rig.waterLimit && ground.hasWater && cameraEye.y < ground.waterLevel + kWaterClearance)
        cameraEye.y = ground.waterLevel + kWaterClearance;
}

void ChaseCamera::Follow(int mode, const CameraRig& rig, const D3DXVECTOR3& P, const D3DXVECTOR3& d,
                         float dtMs, const CameraGround& ground)
{
    const D3DXVECTOR3 eyeAtRest = Raised((P + rig.k * d) * kRenderPerPhysics, rig.h);
    if (mode == CAMERA_MODE_CLOSE)
    {
        cameraEye = eyeAtRest;
        cameraTarget = Raised(P * kRenderPerPhysics, rig.h);
        cameraOffsetHistory[kHistory - 1] = cameraEye;
        cameraLastTarget = cameraTarget;
        KeepClear(rig, ground);
        return;
    }
    cameraTarget = Raised(P * kRenderPerPhysics, rig.raise);
    cameraLastTarget = cameraTarget;
    cameraOffsetHistory[kHistory - 1] = eyeAtRest - cameraTarget;
    Shift(dtMs);
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    for (const D3DXVECTOR3& offset : cameraOffsetHistory)
        sum += offset;
    cameraEye = cameraTarget + sum * kAverage;
    KeepClear(rig, ground);
}

void ChaseCamera::Reset(int mode, const CameraRig& rig, const D3DXVECTOR3& P, const D3DXVECTOR3& d)
{
    cameraEye = Raised((P + rig.k * d) * kRenderPerPhysics, rig.h);
    cameraTarget = Raised(P * kRenderPerPhysics, mode == CAMERA_MODE_CLOSE ? rig.h : rig.raise);
    cameraLastTarget = cameraTarget;
    if (mode == CAMERA_MODE_CLOSE)
        return;
    for (D3DXVECTOR3& offset : cameraOffsetHistory)
        offset = cameraEye - cameraTarget;
}

void ChaseCamera::Fly(const FreeCameraInput& input, float dtMs)
{
    float& yaw = cameraTarget.x;
    float& pitch = cameraTarget.y;
    const D3DXVECTOR3 v(std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch));
    if (input.forward && !input.rightCtrl)
        cameraEye += v * (0.8f * dtMs + (input.shift ? 4.8f * dtMs : 0.0f));
    if (input.back && !input.rightCtrl)
        cameraEye -= v * (0.4f * dtMs + (input.shift ? 4.8f * dtMs : 0.0f));
    yaw += input.mouseX * 0.001f;
    pitch += input.mouseY * 0.001f;
    if (input.left && !input.rightCtrl)
        yaw -= 0.005f * dtMs;
    if (input.right && !input.rightCtrl)
        yaw += 0.005f * dtMs;
}

void ChaseCamera::Apply(int mode) const
{
    SetCameraEye(cameraEye.x, cameraEye.y, cameraEye.z);
    SetCameraYawPitchRoll(cameraTarget.x, cameraTarget.y, cameraTarget.z);
    if (mode != CAMERA_MODE_FREE)
        SetCameraTarget(cameraTarget.x, cameraTarget.y, cameraTarget.z);
}

// ---- racers ----

bool ChaseCamera::ChassisFrame(const QV7_Buggy* buggy, D3DXVECTOR3* P, D3DXVECTOR3* d)
{
    dBodyID chassis = buggy ? buggy->ChassisBody() : nullptr;
    if (!chassis)
        return false;
    const dReal* p = dBodyGetPosition(chassis);
    *P = D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
    D3DXMATRIX rotation;
    D3DXMatrixIdentity(&rotation);
    OdeRotationToMatrix(&rotation, dBodyGetRotation(chassis));
    const D3DXVECTOR3 tail(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformNormal(d, &tail, &rotation);
    return true;
}

int ChaseCamera::ModelPosition(const QV7_Buggy* buggy)
{
    if (!buggy || !buggy->modelItem)
        return kNoModelRecord;
    const QV7_BuggyMeshSystem* items =
        QV7_Buggy::s_items ? QV7_Buggy::s_items : (g_itemDatabase ? &g_itemDatabase->meshSystem : nullptr);
    return items ? items->ModelIndex(buggy->modelItem) : -1;
}

CameraGround ChaseCamera::WorldGround()
{
    CameraGround ground;
    if (g_landscape)
        ground.height = [](float x, float z) { return g_landscape->GetHeight(x, z); };
    if (g_water)
    {
        ground.hasWater = true;
        ground.waterLevel = g_water->m_WaterLevel;
    }
    return ground;
}

void ChaseCamera::UpdateFor(const QV7_Buggy* buggy, int mode, bool player)
{
    const float dtMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    if (mode == CAMERA_MODE_FREE)
    {
        FreeCameraInput input;
        if (g_input)
        {
            input.forward = g_input->IsKeyDown(kKeyUp), input.back = g_input->IsKeyDown(kKeyDown);
            input.left = g_input->IsKeyDown(kKeyLeft), input.right = g_input->IsKeyDown(kKeyRight);
            input.shift = g_input->IsKeyDown(kKeyRightShift) || g_input->IsKeyDown(kKeyLeftShift);
            input.rightCtrl = g_input->IsKeyDown(kKeyRightCtrl);
            input.mouseX = float(g_input->m_MouseState.lX), input.mouseY = float(g_input->m_MouseState.lY);
        }
        Fly(input, dtMs);
        return;
    }
    D3DXVECTOR3 P, d;
    if (ChassisFrame(buggy, &P, &d))
        Follow(mode, Rig(mode, player, ModelPosition(buggy)), P, d, dtMs, WorldGround());
}

void ChaseCamera::ResetFor(const QV7_Buggy* buggy, int mode, bool player)
{
    D3DXVECTOR3 P, d;
    if (mode != CAMERA_MODE_FREE && ChassisFrame(buggy, &P, &d))
        Reset(mode, Rig(mode, player, ModelPosition(buggy)), P, d);
}
