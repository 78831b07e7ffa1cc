#include "tools/dump/DumpNullDevice.h"

#include "engine/QV7_Engine.h"
#include "platform/win/Backend.h"

DumpNullDevice::DumpNullDevice()
{
    if (g_device)
        return;
    win::SetBackend(win::Backend::Null);
    m_Direct3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!m_Direct3D)
        return;
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = parameters.BackBufferHeight = 8;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.Windowed = TRUE;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    if (m_Direct3D->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                 &m_Device) == D3D_OK)
        g_device = m_Device;
}

DumpNullDevice::~DumpNullDevice()
{
    if (m_Device)
    {
        g_device = nullptr;
        m_Device->Release();
    }
    if (m_Direct3D)
        m_Direct3D->Release();
}

IDirect3DDevice9* DumpNullDevice::Device() const
{
    return g_device;
}
