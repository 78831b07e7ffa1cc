// The attached game controllers and the one selected for driving. Every
// controller question the game asks goes to the selected controller in the
// InputCode space: axis halves 500 to 511, hat directions 514 to 529, buttons
// 530 to 561. Each controller has ten force-feedback effect slots.
#pragma once

#include "media/ForceFeedbackEffects.h"
#include "platform/input/DirectInput.h"
#include "shell/GameSettings.h"
#include "shell/QV7_Collection.h"

#include <memory>

// The selected index while no controller is selected.
constexpr int NO_JOYSTICK_SELECTED = -128;
// Consecutive failed reads after which the selected controller is dropped.
constexpr int JOYSTICK_MAX_FAILED_READS = 26;

struct JoystickDevice
{
    ~JoystickDevice();
    // Unloads and releases every effect, then unacquires and releases the device.
    void Release();

    std::unique_ptr<input::Joystick> m_Device;
    input::DeviceCaps m_Caps;
    input::JoystickState m_State;
    input::DeviceInstance m_Instance; // m_Instance.productName is the [Controller] Device value
    int m_ForceFeedback = 0;
    std::unique_ptr<input::Effect> m_Effects[FORCE_FEEDBACK_SLOTS];
};

class QV7_Joysticks
{
  public:
    // An empty list with nothing selected; publishes g_joysticks.
    QV7_Joysticks();
    ~QV7_Joysticks();

    // Finds and sets up every attached controller. window: the SDL window the
    // controllers belong to (may be null).
    void Enumerate(input::DirectInput& directInput, void* window);
    // Reads the selected controller; drops it after 26 failed reads in a row.
    void Poll();

    // Axis codes: the axis value beyond the dead zone of 50 on that side, else
    // 0. Hat codes: 1 when the hat points exactly that way. Button codes: 1
    // while down. Anything else, or nothing selected: 0.
    int GetCodeState(InputCode code) const;
    // The binding detectors: the first pressed button, the first axis moved
    // 200 or more from the centre, the first hat pointing straight in one of
    // its four directions; -1 when none (or nothing selected).
    InputCode GetPressedButtonCode() const;
    InputCode GetMovedAxisCode() const;
    InputCode GetPressedPovCode() const;

    JoystickDevice* AddDevice();
    void RemoveDevice(int index);
    void Clear();

    // The selected controller, or null.
    JoystickDevice* GetSelected() const;
    // Selects a controller by index (NO_JOYSTICK_SELECTED for none).
    void Select(int index);
    // Starts effect slot of the selected controller once, when it has force
    // feedback and the slot holds an effect.
    void StartEffect(int slot) const;

    QV7_Collection<JoystickDevice> m_Devices;
    int m_Selected = NO_JOYSTICK_SELECTED;
    int m_SetupIndex = 0;
    int m_FailedReads = 0;

  private:
    bool OnJoystickFound(input::DirectInput& directInput, const input::JoystickInstance& instance);
    void SetUpDevice(JoystickDevice& device, void* window);
    void CreateEffects(JoystickDevice& device);
    void OnReadFailed();
};

extern QV7_Joysticks* g_joysticks;
