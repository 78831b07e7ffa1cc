// qv7-dump Map%d.sob, MapT%d.trs, Map%d.pf: the island's scenery as the race
// loader reads it, with the static geoms it makes (in a space of the dump's
// own): static objects with their types, instances, tags and draw list;
// trees with their types and trees; moving scenery with its nodes by index.
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_TreeVegetation.h"

#include <ode/ode.h>

namespace
{
void Vector(JsonWriter& out, const char* key, const D3DXVECTOR3& v)
{
    out.NumberArray(key, {v.x, v.y, v.z});
}

// A collision space for one dump; its geoms go with it.
class DumpSpace
{
  public:
    DumpSpace()
    {
        dInitODE2(0);
        dVector3 centre = {0, 0, 0, 0}, extents = {400, 100, 400, 0};
        m_Space = dQuadTreeSpaceCreate(nullptr, centre, extents, 6);
        dSpaceSetCleanup(m_Space, 1);
        sink.space = m_Space;
        sink.geoms = &geoms;
    }
    ~DumpSpace()
    {
        dSpaceDestroy(m_Space);
        dCloseODE();
    }
    std::vector<dGeomID> geoms;
    StaticGeomSink sink;

  private:
    dSpaceID m_Space;
};

void Shapes(JsonWriter& out, const SceneryShapes& shapes)
{
    out.Key("boxes");
    out.BeginArray();
    for (const CollisionBox& box : shapes.boxes)
    {
        out.BeginObject();
        Vector(out, "offset", box.offset);
        Vector(out, "size", box.size);
        Vector(out, "rotation", box.rotation);
        out.EndObject();
    }
    out.EndArray();
    out.Key("spheres");
    out.BeginArray();
    for (const CollisionSphere& sphere : shapes.spheres)
    {
        out.BeginObject();
        Vector(out, "offset", sphere.offset);
        out.Field("radius", sphere.size.y);
        out.EndObject();
    }
    out.EndArray();
    out.Key("cylinders");
    out.BeginArray();
    for (const CollisionCylinder& cylinder : shapes.cylinders)
    {
        out.BeginObject();
        Vector(out, "offset", cylinder.offset);
        out.Field("length", cylinder.length);
        out.Field("radius", cylinder.radius);
        Vector(out, "rotation", cylinder.rotation);
        out.EndObject();
    }
    out.EndArray();
}

void Mesh(JsonWriter& out, const MeshObject& mesh)
{
    out.Field("meshId", unsigned(mesh.m_Id));
    out.Field("faces", unsigned(mesh.m_FaceCount));
    out.Field("vertices", unsigned(mesh.m_VertexCount));
    out.Field("subsets", unsigned(mesh.m_SubsetCount));
    out.Field("radius", mesh.m_SphereRadius);
}

void StaticTypes(JsonWriter& out, const QV7_Mesh_StaticObjects& objects)
{
    out.Key("types");
    out.BeginArray();
    for (size_t i = 0; i < objects.m_Types.size(); ++i)
    {
        const StaticObjectType& type = *objects.m_Types[i];
        out.BeginObject();
        out.Field("name", type.name);
        out.Field("wordA", type.wordA);
        out.Field("wordB", type.wordB);
        out.Field("factor", type.factor);
        out.Field("viewDistance", type.viewDistance);
        Mesh(out, *objects.m_Meshes[i]);
        out.Field("surfaceClass", QV7_Mesh_StaticObjects::SurfaceClass(*objects.m_Meshes[i]));
        Shapes(out, type.shapes);
        out.EndObject();
    }
    out.EndArray();
}

int TypeIndex(const QV7_Mesh_StaticObjects& objects, const StaticObjectType* type)
{
    for (size_t i = 0; i < objects.m_Types.size(); ++i)
        if (objects.m_Types[i].get() == type)
            return int(i);
    return -1;
}

int InstanceIndex(const QV7_Mesh_StaticObjects& objects, const StaticObjectInstance* instance)
{
    for (size_t i = 0; i < objects.m_Instances.size(); ++i)
        if (objects.m_Instances[i].get() == instance)
            return int(i);
    return -1;
}

void StaticInstances(JsonWriter& out, const QV7_Mesh_StaticObjects& objects)
{
    out.Key("instances");
    out.BeginArray();
    for (const auto& instance : objects.m_Instances)
    {
        out.BeginObject();
        out.Field("type", TypeIndex(objects, instance->type));
        Vector(out, "position", instance->position);
        Vector(out, "rotation", instance->rotation);
        out.Field("scale", instance->scale);
        out.Field("collisionScale", instance->collisionScale);
        out.Field("boundingRadius", instance->boundingRadius);
        out.EndObject();
    }
    out.EndArray();
    out.Key("drawList");
    out.BeginArray();
    for (const StaticDrawItem& item : objects.m_DrawList)
    {
        out.BeginObject();
        out.Field("instance", InstanceIndex(objects, item.instance));
        out.Field("subset", unsigned(item.subset));
        out.Field("changes", std::string(item.textureChanged ? "T" : "-") + (item.meshChanged ? "M" : "-") +
                                 (item.stateChanged ? "S" : "-"));
        out.EndObject();
    }
    out.EndArray();
}
} // namespace

bool DumpStaticObjects(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    DumpSpace space;
    QV7_Mesh_StaticObjects objects;
    objects.Load(request.path, device.Device(), nullptr, space.sink);
    out.BeginObject();
    out.Field("kind", "Map%d.sob");
    out.Field("map", NumberInName(request.fileName, "Map"));
    StaticTypes(out, objects);
    StaticInstances(out, objects);
    out.Field("geoms", unsigned(space.geoms.size()));
    out.Field("tutorialTargets", unsigned(objects.m_TutorialTargets.size()));
    out.EndObject();
    return true;
}

bool DumpTrees(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    DumpSpace space;
    QV7_TreeVegetation trees;
    trees.Load(request.path, device.Device(), nullptr, space.sink);
    out.BeginObject();
    out.Field("kind", "MapT%d.trs");
    out.Field("map", NumberInName(request.fileName, "MapT"));
    out.Key("types");
    out.BeginArray();
    for (const auto& type : trees.m_Types)
    {
        out.BeginObject();
        Mesh(out, type->mesh);
        out.Field("nearDistance", type->nearDistance);
        out.Field("billboardSize", type->billboardSize);
        out.Field("alphaReference", type->alphaReference);
        Shapes(out, type->shapes);
        out.Key("trees");
        out.BeginArray();
        for (const TreeInstance& tree : type->trees)
        {
            out.BeginObject();
            Vector(out, "position", tree.position);
            out.Field("scale", tree.scale);
            Vector(out, "rotation", tree.rotation);
            out.Field("billboardAngle", QV7_TreeVegetation::BillboardAngle(tree.rotation.x));
            out.EndObject();
        }
        out.EndArray();
        out.EndObject();
    }
    out.EndArray();
    out.Field("geoms", unsigned(space.geoms.size()));
    out.EndObject();
    return true;
}

bool DumpMovingScenery(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    DumpSpace space;
    QV7_PathFollowing paths;
    paths.Load(request.path, device.Device(), nullptr, space.sink);
    out.BeginObject();
    out.Field("kind", "Map%d.pf");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Key("objects");
    out.BeginArray();
    for (const auto& object : paths.m_Objects)
    {
        out.BeginObject();
        Mesh(out, object->mesh);
        out.Field("scale", object->scale);
        out.Field("speed", object->speed);
        out.Field("yawOffset", object->yawOffset);
        out.Field("waitTime", object->waitTime);
        out.Field("reverse", object->reverse);
        out.Key("nodes");
        out.BeginArray();
        for (const PathNode& node : object->nodes)
        {
            out.BeginObject();
            Vector(out, "position", node.position);
            out.Field("flag", unsigned(node.flag));
            out.Field("previous", int(node.previous - object->nodes.data()));
            out.Field("next", int(node.next - object->nodes.data()));
            out.EndObject();
        }
        out.EndArray();
        Shapes(out, object->shapes);
        out.EndObject();
    }
    out.EndArray();
    out.Field("geoms", unsigned(space.geoms.size()));
    out.EndObject();
    return true;
}
