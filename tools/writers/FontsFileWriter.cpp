// Fonts.qvx writer and glyph-atlas rasteriser.
#include "tools/writers/FontsFileWriter.h"

#include "platform/font/Font.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/ImageWriters.h"

#include <memory>

BinaryWriter BuildFontsFile(const std::vector<FontFileRecord>& fonts)
{
    BinaryWriter file;
    file.WriteInt32(int32_t(fonts.size()));
    for (const FontFileRecord& font : fonts)
    {
        file.WriteInt32(font.fontId);
        file.WriteUInt32(uint32_t(font.picture.size()));
        file.WriteBytes(font.picture.data(), font.picture.size());
        WriteString(font.name.c_str(), file);
        file.WriteInt32(font.height);
        file.WriteInt32(font.flags);
        file.WriteInt32(font.textureWidth);
        file.WriteInt32(font.textureHeight);
        file.WriteFloat(font.textScale);
        for (const auto& glyph : font.glyphs)
            for (float value : glyph)
                file.WriteFloat(value);
        file.WriteInt32(font.spacing);
        file.WriteUInt8(font.alphaBlending);
    }
    return file;
}

bool WriteFontsFile(const std::string& path, const std::vector<FontFileRecord>& fonts)
{
    return BuildFontsFile(fonts).SaveToFile(path);
}

namespace
{
// Places the glyph cells row by row; false when they do not fit the size.
bool LayOutAtlas(const font::Font& face, int size, int spacing, font::Bitmap32* target, float glyphs[][4])
{
    int x = 0, y = 0;
    const int cell = face.Height();
    for (int c = 32; c <= 127; ++c)
    {
        const char text[2] = {char(c), 0};
        const int width = face.MeasureText(text).width + 2 * spacing;
        if (x + width > size)
        {
            x = 0;
            y += cell + 1;
        }
        if (y + cell > size)
            return false;
        if (target)
        {
            // DEL has no picture; its cell stays empty.
            if (c != 127)
                face.DrawText(*target, x + spacing, y, text, 0xFFFFFFFF);
            float* g = glyphs[c - 32];
            g[0] = float(x) / float(size);
            g[1] = float(y) / float(size);
            g[2] = float(x + width) / float(size);
            g[3] = float(y + cell) / float(size);
        }
        x += width + 1;
    }
    return true;
}
} // namespace

FontFileRecord RasteriseBitmapFont(int32_t fontId, const std::string& name, const std::string& family,
                                   const std::string& fontFile, int pixelHeight, bool bold, int spacing)
{
    FontFileRecord record;
    std::unique_ptr<font::Font> face = fontFile.empty() ? font::Font::Create(family, pixelHeight, bold ? 700 : 400, false)
                                                        : font::Font::CreateFromFile(fontFile, pixelHeight);
    if (!face)
        return record;
    int size = 64;
    while (!LayOutAtlas(*face, size, spacing, nullptr, nullptr) && size < 4096)
        size *= 2;
    font::Bitmap32 atlas{size, size, 0x00FFFFFFu};
    LayOutAtlas(*face, size, spacing, &atlas, record.glyphs);
    ImagePixels pixels;
    pixels.width = pixels.height = uint32_t(size);
    pixels.argb = std::move(atlas.pixels);
    record.picture = WritePng(pixels, true);
    record.fontId = fontId;
    record.name = name;
    record.height = face->Height();
    record.textureWidth = size;
    record.textureHeight = size;
    record.textScale = 1.0f;
    record.spacing = spacing;
    record.alphaBlending = 1;
    return record;
}
