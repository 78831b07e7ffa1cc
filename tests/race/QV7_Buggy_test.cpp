// The racer record: its count of live racers and its three placements.
#include "race/QV7_Buggy.h"
#include "tests/race/PhysicsTestSupport.h"

#include <gtest/gtest.h>

namespace
{
TEST(BuggyTest, LiveRacersAreCountedAndSerialsFollowTheCount)
{
    const int before = g_buggyCount;
    {
        QV7_Buggy first, second;
        EXPECT_EQ(g_buggyCount, before + 2);
        EXPECT_EQ(second.serial, first.serial + 1);
        EXPECT_EQ(first.justPlaced, 1);
        EXPECT_EQ(first.placementHold, 1);
        EXPECT_EQ(first.noContact, 1);
        EXPECT_EQ(first.lapCounter, 1);
        EXPECT_EQ(first.ammo, first.ownAmmo);
        EXPECT_EQ(first.ChassisBody(), nullptr);
    }
    EXPECT_EQ(g_buggyCount, before);
}

class PlacementTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        world = dWorldCreate();
        racer.physicsDefinition = new BuggyPhysicsDefinition();
        // Body 0: a sphere and a box whose centres average to (500, 100, 0);
        // body 1: no primitive at all.
        PhysicsBodyDef* body = racer.physicsDefinition->bodies.Add();
        CollisionSphereDef* sphere = racer.physicsDefinition->spheres.Add();
        sphere->centre[0] = 1000.0f;
        CollisionBoxDef* box = racer.physicsDefinition->boxes.Add();
        box->centre[1] = 200.0f;
        *body->primitives.Add() = PrimitiveRef{sphere, PRIMITIVE_SPHERE};
        *body->primitives.Add() = PrimitiveRef{box, PRIMITIVE_BOX};
        racer.physicsDefinition->bodies.Add();
        for (int b = 0; b < 2; ++b)
        {
            racer.bodies.push_back(dBodyCreate(world));
            dBodySetLinearVel(racer.bodies.back(), 1, 1, 1);
            dBodySetAngularVel(racer.bodies.back(), 1, 1, 1);
            dBodyAddForce(racer.bodies.back(), 1, 1, 1);
        }
        racer.justPlaced = racer.placementHold = 0;
        racer.sinceCheckpointMs = 500;
    }
    void TearDown() override { dWorldDestroy(world); }
    void ExpectAtRest(dBodyID body)
    {
        for (int k = 0; k < 3; ++k)
        {
            EXPECT_EQ(dBodyGetLinearVel(body)[k], 0.0);
            EXPECT_EQ(dBodyGetAngularVel(body)[k], 0.0);
            EXPECT_EQ(dBodyGetForce(body)[k], 0.0);
        }
    }
    physicstest::OdeScope ode;
    dWorldID world = nullptr;
    QV7_Buggy racer;
};

TEST_F(PlacementTest, PlaceAtTurnsEveryBodyAboutThePointAndStopsIt)
{
    racer.PlaceAt(1000, 200, 3000, 0.0f); // a quarter turn: model +x onto world -z
    EXPECT_EQ(racer.position, D3DXVECTOR3(1000, 200, 3000));
    EXPECT_EQ(racer.justPlaced, 1);
    EXPECT_EQ(racer.placementHold, 1);
    EXPECT_EQ(racer.sinceCheckpointMs, 0.0f);
    const dReal* first = dBodyGetPosition(racer.bodies[0]);
    EXPECT_NEAR(first[0], 5.0, 1e-5);
    EXPECT_NEAR(first[1], 1.0 + 0.09, 1e-5);
    EXPECT_NEAR(first[2], 15.0 - 0.45, 1e-5);
    const dReal* second = dBodyGetPosition(racer.bodies[1]);
    EXPECT_NEAR(second[0], 5.0, 1e-6);
    EXPECT_NEAR(second[2], 15.0, 1e-6);
    // The body's x axis now points along world -z.
    const dReal* r = dBodyGetRotation(racer.bodies[0]);
    EXPECT_NEAR(r[0], 0.0, 1e-6);
    EXPECT_NEAR(r[8], -1.0, 1e-6);
    ExpectAtRest(racer.bodies[0]);
    ExpectAtRest(racer.bodies[1]);
    // Twice at one pose: the same pose.
    racer.PlaceAt(1000, 200, 3000, 0.0f);
    EXPECT_DOUBLE_EQ(dBodyGetPosition(racer.bodies[0])[2], first[2]);
}

TEST_F(PlacementTest, WithoutBodiesOnlyTheRespawnsMoveTheRenderPosition)
{
    delete racer.physicsDefinition;
    racer.physicsDefinition = nullptr;
    const D3DXVECTOR3 where(100, 0, 0), offset(10, 0, 0);
    racer.PlaceOnGrid(where, offset, -1.5707964f);
    EXPECT_EQ(racer.position, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(racer.justPlaced, 1);
    racer.PlaceWithOffset(where, offset, -1.5707964f);
    EXPECT_EQ(racer.position, D3DXVECTOR3(110, 0, 0));
    racer.PlaceAt(7, 8, 9, 0.0f);
    EXPECT_EQ(racer.position, D3DXVECTOR3(7, 8, 9));
}
} // namespace
