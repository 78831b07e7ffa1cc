// The chase camera every driver carries, so that the view can follow any
// buggy: lagged near and far views that average the last 60 eye offsets
// (one every 8 ms), the unlagged driver's eye, and the debug console's free
// flight. The drivers update it once a frame after the physics step; the
// viewed buggy's driver hands it to the scene camera.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <functional>

class QV7_Buggy;

enum CameraMode
{
    CAMERA_MODE_FREE = 0,
    CAMERA_MODE_FAR = 1,
    CAMERA_MODE_CLOSE = 2, // the driver's eye
    CAMERA_MODE_NEAR = 3,
};

// Where a mode puts the eye: k along the buggy's tail axis (physics units),
// h above the chassis (render units), the target raise, and how far the eye
// keeps above the ground and (for the player) the water.
struct CameraRig
{
    float k = 0.0f;
    float h = 0.0f;
    float raise = 0.0f;
    float groundClearance = 0.0f;
    bool waterLimit = false;
};

// The ground under the eye: the landscape's height and the water level.
struct CameraGround
{
    std::function<float(float x, float z)> height;
    bool hasWater = false;
    float waterLevel = 0.0f;
};

// What moves the free camera this frame.
struct FreeCameraInput
{
    bool forward = false, back = false, left = false, right = false;
    bool shift = false, rightCtrl = false;
    float mouseX = 0.0f, mouseY = 0.0f;
};

class ChaseCamera
{
  public:
    static constexpr int kHistory = 60;
    static constexpr float kShiftMs = 8.0f;
    static constexpr float kAverage = 0.016666668f;
    static constexpr float kRenderPerPhysics = 200.0f;
    // The model position of a buggy without a model record.
    static constexpr int kNoModelRecord = -2;

    // The rig of a mode for the player or a computer driver; modelPosition is
    // the buggy's place in the model list (-1 not in it), for the driver's eye.
    static CameraRig Rig(int mode, bool player, int modelPosition);

    // One frame of a chassis at P (physics units) whose tail axis is d.
    void Follow(int mode, const CameraRig& rig, const D3DXVECTOR3& P, const D3DXVECTOR3& d, float dtMs,
                const CameraGround& ground);
    // The mode's eye and target now, every offset at rest (the driver's eye
    // keeps its history).
    void Reset(int mode, const CameraRig& rig, const D3DXVECTOR3& P, const D3DXVECTOR3& d);
    // One frame of free flight; the target holds yaw, pitch and roll.
    void Fly(const FreeCameraInput& input, float dtMs);
    // The scene camera gets the eye, the angles and (unless free) the target.
    void Apply(int mode) const;

    // The same for a racer, reading its chassis, the frame time, the
    // landscape, the water and the keys and mouse.
    void UpdateFor(const QV7_Buggy* buggy, int mode, bool player);
    void ResetFor(const QV7_Buggy* buggy, int mode, bool player);
    // The racer's chassis position (physics units) and tail axis; false without a chassis.
    static bool ChassisFrame(const QV7_Buggy* buggy, D3DXVECTOR3* P, D3DXVECTOR3* d);
    static int ModelPosition(const QV7_Buggy* buggy);
    static CameraGround WorldGround();

    D3DXVECTOR3 cameraLastTarget{0.0f, 0.0f, 0.0f};
    // Eye-minus-target offsets, oldest first; entry 59 is the newest.
    D3DXVECTOR3 cameraOffsetHistory[kHistory] = {};
    float cameraHistoryClock = 0.0f;
    D3DXVECTOR3 cameraEye{0.0f, 500.0f, 0.0f};
    D3DXVECTOR3 cameraTarget{0.0f, 0.0f, 0.0f};

  private:
    void KeepClear(const CameraRig& rig, const CameraGround& ground);
    void Shift(float dtMs);
};
