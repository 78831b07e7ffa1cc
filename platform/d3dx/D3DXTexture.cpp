// Texture creation from image files. The work is done on ARGB pixels: the file
// is decoded, colour-keyed, resized when the texture's size differs, and each
// smaller level is the 2x2 box average of the one above. Levels the file
// already holds in the texture's own format and size are copied unchanged, so
// a DXT file with its mip chain loads bit for bit. Textures the device cannot
// lock (default pool) are filled through a system-memory twin and
// UpdateTexture, as D3DX does.
#include "platform/d3dx/D3DXTexture.h"

#include "platform/d3dx/Dds.h"
#include "platform/d3dx/PixelCodec.h"
#include "platform/io/BinaryReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
using d3dx::ArgbImage;

uint32_t NextPowerOfTwo(uint32_t value)
{
    uint32_t power = 1;
    while (power < value && power < 0x80000000u)
        power <<= 1;
    return power;
}

// The average of the pixels in [x0, x1) x [y0, y1), each channel rounded.
uint32_t AverageArea(const ArgbImage& source, uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1)
{
    uint32_t sum[4] = {0, 0, 0, 0};
    for (uint32_t y = y0; y < y1; ++y)
        for (uint32_t x = x0; x < x1; ++x)
        {
            const uint32_t pixel = source.pixels[size_t(y) * source.width + x];
            for (int c = 0; c < 4; ++c)
                sum[c] += (pixel >> (8 * c)) & 0xFF;
        }
    const uint32_t count = (x1 - x0) * (y1 - y0);
    uint32_t out = 0;
    for (int c = 0; c < 4; ++c)
        out |= ((sum[c] + count / 2) / count) << (8 * c);
    return out;
}

// Area-average resampling (nearest texel for point filters); each target
// texel takes at least one source texel, so enlarging repeats texels.
ArgbImage Resize(const ArgbImage& source, uint32_t width, uint32_t height, DWORD filter)
{
    if (source.width == width && source.height == height)
        return source;
    ArgbImage out{width, height, std::vector<uint32_t>(size_t(width) * height)};
    const DWORD kind = filter & 0xFF;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t x0 = uint32_t(uint64_t(x) * source.width / width);
            const uint32_t y0 = uint32_t(uint64_t(y) * source.height / height);
            uint32_t x1 = uint32_t((uint64_t(x + 1) * source.width + width - 1) / width);
            uint32_t y1 = uint32_t((uint64_t(y + 1) * source.height + height - 1) / height);
            if (kind == D3DX_FILTER_NONE || kind == D3DX_FILTER_POINT)
                x1 = x0 + 1, y1 = y0 + 1;
            out.pixels[size_t(y) * width + x] =
                AverageArea(source, x0, std::max(x1, x0 + 1), y0, std::max(y1, y0 + 1));
        }
    return out;
}

// The next mip level: each texel the average of the 2x2 texels above it (of
// the 2x1 or 1x2 where a side is already one texel).
ArgbImage BoxDown(const ArgbImage& source, DWORD mipFilter)
{
    const uint32_t width = std::max(1u, source.width / 2), height = std::max(1u, source.height / 2);
    ArgbImage out{width, height, std::vector<uint32_t>(size_t(width) * height)};
    const bool point = (mipFilter & 0xFF) == D3DX_FILTER_POINT || (mipFilter & 0xFF) == D3DX_FILTER_NONE;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t x0 = std::min(x * 2, source.width - 1), y0 = std::min(y * 2, source.height - 1);
            const uint32_t x1 = point ? x0 + 1 : std::min(x * 2 + 2, source.width);
            const uint32_t y1 = point ? y0 + 1 : std::min(y * 2 + 2, source.height);
            out.pixels[size_t(y) * width + x] = AverageArea(source, x0, x1, y0, y1);
        }
    return out;
}

void ApplyColourKey(ArgbImage& image, D3DCOLOR colorKey)
{
    if (colorKey == 0)
        return;
    for (uint32_t& pixel : image.pixels)
        if (pixel == colorKey)
            pixel = 0;
}

// The size a request resolves to for one side of the image.
uint32_t ResolveSize(UINT requested, uint32_t imageSize)
{
    if (requested == 0 || requested == D3DX_DEFAULT)
        return NextPowerOfTwo(imageSize);
    if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE)
        return imageSize;
    return requested;
}

// The format a file's pixels ask for when the caller leaves it to the file.
D3DFORMAT FileTextureFormat(const D3DXIMAGE_INFO& info)
{
    if (info.ImageFileFormat == D3DXIFF_DDS && info.Format != D3DFMT_R8G8B8)
        return info.Format;
    return d3dx::HasAlpha(info.Format) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

// Sizes and levels limited by the caps; the format is left to the caller.
void FitToCaps(const D3DCAPS9& caps, UINT& width, UINT& height, UINT& levels)
{
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2)
    {
        width = NextPowerOfTwo(width);
        height = NextPowerOfTwo(height);
    }
    if (caps.MaxTextureWidth)
        width = std::min<UINT>(width, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight)
        height = std::min<UINT>(height, caps.MaxTextureHeight);
    const UINT chain = d3dx::FullMipChainLength(width, height);
    if (levels == 0 || levels == D3DX_DEFAULT || levels > chain)
        levels = chain;
    if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP))
        levels = 1;
}

HRESULT WriteLevel(IDirect3DTexture9* texture, UINT level, D3DFORMAT format, const ArgbImage* argb,
                   const std::vector<uint8_t>* raw)
{
    D3DLOCKED_RECT locked{};
    const HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr))
        return hr;
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(level, &desc);
    auto* bytes = static_cast<uint8_t*>(locked.pBits);
    if (raw)
    {
        const size_t rowBytes = d3dx::DdsRowPitch(format, desc.Width);
        const size_t rows = raw->size() / std::max<size_t>(1, rowBytes);
        for (size_t row = 0; row < rows; ++row)
            std::memcpy(bytes + row * size_t(locked.Pitch), raw->data() + row * rowBytes, rowBytes);
    }
    else
        d3dx::EncodeFromArgb(format, argb->pixels.data(), argb->width, argb->height, bytes,
                             uint32_t(locked.Pitch));
    return texture->UnlockRect(level);
}

struct FillRequest
{
    UINT width, height, levels;
    D3DFORMAT format;
    DWORD filter, mipFilter;
    D3DCOLOR colorKey;
};

// Fills every level of a lockable texture from the decoded file.
HRESULT FillLevels(IDirect3DTexture9* texture, const d3dx::DecodedImage& image, const FillRequest& request)
{
    const bool sameSize = request.width == image.info.Width && request.height == image.info.Height;
    const bool copyRaw = sameSize && request.format == image.levelFormat && request.colorKey == 0;
    ArgbImage current;
    for (UINT level = 0; level < request.levels; ++level)
    {
        const bool inFile = sameSize && level < image.levels.size();
        const bool nextInFile = sameSize && level + 1 < image.levels.size();
        const bool raw = inFile && copyRaw;
        // Pixels are needed to encode this level or to filter the next from it.
        if (!raw || (level + 1 < request.levels && !nextInFile))
        {
            if (inFile)
            {
                current = image.LevelArgb(level);
                ApplyColourKey(current, request.colorKey);
            }
            else if (level == 0)
            {
                current = image.LevelArgb(0);
                ApplyColourKey(current, request.colorKey);
                current = Resize(current, request.width, request.height, request.filter);
            }
            else
                current = BoxDown(current, request.mipFilter);
        }
        const HRESULT hr =
            WriteLevel(texture, level, request.format, &current, raw ? &image.levels[level] : nullptr);
        if (FAILED(hr))
            return hr;
    }
    return D3D_OK;
}

bool Lockable(DWORD usage, D3DPOOL pool)
{
    return pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
}
} // namespace

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY*,
                                            IDirect3DTexture9** texture)
{
    if (texture)
        *texture = nullptr;
    if (!device || !texture || (!data && size != 0))
        return D3DERR_INVALIDCALL;
    d3dx::DecodedImage image;
    std::string error;
    // An empty record is a broken file, not a bad call: the caller logs it as invalid data.
    if (size == 0 || !d3dx::DecodeImage(data, size, image, error))
    {
        std::fprintf(stderr, "D3DX: texture from memory: invalid data (%s)\n",
                     size ? error.c_str() : "no bytes");
        return D3DXERR_INVALIDDATA;
    }
    FillRequest request{
        ResolveSize(width, image.info.Width),
        ResolveSize(height, image.info.Height),
        mipLevels == D3DX_FROM_FILE ? image.info.MipLevels : mipLevels,
        (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE) ? FileTextureFormat(image.info) : format,
        filter,
        mipFilter,
        colorKey};
    if (!d3dx::IsCodecFormat(request.format))
    {
        std::fprintf(stderr, "D3DX: texture from memory: format %u cannot be written\n",
                     unsigned(request.format));
        return D3DERR_INVALIDCALL;
    }
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    FitToCaps(caps, request.width, request.height, request.levels);

    IDirect3DTexture9* created = nullptr;
    HRESULT hr = device->CreateTexture(request.width, request.height, request.levels, usage, request.format,
                                       pool, &created);
    if (FAILED(hr))
        return hr;
    if (Lockable(usage, pool))
        hr = FillLevels(created, image, request);
    else
    {
        IDirect3DTexture9* staging = nullptr;
        hr = device->CreateTexture(request.width, request.height, request.levels, 0, request.format,
                                   D3DPOOL_SYSTEMMEM, &staging);
        if (SUCCEEDED(hr))
            hr = FillLevels(staging, image, request);
        if (SUCCEEDED(hr))
            hr = device->UpdateTexture(staging, created);
        if (staging)
            staging->Release();
    }
    if (FAILED(hr))
    {
        created->Release();
        return hr;
    }
    if (srcInfo)
        *srcInfo = image.info;
    *texture = created;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data, UINT size,
                                          IDirect3DTexture9** texture)
{
    return D3DXCreateTextureFromFileInMemoryEx(device, data, size, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                               0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT,
                                               0, nullptr, nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* path, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture)
{
    if (texture)
        *texture = nullptr;
    if (!device || !path || !texture)
        return D3DERR_INVALIDCALL;
    BinaryReader file;
    if (!file.OpenFile(path) || file.Size() == 0 || file.Size() > 0xFFFFFFFFu)
    {
        std::fprintf(stderr, "D3DX: texture file '%s' cannot be read\n", path);
        return D3DXERR_INVALIDDATA;
    }
    return D3DXCreateTextureFromFileInMemoryEx(device, file.Data(), UINT(file.Size()), width, height,
                                               mipLevels, usage, format, pool, filter, mipFilter, colorKey,
                                               srcInfo, palette, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path, IDirect3DTexture9** texture)
{
    return D3DXCreateTextureFromFileExA(device, path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        nullptr, nullptr, texture);
}

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels,
                                     DWORD usage, D3DFORMAT* format, D3DPOOL)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    UINT w = (!width || *width == 0 || *width == D3DX_DEFAULT) ? 256 : *width;
    UINT h = (!height || *height == 0 || *height == D3DX_DEFAULT) ? 256 : *height;
    UINT levels = mipLevels ? *mipLevels : 1;
    FitToCaps(caps, w, h, levels);
    if (format)
    {
        D3DFORMAT wanted =
            (*format == D3DFMT_UNKNOWN || *format == D3DFMT_FROM_FILE) ? D3DFMT_A8R8G8B8 : *format;
        IDirect3D9* direct3D = nullptr;
        D3DDEVICE_CREATION_PARAMETERS creation{};
        D3DDISPLAYMODE mode{};
        if (SUCCEEDED(device->GetDirect3D(&direct3D)) && direct3D)
        {
            device->GetCreationParameters(&creation);
            device->GetDisplayMode(0, &mode);
            auto supported = [&](D3DFORMAT candidate)
            {
                return SUCCEEDED(direct3D->CheckDeviceFormat(creation.AdapterOrdinal, creation.DeviceType,
                                                             mode.Format, usage, D3DRTYPE_TEXTURE,
                                                             candidate));
            };
            if (!supported(wanted))
            {
                const D3DFORMAT fallback = d3dx::HasAlpha(wanted) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
                wanted = supported(fallback) ? fallback : D3DFMT_UNKNOWN;
            }
            direct3D->Release();
        }
        if (wanted == D3DFMT_UNKNOWN)
            return D3DERR_NOTAVAILABLE;
        *format = wanted;
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
    if (mipLevels)
        *mipLevels = levels;
    return D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture)
{
    if (texture)
        *texture = nullptr;
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    const HRESULT hr =
        D3DXCheckTextureRequirements(device, &width, &height, &mipLevels, usage, &format, pool);
    if (FAILED(hr))
        return hr;
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}
