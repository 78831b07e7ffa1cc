// The options screen with the demo's pages: presets and the custom tab write
// what they must to Settings.ini, key capture takes a key or keeps the old
// one on Escape, and the helpers behind the sliders, the screen-size list and
// the key names.
#include "gui/KeyBindingList.h"
#include "gui/QV7_Menu_ListBox.h"
#include "menus/QV7_OptionsPages.h"
#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tests/menus/DemoMenuScreens.h"

#include <gtest/gtest.h>

namespace
{
constexpr int kEscape = 1, kKeyQ = 16;

int Written(const char* section, const char* key)
{
    return win::GetPrivateProfileIntA(section, key, -999, g_programDir + "Settings.ini");
}

class OptionsPages : public DemoMenuScreens
{
  protected:
    void SetUp() override
    {
        DemoMenuScreens::SetUp();
        h.Windows().LoadSettings(); // the controls list's actions
    }
    GameSettings& Settings() { return g_windowsData->m_Settings; }
};

TEST_F(OptionsPages, TheBestPresetWritesDetailAntiAliasingAndClearsEveryForcedFlag)
{
    Settings().force_Shadow = 1;
    Idle(40);
    Click("ID_OPTIONS_GRAPHICS", "IDOPTIONBOX5");
    Idle(2);
    h.CloseAfterScript();
    RunOptionsPage(255.0f);
    EXPECT_EQ(Written("Options", "Detail"), 4);
    EXPECT_EQ(Written("Custom", "FSAA"), 2);
    EXPECT_EQ(Written("Custom", "FSAF"), 2);
    for (const char* key : {"force_FadingObjects", "force_Shadow", "force_Shore", "force_WaterRiples"})
        EXPECT_EQ(Written("Custom", key), 0) << key;
    EXPECT_EQ(Settings().force_Shadow, 0);
}

TEST_F(OptionsPages, OpeningTheCustomTabAloneSwitchesDetailToCustom)
{
    Settings().Detail = 2;
    Idle(40);
    Click("ID_OPTIONS_GRAPHICS", "IDCUSTOM");
    Idle(3);
    h.CloseAfterScript();
    RunOptionsPage(255.0f);
    EXPECT_EQ(Written("Options", "Detail"), -1);
    EXPECT_EQ(Settings().Detail, -1);
    EXPECT_TRUE(Shown("ID_OPTIONS_GRAPHICS_CUSTOM"));
}

TEST_F(OptionsPages, ACapturedKeyCellTakesTheNextKeyAndEscapeKeepsTheOldOne)
{
    const InputCode before = Settings().Keys[KEY_Accelerate][0];
    // Rows 1 and 2 of the list are Accelerate and Reverse; the first key column starts 180 pixels in.
    const auto clickCell = [&](int row, int column)
    {
        menus->m_CurrentPage = menus->FindPageIndex("ID_OPTIONS_CONTROLLERS");
        auto* list = static_cast<QV7_Menu_List*>(menus->FindControl("IDCONTROLS", kMenuList));
        ASSERT_NE(list, nullptr);
        const float x = float(list->m_Left + (column == 1 ? 200 : 350));
        const float y = float(list->m_Top + row * list->RowHeight() + list->RowHeight() / 2);
        // The list takes the cell under a press that lasts beyond its first frame.
        screentest::ScriptedFrame press;
        press.x = x, press.y = y, press.left = true;
        h.Queue(press);
        h.Queue(screentest::ClickAt(x, y));
    };
    Idle(40);
    Click("ID_OPTIONS_GRAPHICS", "IDCONTROLLERS");
    Idle(3);
    clickCell(1, 1);
    Idle(2, {kKeyQ});
    Idle(3);
    clickCell(2, 1);
    Idle(2, {kEscape});
    Idle(3);
    h.CloseAfterScript();
    RunOptionsPage(255.0f);
    ASSERT_NE(before, kKeyQ);
    EXPECT_EQ(Settings().Keys[KEY_Accelerate][0], kKeyQ);
    EXPECT_EQ(Written("Keys", "Key1_Accelerate"), kKeyQ);
    EXPECT_EQ(Settings().Keys[KEY_Reverse][0], kKeyActions[KEY_Reverse].key1);
}

TEST_F(OptionsPages, TheControlsListNamesEveryCodeAndShowsEmptyForNone)
{
    Settings().Keys[KEY_Respawn][0] = 512; // no name
    Settings().Keys[KEY_Respawn][1] = -1;
    Settings().Keys[KEY_Accelerate][0] = 530;
    QV7_Menu_List list;
    FillControlsList(&list);
    ASSERT_EQ(list.m_Rows.Count(), KEY_ACTION_COUNT);
    EXPECT_STREQ(list.m_Rows[0]->m_Columns[1]->m_Text, "[Empty]");
    EXPECT_STREQ(list.m_Rows[0]->m_Columns[2]->m_Text, "[Empty]");
    EXPECT_STREQ(list.m_Rows[1]->m_Columns[1]->m_Text, "BUTTON1 ");
}

TEST(OptionsHelpers, SizesAndStops)
{
    const std::vector<std::pair<int, int>> modes = {
        {640, 480}, {800, 600}, {1024, 768}, {800, 600}, {1280, 720}};
    EXPECT_EQ(OfferedScreenSizes(modes),
              (std::vector<std::pair<int, int>>{{800, 600}, {1024, 768}, {1280, 720}}));
    const struct
    {
        int maximum, stops;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}, {4, 2}, {6, 2}, {16, 4}};
    for (const auto& c : cases)
        EXPECT_EQ(PowerOfTwoStops(c.maximum), c.stops) << c.maximum;
    EXPECT_EQ(StopText(0), "Off");
    EXPECT_EQ(StopText(1), "2X");
    EXPECT_EQ(StopText(2), "4X");
}
} // namespace
