// The first tutorial played through the race itself on demo island 1 and the
// gl back-end at 800 x 600: loaded as the simulator page loads it, run by
// RunRace with the tutorial's hooks installed. A scripted player presses the
// lesson's keys and closes every instruction panel with T; the lesson's
// checkpoints and lap are counted for it (driving there by script is not
// practical). The race must end by itself with the won flag set, and the
// first panel, kept as a picture, must show its text over the frozen race.
#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyWeapons.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_Tutorial.h"
#include "race/QV7_TutorialInstall.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceMenuHooks.h"
#include "shell/QV7_Globals.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_Mesh_StaticObjects.h"

#include <memory>

namespace
{
constexpr InputCode kPanelKey = QV7_Tutorial::kPanelKey;

struct Script
{
    int raceFrames = 0;
    int panelFrames = 0;
    int panelsOpened = 0;
    int lastStep = -1;
    uint8_t keys[256] = {};
    gfx::PresentedFrame firstPanel;
    gfx::PresentedFrame racePicture;
};
Script g_script;

// The lesson's keys by its step, one a frame in turn.
InputCode Pressed()
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (!tutorial)
        return -1;
    const InputCode steps[4][4] = {
        {200, 203, 205, 208}, {19, 19, 19, 19}, {57, 57, 57, 57}, {-1, -1, -1, -1}};
    return tutorial->step < 4 ? steps[tutorial->step][g_script.raceFrames % 4] : -1;
}

InputCode Binding(KeyAction action, int which)
{
    if (which != 0)
        return -1;
    switch (action)
    {
    case KEY_Accelerate:
        return 200;
    case KEY_SteerLeft:
        return 203;
    case KEY_SteerRight:
        return 205;
    case KEY_Reverse:
        return 208;
    case KEY_Respawn:
        return 19;
    case KEY_HandBrake:
        return 57;
    default:
        return -1;
    }
}

// In a panel: T up on one frame, down on the next.
const uint8_t* Keyboard()
{
    ++g_script.panelFrames;
    if (g_script.panelFrames == 3 && g_script.firstPanel.pixels.empty())
    {
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, g_script.firstPanel));
    }
    g_script.keys[kPanelKey] = g_script.panelFrames % 2 ? 0x80 : 0;
    return g_script.keys;
}

void Opened(QV7_Tutorial& tutorial)
{
    ++g_script.panelsOpened;
    tutorial.RunInstructionPanel();
}

class TutorialRunGlTest : public landscapetest::LandscapeFixture
{
  protected:
    TutorialRunGlTest()
    {
        width = 800;
        height = 600;
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        ASSERT_TRUE(WriteDemoData(dir));
        savedData = g_dataDir;
        savedProgram = g_programDir;
        g_dataDir = dir;
        g_programDir = dir;
        windows->LoadSettings();
        windows->m_Settings.Detail = 1;
        windows->m_Settings.ScreenWidth = 800;
        windows->m_Settings.ScreenHeight = 600;
        windows->m_Active = 1;
        menus = std::make_unique<QV7_MenuManager>();
        items = std::make_unique<QV7_ItemDatabase>(dir, g_device);
        profiles = std::make_unique<QV7_Profiles>();
        profiles->currentProfile = profiles->AddProfile();
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        QV7_MapSystem::s_Hooks.frameMs = [] { return 50.0f; };
        g_raceMenuHooks.renderFrameNoHud = &QV7_MapSystem::RenderFrameNoHud;
        InstallTutorialHooks();
        QV7_Tutorial::s_Hooks = TutorialHooks{};
        QV7_Tutorial::s_Hooks.pressedCode = &Pressed;
        QV7_Tutorial::s_Hooks.movedAxisCode = [] { return InputCode(-1); };
        QV7_Tutorial::s_Hooks.povCode = [] { return InputCode(-1); };
        QV7_Tutorial::s_Hooks.binding = &Binding;
        QV7_Tutorial::s_Hooks.keyboard = &Keyboard;
        QV7_Tutorial::s_Hooks.runPanel = &Opened;
        g_script = Script();
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        g_raceLoopHooks = RaceLoopHooks();
        g_raceMenuHooks = RaceMenuHooks();
        QV7_Tutorial::s_Hooks = TutorialHooks{};
        profiles.reset();
        items.reset();
        menus.reset();
        g_dataDir = savedData;
        g_programDir = savedProgram;
        LandscapeFixture::TearDown();
    }

    std::string savedData, savedProgram;
    std::unique_ptr<QV7_MenuManager> menus;
    std::unique_ptr<QV7_ItemDatabase> items;
    std::unique_ptr<QV7_Profiles> profiles;
};

TEST_F(TutorialRunGlTest, TheDrivingLessonRunsToItsWonFlagThroughTheRaceLoop)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_TUTORIAL, 0);
    ASSERT_NE(session, nullptr);
    g_frameManager->m_LastFrameMs = 0.0f;
    g_raceLoopHooks.afterFrame = [](QV7_MapSystem& race)
    {
        g_frameManager->m_LastFrameMs = 50.0f;
        ++g_script.raceFrames;
        QV7_Tutorial* tutorial = CurrentTutorial();
        ASSERT_NE(tutorial, nullptr);
        g_script.lastStep = tutorial->step;
        // Where the lesson waits for the track, the player has just got there.
        QV7_Buggy& player = *race.playerRacer;
        if (tutorial->step == 1)
            player.checkpointsPassed = 1;
        if (tutorial->step == 2)
            player.checkpointsPassed = 2;
        if (tutorial->step == 3 && g_script.raceFrames % 10 == 0)
            player.lapCounter = 2;
        // Never longer than a few hundred frames.
        if (g_script.raceFrames > 600)
            tutorial->finished = 1;
    };
    QV7_MapSystem::RunRace(*session);
    EXPECT_LT(g_script.raceFrames, 600);
    EXPECT_EQ(session->won, 1);
    EXPECT_EQ(g_script.lastStep, 4);
    EXPECT_EQ(g_script.panelsOpened, 5) << "the first, three stage changes and the closing panel";
    for (int flag : session->releaseFlags)
        EXPECT_EQ(flag, 0) << "the driving lesson has no countdown";

    ASSERT_EQ(g_script.firstPanel.width, 800);
    for (uint32_t& pixel : g_script.firstPanel.pixels)
        pixel |= 0xFF000000;
    gltest::SavePicture(g_script.firstPanel, "tutorial_first_panel");
    // Light text inside the panel (centred, 512 x 256), not outside it.
    int inside = 0, outside = 0;
    for (int y = 172; y < 428; ++y)
        for (int x = 0; x < 800; ++x)
        {
            const uint32_t c = g_script.firstPanel.pixels[size_t(y) * 800 + size_t(x)];
            const bool light = ((c >> 16) & 0xFF) > 0xE0 && ((c >> 8) & 0xFF) > 0xE0 && (c & 0xFF) > 0xE0;
            (x >= 144 && x < 656 ? inside : outside) += light;
        }
    EXPECT_GT(inside, 400);
}

// One shot a frame at the next target the step counts, through the weapons'
// hook as a projectile hit hands it over; with each, a hit on plain scenery
// and on something that is no scenery at all, which must not count.
void ShootNextTarget(QV7_MapSystem& race)
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (!tutorial || tutorial->step > 2 || tutorial->targetLockout > 0.0f)
        return;
    int notScenery = 0;
    QV7_BuggyWeapons::s_Hooks.countTargetHit(&notScenery);
    for (const auto& tag : race.staticObjects->m_GeomTags)
        if (tag->surfaceClass < 0)
        {
            QV7_BuggyWeapons::s_Hooks.countTargetHit(tag.get());
            break;
        }
    for (const auto& tag : race.staticObjects->m_GeomTags)
        if (tag->surfaceClass >= 0 && tag->surfaceClass <= tutorial->step && !tag->instance->dark)
        {
            QV7_BuggyWeapons::s_Hooks.countTargetHit(tag.get());
            return;
        }
}

TEST_F(TutorialRunGlTest, TheTargetLessonIsWonOnTheDemoRangeThroughTheWeaponsHook)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 2, 2, nullptr, RACE_MODE_TUTORIAL, 1);
    ASSERT_NE(session, nullptr);
    ASSERT_GE(session->staticObjects->m_TutorialTargets.size(), 27u);
    g_frameManager->m_LastFrameMs = 0.0f;
    g_raceLoopHooks.afterFrame = [](QV7_MapSystem& race)
    {
        g_frameManager->m_LastFrameMs = 50.0f;
        ++g_script.raceFrames;
        QV7_Tutorial* tutorial = CurrentTutorial();
        ASSERT_NE(tutorial, nullptr);
        const int before = tutorial->targetCount;
        g_script.lastStep = tutorial->step;
        if (tutorial->step == 2 && tutorial->elapsed > 1000.0f && g_script.racePicture.pixels.empty())
        {
            EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, g_script.racePicture));
        }
        ShootNextTarget(race);
        EXPECT_LE(tutorial->targetCount, before + 1) << "only the target counts";
        if (g_script.raceFrames > 900)
            tutorial->finished = 1;
    };
    QV7_MapSystem::RunRace(*session);
    EXPECT_LT(g_script.raceFrames, 900);
    EXPECT_EQ(session->won, 1);
    EXPECT_EQ(g_script.lastStep, 3);
    // A race frame of the last round: the time left and the T hint drawn.
    ASSERT_EQ(g_script.racePicture.width, 800);
    for (uint32_t& pixel : g_script.racePicture.pixels)
        pixel |= 0xFF000000;
    gltest::SavePicture(g_script.racePicture, "tutorial_targets_round");
}
} // namespace
