// Controller enumeration, set-up, per-frame reading and the code queries.
#include "media/QV7_Joysticks.h"

#include "media/KeyBindings.h"
#include "shell/QV7_Logger.h"

QV7_Joysticks* g_joysticks = nullptr;

namespace
{
constexpr int kDeadZone = 50;
constexpr int kBindingThreshold = 200;
constexpr int kAxisLimit = 1199;
constexpr int kCodeableButtons = 32;
constexpr int kCodeablePovs = 4;
// How often set-up retries acquiring a controller that reports lost input.
constexpr int kAcquireAttempts = 5;

input::JoystickState NeutralState()
{
    input::JoystickState state;
    for (uint32_t& pov : state.povs)
        pov = input::kPovCentred;
    return state;
}
} // namespace

JoystickDevice::~JoystickDevice()
{
    Release();
}

void JoystickDevice::Release()
{
    for (auto& effect : m_Effects)
    {
        if (effect)
        {
            effect->Unload();
            effect.reset();
        }
    }
    if (m_Device)
    {
        m_Device->Unacquire();
        m_Device.reset();
    }
}

QV7_Joysticks::QV7_Joysticks()
{
    g_joysticks = this;
}

QV7_Joysticks::~QV7_Joysticks()
{
    Clear();
    if (g_joysticks == this)
        g_joysticks = nullptr;
}

void QV7_Joysticks::Enumerate(input::DirectInput& directInput, void* window)
{
    const input::HRESULT result = directInput.EnumJoysticks(
        [&](const input::JoystickInstance& instance) { return OnJoystickFound(directInput, instance); });
    if (result != input::DI_OK)
        QV7_Logger::Log(g_logger, "Error: Initialize Controllers: EnumDevices(); FAILED");

    for (m_SetupIndex = 0; m_SetupIndex < m_Devices.Count(); ++m_SetupIndex)
        SetUpDevice(*m_Devices[m_SetupIndex], window);
    QV7_Logger::Log(g_logger, "INFO: Direct Input Controllers loading done");
}

bool QV7_Joysticks::OnJoystickFound(input::DirectInput& directInput, const input::JoystickInstance& instance)
{
    JoystickDevice* device = AddDevice();
    if (input::Failed(directInput.CreateJoystick(instance, device->m_Device)))
    {
        m_Devices.Delete(device);
        return false;
    }
    device->m_Device->GetDeviceInfo(device->m_Instance);
    device->m_ForceFeedback = device->m_Instance.forceFeedbackDriver ? 1 : 0;
    QV7_Logger::Log(g_logger, "INFO: Device found, [%s]", device->m_Instance.productName.c_str());
    return true;
}

void QV7_Joysticks::SetUpDevice(JoystickDevice& device, void* window)
{
    input::Joystick& joystick = *device.m_Device;
    if (input::Failed(joystick.SetDataFormat(input::DataFormat::Joystick2)))
        QV7_Logger::Log(g_logger, "Error: Initialize Controllers: SetDataFormat(); FAILED");
    if (input::Failed(joystick.SetCooperativeLevel(window, input::DISCL_EXCLUSIVE | input::DISCL_FOREGROUND)))
        QV7_Logger::Log(g_logger, "Error: Initialize Controllers: SetCooperativeLevel(); FAILED");
    if (input::Failed(joystick.GetCapabilities(device.m_Caps)))
        QV7_Logger::Log(g_logger, "Error: Initialize Controllers: GetCapabilities(); FAILED");

    // Every axis reports -1000..1000; the dead zone is applied when a code is read.
    const input::HRESULT objects = joystick.EnumObjects(
        [&](const input::DeviceObject& object)
        {
            if (!object.isAxis)
                return true;
            if (input::Failed(joystick.SetAxisRange(object.id, -1000, 1000)))
            {
                QV7_Logger::Log(g_logger, "Error: Initialize Controllers: SetProperty(DIPROP_RANGE): FAILED");
                return false;
            }
            return true;
        });
    if (input::Failed(objects))
        QV7_Logger::Log(g_logger, "Error: Initialize Controllers: EnumObjects(); FAILED");

    if (input::Failed(joystick.Poll()))
    {
        for (int attempt = 0; attempt < kAcquireAttempts; ++attempt)
            if (joystick.Acquire() != input::DIERR_INPUTLOST)
                break;
    }
    if (device.m_ForceFeedback == 1)
        CreateEffects(device);
}

void QV7_Joysticks::CreateEffects(JoystickDevice& device)
{
    for (int slot = 0; slot < FORCE_FEEDBACK_SLOTS; ++slot)
    {
        if (input::Failed(
                device.m_Device->CreateEffect(BuiltInForceFeedbackEffect(slot), device.m_Effects[slot])))
        {
            device.m_Effects[slot].reset();
            QV7_Logger::Log(g_logger, "FF : FAILED to create effect");
        }
    }
}

void QV7_Joysticks::Poll()
{
    JoystickDevice* device = GetSelected();
    if (!device)
        return;
    // A neutral state, not zeros: a zeroed hat would read as pointing up.
    device->m_State = NeutralState();
    input::Joystick& joystick = *device->m_Device;
    if (input::Failed(joystick.Poll()) && joystick.Acquire() == input::DIERR_INPUTLOST)
        return;
    input::JoystickState state;
    if (input::Failed(joystick.GetState(state)))
    {
        OnReadFailed();
        return;
    }
    device->m_State = state;
    m_FailedReads = 0;
}

void QV7_Joysticks::OnReadFailed()
{
    if (++m_FailedReads < JOYSTICK_MAX_FAILED_READS)
        return;
    ResetKeyBindings();
    RemoveDevice(m_Selected);
    SaveKeyBindings();
    m_Selected = NO_JOYSTICK_SELECTED;
    m_FailedReads = 0;
    QV7_Logger::Log(g_logger, "Info: Device removed due to device lost");
}

int QV7_Joysticks::GetCodeState(InputCode code) const
{
    const JoystickDevice* device = GetSelected();
    if (!device)
        return 0;
    const input::JoystickState& state = device->m_State;
    if (code >= 500 && code <= 511)
    {
        const int value = state.axes[(code - 500) / 2];
        const bool positive = (code & 1) != 0;
        if (positive)
            return value > kDeadZone ? value : 0;
        return value < -kDeadZone ? value : 0;
    }
    if (code >= 514 && code <= 529)
    {
        const uint32_t direction = uint32_t((code - 514) % 4) * 9000;
        return state.povs[(code - 514) / 4] == direction ? 1 : 0;
    }
    if (code >= 530 && code <= 561)
        return state.buttons[code - 530] == 0x80 ? 1 : 0;
    return 0;
}

InputCode QV7_Joysticks::GetPressedButtonCode() const
{
    const JoystickDevice* device = GetSelected();
    if (!device)
        return -1;
    for (int i = 0; i < device->m_Caps.buttons && i < kCodeableButtons; ++i)
        if (device->m_State.buttons[i] == 0x80)
            return 530 + i;
    return -1;
}

InputCode QV7_Joysticks::GetMovedAxisCode() const
{
    const JoystickDevice* device = GetSelected();
    if (!device)
        return -1;
    for (int axis = 0; axis < input::AXIS_COUNT; ++axis)
    {
        const int value = device->m_State.axes[axis];
        if (value >= kBindingThreshold && value <= kAxisLimit)
            return 500 + 2 * axis + 1;
        if (value <= -kBindingThreshold && value >= -kAxisLimit)
            return 500 + 2 * axis;
    }
    return -1;
}

InputCode QV7_Joysticks::GetPressedPovCode() const
{
    const JoystickDevice* device = GetSelected();
    if (!device)
        return -1;
    for (int i = 0; i < device->m_Caps.povs && i < kCodeablePovs; ++i)
    {
        const uint32_t value = device->m_State.povs[i];
        if (value == 0 || value == 9000 || value == 18000 || value == 27000)
            return 514 + 4 * i + int(value / 9000);
    }
    return -1;
}

JoystickDevice* QV7_Joysticks::AddDevice()
{
    return m_Devices.Add();
}

void QV7_Joysticks::RemoveDevice(int index)
{
    m_Devices.DeleteAt(index);
}

void QV7_Joysticks::Clear()
{
    m_Devices.Clear();
}

JoystickDevice* QV7_Joysticks::GetSelected() const
{
    if (m_Selected < 0 || m_Selected >= m_Devices.Count())
        return nullptr;
    return m_Devices[m_Selected];
}

void QV7_Joysticks::Select(int index)
{
    if (index != m_Selected)
        m_FailedReads = 0;
    m_Selected = index;
}

void QV7_Joysticks::StartEffect(int slot) const
{
    const JoystickDevice* device = GetSelected();
    if (!device || device->m_ForceFeedback != 1 || slot < 0 || slot >= FORCE_FEEDBACK_SLOTS)
        return;
    if (device->m_Effects[slot])
        device->m_Effects[slot]->Start(1, 0);
}
