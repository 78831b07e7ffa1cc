// Glyphs come from FreeType with hinting at the requested size, so advances
// are whole pixels as GDI's are; coverage is blended straight into the
// caller's 32-bit picture.
#include "platform/font/Font.h"

#include "platform/font/Cp1252.h"
#include "platform/font/FaceCache.h"
#include "platform/font/FontFiles.h"

#include <algorithm>
#include <cstdlib>

namespace font
{
namespace
{
constexpr int kDefaultHeight = -16;
// Outlines only: an embedded bitmap strike could be monochrome or a different size.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL;

int PixelsFrom26Dot6(FT_Pos value)
{
    return int((value + 32) >> 6);
}

// Non-premultiplied "over" of `colour` at `alpha` (0..255) onto `dst`.
uint32_t BlendOver(uint32_t dst, uint32_t colour, uint32_t alpha)
{
    const uint32_t dstAlpha = dst >> 24;
    const uint32_t dstWeight = dstAlpha * (255 - alpha); // scaled by 255 * 255
    const uint32_t outAlpha = alpha * 255 + dstWeight;   // scaled by 255 * 255
    if (outAlpha == 0)
        return 0;
    uint32_t result = ((outAlpha + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8)
    {
        const uint32_t src = (colour >> shift) & 0xFF;
        const uint32_t old = (dst >> shift) & 0xFF;
        const uint32_t mixed = (src * alpha * 255 + old * dstWeight + outAlpha / 2) / outAlpha;
        result |= mixed << shift;
    }
    return result;
}

Rect Intersect(Rect a, const Rect& b)
{
    a.left = std::max(a.left, b.left);
    a.top = std::max(a.top, b.top);
    a.right = std::min(a.right, b.right);
    a.bottom = std::min(a.bottom, b.bottom);
    return a;
}
} // namespace

std::unique_ptr<Font> Font::Create(const std::string& family, int height, int weight, bool italic)
{
    return CreateFromFile(FindFontFile(family, weight, italic), height);
}

std::unique_ptr<Font> Font::CreateFromFile(const std::string& path, int height)
{
    if (height == 0)
        height = kDefaultHeight;
    if (std::abs(height) > kMaxHeight)
        return nullptr;
    auto face = OpenSizedFace(path, height);
    if (!face)
        return nullptr;
    return std::unique_ptr<Font>(new Font(std::move(face), path));
}

Font::Font(std::shared_ptr<SizedFace> face, std::string file)
    : m_Face(std::move(face)), m_File(std::move(file))
{
}

Font::~Font() = default;

int Font::Ascent() const
{
    return m_Face->ascent;
}
int Font::Descent() const
{
    return m_Face->descent;
}
int Font::Height() const
{
    return m_Face->ascent + m_Face->descent;
}

int Font::Advance(char32_t c) const
{
    std::lock_guard lock(m_Face->mutex);
    FT_Face face = m_Face->face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, c), kLoadFlags) != 0)
        return 0;
    return PixelsFrom26Dot6(face->glyph->advance.x);
}

Size Font::MeasureText(std::string_view text) const
{
    Size size{0, Height()};
    for (char byte : text)
        size.width += Advance(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    return size;
}

GlyphBitmap Font::RenderGlyph(char32_t c) const
{
    GlyphBitmap glyph;
    std::lock_guard lock(m_Face->mutex);
    FT_Face face = m_Face->face;
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, c), kLoadFlags) != 0)
        return glyph;
    FT_GlyphSlot slot = face->glyph;
    glyph.advance = PixelsFrom26Dot6(slot->advance.x);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 || slot->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return glyph;

    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.width = int(bitmap.width);
    glyph.height = int(bitmap.rows);
    glyph.offsetX = slot->bitmap_left;
    glyph.offsetY = m_Face->ascent - slot->bitmap_top;
    glyph.coverage.resize(size_t(glyph.width) * size_t(glyph.height));
    // A negative pitch means the rows are stored bottom-up.
    const int pitch = bitmap.pitch;
    const unsigned char* firstRow =
        pitch >= 0 ? bitmap.buffer : bitmap.buffer + size_t(-pitch) * (bitmap.rows - 1);
    for (int row = 0; row < glyph.height; ++row)
        std::copy_n(firstRow + std::ptrdiff_t(row) * pitch, glyph.width,
                    glyph.coverage.begin() + std::ptrdiff_t(row) * glyph.width);
    return glyph;
}

void Font::DrawText(Bitmap32& target, int x, int y, std::string_view text, uint32_t argbColour) const
{
    DrawClipped(target, x, y, text, argbColour, Rect{0, 0, target.width, target.height});
}

void Font::DrawTextCentered(Bitmap32& target, const Rect& box, std::string_view text,
                            uint32_t argbColour) const
{
    const Size size = MeasureText(text);
    const int x = box.left + (box.right - box.left - size.width) / 2;
    const int y = box.top + (box.bottom - box.top - size.height) / 2;
    DrawClipped(target, x, y, text, argbColour, box);
}

void Font::DrawClipped(Bitmap32& target, int x, int y, std::string_view text, uint32_t argbColour,
                       Rect clip) const
{
    if (target.width <= 0 || target.height <= 0 ||
        target.pixels.size() < size_t(target.width) * size_t(target.height))
        return;
    clip = Intersect(clip, Rect{0, 0, target.width, target.height});
    const uint32_t colourAlpha = argbColour >> 24;
    int penX = x;
    for (char byte : text)
    {
        const GlyphBitmap glyph = RenderGlyph(Cp1252ToUnicode(static_cast<unsigned char>(byte)));
        const int left = penX + glyph.offsetX;
        const int top = y + glyph.offsetY;
        const Rect area = Intersect(Rect{left, top, left + glyph.width, top + glyph.height}, clip);
        for (int py = area.top; py < area.bottom; ++py)
        {
            for (int px = area.left; px < area.right; ++px)
            {
                const uint32_t coverage = glyph.coverage[size_t(py - top) * glyph.width + (px - left)];
                const uint32_t alpha = (coverage * colourAlpha + 127) / 255;
                if (alpha == 0)
                    continue;
                uint32_t& pixel = target.pixels[size_t(py) * target.width + px];
                pixel = BlendOver(pixel, argbColour, alpha);
            }
        }
        penX += glyph.advance;
    }
}
} // namespace font
