// The controller list on the null input back-end: the code queries with their
// dead zone and thresholds, set-up with its logged failures, the effect slots,
// and dropping a controller that keeps failing.
#include "media/QV7_Input.h"
#include "media/QV7_Joysticks.h"

#include "platform/input/null/NullInput.h"
#include "platform/win/Backend.h"
#include "platform/win/Ini.h"
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
using input::null::NullJoystick;

class JoysticksTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        input::null::Reset();
        dir = fs::temp_directory_path() /
              ("qv7_joy_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
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
        input.reset();
        windows.reset();
        g_logger = nullptr;
        logger.reset();
        input::null::Reset();
        fs::remove_all(dir);
    }

    NullJoystick& AddPad(const char* name = "Pad", bool forceFeedback = false)
    {
        return input::null::State().AddJoystick(name, forceFeedback);
    }
    // Opens input and selects controller index.
    QV7_Joysticks& Open(int selected = 0)
    {
        input = std::make_unique<QV7_Input>();
        input->m_Joysticks->Select(selected);
        return *input->m_Joysticks;
    }
    int CountLog(const std::string& text) const
    {
        std::ifstream file(dir / "Logger.dat");
        std::string line;
        int count = 0;
        while (std::getline(file, line))
        {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const size_t at = line.find("] : ");
            count += at != std::string::npos && line.substr(at + 4) == text;
        }
        return count;
    }

    fs::path dir;
    std::unique_ptr<QV7_Logger> logger;
    std::unique_ptr<QV7_Windows> windows;
    std::unique_ptr<QV7_Input> input;
};

TEST_F(JoysticksTest, AxisCodesReadBeyondTheDeadZoneOnTheirOwnSide)
{
    NullJoystick& pad = AddPad();
    QV7_Joysticks& joysticks = Open();
    struct Case
    {
        int value;
        int negative;
        int positive;
    };
    const Case cases[] = {{0, 0, 0},     {50, 0, 0},      {51, 0, 51},       {-50, 0, 0},
                          {-51, -51, 0}, {1000, 0, 1000}, {-1000, -1000, 0}, {200, 0, 200}};
    for (int axis = 0; axis < input::AXIS_COUNT; ++axis)
    {
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << "axis " << axis << " value " << c.value);
            pad.state = NullJoystick::CentredState();
            pad.state.axes[axis] = c.value;
            joysticks.Poll();
            EXPECT_EQ(joysticks.GetCodeState(500 + 2 * axis), c.negative);
            EXPECT_EQ(joysticks.GetCodeState(501 + 2 * axis), c.positive);
            EXPECT_EQ(input->IsKeyDown(501 + 2 * axis), 0);
        }
    }
    EXPECT_EQ(joysticks.GetCodeState(512), 0);
    EXPECT_EQ(joysticks.GetCodeState(-1), 0);
    EXPECT_EQ(joysticks.GetCodeState(562), 0);
}

TEST_F(JoysticksTest, MovedAxisNeedsTwoHundredAndTakesTheFirstAxis)
{
    NullJoystick& pad = AddPad();
    QV7_Joysticks& joysticks = Open();
    struct Case
    {
        int axis;
        int value;
        InputCode code;
    };
    const Case cases[] = {
        {input::AXIS_X, 199, -1},   {input::AXIS_X, 200, 501},   {input::AXIS_X, -200, 500},
        {input::AXIS_X, -199, -1},  {input::AXIS_Y, 1199, 503},  {input::AXIS_Y, 1200, -1},
        {input::AXIS_RZ, 700, 511}, {input::AXIS_RZ, -700, 510}, {input::AXIS_Z, -1000, 504},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "axis " << c.axis << " value " << c.value);
        pad.state = NullJoystick::CentredState();
        pad.state.axes[c.axis] = c.value;
        joysticks.Poll();
        EXPECT_EQ(joysticks.GetMovedAxisCode(), c.code);
    }
    // Moving the Z rotation reads through its codes too.
    pad.state = NullJoystick::CentredState();
    pad.state.axes[input::AXIS_RZ] = 700;
    pad.state.axes[input::AXIS_Y] = -300;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetMovedAxisCode(), 502);
    EXPECT_EQ(joysticks.GetCodeState(511), 700);
}

TEST_F(JoysticksTest, HatsCountOnlyStraightDirectionsOfExistingHats)
{
    NullJoystick& pad = AddPad();
    pad.caps.povs = 2;
    QV7_Joysticks& joysticks = Open();

    pad.state.povs[0] = 4500;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedPovCode(), -1);
    for (InputCode code = 514; code <= 517; ++code)
        EXPECT_EQ(joysticks.GetCodeState(code), 0) << code;

    pad.state.povs[1] = 18000;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedPovCode(), 520);
    EXPECT_EQ(joysticks.GetCodeState(520), 1);
    EXPECT_EQ(input->IsKeyDown(520), 1);

    // A hat beyond the controller's count is not a binding.
    pad.state = NullJoystick::CentredState();
    pad.state.povs[2] = 0;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedPovCode(), -1);

    pad.state.povs[2] = input::kPovCentred;
    pad.state.povs[0] = 27000;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedPovCode(), 517);
}

TEST_F(JoysticksTest, ButtonsAreDownOnlyAt0x80AndWithinTheControllersCount)
{
    NullJoystick& pad = AddPad();
    pad.caps.buttons = 10;
    QV7_Joysticks& joysticks = Open();
    pad.state.buttons[12] = 0x80;
    pad.state.buttons[2] = 0x01;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedButtonCode(), -1);
    EXPECT_EQ(joysticks.GetCodeState(532), 0);
    EXPECT_EQ(joysticks.GetCodeState(542), 1);

    pad.state.buttons[9] = 0x80;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedButtonCode(), 539);
}

TEST_F(JoysticksTest, NothingSelectedAnswersNothing)
{
    NullJoystick& pad = AddPad();
    QV7_Joysticks& joysticks = Open(NO_JOYSTICK_SELECTED);
    pad.state.axes[0] = 1000;
    pad.state.povs[0] = 0;
    pad.state.buttons[0] = 0x80;
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetCodeState(501), 0);
    EXPECT_EQ(joysticks.GetMovedAxisCode(), -1);
    EXPECT_EQ(joysticks.GetPressedPovCode(), -1);
    EXPECT_EQ(joysticks.GetPressedButtonCode(), -1);
    joysticks.Select(5); // beyond the list
    joysticks.Poll();
    EXPECT_EQ(joysticks.GetPressedButtonCode(), -1);
}

TEST_F(JoysticksTest, SetUpFindsEveryControllerAndSetsTheAxisRange)
{
    NullJoystick& first = AddPad("Wheel");
    NullJoystick& second = AddPad("Stick");
    QV7_Joysticks& joysticks = Open();
    ASSERT_EQ(joysticks.m_Devices.Count(), 2);
    EXPECT_EQ(joysticks.m_Devices[1]->m_Instance.productName, "Stick");
    EXPECT_EQ(CountLog("INFO: Device found, [Wheel]"), 1);
    EXPECT_EQ(CountLog("INFO: Device found, [Stick]"), 1);
    EXPECT_EQ(first.axisRangeMinimum, -1000);
    EXPECT_EQ(second.axisRangeMaximum, 1000);
    EXPECT_EQ(joysticks.m_Devices[0]->m_Caps.buttons, 32);
}

TEST_F(JoysticksTest, SetUpFailuresAreLoggedAndSetUpGoesOn)
{
    NullJoystick& pad = AddPad("Broken");
    pad.dataFormatResult = input::DIERR_GENERIC;
    pad.cooperativeLevelResult = input::DIERR_GENERIC;
    pad.capabilitiesResult = input::DIERR_GENERIC;
    pad.axisRangeResult = input::DIERR_GENERIC;
    NullJoystick& other = AddPad("Other");
    other.enumObjectsResult = input::DIERR_GENERIC;
    QV7_Joysticks& joysticks = Open();
    EXPECT_EQ(joysticks.m_Devices.Count(), 2);
    for (const char* line : {"Error: Initialize Controllers: SetDataFormat(); FAILED",
                             "Error: Initialize Controllers: SetCooperativeLevel(); FAILED",
                             "Error: Initialize Controllers: GetCapabilities(); FAILED",
                             "Error: Initialize Controllers: SetProperty(DIPROP_RANGE): FAILED",
                             "Error: Initialize Controllers: EnumObjects(); FAILED",
                             "INFO: Direct Input Controllers loading done"})
        EXPECT_EQ(CountLog(line), 1) << line;
}

TEST_F(JoysticksTest, AControllerThatCannotBeCreatedEndsTheSearch)
{
    AddPad("Good");
    AddPad("Bad").createResult = input::DIERR_DEVICENOTREG;
    AddPad("Never reached");
    QV7_Joysticks& joysticks = Open();
    ASSERT_EQ(joysticks.m_Devices.Count(), 1);
    EXPECT_EQ(joysticks.m_Devices[0]->m_Instance.productName, "Good");

    input::null::Reset();
    input::null::State().Fail(input::null::Call::EnumJoysticks);
    input = std::make_unique<QV7_Input>();
    EXPECT_EQ(CountLog("Error: Initialize Controllers: EnumDevices(); FAILED"), 1);
}

TEST_F(JoysticksTest, EveryForceFeedbackControllerFillsItsOwnTenSlots)
{
    NullJoystick& first = AddPad("Rumble A", true);
    AddPad("Plain", false);
    NullJoystick& third = AddPad("Rumble B", true);
    QV7_Joysticks& joysticks = Open();
    ASSERT_EQ(joysticks.m_Devices.Count(), 3);
    EXPECT_EQ(first.effects.size(), size_t(FORCE_FEEDBACK_SLOTS));
    EXPECT_EQ(third.effects.size(), size_t(FORCE_FEEDBACK_SLOTS));
    for (int slot = 0; slot < FORCE_FEEDBACK_SLOTS; ++slot)
    {
        EXPECT_NE(joysticks.m_Devices[2]->m_Effects[slot], nullptr);
        EXPECT_EQ(joysticks.m_Devices[1]->m_Effects[slot], nullptr);
        // Every slot is felt.
        EXPECT_GT(first.effects[slot].strength, 0.0f);
        EXPECT_GT(first.effects[slot].lengthMs, 0u);
    }

    joysticks.StartEffect(5);
    joysticks.StartEffect(10);
    ASSERT_EQ(first.startedEffects, std::vector<int>{5});
    joysticks.Select(1);
    joysticks.StartEffect(0);
    joysticks.Select(2);
    joysticks.StartEffect(8);
    EXPECT_EQ(third.startedEffects, std::vector<int>{8});
    EXPECT_EQ(first.startedEffects.size(), 1u);
}

TEST_F(JoysticksTest, AFailedEffectIsLoggedAndItsSlotStaysEmpty)
{
    AddPad("Rumble", true).createEffectResult = input::DIERR_GENERIC;
    QV7_Joysticks& joysticks = Open();
    EXPECT_EQ(CountLog("FF : FAILED to create effect"), FORCE_FEEDBACK_SLOTS);
    EXPECT_EQ(joysticks.m_Devices[0]->m_Effects[0], nullptr);
    joysticks.StartEffect(0); // nothing to start, no crash
}

TEST_F(JoysticksTest, TwentySixFailedReadsInARowDropTheControllerAndResetTheBindings)
{
    NullJoystick& pad = AddPad("Flaky");
    AddPad("Spare");
    QV7_Joysticks& joysticks = Open();
    GameSettings& settings = windows->m_Settings;
    settings.Keys[KEY_Accelerate][0] = 533;

    pad.getStateResult = input::DIERR_INPUTLOST;
    for (int i = 0; i < JOYSTICK_MAX_FAILED_READS - 1; ++i)
        joysticks.Poll();
    pad.getStateResult = input::DI_OK;
    pad.state.buttons[0] = 0x80;
    joysticks.Poll();
    EXPECT_EQ(joysticks.m_FailedReads, 0);
    EXPECT_EQ(joysticks.GetPressedButtonCode(), 530);

    pad.getStateResult = input::DIERR_INPUTLOST;
    for (int i = 0; i < JOYSTICK_MAX_FAILED_READS - 1; ++i)
    {
        joysticks.Poll();
        // A failed read leaves a neutral state: no phantom hat or button.
        EXPECT_EQ(joysticks.GetPressedButtonCode(), -1);
        EXPECT_EQ(joysticks.GetPressedPovCode(), -1);
    }
    EXPECT_EQ(joysticks.m_Devices.Count(), 2);
    EXPECT_FALSE(fs::exists(dir / "Settings.ini"));
    joysticks.Poll();

    EXPECT_EQ(joysticks.m_Devices.Count(), 1);
    EXPECT_EQ(joysticks.m_Devices[0]->m_Instance.productName, "Spare");
    EXPECT_EQ(joysticks.m_Selected, NO_JOYSTICK_SELECTED);
    EXPECT_EQ(settings.Keys[KEY_Accelerate][0], 200);
    EXPECT_EQ(win::GetPrivateProfileIntA("Keys", "Key1_Accelerate", -7, (dir / "Settings.ini").string()),
              200);
    EXPECT_EQ(CountLog("Info: Device removed due to device lost"), 1);
}

TEST_F(JoysticksTest, AcquireThatReportsLostInputSkipsTheReadWithoutCounting)
{
    NullJoystick& pad = AddPad();
    QV7_Joysticks& joysticks = Open();
    pad.pollResult = input::DIERR_NOTACQUIRED;
    pad.acquireResult = input::DIERR_INPUTLOST;
    pad.getStateResult = input::DIERR_INPUTLOST;
    for (int i = 0; i < 2 * JOYSTICK_MAX_FAILED_READS; ++i)
        joysticks.Poll();
    EXPECT_EQ(joysticks.m_FailedReads, 0);
    EXPECT_EQ(joysticks.m_Devices.Count(), 1);
}
} // namespace
