// The list box through the real page loop (screen-loop harness): text
// wrapping, the arrow keys, selection by pressing and dragging over rows, the
// scroll knob and the rows it shows, columns, and the refusals of AddText and
// of rows that do not match the columns.
#include "gui/QV7_Menu_ListBox.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/KeyCodes.h"
#include "shell/QV7_Globals.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

namespace
{
using screentest::ScriptedFrame;

std::vector<std::string> RowTexts(const QV7_Menu_List& list)
{
    std::vector<std::string> rows;
    for (const ListRow* row : list.m_Rows)
        rows.emplace_back(row->m_Text);
    return rows;
}

// Glyph counts of the texts drawn since the last ClearCalls, in order: the
// block font draws each text as one call of two triangles per glyph.
std::vector<int> DrawnTexts()
{
    std::vector<int> glyphs;
    for (const std::string& call : gfx::null::Calls())
    {
        unsigned type = 0, start = 0, triangles = 0;
        if (std::sscanf(call.c_str(), "DrawPrimitive(%u,%u,%u)", &type, &start, &triangles) == 3)
            glyphs.push_back(int(triangles / 2));
    }
    return glyphs;
}

// A list from (100, 100) to (200, 210): ten rows of 11 pixels (the 8-pixel
// block font + 3); a 10 x 10 knob without picture, so rows are chosen left
// of x 185 and the knob column is x 190 to 200, with 100 pixels of travel.
MenuFileRecord ListPage()
{
    using namespace screentest;
    MenuFileRecord file;
    file.textureIds = {kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord page = menufile::Page("ID_LIST_PAGE", 1, 0);
    MenuControlRecord list = menufile::Control(7, "IDLIST", 100, 100, 200, 210);
    list.fontId = kBlockFont;
    list.scroll = 77;
    list.knobWidth = 10;
    list.knobHeight = 10;
    list.colour = 0xFF112233;
    list.selectedColour = 0xFF445566;
    list.value = -1;
    page.controls.push_back(list);
    page.controls.push_back(menufile::Button("IDOTHER", 500, 500, 600, 550, 0));
    file.pages.push_back(page);
    // A pop-up over the list's page, with a button of its own away from the list.
    MenuPageRecord popup = menufile::Page("ID_LIST_POPUP", 2, 0, 1);
    popup.controls.push_back(menufile::Button("IDPOPUPOK", 500, 100, 600, 150, 0));
    file.pages.push_back(popup);
    return file;
}

ScriptedFrame At(float x, float y, bool left, std::vector<int> keys = {})
{
    ScriptedFrame frame;
    frame.x = x;
    frame.y = y;
    frame.left = left;
    frame.keys = std::move(keys);
    return frame;
}

class ListBoxTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        harness.StartMenus(ListPage());
        // Only the page's texts are counted: no frame counter.
        g_frameManager->m_ShowFps = 0;
        list = static_cast<QV7_Menu_List*>(g_menuManager->FindControl("IDLIST", kMenuList));
        ASSERT_NE(list, nullptr);
    }
    // Rows "x", "xx" ... "xxxxxxx", again and again.
    void Fill(int rows)
    {
        for (int i = 0; i < rows; ++i)
            std::snprintf(list->m_Rows.Add()->m_Text, ListRow::kTextSize, "%s",
                          std::string(i % 7 + 1, 'x').c_str());
    }
    void Frame(float x = 700, float y = 300, bool left = false) { harness.Step(At(x, y, left)); }
    // Screen y of the middle of the i-th shown row.
    static float RowY(int i) { return 100.0f + float(i) * 11.0f + 2.0f + 5.0f; }

    screentest::ScreenLoopHarness harness;
    QV7_Menu_List* list = nullptr;
};

TEST_F(ListBoxTest, AddTextWrapsAtSpacesCarriageReturnsAndHardBreaks)
{
    struct Case
    {
        int right; // the list runs from 100; 25 pixels are kept free, each glyph is 8
        const char* text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {205, "hello world foo", {"hello ", "world foo"}},
        {205, "abcdefghijklmnopqrstuvwxy", {"abcdefghij", "klmnopqrst", "uvwxy"}},
        {205, "ab\r\n\r\ncd", {"ab", "", "cd"}},
        {205, "line\r\n", {"line", ""}},
        // The last space lies 10 characters back: cut hard instead.
        {225, "a bcdefghijklmnopq", {"a bcdefghijk", "lmnopq"}},
        {225, "ab cdefghijklmnopq", {"ab ", "cdefghijklmn", "opq"}},
        // Narrower than one glyph: one character per row, and the walk ends
        // (the rest after the last break, empty here, is the last row).
        {130, "abc", {"a", "b", "c", ""}},
        // Bytes above 127 have no glyph and take no width.
        {205,
         "\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9",
         {"\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9"}},
        {205, "", {""}},
    };
    for (const Case& c : cases)
    {
        list->m_Right = c.right;
        list->AddText(c.text);
        EXPECT_EQ(RowTexts(*list), c.rows) << "text \"" << c.text << "\" right " << c.right;
    }
}

TEST_F(ListBoxTest, AddTextRefusesTextsOf2000CharactersOrMore)
{
    list->AddText(std::string(1999, 'a').c_str());
    // 75 free pixels: nine glyphs a row.
    EXPECT_EQ(list->m_Rows.Count(), (1999 + 8) / 9);
    EXPECT_THROW(list->AddText(std::string(2000, 'a').c_str()), CDException);
    EXPECT_TRUE(harness.Logged("ERROR: Text Buffer Too Long"));
}

TEST_F(ListBoxTest, ArrowsMoveTheFocusedListsSelectionOncePerPressWithinItsRows)
{
    Fill(3);
    auto press = [&](int key) { harness.Play({At(700, 300, false, {key}), At(700, 300, false)}); };
    // Not focused: the arrows belong to someone else.
    press(input::DIK_DOWN);
    EXPECT_EQ(list->m_SelectedRow, -1);

    list->m_Page->m_Focused = list;
    press(input::DIK_UP);
    EXPECT_EQ(list->m_SelectedRow, 0);
    press(input::DIK_UP);
    EXPECT_EQ(list->m_SelectedRow, 0);
    // Held for several frames: one row.
    for (int i = 0; i < 4; ++i)
        harness.Step(At(700, 300, false, {input::DIK_DOWN}));
    Frame();
    EXPECT_EQ(list->m_SelectedRow, 1);
    press(input::DIK_DOWN);
    press(input::DIK_DOWN);
    EXPECT_EQ(list->m_SelectedRow, 2);

    list->m_KeyboardOff = 1;
    press(input::DIK_UP);
    EXPECT_EQ(list->m_SelectedRow, 2);
}

TEST_F(ListBoxTest, PressingOnARowSelectsItAndDraggingOverRowsFollows)
{
    Fill(30);
    // The press itself captures the list; the row is taken while the button stays down.
    Frame(150, RowY(2), true);
    EXPECT_EQ(g_capturedWidget, list);
    EXPECT_EQ(list->m_Page->m_Focused, list);
    Frame(150, RowY(2), true);
    EXPECT_EQ(list->m_SelectedRow, 2);
    Frame(150, RowY(5), true);
    EXPECT_EQ(list->m_SelectedRow, 5);
    // Dragging left of the knob column only.
    Frame(186, RowY(7), true);
    EXPECT_EQ(list->m_SelectedRow, 5);
    Frame(150, RowY(7), false);
    EXPECT_EQ(list->m_SelectedRow, 5);
    EXPECT_EQ(g_capturedWidget, nullptr);
}

TEST_F(ListBoxTest, AListUnderAPopUpKeepsItsSelection)
{
    Fill(30);
    // Pressed on a row, and a pop-up opens while the button is still down:
    // the list stays captured, yet dragging over its rows changes nothing.
    Frame(150, RowY(2), true);
    Frame(150, RowY(2), true);
    ASSERT_EQ(list->m_SelectedRow, 2);
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_LIST_POPUP");
    Frame(150, RowY(5), true);
    Frame(150, RowY(6), true);
    EXPECT_EQ(list->m_SelectedRow, 2);
    // A fresh press on a row under the pop-up.
    Frame(150, RowY(7), false);
    Frame(150, RowY(7), true);
    Frame(150, RowY(7), true);
    EXPECT_EQ(list->m_SelectedRow, 2);
    Frame();

    // The list keeps its page's focus, but the arrows do not reach it; an
    // arrow still held when the pop-up closes does not move it either.
    ASSERT_EQ(list->m_Page->m_Focused, list);
    harness.Play({At(700, 300, false, {input::DIK_DOWN}), At(700, 300, false)});
    harness.Step(At(700, 300, false, {input::DIK_UP}));
    EXPECT_EQ(list->m_SelectedRow, 2);
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_LIST_PAGE");
    harness.Play({At(700, 300, false, {input::DIK_UP}), At(700, 300, false)});
    EXPECT_EQ(list->m_SelectedRow, 2);
    harness.Play({At(700, 300, false, {input::DIK_UP}), At(700, 300, false)});
    EXPECT_EQ(list->m_SelectedRow, 1) << "back on its own page the list takes keys again";
}

TEST_F(ListBoxTest, APressThatStartsOutsideTheListSelectsNothing)
{
    Fill(30);
    Frame(50, 50, true);
    Frame(150, RowY(3), true);
    Frame(150, RowY(3), true);
    EXPECT_EQ(list->m_SelectedRow, -1);
    EXPECT_EQ(g_capturedWidget, nullptr);
}

TEST_F(ListBoxTest, TheKnobScrollsTheRowsShown)
{
    Fill(30);
    gfx::null::ClearCalls();
    Frame();
    // Ten rows from row 0.
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 1, 2, 3}));

    // Knob column, then dragged far down: clamped to the travel (110 - 10).
    Frame(195, 110, true);
    EXPECT_EQ(list->m_DraggingKnob, 1);
    EXPECT_EQ(g_capturedWidget, list);
    EXPECT_EQ(list->m_ScrollPosition, 110 - 5 - 100);
    Frame(195, 400, true);
    EXPECT_EQ(list->m_ScrollPosition, 100);
    // Travel 100 over the 20 rows that do not fit: the last ten rows.
    EXPECT_EQ(list->FirstVisibleRow(), 20);
    Frame(195, 400, false);
    EXPECT_EQ(list->m_DraggingKnob, 0);
    gfx::null::ClearCalls();
    Frame();
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{7, 1, 2, 3, 4, 5, 6, 7, 1, 2}));

    Frame(195, 155, true);
    // 50 of 100: trunc(0.5 x 20).
    EXPECT_EQ(list->m_ScrollPosition, 50);
    EXPECT_EQ(list->FirstVisibleRow(), 10);
    Frame(195, 155, false);
    // Knob dragging never selects a row.
    EXPECT_EQ(list->m_SelectedRow, -1);

    g_menuManager->ResetPageControls();
    EXPECT_EQ(list->m_ScrollPosition, 0);
}

TEST_F(ListBoxTest, AListThatFitsShowsAllItsRowsWhereverTheKnobIs)
{
    Fill(3);
    list->m_ScrollPosition = 100;
    EXPECT_EQ(list->FirstVisibleRow(), 0);
    gfx::null::ClearCalls();
    Frame();
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{1, 2, 3}));
}

TEST_F(ListBoxTest, ColumnsDrawOneTextEachAndPickTheColumnUnderThePress)
{
    for (int x : {0, 40})
    {
        ListColumn* column = list->m_Columns.Add();
        column->m_X = x;
        column->m_Width = 40;
    }
    for (int r = 0; r < 2; ++r)
    {
        ListRow* row = list->m_Rows.Add();
        std::snprintf(row->m_Columns.Add()->m_Text, ListColumnText::kTextSize, "a");
        std::snprintf(row->m_Columns.Add()->m_Text, ListColumnText::kTextSize, "bbb");
    }
    gfx::null::ClearCalls();
    Frame();
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{1, 3, 1, 3}));

    Frame(160, RowY(1), true);
    Frame(160, RowY(1), true);
    EXPECT_EQ(list->m_SelectedRow, 1);
    EXPECT_EQ(list->m_SelectedColumn, 1);
    Frame(160, RowY(1), false);

    // The selected column of the selected row can show a text of the screen's.
    list->m_ShowSelectedColumnText = 1;
    std::snprintf(list->m_SelectedColumnText, sizeof(list->m_SelectedColumnText), "?????");
    gfx::null::ClearCalls();
    Frame();
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{1, 3, 1, 5}));

    // Deleting a row frees its column texts with it.
    list->m_Rows.DeleteAt(0);
    EXPECT_EQ(list->m_Rows.Count(), 1);
}

TEST_F(ListBoxTest, ARowWhoseTextsDoNotMatchTheColumnsIsRefused)
{
    list->m_Columns.Add();
    list->m_Columns.Add();
    std::snprintf(list->m_Rows.Add()->m_Columns.Add()->m_Text, ListColumnText::kTextSize, "only one");
    g_screen2D->Begin2D();
    EXPECT_THROW(g_menuManager->CurrentPage()->Render(0), CDException);
    EXPECT_EQ(g_screen2D->m_In2D, 0);
    EXPECT_TRUE(harness.Logged("ERROR: Menu ListBox views items count incompatible with views Header"));
}

TEST_F(ListBoxTest, TheEllipsisFitsLongRowsIntoTheWidth)
{
    std::snprintf(list->m_Rows.Add()->m_Text, ListRow::kTextSize, "%s", std::string(30, 'x').c_str());
    list->m_Ellipsis = 1;
    gfx::null::ClearCalls();
    Frame();
    // 100 pixels: nine x's and the ellipsis.
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{12}));
}

TEST_F(ListBoxTest, FileFieldsAreTakenAndTheScrollPositionIgnored)
{
    EXPECT_EQ(list->m_Type, kMenuList);
    EXPECT_NE(list->m_Font, nullptr);
    EXPECT_EQ(list->m_ScrollPosition, 0);
    EXPECT_EQ(list->m_KnobWidth, 10);
    EXPECT_EQ(list->m_KnobHeight, 10);
    EXPECT_EQ(list->m_RowColour, 0xFF112233u);
    EXPECT_EQ(list->m_SelectedRowColour, 0xFF445566u);
    EXPECT_EQ(list->m_SelectedRow, -1);
}
} // namespace
