// The physics group's world: its parameters, the landscape geom, two races
// in one process, teardown with racer joints, the start grid, and a ball
// dropped on the island settling on the ground.
#include "race/NearCallback.h"
#include "race/QV7_AIController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "tests/race/PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace
{
using physicstest::Log;
using physicstest::RacerBody;

std::vector<std::string> g_odeMessages;
void RecordOdeMessage(int, const char* format, va_list args)
{
    char text[256];
    std::vsnprintf(text, sizeof(text), format, args);
    g_odeMessages.emplace_back(text);
}

class PhysicsGroupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        Log().clear();
        QV7_Logger::SetConsoleEcho(&physicstest::Capture);
        g_odeMessages.clear();
        dSetMessageHandler(&RecordOdeMessage);
    }
    void TearDown() override
    {
        dSetMessageHandler(nullptr);
        QV7_Logger::SetConsoleEcho(nullptr);
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
    }
};

// A sphere under the landscape geom at (10, 0.2, 10) of a fresh world: the
// landscape class must still collide.
int LandscapeContacts(QV7_PhysicsGroup& group)
{
    dGeomID sphere = dCreateSphere(nullptr, 0.5);
    dGeomSetPosition(sphere, 10, 0.2, 10);
    dContactGeom contact{};
    const int contacts = dCollide(sphere, group.geoms.front(), 1, &contact, sizeof(contact));
    dGeomDestroy(sphere);
    return contacts;
}

TEST_F(PhysicsGroupTest, WorldParametersAndTheLandscapeGeom)
{
    QV7_PhysicsGroup group;
    EXPECT_EQ(g_physicsGroup, &group);
    group.CreateWorld(0);
    dVector3 gravity;
    dWorldGetGravity(group.world, gravity);
    EXPECT_EQ(gravity[0], 0.0);
    EXPECT_EQ(gravity[1], -0.5);
    EXPECT_EQ(gravity[2], 0.0);
    EXPECT_DOUBLE_EQ(dWorldGetCFM(group.world), 0.0001);
    EXPECT_DOUBLE_EQ(dWorldGetERP(group.world), 0.7);
    EXPECT_EQ(dWorldGetQuickStepNumIterations(group.world), 40);
    EXPECT_EQ(dSpaceGetClass(group.space), dQuadTreeSpaceClass);
    ASSERT_EQ(group.geoms.size(), 1u);
    EXPECT_EQ(dGeomGetClass(group.geoms[0]), g_landscapeGeomClass);
    EXPECT_GE(g_landscapeGeomClass, int(dFirstUserClass));
    EXPECT_TRUE(dSpaceQuery(group.space, group.geoms[0]));
    EXPECT_EQ(dGeomGetBody(group.geoms[0]), nullptr);
    EXPECT_EQ(LandscapeContacts(group), 1);
    EXPECT_EQ(group.racers.count, 0);
}

TEST_F(PhysicsGroupTest, RacesOneAfterAnotherShareOneLandscapeClass)
{
    int firstClass = -1;
    for (int race = 0; race < 6; ++race)
    {
        SCOPED_TRACE(race);
        // A load that fails before the world exists gives nothing back to ODE.
        {
            QV7_PhysicsGroup unbuilt;
        }
        EXPECT_EQ(g_physicsGroup, nullptr);
        QV7_PhysicsGroup group;
        group.CreateWorld(1);
        if (race == 0)
            firstClass = g_landscapeGeomClass;
        EXPECT_EQ(g_landscapeGeomClass, firstClass);
        EXPECT_EQ(LandscapeContacts(group), 1);
        // Two racer bodies joined in the racer's own group, as construction leaves them.
        QV7_Buggy& racer = *group.racers.items[0];
        racer.jointGroup = dJointGroupCreate(0);
        for (int b = 0; b < 2; ++b)
        {
            group.bodies.push_back(dBodyCreate(group.world));
            racer.bodies.push_back(group.bodies.back());
            dGeomID transform = CreateGeomTransform(group.space);
            dGeomID sphere = dCreateSphere(nullptr, 0.1);
            GeomTransformSetGeom(transform, sphere);
            dGeomSetBody(transform, group.bodies.back());
            group.geoms.push_back(transform);
            group.geoms.push_back(sphere);
        }
        dJointID hinge = dJointCreateHinge2(group.world, racer.jointGroup);
        dJointAttach(hinge, racer.bodies[0], racer.bodies[1]);
        group.joints.push_back(hinge);
        racer.joints.push_back(hinge);
    }
    EXPECT_EQ(g_physicsGroup, nullptr);
    EXPECT_TRUE(g_odeMessages.empty()) << g_odeMessages.front();
    EXPECT_EQ(g_buggyCount, 0);
}

TEST_F(PhysicsGroupTest, QuickRaceOpponentFromOneRandomNumber)
{
    const int cases[][3] = {{0, 1, 1},    {32767, 1, 5}, {16384, 1, 3}, {6554, 1, 2},
                            {6553, 1, 1}, {-5000, 1, 1}, {-10000, 1, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(QV7_PhysicsGroup::QuickRaceOpponentIndex(c[0], c[1]), c[2]) << c[0];

    QV7_PhysicsGroup::s_Hooks.raceMode = [] { return int(QV7_PhysicsGroup::kRaceModeQuickRace); };
    QV7_PhysicsGroup group;
    group.CreateWorld(3);
    ASSERT_EQ(group.racers.count, 3);
    EXPECT_EQ(group.racers.items[0]->indexInGroup, 0);
    EXPECT_GE(group.racers.items[1]->indexInGroup, 1);
    EXPECT_LE(group.racers.items[1]->indexInGroup, 5);
    EXPECT_EQ(group.racers.items[2]->indexInGroup, 2);
    EXPECT_EQ(group.racers.items[2]->ownerGroup, &group);
}

// Racer construction stand-in: one body whose sphere sits 1000 model units
// ahead along x, so the body's centre turns with the racer.
void BuildOneBody(QV7_PhysicsGroup& group, QV7_Buggy& buggy, int index)
{
    buggy.physicsDefinition = new BuggyPhysicsDefinition();
    PhysicsBodyDef* body = buggy.physicsDefinition->bodies.Add();
    CollisionSphereDef* sphere = buggy.physicsDefinition->spheres.Add();
    sphere->centre[0] = 1000.0f;
    PrimitiveRef* ref = body->primitives.Add();
    ref->record = sphere;
    ref->kind = PRIMITIVE_SPHERE;
    body->owner = &buggy;
    dBodyID odeBody = dBodyCreate(group.world);
    dBodySetLinearVel(odeBody, 1, 2, 3);
    dBodySetAngularVel(odeBody, 1, 2, 3);
    group.bodies.push_back(odeBody);
    buggy.bodies.push_back(odeBody);
    if (index == 0)
    {
        buggy.controllerKind = QV7_Buggy::CONTROLLER_PLAYER;
        buggy.playerController = new QV7_PlayerController();
    }
    else
    {
        buggy.controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
        buggy.computerController = new QV7_AIController();
    }
    QV7_DriveController* driver = buggy.Controller();
    driver->healthMax = 130;
    driver->turboMax = 4000;
    driver->energyMax = 40;
    driver->respawnRequested = 1;
    for (int k = 0; k < 4; ++k)
    {
        buggy.ammoStart[k] = 10 * (k + 1);
        buggy.ammo[k] = 1;
    }
    buggy.lapCounter = 3;
    buggy.checkpointsPassed = 7;
    buggy.bestLap = buggy.totalTime = 9000;
    buggy.wrongCheckpoint = 1;
    buggy.justPlaced = buggy.placementHold = 0;
}

CheckpointRecord* const kStartCheckpoint = reinterpret_cast<CheckpointRecord*>(0x1000);
int g_effectsRemoved = 0, g_weaponsReset = 0;
std::vector<int> g_currencyCleared;

class StartGridTest : public PhysicsGroupTest
{
  protected:
    void SetUp() override
    {
        PhysicsGroupTest::SetUp();
        g_effectsRemoved = g_weaponsReset = 0;
        g_currencyCleared.clear();
        QV7_PhysicsGroup::s_Hooks.buildBuggy = &BuildOneBody;
        QV7_PhysicsGroup::s_Hooks.removeOwnerEffects = [](QV7_Buggy&) { ++g_effectsRemoved; };
        QV7_PhysicsGroup::s_Hooks.resetWeapons = [](QV7_Buggy&) { ++g_weaponsReset; };
        QV7_PhysicsGroup::s_Hooks.clearCurrency = [](int racer) { g_currencyCleared.push_back(racer); };
    }
    static const dReal* BodyAt(const QV7_Buggy& racer) { return dBodyGetPosition(racer.bodies[0]); }
};

TEST_F(StartGridTest, SlotsTurnWithTheStartPose)
{
    for (bool turned : {false, true})
    {
        SCOPED_TRACE(turned ? "yaw 0: a quarter turn" : "yaw -pi/2: model axes");
        bool (*quarterTurn)(StartGridPose*) = [](StartGridPose* pose)
        {
            *pose = {kStartCheckpoint, D3DXVECTOR3(1000, 200, 2000), 0.0f};
            return true;
        };
        bool (*unturned)(StartGridPose*) = [](StartGridPose* pose)
        {
            *pose = {kStartCheckpoint, D3DXVECTOR3(1000, 200, 2000), -1.5707964f};
            return true;
        };
        QV7_PhysicsGroup::s_Hooks.findStartPose = turned ? quarterTurn : unturned;
        QV7_PhysicsGroup group;
        group.CreateWorld(7);
        group.PlaceOnStartGrid();
        for (int i = 0; i < 6; ++i)
        {
            SCOPED_TRACE(i);
            const QV7_Buggy& racer = *group.racers.items[i];
            const D3DXVECTOR3& slot = QV7_PhysicsGroup::kGridOffsets[i];
            // A quarter turn takes the slot's x onto -z and its z onto x.
            const D3DXVECTOR3 offset = turned ? D3DXVECTOR3(slot.z, slot.y, -slot.x) : slot;
            EXPECT_NEAR(racer.position.x, 1000 + offset.x, 1e-3);
            EXPECT_NEAR(racer.position.y, 200 + offset.y, 1e-3);
            EXPECT_NEAR(racer.position.z, 2000 + offset.z, 1e-3);
            const dReal* at = BodyAt(racer);
            const D3DXVECTOR3 ahead = turned ? D3DXVECTOR3(0, 0, -0.9f) : D3DXVECTOR3(0.9f, 0, 0);
            EXPECT_NEAR(at[0], racer.position.x * 0.005 + ahead.x, 1e-5);
            EXPECT_NEAR(at[1], racer.position.y * 0.005, 1e-5);
            EXPECT_NEAR(at[2], racer.position.z * 0.005 + ahead.z, 1e-5);
            EXPECT_EQ(dBodyGetLinearVel(racer.bodies[0])[0], 0.0);
            EXPECT_EQ(dBodyGetAngularVel(racer.bodies[0])[1], 0.0);
            EXPECT_EQ(racer.currentCheckpoint, kStartCheckpoint);
            EXPECT_EQ(racer.justPlaced, 1);
            EXPECT_EQ(racer.placementHold, 1);
        }
        // The seventh racer has no slot.
        const QV7_Buggy& seventh = *group.racers.items[6];
        EXPECT_EQ(seventh.position, D3DXVECTOR3(0, 0, 0));
        EXPECT_EQ(seventh.currentCheckpoint, nullptr);
        EXPECT_EQ(BodyAt(seventh)[0], 0.0);
        EXPECT_EQ(seventh.justPlaced, 0);
    }
}

TEST_F(StartGridTest, ARestartRestoresEveryRacersRaceState)
{
    QV7_PhysicsGroup::s_Hooks.findStartPose = [](StartGridPose* pose)
    {
        *pose = {kStartCheckpoint, D3DXVECTOR3(0, 0, 0), 0.0f};
        return true;
    };
    QV7_PhysicsGroup group;
    group.CreateWorld(2);
    group.racers.items[0]->playerController->drownedNotice = 1;
    group.racers.items[0]->playerController->lowPowerNotice = 1;
    group.PlaceOnStartGrid();
    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(i);
        const QV7_Buggy& racer = *group.racers.items[i];
        EXPECT_EQ(racer.lapCounter, 1);
        EXPECT_EQ(racer.checkpointsPassed, 0);
        EXPECT_EQ(racer.bestLap, 0.0f);
        EXPECT_EQ(racer.totalTime, 0.0f);
        EXPECT_EQ(racer.wrongCheckpoint, 0);
        const QV7_DriveController& driver = *racer.Controller();
        EXPECT_EQ(driver.health, 130.0f);
        EXPECT_EQ(driver.turbo, 4000.0f);
        EXPECT_EQ(driver.energy, 40.0f);
        EXPECT_EQ(driver.respawnRequested, 0);
        for (int k = 0; k < 4; ++k)
        {
            EXPECT_EQ(racer.ammo[k], 10 * (k + 1));
            EXPECT_EQ(racer.ammoFullScale[k], 10 * (k + 1));
        }
    }
    EXPECT_EQ(group.racers.items[0]->playerController->drownedNotice, 0);
    EXPECT_EQ(group.racers.items[0]->playerController->lowPowerNotice, 1); // not a grid word
    EXPECT_EQ(g_effectsRemoved, 2);
    EXPECT_EQ(g_weaponsReset, 2);
    EXPECT_EQ(g_currencyCleared, (std::vector<int>{0, 1}));
}

TEST_F(StartGridTest, WithoutAStartCheckpointTheRacersStayPut)
{
    QV7_PhysicsGroup group;
    group.CreateWorld(1);
    group.PlaceOnStartGrid();
    const QV7_Buggy& racer = *group.racers.items[0];
    EXPECT_EQ(racer.position, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(racer.currentCheckpoint, nullptr);
    EXPECT_EQ(racer.lapCounter, 1);
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back(), "ERROR: Physics: No start checkpoint, the racers are not placed");
}

float Island(int, int)
{
    return 100.0f; // 0.5 ODE units
}

TEST_F(PhysicsGroupTest, ABallDroppedOnTheIslandComesToRestOnTheGround)
{
    std::unique_ptr<QV7_Landscape> land = physicstest::MakeLandscape(&Island);
    QV7_PhysicsGroup group;
    group.CreateWorld(1);
    QV7_Buggy& racer = *group.racers.items[0];
    racer.placementHold = 0;
    RacerBody ball;
    const dReal radius = 0.1, start[3] = {10, 2, 10}, ground = 0.5;
    ball.Make(group.world, group.space, &racer, 0, radius, start);
    dReal lowest = start[1], firstTouch = -1;
    bool rebounded = false;
    for (int step = 0; step < 600; ++step)
    {
        racer.noGroundContact = 1;
        dSpaceCollide(group.space, nullptr, &NearCallback);
        dWorldQuickStep(group.world, 0.05);
        dJointGroupEmpty(group.contactGroup);
        const dReal* at = dBodyGetPosition(ball.body);
        const dReal vy = dBodyGetLinearVel(ball.body)[1];
        ASSERT_TRUE(std::isfinite(at[0]) && std::isfinite(at[1]) && std::isfinite(at[2])) << step;
        lowest = std::min(lowest, at[1]);
        if (!racer.noGroundContact && firstTouch < 0)
            firstTouch = step;
        if (firstTouch >= 0 && vy > 0.01)
            rebounded = true;
    }
    EXPECT_GE(firstTouch, 0);
    EXPECT_TRUE(rebounded) << "the ground pushed the ball back up";
    EXPECT_GT(lowest - radius, ground - 0.02) << "sank into the ground"; // soft contacts give a little
    const dReal* at = dBodyGetPosition(ball.body);
    const dReal* velocity = dBodyGetLinearVel(ball.body);
    EXPECT_NEAR(at[1] - radius, ground, 0.01);
    EXPECT_NEAR(at[0], 10, 1e-6);
    EXPECT_NEAR(at[2], 10, 1e-6);
    EXPECT_LT(std::fabs(velocity[1]), 1e-3);
    ball.Destroy();
}
} // namespace
