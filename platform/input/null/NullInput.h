// The null input back-end: no devices of its own, only a state that tests
// set directly (keys, mouse buttons and movement, cursor, controllers with
// their axes, hats, buttons and effects) or script frame by frame, and a
// switch for each call whose failure the game logs.
//
// Each keyboard read takes the next scripted frame and applies it before it
// reports, and the game reads the keyboard first in every poll, so one
// scripted frame is one game frame.
#pragma once

#include "platform/input/DirectInput.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace input::null
{
// Calls that can be told to fail (each then returns DIERR_GENERIC).
enum class Call
{
    CreateDirectInput,
    CreateKeyboard,
    KeyboardDataFormat,
    KeyboardCooperativeLevel,
    KeyboardAcquire,
    KeyboardGetState,
    CreateMouse,
    MouseCooperativeLevel,
    MouseDataFormat,
    MouseAcquire,
    MouseGetState,
    EnumJoysticks,
    Count
};

// One attached controller. Axis values are reported as set, whatever range
// the game asked for (the game asks for -1000 to 1000).
struct NullJoystick
{
    std::string productName = "Null Controller";
    bool forceFeedback = false;
    DeviceCaps caps{AXIS_COUNT, 32, 4, false};
    JoystickState state = CentredState();

    // Results of the device calls (DI_OK unless a test says otherwise).
    HRESULT createResult = DI_OK;
    HRESULT dataFormatResult = DI_OK;
    HRESULT cooperativeLevelResult = DI_OK;
    HRESULT capabilitiesResult = DI_OK;
    HRESULT enumObjectsResult = DI_OK;
    HRESULT axisRangeResult = DI_OK;
    HRESULT pollResult = DI_OK;
    HRESULT acquireResult = DI_OK;
    HRESULT getStateResult = DI_OK;
    HRESULT createEffectResult = DI_OK;

    // What the game did with it.
    int axisRangeMinimum = 0;
    int axisRangeMaximum = 65535;
    int acquireCalls = 0;
    std::vector<RumbleEffect> effects; // every effect created, in order
    std::vector<int> startedEffects;   // effect index of every Start

    static JoystickState CentredState();
};

struct NullInputState
{
    uint8_t keys[256] = {};
    // Reported by the next mouse read; the movement is then cleared, the
    // buttons stay.
    MouseState mouse;
    // The system cursor; without one the game keeps its own from the movement.
    bool hasCursor = false;
    int cursorX = 0;
    int cursorY = 0;
    int clientWidth = 800;
    int clientHeight = 600;

    std::deque<NullJoystick> joysticks;
    bool failing[int(Call::Count)] = {};
    std::deque<std::function<void(NullInputState&)>> frames;
    int keyboardReads = 0;

    void PressKey(int code) { keys[code & 0xFF] = 0x80; }
    void ReleaseKey(int code) { keys[code & 0xFF] = 0; }
    void Fail(Call call, bool fail = true) { failing[int(call)] = fail; }
    bool Fails(Call call) const { return failing[int(call)]; }
    NullJoystick& AddJoystick(const std::string& productName, bool forceFeedback = false);
    // Appends a frame: change is applied to the state at the start of it.
    void QueueFrame(std::function<void(NullInputState&)> change) { frames.push_back(std::move(change)); }
};

// The one state of the null back-end.
NullInputState& State();
// Back to no keys, no movement, no controllers, no failures, no script.
void Reset();

HRESULT CreateDirectInput(std::unique_ptr<DirectInput>& out);
} // namespace input::null
