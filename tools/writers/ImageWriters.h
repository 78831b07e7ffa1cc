// Writers of the image files the texture loader reads: BMP (24-bit bottom-up
// or top-down, 32-bit), TGA (24 or 32-bit, either origin), DDS (DXT1/3/5 and
// the uncompressed layouts, with or without a mip chain), and PNG and JPEG
// through stb_image_write. They make the test fixtures and the demo data's
// textures, and encode independently of the loader so that a round trip
// checks both sides.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstdint>
#include <string>
#include <vector>

// A picture as the writers take it: width x height ARGB values, top row first.
struct ImagePixels
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;

    uint32_t At(uint32_t x, uint32_t y) const { return argb[size_t(y) * width + x]; }
};

// bitsPerPixel 24 or 32; rows bottom-up (the usual BMP) unless topDown.
std::vector<uint8_t> WriteBmp(const ImagePixels& image, int bitsPerPixel, bool topDown = false);
// bitsPerPixel 24 or 32; rows bottom-up (origin lower left) unless topDown.
std::vector<uint8_t> WriteTga(const ImagePixels& image, int bitsPerPixel, bool topDown = false);
// RGBA, or RGB when withAlpha is false.
std::vector<uint8_t> WritePng(const ImagePixels& image, bool withAlpha = true);
// Lossy; quality 1..100.
std::vector<uint8_t> WriteJpeg(const ImagePixels& image, int quality = 95);

// A DDS of the picture in `format` (DXT1, DXT3, DXT5, A8R8G8B8, X8R8G8B8,
// R5G6B5, A4R4G4B4, A1R5G5B5, X1R5G5B5) with mipLevels levels, each smaller
// one the 2x2 box average of the one above (0 = a full chain). Empty for a
// format it does not write.
std::vector<uint8_t> WriteDds(const ImagePixels& image, D3DFORMAT format, uint32_t mipLevels = 1);
// A DDS around levels already encoded in `format`; the header claims
// claimedMipCount levels (0 = as many as given), so a test can make files
// whose header promises more than they hold.
std::vector<uint8_t> WriteDdsLevels(D3DFORMAT format, uint32_t width, uint32_t height,
                                    const std::vector<std::vector<uint8_t>>& levels,
                                    uint32_t claimedMipCount = 0);

bool SaveImageFile(const std::string& path, const std::vector<uint8_t>& bytes);
