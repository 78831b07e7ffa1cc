// Textures from image files on the null device: sizes and mip chains as
// requested, texels in Direct3D's byte layout, smaller levels box-filtered,
// DDS levels copied unchanged, DXT5 compression on request, default-pool
// textures filled through UpdateTexture, and broken files refused as invalid
// data without a texture.
#include "platform/d3dx/D3DXTexture.h"
#include "platform/d3dx/PixelCodec.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "tests/platform/gfx/NullDeviceTestSupport.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
class D3DXTextureTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
    }
    void CreateDevice()
    {
        D3DPRESENT_PARAMETERS pp{};
        ASSERT_NO_FATAL_FAILURE(nulltest::CreateSmallDevice(d3d, device, pp));
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        if (texture)
            texture->Release();
        if (device)
        {
            EXPECT_EQ(device->Release(), 0u);
        }
        if (d3d)
        {
            EXPECT_EQ(d3d->Release(), 0u);
        }
    }

    // The usual game call: the file's size, full chain, managed.
    HRESULT Load(const std::vector<uint8_t>& file, D3DFORMAT format = D3DFMT_A8R8G8B8, UINT width = 0,
                 UINT height = 0, UINT levels = 0, D3DPOOL pool = D3DPOOL_MANAGED, D3DCOLOR colorKey = 0)
    {
        if (texture)
            texture->Release();
        texture = nullptr;
        info = {};
        return D3DXCreateTextureFromFileInMemoryEx(device, file.data(), UINT(file.size()), width, height,
                                                   levels, 0, format, pool, D3DX_DEFAULT, D3DX_DEFAULT,
                                                   colorKey, &info, nullptr, &texture);
    }

    // The bytes of a level as the texture keeps them.
    std::vector<uint8_t> LevelBytes(UINT level)
    {
        return dynamic_cast<gfx::MemoryTexture*>(texture)->Level(level).bytes;
    }

    // A texel read through LockRect: the four bytes in memory order.
    std::vector<uint8_t> TexelBytes(UINT level, UINT x, UINT y)
    {
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
        const auto* row = static_cast<const uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch;
        std::vector<uint8_t> bytes(row + x * 4, row + x * 4 + 4);
        texture->UnlockRect(level);
        return bytes;
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DXIMAGE_INFO info{};
};

// 8 x 4 whose top-left 2x2 square averages to 0x60405060 by hand.
ImagePixels MipPicture()
{
    ImagePixels image;
    image.width = 8;
    image.height = 4;
    image.argb.assign(32, 0xFF000000);
    image.argb[0] = 0x80102030;
    image.argb[1] = 0x80304050;
    image.argb[8] = 0x40506070;
    image.argb[9] = 0x40708090;
    return image;
}

TEST_F(D3DXTextureTest, FullChainFromABmpWithBoxFilteredLevelsInD3DByteOrder)
{
    CreateDevice();
    ASSERT_EQ(Load(WriteBmp(MipPicture(), 32)), D3D_OK);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(info.Width, 8u);
    EXPECT_EQ(info.Height, 4u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
    const UINT sizes[][2] = {{8, 4}, {4, 2}, {2, 1}, {1, 1}};
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    for (UINT level = 0; level < 4; ++level)
    {
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
        EXPECT_EQ(desc.Width, sizes[level][0]);
        EXPECT_EQ(desc.Height, sizes[level][1]);
        EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
        EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    }
    // A8R8G8B8 is B, G, R, A in memory.
    EXPECT_EQ(TexelBytes(0, 0, 0), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x80}));
    EXPECT_EQ(TexelBytes(1, 0, 0), (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60}));
    EXPECT_EQ(TexelBytes(1, 1, 0), (std::vector<uint8_t>{0x00, 0x00, 0x00, 0xFF}));
    // The last level averages all 32 texels: alpha (2x0x80 + 2x0x40 + 28x0xFF) / 32, rounded.
    EXPECT_EQ(TexelBytes(3, 0, 0)[3], (2 * 0x80 + 2 * 0x40 + 28 * 0xFF + 16) / 32);
    EXPECT_EQ(gfx::null::CountCalls("UpdateTexture("), 0u);
}

TEST_F(D3DXTextureTest, SizesAndLevelsFollowTheRequest)
{
    CreateDevice();
    ImagePixels odd;
    odd.width = 5;
    odd.height = 3;
    odd.argb.assign(15, 0xFF336699);
    const std::vector<uint8_t> file = WritePng(odd);
    struct Case
    {
        const char* name;
        UINT width, height, levels;
        UINT expectWidth, expectHeight, expectLevels;
    };
    const Case cases[] = {
        {"default rounds up to powers of two", 0, 0, 0, 8, 4, 4},
        {"D3DX_DEFAULT too", D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 8, 4, 4},
        {"non-power-of-two kept", D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 0, 5, 3, 3},
        {"explicit size, one level", 16, 16, 1, 16, 16, 1},
        {"levels from the file", D3DX_FROM_FILE, D3DX_FROM_FILE, D3DX_FROM_FILE, 5, 3, 1},
        {"too many levels is a full chain", 4, 4, 20, 4, 4, 3},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(file, D3DFMT_A8R8G8B8, c.width, c.height, c.levels), D3D_OK);
        D3DSURFACE_DESC desc{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, c.expectWidth);
        EXPECT_EQ(desc.Height, c.expectHeight);
        EXPECT_EQ(texture->GetLevelCount(), c.expectLevels);
        EXPECT_EQ(info.Width, 5u);
        EXPECT_EQ(info.Height, 3u);
        // A solid picture stays solid through any resize and filter.
        EXPECT_EQ(TexelBytes(c.expectLevels - 1, 0, 0), (std::vector<uint8_t>{0x99, 0x66, 0x33, 0xFF}));
    }
}

TEST_F(D3DXTextureTest, ResizingAveragesTheCoveredTexels)
{
    CreateDevice();
    ASSERT_EQ(Load(WriteTga(MipPicture(), 32), D3DFMT_A8R8G8B8, 4, 2, 1), D3D_OK);
    EXPECT_EQ(TexelBytes(0, 0, 0), (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60}));
}

TEST_F(D3DXTextureTest, DdsLevelsInTheTexturesFormatAreCopiedUnchanged)
{
    CreateDevice();
    const std::vector<uint8_t> file = WriteDds(MipPicture(), D3DFMT_DXT1, 0);
    ASSERT_EQ(Load(file, D3DFMT_UNKNOWN), D3D_OK);
    EXPECT_EQ(info.Format, D3DFMT_DXT1);
    EXPECT_EQ(info.MipLevels, 4u);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_DDS);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT1);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    size_t offset = 4 + 124;
    for (UINT level = 0; level < 4; ++level)
    {
        const std::vector<uint8_t> bytes = LevelBytes(level);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin() + long(offset))) << "level " << level;
        offset += bytes.size();
    }
}

TEST_F(D3DXTextureTest, ASingleLevelDdsGetsItsChainGenerated)
{
    CreateDevice();
    ASSERT_EQ(Load(WriteDds(MipPicture(), D3DFMT_A8R8G8B8, 1), D3DFMT_UNKNOWN), D3D_OK);
    EXPECT_EQ(info.MipLevels, 1u);
    ASSERT_EQ(texture->GetLevelCount(), 4u);
    EXPECT_EQ(TexelBytes(1, 0, 0), (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60}));
}

TEST_F(D3DXTextureTest, RequestedDxt5Compresses)
{
    CreateDevice();
    // Solid 4x4 blocks, which DXT5 keeps but for 565 rounding.
    ImagePixels blocks;
    blocks.width = blocks.height = 8;
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            blocks.argb.push_back(x < 4 ? (y < 4 ? 0xFFFF0000 : 0x8000FF00)
                                        : (y < 4 ? 0x400000FF : 0xFFFFFFFF));
    ASSERT_EQ(Load(WritePng(blocks), D3DFMT_DXT5), D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_DXT5);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
    const std::vector<uint8_t> level0 = LevelBytes(0);
    ASSERT_EQ(level0.size(), 4u * 16);
    std::vector<uint32_t> decoded(64);
    d3dx::DecodeToArgb(D3DFMT_DXT5, level0.data(), 32, 8, 8, decoded.data());
    for (size_t i = 0; i < 64; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            EXPECT_NEAR(int((decoded[i] >> shift) & 0xFF), int((blocks.argb[i] >> shift) & 0xFF), 4)
                << "texel " << i;
}

TEST_F(D3DXTextureTest, OtherFormatsAreEncodedInTheirLayout)
{
    CreateDevice();
    ImagePixels one;
    one.width = one.height = 1;
    one.argb = {0x80FF8000};
    struct Case
    {
        D3DFORMAT format;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {D3DFMT_X8R8G8B8, {0x00, 0x80, 0xFF, 0xFF}}, // unused bits set
        {D3DFMT_R5G6B5, {0x00, 0xFC}},               // r 31, g 32, b 0
        {D3DFMT_A4R4G4B4, {0x80, 0x8F}},             // a 8, r 15, g 8, b 0
        {D3DFMT_A1R5G5B5, {0x00, 0xFE}},             // a 1, r 31, g 16, b 0
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(unsigned(c.format));
        ASSERT_EQ(Load(WriteBmp(one, 32), c.format), D3D_OK);
        EXPECT_EQ(LevelBytes(0), c.bytes);
    }
}

TEST_F(D3DXTextureTest, ColourKeyBecomesTransparentBlack)
{
    CreateDevice();
    ImagePixels keyed;
    keyed.width = 2;
    keyed.height = 1;
    keyed.argb = {0xFFFF00FF, 0xFF102030};
    ASSERT_EQ(Load(WriteBmp(keyed, 24), D3DFMT_A8R8G8B8, 0, 0, 1, D3DPOOL_MANAGED, 0xFFFF00FF), D3D_OK);
    EXPECT_EQ(TexelBytes(0, 0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(TexelBytes(0, 1, 0), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF}));
}

TEST_F(D3DXTextureTest, DefaultPoolTexturesAreFilledThroughUpdateTexture)
{
    CreateDevice();
    ASSERT_EQ(Load(WriteBmp(MipPicture(), 32), D3DFMT_A8R8G8B8, 0, 0, 0, D3DPOOL_DEFAULT), D3D_OK);
    EXPECT_EQ(gfx::null::CountCalls("UpdateTexture("), 1u);
    const std::vector<uint8_t> level1 = LevelBytes(1);
    EXPECT_EQ(std::vector<uint8_t>(level1.begin(), level1.begin() + 4),
              (std::vector<uint8_t>{0x60, 0x50, 0x40, 0x60}));
}

TEST_F(D3DXTextureTest, MipmapLessCapsGiveOneLevel)
{
    gfx::null::Settings().adapters[0].caps.TextureCaps &= ~DWORD(D3DPTEXTURECAPS_MIPMAP);
    gfx::null::Settings().adapters[0].caps.MaxTextureWidth = 4;
    CreateDevice();
    ASSERT_EQ(Load(WriteBmp(MipPicture(), 32)), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 4u);
}

TEST_F(D3DXTextureTest, BrokenFilesAreInvalidDataAndLeaveNoTexture)
{
    CreateDevice();
    std::vector<uint8_t> dds = WriteDds(MipPicture(), D3DFMT_DXT5, 0);
    std::vector<uint8_t> bmp = WriteBmp(MipPicture(), 24), png = WritePng(MipPicture());
    std::vector<uint8_t> jpeg = WriteJpeg(MipPicture());
    std::vector<uint8_t> claimsMore = WriteDds(MipPicture(), D3DFMT_A8R8G8B8, 1);
    claimsMore[28] = 4; // the mip count
    const std::vector<std::pair<std::string, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"garbage", std::vector<uint8_t>(100, 0xEE)},
        {"dds truncated header", std::vector<uint8_t>(dds.begin(), dds.begin() + 40)},
        {"dds levels cut short", std::vector<uint8_t>(dds.begin(), dds.end() - 8)},
        {"dds mip count past the end", claimsMore},
        {"bmp cut short", std::vector<uint8_t>(bmp.begin(), bmp.end() - 3)},
        {"png cut short", std::vector<uint8_t>(png.begin(), png.end() - 30)},
        {"jpeg header only", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + 20)},
    };
    for (const auto& [name, bytes] : cases)
    {
        SCOPED_TRACE(name);
        std::vector<uint8_t> exact(bytes);
        exact.shrink_to_fit();
        EXPECT_EQ(Load(exact), D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
    EXPECT_EQ(gfx::null::CountCalls("CreateTexture("), 0u);
}

TEST_F(D3DXTextureTest, BadCallsAndUnwritableFormats)
{
    CreateDevice();
    const std::vector<uint8_t> file = WriteBmp(MipPicture(), 24);
    EXPECT_EQ(Load(file, D3DFMT_R32F), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
    EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(nullptr, file.data(), UINT(file.size()), 0, 0, 0, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                  D3DX_DEFAULT, 0, nullptr, nullptr, &texture),
              D3DERR_INVALIDCALL);
}

TEST_F(D3DXTextureTest, FromAFileOnDisk)
{
    CreateDevice();
    const std::string path = ::testing::TempDir() + "d3dx_texture_test.tga";
    ASSERT_TRUE(SaveImageFile(path, WriteTga(MipPicture(), 32)));
    ASSERT_EQ(D3DXCreateTextureFromFileExA(device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                           D3DX_DEFAULT, D3DX_DEFAULT, 0, &info, nullptr, &texture),
              D3D_OK);
    EXPECT_EQ(info.ImageFileFormat, D3DXIFF_TGA);
    EXPECT_EQ(texture->GetLevelCount(), 4u);
    std::remove(path.c_str());
    IDirect3DTexture9* missing = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileA(device, path.c_str(), &missing), D3DXERR_INVALIDDATA);
    EXPECT_EQ(missing, nullptr);
}

TEST_F(D3DXTextureTest, CheckRequirementsAndCreateTexture)
{
    CreateDevice();
    UINT width = 0, height = 10000, levels = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    ASSERT_EQ(D3DXCheckTextureRequirements(device, &width, &height, &levels, 0, &format, D3DPOOL_MANAGED),
              D3D_OK);
    EXPECT_EQ(width, 256u);
    EXPECT_EQ(height, 4096u);
    EXPECT_EQ(levels, 13u);
    EXPECT_EQ(format, D3DFMT_A8R8G8B8);

    ASSERT_EQ(D3DXCreateTexture(device, 512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                &texture),
              D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 512u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
}
} // namespace
