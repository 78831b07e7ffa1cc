// A menu page on the gl back-end: a highlighted button, a caption and a
// progress bar drawn through the page loop leave the button's picture, the
// caption's glyphs and the bar's picture on the exact pixels they cover.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/MenuFileWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <gtest/gtest.h>

#include <utility>

using namespace screentest;
using namespace menufile;

namespace
{
constexpr uint32_t kWhite = 0xFFFFFF, kGreen = 0x00FF00, kBlack = 0;

uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
{
    return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
}
} // namespace

TEST(MenuPageGl, ButtonCaptionAndFullProgressBar)
{
    MenuFileRecord file;
    file.textureIds = {kWhitePicture, kGreenPicture, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord page = Page("ID_PAGE", 0, 0);
    page.controls.push_back(Button("IDOK", 100, 100, 164, 132, kWhitePicture));
    page.controls.push_back(Caption("IDCAPTION", 300, 100, 500, 120, kBlockFont, 0xFFFFFFFF, "AB"));
    page.controls.push_back(Progress("IDPROGRESSBAR", 100, 300, 200, 310, kGreenPicture, 100.0f));
    file.pages.push_back(page);

    ScreenLoopHarness h;
    QV7_MenuManager& menus = h.StartMenus(file);
    g_frameManager->m_ClearColour = 0xFF000000;
    menus.m_CursorFlag = 0; // no cursor over the picture
    static_cast<QV7_Menu_Button*>(menus.FindControl("IDOK", kMenuButton))->m_Highlight = 1;
    ASSERT_EQ(h.RunPass().gate, FRAME_RENDER);

    gfx::PresentedFrame frame;
    ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
    ASSERT_EQ(frame.width, 800u);
    // The hover picture at its own size, centred in the button's rectangle.
    EXPECT_EQ(At(frame, 100, 100), kWhite);
    EXPECT_EQ(At(frame, 163, 131), kWhite);
    EXPECT_EQ(At(frame, 164, 120), kBlack);
    EXPECT_EQ(At(frame, 99, 120), kBlack);
    // "AB": two 8 x 8 blocks from (left + 2, top + 2).
    EXPECT_EQ(At(frame, 302, 102), kWhite);
    EXPECT_EQ(At(frame, 317, 109), kWhite);
    EXPECT_EQ(At(frame, 318, 105), kBlack);
    EXPECT_EQ(At(frame, 301, 105), kBlack);
    // At 100 the bar reaches the right edge: columns 100 to 199, rows 300 to 308.
    EXPECT_EQ(At(frame, 100, 300), kGreen);
    EXPECT_EQ(At(frame, 199, 308), kGreen);
    EXPECT_EQ(At(frame, 200, 305), kBlack);
    EXPECT_EQ(At(frame, 150, 309), kBlack);

    // At 50 half of it.
    static_cast<QV7_Menu_Progress*>(menus.FindControl("IDPROGRESSBAR", kMenuProgress))->m_Value = 50.0f;
    ASSERT_EQ(h.RunPass().gate, FRAME_RENDER);
    ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
    EXPECT_EQ(At(frame, 149, 305), kGreen);
    EXPECT_EQ(At(frame, 150, 305), kBlack);
}

namespace
{
constexpr int32_t kHalfWhitePicture = 950; // 64 x 32, white at alpha 128

TextureContainerRecord Solid(int32_t id, uint32_t width, uint32_t height, uint32_t argb)
{
    ImagePixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.argb.assign(size_t(width) * height, argb);
    return {id, WritePng(pixels)};
}

// Within a step or two of the expected grey: blending rounds either way.
void ExpectGrey(const gfx::PresentedFrame& frame, int x, int y, int grey)
{
    const uint32_t pixel = At(frame, x, y);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(int((pixel >> shift) & 0xFF), grey, 2) << "at " << x << ", " << y;
}
} // namespace

// A pop-up's own background lies centred on (400, 300) at its own size,
// blended over its parent; a page backdrop covers the page at the opacity
// its alpha leaves.
TEST(MenuPageGl, PopUpPictureIsCentredAndBlendedAndTheBackdropFadesThePage)
{
    MenuFileRecord file;
    file.textureIds = {kBackdrop, kHalfWhitePicture, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    file.pages.push_back(Page("ID_BASE", 1, kBackdrop));
    file.pages.push_back(Page("ID_POPUP", 2, kHalfWhitePicture, 1));

    ScreenLoopHarness h;
    h.WriteStandardPicturesAndFonts();
    ASSERT_TRUE(WriteMenuTextureContainer(h.DataDir() + "Textures1.qvx",
                                          {Solid(kBackdrop, 16, 16, 0xFF404040),
                                           Solid(kHalfWhitePicture, 64, 32, 0x80FFFFFF),
                                           Solid(kCursorPicture, 8, 8, 0xFFFFFF00),
                                           Solid(kTrailPicture, 4, 4, 0xFFFFFFFF)}));
    h.WriteMenus(file);
    QV7_MenuManager menus;
    menus.m_CursorFlag = 0;
    menus.m_CurrentPage = menus.FindPageIndex("ID_POPUP");
    g_frameManager->m_ClearColour = 0xFF000000;
    ASSERT_EQ(h.RunPass().gate, FRAME_RENDER);

    gfx::PresentedFrame frame;
    ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
    // 64 x 32 centred on (400, 300): columns 368 to 431, rows 284 to 315,
    // half of white over the parent's grey 0x40.
    const int blended = 0x40 + (0xFF - 0x40) * 128 / 255;
    for (auto [x, y] : {std::pair{368, 284}, {431, 315}, {400, 300}})
        ExpectGrey(frame, x, y, blended);
    for (auto [x, y] : {std::pair{367, 300}, {432, 300}, {400, 283}, {400, 316}, {30, 40}, {790, 590}})
        ExpectGrey(frame, x, y, 0x40);

    // The backdrop at alpha 100 over black: 155 / 255 of its grey, on the whole page.
    for (const int alpha : {100, 255})
    {
        ASSERT_EQ(g_frameManager->BeginFrame(), 0);
        g_screen2D->Begin2D();
        menus.DrawPageBackdrop("ID_BASE", alpha);
        g_screen2D->End2D();
        g_frameManager->EndFrame();
        ASSERT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        const int grey = 0x40 * (255 - alpha) / 255;
        for (auto [x, y] : {std::pair{0, 0}, {799, 599}, {400, 300}})
            ExpectGrey(frame, x, y, grey);
    }
}
