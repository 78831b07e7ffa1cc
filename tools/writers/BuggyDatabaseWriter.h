// Writer of DatA.dat, the buggy database: objects with their names, prices,
// optional mesh, mount placements per buggy model, item type, flag, parent
// index and physics definition. A description holds the file's values as
// they are written (indices, kinds, counts from the vectors), so tests can
// also describe broken files; the Add helpers keep a sound description
// consistent (a joint goes into its list and into the joint order).
#pragma once

#include "tools/writers/MeshObjectWriter.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class BinaryWriter;

using Float3 = std::array<float, 3>;

// One axis of joint settings: eleven values in ODE order and a set flag per value.
struct JointParameterSet
{
    JointParameterSet();
    enum
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
    // Sets parameter k and raises its flag.
    JointParameterSet& Set(int parameter, float value);
    std::array<float, COUNT> values;
    std::array<int32_t, COUNT> flags{};
};

struct PhysicsBoxDescription
{
    Float3 centre{}, size{}, rotation{};
};
struct PhysicsSphereDescription
{
    Float3 centre{}, size{}, rotation{}; // radius = size[1]
};
struct PhysicsCylinderDescription
{
    Float3 centre{};
    float radius = 0.0f, length = 0.0f;
    Float3 rotation{};
};
struct PhysicsPrimitiveUse
{
    int32_t kind;  // 1 box, 2 sphere, 3 cylinder
    int32_t index; // in that list
};
struct PhysicsBodyDescription
{
    std::string name = "body";
    float mass = 1.0f;
    int32_t word = 0;
    float factor = 0.9f;
    int32_t role = -1, id2 = -1, id3 = -1;
    std::vector<PhysicsPrimitiveUse> primitives;
};
struct BallJointDescription
{
    int32_t a = 0, b = 0;
    Float3 anchor{};
};
struct HingeJointDescription
{
    int32_t a = 0, b = 0;
    JointParameterSet parameters;
    Float3 anchor{}, axis{};
};
struct SliderJointDescription
{
    int32_t a = 0, b = 0;
    JointParameterSet parameters;
    Float3 axis{};
};
// Universal and hinge-2 joints.
struct TwoAxisJointDescription
{
    int32_t a = 0, b = 0;
    JointParameterSet parameters1, parameters2;
    Float3 anchor{}, axis1{}, axis2{};
};
struct MotorJointDescription
{
    int32_t a = 0, b = 0;
    std::array<JointParameterSet, 3> parameters;
    Float3 axis0{}, axis2{};
    int32_t rel0 = 0, rel2 = 0;
};
struct JointOrderEntry
{
    int32_t kind;  // 0 ball, 1 hinge, 2 slider, 3 universal, 4 hinge-2, 5 angular motor
    int32_t index; // in that list
};
struct MarkerDescription
{
    std::string name;
    Float3 position{}; // model units
};

struct PhysicsDefinitionDescription
{
    std::vector<PhysicsBoxDescription> boxes;
    std::vector<PhysicsSphereDescription> spheres;
    std::vector<PhysicsCylinderDescription> cylinders;
    std::vector<PhysicsBodyDescription> bodies;
    std::vector<BallJointDescription> ballJoints;
    std::vector<HingeJointDescription> hingeJoints;
    std::vector<SliderJointDescription> sliderJoints;
    std::vector<TwoAxisJointDescription> universalJoints;
    std::vector<TwoAxisJointDescription> hinge2Joints;
    std::vector<MotorJointDescription> motorJoints;
    std::vector<JointOrderEntry> jointOrder;
    std::vector<MarkerDescription> markers;

    // Each returns the new entry's index; a primitive is added to body.
    int AddBody(const PhysicsBodyDescription& body);
    int AddBox(int body, const PhysicsBoxDescription& box);
    int AddSphere(int body, const PhysicsSphereDescription& sphere);
    int AddCylinder(int body, const PhysicsCylinderDescription& cylinder);
    // Joints join their list and the end of the joint order.
    int AddBall(const BallJointDescription& joint);
    int AddHinge(const HingeJointDescription& joint);
    int AddSlider(const SliderJointDescription& joint);
    int AddUniversal(const TwoAxisJointDescription& joint);
    int AddHinge2(const TwoAxisJointDescription& joint);
    int AddMotor(const MotorJointDescription& joint);
    void AddMarker(const std::string& name, const Float3& position);
};

// Where an object sits on one buggy model and whether it fits it.
struct AttachPointDescription
{
    Float3 position{}, rotation{};
    uint32_t fits = 0;
};

struct BuggyObjectDescription
{
    // One (name, description) pair per language.
    std::vector<std::pair<std::string, std::string>> names = {{"Item", "An item."}};
    uint32_t value1 = 1000, value2 = 500, value3 = 0, value4 = 0;
    std::optional<MeshObjectDescription> mesh;
    uint32_t word = 0;
    std::array<AttachPointDescription, 10> attachPoints{};
    int32_t type = 0;
    uint32_t flag = 0;
    int32_t parent = -1;
    PhysicsDefinitionDescription physics;

    // The same mount and fit flag on models 0..count-1.
    void FitModels(int count, const Float3& position, const Float3& rotation = {});
};

struct BuggyDatabaseDescription
{
    std::vector<BuggyObjectDescription> objects;
    // Appends an object and returns its item index.
    int Add(const BuggyObjectDescription& object);
    // Appends levels objects, each the parent of the one before (the first is
    // the lowest level); make(level) describes level 1..levels. Returns the
    // item index of the lowest level.
    template <class Make> int AddChain(int levels, Make make)
    {
        const int first = int(objects.size());
        for (int level = 1; level <= levels; ++level)
        {
            BuggyObjectDescription object = make(level);
            object.parent = level < levels ? first + level : -1;
            objects.push_back(std::move(object));
        }
        return first;
    }
};

void WritePhysicsDefinition(BinaryWriter& file, const PhysicsDefinitionDescription& physics);
void WriteBuggyObject(BinaryWriter& file, const BuggyObjectDescription& object);
BinaryWriter BuildBuggyDatabase(const BuggyDatabaseDescription& database);
// False when the file cannot be written.
bool WriteBuggyDatabase(const std::string& path, const BuggyDatabaseDescription& database);
// Bytes of one physics definition as written.
size_t PhysicsDefinitionSize(const PhysicsDefinitionDescription& physics);
