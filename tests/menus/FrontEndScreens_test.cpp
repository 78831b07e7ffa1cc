// The main menu, its exit question, the credits and the advert pages, run as
// the game runs them (each screen loops by itself) on the screen-loop
// harness. Every scripted frame is one pass of a screen loop; the harness's
// observer notes which page each frame shows, whether the page took mouse
// input, and whether the frame before drew the main-menu backdrop over it.
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "menus/QV7_CreditsPage.h"
#include "menus/QV7_DemoPages.h"
#include "menus/QV7_MainMenu.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/null/NullInput.h"
#include "platform/sound/null/NullSound.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoSounds.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <map>

using namespace screentest;
using namespace menufile;

namespace
{
constexpr int kEscape = 1;
constexpr int kEnter = 28;

const char* const kMainButtons[] = {"IDSINGLEPLAYER", "IDMULTIPLAYER", "IDOPTIONS", "IDCREDITS", "IDEXIT"};

MenuPageRecord WithButton(MenuPageRecord page, const std::string& id, int left, int top)
{
    page.controls.push_back(Button(id, left, top, left + 200, top + 40, kRedPicture));
    return page;
}

// The main menu's own background differs from ID_MM_BACKGROUND's, so the
// backdrop's texture binding marks the frames it is drawn in.
MenuFileRecord TestMenus()
{
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kRedPicture, kBackdrop, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord main = Page("ID_MAIN_MENU", 1, kWhitePicture);
    for (int i = 0; i < 5; ++i)
        main = WithButton(main, kMainButtons[i], 100, 100 + 60 * i);
    main.controls.push_back(Caption("IDVERSION", 600, 560, 780, 590, kBlockFont, 0xFFFFFFFF, "V?"));
    MenuPageRecord credits = Page("ID_CREDITS", 4, kWhitePicture);
    credits.controls.push_back(Caption("IDCREDITS", 100, 100, 700, 200, kBlockFont, 0xFFFFFFFF, ""));
    file.pages = {Page("ID_LOADING_GAME", 0, kWhitePicture),
                  main,
                  Page("ID_MM_BACKGROUND", 2, kBackdrop),
                  WithButton(WithButton(Page("ID_MAIN_MENU_EXIT", 3, kWhitePicture, 1), "IDYES", 350, 300),
                             "IDNO", 560, 300),
                  credits,
                  Page("ID_DEMO_MENUSP", 5, kWhitePicture),
                  Page("ID_DEMO_MENUMP", 6, kWhitePicture),
                  Page("ID_DEMO_END", 7, kWhitePicture),
                  WithButton(Page("ID_PROFILE", 8, kWhitePicture), "IDBACK", 100, 500),
                  WithButton(Page("ID_OPTIONS_GRAPHICS", 9, kWhitePicture), "IDBACKTOMAINMENU", 100, 500)};
    return file;
}

struct SeenFrame
{
    std::string page;
    int menuInput = 0;
    bool backdrop = false; // the main-menu backdrop was drawn in this frame
};

class FrontEndScreens : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        h.WriteStandardPicturesAndFonts();
        h.WriteMenus(TestMenus(), {"Line one", "Line two", "Line three"});
        menus = std::make_unique<QV7_MenuManager>();
        MenuPage* backdropPage = menus->FindPage("ID_MM_BACKGROUND");
        ASSERT_NE(backdropPage, nullptr);
        backdropBinding = "SetTexture(0," + gfx::ResourceName(backdropPage->m_Background->m_Texture) + ")";
        g_demoFinished = false;
        h.SetFrameObserver([this] { Observe(); });
    }

    void TearDown() override { input::null::State().frames.clear(); }

    void Observe()
    {
        auto& calls = gfx::null::Calls();
        bool drawn = false;
        for (size_t i = seenCalls; i < calls.size(); ++i)
            drawn = drawn || calls[i] == backdropBinding;
        seenCalls = calls.size();
        if (!seen.empty())
            seen.back().backdrop = drawn;
        MenuPage* page = g_menuManager->CurrentPage();
        seen.push_back({page ? page->m_Id : "", g_menuManager->m_CursorFlag, false});
        const auto action = actions.find(seen.size() - 1);
        if (action != actions.end())
            action->second();
    }

    // Frames with the cursor in a corner where no control lies.
    void Idle(int count, uint32_t ms = 20, std::vector<int> keys = {})
    {
        for (int i = 0; i < count; ++i)
        {
            ScriptedFrame frame;
            frame.x = 790;
            frame.y = 590;
            frame.ms = ms;
            frame.keys = keys;
            h.Queue(frame);
        }
    }

    void Click(const std::string& pageId, const std::string& controlId)
    {
        for (const MenuPageRecord& page : TestMenus().pages)
            for (const MenuControlRecord& control : page.controls)
                if (page.id == pageId && control.id == controlId)
                {
                    h.Queue(ClickAt(float(control.left + control.right) / 2,
                                    float(control.top + control.bottom) / 2));
                    return;
                }
        ADD_FAILURE() << "no control " << controlId << " on " << pageId;
    }

    int CountFrames(size_t from, size_t to, const std::function<bool(const SeenFrame&)>& test) const
    {
        int count = 0;
        for (size_t i = from; i < to && i < seen.size(); ++i)
            count += test(seen[i]) ? 1 : 0;
        return count;
    }
    int CountPage(const std::string& page) const
    {
        return CountFrames(0, seen.size(), [&](const SeenFrame& f) { return f.page == page; });
    }
    int BackdropFrames(size_t from, size_t to) const
    {
        return CountFrames(from, to, [](const SeenFrame& f) { return f.backdrop; });
    }
    static size_t FramesLeft() { return input::null::State().frames.size(); }

    ScreenLoopHarness h;
    std::unique_ptr<QV7_MenuManager> menus;
    std::string backdropBinding;
    size_t seenCalls = 0;
    std::vector<SeenFrame> seen;
    std::map<size_t, std::function<void()>> actions;
};

TEST_F(FrontEndScreens, MainMenuFadesInOnItsFirstEntryAndAfterAFinishedDemoOnly)
{
    h.Windows().m_Settings.Version = 1;
    h.Windows().m_Settings.Version_Branch = 0;
    Idle(10);                           // frames 0-9: the first entry fades in (0.5 x 20 ms a frame)
    Click("ID_MAIN_MENU", "IDOPTIONS"); // 10-11, before the fade is over
    Idle(40);                           // 12-51: out to the options page and in
    Click("ID_OPTIONS_GRAPHICS", "IDBACKTOMAINMENU"); // 52-53
    Idle(50);                                         // 54-103: back to the main menu
    actions[104] = [] { g_demoFinished = true; };     // 104-143: a finished demo fades it in again
    Idle(40);
    h.CloseAfterScript();
    RunMainMenu();

    EXPECT_EQ(BackdropFrames(1, 10), 9);
    EXPECT_GT(CountFrames(12, 52, [](const SeenFrame& f) { return f.page == "ID_OPTIONS_GRAPHICS"; }), 0);
    // Back from a sub-page the menu shows at once: its last frames carry no backdrop.
    EXPECT_EQ(
        CountFrames(92, 104, [](const SeenFrame& f) { return f.page == "ID_MAIN_MENU" && f.menuInput == 1; }),
        12);
    EXPECT_EQ(BackdropFrames(92, 104), 0);
    // The fade from black takes 255 / 10 frames.
    EXPECT_GE(BackdropFrames(105, 144), 23);
    EXPECT_LE(BackdropFrames(105, 144), 27);
    EXPECT_EQ(BackdropFrames(134, 144), 0);
    EXPECT_FALSE(g_demoFinished);

    menus->m_CurrentPage = menus->FindPageIndex("ID_MAIN_MENU");
    auto* version = static_cast<QV7_Menu_Caption*>(menus->FindControl("IDVERSION", kMenuCaption));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version->m_Text, "V1.0");
}

TEST_F(FrontEndScreens, AClickHeldFromBeforeThePageDoesNotActButAFreshOneDoes)
{
    // The button is already down over Exit when the menu starts, and stays down.
    for (int i = 0; i < 10; ++i)
    {
        ScriptedFrame held;
        held.x = 200;
        held.y = 360;
        held.left = true;
        h.Queue(held);
    }
    Idle(5);
    const size_t freshClick = 15;
    Click("ID_MAIN_MENU", "IDEXIT");
    Idle(5);
    Click("ID_MAIN_MENU_EXIT", "IDNO");
    Idle(5);
    h.CloseAfterScript();
    RunMainMenu();

    EXPECT_EQ(CountFrames(0, freshClick, [](const SeenFrame& f) { return f.page == "ID_MAIN_MENU_EXIT"; }),
              0);
    EXPECT_GT(CountPage("ID_MAIN_MENU_EXIT"), 0);
    // No: back in the main menu's own loop.
    EXPECT_EQ(seen[seen.size() - 2].page, "ID_MAIN_MENU");
    EXPECT_EQ(seen[seen.size() - 2].menuInput, 1);
}

TEST_F(FrontEndScreens, ConfirmedExitShowsTheAdvertHeldForASecondAndEndsWithoutFadingBack)
{
    Idle(30);
    Click("ID_MAIN_MENU", "IDEXIT");
    Idle(3);
    Click("ID_MAIN_MENU_EXIT", "IDYES");
    // Enter held all along: only the end of the first second lets it act.
    Idle(500, 20, {kEnter});
    h.CloseAfterScript();
    RunMainMenu();

    EXPECT_EQ(g_windowsData->m_Quit, 0) << "the game must end by itself, not by the window closing";
    EXPECT_GT(FramesLeft(), 50u);
    // Fade in (0.1 x 20 a frame: 128 frames), a hold of just over 1000 ms (51), fade out (128).
    const int advert = CountPage("ID_DEMO_MENUSP");
    EXPECT_GE(advert, 128 + 50 + 127);
    EXPECT_LE(advert, 128 + 52 + 129);
    EXPECT_EQ(seen.back().page, "ID_DEMO_MENUSP");
}

TEST_F(FrontEndScreens, AQuitInsideANestedScreenLeavesEveryScreenAtOnce)
{
    Idle(30);
    Click("ID_MAIN_MENU", "IDCREDITS");
    Idle(5);
    h.CloseAfterScript();
    Idle(50);
    RunMainMenu();

    EXPECT_EQ(g_windowsData->m_Quit, 1);
    // The pass that handles the close polls once more; nothing after it.
    EXPECT_GE(FramesLeft(), 48u);
}

// The pages shown, one entry per run of frames on the same page.
struct PageRun
{
    std::string page;
    int frames = 0;
};

TEST_F(FrontEndScreens, TheDemoEndPageFadesInHoldsForASecondAndFadesOutWithoutInput)
{
    Idle(500, 20, {kEnter}); // Enter held all along: only the end of the hold lets it act
    h.CloseAfterScript();
    ShowDemoEndPage();

    EXPECT_GT(FramesLeft(), 50u) << "the page must end by itself";
    // Fade in at 0.1 x 20 a frame (128 frames), a hold of just over 1000 ms (51), fade out (128).
    const int shown = CountPage("ID_DEMO_END");
    EXPECT_EQ(shown, int(seen.size()));
    EXPECT_GE(shown, 128 + 50 + 127);
    EXPECT_LE(shown, 128 + 52 + 129);
    EXPECT_EQ(CountFrames(0, seen.size(), [](const SeenFrame& f) { return f.menuInput != 0 || f.backdrop; }),
              0);
}

TEST_F(FrontEndScreens, TheMultiplayerAdvertLeavesTheMainMenuAndComesBackToIt)
{
    Idle(500, 20, {kEnter});
    h.CloseAfterScript();
    ShowDemoMultiplayerPage();

    EXPECT_GT(FramesLeft(), 50u);
    std::vector<PageRun> runs;
    for (const SeenFrame& frame : seen)
    {
        if (runs.empty() || runs.back().page != frame.page)
            runs.push_back({frame.page, 0});
        ++runs.back().frames;
    }
    ASSERT_EQ(runs.size(), 3u);
    // The main menu fades at 1.0 x 20 a frame: 13 frames out and 13 back in.
    EXPECT_EQ(runs[0].page, "ID_MAIN_MENU");
    EXPECT_EQ(runs[0].frames, 13);
    EXPECT_EQ(runs[1].page, "ID_DEMO_MENUMP");
    EXPECT_GE(runs[1].frames, 128 + 50 + 127);
    EXPECT_LE(runs[1].frames, 128 + 52 + 129);
    EXPECT_EQ(runs[2].page, "ID_MAIN_MENU");
    EXPECT_EQ(runs[2].frames, 13);
    EXPECT_EQ(CountFrames(0, seen.size(), [](const SeenFrame& f) { return f.menuInput != 0 || f.backdrop; }),
              0);
}

TEST_F(FrontEndScreens, CreditsScrollUntilTheLastLineHasLeftTheTop)
{
    // 100 ms frames: fades of 0.8 x 100 take 4 frames; the lines move 2 pixels
    // a frame from the bottom (200) until above 100 - 3 x 17.
    Idle(200, 100);
    h.CloseAfterScript();
    RunCreditsPage(255.0f);

    EXPECT_GT(FramesLeft(), 50u) << "the credits ended by themselves";
    const int onCredits = CountPage("ID_CREDITS");
    EXPECT_GE(onCredits, 4 + 75 + 4);
    EXPECT_LE(onCredits, 4 + 77 + 4);
    EXPECT_EQ(seen.back().page, "ID_MAIN_MENU");
}

TEST_F(FrontEndScreens, EscapeDuringTheOpeningFadeSkipsTheScrolling)
{
    Idle(2, 100, {kEscape});
    Idle(200, 100);
    h.CloseAfterScript();
    RunCreditsPage(255.0f);

    EXPECT_EQ(CountPage("ID_CREDITS"), 4 + 4);
    EXPECT_EQ(seen.back().page, "ID_MAIN_MENU");
}
} // namespace

namespace
{
bool Playing(SoundEntry* entry, bool looping)
{
    uint32_t status = 0;
    if (!entry || FAILED(entry->m_Buffer->GetStatus(status)))
        return false;
    return (status & snd::DSBSTATUS_PLAYING) && ((status & snd::DSBSTATUS_LOOPING) != 0) == looping;
}

// The demo's front-end pair on the null sound device, the opening piece playing.
class FrontEndMusic : public FrontEndScreens
{
  protected:
    void SetUp() override
    {
        FrontEndScreens::SetUp();
        WriteDemoSounds(h.DataDir());
        sound = std::make_unique<QV7_SoundSystem>();
        ASSERT_TRUE(sound->InitDevice(nullptr));
        sound->LoadMenuSounds();
        ASSERT_NE(sound->m_MusicA, nullptr);
        ASSERT_NE(sound->m_MusicB, nullptr);
        sound->PlaySound(sound->m_MusicA, false);
    }
    void TearDown() override
    {
        sound.reset();
        FrontEndScreens::TearDown();
    }
    std::unique_ptr<QV7_SoundSystem> sound;
};

TEST_F(FrontEndMusic, TheLoopingPieceTakesOverWhenTheOpeningOneEnds)
{
    bool openingPlayedOn = false, takenOver = false;
    actions[5] = [&]
    { openingPlayedOn = Playing(sound->m_MusicA, false) && !Playing(sound->m_MusicB, true); };
    actions[6] = [] { snd::null::AdvanceTime(600000.0); };
    actions[8] = [&] { takenOver = Playing(sound->m_MusicB, true); };
    Idle(10);
    h.CloseAfterScript();
    RunMainMenu();
    EXPECT_TRUE(openingPlayedOn);
    EXPECT_TRUE(takenOver);
}

TEST_F(FrontEndMusic, AClickCutsTheOpeningPieceShort)
{
    bool cut = false;
    actions[14] = [&] { cut = !Playing(sound->m_MusicA, false) && Playing(sound->m_MusicB, true); };
    Idle(10);
    Click("ID_MAIN_MENU", "IDOPTIONS");
    Idle(5);
    h.CloseAfterScript();
    RunMainMenu();
    EXPECT_TRUE(cut);
}
} // namespace
