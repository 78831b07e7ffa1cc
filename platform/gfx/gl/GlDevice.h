// The gl back-end's device: an OpenGL 3.3 core context on the game window (or
// on a hidden window of its own when it is given none), the back buffer as a
// framebuffer object of the present-parameters size, and Present blitting it
// scaled into the window. Every GL call happens on the thread that created the
// device; resources locked from other threads only touch their memory.
//
// Orientation: the framebuffer objects hold the picture top row first (GL row
// 0 is Direct3D's row 0), so clear rectangles, viewports and read-backs use
// Direct3D's coordinates unchanged; the blit to the window flips it. The
// drawing path must flip clip-space y to match (and so swap the front-face
// winding).
#pragma once

#include "platform/gfx/DeviceBase.h"

struct SDL_Window;

namespace gfx::gl
{
class GlDevice : public DeviceBase
{
  public:
    // Null (with a reason on stderr) when no context can be made.
    static GlDevice* Create(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation,
                            const D3DCAPS9& caps, D3DPRESENT_PARAMETERS& presentParameters);

    bool ReadPresentedFrame(PresentedFrame& frame) override;

  protected:
    HRESULT ClearBackBuffer(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                            DWORD stencil) override;
    HRESULT PresentBackBuffer() override;
    HRESULT ResetBackBuffer(D3DPRESENT_PARAMETERS& presentParameters) override;
    HRESULT ReadBackBuffer(ImageMemory& destination) override;
    HRESULT WriteBackBuffer(const ImageMemory& source, const RECT* sourceRect, const RECT* destRect) override;
    void UpdateLoss() override;

  private:
    GlDevice(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps);
    ~GlDevice() override;
    bool MakeCurrent();
    bool BuildFramebuffers(const D3DPRESENT_PARAMETERS& presentParameters);
    void DeleteFramebuffers();
    // The single-sampled picture of the back buffer (resolving it when multisampled).
    unsigned ResolvedFramebuffer();
    void ReadFramebuffer(unsigned framebuffer, int width, int height, std::vector<uint32_t>& pixels);

    SDL_Window* m_Window = nullptr;
    bool m_OwnWindow = false;
    void* m_Context = nullptr;
    int m_Width = 0, m_Height = 0, m_Samples = 0;
    bool m_OpaqueFormat = true;
    unsigned m_BackFbo = 0, m_BackColor = 0, m_BackDepth = 0;
    unsigned m_ResolveFbo = 0, m_ResolveColor = 0;
    unsigned m_FrontFbo = 0, m_FrontColor = 0;
    bool m_Presented = false;
    bool m_WindowLost = false;
    bool m_SeenVisible = false;
};
} // namespace gfx::gl
