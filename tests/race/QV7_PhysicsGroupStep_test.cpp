// The physics group's frame: the fixed-step clock, the cool-downs and the
// collision timer, the airborne counters and contact level, the crash rule,
// and racers settling under real steps.
#include "race/NearCallback.h"
#include "race/PhysicsExceptionReport.h"
#include "race/QV7_AIController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "tests/race/PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
TEST(PhysicsClockTest, StepsAndRemainderTable)
{
    struct Case
    {
        const char* what;
        int frameCounter;
        float accumulator, frameMs;
        int steps;
        float left;
        int counterAfter;
    };
    const Case cases[] = {
        {"a 5 ms frame steps nothing", 150, 0, 5, 0, 5, 150},
        {"until 11 ms have gathered", 150, 5, 6, 1, 0, 150},
        {"40 ms: three steps, 7 left", 150, 0, 40, 3, 7, 150},
        {"a long frame is capped at 50", 150, 0, 500, 4, 6, 150},
        {"early frames count at most 100", 10, 0, 500, 4, 6, 11},
        {"the backlog never passes 50", 150, 10, 45, 4, 6, 150},
        {"the hundredth frame is the last counted", 99, 0, 30, 2, 8, 100},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        int counter = c.frameCounter;
        float accumulator = c.accumulator;
        EXPECT_EQ(QV7_PhysicsGroup::AdvanceClock(counter, accumulator, c.frameMs), c.steps);
        EXPECT_FLOAT_EQ(accumulator, c.left);
        EXPECT_EQ(counter, c.counterAfter);
    }
}

class PhysicsStepTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_contactHooks = ContactHooks{};
        g_physicsTimeA = g_physicsTimeB = 0;
        group.CreateWorld(1);
        group.frameCounter = 100;
        racer = group.racers.items[0];
        racer->playerController = new QV7_PlayerController();
    }
    void TearDown() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_contactHooks = ContactHooks{};
    }
    QV7_PhysicsGroup group;
    QV7_Buggy* racer = nullptr;
};

TEST_F(PhysicsStepTest, CoolDownsFallOncePerSteppedFrameTheCollisionTimerPerStep)
{
    g_physicsTimeA = 100;
    g_physicsTimeB = 450;
    racer->lastCollisionTimer = 900;
    racer->lastCollisionGeom = group.geoms.front();
    racer->crashReported = 1;
    group.StepFrame(5); // no step yet
    EXPECT_EQ(g_physicsTimeA, 100.0f);
    EXPECT_EQ(racer->lastCollisionTimer, 900.0f);
    group.timeAccumulator = 0;
    group.StepFrame(33); // three steps of a 33 ms frame
    EXPECT_EQ(g_physicsTimeA, 67.0f);
    EXPECT_EQ(g_physicsTimeB, 417.0f);
    EXPECT_EQ(racer->lastCollisionTimer, 900.0f - 99.0f);
    group.StepFrame(100); // capped at 50 ms: four steps of 100 ms each
    EXPECT_EQ(g_physicsTimeA, 0.0f);
    EXPECT_EQ(g_physicsTimeB, 317.0f);
    EXPECT_EQ(racer->lastCollisionTimer, 401.0f);
    group.StepFrame(200);
    EXPECT_EQ(racer->lastCollisionTimer, 0.0f);
    EXPECT_EQ(racer->lastCollisionGeom, nullptr);
    EXPECT_EQ(racer->crashReported, 0);
}

TEST_F(PhysicsStepTest, AirborneAfterMoreThanFourStepsWithoutContact)
{
    // A racer with no bodies touches nothing.
    for (int step = 1; step <= 6; ++step)
    {
        group.timeAccumulator = 0;
        group.StepFrame(11);
        EXPECT_EQ(racer->noContactSteps, step);
        EXPECT_EQ(racer->airborne, step > 4 ? 1 : 0) << step;
        EXPECT_EQ(racer->airborneNoGround, step > 4 ? 1 : 0);
        EXPECT_EQ(racer->airborneRear, step > 4 ? 1 : 0);
    }
    // One contact clears the count; the other kinds keep counting.
    racer->noContact = 0;
    racer->groundContact = 1;
    racer->contactLevel = 2;
    QV7_PhysicsGroup::CountContacts(*racer);
    EXPECT_EQ(racer->noContactSteps, 0);
    EXPECT_EQ(racer->airborne, 0);
    EXPECT_EQ(racer->airborneNoGround, 1);
    EXPECT_EQ(racer->contactLevel, 1);
    racer->restingContact = 1;
    for (int i = 0; i < 6; ++i)
        QV7_PhysicsGroup::CountContacts(*racer);
    EXPECT_EQ(racer->contactLevel, 4);
}

int g_crashes = 0, g_shieldCrashes = 0;

class CrashRuleTest : public PhysicsStepTest
{
  protected:
    void SetUp() override
    {
        PhysicsStepTest::SetUp();
        g_crashes = g_shieldCrashes = 0;
        QV7_PhysicsGroup::s_Hooks.crash = [](QV7_Buggy&, const D3DXVECTOR3&) { ++g_crashes; };
        QV7_PhysicsGroup::s_Hooks.shieldCrash = [](QV7_Buggy&, const D3DXVECTOR3&, float)
        { ++g_shieldCrashes; };
        for (int b = 0; b < 9; ++b)
        {
            group.bodies.push_back(dBodyCreate(group.world));
            racer->bodies.push_back(group.bodies.back());
        }
        racer->playerController->health = 100;
    }
    // Moved 10 units in the step before and 12 over the last two.
    void StoppedShort(float speed)
    {
        racer->positionHistory[1] = D3DXVECTOR3(0, 0, 0);
        racer->positionHistory[0] = D3DXVECTOR3(10, 0, 0);
        dBodySetPosition(racer->ChassisBody(), 12 * 0.005, 0, 0);
        racer->playerController->groundSpeed = speed;
        racer->cleanContact = 1;
    }
};

TEST_F(CrashRuleTest, StoppingShortAtSpeedOnCleanContactIsACrash)
{
    StoppedShort(1.0f);
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
    EXPECT_EQ(racer->crashReported, 1);
    EXPECT_FLOAT_EQ(racer->playerController->health, 94.5f);
    EXPECT_NEAR(racer->positionHistory[0].x, 12.0f, 1e-4f);
    EXPECT_EQ(racer->positionHistory[1].x, 10.0f);
    EXPECT_EQ(racer->positionHistory[2].x, 0.0f);

    StoppedShort(0.9f);
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
    StoppedShort(1.0f);
    racer->cleanContact = 0;
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
    StoppedShort(1.0f);
    racer->carried = 1;
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
}

TEST_F(CrashRuleTest, AnObstacleHitCrashesAndAShieldTakesIt)
{
    StoppedShort(2.0f);
    racer->cleanContact = 0;
    racer->objectCollision = 1;
    dBodySetPosition(racer->ChassisBody(), 1, 0, 0); // no sudden stop
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
    g_contactHooks.shieldOpen = [](const QV7_Buggy&) { return 40.0f; };
    QV7_PhysicsGroup::CheckCrash(*racer);
    EXPECT_EQ(g_crashes, 1);
    EXPECT_EQ(g_shieldCrashes, 1);
    EXPECT_FLOAT_EQ(racer->playerController->health, 94.5f);
}

TEST_F(PhysicsStepTest, RenderPositionsFollowTheChassisEveryFrame)
{
    for (int b = 0; b < 9; ++b)
    {
        group.bodies.push_back(dBodyCreate(group.world));
        racer->bodies.push_back(group.bodies.back());
    }
    dBodySetPosition(racer->ChassisBody(), 1, 2, 3);
    racer->justPlaced = 1;
    group.StepFrame(5); // no step, yet the position is read
    EXPECT_EQ(racer->justPlaced, 0);
    EXPECT_EQ(racer->position, D3DXVECTOR3(200, 400, 600));
    EXPECT_EQ(racer->previousPosition, D3DXVECTOR3(200, 400, 600));
    group.StepFrame(40); // falls under gravity for three steps
    EXPECT_LT(racer->position.y, 400.0f);
    EXPECT_EQ(racer->previousPosition, D3DXVECTOR3(200, 400, 600));
}
} // namespace

namespace
{
TEST_F(PhysicsStepTest, FaultsAreRetriedTwiceThenTheFrameIsGivenUp)
{
    physicstest::Log().clear();
    QV7_Logger::SetConsoleEcho(&physicstest::Capture);
    g_physicsExceptionRetries = 0;
    QV7_PhysicsGroup::s_Hooks.drive = [](QV7_Buggy&) { throw std::runtime_error("drive"); };
    const std::vector<std::string> retry = {
        "ERROR: Game PHYSICS Exception, Error Code E1.A",
        "OUTPUT: Exception Code -529697949",
        "OUTPUT: Exception Pointer 0x00000000",
    };
    for (int fault = 1; fault <= 3; ++fault)
    {
        SCOPED_TRACE(fault);
        physicstest::Log().clear();
        group.Step();
        if (fault < 3)
        {
            ASSERT_EQ(physicstest::Log().size(), 4u);
            EXPECT_EQ(std::vector<std::string>(physicstest::Log().begin(), physicstest::Log().begin() + 3),
                      retry);
            EXPECT_EQ(physicstest::Log()[3], "OUTPUT: Attempt " + std::to_string(fault) +
                                                 ", Return and Retry to exception Stack position!");
            EXPECT_EQ(g_physicsExceptionRetries, fault);
        }
        else
        {
            EXPECT_EQ(physicstest::Log(),
                      (std::vector<std::string>{"ERROR: Retry and Continue FAILED",
                                                "ERROR: Game PHYSICS Exception, Error Code E1",
                                                "OUTPUT: PHYSICS Exception Code -529697949"}));
            EXPECT_EQ(g_physicsExceptionRetries, 0);
        }
    }
    QV7_Logger::SetConsoleEcho(nullptr);
}

TEST(PhysicsExceptionReportTest, NamedCodesAndTheNonContinuableOne)
{
    physicstest::Log().clear();
    QV7_Logger::SetConsoleEcho(&physicstest::Capture);
    g_physicsExceptionRetries = 0;
    EXPECT_EQ(PhysicsExceptionReport(0xC0000094, reinterpret_cast<const void*>(0x1234)), -1);
    EXPECT_EQ(physicstest::Log(),
              (std::vector<std::string>{
                  "ERROR: Game PHYSICS Exception, Error Code E1.A", "OUTPUT: Exception Code -1073741676",
                  "OUTPUT: [EXCEPTION_INT_DIVIDE_BY_ZERO]",
                  "OUTPUT: The thread attempted to divide an integer value by an integer divisor of zero.",
                  "OUTPUT: Exception Pointer 0x00001234",
                  "OUTPUT: Attempt 1, Return and Retry to exception Stack position!"}));
    physicstest::Log().clear();
    EXPECT_EQ(PhysicsExceptionReport(0xC0000025, nullptr), 0);
    EXPECT_EQ(physicstest::Log().size(), 4u);
    EXPECT_EQ(g_physicsExceptionRetries, 2);
    g_physicsExceptionRetries = 0;
    QV7_Logger::SetConsoleEcho(nullptr);
}
} // namespace

namespace
{
TEST_F(PhysicsStepTest, AChassisOnTheGroundStaysInContactFrameAfterFrame)
{
    // Nine bodies; the ninth, the chassis, a ball on flat ground (no island: height 0).
    std::vector<physicstest::RacerBody> parts(9);
    for (int b = 0; b < 9; ++b)
    {
        const dReal at[3] = {10.0 + b, b == 8 ? 0.2 : 5.0, 10};
        parts[size_t(b)].Make(group.world, group.space, racer, b == 8 ? 9 : -1, 0.2, at);
        racer->bodies.push_back(parts[size_t(b)].body);
    }
    racer->placementHold = 0;
    for (int frame = 0; frame < 40; ++frame)
        group.StepFrame(16);
    EXPECT_EQ(racer->noContactSteps, 0);
    EXPECT_EQ(racer->noGroundSteps, 0);
    EXPECT_EQ(racer->airborne, 0);
    EXPECT_EQ(racer->airborneNoGround, 0);
    // The front and rear pairs (parts 0-3) are not there: their flags rise.
    EXPECT_EQ(racer->airborneFront, 1);
    EXPECT_EQ(racer->contactLevel, 0);
    EXPECT_NEAR(racer->position.y, 0.2f * 200.0f, 4.0f);
    EXPECT_NEAR(racer->position.x, 18.0f * 200.0f, 1.0f);
    for (physicstest::RacerBody& part : parts)
        part.Destroy();
}
} // namespace
