// The checkpoint system: a file our writer made reads back as written (links,
// finish, marker matrices, effect copies, meshes), broken files are refused
// with a clear line and nothing kept, the passing test counts checkpoints,
// laps and best laps and flags wrong checkpoints, and the drawing bobs the
// markers and lights the player's next checkpoint.
#include "race/QV7_Checkpoint.h"

#include "engine/QV7_Camera.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/demo/DemoCheckpoints.h"
#include "tools/writers/CheckpointFileWriter.h"
#include "world/MeshObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
using Bytes = std::vector<uint8_t>;

// Finish 0 at the origin, 1 at x 2000, 2 at x 4000 with a second marker at z
// 3000; the chain runs 0, 1, 2, 0 (link1 runs the other way).
CheckpointFileDescription Chain()
{
    CheckpointFileDescription d;
    d.passRadius = 100.0f;
    d.checkpoints = {{{{0, 10, 0, 0.5f}}, 2, 1},
                     {{{2000, 20, 0, 1.0f}}, 0, 2},
                     {{{4000, 30, 0, 0.0f}, {4000, 30, 3000, -1.0f}}, 1, 0}};
    d.finish = 0;
    return d;
}

Bytes File(const CheckpointFileDescription& d)
{
    return BuildCheckpointFile(d).Bytes();
}

void ReadInto(QV7_Checkpoint& system, const Bytes& bytes)
{
    BinaryReader file(bytes);
    system.Read(file, "Map1.chk", nullptr);
}

class CheckpointTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        Start();
    }
    bool LoggedPart(const std::string& part) const
    {
        for (const std::string& line : enginetest::Log())
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(CheckpointTest, ReadsBackWhatTheWriterWrote)
{
    QV7_Checkpoint system;
    EXPECT_EQ(g_checkpoints, &system);
    ReadInto(system, File(Chain()));
    ASSERT_EQ(system.checkpoints.Count(), 3);
    EXPECT_EQ(system.passRadius, 100.0f);
    EXPECT_EQ(system.finish, system.checkpoints[0]);
    const int next[3] = {1, 2, 0}, link1[3] = {2, 0, 1};
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(system.IndexOf(system.checkpoints[i]->next), next[i]);
        EXPECT_EQ(system.IndexOf(system.checkpoints[i]->link1), link1[i]);
    }
    const CheckpointRecord& third = *system.checkpoints[2];
    ASSERT_EQ(third.markers.size(), 2u);
    EXPECT_EQ(third.markers[1].z, 3000.0f);
    EXPECT_EQ(third.markers[1].yaw, -1.0f);
    ASSERT_EQ(third.markerMatrices.size(), 2u);
    EXPECT_EQ(third.markerVisible, std::vector<uint8_t>({0, 0}));
    // Scaled 0.45, turned a quarter beyond the yaw, lifted 500 over the point.
    const D3DXMATRIX& m = third.markerMatrices[0];
    EXPECT_NEAR(m._41, 4000.0f, 1e-3f);
    EXPECT_NEAR(m._42, 530.0f, 1e-3f);
    EXPECT_NEAR(m._43, 0.0f, 1e-3f);
    EXPECT_NEAR(std::hypot(m._11, m._13), 0.45f, 1e-5f);
    // yaw 0 + a quarter turn: local x points to world -z.
    EXPECT_NEAR(m._13, -0.45f, 1e-5f);
    // No meshes: each missing one is logged and the load goes on.
    EXPECT_TRUE(LoggedPart("ERROR: Checkpoints Mesh 1 not existing, map file corupt."));
    EXPECT_TRUE(LoggedPart("ERROR: Checkpoints Mesh 2 not existing, map file corupt."));
    EXPECT_TRUE(LoggedPart("INFO: Checkpoints Loaded"));
    EXPECT_EQ(system.meshes.Count(), 0);
}

// Two copies per marker in marker order, 265 either side across its yaw,
// starting black and without the override.
TEST_F(CheckpointTest, EffectCopiesSitEitherSideOfEachMarker)
{
    QV7_Checkpoint system;
    ReadInto(system, File(Chain()));
    const auto& copies = system.EffectCopies();
    ASSERT_EQ(copies.size(), 8u);
    // Marker 3 overall (checkpoint 2's second, yaw -1): entries 6 and 7.
    const float c = std::cos(-1.0f), s = std::sin(-1.0f);
    EXPECT_NEAR(copies[6].position.x, 4000.0f - 265.0f * c, 1e-2f);
    EXPECT_NEAR(copies[6].position.z, 3000.0f + 265.0f * s, 1e-2f);
    EXPECT_NEAR(copies[7].position.x, 4000.0f + 265.0f * c, 1e-2f);
    EXPECT_NEAR(copies[7].position.y, 30.0f, 1e-4f);
    for (const CheckpointEffectCopy& copy : copies)
    {
        EXPECT_EQ(copy.colourOverride, 0);
        EXPECT_EQ(copy.colour, 0xFF000000u);
    }
}

TEST_F(CheckpointTest, DemoMeshesReadIntoTheirTwoEntriesWithTwoSubsetsEach)
{
    CheckpointFileDescription d = Chain();
    d.markerMesh = demo::DemoCheckpointMesh();
    d.finishMesh = demo::DemoFinishMesh();
    QV7_Checkpoint system;
    ReadInto(system, File(d));
    ASSERT_EQ(system.meshes.Count(), 2);
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(system.meshes[i]->m_SubsetCount, 2u);
        EXPECT_NE(system.meshes[i]->m_VertexBuffer, nullptr);
    }
    EXPECT_TRUE(LoggedPart("Info: Loading Checkpoint Object Mesh ID 0"));
    EXPECT_TRUE(LoggedPart("Info: Mesh Object: Loading Done"));
    // Only the finish mesh: it still is entry 1.
    d.markerMesh.reset();
    ReadInto(system, File(d));
    ASSERT_EQ(system.meshes.Count(), 2);
    EXPECT_EQ(system.meshes[0]->m_VertexBuffer, nullptr);
    EXPECT_NE(system.meshes[1]->m_VertexBuffer, nullptr);
}

TEST_F(CheckpointTest, BrokenFilesAreRefusedWithTheirLineAndNothingKept)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        const char* name;
        Bytes bytes;
        const char* line;
    };
    std::vector<Case> cases;
    auto edited = [](void (*edit)(CheckpointFileDescription&))
    {
        CheckpointFileDescription d = Chain();
        edit(d);
        return File(d);
    };
    cases.push_back({"empty file", {}, "checkpoint count is missing"});
    cases.push_back({"negative count", {0xff, 0xff, 0xff, 0xff}, "checkpoint count is missing"});
    cases.push_back({"count past the end", {0x00, 0x00, 0x01, 0x00}, "checkpoint count is missing"});
    Bytes markerCount = File(Chain());
    std::memset(markerCount.data() + 4, 0x7f, 4);
    cases.push_back({"marker count past the end", markerCount, "checkpoint 0's marker count is wrong"});
    cases.push_back({"next out of range",
                     edited([](CheckpointFileDescription& d) { d.checkpoints[1].next = 3; }),
                     "checkpoint 1 links to 0 and 3 of 3"});
    cases.push_back({"next none", edited([](CheckpointFileDescription& d) { d.checkpoints[2].next = -1; }),
                     "checkpoint 2 links to 1 and -1 of 3"});
    cases.push_back({"link1 out of range",
                     edited([](CheckpointFileDescription& d) { d.checkpoints[0].link1 = -2; }),
                     "checkpoint 0 links to -2 and 1 of 3"});
    cases.push_back({"finish out of range", edited([](CheckpointFileDescription& d) { d.finish = 3; }),
                     "the finish index 3 is not one of its checkpoints"});
    cases.push_back({"finish none", edited([](CheckpointFileDescription& d) { d.finish = -1; }),
                     "ERROR: Checkpoints finish not existing, map file corupt."});
    cases.push_back({"empty list", edited([](CheckpointFileDescription& d) { d.checkpoints.clear(); }),
                     "ERROR: Checkpoints finish not existing, map file corupt."});
    cases.push_back({"finish without markers",
                     edited([](CheckpointFileDescription& d) { d.checkpoints[0].markers.clear(); }),
                     "the finish has no marker"});
    CheckpointFileDescription nanMarker = Chain();
    nanMarker.checkpoints[1].markers[0].y = nan;
    cases.push_back({"marker not a number", File(nanMarker), "a marker holds a value that is not a number"});
    CheckpointFileDescription nanRadius = Chain();
    nanRadius.passRadius = nan;
    cases.push_back({"radius not a number", File(nanRadius), "the pass radius is not a number"});
    Bytes noRadius = File(Chain());
    noRadius.resize(noRadius.size() - 2);
    cases.push_back({"cut before the radius", noRadius, "it ends before the mesh ids and the pass radius"});
    CheckpointFileDescription withMesh = Chain();
    withMesh.markerMesh = demo::DemoCheckpointMesh();
    Bytes cutMesh = File(withMesh);
    cutMesh.resize(cutMesh.size() - 50);
    cases.push_back({"cut inside the mesh", cutMesh, "Info: Loading Checkpoint Object Mesh ID 0"});
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        enginetest::Log().clear();
        QV7_Checkpoint system;
        ReadInto(system, File(Chain()));
        EXPECT_THROW(ReadInto(system, c.bytes), CDException);
        EXPECT_TRUE(LoggedPart(c.line)) << c.line;
        EXPECT_EQ(system.checkpoints.Count(), 0);
        EXPECT_EQ(system.meshes.Count(), 0);
        EXPECT_EQ(system.finish, nullptr);
        EXPECT_TRUE(system.EffectCopies().empty());
        StartGridPose pose;
        EXPECT_FALSE(system.FindStartPose(&pose));
    }
}

TEST_F(CheckpointTest, AMissingFileIsLoggedAndThrows)
{
    QV7_Checkpoint system;
    EXPECT_THROW(system.Load("/nonexistent/Map9.chk", nullptr), CDException);
    EXPECT_TRUE(LoggedPart("ERROR: Checkpoints File /nonexistent/Map9.chk can't be opened."));
}

TEST_F(CheckpointTest, TheStartPoseIsTheFinishsFirstMarker)
{
    QV7_Checkpoint system;
    CheckpointFileDescription d = Chain();
    d.finish = 2;
    ReadInto(system, File(d));
    StartGridPose pose;
    ASSERT_TRUE(QV7_Checkpoint::FindLoadedStartPose(&pose));
    EXPECT_EQ(pose.checkpoint, system.checkpoints[2]);
    EXPECT_EQ(pose.position, D3DXVECTOR3(4000, 30, 0));
    EXPECT_EQ(pose.yaw, 0.0f);
}

// ---- passing ----

class PassingTest : public CheckpointTest
{
  protected:
    void SetUp() override
    {
        CheckpointTest::SetUp();
        ReadInto(system, File(Chain()));
        for (int k = 0; k < 2; ++k)
        {
            QV7_Buggy* racer = racers.Append(new QV7_Buggy());
            racer->currentCheckpoint = system.finish;
        }
        racers[1]->controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
        racers[1]->computerController = new QV7_AIController();
    }
    // Moves racer k to p and runs one frame's test.
    void At(int k, float x, float y, float z)
    {
        racers[k]->position = D3DXVECTOR3(x, y, z);
        system.TestPassing(racers);
    }
    CheckpointRecord* Checkpoint(int i) { return system.checkpoints[i]; }
    QV7_Checkpoint system;
    QV7_Collection<QV7_Buggy> racers;
};

TEST_F(PassingTest, TheReachIsThePassRadiusPlus300)
{
    At(0, 2000.0f, 20.0f + 400.0f, 0.0f); // exactly 400 above the marker
    EXPECT_EQ(racers[0]->currentCheckpoint, Checkpoint(1));
    EXPECT_EQ(racers[0]->checkpointsPassed, 1);
    At(0, 4000.0f + 400.01f, 30.0f, 0.0f);
    EXPECT_EQ(racers[0]->currentCheckpoint, Checkpoint(1));
}

TEST_F(PassingTest, LapsAndBestLapsCountAtTheFinishOnly)
{
    struct Lap
    {
        float time;
        float best;
    };
    // First lap sets the best; slower leaves it; equal leaves it; faster replaces it.
    const Lap laps[] = {{5000.0f, 5000.0f}, {6000.0f, 5000.0f}, {5000.0f, 5000.0f}, {4000.0f, 4000.0f}};
    QV7_Buggy& racer = *racers[0];
    racer.sinceCheckpointMs = 77.0f;
    int lap = 1;
    for (const Lap& l : laps)
    {
        At(0, 2000, 20, 0);
        EXPECT_EQ(racer.sinceCheckpointMs, 0.0f);
        At(0, 4000, 30, 0);
        EXPECT_EQ(racer.lapCounter, lap);
        racer.currentLapTime = l.time;
        At(0, 0, 10, 0);
        EXPECT_EQ(racer.lapCounter, ++lap);
        EXPECT_EQ(racer.bestLap, l.best);
        EXPECT_EQ(racer.currentLapTime, 0.0f);
    }
    EXPECT_EQ(racer.checkpointsPassed, 12);
    EXPECT_EQ(system.finish->passedByPlayer, 1);
    EXPECT_EQ(system.finish->sincePassed, 0.0f);
}

TEST_F(PassingTest, AWrongCheckpointIsFlaggedAndChangesNothingElse)
{
    // The player skips checkpoint 1: only the flag.
    At(0, 4000, 30, 0);
    EXPECT_EQ(racers[0]->wrongCheckpoint, 1);
    EXPECT_EQ(racers[0]->currentCheckpoint, system.finish);
    EXPECT_EQ(racers[0]->checkpointsPassed, 0);
    EXPECT_EQ(racers[0]->lapCounter, 1);
    EXPECT_EQ(racers[0]->playerController, nullptr);
    // A computer driver is also asked to respawn.
    At(1, 4000, 30, 0);
    EXPECT_EQ(racers[1]->wrongCheckpoint, 1);
    EXPECT_EQ(racers[1]->computerController->respawnRequested, 1);
    // The current checkpoint again: nothing at all.
    racers[1]->wrongCheckpoint = 0;
    racers[1]->computerController->respawnRequested = 0;
    At(1, 0, 10, 0);
    EXPECT_EQ(racers[1]->wrongCheckpoint, 0);
    EXPECT_EQ(racers[1]->computerController->respawnRequested, 0);
    EXPECT_EQ(racers[1]->lapCounter, 1);
}

TEST_F(PassingTest, TheSecondMarkerSetsTheAlternativeFlagAndAFirstMarkerClearsIt)
{
    At(0, 2000, 20, 0);
    At(0, 4000, 30, 3000);
    EXPECT_EQ(racers[0]->currentCheckpoint, Checkpoint(2));
    EXPECT_EQ(racers[0]->alternativeMarker, 1);
    At(0, 0, 10, 0);
    EXPECT_EQ(racers[0]->alternativeMarker, 0);
    EXPECT_EQ(racers[0]->lapCounter, 2);
}

TEST_F(PassingTest, CheckpointsInReachInListOrderAreAllPassedInOneFrame)
{
    // A pass radius reaching from x 1000 to both 0 .. 2000 markers: 1 then 2 in one frame.
    CheckpointFileDescription d = Chain();
    d.passRadius = 1800.0f;
    ReadInto(system, File(d));
    for (QV7_Buggy* racer : racers)
        racer->currentCheckpoint = system.finish;
    At(0, 3000, 20, 0);
    EXPECT_EQ(racers[0]->currentCheckpoint, Checkpoint(2));
    EXPECT_EQ(racers[0]->checkpointsPassed, 2);
}

TEST_F(PassingTest, EveryTestLeavesTheDistanceToTheNextCheckpointsFirstMarker)
{
    At(0, 500, 10, 0);
    EXPECT_NEAR(racers[0]->distanceToNext, std::hypot(1500.0f, 10.0f), 1e-2f);
    At(0, 2000, 20, 0);
    EXPECT_NEAR(racers[0]->distanceToNext, std::hypot(2000.0f, 10.0f), 1e-2f);
}

// ---- drawing ----

TEST_F(PassingTest, TheNextCheckpointOfThePlayerIsLitAndTheCopiesBob)
{
    system.TestPassing(racers);
    system.Render(0.0f);
    const auto& copies = system.EffectCopies();
    // The player's racer (first of the collection) is at the finish: checkpoint 1 is next.
    EXPECT_EQ(copies[2].colourOverride, 1);
    EXPECT_EQ(copies[2].colour, QV7_Checkpoint::kNextColour);
    EXPECT_EQ(copies[3].colourOverride, 1);
    EXPECT_EQ(copies[0].colourOverride, 0);
    EXPECT_EQ(copies[4].colourOverride, 0);
    // Checkpoint i bobs with sin(i + phase) x 20 over its marker, 500 up.
    system.Render(250.0f); // phase 1
    EXPECT_NEAR(system.phase, 1.0f, 1e-5f);
    EXPECT_NEAR(copies[2].position.y, std::sin(2.0f) * 20.0f + 520.0f, 1e-3f);
    EXPECT_NEAR(copies[5].position.y, std::sin(3.0f) * 20.0f + 530.0f, 1e-3f);
    EXPECT_EQ(Checkpoint(1)->sincePassed, 250.0f);
    // Hidden: nothing changes, nothing is drawn.
    const std::vector<CheckpointEffectCopy> before = copies;
    system.hidden = 1;
    gfx::null::ClearCalls();
    system.Render(100.0f);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
    EXPECT_EQ(copies[2].position, before[2].position);
}

TEST_F(PassingTest, EachVisibleMarkerDrawsBothSubsetsAndTheFinishItsOwnMesh)
{
    CheckpointFileDescription d = Chain();
    d.markerMesh = demo::DemoCheckpointMesh();
    d.finishMesh = demo::DemoFinishMesh();
    ReadInto(system, File(d));
    // Looking down the chain from behind the finish: everything in view.
    g_camera->SetEye(-3000.0f, 2000.0f, 0.0f);
    g_camera->SetTarget(2000.0f, 0.0f, 0.0f);
    g_camera->UpdateFrustum();
    gfx::null::ClearCalls();
    system.Render(0.0f);
    for (const CheckpointRecord* c : system.checkpoints)
        for (uint8_t visible : c->markerVisible)
            EXPECT_EQ(visible, 1);
    // Three markers besides the finish, two subsets each; the finish's two.
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 3u * 2u + 2u);
    // Turned away: nothing but the test.
    g_camera->SetTarget(-9000.0f, 2000.0f, 0.0f);
    g_camera->UpdateFrustum();
    gfx::null::ClearCalls();
    system.Render(0.0f);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
}

TEST_F(PassingTest, TheDebugViewPrintsPassesAndDrawsAGateBoxPerMarker)
{
    static std::vector<std::string> printed;
    printed.clear();
    QV7_Checkpoint::s_ConsolePrint = [](const char* text) { printed.emplace_back(text); };
    system.debug = 1;
    At(1, 2000, 20, 0);
    At(1, 0, 10, 0);
    EXPECT_EQ(printed, std::vector<std::string>({"INFO: A.I.: Buggy 1 Checkpoint 1 Passed",
                                                 "INFO: A.I.: Buggy 1 Checkpoint 0 Passed",
                                                 "INFO: Wrong Checkpoint"}));
    QV7_Checkpoint::s_ConsolePrint = nullptr;
    gfx::null::ClearCalls();
    system.Render(0.0f);
    EXPECT_GE(gfx::null::Calls().size(), 1u);
}
} // namespace
