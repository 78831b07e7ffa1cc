// Teleporter gates: reading Map%d.tel and the once-a-frame crossing test.
#include "race/QV7_Teleporters.h"

#include "platform/io/BinaryReader.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cmath>

void (*QV7_Teleporters::s_SnapCamera)(QV7_DriveController& driver, const CameraPose& pose) = nullptr;

namespace
{
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318531f;
constexpr float kRenderPerOde = 200.0f;
// The gate in its own frame: a front and a back plane, 800 wide and 500
// high, each two triangles.
const D3DXVECTOR3 kGate[4][3] = {
    {{400, 500, -10}, {400, 0, -10}, {-400, 500, -10}},
    {{400, 0, -10}, {-400, 500, -10}, {-400, 0, -10}},
    {{400, 500, 10}, {400, 0, 10}, {-400, 500, 10}},
    {{400, 0, 10}, {-400, 500, 10}, {-400, 0, 10}},
};

bool Finite(const TeleportRecord& r)
{
    return std::isfinite(r.position.x) && std::isfinite(r.position.y) && std::isfinite(r.position.z) &&
           std::isfinite(r.yaw);
}

D3DXMATRIX GateInverse(const TeleportRecord& entry)
{
    D3DXMATRIX rotation, translation, frame, inverse;
    D3DXMatrixRotationY(&rotation, entry.yaw);
    D3DXMatrixTranslation(&translation, entry.position.x, entry.position.y, entry.position.z);
    D3DXMatrixMultiply(&frame, &rotation, &translation);
    D3DXMatrixInverse(&inverse, nullptr, &frame);
    return inverse;
}

D3DXVECTOR3 BodyPoint(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
}
} // namespace

void QV7_Teleporters::Clear()
{
    count = 0;
    for (TeleportRecord& r : records)
        r = TeleportRecord{};
    enabled = 0;
    teleportCount = 0;
}

bool QV7_Teleporters::Load(const std::string& path)
{
    Clear();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Teleporters File %s can't be opened, the map has no teleporters.",
                        path.c_str());
        return false;
    }
    return Read(file, path);
}

bool QV7_Teleporters::Read(BinaryReader& file, const std::string& path)
{
    Clear();
    if (file.Remaining() < kFileBytes)
    {
        QV7_Logger::Log(
            g_logger,
            "ERROR: Teleporters File %s is broken: %zu bytes, %zu needed; the map has no teleporters.",
            path.c_str(), file.Remaining(), kFileBytes);
        return false;
    }
    const int32_t fileCount = file.ReadInt32();
    TeleportRecord read[kRecords];
    for (TeleportRecord& r : read)
    {
        r.unused = file.ReadInt32();
        r.position.x = file.ReadFloat();
        r.position.y = file.ReadFloat();
        r.position.z = file.ReadFloat();
        r.yaw = file.ReadFloat();
        if (!Finite(r))
        {
            QV7_Logger::Log(
                g_logger,
                "ERROR: Teleporters File %s is broken: a record holds a value that is not a number; "
                "the map has no teleporters.",
                path.c_str());
            return false;
        }
    }
    count = fileCount;
    for (int k = 0; k < kRecords; ++k)
        records[k] = read[k];
    enabled = 1;
    return true;
}

float QV7_Teleporters::NormaliseYaw(float yaw)
{
    // One remainder in place of a loop of 2 pi steps, which a large stored
    // yaw would keep going for ever.
    if (yaw > kPi || yaw < -kPi)
    {
        yaw = std::fmod(yaw, kTwoPi);
        if (yaw > kPi)
            yaw -= kTwoPi;
        else if (yaw < -kPi)
            yaw += kTwoPi;
    }
    return yaw;
}

int QV7_Teleporters::CountCrossings(const TeleportRecord& entry, const D3DXVECTOR3& previous,
                                    const D3DXVECTOR3& current)
{
    const D3DXMATRIX inverse = GateInverse(entry);
    D3DXVECTOR3 start, end;
    D3DXVec3TransformCoord(&start, &previous, &inverse);
    D3DXVec3TransformCoord(&end, &current, &inverse);
    D3DXVECTOR3 direction = end - start;
    const float reach = 2.0f * D3DXVec3Length(&direction);
    if (!(reach > 0.0f))
        return 0; // standing still never crosses
    D3DXVec3Normalize(&direction, &direction);
    int crossings = 0;
    for (const auto& triangle : kGate)
    {
        float u = 0.0f, v = 0.0f, distance = 0.0f;
        if (D3DXIntersectTri(&triangle[0], &triangle[1], &triangle[2], &start, &direction, &u, &v,
                             &distance) &&
            distance <= reach)
            ++crossings;
    }
    return crossings;
}

bool QV7_Teleporters::SnapPose(int cameraMode, const D3DXVECTOR3& P, const D3DXVECTOR3& f, CameraPose* pose)
{
    float back = 0.0f, eyeUp = 0.0f, targetUp = 0.0f;
    switch (cameraMode)
    {
    case CAMERA_MODE_NEAR:
        back = 3.1f, eyeUp = 150.0f, targetUp = 100.0f;
        break;
    case CAMERA_MODE_CLOSE:
        back = 0.1f, eyeUp = 20.0f, targetUp = 20.0f;
        break;
    case CAMERA_MODE_FAR:
        back = 5.1f, eyeUp = 180.0f, targetUp = 100.0f;
        break;
    default:
        return false;
    }
    pose->eye = (P + back * f) * kRenderPerOde + D3DXVECTOR3(0.0f, eyeUp, 0.0f);
    pose->target = P * kRenderPerOde + D3DXVECTOR3(0.0f, targetUp, 0.0f);
    return true;
}

void QV7_Teleporters::Update(QV7_PhysicsGroup& group)
{
    if (!enabled)
        return;
    for (TeleportRecord& r : records)
        r.yaw = NormaliseYaw(r.yaw);
    for (int entry = 0; entry < kRecords; entry += 2)
        for (int i = 0; i < group.racers.count; ++i)
            if (TestGate(*group.racers.items[i], entry, entry + 1))
                SnapCamera(*group.racers.items[i]);
}

bool QV7_Teleporters::TestGate(QV7_Buggy& racer, int entry, int exit)
{
    if (racer.justPlaced)
        return false;
    const int crossings = CountCrossings(records[entry], racer.previousPosition, racer.position);
    // Each crossed triangle repeats the teleport: a frame through both
    // planes is pushed twice.
    for (int c = 0; c < crossings; ++c)
        Teleport(racer, records[exit]);
    return crossings > 0;
}

void QV7_Teleporters::Teleport(QV7_Buggy& racer, const TeleportRecord& exit)
{
    racer.PlaceAt(exit.position.x, exit.position.y, exit.position.z, exit.yaw);
    D3DXMATRIX turn;
    D3DXMatrixRotationY(&turn, exit.yaw);
    const D3DXVECTOR3 lean(0.0f, 0.45f, 1.0f);
    D3DXVECTOR3 d;
    D3DXVec3TransformNormal(&d, &lean, &turn);
    // Only the bodies the racer has: a racer of fewer bodies is not pushed
    // through an index it lacks.
    for (size_t b : {size_t(10), size_t(11)})
        if (b < racer.bodies.size() && racer.bodies[b])
            dBodyAddForce(racer.bodies[b], kPush * d.x, 0.0, kPush * d.z);
    if (QV7_DriveController* driver = racer.Controller())
    {
        driver->steerAngle = 0.0f;
        driver->steerLockTimer = kSteerLockMs;
    }
    ++teleportCount;
    if (g_logger)
        QV7_Logger::Log(g_logger, "INFO: Teleporter: racer %d to (%.0f, %.0f, %.0f)", racer.serial,
                        double(exit.position.x), double(exit.position.y), double(exit.position.z));
}

void QV7_Teleporters::SnapCamera(QV7_Buggy& racer)
{
    QV7_DriveController* driver = racer.Controller();
    dBodyID chassis = racer.ChassisBody();
    if (!driver || !chassis)
        return;
    dVector3 axis;
    dBodyVectorToWorld(chassis, 1, 0, 0, axis);
    const D3DXVECTOR3 f{float(axis[0]), float(axis[1]), float(axis[2])};
    CameraPose pose;
    if (SnapPose(driver->cameraMode, BodyPoint(chassis), f, &pose) && s_SnapCamera)
        s_SnapCamera(*driver, pose);
}
