// Game controllers and their rumble over SDL2.
#include "platform/input/sdl/SdlJoystick.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

namespace input::sdl
{
namespace
{
constexpr int kMaxAxes = AXIS_COUNT + 2; // six axes and two sliders
constexpr int kMaxPovs = 4;
constexpr int kMaxButtons = 128;

// Button order of a mapped game controller.
constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,
    SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,
    SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};
constexpr int kControllerButtonCount = int(sizeof(kControllerButtons) / sizeof(kControllerButtons[0]));

// What rumbles a controller; shared with its effects, which may outlive the
// open controller and then do nothing.
struct RumbleTarget
{
    SDL_Joystick* joystick = nullptr; // set when SDL's rumble works
    SDL_Haptic* haptic = nullptr;     // set when only the haptic rumble does
};

Uint16 RumbleLevel(float strength)
{
    return Uint16(std::lround(std::clamp(strength, 0.0f, 1.0f) * 65535.0f));
}

class SdlRumbleEffect : public Effect
{
  public:
    SdlRumbleEffect(std::shared_ptr<RumbleTarget> target, const RumbleEffect& effect)
        : m_Target(std::move(target)), m_Effect(effect)
    {
    }
    HRESULT Start(uint32_t iterations, uint32_t) override
    {
        const uint32_t length = m_Effect.lengthMs * std::max<uint32_t>(iterations, 1);
        if (m_Target->joystick)
        {
            // The heavy motor carries the strength, the light one half of it,
            // so a strong effect feels deeper than a weak one.
            const Uint16 low = RumbleLevel(m_Effect.strength);
            const Uint16 high = RumbleLevel(m_Effect.strength * 0.5f);
            return SDL_JoystickRumble(m_Target->joystick, low, high, length) == 0 ? DI_OK : DIERR_INPUTLOST;
        }
        if (m_Target->haptic)
            return SDL_HapticRumblePlay(m_Target->haptic, m_Effect.strength, length) == 0 ? DI_OK
                                                                                          : DIERR_INPUTLOST;
        return DIERR_NOTACQUIRED;
    }
    HRESULT Stop() override
    {
        if (m_Target->joystick)
            SDL_JoystickRumble(m_Target->joystick, 0, 0, 0);
        else if (m_Target->haptic)
            SDL_HapticRumbleStop(m_Target->haptic);
        return DI_OK;
    }
    HRESULT Unload() override { return Stop(); }

  private:
    std::shared_ptr<RumbleTarget> m_Target;
    RumbleEffect m_Effect;
};

class SdlJoystick : public Joystick
{
  public:
    SdlJoystick(SDL_GameController* controller, SDL_Joystick* joystick, bool haptic)
        : m_Controller(controller), m_Joystick(joystick), m_Target(std::make_shared<RumbleTarget>())
    {
        for (int i = 0; i < kMaxAxes; ++i)
            m_Range[i] = {0, 65535};
        if (SDL_JoystickHasRumble(m_Joystick))
        {
            m_Target->joystick = m_Joystick;
        }
        else if (haptic && SDL_JoystickIsHaptic(m_Joystick) == SDL_TRUE)
        {
            m_Haptic = SDL_HapticOpenFromJoystick(m_Joystick);
            if (m_Haptic && SDL_HapticRumbleSupported(m_Haptic) == SDL_TRUE &&
                SDL_HapticRumbleInit(m_Haptic) == 0)
                m_Target->haptic = m_Haptic;
        }
    }
    ~SdlJoystick() override
    {
        m_Target->joystick = nullptr;
        m_Target->haptic = nullptr;
        if (m_Haptic)
            SDL_HapticClose(m_Haptic);
        if (m_Controller)
            SDL_GameControllerClose(m_Controller);
        else
            SDL_JoystickClose(m_Joystick);
    }

    HRESULT SetDataFormat(DataFormat format) override
    {
        return format == DataFormat::Joystick2 ? DI_OK : DIERR_INVALIDPARAM;
    }
    HRESULT SetCooperativeLevel(void*, uint32_t) override { return DI_OK; }
    HRESULT Acquire() override
    {
        if (!SDL_JoystickGetAttached(m_Joystick))
            return DIERR_UNPLUGGED;
        m_Acquired = true;
        return DI_OK;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override
    {
        if (!SDL_JoystickGetAttached(m_Joystick))
            return DIERR_INPUTLOST;
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        SDL_JoystickUpdate();
        return DI_OK;
    }
    HRESULT GetCapabilities(DeviceCaps& caps) override
    {
        if (m_Controller)
        {
            caps.axes = AXIS_COUNT;
            caps.buttons = kControllerButtonCount;
            caps.povs = 1;
        }
        else
        {
            caps.axes = std::clamp(SDL_JoystickNumAxes(m_Joystick), 0, kMaxAxes);
            caps.buttons = std::clamp(SDL_JoystickNumButtons(m_Joystick), 0, kMaxButtons);
            caps.povs = std::clamp(SDL_JoystickNumHats(m_Joystick), 0, kMaxPovs);
        }
        caps.forceFeedback = HasRumble();
        return DI_OK;
    }
    HRESULT GetDeviceInfo(DeviceInstance& instance) override
    {
        const char* name = m_Controller ? SDL_GameControllerName(m_Controller) : SDL_JoystickName(m_Joystick);
        instance.productName = name ? name : "Game Controller";
        instance.forceFeedbackDriver = HasRumble();
        return DI_OK;
    }
    HRESULT EnumObjects(const std::function<bool(const DeviceObject&)>& visit) override
    {
        DeviceCaps caps;
        GetCapabilities(caps);
        int id = 0;
        for (int i = 0; i < caps.axes; ++i)
            if (!visit({id++, true}))
                return DI_OK;
        for (int i = 0; i < caps.povs + caps.buttons; ++i)
            if (!visit({id++, false}))
                return DI_OK;
        return DI_OK;
    }
    HRESULT SetAxisRange(int objectId, int32_t minimum, int32_t maximum) override
    {
        if (objectId < 0 || objectId >= kMaxAxes || minimum >= maximum)
            return DIERR_INVALIDPARAM;
        m_Range[objectId] = {minimum, maximum};
        return DI_OK;
    }
    HRESULT GetState(JoystickState& state) override
    {
        if (!SDL_JoystickGetAttached(m_Joystick))
            return DIERR_UNPLUGGED;
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        state = JoystickState();
        for (uint32_t& pov : state.povs)
            pov = kPovCentred;
        if (m_Controller)
            ReadController(state);
        else
            ReadJoystick(state);
        return DI_OK;
    }
    HRESULT CreateEffect(const RumbleEffect& effect, std::unique_ptr<Effect>& out) override
    {
        out.reset();
        if (!HasRumble())
            return DIERR_UNSUPPORTED;
        out = std::make_unique<SdlRumbleEffect>(m_Target, effect);
        return DI_OK;
    }

  private:
    struct Range
    {
        int32_t minimum;
        int32_t maximum;
    };

    bool HasRumble() const { return m_Target->joystick || m_Target->haptic; }

    void ReadController(JoystickState& state) const
    {
        auto stick = [&](SDL_GameControllerAxis axis, int slot)
        {
            state.axes[slot] = ScaleStickAxis(SDL_GameControllerGetAxis(m_Controller, axis),
                                              m_Range[slot].minimum, m_Range[slot].maximum);
        };
        auto trigger = [&](SDL_GameControllerAxis axis, int slot)
        {
            state.axes[slot] = ScaleTriggerAxis(SDL_GameControllerGetAxis(m_Controller, axis),
                                                m_Range[slot].minimum, m_Range[slot].maximum);
        };
        stick(SDL_CONTROLLER_AXIS_LEFTX, AXIS_X);
        stick(SDL_CONTROLLER_AXIS_LEFTY, AXIS_Y);
        trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT, AXIS_Z);
        stick(SDL_CONTROLLER_AXIS_RIGHTX, AXIS_RX);
        stick(SDL_CONTROLLER_AXIS_RIGHTY, AXIS_RY);
        trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, AXIS_RZ);

        uint8_t hat = SDL_HAT_CENTERED;
        if (SDL_GameControllerGetButton(m_Controller, SDL_CONTROLLER_BUTTON_DPAD_UP))
            hat |= SDL_HAT_UP;
        if (SDL_GameControllerGetButton(m_Controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT))
            hat |= SDL_HAT_RIGHT;
        if (SDL_GameControllerGetButton(m_Controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN))
            hat |= SDL_HAT_DOWN;
        if (SDL_GameControllerGetButton(m_Controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT))
            hat |= SDL_HAT_LEFT;
        state.povs[0] = PovOfHat(hat);

        for (int i = 0; i < kControllerButtonCount; ++i)
            state.buttons[i] = SDL_GameControllerGetButton(m_Controller, kControllerButtons[i]) ? 0x80 : 0;
    }

    void ReadJoystick(JoystickState& state) const
    {
        const int axes = std::clamp(SDL_JoystickNumAxes(m_Joystick), 0, kMaxAxes);
        for (int i = 0; i < axes; ++i)
        {
            const int32_t value =
                ScaleStickAxis(SDL_JoystickGetAxis(m_Joystick, i), m_Range[i].minimum, m_Range[i].maximum);
            if (i < AXIS_COUNT)
                state.axes[i] = value;
            else
                state.sliders[i - AXIS_COUNT] = value;
        }
        const int hats = std::clamp(SDL_JoystickNumHats(m_Joystick), 0, kMaxPovs);
        for (int i = 0; i < hats; ++i)
            state.povs[i] = PovOfHat(SDL_JoystickGetHat(m_Joystick, i));
        const int buttons = std::clamp(SDL_JoystickNumButtons(m_Joystick), 0, kMaxButtons);
        for (int i = 0; i < buttons; ++i)
            state.buttons[i] = SDL_JoystickGetButton(m_Joystick, i) ? 0x80 : 0;
    }

    SDL_GameController* m_Controller;
    SDL_Joystick* m_Joystick;
    SDL_Haptic* m_Haptic = nullptr;
    std::shared_ptr<RumbleTarget> m_Target;
    Range m_Range[kMaxAxes];
    bool m_Acquired = false;
};
} // namespace

std::string JoystickProductName(int index)
{
    const char* name =
        SDL_IsGameController(index) ? SDL_GameControllerNameForIndex(index) : SDL_JoystickNameForIndex(index);
    return name ? name : "Game Controller";
}

HRESULT OpenJoystick(int index, bool haptic, std::unique_ptr<Joystick>& out)
{
    out.reset();
    if (SDL_IsGameController(index))
    {
        if (SDL_GameController* controller = SDL_GameControllerOpen(index))
        {
            out =
                std::make_unique<SdlJoystick>(controller, SDL_GameControllerGetJoystick(controller), haptic);
            return DI_OK;
        }
    }
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick)
        return DIERR_DEVICENOTREG;
    out = std::make_unique<SdlJoystick>(nullptr, joystick, haptic);
    return DI_OK;
}

int32_t ScaleStickAxis(int value, int32_t minimum, int32_t maximum)
{
    // -32768 and 32767 reach the ends; 0 lands on the centre within rounding.
    const double t = (double(std::clamp(value, -32768, 32767)) + 32768.0) / 65535.0;
    return int32_t(std::lround(minimum + t * (double(maximum) - double(minimum))));
}

int32_t ScaleTriggerAxis(int value, int32_t minimum, int32_t maximum)
{
    const double centre = (double(minimum) + double(maximum)) / 2.0;
    const double t = double(std::clamp(value, 0, 32767)) / 32767.0;
    return int32_t(std::lround(centre + t * (double(maximum) - centre)));
}

uint32_t PovOfHat(uint8_t hat)
{
    switch (hat)
    {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kPovCentred;
    }
}
} // namespace input::sdl
