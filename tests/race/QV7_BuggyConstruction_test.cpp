// Racer construction from the demo buggies' physics definitions: what the
// builder makes of the data, the definitions it refuses, and the demo
// buggies on the demo island: settling on the grid, a drop coming to rest,
// driving along the nose and steering toward -z.
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/NearCallback.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "tests/race/PhysicsTestSupport.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
std::unique_ptr<BuggyPhysicsDefinition> ReadDefinition(const PhysicsDefinitionDescription& description)
{
    BinaryWriter writer;
    WritePhysicsDefinition(writer, description);
    BinaryReader file(writer.Bytes());
    auto definition = std::make_unique<BuggyPhysicsDefinition>();
    definition->Read(file);
    return definition;
}

// The racing model m as the demo DatA.dat holds it.
std::unique_ptr<BuggyPhysicsDefinition> DemoModel(int m)
{
    return ReadDefinition(MakeDemoBuggyModel(m).physics);
}

D3DXVECTOR3 BodyPosition(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
}

// The nose (body -x) in world axes.
D3DXVECTOR3 Nose(dBodyID body)
{
    dVector3 nose;
    dBodyVectorToWorld(body, -1, 0, 0, nose);
    return D3DXVECTOR3(float(nose[0]), float(nose[1]), float(nose[2]));
}

bool Finite(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    const dReal* v = dBodyGetLinearVel(body);
    for (int i = 0; i < 3; ++i)
        if (!std::isfinite(p[i]) || !std::isfinite(v[i]))
            return false;
    return true;
}

class BuggyConstructionTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_contactHooks = ContactHooks{};
        // Racers are built here from the demo definitions themselves.
        QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
        group.CreateWorld(0);
        group.frameCounter = 100;
    }
    void TearDown() override { QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{}; }

    QV7_Buggy& AddRacer(int model)
    {
        group.AddBuggy(group.racers.count);
        QV7_Buggy& racer = *group.racers.items[group.racers.count - 1];
        QV7_Buggy::BuildFromDefinition(*DemoModel(model), nullptr, racer);
        racer.placementHold = 0;
        return racer;
    }
    // Whole 11 ms steps.
    void Run(int steps)
    {
        for (int i = 0; i < steps; ++i)
        {
            group.timeAccumulator = 0;
            group.StepFrame(QV7_PhysicsGroup::kStepMs);
        }
    }

    QV7_PhysicsGroup group;
};

TEST_F(BuggyConstructionTest, TheDemoModelBecomesTwelveBodiesWithItsWheelsMassesAndFlaggedParameters)
{
    QV7_Buggy& racer = AddRacer(2);
    const BuggyPhysicsDefinition& definition = *racer.physicsDefinition;
    ASSERT_EQ(racer.bodies.size(), 12u);
    EXPECT_EQ(group.bodies.size(), 12u);
    EXPECT_EQ(racer.joints.size(), size_t(definition.jointOrder.count));
    EXPECT_EQ(racer.geoms.size(), 12u); // one primitive each
    EXPECT_EQ(group.geoms.size(), 1u + 2u * 12u);

    // Steered and driven wheels from the flags: joints 0, 1 steered (their
    // lo stop), 2, 3 driven (their axis-2 velocity; no steered place left).
    EXPECT_EQ(racer.steeredJoints[0], racer.joints[0]);
    EXPECT_EQ(racer.steeredJoints[1], racer.joints[1]);
    EXPECT_EQ(racer.drivenJoints[0], racer.joints[2]);
    EXPECT_EQ(racer.drivenJoints[1], racer.joints[3]);
    for (int wheel = 0; wheel < 4; ++wheel)
    {
        EXPECT_EQ(definition.bodies[wheel]->steeredWheel, wheel < 2 ? 1 : 0) << wheel;
        EXPECT_EQ(definition.bodies[wheel]->drivenWheel, wheel < 2 ? 0 : 1) << wheel;
    }
    EXPECT_EQ(racer.frontWheelBodies[1], racer.bodies[1]);
    EXPECT_EQ(racer.rearWheelBodies[0], racer.bodies[2]);
    EXPECT_EQ(racer.partDefinitions[0], definition.bodies[2]);
    EXPECT_EQ(racer.partDefinitions[3], definition.bodies[1]);
    EXPECT_EQ(racer.lastPartBody, racer.bodies[11]);
    EXPECT_EQ(definition.bodies[11]->lastPart, 1);
    EXPECT_EQ(dBodyGetData(racer.bodies[8]), definition.bodies[8]);

    // Masses by role, whatever the file says.
    const float masses[12] = {250, 250, 150, 150, 100, 100, 100, 100, 100, 100, 100, 100};
    for (int b = 0; b < 12; ++b)
    {
        dMass mass;
        dBodyGetMass(racer.bodies[size_t(b)], &mass);
        EXPECT_NEAR(mass.mass, masses[b], 1e-9) << b;
        EXPECT_TRUE(std::isfinite(mass.I[0]) && mass.I[0] > 0) << b;
    }

    // Hinge-2 parameters by name: the flagged ones set, the others ODE's own.
    const TwoAxisJointDef& front = *definition.hinge2Joints[0];
    dJointID steered = racer.steeredJoints[0];
    EXPECT_EQ(dJointGetHinge2Param(steered, dParamLoStop), 0.0);
    EXPECT_EQ(dJointGetHinge2Param(steered, dParamHiStop), 0.0);
    EXPECT_FLOAT_EQ(float(dJointGetHinge2Param(steered, dParamSuspensionERP)),
                    front.parameters1.values[JointParameters::SUSPENSION_ERP]);
    EXPECT_FLOAT_EQ(float(dJointGetHinge2Param(steered, dParamSuspensionCFM)),
                    front.parameters1.values[JointParameters::SUSPENSION_CFM]);
    EXPECT_EQ(dJointGetHinge2Param(steered, dParamFMax2), 0.0);
    dVector3 anchor;
    dJointGetHinge2Anchor(steered, anchor);
    const D3DXVECTOR3 wheel = BodyPosition(racer.bodies[0]);
    EXPECT_NEAR(anchor[0], wheel.x, 1e-6);
    EXPECT_NEAR(anchor[1], wheel.y, 1e-6);

    // The markers are the clone's.
    ASSERT_NE(racer.exhaustMarker, nullptr);
    EXPECT_STREQ(racer.exhaustMarker->name, "uitlaat");
    ASSERT_NE(racer.secondExhaustMarker, nullptr);
    EXPECT_EQ(racer.effectMarker, nullptr);
    EXPECT_EQ(racer.exhaustMarker, definition.FindBody("uitlaat"));
}

TEST_F(BuggyConstructionTest, BoxSizesAreTakenAbsoluteAndAtLeastOne)
{
    PhysicsDefinitionDescription description = MakeDemoBuggyModel(1).physics;
    const PhysicsPrimitiveUse use = description.bodies[4].primitives.at(0);
    ASSERT_EQ(use.kind, PRIMITIVE_BOX);
    description.boxes.at(size_t(use.index)).size = {0.5f, -3.0f, 200.0f};
    group.AddBuggy(0);
    QV7_Buggy& racer = *group.racers.items[0];
    QV7_Buggy::BuildFromDefinition(*ReadDefinition(description), nullptr, racer);
    dVector3 lengths;
    dGeomBoxGetLengths(GeomTransformGetGeom(racer.geoms[4]), lengths);
    // Geom lengths are (size 1, size 3, size 2).
    EXPECT_NEAR(lengths[0], 1 * 0.0009, 1e-9);
    EXPECT_NEAR(lengths[1], 200 * 0.0009, 1e-6);
    EXPECT_NEAR(lengths[2], 3 * 0.0009, 1e-9);
    // The database's primitive keeps its sizes.
    EXPECT_EQ(racer.physicsDefinition->boxes[use.index]->size[1], -3.0f);
}

TEST_F(BuggyConstructionTest, DefinitionsWithoutAChassisOrWithAMasslessBodyAreRefused)
{
    physicstest::Log().clear();
    QV7_Logger::SetConsoleEcho(&physicstest::Capture);
    PhysicsDefinitionDescription shortOne;
    for (int b = 0; b < 8; ++b)
    {
        PhysicsBodyDescription body;
        body.name = "b";
        shortOne.AddBody(body);
        shortOne.AddSphere(b, {{0, 0, 0}, {0, 100, 0}, {}});
    }
    PhysicsDefinitionDescription massless = MakeDemoBuggyModel(1).physics;
    massless.bodies[6].primitives.clear();
    struct Case
    {
        const char* what;
        PhysicsDefinitionDescription description;
        const char* line;
    };
    const Case cases[] = {
        {"eight bodies", shortOne, "ERROR: Racer construction: the buggy has no chassis body, bodies (8)"},
        {"a body without primitives", massless,
         "ERROR: Racer construction: a body has no collision primitive, body (6)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        physicstest::Log().clear();
        group.AddBuggy(group.racers.count);
        QV7_Buggy& racer = *group.racers.items[group.racers.count - 1];
        const size_t bodiesBefore = group.bodies.size();
        EXPECT_THROW(QV7_Buggy::BuildFromDefinition(*ReadDefinition(c.description), nullptr, racer),
                     CDException);
        EXPECT_EQ(group.bodies.size(), bodiesBefore);
        EXPECT_TRUE(racer.bodies.empty());
        ASSERT_FALSE(physicstest::Log().empty());
        EXPECT_EQ(physicstest::Log().front(), c.line);
    }
    QV7_Logger::SetConsoleEcho(nullptr);
}
} // namespace

namespace
{
// Drive and steering as the drivers set them: the axis-2 motor of the driven
// wheels, the axis-1 stops of the steered ones.
void Drive(QV7_Buggy& racer, dReal velocity, dReal force)
{
    for (dJointID joint : racer.drivenJoints)
    {
        dJointSetHinge2Param(joint, dParamVel2, velocity);
        dJointSetHinge2Param(joint, dParamFMax2, force);
    }
}

void Steer(QV7_Buggy& racer, dReal angle)
{
    for (dJointID joint : racer.steeredJoints)
    {
        dJointSetHinge2Param(joint, dParamLoStop, angle - 0.0001);
        dJointSetHinge2Param(joint, dParamHiStop, angle + 0.0001);
        dJointSetHinge2Param(joint, dParamLoStop, angle - 0.0001);
    }
}

// On flat ground (no island: height 0), nose along -x.
class BuggyDrivingTest : public BuggyConstructionTest
{
  protected:
    QV7_Buggy& SettledRacer()
    {
        QV7_Buggy& racer = AddRacer(2);
        racer.PlaceAt(kStart.x, kStart.y, kStart.z, -QV7_Buggy::kQuarterTurn);
        Run(150);
        start = BodyPosition(racer.ChassisBody());
        return racer;
    }
    const D3DXVECTOR3 kStart{30000.0f, 40.0f, 30000.0f};
    D3DXVECTOR3 start;
};

TEST_F(BuggyDrivingTest, AStillBuggySettlesOnItsWheelsAndDrivenWheelsMoveItAlongItsNose)
{
    QV7_Buggy& racer = SettledRacer();
    EXPECT_GT(start.y, 0.0f);
    EXPECT_LT(start.y, 0.4f);
    Run(20);
    EXPECT_NEAR(BodyPosition(racer.ChassisBody()).y, start.y, 1e-3);
    Drive(racer, -20, 5);
    Run(200);
    const D3DXVECTOR3 moved = BodyPosition(racer.ChassisBody()) - start;
    EXPECT_LT(moved.x, -1.0f); // along the nose
    EXPECT_LT(std::fabs(moved.z), 0.1f * std::fabs(moved.x));
    EXPECT_LT(Nose(racer.ChassisBody()).x, -0.99f);
}

TEST_F(BuggyDrivingTest, APositiveSteeringAngleTurnsTheNoseTowardMinusZ)
{
    QV7_Buggy& racer = SettledRacer();
    Steer(racer, 0.3);
    Drive(racer, -20, 5);
    Run(200);
    const D3DXVECTOR3 moved = BodyPosition(racer.ChassisBody()) - start;
    EXPECT_LT(moved.x, -0.5f);
    EXPECT_LT(moved.z, -0.1f);
    EXPECT_LT(Nose(racer.ChassisBody()).z, -0.1f);
    // The pair the drivers make heavy in a right turn (parts 2 and 1) sits on
    // the body's -z side, the outside of that turn.
    EXPECT_LT(racer.physicsDefinition->bodies[1]->centre[2], 0.0f);
    EXPECT_LT(racer.physicsDefinition->bodies[2]->centre[2], 0.0f);
}
} // namespace

namespace
{
// The demo island 1 (its height field as Map1.map holds it) with the six
// racers of a race on the grid at its track's start.
class BuggyIslandTest : public BuggyConstructionTest
{
  protected:
    static void SetUpTestSuite()
    {
        const demo::DemoIsland island = demo::BuildDemoIsland(1);
        s_Land = physicstest::MakeLandscape([&](int x, int z)
                                            { return island.map.heights[size_t(z) * 1024 + size_t(x)]; })
                     .release();
    }
    static void TearDownTestSuite()
    {
        delete s_Land;
        s_Land = nullptr;
    }
    void SetUp() override
    {
        BuggyConstructionTest::SetUp();
        g_landscape = s_Land;
        const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1);
        pose.position = D3DXVECTOR3(track[0].x, 0.0f, track[0].z);
        // Nose (sin yaw, 0, cos yaw) along the track's first stretch.
        pose.yaw = std::atan2(track[1].x - track[0].x, track[1].z - track[0].z);
        pose.position.y = s_Land->GetHeight(pose.position.x, pose.position.z) + 40.0f;
    }
    // The six racers of a race, the player's default model and the opponents'.
    void FillGrid()
    {
        for (int model : {2, 4, 2, 3, 1, 3})
            AddRacer(model);
        for (int i = 0; i < group.racers.count; ++i)
            group.racers.items[i]->PlaceOnGrid(pose.position, QV7_PhysicsGroup::kGridOffsets[i], pose.yaw);
    }
    // Every body finite and inside the world's square, above the sea floor.
    void ExpectInWorld()
    {
        for (dBodyID body : group.bodies)
        {
            ASSERT_TRUE(Finite(body));
            const D3DXVECTOR3 at = BodyPosition(body);
            EXPECT_GT(at.x, 0.0f);
            EXPECT_LT(at.x, 312.0f);
            EXPECT_GT(at.z, 0.0f);
            EXPECT_LT(at.z, 312.0f);
            EXPECT_GT(at.y, -1.0f);
        }
    }
    float GroundUnder(dBodyID body) const
    {
        const D3DXVECTOR3 at = BodyPosition(body) * 200.0f;
        return s_Land->GetHeight(at.x, at.z) * 0.005f;
    }

    static QV7_Landscape* s_Land;
    StartGridPose pose;
};
QV7_Landscape* BuggyIslandTest::s_Land = nullptr;

TEST_F(BuggyIslandTest, SixBuggiesOnTheGridSettleOnTheIsland)
{
    FillGrid();
    Run(250);
    ExpectInWorld();
    std::vector<float> heights;
    for (int i = 0; i < group.racers.count; ++i)
        heights.push_back(BodyPosition(group.racers.items[i]->ChassisBody()).y);
    Run(30);
    ExpectInWorld();
    for (int i = 0; i < group.racers.count; ++i)
    {
        SCOPED_TRACE(i);
        dBodyID chassis = group.racers.items[i]->ChassisBody();
        EXPECT_NEAR(BodyPosition(chassis).y, heights[size_t(i)], 2e-3);
        const float clearance = BodyPosition(chassis).y - GroundUnder(chassis);
        EXPECT_GT(clearance, 0.0f);
        EXPECT_LT(clearance, 0.4f);
    }
}

TEST_F(BuggyIslandTest, ABuggyDroppedFromAHeightBouncesAndComesToRest)
{
    QV7_Buggy& racer = AddRacer(1);
    racer.PlaceOnGrid(pose.position + D3DXVECTOR3(0, 300, 0), QV7_PhysicsGroup::kGridOffsets[0], pose.yaw);
    dBodyID chassis = racer.ChassisBody();
    bool rose = false, fell = false;
    for (int step = 0; step < 300; ++step)
    {
        Run(1);
        const dReal vy = dBodyGetLinearVel(chassis)[1];
        fell = fell || vy < -0.5;
        rose = rose || (fell && vy > 0.01);
    }
    EXPECT_TRUE(fell);
    EXPECT_TRUE(rose); // it came back up off the ground at least once
    ExpectInWorld();
    const float height = BodyPosition(chassis).y;
    Run(30);
    EXPECT_NEAR(BodyPosition(chassis).y, height, 2e-3);
    const float clearance = height - GroundUnder(chassis);
    EXPECT_GT(clearance, 0.0f);
    EXPECT_LT(clearance, 0.4f);
}
} // namespace
