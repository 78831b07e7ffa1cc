// The whole game on the demo data, headless: the time from the start of a
// game process to its first main-menu frame, and the CPU time of one
// main-menu frame, on the null back-ends and on OpenGL with the offscreen
// driver, and on OpenGL the wall-clock time of one main-menu frame (what the
// software rasteriser's threads buy with their share of the CPU). Each run
// is a forked child running the real start-up; an input script (as testers
// use) supplies the frames, and the null input's frame hook watches for the
// main menu. The intro movie is skipped as early as the game allows. Every
// figure is the median over repeated runs.
#include "gui/QV7_MenuManager.h"
#include "platform/input/null/NullInput.h"
#include "platform/input/script/ScriptedInput.h"
#include "platform/win/Window.h"
#include "shell/QV7_Windows.h"
#include "shell/startup/QV7_WinMain.h"
#include "tools/demo/DemoData.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
// Long frames get through the movie's first second and the loading fade in a
// few frames; the main menu then runs at 16 ms frames.
const char* const kScript = "ms 100\nwait 30\nms 16\nwait 1000000\n";
constexpr int kSettleFrames = 40;   // main-menu frames before measuring: fade-in and cursor trail
constexpr int kMeasuredFrames = 120;

struct RunResult
{
    bool ok = false;
    double startupSeconds = 0.0;
    double frameCpuSeconds = 0.0;
    double frameWallSeconds = 0.0;
};

const std::string& GameFolder()
{
    static const std::string folder = [] {
        const std::string dir = std::filesystem::temp_directory_path().string() + "/qv7-bench-frontend-" +
                                std::to_string(getpid()) + "/";
        std::filesystem::create_directories(dir);
        WriteDemoData(dir + "Data");
        std::ofstream(dir + "Settings.ini") << "[MAIN]\nWindowed=1\n";
        std::ofstream(dir + "bench.txt") << kScript;
        return dir;
    }();
    return folder;
}

double ProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The child's watcher, run at every keyboard read (once per frame).
struct Watcher
{
    int pipe = -1;
    std::chrono::steady_clock::time_point start;
    int menuFrames = 0;
    std::vector<double> cpuMarks;
    std::vector<std::chrono::steady_clock::time_point> wallMarks;
    bool done = false;

    bool OnMainMenu() const
    {
        MenuPage* page = g_menuManager ? g_menuManager->CurrentPage() : nullptr;
        return page && std::strcmp(page->m_Id, "ID_MAIN_MENU") == 0 && g_menuManager->m_CursorFlag == 1;
    }

    void OnFrame(input::null::NullInputState& input)
    {
        if (done)
            return;
        if (!OnMainMenu())
        {
            input.PressKey(1); // Escape skips the movie once it may
            return;
        }
        if (menuFrames++ == 0)
        {
            const double startup = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            (void)!write(pipe, &startup, sizeof startup);
        }
        if (menuFrames > kSettleFrames)
        {
            cpuMarks.push_back(ProcessCpuSeconds());
            wallMarks.push_back(std::chrono::steady_clock::now());
        }
        if (int(cpuMarks.size()) > kMeasuredFrames)
            Finish();
    }

    static double Median(std::vector<double> frames)
    {
        std::nth_element(frames.begin(), frames.begin() + frames.size() / 2, frames.end());
        return frames[frames.size() / 2];
    }

    void Finish()
    {
        std::vector<double> cpu, wall;
        for (size_t i = 1; i < cpuMarks.size(); ++i)
        {
            cpu.push_back(cpuMarks[i] - cpuMarks[i - 1]);
            wall.push_back(std::chrono::duration<double>(wallMarks[i] - wallMarks[i - 1]).count());
        }
        const double medians[2] = {Median(cpu), Median(wall)};
        (void)!write(pipe, medians, sizeof medians);
        done = true;
        win::PostMessage(g_windowsData->m_Window.get(), win::WM_CLOSE);
    }
};

void QueueWatcher(Watcher& watcher)
{
    input::null::State().QueueFrame([&watcher](input::null::NullInputState& state) {
        watcher.OnFrame(state);
        QueueWatcher(watcher);
    });
}

[[noreturn]] void RunChild(bool openGl, int pipe)
{
    const std::string& dir = GameFolder();
    setenv("QV7_BACKEND", openGl ? "real" : "null", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("QV7_NO_BROWSER", "1", 1);
    setenv("QV7_PROGRAM_DIR", dir.c_str(), 1);
    setenv("QV7_LOCK_DIR", dir.c_str(), 1);
    setenv("QV7_INPUT_SCRIPT", (dir + "bench.txt").c_str(), 1);
    // As the program's main does: the script's clock before anything measures time.
    input::script::Start();
    static Watcher watcher;
    watcher.pipe = pipe;
    watcher.start = std::chrono::steady_clock::now();
    QueueWatcher(watcher);
    ProcessEntry();
    _exit(0);
}

RunResult RunGame(bool openGl)
{
    GameFolder();
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(fds[0]);
        RunChild(openGl, fds[1]);
    }
    close(fds[1]);
    RunResult result;
    result.ok = read(fds[0], &result.startupSeconds, sizeof(double)) == sizeof(double) &&
                read(fds[0], &result.frameCpuSeconds, sizeof(double)) == sizeof(double) &&
                read(fds[0], &result.frameWallSeconds, sizeof(double)) == sizeof(double);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.ok = result.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

// One game run per iteration; its figure is the iteration's time.
void TimeGameRuns(benchmark::State& state, bool openGl, double RunResult::*figure)
{
    for (auto _ : state)
    {
        const RunResult run = RunGame(openGl);
        if (!run.ok)
        {
            state.SkipWithError("the game run failed");
            return;
        }
        state.SetIterationTime(run.*figure);
    }
}

void StartupToMainMenu(benchmark::State& state, bool openGl)
{
    TimeGameRuns(state, openGl, &RunResult::startupSeconds);
}

void MainMenuFrameCpu(benchmark::State& state, bool openGl)
{
    TimeGameRuns(state, openGl, &RunResult::frameCpuSeconds);
}

void MainMenuFrameWall(benchmark::State& state, bool openGl)
{
    TimeGameRuns(state, openGl, &RunResult::frameWallSeconds);
}

void Repeated(benchmark::internal::Benchmark* b)
{
    b->UseManualTime()->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
}

BENCHMARK_CAPTURE(StartupToMainMenu, null, false)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StartupToMainMenu, gl, true)->Apply(Repeated)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(MainMenuFrameCpu, null, false)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MainMenuFrameCpu, gl, true)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(MainMenuFrameWall, gl, true)->Apply(Repeated)->Unit(benchmark::kMicrosecond);
} // namespace
