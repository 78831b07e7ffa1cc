// The checkpoints in a race session on the null device: demo island 1's
// Map1.chk is read at its place in the load, the racers start on the grid at
// its finish with the finish as their checkpoint, and the session's end
// takes the checkpoints down with it.
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tools/demo/DemoData.h"

#include <filesystem>

namespace
{
class MapSystemCheckpointsTest : public landscapetest::LandscapeFixture
{
  protected:
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        savedData = g_dataDir;
        savedProgram = g_programDir;
        g_dataDir = dir;
        g_programDir = dir;
        ASSERT_TRUE(WriteDemoData(g_dataDir));
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        g_dataDir = savedData;
        g_programDir = savedProgram;
        LandscapeFixture::TearDown();
    }
    std::string savedData, savedProgram;
};

TEST_F(MapSystemCheckpointsTest, TheRaceStartsAtTheFinishOfTheIslandsCheckpoints)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_CHAMPIONSHIP, 0);
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->checkpoints, nullptr);
    EXPECT_EQ(g_checkpoints, session->checkpoints.get());
    QV7_Checkpoint& checkpoints = *session->checkpoints;
    EXPECT_EQ(checkpoints.checkpoints.Count(), 12);
    EXPECT_EQ(checkpoints.meshes.Count(), 2);
    ASSERT_NE(checkpoints.finish, nullptr);
    ASSERT_EQ(session->physicsGroup->racers.Count(), 6);
    for (QV7_Buggy* racer : session->physicsGroup->racers)
        EXPECT_EQ(racer->currentCheckpoint, checkpoints.finish);
    QV7_MapSystem::EndSession(session);
    EXPECT_EQ(g_checkpoints, nullptr);
}
} // namespace
