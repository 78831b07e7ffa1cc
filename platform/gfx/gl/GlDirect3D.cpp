// Adapters, modes and caps of the gl back-end, in Direct3D's terms.
#include "platform/gfx/gl/GlDirect3D.h"

#include "platform/gfx/gl/GlDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace gfx::gl
{
namespace
{
D3DFORMAT FormatOf(Uint32 sdlFormat)
{
    const int bits = SDL_BITSPERPIXEL(sdlFormat);
    if (bits == 24 || bits == 32)
        return D3DFMT_X8R8G8B8;
    if (bits == 16)
        return D3DFMT_R5G6B5;
    return D3DFMT_UNKNOWN;
}

std::vector<D3DDISPLAYMODE> ModesOf(int display, D3DFORMAT format)
{
    std::vector<D3DDISPLAYMODE> modes;
    const int count = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < count; ++i)
    {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0 || FormatOf(mode.format) != format)
            continue;
        const D3DDISPLAYMODE d3d{UINT(mode.w), UINT(mode.h), UINT(mode.refresh_rate), format};
        const bool known = std::any_of(modes.begin(), modes.end(), [&](const D3DDISPLAYMODE& m) {
            return m.Width == d3d.Width && m.Height == d3d.Height && m.RefreshRate == d3d.RefreshRate;
        });
        if (!known)
            modes.push_back(d3d);
    }
    // Direct3D lists modes from the smallest up.
    std::sort(modes.begin(), modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
        return a.Width != b.Width ? a.Width < b.Width : a.Height != b.Height ? a.Height < b.Height
                                                                             : a.RefreshRate < b.RefreshRate;
    });
    return modes;
}
} // namespace

IDirect3D9* CreateGlDirect3D()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "SDL video could not start: %s\n", SDL_GetError());
        return nullptr;
    }
    return new GlDirect3D();
}

GlDirect3D::~GlDirect3D() = default;

bool GlDirect3D::ValidAdapter(UINT adapter) const { return int(adapter) < std::max(1, SDL_GetNumVideoDisplays()); }

const GlDirect3D::Probe& GlDirect3D::Driver()
{
    if (m_Probe.done)
        return m_Probe;
    m_Probe.done = true;
    // A short-lived context on a hidden window tells what the driver offers.
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_Window* window = SDL_CreateWindow("qv7 probe", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window)
        return m_Probe;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    if (SDL_GLContext context = SDL_GL_CreateContext(window))
    {
        auto text = [](GLenum name) {
            const GLubyte* value = glGetString(name);
            return std::string(value ? reinterpret_cast<const char*>(value) : "");
        };
        m_Probe.ok = true;
        m_Probe.renderer = text(GL_RENDERER);
        m_Probe.version = text(GL_VERSION);
        m_Probe.vendor = text(GL_VENDOR);
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m_Probe.maxTextureSize);
        glGetIntegerv(GL_MAX_SAMPLES, &m_Probe.maxSamples);
        // A software rasteriser tests, blends and resolves every sample on the
        // CPU: at 4x the main menu's frame costs about twice as much on Mesa's
        // llvmpipe, so multisampling is not offered there (the game falls back
        // to none); hardware drivers offer what they report. Testers force it
        // on to keep the resolving present tested on such machines.
        const char* force = std::getenv("QV7_GL_SOFTWARE_MULTISAMPLE");
        const bool forced = force && std::strcmp(force, "1") == 0;
        for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
            if (!forced && m_Probe.renderer.find(software) != std::string::npos)
                m_Probe.maxSamples = 0;
        if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") || epoxy_gl_version() >= 46)
            glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &m_Probe.maxAnisotropy);
        SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
    if (previous)
        SDL_GL_MakeCurrent(previousWindow, previous);
    return m_Probe;
}

UINT GlDirect3D::GetAdapterCount() { return UINT(std::max(1, SDL_GetNumVideoDisplays())); }

HRESULT GlDirect3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER9* identifier)
{
    if (!identifier || !ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    *identifier = {};
    const Probe& probe = Driver();
    std::snprintf(identifier->Driver, sizeof identifier->Driver, "OpenGL %s", probe.version.c_str());
    std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                  probe.ok ? probe.renderer.c_str() : "OpenGL (unavailable)");
    const char* name = SDL_GetDisplayName(int(adapter));
    std::snprintf(identifier->DeviceName, sizeof identifier->DeviceName, "%s", name ? name : "display");
    return D3D_OK;
}

UINT GlDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    return ValidAdapter(adapter) ? UINT(ModesOf(int(adapter), format).size()) : 0;
}

HRESULT GlDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (!displayMode || !ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    const std::vector<D3DDISPLAYMODE> modes = ModesOf(int(adapter), format);
    if (mode >= modes.size())
        return D3DERR_INVALIDCALL;
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT GlDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    SDL_DisplayMode mode;
    if (!displayMode || !ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    if (SDL_GetDesktopDisplayMode(int(adapter), &mode) != 0)
    {
        // Some drivers (offscreen) know no displays: a common desktop then.
        *displayMode = {1024, 768, 60, D3DFMT_X8R8G8B8};
        return D3D_OK;
    }
    const D3DFORMAT format = FormatOf(mode.format);
    *displayMode = {UINT(mode.w), UINT(mode.h), UINT(mode.refresh_rate),
                    format == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : format};
    return D3D_OK;
}

HRESULT GlDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT, BOOL)
{
    return ValidAdapter(adapter) && type == D3DDEVTYPE_HAL ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                      D3DFORMAT checkFormat)
{
    if (!ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    return BytesPerPixel(checkFormat) > 0 || RowCount(checkFormat, 4) == 1 ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE, D3DFORMAT, BOOL,
                                               D3DMULTISAMPLE_TYPE multiSample, DWORD* qualityLevels)
{
    if (!ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    const bool accepted =
        multiSample == D3DMULTISAMPLE_NONE || (multiSample >= 2 && int(multiSample) <= Driver().maxSamples);
    if (qualityLevels)
        *qualityLevels = accepted ? 1 : 0;
    return accepted ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT GlDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT)
{
    return ValidAdapter(adapter) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT GlDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    if (!caps || !ValidAdapter(adapter))
        return D3DERR_INVALIDCALL;
    const Probe& probe = Driver();
    *caps = {};
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    if (!probe.ok)
        return D3D_OK;
    // An OpenGL 3.3 core driver does everything a shader-model-3 card did.
    caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE | D3DDEVCAPS_HWRASTERIZATION |
                    D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMITIVES2EX |
                    D3DDEVCAPS_CANRENDERAFTERFLIP;
    caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                              D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (probe.maxAnisotropy > 1.0f)
        caps->TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps->TextureCaps =
        D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED | D3DPTEXTURECAPS_PERSPECTIVE;
    caps->RasterCaps = D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_SCISSORTEST |
                       D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_DEPTHBIAS |
                       D3DPRASTERCAPS_SLOPESCALEDEPTHBIAS;
    caps->Caps2 = D3DCAPS2_DYNAMICTEXTURES | D3DCAPS2_CANAUTOGENMIPMAP;
    caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps->MaxTextureWidth = caps->MaxTextureHeight = DWORD(probe.maxTextureSize);
    caps->MaxAnisotropy = DWORD(probe.maxAnisotropy);
    caps->MaxTextureBlendStages = 8;
    caps->MaxSimultaneousTextures = 8;
    caps->MaxActiveLights = 8;
    caps->MaxUserClipPlanes = 6;
    caps->MaxPointSize = 64.0f;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFFF;
    caps->MaxStreams = 16;
    caps->MaxStreamStride = 255;
    caps->NumSimultaneousRTs = 4;
    caps->VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps->PixelShaderVersion = D3DPS_VERSION(3, 0);
    caps->MaxVertexShaderConst = 256;
    return D3D_OK;
}

HRESULT GlDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                 D3DPRESENT_PARAMETERS* presentParameters, IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!presentParameters || !ValidAdapter(adapter) || type != D3DDEVTYPE_HAL)
        return D3DERR_NOTAVAILABLE;
    D3DCAPS9 caps{};
    GetDeviceCaps(adapter, type, &caps);
    D3DDISPLAYMODE desktop{};
    GetAdapterDisplayMode(adapter, &desktop);
    CompletePresentParameters(*presentParameters, focusWindow, desktop);
    GlDevice* created = GlDevice::Create(this, {adapter, type, focusWindow, behaviorFlags}, caps, *presentParameters);
    if (!created)
        return D3DERR_NOTAVAILABLE;
    *device = created;
    return D3D_OK;
}
} // namespace gfx::gl
