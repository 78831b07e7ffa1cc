// The input layer: keyboard, mouse and game controllers with force feedback,
// in the shape of the DirectInput 8 calls the game makes (create a device,
// set its data format and cooperative level, acquire, poll, read its state,
// create and start effects), each answering with a result code the game logs.
//
// Two back-ends: SDL2 (sdl/) and a null one (null/) whose state tests set and
// script frame by frame. The keyboard reports DirectInput scan codes, the
// mouse relative movement and the cursor in client pixels of the game window,
// and a game controller its six axes, four hats and 128 buttons in the
// DIJOYSTATE2 layout. No controller and no force feedback are ordinary states.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace input
{
// Result codes with the values DirectInput documents.
using HRESULT = int32_t;
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DI_NOEFFECT = 1;
constexpr HRESULT DIERR_GENERIC = int32_t(0x80004005);
constexpr HRESULT DIERR_UNSUPPORTED = int32_t(0x80004001);
constexpr HRESULT DIERR_INVALIDPARAM = int32_t(0x80070057);
constexpr HRESULT DIERR_NOTACQUIRED = int32_t(0x8007000C);
constexpr HRESULT DIERR_INPUTLOST = int32_t(0x8007001E);
constexpr HRESULT DIERR_UNPLUGGED = int32_t(0x80040209);
constexpr HRESULT DIERR_DEVICENOTREG = int32_t(0x80040154);
inline bool Failed(HRESULT result)
{
    return result < 0;
}

// Cooperative-level flags (DISCL_*).
enum : uint32_t
{
    DISCL_EXCLUSIVE = 0x01,
    DISCL_NONEXCLUSIVE = 0x02,
    DISCL_FOREGROUND = 0x04,
    DISCL_BACKGROUND = 0x08,
    DISCL_NOWINKEY = 0x10,
};

// The state layouts a device can be set to report.
enum class DataFormat
{
    Keyboard, // 256 bytes
    Mouse,    // MouseState
    Joystick2 // JoystickState
};

// The mouse as DIMOUSESTATE reports it: movement since the last read, and the
// buttons (left, right, middle, first extra), non-zero while down.
struct MouseState
{
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    uint8_t rgbButtons[4] = {};
};
static_assert(sizeof(MouseState) == 16);

// Axis order of JoystickState::axes.
enum JoystickAxis
{
    AXIS_X,
    AXIS_Y,
    AXIS_Z,
    AXIS_RX,
    AXIS_RY,
    AXIS_RZ,
    AXIS_COUNT
};

// A hat at rest; otherwise hundredths of a degree clockwise from up.
constexpr uint32_t kPovCentred = 0xFFFFFFFFu;

// A game controller as DIJOYSTATE2 reports it (272 bytes).
struct JoystickState
{
    int32_t axes[AXIS_COUNT] = {};
    int32_t sliders[2] = {};
    uint32_t povs[4] = {};
    uint8_t buttons[128] = {}; // bit 7 set while down
    int32_t motion[24] = {};   // velocities, accelerations, forces: never reported
};
static_assert(sizeof(JoystickState) == 272);

struct DeviceCaps
{
    int axes = 0;
    int buttons = 0;
    int povs = 0;
    bool forceFeedback = false;
};

// What identifies a controller: its product name (the Settings.ini
// [Controller] Device value) and whether a force-feedback driver serves it.
struct DeviceInstance
{
    std::string productName;
    bool forceFeedbackDriver = false;
};

// One input object of a controller, as its object enumeration lists it.
struct DeviceObject
{
    int id = 0;
    bool isAxis = false;
};

// What a force-feedback effect plays: a rumble of a strength (0 to 1) for a
// length in milliseconds.
struct RumbleEffect
{
    float strength = 0.0f;
    uint32_t lengthMs = 0;
};

class Effect
{
  public:
    virtual ~Effect();
    // Plays the effect iterations times; flags as DirectInput's Start (0).
    virtual HRESULT Start(uint32_t iterations, uint32_t flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Unload() = 0;
};

class Device
{
  public:
    virtual ~Device();
    virtual HRESULT SetDataFormat(DataFormat format) = 0;
    // window: the SDL_Window* of the game window (null on the null back-end).
    virtual HRESULT SetCooperativeLevel(void* window, uint32_t flags) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT Poll() = 0;
};

class Keyboard : public Device
{
  public:
    // 256 bytes, one per keyboard code, 0x80 while the key is down.
    virtual HRESULT GetState(uint8_t keys[256]) = 0;
};

class Mouse : public Device
{
  public:
    virtual HRESULT GetState(MouseState& state) = 0;
    // The system cursor in client pixels of the game window, with the
    // client size it was measured in (GetCursorPos and ScreenToClient);
    // false when there is no cursor position to give.
    virtual bool GetCursorPos(int& x, int& y, int& clientWidth, int& clientHeight) = 0;
};

class Joystick : public Device
{
  public:
    virtual HRESULT GetCapabilities(DeviceCaps& caps) = 0;
    virtual HRESULT GetDeviceInfo(DeviceInstance& instance) = 0;
    // Calls visit for every object until it returns false.
    virtual HRESULT EnumObjects(const std::function<bool(const DeviceObject&)>& visit) = 0;
    // The range an axis reports (DIPROP_RANGE); the default is 0 to 65535.
    virtual HRESULT SetAxisRange(int objectId, int32_t minimum, int32_t maximum) = 0;
    virtual HRESULT GetState(JoystickState& state) = 0;
    virtual HRESULT CreateEffect(const RumbleEffect& effect, std::unique_ptr<Effect>& out) = 0;
};

// An attached controller as device enumeration lists it.
struct JoystickInstance
{
    int index = 0;
    std::string productName;
};

// The DirectInput object: makes the devices.
class DirectInput
{
  public:
    // DirectInput8Create on the selected back-end.
    static HRESULT Create(std::unique_ptr<DirectInput>& out);
    virtual ~DirectInput();

    virtual HRESULT CreateKeyboard(std::unique_ptr<Keyboard>& out) = 0;
    virtual HRESULT CreateMouse(std::unique_ptr<Mouse>& out) = 0;
    // Calls found for every attached controller until it returns false.
    virtual HRESULT EnumJoysticks(const std::function<bool(const JoystickInstance&)>& found) = 0;
    virtual HRESULT CreateJoystick(const JoystickInstance& instance, std::unique_ptr<Joystick>& out) = 0;
};
} // namespace input
