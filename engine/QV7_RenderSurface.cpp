// Render surfaces: creation with its format checks, the scene bracket, and
// release and recreation on device loss.
#include "engine/QV7_RenderSurface.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "platform/d3dx/D3DXTexture.h"

#include <algorithm>

QV7_RenderSurfaceList* g_renderSurfaces = nullptr;

namespace
{
const char* const kModule = "QV7_RenderSurface";
// Source lines the game's exceptions name for each failure.
constexpr int kRecreateLine = 63;
constexpr int kRenderToSurfaceLine = 166;
constexpr int kTextureLine = 190;

struct ErrorText
{
    HRESULT code;
    const char* name;
    const char* description;
};

// The DirectX error name and its description, for the log lines.
const ErrorText& DescribeError(HRESULT code)
{
    static const ErrorText table[] = {
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE", "This device does not support the queried technique."},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL", "Invalid call"},
        {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY", "Out of video memory"},
        {E_OUTOFMEMORY, "E_OUTOFMEMORY", "Ran out of memory"},
        {D3DERR_DEVICELOST, "D3DERR_DEVICELOST", "The device is lost"},
        {D3DERR_DRIVERINTERNALERROR, "D3DERR_DRIVERINTERNALERROR", "Internal driver error"},
        {E_FAIL, "E_FAIL", "Unspecified error"},
    };
    static const ErrorText unknown{0, "Unknown", "Unknown error"};
    for (const ErrorText& entry : table)
        if (entry.code == code)
            return entry;
    return unknown;
}

void LogError(const char* call, HRESULT code)
{
    const ErrorText& text = DescribeError(code);
    QV7_Logger::Log(g_logger, "ERROR: %s: %s : %s", call, text.name, text.description);
}

D3DFORMAT BackBufferFormat()
{
    return g_engine ? g_engine->m_PresentParameters.BackBufferFormat : D3DFMT_X8R8G8B8;
}

void SkyViewChanged()
{
    if (QV7_Camera::s_SkyViewChanged)
        QV7_Camera::s_SkyViewChanged();
}
} // namespace

QV7_RenderSurface::~QV7_RenderSurface()
{
    Release();
}

QV7_RenderSurface* QV7_RenderSurface::Create(int width, int height, int viewportWidth, int viewportHeight)
{
    QV7_RenderSurface* surface = new QV7_RenderSurface();
    if (g_renderSurfaces)
        g_renderSurfaces->Append(surface);
    // Render targets are never multisampled here: the setting is put aside
    // while the objects are made.
    const D3DMULTISAMPLE_TYPE multisample =
        g_engine ? g_engine->m_PresentParameters.MultiSampleType : D3DMULTISAMPLE_NONE;
    if (g_engine)
        g_engine->m_PresentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;

    if (g_engine && g_engine->m_Direct3D)
    {
        const HRESULT checked = g_engine->m_Direct3D->CheckDeviceFormat(
            UINT(g_engine->m_Adapter), g_engine->m_DeviceType, BackBufferFormat(), D3DUSAGE_RENDERTARGET,
            D3DRTYPE_TEXTURE, D3DFMT_X8R8G8B8);
        if (FAILED(checked))
            LogError("CheckDeviceFormat", checked);
    }
    UINT w = UINT(std::max(width, 0)), h = UINT(std::max(height, 0)), levels = 1;
    D3DFORMAT format = D3DFMT_X8R8G8B8;
    const HRESULT required = D3DXCheckTextureRequirements(g_device, &w, &h, &levels, D3DUSAGE_RENDERTARGET,
                                                          &format, D3DPOOL_DEFAULT);
    if (FAILED(required))
        LogError("D3DXCheckTextureRequirements", required);
    surface->m_Width = int(w);
    surface->m_Height = int(h);
    surface->m_Viewport = {0,
                           0,
                           UINT(viewportWidth > 0 ? viewportWidth : int(w)),
                           UINT(viewportHeight > 0 ? viewportHeight : int(h)),
                           0.0f,
                           1.0f};
    try
    {
        surface->MakeObjects(format, 0, nullptr);
    }
    catch (...)
    {
        if (g_engine)
            g_engine->m_PresentParameters.MultiSampleType = multisample;
        throw;
    }
    surface->SetPerspective(40000.0f);
    if (g_engine)
        g_engine->m_PresentParameters.MultiSampleType = multisample;
    return surface;
}

// failureLine 0: the creation's lines and log; otherwise the reset's.
void QV7_RenderSurface::MakeObjects(D3DFORMAT format, int failureLine, const char* failureLog)
{
    const UINT w = UINT(m_Width), h = UINT(m_Height);
    HRESULT result =
        D3DXCreateRenderToSurface(g_device, w, h, format, TRUE, D3DFMT_D24S8, &m_RenderToSurface);
    if (FAILED(result))
    {
        m_RenderToSurface = nullptr;
        if (failureLog)
            QV7_Logger::Log(g_logger, "%s", failureLog);
        else
            LogError("D3DXCreateRenderToSurface", result);
        ThrowDataError(kModule, failureLine ? failureLine : kRenderToSurfaceLine);
    }
    result = D3DXCreateTexture(g_device, w, h, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &m_Texture);
    if (SUCCEEDED(result))
        result = m_Texture->GetSurfaceLevel(0, &m_Surface);
    if (FAILED(result))
    {
        LogError("D3DXCreateRenderToSurface", result);
        ThrowDataError(kModule, kTextureLine);
    }
}

void QV7_RenderSurface::Recreate()
{
    Release();
    D3DFORMAT format = BackBufferFormat();
    UINT w = UINT(m_Width), h = UINT(m_Height), levels = 1;
    D3DXCheckTextureRequirements(g_device, &w, &h, &levels, D3DUSAGE_RENDERTARGET, &format, D3DPOOL_DEFAULT);
    m_Viewport.X = 0;
    m_Viewport.Y = 0;
    m_Viewport.MinZ = 0.0f;
    m_Viewport.MaxZ = 1.0f;
    MakeObjects(BackBufferFormat(), kRecreateLine, "ERROR: Failed to create render to surface!");
}

void QV7_RenderSurface::BeginScene()
{
    if (!m_RenderToSurface || !m_Surface)
        return;
    m_RenderToSurface->BeginScene(m_Surface, &m_Viewport);
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, m_ClearColour, 1.0f, 0);
    if (g_camera)
    {
        g_device->SetTransform(D3DTS_PROJECTION, &g_camera->m_Projection);
        g_device->SetTransform(D3DTS_VIEW, &g_camera->m_View);
    }
    SkyViewChanged();
}

void QV7_RenderSurface::EndScene()
{
    if (m_RenderToSurface)
        m_RenderToSurface->EndScene(0);
    SkyViewChanged();
}

void QV7_RenderSurface::SetPerspective(float farPlane)
{
    m_Far = farPlane;
    m_Fov = g_camera ? g_camera->m_Fov : 3.14159265f / 4.0f;
    const float aspect = m_Viewport.Height ? float(m_Viewport.Width) / float(m_Viewport.Height) : 1.0f;
    D3DXMatrixPerspectiveFovLH(&m_Projection, m_Fov, aspect, 1.0f, farPlane);
}

void QV7_RenderSurface::Release()
{
    if (m_Texture)
        m_Texture->Release();
    if (m_Surface)
        m_Surface->Release();
    if (m_RenderToSurface)
        m_RenderToSurface->Release();
    m_Texture = nullptr;
    m_Surface = nullptr;
    m_RenderToSurface = nullptr;
}

QV7_RenderSurfaceList::QV7_RenderSurfaceList()
{
    g_renderSurfaces = this;
}

QV7_RenderSurfaceList::~QV7_RenderSurfaceList()
{
    if (g_renderSurfaces == this)
        g_renderSurfaces = nullptr;
    // The base destructor deletes the surfaces last first; each releases itself.
}

void QV7_RenderSurfaceList::OnLostReset(int lost)
{
    for (QV7_RenderSurface* surface : *this)
    {
        if (lost == 1)
            surface->Release();
        else
            surface->Recreate();
    }
}

void DeleteRenderSurface(QV7_RenderSurface* surface)
{
    if (g_renderSurfaces)
        g_renderSurfaces->Delete(surface);
}
