// The null input back-end over the test-driven state.
#include "platform/input/null/NullInput.h"

#include <cstring>

namespace input::null
{
namespace
{
NullInputState s_state;

// A controller of the state by its position; gone when a reset removed it.
NullJoystick* Find(size_t index)
{
    return index < s_state.joysticks.size() ? &s_state.joysticks[index] : nullptr;
}

HRESULT Result(Call call)
{
    return s_state.Fails(call) ? DIERR_GENERIC : DI_OK;
}

class NullKeyboard : public Keyboard
{
  public:
    HRESULT SetDataFormat(DataFormat format) override
    {
        if (format != DataFormat::Keyboard)
            return DIERR_INVALIDPARAM;
        return Result(Call::KeyboardDataFormat);
    }
    HRESULT SetCooperativeLevel(void*, uint32_t) override { return Result(Call::KeyboardCooperativeLevel); }
    HRESULT Acquire() override
    {
        const HRESULT result = Result(Call::KeyboardAcquire);
        m_Acquired = !Failed(result);
        return result;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override { return m_Acquired ? DI_OK : DIERR_NOTACQUIRED; }
    HRESULT GetState(uint8_t keys[256]) override
    {
        ++s_state.keyboardReads;
        if (!s_state.frames.empty())
        {
            auto change = std::move(s_state.frames.front());
            s_state.frames.pop_front();
            change(s_state);
        }
        if (s_state.Fails(Call::KeyboardGetState))
            return DIERR_INPUTLOST;
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        std::memcpy(keys, s_state.keys, 256);
        return DI_OK;
    }

  private:
    bool m_Acquired = false;
};

class NullMouse : public Mouse
{
  public:
    HRESULT SetDataFormat(DataFormat format) override
    {
        if (format != DataFormat::Mouse)
            return DIERR_INVALIDPARAM;
        return Result(Call::MouseDataFormat);
    }
    HRESULT SetCooperativeLevel(void*, uint32_t) override { return Result(Call::MouseCooperativeLevel); }
    HRESULT Acquire() override
    {
        const HRESULT result = Result(Call::MouseAcquire);
        m_Acquired = !Failed(result);
        return result;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override { return m_Acquired ? DI_OK : DIERR_NOTACQUIRED; }
    HRESULT GetState(MouseState& state) override
    {
        if (s_state.Fails(Call::MouseGetState))
            return DIERR_INPUTLOST;
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        state = s_state.mouse;
        s_state.mouse.lX = s_state.mouse.lY = s_state.mouse.lZ = 0;
        return DI_OK;
    }
    bool GetCursorPos(int& x, int& y, int& clientWidth, int& clientHeight) override
    {
        if (!s_state.hasCursor)
            return false;
        x = s_state.cursorX;
        y = s_state.cursorY;
        clientWidth = s_state.clientWidth;
        clientHeight = s_state.clientHeight;
        return true;
    }

  private:
    bool m_Acquired = false;
};

class NullEffect : public Effect
{
  public:
    NullEffect(size_t joystick, int effect) : m_Joystick(joystick), m_Effect(effect) {}
    HRESULT Start(uint32_t iterations, uint32_t) override
    {
        NullJoystick* joystick = Find(m_Joystick);
        if (!joystick)
            return DIERR_UNPLUGGED;
        for (uint32_t i = 0; i < iterations; ++i)
            joystick->startedEffects.push_back(m_Effect);
        return DI_OK;
    }
    HRESULT Stop() override { return DI_OK; }
    HRESULT Unload() override { return DI_OK; }

  private:
    size_t m_Joystick;
    int m_Effect;
};

class NullJoystickDevice : public Joystick
{
  public:
    explicit NullJoystickDevice(size_t index) : m_Index(index) {}

    HRESULT SetDataFormat(DataFormat format) override
    {
        if (format != DataFormat::Joystick2)
            return DIERR_INVALIDPARAM;
        return ResultOf(&NullJoystick::dataFormatResult);
    }
    HRESULT SetCooperativeLevel(void*, uint32_t) override
    {
        return ResultOf(&NullJoystick::cooperativeLevelResult);
    }
    HRESULT Acquire() override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        ++joystick->acquireCalls;
        m_Acquired = !Failed(joystick->acquireResult);
        return joystick->acquireResult;
    }
    HRESULT Unacquire() override
    {
        m_Acquired = false;
        return DI_OK;
    }
    HRESULT Poll() override
    {
        const HRESULT result = ResultOf(&NullJoystick::pollResult);
        if (!Failed(result) && !m_Acquired)
            return DIERR_NOTACQUIRED;
        return result;
    }
    HRESULT GetCapabilities(DeviceCaps& caps) override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        if (Failed(joystick->capabilitiesResult))
            return joystick->capabilitiesResult;
        caps = joystick->caps;
        caps.forceFeedback = joystick->forceFeedback;
        return DI_OK;
    }
    HRESULT GetDeviceInfo(DeviceInstance& instance) override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        instance.productName = joystick->productName;
        instance.forceFeedbackDriver = joystick->forceFeedback;
        return DI_OK;
    }
    HRESULT EnumObjects(const std::function<bool(const DeviceObject&)>& visit) override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        if (Failed(joystick->enumObjectsResult))
            return joystick->enumObjectsResult;
        const DeviceCaps caps = joystick->caps;
        int id = 0;
        for (int i = 0; i < caps.axes; ++i)
            if (!visit({id++, true}))
                return DI_OK;
        for (int i = 0; i < caps.buttons + caps.povs; ++i)
            if (!visit({id++, false}))
                return DI_OK;
        return DI_OK;
    }
    HRESULT SetAxisRange(int, int32_t minimum, int32_t maximum) override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        if (Failed(joystick->axisRangeResult))
            return joystick->axisRangeResult;
        joystick->axisRangeMinimum = minimum;
        joystick->axisRangeMaximum = maximum;
        return DI_OK;
    }
    HRESULT GetState(JoystickState& state) override
    {
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        if (Failed(joystick->getStateResult))
            return joystick->getStateResult;
        if (!m_Acquired)
            return DIERR_NOTACQUIRED;
        state = joystick->state;
        return DI_OK;
    }
    HRESULT CreateEffect(const RumbleEffect& effect, std::unique_ptr<Effect>& out) override
    {
        out.reset();
        NullJoystick* joystick = Find(m_Index);
        if (!joystick)
            return DIERR_UNPLUGGED;
        if (!joystick->forceFeedback)
            return DIERR_UNSUPPORTED;
        if (Failed(joystick->createEffectResult))
            return joystick->createEffectResult;
        joystick->effects.push_back(effect);
        out = std::make_unique<NullEffect>(m_Index, int(joystick->effects.size()) - 1);
        return DI_OK;
    }

  private:
    HRESULT ResultOf(HRESULT NullJoystick::*result) const
    {
        const NullJoystick* joystick = Find(m_Index);
        return joystick ? joystick->*result : DIERR_UNPLUGGED;
    }

    size_t m_Index;
    bool m_Acquired = false;
};

class NullDirectInput : public DirectInput
{
  public:
    HRESULT CreateKeyboard(std::unique_ptr<Keyboard>& out) override
    {
        out.reset();
        if (s_state.Fails(Call::CreateKeyboard))
            return DIERR_DEVICENOTREG;
        out = std::make_unique<NullKeyboard>();
        return DI_OK;
    }
    HRESULT CreateMouse(std::unique_ptr<Mouse>& out) override
    {
        out.reset();
        if (s_state.Fails(Call::CreateMouse))
            return DIERR_DEVICENOTREG;
        out = std::make_unique<NullMouse>();
        return DI_OK;
    }
    HRESULT EnumJoysticks(const std::function<bool(const JoystickInstance&)>& found) override
    {
        if (s_state.Fails(Call::EnumJoysticks))
            return DIERR_GENERIC;
        for (size_t i = 0; i < s_state.joysticks.size(); ++i)
            if (!found({int(i), s_state.joysticks[i].productName}))
                break;
        return DI_OK;
    }
    HRESULT CreateJoystick(const JoystickInstance& instance, std::unique_ptr<Joystick>& out) override
    {
        out.reset();
        const NullJoystick* joystick = Find(size_t(instance.index));
        if (!joystick)
            return DIERR_DEVICENOTREG;
        if (Failed(joystick->createResult))
            return joystick->createResult;
        out = std::make_unique<NullJoystickDevice>(size_t(instance.index));
        return DI_OK;
    }
};
} // namespace

JoystickState NullJoystick::CentredState()
{
    JoystickState state;
    for (uint32_t& pov : state.povs)
        pov = kPovCentred;
    return state;
}

NullJoystick& NullInputState::AddJoystick(const std::string& productName, bool forceFeedback)
{
    NullJoystick& joystick = joysticks.emplace_back();
    joystick.productName = productName;
    joystick.forceFeedback = forceFeedback;
    return joystick;
}

NullInputState& State()
{
    return s_state;
}

void Reset()
{
    s_state = NullInputState();
}

HRESULT CreateDirectInput(std::unique_ptr<DirectInput>& out)
{
    if (s_state.Fails(Call::CreateDirectInput))
        return DIERR_GENERIC;
    out = std::make_unique<NullDirectInput>();
    return DI_OK;
}
} // namespace input::null
