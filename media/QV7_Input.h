// Keyboard, mouse and game controllers, read once per frame. Every screen
// loop calls Poll right after the frame gate, then asks IsKeyDown about the
// codes it cares about and reads the mouse fields directly; the key-binding
// pages detect a new binding with GetPressedCode and the controller
// detectors of QV7_Joysticks.
#pragma once

#include "media/QV7_Joysticks.h"
#include "platform/input/DirectInput.h"
#include "shell/GameSettings.h"

#include <cstdint>
#include <memory>

class QV7_Input
{
  public:
    // Publishes g_input and opens the devices; a device that cannot be opened
    // is logged and left out, never an error.
    QV7_Input();
    ~QV7_Input();
    QV7_Input(const QV7_Input&) = delete;
    QV7_Input& operator=(const QV7_Input&) = delete;

    // Reads keyboard, mouse, cursor and the selected controller. While the
    // graphics device is lost every state keeps the previous frame's values;
    // an unreadable keyboard or mouse re-opens the devices.
    void Poll();
    // 1 while a key (0-255), a hat direction or a button of the selected
    // controller is down at the last poll; 0 for axis codes and anything else.
    int IsKeyDown(InputCode code) const;
    // The lowest pressed keyboard code, else the selected controller's first
    // pressed button code, else -1.
    InputCode GetPressedCode() const;
    // Closes and re-opens every device on this same object; the cursor keeps
    // its place and no controller stays selected.
    void Reinitialize();

    // The viewport the cursor is kept in (the device's back-buffer size).
    void SetViewport(int width, int height);

    // Set by the engine: true while the graphics device is lost.
    static bool (*s_DeviceIsLost)();

    std::unique_ptr<input::DirectInput> m_DirectInput;
    std::unique_ptr<input::Keyboard> m_Keyboard;
    uint8_t m_KeyState[256] = {}; // bit 7 set while down
    std::unique_ptr<input::Mouse> m_Mouse;
    input::MouseState m_MouseState; // this frame's movement; rgbButtons[0] is the left button
    float m_MouseX = 400.0f;        // cursor, viewport pixels
    float m_MouseY = 300.0f;
    float m_PrevMouseX = 400.0f; // cursor of the previous poll
    float m_PrevMouseY = 300.0f;
    std::unique_ptr<QV7_Joysticks> m_Joysticks;
    int m_ViewportWidth = 800;
    int m_ViewportHeight = 600;

  private:
    void OpenDevices();
    bool OpenKeyboard(void* window, bool fullScreen);
    bool OpenMouse(void* window);
    void CloseDevices();
    void UpdateCursor();
};

extern QV7_Input* g_input;
