// Writing DatA.dat: the objects in order, each list preceded by its count.
#include "tools/writers/BuggyDatabaseWriter.h"

#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"

namespace
{
void WriteVector(BinaryWriter& file, const Float3& vector)
{
    for (float value : vector)
        file.WriteFloat(value);
}

void WriteParameters(BinaryWriter& file, const JointParameterSet& parameters)
{
    for (float value : parameters.values)
        file.WriteFloat(value);
    for (int32_t flag : parameters.flags)
        file.WriteInt32(flag);
}

void WriteCount(BinaryWriter& file, size_t count)
{
    file.WriteUInt32(uint32_t(count));
}

void WritePrimitives(BinaryWriter& file, const PhysicsDefinitionDescription& physics)
{
    WriteCount(file, physics.boxes.size());
    for (const PhysicsBoxDescription& box : physics.boxes)
        WriteVector(file, box.centre), WriteVector(file, box.size), WriteVector(file, box.rotation);
    WriteCount(file, physics.spheres.size());
    for (const PhysicsSphereDescription& sphere : physics.spheres)
        WriteVector(file, sphere.centre), WriteVector(file, sphere.size), WriteVector(file, sphere.rotation);
    WriteCount(file, physics.cylinders.size());
    for (const PhysicsCylinderDescription& cylinder : physics.cylinders)
    {
        WriteVector(file, cylinder.centre);
        file.WriteFloat(cylinder.radius);
        file.WriteFloat(cylinder.length);
        WriteVector(file, cylinder.rotation);
    }
}

void WriteBodies(BinaryWriter& file, const PhysicsDefinitionDescription& physics)
{
    WriteCount(file, physics.bodies.size());
    for (const PhysicsBodyDescription& body : physics.bodies)
    {
        WriteString(body.name.c_str(), file);
        file.WriteFloat(body.mass);
        file.WriteInt32(body.word);
        file.WriteFloat(body.factor);
        file.WriteInt32(body.role);
        file.WriteInt32(body.id2);
        file.WriteInt32(body.id3);
        WriteCount(file, body.primitives.size());
        for (const PhysicsPrimitiveUse& use : body.primitives)
            file.WriteInt32(use.kind), file.WriteInt32(use.index);
    }
}

void WriteTwoAxis(BinaryWriter& file, const std::vector<TwoAxisJointDescription>& joints)
{
    WriteCount(file, joints.size());
    for (const TwoAxisJointDescription& joint : joints)
    {
        file.WriteInt32(joint.a), file.WriteInt32(joint.b);
        WriteParameters(file, joint.parameters1);
        WriteParameters(file, joint.parameters2);
        WriteVector(file, joint.anchor), WriteVector(file, joint.axis1), WriteVector(file, joint.axis2);
    }
}

void WriteJoints(BinaryWriter& file, const PhysicsDefinitionDescription& physics)
{
    WriteCount(file, physics.ballJoints.size());
    for (const BallJointDescription& joint : physics.ballJoints)
        file.WriteInt32(joint.a), file.WriteInt32(joint.b), WriteVector(file, joint.anchor);
    WriteCount(file, physics.hingeJoints.size());
    for (const HingeJointDescription& joint : physics.hingeJoints)
    {
        file.WriteInt32(joint.a), file.WriteInt32(joint.b);
        WriteParameters(file, joint.parameters);
        WriteVector(file, joint.anchor), WriteVector(file, joint.axis);
    }
    WriteCount(file, physics.sliderJoints.size());
    for (const SliderJointDescription& joint : physics.sliderJoints)
    {
        file.WriteInt32(joint.a), file.WriteInt32(joint.b);
        WriteParameters(file, joint.parameters);
        WriteVector(file, joint.axis);
    }
    WriteTwoAxis(file, physics.universalJoints);
    WriteTwoAxis(file, physics.hinge2Joints);
    WriteCount(file, physics.motorJoints.size());
    for (const MotorJointDescription& joint : physics.motorJoints)
    {
        file.WriteInt32(joint.a), file.WriteInt32(joint.b);
        for (const JointParameterSet& parameters : joint.parameters)
            WriteParameters(file, parameters);
        WriteVector(file, joint.axis0), WriteVector(file, joint.axis2);
        file.WriteInt32(joint.rel0), file.WriteInt32(joint.rel2);
    }
}

template <class T> int Appended(std::vector<T>& list, const T& entry)
{
    list.push_back(entry);
    return int(list.size()) - 1;
}
} // namespace

JointParameterSet::JointParameterSet() : values{}
{
    values[LO_STOP] = -10000000.0f;
    values[HI_STOP] = 10000000.0f;
    values[FUDGE_FACTOR] = 1.0f;
}

JointParameterSet& JointParameterSet::Set(int parameter, float value)
{
    values[size_t(parameter)] = value;
    flags[size_t(parameter)] = 1;
    return *this;
}

int PhysicsDefinitionDescription::AddBody(const PhysicsBodyDescription& body)
{
    return Appended(bodies, body);
}

int PhysicsDefinitionDescription::AddBox(int body, const PhysicsBoxDescription& box)
{
    const int index = Appended(boxes, box);
    bodies[size_t(body)].primitives.push_back({1, index});
    return index;
}

int PhysicsDefinitionDescription::AddSphere(int body, const PhysicsSphereDescription& sphere)
{
    const int index = Appended(spheres, sphere);
    bodies[size_t(body)].primitives.push_back({2, index});
    return index;
}

int PhysicsDefinitionDescription::AddCylinder(int body, const PhysicsCylinderDescription& cylinder)
{
    const int index = Appended(cylinders, cylinder);
    bodies[size_t(body)].primitives.push_back({3, index});
    return index;
}

int PhysicsDefinitionDescription::AddBall(const BallJointDescription& joint)
{
    const int index = Appended(ballJoints, joint);
    jointOrder.push_back({0, index});
    return index;
}

int PhysicsDefinitionDescription::AddHinge(const HingeJointDescription& joint)
{
    const int index = Appended(hingeJoints, joint);
    jointOrder.push_back({1, index});
    return index;
}

int PhysicsDefinitionDescription::AddSlider(const SliderJointDescription& joint)
{
    const int index = Appended(sliderJoints, joint);
    jointOrder.push_back({2, index});
    return index;
}

int PhysicsDefinitionDescription::AddUniversal(const TwoAxisJointDescription& joint)
{
    const int index = Appended(universalJoints, joint);
    jointOrder.push_back({3, index});
    return index;
}

int PhysicsDefinitionDescription::AddHinge2(const TwoAxisJointDescription& joint)
{
    const int index = Appended(hinge2Joints, joint);
    jointOrder.push_back({4, index});
    return index;
}

int PhysicsDefinitionDescription::AddMotor(const MotorJointDescription& joint)
{
    const int index = Appended(motorJoints, joint);
    jointOrder.push_back({5, index});
    return index;
}

void PhysicsDefinitionDescription::AddMarker(const std::string& name, const Float3& position)
{
    markers.push_back({name, position});
}

void BuggyObjectDescription::FitModels(int count, const Float3& position, const Float3& rotation)
{
    for (int k = 0; k < count && k < int(attachPoints.size()); ++k)
        attachPoints[size_t(k)] = {position, rotation, 1};
}

int BuggyDatabaseDescription::Add(const BuggyObjectDescription& object)
{
    return Appended(objects, object);
}

void WritePhysicsDefinition(BinaryWriter& file, const PhysicsDefinitionDescription& physics)
{
    WritePrimitives(file, physics);
    WriteBodies(file, physics);
    WriteJoints(file, physics);
    WriteCount(file, physics.jointOrder.size());
    for (const JointOrderEntry& entry : physics.jointOrder)
        file.WriteInt32(entry.kind), file.WriteInt32(entry.index);
    WriteCount(file, physics.markers.size());
    for (const MarkerDescription& marker : physics.markers)
    {
        WriteString(marker.name.c_str(), file);
        WriteVector(file, marker.position);
    }
}

void WriteBuggyObject(BinaryWriter& file, const BuggyObjectDescription& object)
{
    WriteCount(file, object.names.size());
    for (const auto& [name, description] : object.names)
        WriteString(name.c_str(), file), WriteString(description.c_str(), file);
    file.WriteUInt32(object.value1), file.WriteUInt32(object.value2);
    file.WriteUInt32(object.value3), file.WriteUInt32(object.value4);
    file.WriteUInt32(object.mesh ? 1 : 0);
    if (object.mesh)
        WriteMeshObjectBlock(file, *object.mesh);
    file.WriteUInt32(object.word);
    for (const AttachPointDescription& point : object.attachPoints)
        WriteVector(file, point.position), WriteVector(file, point.rotation), file.WriteUInt32(point.fits);
    file.WriteInt32(object.type);
    file.WriteUInt32(object.flag);
    file.WriteInt32(object.parent);
    WritePhysicsDefinition(file, object.physics);
}

BinaryWriter BuildBuggyDatabase(const BuggyDatabaseDescription& database)
{
    BinaryWriter file;
    WriteCount(file, database.objects.size());
    for (const BuggyObjectDescription& object : database.objects)
        WriteBuggyObject(file, object);
    return file;
}

bool WriteBuggyDatabase(const std::string& path, const BuggyDatabaseDescription& database)
{
    return BuildBuggyDatabase(database).SaveToFile(path);
}

size_t PhysicsDefinitionSize(const PhysicsDefinitionDescription& physics)
{
    BinaryWriter file;
    WritePhysicsDefinition(file, physics);
    return file.Bytes().size();
}
