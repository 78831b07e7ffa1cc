// The in-race pages on the screen-loop harness, over a race on demo island
// 1 loaded from the demo data with the demo's own menu pages: the escape
// menu's resume, leave (ammunition back at its start) and restart, the sound
// slider written to Settings.ini once its drag is over, the controls page's
// key capture, the pause screen's keys, and pages missing from the menu data.
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Slider.h"
#include "media/KeyNames.h"
#include "media/QV7_Input.h"
#include "platform/win/Ini.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/RaceMenuFrame.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoData.h"
#include "tools/demo/DemoMenus.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace screentest;

namespace
{
constexpr int kEscape = 1;
constexpr int kEnter = 28;
constexpr int kKeyP = 25;

// The escape menu's buttons once centred on the 800 x 600 screen.
constexpr float kButtonX = 400.0f;
constexpr float kReturnY = 209.0f;
constexpr float kRestartY = 283.0f;
constexpr float kOptionsY = 357.0f;
constexpr float kExitY = 431.0f;

ScriptedFrame At(float x, float y, bool left = false, std::vector<int> keys = {})
{
    ScriptedFrame frame;
    frame.x = x;
    frame.y = y;
    frame.left = left;
    frame.keys = std::move(keys);
    return frame;
}

ScriptedFrame Keys(std::vector<int> keys)
{
    return At(10.0f, 10.0f, false, std::move(keys));
}

class InRaceMenusTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        harness = std::make_unique<ScreenLoopHarness>();
        ASSERT_TRUE(WriteDemoData(harness->DataDir()));
        harness->Windows().LoadSettings(); // the controls page's action list
        harness->Windows().m_Settings.Debug = 1;
        menus = std::make_unique<QV7_MenuManager>();
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
        session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_QUICK_RACE, 0);
        ASSERT_NE(session, nullptr);
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(session);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        menus.reset();
        harness.reset();
    }
    // Runs screen with the frames queued and the window closed after them.
    // A quit is final, so a test that runs several screens leaves the window
    // open (close = false) and gives each screen exactly the frames it takes.
    template <typename Screen>
    auto Run(const std::vector<ScriptedFrame>& frames, Screen screen, bool close = true)
    {
        harness->Queue(frames);
        if (close)
            harness->CloseAfterScript();
        return screen();
    }
    std::string Ini() const { return harness->DataDir() + "Settings.ini"; }

    std::unique_ptr<ScreenLoopHarness> harness;
    std::unique_ptr<QV7_MenuManager> menus;
    QV7_MapSystem* session = nullptr;
};

TEST_F(InRaceMenusTest, EscapeHeldOnEntryMustBeLetGoBeforeItResumes)
{
    const int result = Run({Keys({kEscape}), Keys({kEscape}), Keys({}), Keys({kEscape}), Keys({})},
                           [&] { return session->RunEscMenu(); });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(harness->Logged("INFO: Quit"));
}

TEST_F(InRaceMenusTest, ReturnResumesAndTheMenuIsCentred)
{
    EXPECT_EQ(Run(ClickAt(kButtonX, kReturnY), [&] { return session->RunEscMenu(); }), 0);
    QV7_Menu_hWnd* frame = g_menuManager->FindControl("IDESCMENU", kMenuAnyType);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->m_Left + frame->m_Right, 800);
    EXPECT_EQ(frame->m_Top + frame->m_Bottom, 600);
}

TEST_F(InRaceMenusTest, LeavingGivesEveryRacerItsStartingAmmunitionBack)
{
    QV7_PhysicsGroup& group = *session->physicsGroup;
    for (int i = 0; i < group.racers.count; ++i)
    {
        QV7_Buggy& racer = *group.racers.items[i];
        for (int w = 0; w < 4; ++w)
        {
            racer.ammoStart[w] = 10 + w;
            racer.ammo[w] = 1;
        }
    }
    std::vector<ScriptedFrame> frames = ClickAt(kButtonX, kExitY);
    frames.insert(frames.end(), 6, Keys({}));
    EXPECT_EQ(Run(frames, [&] { return session->RunEscMenu(); }), 1);
    for (int i = 0; i < group.racers.count; ++i)
        for (int w = 0; w < 4; ++w)
            EXPECT_EQ(group.racers.items[i]->ammo[w], 10 + w) << i << " " << w;
    EXPECT_EQ(g_menuManager->m_CursorFlag, 0);
}

TEST_F(InRaceMenusTest, RestartPutsTheRacersBackAndReArmsTheCountdown)
{
    static int gridPlacements;
    gridPlacements = 0;
    QV7_PhysicsGroup::s_Hooks.findStartPose = [](StartGridPose*)
    {
        ++gridPlacements;
        return false;
    };
    QV7_Buggy& player = *session->physicsGroup->racers.items[0];
    session->countdown = -5000.0f;
    std::fill(session->releaseFlags, session->releaseFlags + QV7_MapSystem::kReleaseFlagCount, 0);
    session->countdownDisplay = 3;
    player.lapCounter = 2;
    EXPECT_EQ(Run(ClickAt(kButtonX, kRestartY), [&] { return session->RunEscMenu(); }), 2);
    EXPECT_EQ(session->countdown, QV7_MapSystem::kCountdownMs);
    for (int flag : session->releaseFlags)
        EXPECT_EQ(flag, 1);
    EXPECT_EQ(session->countdownDisplay, 0);
    QV7_PhysicsGroup::s_Hooks.findStartPose = nullptr;
    EXPECT_EQ(gridPlacements, 1);
    EXPECT_EQ(player.lapCounter, 1);
}

TEST_F(InRaceMenusTest, TheSoundSliderIsWrittenOnlyOnceItsDragIsOver)
{
    GameSettings& settings = harness->Windows().m_Settings;
    settings.SoundVolume = 50;
    ASSERT_TRUE(win::WritePrivateProfileStringA("Sound", "SoundVolume", "33", Ini()));
    // Options open on the controls page; its Sound tab, then the slider's knob
    // (volume 50: the middle of its 400-pixel track) dragged to 75.
    std::vector<ScriptedFrame> frames = ClickAt(kButtonX, kOptionsY);
    frames.push_back(Keys({}));
    for (const ScriptedFrame& f : ClickAt(134.0f, 146.0f))
        frames.push_back(f);
    frames.push_back(At(400.0f, 252.0f, false));
    frames.push_back(At(400.0f, 252.0f, true));
    frames.push_back(At(450.0f, 252.0f, true));
    frames.push_back(At(500.0f, 252.0f, true));
    frames.push_back(At(500.0f, 252.0f, false));
    frames.push_back(At(500.0f, 252.0f, false));
    std::vector<std::pair<int, int>> seen; // (setting, file) at each frame
    harness->SetFrameObserver(
        [&] {
            seen.emplace_back(settings.SoundVolume,
                              win::GetPrivateProfileIntA("Sound", "SoundVolume", -1, Ini()));
        });
    Run(frames, [&] { return session->RunEscMenu(); });
    harness->SetFrameObserver({});
    ASSERT_GE(seen.size(), 10u);
    // While the knob moves the setting follows and the file is not written.
    EXPECT_EQ(seen[8].first, 62);
    EXPECT_EQ(seen[8].second, 50); // written at the press, before the knob moved
    EXPECT_EQ(seen[9].first, 75);
    EXPECT_EQ(seen[9].second, 50);
    EXPECT_EQ(settings.SoundVolume, 75);
    EXPECT_EQ(win::GetPrivateProfileIntA("Sound", "SoundVolume", -1, Ini()), 75);
}

TEST_F(InRaceMenusTest, AKeyCellTakesThePressedKeyAndEscapeKeepsTheOldOne)
{
    GameSettings& settings = harness->Windows().m_Settings;
    const InputCode before = settings.Keys[KEY_Accelerate][1];
    ASSERT_EQ(g_windowsData->m_KeyActions.count, KEY_ACTION_COUNT);
    // Row 1 (Accelerate), second key column; the key list's rows are 17
    // pixels high from its top at 226.
    std::vector<ScriptedFrame> frames = ClickAt(kButtonX, kOptionsY);
    frames.push_back(Keys({}));
    const float row1 = 226.0f + 2.0f + 17.0f * 1.5f;
    const std::vector<ScriptedFrame> cellClick = {At(470.0f, row1, true), At(470.0f, row1, true),
                                                  At(470.0f, row1, false)};
    frames.insert(frames.end(), cellClick.begin(), cellClick.end());
    frames.push_back(Keys({kEscape})); // cancels, and does not leave the page
    frames.push_back(Keys({}));
    frames.insert(frames.end(), cellClick.begin(), cellClick.end());
    frames.push_back(Keys({kKeyP}));
    frames.push_back(Keys({}));
    std::vector<InputCode> bound;
    harness->SetFrameObserver([&] { bound.push_back(settings.Keys[KEY_Accelerate][1]); });
    Run(frames, [&] { return session->RunEscMenu(); });
    harness->SetFrameObserver({});
    ASSERT_GE(bound.size(), 12u);
    EXPECT_EQ(bound[8], before); // after the Escape
    EXPECT_EQ(settings.Keys[KEY_Accelerate][1], kKeyP);
    EXPECT_EQ(win::GetPrivateProfileIntA("Keys", "Key2_Accelerate", -1, Ini()), kKeyP);
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_ESC_CONTROLS");
    auto* keys = static_cast<QV7_Menu_List*>(g_menuManager->FindControl("IDKEYS", kMenuList));
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->m_ShowSelectedColumnText, 0); // the capture is over
    EXPECT_STREQ(keys->m_Rows[1]->m_Columns[2]->m_Text, GetKeyName(kKeyP));
}

TEST(InRaceControlCapture, TheFirstKeyTakesAnAxisOnlyOnTheDrivingRows)
{
    // Without input or controller nothing is captured.
    EXPECT_EQ(racemenu::CapturedCode(1, 1), -1);
    // The knob arithmetic of the volume sliders.
    EXPECT_EQ(racemenu::KnobForVolume(50, 190, 610, 20), 210);
    EXPECT_EQ(racemenu::VolumeForKnob(210, 190, 610, 20), 50);
    EXPECT_EQ(racemenu::VolumeForKnob(10, 190, 610, 20), 0);
    EXPECT_EQ(racemenu::VolumeForKnob(410, 190, 610, 20), 100);
    EXPECT_EQ(racemenu::VolumeForKnob(10, 190, 200, 20), 0); // no track
}

TEST_F(InRaceMenusTest, APressOfPauseAfterItsReleaseEndsThePauseScreen)
{
    // The race loop read the Pause press that opens the screen.
    harness->Queue(Keys({kKeyP}));
    g_input->Poll();
    int seen = 0;
    harness->SetFrameObserver([&] { ++seen; });
    EXPECT_EQ(Run(
                  {Keys({kKeyP}), Keys({}), Keys({kKeyP})}, [&] { return session->RunPauseScreen(nullptr); },
                  false),
              1);
    EXPECT_EQ(seen, 3); // held, let go, pressed again
    seen = 0;
    EXPECT_EQ(Run({Keys({}), Keys({kEnter})}, [&] { return session->RunPauseScreen(nullptr); }), 1);
    harness->SetFrameObserver({});
    EXPECT_EQ(seen, 2);
}

TEST_F(InRaceMenusTest, PagesMissingFromTheMenuDataAreLoggedOnceAndSkipped)
{
    MenuFileRecord file = DemoMenuFile();
    std::vector<MenuPageRecord> kept;
    for (MenuPageRecord& page : file.pages)
        if (page.id.rfind("ID_ESC", 0) != 0)
            kept.push_back(page);
    file.pages = kept;
    menus.reset();
    ASSERT_TRUE(WriteMenuFile(harness->DataDir() + "Menu.qvx", file));
    menus = std::make_unique<QV7_MenuManager>();
    EXPECT_EQ(Run(
                  {Keys({}), Keys({kEscape})}, [&] { return session->RunEscMenu(); }, false),
              0);
    EXPECT_EQ(Run(
                  {Keys({kEscape})}, [&] { return session->RunSoundMenu(); }, false),
              -1);
    EXPECT_EQ(Run(
                  {Keys({}), Keys({kEscape})}, [&] { return session->RunControlsMenu(); }, false),
              -1);
    EXPECT_EQ(Run({Keys({}), Keys({kEscape})}, [&] { return session->RunEscMenu(); }), 0);
    int pageLines = 0;
    for (const std::string& line : harness->LogLines())
        pageLines += line == "ERROR: In-race menu: page ID_ESC_MENU missing";
    EXPECT_EQ(pageLines, 1);
}
} // namespace
