// The shadow map's gates, textures, light placement and shadow pass.
#include "engine/QV7_ShadowMap.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Shaders.h"
#include "engine/effects/QV7_ShadowMapEffect.h"
#include "shell/QV7_Windows.h"

#include <cmath>
#include <stdexcept>

bool (*QV7_ShadowMap::s_SunDirection)(D3DXVECTOR3* direction) = nullptr;

namespace
{
constexpr float kPi = 3.14159265358979f;
const char* const kEffectName = "ShadowMap";

void ReleaseAndClear(IDirect3DTexture9*& texture)
{
    if (texture)
        texture->Release();
    texture = nullptr;
}
} // namespace

QV7_ShadowMap::~QV7_ShadowMap()
{
    Destroy();
}

template <class Operation> bool QV7_ShadowMap::Guarded(Operation operation)
{
    try
    {
        operation();
        return true;
    }
    catch (...)
    {
        // Whatever went wrong, the race goes on without shadows.
        m_Enabled = 0;
        return false;
    }
}

void QV7_ShadowMap::Create()
{
    Guarded([&] { CreateUnguarded(); });
}

void QV7_ShadowMap::CreateUnguarded()
{
    // A race created again starts from nothing: what an earlier creation made
    // is given back first, so neither the textures nor the effect leak and
    // the registry takes "ShadowMap" again.
    Destroy();
    const GameSettings* settings = g_windowsData ? &g_windowsData->m_Settings : nullptr;
    if (!settings || !(settings->Detail > 3 || settings->force_Shadow == 1))
    {
        m_Enabled = 0;
        return;
    }
    m_Enabled = 1;
    IDirect3D9* direct3D = g_engine ? g_engine->m_Direct3D : nullptr;
    if (!direct3D || !g_device ||
        FAILED(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                           D3DRTYPE_TEXTURE, D3DFMT_D24S8)))
    {
        m_Enabled = 0;
        QV7_Logger::Log(g_logger, "INFO: Shadow Maps not supported on current hardware.");
        return;
    }
    D3DXMatrixIdentity(&m_SavedView);
    D3DXMatrixIdentity(&m_SavedProjection);
    const D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f), at(0.0f, 0.0f, 1.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&m_LightView, &eye, &at, &up);
    D3DXMatrixIdentity(&m_LightProjection);
    if (!CreateTextures(
            "ERROR: Shadow Maps not supported on current hardware.; CreateTexture for m_Texture Failed",
            "ERROR: Shadow Maps not supported on current hardware.; CreateTexture for m_TextureSurf "
            "Failed"))
        return;

    // The registry throws when the effect cannot be made; that is a missing
    // feature here, not a fatal error.
    const std::string& bytes = ShadowMapEffectSource();
    try
    {
        m_Shader = g_shaders ? g_shaders->Create(kEffectName, bytes.data(), unsigned(bytes.size())) : nullptr;
    }
    catch (...)
    {
        m_Shader = nullptr;
    }
    if (!m_Shader || !m_Shader->m_Effect)
    {
        QV7_Logger::Log(g_logger,
                        "ERROR: Shadow Maps Shader not supported on current hardware; Create shader failed");
        m_Enabled = 0;
        return;
    }
    m_RenderShadow = m_Shader->m_Effect->GetTechniqueByName("RenderShadow");
    if (!m_RenderShadow)
    {
        QV7_Logger::Log(g_logger,
                        "WARNING: Failed to find Zephyrion Shadow Map shader technique supported by 3D "
                        "Card. Feature disabled");
        m_Enabled = 0;
    }
    m_RenderScene = m_Shader->m_Effect->GetTechniqueByName("RenderScene");
    if (!m_RenderScene)
    {
        QV7_Logger::Log(g_logger,
                        "WARNING: Failed to find Zephyrion Second Shadow Map shader technique supported "
                        "by 3D Card. Feature disabled");
        m_Enabled = 0;
    }
}

bool QV7_ShadowMap::CreateTextures(const char* textureLog, const char* depthLog)
{
    if (FAILED(g_device->CreateTexture(kSize, kSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT,
                                       &m_Texture, nullptr)))
    {
        m_Texture = nullptr;
        m_Enabled = 0;
        QV7_Logger::Log(g_logger, "%s", textureLog);
        return false;
    }
    if (FAILED(g_device->CreateTexture(kSize, kSize, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D24S8, D3DPOOL_DEFAULT,
                                       &m_TextureSurf, nullptr)))
    {
        m_TextureSurf = nullptr;
        m_Enabled = 0;
        QV7_Logger::Log(g_logger, "%s", depthLog);
        ReleaseAndClear(m_Texture);
        return false;
    }
    return true;
}

void QV7_ShadowMap::ReleaseTextures()
{
    ReleaseAndClear(m_Texture);
    ReleaseAndClear(m_TextureSurf);
}

void QV7_ShadowMap::ReleaseSaved()
{
    if (m_SavedTarget)
        m_SavedTarget->Release();
    if (m_SavedDepth)
        m_SavedDepth->Release();
    m_SavedTarget = nullptr;
    m_SavedDepth = nullptr;
}

void QV7_ShadowMap::Destroy()
{
    Guarded(
        [&]
        {
            if (m_Shader && g_shaders)
                g_shaders->Unload(m_Shader);
            m_Shader = nullptr;
            m_RenderShadow = m_RenderScene = nullptr;
            ReleaseSaved();
            ReleaseTextures();
        });
}

void QV7_ShadowMap::OnLostReset(int lost)
{
    Guarded(
        [&]
        {
            if (lost == 1)
            {
                ReleaseTextures();
                return;
            }
            if (m_Enabled && g_device)
                CreateTextures(
                    "ERROR: Shadow Maps not supported on current hardware. CreateTexture for m_Texture "
                    "Failed",
                    "ERROR: Shadow Maps not supported on current hardware. CreateTexture for m_TextureSurf "
                    "Failed");
        });
}

int QV7_ShadowMap::BeginShadowPass()
{
    int result = 0;
    if (!Guarded([&] { result = BeginUnguarded(); }))
        return 0;
    return result;
}

int QV7_ShadowMap::BeginUnguarded()
{
    if (!m_Enabled || !g_device || !g_camera || !m_Texture || !m_TextureSurf)
        return 0;
    D3DXVECTOR3 sun(0.0f, -1.0f, 0.0f);
    if (s_SunDirection)
        s_SunDirection(&sun);
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &sun);

    D3DXMatrixPerspectiveFovLH(&m_LightProjection, kPi / 4.0f, 1.0f, 1.0f, 40000.0f);
    const D3DXVECTOR3& eye = g_camera->m_Eye;
    m_LightEye = D3DXVECTOR3(eye.x - kLightDistance * direction.x, eye.y - kLightDistance * direction.y,
                             eye.z - kLightDistance * direction.z);
    const D3DXVECTOR3 target(m_LightEye.x + direction.x, m_LightEye.y + direction.y,
                             m_LightEye.z + direction.z);
    // Looking straight along the up vector has no defined roll: a sun at the
    // zenith takes z as its up.
    const bool vertical = std::fabs(direction.y) > 0.9999f;
    const D3DXVECTOR3 up = vertical ? D3DXVECTOR3(0.0f, 0.0f, 1.0f) : D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&m_LightView, &m_LightEye, &target, &up);

    IDirect3DSurface9* colour = nullptr;
    IDirect3DSurface9* depth = nullptr;
    g_device->GetRenderTarget(0, &m_SavedTarget);
    if (FAILED(m_Texture->GetSurfaceLevel(0, &colour)) || FAILED(g_device->SetRenderTarget(0, colour)))
    {
        if (colour)
            colour->Release();
        ReleaseSaved();
        throw std::runtime_error("shadow target");
    }
    colour->Release();
    if (SUCCEEDED(g_device->GetDepthStencilSurface(&m_SavedDepth)))
    {
        if (SUCCEEDED(m_TextureSurf->GetSurfaceLevel(0, &depth)))
        {
            g_device->SetDepthStencilSurface(depth);
            depth->Release();
        }
    }
    else
        m_SavedDepth = nullptr;

    m_SavedView = g_camera->m_View;
    m_SavedProjection = g_camera->m_Projection;
    g_camera->m_View = m_LightView;
    g_camera->m_Projection = m_LightProjection;

    g_device->BeginScene();
    // Colour 255 is blue only: the single red channel of the target gets 0,
    // which the effect reads as "no caster".
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 255, 1.0f, 0);
    g_device->SetTransform(D3DTS_PROJECTION, &m_LightProjection);
    g_device->SetTransform(D3DTS_VIEW, &m_LightView);
    return 1;
}

void QV7_ShadowMap::EndShadowPass()
{
    if (!Guarded([&] { EndUnguarded(); }))
        ReleaseSaved();
}

void QV7_ShadowMap::EndUnguarded()
{
    if (!g_device)
        return;
    g_device->EndScene();
    if (g_camera)
    {
        g_camera->m_Projection = m_SavedProjection;
        g_camera->m_View = m_SavedView;
        g_device->SetTransform(D3DTS_PROJECTION, &m_SavedProjection);
        g_device->SetTransform(D3DTS_VIEW, &m_SavedView);
    }
    if (m_SavedDepth)
        g_device->SetDepthStencilSurface(m_SavedDepth);
    if (m_SavedTarget)
        g_device->SetRenderTarget(0, m_SavedTarget);
    ReleaseSaved();
}
