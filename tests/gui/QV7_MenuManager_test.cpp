// The menu manager on the null back-ends through the screen-loop harness:
// what it loads, its page helpers, clicks on the press edge, pop-up chains,
// the cursor flag, and broken, impossible or missing menu files.
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "gui/QV7_Menu_Slider.h"
#include "gui/QV7_Particles2D.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

using namespace screentest;
using namespace menufile;

namespace
{
// Page 0 "ID_MAIN": a button, a caption, a check box, a progress bar and a
// slider. Page 1 "ID_SECOND" with a second "IDOK". Pages 2 to 4 a chain of
// pop-ups: "ID_POPUP2" over "ID_POPUP1" over "ID_SECOND"... see each test.
MenuFileRecord TwoPages()
{
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kRedPicture,    kGreenPicture, kKnobPicture,
                       kBackdrop,     kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord main = Page("ID_MAIN", 10, kBackdrop);
    main.controls.push_back(Button("IDOK", 100, 100, 200, 140, kWhitePicture, kRedPicture));
    main.controls.push_back(Caption("IDCAPTION", 100, 200, 300, 220, kBlockFont, 0xFFFFFFFF, "AB"));
    main.controls.push_back(Check("IDCHECK", 300, 100, 340, 140, kKnobPicture, 1));
    main.controls.push_back(Progress("IDPROGRESSBAR", 100, 300, 200, 310, kGreenPicture, 25.0f));
    main.controls.push_back(Slider("IDSLIDER", 100, 400, 300, 420, kKnobPicture, 20, 20));
    file.pages.push_back(main);
    MenuPageRecord second = Page("ID_SECOND", 11, kBackdrop);
    second.controls.push_back(Button("IDOK", 0, 0, 50, 50, kRedPicture));
    second.controls.push_back(Caption("IDOK", 60, 0, 100, 50, kBlockFont, 0xFFFFFFFF, "A"));
    file.pages.push_back(second);
    return file;
}
// One frame with the cursor at (x, y) and the left button down or up.
ScriptedFrame at(float x, float y, bool left)
{
    ScriptedFrame f;
    f.x = x;
    f.y = y;
    f.left = left;
    return f;
}
} // namespace

TEST(MenuManager, LoadsPagesControlsPicturesFontsAndStrings)
{
    ScreenLoopHarness h;
    h.WriteStandardPicturesAndFonts();
    h.WriteMenus(TwoPages(), {"Yes", "No"});
    QV7_MenuManager menus;
    EXPECT_EQ(g_menuManager, &menus);
    EXPECT_EQ(menus.m_CurrentPage, 1);
    EXPECT_EQ(menus.m_CursorFlag, 0);
    ASSERT_EQ(menus.m_Pages.Count(), 2);
    EXPECT_STREQ(menus.m_Pages[0]->m_Id, "ID_MAIN");
    EXPECT_EQ(menus.m_Pages[0]->m_Controls.Count(), 5);
    EXPECT_EQ(menus.m_Pages[0]->m_Background, QV7_TextureList::FindMenuTexture(kBackdrop));
    ASSERT_NE(menus.m_CursorPicture, nullptr);
    EXPECT_EQ(menus.m_CursorPicture->m_Flag, 1u);
    EXPECT_EQ(menus.m_TrailPicture->m_Flag, 1u);
    ASSERT_NE(menus.m_CursorTrail, nullptr);
    EXPECT_EQ(menus.m_CursorTrail->m_Picture, menus.m_TrailPicture);
    ASSERT_EQ(menus.m_Strings.Count(), 2);
    EXPECT_STREQ(menus.m_Strings[1]->m_Text, "No");

    menus.m_CurrentPage = 0;
    auto* button = static_cast<QV7_Menu_Button*>(menus.FindControl("IDOK", kMenuButton));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->m_HoverPicture, QV7_TextureList::FindMenuTexture(kWhitePicture));
    EXPECT_EQ(button->m_Page, menus.m_Pages[0]);
    EXPECT_STREQ(button->m_Text1, "None");
    auto* caption = static_cast<QV7_Menu_Caption*>(menus.FindControl("IDCAPTION", kMenuCaption));
    ASSERT_NE(caption, nullptr);
    ASSERT_NE(caption->m_Font, nullptr);
    EXPECT_EQ(caption->m_Font->m_FontId, kBlockFont);
    EXPECT_STREQ(caption->m_LoadedText, "AB");
    auto* slider = static_cast<QV7_Menu_Slider*>(menus.FindControl("IDSLIDER", kMenuSlider));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->m_Position, 10); // half the knob, whatever the file says

    // Page 0's pictures are marked in use; page 1's red picture only by its own page.
    EXPECT_EQ(QV7_TextureList::FindMenuTexture(kWhitePicture)->m_Flag, 1u);
    EXPECT_EQ(QV7_TextureList::FindMenuTexture(kGreenPicture)->m_Flag, 1u);
    QV7_TextureList::FindMenuTexture(kRedPicture)->m_Flag = 0;
    menus.MarkPageTexturesUsed(1);
    EXPECT_EQ(QV7_TextureList::FindMenuTexture(kRedPicture)->m_Flag, 1u);
}

TEST(MenuManager, AnotherLanguageReadsItsOwnMenuFile)
{
    ScreenLoopHarness h;
    std::strcpy(h.Windows().m_Settings.LanguageVersion, "FR");
    h.WriteStandardPicturesAndFonts();
    MenuFileRecord french = TwoPages();
    french.pages[0].id = "ID_FRENCH";
    h.WriteMenus(french);
    QV7_MenuManager menus;
    ASSERT_EQ(menus.m_Pages.Count(), 2);
    EXPECT_STREQ(menus.m_Pages[0]->m_Id, "ID_FRENCH");
}

TEST(MenuManager, FindHelpers)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    EXPECT_EQ(menus.FindPageIndex("ID_SECOND"), 1);
    EXPECT_EQ(menus.FindPageIndex(nullptr), 0);
    EXPECT_EQ(menus.FindPageIndex("id_second"), 0); // exact comparison
    EXPECT_EQ(menus.FindPage("ID_SECOND"), menus.m_Pages[1]);
    EXPECT_EQ(menus.FindPage("NOPE"), nullptr);
    EXPECT_EQ(menus.FindPage(nullptr), nullptr);

    menus.m_CurrentPage = 1;
    QV7_Menu_hWnd* any = menus.FindControl("IDOK", kMenuAnyType);
    ASSERT_NE(any, nullptr);
    EXPECT_EQ(any->m_Type, kMenuButton);
    EXPECT_EQ(menus.FindControl("IDOK", kMenuCaption), menus.m_Pages[1]->m_Controls[1]);
    EXPECT_EQ(menus.FindControl("IDOK", kMenuSlider), nullptr);
    EXPECT_EQ(menus.FindControl(nullptr, kMenuAnyType), nullptr);

    menus.m_CurrentPage = 0;
    QV7_Menu_hWnd* first = menus.m_Pages[0]->m_Controls[0];
    QV7_Menu_hWnd* slider = menus.FindControl("IDSLIDER", kMenuSlider);
    menus.BringControlToFront("IDSLIDER");
    EXPECT_EQ(menus.m_Pages[0]->m_Controls[0], slider);
    EXPECT_EQ(menus.m_Pages[0]->m_Controls[4], first); // a swap, not a shift
    menus.BringControlToFront("ABSENT");
    EXPECT_EQ(menus.m_Pages[0]->m_Controls[0], slider);

    // An index no page has: nothing found, nothing drawn, no crash.
    menus.m_CurrentPage = 7;
    EXPECT_EQ(menus.FindControl("IDOK", kMenuAnyType), nullptr);
    EXPECT_FALSE(h.Step({}).anyClick);
    menus.m_CurrentPage = -1;
    EXPECT_FALSE(h.Step({}).anyClick);
}

TEST(MenuManager, ClickFiresOnThePressEdgeOnly)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    // Held over the button: one click; released and pressed again: another.
    const std::vector<std::string> clicks =
        h.Play({at(150, 120, false), at(150, 120, true), at(150, 120, true), at(150, 120, false),
                at(150, 120, true)});
    EXPECT_EQ(clicks, (std::vector<std::string>{"", "IDOK", "", "", "IDOK"}));
    EXPECT_TRUE(h.Logged("Click on hWnd: IDOK"));
    EXPECT_EQ(menus.m_Pages[0]->m_Focused, menus.FindControl("IDOK", kMenuButton));

    // A press that starts outside and moves onto the button does not click it.
    const std::vector<std::string> dragged =
        h.Play({at(10, 10, false), at(10, 10, true), at(150, 120, true), at(150, 120, false)});
    EXPECT_EQ(dragged, (std::vector<std::string>(4, "")));

    // The edges are outside (strict comparison).
    EXPECT_EQ(h.Play({at(100, 120, false), at(100, 120, true)})[1], "");
}

TEST(MenuManager, CursorFlagOffHidesTheCursorAndTakesNoMouseInput)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    menus.m_CursorFlag = 0;
    ScriptedFrame up;
    up.x = 150;
    up.y = 120;
    ScriptedFrame down = up;
    down.left = true;
    h.Step(up);
    gfx::null::ClearCalls();
    EXPECT_FALSE(h.Step(down).anyClick);
    const size_t drawsWithout = gfx::null::CountCalls("DrawPrimitiveUP");
    auto* check = static_cast<QV7_Menu_Check*>(menus.FindControl("IDCHECK", kMenuCheck));
    EXPECT_EQ(check->m_Checked, 1);

    // Cursor back on: the same frames click, and the cursor picture is drawn too.
    menus.m_CursorFlag = 1;
    h.Step(up);
    gfx::null::ClearCalls();
    EXPECT_EQ(h.Step(down).clicked, "IDOK");
    EXPECT_GT(gfx::null::CountCalls("DrawPrimitiveUP"), drawsWithout);
}

TEST(MenuManager, APressMadeWhileTheCursorWasOffIsNotFreshWhenItComesBack)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    // Pressed over the button with the cursor off, still held when it comes
    // back: no click until the button is released and pressed again.
    menus.m_CursorFlag = 0;
    h.Play({at(150, 120, false), at(150, 120, true)});
    menus.m_CursorFlag = 1;
    EXPECT_EQ(h.Play({at(150, 120, true), at(150, 120, true), at(150, 120, false), at(150, 120, true)}),
              (std::vector<std::string>{"", "", "", "IDOK"}));

    // A slider drag ends where the cursor goes off: it reports its id once,
    // its knob stays where the drag left it, and it is not dragged on when
    // the cursor comes back with the button still down.
    auto* slider = static_cast<QV7_Menu_Slider*>(menus.FindControl("IDSLIDER", kMenuSlider));
    h.Play({at(150, 410, false), at(150, 410, true), at(200, 410, true)});
    ASSERT_EQ(slider->m_Position, 100);
    menus.m_CursorFlag = 0;
    EXPECT_EQ(h.Play({at(250, 410, true), at(250, 410, true)}), (std::vector<std::string>{"IDSLIDER", ""}));
    EXPECT_EQ(slider->m_Position, 100);
    menus.m_CursorFlag = 1;
    EXPECT_EQ(h.Step(at(250, 410, true)).clicked, "");
    EXPECT_EQ(slider->m_Position, 100);
    EXPECT_EQ(g_capturedWidget, nullptr);
}

TEST(MenuManager, PopUpChainDrawsOutermostFirstAndOnlyTheInnermostTakesInput)
{
    MenuFileRecord file = TwoPages();
    // ID_SECOND (11) <- ID_POPUP1 (12) <- ID_POPUP2 (13); each has a button at the same place.
    MenuPageRecord popup1 = Page("ID_POPUP1", 12, kRedPicture, 11);
    popup1.controls.push_back(Button("IDPOPUP1", 0, 0, 50, 50, kRedPicture));
    MenuPageRecord popup2 = Page("ID_POPUP2", 13, kWhitePicture, 12);
    popup2.controls.push_back(Button("IDPOPUP2", 0, 0, 50, 50, kWhitePicture));
    file.pages.push_back(popup2); // file order does not matter to the parents
    file.pages.push_back(popup1);
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(file);
    EXPECT_EQ(menus.FindPage("ID_POPUP2")->m_Parent, menus.FindPage("ID_POPUP1"));
    EXPECT_EQ(menus.FindPage("ID_POPUP1")->m_Parent, menus.FindPage("ID_SECOND"));
    EXPECT_EQ(menus.FindPage("ID_SECOND")->m_Parent, nullptr);

    menus.m_CurrentPage = menus.FindPageIndex("ID_POPUP2");
    h.Step({});
    gfx::null::ClearCalls();
    ScriptedFrame press;
    press.x = press.y = 25;
    press.left = true;
    EXPECT_EQ(h.Step(press).clicked, "IDPOPUP2");
    EXPECT_EQ(menus.FindPage("ID_SECOND")->m_Focused, nullptr);
    EXPECT_EQ(menus.FindPage("ID_POPUP1")->m_Focused, nullptr);

    // Backgrounds in chain order: the grey backdrop, then the red and white pop-up pictures.
    const std::string backdrop = "SetTexture(0,";
    std::vector<std::string> textures;
    for (const std::string& call : gfx::null::Calls())
        if (call.rfind(backdrop, 0) == 0 && call != "SetTexture(0,null)")
            textures.push_back(call);
    ASSERT_GE(textures.size(), 3u);
    EXPECT_NE(textures[0], textures[1]);
    EXPECT_NE(textures[1], textures[2]);
}

TEST(MenuManager, AParentCycleIsCutAndEveryPageStays)
{
    MenuFileRecord file = TwoPages();
    file.pages[0].parentNumber = 11;
    file.pages[1].parentNumber = 10;
    MenuPageRecord own = Page("ID_OWN_PARENT", 12, kBackdrop, 12);
    own.controls.push_back(Button("IDOWN", 0, 0, 50, 50, kRedPicture));
    file.pages.push_back(own);
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(file);
    ASSERT_EQ(menus.m_Pages.Count(), 3);
    // Walked from ID_MAIN, the link back from ID_SECOND closes the cycle.
    EXPECT_EQ(menus.FindPage("ID_MAIN")->m_Parent, menus.FindPage("ID_SECOND"));
    EXPECT_EQ(menus.FindPage("ID_SECOND")->m_Parent, nullptr);
    EXPECT_EQ(menus.FindPage("ID_OWN_PARENT")->m_Parent, nullptr);
    EXPECT_TRUE(h.Logged(
        "WARNING: Menu page ID_SECOND: its parent ID_MAIN leads back to it; shown without a parent."));
    EXPECT_TRUE(h.Logged("WARNING: Menu page ID_OWN_PARENT: its parent ID_OWN_PARENT leads back to it; shown "
                         "without a parent."));

    menus.m_CurrentPage = menus.FindPageIndex("ID_OWN_PARENT");
    h.Step({});
    ScriptedFrame press;
    press.x = press.y = 25;
    press.left = true;
    EXPECT_EQ(h.Step(press).clicked, "IDOWN");
}

// Without its menus no screen has a page to show: a menu file that is missing,
// broken or empty ends the load, and nothing stays published.
TEST(MenuManager, AMenuFileWithoutPagesToShowEndsTheLoad)
{
    ScreenLoopHarness h;
    EXPECT_THROW(QV7_MenuManager(), CDException); // no files at all
    EXPECT_EQ(g_menuManager, nullptr);
    EXPECT_TRUE(h.Logged("ERROR: File " + h.DataDir() + "Menu.qvx in Data directory can't be accessed."));

    h.WriteStandardPicturesAndFonts();
    MenuFileRecord none = TwoPages();
    none.pages.clear();
    h.WriteMenus(none);
    EXPECT_THROW(QV7_MenuManager(), CDException);
    EXPECT_TRUE(h.Logged("ERROR: Menu file " + h.DataDir() + "Menu.qvx holds no page to show."));

    std::vector<uint8_t> bytes = BuildMenuFile(TwoPages()).Bytes();
    bytes.resize(bytes.size() - 3);
    BinaryWriter cut;
    cut.WriteBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(cut.SaveToFile(h.DataDir() + "Menu.qvx"));
    EXPECT_THROW(QV7_MenuManager(), CDException);
    EXPECT_EQ(g_menuManager, nullptr);
    // The last field of the file is a caption's text.
    EXPECT_TRUE(h.Logged("ERROR: Menu file " + h.DataDir() +
                         "Menu.qvx is broken: a text can't be read (at byte " +
                         std::to_string(bytes.size() - 3) + " of " + std::to_string(bytes.size()) + ")."))
        << ::testing::PrintToString(h.LogLines());
    EXPECT_EQ(g_particles2D->m_Emitters.Count(), 0) << "no cursor trail left behind";

    // A control whose type code is unknown, in the middle of the first page:
    // its size is unknown too, so nothing after its code can be read.
    MenuFileRecord file = TwoPages();
    MenuFileRecord before = file; // the same bytes up to the unknown control
    before.pages.resize(1);
    before.pages[0].controls.resize(2);
    file.pages[0].controls[2].type = 10;
    ASSERT_TRUE(WriteMenuFile(h.DataDir() + "Menu.qvx", file));
    const size_t unknownAt = BuildMenuFile(before).Bytes().size();
    const size_t fileSize = BuildMenuFile(file).Bytes().size();
    EXPECT_THROW(QV7_MenuManager(), CDException);
    EXPECT_EQ(g_menuManager, nullptr);
    EXPECT_TRUE(h.Logged("ERROR: Menu file " + h.DataDir() + "Menu.qvx is broken: unknown control type 10 (at byte " +
                         std::to_string(unknownAt) + " of " + std::to_string(fileSize) + ")."))
        << ::testing::PrintToString(h.LogLines());
}

TEST(MenuManager, AMissingStringsFileIsLoggedAndLeavesNoStrings)
{
    ScreenLoopHarness h;
    h.WriteStandardPicturesAndFonts();
    h.WriteMenus(TwoPages());
    std::filesystem::remove(h.DataDir() + "Menu_c.qvx");
    QV7_MenuManager menus;
    EXPECT_EQ(menus.m_Pages.Count(), 2);
    EXPECT_EQ(menus.m_Strings.Count(), 0);
    EXPECT_TRUE(h.Logged("ERROR: File Menu_c.qvx in Data directory can't be accessed. " + h.DataDir() +
                         "Menu_c.qvx"));
}

TEST(MenuManager, BrokenMenuStringsEndTheLoad)
{
    ScreenLoopHarness h;
    h.WriteStandardPicturesAndFonts();
    h.WriteMenus(TwoPages(), {"Yes", "No"});
    const std::vector<uint8_t> good = BuildMenuStrings({"Yes", "No"}).Bytes();
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        bool brokenText;
    };
    auto withInt = [&](size_t at, int32_t v)
    {
        std::vector<uint8_t> b = good;
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
        return b;
    };
    const std::vector<Case> cases = {
        {"cut in the last string", {good.begin(), good.end() - 2}, true},
        {"a huge count", withInt(0, 268435458), false},
        {"a negative count", withInt(0, -2), false},
        {"a string of length 0", withInt(4, 0), true},
        {"a string longer than its buffer", withInt(4, 261), true},
        {"an empty file", {}, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        BinaryWriter file;
        file.WriteBytes(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(file.SaveToFile(h.DataDir() + "Menu_c.qvx"));
        EXPECT_THROW(QV7_MenuManager(), CDException);
        EXPECT_EQ(g_menuManager, nullptr);
        // A broken text: the string reader's two lines, then the file named;
        // other damage: the file named, then the details.
        const auto lines = h.LogLines();
        const std::string prefix = "ERROR: Menu file " + h.DataDir() + "Menu_c.qvx is broken: ";
        const size_t n = lines.size();
        ASSERT_GE(n, 3u);
        if (c.brokenText)
        {
            EXPECT_EQ(
                lines[n - 3],
                "Critical Problem, File Broken, Application will crash to avoid any additional problems.");
            EXPECT_EQ(lines[n - 2].rfind("ERROR DETAILS: FILE .\\QV7_Globals LINE ", 0), 0u) << lines[n - 2];
            EXPECT_EQ(lines[n - 1].rfind(prefix + "a text can't be read", 0), 0u) << lines[n - 1];
        }
        else
        {
            EXPECT_EQ(lines[n - 2].rfind(prefix, 0), 0u) << lines[n - 2];
            EXPECT_EQ(lines[n - 1].rfind("ERROR DETAILS: FILE .\\MenuFileLayout LINE ", 0), 0u)
                << lines[n - 1];
        }
    }
}

// Numbers no screen could hold cost their control only (its line logged); a
// progress outside 0 to 100 percent is brought into it. (Found by fuzzing: a
// picture at x = -2147483148 overflowed its width.)
TEST(MenuManager, ImpossibleControlsAreDroppedAndProgressIsClamped)
{
    struct Case
    {
        const char* what;
        size_t control; // index in TwoPages' first page
        std::function<void(MenuControlRecord&)> change;
        bool kept;
    };
    const std::vector<Case> cases = {
        {"left far off screen", 0, [](auto& c) { c.left = -2147483148; }, false},
        {"right past the limit", 1, [](auto& c) { c.right = kMenuCoordinateLimit + 1; }, false},
        {"bottom at the limit", 0, [](auto& c) { c.bottom = kMenuCoordinateLimit; }, true},
        {"top at the negative limit", 0, [](auto& c) { c.top = -kMenuCoordinateLimit; }, true},
        {"picture width huge", 0, [](auto& c) { c.width = 1 << 30; }, false},
        {"slider knob height huge", 4, [](auto& c) { c.height = 1 << 20; }, false},
    };
    const std::string dropped = " dropped, its place or size lies past any screen.";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        MenuFileRecord file = TwoPages();
        c.change(file.pages[0].controls[c.control]);
        const std::string id = file.pages[0].controls[c.control].id;
        ScreenLoopHarness h;
        QV7_MenuManager& menus = h.StartMenus(file);
        EXPECT_EQ(menus.m_Pages[0]->m_Controls.Count(), c.kept ? 5 : 4);
        EXPECT_EQ(menus.FindControl(id.c_str(), kMenuAnyType) != nullptr, c.kept);
        EXPECT_EQ(h.Logged("WARNING: Menu page ID_MAIN: control " + id + dropped), !c.kept);
        EXPECT_EQ(menus.m_Pages[1]->m_Controls.Count(), 2);
        h.Step({});
    }

    struct Percent
    {
        float inFile;
        float loaded;
        const char* line; // empty: none
    };
    const std::vector<Percent> percents = {
        {100.5f, 100.0f, "WARNING: Menu page ID_MAIN: progress IDPROGRESSBAR at 100.5 percent, kept at 100."},
        {-3.0f, 0.0f, "WARNING: Menu page ID_MAIN: progress IDPROGRESSBAR at -3 percent, kept at 0."},
        {std::nanf(""), 0.0f,
         "WARNING: Menu page ID_MAIN: progress IDPROGRESSBAR at nan percent, kept at 0."},
        {100.0f, 100.0f, ""},
    };
    for (const Percent& p : percents)
    {
        SCOPED_TRACE(p.inFile);
        MenuFileRecord file = TwoPages();
        file.pages[0].controls[3].percent = p.inFile;
        ScreenLoopHarness h;
        QV7_MenuManager& menus = h.StartMenus(file);
        auto* progress = static_cast<QV7_Menu_Progress*>(menus.FindControl("IDPROGRESSBAR", kMenuProgress));
        ASSERT_NE(progress, nullptr);
        EXPECT_EQ(progress->m_Value, p.loaded);
        EXPECT_EQ(progress->m_LoadedValue, p.loaded);
        if (*p.line)
        {
            EXPECT_TRUE(h.Logged(p.line));
        }
        const auto lines = h.LogLines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& l) { return l.rfind("WARNING: Menu page", 0) == 0; }),
                  *p.line ? 1 : 0);
    }
}

TEST(MenuManager, MissingFontAndCursorPictureDrawNothing)
{
    MenuFileRecord file = TwoPages();
    file.cursorId = 4242;
    file.trailId = 4243;
    file.pages[0].controls[1].fontId = 99;
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(file);
    EXPECT_EQ(menus.m_CursorPicture, nullptr);
    EXPECT_EQ(static_cast<QV7_Menu_Caption*>(menus.FindControl("IDCAPTION", kMenuCaption))->m_Font, nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(h.Step({}).gate, FRAME_RENDER);
}

TEST(MenuManager, ResetPageControlsAndSwapTextureSet)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    auto* check = static_cast<QV7_Menu_Check*>(menus.FindControl("IDCHECK", kMenuCheck));
    auto* progress = static_cast<QV7_Menu_Progress*>(menus.FindControl("IDPROGRESSBAR", kMenuProgress));
    auto* slider = static_cast<QV7_Menu_Slider*>(menus.FindControl("IDSLIDER", kMenuSlider));
    auto* caption = static_cast<QV7_Menu_Caption*>(menus.FindControl("IDCAPTION", kMenuCaption));
    check->m_Checked = 0;
    progress->m_Value = 90.0f;
    slider->m_Position = 150;
    std::strcpy(caption->m_Text, "changed");
    menus.ResetPageControls();
    EXPECT_EQ(check->m_Checked, 1);
    EXPECT_FLOAT_EQ(progress->m_Value, 25.0f);
    EXPECT_EQ(slider->m_Position, 10);
    EXPECT_STREQ(caption->m_Text, "changed"); // captions are not reset

    // A race begins twice: the unused menu pictures are released once.
    TextureRecord* red = QV7_TextureList::FindMenuTexture(kRedPicture);
    red->m_Flag = 0;
    EXPECT_EQ(menus.SwapTextureSet(1, 0, 0.0f, nullptr), nullptr);
    EXPECT_EQ(red->m_Texture, nullptr);
    EXPECT_EQ(menus.m_TextureSetMode, 1);
    EXPECT_NE(QV7_TextureList::FindMenuTexture(kWhitePicture)->m_Texture, nullptr);
    EXPECT_EQ(menus.SwapTextureSet(1, 0, 0.0f, nullptr), nullptr);
    // Back to the menus: reloaded.
    menus.SwapTextureSet(0, 0, 60.0f, nullptr);
    EXPECT_EQ(menus.m_TextureSetMode, 0);
    EXPECT_NE(red->m_Texture, nullptr);
}

TEST(MenuManager, DeviceLossReachesTheFontsThroughTheEngine)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    MenuFont* font = menus.m_Fonts.FindFont(kBlockFont)->m_Font;
    ASSERT_NE(font->m_VertexBuffer, nullptr);
    h.Engine().OnLostReset(1);
    EXPECT_EQ(font->m_VertexBuffer, nullptr);
    h.Engine().OnLostReset(0);
    EXPECT_NE(font->m_VertexBuffer, nullptr);
}

// The render and stage-0/1 states in force at the first draw recorded since
// the record was cleared: the device's states at that moment, replayed.
static std::map<std::string, DWORD> StatesAtFirstDraw(const std::map<std::string, DWORD>& before)
{
    std::map<std::string, DWORD> states = before;
    for (const std::string& call : gfx::null::Calls())
    {
        if (call.rfind("DrawPrimitiveUP", 0) == 0)
            break;
        unsigned a = 0, b = 0, c = 0;
        if (std::sscanf(call.c_str(), "SetRenderState(%u,%u)", &a, &b) == 2)
            states["rs" + std::to_string(a)] = b;
        else if (std::sscanf(call.c_str(), "SetTextureStageState(%u,%u,%u)", &a, &b, &c) == 3)
            states["ts" + std::to_string(a) + "." + std::to_string(b)] = c;
    }
    return states;
}

TEST(MenuManager, PageBackdropDrawsTheNamedPagesBackgroundBlendedOverThePage)
{
    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(TwoPages());
    g_screen2D->Begin2D();
    gfx::null::ClearCalls();
    menus.DrawPageBackdrop("NO_SUCH_PAGE", 100);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP"), 0u);

    const std::pair<D3DRENDERSTATETYPE, const char*> renderStates[] = {
        {D3DRS_ALPHABLENDENABLE, "rs27"}, {D3DRS_SRCBLEND, "rs19"}, {D3DRS_DESTBLEND, "rs20"},
        {D3DRS_ALPHATESTENABLE, "rs15"}};
    const std::pair<std::pair<DWORD, D3DTEXTURESTAGESTATETYPE>, std::string> stageStates[] = {
        {{0, D3DTSS_COLOROP}, "ts0.1"},   {{0, D3DTSS_COLORARG1}, "ts0.2"}, {{0, D3DTSS_COLORARG2}, "ts0.3"},
        {{0, D3DTSS_ALPHAOP}, "ts0.4"},   {{0, D3DTSS_ALPHAARG1}, "ts0.5"}, {{0, D3DTSS_ALPHAARG2}, "ts0.6"},
        {{1, D3DTSS_COLOROP}, "ts1.1"},   {{1, D3DTSS_ALPHAOP}, "ts1.4"}};
    std::map<std::string, DWORD> before;
    for (const auto& [state, name] : renderStates)
        g_device->GetRenderState(state, &before[name]);
    for (const auto& [stage, name] : stageStates)
        g_device->GetTextureStageState(stage.first, stage.second, &before[name]);
    menus.DrawPageBackdrop("ID_SECOND", 100);
    ASSERT_EQ(gfx::null::CountCalls("DrawPrimitiveUP"), 1u);
    EXPECT_EQ(gfx::null::Calls()[size_t(gfx::null::FindCall("DrawPrimitiveUP"))],
              "DrawPrimitiveUP(" + std::to_string(D3DPT_TRIANGLESTRIP) + ",2,28)");
    // The page's own background is what is bound.
    const std::string binding =
        "SetTexture(0," + gfx::ResourceName(menus.FindPage("ID_SECOND")->m_Background->m_Texture) + ")";
    EXPECT_GE(gfx::null::FindCall(binding), 0);
    EXPECT_LT(gfx::null::FindCall(binding), gfx::null::FindCall("DrawPrimitiveUP"));

    const std::map<std::string, DWORD> drawn = StatesAtFirstDraw(before);
    EXPECT_EQ(drawn.at("rs27"), DWORD(TRUE));
    EXPECT_EQ(drawn.at("rs19"), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(drawn.at("rs20"), DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(drawn.at("rs15"), DWORD(FALSE));
    EXPECT_EQ(drawn.at("ts0.1"), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(drawn.at("ts0.4"), DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(std::minmax(drawn.at("ts0.2"), drawn.at("ts0.3")),
              std::minmax(DWORD(D3DTA_TEXTURE), DWORD(D3DTA_DIFFUSE)));
    EXPECT_EQ(std::minmax(drawn.at("ts0.5"), drawn.at("ts0.6")),
              std::minmax(DWORD(D3DTA_TEXTURE), DWORD(D3DTA_DIFFUSE)));
    EXPECT_EQ(drawn.at("ts1.1"), DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(drawn.at("ts1.4"), DWORD(D3DTOP_DISABLE));
    // Alpha testing comes back on after the draw; blending stays until End2D.
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHABLENDENABLE), DWORD(TRUE));
    g_screen2D->End2D();
}
