// The text field through the real page loop (screen-loop harness): the key
// table with and without Shift, one character per press, the maximum length
// and the fit flag, Backspace and its repeat, focus rules and the caret.
#include "gui/QV7_Menu_TextField.h"

#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/KeyCodes.h"
#include "platform/win/Clock.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

namespace
{
using screentest::ScriptedFrame;
using namespace input;

MenuFileRecord TextPage(int32_t maxLength)
{
    using namespace screentest;
    MenuFileRecord file;
    file.textureIds = {kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord page = menufile::Page("ID_TEXT_PAGE", 1, 0);
    MenuControlRecord text = menufile::Control(3, "IDNAME", 100, 100, 300, 120);
    text.texts[0] = "x";
    text.colour = 0xFFFFFFFF;
    text.value = maxLength;
    text.fontId = kBlockFont;
    page.controls.push_back(text);
    page.controls.push_back(menufile::Button("IDOTHER", 500, 500, 600, 550, 0));
    file.pages.push_back(page);
    return file;
}

ScriptedFrame Keys(std::vector<int> keys, uint32_t ms = 20)
{
    ScriptedFrame frame;
    frame.x = 700;
    frame.y = 300;
    frame.keys = std::move(keys);
    frame.ms = ms;
    return frame;
}

class TextFieldTest : public ::testing::Test
{
  protected:
    void Start(int32_t maxLength = 200)
    {
        harness.StartMenus(TextPage(maxLength));
        // Only the page's texts are counted: no frame counter.
        g_frameManager->m_ShowFps = 0;
        field = static_cast<QV7_Menu_Text*>(g_menuManager->FindControl("IDNAME", kMenuText));
        ASSERT_NE(field, nullptr);
    }
    void Focus() { harness.Play(screentest::ClickAt(150, 110)); }
    // A press of the keys for one frame, then a frame with nothing held.
    void Type(const std::vector<int>& keys)
    {
        harness.Step(Keys(keys));
        harness.Step(Keys({}));
    }
    // Glyphs of every text drawn in one idle frame.
    int GlyphsDrawn(uint32_t ms)
    {
        gfx::null::ClearCalls();
        harness.Step(Keys({}, ms));
        int glyphs = 0;
        for (const std::string& call : gfx::null::Calls())
        {
            unsigned type = 0, start = 0, triangles = 0;
            if (std::sscanf(call.c_str(), "DrawPrimitive(%u,%u,%u)", &type, &start, &triangles) == 3)
                glyphs += int(triangles / 2);
        }
        return glyphs;
    }
    screentest::ScreenLoopHarness harness;
    QV7_Menu_Text* field = nullptr;
};

TEST_F(TextFieldTest, TheKeyTableTypesItsTextsWithAndWithoutShift)
{
    struct Case
    {
        std::vector<int> keys;
        const char* typed;
    };
    const Case cases[] = {
        {{DIK_A}, "a"},
        {{DIK_LSHIFT, DIK_A}, "A"},
        {{DIK_RSHIFT, DIK_Q}, "Q"},
        {{DIK_CAPITAL, DIK_M}, "M"},
        {{DIK_1}, "&"},
        {{DIK_LSHIFT, DIK_1}, "1"},
        {{DIK_2}, "@"},
        {{DIK_3}, ""},
        {{DIK_4}, "'"},
        {{DIK_0}, ")"},
        {{DIK_NUMPAD7}, "7"},
        {{DIK_LSHIFT, DIK_NUMPAD0}, "0"},
        {{DIK_COMMA}, ","},
        {{DIK_LSHIFT, DIK_COMMA}, "?"},
        {{DIK_PERIOD}, ";"},
        {{DIK_SLASH}, ":"},
        {{DIK_LSHIFT, DIK_SLASH}, "/"},
        {{DIK_MULTIPLY}, "*"},
        {{DIK_DECIMAL}, "."},
        {{DIK_SPACE}, " "},
        {{DIK_F1}, ""},
        // Two keys in one frame: in the table's order (A comes before Z).
        {{DIK_Z, DIK_A}, "az"},
    };
    Start();
    Focus();
    for (const Case& c : cases)
    {
        std::snprintf(field->m_Text, sizeof(field->m_Text), "x");
        Type(c.keys);
        EXPECT_EQ(std::string(field->m_Text), std::string("x") + c.typed) << "typing " << c.typed;
    }
}

TEST_F(TextFieldTest, AHeldKeyTypesOnce)
{
    Start();
    Focus();
    for (int i = 0; i < 5; ++i)
        harness.Step(Keys({DIK_A}));
    EXPECT_STREQ(field->m_Text, "xa");
    harness.Step(Keys({}));
    Type({DIK_A});
    EXPECT_STREQ(field->m_Text, "xaa");
}

TEST_F(TextFieldTest, AFieldAtItsMaximumLengthIgnoresFurtherKeys)
{
    Start(3);
    Focus();
    for (int key : {DIK_A, DIK_S, DIK_D})
        Type({key});
    EXPECT_STREQ(field->m_Text, "xas");
}

TEST_F(TextFieldTest, TheFitFlagRefusesCharactersPastTheFieldsWidth)
{
    Start();
    field->m_Right = 140; // 40 pixels: five 8-pixel glyphs
    field->m_Fit = 1;
    harness.Play(screentest::ClickAt(120, 110));
    for (int key : {DIK_A, DIK_S, DIK_D, DIK_F, DIK_G})
        Type({key});
    EXPECT_STREQ(field->m_Text, "xasdf");
}

TEST_F(TextFieldTest, BackspaceDeletesOnceThenRepeatsEvery200MsAfterHalfASecond)
{
    Start();
    Focus();
    std::snprintf(field->m_Text, sizeof(field->m_Text), "abcdefghij");
    // 20 ms frames from the first press (frame 0): deletions at 0, 520, 740 and 960 ms.
    std::vector<size_t> lengths;
    for (int frame = 0; frame <= 48; ++frame)
    {
        harness.Step(Keys({DIK_BACK}));
        lengths.push_back(std::strlen(field->m_Text));
    }
    EXPECT_EQ(lengths[0], 9u);
    EXPECT_EQ(lengths[25], 9u);
    EXPECT_EQ(lengths[26], 8u);
    EXPECT_EQ(lengths[36], 8u);
    EXPECT_EQ(lengths[37], 7u);
    EXPECT_EQ(lengths[47], 7u);
    EXPECT_EQ(lengths[48], 6u);
    // Let go and press again: one at once.
    harness.Step(Keys({}));
    Type({DIK_BACK});
    EXPECT_EQ(std::strlen(field->m_Text), 5u);
}

TEST_F(TextFieldTest, BackspaceOnAnEmptyFieldDoesNothing)
{
    Start();
    Focus();
    Type({DIK_BACK});
    EXPECT_STREQ(field->m_Text, "");
    Type({DIK_BACK});
    EXPECT_STREQ(field->m_Text, "");
    Type({DIK_B});
    EXPECT_STREQ(field->m_Text, "b");
}

TEST_F(TextFieldTest, OnlyTheFocusedFieldTypesAndAKeyHeldWhileFocusingDoesNot)
{
    Start();
    Type({DIK_A});
    EXPECT_STREQ(field->m_Text, "x");

    // A held through the click that gives the focus.
    ScriptedFrame press = Keys({DIK_A});
    press.x = 150;
    press.y = 110;
    press.left = true;
    ScriptedFrame release = press;
    release.left = false;
    harness.Play({Keys({DIK_A}), press, release, Keys({DIK_A})});
    EXPECT_EQ(field->m_Page->m_Focused, field);
    EXPECT_STREQ(field->m_Text, "x");
    Type({DIK_S});
    EXPECT_STREQ(field->m_Text, "xs");

    // Focus elsewhere: typing stops.
    harness.Play(screentest::ClickAt(550, 520));
    Type({DIK_D});
    EXPECT_STREQ(field->m_Text, "xs");
}

TEST_F(TextFieldTest, TheCaretBlinksInTheFirstHalfOfEverySecond)
{
    Start();
    Focus();
    std::snprintf(field->m_Text, sizeof(field->m_Text), "ab");
    // Move the clock to 100 ms into a second.
    const uint32_t phase = harness.Clock().Now() % 1000;
    EXPECT_EQ(GlyphsDrawn(1100 - phase), 3);
    EXPECT_EQ(GlyphsDrawn(399), 3);
    EXPECT_EQ(GlyphsDrawn(1), 2);
    EXPECT_EQ(GlyphsDrawn(499), 2);
    EXPECT_EQ(GlyphsDrawn(1), 3);
    // No caret without focus.
    field->m_Page->m_Focused = nullptr;
    EXPECT_EQ(GlyphsDrawn(100), 2);
}

TEST_F(TextFieldTest, ResetPutsBackTheLoadedTextAndTheLimitIsBounded)
{
    Start(500);
    EXPECT_EQ(field->m_MaxLength, QV7_Menu_Text::kMaxLength);
    std::snprintf(field->m_Text, sizeof(field->m_Text), "changed");
    g_menuManager->ResetPageControls();
    EXPECT_STREQ(field->m_Text, "x");

    // A screen that sets an impossible limit still cannot overrun the text.
    field->m_MaxLength = 100000;
    std::snprintf(field->m_Text, sizeof(field->m_Text), "%s", std::string(258, 'z').c_str());
    Focus();
    Type({DIK_A});
    Type({DIK_S});
    EXPECT_EQ(std::strlen(field->m_Text), size_t(QV7_Menu_Text::kMaxLength));
}
} // namespace
