// Writer of Fonts.qvx, the menus' bitmap fonts, and the rasteriser that makes
// one: the characters 32 to 127 of a TrueType face drawn white on transparent
// into one power-of-two atlas (a PNG), with the texture coordinates of each
// glyph's cell. Glyph cells carry `spacing` spare pixels on each side, which
// the drawing takes off every advance again.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct FontFileRecord
{
    static constexpr int kGlyphs = 96; // characters 32 to 127

    int32_t fontId = 0;
    std::vector<uint8_t> picture; // an image file
    std::string name;             // 1 to 79 characters
    int32_t height = 0;
    int32_t flags = 0;
    int32_t textureWidth = 0;
    int32_t textureHeight = 0;
    float textScale = 1.0f;
    float glyphs[kGlyphs][4] = {}; // tx1, ty1, tx2, ty2
    int32_t spacing = 0;
    uint8_t alphaBlending = 1;
};

BinaryWriter BuildFontsFile(const std::vector<FontFileRecord>& fonts);
bool WriteFontsFile(const std::string& path, const std::vector<FontFileRecord>& fonts);

// Rasterises a font from a font file (or, with an empty fontFile, the family
// through the platform's font lookup) at pixelHeight (the cell height).
// Empty name in the result when the face can't be opened.
FontFileRecord RasteriseBitmapFont(int32_t fontId, const std::string& name, const std::string& family,
                                   const std::string& fontFile, int pixelHeight, bool bold, int spacing);
