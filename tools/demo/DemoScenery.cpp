// Placing the demo islands' scenery beside their tracks.
#include "tools/demo/DemoScenery.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoNoise.h"
#include "tools/demo/DemoSceneryMeshes.h"
#include "tools/demo/DemoWaypoints.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr float kTwoPi = 6.2831853f;
enum StaticType
{
    kRockA,
    kRockB,
    kHut,
    kCrate,
    kArch,
    kTarget0,
    kTarget1,
    kTarget2,
    kTypeCount
};
constexpr float kArchSpan = 2.0f * (kDemoTrackHalfWidth + 120.0f);

float Hash(uint32_t a, uint32_t b)
{
    uint32_t h = a * 2654435761u ^ (b + 0x9E3779B9u) * 40503u;
    h ^= h >> 15, h *= 2246822519u, h ^= h >> 13;
    return float(h & 0xFFFFFF) / float(0x1000000);
}

// Where the track runs: its points, for the keep-off test and the placement.
struct Track
{
    std::vector<TrackPoint> points;
    float DistanceTo(float x, float z) const
    {
        float best = 1e30f;
        for (const TrackPoint& p : points)
            best = std::fmin(best, (p.x - x) * (p.x - x) + (p.z - z) * (p.z - z));
        return std::sqrt(best);
    }
    // The unit direction of travel at point i.
    D3DXVECTOR2 Direction(size_t i) const
    {
        const TrackPoint& a = points[i];
        const TrackPoint& b = points[(i + 1) % points.size()];
        D3DXVECTOR2 d(b.x - a.x, b.z - a.z);
        const float length = std::sqrt(d.x * d.x + d.y * d.y);
        return length > 0 ? d / length : D3DXVECTOR2(1, 0);
    }
};

bool Dry(const Heightfield& field, float x, float z, float margin)
{
    return x > 0 && z > 0 && x < kIslandSize && z < kIslandSize &&
           field.HeightAt(x, z) > kIslandWaterLevel + margin;
}

ShapeBoxRecord Shape(D3DXVECTOR3 offset, D3DXVECTOR3 size)
{
    return {offset, size, {0, 0, 0}};
}

std::vector<StaticObjectTypeDescription> StaticTypes()
{
    std::vector<StaticObjectTypeDescription> types(kTypeCount);
    const char* names[kTypeCount] = {"rock", "boulder", "hut", "crate", "arch", "target", "target", "target"};
    for (int i = 0; i < kTypeCount; ++i)
        types[size_t(i)].name = names[i];
    types[kRockA].mesh = RockMesh(1, 1);
    types[kRockB].mesh = RockMesh(2, 2);
    for (int rock : {kRockA, kRockB})
        types[size_t(rock)].shapes.spheres.push_back(Shape({0, 40, 0}, {120, 120, 120}));
    types[kHut].mesh = HutMesh(3);
    types[kHut].shapes.boxes.push_back(Shape({0, 100, 0}, {360, 240, 300}));
    types[kCrate].mesh = CrateMesh(4);
    types[kCrate].viewDistance = 9000.0f;
    types[kCrate].shapes.boxes.push_back(Shape({0, 60, 0}, {120, 120, 120}));
    types[kArch].mesh = ArchMesh(5, kArchSpan);
    for (float x : {-kArchSpan * 0.5f, kArchSpan * 0.5f})
        types[kArch].shapes.boxes.push_back(
            Shape({x, kArchClearance * 0.5f, 0}, {80, kArchClearance + 140, 80}));
    types[kArch].shapes.boxes.push_back(Shape({0, kArchClearance + 50, 0}, {kArchSpan + 180, 100, 100}));
    const float powers[3] = {99.0f, 98.0f, 100.0f};
    for (int i = 0; i < 3; ++i)
    {
        StaticObjectTypeDescription& target = types[size_t(kTarget0 + i)];
        target.mesh = TargetMesh(uint32_t(6 + i), powers[i]);
        target.shapes.boxes.push_back(Shape({0, 210, 0}, {180, 180, 20}));
        target.shapes.cylinders.push_back({{0, 40, 0}, 160.0f, 15.0f, {0, 0, 0}});
    }
    return types;
}

StaticObjectPlacement Place(int type, float x, float z, float yaw, float scale, const Heightfield& field)
{
    StaticObjectPlacement p;
    p.type = type;
    p.position = D3DXVECTOR3(x, field.HeightAt(x, z), z);
    p.rotation = D3DXVECTOR3(yaw, 0, 0);
    p.scale = p.collisionScale = scale;
    return p;
}

void PlaceRoadside(int number, const Track& track, const Heightfield& field, StaticObjectsDescription& d)
{
    for (size_t i = 12; i < track.points.size(); i += 9)
    {
        const D3DXVECTOR2 dir = track.Direction(i);
        const float r = Hash(uint32_t(number), uint32_t(i));
        const float side = (i / 9) % 2 ? 1.0f : -1.0f;
        const float offset = kDemoTrackHalfWidth + 280.0f + 250.0f * r;
        const float x = track.points[i].x - dir.y * side * offset,
                    z = track.points[i].z + dir.x * side * offset;
        if (!Dry(field, x, z, 25.0f) || track.DistanceTo(x, z) < kDemoTrackHalfWidth + 220.0f)
            continue;
        const float yaw = kTwoPi * Hash(uint32_t(i), 77u);
        if (r < 0.45f)
            d.instances.push_back(Place(r < 0.22f ? kRockA : kRockB, x, z, yaw, 0.8f + 2.0f * r, field));
        else if (r < 0.7f)
            d.instances.push_back(Place(kHut, x, z, std::atan2(dir.x, dir.y), 1.0f, field));
        else
            for (int c = 0; c < 3; ++c)
                d.instances.push_back(
                    Place(kCrate, x + float(c % 2) * 140.0f, z + float(c / 2) * 140.0f, yaw, 1.0f, field));
    }
}

void PlaceArch(const Track& track, const Heightfield& field, StaticObjectsDescription& d)
{
    const size_t i = track.points.size() / 4;
    const D3DXVECTOR2 dir = track.Direction(i);
    d.instances.push_back(
        Place(kArch, track.points[i].x, track.points[i].z, std::atan2(dir.x, dir.y), 1.0f, field));
}

// The tutorial's three target classes, left of the track after the start.
void PlaceTargets(const Track& track, const Heightfield& field, StaticObjectsDescription& d)
{
    for (int t = 0; t < 3; ++t)
    {
        const size_t i = 4 + size_t(t) * 3;
        const D3DXVECTOR2 dir = track.Direction(i);
        const float offset = kDemoTrackHalfWidth + 350.0f;
        const float x = track.points[i].x - dir.y * offset, z = track.points[i].z + dir.x * offset;
        d.instances.push_back(Place(kTarget0 + t, x, z, std::atan2(dir.y, -dir.x), 1.0f, field));
    }
}

// The target lesson's range on its island: the three classes in turn,
// alternately left and right of the track, enough of them for every round
// of the lesson (27 hits in the last one, each target counted once).
void PlaceTargetRange(const Track& track, const Heightfield& field, StaticObjectsDescription& d)
{
    int placed = 0;
    for (size_t i = 6; i < track.points.size() && placed < kTargetRangeCount; i += 3)
    {
        const D3DXVECTOR2 dir = track.Direction(i);
        const float side = (i / 3) % 2 ? 1.0f : -1.0f;
        const float offset = kDemoTrackHalfWidth + 330.0f;
        const float x = track.points[i].x - dir.y * side * offset,
                    z = track.points[i].z + dir.x * side * offset;
        if (!Dry(field, x, z, 25.0f) || track.DistanceTo(x, z) < kDemoTrackHalfWidth + 220.0f)
            continue;
        d.instances.push_back(
            Place(kTarget0 + placed % 3, x, z, std::atan2(dir.y * side, -dir.x * side), 1.0f, field));
        ++placed;
    }
}

TreeTypeDescription TreeType(MeshObjectDescription mesh, uint32_t billboard, float height)
{
    TreeTypeDescription type;
    type.mesh = std::move(mesh);
    type.nearDistance = 2500.0f;
    type.billboardTextureId = billboard;
    type.billboardSize = height * 0.5f;
    type.alphaReference = 0.5f;
    type.shapes.cylinders.push_back({{0, 150, 0}, 300.0f, 30.0f, {0, 0, 0}});
    return type;
}

D3DXVECTOR2 IslandCentre(const Track& track)
{
    D3DXVECTOR2 centre(0, 0);
    for (const TrackPoint& p : track.points)
        centre += D3DXVECTOR2(p.x, p.z);
    return centre / float(track.points.size());
}
} // namespace

StaticObjectsDescription DemoStaticObjects(int number, const Heightfield& field)
{
    Track track{DemoTrackLine(number, 100.0f)};
    StaticObjectsDescription d;
    d.types = StaticTypes();
    PlaceRoadside(number, track, field, d);
    PlaceArch(track, field, d);
    if (number == 1)
        PlaceTargets(track, field, d);
    if (number == kTargetLessonIsland)
        PlaceTargetRange(track, field, d);
    return d;
}

std::vector<TreeTypeDescription> DemoTrees(int number, const Heightfield& field)
{
    Track track{DemoTrackLine(number, 100.0f)};
    std::vector<TreeTypeDescription> types = {TreeType(PineMesh(10), kPineBillboardId, kPineHeight),
                                              TreeType(PalmMesh(11), kPalmBillboardId, kPalmHeight)};
    constexpr float kStep = 230.0f;
    for (float z = kStep; z < kIslandSize; z += kStep)
        for (float x = kStep; x < kIslandSize; x += kStep)
        {
            const float jx = x + (Hash(uint32_t(x), uint32_t(z)) - 0.5f) * kStep,
                        jz = z + (Hash(uint32_t(z), uint32_t(x)) - 0.5f) * kStep;
            if (!Dry(field, jx, jz, 20.0f))
                continue;
            const float h = field.HeightAt(jx, jz) - kIslandWaterLevel;
            const bool beach = h < kBeachRise + 60.0f;
            const float wood = Fbm(jx / 2500.0f, jz / 2500.0f, uint32_t(number) * 31u, 3);
            if (wood < (beach ? 0.62f : 0.5f) || track.DistanceTo(jx, jz) < kDemoTrackHalfWidth + 200.0f)
                continue;
            TreePlacement tree;
            tree.position = D3DXVECTOR3(jx, field.HeightAt(jx, jz) - 10.0f, jz);
            tree.scale = 0.8f + 0.5f * Hash(uint32_t(jx), 5u);
            tree.rotation = D3DXVECTOR3(kTwoPi * Hash(uint32_t(jz), 9u), 0, 0);
            types[beach ? 1 : 0].trees.push_back(tree);
        }
    return types;
}

std::vector<PathObjectDescription> DemoMovingScenery(int number, const Heightfield& field)
{
    Track track{DemoTrackLine(number, 100.0f)};
    const D3DXVECTOR2 centre = IslandCentre(track);
    std::vector<D3DXVECTOR3> ring;
    for (int k = 0; k < 8; ++k)
    {
        const float a = kTwoPi * float(k) / 8.0f;
        const D3DXVECTOR2 out(std::cos(a), std::sin(a));
        float r = 1000.0f;
        for (int wet = 0; wet < 4 && r < kIslandSize; r += 250.0f)
        {
            const D3DXVECTOR2 p = centre + out * r;
            wet = field.HeightAt(p.x, p.y) < kIslandWaterLevel - 120.0f ? wet + 1 : 0;
        }
        const D3DXVECTOR2 p = centre + out * (r + 800.0f);
        ring.emplace_back(std::fmin(std::fmax(p.x, 2000.0f), kIslandSize - 2000.0f),
                          kIslandWaterLevel - 20.0f,
                          std::fmin(std::fmax(p.y, 2000.0f), kIslandSize - 2000.0f));
    }
    PathObjectDescription ferry;
    ferry.nodes = MakePathLoop(ring);
    ferry.nodes[0].flag = 1;
    ferry.waitTime = 3000;
    ferry.mesh = FerryMesh(20);
    ferry.speed = 450.0f;
    ferry.shapes.boxes.push_back(Shape({0, -20, 0}, {520, 160, 1040}));
    ferry.shapes.boxes.push_back(Shape({0, 150, 360}, {240, 180, 200}));
    return {ferry};
}

bool WriteDemoScenery(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount && ok; ++number)
    {
        const Heightfield field = DemoIslandHeightfield(number);
        const std::string n = std::to_string(number);
        ok = BuildStaticObjectsFile(DemoStaticObjects(number, field))
                 .SaveToFile(dataDir + "Map" + n + ".sob") &&
             BuildTreesFile(DemoTrees(number, field)).SaveToFile(dataDir + "MapT" + n + ".trs") &&
             BuildPathFile(DemoMovingScenery(number, field)).SaveToFile(dataDir + "Map" + n + ".pf");
    }
    return ok;
}
} // namespace demo
