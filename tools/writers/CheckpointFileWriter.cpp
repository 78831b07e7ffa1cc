// Map%d.chk, written field by field in file order.
#include "tools/writers/CheckpointFileWriter.h"

#include <cmath>

float CheckpointYaw(float x0, float z0, float x1, float z1)
{
    return std::atan2(x1 - x0, z1 - z0);
}

CheckpointFileDescription MakeCheckpointLoop(const std::vector<CheckpointFileMarker>& markers,
                                             float passRadius)
{
    CheckpointFileDescription description;
    description.passRadius = passRadius;
    const size_t count = markers.size();
    for (size_t i = 0; i < count; ++i)
    {
        CheckpointFileRecord record;
        record.markers.push_back(markers[i]);
        record.link1 = record.next = int32_t((i + 1) % count);
        description.checkpoints.push_back(record);
    }
    description.finish = 0;
    return description;
}

BinaryWriter BuildCheckpointFile(const CheckpointFileDescription& d)
{
    BinaryWriter file;
    file.WriteInt32(int32_t(d.checkpoints.size()));
    for (const CheckpointFileRecord& record : d.checkpoints)
    {
        file.WriteInt32(int32_t(record.markers.size()));
        for (const CheckpointFileMarker& m : record.markers)
        {
            file.WriteFloat(m.x);
            file.WriteFloat(m.y);
            file.WriteFloat(m.z);
            file.WriteFloat(m.yaw);
        }
        file.WriteInt32(record.link1);
        file.WriteInt32(record.next);
    }
    file.WriteInt32(d.finish);
    file.WriteInt32(d.markerMesh ? int32_t(d.markerMesh->id) : -1);
    file.WriteInt32(d.finishMesh ? int32_t(d.finishMesh->id) : -1);
    file.WriteFloat(d.passRadius);
    if (d.markerMesh)
        WriteMeshObjectBlock(file, *d.markerMesh);
    if (d.finishMesh)
        WriteMeshObjectBlock(file, *d.finishMesh);
    return file;
}

bool WriteCheckpointFile(const std::string& path, const CheckpointFileDescription& description)
{
    return BuildCheckpointFile(description).SaveToFile(path);
}
