// Image decoding from memory. The file kind is told by its signature (TGA,
// which has none, by a plausible header); DDS goes to our reader, the others
// to stb_image. Sizes are checked before any pixel memory is allocated, so a
// damaged header cannot ask for gigabytes.
#include "platform/d3dx/D3DXImage.h"

#include "platform/d3dx/Dds.h"
#include "platform/d3dx/PixelCodec.h"
#include "platform/io/BinaryReader.h"

#include "platform/d3dx/StbImageDecoder.h"

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

// stb_image reads past a short BMP, TGA or JPEG as zeros and calls it a
// picture: an uncompressed one must hold every row it announces, a compressed
// one at least the fewest bytes its pixels can be coded in.
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
        // Only plain rows and bit fields are read; stb_image takes any other
        // code with the top bit set for plain rows and decodes zeros past the end.
        if (compression != 0 && compression != 3)
            return error = "unsupported BMP compression " + std::to_string(compression), false;
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
        // A run-length packet is a byte and at least one byte of pixel for at
        // most 128 pixels; stb_image reads a run cut short as zeros.
        else if (uint64_t(width) * height > uint64_t(size) * 64)
            return error = "run-length pixels end early (" + std::to_string(size) + " bytes for " +
                           std::to_string(uint64_t(width) * height) + " pixels)",
                   false;
    }
    else if (kind == FileKind::Jpg)
    {
        // Every 8 x 8 block of a JPEG takes at least one bit; stb_image decodes
        // a file cut short as if the rest were zeros, so a few hundred bytes
        // could otherwise ask for a picture of millions of pixels.
        int width = 0, height = 0, channels = 0;
        StbInfoFromMemory(data, size, &width, &height, &channels);
        if (uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0)) > uint64_t(size) * 8 * 64)
            return error = "compressed data ends early (" + std::to_string(size) + " bytes for " +
                           std::to_string(width) + " x " + std::to_string(height) + ")",
                   false;
    }
    if (needed > size)
        return error = "pixel data ends early (" + std::to_string(size) + " of " + std::to_string(needed) +
                       " bytes)",
               false;
    return true;
}

// The Huffman tables a JPEG scan decodes with must be sound for stb_image:
// it adds up a table's code counts without a bound (more than 256 codes write
// past its size list), and it decodes with a table no DHT segment defined
// (reading its tables uninitialised and indexing past them). Every DHT and
// SOS segment is checked before the decoder sees the file, reading as the
// decoder does: stray bytes between segments are passed over and bytes past
// the end count as zeros. Anything else wrong is left to the decoder.
class JpegTableCheck
{
  public:
    JpegTableCheck(const void* data, size_t size) : m_Bytes(static_cast<const uint8_t*>(data)), m_Size(size) {}

    bool Run(std::string& error)
    {
        size_t at = 2; // after the start-of-image marker
        while (at + 3 < m_Size)
        {
            if (m_Bytes[at] != 0xFF)
            {
                ++at;
                continue;
            }
            const uint8_t marker = m_Bytes[at + 1];
            if (marker == 0xFF || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            {
                at += marker == 0xFF ? 1 : 2; // fill byte, or a marker without a segment
                continue;
            }
            if (marker == 0xD9)
                break;
            // A length too short for itself: the decoder may still read on, so
            // the walk goes on after the marker.
            const size_t length = ByteAt(at + 2) << 8 | ByteAt(at + 3);
            if (length < 2)
            {
                at += 2;
                continue;
            }
            if (marker == 0xC2)
                m_Progressive = true;
            if (marker == 0xC4 && !DefineTables(at + 4, at + 2 + length, error))
                return false;
            if (marker == 0xDA && !ScanTablesDefined(at + 4, error))
                return false;
            at += 2 + length;
            if (marker == 0xDA)
                at = SkipScanData(at);
        }
        return true;
    }

  private:
    size_t ByteAt(size_t i) const { return i < m_Size ? m_Bytes[i] : 0; }

    bool DefineTables(size_t table, size_t end, std::string& error)
    {
        while (table < end && table < m_Size)
        {
            size_t codes = 0;
            for (size_t i = 1; i <= 16; ++i)
                codes += ByteAt(table + i);
            if (codes > 256)
                return error = "Huffman table with " + std::to_string(codes) + " codes", false;
            const size_t kind = ByteAt(table) >> 4, slot = ByteAt(table) & 15;
            if (kind <= 1 && slot <= 3)
                m_Defined[kind][slot] = true;
            table += 17 + codes;
        }
        return true;
    }

    // A baseline scan decodes with both tables of its components, whatever
    // its spectral range says; a progressive one with the DC tables in its
    // first DC pass and the AC tables when it holds AC coefficients.
    bool ScanTablesDefined(size_t at, std::string& error) const
    {
        const size_t components = ByteAt(at);
        const size_t spectralStart = ByteAt(at + 1 + 2 * components);
        const size_t spectralEnd = ByteAt(at + 2 + 2 * components);
        const size_t approximationHigh = ByteAt(at + 3 + 2 * components) >> 4;
        for (size_t c = 0; c < components; ++c)
        {
            const size_t selectors = ByteAt(at + 2 + 2 * c), dc = selectors >> 4, ac = selectors & 15;
            const bool needsDc = !m_Progressive || (spectralStart == 0 && approximationHigh == 0);
            const bool needsAc = !m_Progressive || spectralEnd > 0;
            const bool dcUndefined = needsDc && dc <= 3 && !m_Defined[0][dc];
            const bool acUndefined = needsAc && ac <= 3 && !m_Defined[1][ac];
            if (dcUndefined || acUndefined)
                return error = "scan uses an undefined Huffman table", false;
        }
        return true;
    }

    // The first marker after the entropy-coded data that starts at `at`. The
    // decoder's bit reader passes over fill bytes before looking at the code
    // after them, so FF FF 00 is a stuffed zero there (data), not a marker.
    size_t SkipScanData(size_t at) const
    {
        while (at < m_Size)
        {
            if (m_Bytes[at] != 0xFF)
            {
                ++at;
                continue;
            }
            size_t code = at + 1;
            while (code < m_Size && m_Bytes[code] == 0xFF)
                ++code;
            if (code >= m_Size)
                return m_Size;
            const uint8_t next = m_Bytes[code];
            if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                return code - 1;
            at = code + 1;
        }
        return m_Size;
    }

    const uint8_t* m_Bytes;
    size_t m_Size;
    bool m_Defined[2][4] = {};
    bool m_Progressive = false;
};

bool StbInfo(const void* data, size_t size, FileKind kind, D3DXIMAGE_INFO& info, std::string& error)
{
    if (size > size_t(INT_MAX))
        return error = "file too large", false;
    if (kind == FileKind::Jpg && !JpegTableCheck(data, size).Run(error))
        return false;
    int width = 0, height = 0, channels = 0;
    if (!StbInfoFromMemory(data, size, &width, &height, &channels))
        return error = std::string("unreadable header: ") + StbFailureReason(), false;
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
    uint8_t* rgba =
        StbLoadFromMemory(data, size, &width, &height, &channels, 4);
    if (!rgba)
        return error = std::string("undecodable pixels: ") + StbFailureReason(), false;
    if (UINT(width) != image.info.Width || UINT(height) != image.info.Height)
    {
        StbFree(rgba);
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
    StbFree(rgba);
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
