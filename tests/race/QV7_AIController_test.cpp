// The computer driver: the standing and pace tables, the point-to-segment
// distance, weapon choice on a fixed random sequence, firing and the start
// rules, the stuck rules, holding still without a waypoint, race positions,
// and three computer buggies driving a lap of the hill island under ODE.
#include "race/QV7_AIController.h"

#include "platform/io/BinaryReader.h"
#include "race/QV7_WaypointList.h"
#include "race/RacePositions.h"
#include "shell/QV7_Globals.h"
#include "tests/race/RacerTestSupport.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace
{
using racertest::BodyPosition;

TEST(ComputerDriving, StandingAgainstTheViewedBuggy)
{
    QV7_Buggy b, v;
    struct Case
    {
        int lapsB, cpB, lapsV, cpV, rel;
    };
    const Case cases[] = {
        {2, 0, 1, 5, 2}, {1, 5, 2, 0, -2}, {1, 3, 1, 3, 0},  {1, 4, 1, 3, 1},
        {1, 5, 1, 3, 2}, {1, 9, 1, 3, 2},  {1, 2, 1, 3, -1}, {1, 1, 1, 3, -2},
    };
    for (const Case& c : cases)
    {
        b.lapCounter = c.lapsB, b.checkpointsPassed = c.cpB;
        v.lapCounter = c.lapsV, v.checkpointsPassed = c.cpV;
        EXPECT_EQ(QV7_AIController::RelativePosition(b, v), c.rel) << c.lapsB << "/" << c.cpB;
    }
}

TEST(ComputerDriving, PaceTableByDifficultyStandingAndPosition)
{
    struct Case
    {
        int difficulty;
        bool tutorial;
        int rel, position;
        float command, factor;
    };
    const Case cases[] = {
        {1, false, 2, 3, 15, 0.7f},  {1, false, -2, 3, 30, 1.2f}, {0, false, -2, 2, 30, 1.1f},
        {0, false, -2, 1, 32, 1.2f}, {2, false, -2, 1, 32, 1.2f}, {1, false, -2, 1, 30, 1.2f},
        {0, false, 0, 1, 17, 0.85f}, {2, false, 1, 4, 20, 0.91f}, {2, false, -1, 4, 26, 1.2f},
        {0, true, 2, 1, 14, 0.5f},   {2, true, -2, 1, 25, 1.1f},  {7, false, 0, 1, 21, -1.0f},
    };
    for (const Case& c : cases)
    {
        const QV7_AIController::Pace pace =
            QV7_AIController::PaceFor(c.difficulty, c.tutorial, c.rel, c.position);
        EXPECT_EQ(pace.driveCommand, c.command) << c.difficulty << " " << c.rel;
        EXPECT_EQ(pace.speedFactor, c.factor) << c.difficulty << " " << c.rel;
    }
}

TEST(ComputerDriving, PointSegmentDistanceIsZeroOffTheSegmentsEnds)
{
    const D3DXVECTOR3 a(0, 0, 0), b(100, 0, 0);
    EXPECT_FLOAT_EQ(QV7_AIController::PointSegmentDistance(a, b, {50, 30, 40}), 50.0f);
    EXPECT_EQ(QV7_AIController::PointSegmentDistance(a, b, {-1, 10, 0}), 0.0f);
    EXPECT_EQ(QV7_AIController::PointSegmentDistance(a, b, {101, 10, 0}), 0.0f);
    EXPECT_FLOAT_EQ(QV7_AIController::PointSegmentDistance(a, b, {100, 0, 7}), 7.0f);
    EXPECT_EQ(QV7_AIController::PointSegmentDistance(a, a, {5, 5, 5}), 0.0f);
    EXPECT_FLOAT_EQ(QV7_AIController::Distance3(a, {3, 4, 12}), 13.0f);
}

TEST(ComputerDriving, GridLinesByRacerNumber)
{
    const int expected[] = {0, 0, 0, 1, 2, 3, 4, 4};
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(QV7_AIController::ReleaseFlagOf(n), expected[n]) << n;
}

TEST(ComputerDriving, RacePositionsOfEveryRacerWithTiesBehind)
{
    QV7_Collection<QV7_Buggy> racers;
    const int laps[] = {2, 1, 2, 2, 1};
    const int cps[] = {1, 9, 3, 1, 9};
    const float dist[] = {500, 100, 900, 500, 50};
    for (int i = 0; i < 5; ++i)
    {
        QV7_Buggy* r = racers.Add();
        r->lapCounter = laps[i], r->checkpointsPassed = cps[i], r->distanceToNext = dist[i];
    }
    RacePositions::Compute(racers);
    const int expected[] = {2, 5, 1, 2, 4};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(racers.items[i]->racePosition, expected[i]) << i;
}

// One computer racer on flat ground, its budgets and slots set by hand.
class ComputerDriverTest : public racertest::RacerGroupTest
{
  protected:
    void SetUp() override
    {
        RacerGroupTest::SetUp();
        me = &AddRacer(2);
        me->PlaceAt(30000, 40, 30000, -QV7_Buggy::kQuarterTurn);
        driver = me->computerController;
        driver->energy = driver->energyMax = 100;
        driver->health = driver->healthMax = 100;
        race.racers = &group.racers;
        race.waypoints = &path;
        me->lapCounter = 1, me->checkpointsPassed = 1;
        QV7_AIController::s_Hooks = ComputerDrivingHooks{};
        GameSRand(1);
    }
    void TearDown() override
    {
        QV7_AIController::s_Hooks = ComputerDrivingHooks{};
        RacerGroupTest::TearDown();
    }
    void Slots(std::initializer_list<int> slots)
    {
        static const int kItem = 0;
        for (int s : slots)
            me->equipment.Fill(s, reinterpret_cast<const QV7_DataBase_MeshObject*>(&kItem), 0);
    }
    QV7_Buggy* me = nullptr;
    QV7_AIController* driver = nullptr;
    QV7_WaypointList path;
    ComputerDrivingRace race;
};

TEST_F(ComputerDriverTest, WeaponChoiceOnAFixedRandomSequence)
{
    Slots({1, 2, 3, 4});
    int32_t ammo[4] = {5, 5, 5, 5};
    me->ammo = ammo;
    // A due choice selects slot 1, then draws 1 + 3 r / 32767 from the game's
    // sequence: seed 1 gives 41 first, slot 1.
    GameSRand(1);
    driver->weaponChoiceTimer = 0;
    me->equipment.selected = 3;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->equipment.selected, 1);
    EXPECT_EQ(driver->weaponChoiceTimer, 10000.0f);
    // Out of ammunition: the first of 4, 3, 2, 1 with more than one shot.
    ammo[0] = 0, ammo[3] = 1;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->equipment.selected, 3);
    // The tesla coil is taken whenever it is free; under 30 energy it is
    // dropped and locked out for 5000 ms.
    Slots({5});
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->equipment.selected, 5);
    driver->energy = 20;
    driver->DriveFrame(11, race);
    EXPECT_NE(me->equipment.selected, 5);
    EXPECT_NEAR(driver->teslaLockTimer, 5000.0f, 0.01f);
    for (int f = 0; f < 450; ++f)
        driver->DriveFrame(11, race);
    EXPECT_NE(me->equipment.selected, 5);
    driver->energy = 100;
    for (int f = 0; f < 10; ++f)
        driver->DriveFrame(11, race);
    EXPECT_EQ(me->equipment.selected, 5);
}

TEST_F(ComputerDriverTest, FiresAtABuggyAheadButNotBeforeItsFirstCheckpoint)
{
    QV7_Buggy& other = AddRacer(3);
    // The nose runs along -x; the other buggy 2000 ahead and 300 aside.
    other.position = me->position + D3DXVECTOR3(-2000, 0, 300);
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.fireRequest, 1);
    EXPECT_NEAR(driver->fireHoldTimer, 2000.0f, 0.01f);
    // Gone from the line, the fire is held for 2000 ms.
    other.position = me->position + D3DXVECTOR3(2000, 0, 0);
    for (int f = 0; f < 180; ++f)
        driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.fireRequest, 1);
    for (int f = 0; f < 2; ++f)
        driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.fireRequest, 0);
    other.position = me->position + D3DXVECTOR3(-2000, 0, 300);
    me->checkpointsPassed = 0;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.fireRequest, 0);
    me->checkpointsPassed = 1;
    const int flags[5] = {0, 0, 0, 0, 1};
    race.releaseFlags = flags;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.fireRequest, 0);
}

TEST_F(ComputerDriverTest, ShieldAndJammerThresholds)
{
    Slots({6, 7});
    me->weapons.timeSinceHit = 500;
    driver->energy = 21;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.shieldRequest, 1);
    me->weapons.timeSinceHit = 3000;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.shieldRequest, 1); // kept between 1000 and 4000 ms
    me->weapons.timeSinceHit = 4001;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.shieldRequest, 0);
    me->weapons.timeSinceHit = 500;
    driver->energy = 20;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.shieldRequest, 0);
    // A shielded racer within the jammer's reach (level 0: 700.666 x 3000).
    QV7_Buggy& other = AddRacer(3);
    other.weapons.shieldRequest = 1;
    other.position = me->position + D3DXVECTOR3(1400, 0, 0); // 1.96e6 < 2.1e6
    driver->energy = 31;
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.jammerRequest, 1);
    me->weapons.jammerRequest = 0;
    other.position = me->position + D3DXVECTOR3(1500, 0, 0); // 2.25e6
    driver->DriveFrame(11, race);
    EXPECT_EQ(me->weapons.jammerRequest, 0);
}

TEST_F(ComputerDriverTest, WithoutAWaypointUnderItTheDriverHoldsStill)
{
    // A path far away: no stretch holds the buggy.
    BinaryReader file(BuildWaypointFile(MakeWaypointLoop({0, 0, 0, 1000, 0, 0, 1000, 0, 1000}, 100)).Bytes());
    path.Read(file, "Map1.wap");
    Run(100);
    const D3DXVECTOR3 start = BodyPosition(me->ChassisBody());
    for (int f = 0; f < 100; ++f)
    {
        driver->DriveFrame(11, race);
        Run(1);
    }
    EXPECT_EQ(driver->currentWaypoint, nullptr);
    EXPECT_EQ(driver->handBrakeOn, 1);
    const D3DXVECTOR3 moved = BodyPosition(me->ChassisBody()) - start;
    EXPECT_LT(D3DXVec3Length(&moved), 0.01f);
}

// A straight road along -x under the buggy; checkpoints are given by the test.
class ComputerRoadTest : public ComputerDriverTest
{
  protected:
    void SetUp() override
    {
        ComputerDriverTest::SetUp();
        std::vector<float> xyz;
        for (int i = 0; i < 8; ++i)
            xyz.insert(xyz.end(), {30000.0f - 3000.0f * float(i), 0.0f, 30000.0f});
        std::vector<WaypointFileRecord> road = MakeWaypointLoop(xyz, 300);
        BinaryReader file(BuildWaypointFile(road).Bytes());
        path.Read(file, "Map1.wap");
        QV7_AIController::s_Hooks.respawnPose = [](QV7_Buggy&, bool, D3DXVECTOR3* at, float* yaw)
        {
            ++s_Respawns;
            *at = D3DXVECTOR3(30000, 0, 30000);
            *yaw = -QV7_Buggy::kQuarterTurn;
            return RESPAWN_READY;
        };
        s_Respawns = 0;
        Run(100);
    }
    void DriveFrames(int frames)
    {
        for (int f = 0; f < frames; ++f)
        {
            driver->DriveFrame(11, race);
            Run(1);
        }
    }
    static int s_Respawns;
};
int ComputerRoadTest::s_Respawns = 0;

TEST_F(ComputerRoadTest, DrivesAlongThePathAndAStuckBuggyRespawns)
{
    DriveFrames(300);
    const D3DXVECTOR3 at = BodyPosition(me->ChassisBody()) * 200.0f;
    EXPECT_LT(at.x, 30000.0f - 600.0f); // from standstill, gathering speed
    EXPECT_NEAR(at.z, 30000.0f, 300.0f);
    EXPECT_GT(driver->recentDistance, 150.0f);
    EXPECT_EQ(s_Respawns, 0);
    // Held against nothing moving: stuck 4000 ms after its last checkpoint.
    me->sinceCheckpointMs = 0;
    for (int f = 0; f < 370 && s_Respawns == 0; ++f)
    {
        driver->DriveFrame(11, race);
        for (dBodyID body : me->bodies)
            dBodySetLinearVel(body, 0, 0, 0), dBodySetAngularVel(body, 0, 0, 0);
        me->previousPosition = me->position;
        Run(1);
        me->position = me->previousPosition;
    }
    EXPECT_EQ(s_Respawns, 1);
    EXPECT_GE(me->sinceCheckpointMs, 0.0f);
    EXPECT_EQ(driver->respawnLock, 1);
    EXPECT_EQ(me->placementHold, 1);
}

TEST_F(ComputerRoadTest, DownhillBrakingStopsOnceTheBuggyRollsBackwards)
{
    // The same road falling 10 a waypoint: a spinning wheel brakes downhill.
    std::vector<float> xyz;
    for (int i = 0; i < 8; ++i)
        xyz.insert(xyz.end(), {30000.0f - 3000.0f * float(i), -10.0f * float(i), 30000.0f});
    BinaryReader file(BuildWaypointFile(MakeWaypointLoop(xyz, 300)).Bytes());
    path.Read(file, "Map1.wap");
    me->placementHold = 0;
    struct Case
    {
        float vx;
        int reversing;
    };
    // The nose runs along -x.
    for (const Case& c : {Case{-2.0f, 1}, Case{2.0f, 0}})
    {
        for (dBodyID body : me->bodies)
            dBodySetLinearVel(body, c.vx, 0, 0);
        driver->driveCommand = 40.0f;
        driver->DriveFrame(11, race);
        EXPECT_EQ(driver->reversing, c.reversing) << c.vx;
    }
}

TEST_F(ComputerRoadTest, TheFourthRacerWaitsForTheThirdGridLine)
{
    me->serial = 4;
    int flags[5] = {0, 0, 1, 1, 1};
    race.releaseFlags = flags;
    DriveFrames(50);
    EXPECT_EQ(driver->handBrakeOn, 1);
    EXPECT_EQ(driver->driveInput, 0);
    EXPECT_EQ(me->placementHold, 1);
    flags[2] = 0;
    DriveFrames(1);
    EXPECT_EQ(driver->driveInput, 1);
    EXPECT_EQ(me->placementHold, 0);
    EXPECT_EQ(driver->handBrakeOn, 0);
}

TEST_F(ComputerRoadTest, CirclingWithoutACheckpointRespawnsAfterFifteenSeconds)
{
    driver->recentDistance = 1000;
    me->sinceCheckpointMs = 14990;
    driver->DriveFrame(5, race);
    EXPECT_EQ(s_Respawns, 0);
    driver->DriveFrame(11, race);
    EXPECT_EQ(s_Respawns, 1);
}

TEST_F(ComputerRoadTest, UnderWaterTheHealthIsRestoredAndTheRespawnForced)
{
    race.waterLevel = me->position.y + 100;
    driver->health = 3;
    driver->DriveFrame(11, race);
    EXPECT_EQ(s_Respawns, 1);
    EXPECT_EQ(driver->health, driver->healthMax);
}
} // namespace

namespace
{
// Three computer buggies on the hill island's grid, driving its demo path.
// Each waypoint reached counts as a checkpoint passed (the island's own
// checkpoints belong to the checkpoint logic), and a respawn puts a buggy
// back at the last one it reached.
class ComputerLapTest : public racertest::RacerGroupTest
{
  protected:
    static void SetUpTestSuite()
    {
        const demo::DemoIsland island = demo::BuildDemoIsland(1);
        s_Water = island.map.waterLevel;
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
        RacerGroupTest::SetUp();
        g_landscape = s_Land;
        BinaryReader file(BuildWaypointFile(demo::DemoWaypoints(1, demo::DemoIslandHeightfield(1))).Bytes());
        path.Read(file, "Map1.wap");
        s_Path = &path;
        s_Progress.clear();
        race.racers = &group.racers;
        race.waypoints = &path;
        race.waterLevel = s_Water;
        race.difficulty = 2;
        QV7_AIController::s_Hooks = ComputerDrivingHooks{};
        QV7_AIController::s_Hooks.respawnPose = &RespawnAtLastWaypoint;
        s_Race = &race;
        QV7_PhysicsGroup::s_Hooks.drive = [](QV7_Buggy& racer)
        {
            if (racer.computerController)
                racer.computerController->DriveFrame(QV7_PhysicsGroup::kStepMs, *s_Race);
        };
    }
    void TearDown() override
    {
        QV7_AIController::s_Hooks = ComputerDrivingHooks{};
        g_landscape = nullptr;
        RacerGroupTest::TearDown();
    }
    static RespawnAnswer RespawnAtLastWaypoint(QV7_Buggy& racer, bool, D3DXVECTOR3* at, float* yaw)
    {
        const Progress& p = s_Progress[size_t(racer.serial - 1)];
        if (p.last < 0)
            return RESPAWN_NO_CHECKPOINT;
        const WaypointRecord& w = *s_Path->Waypoint(p.last);
        *at = w.position;
        *yaw = std::atan2(w.next->position.x - w.position.x, w.next->position.z - w.position.z);
        racer.computerController->currentWaypoint = s_Path->Waypoint(p.last);
        return RESPAWN_READY;
    }
    struct Progress
    {
        int last = -1;
        int reached = 0;
        int respawns = 0;
        float lapMs = 0.0f;
    };
    // A buggy's waypoint moved on by one: a checkpoint passed.
    void Track(QV7_Buggy& racer, Progress& p)
    {
        const WaypointRecord* w = racer.computerController->currentWaypoint;
        if (!w)
            return;
        const int index = path.IndexOf(w);
        if (p.last < 0 || index == (p.last + 1) % path.Count())
        {
            if (p.last >= 0)
                ++p.reached;
            p.last = index;
            racer.sinceCheckpointMs = 0.0f;
            racer.checkpointsPassed = p.reached;
        }
    }

    static QV7_Landscape* s_Land;
    static float s_Water;
    static const QV7_WaypointList* s_Path;
    static std::vector<Progress> s_Progress;
    static const ComputerDrivingRace* s_Race;
    QV7_WaypointList path;
    ComputerDrivingRace race;
};
QV7_Landscape* ComputerLapTest::s_Land = nullptr;
float ComputerLapTest::s_Water = 0.0f;
const QV7_WaypointList* ComputerLapTest::s_Path = nullptr;
std::vector<ComputerLapTest::Progress> ComputerLapTest::s_Progress;
const ComputerDrivingRace* ComputerLapTest::s_Race = nullptr;

TEST_F(ComputerLapTest, ThreeComputerBuggiesDriveALapOfTheHillIsland)
{
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1);
    const float yaw = std::atan2(track[1].x - track[0].x, track[1].z - track[0].z);
    D3DXVECTOR3 start(track[0].x, 0.0f, track[0].z);
    start.y = s_Land->GetHeight(start.x, start.z) + 40.0f;
    for (int model : {4, 2, 3})
    {
        QV7_Buggy& racer = AddRacer(model);
        racer.PlaceOnGrid(start, QV7_PhysicsGroup::kGridOffsets[group.racers.count - 1], yaw);
        racer.computerController->enginePower = 10.0f + 1.8f * 3.0f;
        racer.computerController->health = racer.computerController->healthMax = 100.0f;
        s_Progress.emplace_back();
    }
    GameSRand(1); // the wobble draws the same numbers on every run
    dRandSetSeed(0);
    const int laps = path.Count();
    const int kMaxSteps = 30000;
    int step = 0;
    bool done = false;
    for (; step < kMaxSteps && !done; ++step)
    {
        Run(1);
        done = true;
        for (int i = 0; i < group.racers.count; ++i)
        {
            QV7_Buggy& racer = *group.racers.items[i];
            Progress& p = s_Progress[size_t(i)];
            Track(racer, p);
            p.respawns = racer.computerController->respawnCount;
            if (p.reached >= laps && p.lapMs == 0.0f)
                p.lapMs = float(step) * QV7_PhysicsGroup::kStepMs;
            done = done && p.lapMs > 0.0f;
            ASSERT_TRUE(std::isfinite(racer.position.x) && std::isfinite(racer.position.y)) << i;
            ASSERT_GT(racer.position.y, s_Land->GetHeight(racer.position.x, racer.position.z) - 150.0f) << i;
        }
    }
    for (size_t i = 0; i < s_Progress.size(); ++i)
    {
        const Progress& p = s_Progress[i];
        std::printf("racer %zu: %d of %d waypoints, lap %.1f s, %d respawns\n", i + 1, p.reached, laps,
                    double(p.lapMs) * 0.001, p.respawns);
        EXPECT_GT(p.lapMs, 0.0f) << "racer " << i + 1 << " reached " << p.reached << " of " << laps;
    }
}
} // namespace
