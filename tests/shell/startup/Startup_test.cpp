// The real program, run headless on the null back-ends in a folder of its own:
// the start-up and shut-down sequence as Logger.dat shows it, the single
// instance, and a clean quit on SIGTERM.
#include "tests/shell/TestLog.h"
#include "tests/shell/startup/ChildProcess.h"
#include "tools/demo/DemoData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <thread>

namespace
{
class StartupTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteDemoData(dir.Path() + "Data"));
        std::ofstream(dir.Path() + "Settings.ini") << "[MAIN]\nDebug=1\nWindowed=1\n";
    }

    // Starts the game; quitAfterFrames 0 runs until it is told to stop.
    pid_t Start(int quitAfterFrames)
    {
        const pid_t pid = fork();
        if (pid == 0)
        {
            setenv("QV7_BACKEND", "null", 1);
            setenv("QV7_PROGRAM_DIR", dir.Path().c_str(), 1);
            setenv("QV7_LOCK_DIR", dir.Path().c_str(), 1);
            setenv("QV7_QUIT_AFTER_FRAMES", std::to_string(quitAfterFrames).c_str(), 1);
            execl(QV7_BIN_DIR "/qv7", "qv7", nullptr);
            _exit(127);
        }
        return pid;
    }

    // The exit code, or -1 when it did not end within a generous bound.
    static int Wait(pid_t pid) { return WaitForChild(pid, 30); }

    std::vector<std::string> Log() const { return LogTexts(dir.Path() + "Logger.dat"); }

    // True when the lines appear in this order (other lines may lie between);
    // an expected line ending in '*' matches any line it begins.
    static bool InOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected)
    {
        auto at = log.begin();
        for (const std::string& line : expected)
        {
            const bool prefix = !line.empty() && line.back() == '*';
            const std::string text = prefix ? line.substr(0, line.size() - 1) : line;
            at = std::find_if(at, log.end(), [&](const std::string& logged)
                              { return prefix ? logged.rfind(text, 0) == 0 : logged == text; });
            if (at == log.end())
                return false;
            ++at;
        }
        return true;
    }

    TempDir dir;
};
} // namespace

TEST_F(StartupTest, RunsTheSequenceAndShutsDownInOrder)
{
    EXPECT_EQ(Wait(Start(5)), 0);
    const auto log = Log();
    const std::string data = dir.Path() + "Data/";
    const std::string done = "INFO: Engine Initialize/Reset: DONE";
    EXPECT_TRUE(InOrder(log, {"Game Ready To Load.",
                              // the engine, and its device made windowed behind the splash
                              "INFO: Engine Framework Created", "INFO: Initialize: WINDOWED*", done,
                              // the sound system and the menu sounds
                              "INFO: Loading Direct Sound Device", "Info: Loading " + data + "Sfx0.dat",
                              "Info: Loading " + data + "Sfx1.dat", "Info: Loading " + data + "Sfx23.dat",
                              // the four splash pictures
                              "Loading: '" + data + "ldat1.gfx'", "Loading: '" + data + "ldat2.gfx'",
                              "Loading: '" + data + "ldat3.gfx'", "Loading: '" + data + "ldat4.gfx'",
                              // the reset into the final mode
                              "INFO: Resize: WINDOWED*", done,
                              // the profiles, the quality set-up's reset, the menu manager
                              "NOTE: No profile file found, will consider it as empty. " + data + "Profiles.dtx",
                              "INFO: Resize: WINDOWED*", done, "Info: Texture Loaded Compile ID: *",
                              "Info: Menu Font Loaded ID: *",
                              // shut-down: the engine, then the logger last
                              "INFO: Unload Input", "Unloading Log/Memory Mannager..."}))
        << ::testing::PrintToString(log);
    EXPECT_EQ(std::count(log.begin(), log.end(), done), 3) << "created, final mode, quality set-up";
    EXPECT_EQ(log.back(), "Unloading Log/Memory Mannager...");
    // Every device reset of the sequence succeeds: nothing device-bound is left alive across one.
    EXPECT_EQ(std::count(log.begin(), log.end(), "INFO: Reset Device: The DX 3D Device FAILED"), 0);
}

TEST_F(StartupTest, ASecondInstanceLeavesAtOnceAndSigtermQuitsCleanly)
{
    const pid_t first = Start(0);
    // Wait until the first instance is in its main loop: after the device is
    // created, reset into its final mode and reset by the quality set-up.
    const std::string done = "INFO: Engine Initialize/Reset: DONE";
    for (int i = 0; i < 200 && !InOrder(Log(), {done, done, done}); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto before = Log();

    EXPECT_EQ(Wait(Start(1)), 0);
    EXPECT_EQ(Log().size(), before.size()) << "the second instance wrote to the log";

    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Log().back(), "Unloading Log/Memory Mannager...");
}
