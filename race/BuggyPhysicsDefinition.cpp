// Reading, copying and searching a buggy's physics definition. A file that
// names a body, primitive or joint that is not there is refused at load:
// racer construction follows every pointer without a second look.
#include "race/BuggyPhysicsDefinition.h"

#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace
{
constexpr size_t kBoxSize = 36, kSphereSize = 36, kCylinderSize = 32;
constexpr size_t kMinBodySize = 5 + 24 + 4, kPrimitivePairSize = 8;
constexpr size_t kBallSize = 20, kHingeSize = 120, kSliderSize = 108, kTwoAxisSize = 220, kMotorSize = 304;
constexpr size_t kJointRefSize = 8, kMinMarkerSize = 5 + 12;

[[noreturn]] void Refuse(const char* format, ...) __attribute__((format(printf, 1, 2)));

void Refuse(const char* format, ...)
{
    char problem[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(problem, sizeof problem, format, args);
    va_end(args);
    QV7_Logger::Log(g_logger, "ERROR: Buggy Physics Definition: %s", problem);
    ThrowBrokenString("QV7_BuggyPhysics", 118);
}

// A list's count, refused when the file cannot hold that many records.
int Count(BinaryReader& file, size_t recordSize, const char* list)
{
    if (file.Remaining() < 4)
        Refuse("cut short before the %s count", list);
    const int32_t announced = file.PeekInt32();
    const int count = file.ReadCount(recordSize);
    if (file.Failed())
        Refuse("%s count %d larger than the file", list, announced);
    return count;
}

void CheckRead(const BinaryReader& file, const char* list)
{
    if (file.Failed())
        Refuse("cut short in the %s", list);
}

void ReadVector(BinaryReader& file, float* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = file.ReadFloat();
}

void ReadParameters(BinaryReader& file, JointParameters& parameters)
{
    for (float& value : parameters.values)
        value = file.ReadFloat();
    for (int32_t& flag : parameters.flags)
        flag = file.ReadInt32();
}

template <class T> T* CopyInto(QV7_Collection<T>& list, const T& record)
{
    return list.Append(new T(record));
}

template <class T> T* Same(const QV7_Collection<T>& from, const QV7_Collection<T>& to, const T* record)
{
    const int index = from.IndexOf(record);
    return index < 0 ? nullptr : to[index];
}
} // namespace

JointParameters::JointParameters() : values{}, flags{}
{
    values[LO_STOP] = -10000000.0f;
    values[HI_STOP] = 10000000.0f;
    values[FUDGE_FACTOR] = 1.0f;
}

PhysicsBodyDef::PhysicsBodyDef() : name{"*"}
{
    dMassSetZero(&massProperties);
}

PhysicsNameRecord::PhysicsNameRecord() : name{"*"} {}

BuggyPhysicsDefinition::~BuggyPhysicsDefinition()
{
    Clear();
}

void BuggyPhysicsDefinition::Clear()
{
    boxes.Clear();
    spheres.Clear();
    cylinders.Clear();
    jointOrder.Clear();
    ballJoints.Clear();
    hingeJoints.Clear();
    sliderJoints.Clear();
    universalJoints.Clear();
    hinge2Joints.Clear();
    motorJoints.Clear();
    markers.Clear();
    bodies.Clear();
}

void BuggyPhysicsDefinition::Read(BinaryReader& file)
{
    Clear();
    try
    {
        ReadPrimitives(file);
        ReadBodies(file);
        ReadJoints(file);
        ReadJointOrder(file);
        ReadMarkers(file);
    }
    catch (...)
    {
        Clear();
        throw;
    }
}

void BuggyPhysicsDefinition::ReadPrimitives(BinaryReader& file)
{
    for (int i = Count(file, kBoxSize, "boxes"); i > 0; --i)
    {
        CollisionBoxDef* box = boxes.Add();
        ReadVector(file, box->centre);
        ReadVector(file, box->size);
        ReadVector(file, box->rotation);
    }
    for (int i = Count(file, kSphereSize, "spheres"); i > 0; --i)
    {
        CollisionSphereDef* sphere = spheres.Add();
        ReadVector(file, sphere->centre);
        ReadVector(file, sphere->size);
        ReadVector(file, sphere->rotation);
    }
    for (int i = Count(file, kCylinderSize, "cylinders"); i > 0; --i)
    {
        CollisionCylinderDef* cylinder = cylinders.Add();
        ReadVector(file, cylinder->centre);
        cylinder->radius = file.ReadFloat();
        cylinder->length = file.ReadFloat();
        ReadVector(file, cylinder->rotation);
    }
    CheckRead(file, "primitives");
}

void BuggyPhysicsDefinition::ReadBodies(BinaryReader& file)
{
    for (int i = Count(file, kMinBodySize, "bodies"); i > 0; --i)
    {
        PhysicsBodyDef* body = bodies.Add();
        ReadString(body->name, sizeof body->name, file);
        body->mass = file.ReadFloat();
        body->word = file.ReadInt32();
        body->factor = file.ReadFloat();
        body->role = file.ReadInt32();
        body->id2 = file.ReadInt32();
        body->id3 = file.ReadInt32();
        CheckRead(file, "bodies");
        ReadBodyPrimitives(file, *body);
    }
}

void BuggyPhysicsDefinition::ReadBodyPrimitives(BinaryReader& file, PhysicsBodyDef& body)
{
    const int bodyIndex = bodies.count - 1;
    for (int i = Count(file, kPrimitivePairSize, "primitive references"); i > 0; --i)
    {
        const int32_t kind = file.ReadInt32();
        const int32_t index = file.ReadInt32();
        CheckRead(file, "primitive references");
        PrimitiveRef* reference = body.primitives.Add();
        reference->kind = kind;
        if (kind == PRIMITIVE_BOX && index >= 0 && index < boxes.count)
            reference->record = boxes[index], boxes[index]->owner = &body;
        else if (kind == PRIMITIVE_SPHERE && index >= 0 && index < spheres.count)
            reference->record = spheres[index], spheres[index]->owner = &body;
        else if (kind == PRIMITIVE_CYLINDER && index >= 0 && index < cylinders.count)
            reference->record = cylinders[index], cylinders[index]->owner = &body;
        else if (kind < PRIMITIVE_BOX || kind > PRIMITIVE_CYLINDER)
            Refuse("body %d has a primitive of unknown kind %d", bodyIndex, kind);
        else
            Refuse("body %d names primitive %d of kind %d, which is not there", bodyIndex, index, kind);
    }
}

PhysicsBodyDef* BuggyPhysicsDefinition::ReadBodyIndex(BinaryReader& file)
{
    const int32_t index = file.ReadInt32();
    if (file.Failed())
        Refuse("cut short in the joints");
    if (index < 0 || index >= bodies.count)
        Refuse("a joint names body %d of %d", index, bodies.count);
    return bodies[index];
}

void BuggyPhysicsDefinition::ReadJoints(BinaryReader& file)
{
    for (int i = Count(file, kBallSize, "ball joints"); i > 0; --i)
    {
        BallJointDef* joint = ballJoints.Add();
        joint->a = ReadBodyIndex(file);
        joint->b = ReadBodyIndex(file);
        ReadVector(file, joint->anchor);
    }
    for (int i = Count(file, kHingeSize, "hinge joints"); i > 0; --i)
    {
        HingeJointDef* joint = hingeJoints.Add();
        joint->a = ReadBodyIndex(file);
        joint->b = ReadBodyIndex(file);
        ReadParameters(file, joint->parameters);
        ReadVector(file, joint->anchor);
        ReadVector(file, joint->axis);
    }
    for (int i = Count(file, kSliderSize, "slider joints"); i > 0; --i)
    {
        OneAxisJointDef* joint = sliderJoints.Add();
        joint->a = ReadBodyIndex(file);
        joint->b = ReadBodyIndex(file);
        ReadParameters(file, joint->parameters);
        ReadVector(file, joint->axis);
    }
    for (QV7_Collection<TwoAxisJointDef>* list : {&universalJoints, &hinge2Joints})
        for (int i =
                 Count(file, kTwoAxisSize, list == &universalJoints ? "universal joints" : "hinge-2 joints");
             i > 0; --i)
        {
            TwoAxisJointDef* joint = list->Add();
            joint->a = ReadBodyIndex(file);
            joint->b = ReadBodyIndex(file);
            ReadParameters(file, joint->parameters1);
            ReadParameters(file, joint->parameters2);
            ReadVector(file, joint->anchor);
            ReadVector(file, joint->axis1);
            ReadVector(file, joint->axis2);
        }
    for (int i = Count(file, kMotorSize, "angular motors"); i > 0; --i)
    {
        ThreeAxisJointDef* joint = motorJoints.Add();
        joint->a = ReadBodyIndex(file);
        joint->b = ReadBodyIndex(file);
        for (JointParameters& parameters : joint->parameters)
            ReadParameters(file, parameters);
        ReadVector(file, joint->axis0);
        ReadVector(file, joint->axis2);
        joint->rel0 = file.ReadInt32();
        joint->rel2 = file.ReadInt32();
    }
    CheckRead(file, "joints");
}

void BuggyPhysicsDefinition::ReadJointOrder(BinaryReader& file)
{
    for (int i = Count(file, kJointRefSize, "joint order"); i > 0; --i)
    {
        const int32_t kind = file.ReadInt32();
        const int32_t index = file.ReadInt32();
        CheckRead(file, "joint order");
        if (kind < 0 || kind >= JOINT_KIND_COUNT)
            Refuse("the joint order holds a joint of unknown kind %d", kind);
        if (index < 0 || index >= JointCount(kind))
            Refuse("the joint order names joint %d of kind %d, which is not there", index, kind);
        JointRef* reference = jointOrder.Add();
        reference->kind = kind;
        reference->record = JointAt(kind, index);
    }
}

void BuggyPhysicsDefinition::ReadMarkers(BinaryReader& file)
{
    for (int i = Count(file, kMinMarkerSize, "markers"); i > 0; --i)
    {
        PhysicsNameRecord* marker = markers.Add();
        ReadString(marker->name, sizeof marker->name, file);
        file.ReadBytes(marker->values, sizeof marker->values);
        CheckRead(file, "markers");
    }
}

int BuggyPhysicsDefinition::JointCount(int32_t kind) const
{
    switch (kind)
    {
    case JOINT_BALL:
        return ballJoints.count;
    case JOINT_HINGE:
        return hingeJoints.count;
    case JOINT_SLIDER:
        return sliderJoints.count;
    case JOINT_UNIVERSAL:
        return universalJoints.count;
    case JOINT_HINGE2:
        return hinge2Joints.count;
    case JOINT_MOTOR:
        return motorJoints.count;
    default:
        return 0;
    }
}

void* BuggyPhysicsDefinition::JointAt(int32_t kind, int index) const
{
    if (index < 0 || index >= JointCount(kind))
        return nullptr;
    switch (kind)
    {
    case JOINT_BALL:
        return ballJoints[index];
    case JOINT_HINGE:
        return hingeJoints[index];
    case JOINT_SLIDER:
        return sliderJoints[index];
    case JOINT_UNIVERSAL:
        return universalJoints[index];
    case JOINT_HINGE2:
        return hinge2Joints[index];
    default:
        return motorJoints[index];
    }
}

namespace
{
int JointIndex(const BuggyPhysicsDefinition& definition, const JointRef& reference)
{
    for (int i = 0; i < definition.JointCount(reference.kind); ++i)
        if (definition.JointAt(reference.kind, i) == reference.record)
            return i;
    return -1;
}

void* ClonedPrimitive(const BuggyPhysicsDefinition& from, const BuggyPhysicsDefinition& to,
                      const PrimitiveRef& reference)
{
    if (reference.Box())
        return Same(from.boxes, to.boxes, reference.Box());
    if (reference.Sphere())
        return Same(from.spheres, to.spheres, reference.Sphere());
    if (reference.Cylinder())
        return Same(from.cylinders, to.cylinders, reference.Cylinder());
    return nullptr;
}

template <class Joint>
void CloneJoints(const BuggyPhysicsDefinition& from, BuggyPhysicsDefinition& to,
                 const QV7_Collection<Joint>& source, QV7_Collection<Joint>& target)
{
    for (const Joint* joint : source)
    {
        Joint* copy = CopyInto(target, *joint);
        copy->a = Same(from.bodies, to.bodies, joint->a);
        copy->b = Same(from.bodies, to.bodies, joint->b);
    }
}

template <class Primitive>
void ClonePrimitives(const BuggyPhysicsDefinition& from, BuggyPhysicsDefinition& to,
                     const QV7_Collection<Primitive>& source, QV7_Collection<Primitive>& target)
{
    for (const Primitive* primitive : source)
        CopyInto(target, *primitive)->owner = Same(from.bodies, to.bodies, primitive->owner);
}

void CloneBody(const PhysicsBodyDef& body, PhysicsBodyDef& copy)
{
    std::memcpy(copy.name, body.name, sizeof copy.name);
    copy.mass = body.mass, copy.word = body.word, copy.factor = body.factor;
    copy.role = body.role, copy.id2 = body.id2, copy.id3 = body.id3;
    std::memcpy(copy.centre, body.centre, sizeof copy.centre);
    copy.body = body.body;
    copy.drivenWheel = body.drivenWheel, copy.steeredWheel = body.steeredWheel;
    copy.lastPart = body.lastPart, copy.wheelIndex = body.wheelIndex;
    copy.owner = body.owner, copy.partIndexCopy = body.partIndexCopy;
    copy.massProperties = body.massProperties;
}
} // namespace

BuggyPhysicsDefinition* BuggyPhysicsDefinition::Clone() const
{
    auto* clone = new BuggyPhysicsDefinition();
    clone->word = word;
    for (const PhysicsBodyDef* body : bodies)
        CloneBody(*body, *clone->bodies.Add());
    ClonePrimitives(*this, *clone, boxes, clone->boxes);
    ClonePrimitives(*this, *clone, spheres, clone->spheres);
    ClonePrimitives(*this, *clone, cylinders, clone->cylinders);
    // The copy's bodies point at the copy's primitives: racer construction
    // may write to a primitive, and the database's must stay as read.
    for (int i = 0; i < bodies.count; ++i)
        for (const PrimitiveRef* reference : bodies[i]->primitives)
        {
            PrimitiveRef* copy = clone->bodies[i]->primitives.Add();
            copy->kind = reference->kind;
            copy->record = ClonedPrimitive(*this, *clone, *reference);
        }
    CloneJoints(*this, *clone, ballJoints, clone->ballJoints);
    CloneJoints(*this, *clone, hingeJoints, clone->hingeJoints);
    CloneJoints(*this, *clone, sliderJoints, clone->sliderJoints);
    CloneJoints(*this, *clone, universalJoints, clone->universalJoints);
    CloneJoints(*this, *clone, hinge2Joints, clone->hinge2Joints);
    CloneJoints(*this, *clone, motorJoints, clone->motorJoints);
    for (const JointRef* reference : jointOrder)
    {
        JointRef* copy = clone->jointOrder.Add();
        copy->kind = reference->kind;
        copy->record = clone->JointAt(reference->kind, JointIndex(*this, *reference));
    }
    for (const PhysicsNameRecord* marker : markers)
        CopyInto(clone->markers, *marker);
    return clone;
}

const PhysicsNameRecord* BuggyPhysicsDefinition::FindBody(const char* name) const
{
    if (!name || !*name)
        return nullptr;
    for (const PhysicsNameRecord* marker : markers)
        if (strcasecmp(marker->name, name) == 0)
            return marker;
    return nullptr;
}
