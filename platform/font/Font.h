// Text rasterising in place of GDI's CreateFontA, GetTextExtentPoint32A and
// ExtTextOutA/DrawText: the splash draws its progress text with it, the
// engine's texture fonts and our font-atlas tools render glyphs with it.
//
// Heights follow GDI at 96 dpi (one pixel per logical unit, MM_TEXT):
//  - height > 0 is the cell height: the face is scaled so that its ascent plus
//    descent (the OS/2 Windows ascent and descent, as GDI uses) is `height`
//    pixels, and Ascent() + Descent() == height exactly;
//  - height < 0 is the character (em) height: the em square is -height pixels
//    and the cell is as tall as the font's proportions make it (Liberation
//    Sans at -20 has a 22-pixel cell);
//  - height 0 asks for GDI's default size, which we take as a 16-pixel em (12 points).
// A point size p becomes a height the way the game computes it: MulDiv(p, 96, 72).
//
// Text is 8-bit Windows-1252 as the game stores it; advances are whole pixels
// and unkerned, as GDI's are.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace font
{
struct SizedFace;

struct Size
{
    int width = 0;
    int height = 0;
};

// Edges as GDI's RECT: left and top inside, right and bottom outside.
struct Rect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A top-down A8R8G8B8 picture: pixels[y * width + x] holds 0xAARRGGBB.
struct Bitmap32
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Bitmap32() = default;
    Bitmap32(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
};

// One glyph's 8-bit coverage (0 = none, 255 = full), top-down, width bytes a row.
struct GlyphBitmap
{
    int width = 0;
    int height = 0;
    int offsetX = 0; // from the pen position to the bitmap's left column
    int offsetY = 0; // from the top of the text cell to the bitmap's top row
    int advance = 0; // whole pixels to the next pen position
    std::vector<uint8_t> coverage;
};

class Font
{
  public:
    // The family goes through FindFontFile; weight >= 600 is bold. Null when the
    // font file is missing or unreadable, or the height is out of range
    // (|height| > kMaxHeight): the caller logs.
    static std::unique_ptr<Font> Create(const std::string& family, int height, int weight, bool italic);
    // A font from a given file, for tools that rasterise one particular face.
    static std::unique_ptr<Font> CreateFromFile(const std::string& path, int height);

    static constexpr int kMaxHeight = 4096;

    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    int Ascent() const;
    int Descent() const;
    int Height() const; // the cell: Ascent() + Descent()
    const std::string& File() const { return m_File; }

    // As GetTextExtentPoint32A: the sum of the advances by the cell height.
    Size MeasureText(std::string_view text) const;

    // As ExtTextOutA with a transparent background: (x, y) is the top-left of
    // the text cell. Antialiased coverage, scaled by the colour's alpha, is
    // blended over the target (non-premultiplied "over"), so on a transparent
    // target the pixels get the exact colour with coverage as alpha, and on an
    // opaque one a mix of both colours. Pixels outside the target are skipped.
    void DrawText(Bitmap32& target, int x, int y, std::string_view text, uint32_t argbColour) const;

    // As DrawText with DT_CENTER | DT_VCENTER | DT_SINGLELINE: the measured box
    // is centred in `box` (odd spare pixels go right and down) and the ink is
    // clipped to `box`.
    void DrawTextCentered(Bitmap32& target, const Rect& box, std::string_view text,
                          uint32_t argbColour) const;

    // One Unicode character (use Cp1252ToUnicode for game text); a character
    // the face lacks gives its missing-glyph box.
    GlyphBitmap RenderGlyph(char32_t c) const;

  private:
    Font(std::shared_ptr<SizedFace> face, std::string file);
    int Advance(char32_t c) const;
    void DrawClipped(Bitmap32& target, int x, int y, std::string_view text, uint32_t argbColour,
                     Rect clip) const;

    std::shared_ptr<SizedFace> m_Face;
    std::string m_File;
};
} // namespace font
