// The SDL2 DirectInput object, keyboard and mouse.
#include "platform/input/sdl/SdlInput.h"

#include "platform/input/sdl/ScancodeTable.h"
#include "platform/input/sdl/SdlJoystick.h"

#include <SDL.h>
#include <cstring>

namespace input::sdl
{
namespace
{
// The wheel notch DirectInput reports in the mouse's Z movement.
constexpr int32_t kWheelDelta = 120;

class SdlKeyboard : public Keyboard
{
  public:
    HRESULT SetDataFormat(DataFormat format) override
    {
        return format == DataFormat::Keyboard ? DI_OK : DIERR_INVALIDPARAM;
    }
    HRESULT SetCooperativeLevel(void*, uint32_t) override { return DI_OK; }
    HRESULT Acquire() override
    {
        m_Acquired = true;
        return DI_OK;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override { return m_Acquired ? DI_NOEFFECT : DIERR_NOTACQUIRED; }
    HRESULT GetState(uint8_t keys[256]) override
    {
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        std::memset(keys, 0, 256);
        int count = 0;
        const Uint8* pressed = SDL_GetKeyboardState(&count);
        for (int scancode = 0; pressed && scancode < count; ++scancode)
        {
            const uint8_t code = pressed[scancode] ? KeyCodeOfScancode(scancode) : 0;
            if (code != 0)
                keys[code] = 0x80;
        }
        return DI_OK;
    }

  private:
    bool m_Acquired = false;
};

class SdlMouse : public Mouse
{
  public:
    SdlMouse() { SDL_AddEventWatch(&SdlMouse::WatchWheel, this); }
    ~SdlMouse() override { SDL_DelEventWatch(&SdlMouse::WatchWheel, this); }

    HRESULT SetDataFormat(DataFormat format) override
    {
        return format == DataFormat::Mouse ? DI_OK : DIERR_INVALIDPARAM;
    }
    HRESULT SetCooperativeLevel(void* window, uint32_t) override
    {
        m_Window = static_cast<SDL_Window*>(window);
        return DI_OK;
    }
    HRESULT Acquire() override
    {
        if (!m_Acquired)
        {
            // Movement from before the acquisition is not reported.
            SDL_GetRelativeMouseState(nullptr, nullptr);
            m_Wheel = 0;
        }
        m_Acquired = true;
        return DI_OK;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override { return m_Acquired ? DI_NOEFFECT : DIERR_NOTACQUIRED; }
    HRESULT GetState(MouseState& state) override
    {
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        int dx = 0, dy = 0;
        SDL_GetRelativeMouseState(&dx, &dy);
        const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
        state.lX = dx;
        state.lY = dy;
        state.lZ = m_Wheel;
        m_Wheel = 0;
        state.rgbButtons[0] = (buttons & SDL_BUTTON_LMASK) ? 0x80 : 0;
        state.rgbButtons[1] = (buttons & SDL_BUTTON_RMASK) ? 0x80 : 0;
        state.rgbButtons[2] = (buttons & SDL_BUTTON_MMASK) ? 0x80 : 0;
        state.rgbButtons[3] = (buttons & SDL_BUTTON_X1MASK) ? 0x80 : 0;
        return DI_OK;
    }
    bool GetCursorPos(int& x, int& y, int& clientWidth, int& clientHeight) override
    {
        if (!m_Window)
            return false;
        if (SDL_GetMouseFocus() == m_Window)
        {
            SDL_GetMouseState(&x, &y);
        }
        else
        {
            // Outside the window the position comes from the desktop, as
            // ScreenToClient gives it: it may lie outside the client area.
            int screenX = 0, screenY = 0, windowX = 0, windowY = 0;
            SDL_GetGlobalMouseState(&screenX, &screenY);
            SDL_GetWindowPosition(m_Window, &windowX, &windowY);
            x = screenX - windowX;
            y = screenY - windowY;
        }
        SDL_GetWindowSize(m_Window, &clientWidth, &clientHeight);
        return true;
    }

  private:
    // SDL keeps no wheel state, so the wheel events are summed as they are pumped.
    static int WatchWheel(void* self, SDL_Event* event)
    {
        if (event->type == SDL_MOUSEWHEEL)
        {
            auto* mouse = static_cast<SdlMouse*>(self);
            const int notches =
                event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event->wheel.y : event->wheel.y;
            mouse->m_Wheel += notches * kWheelDelta;
        }
        return 0;
    }

    SDL_Window* m_Window = nullptr;
    bool m_Acquired = false;
    int32_t m_Wheel = 0;
};

class SdlDirectInput : public DirectInput
{
  public:
    SdlDirectInput()
    {
        // A machine without controller or haptic support simply has no
        // controllers: neither failure is an error.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        m_Events = SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
        m_Controllers = SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) == 0;
        m_Haptic = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
    }
    ~SdlDirectInput() override
    {
        if (m_Haptic)
            SDL_QuitSubSystem(SDL_INIT_HAPTIC);
        if (m_Controllers)
            SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        if (m_Events)
            SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }

    HRESULT CreateKeyboard(std::unique_ptr<Keyboard>& out) override
    {
        out = std::make_unique<SdlKeyboard>();
        return DI_OK;
    }
    HRESULT CreateMouse(std::unique_ptr<Mouse>& out) override
    {
        out = std::make_unique<SdlMouse>();
        return DI_OK;
    }
    HRESULT EnumJoysticks(const std::function<bool(const JoystickInstance&)>& found) override
    {
        if (!m_Controllers)
            return DI_OK;
        SDL_JoystickUpdate();
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i)
            if (!found({i, JoystickProductName(i)}))
                break;
        return DI_OK;
    }
    HRESULT CreateJoystick(const JoystickInstance& instance, std::unique_ptr<Joystick>& out) override
    {
        out.reset();
        if (!m_Controllers)
            return DIERR_DEVICENOTREG;
        return OpenJoystick(instance.index, m_Haptic, out);
    }

  private:
    bool m_Events = false;
    bool m_Controllers = false;
    bool m_Haptic = false;
};
} // namespace

HRESULT CreateDirectInput(std::unique_ptr<DirectInput>& out)
{
    out = std::make_unique<SdlDirectInput>();
    return DI_OK;
}
} // namespace input::sdl
