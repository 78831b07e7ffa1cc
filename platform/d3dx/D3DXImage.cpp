// Image decoding from memory. The file kind is told by its signature (TGA,
// which has none, by a plausible header); DDS goes to our reader, the others
// to stb_image (compiled into libstb). Sizes are checked before any pixel
// memory is allocated, so a damaged header cannot ask for gigabytes.
#include "platform/d3dx/D3DXImage.h"

#include "platform/d3dx/Dds.h"
#include "platform/d3dx/PixelCodec.h"
#include "shell/BinaryReader.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace d3dx
{
namespace
{
constexpr uint32_t kMaxDimension = kDdsMaxDimension;

enum class FileKind
{
    Unknown,
    Bmp,
    Jpg,
    Tga,
    Png,
    Dds
};

bool StartsWith(const uint8_t* bytes, size_t size, const char* signature, size_t length)
{
    return size >= length && std::memcmp(bytes, signature, length) == 0;
}

// TGA has no magic; its fixed 18-byte header must at least hold values that
// a TGA writer would produce.
bool LooksLikeTga(const uint8_t* h, size_t size)
{
    if (size < 18)
        return false;
    const uint8_t colourMapType = h[1], imageType = h[2], bits = h[16];
    const uint16_t width = uint16_t(h[12] | (h[13] << 8)), height = uint16_t(h[14] | (h[15] << 8));
    const bool typeKnown = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                           imageType == 10 || imageType == 11;
    const bool bitsKnown = bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
    return colourMapType <= 1 && typeKnown && bitsKnown && width > 0 && height > 0;
}

FileKind KindOf(const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (StartsWith(bytes, size, "DDS ", 4))
        return FileKind::Dds;
    if (StartsWith(bytes, size, "\x89PNG\r\n\x1a\n", 8))
        return FileKind::Png;
    if (StartsWith(bytes, size, "\xFF\xD8\xFF", 3))
        return FileKind::Jpg;
    if (StartsWith(bytes, size, "BM", 2))
        return FileKind::Bmp;
    if (LooksLikeTga(bytes, size))
        return FileKind::Tga;
    return FileKind::Unknown;
}

D3DXIMAGE_FILEFORMAT FileFormatOf(FileKind kind)
{
    switch (kind)
    {
    case FileKind::Bmp:
        return D3DXIFF_BMP;
    case FileKind::Jpg:
        return D3DXIFF_JPG;
    case FileKind::Tga:
        return D3DXIFF_TGA;
    case FileKind::Png:
        return D3DXIFF_PNG;
    default:
        return D3DXIFF_DDS;
    }
}

// The format D3DX names for a picture of this many channels.
D3DFORMAT FormatOfChannels(int channels, FileKind kind)
{
    switch (channels)
    {
    case 1:
        return D3DFMT_L8;
    case 2:
        return D3DFMT_A8L8;
    case 3:
        return kind == FileKind::Jpg ? D3DFMT_X8R8G8B8 : D3DFMT_R8G8B8;
    default:
        return D3DFMT_A8R8G8B8;
    }
}

// stb_image reads past a short BMP or TGA as zeros and calls it a picture; an
// uncompressed one must hold every row it announces.
bool PayloadFits(const void* data, size_t size, FileKind kind, std::string& error)
{
    BinaryReader reader(data, std::min<size_t>(size, 64));
    uint64_t needed = 0;
    if (kind == FileKind::Bmp)
    {
        reader.Skip(10);
        const uint32_t dataOffset = reader.ReadUInt32();
        const uint32_t infoSize = reader.ReadUInt32();
        int64_t width = 0, height = 0;
        uint32_t bits = 0, compression = 0;
        if (infoSize == 12)
        {
            width = reader.ReadUInt16(), height = reader.ReadUInt16();
            reader.ReadUInt16();
            bits = reader.ReadUInt16();
        }
        else
        {
            width = reader.ReadInt32(), height = reader.ReadInt32();
            reader.ReadUInt16();
            bits = reader.ReadUInt16();
            compression = reader.ReadUInt32();
        }
        if (reader.Failed())
            return error = "truncated BMP header", false;
        if (compression == 0 || compression == 3)
            needed = uint64_t(dataOffset) +
                     uint64_t((std::llabs(width) * bits + 31) / 32 * 4) * uint64_t(std::llabs(height));
    }
    else if (kind == FileKind::Tga)
    {
        const uint8_t idLength = reader.ReadUInt8();
        reader.Skip(1);
        const uint8_t imageType = reader.ReadUInt8();
        reader.Skip(2);
        const uint16_t mapLength = reader.ReadUInt16();
        const uint8_t mapBits = reader.ReadUInt8();
        reader.Skip(4);
        const uint16_t width = reader.ReadUInt16(), height = reader.ReadUInt16();
        const uint8_t bits = reader.ReadUInt8();
        if (imageType >= 1 && imageType <= 3)
            needed = 18u + idLength + uint64_t(mapLength) * ((mapBits + 7u) / 8u) +
                     uint64_t(width) * height * ((bits + 7u) / 8u);
    }
    if (needed > size)
        return error = "pixel data ends early (" + std::to_string(size) + " of " + std::to_string(needed) +
                       " bytes)",
               false;
    return true;
}

bool StbInfo(const void* data, size_t size, FileKind kind, D3DXIMAGE_INFO& info, std::string& error)
{
    if (size > size_t(INT_MAX))
        return error = "file too large", false;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(static_cast<const stbi_uc*>(data), int(size), &width, &height, &channels))
        return error = std::string("unreadable header: ") + stbi_failure_reason(), false;
    // stb_image's header probe passes a top-down BMP's negative height through.
    if (kind == FileKind::Bmp && height < 0 && height != INT_MIN)
        height = -height;
    if (width <= 0 || height <= 0 || uint32_t(width) > kMaxDimension || uint32_t(height) > kMaxDimension)
        return error = "bad size " + std::to_string(width) + " x " + std::to_string(height), false;
    if (!PayloadFits(data, size, kind, error))
        return false;
    info = {UINT(width),      UINT(height),      1, 1, FormatOfChannels(channels, kind),
            D3DRTYPE_TEXTURE, FileFormatOf(kind)};
    return true;
}

bool StbDecode(const void* data, size_t size, FileKind kind, DecodedImage& image, std::string& error)
{
    if (!StbInfo(data, size, kind, image.info, error))
        return false;
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba =
        stbi_load_from_memory(static_cast<const stbi_uc*>(data), int(size), &width, &height, &channels, 4);
    if (!rgba)
        return error = std::string("undecodable pixels: ") + stbi_failure_reason(), false;
    if (UINT(width) != image.info.Width || UINT(height) != image.info.Height)
    {
        stbi_image_free(rgba);
        return error = "size changed while decoding", false;
    }
    // stb gives R, G, B, A; Direct3D's A8R8G8B8 is B, G, R, A in memory.
    std::vector<uint8_t> level(size_t(width) * height * 4);
    for (size_t i = 0; i < level.size(); i += 4)
    {
        level[i + 0] = rgba[i + 2];
        level[i + 1] = rgba[i + 1];
        level[i + 2] = rgba[i + 0];
        level[i + 3] = rgba[i + 3];
    }
    stbi_image_free(rgba);
    image.levelFormat = D3DFMT_A8R8G8B8;
    image.levels.push_back(std::move(level));
    return true;
}

bool DdsDecode(const void* data, size_t size, DecodedImage& image, std::string& error)
{
    DdsImage dds;
    if (!ReadDds(data, size, dds, error))
        return false;
    image.info = {dds.width,  dds.height,       1,          UINT(dds.levels.size()),
                  dds.format, D3DRTYPE_TEXTURE, D3DXIFF_DDS};
    image.levelFormat = dds.format;
    image.levels = std::move(dds.levels);
    return true;
}
} // namespace

uint32_t DecodedImage::LevelWidth(size_t level) const
{
    return std::max(1u, info.Width >> level);
}
uint32_t DecodedImage::LevelHeight(size_t level) const
{
    return std::max(1u, info.Height >> level);
}

ArgbImage DecodedImage::LevelArgb(size_t level) const
{
    ArgbImage out;
    out.width = LevelWidth(level);
    out.height = LevelHeight(level);
    out.pixels.assign(size_t(out.width) * out.height, 0);
    DecodeToArgb(levelFormat, levels[level].data(), uint32_t(DdsRowPitch(levelFormat, out.width)), out.width,
                 out.height, out.pixels.data());
    return out;
}

bool ReadImageInfo(const void* data, size_t size, D3DXIMAGE_INFO& info, std::string& error)
{
    const FileKind kind = data ? KindOf(data, size) : FileKind::Unknown;
    if (kind == FileKind::Unknown)
        return error = "unknown image format", false;
    if (kind != FileKind::Dds)
        return StbInfo(data, size, kind, info, error);
    // A DDS's information is only trusted once every level is known to be there.
    DecodedImage image;
    if (!DdsDecode(data, size, image, error))
        return false;
    info = image.info;
    return true;
}

bool DecodeImage(const void* data, size_t size, DecodedImage& image, std::string& error)
{
    image = DecodedImage{};
    const FileKind kind = data ? KindOf(data, size) : FileKind::Unknown;
    if (kind == FileKind::Unknown)
        return error = "unknown image format", false;
    return kind == FileKind::Dds ? DdsDecode(data, size, image, error)
                                 : StbDecode(data, size, kind, image, error);
}
} // namespace d3dx

HRESULT D3DXGetImageInfoFromFileInMemory(const void* data, UINT size, D3DXIMAGE_INFO* info)
{
    if (!data || !info)
        return D3DERR_INVALIDCALL;
    std::string error;
    if (!d3dx::ReadImageInfo(data, size, *info, error))
    {
        std::fprintf(stderr, "D3DX: image information: invalid data (%s)\n", error.c_str());
        return D3DXERR_INVALIDDATA;
    }
    return D3D_OK;
}
