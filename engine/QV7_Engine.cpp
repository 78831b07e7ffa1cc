// Device creation, reset, the fan-out of device loss and the engine's
// per-device singletons.
#include "engine/QV7_Engine.h"

#include "media/QV7_Input.h"
#include "media/QV7_VideoPlayer.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Particles2D.h"
#include "media/QV7_Input.h"
#include "platform/win/Window.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Water.h"

QV7_Engine* g_engine = nullptr;
void (*g_raceSessionLostReset)(int lost) = nullptr;
IDirect3DDevice9* g_device = nullptr;

namespace
{
// The module name of the engine's fatal errors.
const char* const kModule = ".\\QV7_Engine";

// The splash stops painting while the engine shows a full-screen picture.
bool EngineIsFullScreen()
{
    return g_engine && g_device && !g_engine->m_PresentParameters.Windowed;
}
} // namespace

int WindowHandleNumber(const win::Window* window)
{
    return int(reinterpret_cast<uintptr_t>(window) & 0x7FFFFFFF);
}

QV7_Engine::QV7_Engine()
{
    DWORD packed = 0;
    char version[32] = {};
    if (GetDirectXVersion(&packed, version, sizeof version) != 0)
        QV7_Logger::Log(g_logger, "INFO: %s", "Unknown version of DirectX installed");
    else if (packed == 0)
        QV7_Logger::Log(g_logger, "INFO: %s", "DirectX not installed");
    else
    {
        char text[64];
        std::snprintf(text, sizeof text, "DirectX %s installed", version);
        QV7_Logger::Log(g_logger, "INFO: %s", text);
    }
    m_ColourDepth = g_windowsData ? g_windowsData->m_Settings.ScreenDepth : 0;

    m_Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_Direct3D)
    {
        win::ShowCursor(true);
        QV7_Logger::Log(g_logger, "ERROR: FAILED to init Direct3DCreate9");
        m_Failed = 1;
        return;
    }
    g_engine = this;
    QV7_Windows::s_EngineIsFullScreen = &EngineIsFullScreen;
    m_AdapterInfo = std::make_unique<QV7_AdapterInfo>(m_Direct3D);
    if (FAILED(m_Direct3D->GetAdapterDisplayMode(UINT(m_Adapter), &m_DesktopMode)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Initialize Windowed: Getting current desktop display mode FAILED");
        // Nothing half-made outlives the throw: the destructor will not run.
        m_AdapterInfo.reset();
        m_Direct3D->Release();
        m_Direct3D = nullptr;
        g_engine = nullptr;
        QV7_Windows::s_EngineIsFullScreen = nullptr;
        ThrowDataError(kModule, __LINE__);
    }
}

QV7_Engine::~QV7_Engine()
{
    DestroySubsystems();
    m_AdapterInfo.reset();
    ReleaseDevice();
    if (m_Direct3D)
        m_Direct3D->Release();
    m_Direct3D = nullptr;
    if (g_engine == this)
    {
        g_engine = nullptr;
        if (QV7_Windows::s_EngineIsFullScreen == &EngineIsFullScreen)
            QV7_Windows::s_EngineIsFullScreen = nullptr;
    }
}

void QV7_Engine::ReleaseDevice()
{
    if (!m_Device)
        return;
    if (g_device == m_Device)
        g_device = nullptr;
    m_Device->Release();
    m_Device = nullptr;
}

// The input devices keep their last state while the device is lost.
bool QV7_Engine::DeviceIsLost()
{
    return g_engine && g_engine->TestCooperativeLevel() != D3D_OK;
}

HRESULT QV7_Engine::TestCooperativeLevel() const
{
    return m_Device ? m_Device->TestCooperativeLevel() : D3DERR_DEVICENOTRESET;
}

void QV7_Engine::ReadDesktopMode()
{
    if (FAILED(m_Direct3D->GetAdapterDisplayMode(UINT(m_Adapter), &m_DesktopMode)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Initialize Windowed: Getting current desktop display mode FAILED");
        ThrowDataError(kModule, __LINE__);
    }
}

void QV7_Engine::TargetSize(int& width, int& height) const
{
    if (m_FullScreen)
    {
        width = m_FullScreenWidth;
        height = m_FullScreenHeight;
        return;
    }
    // The client area of the window; the desktop's when there is none. A
    // minimised window has no area: one pixel keeps the device valid.
    if (m_Window)
        m_Window->GetClientSize(width, height);
    else
        win::GetDesktopSize(width, height);
    width = width > 0 ? width : 1;
    height = height > 0 ? height : 1;
}

void QV7_Engine::BuildPresentParameters()
{
    D3DPRESENT_PARAMETERS& pp = m_PresentParameters;
    pp = {};
    pp.BackBufferFormat = m_DesktopMode.Format;
    const BOOL windowed = m_FullScreen ? FALSE : TRUE;
    const D3DMULTISAMPLE_TYPE wish = D3DMULTISAMPLE_TYPE(m_MultisampleWish);
    pp.MultiSampleType = SUCCEEDED(m_Direct3D->CheckDeviceMultiSampleType(
                             UINT(m_Adapter), m_DeviceType, D3DFMT_X8R8G8B8, windowed, wish, nullptr))
                             ? wish
                             : D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    int width = 0, height = 0;
    TargetSize(width, height);
    if (m_FullScreen)
    {
        if (m_ColourDepth == 32)
            pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        else if (m_ColourDepth == 16)
            pp.BackBufferFormat = D3DFMT_R5G6B5;
    }
    pp.BackBufferWidth = UINT(width);
    pp.BackBufferHeight = UINT(height);
    pp.Windowed = windowed;
    pp.hDeviceWindow = m_Window;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = m_DepthFormatChoice == 1 ? D3DFMT_D24S8 : D3DFMT_D16;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    pp.Flags = 0;
}

void QV7_Engine::ProbeHighestMultisample()
{
    m_HighestMultisample = 0;
    for (int samples = 0; samples <= 14; samples += 2)
    {
        if (FAILED(m_Direct3D->CheckDeviceMultiSampleType(UINT(m_Adapter), D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8,
                                                          FALSE, D3DMULTISAMPLE_TYPE(samples), nullptr)))
            break;
        m_HighestMultisample = samples;
    }
}

DWORD QV7_Engine::ChooseBehaviourFlags(const D3DCAPS9& caps)
{
    DWORD flags = 0;
    if (m_VertexProcessing == 0)
        flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    else if (m_VertexProcessing == 1)
        flags = D3DCREATE_MIXED_VERTEXPROCESSING;
    else if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)
    {
        QV7_Logger::Log(g_logger, "INFO: Hardware Vertex Processing Supported");
        flags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    }
    else
    {
        QV7_Logger::Log(
            g_logger, "INFO: Hardware Vertex Processing NOT Supported; switching to MIXED Vertex Processing");
        flags = D3DCREATE_MIXED_VERTEXPROCESSING;
    }
    if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
    {
        QV7_Logger::Log(g_logger, "INFO: Pure Device is Supported");
        // A pure device needs hardware vertex processing.
        if (m_PureDeviceWanted && (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING))
            flags |= D3DCREATE_PUREDEVICE;
    }
    else
        QV7_Logger::Log(g_logger, "INFO: No Pure Device Supported");
    // All device calls stay on the game thread; the flag keeps the movie's
    // texture locks from another thread safe.
    return flags | D3DCREATE_MULTITHREADED;
}

void QV7_Engine::LogShaderSupport(const D3DCAPS9& caps) const
{
    if (caps.VertexShaderVersion)
        QV7_Logger::Log(g_logger, "INFO: Vertex Shaders Supported; version: %d.%d",
                        int(D3DSHADER_VERSION_MAJOR(caps.VertexShaderVersion)),
                        int(D3DSHADER_VERSION_MINOR(caps.VertexShaderVersion)));
    else
        QV7_Logger::Log(g_logger, "INFO: Vertex Shaders NOT supported");
    if (caps.PixelShaderVersion)
        QV7_Logger::Log(g_logger, "INFO: Pixel Shaders Supported; version: %d.%d",
                        int(D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion)),
                        int(D3DSHADER_VERSION_MINOR(caps.PixelShaderVersion)));
    else
        QV7_Logger::Log(g_logger, "INFO: Pixel Shaders NOT supported");
}

int QV7_Engine::Initialize(int ResetDevice)
{
    if (!m_Direct3D)
        return 0;
    const int count = int(m_Direct3D->GetAdapterCount());
    QV7_Logger::Log(g_logger, "INFO: %d 3D Device(s) Found", count);
    if (m_Adapter < 0 || m_Adapter >= count)
    {
        QV7_Logger::Log(g_logger, "INFO: Selected Adapter incompatible, reset to default.");
        m_Adapter = 0;
    }
    bool reset = ResetDevice != 0;
    if (reset && !m_Device)
    {
        QV7_Logger::Log(g_logger,
                        "WARN: Wrong Argument QV7_Engine::Initialize 'ResetDevice' should be FALSE, "
                        "Device NOT created (Auto Fixed)");
        reset = false;
    }

    const int handle = WindowHandleNumber(m_Window);
    int width = 0, height = 0;
    TargetSize(width, height);
    const char* verb = reset ? "Resize" : "Initialize";
    if (!reset)
        QV7_Logger::Log(g_logger, "INFO: Device: %s [%s] ", m_AdapterInfo->GetDescription(m_Adapter),
                        m_AdapterInfo->GetDriverName(m_Adapter));
    if (m_FullScreen)
        QV7_Logger::Log(g_logger, "INFO: %s: FULLSCREEN HWND(%d) WIDTH(%d) HEIGHT(%d) FORMAT(%d)", verb,
                        handle, width, height, int(m_DesktopMode.Format));
    else
        QV7_Logger::Log(g_logger, "INFO: %s: WINDOWED HWND(%d) FORMAT(%d)", verb, handle,
                        int(m_DesktopMode.Format));

    m_FocusWindow = m_Window;
    ReadDesktopMode();
    m_DeviceType = m_DeviceTypeChoice == 1 ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF;
    BuildPresentParameters();
    ProbeHighestMultisample();
    const D3DCAPS9 caps = *m_AdapterInfo->GetCaps(m_Adapter);
    const DWORD flags = ChooseBehaviourFlags(caps);
    LogShaderSupport(caps);

    if (reset)
    {
        OnLostReset(1);
        if (FAILED(m_Device->Reset(&m_PresentParameters)))
        {
            QV7_Logger::Log(g_logger, "INFO: Reset Device: The DX 3D Device FAILED");
            return 0;
        }
    }
    else
    {
        // Creating again over a live device starts from a clean slate.
        if (m_Device)
        {
            DestroySubsystems();
            ReleaseDevice();
        }
        if (FAILED(m_Direct3D->CreateDevice(UINT(m_Adapter), m_DeviceType, m_FocusWindow, flags,
                                            &m_PresentParameters, &m_Device)))
        {
            m_Device = nullptr;
            QV7_Logger::Log(g_logger, "ERROR Initialize: Creating the DX 3D Device FAILED");
            return 0;
        }
        g_device = m_Device;
    }

    m_Viewport = {0,    0,   m_PresentParameters.BackBufferWidth, m_PresentParameters.BackBufferHeight,
                  0.0f, 1.0f};
    if (FAILED(m_Device->SetViewport(&m_Viewport)))
    {
        QV7_Logger::Log(g_logger, "ERROR: Setting View Port FAILED");
        ThrowDataError(kModule, __LINE__);
    }
    if (reset)
    {
        OnLostReset(0);
        if (m_Input)
            m_Input->SetViewport(int(m_PresentParameters.BackBufferWidth),
                                 int(m_PresentParameters.BackBufferHeight));
    }
    else
        CreateSubsystems();
    QV7_Logger::Log(g_logger, "INFO: Engine Initialize/Reset: DONE");
    return 1;
}

void QV7_Engine::CreateSubsystems()
{
    // Each component publishes its own global. Marked places wait for the
    // components not built yet; keep this order.
    // 1. Render-state cache (writes its initial states).
    if (!m_Scene)
        m_Scene = new QV7_Scene();
    // 2. Frame manager.
    if (!m_FrameManager)
        m_FrameManager = new QV7_FrameManager();
    // 3. Effect registry.
    if (!m_Shaders)
        m_Shaders = new QV7_Shaders();
    // 4. Menu particles.
    if (!m_Particles2D)
        m_Particles2D = new QV7_Particles2D();
    // 5. Camera.
    if (!m_Camera)
        m_Camera = new QV7_Camera();
    // 6. 2D layer (starts outside 2D mode with its 2D material).
    if (!m_Screen2D)
        m_Screen2D = new QV7_Screen2D();
    // 7. Menu texture list (g_menuTextures).
    CreateMenuTextureList();
    m_MenuTextureList = g_menuTextures;
    // 8. Input devices.
    if (!m_Input)
    {
        QV7_Input::s_DeviceIsLost = &DeviceIsLost;
        m_Input = new QV7_Input();
    }
    m_Input->SetViewport(int(m_PresentParameters.BackBufferWidth), int(m_PresentParameters.BackBufferHeight));
    // 9. Landscape.
    if (!m_Landscape)
        m_Landscape = new QV7_Landscape();
    // 10. Render-surface list.
    if (!m_RenderSurfaces)
        m_RenderSurfaces = new QV7_RenderSurfaceList();
}

void QV7_Engine::DestroySubsystems()
{
    // Marked places wait for the components not built yet; keep this order.
    // 1. Render-surface list.
    delete m_RenderSurfaces;
    m_RenderSurfaces = nullptr;
    // 2. Landscape.
    delete m_Landscape;
    m_Landscape = nullptr;
    // 3. Menu particles.
    delete m_Particles2D;
    m_Particles2D = nullptr;
    // 4. Menu texture list.
    DestroyMenuTextureList();
    m_MenuTextureList = nullptr;
    // 5. Camera.
    delete m_Camera;
    m_Camera = nullptr;
    // 6. 2D layer.
    delete m_Screen2D;
    m_Screen2D = nullptr;
    // 7. Input devices.
    delete m_Input;
    m_Input = nullptr;
    // 8. Effect registry.
    delete m_Shaders;
    m_Shaders = nullptr;
    // 9. Frame manager.
    delete m_FrameManager;
    m_FrameManager = nullptr;
    // 10. Render-state cache.
    delete m_Scene;
    m_Scene = nullptr;
}

void QV7_Engine::OnLostReset(int lost)
{
    // Every device-bound component's release-or-recreate entry gets the same
    // argument, in this order. Marked places wait for the components not built yet.
    // 1. Render-state cache.
    if (m_Scene)
        m_Scene->OnLostReset(lost);
    // 2. Frame manager (its fonts).
    if (m_FrameManager)
        m_FrameManager->OnLostReset(lost);
    // 3. Effect registry.
    if (m_Shaders)
        m_Shaders->OnLostReset(lost);
    // 4. Camera.
    if (m_Camera)
        m_Camera->OnLostReset(lost);
    // 5. Landscape.
    if (m_Landscape)
        m_Landscape->OnLostReset(lost);
    // 6. Intro-movie player, when one exists.
    if (g_videoPlayer)
        g_videoPlayer->OnLostReset(lost);
    // 7. Menu manager, when it exists.
    if (g_menuManager)
        g_menuManager->OnLostReset(lost);
    // 8. Race session, when one exists.
    if (g_raceSessionLostReset)
        g_raceSessionLostReset(lost);
    // 9. Water, when it exists.
    if (g_water)
        g_water->OnLostReset(lost);
    // 10. Render-surface list.
    if (m_RenderSurfaces)
        m_RenderSurfaces->OnLostReset(lost);
}
