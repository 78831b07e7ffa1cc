// The player's driver on a demo buggy under ODE, on flat ground: the keys
// accelerate it along its nose, steer it toward -z and the hand brake stops
// it; under the water it drowns and comes back at its checkpoint.
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/NearCallback.h"
#include "race/QV7_PhysicsGroup.h"
#include "tests/race/PhysicsTestSupport.h"
#include "tests/race/PlayerDriveTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace
{
constexpr float kFrameMs = QV7_PhysicsGroup::kStepMs;

std::unique_ptr<BuggyPhysicsDefinition> DemoModel(int m)
{
    BinaryWriter writer;
    WritePhysicsDefinition(writer, MakeDemoBuggyModel(m).physics);
    BinaryReader file(writer.Bytes());
    auto definition = std::make_unique<BuggyPhysicsDefinition>();
    definition->Read(file);
    return definition;
}

D3DXVECTOR3 At(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
}

D3DXVECTOR3 Nose(dBodyID body)
{
    dVector3 nose;
    dBodyVectorToWorld(body, -1, 0, 0, nose);
    return D3DXVECTOR3(float(nose[0]), float(nose[1]), float(nose[2]));
}

class PlayerDrivingTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_contactHooks = ContactHooks{};
        QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
        QV7_PhysicsGroup::s_Hooks.drive = [](QV7_Buggy& buggy)
        {
            if (buggy.playerController)
                buggy.playerController->DriveFrame(kFrameMs);
        };
        group.CreateWorld(0);
        group.frameCounter = 100;
        group.AddBuggy(0);
        racer = group.racers.items[0];
        QV7_Buggy::BuildFromDefinition(*DemoModel(2), nullptr, *racer);
        QV7_Buggy::AttachPlayerController(*racer, {}, false);
        driver = racer->playerController;
        racer->PlaceAt(kStart.x, kStart.y, kStart.z, -QV7_Buggy::kQuarterTurn);
        Run(150); // settles, held by the placement
        start = At(racer->ChassisBody());
    }
    void TearDown() override { QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{}; }

    // Frames of one 11 ms step each, the driver first.
    void Run(int frames)
    {
        for (int i = 0; i < frames; ++i)
        {
            group.timeAccumulator = 0;
            group.StepFrame(kFrameMs);
        }
    }
    float Speed() const { return driver->groundSpeed; }

    const D3DXVECTOR3 kStart{30000.0f, 40.0f, 30000.0f};
    drivetest::FakeRace race;
    QV7_PhysicsGroup group;
    QV7_Buggy* racer = nullptr;
    QV7_PlayerController* driver = nullptr;
    D3DXVECTOR3 start;
};

TEST_F(PlayerDrivingTest, ThePlacementHoldsTheBuggyUntilTheThrottle)
{
    EXPECT_EQ(racer->placementHold, 1);
    EXPECT_EQ(driver->handBrakeOn, 1);
    Run(50);
    EXPECT_LT(std::fabs(At(racer->ChassisBody()).x - start.x), 0.01f);
    // The brake state holds every wheel motor at rest.
    for (dJointID joint : {racer->drivenJoints[0], racer->drivenJoints[1], racer->steeredJoints[0]})
    {
        EXPECT_EQ(dJointGetHinge2Param(joint, dParamVel2), 0.0);
        EXPECT_EQ(dJointGetHinge2Param(joint, dParamFMax2), 10.0);
    }
}

TEST_F(PlayerDrivingTest, AccelerateSteerAndBrake)
{
    race.Hold(KEY_Accelerate);
    Run(200);
    EXPECT_EQ(racer->placementHold, 0);
    EXPECT_EQ(driver->handBrakeOn, 0);
    const D3DXVECTOR3 straight = At(racer->ChassisBody()) - start;
    EXPECT_LT(straight.x, -1.0f); // along the nose
    EXPECT_LT(std::fabs(straight.z), 0.1f * std::fabs(straight.x));
    EXPECT_GT(Speed(), 0.5f);
    EXPECT_NEAR(driver->forwardAxis.x, -1.0f, 0.02f);
    EXPECT_EQ(dJointGetHinge2Param(racer->drivenJoints[0], dParamVel2), -30.0);

    race.Hold(KEY_SteerLeft);
    Run(150);
    EXPECT_FLOAT_EQ(driver->steerAngle, 0.3f);
    EXPECT_NEAR(dJointGetHinge2Angle1(racer->steeredJoints[0]), 0.3, 0.05);
    EXPECT_LT(Nose(racer->ChassisBody()).z, -0.2f); // turned toward -z

    race.Release(KEY_SteerLeft);
    race.Release(KEY_Accelerate);
    race.Hold(KEY_HandBrake);
    Run(300);
    EXPECT_EQ(driver->handBrakeOn, 1);
    EXPECT_LT(Speed(), 0.05f);
    EXPECT_EQ(driver->steerAngle, 0.0f); // centred once the key is up
}

TEST_F(PlayerDrivingTest, UnderTheWaterTheBuggyDrownsAndRespawnsAtItsCheckpoint)
{
    race.fakes.point.position[0] = D3DXVECTOR3(40000.0f, 0.0f, 20000.0f);
    race.fakes.point.yaw[0] = -QV7_Buggy::kQuarterTurn;
    race.fakes.session.hasWater = 1;
    race.fakes.session.waterLevel = 100.0f; // over the buggy
    driver->health = 20.0f;
    Run(1);
    EXPECT_EQ(driver->drownedNotice, 1);
    EXPECT_EQ(driver->health, driver->healthMax);
    EXPECT_EQ(driver->respawnLock, 1);
    EXPECT_NEAR(racer->position.x, 40450.0f, 1.0f);
    EXPECT_NEAR(racer->position.z, 20000.0f, 1.0f);
    race.fakes.session.waterLevel = -100.0f;
    Run(200);
    const D3DXVECTOR3 landed = At(racer->ChassisBody()) * 200.0f;
    EXPECT_NEAR(landed.x, 40450.0f, 20.0f);
    EXPECT_NEAR(landed.z, 20000.0f, 20.0f);
    EXPECT_GT(landed.y, 0.0f);
    EXPECT_LT(landed.y, 80.0f); // back on its wheels on the ground
    EXPECT_EQ(driver->respawnLock, 0);
}

TEST_F(PlayerDrivingTest, AWreckThrowsTheBuggyUpAndRespawnsIt)
{
    race.fakes.point.position[0] = D3DXVECTOR3(31000.0f, 0.0f, 30000.0f);
    race.fakes.point.yaw[0] = -QV7_Buggy::kQuarterTurn;
    driver->health = 0.0f;
    Run(1);
    EXPECT_EQ(racer->wrecked, 1);
    Run(10);
    EXPECT_GT(At(racer->ChassisBody()).y, start.y + 0.05f);
    Run(70); // 81 frames of 11 ms: past 800 ms
    EXPECT_EQ(racer->wrecked, 0);
    EXPECT_NEAR(racer->position.x, 31450.0f, 1.0f);
}
} // namespace
