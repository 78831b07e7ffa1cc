// The null Direct3D object and device.
#include "platform/gfx/null/NullGfx.h"

#include "platform/gfx/DeviceBase.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullDirect3D.h"
#include "platform/win/Window.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace gfx::null
{
namespace
{
Config s_config;
std::vector<std::string> s_calls;
std::vector<UserDraw> s_userDraws;

bool Refused(D3DFORMAT format)
{
    for (D3DFORMAT refused : s_config.refusedFormats)
        if (refused == format)
            return true;
    return false;
}

class NullDevice : public DeviceBase
{
  public:
    using DeviceBase::DeviceBase;

    bool ReadPresentedFrame(PresentedFrame& frame) override
    {
        if (m_Front.width == 0)
            return false;
        if (m_FrontUniform)
        {
            m_Front.pixels.assign(size_t(m_Front.width) * m_Front.height, m_FrontColour);
            m_FrontUniform = false;
        }
        frame = m_Front;
        return true;
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, void** sharedHandle = nullptr) override
    {
        if (Refused(format))
        {
            Record(Format("CreateTexture(failed,%u)", unsigned(format)));
            if (texture)
                *texture = nullptr;
            return D3DERR_NOTAVAILABLE;
        }
        return DeviceBase::CreateTexture(width, height, levels, usage, format, pool, texture, sharedHandle);
    }

    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override
    {
        if (s_config.failSetViewport)
        {
            Record("SetViewport(failed)");
            return D3DERR_INVALIDCALL;
        }
        return DeviceBase::SetViewport(viewport);
    }

  protected:
    HRESULT Draw(const DrawCall& call) override
    {
        if (!s_config.keepUserDraws || !call.userVertices || call.indexed)
            return D3D_OK;
        UserDraw draw;
        draw.call = s_calls.empty() ? 0 : s_calls.size() - 1;
        draw.type = call.type;
        draw.fvf = m_Fvf;
        draw.texture = ResourceName(m_Textures[0]);
        draw.stride = call.userStride;
        const auto* bytes = static_cast<const uint8_t*>(call.userVertices);
        draw.vertices.assign(bytes, bytes + size_t(VerticesOf(call.type, call.primitiveCount)) * call.userStride);
        s_userDraws.push_back(std::move(draw));
        return D3D_OK;
    }

    HRESULT PresentBackBuffer() override
    {
        m_Front.width = int(m_BackBuffer->Width());
        m_Front.height = int(m_BackBuffer->Height());
        // A back buffer that is one cleared colour is presented as that
        // colour; the front pixels are only written if someone reads them.
        if (m_BackBuffer->UniformColour(m_FrontColour))
        {
            m_FrontUniform = true;
            return D3D_OK;
        }
        m_FrontUniform = false;
        const ImageMemory& image = m_BackBuffer->Image();
        m_Front.pixels.resize(size_t(image.width) * image.height);
        for (UINT y = 0; y < image.height; ++y)
        {
            uint32_t* row = m_Front.pixels.data() + size_t(y) * image.width;
            if (image.format == D3DFMT_A8R8G8B8 || image.format == D3DFMT_X8R8G8B8)
            {
                std::memcpy(row, image.bytes.data() + size_t(y) * image.pitch, size_t(image.width) * 4);
                if (image.format == D3DFMT_X8R8G8B8)
                    for (UINT x = 0; x < image.width; ++x)
                        row[x] |= 0xFF000000u;
            }
            else
                for (UINT x = 0; x < image.width; ++x)
                    row[x] = image.ReadArgb(x, y);
        }
        return D3D_OK;
    }

    HRESULT ResetBackBuffer(D3DPRESENT_PARAMETERS& presentParameters) override
    {
        if (s_config.failReset)
            return D3DERR_INVALIDCALL;
        if (s_config.resetNeedsDefaultPoolReleased && LiveDefaultPool() > 0)
        {
            Record("Reset refused: " + std::to_string(LiveDefaultPool()) + " default-pool resources alive");
            return D3DERR_INVALIDCALL;
        }
        if (HWND window = presentParameters.hDeviceWindow ? presentParameters.hDeviceWindow : m_Creation.hFocusWindow)
            window->SetDesktopFullScreen(!presentParameters.Windowed);
        return D3D_OK;
    }

  private:
    PresentedFrame m_Front;
    bool m_FrontUniform = false;
    uint32_t m_FrontColour = 0;
};

void CopyText(char* destination, size_t size, const std::string& text)
{
    std::snprintf(destination, size, "%s", text.c_str());
}
} // namespace

Adapter MakeAdapter(const AdapterOptions& options)
{
    Adapter adapter{};
    CopyText(adapter.identifier.Driver, sizeof adapter.identifier.Driver, options.driver);
    CopyText(adapter.identifier.Description, sizeof adapter.identifier.Description, options.description);
    CopyText(adapter.identifier.DeviceName, sizeof adapter.identifier.DeviceName, "\\\\.\\DISPLAY1");
    D3DCAPS9& caps = adapter.caps;
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                   D3DDEVCAPS_DRAWPRIMITIVES2EX;
    if (options.hardwareTnL)
        caps.DevCaps |= D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    if (options.pureDevice)
        caps.DevCaps |= D3DDEVCAPS_PUREDEVICE;
    caps.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                             D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    if (options.anisotropicMinify)
        caps.TextureFilterCaps |= D3DPTFILTERCAPS_MINFANISOTROPIC;
    if (options.anisotropicMagnify)
        caps.TextureFilterCaps |= D3DPTFILTERCAPS_MAGFANISOTROPIC;
    caps.TextureCaps = D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED |
                       D3DPTEXTURECAPS_PERSPECTIVE;
    caps.RasterCaps = D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_SCISSORTEST |
                      D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_DEPTHBIAS | D3DPRASTERCAPS_SLOPESCALEDEPTHBIAS;
    caps.Caps2 = D3DCAPS2_DYNAMICTEXTURES;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 4096;
    caps.MaxAnisotropy = options.maxAnisotropy;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxActiveLights = 8;
    caps.MaxUserClipPlanes = 6;
    caps.MaxPointSize = 64.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 16;
    caps.MaxStreamStride = 255;
    caps.NumSimultaneousRTs = 4;
    caps.VertexShaderVersion =
        options.vertexShaderMajor ? D3DVS_VERSION(options.vertexShaderMajor, options.vertexShaderMinor) : 0;
    caps.PixelShaderVersion =
        options.pixelShaderMajor ? D3DPS_VERSION(options.pixelShaderMajor, options.pixelShaderMinor) : 0;
    caps.MaxVertexShaderConst = 256;
    adapter.desktop = options.desktop;
    adapter.modes = options.modes;
    adapter.maxMultiSample = options.maxMultiSample;
    return adapter;
}

Config& Settings() { return s_config; }

void ResetSettings()
{
    s_config = Config{};
    s_calls.clear();
    s_userDraws.clear();
}

std::vector<std::string>& Calls() { return s_calls; }

void ClearCalls()
{
    s_calls.clear();
    s_userDraws.clear();
}

std::vector<UserDraw>& UserDraws() { return s_userDraws; }

size_t CountCalls(std::string_view prefix)
{
    size_t count = 0;
    for (const std::string& call : s_calls)
        if (std::string_view(call).substr(0, prefix.size()) == prefix)
            ++count;
    return count;
}

int FindCall(std::string_view prefix, size_t from)
{
    for (size_t i = from; i < s_calls.size(); ++i)
        if (std::string_view(s_calls[i]).substr(0, prefix.size()) == prefix)
            return int(i);
    return -1;
}

// ---- the Direct3D object ----

namespace
{
std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (s_config.recordCalls)
        s_calls.push_back(text);
    return text;
}

const Adapter* FindAdapter(UINT adapter)
{
    return adapter < s_config.adapters.size() ? &s_config.adapters[adapter] : nullptr;
}
} // namespace

UINT NullDirect3D::GetAdapterCount()
{
    Line("GetAdapterCount()");
    return UINT(s_config.adapters.size());
}

HRESULT NullDirect3D::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier)
{
    Line("GetAdapterIdentifier(%u,%u)", adapter, flags);
    const Adapter* a = FindAdapter(adapter);
    if (!a || !identifier)
        return D3DERR_INVALIDCALL;
    *identifier = a->identifier;
    return D3D_OK;
}

UINT NullDirect3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    Line("GetAdapterModeCount(%u,%u)", adapter, unsigned(format));
    const Adapter* a = FindAdapter(adapter);
    if (!a)
        return 0;
    UINT count = 0;
    for (const D3DDISPLAYMODE& mode : a->modes)
        count += mode.Format == format;
    return count;
}

HRESULT NullDirect3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT index, D3DDISPLAYMODE* displayMode)
{
    Line("EnumAdapterModes(%u,%u,%u)", adapter, unsigned(format), index);
    const Adapter* a = FindAdapter(adapter);
    if (!a || !displayMode)
        return D3DERR_INVALIDCALL;
    for (const D3DDISPLAYMODE& mode : a->modes)
        if (mode.Format == format && index-- == 0)
        {
            *displayMode = mode;
            return D3D_OK;
        }
    return D3DERR_INVALIDCALL;
}

HRESULT NullDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    Line("GetAdapterDisplayMode(%u)", adapter);
    const Adapter* a = FindAdapter(adapter);
    if (!a || !displayMode || s_config.failDisplayMode)
        return D3DERR_INVALIDCALL;
    *displayMode = a->desktop;
    return D3D_OK;
}

HRESULT NullDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                      D3DFORMAT backBufferFormat, BOOL windowed)
{
    Line("CheckDeviceType(%u,%u,%u,%u,%d)", adapter, unsigned(type), unsigned(displayFormat),
         unsigned(backBufferFormat), windowed);
    return FindAdapter(adapter) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT NullDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                        D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    Line("CheckDeviceFormat(%u,%u,%u,%u,%u,%u)", adapter, unsigned(type), unsigned(adapterFormat), usage,
         unsigned(resourceType), unsigned(checkFormat));
    if (!FindAdapter(adapter))
        return D3DERR_INVALIDCALL;
    if (Refused(checkFormat))
        return D3DERR_NOTAVAILABLE;
    return BytesPerPixel(checkFormat) > 0 || RowCount(checkFormat, 4) == 1 ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT NullDirect3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat,
                                                 BOOL windowed, D3DMULTISAMPLE_TYPE multiSample,
                                                 DWORD* qualityLevels)
{
    Line("CheckDeviceMultiSampleType(%u,%u,%u,%d,%u)", adapter, unsigned(type), unsigned(surfaceFormat), windowed,
         unsigned(multiSample));
    const Adapter* a = FindAdapter(adapter);
    if (!a)
        return D3DERR_INVALIDCALL;
    const bool accepted = multiSample == D3DMULTISAMPLE_NONE ||
                          (multiSample >= 2 && multiSample <= a->maxMultiSample && multiSample <= 16);
    if (qualityLevels)
        *qualityLevels = accepted ? 1 : 0;
    return accepted ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT NullDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                             D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat)
{
    Line("CheckDepthStencilMatch(%u,%u,%u,%u,%u)", adapter, unsigned(type), unsigned(adapterFormat),
         unsigned(renderTargetFormat), unsigned(depthStencilFormat));
    return FindAdapter(adapter) ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT NullDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps)
{
    Line("GetDeviceCaps(%u,%u)", adapter, unsigned(type));
    const Adapter* a = FindAdapter(adapter);
    if (!a || !caps)
        return D3DERR_INVALIDCALL;
    *caps = a->caps;
    caps->DeviceType = type;
    caps->AdapterOrdinal = adapter;
    return D3D_OK;
}

HRESULT NullDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                   D3DPRESENT_PARAMETERS* presentParameters, IDirect3DDevice9** device)
{
    if (presentParameters)
        Line("CreateDevice(%u,%u,%u,%u,%u,%u,%d,%u)", adapter, unsigned(type), behaviorFlags,
             presentParameters->BackBufferWidth, presentParameters->BackBufferHeight,
             unsigned(presentParameters->BackBufferFormat), presentParameters->Windowed,
             unsigned(presentParameters->MultiSampleType));
    const Adapter* a = FindAdapter(adapter);
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!a || !presentParameters || s_config.failCreateDevice)
        return D3DERR_NOTAVAILABLE;
    // Pure and hardware processing need hardware transform and lighting, as on Direct3D.
    if ((behaviorFlags & (D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE)) &&
        !(a->caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT))
        return D3DERR_NOTAVAILABLE;
    D3DCAPS9 caps = a->caps;
    caps.DeviceType = type;
    caps.AdapterOrdinal = adapter;
    CompletePresentParameters(*presentParameters, focusWindow, a->desktop);
    auto* created = new NullDevice(this, {adapter, type, focusWindow, behaviorFlags}, caps,
                                   s_config.recordCalls ? &s_calls : nullptr);
    created->SetUpBuffers(*presentParameters);
    if (HWND window = presentParameters->hDeviceWindow ? presentParameters->hDeviceWindow : focusWindow)
        window->SetDesktopFullScreen(!presentParameters->Windowed);
    *device = created;
    return D3D_OK;
}

IDirect3D9* CreateNullDirect3D()
{
    if (s_config.failDirect3DCreate)
        return nullptr;
    return new NullDirect3D();
}
} // namespace gfx::null
