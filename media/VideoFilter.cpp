// Set-up, release and the per-frame work of the intro movie's Direct3D side.
#include "media/VideoFilter.h"

#include "shell/QV7_Logger.h"

namespace
{
template <class T> void ReleaseObject(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_TEX1;
} // namespace

VideoFilter::VideoFilter() = default;

VideoFilter::~VideoFilter()
{
    // The graph goes first: its decoder thread still writes through the renderer.
    m_Graph.reset();
    ReleaseDeviceObjects();
}

bool VideoFilter::Setup(IDirect3DDevice9* device, const std::string& path)
{
    m_Device = device;
    // The video effect (techniques "Simple", "SimpleUYVY", "SimpleYUY2",
    // "ColorControls") is created here once the effect registry exists; see
    // DrawVideoFrame.
    const HRESULT hr = CreateVideoTextureObject(path);
    if (FAILED(hr))
    {
        if (hr == VFW_E_NOT_FOUND)
            QV7_Logger::Log(g_logger, "ERROR: Video Filter: Could not load video file");
        return false;
    }
    if (!CreateQuad())
        return false;
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

// ---------------------------------------------------------------------------
// TO BE WRITTEN WITH THE EFFECT REGISTRY AND THE 2D LAYER: draws nothing yet.
//
// Runs on the game thread between BeginFrame and EndFrame, holding the frame
// lock (the caller took it). It must:
//  1. Set the vertex format D3DFVF_XYZ | D3DFVF_TEX1 and stream 0 = m_Quad
//     (stride 20). Effect "UvOffsetToUse" = 2.0; "WorldViewProj" = scaling
//     (2, 2, 1) x look-at view (eye (0, 0, -5), target (0, 0, 0), up
//     (0, 1, 0)) x orthographic projection 4 by 4, near 0.2, far 20.
//  2. Conversion pass: technique "SimpleYUY2" or "SimpleUYVY" by the
//     renderer's Layout() ("Simple" for the X8R8G8B8 texture of an MPEG
//     file); render target 0 = m_RenderTargetSurfaces[0], no depth surface;
//     clear to opaque black; "BlurTex" = videoTexture; every pass draws the
//     quad as a two-triangle fan. videoTexture is A8L8 holding packed 4:2:2
//     YUV: for YUY2, texel x has luminance Y(x) in L, and A holds U on even
//     texels and V on odd ones (UYVY: the other way round); the shader
//     samples point-filtered, takes Y from texel x and U, V from the texel
//     pair x & ~1, x | 1, and converts with the BT.601 video-range matrix
//     (the movie layer packs pictures in video range).
//  3. Back to the saved back buffer and depth surface; clear target and depth
//     (opaque black, 1.0); technique "ColorControls" with "WorldViewProj" =
//     scaling (2, 2, 2) x view x projection, "UvOffsetToUse" = 0,
//     "Brightness" m_Brightness, "Contrast" m_Contrast, "Saturation"
//     m_Saturation, "Hue" m_Hue (1, 1, 1, 0 leave the picture as it is);
//     "BlurTex" = m_RenderTargets[0]; every pass draws the quad.
// Set-up must then also create the effect (its failure lines "ERROR: Video
// Filter: Failed to load effect file" / "ERROR: Video Filter: SetTechnique
// failed!", then "ERROR: Video Filter: Load Effect Failed") and set
// "SrcTexWidth", "SrcTexHeight" and the "UvBase[%d]" taps from the texel size.
// ---------------------------------------------------------------------------
void VideoFilter::DrawVideoFrame(IDirect3DTexture9* videoTexture)
{
    (void)videoTexture;
}
