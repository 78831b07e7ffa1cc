// The race session on the null device: demo island 1 loaded from the demo
// data as the game loads it, the captions and progress values of every
// loading step, the racers of each race mode, a broken island file ending the
// load with nothing left behind, device loss during a session, the fades'
// frame steps and the controller check.
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_ShadowMap.h"
#include "media/QV7_Joysticks.h"
#include "media/QV7_SoundSystem.h"
#include "platform/sound/null/NullSound.h"
#include "platform/win/Ini.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Teleporters.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_WaypointList.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceRules.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_MapsSort.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_TreeVegetation.h"
#include "world/QV7_Water.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace
{
struct Recorded
{
    std::vector<std::pair<int, std::string>> steps;
    int players = 0;
    std::vector<int> computers;
    std::vector<std::string> log;
};
Recorded& Record()
{
    static Recorded record;
    return record;
}

class MapSystemTest : public landscapetest::LandscapeFixture
{
  protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/qv7-session-XXXXXX";
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
        savedProgram = g_programDir;
        g_dataDir = data;
        g_programDir = dir;
        Record() = Recorded();
        QV7_Logger::SetConsoleEcho([](const char* text) { Record().log.emplace_back(text); });
        QV7_MapSystem::s_Hooks.onLoadingText = [](const char* text, int progress)
        { Record().steps.emplace_back(progress, text); };
        QV7_MapSystem::s_Hooks.attachPlayerController = [](QV7_Buggy&) { ++Record().players; };
        QV7_MapSystem::s_Hooks.attachAIController = [](QV7_Buggy&, int index)
        { Record().computers.push_back(index); };
        // A steady 100 ms frame keeps every fade a few dozen frames long.
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
        savedBuild = QV7_PhysicsGroup::s_Hooks.buildBuggy;
        QV7_PhysicsGroup::s_Hooks.buildBuggy = nullptr;
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        QV7_PhysicsGroup::s_Hooks.buildBuggy = savedBuild;
        g_dataDir = savedData;
        g_programDir = savedProgram;
        LandscapeFixture::TearDown();
    }
    static QV7_MapSystem* LoadIsland1(RaceMode mode, int raceIndex = 0)
    {
        return QV7_MapSystem::Load(0, 1, 2, nullptr, mode, raceIndex);
    }
    static void ExpectNothingLeft()
    {
        EXPECT_EQ(g_mapSystem, nullptr);
        EXPECT_EQ(g_raceSessionLostReset, nullptr);
        EXPECT_EQ(g_water, nullptr);
        EXPECT_EQ(g_skyDome, nullptr);
        EXPECT_EQ(g_physicsGroup, nullptr);
        EXPECT_EQ(g_onLandscapeMapLoaded, nullptr);
        EXPECT_EQ(g_staticObjects, nullptr);
        EXPECT_EQ(g_treeVegetation, nullptr);
        EXPECT_EQ(g_pathFollowing, nullptr);
    }
    static std::string data;
    std::string savedData, savedProgram;
    void (*savedBuild)(QV7_PhysicsGroup&, QV7_Buggy&, int) = nullptr;
};
std::string MapSystemTest::data;

const std::vector<std::pair<int, std::string>> kSteps = {
    {10, "Cleaning up memory..."},
    {15, "Loading Textures..."},
    {55, "Loading Landscape..."},
    {59, "Loading Effects..."},
    {60, "Loading Physics..."},
    {65, "Loading Static Objects..."},
    {70, "Loading Fading Vegetation..."},
    {75, "Loading CheckPoints..."},
    {77, "Loading Music..."},
    {80, "Loading Shadows..."},
    {82, "Loading Trees..."},
    {84, "Loading Path Nodes..."},
    {85, "Loading Path Nodes..."},
    {86, "Loading Teleporters..."},
    {87, "Loading Zephyrion Items..."},
    {90, "..."},
    {100, "Done..."},
};

TEST_F(MapSystemTest, EachModeLoadsIsland1BehindTheCaptionsWithItsRacers)
{
    struct Case
    {
        RaceMode mode;
        int raceIndex;
        int racers;
    };
    const Case cases[] = {
        {RACE_MODE_CHAMPIONSHIP, 0, 6}, {RACE_MODE_TIME_TRIAL, 0, 1}, {RACE_MODE_QUICK_RACE, 0, 2},
        {RACE_MODE_TUTORIAL, 0, 1},     {RACE_MODE_TUTORIAL, 3, 4},
    };
    // Racers without bodies: the counts and drivers are what this is about.
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " index " << c.raceIndex);
        Record() = Recorded();
        QV7_MapSystem* session = LoadIsland1(c.mode, c.raceIndex);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(g_mapSystem, session);
        EXPECT_EQ(Record().steps, kSteps);
        ASSERT_EQ(session->physicsGroup->racers.Count(), c.racers);
        EXPECT_EQ(session->playerRacer, session->physicsGroup->racers[0]);
        EXPECT_EQ(session->viewedBuggy, session->playerRacer);
        EXPECT_EQ(Record().players, 1);
        std::vector<int> computers;
        for (int i = 1; i < c.racers; ++i)
            computers.push_back(i);
        EXPECT_EQ(Record().computers, computers);
        // The island's own files reached the session's members.
        EXPECT_TRUE(g_landscape->IsCreated());
        EXPECT_NE(session->skyDome->m_Texture, nullptr);
        EXPECT_NE(session->water->m_FirstTexture, nullptr);
        EXPECT_GT(session->waypoints->Count(), 0);
        EXPECT_EQ(session->callingPage, 2);
        EXPECT_EQ(session->playerPosition, 1);
        EXPECT_EQ(session->countdown, 4000.0f);
        for (int flag : session->releaseFlags)
            EXPECT_EQ(flag, 1);
        QV7_MapSystem::EndSession(session);
        ExpectNothingLeft();
    }
}

// With the buggy database and a new profile, the load builds the profile's
// buggy and its five opponents in the ODE world with their drivers, on the
// grid at the start of the island's track; stepped for a few seconds they
// come to rest on their wheels on the ground.
TEST_F(MapSystemTest, Island1BuildsRealRacersThatSettleOnTheGround)
{
    QV7_ItemDatabase items(data, g_device);
    QV7_Profiles profiles;
    profiles.currentProfile = profiles.AddProfile();
    QV7_MapSystem::s_Hooks.attachPlayerController = nullptr;
    QV7_MapSystem::s_Hooks.attachAIController = nullptr;
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_CHAMPIONSHIP);
    ASSERT_NE(session, nullptr);
    QV7_PhysicsGroup& group = *session->physicsGroup;
    ASSERT_EQ(group.racers.Count(), 6);
    EXPECT_NE(group.racers[0]->playerController, nullptr);
    EXPECT_EQ(group.racers[0]->controllerKind, QV7_Buggy::CONTROLLER_PLAYER);
    for (int i = 1; i < 6; ++i)
    {
        EXPECT_NE(group.racers[i]->computerController, nullptr) << i;
        EXPECT_EQ(group.racers[i]->controllerKind, QV7_Buggy::CONTROLLER_COMPUTER);
    }
    const WaypointRecord* start = session->waypoints->Waypoint(0);
    ASSERT_NE(start, nullptr);
    auto chassisY = [](QV7_Buggy& racer) { return float(dBodyGetPosition(racer.ChassisBody())[1]); };
    for (QV7_Buggy* racer : group.racers)
    {
        ASSERT_GE(racer->bodies.size(), 12u);
        EXPECT_GT(racer->playerController ? racer->playerController->healthMax
                                          : racer->computerController->healthMax,
                  99.0f);
        // On the grid behind the track's first waypoint.
        EXPECT_LT(std::hypot(racer->position.x - start->position.x, racer->position.z - start->position.z),
                  1200.0f);
    }
    for (int frame = 0; frame < 300; ++frame)
        group.StepFrame(QV7_PhysicsGroup::kStepMs);
    std::vector<float> heights;
    for (QV7_Buggy* racer : group.racers)
        heights.push_back(chassisY(*racer));
    for (int frame = 0; frame < 30; ++frame)
        group.StepFrame(QV7_PhysicsGroup::kStepMs);
    for (int i = 0; i < 6; ++i)
    {
        SCOPED_TRACE(i);
        QV7_Buggy& racer = *group.racers[i];
        EXPECT_NEAR(chassisY(racer), heights[size_t(i)], 2e-3);
        const float clearance =
            chassisY(racer) - g_landscape->GetHeight(racer.position.x, racer.position.z) * 0.005f;
        EXPECT_GT(clearance, 0.0f);
        EXPECT_LT(clearance, 0.4f);
        for (dBodyID body : racer.bodies)
            for (int k = 0; k < 3; ++k)
                ASSERT_TRUE(std::isfinite(dBodyGetPosition(body)[k]));
    }
    QV7_MapSystem::EndSession(session);
    ExpectNothingLeft();
}

// The race music: when the piece playing has ended the other one starts, once.
TEST_F(MapSystemTest, UpdateMusicAlternatesThePieces)
{
    QV7_SoundSystem sound;
    ASSERT_TRUE(sound.InitDevice(nullptr));
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_TIME_TRIAL);
    ASSERT_NE(session, nullptr);
    SoundEntry* a = sound.m_MusicA;
    SoundEntry* b = sound.m_MusicB;
    ASSERT_TRUE(a && b);
    sound.PlaySound(a, false);
    session->UpdateMusic();
    EXPECT_EQ(session->musicFlag, 1); // A still plays
    EXPECT_FALSE(sound.KeepPlaying(b));
    snd::null::AdvanceTime(a->m_DurationMs + 50.0);
    session->UpdateMusic();
    EXPECT_EQ(session->musicFlag, 0);
    EXPECT_TRUE(sound.KeepPlaying(b));
    EXPECT_FALSE(sound.KeepPlaying(a));
    snd::null::AdvanceTime(b->m_DurationMs + 50.0);
    session->UpdateMusic();
    EXPECT_EQ(session->musicFlag, 1);
    EXPECT_TRUE(sound.KeepPlaying(a));
    QV7_MapSystem::EndSession(session);
}

// Who is judged first at the session's end, the advert after the first
// race and the finale after the last one not won before; the end's captions
// behind the progress bar; the finale's prize.
TEST_F(MapSystemTest, SessionEndJudgesTheAdvertAndTheFinaleThenTearsDownBehindTheBar)
{
    QV7_Profiles profiles;
    profiles.currentProfile = profiles.AddProfile();
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    struct Case
    {
        RaceMode mode;
        int raceIndex, alreadyWon, playerLaps, leaderLaps;
        bool advert, finale;
    };
    const Case cases[] = {
        {RACE_MODE_CHAMPIONSHIP, 1, 0, 5, 4, true, false},
        {RACE_MODE_CHAMPIONSHIP, 1, 0, 4, 5, false, false},
        {RACE_MODE_CHAMPIONSHIP, 19, 0, 5, 4, false, true},
        {RACE_MODE_CHAMPIONSHIP, 19, 1, 5, 4, false, false},
        {RACE_MODE_CHAMPIONSHIP, 19, 0, 3, 4, false, false},
        {RACE_MODE_TIME_TRIAL, 1, 0, 5, 0, true, false},
        {RACE_MODE_QUICK_RACE, 19, 0, 5, 4, false, false},
    };
    static int adverts, finales;
    QV7_MapSystem::s_Hooks.showAdvertPage = [] { ++adverts; };
    QV7_MapSystem::s_Hooks.runFinaleScreens = [](QV7_MapSystem& session)
    {
        EXPECT_EQ(session.won, 1);
        ++finales;
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " race " << c.raceIndex);
        adverts = finales = 0;
        QV7_MapSystem* session = QV7_MapSystem::Load(c.alreadyWon, 1, 2, nullptr, c.mode, c.raceIndex);
        ASSERT_NE(session, nullptr);
        session->playerRacer->lapCounter = c.playerLaps;
        for (int i = 1; i < session->physicsGroup->racers.Count(); ++i)
            session->physicsGroup->racers[i]->lapCounter = c.leaderLaps;
        EXPECT_EQ(session->AdvertDue(), c.advert);
        EXPECT_EQ(session->FinaleDue(), c.finale);
        const int money = profiles.currentProfile->money;
        Record().steps.clear();
        QV7_MapSystem::EndSession(session);
        ExpectNothingLeft();
        EXPECT_EQ(adverts, c.advert ? 1 : 0);
        EXPECT_EQ(finales, c.finale ? 1 : 0);
        EXPECT_EQ(profiles.currentProfile->money - money, c.finale ? 50000 : 0);
        const std::vector<std::pair<int, std::string>> teardown = {{1, "Cleaning Memory..."},
                                                                   {10, "Cleaning Memory..."},
                                                                   {20, "Loading menu textures..."},
                                                                   {80, "Loading menu music..."}};
        EXPECT_EQ(Record().steps, teardown);
    }
}

// A championship of fewer than 20 races (the demo's three) ends with its own
// last race: that race's first win plays the finale, an earlier one does not.
TEST_F(MapSystemTest, TheFinaleFollowsTheLastRaceOfAShortChampionship)
{
    EXPECT_EQ(QV7_MapSystem::FinalChampionshipRace(), 19); // no maps database: the full 20
    QV7_MapsSort sort(data);
    ASSERT_EQ(sort.ListCount(QV7_MapsSort::kChampionshipList), 3);
    EXPECT_EQ(QV7_MapSystem::FinalChampionshipRace(), 2);
    QV7_Profiles profiles;
    profiles.currentProfile = profiles.AddProfile();
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    QV7_MapSystem::s_Hooks.runFinaleScreens = [](QV7_MapSystem&) {};
    for (int race : {1, 2, 19})
    {
        SCOPED_TRACE(race);
        QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_CHAMPIONSHIP, race);
        ASSERT_NE(session, nullptr);
        session->playerRacer->lapCounter = 5;
        EXPECT_EQ(session->FinaleDue(), race == 2);
        QV7_MapSystem::EndSession(session);
    }
}

// The frozen picture behind the in-race pages: the scene goes into the pause
// surface, nothing is presented, and the race moves on by the frame.
TEST_F(MapSystemTest, TheFrameWithoutHudDrawsIntoThePauseSurface)
{
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_TIME_TRIAL);
    ASSERT_NE(session, nullptr);
    session->pauseSurface = QV7_RenderSurface::Create(64, 48, 64, 48);
    ASSERT_NE(session->pauseSurface, nullptr);
    const int frames = session->physicsGroup->frameCounter;
    g_frameManager->m_LastFrameMs = 30.0f;
    gfx::null::ClearCalls();
    QV7_MapSystem::RenderFrameNoHud(*session);
    EXPECT_EQ(gfx::null::CountCalls("Present("), 0u);
    const int target = gfx::null::FindCall("SetRenderTarget(");
    ASSERT_GE(target, 0);
    EXPECT_GT(gfx::null::FindCall("DrawIndexedPrimitive(", size_t(target)), target); // the island
    EXPECT_EQ(session->physicsGroup->frameCounter, frames + 1);
    QV7_MapSystem::EndSession(session);
    ExpectNothingLeft();
}

// A race draws at the settings' race resolution (which also applies the
// race's anti-aliasing) and the menus get their 800 x 600 back at the end.
TEST_F(MapSystemTest, TheRaceRunsAtItsResolutionAndTheMenusGetTheirsBack)
{
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    windows->m_Settings.ScreenWidth = 1024;
    windows->m_Settings.ScreenHeight = 768;
    engine->m_FullScreen = 1; // a window would keep its own size
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_TIME_TRIAL);
    ASSERT_NE(session, nullptr);
    session->playerRacer->controllerKind = QV7_Buggy::CONTROLLER_PLAYER;
    static D3DPRESENT_PARAMETERS during;
    during = {};
    g_raceLoopHooks.afterFrame = [](QV7_MapSystem& race)
    {
        during = g_engine->m_PresentParameters;
        race.playerRacer->lapCounter = race::FinishLap(race.mode);
    };
    QV7_MapSystem::RunRace(*session);
    g_raceLoopHooks = RaceLoopHooks();
    EXPECT_EQ(during.BackBufferWidth, 1024u);
    EXPECT_EQ(during.BackBufferHeight, 768u);
    ASSERT_NE(session->pauseSurface, nullptr);
    QV7_MapSystem::EndSession(session);
    EXPECT_EQ(g_engine->m_PresentParameters.BackBufferWidth, 800u);
    EXPECT_EQ(g_engine->m_PresentParameters.BackBufferHeight, 600u);
}

TEST_F(MapSystemTest, EachLoadingCaptionIsOneFrame)
{
    gfx::null::ClearCalls();
    DrawLoadingText("Loading Trees...");
    EXPECT_EQ(gfx::null::CountCalls("Present("), 1u);
}

TEST_F(MapSystemTest, ABrokenIslandFileEndsTheLoadWithNothingLeftAndAnotherLoadWorks)
{
    for (const char* name :
         {"Map1.map", "Map1.wap", "Map1.chk", "Map1.fvf", "Map1.zph", "Map1.ssh", "Map1.sob", "MapT1.trs", "Map1.pf"})
    {
        SCOPED_TRACE(name);
        const std::string path = data + name;
        const std::string saved = path + ".saved";
        std::filesystem::copy_file(path, saved, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
        Record() = Recorded();
        EXPECT_EQ(LoadIsland1(RACE_MODE_CHAMPIONSHIP), nullptr);
        ExpectNothingLeft();
        EXPECT_FALSE(g_landscape->IsCreated());
        bool logged = false;
        for (const std::string& line : Record().log)
            logged = logged ||
                     line.find("ERROR: Race Loading of Map 1 failed, back to the menus") != std::string::npos;
        EXPECT_TRUE(logged);
        EXPECT_NE(Record().steps.back().first, 100);

        std::filesystem::rename(saved, path);
        QV7_MapSystem* session = LoadIsland1(RACE_MODE_QUICK_RACE);
        ASSERT_NE(session, nullptr);
        EXPECT_EQ(session->physicsGroup->racers.Count(), 2);
        QV7_MapSystem::EndSession(session);
        ExpectNothingLeft();
    }
}

TEST_F(MapSystemTest, TeleportersLoadWithTheIslandAndAShortFileOnlyTurnsThemOff)
{
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_CHAMPIONSHIP);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->teleporters->enabled, 1);
    QV7_MapSystem::EndSession(session);
    const std::string path = data + "Map1.tel";
    const std::string saved = path + ".saved";
    std::filesystem::copy_file(path, saved, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(path, 40);
    session = LoadIsland1(RACE_MODE_CHAMPIONSHIP);
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->teleporters->enabled, 0);
    QV7_MapSystem::EndSession(session);
    std::filesystem::rename(saved, path);
    ExpectNothingLeft();
}

TEST_F(MapSystemTest, DeviceLossDuringASessionReachesTheSession)
{
    QV7_MapSystem* session = LoadIsland1(RACE_MODE_TIME_TRIAL);
    ASSERT_NE(session, nullptr);
    g_device->LightEnable(0, FALSE);
    engine->OnLostReset(1);
    EXPECT_EQ(session->deviceReset, 0);
    engine->OnLostReset(0);
    EXPECT_EQ(session->deviceReset, 1);
    // The island's sun is back on light 0 after the recreate.
    BOOL enabled = FALSE;
    g_device->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    QV7_MapSystem::EndSession(session);
    // Without a session the engine's fan-out passes it by.
    engine->OnLostReset(1);
    engine->OnLostReset(0);
}

TEST(MapSystemFades, FrameStepsOfTheThreeFades)
{
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeOutStep(255.0f, 0.0f), 254.9f); // a frame of 0 counts as 1 ms
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeOutStep(255.0f, 100.0f), 245.0f);
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeOutStep(5.0f, 100.0f), 0.0f);
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeInStep(0.0f, 100.0f), 10.0f);
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeInStep(0.0f, 101.0f), 0.1f); // a long frame adds 0.1 only
    EXPECT_FLOAT_EQ(QV7_MapSystem::FadeInStep(250.0f, 100.0f), 255.0f);
    EXPECT_FLOAT_EQ(QV7_MapSystem::FinalFadeStep(255.0f, 999.0f), 155.1f);
    EXPECT_FLOAT_EQ(QV7_MapSystem::FinalFadeStep(255.0f, 1000.0f), 255.0f); // a second or more: no change
    EXPECT_FLOAT_EQ(QV7_MapSystem::FinalFadeStep(50.0f, 999.0f), 0.0f);
}

TEST_F(MapSystemTest, ControllerCheck)
{
    struct Case
    {
        const char* device;
        std::vector<std::string> connected;
        int selected;
        bool keysReset;
    };
    const Case cases[] = {
        {"Pad", {"Wheel", "Pad"}, 1, false},
        {"Pad", {"Pad", "Pad"}, 1, false}, // the last match
        {"Pad", {"Wheel"}, NO_JOYSTICK_SELECTED, true},
        {"0", {"Wheel"}, NO_JOYSTICK_SELECTED, false},
    };
    const std::string ini = dir + "Settings.ini";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.device);
        std::filesystem::remove(ini);
        GameSettings& settings = windows->m_Settings;
        std::strcpy(settings.ControllerDevice, c.device);
        settings.Keys[0][0] = 99;
        QV7_Joysticks joysticks;
        for (const std::string& name : c.connected)
            joysticks.AddDevice()->m_Instance.productName = name;
        QV7_MapSystem::CheckController(settings, joysticks, ini);
        EXPECT_EQ(joysticks.m_Selected, c.selected);
        EXPECT_EQ(settings.Keys[0][0] != 99, c.keysReset);
        char written[32] = {};
        win::GetPrivateProfileStringA("Controller", "Device", "absent", written, sizeof written, ini);
        EXPECT_STREQ(written, c.selected == NO_JOYSTICK_SELECTED ? "0" : "absent");
        if (c.selected == NO_JOYSTICK_SELECTED)
        {
            EXPECT_STREQ(settings.ControllerDevice, "0");
        }
    }
}
} // namespace

namespace
{
class RaceFilteringTest : public enginetest::EngineFixture
{
};

TEST_F(RaceFilteringTest, SamplersAndAntiAliasingFromDetailAndTheAdaptersFilters)
{
    struct Case
    {
        int detail, fsaf, fsaa;
        bool minAniso, magAniso;
        DWORD mag, min, anisotropy;
        int antiAliasing;
    };
    constexpr DWORD L = D3DTEXF_LINEAR, A = D3DTEXF_ANISOTROPIC;
    const Case cases[] = {
        {1, 8, 4, true, true, L, L, 1, 0},   // a fixed detail level ignores the custom values
        {-1, 0, 4, true, true, L, L, 1, 4},  // custom without anisotropy
        {-1, 8, 2, true, false, L, A, 8, 2}, // each filter anisotropic only where the adapter has it
        {-1, 16, 0, false, true, A, L, 16, 0}, {4, 0, 0, true, true, A, A, 2, 2},
        {4, 0, 0, false, false, L, L, 2, 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "detail " << c.detail << " FSAF " << c.fsaf);
        gfx::null::AdapterOptions options;
        options.anisotropicMinify = c.minAniso;
        options.anisotropicMagnify = c.magAniso;
        gfx::null::Settings().adapters = {gfx::null::MakeAdapter(options)};
        Start();
        GameSettings settings;
        settings.Detail = c.detail;
        settings.FSAF = c.fsaf;
        settings.FSAA = c.fsaa;
        EXPECT_EQ(QV7_MapSystem::ApplyRaceTextureFiltering(settings), c.antiAliasing);
        for (DWORD sampler = 0; sampler < 4; ++sampler)
        {
            DWORD value = 0;
            g_device->GetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, &value);
            EXPECT_EQ(value, c.anisotropy) << sampler;
        }
        for (DWORD sampler = 0; sampler < 2; ++sampler)
        {
            DWORD mag = 0, min = 0, mip = 0;
            g_device->GetSamplerState(sampler, D3DSAMP_MAGFILTER, &mag);
            g_device->GetSamplerState(sampler, D3DSAMP_MINFILTER, &min);
            g_device->GetSamplerState(sampler, D3DSAMP_MIPFILTER, &mip);
            EXPECT_EQ(mag, c.mag);
            EXPECT_EQ(min, c.min);
            EXPECT_EQ(mip, L);
        }
        engine.reset();
    }
}
} // namespace
