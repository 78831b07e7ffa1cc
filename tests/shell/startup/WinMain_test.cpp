// The start-up sequence in-process on the null back-ends: its failure paths,
// the crash path and the accessibility keys.
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Accessibility.h"
#include "platform/win/Window.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "shell/startup/QV7_WinMain.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/LanguageFileWriter.h"

#include <gtest/gtest.h>

namespace
{
class WinMainTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setenv("QV7_PROGRAM_DIR", dir.Path().c_str(), 1);
        std::filesystem::create_directories(dir.Path() + "Data");
        std::ofstream(dir.Path() + "Settings.ini") << "[MAIN]\nDebug=1\nWindowed=1\n";
        gfx::null::ResetSettings();
        win::ResetSystemParameters();
        win::ClearMessageQueue();
        SetQuitAfterFrames(3);
    }
    void TearDown() override
    {
        unsetenv("QV7_PROGRAM_DIR");
        gfx::null::ResetSettings();
        SetQuitAfterFrames(0);
    }
    std::vector<std::string> Log() const { return LogTexts(dir.Path() + "Logger.dat"); }
    bool Logged(const std::string& text) const
    {
        const auto lines = Log();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }

    TempDir dir;
};
} // namespace

TEST_F(WinMainTest, WithoutDirect3DTheGameEndsAfterCleaningUp)
{
    gfx::null::Settings().failDirect3DCreate = true;
    EXPECT_EQ(WinMain(), 0);
    const std::vector<std::string> tail = {"ERROR: Game Could not start, closing game",
                                           "ERROR: Attempting to unloading data loaded before error",
                                           "ERROR: Cleaning: Engine FrameWork...", "ERROR: Cleaning: WindowsData...",
                                           "ERROR: Cleaning: DebugData... [Last Message]"};
    const auto log = Log();
    ASSERT_GE(log.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(log.end() - long(tail.size()), log.end()), tail);
    EXPECT_TRUE(win::ScreenSaverRunningFlag()); // the failure paths skip the rest of shut-down
}

TEST_F(WinMainTest, AFailedDeviceCreationEndsTheGame)
{
    gfx::null::Settings().failCreateDevice = true;
    EXPECT_EQ(WinMain(), 0);
    EXPECT_TRUE(Logged("ERROR Initialize: Creating the DX 3D Device FAILED"));
    EXPECT_TRUE(Logged("ERROR: Game Could not start, closing game"));
    EXPECT_FALSE(Logged("Unloading Log/Memory Mannager..."));
}

TEST_F(WinMainTest, ABrokenDataFileCrashesIntoTheTailOfShutDown)
{
    ASSERT_TRUE(WriteLanguageFile(dir.Path() + "Data/LANG.lng", {{std::string(600, 'x')}}));
    EXPECT_EQ(WinMain(), 0);
    const auto log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "ERROR: Game Crashed, Error Code A0");
    EXPECT_EQ(log.back(), "Unloading Log/Memory Mannager...");
    EXPECT_FALSE(win::ScreenSaverRunningFlag());
}

TEST_F(WinMainTest, HotKeysOfFeaturesThatAreOffAreOffWhileTheGameRunsAndComeBackAfter)
{
    win::STICKYKEYS sticky; // off, with its hot key
    sticky.dwFlags = win::SKF_AVAILABLE | win::SKF_HOTKEYACTIVE | win::SKF_CONFIRMHOTKEY;
    win::SystemParametersInfoA(win::SPI_SETSTICKYKEYS, sizeof(sticky), &sticky, 0);
    win::FILTERKEYS filter; // on: left alone
    filter.dwFlags = 1 | 0x4 | 0x8;
    win::SystemParametersInfoA(win::SPI_SETFILTERKEYS, sizeof(filter), &filter, 0);

    auto stickyFlags = [] {
        win::STICKYKEYS now;
        win::SystemParametersInfoA(win::SPI_GETSTICKYKEYS, sizeof(now), &now, 0);
        return now.dwFlags;
    };
    auto filterFlags = [] {
        win::FILTERKEYS now;
        win::SystemParametersInfoA(win::SPI_GETFILTERKEYS, sizeof(now), &now, 0);
        return now.dwFlags;
    };
    SaveAccessibilityKeys();
    SetAccessibilityKeys(0);
    EXPECT_EQ(stickyFlags(), uint32_t(win::SKF_AVAILABLE));
    EXPECT_EQ(filterFlags(), filter.dwFlags);
    SetAccessibilityKeys(1);
    EXPECT_EQ(stickyFlags(), sticky.dwFlags);
    EXPECT_EQ(filterFlags(), filter.dwFlags);
}

TEST_F(WinMainTest, ANormalRunRestoresTheSystemAsItFoundIt)
{
    win::STICKYKEYS sticky;
    sticky.dwFlags = win::SKF_AVAILABLE | win::SKF_HOTKEYACTIVE;
    win::SystemParametersInfoA(win::SPI_SETSTICKYKEYS, sizeof(sticky), &sticky, 0);
    EXPECT_EQ(WinMain(), 0);
    EXPECT_EQ(Log().back(), "Unloading Log/Memory Mannager...");
    win::STICKYKEYS after;
    win::SystemParametersInfoA(win::SPI_GETSTICKYKEYS, sizeof(after), &after, 0);
    EXPECT_EQ(after.dwFlags, sticky.dwFlags);
    EXPECT_FALSE(win::ScreenSaverRunningFlag());
}
