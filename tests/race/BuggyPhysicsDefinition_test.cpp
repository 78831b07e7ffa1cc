// Physics definitions: read back from our writer, searched by marker name,
// and cloned into copies that share nothing with the database's.
#include "BuggyDatabaseTestSupport.h"

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/BuggyPhysicsDefinition.h"
#include "shell/QV7_Globals.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
void ReadDefinition(const PhysicsDefinitionDescription& description, BuggyPhysicsDefinition& definition)
{
    BinaryWriter writer;
    WritePhysicsDefinition(writer, description);
    BinaryReader file(writer.Bytes());
    definition.Read(file);
    EXPECT_TRUE(file.AtEnd());
}

TEST(BuggyPhysicsDefinition, AnEmptyDefinitionIsFortyEightBytesAndClonesEmpty)
{
    EXPECT_EQ(PhysicsDefinitionSize({}), 48u);
    BuggyPhysicsDefinition definition;
    ReadDefinition({}, definition);
    std::unique_ptr<BuggyPhysicsDefinition> clone(definition.Clone());
    EXPECT_EQ(clone->bodies.count + clone->boxes.count + clone->jointOrder.count + clone->markers.count, 0);
}

TEST(BuggyPhysicsDefinition, ReadsEveryListWithItsLinks)
{
    BuggyPhysicsDefinition definition;
    ReadDefinition(buggytest::FullDefinition(), definition);
    ASSERT_EQ(definition.bodies.count, 2);
    const PhysicsBodyDef& wheel = *definition.bodies[0];
    const PhysicsBodyDef& chassis = *definition.bodies[1];
    EXPECT_STREQ(wheel.name, "wheel");
    EXPECT_EQ(wheel.mass, 3.0f);
    EXPECT_EQ(chassis.role, 9);
    EXPECT_EQ(chassis.id2, 4);
    EXPECT_EQ(chassis.id3, -1);
    EXPECT_FLOAT_EQ(chassis.factor, 0.9f);
    EXPECT_EQ(wheel.wheelIndex, -1);
    ASSERT_EQ(wheel.primitives.count, 1);
    ASSERT_NE(wheel.primitives[0]->Sphere(), nullptr);
    EXPECT_EQ(wheel.primitives[0]->Sphere()->size[1], 120.0f);
    EXPECT_EQ(wheel.primitives[0]->Sphere()->owner, &wheel);
    ASSERT_EQ(chassis.primitives.count, 2);
    EXPECT_EQ(chassis.primitives[0]->Box()->rotation[2], 0.3f);
    const CollisionCylinderDef* cylinder = chassis.primitives[1]->Cylinder();
    ASSERT_NE(cylinder, nullptr);
    EXPECT_EQ(cylinder->radius, 7.0f);
    EXPECT_EQ(cylinder->length, 8.0f);
    EXPECT_EQ(cylinder->owner, &chassis);

    ASSERT_EQ(definition.jointOrder.count, 6);
    for (int kind = 0; kind < JOINT_KIND_COUNT; ++kind)
    {
        EXPECT_EQ(definition.jointOrder[kind]->kind, kind);
        EXPECT_EQ(definition.jointOrder[kind]->record, definition.JointAt(kind, 0));
    }
    const HingeJointDef& hinge = *definition.hingeJoints[0];
    EXPECT_EQ(hinge.a, &chassis);
    EXPECT_EQ(hinge.parameters.flags[JointParameters::LO_STOP], 1);
    EXPECT_EQ(hinge.parameters.values[JointParameters::LO_STOP], 0.0f);
    EXPECT_EQ(hinge.parameters.values[JointParameters::HI_STOP], 10000000.0f);
    EXPECT_EQ(hinge.axis[1], 1.0f);
    const TwoAxisJointDef& hinge2 = *definition.hinge2Joints[0];
    EXPECT_EQ(hinge2.parameters1.values[JointParameters::SUSPENSION_ERP], 0.4f);
    EXPECT_EQ(hinge2.parameters2.flags[JointParameters::VEL], 1);
    EXPECT_EQ(hinge2.parameters2.flags[JointParameters::LO_STOP], 0);
    EXPECT_EQ(hinge2.axis2[2], -1.0f);
    const ThreeAxisJointDef& motor = *definition.motorJoints[0];
    EXPECT_EQ(motor.rel0, 1) << "rel0 and rel2 come last in the file";
    EXPECT_EQ(motor.rel2, 2);
    EXPECT_EQ(motor.parameters[2].values[JointParameters::FMAX], 9.0f);
    EXPECT_EQ(motor.axis2[2], 1.0f);
    ASSERT_EQ(definition.markers.count, 2);
    EXPECT_EQ(definition.markers[1]->values[2], -50.0f);
}

TEST(BuggyPhysicsDefinition, FindBodySearchesMarkersWithoutRegardToCase)
{
    BuggyPhysicsDefinition definition;
    EXPECT_EQ(definition.FindBody("uitlaat"), nullptr) << "no markers";
    PhysicsDefinitionDescription description = buggytest::FullDefinition();
    description.AddMarker("UIT2", {1, 1, 1}); // a second match comes later
    ReadDefinition(description, definition);
    EXPECT_EQ(definition.FindBody("UITLAAT"), definition.markers[0]);
    EXPECT_EQ(definition.FindBody("Uit2"), definition.markers[1]);
    EXPECT_EQ(definition.FindBody(""), nullptr);
    EXPECT_EQ(definition.FindBody(nullptr), nullptr);
    EXPECT_EQ(definition.FindBody("effect"), nullptr);
    EXPECT_EQ(definition.FindBody("wheel"), nullptr) << "bodies are not markers";
}

// Everything racer construction writes into its copy stays in the copy.
TEST(BuggyPhysicsDefinition, ACloneSharesNothingWithTheDatabaseCopy)
{
    BuggyPhysicsDefinition database;
    ReadDefinition(buggytest::FullDefinition(), database);
    std::unique_ptr<BuggyPhysicsDefinition> clone(database.Clone());
    ASSERT_EQ(clone->bodies.count, 2);
    for (int i = 0; i < 2; ++i)
    {
        PhysicsBodyDef& body = *clone->bodies[i];
        EXPECT_NE(&body, database.bodies[i]);
        EXPECT_STREQ(body.name, database.bodies[i]->name);
        for (const PrimitiveRef* reference : body.primitives)
        {
            EXPECT_EQ(clone->boxes.IndexOf(reference->Box()) >= 0 ||
                          clone->spheres.IndexOf(reference->Sphere()) >= 0 ||
                          clone->cylinders.IndexOf(reference->Cylinder()) >= 0,
                      true);
        }
    }
    EXPECT_EQ(clone->spheres[0]->owner, clone->bodies[0]);
    EXPECT_EQ(clone->cylinders[0]->owner, clone->bodies[1]);
    EXPECT_EQ(clone->hinge2Joints[0]->a, clone->bodies[1]);
    EXPECT_EQ(clone->ballJoints[0]->b, clone->bodies[1]);
    EXPECT_EQ(clone->motorJoints[0]->rel2, 2);
    for (int kind = 0; kind < JOINT_KIND_COUNT; ++kind)
        EXPECT_EQ(clone->jointOrder[kind]->record, clone->JointAt(kind, 0));

    // What construction writes: run-time body fields, masses, clamped sizes,
    // joint settings, marker points.
    clone->bodies[0]->mass = 250.0f;
    clone->bodies[0]->wheelIndex = 2;
    clone->bodies[0]->centre[1] = 9.0f;
    clone->bodies[0]->massProperties.mass = 250.0;
    clone->bodies[0]->primitives[0]->Sphere()->size[1] = 1.0f;
    clone->bodies[1]->primitives[0]->Box()->size[0] = 1.0f;
    clone->hinge2Joints[0]->parameters2.values[JointParameters::VEL] = 5.0f;
    clone->markers[0]->values[0] = 0.0f;
    clone->bodies[1]->primitives.Clear();

    EXPECT_EQ(database.bodies[0]->mass, 3.0f);
    EXPECT_EQ(database.bodies[0]->wheelIndex, -1);
    EXPECT_EQ(database.bodies[0]->centre[1], 0.0f);
    EXPECT_EQ(database.bodies[0]->massProperties.mass, 0.0);
    EXPECT_EQ(database.spheres[0]->size[1], 120.0f);
    EXPECT_EQ(database.boxes[0]->size[0], 1400.0f);
    EXPECT_EQ(database.hinge2Joints[0]->parameters2.values[JointParameters::VEL], 0.0f);
    EXPECT_EQ(database.markers[0]->values[0], -700.0f);
    EXPECT_EQ(database.bodies[1]->primitives.count, 2);

    // And the copy outlives the database's definition.
    database.Clear();
    EXPECT_EQ(clone->hinge2Joints[0]->a->role, 9);
    EXPECT_EQ(clone->bodies[0]->primitives[0]->Sphere()->owner, clone->bodies[0]);
}
} // namespace
