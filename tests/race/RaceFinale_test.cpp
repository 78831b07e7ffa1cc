// The finale's pages on the screen-loop harness: the won screen waits for a
// press, the credits follow and a second press (after a release) ends them;
// a female driver gets the other won screen.
#include "gui/MenuPage.h"
#include "gui/QV7_MenuManager.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Profiles.h"
#include "race/RaceFinale.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace screentest;
using namespace menufile;

namespace
{
constexpr int kEnter = 28;

std::vector<std::string> g_pages;

MenuFileRecord FinaleMenus()
{
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kBackdrop, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord credits = Page("ID_WON_SCREEN_CREDITS", 3, kBackdrop);
    credits.controls.push_back(Caption("IDCREDITS", 100, 100, 700, 500, kBlockFont, 0xFFFFFFFF, ""));
    file.pages = {Page("ID_LOADING_GAME", 0, kWhitePicture), Page("ID_WON_SCREEN", 1, kWhitePicture),
                  Page("ID_WON_SCREENF", 2, kWhitePicture), credits};
    return file;
}

std::vector<ScriptedFrame> Frames(int count, std::vector<int> keys = {})
{
    ScriptedFrame frame;
    frame.ms = 50;
    frame.keys = std::move(keys);
    return std::vector<ScriptedFrame>(size_t(count), frame);
}

TEST(RaceFinaleTest, WonScreenUntilAPressThenTheCreditsUntilANewPress)
{
    for (int gender : {1, 2})
    {
        SCOPED_TRACE(gender);
        ScreenLoopHarness harness;
        harness.StartMenus(FinaleMenus());
        QV7_Profiles profiles;
        profiles.currentProfile = profiles.AddProfile();
        profiles.currentProfile->gender = gender;
        g_pages.clear();
        harness.SetFrameObserver(
            []
            {
                MenuPage* page = g_menuManager->CurrentPage();
                g_pages.push_back(page ? page->m_Id : "");
            });
        harness.Queue(Frames(20));
        harness.Queue(Frames(3, {kEnter})); // ends the won screen; held on, it does not end the credits
        harness.Queue(Frames(80));
        harness.Queue(Frames(1, {kEnter}));
        harness.Queue(Frames(200));
        harness.CloseAfterScript();
        RunFinaleScreens();
        const std::string won = gender == 1 ? "ID_WON_SCREEN" : "ID_WON_SCREENF";
        ASSERT_GT(g_pages.size(), 100u);
        EXPECT_EQ(g_pages[0], won);
        EXPECT_EQ(g_pages[20], won);
        // The cross-fade (51 frames) over the won page, then the credits until the new press.
        EXPECT_EQ(g_pages[60], won);
        EXPECT_EQ(g_pages[100], "ID_WON_SCREEN_CREDITS");
        // The second press ended the credits: the fade out took 51 frames and the script was not used up.
        EXPECT_LT(g_pages.size(), 20u + 3 + 80 + 1 + 60);
    }
}
} // namespace
