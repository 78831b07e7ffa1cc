// Image file writers for fixtures and demo data. BMP, TGA and DDS are written
// field by field here; the DDS header's values and pixel formats come from
// the one description the reader also uses (platform/d3dx/Dds.h). PNG, JPEG
// and DXT blocks come from stb_image_write and stb_dxt, compiled in libstb.
#include "tools/writers/ImageWriters.h"

#include "platform/d3dx/Dds.h"
#include "platform/io/BinaryWriter.h"

#include <stb_dxt.h>
#include <stb_image_write.h>

#include <algorithm>
#include <fstream>

namespace
{
uint8_t Channel(uint32_t argb, int shift)
{
    return uint8_t((argb >> shift) & 0xFF);
}

// Writes B, G, R (and A) of one texel.
void WriteBgr(BinaryWriter& out, uint32_t argb, bool withAlpha)
{
    out.WriteUInt8(Channel(argb, 0));
    out.WriteUInt8(Channel(argb, 8));
    out.WriteUInt8(Channel(argb, 16));
    if (withAlpha)
        out.WriteUInt8(Channel(argb, 24));
}

std::vector<uint8_t> Rgba(const ImagePixels& image, bool withAlpha)
{
    std::vector<uint8_t> bytes;
    for (uint32_t pixel : image.argb)
    {
        bytes.push_back(Channel(pixel, 16));
        bytes.push_back(Channel(pixel, 8));
        bytes.push_back(Channel(pixel, 0));
        if (withAlpha)
            bytes.push_back(Channel(pixel, 24));
    }
    return bytes;
}

void AppendToVector(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    out->insert(out->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The next level down: 2x2 averages, rounded.
ImagePixels HalveBox(const ImagePixels& source)
{
    ImagePixels out;
    out.width = std::max(1u, source.width / 2);
    out.height = std::max(1u, source.height / 2);
    for (uint32_t y = 0; y < out.height; ++y)
        for (uint32_t x = 0; x < out.width; ++x)
        {
            const uint32_t x1 = std::min(x * 2 + 1, source.width - 1),
                           y1 = std::min(y * 2 + 1, source.height - 1);
            const uint32_t x0 = std::min(x * 2, source.width - 1), y0 = std::min(y * 2, source.height - 1);
            const uint32_t xs[2] = {x0, x1}, ys[2] = {y0, y1};
            const uint32_t count = (x1 != x0 ? 2 : 1) * (y1 != y0 ? 2 : 1);
            uint32_t pixel = 0;
            for (int shift = 0; shift < 32; shift += 8)
            {
                uint32_t sum = 0;
                for (int j = 0; j < (y1 != y0 ? 2 : 1); ++j)
                    for (int i = 0; i < (x1 != x0 ? 2 : 1); ++i)
                        sum += Channel(source.At(xs[i], ys[j]), shift);
                pixel |= ((sum + count / 2) / count) << shift;
            }
            out.argb.push_back(pixel);
        }
    return out;
}

uint32_t PackChannel(uint32_t value8, uint32_t mask)
{
    if (!mask)
        return 0;
    const int shift = __builtin_ctz(mask);
    const uint32_t max = mask >> shift;
    return ((value8 * max + 127) / 255) << shift;
}

std::vector<uint8_t> EncodeUncompressed(const ImagePixels& image, const d3dx::DdsPixelFormat& pf)
{
    std::vector<uint8_t> bytes;
    const uint32_t texelBytes = pf.rgbBitCount / 8;
    for (uint32_t pixel : image.argb)
    {
        const uint32_t packed =
            PackChannel(Channel(pixel, 16), pf.rMask) | PackChannel(Channel(pixel, 8), pf.gMask) |
            PackChannel(Channel(pixel, 0), pf.bMask) | PackChannel(Channel(pixel, 24), pf.aMask);
        for (uint32_t i = 0; i < texelBytes; ++i)
            bytes.push_back(uint8_t(packed >> (8 * i)));
    }
    return bytes;
}

std::vector<uint8_t> EncodeBlocks(const ImagePixels& image, D3DFORMAT format)
{
    std::vector<uint8_t> bytes;
    for (uint32_t by = 0; by < (image.height + 3) / 4; ++by)
        for (uint32_t bx = 0; bx < (image.width + 3) / 4; ++bx)
        {
            uint8_t rgba[64];
            uint8_t alpha[16];
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint32_t pixel = image.At(std::min(bx * 4 + i % 4, image.width - 1),
                                                std::min(by * 4 + i / 4, image.height - 1));
                rgba[i * 4 + 0] = Channel(pixel, 16);
                rgba[i * 4 + 1] = Channel(pixel, 8);
                rgba[i * 4 + 2] = Channel(pixel, 0);
                rgba[i * 4 + 3] = Channel(pixel, 24);
                alpha[i] = Channel(pixel, 24);
            }
            uint8_t block[16];
            size_t blockBytes = 16;
            if (format == D3DFMT_DXT1)
            {
                stb_compress_dxt_block(block, rgba, 0, STB_DXT_HIGHQUAL);
                blockBytes = 8;
            }
            else if (format == D3DFMT_DXT5)
                stb_compress_dxt_block(block, rgba, 1, STB_DXT_HIGHQUAL);
            else
            {
                for (int i = 0; i < 8; ++i)
                    block[i] = uint8_t(((alpha[2 * i] * 15 + 127) / 255) |
                                       (((alpha[2 * i + 1] * 15 + 127) / 255) << 4));
                stb_compress_dxt_block(block + 8, rgba, 0, STB_DXT_HIGHQUAL);
            }
            bytes.insert(bytes.end(), block, block + blockBytes);
        }
    return bytes;
}
} // namespace

std::vector<uint8_t> WriteBmp(const ImagePixels& image, int bitsPerPixel, bool topDown)
{
    const bool withAlpha = bitsPerPixel == 32;
    // 32-bit pictures carry their alpha through explicit channel masks (a V4 header).
    const uint32_t infoSize = withAlpha ? 108 : 40;
    const uint32_t rowBytes = (image.width * (withAlpha ? 4 : 3) + 3) & ~3u;
    const uint32_t dataOffset = 14 + infoSize;
    BinaryWriter out;
    out.WriteUInt8('B');
    out.WriteUInt8('M');
    out.WriteUInt32(dataOffset + rowBytes * image.height);
    out.WriteUInt32(0);
    out.WriteUInt32(dataOffset);
    out.WriteUInt32(infoSize);
    out.WriteInt32(int32_t(image.width));
    out.WriteInt32(topDown ? -int32_t(image.height) : int32_t(image.height));
    out.WriteUInt16(1);
    out.WriteUInt16(uint16_t(withAlpha ? 32 : 24));
    out.WriteUInt32(withAlpha ? 3 : 0); // BI_BITFIELDS or BI_RGB
    out.WriteUInt32(rowBytes * image.height);
    out.WriteInt32(2835);
    out.WriteInt32(2835);
    out.WriteUInt32(0);
    out.WriteUInt32(0);
    if (withAlpha)
    {
        for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            out.WriteUInt32(mask);
        out.WriteUInt32(0x73524742); // 'sRGB'
        for (int i = 0; i < 12; ++i)
            out.WriteUInt32(0); // colour endpoints and gamma, unused for sRGB
    }
    for (uint32_t row = 0; row < image.height; ++row)
    {
        const uint32_t y = topDown ? row : image.height - 1 - row;
        for (uint32_t x = 0; x < image.width; ++x)
            WriteBgr(out, image.At(x, y), withAlpha);
        for (uint32_t pad = image.width * (withAlpha ? 4 : 3); pad < rowBytes; ++pad)
            out.WriteUInt8(0);
    }
    return out.Bytes();
}

std::vector<uint8_t> WriteTga(const ImagePixels& image, int bitsPerPixel, bool topDown)
{
    const bool withAlpha = bitsPerPixel == 32;
    BinaryWriter out;
    out.WriteUInt8(0); // no image id
    out.WriteUInt8(0); // no colour map
    out.WriteUInt8(2); // uncompressed true colour
    for (int i = 0; i < 5; ++i)
        out.WriteUInt8(0);
    out.WriteUInt16(0);
    out.WriteUInt16(0);
    out.WriteUInt16(uint16_t(image.width));
    out.WriteUInt16(uint16_t(image.height));
    out.WriteUInt8(uint8_t(withAlpha ? 32 : 24));
    out.WriteUInt8(uint8_t((withAlpha ? 8 : 0) | (topDown ? 0x20 : 0)));
    for (uint32_t row = 0; row < image.height; ++row)
    {
        const uint32_t y = topDown ? row : image.height - 1 - row;
        for (uint32_t x = 0; x < image.width; ++x)
            WriteBgr(out, image.At(x, y), withAlpha);
    }
    return out.Bytes();
}

std::vector<uint8_t> WritePng(const ImagePixels& image, bool withAlpha)
{
    const std::vector<uint8_t> pixels = Rgba(image, withAlpha);
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> out;
    stbi_write_png_to_func(AppendToVector, &out, int(image.width), int(image.height), channels, pixels.data(),
                           int(image.width) * channels);
    return out;
}

std::vector<uint8_t> WriteJpeg(const ImagePixels& image, int quality)
{
    const std::vector<uint8_t> pixels = Rgba(image, false);
    std::vector<uint8_t> out;
    stbi_write_jpg_to_func(AppendToVector, &out, int(image.width), int(image.height), 3, pixels.data(),
                           quality);
    return out;
}

std::vector<uint8_t> WriteDds(const ImagePixels& image, D3DFORMAT format, uint32_t mipLevels)
{
    const d3dx::DdsFormatEntry* entry = d3dx::FindDdsFormat(format);
    const bool block = d3dx::IsDdsBlockFormat(format);
    if (!entry || image.width == 0 || image.height == 0 || format == D3DFMT_DXT2 || format == D3DFMT_DXT4)
        return {};
    const uint32_t chain = d3dx::FullMipChainLength(image.width, image.height);
    const uint32_t count = (mipLevels == 0 || mipLevels > chain) ? chain : mipLevels;
    std::vector<std::vector<uint8_t>> levels;
    ImagePixels level = image;
    for (uint32_t i = 0; i < count; ++i)
    {
        levels.push_back(block ? EncodeBlocks(level, format) : EncodeUncompressed(level, entry->pixelFormat));
        level = HalveBox(level);
    }
    return WriteDdsLevels(format, image.width, image.height, levels);
}

std::vector<uint8_t> WriteDdsLevels(D3DFORMAT format, uint32_t width, uint32_t height,
                                    const std::vector<std::vector<uint8_t>>& levels, uint32_t claimedMipCount)
{
    using namespace d3dx;
    const DdsFormatEntry* entry = FindDdsFormat(format);
    if (!entry)
        return {};
    const DdsPixelFormat& pf = entry->pixelFormat;
    const bool block = IsDdsBlockFormat(format);
    const uint32_t mipCount = claimedMipCount ? claimedMipCount : uint32_t(levels.size());
    BinaryWriter out;
    out.WriteUInt32(kDdsMagic);
    out.WriteUInt32(kDdsHeaderSize);
    out.WriteUInt32(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT |
                    (mipCount > 1 ? uint32_t(DDSD_MIPMAPCOUNT) : 0u) |
                    (block ? uint32_t(DDSD_LINEARSIZE) : uint32_t(DDSD_PITCH)));
    out.WriteUInt32(height);
    out.WriteUInt32(width);
    out.WriteUInt32(uint32_t(block ? DdsLevelSize(format, width, height) : DdsRowPitch(format, width)));
    out.WriteUInt32(0);
    out.WriteUInt32(mipCount);
    for (int i = 0; i < 11; ++i)
        out.WriteUInt32(0);
    out.WriteUInt32(kDdsPixelFormatSize);
    out.WriteUInt32(pf.flags);
    out.WriteUInt32(pf.fourCC);
    out.WriteUInt32(pf.rgbBitCount);
    out.WriteUInt32(pf.rMask);
    out.WriteUInt32(pf.gMask);
    out.WriteUInt32(pf.bMask);
    out.WriteUInt32(pf.aMask);
    out.WriteUInt32(DDSCAPS_TEXTURE | (mipCount > 1 ? uint32_t(DDSCAPS_COMPLEX | DDSCAPS_MIPMAP) : 0u));
    for (int i = 0; i < 4; ++i)
        out.WriteUInt32(0);
    for (const std::vector<uint8_t>& level : levels)
        out.WriteBytes(level.data(), level.size());
    return out.Bytes();
}

bool SaveImageFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}
