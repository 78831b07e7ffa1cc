// Checkpoints are taken at even steps along the same line the waypoints and
// the mini-maps follow; the finish stands on the highest ground of its start
// grid so that no racer is put down inside a slope.
#include "tools/demo/DemoCheckpoints.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <algorithm>
#include <cmath>

namespace demo
{
namespace
{
// Across the road: the markers are drawn at 0.45, so this spans about 530 units.
constexpr float kGateHalfSpan = 590.0f;
constexpr float kPostHalf = 35.0f;
constexpr float kPostDrop = 520.0f;
// Behind the finish, where the start grid's six slots lie (track units).
constexpr float kGridDepth = 800.0f;
constexpr float kGridHalfWidth = 200.0f;

MeshObjectMaterial Coloured(float r, float g, float b)
{
    MeshObjectMaterial m;
    m.material.Diffuse = {r, g, b, 1.0f};
    m.material.Ambient = {r, g, b, 1.0f};
    // A little glow keeps them readable against the sky and in shade.
    m.material.Emissive = {r * 0.35f, g * 0.35f, b * 0.35f, 1.0f};
    return m;
}

// Appends part's faces to mesh as subset, moved by offset.
void Add(MeshObjectDescription& mesh, const MeshObjectDescription& part, uint32_t subset,
         const D3DXVECTOR3& offset)
{
    const uint16_t base = uint16_t(mesh.vertices.size());
    for (MeshVertex v : part.vertices)
    {
        v.position[0] += offset.x, v.position[1] += offset.y, v.position[2] += offset.z;
        mesh.vertices.push_back(v);
    }
    for (MeshObjectFace f : part.faces)
        mesh.faces.push_back({uint16_t(f.a + base), uint16_t(f.b + base), uint16_t(f.c + base), subset});
}

void AddBox(MeshObjectDescription& mesh, const D3DXVECTOR3& centre, const D3DXVECTOR3& half, uint32_t subset)
{
    Add(mesh, MakeBoxMesh(half, 0), subset, centre);
}

// The two posts hanging from the ends of a banner.
void AddPosts(MeshObjectDescription& mesh, uint32_t subset)
{
    for (float side : {-kGateHalfSpan, kGateHalfSpan})
        AddBox(mesh, D3DXVECTOR3(0.0f, -kPostDrop * 0.5f, side),
               D3DXVECTOR3(kPostHalf, kPostDrop * 0.5f, kPostHalf), subset);
}

float Rising(const Heightfield& field, const TrackPoint& p, const TrackPoint& ahead)
{
    // The grid lies behind the finish, against the direction of travel.
    const float dx = ahead.x - p.x, dz = ahead.z - p.z, length = std::hypot(dx, dz);
    const float fx = length > 0.0f ? dx / length : 1.0f, fz = length > 0.0f ? dz / length : 0.0f;
    float highest = field.HeightAt(p.x, p.z);
    for (float back = 0.0f; back <= kGridDepth; back += 100.0f)
        for (float side : {-kGridHalfWidth, 0.0f, kGridHalfWidth})
            highest =
                std::max(highest, field.HeightAt(p.x - fx * back - fz * side, p.z - fz * back + fx * side));
    return highest;
}
} // namespace

MeshObjectDescription DemoCheckpointMesh()
{
    MeshObjectDescription mesh;
    mesh.id = 0;
    mesh.materials = {Coloured(1.0f, 0.55f, 0.1f), Coloured(0.2f, 0.5f, 1.0f)};
    AddBox(mesh, D3DXVECTOR3(0.0f, 0.0f, 0.0f), D3DXVECTOR3(30.0f, 45.0f, kGateHalfSpan + kPostHalf), 0);
    AddPosts(mesh, 0);
    // The arrow points down at the road from under the banner's middle.
    Add(mesh, MakeArrowMesh(260.0f, 70.0f, 0), 1, D3DXVECTOR3(0.0f, -330.0f, 0.0f));
    return mesh;
}

MeshObjectDescription DemoFinishMesh()
{
    MeshObjectDescription mesh;
    mesh.id = 1;
    mesh.materials = {Coloured(0.95f, 0.95f, 0.95f), Coloured(0.08f, 0.08f, 0.08f)};
    constexpr int kColumns = 12, kRows = 3;
    constexpr float kSquare = 2.0f * kGateHalfSpan / float(kColumns);
    for (int row = 0; row < kRows; ++row)
        for (int column = 0; column < kColumns; ++column)
        {
            const float z = -kGateHalfSpan + (float(column) + 0.5f) * kSquare;
            const float y = (float(row) - 1.0f) * kSquare;
            AddBox(mesh, D3DXVECTOR3(0.0f, y, z), D3DXVECTOR3(20.0f, kSquare * 0.5f, kSquare * 0.5f),
                   uint32_t((row + column) % 2));
        }
    AddPosts(mesh, 0);
    return mesh;
}

CheckpointFileDescription DemoCheckpoints(int number, const Heightfield& field)
{
    const std::vector<TrackPoint> line = DemoTrackLine(number);
    std::vector<CheckpointFileMarker> markers;
    for (int i = 0; i < kDemoCheckpointCount; ++i)
    {
        const size_t at = size_t(i) * line.size() / kDemoCheckpointCount;
        const TrackPoint& p = line[at];
        const TrackPoint& ahead = line[(at + 1) % line.size()];
        CheckpointFileMarker m;
        m.x = p.x, m.z = p.z;
        m.y = i == 0 ? Rising(field, p, ahead) : field.HeightAt(p.x, p.z);
        m.yaw = CheckpointYaw(p.x, p.z, ahead.x, ahead.z);
        markers.push_back(m);
    }
    CheckpointFileDescription description = MakeCheckpointLoop(markers, kDemoPassRadius);
    description.markerMesh = DemoCheckpointMesh();
    description.finishMesh = DemoFinishMesh();
    return description;
}

bool WriteDemoCheckpoints(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        ok = ok && WriteCheckpointFile(dataDir + "Map" + std::to_string(number) + ".chk",
                                       DemoCheckpoints(number, DemoIslandHeightfield(number)));
    return ok;
}
} // namespace demo
