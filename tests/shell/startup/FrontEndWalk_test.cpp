// The real program walked through its front end by an input script, headless:
// the movie skipped, the main menu (screenshot), the credits, the multiplayer
// advert, the exit question and the exit advert, after which the game ends by
// itself before the script runs out. Once on the offscreen OpenGL driver,
// where the main-menu screenshot is checked against the demo page, and once
// on the null back-ends.
#include "gui/MenuFileLayout.h"
#include "platform/io/BinaryReader.h"
#include "tests/shell/TestLog.h"
#include "tests/shell/startup/ChildProcess.h"
#include "tools/demo/DemoData.h"
#include "tools/demo/DemoMenus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace
{
// 50 ms frames keep the run short; the fades and holds still take their
// game time. Button centres are those of the demo main menu.
const char* const kWalk = R"(
ms 50
# The intro movie: Escape skips it once its first second has passed.
wait 25
press ESCAPE
# The databases load, a loading-screen frame for each buggy texture and each
# buggy database object (about a hundred on the demo data, a margin beyond).
move 5 590
wait 160
# The loading screen fades into the main menu; the cursor waits in a corner.
wait 40
press F11
wait 2
# Credits: let them scroll a little, then Space ends them.
click 400 420
wait 30
press F11
wait 2
press SPACE
wait 25
# The multiplayer advert: nothing ends it in its first second.
click 400 268
wait 85
press F11
wait 2
press RETURN
wait 70
# Exit: the question, Yes, then the exit advert; the game ends after it.
click 400 496
wait 5
press F11
wait 2
click 314 356
wait 85
press RETURN
wait 200
)";

struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xRRGGBB, top row first

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

bool ReadBitmap24(const std::string& path, Picture& picture)
{
    BinaryReader reader;
    if (!reader.OpenFile(path))
        return false;
    reader.Skip(18);
    picture.width = reader.ReadInt32();
    picture.height = reader.ReadInt32();
    if (picture.width <= 0 || picture.height <= 0 || picture.width > 4096 || picture.height > 4096)
        return false;
    reader.Skip(54 - 26);
    picture.pixels.assign(size_t(picture.width) * size_t(picture.height), 0);
    const size_t padding = ((size_t(picture.width) * 3 + 3) & ~size_t(3)) - size_t(picture.width) * 3;
    for (int row = picture.height - 1; row >= 0; --row)
    {
        for (int x = 0; x < picture.width; ++x)
        {
            const uint32_t b = reader.ReadUInt8(), g = reader.ReadUInt8(), r = reader.ReadUInt8();
            picture.pixels[size_t(row) * size_t(picture.width) + size_t(x)] = (r << 16) | (g << 8) | b;
        }
        reader.Skip(padding);
    }
    return !reader.Failed();
}

int Count(const Picture& picture, int left, int top, int right, int bottom, bool (*test)(uint32_t))
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += test(picture.At(x, y)) ? 1 : 0;
    return count;
}

bool NearWhite(uint32_t c)
{
    return ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) > 200;
}

bool Lit(uint32_t c)
{
    return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF) > 90;
}

class FrontEndWalkTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteDemoData(dir.Path() + "Data"));
        std::ofstream(dir.Path() + "Settings.ini") << "[MAIN]\nDebug=1\nWindowed=1\n";
        std::ofstream(dir.Path() + "walk.txt") << kWalk;
    }

    // Runs the game to its end; the exit code, or -1 when it ran far too long.
    int Run(bool openGl)
    {
        const pid_t pid = fork();
        if (pid == 0)
        {
            setenv("QV7_BACKEND", openGl ? "real" : "null", 1);
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            setenv("QV7_PROGRAM_DIR", dir.Path().c_str(), 1);
            setenv("QV7_LOCK_DIR", dir.Path().c_str(), 1);
            setenv("QV7_INPUT_SCRIPT", (dir.Path() + "walk.txt").c_str(), 1);
            unsetenv("QV7_QUIT_AFTER_FRAMES");
            // Mesa and SDL keep allocations past exit; under the sanitizers only
            // the null run checks for leaks.
            if (openGl)
                setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            execl(QV7_BIN_DIR "/qv7", "qv7", nullptr);
            _exit(127);
        }
        return WaitForChild(pid, 300);
    }

    // Screenshots in the order they were taken (ScreenShot<counter>_<time>.bmp).
    std::vector<std::string> Screenshots() const
    {
        std::vector<std::pair<int, std::string>> found;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        {
            const std::string name = entry.path().filename().string();
            if (name.rfind("ScreenShot", 0) == 0)
                found.emplace_back(std::atoi(name.c_str() + 10), entry.path().string());
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> paths;
        for (const auto& shot : found)
            paths.push_back(shot.second);
        return paths;
    }

    void ExpectCleanRunToItsOwnEnd(int exitCode)
    {
        EXPECT_EQ(exitCode, 0);
        const auto log = LogTexts(dir.Path() + "Logger.dat");
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "Game Ready To Load.");
        EXPECT_EQ(log.back(), "Unloading Log/Memory Mannager...");
        EXPECT_NE(std::find(log.begin(), log.end(), "INFO: Engine Initialize/Reset: DONE"), log.end());
        // The exit advert ended the game, not the end of the script.
        EXPECT_EQ(std::find(log.begin(), log.end(), "INFO: Input script over, closing the window"), log.end());
    }

    TempDir dir;
};

TEST_F(FrontEndWalkTest, OnOffscreenOpenGlTheMainMenuShowsItsPage)
{
    ExpectCleanRunToItsOwnEnd(Run(true));
    const auto shots = Screenshots();
    ASSERT_EQ(shots.size(), 4u) << "main menu, credits, multiplayer advert, exit question";
    Picture menu;
    ASSERT_TRUE(ReadBitmap24(shots[0], menu));
    ASSERT_EQ(menu.width, 800);
    ASSERT_EQ(menu.height, 600);

    // Faded in: the backdrop is lit almost everywhere.
    EXPECT_GT(Count(menu, 0, 0, 800, 600, Lit), 800 * 600 / 2);
    // Every button of the page, with its label in white; nothing white between them.
    const MenuFileRecord file = DemoMenuFile();
    const auto page = std::find_if(file.pages.begin(), file.pages.end(),
                                   [](const MenuPageRecord& p) { return p.id == "ID_MAIN_MENU"; });
    ASSERT_NE(page, file.pages.end());
    int buttons = 0;
    for (const MenuControlRecord& control : page->controls)
    {
        if (control.type != 0)
            continue;
        ++buttons;
        SCOPED_TRACE(control.id);
        const int labelTop = control.top + (control.bottom - control.top - 22) / 2;
        EXPECT_GT(Count(menu, control.left + 20, labelTop, control.left + 140, labelTop + 24, NearWhite), 40);
        EXPECT_EQ(Count(menu, control.left, control.bottom + 2, control.right, control.bottom + 10, NearWhite), 0);
    }
    EXPECT_EQ(buttons, 5);
    // The version text in its corner.
    EXPECT_GT(Count(menu, 680, 570, 790, 592, Lit), 20);

    // The other pages differ from the main menu.
    for (size_t i = 1; i < shots.size(); ++i)
    {
        Picture other;
        ASSERT_TRUE(ReadBitmap24(shots[i], other)) << shots[i];
        EXPECT_NE(other.pixels, menu.pixels) << shots[i];
    }
}

TEST_F(FrontEndWalkTest, OnTheNullBackEnds)
{
    ExpectCleanRunToItsOwnEnd(Run(false));
    EXPECT_EQ(Screenshots().size(), 4u);
}
} // namespace
