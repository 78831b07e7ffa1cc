// A tiny bitmap font for the font tests: a 64 x 64 atlas where 'A' is an
// opaque 8 x 8 block at the top-left, 'B' the block beside it, and every
// other character an empty 8 x 8 cell; no spacing, scale 1.
#pragma once

#include "tools/writers/FontsFileWriter.h"
#include "tools/writers/ImageWriters.h"

namespace fonttest
{
inline FontFileRecord BlockFont(int32_t id, const std::string& name, int32_t spacing = 0)
{
    ImagePixels atlas;
    atlas.width = atlas.height = 64;
    atlas.argb.assign(64 * 64, 0x00FFFFFF);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x)
            atlas.argb[y * 64 + x] = 0xFFFFFFFF;
    FontFileRecord font;
    font.fontId = id;
    font.picture = WritePng(atlas);
    font.name = name;
    font.height = 8;
    font.flags = 0;
    font.textureWidth = 64;
    font.textureHeight = 64;
    font.textScale = 1.0f;
    const float cell = 8.0f / 64.0f;
    for (auto& glyph : font.glyphs)
    {
        glyph[0] = 2 * cell;
        glyph[1] = 0;
        glyph[2] = 3 * cell;
        glyph[3] = cell;
    }
    const float a[4] = {0, 0, cell, cell}, b[4] = {cell, 0, 2 * cell, cell};
    std::copy(a, a + 4, font.glyphs['A' - 32]);
    std::copy(b, b + 4, font.glyphs['B' - 32]);
    font.spacing = spacing;
    font.alphaBlending = 1;
    return font;
}
} // namespace fonttest
