// Writer of an island's checkpoints, Map%d.chk: an int32 checkpoint count;
// per checkpoint an int32 marker count, its markers (x, y, z, yaw: four
// floats each, render units and radians), then the int32 indices of its
// first link and of the checkpoint that follows it; the int32 finish index
// (-1 none); two int32 mesh ids (-1 none); the float pass radius; then the
// mesh object block of each mesh whose id is not -1, in order. Little-endian,
// no magic.
#pragma once

#include "platform/io/BinaryWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CheckpointFileMarker
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    // The direction racers pass it in: they drive towards (sin yaw, 0, cos yaw).
    float yaw = 0.0f;
};

struct CheckpointFileRecord
{
    std::vector<CheckpointFileMarker> markers;
    int32_t link1 = 0;
    int32_t next = 0;
};

struct CheckpointFileDescription
{
    std::vector<CheckpointFileRecord> checkpoints;
    int32_t finish = 0;
    float passRadius = 300.0f;
    // The ordinary marker and the finish; absent ones are written as id -1.
    std::optional<MeshObjectDescription> markerMesh;
    std::optional<MeshObjectDescription> finishMesh;
};

// The yaw a marker needs so racers pass it driving from (x0, z0) towards (x1, z1).
float CheckpointYaw(float x0, float z0, float x1, float z1);

// A closed chain through the markers in order, one marker each, every
// checkpoint linking to the one after it and the last back to the first;
// checkpoint 0 is the finish.
CheckpointFileDescription MakeCheckpointLoop(const std::vector<CheckpointFileMarker>& markers,
                                             float passRadius);

BinaryWriter BuildCheckpointFile(const CheckpointFileDescription& description);
bool WriteCheckpointFile(const std::string& path, const CheckpointFileDescription& description);
