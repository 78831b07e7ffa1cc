// Font sizes, measuring and drawing against the metrics GDI would give with
// the Windows fonts the Liberation faces stand in for.
#include "platform/font/Font.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace
{
using font::Bitmap32;
using font::Font;
using font::Rect;

constexpr uint32_t kSplashColour = 0xFF12516F;

// The bounding box of every pixel with nonzero alpha; left == right when none.
struct Ink
{
    int left = 0, top = 0, right = 0, bottom = 0, count = 0;
};

Ink FindInk(const Bitmap32& bitmap)
{
    Ink ink{bitmap.width, bitmap.height, 0, 0, 0};
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x)
            if (bitmap.pixels[size_t(y) * bitmap.width + x] >> 24)
            {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
                ++ink.count;
            }
    return ink;
}

std::unique_ptr<Font> MustCreate(const char* family, int height, int weight = 400, bool italic = false)
{
    auto font = Font::Create(family, height, weight, italic);
    EXPECT_NE(font, nullptr) << family << " " << height;
    return font;
}

struct HeightCase
{
    const char* family;
    int height;
    int ascent;
    int cell;
};

TEST(Font, HeightsFollowGdi)
{
    // Liberation Sans: 2048 units to the em, Windows ascent 1854, descent 434;
    // Mono: ascent 1705, descent 615. At an em of 2048 pixels the cell is in
    // font units exactly, so these pin the scaling down.
    const HeightCase cases[] = {
        {"Arial", -2048, 1854, 2288}, {"Arial", 2288, 1854, 2288}, {"Courier New", -2048, 1705, 2320},
        {"Arial", -20, 18, 22},       {"Arial", 20, 16, 20},       {"Times New Roman", 20, 16, 20},
        {"Courier New", 13, 10, 13},
    };
    for (const HeightCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.family) + " " + std::to_string(c.height));
        auto font = MustCreate(c.family, c.height);
        ASSERT_TRUE(font);
        EXPECT_NEAR(font->Ascent(), c.ascent, 1);
        EXPECT_EQ(font->Height(), font->Ascent() + font->Descent());
        if (c.height > 0)
            EXPECT_EQ(font->Height(), c.height);
        else
            EXPECT_NEAR(font->Height(), c.cell, 1);
        EXPECT_EQ(font->MeasureText("x").height, font->Height());
    }
}

TEST(Font, NegativeHeightIsTheEm)
{
    // Advances and outlines scale with the em: "Loading Game" is 13435 units
    // wide in Arial, and the capital H is 1409 units tall.
    auto huge = MustCreate("Arial", -2048);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->MeasureText("Loading Game").width, 13435);
    EXPECT_NEAR(huge->RenderGlyph(U'H').height, 1409, 2);

    auto small = MustCreate("Arial", -20);
    ASSERT_TRUE(small);
    EXPECT_NEAR(small->MeasureText("Loading Game").width, 13435 * 20 / 2048, 3);
    EXPECT_NEAR(small->RenderGlyph(U'H').height, 14, 1);
}

TEST(Font, MeasureTextIsTheSumOfAdvances)
{
    auto font = MustCreate("Times New Roman", 20, 500);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->MeasureText("").width, 0);

    int previous = 0;
    int sum = 0;
    const std::string text = "Loading Game 100%\xE9";
    for (size_t n = 1; n <= text.size(); ++n)
    {
        const int width = font->MeasureText(std::string_view(text).substr(0, n)).width;
        EXPECT_GT(width, previous) << "after " << n << " characters";
        previous = width;
        const unsigned char byte = static_cast<unsigned char>(text[n - 1]);
        sum += font->RenderGlyph(byte).advance;
        EXPECT_EQ(width, sum) << "after " << n << " characters";
    }
    // Unkerned, as GDI measures: a pair that kerns in the font adds up plainly.
    EXPECT_EQ(font->MeasureText("AV").width, font->MeasureText("A").width + font->MeasureText("V").width);
}

TEST(Font, DrawTextInksOnlyTheMeasuredBoxInTheExactColour)
{
    for (const char* family : {"Arial", "Times New Roman", "Courier New"})
    {
        SCOPED_TRACE(family);
        auto font = MustCreate(family, 20, 500);
        ASSERT_TRUE(font);
        Bitmap32 bitmap(200, 40);
        const int x = 7, y = 5;
        font->DrawText(bitmap, x, y, "Hello World 42", kSplashColour);
        const font::Size size = font->MeasureText("Hello World 42");

        const Ink ink = FindInk(bitmap);
        ASSERT_GT(ink.count, 100);
        EXPECT_GE(ink.left, x);
        EXPECT_GE(ink.top, y);
        EXPECT_LE(ink.right, x + size.width);
        EXPECT_LE(ink.bottom, y + size.height);
        bool opaque = false;
        for (uint32_t pixel : bitmap.pixels)
        {
            if (pixel >> 24)
            {
                ASSERT_EQ(pixel & 0xFFFFFF, kSplashColour & 0xFFFFFF);
            }
            opaque = opaque || (pixel >> 24) == 0xFF;
        }
        EXPECT_TRUE(opaque) << "antialiasing should leave fully covered pixels";
    }
}

TEST(Font, DrawTextBlendsOverAnOpaqueTarget)
{
    // The texture font draws white on opaque black and reads the blue channel as coverage.
    auto font = MustCreate("Arial", 13);
    ASSERT_TRUE(font);
    Bitmap32 bitmap(64, 16, 0xFF000000);
    font->DrawText(bitmap, 0, 0, "Ag", 0xFFFFFFFF);
    int grey = 0;
    for (uint32_t pixel : bitmap.pixels)
    {
        ASSERT_EQ(pixel >> 24, 0xFFu);
        const uint32_t b = pixel & 0xFF;
        ASSERT_EQ((pixel >> 8) & 0xFF, b);
        ASSERT_EQ((pixel >> 16) & 0xFF, b);
        grey += b > 0 && b < 255;
    }
    EXPECT_GT(grey, 0) << "edges should be antialiased";

    // Half-transparent blue over opaque red mixes the two by the coverage the
    // white text showed: each pixel gets blue a and red 255 - a.
    Bitmap32 red(64, 16, 0xFFFF0000);
    font->DrawText(red, 0, 0, "Ag", 0x800000FF);
    for (size_t i = 0; i < red.pixels.size(); ++i)
    {
        const int alpha = int(((bitmap.pixels[i] & 0xFF) * 0x80 + 127) / 255);
        ASSERT_EQ(red.pixels[i] >> 24, 0xFFu);
        ASSERT_NEAR(int(red.pixels[i] & 0xFF), alpha, 1) << "pixel " << i;
        ASSERT_NEAR(int((red.pixels[i] >> 16) & 0xFF), 255 - alpha, 1) << "pixel " << i;
    }
}

TEST(Font, DrawTextCentredSitsMidBand)
{
    // The splash: "Loading Game" in the band y 155 to 200 of a 485-wide window.
    auto font = MustCreate("Times New Roman", 20, 500);
    ASSERT_TRUE(font);
    const Rect band{0, 155, 485, 200};
    const font::Size size = font->MeasureText("Loading Game");

    Bitmap32 centred(485, 300);
    font->DrawTextCentered(centred, band, "Loading Game", kSplashColour);
    const int x = (485 - size.width) / 2;
    const int y = 155 + (45 - size.height) / 2;
    EXPECT_LE(std::abs(x - (485 - (x + size.width))), 1);
    EXPECT_LE(std::abs((y - 155) - (200 - (y + size.height))), 1);

    Bitmap32 placed(485, 300);
    font->DrawText(placed, x, y, "Loading Game", kSplashColour);
    EXPECT_EQ(centred.pixels, placed.pixels);

    // Ink is clipped to the box, as DrawText without DT_NOCLIP does.
    Bitmap32 clipped(485, 300);
    const Rect thin{100, 160, 385, 168};
    font->DrawTextCentered(clipped, thin, "Loading Game", kSplashColour);
    const Ink ink = FindInk(clipped);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.top, thin.top);
    EXPECT_LE(ink.bottom, thin.bottom);
}

TEST(Font, Cp1252BytesRenderTheirGlyphs)
{
    auto font = MustCreate("Arial", 20);
    ASSERT_TRUE(font);
    Bitmap32 bitmap(40, 30);
    font->DrawText(bitmap, 2, 2, "\xE9", 0xFFFFFFFF);
    const Ink ink = FindInk(bitmap);
    EXPECT_GT(ink.count, 10);

    // The accent puts é above e, with the same advance.
    const font::GlyphBitmap e = font->RenderGlyph(U'e');
    const font::GlyphBitmap eAcute = font->RenderGlyph(U'\u00E9');
    EXPECT_LT(eAcute.offsetY, e.offsetY);
    EXPECT_EQ(eAcute.advance, e.advance);
    // 0x80 is the euro sign in Windows-1252, not a control character.
    EXPECT_EQ(font->MeasureText("\x80").width, font->RenderGlyph(U'\u20AC').advance);
    EXPECT_GT(font->MeasureText("\x80").width, 0);
}

TEST(Font, GlyphBitmapsHaveCoverageAndCellOffsets)
{
    auto font = MustCreate("Arial", 20);
    ASSERT_TRUE(font);
    const font::GlyphBitmap h = font->RenderGlyph(U'H');
    ASSERT_EQ(h.coverage.size(), size_t(h.width) * h.height);
    EXPECT_EQ(*std::max_element(h.coverage.begin(), h.coverage.end()), 255);
    // H stands on the baseline.
    EXPECT_EQ(h.offsetY + h.height, font->Ascent());

    const font::GlyphBitmap space = font->RenderGlyph(U' ');
    EXPECT_TRUE(space.coverage.empty());
    EXPECT_GT(space.advance, 0);
}

TEST(Font, BadInputFailsCleanly)
{
    EXPECT_EQ(Font::CreateFromFile("/nonexistent/font.ttf", 20), nullptr);

    const std::string garbage = testing::TempDir() + "not_a_font.ttf";
    std::ofstream(garbage, std::ios::binary) << "this is not a font file at all";
    EXPECT_EQ(Font::CreateFromFile(garbage, 20), nullptr);
    std::remove(garbage.c_str());

    EXPECT_EQ(Font::Create("Arial", Font::kMaxHeight + 1, 400, false), nullptr);
    EXPECT_EQ(Font::Create("Arial", -Font::kMaxHeight - 1, 400, false), nullptr);

    // Height 0 is GDI's default size, not an error.
    auto byDefault = Font::Create("Arial", 0, 400, false);
    ASSERT_TRUE(byDefault);
    EXPECT_GT(byDefault->Height(), 10);

    // Text off every edge, and a bitmap whose pixels do not match its size, are skipped.
    auto font = MustCreate("Arial", 20);
    ASSERT_TRUE(font);
    Bitmap32 small(8, 8);
    for (const auto& [x, y] : {std::pair{-30, -30}, {-5, -5}, {5, 5}, {100, 0}, {0, 100}})
        font->DrawText(small, x, y, "WWW\xE9", 0xFFFFFFFF);
    Bitmap32 broken;
    broken.width = 100;
    broken.height = 100;
    font->DrawText(broken, 0, 0, "W", 0xFFFFFFFF);
    EXPECT_TRUE(broken.pixels.empty());
    font->DrawTextCentered(small, Rect{6, 6, 2, 2}, "W", 0xFFFFFFFF);
}

TEST(Font, FontsOfOneFileAndHeightShareTheirFace)
{
    // Fonts are remade on every device reset; both must keep working on their own.
    auto first = MustCreate("Arial", 13);
    auto second = MustCreate("Arial", 13);
    ASSERT_TRUE(first && second);
    first.reset();
    EXPECT_EQ(second->MeasureText("FPS").width, MustCreate("Arial", 13)->MeasureText("FPS").width);
    EXPECT_GT(second->RenderGlyph(U'F').coverage.size(), 0u);
}
} // namespace
