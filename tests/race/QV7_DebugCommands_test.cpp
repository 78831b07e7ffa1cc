// The debug console's race and profile commands: without a race or a
// profile they change nothing and say so; over demo island 1 in a
// championship they reach the session, its racers and their drivers; parts of
// the race not loaded answer cleanly.
#include "race/QV7_DebugCommands.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_DebugConsole.h"
#include "race/ProfileRecord.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_WaypointList.h"
#include "shell/QV7_Globals.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tools/demo/DemoData.h"

#include <filesystem>
#include <memory>

namespace
{
using C = QV7_DebugConsole;
const std::string kNoSession = "> Invalid, QV7MapSystem not loaded!";

class DebugCommandsTest : public landscapetest::LandscapeFixture
{
  protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/qv7-console-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        data = std::string(pattern) + "/";
        ASSERT_TRUE(WriteDemoData(data));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        savedData = g_dataDir;
        g_dataDir = data;
        QV7_DebugCommands::Install();
        QV7_MapSystem::s_Hooks.attachPlayerController = [](QV7_Buggy& buggy)
        {
            buggy.playerController = new QV7_PlayerController();
            buggy.playerController->buggy = &buggy;
            buggy.playerController->turboMax = 4000.0f;
            buggy.controllerKind = QV7_Buggy::CONTROLLER_PLAYER;
        };
        QV7_MapSystem::s_Hooks.attachAIController = [](QV7_Buggy& buggy, int)
        {
            buggy.computerController = new QV7_AIController();
            buggy.computerController->buggy = &buggy;
            buggy.computerController->health = buggy.computerController->healthMax = 50.0f;
            buggy.controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
        };
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        QV7_DebugCommands::s_Targets = DebugCommandTargets();
        QV7_DebugConsole::s_GameCommand = nullptr;
        QV7_Camera::s_MovieMode = nullptr;
        profiles.reset();
        g_dataDir = savedData;
        LandscapeFixture::TearDown();
    }
    static std::string Run(int command, const std::string& text = "")
    {
        return QV7_DebugCommands::Run(command, text);
    }
    void Race()
    {
        ASSERT_NE(QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_CHAMPIONSHIP, 0), nullptr);
        ASSERT_EQ(g_mapSystem->physicsGroup->racers.Count(), 6);
    }
    QV7_Buggy& RacerAt(int i) const { return *g_mapSystem->physicsGroup->racers.items[i]; }

    static std::string data;
    std::string savedData;
    std::unique_ptr<QV7_Profiles> profiles;
};
std::string DebugCommandsTest::data;

TEST_F(DebugCommandsTest, WithoutARaceOrAProfileNothingChangesAndTheReplySaysWhy)
{
    for (int command :
         {int(C::CMD_HOUR_UP), int(C::CMD_ROUTEMARK_UP), int(C::CMD_VIEWER_OPEN),
          int(C::CMD_VIEWER_WAGON_SLAY), int(C::CMD_WAGON_BOOST), int(C::CMD_WAGON_SHOT),
          int(C::CMD_PLAY_TOP), int(C::CMD_WAGON_ANY_SLAY), int(C::CMD_SHATTER), int(C::CMD_VIEWER_WAGON_1),
          int(C::CMD_FILMS), int(C::CMD_WAYSTATIONS_DEBUG_UP), int(C::CMD_PINES_REVEAL_OUT)})
        EXPECT_EQ(Run(command), kNoSession) << command;
    for (int command : {int(C::CMD_ZEPHYRIONS), int(C::CMD_OPENER), int(C::CMD_CP_NUDGE)})
        EXPECT_EQ(Run(command, "magic zephyrions 5"), "> Invalid, no current profile!") << command;
}

TEST_F(DebugCommandsTest, ProfileCommandsChangeTheCurrentProfile)
{
    profiles = std::make_unique<QV7_Profiles>();
    ProfileRecord* profile = profiles->AddProfile();
    profiles->currentProfile = profile;
    EXPECT_EQ(Run(C::CMD_ZEPHYRIONS, "please magic zephyrions 12345"), "> Zephyrions Value Changed");
    EXPECT_EQ(profile->money, 12345);
    Run(C::CMD_ZEPHYRIONS, "magic zephyrions lots");
    EXPECT_EQ(profile->money, 12345) << "no number, no change";
    EXPECT_EQ(Run(C::CMD_OPENER), "> All Maps Unlocked");
    for (int32_t unlocked : profile->raceUnlocked)
        EXPECT_EQ(unlocked, 1);
    for (int32_t unlocked : profile->tutorialUnlocked)
        EXPECT_EQ(unlocked, 1);
    EXPECT_EQ(Run(C::CMD_CP_NUDGE), "> A.I. Buggies Tweaked");
}

TEST_F(DebugCommandsTest, InARaceTheCommandsReachTheSessionTheRacersAndTheirDrivers)
{
    ASSERT_NO_FATAL_FAILURE(Race());
    QV7_Buggy& player = RacerAt(0);
    ASSERT_NE(player.playerController, nullptr);

    EXPECT_EQ(Run(C::CMD_HOUR_OUT), "> Time Disabled");
    EXPECT_EQ(g_mapSystem->frozenTime, 1);
    EXPECT_EQ(Run(C::CMD_HOUR_UP), "> Time Enabled");
    EXPECT_EQ(g_mapSystem->frozenTime, 0);
    EXPECT_EQ(Run(C::CMD_ROUTEMARK_UP), "> Waypoints Debug Mode Enabled");
    EXPECT_EQ(g_mapSystem->waypoints->m_DebugDraw, 1);

    EXPECT_EQ(Run(C::CMD_WAGON_BOOST), "> Turbo changed to 99999.0");
    EXPECT_FLOAT_EQ(player.playerController->turbo, 99999.0f);
    EXPECT_FLOAT_EQ(player.playerController->turboMax, 99999.0f);
    int32_t ammo[4] = {};
    player.ammo = ammo;
    EXPECT_EQ(Run(C::CMD_WAGON_SHOT), "> Ammo changed to 99999.0");
    EXPECT_EQ(ammo[3], 99999);
    player.ammo = nullptr;
    EXPECT_EQ(Run(C::CMD_PLAY_TOP), "> Current Lap Set to 5");
    EXPECT_EQ(player.lapCounter, 5);

    // The camera follows buggy 4; the viewed buggy is the one the slay hits.
    EXPECT_EQ(Run(C::CMD_VIEWER_WAGON_1 + 3), "> Camera switched to buggy 4");
    EXPECT_EQ(g_mapSystem->viewedBuggy, &RacerAt(3));
    EXPECT_EQ(Run(C::CMD_VIEWER_WAGON_SLAY), "> Health reduced to 1");
    EXPECT_FLOAT_EQ(RacerAt(3).computerController->health, 0.1f);
    EXPECT_FLOAT_EQ(RacerAt(2).computerController->health, 50.0f);
    RacerAt(3).computerController->cameraMode = 3;
    EXPECT_EQ(Run(C::CMD_VIEWER_OPEN), "> Camera Set to Free Mode");
    EXPECT_EQ(RacerAt(3).computerController->cameraMode, 0);

    EXPECT_EQ(Run(C::CMD_WAGON_ANY_SLAY), "> A.I. Buggies Health reduced to 1");
    for (int i = 1; i < 6; ++i)
        EXPECT_FLOAT_EQ(RacerAt(i).computerController->health, 0.1f) << i;
    EXPECT_EQ(Run(C::CMD_SHATTER), "> A.I. Buggies Health reduced to 0");
    EXPECT_FLOAT_EQ(RacerAt(5).computerController->health, 0.0f);
    EXPECT_GT(player.playerController->health, -1.0f);

    EXPECT_FALSE(QV7_Camera::s_MovieMode());
    EXPECT_EQ(Run(C::CMD_FILMS), "> Movie mode On");
    EXPECT_TRUE(QV7_Camera::s_MovieMode());
}

TEST_F(DebugCommandsTest, PartsOfTheRaceNotThereAnswerCleanly)
{
    ASSERT_NO_FATAL_FAILURE(Race());
    // Buggy 6 exists, a seventh would not; the camera stays where it was.
    EXPECT_EQ(Run(C::CMD_VIEWER_WAGON_1 + 5), "> Camera switched to buggy 6");
    g_mapSystem->viewedBuggy = &RacerAt(0);
    g_mapSystem->physicsGroup->racers.DeleteAt(5);
    EXPECT_EQ(Run(C::CMD_VIEWER_WAGON_1 + 5), "> Invalid, no buggy 6 in this race!");
    EXPECT_EQ(g_mapSystem->viewedBuggy, &RacerAt(0));

    EXPECT_EQ(Run(C::CMD_WAYSTATIONS_DEBUG_UP), "> Invalid, no checkpoints!");
    EXPECT_EQ(Run(C::CMD_ENTRIES_REVEAL_OUT), "> Invalid, no static objects!");
    static int treesShown = 1;
    QV7_DebugCommands::s_Targets.treesShown = [](int shown)
    {
        treesShown = shown;
        return true;
    };
    EXPECT_EQ(Run(C::CMD_PINES_REVEAL_OUT), "> Trees render disabled");
    EXPECT_EQ(treesShown, 0);
}
} // namespace
