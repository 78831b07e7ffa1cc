// Bitmap fonts on the null back-end: Fonts.qvx round trips from our writer,
// broken files, the empty-name rule, and DrawFontText's batching, skipped
// characters and its refusal without a vertex buffer.
#include "../engine/EngineTestSupport.h"
#include "FontTestSupport.h"
#include "gui/QV7_FontsHandler.h"
#include "shell/QV7_Globals.h"

#include <cmath>
#include <filesystem>

namespace
{
class FontsHandlerTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        path = (std::filesystem::temp_directory_path() / ("qv7_fonts_" + std::to_string(::getpid()) + ".qvx")).string();
    }
    void TearDown() override
    {
        std::filesystem::remove(path);
        EngineFixture::TearDown();
    }
    bool Load(QV7_FontsHandler& handler, const std::vector<uint8_t>& bytes, std::initializer_list<int> ids)
    {
        EXPECT_TRUE(SaveImageFile(path, bytes));
        QV7_Collection<int> wanted;
        for (int id : ids)
            *wanted.Append(new int) = id;
        return handler.LoadFonts(path, wanted);
    }
    std::string path;
};

TEST_F(FontsHandlerTest, RoundTripKeepsTheWantedFontsInFileOrder)
{
    FontFileRecord spaced = fonttest::BlockFont(7, "Spaced", 2);
    spaced.flags = 4;
    spaced.alphaBlending = 0;
    const auto bytes = BuildFontsFile({fonttest::BlockFont(5, "Plain"), spaced, fonttest::BlockFont(9, "Other")}).Bytes();
    QV7_FontsHandler handler;
    ASSERT_TRUE(Load(handler, bytes, {9, 7}));
    ASSERT_EQ(handler.m_Fonts.Count(), 2);
    EXPECT_EQ(handler.m_Fonts[0]->m_FontId, 7);
    EXPECT_EQ(handler.m_Fonts[1]->m_FontId, 9);
    EXPECT_EQ(handler.FindFont(5), nullptr);
    const MenuFont& font = *handler.FindFont(7)->m_Font;
    EXPECT_STREQ(font.m_Name, "Spaced");
    EXPECT_EQ(font.m_Height, 8);
    EXPECT_EQ(font.m_Flags, 4);
    EXPECT_EQ(font.m_TextureWidth, 64u);
    EXPECT_EQ(font.m_Spacing, 2);
    EXPECT_EQ(font.m_AlphaBlending, 0);
    EXPECT_FLOAT_EQ(font.m_Glyphs['B' - 32][2], 16.0f / 64.0f);
    EXPECT_NE(font.m_Texture, nullptr);
    EXPECT_NE(font.m_VertexBuffer, nullptr);
}

TEST_F(FontsHandlerTest, BrokenFilesStopTheLoadCleanly)
{
    const auto one = BuildFontsFile({fonttest::BlockFont(5, "Plain")}).Bytes();
    auto cut = [&](size_t size) { return std::vector<uint8_t>(one.begin(), one.begin() + std::min(size, one.size())); };
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = one;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = uint8_t(value >> (8 * i));
        return bytes;
    };
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"empty file", {}, false},
        {"zero records", {0, 0, 0, 0}, true},
        {"count past the end", patched(0, 3), false},
        {"truncated length", cut(10), false},
        {"picture length past the end", patched(8, 0x7FFFFFFF), false},
        {"truncated glyph table", cut(one.size() - 100), false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        QV7_FontsHandler handler;
        EXPECT_EQ(Load(handler, c.bytes, {5}), c.ok);
        EXPECT_EQ(handler.m_Fonts.Count(), 0);
    }
}

// Numbers no font could have been made with end the load at that record with
// the broken-file line; the font before it stays. Left in, they overflowed the
// integer advances and row heights the menus compute from them.
TEST_F(FontsHandlerTest, ImpossibleFontNumbersAreABrokenRecord)
{
    struct Case
    {
        const char* name;
        void (*breakIt)(FontFileRecord&);
    };
    const Case cases[] = {
        {"spacing past the atlas", [](FontFileRecord& f) { f.spacing = -2147483585; }},
        {"height past the atlas", [](FontFileRecord& f) { f.height = 0x7FFFFFFF; }},
        {"negative height", [](FontFileRecord& f) { f.height = -3; }},
        {"glyph cell outside the atlas", [](FontFileRecord& f) { f.glyphs['A' - 32][2] = 1.5f; }},
        {"glyph coordinate not a number", [](FontFileRecord& f) { f.glyphs[0][0] = std::nanf(""); }},
        {"zero scale", [](FontFileRecord& f) { f.textScale = 0.0f; }},
        {"empty atlas", [](FontFileRecord& f) { f.textureWidth = 0; }},
        {"atlas past the largest texture", [](FontFileRecord& f) { f.textureHeight = 1 << 20; }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        FontFileRecord bad = fonttest::BlockFont(6, "Bad");
        c.breakIt(bad);
        const auto good = BuildFontsFile({fonttest::BlockFont(5, "Plain")}).Bytes();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        enginetest::Log().clear();
        QV7_FontsHandler handler;
        EXPECT_FALSE(Load(handler, BuildFontsFile({fonttest::BlockFont(5, "Plain"), bad}).Bytes(), {5, 6}));
        ASSERT_EQ(handler.m_Fonts.Count(), 1);
        EXPECT_EQ(handler.m_Fonts[0]->m_FontId, 5);
        EXPECT_TRUE(enginetest::Logged("Error: Fonts File " + path + " is broken at offset " +
                                       std::to_string(good.size())));
    }
}

TEST_F(FontsHandlerTest, EmptyNameThrows)
{
    std::vector<uint8_t> bytes = BuildFontsFile({fonttest::BlockFont(5, "X")}).Bytes();
    // The name's length field follows the count, the id, the length and the picture.
    const size_t at = 12 + fonttest::BlockFont(5, "X").picture.size();
    std::fill(bytes.begin() + at, bytes.begin() + at + 4, 0);
    QV7_FontsHandler handler;
    EXPECT_THROW(Load(handler, bytes, {5}), CDException);
}

TEST_F(FontsHandlerTest, DrawingBatchesSkipsHighBytesAndNeedsTheBuffer)
{
    QV7_FontsHandler handler;
    ASSERT_TRUE(Load(handler, BuildFontsFile({fonttest::BlockFont(5, "Plain")}).Bytes(), {5}));
    MenuFont* font = handler.FindFont(5)->m_Font;

    gfx::null::ClearCalls();
    EXPECT_EQ(DrawFontText(font, 0, 0, 0xFFFFFFFF, "", 0), S_OK);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive("), 0u);

    EXPECT_EQ(DrawFontText(font, 0, 0, 0xFFFFFFFF, "A\x80 \xff" "B", 0), S_OK);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive(4,0,4)"), 1u) << "two glyphs; the space and the high bytes draw nothing";

    gfx::null::ClearCalls();
    EXPECT_EQ(DrawFontText(font, 0, 0, 0xFFFFFFFF, std::string(120, 'A').c_str(), 0), S_OK);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive(4,0,100)"), 2u) << "a batch ends after 50 glyphs";
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive(4,0,40)"), 1u);

    handler.OnLostReset(1);
    gfx::null::ClearCalls();
    EXPECT_EQ(DrawFontText(font, 0, 0, 0xFFFFFFFF, "AB", 0), E_FAIL);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive("), 0u);
    handler.OnLostReset(0);
    EXPECT_EQ(DrawFontText(font, 0, 0, 0xFFFFFFFF, "AB", 0), S_OK);
}

TEST_F(FontsHandlerTest, RasterisedAtlasFromTheLiberationFaceHasSaneCells)
{
    const FontFileRecord font = RasteriseBitmapFont(1, "Menu", "Arial", "", 18, true, 1);
    ASSERT_FALSE(font.name.empty());
    EXPECT_EQ(font.height, 18);
    for (int c : {'A', 'i', 'W', ' '})
    {
        const float* g = font.glyphs[c - 32];
        EXPECT_GT(g[2], g[0]);
        EXPECT_NEAR((g[3] - g[1]) * float(font.textureHeight), 18.0f, 0.01f);
        EXPECT_LE(g[2], 1.0f);
    }
}
} // namespace
