// The Direct3D side of the intro movie: the video effect, the video texture
// (held by the renderer), the full-screen quad, the render targets the frame
// is converted through, the colour controls, and the frame lock shared with
// the renderer.
// Set-up runs when the movie starts and again after every device reset;
// releasing frees only what belongs to the device, so the graph and the
// movie's position survive a device loss.
#pragma once

#include "media/VideoGraph.h"
#include "platform/d3dx/Effect.h"
#include "platform/gfx/D3D9.h"

#include <memory>
#include <mutex>
#include <string>

class VideoFilter
{
  public:
    VideoFilter();
    ~VideoFilter();
    VideoFilter(const VideoFilter&) = delete;
    VideoFilter& operator=(const VideoFilter&) = delete;

    // Builds the graph (first time only) and every device object for the
    // movie at path. False after the failure's log lines.
    bool Setup(IDirect3DDevice9* device, const std::string& path);
    // Releases every device object; the texture's last picture is dropped.
    void ReleaseDeviceObjects();
    // Game thread, once a frame: takes the waiting picture into the video
    // texture and draws the frame full screen.
    void DrawFrame();

    VideoGraph* Graph() const { return m_Graph.get(); }

    // Shared with the renderer: every touch of the video texture holds it.
    std::mutex m_FrameLock;
    std::unique_ptr<VideoGraph> m_Graph;
    IDirect3DDevice9* m_Device = nullptr;
    // The video effect, made from m_EffectBytes (the program's own effect
    // unless a test gives others).
    ID3DXEffect* m_Effect = nullptr;
    const std::string* m_EffectBytes;
    IDirect3DVertexBuffer9* m_Quad = nullptr;
    IDirect3DTexture9* m_RenderTargets[2] = {};
    IDirect3DSurface9* m_RenderTargetSurfaces[2] = {};
    IDirect3DTexture9* m_Composite = nullptr;
    IDirect3DSurface9* m_CompositeSurface = nullptr;
    float m_Brightness = 1.0f;
    float m_Contrast = 1.0f;
    float m_Saturation = 1.0f;
    float m_Hue = 0.0f;
    int m_Initialised = 0;

  private:
    bool CreateEffect();
    void SetSamplingOffsets();
    HRESULT CreateVideoTextureObject(const std::string& path);
    bool CreateQuad();
    bool CreateTextureRenderTarget();
    bool CreateCompositeRenderTarget();
    // Converts the picture into the first render target, then draws that
    // through the colour controls full screen on the current target.
    void DrawVideoFrame(IDirect3DTexture9* videoTexture);
    void DrawQuadWith(const char* technique);
};

// One vertex of the full-screen quad: position, then texture coordinates.
struct VideoQuadVertex
{
    float x, y, z;
    float u, v;
};
