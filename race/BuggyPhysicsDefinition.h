// The rigid-body layout of one buggy database object: its bodies with their
// collision primitives, the joints between them, the order racer
// construction creates the joints in, and named marker points. The database
// copy is never simulated; every racer builds its ODE objects from its own
// Clone, writing the run-time fields of that copy.
#pragma once

#include "shell/QV7_Collection.h"

#include <ode/ode.h>

#include <cstdint>

class BinaryReader;
class QV7_Buggy;

constexpr int PHYSICS_NAME_SIZE = 260;

// One axis of joint settings: the eleven ODE parameters of the axis in ODE
// order (lo stop, hi stop, velocity, maximum force, fudge factor, bounce,
// CFM, stop ERP, stop CFM, suspension ERP, suspension CFM) and one set flag
// per parameter: racer construction passes parameter k only when flag k is 1.
struct JointParameters
{
    enum Parameter
    {
        LO_STOP,
        HI_STOP,
        VEL,
        FMAX,
        FUDGE_FACTOR,
        BOUNCE,
        CFM,
        STOP_ERP,
        STOP_CFM,
        SUSPENSION_ERP,
        SUSPENSION_CFM,
        COUNT
    };
    JointParameters();
    float values[COUNT];
    int32_t flags[COUNT];
};

struct PhysicsBodyDef;

struct CollisionBoxDef
{
    float centre[3] = {};
    float size[3] = {};
    float rotation[3] = {}; // yaw, pitch, roll
    int32_t reserved = 0;
    PhysicsBodyDef* owner = nullptr;
};

// The radius is size[1].
struct CollisionSphereDef
{
    float centre[3] = {};
    float size[3] = {};
    float rotation[3] = {};
    int32_t reserved = 0;
    PhysicsBodyDef* owner = nullptr;
};

struct CollisionCylinderDef
{
    float centre[3] = {};
    float radius = 0.0f;
    float length = 0.0f;
    float rotation[3] = {};
    int32_t reserved = 0;
    PhysicsBodyDef* owner = nullptr;
};

enum PrimitiveKind
{
    PRIMITIVE_BOX = 1,
    PRIMITIVE_SPHERE = 2,
    PRIMITIVE_CYLINDER = 3
};

// One collision primitive of a body; the reader accepts only the three kinds,
// so every reference names a record.
struct PrimitiveRef
{
    void* record = nullptr;
    int32_t kind = 0;
    CollisionBoxDef* Box() const
    {
        return kind == PRIMITIVE_BOX ? static_cast<CollisionBoxDef*>(record) : nullptr;
    }
    CollisionSphereDef* Sphere() const
    {
        return kind == PRIMITIVE_SPHERE ? static_cast<CollisionSphereDef*>(record) : nullptr;
    }
    CollisionCylinderDef* Cylinder() const
    {
        return kind == PRIMITIVE_CYLINDER ? static_cast<CollisionCylinderDef*>(record) : nullptr;
    }
};

struct PhysicsBodyDef
{
    PhysicsBodyDef();
    char name[PHYSICS_NAME_SIZE];
    float mass = 1.0f;
    int32_t word = 0;
    float factor = 0.9f;
    int32_t role = -1; // the drawn subset: 0-3 wheels, 9 the chassis
    int32_t id2 = -1;
    int32_t id3 = -1; // a subset drawn in the late, alpha-tested pass
    // Written by racer construction, on a clone only.
    float centre[3] = {};
    dBodyID body = nullptr;
    int32_t drivenWheel = 0;
    int32_t steeredWheel = 0;
    int32_t lastPart = 0;
    int32_t wheelIndex = -1;
    QV7_Buggy* owner = nullptr;
    int32_t partIndexCopy = 0;
    QV7_Collection<PrimitiveRef> primitives;
    dMass massProperties;
};

enum JointKind
{
    JOINT_BALL = 0,
    JOINT_HINGE = 1,
    JOINT_SLIDER = 2,
    JOINT_UNIVERSAL = 3,
    JOINT_HINGE2 = 4,
    JOINT_MOTOR = 5,
    JOINT_KIND_COUNT = 6
};

struct BallJointDef
{
    PhysicsBodyDef* a = nullptr;
    PhysicsBodyDef* b = nullptr;
    float anchor[3] = {};
};

struct HingeJointDef
{
    PhysicsBodyDef* a = nullptr;
    PhysicsBodyDef* b = nullptr;
    JointParameters parameters;
    float anchor[3] = {};
    float axis[3] = {};
};

// The slider.
struct OneAxisJointDef
{
    PhysicsBodyDef* a = nullptr;
    PhysicsBodyDef* b = nullptr;
    JointParameters parameters;
    float axis[3] = {};
    int32_t reserved = 0;
};

// The universal joint and the hinge-2.
struct TwoAxisJointDef
{
    PhysicsBodyDef* a = nullptr;
    PhysicsBodyDef* b = nullptr;
    JointParameters parameters1;
    JointParameters parameters2;
    float anchor[3] = {};
    float axis1[3] = {};
    float axis2[3] = {};
    int32_t reserved = 0;
};

// The angular motor (Euler mode, three axes).
struct ThreeAxisJointDef
{
    PhysicsBodyDef* a = nullptr;
    PhysicsBodyDef* b = nullptr;
    int32_t rel0 = 0; // what motor axes 0 and 2 are relative to
    int32_t rel2 = 0;
    JointParameters parameters[3];
    float axis0[3] = {};
    float axis2[3] = {};
    int32_t reserved = 0;
};

// One entry of the joint creation order: a joint of one of the six lists.
struct JointRef
{
    void* record = nullptr;
    int32_t kind = -1;
};

// A named point in model units (exhaust tips, weapon muzzles, effect origin).
struct PhysicsNameRecord
{
    PhysicsNameRecord();
    float values[3] = {};
    char name[PHYSICS_NAME_SIZE];
};

class BuggyPhysicsDefinition
{
  public:
    BuggyPhysicsDefinition() = default;
    ~BuggyPhysicsDefinition();
    BuggyPhysicsDefinition(const BuggyPhysicsDefinition&) = delete;
    BuggyPhysicsDefinition& operator=(const BuggyPhysicsDefinition&) = delete;

    // Reads one definition at the file's position. A count beyond the bytes
    // left, a file cut short, a broken name, a primitive or joint of unknown
    // kind, or an index naming no entry of its list is logged and throws
    // CDException; the definition is then left empty.
    void Read(BinaryReader& file);
    // A copy that shares nothing with this one: its own bodies, primitives,
    // joints and markers, every pointer inside it naming its own records.
    BuggyPhysicsDefinition* Clone() const;
    // The first marker whose name equals name without regard to case; null
    // for an empty name or when none matches.
    const PhysicsNameRecord* FindBody(const char* name) const;
    // Deletes every record and leaves twelve empty lists.
    void Clear();

    int32_t word = 0;
    QV7_Collection<PhysicsBodyDef> bodies;
    QV7_Collection<CollisionBoxDef> boxes;
    QV7_Collection<CollisionSphereDef> spheres;
    QV7_Collection<CollisionCylinderDef> cylinders;
    QV7_Collection<JointRef> jointOrder;
    QV7_Collection<BallJointDef> ballJoints;
    QV7_Collection<HingeJointDef> hingeJoints;
    QV7_Collection<OneAxisJointDef> sliderJoints;
    QV7_Collection<TwoAxisJointDef> universalJoints;
    QV7_Collection<TwoAxisJointDef> hinge2Joints;
    QV7_Collection<ThreeAxisJointDef> motorJoints;
    QV7_Collection<PhysicsNameRecord> markers;

    // The list of a joint kind as untyped records, for JointRef resolution.
    int JointCount(int32_t kind) const;
    void* JointAt(int32_t kind, int index) const;

  private:
    void ReadPrimitives(BinaryReader& file);
    void ReadBodies(BinaryReader& file);
    void ReadBodyPrimitives(BinaryReader& file, PhysicsBodyDef& body);
    void ReadJoints(BinaryReader& file);
    void ReadJointOrder(BinaryReader& file);
    void ReadMarkers(BinaryReader& file);
    PhysicsBodyDef* ReadBodyIndex(BinaryReader& file);
};
