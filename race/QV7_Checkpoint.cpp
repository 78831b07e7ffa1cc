// Reading Map%d.chk, the passing test with its lap counting, and the drawing
// of the markers.
#include "race/QV7_Checkpoint.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObject.h"
#include "world/MeshObjectReader.h"

#include <cmath>
#include <cstdio>

QV7_Checkpoint* g_checkpoints = nullptr;
void (*QV7_Checkpoint::s_ConsolePrint)(const char* text) = nullptr;

namespace
{
const char* const kModule = ".\\QV7_Checkpoint";
// An empty checkpoint: its marker count and two links.
constexpr size_t kMinCheckpointBytes = 12;
constexpr size_t kMarkerBytes = 16;

[[noreturn]] void Broken(const std::string& path, const BinaryReader& file, size_t at,
                         const std::string& what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Checkpoints File %s is broken: %s (at byte %zu of %zu).", path.c_str(),
                    what.c_str(), at, file.Size());
    ThrowBrokenString(kModule, line);
}

bool Finite(const CheckpointMarker& m)
{
    return std::isfinite(m.x) && std::isfinite(m.y) && std::isfinite(m.z) && std::isfinite(m.yaw);
}

D3DXMATRIX YawMatrix(float yaw)
{
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yaw, 0.0f, 0.0f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    return rotation;
}

// Scaled, turned a quarter further than the marker's yaw, lifted over its point.
D3DXMATRIX MarkerMatrix(const CheckpointMarker& m)
{
    D3DXMATRIX scaling, matrix;
    D3DXMatrixScaling(&scaling, QV7_Checkpoint::kMarkerScale, QV7_Checkpoint::kMarkerScale,
                      QV7_Checkpoint::kMarkerScale);
    const D3DXMATRIX rotation = YawMatrix(m.yaw + 1.5707964f);
    D3DXMatrixMultiply(&matrix, &scaling, &rotation);
    matrix._41 = m.x;
    matrix._42 = m.y + QV7_Checkpoint::kMarkerLift;
    matrix._43 = m.z;
    return matrix;
}

float Distance(const D3DXVECTOR3& p, const CheckpointMarker& m)
{
    const float dx = p.x - m.x, dy = p.y - m.y, dz = p.z - m.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

MeshReaderIdentity CheckpointMeshReader(int index)
{
    return {"Info: Loading Checkpoint Object Mesh ID " + std::to_string(index),
            "ERROR: Checkpoint Mesh System: Cloning error mesh", "QV7_Checkpoint", 162,
            index == 0 ? "Info: Mesh Object Loading Done" : "Info: Mesh Object: Loading Done"};
}

// An index the file gives: one of the count's records, or -1 where allowed.
bool IndexFits(int32_t index, int32_t count, bool noneAllowed)
{
    return (index >= 0 && index < count) || (noneAllowed && index == -1);
}
} // namespace

QV7_Checkpoint::QV7_Checkpoint()
{
    g_checkpoints = this;
}

QV7_Checkpoint::~QV7_Checkpoint()
{
    if (g_checkpoints == this)
        g_checkpoints = nullptr;
    Clear();
}

void QV7_Checkpoint::Clear()
{
    meshes.Clear();
    checkpoints.Clear();
    finish = nullptr;
    markerEffectCopies.clear();
}

// ---- loading ----

void QV7_Checkpoint::Load(const std::string& path, const QV7_TextureList* textures)
{
    QV7_Logger::Log(g_logger, "INFO: Loading Checkpoints");
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Checkpoints File %s can't be opened.", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    Read(file, path, textures);
}

void QV7_Checkpoint::Read(BinaryReader& file, const std::string& path, const QV7_TextureList* textures)
{
    Clear();
    try
    {
        ReadCheckpoints(file, path);
        const size_t at = file.Position();
        const int32_t meshIds[2] = {file.ReadInt32(), file.ReadInt32()};
        passRadius = file.ReadFloat();
        if (file.Failed())
            Broken(path, file, at, "it ends before the mesh ids and the pass radius", __LINE__);
        if (!std::isfinite(passRadius))
            Broken(path, file, at + 8, "the pass radius is not a number", __LINE__);
        for (int index = 0; index < 2; ++index)
        {
            if (meshIds[index] == -1)
                QV7_Logger::Log(g_logger, "ERROR: Checkpoints Mesh %d not existing, map file corupt.",
                                index + 1);
            else
                ReadMesh(file, index, textures);
        }
    }
    catch (...)
    {
        Clear();
        throw;
    }
    PlaceEffectCopies();
    QV7_Logger::Log(g_logger, "INFO: Checkpoints Loaded");
}

void QV7_Checkpoint::ReadCheckpoints(BinaryReader& file, const std::string& path)
{
    size_t at = file.Position();
    const int32_t count = file.ReadCount(kMinCheckpointBytes);
    if (file.Failed())
        Broken(path, file, at, "its checkpoint count is missing, negative or more than its bytes hold",
               __LINE__);
    std::vector<int32_t> links;
    for (int32_t i = 0; i < count; ++i)
    {
        CheckpointRecord* record = checkpoints.Add();
        at = file.Position();
        const int32_t markers = file.ReadCount(kMarkerBytes);
        if (file.Failed())
            Broken(path, file, at, "checkpoint " + std::to_string(i) + "'s marker count is wrong", __LINE__);
        for (int32_t j = 0; j < markers; ++j)
        {
            CheckpointMarker m;
            m.x = file.ReadFloat(), m.y = file.ReadFloat(), m.z = file.ReadFloat(), m.yaw = file.ReadFloat();
            if (!Finite(m))
                Broken(path, file, file.Position() - kMarkerBytes,
                       "a marker holds a value that is not a number", __LINE__);
            record->markers.push_back(m);
            record->markerMatrices.push_back(MarkerMatrix(m));
            record->markerVisible.push_back(0);
        }
        at = file.Position();
        links.push_back(file.ReadInt32());
        links.push_back(file.ReadInt32());
        if (file.Failed())
            Broken(path, file, at, "it ends inside checkpoint " + std::to_string(i), __LINE__);
    }
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t link1 = links[size_t(2 * i)], next = links[size_t(2 * i + 1)];
        // The second link is what the race follows; the first may be absent.
        if (!IndexFits(link1, count, true) || !IndexFits(next, count, false))
            Broken(path, file, 0,
                   "checkpoint " + std::to_string(i) + " links to " + std::to_string(link1) + " and " +
                       std::to_string(next) + " of " + std::to_string(count),
                   __LINE__);
        checkpoints[i]->link1 = link1 == -1 ? nullptr : checkpoints[link1];
        checkpoints[i]->next = checkpoints[next];
    }
    at = file.Position();
    const int32_t finishIndex = file.ReadInt32();
    if (file.Failed())
        Broken(path, file, at, "it ends before the finish index", __LINE__);
    if (finishIndex == -1 || count == 0)
    {
        // Without a finish there is no start grid and no lap is ever counted.
        QV7_Logger::Log(g_logger, "ERROR: Checkpoints finish not existing, map file corupt.");
        ThrowDataError(kModule, __LINE__);
    }
    if (!IndexFits(finishIndex, count, false))
        Broken(path, file, at,
               "the finish index " + std::to_string(finishIndex) + " is not one of its checkpoints",
               __LINE__);
    finish = checkpoints[finishIndex];
    if (finish->markers.empty())
        Broken(path, file, at, "the finish has no marker to start the grid at", __LINE__);
}

void QV7_Checkpoint::ReadMesh(BinaryReader& file, int index, const QV7_TextureList* textures)
{
    // Mesh 1 may come without mesh 0; keep each in its own entry.
    while (meshes.Count() < index)
        meshes.Append(new MeshObject());
    MeshObject* mesh = meshes.Append(new MeshObject());
    ReadMeshObjectBlock(file, *mesh, vertexFormat, g_device, textures, CheckpointMeshReader(index));
    UpdateMeshPlacement();
}

void QV7_Checkpoint::UpdateMeshPlacement()
{
    if (meshes.Count() > 0)
        BuildPlacementMatrix(*meshes[0]);
}

// Two copies of the marker effect per marker, either side of it across its yaw.
void QV7_Checkpoint::PlaceEffectCopies()
{
    markerEffectCopies.clear();
    for (const CheckpointRecord* checkpoint : checkpoints)
        for (const CheckpointMarker& m : checkpoint->markers)
        {
            const D3DXMATRIX turn = YawMatrix(m.yaw);
            for (float side : {-kEffectSide, kEffectSide})
            {
                const D3DXVECTOR3 offset(side, 0.0f, 0.0f);
                D3DXVECTOR3 turned;
                D3DXVec3TransformCoord(&turned, &offset, &turn);
                CheckpointEffectCopy copy;
                copy.position = D3DXVECTOR3(m.x, m.y, m.z) + turned;
                markerEffectCopies.push_back(copy);
            }
        }
}

bool QV7_Checkpoint::FindStartPose(StartGridPose* pose) const
{
    if (!finish || finish->markers.empty())
        return false;
    const CheckpointMarker& m = finish->markers[0];
    pose->checkpoint = finish;
    pose->position = D3DXVECTOR3(m.x, m.y, m.z);
    pose->yaw = m.yaw;
    return true;
}

bool QV7_Checkpoint::FindLoadedStartPose(StartGridPose* pose)
{
    return g_checkpoints && g_checkpoints->FindStartPose(pose);
}

// ---- passing ----

void QV7_Checkpoint::Print(const char* format, int a, int b) const
{
    if (!debug || !s_ConsolePrint)
        return;
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    s_ConsolePrint(text);
}

void QV7_Checkpoint::TestPassing(QV7_Collection<QV7_Buggy>& racers)
{
    playerRacer = racers.count > 0 ? racers.items[0] : nullptr;
    for (int i = 0; i < checkpoints.count; ++i)
    {
        CheckpointRecord& checkpoint = *checkpoints.items[i];
        for (size_t j = 0; j < checkpoint.markers.size(); ++j)
            for (int k = 0; k < racers.count; ++k)
                TestMarker(checkpoint, i, checkpoint.markers[j], int(j), *racers.items[k], k);
    }
}

void QV7_Checkpoint::TestMarker(CheckpointRecord& checkpoint, int i, const CheckpointMarker& marker, int j,
                                QV7_Buggy& racer, int k)
{
    if (Distance(racer.position, marker) <= passRadius + kPassMargin &&
        racer.currentCheckpoint != &checkpoint)
    {
        Print("INFO: A.I.: Buggy %d Checkpoint %d Passed", k, i);
        if (racer.currentCheckpoint && racer.currentCheckpoint->next == &checkpoint)
        {
            racer.currentCheckpoint = &checkpoint;
            racer.sinceCheckpointMs = 0.0f;
            racer.checkpointsPassed += 1;
            if (&checkpoint == finish)
            {
                racer.lapCounter += 1;
                if (racer.bestLap > racer.currentLapTime || racer.bestLap == 0.0f)
                    racer.bestLap = racer.currentLapTime;
                racer.currentLapTime = 0.0f;
            }
            racer.alternativeMarker = j == 0 ? 0 : 1;
            checkpoint.sincePassed = 0.0f;
            checkpoint.passedByPlayer = k == 0 ? 1 : 0;
        }
        else
        {
            racer.wrongCheckpoint = 1;
            Print("INFO: Wrong Checkpoint", 0, 0);
            if (racer.controllerKind == QV7_Buggy::CONTROLLER_COMPUTER && racer.computerController)
                racer.computerController->respawnRequested = 1;
        }
    }
    const CheckpointRecord* current = racer.currentCheckpoint;
    if (current && current->next && !current->next->markers.empty())
        racer.distanceToNext = Distance(racer.position, current->next->markers[0]);
}
