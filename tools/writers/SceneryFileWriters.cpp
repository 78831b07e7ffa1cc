// The scenery files' writers.
#include "tools/writers/SceneryFileWriters.h"

#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"

namespace
{
void WriteVector(BinaryWriter& file, const D3DXVECTOR3& v)
{
    file.WriteFloat(v.x);
    file.WriteFloat(v.y);
    file.WriteFloat(v.z);
}

void WriteBoxes(BinaryWriter& file, const std::vector<ShapeBoxRecord>& boxes, bool trailingWord)
{
    file.WriteUInt32(uint32_t(boxes.size()));
    for (const ShapeBoxRecord& box : boxes)
    {
        WriteVector(file, box.offset);
        WriteVector(file, box.size);
        WriteVector(file, box.rotation);
        if (trailingWord)
            file.WriteUInt32(0);
    }
}
} // namespace

void WriteShapeRecords(BinaryWriter& file, const ShapeRecords& shapes, bool trailingWord)
{
    WriteBoxes(file, shapes.boxes, trailingWord);
    WriteBoxes(file, shapes.spheres, trailingWord);
    file.WriteUInt32(uint32_t(shapes.cylinders.size()));
    for (const ShapeCylinderRecord& cylinder : shapes.cylinders)
    {
        WriteVector(file, cylinder.offset);
        file.WriteFloat(cylinder.length);
        file.WriteFloat(cylinder.radius);
        WriteVector(file, cylinder.rotation);
        if (trailingWord)
            file.WriteUInt32(0);
    }
}

BinaryWriter BuildStaticObjectsFile(const StaticObjectsDescription& description)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(description.types.size()));
    for (const StaticObjectTypeDescription& type : description.types)
        WriteMeshObjectBlock(file, type.mesh);
    for (const StaticObjectTypeDescription& type : description.types)
    {
        WriteString(type.name.c_str(), file);
        file.WriteInt32(type.wordA);
        file.WriteInt32(type.wordB);
        file.WriteFloat(type.factor);
        file.WriteFloat(type.viewDistance);
        WriteShapeRecords(file, type.shapes, false);
    }
    file.WriteUInt32(uint32_t(description.instances.size()));
    for (const StaticObjectPlacement& instance : description.instances)
    {
        file.WriteInt32(instance.type);
        WriteVector(file, instance.position);
        WriteVector(file, instance.rotation);
        file.WriteFloat(instance.scale);
        file.WriteFloat(instance.collisionScale);
    }
    return file;
}

BinaryWriter BuildTreesFile(const std::vector<TreeTypeDescription>& types)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(types.size()));
    for (const TreeTypeDescription& type : types)
    {
        WriteMeshObjectBlock(file, type.mesh);
        file.WriteFloat(type.nearDistance);
        file.WriteUInt32(type.billboardTextureId);
        file.WriteFloat(type.billboardSize);
        file.WriteFloat(type.alphaReference);
        WriteShapeRecords(file, type.shapes, true);
        file.WriteUInt32(uint32_t(type.trees.size()));
        for (const TreePlacement& tree : type.trees)
        {
            WriteVector(file, tree.position);
            file.WriteFloat(tree.scale);
            WriteVector(file, tree.rotation);
        }
    }
    return file;
}

std::vector<PathNodeRecord> MakePathLoop(const std::vector<D3DXVECTOR3>& points)
{
    std::vector<PathNodeRecord> nodes(points.size());
    const int32_t n = int32_t(points.size());
    for (int32_t i = 0; i < n; ++i)
    {
        nodes[size_t(i)].position = points[size_t(i)];
        nodes[size_t(i)].previous = (i + n - 1) % n;
        nodes[size_t(i)].next = (i + 1) % n;
    }
    return nodes;
}

BinaryWriter BuildPathFile(const std::vector<PathObjectDescription>& objects)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(objects.size()));
    for (const PathObjectDescription& object : objects)
    {
        file.WriteUInt32(uint32_t(object.nodes.size()));
        for (const PathNodeRecord& node : object.nodes)
        {
            WriteVector(file, node.position);
            file.WriteUInt8(node.flag);
            file.WriteInt32(node.previous);
            file.WriteInt32(node.next);
        }
        WriteMeshObjectBlock(file, object.mesh);
        file.WriteFloat(object.scale);
        file.WriteFloat(object.speed);
        file.WriteFloat(object.yawOffset);
        file.WriteInt32(object.waitTime);
        file.WriteInt32(object.reverse);
        WriteShapeRecords(file, object.shapes, false);
    }
    return file;
}
