// Opening, reading and closing the input devices.
#include "media/QV7_Input.h"

#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cstring>

QV7_Input* g_input = nullptr;
bool (*QV7_Input::s_DeviceIsLost)() = nullptr;

namespace
{
void* GameWindowHandle()
{
    if (g_windowsData && g_windowsData->m_Window)
        return g_windowsData->m_Window->NativeHandle();
    return nullptr;
}

bool EngineIsFullScreen()
{
    return QV7_Windows::s_EngineIsFullScreen && QV7_Windows::s_EngineIsFullScreen();
}
} // namespace

QV7_Input::QV7_Input()
{
    g_input = this;
    QV7_Logger::Log(g_logger, "INFO: Initialize Input");
    OpenDevices();
}

QV7_Input::~QV7_Input()
{
    m_Joysticks.reset();
    if (g_input == this)
        g_input = nullptr;
    QV7_Logger::Log(g_logger, "INFO: Unload Input");
    CloseDevices();
    QV7_Logger::Log(g_logger, "INFO: Unload Input: DONE");
}

void QV7_Input::OpenDevices()
{
    if (input::Failed(input::DirectInput::Create(m_DirectInput)))
    {
        m_DirectInput.reset();
        QV7_Logger::Log(g_logger, "ERROR: Initialize Input: Creating DirectX Input Object FAILED");
        return;
    }
    void* window = GameWindowHandle();
    if (!OpenKeyboard(window, EngineIsFullScreen()) || !OpenMouse(window))
        return;
    m_Joysticks = std::make_unique<QV7_Joysticks>();
    m_Joysticks->Enumerate(*m_DirectInput, window);
    QV7_Logger::Log(g_logger, "INFO: Initialize Input: DONE");
}

bool QV7_Input::OpenKeyboard(void* window, bool fullScreen)
{
    const char* failure = nullptr;
    if (input::Failed(m_DirectInput->CreateKeyboard(m_Keyboard)))
        failure = "ERROR: Initialize Input: [KEYBOARD] Creating DirectX Input Device FAILED";
    else if (input::Failed(m_Keyboard->SetDataFormat(input::DataFormat::Keyboard)))
        failure = "ERROR: Initialize Input: [KEYBOARD] Setting Data Format FAILED";
    else
    {
        const uint32_t level =
            fullScreen ? input::DISCL_NONEXCLUSIVE | input::DISCL_FOREGROUND | input::DISCL_NOWINKEY
                       : input::DISCL_NONEXCLUSIVE | input::DISCL_BACKGROUND;
        if (input::Failed(m_Keyboard->SetCooperativeLevel(window, level)))
            failure = "ERROR: Initialize Input: [KEYBOARD] Setting CooperativeLevel FAILED";
    }
    if (failure)
    {
        QV7_Logger::Log(g_logger, "%s", failure);
        m_Keyboard.reset();
        m_DirectInput.reset();
        return false;
    }
    if (input::Failed(m_Keyboard->Acquire()))
    {
        QV7_Logger::Log(g_logger, "ERROR: Initialize Input: [KEYBOARD] Acquire FAILED");
        return false;
    }
    return true;
}

bool QV7_Input::OpenMouse(void* window)
{
    if (input::Failed(m_DirectInput->CreateMouse(m_Mouse)))
    {
        m_Mouse.reset();
        QV7_Logger::Log(g_logger, "ERROR: Initialize Input: [MOUSE] Creating DirectX Input Device FAILED");
        return false;
    }
    if (input::Failed(
            m_Mouse->SetCooperativeLevel(window, input::DISCL_NONEXCLUSIVE | input::DISCL_BACKGROUND)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Initialize Input: [MOUSE] Setting CooperativeLevel FAILED");
        return false;
    }
    if (input::Failed(m_Mouse->SetDataFormat(input::DataFormat::Mouse)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Initialize Input: [MOUSE] Setting Data Format FAILED");
        return false;
    }
    if (input::Failed(m_Mouse->Acquire()))
    {
        QV7_Logger::Log(g_logger, "Initialize Input: [MOUSE] Acquire FAILED");
        return false;
    }
    return true;
}

void QV7_Input::CloseDevices()
{
    m_Joysticks.reset();
    if (m_Mouse)
        m_Mouse->Unacquire();
    if (m_Keyboard)
        m_Keyboard->Unacquire();
    m_Mouse.reset();
    m_Keyboard.reset();
    m_DirectInput.reset();
}

void QV7_Input::Reinitialize()
{
    QV7_Logger::Log(g_logger, "INFO: Unload Input");
    CloseDevices();
    QV7_Logger::Log(g_logger, "INFO: Unload Input: DONE");
    OpenDevices();
}

void QV7_Input::Poll()
{
    if (s_DeviceIsLost && s_DeviceIsLost())
        return;
    if (!m_Keyboard)
        return;
    m_Keyboard->Poll();
    uint8_t keys[256];
    if (input::Failed(m_Keyboard->GetState(keys)))
    {
        Reinitialize();
        return;
    }
    std::memcpy(m_KeyState, keys, sizeof(keys));

    if (!m_Mouse)
        return;
    m_MouseState = input::MouseState();
    if (input::Failed(m_Mouse->GetState(m_MouseState)))
    {
        m_MouseState = input::MouseState();
        Reinitialize();
        return;
    }
    UpdateCursor();
    if (m_Joysticks)
        m_Joysticks->Poll();
}

void QV7_Input::UpdateCursor()
{
    m_PrevMouseX = m_MouseX;
    m_PrevMouseY = m_MouseY;
    m_MouseX += float(m_MouseState.lX);
    m_MouseY += float(m_MouseState.lY);
    int x = 0, y = 0, clientWidth = 0, clientHeight = 0;
    if (m_Mouse->GetCursorPos(x, y, clientWidth, clientHeight))
    {
        // A full-screen window shows the back buffer scaled to the desktop,
        // so window pixels are brought back to viewport pixels.
        m_MouseX = float(x);
        m_MouseY = float(y);
        if (clientWidth > 0 && clientHeight > 0)
        {
            m_MouseX = float(x) * float(m_ViewportWidth) / float(clientWidth);
            m_MouseY = float(y) * float(m_ViewportHeight) / float(clientHeight);
        }
    }
    m_MouseX = std::clamp(m_MouseX, 0.0f, float(m_ViewportWidth));
    m_MouseY = std::clamp(m_MouseY, 0.0f, float(m_ViewportHeight));
}

int QV7_Input::IsKeyDown(InputCode code) const
{
    if (code >= 0 && code <= 255)
        return (m_KeyState[code] & 0x80) ? 1 : 0;
    if (code >= 500 && code <= 561 && m_Joysticks && m_Joysticks->GetSelected())
        return m_Joysticks->GetCodeState(code) == 1 ? 1 : 0;
    return 0;
}

InputCode QV7_Input::GetPressedCode() const
{
    for (int code = 0; code < 256; ++code)
        if (m_KeyState[code] & 0x80)
            return code;
    if (m_Joysticks && m_Joysticks->GetSelected())
        return m_Joysticks->GetPressedButtonCode();
    return -1;
}

void QV7_Input::SetViewport(int width, int height)
{
    m_ViewportWidth = std::max(width, 0);
    m_ViewportHeight = std::max(height, 0);
}
