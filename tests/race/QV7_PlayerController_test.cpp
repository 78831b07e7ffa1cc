// The player's driver without a physics world: the steering integrator and
// the wheel outputs as tables, and the rules of wrecks, respawns, drowning,
// budgets, notices and the one-shot keys on a racer with no bodies.
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_Windows.h"
#include "tests/race/PlayerDriveTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using Driver = QV7_PlayerController;

TEST(PlayerSteering, KeysTurnBackThroughTheCentreQuickerThanAwayFromIt)
{
    struct Case
    {
        const char* what;
        float angle;
        bool left, right;
        float dt;
        float expected;
    };
    const Case cases[] = {
        {"left from full right: back at 0.00165 per ms", -0.3f, true, false, 10.0f, -0.3f + 0.0165f},
        {"left from the centre: the quick step once", 0.0f, true, false, 10.0f, 0.0165f},
        {"left past 0.0012 dt: the slow rate only", 0.02f, true, false, 10.0f, 0.0245f},
        {"left at the stop stays there", 0.299f, true, false, 10.0f, 0.3f},
        {"right mirrors left", 0.3f, false, true, 10.0f, 0.3f - 0.0165f},
        {"right at the stop", -0.2999f, false, true, 10.0f, -0.3f},
        // Right then finds the angle below its quick-step limit: back to 0.
        {"both keys: left first, then right", 0.0f, true, true, 10.0f, 0.0f},
        {"no key leaves the angle", 0.1f, false, false, 10.0f, 0.1f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Driver::SteerWithKeys(c.angle, c.left, c.right, c.dt), c.expected, 1e-6f) << c.what;

    // Holding left from full right for 1 ms frames crosses 0 and slows down.
    float angle = -0.3f;
    int frames = 0;
    while (angle < 0.0f)
        angle = Driver::SteerWithKeys(angle, true, false, 1.0f), ++frames;
    EXPECT_EQ(frames, int(std::ceil(0.3f / 0.00165f)));
    const float after = Driver::SteerWithKeys(0.01f, true, false, 1.0f);
    EXPECT_NEAR(after - 0.01f, 0.00045f, 1e-7f);
}

TEST(PlayerSteering, AxesAndCentring)
{
    EXPECT_NEAR(Driver::SteerFromAxis(51, true), 0.01581f, 1e-6f);
    EXPECT_NEAR(Driver::SteerFromAxis(51, false), -0.01581f, 1e-6f);
    EXPECT_FLOAT_EQ(Driver::SteerFromAxis(1000, true), 0.3f);
    EXPECT_FLOAT_EQ(Driver::SteerFromAxis(1000, false), -0.3f);
    EXPECT_FLOAT_EQ(Driver::CentreSteering(0.1f, 10.0f), 0.09f);
    EXPECT_FLOAT_EQ(Driver::CentreSteering(-0.1f, 10.0f), -0.09f);
    EXPECT_EQ(Driver::CentreSteering(0.0099f, 10.0f), 0.0f); // lands exactly on 0
    EXPECT_EQ(Driver::CentreSteering(-0.0099f, 10.0f), 0.0f);
}

TEST(PlayerWheelOutputs, CommandTurboAndFreezeGiveWheelSpeedAndForce)
{
    struct Case
    {
        const char* what;
        float command, steer;
        bool turbo, slowed;
        float velocity, rear, front;
    };
    // Engine power 10 throughout.
    const Case cases[] = {
        {"keyboard throttle", 30.0f, 0.0f, false, false, -30.0f, 6.0f, 6.0f},
        {"turbo", 75.0f, 0.0f, true, false, -33.0f, 15.0f, 15.0f},
        {"frozen", 30.0f, 0.0f, false, true, -25.0f, 6.0f, 6.0f},
        {"frozen with turbo", 75.0f, 0.0f, true, true, -28.0f, 15.0f, 15.0f},
        {"keyboard reverse", -60.0f, 0.0f, false, false, 30.0f, 6.0f, 2.4f},
        {"joystick reverse at full deflection", -50.0f, 0.0f, false, false, 30.0f, 5.0f, 2.0f},
        {"reverse while frozen", -60.0f, 0.0f, false, true, 22.5f, 6.0f, 2.4f},
        {"steering share at full lock", 30.0f, 0.3f, false, false, -30.0f, 9.6f, 9.6f},
        {"no command", 0.0f, 0.0f, false, false, -30.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Driver::WheelMotor motor = Driver::MotorFor(c.command, c.steer, 10.0f, c.turbo, c.slowed);
        EXPECT_FLOAT_EQ(motor.velocity, c.velocity);
        EXPECT_NEAR(motor.rearForce, c.rear, 1e-5f);
        EXPECT_NEAR(motor.frontForce, c.front, 1e-5f);
    }
}

TEST(PlayerWheelOutputs, ClimbHelpSlopeWeightAndView)
{
    EXPECT_FLOAT_EQ(Driver::SlopeTerm(0.03f), 0.0f);
    EXPECT_FLOAT_EQ(Driver::SlopeTerm(-0.04f), 0.0f);
    EXPECT_NEAR(Driver::SlopeTerm(-0.1f), -0.3f, 1e-6f);
    EXPECT_NEAR(Driver::SlopeTerm(0.1f), 0.3f, 1e-6f);
    // Uphill (negative slope term) the throttle gets help, at most 70.
    EXPECT_NEAR(Driver::ClimbHelp(30.0f, -0.2f, false, false), 40.0f - 0.2f, 1e-5f);
    EXPECT_NEAR(Driver::ClimbHelp(30.0f, -1.0f, false, false), 70.0f - 1.0f, 1e-5f);
    EXPECT_NEAR(Driver::ClimbHelp(75.0f, -0.2f, false, false), 74.8f, 1e-5f); // turbo: slope only
    EXPECT_EQ(Driver::ClimbHelp(30.0f, -0.2f, true, false), 0.0f);
    EXPECT_EQ(Driver::ClimbHelp(30.0f, 0.0f, false, true), 0.0f);

    float masses[4];
    Driver::WheelMasses(-0.228f, false, masses); // right turn: rear 1 and front 2
    EXPECT_FLOAT_EQ(masses[0], 1350.0f);
    EXPECT_FLOAT_EQ(masses[1], 100.0f);
    EXPECT_FLOAT_EQ(masses[2], 100.0f);
    EXPECT_FLOAT_EQ(masses[3], 1350.0f);
    Driver::WheelMasses(0.228f, false, masses);
    EXPECT_FLOAT_EQ(masses[1], 1350.0f);
    EXPECT_FLOAT_EQ(masses[2], 1350.0f);
    Driver::WheelMasses(0.228f, true, masses);
    EXPECT_FLOAT_EQ(masses[1], 100.0f);

    EXPECT_NEAR(Driver::NextFov(0.8f, true, 2.0f, 10.0f), 0.81f, 1e-6f);  // widens towards 1.4
    EXPECT_NEAR(Driver::NextFov(1.45f, true, 1.0f, 10.0f), 0.9f, 1e-6f);  // target below: taken
    EXPECT_FLOAT_EQ(Driver::NextFov(1.5f, true, 5.0f, 10.0f), 1.5f);      // at the widest nothing
    EXPECT_NEAR(Driver::NextFov(1.0f, false, 5.0f, 10.0f), 0.99f, 1e-6f); // narrows
    EXPECT_FLOAT_EQ(Driver::NextFov(0.79f, false, 5.0f, 10.0f), Driver::kNarrowestFov);
}

// A racer without bodies: the rules only.
class PlayerRulesTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_Buggy::AttachPlayerController(racer, {}, false);
        driver = racer.playerController;
        driver->healthMax = driver->health = 100.0f;
        driver->energyMax = driver->energy = 20.0f;
        race.fakes.point.position[0] = D3DXVECTOR3(1000.0f, 200.0f, 2000.0f);
        race.fakes.point.yaw[0] = -QV7_Buggy::kQuarterTurn; // offsets stay unturned
        race.fakes.sincePassed = 5000.0f;
        racer.placementHold = 0;
    }
    void Frames(int count, float dt = 10.0f)
    {
        for (int i = 0; i < count; ++i)
            driver->DriveFrame(dt);
    }

    drivetest::FakeRace race;
    QV7_Buggy racer;
    QV7_PlayerController* driver = nullptr;
};

TEST_F(PlayerRulesTest, AWreckRespawnsAtTheCheckpointWithTheOffset800MsLater)
{
    driver->health = -3.0f;
    Frames(1);
    EXPECT_EQ(driver->destroyed, 1);
    EXPECT_EQ(racer.wrecked, 1);
    EXPECT_EQ(driver->health, 0.0f);
    EXPECT_EQ(driver->destroyedNotice, 1);
    EXPECT_EQ(driver->handBrakeOn, 1);
    EXPECT_EQ(race.fakes.effects, std::vector<std::string>{"Explode"});
    Frames(80); // 800 ms: not yet over
    EXPECT_EQ(driver->destroyed, 1);
    Frames(1);
    EXPECT_EQ(driver->destroyed, 0);
    EXPECT_EQ(racer.wrecked, 0);
    EXPECT_EQ(driver->health, 100.0f);
    EXPECT_EQ(driver->respawnRequested, 0);
    EXPECT_EQ(driver->respawnLock, 1);
    EXPECT_EQ(race.fakes.sincePassed, 0.0f);
    EXPECT_EQ(racer.position, D3DXVECTOR3(1450.0f, 350.0f, 2000.0f));
    EXPECT_EQ(racer.placementHold, 1);
    EXPECT_EQ(race.fakes.cameraResets, 1);
    // A wreck leaves no beam behind.
    EXPECT_EQ(race.fakes.effects, std::vector<std::string>{"Explode"});
}

TEST_F(PlayerRulesTest, AWreckOnTheGridRespawnsOnlyOnceTheCountdownIsOver)
{
    race.fakes.session.countdownRunning = 1;
    driver->health = 0.0f;
    Frames(100);
    EXPECT_EQ(driver->destroyed, 0);
    EXPECT_EQ(driver->respawnLock, 0);
    EXPECT_EQ(racer.position, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    race.fakes.session.countdownRunning = 0;
    Frames(1);
    EXPECT_EQ(driver->respawnLock, 1);
    EXPECT_EQ(racer.position, D3DXVECTOR3(1000.0f, 350.0f, 2000.0f));
}

TEST_F(PlayerRulesTest, TheRespawnKeyWaitsForTheLockAndTheCheckpoint)
{
    // The press is read after the respawn rule: it acts in the next frame.
    race.Hold(KEY_Respawn);
    Frames(1);
    EXPECT_EQ(driver->respawnRequested, 1);
    Frames(1);
    EXPECT_EQ(racer.position, D3DXVECTOR3(1000.0f, 350.0f, 2000.0f));
    EXPECT_EQ(race.fakes.effects, std::vector<std::string>{"Beam"});
    EXPECT_EQ(driver->respawnLock, 1);
    // Held down it does not fire again; a press inside the lock is dropped.
    Frames(10);
    EXPECT_EQ(driver->respawnRequested, 0);
    race.Release(KEY_Respawn);
    Frames(40);
    race.Hold(KEY_Respawn);
    Frames(2);
    EXPECT_EQ(driver->respawnRequested, 0);
    EXPECT_EQ(race.fakes.effects.size(), 1u);
    race.Release(KEY_Respawn);
    Frames(60); // the lock is over
    EXPECT_EQ(driver->respawnLock, 0);
    // An opponent passed the checkpoint 1 s ago: refused until 1600 ms.
    race.fakes.sincePassed = 1000.0f;
    race.Hold(KEY_Respawn);
    Frames(2);
    EXPECT_EQ(driver->respawnRequested, 1);
    EXPECT_EQ(race.fakes.effects.size(), 1u);
    race.fakes.sincePassed = 1601.0f;
    Frames(1);
    EXPECT_EQ(driver->respawnRequested, 0);
    EXPECT_EQ(race.fakes.effects.size(), 2u);
    // Last passed by the viewed buggy: at once.
    race.Release(KEY_Respawn);
    Frames(110);
    race.fakes.sincePassed = 10.0f;
    race.fakes.point.passedByViewed = 1;
    race.Hold(KEY_Respawn);
    Frames(2);
    EXPECT_EQ(race.fakes.effects.size(), 3u);
}

TEST_F(PlayerRulesTest, TheRespawnKeyDuringTheCountdownAndWithoutACheckpointDoesNothing)
{
    race.fakes.session.countdownRunning = 1;
    race.Hold(KEY_Respawn);
    Frames(1);
    EXPECT_EQ(driver->respawnRequested, 0);
    race.Release(KEY_Respawn);
    race.fakes.session.countdownRunning = 0;
    race.fakes.hasCheckpoint = false;
    Frames(1);
    race.Hold(KEY_Respawn);
    Frames(3);
    EXPECT_EQ(driver->respawnRequested, 1); // pending until there is a checkpoint
    EXPECT_EQ(driver->respawnLock, 0);
}

TEST_F(PlayerRulesTest, BelowTheWaterTheBuggyRespawnsInTheSameFrame)
{
    race.fakes.session.hasWater = 1;
    race.fakes.session.waterLevel = 150.0f;
    racer.position = D3DXVECTOR3(500.0f, 100.0f, 500.0f);
    driver->health = 30.0f;
    driver->energy = 1.0f;
    Frames(1);
    EXPECT_EQ(driver->drownedNotice, 1);
    EXPECT_EQ(driver->health, 100.0f);
    EXPECT_EQ(driver->energy, 20.0f);
    EXPECT_EQ(racer.position, D3DXVECTOR3(1450.0f, 350.0f, 2000.0f));
    EXPECT_EQ(race.fakes.effects, std::vector<std::string>{"Beam"});
    // Not during the countdown.
    racer.position.y = 100.0f;
    driver->drownedNotice = 0;
    race.fakes.session.countdownRunning = 1;
    Frames(1);
    EXPECT_EQ(driver->drownedNotice, 0);
}

TEST_F(PlayerRulesTest, BudgetsRegenerateUpToTheirMaximaAndNoticesClearAfterTwoSeconds)
{
    driver->health = 50.0f;
    driver->healthRegen = 2.0f;
    driver->energy = 10.0f;
    driver->energyRegen = 3.0f;
    Frames(1, 100.0f);
    EXPECT_NEAR(driver->health, 50.02f, 1e-4f);
    EXPECT_NEAR(driver->energy, 10.15f, 1e-4f);
    Frames(100, 100.0f);
    EXPECT_NEAR(driver->health, 50.0f + 0.02f * 101.0f, 1e-3f);
    EXPECT_EQ(driver->energy, 20.0f);
    driver->energy = -1.0f;
    racer.wrongCheckpoint = 1;
    Frames(1);
    EXPECT_EQ(driver->energy, 0.0f);
    EXPECT_EQ(driver->lowPowerNotice, 1);
    EXPECT_EQ(driver->wrongCheckpointNotice, 1);
    Frames(199); // 2000 ms
    EXPECT_EQ(driver->lowPowerNotice, 1);
    Frames(1);
    EXPECT_EQ(driver->lowPowerNotice, 0);
    EXPECT_EQ(driver->wrongCheckpointNotice, 0);
    EXPECT_EQ(racer.wrongCheckpoint, 0);
    EXPECT_EQ(driver->noticeTime, 0.0f);
}

TEST_F(PlayerRulesTest, WeaponKeysSelectStepAndToggleOncePerPress)
{
    EquipmentSlots& slots = racer.equipment;
    slots.Fill(1, nullptr, 0);
    slots.Fill(3, nullptr, 0);
    slots.Fill(5, nullptr, 0);
    slots.selected = 5;
    race.Hold(KEY_NextWeapon);
    Frames(3); // wraps to 1, once per press
    EXPECT_EQ(slots.selected, 1);
    race.Release(KEY_NextWeapon);
    Frames(1);
    race.Hold(KEY_NextWeapon);
    Frames(1);
    EXPECT_EQ(slots.selected, 3); // skips the empty slot 2
    race.Release(KEY_NextWeapon);
    race.Hold(KEY_PreviousWeapon);
    Frames(1);
    EXPECT_EQ(slots.selected, 1);
    race.Release(KEY_PreviousWeapon);
    Frames(1);
    race.Hold(KEY_PreviousWeapon);
    Frames(1);
    EXPECT_EQ(slots.selected, 5); // wraps back
    race.Release(KEY_PreviousWeapon);
    race.Hold(KEY_SelectWeapon2); // empty
    Frames(1);
    EXPECT_EQ(slots.selected, 5);
    race.Hold(KEY_SelectWeapon3);
    Frames(1);
    EXPECT_EQ(slots.selected, 3);

    race.Hold(KEY_Shield); // no shield fitted
    Frames(2);
    EXPECT_EQ(race.fakes.shieldToggles, 0);
    race.Release(KEY_Shield);
    Frames(1);
    slots.Fill(EquipmentSlots::kShieldSlot, nullptr, 0);
    race.Hold(KEY_Shield);
    Frames(5);
    EXPECT_EQ(race.fakes.shieldToggles, 1);

    race.Hold(KEY_Shoot);
    race.fakes.session.lastGridLineHeld = 1;
    Frames(1);
    EXPECT_EQ(race.fakes.fire, 0);
    race.fakes.session.lastGridLineHeld = 0;
    Frames(1);
    EXPECT_EQ(race.fakes.fire, 1);
}

TEST_F(PlayerRulesTest, ThrottleReverseTurboAndTheirGates)
{
    driver->turbo = driver->turboMax = 4000.0f;
    race.Hold(KEY_Turbo); // without throttle: nothing
    Frames(1);
    EXPECT_EQ(driver->turboBurning, 0);
    EXPECT_EQ(driver->turbo, 4000.0f);
    race.Hold(KEY_Accelerate);
    race.fakes.session.countdownRunning = 1;
    Frames(1);
    EXPECT_EQ(driver->turboBurning, 0);
    EXPECT_EQ(driver->handBrakeOn, 1);
    race.fakes.session.countdownRunning = 0;
    Frames(1);
    EXPECT_EQ(driver->turboBurning, 1);
    EXPECT_EQ(driver->turbo, 3990.0f);
    EXPECT_EQ(driver->driveInput, 1);
    EXPECT_EQ(driver->handBrakeOn, 0);
    race.Release(KEY_Turbo);
    race.Release(KEY_Accelerate);

    racer.placementHold = 1;
    race.Hold(KEY_Reverse);
    Frames(1);
    EXPECT_EQ(driver->reversing, 1);
    EXPECT_EQ(racer.placementHold, 0);
    EXPECT_EQ(driver->driveInput, 1);
    // The first frames from a standstill turn the driver round.
    EXPECT_EQ(driver->lookBack, 1);
    race.Release(KEY_Reverse);
    Frames(1);
    EXPECT_EQ(driver->lookBack, 0);

    // While airborne nothing drives and the steering centres.
    racer.airborne = 1;
    driver->steerAngle = 0.2f;
    race.Hold(KEY_Accelerate);
    race.Hold(KEY_SteerLeft);
    Frames(1);
    EXPECT_EQ(driver->driveInput, 0);
    EXPECT_NEAR(driver->steerAngle, 0.19f, 1e-6f);
    // A teleport's steering lock holds the wheels straight.
    racer.airborne = 0;
    driver->steerLockTimer = 250.0f;
    Frames(1);
    EXPECT_EQ(driver->steerAngle, 0.0f);
    EXPECT_EQ(driver->steerLockTimer, 240.0f);
}
} // namespace

namespace
{
TEST_F(PlayerRulesTest, ControllerAxesDriveAndSteerBeyondTheirThreshold)
{
    QV7_Windows windows; // the bindings the driver reads
    windows.m_Settings.Keys[KEY_Accelerate][0] = 503;
    windows.m_Settings.Keys[KEY_Reverse][1] = 502;
    windows.m_Settings.Keys[KEY_SteerLeft][0] = 500;
    race.fakes.axes[503] = 20;
    race.fakes.axes[500] = 1000;
    race.Hold(KEY_Accelerate); // the keyboard does not count beside an axis
    Frames(1);
    EXPECT_EQ(driver->driveInput, 0);
    EXPECT_EQ(driver->handBrakeOn, 0);
    // Full left deflection, then centring of 0.01 in the same frame (no key down).
    EXPECT_NEAR(driver->steerAngle, 0.29f, 1e-6f);
    race.fakes.axes[503] = 21;
    Frames(1);
    EXPECT_EQ(driver->driveInput, 1);
    race.fakes.axes[503] = 0;
    race.fakes.axes[502] = 600;
    Frames(1);
    EXPECT_EQ(driver->reversing, 1);
    EXPECT_EQ(driver->driveInput, 0); // only the keyboard reverse counts as drive input
}
} // namespace
