// Start-up in order, each singleton created once, then shut-down backwards.
#include "shell/startup/QV7_WinMain.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_SoundSystem.h"
#include "menus/QV7_MainMenu.h"
#include "platform/win/Accessibility.h"
#include "platform/win/InstanceLock.h"
#include "platform/win/MessageBox.h"
#include "platform/win/ModulePath.h"
#include "platform/win/ShellOpen.h"
#include "race/QV7_DebugCommands.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_TutorialInstall.h"
#include "race/RaceWiring.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"
#include "shell/QV7_Windows.h"
#include "shell/startup/QV7_IntroSequence.h"
#include "shell/startup/QV7_QualitySettings.h"
#include "world/QV7_MapsSort.h"

#include <memory>

const char* const kHomePage = "https://zephyrion.example.org/";

namespace
{
win::STICKYKEYS s_savedStickyKeys;
win::TOGGLEKEYS s_savedToggleKeys;
win::FILTERKEYS s_savedFilterKeys;

const unsigned kHotKeyFlags = 0x4 | 0x8; // hot key active, confirm hot key

} // namespace

void SaveAccessibilityKeys()
{
    s_savedStickyKeys.cbSize = sizeof(s_savedStickyKeys);
    s_savedToggleKeys.cbSize = sizeof(s_savedToggleKeys);
    s_savedFilterKeys.cbSize = sizeof(s_savedFilterKeys);
    win::SystemParametersInfoA(win::SPI_GETSTICKYKEYS, sizeof(s_savedStickyKeys), &s_savedStickyKeys, 0);
    win::SystemParametersInfoA(win::SPI_GETTOGGLEKEYS, sizeof(s_savedToggleKeys), &s_savedToggleKeys, 0);
    win::SystemParametersInfoA(win::SPI_GETFILTERKEYS, sizeof(s_savedFilterKeys), &s_savedFilterKeys, 0);
}

namespace
{

// Takes the program's folder and the data folder beside it.
void TakeProgramFolders()
{
    g_modulePath = win::GetModuleFileName();
    g_programDir = win::ProgramDirectory();
    g_dataDir = g_programDir + "Data/";
}

void SetPercent(int percent)
{
    g_windowsData->SetLoadingPercent(percent);
}

// The engine could not make its Direct3D object.
void FailWithoutDirect3D(std::unique_ptr<QV7_Engine>& engine, std::unique_ptr<QV7_Windows>& windows)
{
    QV7_Logger::Log(g_logger, "ERROR: Game Could not start, closing game");
    win::MessageBoxA(
        nullptr,
        "This game needs DirectX 9.0c (June 2006 release) or newer, which could not be started.\n"
        "Please install it and try again.",
        "Failed to Initialize", win::MB_OK | win::MB_ICONERROR);
    QV7_Logger::Log(g_logger, "ERROR: Attempting to unloading data loaded before error");
    QV7_Logger::Log(g_logger, "ERROR: Cleaning: Engine FrameWork...");
    engine.reset();
    QV7_Logger::Log(g_logger, "ERROR: Cleaning: WindowsData...");
    windows.reset();
    QV7_Logger::Log(g_logger, "ERROR: Cleaning: DebugData... [Last Message]");
}

// The device could not be created with the current settings.
void FailDeviceCreation(std::unique_ptr<QV7_Engine>& engine, std::unique_ptr<QV7_Windows>& windows)
{
    QV7_Logger::Log(g_logger, "ERROR: Game Could not start, closing game");
    win::ShowCursor(true);
    win::MessageBoxA(nullptr, "Unable to initialize Direct3D9 using the current Settings",
                     "Zephyrion Initialize Failure", win::MB_OK | win::MB_ICONERROR);
    engine.reset();
    windows.reset();
}

// No window could be opened (no display): said in the log and on stderr, and
// the game ends with a failure code instead of waiting for a window nobody sees.
int FailWithoutWindow(std::unique_ptr<QV7_Windows>& windows)
{
    // The settings go first, so the lines reach the log whatever Debug says.
    windows.reset();
    QV7_Logger::Log(g_logger, "ERROR: Game window could not be opened: %s", win::LastWindowError().c_str());
    QV7_Logger::Log(g_logger, "ERROR: Game Could not start, closing game");
    delete g_logger;
    g_logger = nullptr;
    return 1;
}

void MoveWindowToFinalMode(QV7_Engine& engine)
{
    win::Window* window = g_windowsData->m_Window.get();
    engine.m_FullScreen = g_windowsData->m_Settings.Windowed == 1 ? 0 : 1;
    if (engine.m_FullScreen)
    {
        window->Move(0, 0, engine.m_FullScreenWidth, engine.m_FullScreenHeight);
        window->SetTopMost();
    }
    else
        window->Move(0, 0, 800, 600);
    engine.Initialize(1);
}

// Shut-down steps 7 to 9: the log closed, the accessibility keys restored, the home page opened.
void ShutDownTail()
{
    QV7_Logger::Log(g_logger, "Unloading Log/Memory Mannager...");
    delete g_logger;
    g_logger = nullptr;
    SetAccessibilityKeys(1);
    win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 0, nullptr, 0);
    win::ShellExecuteOpen(kHomePage);
}
} // namespace

namespace
{
// Writes one saved record back: as it was (allow), or, for a feature that is
// off, without its hot keys; a feature the player has on is left alone.
template <typename Record> void WriteAccessibilityRecord(unsigned setAction, const Record& saved, int allow)
{
    Record record = saved;
    if (!allow)
    {
        if (saved.dwFlags & 1)
            return;
        record.dwFlags &= ~kHotKeyFlags;
    }
    win::SystemParametersInfoA(setAction, sizeof(record), &record, 0);
}
} // namespace

void SetAccessibilityKeys(int allow)
{
    WriteAccessibilityRecord(win::SPI_SETSTICKYKEYS, s_savedStickyKeys, allow);
    WriteAccessibilityRecord(win::SPI_SETTOGGLEKEYS, s_savedToggleKeys, allow);
    WriteAccessibilityRecord(win::SPI_SETFILTERKEYS, s_savedFilterKeys, allow);
}

int WinMain()
{
    win::SystemParametersInfoA(win::SPI_SETSCREENSAVERRUNNING, 1, nullptr, 0);
    SaveAccessibilityKeys();
    SetAccessibilityKeys(0);
    TakeProgramFolders();

    g_logger = new QV7_Logger();
    QV7_Logger::Log(g_logger, "Game Ready To Load.");
    InstallHardwareFaultReporter();
    try
    {
        std::unique_ptr<QV7_Windows> windows = std::make_unique<QV7_Windows>();
        windows->LoadSettings();
        if (!windows->CreateGameWindow())
            return FailWithoutWindow(windows);
        SetPercent(1);
        SetPercent(50);

        std::unique_ptr<QV7_Engine> engine = std::make_unique<QV7_Engine>();
        SetPercent(56);
        if (engine->m_Failed)
        {
            FailWithoutDirect3D(engine, windows);
            delete g_logger;
            g_logger = nullptr;
            return 0;
        }
        QV7_Logger::Log(g_logger, "INFO: Engine Framework Created");
        SetPercent(65);

        engine->m_Window = windows->m_Window.get();
        engine->m_Adapter = windows->m_Settings.Adapter;
        engine->m_FullScreen = 0;
        if (!engine->Initialize(0))
        {
            FailDeviceCreation(engine, windows);
            delete g_logger;
            g_logger = nullptr;
            return 0;
        }

        SetPercent(75);
        std::unique_ptr<QV7_SoundSystem> sound = std::make_unique<QV7_SoundSystem>();
        if (!sound->InitDevice(windows->m_Window.get()))
            QV7_Logger::Log(g_logger,
                            "WARNING: Music & Sound failed to initialize, Possible no sound card ?");
        sound->LoadMenuSounds();

        SetPercent(85);
        std::unique_ptr<QV7_TextureList> loadingTextures =
            std::make_unique<QV7_TextureList>(TextureListRole::LoadingScreen);
        LoadLoadingScreen(*loadingTextures, g_dataDir);
        SetPercent(90);
        SetPercent(100);

        MoveWindowToFinalMode(*engine);
        RunIntroAndLogos(*loadingTextures, *sound);

        auto itemDatabase = std::make_unique<QV7_ItemDatabase>();
        auto mapsSort = std::make_unique<QV7_MapsSort>();
        auto profiles = std::make_unique<QV7_Profiles>();
        profiles->Load();
        auto quality = std::make_unique<QV7_QualitySettings>();
        QV7_DebugCommands::Install();
        RaceWiring::Install();
        // Last, so that no other install replaces the tutorial's own hooks.
        InstallTutorialHooks();
        auto menuManager = std::make_unique<QV7_MenuManager>();
        // After a race the menus load the item database's textures back by these IDs.
        menuManager->m_ItemTextureIds = itemDatabase->TextureIdArray();
        menuManager->m_ItemTextureIdCount = itemDatabase->TextureIdCount();

        FadeInMainMenu(*loadingTextures);
        g_textureList = nullptr;
        RunMainMenu();

        // Shut-down: GPU-bound objects go before the engine and its device.
        quality.reset();
        menuManager.reset();
        profiles->Save();
        itemDatabase.reset();
        mapsSort.reset();
        profiles.reset();
        loadingTextures.reset();
        engine.reset();
        windows.reset();
        sound.reset();
    }
    catch (...)
    {
        // Unwinding has released what WinMain held; the game ends through the tail of shut-down.
        QV7_Logger::Log(g_logger, "ERROR: Game Crashed, Error Code A0");
    }
    ShutDownTail();
    return 0;
}

int ProcessEntry()
{
    static std::unique_ptr<win::InstanceLock> instance = win::InstanceLock::Acquire("Zephyrion");
    if (!instance)
        return 0;
    win::InstallQuitSignals();
    try
    {
        return WinMain();
    }
    catch (...)
    {
        if (ReportException(CPP_EXCEPTION_CODE, nullptr) == EXCEPTION_EXECUTE_HANDLER_VERDICT)
        {
            QV7_Logger::Log(g_logger, "ERROR: Game Exception, Error Code E1");
            QV7_Logger::Log(g_logger, "OUTPUT: Exception Code %d", int32_t(CPP_EXCEPTION_CODE));
        }
        return 0;
    }
}
