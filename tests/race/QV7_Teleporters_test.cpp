// Teleporters: the file read back as written, the broken files that leave a
// map without teleporters, the gate crossing table, and a racer taken through
// a gate: placed at the exit, pushed, steering held, camera snapped.
#include "race/QV7_Teleporters.h"

#include "tests/race/RacerTestSupport.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/TeleporterFileWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>

namespace
{
TeleporterFileDescription TwoGates()
{
    TeleporterFileDescription d;
    d.count = 7;
    d.records[0] = {11, 1000, 50, 2000, 0.5f};
    d.records[1] = {12, 5000, 60, 6000, -1.0f};
    d.records[2] = {13, -300, 70, 800, 3.0f};
    d.records[3] = {14, 900, 80, -700, 7.0f};
    return d;
}

TEST(TeleportersFile, ReadsBackWhatTheWriterWrote)
{
    const TeleporterFileDescription d = TwoGates();
    BinaryReader file(BuildTeleporterFile(d).Bytes());
    ASSERT_EQ(file.Size(), QV7_Teleporters::kFileBytes);
    QV7_Teleporters t;
    ASSERT_TRUE(t.Read(file, "Map1.tel"));
    EXPECT_EQ(t.enabled, 1);
    EXPECT_EQ(t.count, 7);
    for (int k = 0; k < 4; ++k)
    {
        const TeleporterFileRecord& w = d.records[size_t(k)];
        EXPECT_EQ(t.records[k].unused, w.unused);
        EXPECT_EQ(t.records[k].position, D3DXVECTOR3(w.x, w.y, w.z));
        EXPECT_EQ(t.records[k].yaw, w.yaw);
    }
    t.Clear();
    EXPECT_EQ(t.enabled, 0);
    EXPECT_EQ(t.records[3].position, D3DXVECTOR3(0, 0, 0));
}

TEST(TeleportersFile, BrokenOrMissingFilesLeaveTheMapWithoutTeleporters)
{
    ScopedTestLogger log;
    TempDir dir;
    std::vector<uint8_t> whole = BuildTeleporterFile(TwoGates()).Bytes();
    std::vector<uint8_t> notANumber = whole;
    const float nan = std::nanf("");
    std::memcpy(&notANumber[4 + 20 * 2 + 8], &nan, 4); // record 2's y
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* line;
    };
    const std::string path = dir.Path() + "Map1.tel";
    const Case cases[] = {
        {"empty",
         {},
         "ERROR: Teleporters File %s is broken: 0 bytes, 84 needed; the map has no teleporters."},
        {"one byte short", std::vector<uint8_t>(whole.begin(), whole.end() - 1),
         "ERROR: Teleporters File %s is broken: 83 bytes, 84 needed; the map has no teleporters."},
        {"a yaw that is not a number", notANumber,
         "ERROR: Teleporters File %s is broken: a record holds a value that is not a number; the map has no "
         "teleporters."},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        }
        QV7_Teleporters t;
        t.enabled = 1;
        EXPECT_FALSE(t.Load(path));
        EXPECT_EQ(t.enabled, 0);
        EXPECT_EQ(t.records[2].position, D3DXVECTOR3(0, 0, 0));
        char line[256];
        std::snprintf(line, sizeof line, c.line, path.c_str());
        EXPECT_TRUE(log.Contains(line)) << line;
    }
    QV7_Teleporters t;
    EXPECT_FALSE(t.Load(dir.Path() + "Map9.tel"));
    EXPECT_TRUE(log.Contains("ERROR: Teleporters File " + dir.Path() +
                             "Map9.tel can't be opened, the map has no teleporters."));
    // A longer file is read for its first 84 bytes.
    whole.resize(100, 0xff);
    BinaryReader longer(whole);
    EXPECT_TRUE(t.Read(longer, "Map1.tel"));
}

TEST(TeleportersGate, CrossingTable)
{
    // A gate at (1000, 100, 2000) turned a quarter: its planes lie across x,
    // at world x = 990 and 1010 for gate z = -10 and +10.
    TeleportRecord gate;
    gate.position = D3DXVECTOR3(1000, 100, 2000);
    gate.yaw = 1.5707964f;
    struct Case
    {
        const char* what;
        D3DXVECTOR3 from, to;
        int crossings;
    };
    const Case cases[] = {
        {"standing still inside", {1000, 200, 2000}, {1000, 200, 2000}, 0},
        {"through both planes", {970, 200, 2000}, {995, 200, 2000}, 2},
        {"reaching the front plane only by the doubled length", {980, 200, 2000}, {985, 200, 2000}, 1},
        {"short of the doubled reach", {970, 200, 2000}, {975, 200, 2000}, 0},
        {"from the back side", {1015, 200, 2100}, {1012, 200, 2100}, 1},
        {"moving away", {995, 200, 2000}, {970, 200, 2000}, 1},
        {"beside the gate", {970, 200, 2450}, {995, 200, 2450}, 0},
        {"over the gate", {970, 650, 2000}, {995, 650, 2000}, 0},
        {"along the planes", {1000, 200, 1500}, {1000, 200, 2500}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QV7_Teleporters::CountCrossings(gate, c.from, c.to), c.crossings) << c.what;
}

TEST(TeleportersGate, YawsComeIntoHalfATurnEitherSide)
{
    EXPECT_NEAR(QV7_Teleporters::NormaliseYaw(7.0f), 7.0f - 6.2831853f, 1e-5);
    EXPECT_NEAR(QV7_Teleporters::NormaliseYaw(-4.0f), -4.0f + 6.2831853f, 1e-5);
    EXPECT_EQ(QV7_Teleporters::NormaliseYaw(1.0f), 1.0f);
    // A huge stored yaw ends at once inside the range.
    const float huge = QV7_Teleporters::NormaliseYaw(1e30f);
    EXPECT_LE(std::fabs(huge), 3.1416f);
}

TEST(TeleportersGate, TheCameraRestsBehindTheChassisByMode)
{
    const D3DXVECTOR3 P(10, 1, 20), f(1, 0, 0);
    CameraPose pose;
    ASSERT_TRUE(QV7_Teleporters::SnapPose(3, P, f, &pose));
    EXPECT_EQ(pose.eye, D3DXVECTOR3((10 + 3.1f) * 200, 200 + 150, 4000));
    EXPECT_EQ(pose.target, D3DXVECTOR3(2000, 300, 4000));
    ASSERT_TRUE(QV7_Teleporters::SnapPose(2, P, f, &pose));
    EXPECT_EQ(pose.eye, D3DXVECTOR3((10 + 0.1f) * 200, 220, 4000));
    EXPECT_EQ(pose.target, D3DXVECTOR3(2000, 220, 4000));
    ASSERT_TRUE(QV7_Teleporters::SnapPose(1, P, f, &pose));
    EXPECT_EQ(pose.eye, D3DXVECTOR3((10 + 5.1f) * 200, 380, 4000));
    EXPECT_FALSE(QV7_Teleporters::SnapPose(0, P, f, &pose));
}

class TeleportRacerTest : public racertest::RacerGroupTest
{
  protected:
    void SetUp() override
    {
        RacerGroupTest::SetUp();
        BinaryReader file(BuildTeleporterFile(Gates()).Bytes());
        ASSERT_TRUE(teleporters.Read(file, "Map1.tel"));
        s_Snaps = 0;
        QV7_Teleporters::s_SnapCamera = [](QV7_DriveController&, const CameraPose& pose)
        {
            ++s_Snaps;
            s_Pose = pose;
        };
    }
    void TearDown() override
    {
        QV7_Teleporters::s_SnapCamera = nullptr;
        RacerGroupTest::TearDown();
    }
    static TeleporterFileDescription Gates()
    {
        TeleporterFileDescription d;
        d.records[0] = {0, 10000, 0, 10000, 0.0f};
        d.records[1] = {0, 30000, 100, 20000, 1.5707964f};
        d.records[2] = {0, 0, -100000, 0, 0.0f};
        d.records[3] = {0, 0, -100000, 0, 0.0f};
        return d;
    }
    // The racer driving through gate 0 along +z this frame.
    void ThroughGate(QV7_Buggy& racer)
    {
        racer.justPlaced = 0;
        racer.previousPosition = D3DXVECTOR3(10000, 100, 9970);
        racer.position = D3DXVECTOR3(10000, 100, 9995);
    }
    QV7_Teleporters teleporters;
    static int s_Snaps;
    static CameraPose s_Pose;
};
int TeleportRacerTest::s_Snaps = 0;
CameraPose TeleportRacerTest::s_Pose;

TEST_F(TeleportRacerTest, ARacerThroughTheGateIsAtTheExitPushedHeldStraightAndItsCameraSnapped)
{
    QV7_Buggy& racer = AddRacer(2);
    racer.computerController->cameraMode = 1;
    racer.computerController->steerAngle = 0.2f;
    ThroughGate(racer);
    teleporters.Update(group);
    // Both planes crossed: placed and pushed twice; each placement starts the
    // bodies at rest with no force, so one push is left.
    EXPECT_EQ(teleporters.teleportCount, 2);
    const D3DXVECTOR3 chassis = racertest::BodyPosition(racer.ChassisBody()) * 200.0f;
    EXPECT_NEAR(chassis.x, 30000, 200);
    EXPECT_NEAR(chassis.z, 20000, 200);
    EXPECT_EQ(racer.justPlaced, 1);
    EXPECT_EQ(racer.computerController->steerAngle, 0.0f);
    EXPECT_EQ(racer.computerController->steerLockTimer, 250.0f);
    // Exit yaw a quarter turn: the push runs along +x, 6000 on each of bodies 10 and 11.
    for (size_t b : {size_t(10), size_t(11)})
    {
        const dReal* force = dBodyGetForce(racer.bodies[b]);
        EXPECT_NEAR(force[0], 6000, 1e-2) << b;
        EXPECT_NEAR(force[1], 0, 1e-6) << b;
        EXPECT_NEAR(force[2], 0, 1e-2) << b;
    }
    EXPECT_EQ(dBodyGetForce(racer.ChassisBody())[0], 0.0);
    // The camera snapped once, behind the exit (not at the old place).
    ASSERT_EQ(s_Snaps, 1);
    EXPECT_NEAR(s_Pose.target.x, chassis.x, 1.0f);
    EXPECT_NEAR(s_Pose.target.z, chassis.z, 1.0f);
    EXPECT_LT(std::fabs(s_Pose.eye.x - chassis.x) + std::fabs(s_Pose.eye.z - chassis.z), 1100.0f);
}

TEST_F(TeleportRacerTest, JustPlacedRacersAndRacersOfFewBodiesAreHandledSafely)
{
    QV7_Buggy& held = AddRacer(2);
    ThroughGate(held);
    held.justPlaced = 1;
    teleporters.Update(group);
    EXPECT_EQ(teleporters.teleportCount, 0);
    EXPECT_EQ(s_Snaps, 0);
    // A racer without the pushed bodies is still placed; nothing is pushed
    // through a body it does not have.
    QV7_Buggy& bare = AddRacer(2);
    bare.bodies.resize(10);
    ThroughGate(bare);
    teleporters.Update(group);
    EXPECT_EQ(teleporters.teleportCount, 2);
    bare.bodies.clear(); // the group owns and destroys the bodies
    // Without a file nothing is tested.
    teleporters.Clear();
    ThroughGate(held);
    teleporters.Update(group);
    EXPECT_EQ(teleporters.teleportCount, 0);
}
} // namespace
