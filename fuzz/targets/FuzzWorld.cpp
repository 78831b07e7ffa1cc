// The fuzz targets' stage. It is made once and never torn down: the engine
// and its device live until the process ends, so no run pays for them and
// no exit-time destruction order can turn into a finding.
#include "fuzz/targets/FuzzWorld.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/sound/null/NullSound.h"
#include "platform/win/Backend.h"
#include "platform/win/Window.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <vector>

namespace fuzzworld
{
namespace
{
// Enough lines for any check a test makes; a flood of lines from one input
// must not grow without bound.
constexpr size_t kMaxLogLines = 2000;

std::vector<std::string>& LogLines()
{
    static std::vector<std::string> lines;
    return lines;
}

void CaptureLine(const char* text)
{
    if (LogLines().size() < kMaxLogLines)
        LogLines().emplace_back(text);
}

bool SaveBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

struct Stage
{
    std::string programDir;
    std::string dataDir;
    QV7_Windows* windows = nullptr;
    win::Window* window = nullptr;
    QV7_Engine* engine = nullptr;
};

Stage* g_stage = nullptr;

void RemoveScratch()
{
    if (g_stage && !g_stage->programDir.empty())
    {
        std::error_code ignored;
        std::filesystem::remove_all(g_stage->programDir, ignored);
    }
}

[[noreturn]] void SetUpFailed(const char* what)
{
    std::fprintf(stderr, "fuzz: set-up failed: %s\n", what);
    std::abort();
}

void SetUp()
{
    setenv("QV7_BACKEND", "null", 1);
    setenv("QV7_NO_BROWSER", "1", 1);
    win::SetBackend(win::Backend::Null);
    gfx::null::ResetSettings();
    snd::null::ClearFailures();

    g_stage = new Stage();
    char pattern[] = "/tmp/qv7-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        SetUpFailed("no scratch folder");
    g_stage->programDir = std::string(pattern) + "/";
    g_stage->dataDir = g_stage->programDir + "Data/";
    std::filesystem::create_directories(g_stage->dataDir);
    std::atexit(RemoveScratch);
    g_programDir = g_stage->programDir;
    g_dataDir = g_stage->dataDir;

    const FuzzFixtures fixtures = MakeFuzzFixtures();
    if (!SaveBytes(g_stage->dataDir + "Textures1.qvx", fixtures.menuTextures) ||
        !SaveBytes(g_stage->dataDir + "Fonts.qvx", fixtures.fonts) ||
        !SaveBytes(g_stage->dataDir + "FixedTextures2.qvx", fixtures.worldTextures) ||
        !SaveBytes(g_stage->dataDir + "Sfx1.dat", fixtures.sound))
        SetUpFailed("fixed files not written");

    QV7_Logger::SetConsoleEcho(&CaptureLine);
    g_stage->windows = new QV7_Windows();
    // A small window: the null device clears and presents its back buffer in
    // memory every frame, which would otherwise be most of a menu run.
    win::WindowDesc desc;
    desc.width = 160;
    desc.height = 120;
    g_stage->window = win::Window::Create(desc, nullptr).release();
    if (!g_stage->window)
        SetUpFailed("no window");
    g_stage->engine = new QV7_Engine();
    g_stage->engine->m_Window = g_stage->window;
    g_stage->engine->m_FullScreen = 0;
    if (g_stage->engine->Initialize(0) != 1)
        SetUpFailed("the engine did not start");
}

// Every run sees the same settings: log lines on (they are what a broken
// file produces), full detail so map textures stay uncompressed, sound on.
void ResetSettings()
{
    GameSettings& settings = g_stage->windows->m_Settings;
    settings = GameSettings();
    settings.Debug = 1;
    settings.Windowed = 1;
    settings.Detail = 4;
    FreeLanguageTable(g_stage->windows->m_Language);
}
} // namespace

Run::Run()
{
    if (!g_stage)
        SetUp();
    g_programDir = g_stage->programDir;
    g_dataDir = g_stage->dataDir;
    ResetSettings();
    QV7_Logger::SetConsoleEcho(&CaptureLine);
    LogLines().clear();
}

Run::~Run()
{
    if (g_menuTextures)
        g_menuTextures->FreeAll();
    ResetSettings();
    gfx::null::ClearCalls();
}

const std::string& ProgramDir()
{
    return g_stage->programDir;
}
const std::string& DataDir()
{
    return g_stage->dataDir;
}

ScratchFile::ScratchFile(std::string path, const uint8_t* data, size_t size) : m_Path(std::move(path))
{
    if (!SaveBytes(m_Path, std::vector<uint8_t>(data, data + size)))
        SetUpFailed("scratch file not written");
}

ScratchFile::~ScratchFile()
{
    std::remove(m_Path.c_str());
}
} // namespace fuzzworld

const std::vector<std::string>& FuzzLogLines()
{
    return fuzzworld::LogLines();
}
