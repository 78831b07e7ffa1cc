// The frame manager on the null device: the frame clock and the FPS count,
// the BMP writer on a small odd-width picture, and the screenshot's failures;
// the texture font's layout invariants.
#include "engine/QV7_FrameManager.h"

#include "EngineTestSupport.h"
#include "engine/QV7_Scene.h"
#include "platform/win/Clock.h"
#include "platform/io/BinaryReader.h"

#include <cstdio>
#include <filesystem>

namespace
{
class FrameManagerTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        win::SetClockSource(&clock);
    }
    void TearDown() override
    {
        EngineFixture::TearDown();
        win::SetClockSource(nullptr);
    }
    void Frame()
    {
        g_frameManager->BeginFrame();
        g_frameManager->EndFrame();
    }
    win::ManualClock clock{1000};
};

TEST_F(FrameManagerTest, FrameTimesArePositiveAndFpsIsCountedOncePerSecond)
{
    Start();
    ASSERT_NE(g_frameManager, nullptr);
    EXPECT_STREQ(g_frameManager->m_FpsText, "Loading FPS");
    Frame();
    EXPECT_GT(g_frameManager->m_LastFrameMs, 0.0f);
    for (int i = 0; i < 20; ++i)
    {
        clock.Advance(50);
        Frame();
        EXPECT_FLOAT_EQ(g_frameManager->m_LastFrameMs, 50.0f);
    }
    // The frames of the first second: the one at its start and twenty more.
    EXPECT_EQ(g_frameManager->m_Fps, 21);
    // Debug 0: counted but not shown.
    EXPECT_STREQ(g_frameManager->m_FpsText, "Loading FPS");
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive("), 0u);
}

TEST_F(FrameManagerTest, DebugShowsTheCounterWithTheFpsFont)
{
    windows->m_Settings.Debug = 1;
    Start();
    ASSERT_NE(g_frameManager->m_FpsFont->m_Texture, nullptr);
    gfx::null::ClearCalls();
    clock.Advance(1000);
    Frame();
    EXPECT_STREQ(g_frameManager->m_FpsText, "1 FPS");
    // "1 FPS": five quads in one batch.
    EXPECT_NE(gfx::null::FindCall("DrawPrimitive(4,0,10)"), -1);
    EXPECT_LT(gfx::null::FindCall("DrawPrimitive("), gfx::null::FindCall("EndScene()"));
    EXPECT_EQ(g_scene->m_Open, 0);
}

TEST_F(FrameManagerTest, BitmapRowsArePaddedAndBottomUp)
{
    // 3 x 2 pixels, top row red green blue, bottom row white black grey.
    const uint32_t pixels[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF, 0xFF000000, 0xFF808080};
    const std::string path = testing::TempDir() + "odd.bmp";
    ASSERT_TRUE(SaveBitmap24(path, reinterpret_cast<const uint8_t*>(pixels), 3, 2, 12));
    BinaryReader reader;
    ASSERT_TRUE(reader.OpenFile(path));
    ASSERT_EQ(reader.Size(), 54u + 2 * 12);
    EXPECT_EQ(reader.ReadUInt8(), 'B');
    EXPECT_EQ(reader.ReadUInt8(), 'M');
    EXPECT_EQ(reader.ReadUInt32(), 78u);
    EXPECT_EQ(reader.ReadUInt32(), 0u);
    EXPECT_EQ(reader.ReadUInt32(), 54u);
    EXPECT_EQ(reader.ReadUInt32(), 40u);
    EXPECT_EQ(reader.ReadInt32(), 3);
    EXPECT_EQ(reader.ReadInt32(), 2);
    EXPECT_EQ(reader.ReadUInt16(), 1);
    EXPECT_EQ(reader.ReadUInt16(), 24);
    EXPECT_EQ(reader.ReadUInt32(), 0u);
    EXPECT_EQ(reader.ReadUInt32(), 24u);
    reader.Skip(16);
    const uint8_t expected[24] = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0, // bottom row first, padded
                                  0,   0,   255, 0, 255, 0, 255, 0,   0,   0, 0, 0};
    for (uint8_t byte : expected)
        EXPECT_EQ(reader.ReadUInt8(), byte);
    EXPECT_FALSE(reader.Failed());
    std::remove(path.c_str());
}

TEST_F(FrameManagerTest, ScreenshotIsTheBackBuffersSizeAndAMissingFolderIsLogged)
{
    Start();
    g_frameManager->m_ClearColour = 0xFF102030;
    Frame();
    const std::string path = testing::TempDir() + "shot.bmp";
    ASSERT_TRUE(g_frameManager->SaveScreenToFile(path));
    EXPECT_EQ(std::filesystem::file_size(path), 54u + size_t(width) * height * 3);
    BinaryReader reader;
    ASSERT_TRUE(reader.OpenFile(path));
    reader.Skip(54);
    EXPECT_EQ(reader.ReadUInt8(), 0x30);
    EXPECT_EQ(reader.ReadUInt8(), 0x20);
    EXPECT_EQ(reader.ReadUInt8(), 0x10);
    std::remove(path.c_str());

    windows->m_Settings.Debug = 1; // log lines are written in debug mode
    const std::string missing = testing::TempDir() + "no-such-folder/shot.bmp";
    EXPECT_FALSE(g_frameManager->SaveScreenToFile(missing));
    EXPECT_TRUE(enginetest::Logged("SCENE: Save Frame To File, File could not be created"));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(FrameManagerTest, FontLayoutKeepsGlyphsInsideWithoutOverlaps)
{
    Start();
    for (QV7_TextureFont* font : {g_frameManager->m_FpsFont.get(), g_frameManager->m_ConsoleFont.get()})
    {
        SCOPED_TRACE(font->m_Name);
        ASSERT_NE(font->m_Texture, nullptr);
        EXPECT_LE(font->m_TextureWidth, 256u);
        EXPECT_EQ(font->m_TextureWidth & (font->m_TextureWidth - 1), 0u);
        EXPECT_FLOAT_EQ(font->m_TextScale, 1.0f);
        EXPECT_GT(font->m_Spacing, 0);
        for (int i = 0; i < QV7_TextureFont::kGlyphs; ++i)
        {
            const float* a = font->m_Glyphs[i];
            EXPECT_GE(a[0], 0.0f);
            EXPECT_GE(a[1], 0.0f);
            EXPECT_LE(a[2], 1.0f);
            EXPECT_LE(a[3], 1.0f);
            EXPECT_LT(a[0], a[2]);
            EXPECT_LT(a[1], a[3]);
            for (int j = 0; j < i; ++j)
            {
                // The ink areas (rectangles without the spacing) never overlap.
                const float s = float(font->m_Spacing) / float(font->m_TextureWidth);
                const float* b = font->m_Glyphs[j];
                const bool apart = a[2] - s <= b[0] + s || b[2] - s <= a[0] + s || a[3] <= b[1] || b[3] <= a[1];
                EXPECT_TRUE(apart) << "glyphs " << i + 32 << " and " << j + 32;
            }
        }
    }
}

TEST_F(FrameManagerTest, AFontTooBigForTheLargestTextureIsScaledDown)
{
    // An adapter whose largest texture is smaller than 40 points need.
    gfx::null::Settings().adapters[0].caps.MaxTextureWidth = 256;
    gfx::null::Settings().adapters[0].caps.MaxTextureHeight = 256;
    Start();
    QV7_TextureFont big("Arial", 40, 0);
    big.Create(g_device);
    ASSERT_NE(big.m_Texture, nullptr);
    EXPECT_EQ(big.m_TextureWidth, 256u);
    EXPECT_LT(big.m_TextScale, 1.0f);
    EXPECT_GT(big.m_TextScale, 0.3f);
    for (const auto& glyph : big.m_Glyphs)
        EXPECT_LE(glyph[3], 1.0f);
    EXPECT_EQ(FontCellHeight(10, 1.0f), 13);
    EXPECT_EQ(FontCellHeight(8, 1.0f), 11);
}
} // namespace
