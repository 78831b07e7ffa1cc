// State, resources and loss bookkeeping shared by the null and gl devices.
#include "platform/gfx/DeviceBase.h"

#include "platform/win/Window.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace gfx
{
namespace
{
DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

D3DMATRIX Identity()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

template <class T> void Swap(T*& slot, T* object)
{
    if (object)
        object->AddRef();
    if (slot)
        slot->Release();
    slot = object;
}

// Copies one image into another of any size (nearest pixel) through A8R8G8B8.
void CopyScaled(const ImageMemory& source, const RECT* sourceRect, ImageMemory& destination, const RECT* destRect)
{
    const RECT s = sourceRect ? *sourceRect : RECT{0, 0, LONG(source.width), LONG(source.height)};
    const RECT d = destRect ? *destRect : RECT{0, 0, LONG(destination.width), LONG(destination.height)};
    const LONG dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    for (LONG y = 0; y < dh; ++y)
        for (LONG x = 0; x < dw; ++x)
        {
            const LONG dx = d.left + x, dy = d.top + y;
            if (dx < 0 || dy < 0 || dx >= LONG(destination.width) || dy >= LONG(destination.height))
                continue;
            destination.WriteArgb(UINT(dx), UINT(dy),
                                  source.ReadArgb(UINT(s.left + x * sw / dw), UINT(s.top + y * sh / dh)));
        }
    ++destination.version;
}
} // namespace

void CompletePresentParameters(D3DPRESENT_PARAMETERS& parameters, HWND window, const D3DDISPLAYMODE& desktop)
{
    if (parameters.Windowed && (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0))
    {
        int width = int(desktop.Width), height = int(desktop.Height);
        if (HWND target = parameters.hDeviceWindow ? parameters.hDeviceWindow : window)
            target->GetClientSize(width, height);
        if (parameters.BackBufferWidth == 0)
            parameters.BackBufferWidth = UINT(std::max(1, width));
        if (parameters.BackBufferHeight == 0)
            parameters.BackBufferHeight = UINT(std::max(1, height));
    }
    if (parameters.BackBufferFormat == D3DFMT_UNKNOWN)
        parameters.BackBufferFormat = desktop.Format;
    if (parameters.BackBufferCount == 0)
        parameters.BackBufferCount = 1;
}

DeviceBase::DeviceBase(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps,
                       std::vector<std::string>* record)
    : m_Direct3D(direct3D), m_Creation(creation), m_Caps(caps), m_Record(record)
{
    m_Direct3D->AddRef();
    ResetState();
}

DeviceBase::~DeviceBase()
{
    ReleaseBoundObjects();
    if (m_BackBuffer)
        m_BackBuffer->Release();
    if (m_AutoDepth)
        m_AutoDepth->Release();
    m_Direct3D->Release();
}

void DeviceBase::SetUpBuffers(const D3DPRESENT_PARAMETERS& presentParameters)
{
    m_PresentParameters = presentParameters;
    if (m_BackBuffer)
        m_BackBuffer->Release();
    if (m_AutoDepth)
        m_AutoDepth->Release();
    m_AutoDepth = nullptr;
    m_BackBuffer = new MemorySurface(this, SurfaceRole::BackBuffer, presentParameters.BackBufferWidth,
                                     presentParameters.BackBufferHeight, presentParameters.BackBufferFormat,
                                     D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, presentParameters.MultiSampleType, false);
    if (presentParameters.EnableAutoDepthStencil)
        m_AutoDepth = new MemorySurface(this, SurfaceRole::AutoDepthStencil, presentParameters.BackBufferWidth,
                                        presentParameters.BackBufferHeight, presentParameters.AutoDepthStencilFormat,
                                        D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, presentParameters.MultiSampleType,
                                        false);
    Swap(m_RenderTargets[0], m_BackBuffer);
    Swap(m_DepthStencil, m_AutoDepth);
    m_Viewport = {0, 0, presentParameters.BackBufferWidth, presentParameters.BackBufferHeight, 0.0f, 1.0f};
    m_Scissor = {0, 0, LONG(presentParameters.BackBufferWidth), LONG(presentParameters.BackBufferHeight)};
    m_RenderStates[D3DRS_ZENABLE] = presentParameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
}

void DeviceBase::ResetState()
{
    auto& rs = m_RenderStates;
    rs.fill(0);
    rs[D3DRS_ZENABLE] = m_PresentParameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFF;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = rs[D3DRS_COLORWRITEENABLE1] = rs[D3DRS_COLORWRITEENABLE2] =
        rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDOP] = rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3; // D3DDEGREE_CUBIC
    rs[D3DRS_NORMALDEGREE] = 1;   // D3DDEGREE_LINEAR
    rs[D3DRS_MINTESSELLATIONLEVEL] = rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = rs[D3DRS_ADAPTIVETESS_W] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_DEBUGMONITORTOKEN] = 0;

    for (DWORD stage = 0; stage < D3D_STAGE_COUNT; ++stage)
    {
        auto& s = m_StageStates[stage];
        s.fill(0);
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = stage;
        s[D3DTSS_COLORARG0] = s[D3DTSS_ALPHAARG0] = s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    for (auto& s : m_SamplerStates)
    {
        s.fill(0);
        s[D3DSAMP_ADDRESSU] = s[D3DSAMP_ADDRESSV] = s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        s[D3DSAMP_MAGFILTER] = s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        s[D3DSAMP_MAXANISOTROPY] = 1;
    }
    m_Transforms.clear();
    m_Material = {};
    m_Lights.clear();
    m_LightEnabled.clear();
    m_Fvf = 0;
    m_InScene = false;
}

void DeviceBase::ReleaseBoundObjects()
{
    for (auto& texture : m_Textures)
        Swap(texture, static_cast<IDirect3DBaseTexture9*>(nullptr));
    for (auto& stream : m_Streams)
        Swap(stream.buffer, static_cast<IDirect3DVertexBuffer9*>(nullptr));
    Swap(m_Indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
    Swap(m_Declaration, static_cast<IDirect3DVertexDeclaration9*>(nullptr));
    for (auto& target : m_RenderTargets)
        Swap(target, static_cast<MemorySurface*>(nullptr));
    Swap(m_DepthStencil, static_cast<MemorySurface*>(nullptr));
}

std::string DeviceBase::Format(const char* format, ...)
{
    if (!m_Record)
        return {};
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

void DeviceBase::Record(const std::string& line)
{
    if (m_HeldDraws)
        DrawHeld();
    if (!m_Record)
        return;
    // A game left running on the null back-end must not grow without bound:
    // past a million lines the older half goes (tests look at far fewer).
    constexpr size_t kMaxRecordedCalls = size_t(1) << 20;
    if (m_Record->size() >= kMaxRecordedCalls)
        m_Record->erase(m_Record->begin(), m_Record->begin() + kMaxRecordedCalls / 2);
    m_Record->push_back(line);
}

std::string DeviceBase::NextName(const char* kind) { return kind + std::to_string(m_NextId++); }

void DeviceBase::ForceLoss(DeviceLoss loss) { m_Loss = loss; }

// ---- device state and presentation ----

HRESULT DeviceBase::TestCooperativeLevel()
{
    Record("TestCooperativeLevel()");
    UpdateLoss();
    if (m_Loss == DeviceLoss::Lost)
        return D3DERR_DEVICELOST;
    if (m_Loss == DeviceLoss::NotReset)
        return D3DERR_DEVICENOTRESET;
    return D3D_OK;
}

UINT DeviceBase::GetAvailableTextureMem() { return 512u << 20; }

HRESULT DeviceBase::EvictManagedResources()
{
    Record("EvictManagedResources()");
    return D3D_OK;
}

HRESULT DeviceBase::GetDirect3D(IDirect3D9** direct3D)
{
    if (!direct3D)
        return D3DERR_INVALIDCALL;
    m_Direct3D->AddRef();
    *direct3D = m_Direct3D;
    return D3D_OK;
}

HRESULT DeviceBase::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps)
        return D3DERR_INVALIDCALL;
    *caps = m_Caps;
    return D3D_OK;
}

HRESULT DeviceBase::GetDisplayMode(UINT, D3DDISPLAYMODE* mode)
{
    if (!mode)
        return D3DERR_INVALIDCALL;
    return m_Direct3D->GetAdapterDisplayMode(m_Creation.AdapterOrdinal, mode);
}

HRESULT DeviceBase::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    if (!parameters)
        return D3DERR_INVALIDCALL;
    *parameters = m_Creation;
    return D3D_OK;
}

BOOL DeviceBase::ShowCursor(BOOL show)
{
    Record(Format("ShowCursor(%d)", show));
    win::ShowCursor(show != 0);
    return TRUE;
}

HRESULT DeviceBase::Reset(D3DPRESENT_PARAMETERS* presentParameters)
{
    if (!presentParameters)
        return D3DERR_INVALIDCALL;
    Record(Format("Reset(%u,%u,%u,%d,%u)", presentParameters->BackBufferWidth, presentParameters->BackBufferHeight,
                  unsigned(presentParameters->BackBufferFormat), presentParameters->Windowed,
                  unsigned(presentParameters->MultiSampleType)));
    UpdateLoss();
    if (m_Loss == DeviceLoss::Lost)
        return D3DERR_DEVICELOST;
    D3DPRESENT_PARAMETERS parameters = *presentParameters;
    D3DDISPLAYMODE desktop{};
    m_Direct3D->GetAdapterDisplayMode(m_Creation.AdapterOrdinal, &desktop);
    CompletePresentParameters(parameters, m_Creation.hFocusWindow, desktop);
    const HRESULT result = ResetBackBuffer(parameters);
    if (FAILED(result))
    {
        // A failed reset leaves the device waiting for another one.
        m_Loss = DeviceLoss::NotReset;
        return result;
    }
    ReleaseBoundObjects();
    ResetState();
    m_PresentParameters = parameters;
    SetUpBuffers(parameters);
    ResetState();
    m_RenderStates[D3DRS_ZENABLE] = parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    *presentParameters = parameters;
    m_Loss = DeviceLoss::None;
    return D3D_OK;
}

HRESULT DeviceBase::Present(const RECT*, const RECT*, HWND, const void*)
{
    Record("Present()");
    UpdateLoss();
    if (m_Loss != DeviceLoss::None)
        return D3DERR_DEVICELOST;
    return PresentBackBuffer();
}

HRESULT DeviceBase::GetBackBuffer(UINT, UINT backBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface)
{
    Record(Format("GetBackBuffer(%u)", backBuffer));
    if (!surface || backBuffer != 0 || !m_BackBuffer)
        return D3DERR_INVALIDCALL;
    m_BackBuffer->AddRef();
    *surface = m_BackBuffer;
    return D3D_OK;
}

// ---- resources ----

HRESULT DeviceBase::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DTexture9** texture, void**)
{
    if (!texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const bool valid = width > 0 && height > 0 && (BytesPerPixel(format) > 0 || RowCount(format, 4) == 1) &&
                       !((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT);
    HRESULT result = D3DERR_INVALIDCALL;
    if (valid)
    {
        auto* created = new MemoryTexture(this, width, height, levels, usage, format, pool);
        *texture = created;
        result = D3D_OK;
    }
    Record(Format("CreateTexture(%u,%u,%u,%u,%u,%u)=%s", width, height, levels, usage, unsigned(format),
                  unsigned(pool), ResourceName(*texture).c_str()));
    return result;
}

HRESULT DeviceBase::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer, void**)
{
    if (!buffer || length == 0)
        return D3DERR_INVALIDCALL;
    *buffer = new MemoryVertexBuffer(this, length, usage, fvf, pool);
    Record(Format("CreateVertexBuffer(%u,%u,%u,%u)=%s", length, usage, fvf, unsigned(pool),
                  ResourceName(*buffer).c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer, void**)
{
    if (!buffer || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32))
        return D3DERR_INVALIDCALL;
    *buffer = new MemoryIndexBuffer(this, length, usage, format, pool);
    Record(Format("CreateIndexBuffer(%u,%u,%u,%u)=%s", length, usage, unsigned(format), unsigned(pool),
                  ResourceName(*buffer).c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                       DWORD, BOOL lockable, IDirect3DSurface9** surface, void**)
{
    if (!surface || width == 0 || height == 0 || BytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    *surface = new MemorySurface(this, SurfaceRole::RenderTarget, width, height, format, D3DPOOL_DEFAULT,
                                 D3DUSAGE_RENDERTARGET, multiSample, lockable != 0);
    Record(Format("CreateRenderTarget(%u,%u,%u,%u)=%s", width, height, unsigned(format), unsigned(multiSample),
                  ResourceName(*surface).c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample, DWORD, BOOL,
                                              IDirect3DSurface9** surface, void**)
{
    if (!surface || width == 0 || height == 0 || BytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    *surface = new MemorySurface(this, SurfaceRole::DepthStencil, width, height, format, D3DPOOL_DEFAULT,
                                 D3DUSAGE_DEPTHSTENCIL, multiSample, format == D3DFMT_D16_LOCKABLE);
    Record(Format("CreateDepthStencilSurface(%u,%u,%u,%u)=%s", width, height, unsigned(format),
                  unsigned(multiSample), ResourceName(*surface).c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                                IDirect3DSurface9** surface, void**)
{
    if (!surface || width == 0 || height == 0 || BytesPerPixel(format) == 0)
        return D3DERR_INVALIDCALL;
    *surface = new MemorySurface(this, SurfaceRole::Plain, width, height, format, pool, 0, D3DMULTISAMPLE_NONE, true);
    Record(Format("CreateOffscreenPlainSurface(%u,%u,%u,%u)=%s", width, height, unsigned(format), unsigned(pool),
                  ResourceName(*surface).c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination)
{
    Record("UpdateTexture(" + ResourceName(source) + "," + ResourceName(destination) + ")");
    auto* s = dynamic_cast<MemoryTexture*>(source);
    auto* d = dynamic_cast<MemoryTexture*>(destination);
    if (!s || !d || s->Format() != d->Format() || s->GetLevelCount() < d->GetLevelCount())
        return D3DERR_INVALIDCALL;
    for (UINT level = 0; level < d->GetLevelCount(); ++level)
    {
        if (s->Level(level).width != d->Level(level).width || s->Level(level).height != d->Level(level).height)
            return D3DERR_INVALIDCALL;
        std::lock_guard<std::mutex> lock(d->Mutex());
        d->Level(level).bytes = s->Level(level).bytes;
        ++d->Level(level).version;
    }
    return D3D_OK;
}

HRESULT DeviceBase::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination)
{
    Record("GetRenderTargetData(" + ResourceName(renderTarget) + "," + ResourceName(destination) + ")");
    auto* s = dynamic_cast<MemorySurface*>(renderTarget);
    auto* d = dynamic_cast<MemorySurface*>(destination);
    if (!s || !d || s->Width() != d->Width() || s->Height() != d->Height())
        return D3DERR_INVALIDCALL;
    if (s == m_BackBuffer)
        return ReadBackBuffer(d->Image());
    CopyScaled(s->Image(), nullptr, d->Image(), nullptr);
    return D3D_OK;
}

HRESULT DeviceBase::GetFrontBufferData(UINT, IDirect3DSurface9* destination)
{
    Record("GetFrontBufferData(" + ResourceName(destination) + ")");
    auto* d = dynamic_cast<MemorySurface*>(destination);
    if (!d || d->Format() != D3DFMT_A8R8G8B8)
        return D3DERR_INVALIDCALL;
    PresentedFrame frame;
    ImageMemory& image = d->Image();
    image.Fill(nullptr, D3DCOLOR_ARGB(0xFF, 0, 0, 0));
    if (!ReadPresentedFrame(frame))
        return D3D_OK;
    // The front buffer is the presented picture at the top left of the screen.
    const UINT width = std::min(image.width, UINT(frame.width));
    const UINT height = std::min(image.height, UINT(frame.height));
    for (UINT y = 0; y < height; ++y)
        std::memcpy(image.bytes.data() + size_t(y) * image.pitch, frame.pixels.data() + size_t(y) * frame.width,
                    size_t(width) * 4);
    return D3D_OK;
}

HRESULT DeviceBase::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,
                                const RECT* destRect, DWORD filter)
{
    Record(Format("StretchRect(%s,%s,%u)", ResourceName(source).c_str(), ResourceName(destination).c_str(), filter));
    auto* s = dynamic_cast<MemorySurface*>(source);
    auto* d = dynamic_cast<MemorySurface*>(destination);
    if (!s || !d)
        return D3DERR_INVALIDCALL;
    if (d == m_BackBuffer)
        return WriteBackBuffer(s->Image(), sourceRect, destRect);
    if (s == m_BackBuffer)
    {
        ImageMemory copy;
        copy.Allocate(D3DFMT_A8R8G8B8, s->Width(), s->Height());
        const HRESULT result = ReadBackBuffer(copy);
        if (FAILED(result))
            return result;
        CopyScaled(copy, sourceRect, d->Image(), destRect);
        return D3D_OK;
    }
    CopyScaled(s->Image(), sourceRect, d->Image(), destRect);
    return D3D_OK;
}

HRESULT DeviceBase::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color)
{
    Record(Format("ColorFill(%s,0x%08x)", ResourceName(surface).c_str(), color));
    auto* s = dynamic_cast<MemorySurface*>(surface);
    if (!s)
        return D3DERR_INVALIDCALL;
    if (s == m_BackBuffer)
    {
        const D3DRECT area = rect ? D3DRECT{rect->left, rect->top, rect->right, rect->bottom}
                                  : D3DRECT{0, 0, LONG(s->Width()), LONG(s->Height())};
        return ClearBackBuffer(1, &area, D3DCLEAR_TARGET, color, 1.0f, 0);
    }
    std::lock_guard<std::mutex> lock(s->Mutex());
    s->Fill(rect, color);
    return D3D_OK;
}

HRESULT DeviceBase::WriteBackBuffer(const ImageMemory& source, const RECT* sourceRect, const RECT* destRect)
{
    CopyScaled(source, sourceRect, m_BackBuffer->Image(), destRect);
    return D3D_OK;
}

HRESULT DeviceBase::ClearBackBuffer(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil)
{
    for (DWORD i = 0; i < count; ++i)
    {
        const RECT r{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2};
        if (flags & D3DCLEAR_TARGET)
            m_BackBuffer->Fill(&r, color);
        if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && m_DepthStencil)
            m_DepthStencil->FillDepthStencil(&r, flags, z, stencil);
    }
    return D3D_OK;
}

HRESULT DeviceBase::ReadBackBuffer(ImageMemory& destination)
{
    CopyScaled(m_BackBuffer->Image(), nullptr, destination, nullptr);
    return D3D_OK;
}

// ---- render targets ----

HRESULT DeviceBase::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    Record(Format("SetRenderTarget(%u,%s)", index, ResourceName(surface).c_str()));
    auto* s = dynamic_cast<MemorySurface*>(surface);
    if (index >= m_RenderTargets.size() || (index == 0 && !s) || (surface && !s))
        return D3DERR_INVALIDCALL;
    if (s && s->Role() != SurfaceRole::BackBuffer && s->Role() != SurfaceRole::RenderTarget &&
        !(s->Role() == SurfaceRole::TextureLevel && (s->Texture()->Usage() & D3DUSAGE_RENDERTARGET)))
        return D3DERR_INVALIDCALL;
    Swap(m_RenderTargets[index], s);
    if (index == 0)
    {
        // Setting the first target sets the viewport to all of it, as on Direct3D.
        m_Viewport = {0, 0, s->Width(), s->Height(), 0.0f, 1.0f};
        m_Scissor = {0, 0, LONG(s->Width()), LONG(s->Height())};
    }
    return D3D_OK;
}

HRESULT DeviceBase::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (!surface || index >= m_RenderTargets.size())
        return D3DERR_INVALIDCALL;
    *surface = m_RenderTargets[index];
    if (!*surface)
        return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

HRESULT DeviceBase::SetDepthStencilSurface(IDirect3DSurface9* surface)
{
    Record("SetDepthStencilSurface(" + ResourceName(surface) + ")");
    auto* s = dynamic_cast<MemorySurface*>(surface);
    if (surface && (!s || (s->Role() != SurfaceRole::DepthStencil && s->Role() != SurfaceRole::AutoDepthStencil &&
                           s->Role() != SurfaceRole::TextureLevel)))
        return D3DERR_INVALIDCALL;
    Swap(m_DepthStencil, s);
    return D3D_OK;
}

HRESULT DeviceBase::GetDepthStencilSurface(IDirect3DSurface9** surface)
{
    if (!surface)
        return D3DERR_INVALIDCALL;
    *surface = m_DepthStencil;
    if (!*surface)
        return D3DERR_NOTFOUND;
    (*surface)->AddRef();
    return D3D_OK;
}

// ---- scene ----

HRESULT DeviceBase::BeginScene()
{
    Record("BeginScene()");
    if (m_InScene)
        return D3DERR_INVALIDCALL;
    m_InScene = true;
    return D3D_OK;
}

HRESULT DeviceBase::EndScene()
{
    Record("EndScene()");
    if (!m_InScene)
        return D3DERR_INVALIDCALL;
    m_InScene = false;
    return D3D_OK;
}

HRESULT DeviceBase::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    Record(Format("Clear(%u,%u,0x%08x,%g,%u)", count, flags, color, z, stencil));
    if ((count > 0 && !rects) || !m_RenderTargets[0])
        return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !m_DepthStencil)
        return D3DERR_INVALIDCALL;
    // Clearing is limited to the viewport, as on Direct3D.
    const D3DRECT viewport{LONG(m_Viewport.X), LONG(m_Viewport.Y), LONG(m_Viewport.X + m_Viewport.Width),
                           LONG(m_Viewport.Y + m_Viewport.Height)};
    std::vector<D3DRECT> areas;
    if (count == 0)
        areas.push_back(viewport);
    for (DWORD i = 0; i < count; ++i)
    {
        D3DRECT r{std::max(rects[i].x1, viewport.x1), std::max(rects[i].y1, viewport.y1),
                  std::min(rects[i].x2, viewport.x2), std::min(rects[i].y2, viewport.y2)};
        if (r.x1 < r.x2 && r.y1 < r.y2)
            areas.push_back(r);
    }
    if (areas.empty())
        return D3D_OK;
    if (m_RenderTargets[0] == m_BackBuffer)
        return ClearBackBuffer(DWORD(areas.size()), areas.data(), flags, color, z, stencil);
    return ClearOffscreen(DWORD(areas.size()), areas.data(), flags, color, z, stencil);
}

HRESULT DeviceBase::ClearOffscreen(DWORD count, const D3DRECT* areas, DWORD flags, D3DCOLOR color, float z,
                                   DWORD stencil)
{
    for (const D3DRECT& area : std::vector<D3DRECT>(areas, areas + count))
    {
        const RECT r{area.x1, area.y1, area.x2, area.y2};
        if (flags & D3DCLEAR_TARGET)
        {
            std::lock_guard<std::mutex> lock(m_RenderTargets[0]->Mutex());
            m_RenderTargets[0]->Fill(&r, color);
        }
        if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && m_DepthStencil != m_AutoDepth)
            m_DepthStencil->FillDepthStencil(&r, flags, z, stencil);
    }
    return D3D_OK;
}

// ---- fixed-function state ----

HRESULT DeviceBase::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (!matrix)
        return D3DERR_INVALIDCALL;
    if (Recording())
    {
        std::string line = Format("SetTransform(%u", unsigned(state));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                line += Format(",%g", matrix->m[r][c]);
        Record(line + ")");
    }
    m_Transforms[state] = *matrix;
    return D3D_OK;
}

HRESULT DeviceBase::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix)
        return D3DERR_INVALIDCALL;
    auto it = m_Transforms.find(state);
    *matrix = it == m_Transforms.end() ? Identity() : it->second;
    return D3D_OK;
}

HRESULT DeviceBase::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    Record(Format("SetViewport(%u,%u,%u,%u,%g,%g)", viewport->X, viewport->Y, viewport->Width, viewport->Height,
                  viewport->MinZ, viewport->MaxZ));
    MemorySurface* target = m_RenderTargets[0];
    if (!target || viewport->Width == 0 || viewport->Height == 0 ||
        viewport->X + viewport->Width > target->Width() ||
        viewport->Y + viewport->Height > target->Height())
        return D3DERR_INVALIDCALL;
    m_Viewport = *viewport;
    return D3D_OK;
}

HRESULT DeviceBase::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport)
        return D3DERR_INVALIDCALL;
    *viewport = m_Viewport;
    return D3D_OK;
}

HRESULT DeviceBase::SetMaterial(const D3DMATERIAL9* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    const D3DMATERIAL9& m = *material;
    Record(Format("SetMaterial(%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g)", m.Diffuse.r, m.Diffuse.g,
                  m.Diffuse.b, m.Diffuse.a, m.Ambient.r, m.Ambient.g, m.Ambient.b, m.Ambient.a, m.Specular.r,
                  m.Specular.g, m.Specular.b, m.Specular.a, m.Emissive.r, m.Emissive.g, m.Emissive.b, m.Emissive.a,
                  m.Power));
    m_Material = m;
    return D3D_OK;
}

HRESULT DeviceBase::GetMaterial(D3DMATERIAL9* material)
{
    if (!material)
        return D3DERR_INVALIDCALL;
    *material = m_Material;
    return D3D_OK;
}

HRESULT DeviceBase::SetLight(DWORD index, const D3DLIGHT9* light)
{
    if (!light)
        return D3DERR_INVALIDCALL;
    Record(Format("SetLight(%u,%u)", index, unsigned(light->Type)));
    m_Lights[index] = *light;
    return D3D_OK;
}

HRESULT DeviceBase::GetLight(DWORD index, D3DLIGHT9* light)
{
    auto it = m_Lights.find(index);
    if (!light || it == m_Lights.end())
        return D3DERR_INVALIDCALL;
    *light = it->second;
    return D3D_OK;
}

HRESULT DeviceBase::LightEnable(DWORD index, BOOL enable)
{
    Record(Format("LightEnable(%u,%d)", index, enable));
    if (!m_Lights.count(index))
        m_Lights[index] = D3DLIGHT9{D3DLIGHT_DIRECTIONAL, {1, 1, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0},
                                    {0, 0, 1}, 0, 0, 0, 0, 0, 0, 0};
    m_LightEnabled[index] = enable ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT DeviceBase::GetLightEnable(DWORD index, BOOL* enable)
{
    auto it = m_LightEnabled.find(index);
    if (!enable || it == m_LightEnabled.end())
        return D3DERR_INVALIDCALL;
    *enable = it->second;
    return D3D_OK;
}

HRESULT DeviceBase::SetClipPlane(DWORD index, const float* plane)
{
    if (!plane)
        return D3DERR_INVALIDCALL;
    Record(Format("SetClipPlane(%u,%g,%g,%g,%g)", index, plane[0], plane[1], plane[2], plane[3]));
    if (index >= m_ClipPlanes.size())
        return D3DERR_INVALIDCALL;
    for (int i = 0; i < 4; ++i)
        m_ClipPlanes[index][size_t(i)] = plane[i];
    return D3D_OK;
}

HRESULT DeviceBase::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    Record(Format("SetRenderState(%u,%u)", unsigned(state), value));
    if (state >= D3DRS_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    m_RenderStates[state] = value;
    return D3D_OK;
}

HRESULT DeviceBase::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || state >= D3DRS_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    *value = m_RenderStates[state];
    return D3D_OK;
}

HRESULT DeviceBase::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    Record(Format("SetTexture(%u,%s)", stage, ResourceName(texture).c_str()));
    if (stage >= m_Textures.size())
        return D3DERR_INVALIDCALL;
    Swap(m_Textures[stage], texture);
    return D3D_OK;
}

HRESULT DeviceBase::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    if (!texture || stage >= m_Textures.size())
        return D3DERR_INVALIDCALL;
    *texture = m_Textures[stage];
    if (*texture)
        (*texture)->AddRef();
    return D3D_OK;
}

HRESULT DeviceBase::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    Record(Format("SetTextureStageState(%u,%u,%u)", stage, unsigned(type), value));
    if (stage >= D3D_STAGE_COUNT || type >= D3DTSS_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    m_StageStates[stage][type] = value;
    return D3D_OK;
}

HRESULT DeviceBase::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= D3D_STAGE_COUNT || type >= D3DTSS_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    *value = m_StageStates[stage][type];
    return D3D_OK;
}

HRESULT DeviceBase::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    Record(Format("SetSamplerState(%u,%u,%u)", sampler, unsigned(type), value));
    if (sampler >= D3D_SAMPLER_COUNT || type >= D3DSAMP_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    m_SamplerStates[sampler][type] = value;
    return D3D_OK;
}

HRESULT DeviceBase::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (!value || sampler >= D3D_SAMPLER_COUNT || type >= D3DSAMP_TABLE_SIZE)
        return D3DERR_INVALIDCALL;
    *value = m_SamplerStates[sampler][type];
    return D3D_OK;
}

HRESULT DeviceBase::SetScissorRect(const RECT* rect)
{
    if (!rect)
        return D3DERR_INVALIDCALL;
    Record(Format("SetScissorRect(%d,%d,%d,%d)", rect->left, rect->top, rect->right, rect->bottom));
    m_Scissor = *rect;
    return D3D_OK;
}

HRESULT DeviceBase::GetScissorRect(RECT* rect)
{
    if (!rect)
        return D3DERR_INVALIDCALL;
    *rect = m_Scissor;
    return D3D_OK;
}

// ---- geometry ----

HRESULT DeviceBase::SetFVF(DWORD fvf)
{
    Record(Format("SetFVF(%u)", fvf));
    m_Fvf = fvf;
    if (fvf != 0)
        Swap(m_Declaration, static_cast<IDirect3DVertexDeclaration9*>(nullptr));
    return D3D_OK;
}

HRESULT DeviceBase::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                            IDirect3DVertexDeclaration9** declaration)
{
    if (!elements || !declaration)
        return D3DERR_INVALIDCALL;
    std::vector<D3DVERTEXELEMENT9> list;
    for (; elements->Stream != 0xFF; ++elements)
    {
        if (list.size() >= 64 || elements->Type > D3DDECLTYPE_UBYTE4)
            return D3DERR_INVALIDCALL;
        list.push_back(*elements);
    }
    auto* created = new MemoryVertexDeclaration(this, std::move(list));
    *declaration = created;
    Record(Format("CreateVertexDeclaration(%u)=%s", unsigned(created->Elements().size()), created->Name().c_str()));
    return D3D_OK;
}

HRESULT DeviceBase::SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration)
{
    Record(Format("SetVertexDeclaration(%s)", ResourceName(declaration).c_str()));
    Swap(m_Declaration, declaration);
    if (declaration)
        m_Fvf = 0;
    return D3D_OK;
}

HRESULT DeviceBase::GetFVF(DWORD* fvf)
{
    if (!fvf)
        return D3DERR_INVALIDCALL;
    *fvf = m_Fvf;
    return D3D_OK;
}

HRESULT DeviceBase::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    Record(Format("SetStreamSource(%u,%s,%u,%u)", stream, ResourceName(buffer).c_str(), offset, stride));
    if (stream >= m_Streams.size())
        return D3DERR_INVALIDCALL;
    Swap(m_Streams[stream].buffer, buffer);
    m_Streams[stream].offset = offset;
    m_Streams[stream].stride = stride;
    return D3D_OK;
}

HRESULT DeviceBase::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride)
{
    if (!buffer || !offset || !stride || stream >= m_Streams.size())
        return D3DERR_INVALIDCALL;
    *buffer = m_Streams[stream].buffer;
    if (*buffer)
        (*buffer)->AddRef();
    *offset = m_Streams[stream].offset;
    *stride = m_Streams[stream].stride;
    return D3D_OK;
}

HRESULT DeviceBase::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    Record("SetIndices(" + ResourceName(buffer) + ")");
    Swap(m_Indices, buffer);
    return D3D_OK;
}

HRESULT DeviceBase::GetIndices(IDirect3DIndexBuffer9** buffer)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    *buffer = m_Indices;
    if (*buffer)
        (*buffer)->AddRef();
    return D3D_OK;
}

HRESULT DeviceBase::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    Record(Format("DrawPrimitive(%u,%u,%u)", unsigned(type), startVertex, primitiveCount));
    if (!m_InScene || !m_Streams[0].buffer)
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.startVertex = startVertex;
    return Draw(call);
}

HRESULT DeviceBase::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                         UINT startIndex, UINT primitiveCount)
{
    Record(Format("DrawIndexedPrimitive(%u,%d,%u,%u,%u,%u)", unsigned(type), baseVertex, minIndex, vertexCount,
                  startIndex, primitiveCount));
    if (!m_InScene || !m_Streams[0].buffer || !m_Indices)
        return D3DERR_INVALIDCALL;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.indexed = true;
    call.baseVertex = baseVertex;
    call.minIndex = minIndex;
    call.vertexCount = vertexCount;
    call.startIndex = startIndex;
    return Draw(call);
}

HRESULT DeviceBase::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride)
{
    // The draw itself decides whether the held draws go first (it may join them).
    const bool held = m_HeldDraws;
    m_HeldDraws = false;
    Record(Format("DrawPrimitiveUP(%u,%u,%u)", unsigned(type), primitiveCount, stride));
    m_HeldDraws = held;
    if (!m_InScene || !vertices || stride == 0)
        return D3DERR_INVALIDCALL;
    // Drawing from user memory unbinds stream 0, as on Direct3D.
    Swap(m_Streams[0].buffer, static_cast<IDirect3DVertexBuffer9*>(nullptr));
    m_Streams[0].offset = m_Streams[0].stride = 0;
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.userVertices = vertices;
    call.userStride = stride;
    return Draw(call);
}

HRESULT DeviceBase::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void* indices, D3DFORMAT indexFormat,
                                           const void* vertices, UINT stride)
{
    Record(Format("DrawIndexedPrimitiveUP(%u,%u,%u,%u,%u,%u)", unsigned(type), minIndex, vertexCount, primitiveCount,
                  unsigned(indexFormat), stride));
    if (!m_InScene || !vertices || !indices || stride == 0)
        return D3DERR_INVALIDCALL;
    Swap(m_Streams[0].buffer, static_cast<IDirect3DVertexBuffer9*>(nullptr));
    m_Streams[0].offset = m_Streams[0].stride = 0;
    Swap(m_Indices, static_cast<IDirect3DIndexBuffer9*>(nullptr));
    DrawCall call;
    call.type = type;
    call.primitiveCount = primitiveCount;
    call.indexed = true;
    call.minIndex = minIndex;
    call.vertexCount = vertexCount;
    call.userVertices = vertices;
    call.userStride = stride;
    call.userIndices = indices;
    call.userIndexFormat = indexFormat;
    return Draw(call);
}

UINT VerticesOf(D3DPRIMITIVETYPE type, UINT primitiveCount)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        return primitiveCount;
    case D3DPT_LINELIST:
        return primitiveCount * 2;
    case D3DPT_LINESTRIP:
        return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
        return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return primitiveCount + 2;
    }
    return 0;
}

Program* DeviceBase::CreateProgramObject(const std::string&, const std::string&, std::string*) { return new Program(); }

void DeviceBase::DestroyProgramObject(Program* program)
{
    if (m_Program == program)
        m_Program = nullptr;
    delete program;
}

// ---- layer extensions ----

bool ReadPresentedFrame(IDirect3DDevice9* device, PresentedFrame& frame)
{
    auto* base = dynamic_cast<DeviceBase*>(device);
    return base && base->ReadPresentedFrame(frame);
}

void ForceDeviceLoss(IDirect3DDevice9* device, DeviceLoss loss)
{
    if (auto* base = dynamic_cast<DeviceBase*>(device))
        base->ForceLoss(loss);
}
} // namespace gfx
