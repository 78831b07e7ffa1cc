// The null input back-end: state set by the test reaches the devices, a
// script advances one frame per keyboard read, and each call the game logs
// can be made to fail.
#include "platform/input/DirectInput.h"
#include "platform/input/KeyCodes.h"
#include "platform/input/null/NullInput.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

using namespace input;

namespace
{
class NullInputTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        null::Reset();
        ASSERT_EQ(DirectInput::Create(directInput), DI_OK);
    }
    void TearDown() override { null::Reset(); }

    std::unique_ptr<Keyboard> OpenKeyboard()
    {
        std::unique_ptr<Keyboard> keyboard;
        EXPECT_EQ(directInput->CreateKeyboard(keyboard), DI_OK);
        EXPECT_EQ(keyboard->Acquire(), DI_OK);
        return keyboard;
    }

    std::unique_ptr<DirectInput> directInput;
};

TEST_F(NullInputTest, ScriptedFramesAdvanceOnePerKeyboardRead)
{
    auto keyboard = OpenKeyboard();
    null::State().QueueFrame([](null::NullInputState& s) { s.PressKey(DIK_RETURN); });
    null::State().QueueFrame(
        [](null::NullInputState& s)
        {
            s.ReleaseKey(DIK_RETURN);
            s.PressKey(DIK_ESCAPE);
        });

    uint8_t keys[256];
    ASSERT_EQ(keyboard->GetState(keys), DI_OK);
    EXPECT_EQ(keys[DIK_RETURN], 0x80);
    EXPECT_EQ(keys[DIK_ESCAPE], 0);
    ASSERT_EQ(keyboard->GetState(keys), DI_OK);
    EXPECT_EQ(keys[DIK_RETURN], 0);
    EXPECT_EQ(keys[DIK_ESCAPE], 0x80);
    // The script is over: the state stays as the last frame left it.
    ASSERT_EQ(keyboard->GetState(keys), DI_OK);
    EXPECT_EQ(keys[DIK_ESCAPE], 0x80);
    EXPECT_EQ(null::State().keyboardReads, 3);
}

TEST_F(NullInputTest, MouseMovementIsReportedOnceButtonsStay)
{
    std::unique_ptr<Mouse> mouse;
    ASSERT_EQ(directInput->CreateMouse(mouse), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    null::State().mouse.lX = 7;
    null::State().mouse.lY = -3;
    null::State().mouse.rgbButtons[0] = 0x80;

    MouseState state;
    ASSERT_EQ(mouse->GetState(state), DI_OK);
    EXPECT_EQ(state.lX, 7);
    EXPECT_EQ(state.lY, -3);
    ASSERT_EQ(mouse->GetState(state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.rgbButtons[0], 0x80);

    int x, y, w, h;
    EXPECT_FALSE(mouse->GetCursorPos(x, y, w, h));
    null::State().hasCursor = true;
    null::State().cursorX = 12;
    null::State().cursorY = 34;
    ASSERT_TRUE(mouse->GetCursorPos(x, y, w, h));
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
}

TEST_F(NullInputTest, DevicesRefuseReadsUntilAcquiredAndWrongFormats)
{
    std::unique_ptr<Keyboard> keyboard;
    ASSERT_EQ(directInput->CreateKeyboard(keyboard), DI_OK);
    uint8_t keys[256];
    EXPECT_EQ(keyboard->GetState(keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(keyboard->SetDataFormat(DataFormat::Mouse), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(DataFormat::Keyboard), DI_OK);
}

TEST_F(NullInputTest, EveryLoggedCallCanBeMadeToFail)
{
    struct Case
    {
        null::Call call;
        std::function<HRESULT(DirectInput&)> run;
    };
    const Case cases[] = {
        {null::Call::CreateKeyboard,
         [](DirectInput& di)
         {
             std::unique_ptr<Keyboard> k;
             return di.CreateKeyboard(k);
         }},
        {null::Call::KeyboardDataFormat,
         [](DirectInput& di)
         {
             std::unique_ptr<Keyboard> k;
             di.CreateKeyboard(k);
             return k->SetDataFormat(DataFormat::Keyboard);
         }},
        {null::Call::KeyboardCooperativeLevel,
         [](DirectInput& di)
         {
             std::unique_ptr<Keyboard> k;
             di.CreateKeyboard(k);
             return k->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
         }},
        {null::Call::KeyboardAcquire,
         [](DirectInput& di)
         {
             std::unique_ptr<Keyboard> k;
             di.CreateKeyboard(k);
             return k->Acquire();
         }},
        {null::Call::KeyboardGetState,
         [](DirectInput& di)
         {
             std::unique_ptr<Keyboard> k;
             di.CreateKeyboard(k);
             k->Acquire();
             uint8_t keys[256];
             return k->GetState(keys);
         }},
        {null::Call::CreateMouse,
         [](DirectInput& di)
         {
             std::unique_ptr<Mouse> m;
             return di.CreateMouse(m);
         }},
        {null::Call::MouseCooperativeLevel,
         [](DirectInput& di)
         {
             std::unique_ptr<Mouse> m;
             di.CreateMouse(m);
             return m->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE);
         }},
        {null::Call::MouseDataFormat,
         [](DirectInput& di)
         {
             std::unique_ptr<Mouse> m;
             di.CreateMouse(m);
             return m->SetDataFormat(DataFormat::Mouse);
         }},
        {null::Call::MouseAcquire,
         [](DirectInput& di)
         {
             std::unique_ptr<Mouse> m;
             di.CreateMouse(m);
             return m->Acquire();
         }},
        {null::Call::MouseGetState,
         [](DirectInput& di)
         {
             std::unique_ptr<Mouse> m;
             di.CreateMouse(m);
             m->Acquire();
             MouseState s;
             return m->GetState(s);
         }},
        {null::Call::EnumJoysticks,
         [](DirectInput& di) { return di.EnumJoysticks([](const JoystickInstance&) { return true; }); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(int(c.call));
        EXPECT_EQ(c.run(*directInput), DI_OK);
        null::State().Fail(c.call);
        EXPECT_TRUE(Failed(c.run(*directInput)));
        null::State().Fail(c.call, false);
    }
    null::State().Fail(null::Call::CreateDirectInput);
    std::unique_ptr<DirectInput> second;
    EXPECT_TRUE(Failed(DirectInput::Create(second)));
    EXPECT_EQ(second, nullptr);
}

TEST_F(NullInputTest, ControllerReportsItsStateAndRecordsEffects)
{
    null::NullJoystick& pad = null::State().AddJoystick("Pad A", true);
    null::State().AddJoystick("Pad B", false);
    std::vector<JoystickInstance> found;
    ASSERT_EQ(directInput->EnumJoysticks(
                  [&](const JoystickInstance& i)
                  {
                      found.push_back(i);
                      return true;
                  }),
              DI_OK);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].productName, "Pad B");

    std::unique_ptr<Joystick> joystick;
    ASSERT_EQ(directInput->CreateJoystick(found[0], joystick), DI_OK);
    DeviceInstance info;
    ASSERT_EQ(joystick->GetDeviceInfo(info), DI_OK);
    EXPECT_EQ(info.productName, "Pad A");
    EXPECT_TRUE(info.forceFeedbackDriver);
    ASSERT_EQ(joystick->SetAxisRange(0, -1000, 1000), DI_OK);
    EXPECT_EQ(pad.axisRangeMinimum, -1000);

    JoystickState state;
    EXPECT_EQ(joystick->GetState(state), DIERR_NOTACQUIRED);
    ASSERT_EQ(joystick->Acquire(), DI_OK);
    pad.state.axes[AXIS_RZ] = 640;
    pad.state.buttons[3] = 0x80;
    ASSERT_EQ(joystick->GetState(state), DI_OK);
    EXPECT_EQ(state.axes[AXIS_RZ], 640);
    EXPECT_EQ(state.buttons[3], 0x80);
    EXPECT_EQ(state.povs[0], kPovCentred);

    std::unique_ptr<Effect> effect;
    ASSERT_EQ(joystick->CreateEffect({0.5f, 100}, effect), DI_OK);
    ASSERT_EQ(effect->Start(1, 0), DI_OK);
    ASSERT_EQ(pad.startedEffects.size(), 1u);
    EXPECT_EQ(pad.startedEffects[0], 0);
    EXPECT_FLOAT_EQ(pad.effects[0].strength, 0.5f);

    // A controller without force feedback makes no effects.
    std::unique_ptr<Joystick> plain;
    ASSERT_EQ(directInput->CreateJoystick(found[1], plain), DI_OK);
    EXPECT_TRUE(Failed(plain->CreateEffect({1.0f, 10}, effect)));
    EXPECT_EQ(effect, nullptr);
}

TEST_F(NullInputTest, ControllerGoneAfterResetReadsAsUnplugged)
{
    null::State().AddJoystick("Pad", true);
    std::unique_ptr<Joystick> joystick;
    ASSERT_EQ(directInput->CreateJoystick({0, "Pad"}, joystick), DI_OK);
    std::unique_ptr<Effect> effect;
    ASSERT_EQ(joystick->CreateEffect({0.5f, 100}, effect), DI_OK);
    null::Reset();
    JoystickState state;
    EXPECT_EQ(joystick->GetState(state), DIERR_UNPLUGGED);
    EXPECT_EQ(joystick->Acquire(), DIERR_UNPLUGGED);
    EXPECT_EQ(effect->Start(1, 0), DIERR_UNPLUGGED);
}
} // namespace
