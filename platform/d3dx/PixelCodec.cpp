// Texel layouts to and from A8R8G8B8. Uncompressed formats go through one
// table of channel masks; DXT1/3/5 blocks are decoded here and encoded by
// stb_dxt. Values are little-endian in memory, as Direct3D lays them out
// (A8R8G8B8 is B, G, R, A byte by byte).
#include "platform/d3dx/PixelCodec.h"

#include <stb_dxt.h>

#include <algorithm>
#include <cstring>

namespace d3dx
{
namespace
{
// One uncompressed layout: bytes per texel and the bits of each channel.
struct ChannelLayout
{
    D3DFORMAT format;
    uint32_t bytes;
    uint32_t r, g, b, a;
    bool luminance;
};

constexpr ChannelLayout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, false},
    {D3DFMT_X8R8G8B8, 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0, false},
    {D3DFMT_A8B8G8R8, 4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000, false},
    {D3DFMT_X8B8G8R8, 4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0, false},
    {D3DFMT_R8G8B8, 3, 0xFF0000, 0x00FF00, 0x0000FF, 0, false},
    {D3DFMT_R5G6B5, 2, 0xF800, 0x07E0, 0x001F, 0, false},
    {D3DFMT_X1R5G5B5, 2, 0x7C00, 0x03E0, 0x001F, 0, false},
    {D3DFMT_A1R5G5B5, 2, 0x7C00, 0x03E0, 0x001F, 0x8000, false},
    {D3DFMT_A4R4G4B4, 2, 0x0F00, 0x00F0, 0x000F, 0xF000, false},
    {D3DFMT_X4R4G4B4, 2, 0x0F00, 0x00F0, 0x000F, 0, false},
    {D3DFMT_L8, 1, 0xFF, 0, 0, 0, true},
    {D3DFMT_A8L8, 2, 0x00FF, 0, 0, 0xFF00, true},
    {D3DFMT_A8, 1, 0, 0, 0, 0xFF, false},
};

const ChannelLayout* FindLayout(D3DFORMAT format)
{
    for (const ChannelLayout& layout : kLayouts)
        if (layout.format == format)
            return &layout;
    return nullptr;
}

bool IsDxt(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 || format == D3DFMT_DXT4 ||
           format == D3DFMT_DXT5;
}

int Shift(uint32_t mask)
{
    return mask ? __builtin_ctz(mask) : 0;
}

// A channel of `mask` widened to 0..255; absent channels read as `absent`.
uint32_t Extract(uint32_t texel, uint32_t mask, uint32_t absent)
{
    if (!mask)
        return absent;
    const uint32_t max = mask >> Shift(mask);
    const uint32_t value = (texel & mask) >> Shift(mask);
    return (value * 255 + max / 2) / max;
}

uint32_t Insert(uint32_t value8, uint32_t mask)
{
    if (!mask)
        return 0;
    const uint32_t max = mask >> Shift(mask);
    return ((value8 * max + 127) / 255) << Shift(mask);
}

uint32_t ReadTexel(const uint8_t* p, uint32_t bytes)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        value |= uint32_t(p[i]) << (8 * i);
    return value;
}

void WriteTexel(uint8_t* p, uint32_t bytes, uint32_t value)
{
    for (uint32_t i = 0; i < bytes; ++i)
        p[i] = uint8_t(value >> (8 * i));
}

uint32_t DecodeTexel(const ChannelLayout& layout, uint32_t texel)
{
    const uint32_t a = Extract(texel, layout.a, 0xFF);
    if (layout.luminance)
    {
        const uint32_t l = Extract(texel, layout.r, 0);
        return (a << 24) | (l << 16) | (l << 8) | l;
    }
    return (a << 24) | (Extract(texel, layout.r, 0) << 16) | (Extract(texel, layout.g, 0) << 8) |
           Extract(texel, layout.b, 0);
}

uint32_t EncodeTexel(const ChannelLayout& layout, uint32_t argb)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    if (layout.luminance)
    {
        // Rec. 601 weights, as a grey picture is expected to keep its brightness.
        const uint32_t l = (r * 299 + g * 587 + b * 114 + 500) / 1000;
        return Insert(l, layout.r) | Insert(a, layout.a);
    }
    // The unused bits of the X formats are written as ones, as an opaque alpha would be.
    const uint32_t used = layout.r | layout.g | layout.b | layout.a;
    const uint32_t all = layout.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * layout.bytes)) - 1;
    const uint32_t padding = layout.a == 0 ? all & ~used : 0;
    return Insert(r, layout.r) | Insert(g, layout.g) | Insert(b, layout.b) | Insert(a, layout.a) | padding;
}

// ---- DXT ----

uint32_t Rgb565ToArgb(uint16_t c)
{
    return 0xFF000000u | (Extract(c, 0xF800, 0) << 16) | (Extract(c, 0x07E0, 0) << 8) | Extract(c, 0x001F, 0);
}

uint32_t Mix(uint32_t c0, uint32_t c1, uint32_t w0, uint32_t w1)
{
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        out |= (((((c0 >> shift) & 0xFF) * w0 + ((c1 >> shift) & 0xFF) * w1) / (w0 + w1)) & 0xFF) << shift;
    return out;
}

// The 16 colours of a colour block; DXT1 alone has the three-colour mode with
// transparent black.
void DecodeColourBlock(const uint8_t* block, bool dxt1, uint32_t out[16])
{
    const uint16_t c0 = uint16_t(block[0] | (block[1] << 8)), c1 = uint16_t(block[2] | (block[3] << 8));
    uint32_t palette[4] = {Rgb565ToArgb(c0), Rgb565ToArgb(c1), 0, 0};
    if (c0 > c1 || !dxt1)
    {
        palette[2] = Mix(palette[0], palette[1], 2, 1);
        palette[3] = Mix(palette[0], palette[1], 1, 2);
    }
    else
    {
        palette[2] = Mix(palette[0], palette[1], 1, 1);
        palette[3] = 0;
    }
    const uint32_t indices = ReadTexel(block + 4, 4);
    for (int i = 0; i < 16; ++i)
        out[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeInterpolatedAlpha(const uint8_t* block, uint8_t out[16])
{
    const uint32_t a0 = block[0], a1 = block[1];
    uint32_t palette[8] = {a0, a1};
    if (a0 > a1)
        for (uint32_t i = 1; i < 7; ++i)
            palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    else
    {
        for (uint32_t i = 1; i < 5; ++i)
            palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
    uint64_t indices = 0;
    for (int i = 0; i < 6; ++i)
        indices |= uint64_t(block[2 + i]) << (8 * i);
    for (int i = 0; i < 16; ++i)
        out[i] = uint8_t(palette[(indices >> (3 * i)) & 7]);
}

void DecodeBlock(D3DFORMAT format, const uint8_t* block, uint32_t out[16])
{
    if (format == D3DFMT_DXT1)
    {
        DecodeColourBlock(block, true, out);
        return;
    }
    DecodeColourBlock(block + 8, false, out);
    uint8_t alpha[16];
    if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3)
        for (int i = 0; i < 16; ++i)
            alpha[i] = uint8_t(((block[i / 2] >> (4 * (i % 2))) & 0xF) * 17);
    else
        DecodeInterpolatedAlpha(block, alpha);
    for (int i = 0; i < 16; ++i)
        out[i] = (out[i] & 0x00FFFFFFu) | (uint32_t(alpha[i]) << 24);
}

void EncodeBlock(D3DFORMAT format, const uint32_t argb[16], uint8_t* block)
{
    uint8_t rgba[16 * 4];
    for (int i = 0; i < 16; ++i)
    {
        rgba[i * 4 + 0] = uint8_t(argb[i] >> 16);
        rgba[i * 4 + 1] = uint8_t(argb[i] >> 8);
        rgba[i * 4 + 2] = uint8_t(argb[i]);
        rgba[i * 4 + 3] = uint8_t(argb[i] >> 24);
    }
    if (format == D3DFMT_DXT1)
    {
        stb_compress_dxt_block(block, rgba, 0, STB_DXT_HIGHQUAL);
        return;
    }
    if (format == D3DFMT_DXT4 || format == D3DFMT_DXT5)
    {
        stb_compress_dxt_block(block, rgba, 1, STB_DXT_HIGHQUAL);
        return;
    }
    // DXT2/3: explicit 4-bit alpha, then the colour block stb_dxt makes (always
    // in four-colour order, which DXT3 requires).
    for (int i = 0; i < 8; ++i)
    {
        const uint32_t lo = ((argb[2 * i] >> 24) * 15 + 127) / 255,
                       hi = ((argb[2 * i + 1] >> 24) * 15 + 127) / 255;
        block[i] = uint8_t(lo | (hi << 4));
    }
    stb_compress_dxt_block(block + 8, rgba, 0, STB_DXT_HIGHQUAL);
}

uint32_t BlockBytes(D3DFORMAT format)
{
    return format == D3DFMT_DXT1 ? 8 : 16;
}
} // namespace

bool IsCodecFormat(D3DFORMAT format)
{
    return FindLayout(format) || IsDxt(format);
}

bool HasAlpha(D3DFORMAT format)
{
    const ChannelLayout* layout = FindLayout(format);
    return layout ? layout->a != 0 : IsDxt(format);
}

void DecodeToArgb(D3DFORMAT format, const uint8_t* bytes, uint32_t pitch, uint32_t width, uint32_t height,
                  uint32_t* argb)
{
    if (const ChannelLayout* layout = FindLayout(format))
    {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                argb[size_t(y) * width + x] = DecodeTexel(
                    *layout, ReadTexel(bytes + size_t(y) * pitch + size_t(x) * layout->bytes, layout->bytes));
        return;
    }
    if (!IsDxt(format))
        return;
    uint32_t texels[16];
    for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx)
        {
            DecodeBlock(format, bytes + size_t(by) * pitch + size_t(bx) * BlockBytes(format), texels);
            // Blocks overhanging a small level carry texels that are not in the image.
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < width && y < height)
                    argb[size_t(y) * width + x] = texels[i];
            }
        }
}

void EncodeFromArgb(D3DFORMAT format, const uint32_t* argb, uint32_t width, uint32_t height, uint8_t* bytes,
                    uint32_t pitch)
{
    if (const ChannelLayout* layout = FindLayout(format))
    {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x)
                WriteTexel(bytes + size_t(y) * pitch + size_t(x) * layout->bytes, layout->bytes,
                           EncodeTexel(*layout, argb[size_t(y) * width + x]));
        return;
    }
    if (!IsDxt(format))
        return;
    uint32_t texels[16];
    for (uint32_t by = 0; by < (height + 3) / 4; ++by)
        for (uint32_t bx = 0; bx < (width + 3) / 4; ++bx)
        {
            // A level smaller than a block repeats its edge texels to fill it.
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint32_t x = std::min(bx * 4 + i % 4, width - 1),
                               y = std::min(by * 4 + i / 4, height - 1);
                texels[i] = argb[size_t(y) * width + x];
            }
            EncodeBlock(format, texels, bytes + size_t(by) * pitch + size_t(bx) * BlockBytes(format));
        }
}
} // namespace d3dx
