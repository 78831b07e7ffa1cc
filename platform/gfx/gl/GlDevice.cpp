// OpenGL device: context, back-buffer framebuffers, clear, present, read-back.
#include "platform/gfx/gl/GlDevice.h"

#include "platform/win/Window.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace gfx::gl
{
namespace
{
uint32_t OpaqueIfNeeded(uint32_t argb, bool opaque) { return opaque ? argb | 0xFF000000u : argb; }
} // namespace

GlDevice::GlDevice(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps)
    : DeviceBase(direct3D, creation, caps, nullptr)
{
}

GlDevice* GlDevice::Create(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps,
                           D3DPRESENT_PARAMETERS& presentParameters)
{
    GlDevice* device = new GlDevice(direct3D, creation, caps);
    HWND window = presentParameters.hDeviceWindow ? presentParameters.hDeviceWindow : creation.hFocusWindow;
    device->m_Window = window ? static_cast<SDL_Window*>(window->NativeHandle()) : nullptr;
    if (!device->m_Window)
    {
        // No game window (tests, or the desktop): draw into a hidden window of our own.
        device->m_Window =
            SDL_CreateWindow("qv7 device", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             int(std::max(1u, presentParameters.BackBufferWidth)),
                             int(std::max(1u, presentParameters.BackBufferHeight)), SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        device->m_OwnWindow = device->m_Window != nullptr;
    }
    if (device->m_Window)
    {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        device->m_Context = SDL_GL_CreateContext(device->m_Window);
    }
    if (!device->m_Context || !device->MakeCurrent() || !device->BuildFramebuffers(presentParameters) ||
        !device->BuildPipeline())
    {
        std::fprintf(stderr, "OpenGL device could not be created: %s\n", SDL_GetError());
        device->Release();
        return nullptr;
    }
    SDL_GL_SetSwapInterval(presentParameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    if (window)
        window->SetDesktopFullScreen(!presentParameters.Windowed);
    device->SetUpBuffers(presentParameters);
    return device;
}

GlDevice::~GlDevice()
{
    m_HeldDraws = false;
    if (m_Context && MakeCurrent())
    {
        DeletePipeline();
        DeleteFramebuffers();
    }
    if (m_Context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_Context));
    if (m_OwnWindow)
        SDL_DestroyWindow(m_Window);
}

bool GlDevice::MakeCurrent()
{
    if (SDL_GL_GetCurrentContext() == m_Context)
        return true;
    return SDL_GL_MakeCurrent(m_Window, static_cast<SDL_GLContext>(m_Context)) == 0;
}

bool GlDevice::BuildFramebuffers(const D3DPRESENT_PARAMETERS& presentParameters)
{
    DeleteFramebuffers();
    m_Width = int(std::max(1u, presentParameters.BackBufferWidth));
    m_Height = int(std::max(1u, presentParameters.BackBufferHeight));
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    m_Samples = presentParameters.MultiSampleType >= 2 ? std::min(int(presentParameters.MultiSampleType), int(maxSamples))
                                                       : 0;
    m_OpaqueFormat = presentParameters.BackBufferFormat != D3DFMT_A8R8G8B8;
    const GLenum depthFormat = presentParameters.AutoDepthStencilFormat == D3DFMT_D16 ? GL_DEPTH_COMPONENT16
                                                                                       : GL_DEPTH24_STENCIL8;
    const GLenum depthAttachment = depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT
                                                                      : GL_DEPTH_ATTACHMENT;

    auto makeColor = [&](unsigned& fbo, unsigned& color, int samples) {
        glGenFramebuffers(1, &fbo);
        glGenRenderbuffers(1, &color);
        glBindRenderbuffer(GL_RENDERBUFFER, color);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, m_Width, m_Height);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color);
    };
    auto attachDepth = [&] {
        if (m_BackDepth)
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, depthAttachment, GL_RENDERBUFFER, m_BackDepth);
    };
    if (presentParameters.EnableAutoDepthStencil)
    {
        glGenRenderbuffers(1, &m_BackDepth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_BackDepth);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, m_Samples, depthFormat, m_Width, m_Height);
    }
    makeColor(m_BackFbo, m_BackColor, m_Samples);
    attachDepth();
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // The last presented picture is kept for read-backs without a copy per
    // frame: a single-sampled back buffer that may be discarded trades places
    // with it at each present, so the front one is a second back buffer with
    // the same depth. A multisampled one is resolved into it (the present
    // needs that anyway), and a back buffer that must survive the present is
    // copied into it.
    m_SwapOnPresent = m_Samples == 0 && presentParameters.SwapEffect != D3DSWAPEFFECT_COPY;
    makeColor(m_FrontFbo, m_FrontColor, 0);
    if (m_SwapOnPresent)
        attachDepth();
    complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (m_Samples > 0)
    {
        // Reading the back buffer back resolves it here, leaving the presented picture alone.
        makeColor(m_ResolveFbo, m_ResolveColor, 0);
        complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
    m_Presented = false;
    return complete;
}

void GlDevice::DeleteFramebuffers()
{
    // Pairings with the back buffer or its depth refer to the renderbuffers going away.
    DropFramebuffers();
    const unsigned fbos[] = {m_BackFbo, m_ResolveFbo, m_FrontFbo};
    const unsigned rbos[] = {m_BackColor, m_BackDepth, m_ResolveColor, m_FrontColor};
    for (unsigned fbo : fbos)
        if (fbo)
            glDeleteFramebuffers(1, &fbo);
    for (unsigned rbo : rbos)
        if (rbo)
            glDeleteRenderbuffers(1, &rbo);
    m_BackFbo = m_BackColor = m_BackDepth = m_ResolveFbo = m_ResolveColor = m_FrontFbo = m_FrontColor = 0;
}

HRESULT GlDevice::ClearBackBuffer(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                  DWORD stencil)
{
    DrawHeld();
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    // The back buffer may be paired with a depth-stencil surface of the game's own.
    const unsigned fbo = CurrentFramebuffer();
    if (!fbo)
        return D3D_OK;
    const bool hasDepth = fbo == m_BackFbo ? m_BackDepth != 0 && m_DepthStencil != nullptr : m_DepthStencil != nullptr;
    return ClearFramebuffer(fbo, hasDepth, count, rects, flags, color, z, stencil);
}

unsigned GlDevice::ResolvedFramebuffer()
{
    if (m_Samples == 0)
        return m_BackFbo;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_BackFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_ResolveFbo);
    glBlitFramebuffer(0, 0, m_Width, m_Height, 0, 0, m_Width, m_Height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return m_ResolveFbo;
}

HRESULT GlDevice::PresentBackBuffer()
{
    DrawHeld();
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    unsigned shown = m_BackFbo;
    if (!m_SwapOnPresent)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, m_BackFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_FrontFbo);
        glBlitFramebuffer(0, 0, m_Width, m_Height, 0, 0, m_Width, m_Height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        shown = m_FrontFbo;
    }
    m_Presented = true;

    // Scaled into the window; full screen keeps the picture's shape with black bars.
    int windowWidth = 0, windowHeight = 0;
    SDL_GL_GetDrawableSize(m_Window, &windowWidth, &windowHeight);
    int x0 = 0, y0 = 0, x1 = windowWidth, y1 = windowHeight;
    if (!m_PresentParameters.Windowed && windowWidth > 0 && windowHeight > 0)
    {
        const double scale = std::min(double(windowWidth) / m_Width, double(windowHeight) / m_Height);
        const int w = int(m_Width * scale), h = int(m_Height * scale);
        x0 = (windowWidth - w) / 2;
        y0 = (windowHeight - h) / 2;
        x1 = x0 + w;
        y1 = y0 + h;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Bars only need clearing when the picture leaves some; an unscaled
    // picture needs no filtering (a software rasteriser pays for both per pixel).
    const bool covers = x0 <= 0 && y0 <= 0 && x1 >= windowWidth && y1 >= windowHeight;
    if (!covers)
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    const bool unscaled = x1 - x0 == m_Width && y1 - y0 == m_Height;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, shown);
    glBlitFramebuffer(0, 0, m_Width, m_Height, x0, y1, x1, y0, GL_COLOR_BUFFER_BIT, unscaled ? GL_NEAREST : GL_LINEAR);
    SDL_GL_SwapWindow(m_Window);
    if (m_SwapOnPresent)
    {
        // What the game draws next goes into the older picture; its contents
        // are undefined after a discarding present, and the game clears it.
        std::swap(m_BackFbo, m_FrontFbo);
        std::swap(m_BackColor, m_FrontColor);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
    return D3D_OK;
}

void GlDevice::ReadFramebuffer(unsigned framebuffer, int width, int height, std::vector<uint32_t>& pixels)
{
    pixels.resize(size_t(width) * height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // BGRA with the reversed packed type is A8R8G8B8 in a 32-bit word.
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    for (uint32_t& pixel : pixels)
        pixel = OpaqueIfNeeded(pixel, m_OpaqueFormat);
    glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
}

bool GlDevice::ReadPresentedFrame(PresentedFrame& frame)
{
    DrawHeld();
    if (!m_Presented || !MakeCurrent())
        return false;
    frame.width = m_Width;
    frame.height = m_Height;
    ReadFramebuffer(m_FrontFbo, m_Width, m_Height, frame.pixels);
    return true;
}

HRESULT GlDevice::ReadBackBuffer(ImageMemory& destination)
{
    DrawHeld();
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    std::vector<uint32_t> pixels;
    ReadFramebuffer(ResolvedFramebuffer(), m_Width, m_Height, pixels);
    for (UINT y = 0; y < std::min(destination.height, UINT(m_Height)); ++y)
        for (UINT x = 0; x < std::min(destination.width, UINT(m_Width)); ++x)
            destination.WriteArgb(x, y, pixels[size_t(y) * m_Width + x]);
    ++destination.version;
    return D3D_OK;
}

HRESULT GlDevice::WriteBackBuffer(const ImageMemory&, const RECT*, const RECT*)
{
    // Copying memory into the back buffer arrives with the drawing path.
    return E_NOTIMPL;
}

HRESULT GlDevice::ResetBackBuffer(D3DPRESENT_PARAMETERS& presentParameters)
{
    DrawHeld();
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    HWND window = presentParameters.hDeviceWindow ? presentParameters.hDeviceWindow : m_Creation.hFocusWindow;
    if (window && !m_OwnWindow)
        window->SetDesktopFullScreen(!presentParameters.Windowed);
    if (m_OwnWindow)
        SDL_SetWindowSize(m_Window, int(presentParameters.BackBufferWidth), int(presentParameters.BackBufferHeight));
    if (!BuildFramebuffers(presentParameters))
        return D3DERR_NOTAVAILABLE;
    SDL_GL_SetSwapInterval(presentParameters.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
    m_WindowLost = false;
    m_SeenVisible = false;
    return D3D_OK;
}

void GlDevice::UpdateLoss()
{
    if (m_OwnWindow)
        return;
    const Uint32 flags = SDL_GetWindowFlags(m_Window);
    const bool visible = (flags & SDL_WINDOW_SHOWN) && !(flags & SDL_WINDOW_MINIMIZED);
    // A window that was never shown yet (behind the splash) does not count as lost.
    if (visible)
        m_SeenVisible = true;
    if (!visible && (m_SeenVisible || (flags & SDL_WINDOW_MINIMIZED)))
    {
        m_WindowLost = true;
        m_Loss = DeviceLoss::Lost;
    }
    else if (visible && m_WindowLost && m_Loss == DeviceLoss::Lost)
    {
        m_WindowLost = false;
        m_Loss = DeviceLoss::NotReset;
    }
}
} // namespace gfx::gl
