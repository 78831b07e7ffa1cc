// qv7-dump kind of DatA.dat: every object as the buggy database keeps it
// (names, values, mesh summary, mounts, chain links and physics definition)
// and the four lists, as item indices. Meshes are made on a null device.
#include "platform/gfx/D3D9.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"

#include <vector>

namespace
{
void Vector(JsonWriter& out, const std::string& key, const float* v)
{
    out.NumberArray(key, {v[0], v[1], v[2]});
}

void Parameters(JsonWriter& out, const std::string& key, const JointParameters& parameters)
{
    out.Key(key);
    out.BeginObject();
    out.NumberArray("values",
                    std::vector<double>(parameters.values, parameters.values + JointParameters::COUNT));
    out.NumberArray("flags",
                    std::vector<double>(parameters.flags, parameters.flags + JointParameters::COUNT));
    out.EndObject();
}

void Bodies(JsonWriter& out, const BuggyPhysicsDefinition& physics, const PhysicsBodyDef* a,
            const PhysicsBodyDef* b)
{
    out.Field("a", physics.bodies.IndexOf(a));
    out.Field("b", physics.bodies.IndexOf(b));
}

int PrimitiveIndex(const BuggyPhysicsDefinition& physics, const PrimitiveRef& reference)
{
    if (reference.Box())
        return physics.boxes.IndexOf(reference.Box());
    if (reference.Sphere())
        return physics.spheres.IndexOf(reference.Sphere());
    return physics.cylinders.IndexOf(reference.Cylinder());
}

void DumpBodies(JsonWriter& out, const BuggyPhysicsDefinition& physics)
{
    out.Key("bodies");
    out.BeginArray();
    for (const PhysicsBodyDef* body : physics.bodies)
    {
        out.BeginObject();
        out.Field("name", body->name);
        out.Field("mass", body->mass);
        out.Field("word", body->word);
        out.Field("factor", body->factor);
        out.Field("role", body->role);
        out.Field("id2", body->id2);
        out.Field("id3", body->id3);
        out.Key("primitives");
        out.BeginArray();
        for (const PrimitiveRef* reference : body->primitives)
        {
            out.BeginObject();
            out.Field("kind", reference->kind);
            out.Field("index", PrimitiveIndex(physics, *reference));
            out.EndObject();
        }
        out.EndArray();
        out.EndObject();
    }
    out.EndArray();
}

template <class Primitive, class Extra>
void DumpPrimitives(JsonWriter& out, const char* key, const QV7_Collection<Primitive>& list, Extra extra)
{
    out.Key(key);
    out.BeginArray();
    for (const Primitive* primitive : list)
    {
        out.BeginObject();
        Vector(out, "centre", primitive->centre);
        extra(*primitive);
        Vector(out, "rotation", primitive->rotation);
        out.EndObject();
    }
    out.EndArray();
}

template <class Joint, class Fields>
void DumpJoints(JsonWriter& out, const BuggyPhysicsDefinition& physics, const char* key,
                const QV7_Collection<Joint>& list, Fields fields)
{
    out.Key(key);
    out.BeginArray();
    for (const Joint* joint : list)
    {
        out.BeginObject();
        Bodies(out, physics, joint->a, joint->b);
        fields(*joint);
        out.EndObject();
    }
    out.EndArray();
}

void DumpTwoAxis(JsonWriter& out, const BuggyPhysicsDefinition& physics, const char* key,
                 const QV7_Collection<TwoAxisJointDef>& list)
{
    DumpJoints(out, physics, key, list,
               [&](const TwoAxisJointDef& j)
               {
                   Parameters(out, "parameters1", j.parameters1);
                   Parameters(out, "parameters2", j.parameters2);
                   Vector(out, "anchor", j.anchor);
                   Vector(out, "axis1", j.axis1);
                   Vector(out, "axis2", j.axis2);
               });
}

void DumpAllJoints(JsonWriter& out, const BuggyPhysicsDefinition& physics)
{
    DumpJoints(out, physics, "ballJoints", physics.ballJoints,
               [&](const BallJointDef& j) { Vector(out, "anchor", j.anchor); });
    DumpJoints(out, physics, "hingeJoints", physics.hingeJoints,
               [&](const HingeJointDef& j)
               {
                   Parameters(out, "parameters", j.parameters);
                   Vector(out, "anchor", j.anchor);
                   Vector(out, "axis", j.axis);
               });
    DumpJoints(out, physics, "sliderJoints", physics.sliderJoints,
               [&](const OneAxisJointDef& j)
               {
                   Parameters(out, "parameters", j.parameters);
                   Vector(out, "axis", j.axis);
               });
    DumpTwoAxis(out, physics, "universalJoints", physics.universalJoints);
    DumpTwoAxis(out, physics, "hinge2Joints", physics.hinge2Joints);
    DumpJoints(out, physics, "motorJoints", physics.motorJoints,
               [&](const ThreeAxisJointDef& j)
               {
                   out.Field("rel0", j.rel0);
                   out.Field("rel2", j.rel2);
                   for (int axis = 0; axis < 3; ++axis)
                       Parameters(out, "parameters" + std::to_string(axis), j.parameters[axis]);
                   Vector(out, "axis0", j.axis0);
                   Vector(out, "axis2", j.axis2);
               });
}

int JointIndex(const BuggyPhysicsDefinition& physics, const JointRef& reference)
{
    for (int i = 0; i < physics.JointCount(reference.kind); ++i)
        if (physics.JointAt(reference.kind, i) == reference.record)
            return i;
    return -1;
}

void DumpPhysics(JsonWriter& out, const BuggyPhysicsDefinition& physics)
{
    out.Key("physics");
    out.BeginObject();
    DumpPrimitives(out, "boxes", physics.boxes,
                   [&](const CollisionBoxDef& p) { Vector(out, "size", p.size); });
    DumpPrimitives(out, "spheres", physics.spheres,
                   [&](const CollisionSphereDef& p) { Vector(out, "size", p.size); });
    DumpPrimitives(out, "cylinders", physics.cylinders,
                   [&](const CollisionCylinderDef& p)
                   {
                       out.Field("radius", p.radius);
                       out.Field("length", p.length);
                   });
    DumpBodies(out, physics);
    DumpAllJoints(out, physics);
    out.Key("jointOrder");
    out.BeginArray();
    for (const JointRef* reference : physics.jointOrder)
    {
        out.BeginObject();
        out.Field("kind", reference->kind);
        out.Field("index", JointIndex(physics, *reference));
        out.EndObject();
    }
    out.EndArray();
    out.Key("markers");
    out.BeginArray();
    for (const PhysicsNameRecord* marker : physics.markers)
    {
        out.BeginObject();
        out.Field("name", marker->name);
        Vector(out, "position", marker->values);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
}

void DumpMesh(JsonWriter& out, const BuggyMesh* mesh)
{
    out.Key("mesh");
    if (!mesh)
    {
        out.Null();
        return;
    }
    out.BeginObject();
    out.Field("id", mesh->m_Id);
    out.Field("subsets", mesh->m_SubsetCount);
    out.Field("faces", mesh->m_FaceCount);
    out.Field("vertices", mesh->m_VertexCount);
    out.NumberArray("sphereCentre", {mesh->m_SphereCentre.x, mesh->m_SphereCentre.y, mesh->m_SphereCentre.z});
    out.Field("sphereRadius", mesh->m_SphereRadius);
    out.NumberArray("boxMin", {mesh->m_BoxMin.x, mesh->m_BoxMin.y, mesh->m_BoxMin.z});
    out.NumberArray("boxMax", {mesh->m_BoxMax.x, mesh->m_BoxMax.y, mesh->m_BoxMax.z});
    out.EndObject();
}

void DumpObject(JsonWriter& out, const QV7_BuggyMeshSystem& system, const QV7_DataBase_MeshObject& object)
{
    out.BeginObject();
    out.Key("names");
    out.BeginArray();
    for (const ItemNamePair* pair : object.names)
    {
        out.BeginArray();
        out.String(pair->name);
        out.String(pair->description);
        out.EndArray();
    }
    out.EndArray();
    out.Field("type", object.type);
    out.Field("flag", object.flag);
    out.NumberArray("values", {double(object.value1), double(object.value2), double(object.value3),
                               double(object.value4)});
    out.Field("word", object.word);
    out.Field("parent", system.ItemIndex(object.parent));
    out.Field("child", system.ItemIndex(object.child));
    out.Field("level", object.Level());
    DumpMesh(out, object.mesh);
    out.Key("attachPoints");
    out.BeginArray();
    for (int k = 0; k < ATTACH_MODEL_COUNT; ++k)
    {
        out.BeginObject();
        out.Field("fits", object.attachWords[k]);
        Vector(out, "position", object.attachPoints[k].position);
        Vector(out, "rotation", object.attachPoints[k].rotation);
        out.EndObject();
    }
    out.EndArray();
    DumpPhysics(out, object.physics);
    out.EndObject();
}

void DumpList(JsonWriter& out, const QV7_BuggyMeshSystem& system, const char* key,
              const std::vector<QV7_DataBase_MeshObject*>& list)
{
    std::vector<double> indices;
    for (const QV7_DataBase_MeshObject* object : list)
        indices.push_back(system.ItemIndex(object));
    out.NumberArray(key, indices);
}
} // namespace

bool DumpBuggyDatabase(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    if (!device.Device())
        return false;
    QV7_BuggyMeshSystem system;
    BinaryReader file;
    if (!file.OpenFile(request.path))
        return false;
    system.Read(file, nullptr, device.Device());
    out.BeginObject();
    out.Key("objects");
    out.BeginArray();
    for (const QV7_DataBase_MeshObject* object : system.objects)
        DumpObject(out, system, *object);
    out.EndArray();
    DumpList(out, system, "models", system.models);
    DumpList(out, system, "equipment", system.equipment);
    DumpList(out, system, "extras", system.extras);
    out.EndObject();
    return true;
}

bool MatchesBuggyDatabase(const std::string& fileName)
{
    return MatchesName(fileName, "DatA.dat");
}
