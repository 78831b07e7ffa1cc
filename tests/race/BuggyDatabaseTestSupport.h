// A null device with the log captured, and a small sound buggy database
// described for the writer: a model with a two-part mesh and a physics
// definition using every list, weapons, an ammunition box and a chain.
#pragma once

#include "platform/io/BinaryWriter.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "tests/world/MeshTestSupport.h"
#include "tools/writers/BuggyDatabaseWriter.h"

namespace buggytest
{
// Two boxes side by side, subsets 0 and 1.
inline MeshObjectDescription TwoPartMesh()
{
    MeshObjectDescription left = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 5001, 7);
    MeshObjectDescription right = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 5002);
    const uint16_t base = uint16_t(left.vertices.size());
    for (MeshVertex vertex : right.vertices)
    {
        vertex.position[0] += 10.0f;
        left.vertices.push_back(vertex);
    }
    for (MeshObjectFace face : right.faces)
        left.faces.push_back({uint16_t(face.a + base), uint16_t(face.b + base), uint16_t(face.c + base), 1});
    left.materials.push_back(right.materials[0]);
    return left;
}

// Two bodies joined by one joint of each kind, every primitive kind, two markers.
inline PhysicsDefinitionDescription FullDefinition()
{
    PhysicsDefinitionDescription physics;
    PhysicsBodyDescription wheel;
    wheel.name = "wheel";
    wheel.role = 0;
    wheel.mass = 3.0f;
    physics.AddBody(wheel);
    PhysicsBodyDescription chassis;
    chassis.name = "chassis";
    chassis.role = 9;
    chassis.id2 = 4;
    physics.AddBody(chassis);
    physics.AddSphere(0, {{1, 2, 3}, {0, 120, 0}, {}});
    physics.AddBox(1, {{0, 0, 0}, {1400, 250, 700}, {0.1f, 0.2f, 0.3f}});
    physics.AddCylinder(1, {{4, 5, 6}, 7, 8, {}});
    physics.AddBall({0, 1, {1, 1, 1}});
    HingeJointDescription hinge{1, 0, {}, {2, 2, 2}, {0, 1, 0}};
    hinge.parameters.Set(JointParameterSet::LO_STOP, 0.0f);
    physics.AddHinge(hinge);
    physics.AddSlider({1, 0, {}, {1, 0, 0}});
    physics.AddUniversal({0, 1, {}, {}, {3, 3, 3}, {1, 0, 0}, {0, 0, 1}});
    TwoAxisJointDescription hinge2{1, 0, {}, {}, {1, 2, 3}, {0, 1, 0}, {0, 0, -1}};
    hinge2.parameters1.Set(JointParameterSet::SUSPENSION_ERP, 0.4f);
    hinge2.parameters2.Set(JointParameterSet::VEL, 0.0f);
    physics.AddHinge2(hinge2);
    MotorJointDescription motor{1, 0, {}, {1, 0, 0}, {0, 0, 1}, 1, 2};
    motor.parameters[2].Set(JointParameterSet::FMAX, 9.0f);
    physics.AddMotor(motor);
    physics.AddMarker("uitlaat", {-700, 100, 50});
    physics.AddMarker("uit2", {-700, 100, -50});
    return physics;
}

inline BuggyObjectDescription Object(int32_t type, const std::string& name, uint32_t flag = 0)
{
    BuggyObjectDescription object;
    object.names = {{name, name + " described"}, {name + " (2)", "second language"}};
    object.type = type;
    object.flag = flag;
    return object;
}

// 0 model (mesh, full physics), 1 chain gun, 2 flamer, 3 flamer with flag 1,
// 4 ammunition 17, 5 ammunition 16, 6 chain gun, 7 model without a mesh,
// 8..10 an engine chain (8 lowest, parent 9, parent 10).
inline BuggyDatabaseDescription SmallDatabase()
{
    BuggyDatabaseDescription database;
    BuggyObjectDescription model = Object(0, "Dune Hopper");
    model.mesh = TwoPartMesh();
    model.physics = FullDefinition();
    model.value1 = 4200, model.value2 = 2100, model.value3 = 3, model.value4 = 77, model.word = 5;
    model.attachPoints[3] = {{1, 2, 3}, {0.5f, 0.25f, 0.125f}, 1};
    database.Add(model);
    database.Add(Object(3, "Chain gun A"));
    database.Add(Object(1, "Flamer"));
    database.Add(Object(1, "Tutorial flamer", 1));
    database.Add(Object(17, "Ice shells"));
    database.Add(Object(16, "Fuel"));
    database.Add(Object(3, "Chain gun B"));
    database.Add(Object(0, "Bare model"));
    database.AddChain(3, [](int level) { return Object(7, "Engine " + std::to_string(level)); });
    return database;
}

class BuggyDatabaseFixture : public meshtest::NullDeviceFixture
{
  protected:
    void TearDown() override
    {
        system.Clear();
        NullDeviceFixture::TearDown();
    }
    void Read(const BuggyDatabaseDescription& database)
    {
        BinaryReader file(BuildBuggyDatabase(database).Bytes());
        system.Read(file, &textures, device);
    }
    // Reads bytes that must be refused; returns the exception's details.
    std::string ReadBroken(const std::vector<uint8_t>& bytes)
    {
        BinaryReader file(bytes);
        try
        {
            system.Read(file, &textures, device);
        }
        catch (const CDException& e)
        {
            EXPECT_EQ(system.objects.count, 0);
            EXPECT_EQ(system.meshes.count, 0);
            EXPECT_TRUE(system.models.empty() && system.equipment.empty() && system.extras.empty());
            return e.Details();
        }
        ADD_FAILURE() << "the file was accepted";
        return {};
    }
    QV7_BuggyMeshSystem system;
};
} // namespace buggytest
