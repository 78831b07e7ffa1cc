// Set-up, release and the per-frame work of the intro movie's Direct3D side.
#include "media/VideoFilter.h"

#include "engine/effects/QV7_EffectSources.h"
#include "platform/d3dx/D3DXMath.h"
#include "shell/QV7_Logger.h"

#include <cmath>
#include <cstdio>

namespace
{
template <class T> void ReleaseObject(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_TEX1;

// The sampling taps UvBase[0] to UvBase[19] for a texture of the given size;
// the video effect says what each one is for.
void VideoTapOffsets(int width, int height, float taps[20][4])
{
    const float tu = 1.0f / float(width > 0 ? width : 1);
    const float tv = 1.0f / float(height > 0 ? height : 1);
    auto set = [&](int i, float u, float v) {
        taps[i][0] = u;
        taps[i][1] = v;
        taps[i][2] = 0.0f;
        taps[i][3] = 0.0f;
    };
    set(0, 0.0f, 0.0f);
    set(1, 0.5f * tu, 0.5f * tv);
    set(2, 0.001f * tu, 0.001f * tv);
    set(3, tu * 2.0f / 3.0f, tv * 2.0f / 3.0f);
    const float angles[3] = {0.0f, 2.0943952f, 4.1887903f};
    const float radii[5] = {1.0f, 2.0f / 3.0f, 0.5f, -1.0f, -2.0f / 3.0f};
    for (int ring = 0; ring < 5; ++ring)
        for (int k = 0; k < 3; ++k)
            set(4 + ring * 3 + k, std::cos(angles[k]) * radii[ring] * tu, std::sin(angles[k]) * radii[ring] * tv);
    set(19, -0.5f * tu, -0.5f * tv);
}
} // namespace

VideoFilter::VideoFilter() : m_EffectBytes(&VideoEffectSource()) {}

VideoFilter::~VideoFilter()
{
    // The graph goes first: its decoder thread still writes through the renderer.
    m_Graph.reset();
    ReleaseDeviceObjects();
}

bool VideoFilter::Setup(IDirect3DDevice9* device, const std::string& path)
{
    m_Device = device;
    if (!CreateEffect())
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Load Effect Failed");
        return false;
    }
    const HRESULT hr = CreateVideoTextureObject(path);
    if (FAILED(hr))
    {
        if (hr == VFW_E_NOT_FOUND)
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Could not load video file");
        return false;
    }
    if (!CreateQuad())
        return false;
    SetSamplingOffsets();
    if (!CreateTextureRenderTarget())
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: CreateTextureRenderTarget Failed");
        return false;
    }
    if (!CreateCompositeRenderTarget())
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: CreateCompositeRenderTarget Failed");
        return false;
    }
    m_Initialised = 1;
    return true;
}

bool VideoFilter::CreateEffect()
{
    // After a device reset the effect is made again, like every other device object.
    if (m_Effect)
        return true;
    std::string errors;
    if (!m_Device || FAILED(D3DXCreateEffect(m_Device, m_EffectBytes->data(), UINT(m_EffectBytes->size()), nullptr,
                                             nullptr, 0, nullptr, &m_Effect, &errors)))
    {
        m_Effect = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Failed to load effect file");
        return false;
    }
    if (FAILED(m_Effect->SetTechnique(m_Effect->GetTechniqueByName("Simple"))))
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: SetTechnique failed!");
        ReleaseObject(m_Effect);
        return false;
    }
    return true;
}

void VideoFilter::SetSamplingOffsets()
{
    const CTextureRenderer* renderer = m_Graph->Renderer();
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "SrcTexWidth"), float(renderer->m_VideoWidth));
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "SrcTexHeight"), float(renderer->m_VideoHeight));
    float taps[20][4];
    VideoTapOffsets(renderer->m_VideoWidth, renderer->m_VideoHeight, taps);
    char name[32];
    for (int i = 0; i < 20; ++i)
    {
        std::snprintf(name, sizeof name, "UvBase[%d]", i);
        m_Effect->SetVectorFloats(m_Effect->GetParameterByName(nullptr, name), taps[i]);
    }
}

HRESULT VideoFilter::CreateVideoTextureObject(const std::string& path)
{
    HRESULT hr = S_OK;
    if (!m_Graph)
    {
        D3DCAPS9 caps{};
        const bool dynamic =
            m_Device && SUCCEEDED(m_Device->GetDeviceCaps(&caps)) && (caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES);
        auto graph = std::make_unique<VideoGraph>(m_FrameLock);
        hr = graph->Connect(path, dynamic);
        if (SUCCEEDED(hr))
            m_Graph = std::move(graph);
    }
    if (SUCCEEDED(hr))
        hr = m_Graph->Renderer()->CreateVideoTexture(m_Device);
    if (FAILED(hr))
        QV7_Logger::Log(g_logger,
                        "ERROR: Video Filter: Unable to CreateVideoTextureObject! Make sure Video Decoder "
                        "Filters are installed!");
    return hr;
}

bool VideoFilter::CreateQuad()
{
    if (FAILED(m_Device->CreateVertexBuffer(4 * sizeof(VideoQuadVertex),
                                            D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kQuadFvf, D3DPOOL_DEFAULT,
                                            &m_Quad)))
    {
        m_Quad = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: CreateVertex Buffer Failed");
        return false;
    }
    void* data = nullptr;
    if (FAILED(m_Quad->Lock(0, 0, &data, 0)) || !data)
    {
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Couldn't lock buffer!");
        return false;
    }
    const CTextureRenderer* renderer = m_Graph->Renderer();
    const float du = 0.5f / float(renderer->m_VideoWidth);
    const float dv = 0.5f / float(renderer->m_VideoHeight);
    const VideoQuadVertex corners[4] = {{-1.0f, -1.0f, 0.0f, 0.0f + du, 1.0f + dv},
                                        {1.0f, -1.0f, 0.0f, 1.0f + du, 1.0f + dv},
                                        {1.0f, 1.0f, 0.0f, 1.0f + du, 0.0f + dv},
                                        {-1.0f, 1.0f, 0.0f, 0.0f + du, 0.0f + dv}};
    std::copy(std::begin(corners), std::end(corners), static_cast<VideoQuadVertex*>(data));
    m_Quad->Unlock();
    return true;
}

bool VideoFilter::CreateTextureRenderTarget()
{
    m_Device->SetFVF(kQuadFvf);
    const CTextureRenderer* renderer = m_Graph->Renderer();
    for (int i = 0; i < 2; ++i)
    {
        if (FAILED(m_Device->CreateTexture(UINT(renderer->m_VideoWidth), UINT(renderer->m_VideoHeight), 1,
                                           D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                           &m_RenderTargets[i])))
        {
            m_RenderTargets[i] = nullptr;
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Can't CreateTexture!");
            return false;
        }
        if (FAILED(m_RenderTargets[i]->GetSurfaceLevel(0, &m_RenderTargetSurfaces[i])))
        {
            m_RenderTargetSurfaces[i] = nullptr;
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Can't Get to top-level texture!");
            return false;
        }
        // Each target is set once to prove the device can draw into it.
        IDirect3DSurface9* backBuffer = nullptr;
        IDirect3DSurface9* depth = nullptr;
        m_Device->GetRenderTarget(0, &backBuffer);
        m_Device->GetDepthStencilSurface(&depth);
        const char* failure = nullptr;
        if (FAILED(m_Device->SetRenderTarget(0, m_RenderTargetSurfaces[i])))
            failure = "ERROR: Video Filter: Can't SetRenderTarget to new surface!";
        else if (FAILED(m_Device->SetDepthStencilSurface(nullptr)))
            failure = "ERROR: Video Filter: Can't SetDepthStencilSurface to NULL!";
        if (FAILED(m_Device->SetRenderTarget(0, backBuffer)) && !failure)
            failure = "ERROR: Video Filter: Can't SetRenderTarget to original back-buffer surfaces!";
        if (FAILED(m_Device->SetDepthStencilSurface(depth)) && !failure)
            failure = "ERROR: Video Filter: Can't SetDepthStencilSurface to original z-buffer!";
        ReleaseObject(backBuffer);
        ReleaseObject(depth);
        if (failure)
        {
            QV7_Logger::Log(g_logger, "%s", failure);
            return false;
        }
    }
    return true;
}

bool VideoFilter::CreateCompositeRenderTarget()
{
    const CTextureRenderer* renderer = m_Graph->Renderer();
    if (FAILED(m_Device->CreateTexture(UINT(renderer->m_VideoWidth), UINT(renderer->m_VideoHeight), 1,
                                       D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                       &m_Composite)))
    {
        m_Composite = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: CreateCompositeRenderTarget failed!");
        return false;
    }
    if (FAILED(m_Composite->GetSurfaceLevel(0, &m_CompositeSurface)))
    {
        m_CompositeSurface = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Video Filter: Can't Get to top-level texture!");
        return false;
    }
    return true;
}

void VideoFilter::ReleaseDeviceObjects()
{
    if (m_Graph)
        m_Graph->Renderer()->ReleaseVideoTexture();
    ReleaseObject(m_Quad);
    for (int i = 0; i < 2; ++i)
    {
        ReleaseObject(m_RenderTargetSurfaces[i]);
        ReleaseObject(m_RenderTargets[i]);
    }
    ReleaseObject(m_CompositeSurface);
    ReleaseObject(m_Composite);
    ReleaseObject(m_Effect);
}

void VideoFilter::DrawFrame()
{
    if (!m_Graph)
        return;
    CTextureRenderer* renderer = m_Graph->Renderer();
    renderer->UpdateVideoTexture();
    // The drawing reads the texture under the same lock, so that a picture
    // is never drawn while it is being written.
    std::lock_guard<std::mutex> lock(m_FrameLock);
    if (renderer->Texture())
        DrawVideoFrame(renderer->Texture());
}

// Game thread, between BeginFrame and EndFrame, holding the frame lock (the
// caller took it): the conversion pass reads the video texture.
void VideoFilter::DrawVideoFrame(IDirect3DTexture9* videoTexture)
{
    if (!m_Effect || !m_Quad || !m_RenderTargetSurfaces[0])
        return;
    const CTextureRenderer* renderer = m_Graph->Renderer();
    m_Device->SetFVF(kQuadFvf);
    m_Device->SetStreamSource(0, m_Quad, 0, sizeof(VideoQuadVertex));

    // The quad's corners are at +-1: scaled by two and seen from five units
    // away through a 4 by 4 orthographic window, it covers the target exactly.
    D3DXMATRIX scaling, view, projection, viewProjection, worldViewProj;
    const D3DXVECTOR3 eye(0.0f, 0.0f, -5.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixOrthoLH(&projection, 4.0f, 4.0f, 0.2f, 20.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMatrixScaling(&scaling, 2.0f, 2.0f, 1.0f);
    D3DXMatrixMultiply(&worldViewProj, &scaling, &viewProjection);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "UvOffsetToUse"), 2.0f);
    m_Effect->SetTechnique(m_Effect->GetTechniqueByName("Simple"));
    m_Effect->SetMatrix(m_Effect->GetParameterByName(nullptr, "WorldViewProj"), &worldViewProj);

    // Conversion: the packed picture into the first render target, in RGB.
    IDirect3DSurface9* backBuffer = nullptr;
    IDirect3DSurface9* depth = nullptr;
    m_Device->GetRenderTarget(0, &backBuffer);
    m_Device->GetDepthStencilSurface(&depth);
    const char* conversion = "Simple";
    if (renderer->m_TextureFormat == D3DFMT_A8L8)
        conversion = renderer->Layout() == movie::PixelLayout::UYVY ? "SimpleUYVY" : "SimpleYUY2";
    m_Device->SetRenderTarget(0, m_RenderTargetSurfaces[0]);
    m_Device->SetDepthStencilSurface(nullptr);
    m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    m_Effect->SetTexture(m_Effect->GetParameterByName(nullptr, "BlurTex"), videoTexture);
    DrawQuadWith(conversion);

    // Colour controls: the converted frame full screen on the game's target.
    if (backBuffer)
        m_Device->SetRenderTarget(0, backBuffer);
    m_Device->SetDepthStencilSurface(depth);
    m_Device->Clear(0, nullptr, DWORD(D3DCLEAR_TARGET) | (depth ? DWORD(D3DCLEAR_ZBUFFER) : 0u), 0xFF000000, 1.0f, 0);
    D3DXMatrixScaling(&scaling, 2.0f, 2.0f, 2.0f);
    D3DXMatrixMultiply(&worldViewProj, &scaling, &viewProjection);
    m_Effect->SetMatrix(m_Effect->GetParameterByName(nullptr, "WorldViewProj"), &worldViewProj);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "UvOffsetToUse"), 0.0f);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "Brightness"), m_Brightness);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "Contrast"), m_Contrast);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "Saturation"), m_Saturation);
    m_Effect->SetFloat(m_Effect->GetParameterByName(nullptr, "Hue"), m_Hue);
    m_Effect->SetTexture(m_Effect->GetParameterByName(nullptr, "BlurTex"), m_RenderTargets[0]);
    DrawQuadWith("ColorControls");
    // The effect, the device's stage and its stream let go of the textures and
    // the quad, so none is held past the frame (a held default-pool object
    // would block a reset).
    m_Effect->SetTexture(m_Effect->GetParameterByName(nullptr, "BlurTex"), nullptr);
    m_Device->SetTexture(0, nullptr);
    m_Device->SetStreamSource(0, nullptr, 0, 0);
    ReleaseObject(backBuffer);
    ReleaseObject(depth);
}

void VideoFilter::DrawQuadWith(const char* technique)
{
    m_Effect->SetTechnique(m_Effect->GetTechniqueByName(technique));
    UINT passes = 0;
    if (FAILED(m_Effect->Begin(&passes, 0)))
        return;
    for (UINT pass = 0; pass < passes; ++pass)
    {
        if (FAILED(m_Effect->BeginPass(pass)))
            continue;
        m_Device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
        m_Effect->EndPass();
    }
    m_Effect->End();
}
