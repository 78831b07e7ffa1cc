// qv7-dump Map%d.chk: an island's checkpoints as the race loader links them
// (every checkpoint's markers, its links by index, the finish, the pass
// radius and the two meshes' subsets and bounds) and the start grid's pose.
#include "race/QV7_Checkpoint.h"
#include "race/QV7_PhysicsGroup.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"
#include "world/MeshObject.h"

namespace
{
void Checkpoint(JsonWriter& out, const QV7_Checkpoint& system, int index)
{
    const CheckpointRecord& c = *system.checkpoints[index];
    out.BeginObject();
    out.Field("index", index);
    out.Key("markers");
    out.BeginArray();
    for (const CheckpointMarker& m : c.markers)
    {
        out.BeginObject();
        out.NumberArray("position", {m.x, m.y, m.z});
        out.Field("yaw", m.yaw);
        out.EndObject();
    }
    out.EndArray();
    out.Field("link1", system.IndexOf(c.link1));
    out.Field("next", system.IndexOf(c.next));
    out.EndObject();
}

void Mesh(JsonWriter& out, const MeshObject& mesh)
{
    out.BeginObject();
    out.Field("loaded", mesh.m_VertexBuffer != nullptr);
    out.Field("subsets", int(mesh.m_SubsetCount));
    out.Field("faces", int(mesh.m_FaceCount));
    out.NumberArray("sphereCentre", {mesh.m_SphereCentre.x, mesh.m_SphereCentre.y, mesh.m_SphereCentre.z});
    out.Field("sphereRadius", mesh.m_SphereRadius);
    out.EndObject();
}
} // namespace

bool DumpCheckpoints(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    QV7_Checkpoint system;
    system.Load(request.path, nullptr);
    out.BeginObject();
    out.Field("kind", "Map%d.chk");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Field("count", system.checkpoints.Count());
    out.Field("finish", system.IndexOf(system.finish));
    out.Field("passRadius", system.passRadius);
    out.Key("checkpoints");
    out.BeginArray();
    for (int i = 0; i < system.checkpoints.Count(); ++i)
        Checkpoint(out, system, i);
    out.EndArray();
    out.Key("meshes");
    out.BeginArray();
    for (const MeshObject* mesh : system.meshes)
        Mesh(out, *mesh);
    out.EndArray();
    StartGridPose start;
    if (system.FindStartPose(&start))
    {
        out.Key("start");
        out.BeginObject();
        out.NumberArray("position", {start.position.x, start.position.y, start.position.z});
        out.Field("yaw", start.yaw);
        out.EndObject();
    }
    out.EndObject();
    return true;
}
