// Bitmap fonts on the null back-end: Fonts.qvx round trips from our writer,
// broken files and the broken-name rule, and DrawFontText's batching, skipped
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

// Records are read on until the first name that is not there: that, like any
// broken name, throws with the broken-file line and keeps the fonts before it.
// A count that cannot be read or a record cut inside its numbers ends cleanly.
TEST_F(FontsHandlerTest, BrokenFiles)
{
    const FontFileRecord plain = fonttest::BlockFont(5, "Plain");
    const auto one = BuildFontsFile({plain}).Bytes();
    const size_t nameAt = 12 + plain.picture.size(); // count, id, length, picture
    auto cut = [&](size_t size) { return std::vector<uint8_t>(one.begin(), one.begin() + std::min(size, one.size())); };
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = one;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = uint8_t(value >> (8 * i));
        return bytes;
    };
    const std::string kOwnDetails = "ERROR DETAILS: FILE .\\QV7_FontsHandler LINE 38";
    const std::string kStringDetails = "ERROR DETAILS: FILE .\\QV7_Globals LINE ";
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string details; // the details line of a fatal case, "" when the load ends cleanly
        int fonts;           // fonts held afterwards
        int brokenAt;        // offset of the "is broken" line of a clean end, -1 for none
    };
    const std::vector<Case> cases = {
        {"empty file", {}, "", 0, 0},
        {"zero records", {0, 0, 0, 0}, "", 0, -1},
        {"negative count", patched(0, 0xFFFFFFFF), "", 0, 0},
        {"count past the end", patched(0, 3), kOwnDetails, 1, -1},
        {"huge count", patched(0, 0x7FFFFFFF), kOwnDetails, 1, -1},
        {"truncated length", cut(10), kOwnDetails, 0, -1},
        {"picture length past the end", patched(8, 0x7FFFFFFF), kOwnDetails, 0, -1},
        {"zero-length name", patched(nameAt, 0), kOwnDetails, 0, -1},
        {"name longer than its field", patched(nameAt, 81), kStringDetails, 0, -1},
        {"name past the end", patched(nameAt, 0x7FFFFFF0), kStringDetails, 0, -1},
        {"truncated glyph table", cut(one.size() - 100), "", 0, 4},
    };
    windows->m_Settings.Debug = 1; // log lines are written in debug mode only
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        enginetest::Log().clear();
        QV7_FontsHandler handler;
        const bool fatal = !c.details.empty();
        bool loaded = false;
        if (fatal)
        {
            EXPECT_THROW(Load(handler, c.bytes, {5}), CDException);
        }
        else
        {
            EXPECT_NO_THROW(loaded = Load(handler, c.bytes, {5}));
        }
        EXPECT_EQ(handler.m_Fonts.Count(), c.fonts);
        const auto& log = enginetest::Log();
        EXPECT_EQ(
            enginetest::Logged(
                "Critical Problem, File Broken, Application will crash to avoid any additional problems."),
            fatal);
        if (fatal)
        {
            EXPECT_TRUE(std::any_of(log.begin(), log.end(),
                                    [&](const std::string& line) { return line.rfind(c.details, 0) == 0; }));
        }
        else
        {
            EXPECT_EQ(loaded, c.brokenAt < 0);
        }
        if (c.brokenAt >= 0)
        {
            EXPECT_TRUE(enginetest::Logged("Error: Fonts File " + path + " is broken at offset " +
                                           std::to_string(c.brokenAt)));
        }
    }
}

// Numbers no font could have been made with drop that font record with the
// broken-file line, and the load goes on with the next one; a glyph cell
// outside the atlas drops only that glyph. Left in, they overflowed the
// integer advances and row heights the menus compute from them.
TEST_F(FontsHandlerTest, ImpossibleFontNumbersCostTheRecordOrTheGlyph)
{
    struct Case
    {
        const char* name;
        void (*breakIt)(FontFileRecord&);
        bool glyphOnly;
    };
    const Case cases[] = {
        {"spacing past the atlas", [](FontFileRecord& f) { f.spacing = -2147483585; }, false},
        {"height past the atlas", [](FontFileRecord& f) { f.height = 0x7FFFFFFF; }, false},
        {"negative height", [](FontFileRecord& f) { f.height = -3; }, false},
        {"zero scale", [](FontFileRecord& f) { f.textScale = 0.0f; }, false},
        {"empty atlas", [](FontFileRecord& f) { f.textureWidth = 0; }, false},
        {"atlas past the largest texture", [](FontFileRecord& f) { f.textureHeight = 1 << 20; }, false},
        {"glyph cell outside the atlas", [](FontFileRecord& f) { f.glyphs['A' - 32][2] = 1.5f; }, true},
        {"glyph coordinate not a number", [](FontFileRecord& f) { f.glyphs['A' - 32][0] = std::nanf(""); },
         true},
    };
    windows->m_Settings.Debug = 1; // log lines are written in debug mode only
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        FontFileRecord bad = fonttest::BlockFont(6, "Bad");
        c.breakIt(bad);
        const auto good = BuildFontsFile({fonttest::BlockFont(5, "Plain")}).Bytes();
        enginetest::Log().clear();
        QV7_FontsHandler handler;
        const bool whole = Load(
            handler,
            BuildFontsFile({fonttest::BlockFont(5, "Plain"), bad, fonttest::BlockFont(7, "After")}).Bytes(),
            {5, 6, 7});
        EXPECT_EQ(whole, c.glyphOnly);
        ASSERT_EQ(handler.FindFont(7) != nullptr, true) << "the record after the damage loads";
        EXPECT_NE(handler.FindFont(5), nullptr);
        if (!c.glyphOnly)
        {
            EXPECT_EQ(handler.FindFont(6), nullptr);
            EXPECT_TRUE(enginetest::Logged("Error: Fonts File " + path + " is broken at offset " +
                                           std::to_string(good.size())));
            continue;
        }
        const FontSlot* kept = handler.FindFont(6);
        ASSERT_NE(kept, nullptr);
        EXPECT_TRUE(enginetest::Logged("Error: Font 6 glyph 65 lies outside its atlas, dropped"));
        const float* a = kept->m_Font->m_Glyphs['A' - 32];
        EXPECT_TRUE(a[0] == 0.0f && a[1] == 0.0f && a[2] == 0.0f && a[3] == 0.0f);
        EXPECT_FLOAT_EQ(kept->m_Font->m_Glyphs['B' - 32][2], 16.0f / 64.0f) << "the other glyphs stay";
    }
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
