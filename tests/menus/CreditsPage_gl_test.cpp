// The credits on the gl back-end: every scrolling frame is read back and each
// credit line found on it, so its drawn position (centred in the IDCREDITS
// area, 17 pixels below the line before) and its brightness (the fade-in
// ramp at the bottom, the fade-out ramp at the top) are checked against the
// page's formulas.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "menus/QV7_CreditsPage.h"
#include "platform/gfx/Resources.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace screentest;
using namespace menufile;

namespace
{
// The scroll area and the lines: the block font draws 'A' and 'B' as 8 x 8
// blocks, so a line's width is 8 pixels a letter.
constexpr int kLeft = 100, kTop = 100, kRight = 700, kBottom = 300;
const std::vector<std::string> kLines = {"AB", "A", "", "ABAB"};

int LineWidth(const std::string& line)
{
    return 8 * int(line.size());
}

int ExpectedAlpha(int y)
{
    if (y < kTop + 25)
        return std::clamp((y - kTop) * 10, 0, 255);
    if (y > kBottom - 36)
        return std::clamp((kBottom - 11 - y) * 10, 0, 255);
    return 255;
}

MenuFileRecord CreditsMenus()
{
    MenuFileRecord file;
    file.textureIds = {kBackdrop, kCursorPicture, kTrailPicture};
    file.fontIds = {kBlockFont};
    file.cursorId = kCursorPicture;
    file.trailId = kTrailPicture;
    MenuPageRecord credits = Page("ID_CREDITS", 2, 0);
    credits.controls.push_back(
        Caption("IDCREDITS", kLeft, kTop, kRight, kBottom, kBlockFont, 0xFFFFFFFF, ""));
    file.pages = {Page("ID_MAIN_MENU", 0, 0), Page("ID_MM_BACKGROUND", 1, kBackdrop), credits};
    return file;
}

struct SeenLine
{
    int index = -1;
    int x = 0, y = 0, right = 0;
    int brightness = 0;
};

uint32_t Grey(const gfx::PresentedFrame& frame, int x, int y)
{
    return frame.pixels[size_t(y) * frame.width + size_t(x)] & 0xFF;
}

// The lit 8-row runs down the page's centre column, each matched to the line
// of its width; none on a frame of the fades (the backdrop lights the page).
std::vector<SeenLine> FindLines(const gfx::PresentedFrame& frame)
{
    std::vector<SeenLine> lines;
    if (Grey(frame, 50, 400) != 0)
        return lines;
    for (int y = kTop - 10; y < kBottom + 10; ++y)
    {
        if (Grey(frame, 400, y) == 0 || Grey(frame, 400, y - 1) != 0)
            continue;
        SeenLine line;
        line.y = y;
        line.brightness = int(Grey(frame, 400, y));
        line.x = 400;
        while (line.x > kLeft && Grey(frame, line.x - 1, y) != 0)
            --line.x;
        line.right = 400;
        while (line.right < kRight && Grey(frame, line.right + 1, y) != 0)
            ++line.right;
        for (size_t i = 0; i < kLines.size(); ++i)
            if (LineWidth(kLines[i]) == line.right - line.x + 1)
                line.index = int(i);
        int height = 0;
        while (height < 20 && Grey(frame, 400, y + height) != 0)
            ++height;
        EXPECT_EQ(height, 8) << "line at " << y;
        lines.push_back(line);
    }
    return lines;
}
} // namespace

TEST(CreditsPageGl, LinesAreCentredSeventeenApartAndFadeInAtTheBottomAndOutAtTheTop)
{
    // The harness's scripted player is the null input's, beside the gl graphics.
    setenv("QV7_INPUT_BACKEND", "null", 1);
    ScreenLoopHarness h;
    h.WriteStandardPicturesAndFonts();
    h.WriteMenus(CreditsMenus(), kLines);
    QV7_MenuManager menus;
    menus.m_CursorFlag = 0;
    g_frameManager->m_ClearColour = 0xFF000000;

    // 100 ms frames: the lines move up 2 pixels a frame, from the bottom
    // until the last has left the top (about 4 + 134 + 4 frames).
    std::vector<std::vector<SeenLine>> frames;
    h.SetFrameObserver(
        [&]
        {
            gfx::PresentedFrame frame;
            if (gfx::ReadPresentedFrame(g_device, frame) && frame.width == 800)
                frames.push_back(FindLines(frame));
        });
    for (int i = 0; i < 200; ++i)
    {
        ScriptedFrame idle;
        idle.x = 790;
        idle.y = 590;
        idle.ms = 100;
        h.Queue(idle);
    }
    h.CloseAfterScript();
    RunCreditsPage(255.0f);

    std::set<int> seenFadingIn, seenFadingOut, seenFull;
    int framesWithLines = 0;
    for (const std::vector<SeenLine>& lines : frames)
    {
        if (lines.empty())
            continue;
        ++framesWithLines;
        ASSERT_NE(lines[0].index, -1);
        const int y0 = lines[0].y - 17 * lines[0].index;
        // Every line inside the area and bright enough to pass the alpha test is there.
        std::set<int> expected;
        for (int i = 0; i < int(kLines.size()); ++i)
        {
            const int y = y0 + 17 * i;
            if (!kLines[size_t(i)].empty() && y > kTop && y < kBottom - 11 && ExpectedAlpha(y) >= 10)
                expected.insert(i);
        }
        std::set<int> found;
        for (const SeenLine& line : lines)
        {
            ASSERT_NE(line.index, -1) << "a line of unknown width at " << line.y;
            found.insert(line.index);
            const int width = LineWidth(kLines[size_t(line.index)]);
            EXPECT_EQ(line.x, kLeft + (kRight - kLeft - width) / 2) << "line " << line.index;
            EXPECT_EQ(line.y, y0 + 17 * line.index);
            const int alpha = ExpectedAlpha(line.y);
            EXPECT_NEAR(line.brightness, 0xF0 * alpha / 255, 2) << "line " << line.index << " at " << line.y;
            (line.y > kBottom - 36 ? seenFadingIn
             : line.y < kTop + 25  ? seenFadingOut
                                   : seenFull)
                .insert(line.y);
        }
        EXPECT_EQ(found, expected) << "lines from y0 " << y0;
    }
    // Both ramps were crossed step by step, two pixels a frame.
    EXPECT_GE(seenFadingIn.size(), 10u);
    EXPECT_GE(seenFadingOut.size(), 10u);
    EXPECT_GE(seenFull.size(), 50u);
    EXPECT_GE(framesWithLines, 120);
}
