// Bitmap-font text on the gl back-end: glyphs land where the uv table and the
// pen rules put them (line feeds, skipped high bytes, centring).
#include "../engine/EngineTestSupport.h"
#include "FontTestSupport.h"
#include "engine/QV7_FrameManager.h"
#include "gui/QV7_FontsHandler.h"

#include <filesystem>

namespace
{
class FontGlTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        g_frameManager->m_ClearColour = 0xFF000000;
    }
};

TEST_F(FontGlTest, GlyphsLandWhereTheTableSays)
{
    const std::string path =
        (std::filesystem::temp_directory_path() / ("qv7_fontgl_" + std::to_string(::getpid()) + ".qvx")).string();
    ASSERT_TRUE(BuildFontsFile({fonttest::BlockFont(5, "Blocks")}).SaveToFile(path));
    QV7_FontsHandler handler;
    QV7_Collection<int> wanted;
    *wanted.Append(new int) = 5;
    ASSERT_TRUE(handler.LoadFonts(path, wanted));
    std::filesystem::remove(path);
    MenuFont* font = handler.FindFont(5)->m_Font;

    g_frameManager->BeginFrame();
    EXPECT_EQ(DrawFontText(font, 4, 4, 0xFFFF0000, "A\nB", 0), S_OK);
    EXPECT_EQ(DrawFontText(font, 30, 4, 0xFF00FF00, "A\x90" "B", 0), S_OK);
    EXPECT_EQ(DrawFontText(font, 0, 30, 0xFF0000FF, "AB", 1), S_OK);
    g_frameManager->EndFrame();
    gfx::PresentedFrame frame;
    ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));

    std::vector<uint32_t> expected(size_t(frame.width) * frame.height, 0);
    auto block = [&](int left, int top, uint32_t colour) {
        for (int y = top; y < top + 8; ++y)
            for (int x = left; x < left + 8; ++x)
                expected[size_t(y) * frame.width + x] = colour;
    };
    block(4, 4, 0xFF0000);   // A
    block(4, 12, 0xFF0000);  // B one line height below, same x
    block(30, 4, 0x00FF00);  // A
    block(38, 4, 0x00FF00);  // B right after it: the high byte takes no room
    const int centred = (frame.width - 16) / 2;
    block(centred, 30, 0x0000FF);
    block(centred + 8, 30, 0x0000FF);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            ASSERT_EQ(frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF, expected[size_t(y) * frame.width + x])
                << "at " << x << "," << y;
}
} // namespace
