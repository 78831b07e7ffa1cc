// The island's two teleporters, Map%d.tel: records 0 and 2 are entry gates,
// records 1 and 3 their exits. A racer whose last frame's movement (doubled)
// crosses a gate is placed at the exit facing its yaw, pushed on, its
// steering held straight a moment, and its chase camera snapped to the exit.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <cstdint>
#include <string>

class BinaryReader;
class QV7_Buggy;
class QV7_DriveController;
class QV7_PhysicsGroup;

struct TeleportRecord
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f}; // render units
    float yaw = 0.0f;                       // radians
    int32_t unused = 0;                     // kept, never used
};

// Where a chase camera looks from and at, render units.
struct CameraPose
{
    D3DXVECTOR3 eye{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 target{0.0f, 0.0f, 0.0f};
};

class QV7_Teleporters
{
  public:
    static constexpr int kRecords = 4;
    static constexpr size_t kFileBytes = 84;
    static constexpr float kPush = 6000.0f;
    static constexpr float kSteerLockMs = 250.0f;

    // Count, records and the enabled flag back to zero.
    void Clear();
    // Reads the file; a missing or short file, or one holding a value that
    // is not a number, is logged and leaves the teleporters off (false).
    bool Load(const std::string& path);
    bool Read(BinaryReader& file, const std::string& path);

    // The gate test of one frame over every racer of the group.
    void Update(QV7_PhysicsGroup& group);

    // How many of the gate's four triangles the movement from previous to
    // current (render units, doubled in length) crosses.
    static int CountCrossings(const TeleportRecord& entry, const D3DXVECTOR3& previous,
                              const D3DXVECTOR3& current);
    // A yaw brought into [-pi, pi].
    static float NormaliseYaw(float yaw);
    // The camera at rest behind a chassis at P (physics units) whose local +x
    // axis is f, for a camera mode; the free camera keeps its pose (false).
    static bool SnapPose(int cameraMode, const D3DXVECTOR3& P, const D3DXVECTOR3& f, CameraPose* pose);

    // Called with the new pose when a racer's camera is snapped to an exit.
    // The camera code takes it whole: eye, target, last target = target and
    // every history offset eye - target, so nothing sweeps from the old place.
    static void (*s_SnapCamera)(QV7_DriveController& driver, const CameraPose& pose);

    int32_t count = 0;
    TeleportRecord records[kRecords];
    int enabled = 0;
    // Teleports done since the load (for the log and the tests).
    int teleportCount = 0;

  private:
    // Places, pushes and straightens the racer once per crossed triangle;
    // true when it was moved.
    bool TestGate(QV7_Buggy& racer, int entry, int exit);
    void Teleport(QV7_Buggy& racer, const TeleportRecord& exit);
    static void SnapCamera(QV7_Buggy& racer);
};
