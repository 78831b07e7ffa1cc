// Items along the demo tracks; meshes are small coloured boxes and pyramids
// made from the island's own pictures.
#include "tools/demo/DemoTrackItems.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoSmallFurniturePictures.h"
#include "tools/demo/DemoWaypoints.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr float kItemSpacing = 500.0f;
constexpr float kFloat = 45.0f;

// Each kind's mesh: a box whose size tells the kinds apart, lit in its own colour.
MeshObjectDescription KindMesh(int kind, uint32_t textureId)
{
    static const float sizes[10][3] = {{8, 8, 8},    {12, 6, 20},  {16, 8, 24},  {18, 14, 18}, {18, 14, 18},
                                       {18, 14, 18}, {18, 14, 18}, {14, 22, 14}, {16, 16, 16}, {16, 16, 16}};
    static const float colours[10][3] = {{1, .85f, .2f}, {.9f, .8f, .3f}, {1, .9f, .4f},   {1, .4f, .1f},
                                         {.3f, .7f, 1},  {.8f, .8f, .2f}, {.6f, .3f, .1f}, {.2f, 1, .4f},
                                         {1, .2f, .8f},  {.3f, .4f, 1}};
    MeshObjectDescription mesh =
        MakeBoxMesh(D3DXVECTOR3(sizes[kind][0], sizes[kind][1], sizes[kind][2]), textureId, uint32_t(kind));
    D3DMATERIAL9& m = mesh.materials[0].material;
    m.Diffuse = {colours[kind][0], colours[kind][1], colours[kind][2], 1.0f};
    m.Ambient = m.Diffuse;
    m.Emissive = {0.35f * colours[kind][0], 0.35f * colours[kind][1], 0.35f * colours[kind][2], 0.0f};
    return mesh;
}
} // namespace

TrackItemsFile DemoTrackItems(int number)
{
    const Heightfield field = DemoIslandHeightfield(number);
    TrackItemsFile file;
    file.textureId = uint32_t(kCoinPictureId);
    for (int k = 0; k < TrackItemsFile::kMeshKinds; ++k)
        file.meshes[size_t(k)] = KindMesh(k, uint32_t(kSpeckledPictureId));
    const std::vector<TrackPoint> line = DemoTrackLine(number, kItemSpacing);
    int nextType = 1;
    for (size_t i = 2; i < line.size(); ++i)
    {
        const TrackPoint& p = line[i];
        const TrackPoint& q = line[(i + 1) % line.size()];
        const float dx = q.x - p.x, dz = q.z - p.z, length = std::hypot(dx, dz);
        const float yaw = std::atan2(-dz, dx);
        if (i % 2 == 0)
        {
            // Three coins across the road.
            for (int across = -1; across <= 1; ++across)
            {
                const float x = p.x - dz / length * 80.0f * float(across);
                const float z = p.z + dx / length * 80.0f * float(across);
                file.items.push_back(MakeTrackItem(0, x, field.HeightAt(x, z) + 10.0f, z, 0.0f));
            }
            continue;
        }
        file.items.push_back(MakeTrackItem(nextType, p.x, field.HeightAt(p.x, p.z) + kFloat, p.z, yaw));
        nextType = nextType % 10 + 1;
    }
    PlaceTrackItems(file);
    return file;
}

bool WriteDemoTrackItems(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        ok = ok &&
             WriteTrackItemsFile(dataDir + "Map" + std::to_string(number) + ".zph", DemoTrackItems(number));
    return ok;
}
} // namespace demo
