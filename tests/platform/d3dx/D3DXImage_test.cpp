// Image decoding from memory: every file kind our writers make decodes back to
// the picture written (within each format's precision), the image information
// names the file as Direct3D does, and broken files of every kind fail cleanly
// with D3DXERR_INVALIDDATA.
#include "platform/d3dx/D3DXImage.h"
#include "platform/d3dx/Dds.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{
// 5 x 3: an odd width pads BMP rows; distinct corners show any flip or mirror.
ImagePixels TestPicture()
{
    ImagePixels image;
    image.width = 5;
    image.height = 3;
    image.argb = {0xFF102030, 0x80FF0000, 0x0000FF00, 0xFF0000FF, 0xC0FFFFFF, //
                  0xFF405060, 0x40808080, 0xFF123456, 0x20ABCDEF, 0xFF000000, //
                  0xFFFFFFFF, 0x10203040, 0xFF00FFFF, 0xFFFF00FF, 0xE0706050};
    return image;
}

// 8 x 8 of four solid 4x4 blocks, which DXT holds exactly but for 565 rounding.
ImagePixels BlockPicture()
{
    ImagePixels image;
    image.width = image.height = 8;
    const uint32_t blocks[4] = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF};
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            image.argb.push_back(blocks[(y / 4) * 2 + x / 4]);
    return image;
}

// A smooth gradient, which JPEG keeps close.
ImagePixels GradientPicture()
{
    ImagePixels image;
    image.width = image.height = 16;
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            image.argb.push_back(0xFF000000u | (x * 16) << 16 | (y * 16) << 8 | 0x80);
    return image;
}

int ChannelDifference(uint32_t a, uint32_t b, int shift)
{
    return std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF));
}

// Compares colour within colourTolerance; alpha is either compared within
// alphaTolerance or, for formats without alpha, expected opaque.
void ExpectPicture(const d3dx::ArgbImage& actual, const ImagePixels& expected, int colourTolerance,
                   int alphaTolerance, bool opaque)
{
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    for (uint32_t y = 0; y < expected.height; ++y)
        for (uint32_t x = 0; x < expected.width; ++x)
        {
            const uint32_t got = actual.pixels[y * actual.width + x], want = expected.At(x, y);
            SCOPED_TRACE("texel " + std::to_string(x) + "," + std::to_string(y));
            for (int shift : {0, 8, 16})
                EXPECT_LE(ChannelDifference(got, want, shift), colourTolerance)
                    << std::hex << got << " vs " << want;
            if (opaque)
                EXPECT_EQ(got >> 24, 0xFFu);
            else
                EXPECT_LE(ChannelDifference(got, want, 24), alphaTolerance)
                    << std::hex << got << " vs " << want;
        }
}

struct RoundTrip
{
    std::string name;
    std::vector<uint8_t> file;
    ImagePixels picture;
    D3DXIMAGE_FILEFORMAT fileFormat;
    D3DFORMAT format;
    int colourTolerance;
    int alphaTolerance;
    bool opaque;
};

std::vector<RoundTrip> RoundTrips()
{
    const ImagePixels picture = TestPicture(), blocks = BlockPicture(), gradient = GradientPicture();
    return {
        {"bmp 24 bottom-up", WriteBmp(picture, 24), picture, D3DXIFF_BMP, D3DFMT_R8G8B8, 0, 0, true},
        {"bmp 24 top-down", WriteBmp(picture, 24, true), picture, D3DXIFF_BMP, D3DFMT_R8G8B8, 0, 0, true},
        {"bmp 32", WriteBmp(picture, 32), picture, D3DXIFF_BMP, D3DFMT_A8R8G8B8, 0, 0, false},
        {"tga 24 bottom-up", WriteTga(picture, 24), picture, D3DXIFF_TGA, D3DFMT_R8G8B8, 0, 0, true},
        {"tga 32 top-down", WriteTga(picture, 32, true), picture, D3DXIFF_TGA, D3DFMT_A8R8G8B8, 0, 0, false},
        {"png rgba", WritePng(picture), picture, D3DXIFF_PNG, D3DFMT_A8R8G8B8, 0, 0, false},
        {"png rgb", WritePng(picture, false), picture, D3DXIFF_PNG, D3DFMT_R8G8B8, 0, 0, true},
        {"jpeg", WriteJpeg(gradient, 95), gradient, D3DXIFF_JPG, D3DFMT_X8R8G8B8, 12, 0, true},
        {"dds a8r8g8b8", WriteDds(picture, D3DFMT_A8R8G8B8), picture, D3DXIFF_DDS, D3DFMT_A8R8G8B8, 0, 0,
         false},
        {"dds x8r8g8b8", WriteDds(picture, D3DFMT_X8R8G8B8), picture, D3DXIFF_DDS, D3DFMT_X8R8G8B8, 0, 0,
         true},
        {"dds r5g6b5", WriteDds(picture, D3DFMT_R5G6B5), picture, D3DXIFF_DDS, D3DFMT_R5G6B5, 4, 0, true},
        {"dds a4r4g4b4", WriteDds(picture, D3DFMT_A4R4G4B4), picture, D3DXIFF_DDS, D3DFMT_A4R4G4B4, 8, 8,
         false},
        {"dds a1r5g5b5", WriteDds(blocks, D3DFMT_A1R5G5B5), blocks, D3DXIFF_DDS, D3DFMT_A1R5G5B5, 4, 127,
         false},
        {"dds dxt1", WriteDds(blocks, D3DFMT_DXT1), blocks, D3DXIFF_DDS, D3DFMT_DXT1, 4, 0, true},
        {"dds dxt3", WriteDds(blocks, D3DFMT_DXT3), blocks, D3DXIFF_DDS, D3DFMT_DXT3, 4, 8, false},
        {"dds dxt5", WriteDds(blocks, D3DFMT_DXT5), blocks, D3DXIFF_DDS, D3DFMT_DXT5, 4, 0, false},
    };
}

TEST(D3DXImage, EveryWrittenFormatDecodesBackWithItsInformation)
{
    for (const RoundTrip& c : RoundTrips())
    {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.file.empty());
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(c.file.data(), UINT(c.file.size()), &info), D3D_OK);
        EXPECT_EQ(info.Width, c.picture.width);
        EXPECT_EQ(info.Height, c.picture.height);
        EXPECT_EQ(info.Depth, 1u);
        EXPECT_EQ(info.MipLevels, 1u);
        EXPECT_EQ(info.Format, c.format);
        EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
        EXPECT_EQ(info.ImageFileFormat, c.fileFormat);

        d3dx::DecodedImage image;
        std::string error;
        ASSERT_TRUE(d3dx::DecodeImage(c.file.data(), c.file.size(), image, error)) << error;
        ExpectPicture(image.LevelArgb(0), c.picture, c.colourTolerance, c.alphaTolerance, c.opaque);
    }
}

TEST(D3DXImage, DdsMipLevelsAreReadInOrderAndBoxFiltered)
{
    // 4 x 2 whose left 2x2 square averages to 0x60405060 by hand.
    ImagePixels picture;
    picture.width = 4;
    picture.height = 2;
    picture.argb = {0x80102030, 0x80304050, 0xFF000000, 0xFF000000, //
                    0x40506070, 0x40708090, 0xFF000000, 0xFF000000};
    const std::vector<uint8_t> file = WriteDds(picture, D3DFMT_A8R8G8B8, 0);
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(file.data(), UINT(file.size()), &info), D3D_OK);
    EXPECT_EQ(info.MipLevels, 3u);

    d3dx::DecodedImage image;
    std::string error;
    ASSERT_TRUE(d3dx::DecodeImage(file.data(), file.size(), image, error)) << error;
    ASSERT_EQ(image.levels.size(), 3u);
    EXPECT_EQ(image.levels[0].size(), 4u * 2 * 4);
    EXPECT_EQ(image.levels[1].size(), 2u * 1 * 4);
    EXPECT_EQ(image.levels[2].size(), 1u * 1 * 4);
    const d3dx::ArgbImage level1 = image.LevelArgb(1);
    ASSERT_EQ(level1.width, 2u);
    ASSERT_EQ(level1.height, 1u);
    EXPECT_EQ(level1.pixels[0], 0x60405060u);
    EXPECT_EQ(level1.pixels[1], 0xFF000000u);
}

TEST(D3DXImage, DdsLevelsOfEveryBlockSizeSurviveTheReader)
{
    // The smallest DXT levels still take a whole block each.
    const ImagePixels picture = BlockPicture();
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5, D3DFMT_R5G6B5})
    {
        const std::vector<uint8_t> file = WriteDds(picture, format, 0);
        d3dx::DdsImage dds;
        std::string error;
        ASSERT_TRUE(d3dx::ReadDds(file.data(), file.size(), dds, error)) << error;
        ASSERT_EQ(dds.levels.size(), 4u);
        size_t offset = d3dx::kDdsDataOffset;
        for (size_t level = 0; level < dds.levels.size(); ++level)
        {
            const uint32_t side = 8u >> level;
            ASSERT_EQ(dds.levels[level].size(), d3dx::DdsLevelSize(format, side, side));
            EXPECT_TRUE(
                std::equal(dds.levels[level].begin(), dds.levels[level].end(), file.begin() + long(offset)));
            offset += dds.levels[level].size();
        }
        EXPECT_EQ(offset, file.size());
    }
}

struct BrokenFile
{
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size)
{
    bytes.resize(std::min(size, bytes.size()));
    return bytes;
}

// The DDS header's field at a byte offset, overwritten.
std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(value >> (8 * i));
    return bytes;
}

// A JPEG whose frame header claims width x height (big-endian, after the SOF0 marker).
std::vector<uint8_t> JpegClaiming(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height)
{
    for (size_t i = 0; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0)
        {
            jpeg[i + 5] = uint8_t(height >> 8), jpeg[i + 6] = uint8_t(height);
            jpeg[i + 7] = uint8_t(width >> 8), jpeg[i + 8] = uint8_t(width);
            break;
        }
    return jpeg;
}

// A Huffman table of 16 x 17 = 272 codes put in front of the JPEG's own
// segments (a table holds at most 256).
std::vector<uint8_t> WithOversizedHuffmanTable(const std::vector<uint8_t>& jpeg)
{
    const size_t length = 2 + 17 + 272;
    // Start of image, then the table's segment.
    std::vector<uint8_t> file = {jpeg[0], jpeg[1], 0xFF, 0xC4, uint8_t(length >> 8), uint8_t(length & 0xFF), 0x00};
    file.resize(file.size() + 16, 17);
    file.resize(file.size() + 272, 0x01);
    file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
    return file;
}

// The first scan component decoding with tables 3, which no segment defines.
std::vector<uint8_t> WithUndefinedScanTables(std::vector<uint8_t> jpeg)
{
    for (size_t i = 2; i + 6 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA)
        {
            jpeg[i + 6] = 0x33;
            break;
        }
    return jpeg;
}

// One 8 x 8 grey block whose scan data holds FF FF 00, a stuffed zero behind a
// fill byte, then a table of 512 codes. A walk that reads FF 00 as a
// segment skips the table; the decoder reads on to it.
std::vector<uint8_t> HuffmanTableAfterFillBytesInTheScan()
{
    std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
    file.resize(file.size() + 64, 1);
    const uint8_t frame[] = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x08, 0x00, 0x08, 0x01, 0x01, 0x11, 0x00};
    file.insert(file.end(), std::begin(frame), std::end(frame));
    for (uint8_t tableClass : {0x00, 0x10})
    {
        // Two codes of one bit each, so any bits decode.
        const uint8_t table[] = {0xFF, 0xC4, 0x00, 0x15, tableClass, 2};
        file.insert(file.end(), std::begin(table), std::end(table));
        file.resize(file.size() + 15 + 2, 0);
    }
    const uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00,
                            0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xC4, 0x02, 0x13, 0x10};
    file.insert(file.end(), std::begin(scan), std::end(scan));
    file.resize(file.size() + 16, 32);
    file.resize(file.size() + 512, 0);
    file.push_back(0xFF);
    file.push_back(0xD9);
    return file;
}

std::vector<BrokenFile> BrokenFiles()
{
    const ImagePixels picture = BlockPicture();
    const std::vector<uint8_t> dds = WriteDds(picture, D3DFMT_DXT5, 0);
    const std::vector<uint8_t> oneLevel = WriteDds(picture, D3DFMT_A8R8G8B8, 1);
    const std::vector<uint8_t> bmp = WriteBmp(picture, 24), tga = WriteTga(picture, 32),
                               png = WritePng(picture);
    std::vector<uint8_t> garbage;
    for (int i = 0; i < 300; ++i)
        garbage.push_back(uint8_t(0xF0 ^ (i * 37)));
    // Offsets in the file: height 12, width 16, mip count 28, fourCC 84, header size 4.
    return {
        {"empty", {}},
        {"one byte", {'D'}},
        {"garbage", garbage},
        {"dds magic only", Cut(dds, 4)},
        {"dds truncated header", Cut(dds, 60)},
        {"dds header without data", Cut(dds, d3dx::kDdsDataOffset)},
        {"dds last level cut short", Cut(dds, dds.size() - 1)},
        {"dds mip count past the end", Patched(oneLevel, 28, 4)},
        {"dds mip count beyond the chain", Patched(dds, 28, 100)},
        {"dds huge width", Patched(oneLevel, 16, 0x7FFFFFFF)},
        {"dds zero height", Patched(oneLevel, 12, 0)},
        {"dds unknown fourCC", Patched(dds, 84, 0x44434241)},
        {"dds wrong header size", Patched(dds, 4, 100)},
        {"bmp header only", Cut(bmp, 54)},
        {"bmp rows cut short", Cut(bmp, bmp.size() - 10)},
        {"bmp huge size", Patched(bmp, 18, 100000)},
        // Found by fuzzing: a compression code with its top bit set passed as
        // plain rows, so a 9736 x 6406 picture decoded from 256 bytes.
        {"bmp unknown compression, huge size", Patched(Patched(bmp, 18, 9736), 30, 0x92000000)},
        {"bmp run-length compression", Patched(bmp, 30, 1)},
        // Found by fuzzing: 595 bytes of JPEG claiming 4360 x 2054 decoded from
        // zeros for twenty seconds; a run-length TGA cut short does the same.
        {"jpeg claiming more pixels than its bytes can code", JpegClaiming(WriteJpeg(picture), 4360, 2054)},
        // Found by fuzzing: the decoder writes past its tables for more than 256 codes.
        {"jpeg huffman table of more than 256 codes", WithOversizedHuffmanTable(WriteJpeg(picture))},
        // Found by fuzzing: the decoder reads a table no segment defined, uninitialised.
        {"jpeg scan with undefined huffman tables", WithUndefinedScanTables(WriteJpeg(picture))},
        // Found by fuzzing: the same table, reached through a stuffed zero behind a fill byte.
        {"jpeg huffman table after fill bytes in the scan", HuffmanTableAfterFillBytesInTheScan()},
        {"tga run-length claiming more pixels than its bytes can code",
         Patched(Patched(tga, 12, 4000 | 4000u << 16), 0, 10u << 16)},
        {"tga rows cut short", Cut(tga, tga.size() - 4)},
        {"tga header cut", Cut(tga, 10)},
        {"png cut in the data", Cut(png, png.size() - 20)},
        {"png signature only", Cut(png, 8)},
    };
}

TEST(D3DXImage, BrokenFilesAreInvalidDataAndNeverReadPastTheEnd)
{
    for (const BrokenFile& broken : BrokenFiles())
    {
        SCOPED_TRACE(broken.name);
        // A copy of exactly the file's size, so a read past it is caught by the sanitizers.
        std::vector<uint8_t> exact(broken.bytes);
        exact.shrink_to_fit();
        const void* data = exact.empty() ? static_cast<const void*>("") : exact.data();
        d3dx::DecodedImage image;
        std::string error;
        EXPECT_FALSE(d3dx::DecodeImage(data, exact.size(), image, error));
        EXPECT_FALSE(error.empty());
        // An oversized table is refused before the decoder sees it, not by luck later.
        if (broken.name.find("huffman table") != std::string::npos)
            EXPECT_NE(error.find("Huffman table"), std::string::npos) << error;
        // Information is read from the header alone, so a PNG cut in its data still has some.
        if (broken.name != "png cut in the data")
        {
            D3DXIMAGE_INFO info{};
            EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(data, UINT(exact.size()), &info), D3DXERR_INVALIDDATA);
        }
    }
    D3DXIMAGE_INFO info{};
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(nullptr, 10, &info), D3DERR_INVALIDCALL);
}
} // namespace
