// The engine device: owns the Direct3D object and device, the present
// parameters and viewport, the adapter table and the per-device singletons of
// the engine. It creates the device (windowed behind the splash first), resets
// it for mode switches and after device loss, and fans loss and reset out to
// every device-bound component in one fixed order.
#pragma once

#include "engine/QV7_AdapterInfo.h"
#include "platform/gfx/D3D9.h"

#include <memory>

class QV7_Scene;
class QV7_FrameManager;
class QV7_Shaders;
class QV7_Camera;
class QV7_Screen2D;
class QV7_TextureList;
class QV7_Input;
class QV7_Particles2D;
class QV7_Landscape;
class QV7_RenderSurfaceList;

class QV7_Engine
{
  public:
    QV7_Engine();
    virtual ~QV7_Engine();

    // 0 creates the device, 1 resets it. Returns 1 on success, 0 when the
    // creation or reset failed (the engine then has no usable device; a later
    // Initialize(1) tries again). Throws CDException on the fatal errors.
    virtual int Initialize(int ResetDevice);
    // 1 releases every default-pool resource, 0 recreates them.
    virtual void OnLostReset(int lost);
    virtual void CreateSubsystems();
    virtual void DestroySubsystems();

    // The device's state for the frame gate: D3D_OK, D3DERR_DEVICELOST or
    // D3DERR_DEVICENOTRESET (also when no device exists, so a reset creates it).
    HRESULT TestCooperativeLevel() const;
    static bool DeviceIsLost();

    D3DDISPLAYMODE m_DesktopMode{};
    IDirect3D9* m_Direct3D = nullptr;
    IDirect3DDevice9* m_Device = nullptr;
    void* m_Instance = nullptr;
    win::Window* m_FocusWindow = nullptr;
    D3DPRESENT_PARAMETERS m_PresentParameters{};
    D3DDEVTYPE m_DeviceType = D3DDEVTYPE_HAL;
    D3DVIEWPORT9 m_Viewport{};
    int m_HighestMultisample = 0;
    // The game window; null stands for the desktop.
    win::Window* m_Window = nullptr;
    int m_FullScreen = 1;
    int m_PureDeviceWanted = 1;
    // 0 software, 1 mixed, 2 hardware when supported (else mixed).
    int m_VertexProcessing = 2;
    // 1 HAL, 0 reference.
    int m_DeviceTypeChoice = 1;
    int m_FullScreenHeight = 600;
    int m_FullScreenWidth = 800;
    int m_ColourDepth = 0;
    // 1 D24S8, else D16.
    int m_DepthFormatChoice = 1;
    int m_Adapter = 0;
    int m_MultisampleWish = 0;
    std::unique_ptr<QV7_AdapterInfo> m_AdapterInfo;

    QV7_Scene* m_Scene = nullptr;
    QV7_FrameManager* m_FrameManager = nullptr;
    QV7_Shaders* m_Shaders = nullptr;
    QV7_Camera* m_Camera = nullptr;
    QV7_Screen2D* m_Screen2D = nullptr;
    QV7_TextureList* m_MenuTextureList = nullptr;
    QV7_Input* m_Input = nullptr;
    QV7_Particles2D* m_Particles2D = nullptr;
    QV7_Landscape* m_Landscape = nullptr;
    QV7_RenderSurfaceList* m_RenderSurfaces = nullptr;

    int m_Failed = 0;

  private:
    void ReadDesktopMode();
    void BuildPresentParameters();
    void ProbeHighestMultisample();
    DWORD ChooseBehaviourFlags(const D3DCAPS9& caps);
    void LogShaderSupport(const D3DCAPS9& caps) const;
    // Back-buffer size: the full-screen size, or the window's client area.
    void TargetSize(int& width, int& height) const;
    void ReleaseDevice();
};

extern QV7_Engine* g_engine;
// The race session's device-loss entry while a session exists.
extern void (*g_raceSessionLostReset)(int lost);
extern IDirect3DDevice9* g_device;

// The number the log shows for a window handle (0 for the desktop).
int WindowHandleNumber(const win::Window* window);
