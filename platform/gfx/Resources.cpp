// Memory-backed textures, surfaces and buffers shared by both back-ends.
#include "platform/gfx/Resources.h"

#include "platform/gfx/DeviceBase.h"

#include <algorithm>
#include <cstring>

namespace gfx
{
namespace
{
bool IsBlockFormat(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

uint32_t Expand(uint32_t value, int bits) { return bits == 0 ? 0xFF : (value * 255 + ((1u << bits) - 1) / 2) / ((1u << bits) - 1); }

// Clips a rectangle to an image; false when nothing is left.
bool ClipRect(const RECT* rect, UINT width, UINT height, UINT& x0, UINT& y0, UINT& x1, UINT& y1)
{
    x0 = 0, y0 = 0, x1 = width, y1 = height;
    if (rect)
    {
        x0 = UINT(std::clamp<LONG>(rect->left, 0, LONG(width)));
        y0 = UINT(std::clamp<LONG>(rect->top, 0, LONG(height)));
        x1 = UINT(std::clamp<LONG>(rect->right, 0, LONG(width)));
        y1 = UINT(std::clamp<LONG>(rect->bottom, 0, LONG(height)));
    }
    return x0 < x1 && y0 < y1;
}
} // namespace

UINT BytesPerPixel(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_R32F:
    case D3DFMT_G16R16F:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_INDEX32:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_INDEX16:
        return 2;
    case D3DFMT_A8:
    case D3DFMT_L8:
    case D3DFMT_R3G3B2:
        return 1;
    case D3DFMT_A16B16G16R16F:
        return 8;
    default:
        return 0;
    }
}

UINT RowPitch(D3DFORMAT format, UINT width)
{
    if (IsBlockFormat(format))
        return std::max(1u, (width + 3) / 4) * (format == D3DFMT_DXT1 ? 8 : 16);
    return width * BytesPerPixel(format);
}

UINT RowCount(D3DFORMAT format, UINT height) { return IsBlockFormat(format) ? std::max(1u, (height + 3) / 4) : height; }

void ImageMemory::Allocate(D3DFORMAT imageFormat, UINT imageWidth, UINT imageHeight)
{
    format = imageFormat;
    width = imageWidth;
    height = imageHeight;
    pitch = RowPitch(format, width);
    bytes.assign(size_t(pitch) * RowCount(format, height), 0);
    ++version;
}

void ImageMemory::WriteArgb(UINT x, UINT y, uint32_t argb)
{
    Encode(format, argb, bytes.data() + size_t(y) * pitch + size_t(x) * BytesPerPixel(format));
}

void ImageMemory::Encode(D3DFORMAT format, uint32_t argb, uint8_t* p)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    uint32_t v32 = 0;
    uint16_t v16 = 0;
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        v32 = argb;
        std::memcpy(p, &v32, 4);
        break;
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
        v32 = (a << 24) | (b << 16) | (g << 8) | r;
        std::memcpy(p, &v32, 4);
        break;
    case D3DFMT_R5G6B5:
        v16 = uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
        std::memcpy(p, &v16, 2);
        break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        v16 = uint16_t(((a >> 7) << 15) | ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        std::memcpy(p, &v16, 2);
        break;
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
        v16 = uint16_t(((a >> 4) << 12) | ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4));
        std::memcpy(p, &v16, 2);
        break;
    case D3DFMT_R32F:
    {
        const float f = float(r) / 255.0f;
        std::memcpy(p, &f, 4);
        break;
    }
    case D3DFMT_A8:
        *p = uint8_t(a);
        break;
    case D3DFMT_L8:
        *p = uint8_t(r);
        break;
    case D3DFMT_A8L8:
        p[0] = uint8_t(r);
        p[1] = uint8_t(a);
        break;
    default:
        break;
    }
}

uint32_t ImageMemory::ReadArgb(UINT x, UINT y) const
{
    if (x >= width || y >= height || BytesPerPixel(format) == 0)
        return 0;
    const uint8_t* p = bytes.data() + size_t(y) * pitch + size_t(x) * BytesPerPixel(format);
    uint32_t v32 = 0;
    uint16_t v16 = 0;
    switch (format)
    {
    case D3DFMT_A8R8G8B8:
        std::memcpy(&v32, p, 4);
        return v32;
    case D3DFMT_X8R8G8B8:
        std::memcpy(&v32, p, 4);
        return v32 | 0xFF000000u;
    case D3DFMT_R5G6B5:
        std::memcpy(&v16, p, 2);
        return D3DCOLOR_ARGB(0xFF, Expand((v16 >> 11) & 31, 5), Expand((v16 >> 5) & 63, 6), Expand(v16 & 31, 5));
    case D3DFMT_A1R5G5B5:
    case D3DFMT_X1R5G5B5:
        std::memcpy(&v16, p, 2);
        return D3DCOLOR_ARGB(format == D3DFMT_X1R5G5B5 || (v16 >> 15) ? 0xFF : 0, Expand((v16 >> 10) & 31, 5),
                             Expand((v16 >> 5) & 31, 5), Expand(v16 & 31, 5));
    case D3DFMT_A4R4G4B4:
        std::memcpy(&v16, p, 2);
        return D3DCOLOR_ARGB(Expand(v16 >> 12, 4), Expand((v16 >> 8) & 15, 4), Expand((v16 >> 4) & 15, 4),
                             Expand(v16 & 15, 4));
    default:
        return 0;
    }
}

void ImageMemory::FillPixels(const RECT* rect, const uint8_t* pixel)
{
    UINT x0, y0, x1, y1;
    const UINT bpp = BytesPerPixel(format);
    if (bpp == 0 || !ClipRect(rect, width, height, x0, y0, x1, y1))
        return;
    for (UINT y = y0; y < y1; ++y)
    {
        uint8_t* row = bytes.data() + size_t(y) * pitch + size_t(x0) * bpp;
        const size_t count = x1 - x0;
        if (bpp == 1)
        {
            std::memset(row, pixel[0], count);
            continue;
        }
        // One pixel, then the filled span doubled until the row is full.
        std::memcpy(row, pixel, bpp);
        size_t done = 1;
        while (done < count)
        {
            const size_t step = std::min(done, count - done);
            std::memcpy(row + done * bpp, row, step * bpp);
            done += step;
        }
    }
}

void ImageMemory::Fill(const RECT* rect, D3DCOLOR color)
{
    const UINT bpp = BytesPerPixel(format);
    if (bpp == 0 || bpp > 4)
        return;
    uint8_t pixel[4] = {};
    Encode(format, color, pixel);
    FillPixels(rect, pixel);
    ++version;
}

void ImageMemory::ApplyDepthStencil(D3DFORMAT format, DWORD flags, float z, DWORD stencil, uint8_t* p)
{
    if (format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE)
    {
        const uint16_t depth16 = uint16_t(std::clamp(z, 0.0f, 1.0f) * 65535.0f + 0.5f);
        if (flags & D3DCLEAR_ZBUFFER)
            std::memcpy(p, &depth16, 2);
        return;
    }
    if (BytesPerPixel(format) != 4)
        return;
    const uint32_t depth24 = uint32_t(std::clamp(z, 0.0f, 1.0f) * 16777215.0f + 0.5f);
    uint32_t v;
    std::memcpy(&v, p, 4);
    if (flags & D3DCLEAR_ZBUFFER)
        v = (v & 0xFFu) | (depth24 << 8);
    if (flags & D3DCLEAR_STENCIL)
        v = (v & ~0xFFu) | (stencil & 0xFF);
    std::memcpy(p, &v, 4);
}

void ImageMemory::FillDepthStencil(const RECT* rect, DWORD flags, float z, DWORD stencil)
{
    UINT x0, y0, x1, y1;
    if (!ClipRect(rect, width, height, x0, y0, x1, y1))
        return;
    const UINT bpp = BytesPerPixel(format);
    const bool whole = format == D3DFMT_D16 || format == D3DFMT_D16_LOCKABLE ||
                       (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    if (whole && (bpp == 2 || bpp == 4))
    {
        // Every pixel gets the same bytes: a block fill.
        uint8_t pixel[4] = {};
        ApplyDepthStencil(format, flags, z, stencil, pixel);
        FillPixels(rect, pixel);
    }
    else
        for (UINT y = y0; y < y1; ++y)
            for (UINT x = x0; x < x1; ++x)
                ApplyDepthStencil(format, flags, z, stencil, bytes.data() + size_t(y) * pitch + size_t(x) * bpp);
    ++version;
}

ResourceCore::ResourceCore(DeviceBase* device, const char* kind, D3DPOOL pool, DWORD usage, bool counted)
    : m_Device(device), m_Pool(pool), m_Usage(usage), m_Counted(counted), m_Name(device->NextName(kind))
{
    if (!m_Counted)
        return;
    m_Device->AddRef();
    if (m_Pool == D3DPOOL_DEFAULT)
        m_Device->CountDefaultPool(1);
}

ResourceCore::~ResourceCore()
{
    if (!m_Counted)
        return;
    if (m_Pool == D3DPOOL_DEFAULT)
        m_Device->CountDefaultPool(-1);
    m_Device->Release();
}

// ---- surfaces ----

MemorySurface::MemorySurface(DeviceBase* device, SurfaceRole role, UINT width, UINT height, D3DFORMAT format,
                             D3DPOOL pool, DWORD usage, D3DMULTISAMPLE_TYPE multiSample, bool lockable)
    : m_Core(device, role == SurfaceRole::DepthStencil || role == SurfaceRole::AutoDepthStencil ? "depth" : "surf",
             pool, usage, role != SurfaceRole::BackBuffer && role != SurfaceRole::AutoDepthStencil),
      m_Role(role), m_MultiSample(multiSample), m_Lockable(lockable)
{
    m_Own.Allocate(format, width, height);
}

MemorySurface::MemorySurface(MemoryTexture* texture, UINT level)
    : m_Core(texture->Device(), "level", texture->Pool(), texture->Usage(), false), m_Role(SurfaceRole::TextureLevel),
      m_Texture(texture), m_Level(level)
{
    m_Texture->AddRef();
}

MemorySurface::~MemorySurface()
{
    if (m_Texture)
        m_Texture->Release();
    else
        m_Core.m_Device->ForgetResource(this);
}

ImageMemory& MemorySurface::Image()
{
    if (m_Texture)
        return m_Texture->Level(m_Level);
    Materialise();
    return m_Own;
}

UINT MemorySurface::Width() const { return m_Texture ? m_Texture->Level(m_Level).width : m_Own.width; }
UINT MemorySurface::Height() const { return m_Texture ? m_Texture->Level(m_Level).height : m_Own.height; }
D3DFORMAT MemorySurface::Format() const { return m_Texture ? m_Texture->Level(m_Level).format : m_Own.format; }

bool MemorySurface::Covers(const RECT* rect) const
{
    const UINT bpp = BytesPerPixel(m_Own.format);
    if (m_Texture || bpp == 0 || bpp > 4 || m_Own.bytes.size() != size_t(m_Own.pitch) * m_Own.height)
        return false;
    return !rect || (rect->left <= 0 && rect->top <= 0 && rect->right >= LONG(m_Own.width) &&
                     rect->bottom >= LONG(m_Own.height));
}

void MemorySurface::Materialise()
{
    if (!m_Deferred)
        return;
    m_Deferred = false;
    m_Own.FillPixels(nullptr, m_Pixel);
}

void MemorySurface::Fill(const RECT* rect, D3DCOLOR color)
{
    if (!Covers(rect))
    {
        Image().Fill(rect, color);
        return;
    }
    std::memset(m_Pixel, 0, sizeof m_Pixel);
    ImageMemory::Encode(m_Own.format, color, m_Pixel);
    m_Deferred = true;
    ++m_Own.version;
}

void MemorySurface::FillDepthStencil(const RECT* rect, DWORD flags, float z, DWORD stencil)
{
    // Clearing only depth or only stencil keeps the other: possible without
    // the pixels only while they all hold the same value.
    const bool both = m_Own.format == D3DFMT_D16 || m_Own.format == D3DFMT_D16_LOCKABLE ||
                      (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL);
    if (!Covers(rect) || (!both && !m_Deferred))
    {
        Image().FillDepthStencil(rect, flags, z, stencil);
        return;
    }
    if (!m_Deferred)
        std::memset(m_Pixel, 0, sizeof m_Pixel);
    ImageMemory::ApplyDepthStencil(m_Own.format, flags, z, stencil, m_Pixel);
    m_Deferred = true;
    ++m_Own.version;
}

bool MemorySurface::UniformColour(uint32_t& argb) const
{
    if (!m_Deferred)
        return false;
    ImageMemory one;
    one.Allocate(m_Own.format, 1, 1);
    std::memcpy(one.bytes.data(), m_Pixel, BytesPerPixel(m_Own.format));
    argb = one.ReadArgb(0, 0);
    return true;
}

std::mutex& MemorySurface::Mutex() { return m_Texture ? m_Texture->Mutex() : m_OwnMutex; }

HRESULT MemorySurface::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_Core.m_Device->AddRef();
    *device = m_Core.m_Device;
    return D3D_OK;
}

HRESULT MemorySurface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    const ImageMemory& image = Image();
    *desc = {image.format, D3DRTYPE_SURFACE, m_Core.m_Usage, m_Core.m_Pool, m_MultiSample, 0, image.width,
             image.height};
    return D3D_OK;
}

HRESULT MemorySurface::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (m_Texture)
        return m_Texture->LockRect(m_Level, locked, rect, flags);
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".LockRect(" + std::to_string(flags) + ")");
    // Back buffers, depth buffers and multisampled targets cannot be locked, as on Direct3D.
    if (!locked || m_Locked || !m_Lockable || m_Role == SurfaceRole::BackBuffer ||
        m_Role == SurfaceRole::AutoDepthStencil || m_MultiSample != D3DMULTISAMPLE_NONE)
        return D3DERR_INVALIDCALL;
    m_OwnMutex.lock();
    Materialise();
    m_Locked = true;
    const UINT bpp = BytesPerPixel(m_Own.format);
    size_t offset = 0;
    if (rect)
        offset = size_t(rect->top) * m_Own.pitch + size_t(rect->left) * bpp;
    locked->Pitch = INT(m_Own.pitch);
    locked->pBits = m_Own.bytes.data() + offset;
    return D3D_OK;
}

HRESULT MemorySurface::UnlockRect()
{
    if (m_Texture)
        return m_Texture->UnlockRect(m_Level);
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".UnlockRect()");
    if (!m_Locked)
        return D3DERR_INVALIDCALL;
    m_Locked = false;
    ++m_Own.version;
    m_OwnMutex.unlock();
    return D3D_OK;
}

// ---- textures ----

MemoryTexture::MemoryTexture(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool)
    : m_Core(device, "tex", pool, usage), m_Format(format)
{
    UINT fullChain = 1;
    for (UINT size = std::max(width, height); size > 1; size /= 2)
        ++fullChain;
    const UINT count = (levels == 0 || levels > fullChain) ? fullChain : levels;
    m_Levels.resize(count);
    m_Locked.assign(count, false);
    for (UINT i = 0; i < count; ++i)
        m_Levels[i].Allocate(format, std::max(1u, width >> i), std::max(1u, height >> i));
}

MemoryTexture::~MemoryTexture() { m_Core.m_Device->ForgetResource(this); }

HRESULT MemoryTexture::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_Core.m_Device->AddRef();
    *device = m_Core.m_Device;
    return D3D_OK;
}

HRESULT MemoryTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    *desc = {m_Format, D3DRTYPE_SURFACE, m_Core.m_Usage, m_Core.m_Pool, D3DMULTISAMPLE_NONE, 0,
             m_Levels[level].width, m_Levels[level].height};
    return D3D_OK;
}

HRESULT MemoryTexture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface || level >= m_Levels.size())
        return D3DERR_INVALIDCALL;
    *surface = new MemorySurface(this, level);
    return D3D_OK;
}

HRESULT MemoryTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".LockRect(" + std::to_string(level) + "," + std::to_string(flags) +
                                ")");
    // Render targets in the default pool live on the GPU and are read with
    // GetRenderTargetData, as on Direct3D.
    if (!locked || level >= m_Levels.size() || m_Locked[level] ||
        ((m_Core.m_Usage & D3DUSAGE_RENDERTARGET) && m_Core.m_Pool == D3DPOOL_DEFAULT) ||
        (m_Core.m_Pool == D3DPOOL_DEFAULT && !(m_Core.m_Usage & D3DUSAGE_DYNAMIC)))
        return D3DERR_INVALIDCALL;
    m_Mutex.lock();
    m_Locked[level] = true;
    ImageMemory& image = m_Levels[level];
    size_t offset = 0;
    if (rect)
    {
        const bool blocks = RowCount(m_Format, 4) == 1;
        const size_t row = blocks ? size_t(rect->top) / 4 : size_t(rect->top);
        const size_t column = blocks ? size_t(rect->left) / 4 * (m_Format == D3DFMT_DXT1 ? 8 : 16)
                                     : size_t(rect->left) * BytesPerPixel(m_Format);
        offset = row * image.pitch + column;
    }
    locked->Pitch = INT(image.pitch);
    locked->pBits = image.bytes.data() + offset;
    return D3D_OK;
}

HRESULT MemoryTexture::UnlockRect(UINT level)
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".UnlockRect(" + std::to_string(level) + ")");
    if (level >= m_Levels.size() || !m_Locked[level])
        return D3DERR_INVALIDCALL;
    m_Locked[level] = false;
    ++m_Levels[level].version;
    m_Mutex.unlock();
    return D3D_OK;
}

// ---- buffers ----

HRESULT BufferMemory::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (!data || m_Locked || offset > m_Bytes.size() || (size != 0 && size > m_Bytes.size() - offset))
        return D3DERR_INVALIDCALL;
    m_Locked = true;
    // A size of 0 locks the whole buffer from offset, as on Direct3D.
    const size_t end = size == 0 ? m_Bytes.size() : size_t(offset) + size;
    if (!(flags & D3DLOCK_READONLY))
    {
        if (m_DirtyBegin >= m_DirtyEnd)
            m_DirtyBegin = offset, m_DirtyEnd = end;
        else
            m_DirtyBegin = std::min(m_DirtyBegin, size_t(offset)), m_DirtyEnd = std::max(m_DirtyEnd, end);
    }
    if (flags & D3DLOCK_DISCARD)
        m_Discarded = true;
    *data = m_Bytes.data() + offset;
    return D3D_OK;
}

HRESULT BufferMemory::Unlock()
{
    if (!m_Locked)
        return D3DERR_INVALIDCALL;
    m_Locked = false;
    ++m_Version;
    return D3D_OK;
}

void BufferMemory::TakeDirty(size_t& begin, size_t& end, bool& discarded)
{
    begin = m_DirtyBegin;
    end = m_DirtyEnd;
    discarded = m_Discarded;
    m_DirtyBegin = m_DirtyEnd = 0;
    m_Discarded = false;
}

MemoryVertexBuffer::MemoryVertexBuffer(DeviceBase* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : m_Core(device, "vb", pool, usage), m_Fvf(fvf)
{
    m_Memory.m_Bytes.assign(length, 0);
}

MemoryVertexBuffer::~MemoryVertexBuffer() { m_Core.m_Device->ForgetResource(this); }

HRESULT MemoryVertexBuffer::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_Core.m_Device->AddRef();
    *device = m_Core.m_Device;
    return D3D_OK;
}

HRESULT MemoryVertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".Lock(" + std::to_string(offset) + "," + std::to_string(size) + "," +
                                std::to_string(flags) + ")");
    return m_Memory.Lock(offset, size, data, flags);
}

HRESULT MemoryVertexBuffer::Unlock()
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".Unlock()");
    return m_Memory.Unlock();
}

HRESULT MemoryVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, m_Core.m_Usage, m_Core.m_Pool, UINT(m_Memory.m_Bytes.size()),
             m_Fvf};
    return D3D_OK;
}

MemoryIndexBuffer::MemoryIndexBuffer(DeviceBase* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : m_Core(device, "ib", pool, usage), m_Format(format)
{
    m_Memory.m_Bytes.assign(length, 0);
}

MemoryIndexBuffer::~MemoryIndexBuffer() { m_Core.m_Device->ForgetResource(this); }

HRESULT MemoryIndexBuffer::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_Core.m_Device->AddRef();
    *device = m_Core.m_Device;
    return D3D_OK;
}

HRESULT MemoryIndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags)
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".Lock(" + std::to_string(offset) + "," + std::to_string(size) + "," +
                                std::to_string(flags) + ")");
    return m_Memory.Lock(offset, size, data, flags);
}

HRESULT MemoryIndexBuffer::Unlock()
{
    if (m_Core.m_Device->Recording())
        m_Core.m_Device->Record(m_Core.m_Name + ".Unlock()");
    return m_Memory.Unlock();
}

HRESULT MemoryIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc)
{
    if (!desc)
        return D3DERR_INVALIDCALL;
    *desc = {m_Format, D3DRTYPE_INDEXBUFFER, m_Core.m_Usage, m_Core.m_Pool, UINT(m_Memory.m_Bytes.size())};
    return D3D_OK;
}

MemoryVertexDeclaration::MemoryVertexDeclaration(DeviceBase* device, std::vector<D3DVERTEXELEMENT9> elements)
    : m_Core(device, "decl", D3DPOOL_MANAGED, 0), m_Elements(std::move(elements))
{
}

HRESULT MemoryVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count)
{
    if (!count)
        return D3DERR_INVALIDCALL;
    if (elements)
    {
        std::copy(m_Elements.begin(), m_Elements.end(), elements);
        elements[m_Elements.size()] = D3DDECL_END();
    }
    *count = UINT(m_Elements.size()) + 1;
    return D3D_OK;
}

std::string ResourceName(IUnknown* resource)
{
    if (!resource)
        return "null";
    if (auto* t = dynamic_cast<MemoryTexture*>(resource))
        return t->Name();
    if (auto* s = dynamic_cast<MemorySurface*>(resource))
        return s->Role() == SurfaceRole::TextureLevel && s->Texture()
                   ? s->Texture()->Name() + "." + std::to_string(s->Level())
                   : s->Name();
    if (auto* v = dynamic_cast<MemoryVertexBuffer*>(resource))
        return v->Name();
    if (auto* i = dynamic_cast<MemoryIndexBuffer*>(resource))
        return i->Name();
    if (auto* d = dynamic_cast<MemoryVertexDeclaration*>(resource))
        return d->Name();
    return "foreign";
}
} // namespace gfx
