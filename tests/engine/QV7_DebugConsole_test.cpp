// The debug console: typing from the keyboard state (once per press, shift
// and caps lock, the digit row, Ctrl held), backspace's repeat, the toggle
// latch, the history scrolling under a fixed input line, the command table
// (exact and contained, matched in lower case), the engine's own commands,
// and the drawing of an open console on the null device.
#include "engine/QV7_DebugConsole.h"

#include "engine/QV7_FrameManager.h"
#include "platform/input/KeyCodes.h"
#include "tests/engine/EngineTestSupport.h"

#include <cstring>

namespace
{
using namespace input;

class DebugConsoleTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        console.Init();
        console.m_Open = 1;
    }
    void TearDown() override { QV7_DebugConsole::s_GameCommand = nullptr; }
    // One frame with these keys down.
    void Frame(std::initializer_list<int> down, float ms = 20.0f)
    {
        uint8_t keys[256] = {};
        for (int code : down)
            keys[code] = 0x80;
        console.ReadToggle(keys);
        console.ReadTyping(keys, ms);
    }
    // Presses and releases each key in turn.
    void Tap(std::initializer_list<int> codes, std::initializer_list<int> held = {})
    {
        for (int code : codes)
        {
            std::vector<int> down(held);
            down.push_back(code);
            uint8_t keys[256] = {};
            for (int c : down)
                keys[c] = 0x80;
            console.ReadTyping(keys, 20.0f);
            Frame(held);
        }
    }
    std::string History(int line) const { return console.m_Lines[line]; }

    QV7_DebugConsole console;
};

TEST_F(DebugConsoleTest, KeysTypeOncePerPressWithShiftCapsLockAndTheDigitRow)
{
    Tap({DIK_M, DIK_A, DIK_G});
    EXPECT_EQ(console.InputText(), "mag");
    // Held down over many frames: once.
    for (int i = 0; i < 10; ++i)
        Frame({DIK_I});
    Frame({});
    EXPECT_EQ(console.InputText(), "magi");
    Tap({DIK_C}, {DIK_LSHIFT});
    Tap({DIK_SPACE});
    Tap({DIK_1, DIK_2, DIK_3, DIK_4, DIK_5, DIK_8, DIK_0});
    Tap({DIK_1, DIK_0}, {DIK_RSHIFT});
    Tap({DIK_ADD, DIK_SUBTRACT, DIK_DIVIDE, DIK_MULTIPLY});
    Tap({DIK_Q}, {DIK_CAPITAL});
    EXPECT_EQ(console.InputText(), "magiC &@'(!)10+-/*Q");
    // Nothing is typed while Ctrl is down.
    Tap({DIK_X}, {DIK_LCONTROL});
    EXPECT_EQ(console.InputText(), "magiC &@'(!)10+-/*Q");
}

TEST_F(DebugConsoleTest, BackspaceRepeatsAfterHalfASecondAndKeepsThePrompt)
{
    for (int i = 0; i < 30; ++i)
        Tap({DIK_A});
    Frame({DIK_BACK}, 20.0f); // the press: one
    EXPECT_EQ(console.InputText().size(), 29u);
    Frame({DIK_BACK}, 470.0f); // 490 ms held: no repeat yet
    EXPECT_EQ(console.InputText().size(), 29u);
    Frame({DIK_BACK}, 10.0f); // 500: the first repeat
    EXPECT_EQ(console.InputText().size(), 28u);
    Frame({DIK_BACK}, 100.0f); // 600: two more
    EXPECT_EQ(console.InputText().size(), 26u);
    Frame({DIK_BACK}, 5000.0f);
    EXPECT_EQ(History(QV7_DebugConsole::kInputLine), "> ");
    Frame({});
    Frame({DIK_BACK});
    EXPECT_EQ(History(QV7_DebugConsole::kInputLine), "> ");
}

TEST_F(DebugConsoleTest, CtrlAndKeypadStarToggleOncePerPress)
{
    console.m_Open = 0;
    Frame({DIK_LCONTROL, DIK_MULTIPLY});
    EXPECT_EQ(console.m_Open, 1);
    for (int i = 0; i < 5; ++i)
        Frame({DIK_LCONTROL, DIK_MULTIPLY});
    EXPECT_EQ(console.m_Open, 1) << "held: toggled once";
    Frame({DIK_LCONTROL});
    Frame({DIK_RCONTROL, DIK_MULTIPLY});
    EXPECT_EQ(console.m_Open, 0);
    Frame({});
    Frame({DIK_MULTIPLY});
    EXPECT_EQ(console.m_Open, 0) << "the star alone only types";
}

TEST_F(DebugConsoleTest, TheHistoryScrollsUnderAFixedInputLine)
{
    Tap({DIK_A});
    for (int i = 0; i < 30; ++i)
        console.Print("line %d", i);
    EXPECT_EQ(History(0), "line 7");
    EXPECT_EQ(History(22), "line 29");
    EXPECT_EQ(History(QV7_DebugConsole::kInputLine), "> a");
    // Log lines are never formats.
    console.PrintText("100% %s %d");
    EXPECT_EQ(History(22), "100% %s %d");
}

TEST_F(DebugConsoleTest, CommandsMatchWholeOrContainedInTheirOrder)
{
    using C = QV7_DebugConsole;
    const struct
    {
        const char* text;
        int command;
    } rows[] = {{"cls", C::CMD_CLS},
                {"cls ", 0},
                {"magic probe up", C::CMD_PROBE_UP},
                {"magic probe waystations up", C::CMD_WAYSTATIONS_DEBUG_UP},
                {"magic opener please", C::CMD_OPENER},
                {"say magic zephyrions 500", C::CMD_ZEPHYRIONS},
                {"magic viewer wagon slay", C::CMD_VIEWER_WAGON_SLAY},
                {"magic viewer wagon 4", C::CMD_VIEWER_WAGON_1 + 3},
                {"magic viewer wagon 7", 0},
                {"magic wagon any slay", C::CMD_WAGON_ANY_SLAY},
                {"magic quick quit", C::CMD_QUICK_QUIT},
                {"the magic films", C::CMD_FILMS},
                {"magic", 0}};
    for (const auto& row : rows)
        EXPECT_EQ(QV7_DebugConsole::MatchCommand(row.text), row.command) << row.text;
}

TEST_F(DebugConsoleTest, EnterRunsTheLineInLowerCaseAndPrintsTheReply)
{
    // "CLS" typed with Caps Lock clears the console.
    console.Print("old");
    Tap({DIK_C, DIK_L, DIK_S}, {DIK_CAPITAL});
    EXPECT_EQ(console.InputText(), "CLS");
    Tap({DIK_RETURN});
    for (int i = 0; i < QV7_DebugConsole::kLines; ++i)
        EXPECT_EQ(History(i), "> ") << i;

    Tap({DIK_X});
    Tap({DIK_RETURN});
    EXPECT_EQ(History(21), "> x");
    EXPECT_EQ(History(22), "> Unknown Command");
    EXPECT_EQ(History(QV7_DebugConsole::kInputLine), "> ");

    // Game commands go to the race side; without it no race is loaded.
    std::strcpy(console.m_Lines[QV7_DebugConsole::kInputLine], "> Magic Films");
    console.ExecuteCommand();
    EXPECT_EQ(History(22), "> Invalid, QV7MapSystem not loaded!");
    static std::string seen;
    QV7_DebugConsole::s_GameCommand = [](int command, const std::string& text)
    {
        seen = std::to_string(command) + ":" + text;
        return std::string("> done");
    };
    std::strcpy(console.m_Lines[QV7_DebugConsole::kInputLine], "> Magic Films NOW");
    console.ExecuteCommand();
    EXPECT_EQ(seen, std::to_string(QV7_DebugConsole::CMD_FILMS) + ":magic films now");
    EXPECT_EQ(History(22), "> done");
}

TEST_F(DebugConsoleTest, AHeldKeyTypesAgainOnlyOnAnEmptyLine)
{
    Tap({DIK_B});
    // Enter while B is still held: the new, empty line takes B again.
    Frame({DIK_B});
    Frame({DIK_B, DIK_RETURN});
    Frame({DIK_B});
    EXPECT_EQ(console.InputText(), "b");
    Frame({DIK_B});
    EXPECT_EQ(console.InputText(), "b");
}

class DebugConsoleEngineTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
    }
};

TEST_F(DebugConsoleEngineTest, TheFrameManagerRunsAnOpenConsoleAndTheProbeSwitchesTheCounter)
{
    ASSERT_EQ(g_debugConsole, &g_frameManager->m_Console);
    QV7_DebugConsole& console = g_frameManager->m_Console;
    std::strcpy(console.m_Lines[QV7_DebugConsole::kInputLine], "> magic probe up");
    console.ExecuteCommand();
    EXPECT_EQ(windows->m_Settings.Debug, 1);
    EXPECT_EQ(g_frameManager->m_ShowFps, 1);
    EXPECT_STREQ(console.m_Lines[22], "> Debug Mode Enabled");
    std::strcpy(console.m_Lines[QV7_DebugConsole::kInputLine], "> magic probe out");
    console.ExecuteCommand();
    EXPECT_EQ(g_frameManager->m_ShowFps, 0);

    console.m_Open = 1;
    g_frameManager->BeginFrame();
    gfx::null::ClearCalls();
    g_frameManager->EndFrame();
    // The backdrop and the rule, then the 24 lines of text (each at least its prompt).
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP("), 2u);
    EXPECT_GE(gfx::null::CountCalls("DrawPrimitive(4,"), 24u);

    std::strcpy(console.m_Lines[QV7_DebugConsole::kInputLine], "> magic quick quit");
    console.ExecuteCommand();
    EXPECT_EQ(windows->m_Quit, 1);
}
} // namespace
