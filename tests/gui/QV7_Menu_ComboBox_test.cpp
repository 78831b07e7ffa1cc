// The combo box through the real page loop (screen-loop harness): opening
// it, choosing an item by pressing on it while the open list shields the
// controls below, the release rule that closes it, the knob of a long list,
// and the empty and disabled combos that never open.
#include "gui/QV7_Menu_ComboBox.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "platform/gfx/null/NullGfx.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

namespace
{
using screentest::ScriptedFrame;

// The box from (100, 100) to (300, 120), its list 110 pixels below it: ten
// rows of 11 pixels starting at y 122; the knob and drop button are the
// harness's 20 x 20 picture, so rows are chosen left of x 275 and the scroll
// column is x 280 to 300. A button lies under the list.
MenuFileRecord ComboPage()
{
    using namespace screentest;
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kKnobPicture, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord page = menufile::Page("ID_COMBO_PAGE", 1, 0);
    page.controls.push_back(menufile::Button("IDUNDER", 100, 140, 250, 180, 0));
    MenuControlRecord combo = menufile::Control(6, "IDCOMBO", 100, 100, 300, 120);
    combo.fontId = kBlockFont;
    combo.pictureIds[0] = kKnobPicture;
    combo.pictureIds[1] = kWhitePicture;
    combo.pictureIds[2] = kKnobPicture;
    combo.dropListHeight = 110;
    combo.colour = 0xFF9999FF;
    combo.selectedColour = 0xFFFF7777;
    combo.value = -1;
    page.controls.push_back(combo);
    page.controls.push_back(menufile::Button("IDOTHER", 500, 500, 600, 550, 0));
    file.pages.push_back(page);
    return file;
}

ScriptedFrame At(float x, float y, bool left)
{
    ScriptedFrame frame;
    frame.x = x;
    frame.y = y;
    frame.left = left;
    return frame;
}

// Middle of the k-th row shown in the open list.
float RowY(int k)
{
    return 128.0f + 11.0f * float(k);
}

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

class ComboBoxTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        harness.StartMenus(ComboPage());
        // Only the page's texts are counted: no frame counter.
        g_frameManager->m_ShowFps = 0;
        combo = static_cast<QV7_Menu_Combo*>(g_menuManager->FindControl("IDCOMBO", kMenuCombo));
        ASSERT_NE(combo, nullptr);
    }
    // Items "A", "AA", "AAA" ... so each draws as many glyphs as its number.
    void Fill(int count)
    {
        for (int i = 0; i < count; ++i)
            std::snprintf(combo->m_Items.Add()->m_Text, ComboItem::kTextSize, "%s",
                          std::string(size_t(i % 9 + 1), 'A').c_str());
    }
    screentest::ScreenLoopHarness harness;
    QV7_Menu_Combo* combo = nullptr;
};

TEST_F(ComboBoxTest, ClickOpensPressingOnAnItemChoosesItAndReleasingOffTheBoxCloses)
{
    Fill(5);
    EXPECT_EQ(harness.Play(screentest::ClickAt(150, 110)), (std::vector<std::string>{"IDCOMBO", ""}));
    EXPECT_EQ(combo->m_Open, 1);

    // The open list lies over IDUNDER: pressing there chooses an item and
    // reports the combo, never the button.
    const std::vector<std::string> clicks = harness.Play(
        {At(150, RowY(2), true), At(150, RowY(2), true), At(150, RowY(3), true), At(150, RowY(3), false)});
    EXPECT_EQ(clicks, (std::vector<std::string>{"IDCOMBO", "", "IDCOMBO", ""}));
    EXPECT_EQ(combo->m_SelectedItem, 3);
    EXPECT_EQ(combo->m_Open, 0);

    // Closed, the box shows the chosen item.
    gfx::null::ClearCalls();
    harness.Step(At(700, 300, false));
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{4}));
    combo->m_HideText = 1;
    gfx::null::ClearCalls();
    harness.Step(At(700, 300, false));
    EXPECT_TRUE(DrawnTexts().empty());
}

TEST_F(ComboBoxTest, TheOpenListDrawsItsRowsAboveThePage)
{
    Fill(3);
    combo->m_SelectedItem = 1;
    harness.Play(screentest::ClickAt(150, 110));
    gfx::null::ClearCalls();
    harness.Step(At(700, 300, false));
    // The box's text, then the three rows over everything else.
    EXPECT_EQ(DrawnTexts(), (std::vector<int>{2, 1, 2, 3}));
}

TEST_F(ComboBoxTest, ReleasingOverTheBoxOrTheScrollColumnKeepsTheListOpen)
{
    Fill(5);
    harness.Play(screentest::ClickAt(150, 110));
    harness.Play({At(150, 110, true), At(150, 110, false)});
    EXPECT_EQ(combo->m_Open, 1);
    harness.Play({At(290, 200, true), At(290, 200, false)});
    EXPECT_EQ(combo->m_Open, 1);
    harness.Play({At(600, 400, true), At(600, 400, false)});
    EXPECT_EQ(combo->m_Open, 0);
    EXPECT_EQ(combo->m_SelectedItem, -1);
}

TEST_F(ComboBoxTest, TheKnobScrollsALongList)
{
    Fill(30);
    harness.Play(screentest::ClickAt(150, 110));
    harness.Step(At(290, 140, true));
    EXPECT_EQ(combo->m_DraggingKnob, 1);
    EXPECT_EQ(combo->m_ScrollPosition, 140 - 10 - 120);
    harness.Step(At(290, 500, true));
    // Clamped to the track (110 - 20), which covers the 20 items that do not fit.
    EXPECT_EQ(combo->m_ScrollPosition, 90);
    EXPECT_EQ(combo->FirstVisibleItem(), 20);
    harness.Step(At(290, 200, false));
    EXPECT_EQ(combo->m_DraggingKnob, 0);
    EXPECT_EQ(combo->m_Open, 1);
    EXPECT_EQ(combo->m_SelectedItem, -1);

    // Row 0 is now item 20.
    harness.Play({At(150, RowY(0), true), At(150, RowY(0), false)});
    EXPECT_EQ(combo->m_SelectedItem, 20);
}

TEST_F(ComboBoxTest, AnEmptyComboNeitherDrawsNorOpens)
{
    gfx::null::ClearCalls();
    EXPECT_EQ(harness.Play(screentest::ClickAt(150, 110)), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(combo->m_Open, 0);
    EXPECT_NE(combo->m_Page->m_Focused, combo);
}

TEST_F(ComboBoxTest, ADisabledComboReportsItsClickButNeverOpens)
{
    Fill(3);
    combo->m_Enabled = 0;
    EXPECT_EQ(harness.Play(screentest::ClickAt(150, 110)), (std::vector<std::string>{"IDCOMBO", ""}));
    EXPECT_EQ(combo->m_Open, 0);
}

TEST_F(ComboBoxTest, LosingFocusClosesTheList)
{
    Fill(3);
    harness.Play(screentest::ClickAt(150, 110));
    ASSERT_EQ(combo->m_Open, 1);
    combo->m_Page->m_Focused = nullptr;
    harness.Step(At(700, 300, false));
    EXPECT_EQ(combo->m_Open, 0);
}

TEST_F(ComboBoxTest, FileFieldsAreTaken)
{
    EXPECT_EQ(combo->m_DropListHeight, 110);
    EXPECT_NE(combo->m_ButtonPicture, nullptr);
    EXPECT_NE(combo->m_DropListPicture, nullptr);
    EXPECT_NE(combo->m_KnobPicture, nullptr);
    EXPECT_NE(combo->m_Font, nullptr);
    EXPECT_EQ(combo->m_ScrollPosition, 0);
    EXPECT_EQ(combo->m_SelectedItemColour, 0xFFFF7777u);
    g_menuManager->MarkPageTexturesUsed(0);
    EXPECT_EQ(combo->m_DropListPicture->m_Flag, 1u);
}
} // namespace
