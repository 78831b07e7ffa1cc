// QV7_Input on the null input back-end: key and code queries, the cursor,
// the frozen state while the graphics device is lost, and the logged paths
// of opening, failing and re-opening the devices.
#include "media/QV7_Input.h"

#include "platform/input/KeyCodes.h"
#include "platform/input/null/NullInput.h"
#include "platform/win/Backend.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{
namespace fs = std::filesystem;
using input::null::Call;
using input::null::NullInputState;

class InputTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        input::null::Reset();
        dir = fs::temp_directory_path() /
              ("qv7_input_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        g_programDir = dir.string() + "/";
        logger = std::make_unique<QV7_Logger>((dir / "Logger.dat").string());
        g_logger = logger.get();
        windows = std::make_unique<QV7_Windows>();
        windows->m_Settings.Debug = 1;
    }
    void TearDown() override
    {
        QV7_Input::s_DeviceIsLost = nullptr;
        windows.reset();
        g_logger = nullptr;
        logger.reset();
        input::null::Reset();
        fs::remove_all(dir);
    }

    NullInputState& State() { return input::null::State(); }

    std::vector<std::string> LogTexts() const
    {
        std::vector<std::string> texts;
        std::ifstream file(dir / "Logger.dat");
        std::string line;
        while (std::getline(file, line))
        {
            const size_t at = line.find("] : ");
            if (at == std::string::npos)
                continue;
            std::string text = line.substr(at + 4);
            if (!text.empty() && text.back() == '\r')
                text.pop_back();
            texts.push_back(text);
        }
        return texts;
    }
    int CountLog(const std::string& text) const
    {
        const auto texts = LogTexts();
        return int(std::count(texts.begin(), texts.end(), text));
    }

    fs::path dir;
    std::unique_ptr<QV7_Logger> logger;
    std::unique_ptr<QV7_Windows> windows;
};

TEST_F(InputTest, OpensEveryDeviceAndPublishesItself)
{
    {
        QV7_Input input;
        EXPECT_EQ(g_input, &input);
        EXPECT_NE(input.m_Keyboard, nullptr);
        EXPECT_NE(input.m_Mouse, nullptr);
        ASSERT_NE(input.m_Joysticks, nullptr);
        EXPECT_EQ(g_joysticks, input.m_Joysticks.get());
        EXPECT_EQ(input.m_MouseX, 400.0f);
        EXPECT_EQ(input.m_PrevMouseY, 300.0f);
    }
    EXPECT_EQ(g_input, nullptr);
    EXPECT_EQ(g_joysticks, nullptr);
    const std::vector<std::string> expected = {
        "INFO: Initialize Input",       "INFO: Direct Input Controllers loading done",
        "INFO: Initialize Input: DONE", "INFO: Unload Input",
        "INFO: Unload Input: DONE",
    };
    EXPECT_EQ(LogTexts(), expected);
}

TEST_F(InputTest, EachFailedOpeningStepLogsItsLineAndEndsThere)
{
    struct Case
    {
        Call call;
        const char* line;
        bool keyboard;
        bool mouse;
    };
    const Case cases[] = {
        {Call::CreateDirectInput, "ERROR: Initialize Input: Creating DirectX Input Object FAILED", false,
         false},
        {Call::CreateKeyboard, "ERROR: Initialize Input: [KEYBOARD] Creating DirectX Input Device FAILED",
         false, false},
        {Call::KeyboardDataFormat, "ERROR: Initialize Input: [KEYBOARD] Setting Data Format FAILED", false,
         false},
        {Call::KeyboardCooperativeLevel,
         "ERROR: Initialize Input: [KEYBOARD] Setting CooperativeLevel FAILED", false, false},
        {Call::KeyboardAcquire, "ERROR: Initialize Input: [KEYBOARD] Acquire FAILED", true, false},
        {Call::CreateMouse, "ERROR: Initialize Input: [MOUSE] Creating DirectX Input Device FAILED", true,
         false},
        {Call::MouseCooperativeLevel, "ERROR: Initialize Input: [MOUSE] Setting CooperativeLevel FAILED",
         true, true},
        {Call::MouseDataFormat, "ERROR: Initialize Input: [MOUSE] Setting Data Format FAILED", true, true},
        {Call::MouseAcquire, "Initialize Input: [MOUSE] Acquire FAILED", true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.line);
        input::null::Reset();
        State().Fail(c.call);
        QV7_Input input;
        EXPECT_EQ(CountLog(c.line), 1);
        EXPECT_EQ(input.m_Keyboard != nullptr, c.keyboard);
        EXPECT_EQ(input.m_Mouse != nullptr, c.mouse);
        EXPECT_EQ(input.m_Joysticks, nullptr);
        EXPECT_EQ(CountLog("INFO: Initialize Input: DONE"), 0);
        // Without a keyboard the poll changes nothing.
        if (!c.keyboard)
        {
            State().PressKey(input::DIK_A);
            input.Poll();
            EXPECT_EQ(input.IsKeyDown(input::DIK_A), 0);
        }
        logger = std::make_unique<QV7_Logger>((dir / "Logger.dat").string());
        g_logger = logger.get();
    }
}

TEST_F(InputTest, IsKeyDownAnswersKeysAndTheSelectedControllersHatsAndButtons)
{
    input::null::NullJoystick& pad = State().AddJoystick("Pad");
    QV7_Input input;
    State().PressKey(input::DIK_SPACE);
    pad.state.axes[input::AXIS_X] = 1000;
    pad.state.povs[1] = 27000;
    pad.state.buttons[31] = 0x80;
    input.Poll();

    // Nothing selected: controller codes are all released.
    EXPECT_EQ(input.IsKeyDown(57), 1);
    EXPECT_EQ(input.IsKeyDown(521), 0);
    EXPECT_EQ(input.IsKeyDown(561), 0);

    input.m_Joysticks->Select(0);
    input.Poll();
    struct Case
    {
        InputCode code;
        int down;
    };
    const Case cases[] = {
        {57, 1},  {58, 0},  {-1, 0},  {300, 0}, {256, 0}, {499, 0}, {501, 0}, {500, 0},
        {512, 0}, {513, 0}, {521, 1}, {520, 0}, {514, 0}, {561, 1}, {560, 0}, {562, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(input.IsKeyDown(c.code), c.down) << c.code;
    // The axis is read through the controller list, not as a key.
    EXPECT_EQ(input.m_Joysticks->GetCodeState(501), 1000);
}

TEST_F(InputTest, GetPressedCodeGivesTheLowestKeyThenAButton)
{
    input::null::NullJoystick& pad = State().AddJoystick("Pad");
    QV7_Input input;
    input.m_Joysticks->Select(0);
    input.Poll();
    EXPECT_EQ(input.GetPressedCode(), -1);

    pad.state.buttons[4] = 0x80;
    input.Poll();
    EXPECT_EQ(input.GetPressedCode(), 534);

    State().PressKey(input::DIK_RETURN);
    State().PressKey(input::DIK_ESCAPE);
    input.Poll();
    EXPECT_EQ(input.GetPressedCode(), 1);
    State().ReleaseKey(input::DIK_ESCAPE);
    input.Poll();
    EXPECT_EQ(input.GetPressedCode(), 28);
}

TEST_F(InputTest, CursorFollowsTheMovementAndStaysInTheViewport)
{
    QV7_Input input;
    input.SetViewport(1024, 768);
    struct Step
    {
        int dx, dy;
        float x, y;
    };
    const Step steps[] = {
        {10, -20, 410, 280},        {-100000, 0, 0, 280}, {5, 100000, 5, 768},
        {100000, -100000, 1024, 0}, {-24, 1, 1000, 1},
    };
    float prevX = 400, prevY = 300;
    for (const Step& s : steps)
    {
        State().mouse.lX = s.dx;
        State().mouse.lY = s.dy;
        input.Poll();
        EXPECT_EQ(input.m_MouseX, s.x);
        EXPECT_EQ(input.m_MouseY, s.y);
        EXPECT_EQ(input.m_PrevMouseX, prevX);
        EXPECT_EQ(input.m_PrevMouseY, prevY);
        EXPECT_EQ(input.m_MouseState.lX, s.dx);
        prevX = s.x;
        prevY = s.y;
    }
}

TEST_F(InputTest, SystemCursorReplacesTheSumAndIsScaledToTheViewport)
{
    QV7_Input input;
    State().hasCursor = true;
    State().cursorX = 123;
    State().cursorY = 456;
    State().mouse.lX = 50;
    input.Poll();
    EXPECT_EQ(input.m_MouseX, 123.0f);
    EXPECT_EQ(input.m_MouseY, 456.0f);

    // An 800 x 600 back buffer shown in a 1600 x 1200 window.
    State().clientWidth = 1600;
    State().clientHeight = 1200;
    State().cursorX = 800;
    State().cursorY = 1300;
    input.Poll();
    EXPECT_EQ(input.m_MouseX, 400.0f);
    EXPECT_EQ(input.m_MouseY, 600.0f);

    State().cursorX = -40;
    input.Poll();
    EXPECT_EQ(input.m_MouseX, 0.0f);
}

TEST_F(InputTest, NothingChangesWhileTheGraphicsDeviceIsLost)
{
    static bool lost = false;
    QV7_Input::s_DeviceIsLost = [] { return lost; };
    QV7_Input input;
    State().PressKey(input::DIK_Q);
    input.Poll();
    lost = true;
    State().ReleaseKey(input::DIK_Q);
    State().mouse.lX = 30;
    input.Poll();
    EXPECT_EQ(input.IsKeyDown(input::DIK_Q), 1);
    EXPECT_EQ(input.m_MouseX, 400.0f);
    lost = false;
    input.Poll();
    EXPECT_EQ(input.IsKeyDown(input::DIK_Q), 0);
    EXPECT_EQ(input.m_MouseX, 430.0f);
}

TEST_F(InputTest, UnreadableKeyboardOrMouseReopensEverythingOnTheSameObject)
{
    for (Call failing : {Call::KeyboardGetState, Call::MouseGetState})
    {
        SCOPED_TRACE(int(failing));
        input::null::Reset();
        State().AddJoystick("Pad");
        QV7_Input input;
        State().mouse.lX = 15;
        input.Poll();
        input.m_Joysticks->Select(0);
        ASSERT_NE(input.m_Joysticks->GetSelected(), nullptr);
        const int unloadsBefore = CountLog("INFO: Unload Input");

        State().Fail(failing);
        input.Poll();
        State().Fail(failing, false);

        EXPECT_EQ(CountLog("INFO: Unload Input"), unloadsBefore + 1);
        EXPECT_EQ(g_input, &input);
        EXPECT_EQ(input.m_MouseX, 415.0f);
        ASSERT_NE(input.m_Joysticks, nullptr);
        EXPECT_EQ(input.m_Joysticks->GetSelected(), nullptr);
        State().PressKey(input::DIK_W);
        input.Poll();
        EXPECT_EQ(input.IsKeyDown(input::DIK_W), 1);
    }
}

TEST_F(InputTest, ScriptedFramesDriveThePollFrameByFrame)
{
    QV7_Input input;
    State().QueueFrame(
        [](NullInputState& s)
        {
            s.PressKey(input::DIK_RETURN);
            s.mouse.lX = 8;
            s.mouse.rgbButtons[0] = 0x80;
        });
    State().QueueFrame(
        [](NullInputState& s)
        {
            s.ReleaseKey(input::DIK_RETURN);
            s.mouse.rgbButtons[0] = 0;
        });
    input.Poll();
    EXPECT_EQ(input.IsKeyDown(input::DIK_RETURN), 1);
    EXPECT_NE(input.m_MouseState.rgbButtons[0], 0);
    EXPECT_EQ(input.m_MouseX, 408.0f);
    input.Poll();
    EXPECT_EQ(input.IsKeyDown(input::DIK_RETURN), 0);
    EXPECT_EQ(input.m_MouseState.rgbButtons[0], 0);
    EXPECT_EQ(input.m_MouseX, 408.0f);
}
} // namespace
