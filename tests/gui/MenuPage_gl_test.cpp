// A menu page on the gl back-end: a highlighted button, a caption and a
// progress bar drawn through the page loop leave the button's picture, the
// caption's glyphs and the bar's picture on the exact pixels they cover.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

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
