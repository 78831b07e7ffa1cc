// Image files held in memory, as D3DX reads them for textures: BMP, JPEG, TGA
// and PNG through stb_image, DDS through our own reader. Besides the D3DX
// calls (image information, result codes, the filter and default constants)
// this gives the texture loader a decoded picture: either ARGB pixels, or a
// DDS's levels in the file's own format so that a texture of the same format
// takes them unchanged.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr HRESULT D3DXERR_INVALIDDATA = HRESULT(0x88760B59u);

// "Take it from the file" or "the usual choice" for sizes, levels and filters.
constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;
constexpr D3DFORMAT D3DFMT_FROM_FILE = D3DFORMAT(0xFFFFFFFDu);

enum : DWORD
{
    D3DX_FILTER_NONE = 1,
    D3DX_FILTER_POINT = 2,
    D3DX_FILTER_LINEAR = 3,
    D3DX_FILTER_TRIANGLE = 4,
    D3DX_FILTER_BOX = 5,
    D3DX_FILTER_MIRROR_U = 0x10000,
    D3DX_FILTER_MIRROR_V = 0x20000,
    D3DX_FILTER_MIRROR_W = 0x40000,
    D3DX_FILTER_MIRROR = 0x70000,
    D3DX_FILTER_DITHER = 0x80000,
    D3DX_FILTER_DITHER_DIFFUSION = 0x100000,
    D3DX_FILTER_SRGB_IN = 0x200000,
    D3DX_FILTER_SRGB_OUT = 0x400000,
    D3DX_FILTER_SRGB = 0x600000,
};

enum D3DXIMAGE_FILEFORMAT : uint32_t
{
    D3DXIFF_BMP = 0,
    D3DXIFF_JPG = 1,
    D3DXIFF_TGA = 2,
    D3DXIFF_PNG = 3,
    D3DXIFF_DDS = 4,
    D3DXIFF_PPM = 5,
    D3DXIFF_DIB = 6,
    D3DXIFF_HDR = 7,
    D3DXIFF_PFM = 8,
};

struct D3DXIMAGE_INFO
{
    UINT Width;
    UINT Height;
    UINT Depth;
    UINT MipLevels;
    D3DFORMAT Format;
    D3DRESOURCETYPE ResourceType;
    D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// Fills info from the file's header without decoding its pixels. Broken or
// unknown data gives D3DXERR_INVALIDDATA (and a log line); null arguments
// D3DERR_INVALIDCALL.
HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info);

namespace d3dx
{
// One picture level: width x height ARGB values, top row first.
struct ArgbImage
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> pixels;
};

// A decoded file. `levels` hold the file's levels in `levelFormat`, tightly
// packed (for stb_image files one A8R8G8B8 level).
struct DecodedImage
{
    D3DXIMAGE_INFO info{};
    D3DFORMAT levelFormat = D3DFMT_UNKNOWN;
    std::vector<std::vector<uint8_t>> levels;

    uint32_t LevelWidth(size_t level) const;
    uint32_t LevelHeight(size_t level) const;
    // The level as ARGB pixels.
    ArgbImage LevelArgb(size_t level) const;
};

// Reads the header only; false with a reason when the data is not an image we read.
bool ReadImageInfo(const void* data, size_t size, D3DXIMAGE_INFO& info, std::string& error);
// Decodes the whole file; false with a reason on broken or unsupported data.
bool DecodeImage(const void* data, size_t size, DecodedImage& image, std::string& error);
} // namespace d3dx
