// Writers of the island's scenery files: the static objects (Map%d.sob), the
// trees (MapT%d.trs) and the moving scenery (Map%d.pf). Each file is a list
// of mesh object blocks with collision shapes and placements, little-endian,
// no magic. The descriptions hold what a designer places; the writers add
// the counts. Tests that want a broken file edit the bytes afterwards.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstdint>
#include <string>
#include <vector>

#include "platform/io/BinaryWriter.h"

// A box or sphere (the sphere's radius is size y): full lengths, yaw/pitch/roll.
struct ShapeBoxRecord
{
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 size{100.0f, 100.0f, 100.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
};

struct ShapeCylinderRecord
{
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    float length = 100.0f;
    float radius = 20.0f;
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
};

struct ShapeRecords
{
    std::vector<ShapeBoxRecord> boxes;
    std::vector<ShapeBoxRecord> spheres;
    std::vector<ShapeCylinderRecord> cylinders;
};

// The three lists as counts and records; trailingWord adds the trees' spare
// u32 (written 0) after every record.
void WriteShapeRecords(BinaryWriter& file, const ShapeRecords& shapes, bool trailingWord);

struct StaticObjectTypeDescription
{
    MeshObjectDescription mesh;
    std::string name = "object";
    int32_t wordA = 0;
    int32_t wordB = 0;
    float factor = 1.0f;
    float viewDistance = 20000.0f;
    ShapeRecords shapes;
};

struct StaticObjectPlacement
{
    int32_t type = 0;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    float collisionScale = 1.0f;
};

struct StaticObjectsDescription
{
    std::vector<StaticObjectTypeDescription> types;
    std::vector<StaticObjectPlacement> instances;
};

BinaryWriter BuildStaticObjectsFile(const StaticObjectsDescription& description);

struct TreePlacement
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
};

struct TreeTypeDescription
{
    MeshObjectDescription mesh;
    float nearDistance = 3000.0f;
    uint32_t billboardTextureId = 0;
    float billboardSize = 150.0f; // half the width; the height is twice it
    float alphaReference = 0.5f;
    ShapeRecords shapes;
    std::vector<TreePlacement> trees;
};

BinaryWriter BuildTreesFile(const std::vector<TreeTypeDescription>& types);

struct PathNodeRecord
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    uint8_t flag = 0; // 1: a stop node
    int32_t previous = 0;
    int32_t next = 0;
};

struct PathObjectDescription
{
    std::vector<PathNodeRecord> nodes;
    MeshObjectDescription mesh;
    float scale = 1.0f;
    float speed = 500.0f;
    float yawOffset = 0.0f;
    int32_t waitTime = 0;
    int32_t reverse = 0;
    ShapeRecords shapes;
};

// Nodes linked as a closed loop in the given order.
std::vector<PathNodeRecord> MakePathLoop(const std::vector<D3DXVECTOR3>& points);
BinaryWriter BuildPathFile(const std::vector<PathObjectDescription>& objects);
