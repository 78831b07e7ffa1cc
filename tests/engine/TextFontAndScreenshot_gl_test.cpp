// The engine on the gl back-end: the FPS text lands where the font's glyph
// layout says, a screenshot of a known frame reads back pixel by pixel, and
// every renderer effect's GLSL builds.
#include "EngineTestSupport.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Shaders.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/io/BinaryReader.h"

#include <cstdio>

namespace
{
class GlEngineTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
    }
    gfx::PresentedFrame Frame(const char* text)
    {
        g_frameManager->BeginFrame();
        if (text)
            g_frameManager->m_FpsFont->DrawText(5.0f, 5.0f, 0xFFFF0000, text);
        g_frameManager->EndFrame();
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        return frame;
    }
};

TEST_F(GlEngineTest, FpsTextPixelsFollowTheGlyphLayout)
{
    QV7_TextureFont& font = *g_frameManager->m_FpsFont;
    ASSERT_NE(font.m_Texture, nullptr);
    const gfx::PresentedFrame frame = Frame("FPS");
    // Read the font's texture: the alpha nibble of every texel.
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(font.m_Texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    auto alphaAt = [&](int x, int y) {
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch);
        return int(row[x] >> 12) * 17;
    };
    std::vector<int> expected(size_t(frame.width) * frame.height, 0);
    float penX = 5.0f;
    for (const char c : std::string("FPS"))
    {
        const float* g = font.m_Glyphs[c - QV7_TextureFont::kFirstChar];
        const int left = int(g[0] * font.m_TextureWidth + 0.5f), top = int(g[1] * font.m_TextureHeight + 0.5f);
        const int w = int((g[2] - g[0]) * font.m_TextureWidth + 0.5f), h = int((g[3] - g[1]) * font.m_TextureHeight + 0.5f);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                const int sx = int(penX) + x, sy = 5 + y;
                const int a = alphaAt(left + x, top + y);
                // Alpha test: ALPHAREF 8, GREATEREQUAL; then blended over black.
                if (sx < frame.width && sy < frame.height && a >= 8)
                    expected[size_t(sy) * frame.width + sx] = a;
            }
        penX += float(w - 2 * font.m_Spacing);
    }
    font.m_Texture->UnlockRect(0);
    int inked = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
        {
            const uint32_t pixel = frame.pixels[size_t(y) * frame.width + x];
            const int want = expected[size_t(y) * frame.width + x];
            inked += want > 0;
            ASSERT_NEAR(int((pixel >> 16) & 0xFF), want, 1) << "at " << x << "," << y;
            ASSERT_EQ(pixel & 0xFFFF, 0u) << "at " << x << "," << y;
        }
    EXPECT_GT(inked, 20);
}

TEST_F(GlEngineTest, ScreenshotOfAKnownFrameReadsBackPixelByPixel)
{
    g_frameManager->m_ClearColour = 0xFF204060;
    const gfx::PresentedFrame frame = Frame("FPS");
    const std::string path = testing::TempDir() + "gl_shot.bmp";
    ASSERT_TRUE(g_frameManager->SaveScreenToFile(path));
    BinaryReader reader;
    ASSERT_TRUE(reader.OpenFile(path));
    reader.Skip(18);
    ASSERT_EQ(reader.ReadInt32(), frame.width);
    ASSERT_EQ(reader.ReadInt32(), frame.height);
    reader.Skip(54 - 26);
    const size_t rowBytes = (size_t(frame.width) * 3 + 3) & ~size_t(3);
    for (int row = 0; row < frame.height; ++row)
    {
        const int y = frame.height - 1 - row;
        for (int x = 0; x < frame.width; ++x)
        {
            const uint32_t pixel = frame.pixels[size_t(y) * frame.width + x];
            const uint32_t b = reader.ReadUInt8(), g = reader.ReadUInt8(), r = reader.ReadUInt8();
            ASSERT_EQ((r << 16) | (g << 8) | b, pixel & 0xFFFFFF) << "at " << x << "," << y;
        }
        reader.Skip(rowBytes - size_t(frame.width) * 3);
    }
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(frame.pixels[size_t(frame.height - 1) * frame.width] & 0xFFFFFF, 0x204060u);
    std::remove(path.c_str());
}

TEST_F(GlEngineTest, EveryRendererEffectBuildsOnOpenGl)
{
    for (const EffectSource& source : EffectSources())
    {
        const std::string name = std::string(source.name) == "Effect_Billboards_%d" ? "Effect_Billboards_0" : source.name;
        ShaderEntry* entry = g_shaders->Create(name.c_str(), source.bytes.data(), unsigned(source.bytes.size()));
        ASSERT_NE(entry->m_Effect, nullptr) << name;
    }
    g_shaders->OnLostReset(1);
    g_shaders->OnLostReset(0);
}
} // namespace
