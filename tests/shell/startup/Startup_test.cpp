// The real program, run headless on the null back-ends in a folder of its own:
// the start-up and shut-down sequence as Logger.dat shows it, the single
// instance, and a clean quit on SIGTERM.
#include "platform/io/BinaryReader.h"
#include "race/ProfilesFile.h"
#include "tests/shell/TestLog.h"
#include "tests/shell/startup/ChildProcess.h"
#include "tools/demo/DemoData.h"
#include "tools/writers/ProfilesWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
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

    // Variables set for one run over the defaults below; a null value unsets.
    using Env = std::vector<std::pair<const char*, const char*>>;

    // Starts the game; quitAfterFrames 0 runs until it is told to stop.
    pid_t Start(int quitAfterFrames, const Env& env = {}, const std::string& programDir = "")
    {
        const std::string folder = programDir.empty() ? dir.Path() : programDir;
        const pid_t pid = fork();
        if (pid == 0)
        {
            setenv("QV7_BACKEND", "null", 1);
            setenv("QV7_PROGRAM_DIR", folder.c_str(), 1);
            setenv("QV7_LOCK_DIR", folder.c_str(), 1);
            setenv("QV7_QUIT_AFTER_FRAMES", std::to_string(quitAfterFrames).c_str(), 1);
            for (const auto& [name, value] : env)
                value ? setenv(name, value, 1) : unsetenv(name);
            execl(QV7_BIN_DIR "/qv7", "qv7", nullptr);
            _exit(127);
        }
        return pid;
    }

    // The exit code, or -1 when it did not end within a generous bound.
    static int Wait(pid_t pid) { return WaitForChild(pid, 30); }

    std::vector<std::string> Log(const std::string& folder = "") const
    {
        return LogTexts((folder.empty() ? dir.Path() : folder) + "Logger.dat");
    }

    // Waits until the run logging into folder is in its main loop: the device
    // created, reset into its final mode and reset by the quality set-up.
    void WaitForMainLoop(const std::string& folder = "") const
    {
        const std::string done = "INFO: Engine Initialize/Reset: DONE";
        for (int i = 0; i < 200 && !InOrder(Log(folder), {done, done, done}); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    static bool StillRunning(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

    // True when the lines appear in this order (other lines may lie between);
    // an expected line ending in '*' matches any line it begins.
    static bool InOrder(const std::vector<std::string>& log, const std::vector<std::string>& expected)
    {
        auto at = log.begin();
        for (const std::string& line : expected)
        {
            const bool prefix = !line.empty() && line.back() == '*';
            const std::string text = prefix ? line.substr(0, line.size() - 1) : line;
            at = std::find_if(at, log.end(),
                              [&](const std::string& logged)
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
    EXPECT_TRUE(
        InOrder(log, {"Game Ready To Load.",
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
                      // the maps database, sorted, with its pointer mesh
                      "Info: MapSort Mesh System: Mesh Loading Done", "MAP Sorting -50 *", "MAP Sorting 30 *",
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

// The profiles are read at start and saved at exit: a player's file comes
// through a run unchanged but for where the buggies' parts sit and whether
// they show, which loading works out again from the buggy database; and no
// temporary or kept-aside file is left.
// A profile file read here (where no buggy database is published) and written
// back with every owned buggy's parts at the identity and hidden.
static std::vector<uint8_t> WithoutMounts(const std::vector<uint8_t>& bytes)
{
    BinaryReader file(bytes);
    QV7_Collection<ProfileRecord> profiles;
    EXPECT_EQ(ProfilesFile::Read(file, profiles), ProfilesFile::ReadResult::Loaded);
    for (int p = 0; p < profiles.Count(); ++p)
        for (int b = 0; b < profiles[p]->ownedBuggies.Count(); ++b)
        {
            QV7_Collection<MountedPart>& parts = profiles[p]->ownedBuggies[b]->parts;
            for (int i = 0; i < parts.Count(); ++i)
            {
                D3DXMatrixIdentity(&parts[i]->mount);
                parts[i]->visible = 0;
            }
        }
    BinaryWriter out;
    ProfilesFile::Write(profiles, out);
    return out.Bytes();
}

TEST_F(StartupTest, ThePlayersProfilesComeThroughARunUnchanged)
{
    const std::string path = dir.Path() + "Data/Profiles.dtx";
    const BinaryWriter profiles =
        BuildProfilesFile({SampleProfileEntry("One", 0), SampleProfileEntry("Two", 1)});
    ASSERT_TRUE(profiles.SaveToFile(path));
    std::filesystem::last_write_time(path, std::filesystem::file_time_type());
    EXPECT_EQ(Wait(Start(5)), 0);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> saved{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(WithoutMounts(saved), WithoutMounts(profiles.Bytes()));
    EXPECT_NE(std::filesystem::last_write_time(path), std::filesystem::file_time_type()) << "saved at exit";
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_FALSE(std::filesystem::exists(path + ".broken"));
}

TEST_F(StartupTest, ASecondInstanceLeavesAtOnceAndSigtermQuitsCleanly)
{
    const pid_t first = Start(0);
    WaitForMainLoop();
    const auto before = Log();

    EXPECT_EQ(Wait(Start(1)), 0);
    EXPECT_EQ(Log().size(), before.size()) << "the second instance wrote to the log";

    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Log().back(), "Unloading Log/Memory Mannager...");
}

TEST_F(StartupTest, RunsWithDifferentLockFoldersRunSideBySide)
{
    // A second program folder over the same data, so each run has its own log.
    TempDir other, stranger;
    for (const TempDir* folder : {&other, &stranger})
    {
        std::filesystem::create_directory_symlink(dir.Path() + "Data", folder->Path() + "Data");
        std::filesystem::copy_file(dir.Path() + "Settings.ini", folder->Path() + "Settings.ini");
    }
    const std::string lockA = dir.Path() + "lockA", lockB = dir.Path() + "lockB";
    std::filesystem::create_directory(lockA);
    std::filesystem::create_directory(lockB);

    const pid_t first = Start(0, {{"QV7_LOCK_DIR", lockA.c_str()}});
    WaitForMainLoop();
    const pid_t second = Start(0, {{"QV7_LOCK_DIR", lockB.c_str()}}, other.Path());
    WaitForMainLoop(other.Path());
    EXPECT_TRUE(StillRunning(first));
    EXPECT_TRUE(StillRunning(second));

    // The lock folder, not the program folder, decides who is the same game.
    EXPECT_EQ(Wait(Start(1, {{"QV7_LOCK_DIR", lockA.c_str()}}, stranger.Path())), 0);
    EXPECT_FALSE(std::filesystem::exists(stranger.Path() + "Logger.dat")) << "the refused run started";

    kill(first, SIGTERM);
    kill(second, SIGTERM);
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Wait(second), 0);
    EXPECT_EQ(Log().back(), "Unloading Log/Memory Mannager...");
    EXPECT_EQ(Log(other.Path()).back(), "Unloading Log/Memory Mannager...");
}

TEST_F(StartupTest, WithoutAVisibleDisplayTheGameSaysSoAndEndsUnlessHeadlessWasAskedFor)
{
    // DISPLAY names an X server that is not running: SDL would settle on its
    // offscreen driver, where no window manager ever gives the window focus.
    struct Case
    {
        const char* backend;
        const char* videoDriver; // null: unset
        bool runs;
    };
    const Case cases[] = {{"real", nullptr, false}, {"real", "offscreen", true}, {"null", nullptr, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.backend) + " back-end, SDL_VIDEODRIVER " +
                     (c.videoDriver ? c.videoDriver : "unset"));
        const int code = Wait(Start(5, {{"QV7_BACKEND", c.backend},
                                        {"SDL_VIDEODRIVER", c.videoDriver},
                                        {"DISPLAY", ":59"},
                                        {"WAYLAND_DISPLAY", nullptr},
                                        {"ASAN_OPTIONS", "detect_leaks=0"}}));
        const auto log = Log();
        ASSERT_FALSE(log.empty());
        if (c.runs)
        {
            EXPECT_EQ(code, 0);
            EXPECT_EQ(log.back(), "Unloading Log/Memory Mannager...");
            continue;
        }
        EXPECT_GT(code, 0) << "-1: still waiting for a window nobody sees";
        const auto failed =
            std::find_if(log.begin(), log.end(),
                         [](const std::string& line)
                         { return line.rfind("ERROR: Game window could not be opened: ", 0) == 0; });
        EXPECT_NE(failed, log.end()) << ::testing::PrintToString(log);
        EXPECT_EQ(log.back(), "ERROR: Game Could not start, closing game");
    }
}
