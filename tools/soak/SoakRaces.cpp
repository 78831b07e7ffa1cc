#include "tools/soak/SoakRaces.h"

#include "engine/QV7_Engine.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_SoundSystem.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/script/ScriptedInput.h"
#include "platform/win/Backend.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DebugCommands.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_TutorialInstall.h"
#include "race/RaceRules.h"
#include "race/RaceWiring.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "shell/startup/QV7_QualitySettings.h"
#include "tools/demo/DemoData.h"
#include "tools/standin/StandInDriver.h"
#include "world/MapRecord.h"
#include "world/ParallelRows.h"
#include "world/QV7_MapsSort.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <memory>
#include <unistd.h>

extern "C" size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));
extern "C" void __sanitizer_purge_allocator() __attribute__((weak));

namespace
{
constexpr int kIslands = 3;
constexpr uint8_t kEnter = 28;
constexpr int kShortestRaceFrames = 200;
constexpr int kDetail = 3;

// What the frame hook drives: the current race's stand-in and frame count.
struct RaceDriving
{
    StandInDriver driver;
    int frames = 0;
    int cap = 0;
    bool capped = false;
    int lastLap = 0;
};
RaceDriving* s_driving = nullptr;

// In a race the stand-in's keys; once the player is over the line, Enter
// on every other frame closes the results as a player would.
bool DriveFrame(input::script::ScriptFrame& frame)
{
    if (!s_driving || !g_mapSystem || !g_mapSystem->playerRacer || !g_mapSystem->loaded)
        return true;
    QV7_Buggy& player = *g_mapSystem->playerRacer;
    s_driving->lastLap = player.lapCounter;
    const int finish = race::FinishLap(g_mapSystem->mode);
    if (++s_driving->frames > s_driving->cap && player.lapCounter < finish)
    {
        s_driving->capped = true;
        player.lapCounter = finish;
    }
    if (player.lapCounter >= finish)
    {
        if (s_driving->frames % 2 == 0)
            frame.keys.push_back(kEnter);
        return true;
    }
    s_driving->driver.Drive(*g_mapSystem, float(frame.ms), frame.keys);
    return true;
}

MapRecord* IslandRecord(int island)
{
    for (int i = 0; g_mapsSort && i < g_mapsSort->MapCount(); ++i)
        if (MapRecord* map = g_mapsSort->Map(i); map && int(map->mapNumber) == island)
            return map;
    return nullptr;
}

// The game as its start-up builds it, on the null back-ends and the demo
// data, torn down in the start-up's order at the end.
class Stage
{
  public:
    Stage()
    {
        setenv("QV7_BACKEND", "null", 1);
        setenv("QV7_NO_BROWSER", "1", 1);
        win::SetBackend(win::Backend::Null);
        // Nothing reads the call record here; a thousand races would spend
        // most of their time writing it.
        gfx::null::Settings().recordCalls = false;
        char pattern[] = "/tmp/qv7-soak-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("no scratch folder");
        m_Folder = std::string(pattern) + "/";
        g_programDir = m_Folder;
        g_dataDir = m_Folder + "Data/";
        if (!WriteDemoData(g_dataDir))
            throw std::runtime_error("the demo data could not be written");
        // Every frame lasts 50 ms of the game's time, whatever the machine.
        std::string script = "ms 50\n";
        for (int i = 0; i < 2000; ++i)
            script += "wait 1000000\n";
        input::script::StartText(script);
        input::script::SetFrameHook(&DriveFrame);

        g_logger = new QV7_Logger();
        windows = std::make_unique<QV7_Windows>();
        windows->LoadSettings();
        windows->m_Settings.Windowed = 1;
        // Below the shadow map's detail: the null device would clear its
        // 2048 x 2048 surfaces in memory every frame, most of a race's time.
        windows->m_Settings.Detail = kDetail;
        if (!windows->CreateGameWindow())
            throw std::runtime_error("no window");
        engine = std::make_unique<QV7_Engine>();
        engine->m_Window = windows->m_Window.get();
        engine->m_FullScreen = 0;
        if (!engine->Initialize(0))
            throw std::runtime_error("no device");
        sound = std::make_unique<QV7_SoundSystem>();
        sound->InitDevice(windows->m_Window.get());
        sound->LoadMenuSounds();
        items = std::make_unique<QV7_ItemDatabase>();
        mapsSort = std::make_unique<QV7_MapsSort>();
        profiles = std::make_unique<QV7_Profiles>();
        profiles->currentProfile = profiles->AddProfile();
        quality = std::make_unique<QV7_QualitySettings>();
        QV7_DebugCommands::Install();
        RaceWiring::Install();
        InstallTutorialHooks();
        menus = std::make_unique<QV7_MenuManager>();
        menus->m_ItemTextureIds = items->TextureIdArray();
        menus->m_ItemTextureIdCount = items->TextureIdCount();
    }
    ~Stage()
    {
        input::script::SetFrameHook(nullptr);
        quality.reset();
        menus.reset();
        items.reset();
        mapsSort.reset();
        profiles.reset();
        engine.reset();
        windows.reset();
        sound.reset();
        delete g_logger;
        g_logger = nullptr;
        std::error_code ignored;
        std::filesystem::remove_all(m_Folder, ignored);
    }

    std::unique_ptr<QV7_Windows> windows;
    std::unique_ptr<QV7_Engine> engine;
    std::unique_ptr<QV7_SoundSystem> sound;
    std::unique_ptr<QV7_ItemDatabase> items;
    std::unique_ptr<QV7_MapsSort> mapsSort;
    std::unique_ptr<QV7_Profiles> profiles;
    std::unique_ptr<QV7_QualitySettings> quality;
    std::unique_ptr<QV7_MenuManager> menus;

  private:
    std::string m_Folder;
};

// One quick race on the island, as the race lists run one; false when the
// island did not load.
bool RunOneRace(int island, RaceDriving& driving)
{
    s_driving = &driving;
    QV7_MapSystem* session =
        QV7_MapSystem::Load(0, island, 0, IslandRecord(island), RACE_MODE_QUICK_RACE, 0);
    if (!session)
    {
        s_driving = nullptr;
        return false;
    }
    QV7_MapSystem::RunRace(*session);
    if (g_profiles)
        g_profiles->Save();
    QV7_MapSystem::EndSession(session);
    s_driving = nullptr;
    return true;
}

// What the program holds on the heap, apart from what the allocator keeps
// free. A sanitizer's allocator answers through its own interface (present
// only in a sanitizer build, hence weak); glibc's through mallinfo2, which a
// sanitizer leaves at 0.
size_t HeapInUseKb()
{
    if (__sanitizer_get_current_allocated_bytes)
        return __sanitizer_get_current_allocated_bytes() / 1024;
    const struct mallinfo2 info = mallinfo2();
    return (info.uordblks + info.hblkhd) / 1024;
}
} // namespace

long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key)
    {
        if (key == "VmRSS:")
        {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(4096, '\n');
    }
    return 0;
}

SoakReport RunSoak(const SoakOptions& options, std::FILE* out)
{
    SoakReport report;
    // Every island load deals its normals over worker threads; a thousand
    // loads under LeakSanitizer would leave it thousands of dead threads'
    // records. The rows come out the same on one thread.
    struct OneRowThread
    {
        const unsigned before = MostRowThreads();
        OneRowThread() { SetMostRowThreads(1); }
        ~OneRowThread() { SetMostRowThreads(before); }
    } oneRowThread;
    Stage stage;
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < options.races; ++i)
    {
        const uint32_t seed = options.seed + uint32_t(i);
        const int island = 1 + i % kIslands;
        GameSRand(seed);
        RaceDriving driving;
        driving.cap = options.frameCap;
        // A race that ends within seconds was never raced (the game was told to quit).
        if (!RunOneRace(island, driving) || driving.frames < kShortestRaceFrames)
        {
            ++report.loadFailures;
            if (out)
                std::fprintf(out, "soak: race %d (island %d, seed %u) did not load or run (%d frames)\n", i + 1,
                             island, seed, driving.frames);
        }
        ++report.racesRun;
        report.respawnsAsked += driving.driver.respawnsAsked;
        if (std::getenv("QV7_SOAK_VERBOSE") && out)
            std::fprintf(out, "soak: race %d island %d: %d frames, %d respawns asked, lap %d\n", i + 1, island,
                         driving.frames, driving.driver.respawnsAsked, driving.lastLap);
        if (driving.capped)
        {
            ++report.capped;
            if (out)
                std::fprintf(out, "soak: race %d (island %d, seed %u) hit the %d-frame cap\n", i + 1, island, seed,
                             options.frameCap);
        }
        if ((i + 1) % options.reportEvery == 0)
        {
            // A sanitizer's allocator hands freed pages back to the system every
            // few seconds; handing them back now makes each report count only
            // what the program holds, not where that timer happened to stand.
            if (__sanitizer_purge_allocator)
                __sanitizer_purge_allocator();
            report.residentKb.push_back(ResidentKb());
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
            if (out)
            {
                std::fprintf(out, "soak: %d races, %.0f s, resident %ld kB", i + 1, seconds,
                             report.residentKb.back());
                if (const size_t heapKb = HeapInUseKb())
                    std::fprintf(out, ", heap in use %zu kB", heapKb);
                std::fprintf(out, "\n");
                std::fflush(out);
            }
        }
    }
    if (report.residentKb.size() >= 2)
        report.growth = double(*std::max_element(report.residentKb.begin() + 1, report.residentKb.end())) /
                        double(report.residentKb.front());
    return report;
}
