// The device's resources as both back-ends keep them: pixels and vertices in
// memory, in Direct3D's byte layouts, so that locking is the same everywhere.
// The gl back-end uploads from this memory when it draws (every upload happens
// on the game thread; a lock from another thread only touches memory).
#pragma once

#include "platform/gfx/D3D9.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace gfx
{
class DeviceBase;

// Reference counting shared by every object of the layer.
template <class Interface> class RefCounted : public Interface
{
  public:
    ULONG AddRef() override { return ++m_Refs; }
    ULONG Release() override
    {
        const ULONG left = --m_Refs;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    std::atomic<ULONG> m_Refs{1};
};

// One image in memory: a texture level or a surface's own pixels.
struct ImageMemory
{
    D3DFORMAT format = D3DFMT_UNKNOWN;
    UINT width = 0;
    UINT height = 0;
    UINT pitch = 0;
    std::vector<uint8_t> bytes;
    // Counts changes, so a back-end can tell when its copy is stale.
    uint32_t version = 0;

    void Allocate(D3DFORMAT imageFormat, UINT imageWidth, UINT imageHeight);
    // Fills a rectangle (whole image when rect is null) with an ARGB colour
    // converted to the image's format.
    void Fill(const RECT* rect, D3DCOLOR color);
    // Fills a depth-stencil image: depth 0..1 and/or stencil, per flags.
    void FillDepthStencil(const RECT* rect, DWORD flags, float z, DWORD stencil);
    // Reads one pixel as A8R8G8B8 (formats the game reads back; others give 0).
    uint32_t ReadArgb(UINT x, UINT y) const;
    void WriteArgb(UINT x, UINT y, uint32_t argb);

    // One pixel of an ARGB colour in a format's bytes (BytesPerPixel of them).
    static void Encode(D3DFORMAT format, uint32_t argb, uint8_t* pixel);
    // A depth-stencil clear applied to one pixel of a format.
    static void ApplyDepthStencil(D3DFORMAT format, DWORD flags, float z, DWORD stencil, uint8_t* pixel);
    // Every pixel of a rectangle (clipped; null for all) set to the same bytes.
    void FillPixels(const RECT* rect, const uint8_t* pixel);
};

// Bookkeeping every resource shares: its device, pool, usage and a short name
// ("tex3") used in the null device's call record.
class ResourceCore
{
  public:
    // An uncounted resource (the back buffer, a texture level's view) holds no
    // reference on its device and does not count as a default-pool resource.
    ResourceCore(DeviceBase* device, const char* kind, D3DPOOL pool, DWORD usage, bool counted = true);
    ~ResourceCore();
    DeviceBase* m_Device;
    D3DPOOL m_Pool;
    DWORD m_Usage;
    bool m_Counted;
    std::string m_Name;
};

class MemoryTexture;

// What a surface stands for; the back-ends treat the back buffer specially.
enum class SurfaceRole
{
    Plain,
    RenderTarget,
    DepthStencil,
    BackBuffer,
    AutoDepthStencil,
    TextureLevel
};

class MemorySurface : public RefCounted<IDirect3DSurface9>
{
  public:
    // A surface with its own memory.
    MemorySurface(DeviceBase* device, SurfaceRole role, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                  DWORD usage, D3DMULTISAMPLE_TYPE multiSample, bool lockable);
    // A view of one level of a texture; keeps the texture alive.
    MemorySurface(MemoryTexture* texture, UINT level);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;

    SurfaceRole Role() const { return m_Role; }
    const std::string& Name() const { return m_Core.m_Name; }
    // The pixels of the surface (its own, or its texture level's), brought up
    // to date when a clear was put off.
    ImageMemory& Image();
    // Size and format, without touching the pixels.
    UINT Width() const;
    UINT Height() const;
    D3DFORMAT Format() const;
    // Clears that cover all of a surface's own memory are put off: the surface
    // only remembers the one pixel value all its pixels have, and writes them
    // when something reads the pixels (Image, LockRect). Frames cleared and
    // presented with nothing reading them back then cost nothing.
    void Fill(const RECT* rect, D3DCOLOR color);
    void FillDepthStencil(const RECT* rect, DWORD flags, float z, DWORD stencil);
    // The colour of every pixel when a clear is still put off.
    bool UniformColour(uint32_t& argb) const;
    std::mutex& Mutex();
    MemoryTexture* Texture() const { return m_Texture; }
    UINT Level() const { return m_Level; }
    D3DMULTISAMPLE_TYPE MultiSample() const { return m_MultiSample; }

  private:
    ~MemorySurface() override;
    ResourceCore m_Core;
    SurfaceRole m_Role;
    ImageMemory m_Own;
    std::mutex m_OwnMutex;
    MemoryTexture* m_Texture = nullptr;
    UINT m_Level = 0;
    D3DMULTISAMPLE_TYPE m_MultiSample = D3DMULTISAMPLE_NONE;
    bool m_Lockable = true;
    bool m_Locked = false;
    // A put-off clear: every pixel of m_Own is m_Pixel.
    bool m_Deferred = false;
    uint8_t m_Pixel[4] = {};
    bool Covers(const RECT* rect) const;
    void Materialise();
};

class MemoryTexture : public RefCounted<IDirect3DTexture9>
{
  public:
    MemoryTexture(DeviceBase* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                  D3DPOOL pool);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return DWORD(m_Levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    const std::string& Name() const { return m_Core.m_Name; }
    DeviceBase* Device() const { return m_Core.m_Device; }
    D3DFORMAT Format() const { return m_Format; }
    DWORD Usage() const { return m_Core.m_Usage; }
    D3DPOOL Pool() const { return m_Core.m_Pool; }
    ImageMemory& Level(UINT level) { return m_Levels[level]; }
    // Guards the level memory against a lock from another thread (the movie).
    std::mutex& Mutex() { return m_Mutex; }

  private:
    ~MemoryTexture() override;
    ResourceCore m_Core;
    D3DFORMAT m_Format;
    std::vector<ImageMemory> m_Levels;
    std::vector<bool> m_Locked;
    std::mutex m_Mutex;
};

// Vertex and index buffers share everything but their description.
class BufferMemory
{
  public:
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
    HRESULT Unlock();
    // What changed since a back-end last took a copy: the byte range written
    // under locks, and whether one of them discarded the contents.
    void TakeDirty(size_t& begin, size_t& end, bool& discarded);
    std::vector<uint8_t> m_Bytes;
    uint32_t m_Version = 0;
    bool m_Locked = false;
    size_t m_DirtyBegin = 0;
    size_t m_DirtyEnd = 0;
    bool m_Discarded = false;
};

class MemoryVertexBuffer : public RefCounted<IDirect3DVertexBuffer9>
{
  public:
    MemoryVertexBuffer(DeviceBase* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;
    const std::string& Name() const { return m_Core.m_Name; }
    BufferMemory& Memory() { return m_Memory; }

  private:
    ~MemoryVertexBuffer() override;
    ResourceCore m_Core;
    DWORD m_Fvf;
    BufferMemory m_Memory;
};

class MemoryIndexBuffer : public RefCounted<IDirect3DIndexBuffer9>
{
  public:
    MemoryIndexBuffer(DeviceBase* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;
    const std::string& Name() const { return m_Core.m_Name; }
    D3DFORMAT Format() const { return m_Format; }
    BufferMemory& Memory() { return m_Memory; }

  private:
    ~MemoryIndexBuffer() override;
    ResourceCore m_Core;
    D3DFORMAT m_Format;
    BufferMemory m_Memory;
};

class MemoryVertexDeclaration : public RefCounted<IDirect3DVertexDeclaration9>
{
  public:
    MemoryVertexDeclaration(DeviceBase* device, std::vector<D3DVERTEXELEMENT9> elements);
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;
    const std::string& Name() const { return m_Core.m_Name; }
    // Without the end element.
    const std::vector<D3DVERTEXELEMENT9>& Elements() const { return m_Elements; }

  private:
    ~MemoryVertexDeclaration() override = default;
    ResourceCore m_Core;
    std::vector<D3DVERTEXELEMENT9> m_Elements;
};

// The record name of any resource pointer the device is handed ("null" for none).
std::string ResourceName(IUnknown* resource);
} // namespace gfx
