// Our DDS reader. Texture files come from the game's containers and may be
// damaged, so nothing in the header is trusted: the pixel format must be one
// we know, the sizes and the mip count must make sense, and each level must
// fit in the bytes that are left before it is read.
#include "platform/d3dx/Dds.h"

#include "platform/io/BinaryReader.h"

#include <cstdio>

namespace d3dx
{
namespace
{
std::string Describe(const char* format, unsigned a, unsigned b = 0, unsigned long long c = 0)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, a, b, c);
    return text;
}
} // namespace

bool ReadDds(const void* data, size_t size, DdsImage& image, std::string& error)
{
    image = DdsImage{};
    BinaryReader reader(data, size);
    const uint32_t magic = reader.ReadUInt32();
    const uint32_t headerSize = reader.ReadUInt32();
    const uint32_t flags = reader.ReadUInt32();
    const uint32_t height = reader.ReadUInt32();
    const uint32_t width = reader.ReadUInt32();
    reader.ReadUInt32(); // pitch or linear size: recomputed from the format
    reader.ReadUInt32(); // depth: volumes are refused below
    const uint32_t mipCount = reader.ReadUInt32();
    reader.Skip(11 * 4);
    DdsPixelFormat pf;
    const uint32_t pfSize = reader.ReadUInt32();
    pf.flags = reader.ReadUInt32();
    pf.fourCC = reader.ReadUInt32();
    pf.rgbBitCount = reader.ReadUInt32();
    pf.rMask = reader.ReadUInt32();
    pf.gMask = reader.ReadUInt32();
    pf.bMask = reader.ReadUInt32();
    pf.aMask = reader.ReadUInt32();
    reader.ReadUInt32(); // caps
    const uint32_t caps2 = reader.ReadUInt32();
    reader.Skip(3 * 4);
    if (reader.Failed())
        return error = Describe("truncated header (%u bytes)", unsigned(size)), false;
    if (magic != kDdsMagic || headerSize != kDdsHeaderSize || pfSize != kDdsPixelFormatSize)
        return error = "not a DDS header", false;
    if ((flags & DDSD_DEPTH) || (caps2 & (DDSCAPS2_CUBEMAP | DDSCAPS2_VOLUME)))
        return error = "cube maps and volumes are not supported", false;
    const D3DFORMAT format = DdsFormatOf(pf);
    if (format == D3DFMT_UNKNOWN)
        return error = Describe("unsupported pixel format (flags 0x%x, fourCC 0x%x)", pf.flags, pf.fourCC),
               false;
    if (width == 0 || height == 0 || width > kDdsMaxDimension || height > kDdsMaxDimension)
        return error = Describe("bad size %u x %u", width, height), false;
    // Writers disagree on the flag; a non-zero count is taken at its word.
    const uint32_t levels = mipCount == 0 ? 1 : mipCount;
    if (levels > FullMipChainLength(width, height))
        return error = Describe("%u mip levels for %u pixels", levels, std::max(width, height)), false;

    image.format = format;
    image.width = width;
    image.height = height;
    image.levels.resize(levels);
    for (uint32_t level = 0; level < levels; ++level)
    {
        const size_t bytes =
            DdsLevelSize(format, std::max(1u, width >> level), std::max(1u, height >> level));
        if (bytes > reader.Remaining())
        {
            error = Describe("level %u needs %u bytes, %llu left", level, unsigned(bytes),
                             (unsigned long long)reader.Remaining());
            image = DdsImage{};
            return false;
        }
        image.levels[level].resize(bytes);
        reader.ReadBytes(image.levels[level].data(), bytes);
    }
    return true;
}
} // namespace d3dx
