// The whole game played end to end, headless: the real start-up, menus, races
// and saves on the offscreen OpenGL driver, in a folder of fresh demo data.
// A new pilot is made through the menus, plays its tutorials, then wins the
// championship race after race, buying a buggy, parts and weapons between
// races as the money allows; the game is left through its menus. Then the
// game is started again in a new process and the pilot's garage must show
// what was saved.
//
//   Playthrough            the short form: one tutorial, two championship races
//   Playthrough --full     every tutorial the demo has lessons for and the whole championship
//   QV7_PLAYTHROUGH_DIR=D  play in D (kept, with its log and screenshots) instead of a temporary folder
//
// Each game run is a child process (fork): the game's globals start fresh,
// and a crash fails the run instead of the program.
#include "shell/startup/QV7_WinMain.h"
#include "tests/e2e/Player.h"
#include "tools/demo/DemoData.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
// The lowest detail at the window's size: the run measures the game, not the rasteriser.
const char* const kSettings = "[MAIN]\nDebug=1\nWindowed=1\n"
                              "[Options]\nScreenWidth=800\nScreenHeight=600\nDetail=-1\n"
                              "[Sound]\nINIT_SoundEnabled=0\n";

struct Folder
{
    std::string path;
    bool keep = false;

    Folder()
    {
        if (const char* wanted = std::getenv("QV7_PLAYTHROUGH_DIR"); wanted && *wanted)
        {
            path = wanted;
            keep = true;
            std::filesystem::remove_all(path);
            std::filesystem::create_directories(path);
        }
        else
        {
            char pattern[] = "/tmp/qv7-playthrough-XXXXXX";
            path = mkdtemp(pattern);
        }
        if (path.back() != '/')
            path += '/';
    }
    ~Folder()
    {
        if (!keep)
            std::filesystem::remove_all(path);
    }
};

// One run of the real game in a child process; its exit code (128 + signal
// when a signal ended it): the player's failures, capped.
int RunGame(const std::string& folder, const e2e::Plan& plan)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        setenv("QV7_BACKEND", "real", 1);
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("QV7_PROGRAM_DIR", folder.c_str(), 1);
        setenv("QV7_LOCK_DIR", folder.c_str(), 1);
        setenv("QV7_NO_BROWSER", "1", 1);
        unsetenv("QV7_INPUT_SCRIPT");
        unsetenv("QV7_QUIT_AFTER_FRAMES");
        e2e::InstallPlayer(plan);
        const int code = ProcessEntry();
        if (code != 0)
            std::fprintf(stderr, "e2e: FAIL: the game ended with exit code %d\n", code);
        e2e::CheckRunComplete();
        const size_t failures = e2e::Failures().size() + (code != 0 ? 1 : 0);
        std::fflush(nullptr);
        _exit(int(std::min<size_t>(failures, 100)));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Log lines that tell of an error or a crash.
std::vector<std::string> BadLogLines(const std::string& path)
{
    std::vector<std::string> bad;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.find("Error") != std::string::npos || line.find("ERROR") != std::string::npos ||
            line.find("CRASH") != std::string::npos || line.find("Crash") != std::string::npos)
            bad.push_back(line);
    return bad;
}

// The run's log kept under its own name (the next run starts a new one).
int CheckLog(const std::string& folder, const char* runName)
{
    const std::string kept = folder + "Logger-" + runName + ".dat";
    std::error_code error;
    std::filesystem::rename(folder + "Logger.dat", kept, error);
    if (error)
    {
        std::fprintf(stderr, "e2e: FAIL: the %s run wrote no log\n", runName);
        return 1;
    }
    const std::vector<std::string> bad = BadLogLines(kept);
    for (const std::string& line : bad)
        std::fprintf(stderr, "e2e: FAIL: %s run log: %s\n", runName, line.c_str());
    return bad.empty() ? 0 : 1;
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv)
{
    const bool full = argc > 1 && std::strcmp(argv[1], "--full") == 0;
    const auto start = std::chrono::steady_clock::now();
    Folder folder;
    if (!WriteDemoData(folder.path + "Data"))
    {
        std::fprintf(stderr, "e2e: FAIL: the demo data could not be written to %s\n", folder.path.c_str());
        return 1;
    }
    std::ofstream(folder.path + "Settings.ini") << kSettings;

    e2e::Plan plan;
    plan.tutorials = full ? 4 : 1;
    plan.races = full ? 3 : 2;
    plan.stateFile = folder.path + "pilot-at-exit.txt";
    std::fprintf(stderr, "e2e: %s form in %s\n", full ? "full" : "short", folder.path.c_str());

    int failures = 0;
    const int played = RunGame(folder.path, plan);
    std::fprintf(stderr, "e2e: the play run ended with %d after %.0f s\n", played, SecondsSince(start));
    failures += played != 0;
    failures += CheckLog(folder.path, "play");
    if (played == 0)
    {
        plan.verify = true;
        const int verified = RunGame(folder.path, plan);
        std::fprintf(stderr, "e2e: the restart ended with %d after %.0f s\n", verified, SecondsSince(start));
        failures += verified != 0;
        failures += CheckLog(folder.path, "restart");
    }
    std::fprintf(stderr, "e2e: %s form %s in %.0f s\n", full ? "full" : "short", failures ? "FAILED" : "passed",
                 SecondsSince(start));
    return failures ? 1 : 0;
}
