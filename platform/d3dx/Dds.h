// The DDS container as the texture loader reads it and our writer makes it:
// the "DDS " magic, a 124-byte header with a 32-byte pixel format, then every
// mip level top row first, tightly packed (rows of 4x4 blocks for DXT). The
// field values, and the table pairing pixel formats with Direct3D formats,
// live here once so that reader and writer cannot disagree; both are
// header-only so the writers in tools/ need no platform library.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3dx
{
constexpr uint32_t kDdsMagic = 0x20534444; // "DDS "
constexpr uint32_t kDdsHeaderSize = 124;
constexpr uint32_t kDdsPixelFormatSize = 32;
// Bytes before the first level: magic and header.
constexpr size_t kDdsDataOffset = 4 + kDdsHeaderSize;
// Larger pictures are refused as broken rather than allocated.
constexpr uint32_t kDdsMaxDimension = 16384;

enum : uint32_t
{
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PITCH = 0x8,
    DDSD_PIXELFORMAT = 0x1000,
    DDSD_MIPMAPCOUNT = 0x20000,
    DDSD_LINEARSIZE = 0x80000,
    DDSD_DEPTH = 0x800000,

    DDPF_ALPHAPIXELS = 0x1,
    DDPF_ALPHA = 0x2,
    DDPF_FOURCC = 0x4,
    DDPF_RGB = 0x40,
    DDPF_LUMINANCE = 0x20000,

    DDSCAPS_COMPLEX = 0x8,
    DDSCAPS_TEXTURE = 0x1000,
    DDSCAPS_MIPMAP = 0x400000,
    DDSCAPS2_CUBEMAP = 0x200,
    DDSCAPS2_VOLUME = 0x200000,
};

struct DdsPixelFormat
{
    uint32_t flags = 0;
    uint32_t fourCC = 0;
    uint32_t rgbBitCount = 0;
    uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
};

// The formats a DDS file may hold for us, with the pixel format that names each.
struct DdsFormatEntry
{
    D3DFORMAT format;
    DdsPixelFormat pixelFormat;
};

inline constexpr DdsFormatEntry kDdsFormats[] = {
    {D3DFMT_DXT1, {DDPF_FOURCC, D3DFMT_DXT1, 0, 0, 0, 0, 0}},
    {D3DFMT_DXT2, {DDPF_FOURCC, D3DFMT_DXT2, 0, 0, 0, 0, 0}},
    {D3DFMT_DXT3, {DDPF_FOURCC, D3DFMT_DXT3, 0, 0, 0, 0, 0}},
    {D3DFMT_DXT4, {DDPF_FOURCC, D3DFMT_DXT4, 0, 0, 0, 0, 0}},
    {D3DFMT_DXT5, {DDPF_FOURCC, D3DFMT_DXT5, 0, 0, 0, 0, 0}},
    {D3DFMT_A8R8G8B8, {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
    {D3DFMT_X8R8G8B8, {DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0}},
    {D3DFMT_A8B8G8R8, {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}},
    {D3DFMT_X8B8G8R8, {DDPF_RGB, 0, 32, 0x000000FF, 0x0000FF00, 0x00FF0000, 0}},
    {D3DFMT_R8G8B8, {DDPF_RGB, 0, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0}},
    {D3DFMT_R5G6B5, {DDPF_RGB, 0, 16, 0xF800, 0x07E0, 0x001F, 0}},
    {D3DFMT_A1R5G5B5, {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0x7C00, 0x03E0, 0x001F, 0x8000}},
    {D3DFMT_X1R5G5B5, {DDPF_RGB, 0, 16, 0x7C00, 0x03E0, 0x001F, 0}},
    {D3DFMT_A4R4G4B4, {DDPF_RGB | DDPF_ALPHAPIXELS, 0, 16, 0x0F00, 0x00F0, 0x000F, 0xF000}},
    {D3DFMT_X4R4G4B4, {DDPF_RGB, 0, 16, 0x0F00, 0x00F0, 0x000F, 0}},
    {D3DFMT_L8, {DDPF_LUMINANCE, 0, 8, 0xFF, 0, 0, 0}},
    {D3DFMT_A8L8, {DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 0, 16, 0x00FF, 0, 0, 0xFF00}},
    {D3DFMT_A8, {DDPF_ALPHA, 0, 8, 0, 0, 0, 0xFF}},
};

inline bool IsDdsBlockFormat(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

inline const DdsFormatEntry* FindDdsFormat(D3DFORMAT format)
{
    for (const DdsFormatEntry& entry : kDdsFormats)
        if (entry.format == format)
            return &entry;
    return nullptr;
}

// The format a pixel format describes; D3DFMT_UNKNOWN when we do not read it.
inline D3DFORMAT DdsFormatOf(const DdsPixelFormat& pf)
{
    for (const DdsFormatEntry& entry : kDdsFormats)
    {
        const DdsPixelFormat& known = entry.pixelFormat;
        if (pf.flags & DDPF_FOURCC)
        {
            if ((known.flags & DDPF_FOURCC) && known.fourCC == pf.fourCC)
                return entry.format;
            continue;
        }
        // Without the alpha flag a mask in the alpha position is padding.
        const uint32_t alpha = (pf.flags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) ? pf.aMask : 0;
        const uint32_t kind = pf.flags & (DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA);
        if (!(known.flags & DDPF_FOURCC) &&
            (known.flags & (DDPF_RGB | DDPF_LUMINANCE | DDPF_ALPHA)) == kind &&
            known.rgbBitCount == pf.rgbBitCount && known.rMask == pf.rMask && known.gMask == pf.gMask &&
            known.bMask == pf.bMask && known.aMask == alpha)
            return entry.format;
    }
    return D3DFMT_UNKNOWN;
}

// Bytes of one row of texels (of 4x4 blocks for DXT) and of a whole level.
inline size_t DdsRowPitch(D3DFORMAT format, uint32_t width)
{
    if (IsDdsBlockFormat(format))
        return size_t(std::max(1u, (width + 3) / 4)) * (format == D3DFMT_DXT1 ? 8 : 16);
    const DdsFormatEntry* entry = FindDdsFormat(format);
    return entry ? size_t(width) * entry->pixelFormat.rgbBitCount / 8 : 0;
}

inline size_t DdsLevelSize(D3DFORMAT format, uint32_t width, uint32_t height)
{
    const size_t rows = IsDdsBlockFormat(format) ? std::max(1u, (height + 3) / 4) : height;
    return DdsRowPitch(format, width) * rows;
}

// Levels of a full chain down to 1 x 1.
inline uint32_t FullMipChainLength(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (uint32_t size = std::max(width, height); size > 1; size /= 2)
        ++levels;
    return levels;
}

// A decoded DDS: level i is max(1, width >> i) by max(1, height >> i).
struct DdsImage
{
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<std::vector<uint8_t>> levels;
};

// Reads a DDS file held in memory. Every size and count is checked against
// the bytes left; false with a reason in `error` on anything broken or
// unsupported (cube maps, volumes, DX10 headers, unknown pixel formats).
bool ReadDds(const void* data, size_t size, DdsImage& image, std::string& error);
} // namespace d3dx
