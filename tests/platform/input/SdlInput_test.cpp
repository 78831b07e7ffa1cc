// The SDL input back-end without a display or controller: the scancode
// table, the axis and hat conversions, and a DirectInput object that opens
// on a machine with no controller as an ordinary state.
#include "platform/input/DirectInput.h"
#include "platform/input/KeyCodes.h"
#include "platform/input/sdl/ScancodeTable.h"
#include "platform/input/sdl/SdlJoystick.h"
#include "platform/win/Backend.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <set>

using namespace input;

namespace
{
TEST(ScancodeTable, MapsTheKeysTheGameBindsToTheirDirectInputCodes)
{
    struct Case
    {
        SDL_Scancode scancode;
        int keyCode;
    };
    // The default bindings and the keys the pages test for.
    const Case cases[] = {
        {SDL_SCANCODE_ESCAPE, 1},     {SDL_SCANCODE_RETURN, 28},    {SDL_SCANCODE_KP_ENTER, 156},
        {SDL_SCANCODE_SPACE, 57},     {SDL_SCANCODE_UP, 200},       {SDL_SCANCODE_DOWN, 208},
        {SDL_SCANCODE_LEFT, 203},     {SDL_SCANCODE_RIGHT, 205},    {SDL_SCANCODE_RCTRL, 157},
        {SDL_SCANCODE_LCTRL, 29},     {SDL_SCANCODE_LSHIFT, 42},    {SDL_SCANCODE_RSHIFT, 54},
        {SDL_SCANCODE_F11, 87},       {SDL_SCANCODE_F1, 59},        {SDL_SCANCODE_RALT, 184},
        {SDL_SCANCODE_LALT, 56},      {SDL_SCANCODE_PAGEDOWN, 209}, {SDL_SCANCODE_PAGEUP, 201},
        {SDL_SCANCODE_PAUSE, 197},    {SDL_SCANCODE_KP_8, 72},      {SDL_SCANCODE_KP_2, 80},
        {SDL_SCANCODE_KP_PERIOD, 83}, {SDL_SCANCODE_KP_0, 82},      {SDL_SCANCODE_P, 25},
        {SDL_SCANCODE_1, 2},          {SDL_SCANCODE_0, 11},         {SDL_SCANCODE_GRAVE, 41},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(SDL_GetScancodeName(c.scancode));
        EXPECT_EQ(sdl::KeyCodeOfScancode(c.scancode), c.keyCode);
    }
    EXPECT_EQ(sdl::KeyCodeOfScancode(SDL_SCANCODE_F20), 0);
    EXPECT_EQ(sdl::KeyCodeOfScancode(-1), 0);
    EXPECT_EQ(sdl::KeyCodeOfScancode(SDL_NUM_SCANCODES), 0);
}

TEST(ScancodeTable, EveryMappedCodeIsADocumentedKeyAndMapsBack)
{
    std::set<int> documented;
#define QV7_COLLECT(name, code) documented.insert(code);
    QV7_KEY_CODE_LIST(QV7_COLLECT)
#undef QV7_COLLECT
    int mapped = 0;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
    {
        const uint8_t code = sdl::KeyCodeOfScancode(scancode);
        if (code == 0)
            continue;
        ++mapped;
        EXPECT_TRUE(documented.count(code)) << SDL_GetScancodeName(SDL_Scancode(scancode));
        EXPECT_EQ(sdl::KeyCodeOfScancode(sdl::ScancodeOfKeyCode(code)), code);
    }
    // The whole main block, function keys, cursor block and keypad at least.
    EXPECT_GE(mapped, 104);
}

TEST(SdlJoystickConversion, StickAndTriggerAxesReachTheWholeRange)
{
    EXPECT_EQ(sdl::ScaleStickAxis(-32768, -1000, 1000), -1000);
    EXPECT_EQ(sdl::ScaleStickAxis(32767, -1000, 1000), 1000);
    EXPECT_EQ(sdl::ScaleStickAxis(0, -1000, 1000), 0);
    EXPECT_EQ(sdl::ScaleStickAxis(16384, -1000, 1000), 500);
    EXPECT_EQ(sdl::ScaleStickAxis(-32768, 0, 65535), 0);
    EXPECT_EQ(sdl::ScaleStickAxis(32767, 0, 65535), 65535);
    // A released trigger is centred, so it never reads as a moved axis.
    EXPECT_EQ(sdl::ScaleTriggerAxis(0, -1000, 1000), 0);
    EXPECT_EQ(sdl::ScaleTriggerAxis(32767, -1000, 1000), 1000);
}

TEST(SdlJoystickConversion, HatsBecomeHundredthsOfADegree)
{
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_UP), 0u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_RIGHT), 9000u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_DOWN), 18000u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_LEFT), 27000u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_RIGHTUP), 4500u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_LEFTUP), 31500u);
    EXPECT_EQ(sdl::PovOfHat(SDL_HAT_CENTERED), kPovCentred);
}

TEST(SdlInput, OpensWithoutDisplayOrControllerAndReadsNoKeys)
{
    win::SetBackend(win::Backend::Real);
    std::unique_ptr<DirectInput> directInput;
    ASSERT_EQ(DirectInput::Create(directInput), DI_OK);

    std::unique_ptr<Keyboard> keyboard;
    ASSERT_EQ(directInput->CreateKeyboard(keyboard), DI_OK);
    ASSERT_EQ(keyboard->SetDataFormat(DataFormat::Keyboard), DI_OK);
    uint8_t keys[256];
    EXPECT_EQ(keyboard->GetState(keys), DIERR_NOTACQUIRED);
    ASSERT_EQ(keyboard->Acquire(), DI_OK);
    ASSERT_EQ(keyboard->GetState(keys), DI_OK);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(keys[i], 0) << i;

    std::unique_ptr<Mouse> mouse;
    ASSERT_EQ(directInput->CreateMouse(mouse), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    MouseState state;
    ASSERT_EQ(mouse->GetState(state), DI_OK);
    int x, y, w, h;
    EXPECT_FALSE(mouse->GetCursorPos(x, y, w, h)); // no window given

    // Whatever is attached, enumeration itself is not an error.
    EXPECT_EQ(directInput->EnumJoysticks([](const JoystickInstance&) { return true; }), DI_OK);
    win::SetBackend(win::Backend::Null);
}
} // namespace
