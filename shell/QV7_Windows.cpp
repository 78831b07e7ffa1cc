// Settings.ini, the language file, the key-action list and the splash window.
#include "shell/QV7_Windows.h"

#include "platform/win/Ini.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Splash.h"

#include <cstdio>
#include <cstring>

QV7_Windows* g_windowsData = nullptr;
bool (*QV7_Windows::s_EngineIsFullScreen)() = nullptr;

namespace
{
// Each action's menu position and the language entry (group 0) naming it.
struct KeyActionMenuEntry
{
    KeyAction action;
    int languageEntry;
};
const KeyActionMenuEntry kKeyActionMenu[KEY_ACTION_COUNT] = {
    {KEY_Respawn, 0},        {KEY_Accelerate, 1},     {KEY_Reverse, 3},        {KEY_SteerLeft, 4},
    {KEY_SteerRight, 5},     {KEY_HandBrake, 7},      {KEY_Shoot, 6},          {KEY_Turbo, 2},
    {KEY_Shield, 8},         {KEY_Jammer, 9},         {KEY_SelectWeapon1, 10}, {KEY_SelectWeapon2, 11},
    {KEY_SelectWeapon3, 12}, {KEY_SelectWeapon4, 13}, {KEY_SelectWeapon5, 14}, {KEY_CameraMode1, 15},
    {KEY_CameraMode2, 16},   {KEY_CameraMode3, 17},   {KEY_HideHUD, 18},       {KEY_Pause, 19},
    {KEY_Screenshot, 20},    {KEY_Horn, 21},          {KEY_TeamChat, 22},      {KEY_AllChat, 23},
    {KEY_NextWeapon, 24},    {KEY_PreviousWeapon, 25},
};

const int kSplashWidth = 485;
const int kSplashHeight = 300;

// An int key of Settings.ini.
struct IntSetting
{
    const char* section;
    const char* key;
    int defaultValue;
    int GameSettings::*field;
};
const IntSetting kIntSettings[] = {
    {"MAIN", "Debug", 0, &GameSettings::Debug},
    {"MAIN", "DebugAnim", 0, &GameSettings::DebugAnim},
    {"MAIN", "Windowed", 0, &GameSettings::Windowed},
    {"MAIN", "PerfHud", 0, &GameSettings::PerfHud},
    {"MAIN", "Version", 1, &GameSettings::Version},
    {"MAIN", "Version_Branch", 0, &GameSettings::Version_Branch},
    {"Options", "ScreenWidth", 800, &GameSettings::ScreenWidth},
    {"Options", "ScreenHeight", 600, &GameSettings::ScreenHeight},
    {"Options", "ScreenDepth", 32, &GameSettings::ScreenDepth},
    {"Options", "Detail", 4, &GameSettings::Detail},
    {"Options", "Adapter", 0, &GameSettings::Adapter},
    {"Custom", "force_FadingObjects", 0, &GameSettings::force_FadingObjects},
    {"Custom", "force_FadingBillBoards", 0, &GameSettings::force_FadingBillBoards},
    {"Custom", "force_TreeBillBoards", 0, &GameSettings::force_TreeBillBoards},
    {"Custom", "force_ReflectiveWater", 0, &GameSettings::force_ReflectiveWater},
    {"Custom", "force_HighResTextures", 0, &GameSettings::force_HighResTextures},
    {"Custom", "force_Shadow", 0, &GameSettings::force_Shadow},
    {"Custom", "force_Shore", 0, &GameSettings::force_Shore},
    {"Custom", "force_HighResAnim", 0, &GameSettings::force_HighResAnim},
    {"Custom", "force_WaterRiples", 0, &GameSettings::force_WaterRiples},
    {"Custom", "FSAA", 0, &GameSettings::FSAA},
    {"Custom", "FSAF", 0, &GameSettings::FSAF},
    {"Sound", "INIT_SoundEnabled", 1, &GameSettings::INIT_SoundEnabled},
    {"Sound", "SoundVolume", 50, &GameSettings::SoundVolume},
    {"Sound", "MusicVolume", 50, &GameSettings::MusicVolume},
};
} // namespace

QV7_Windows::QV7_Windows() { g_windowsData = this; }

QV7_Windows::~QV7_Windows()
{
    FreeLanguageTable(m_Language);
    m_KeyActions.Clear();
    m_Window.reset();
    if (g_windowsData == this)
        g_windowsData = nullptr;
}

void QV7_Windows::LoadSettings()
{
    const std::string path = g_programDir + "Settings.ini";
    GameSettings& s = m_Settings;
    // Table order: MAIN, Options, Custom, Sound, Language, Controller, Keys.
    for (const IntSetting& setting : kIntSettings)
    {
        s.*setting.field = win::GetPrivateProfileIntA(setting.section, setting.key, setting.defaultValue, path);
        if (std::strcmp(setting.key, "MusicVolume") == 0)
        {
            win::GetPrivateProfileStringA("Language", "Version", "EN", s.LanguageVersion, sizeof(s.LanguageVersion),
                                          path);
            s.VersionNumber = win::GetPrivateProfileIntA("Language", "VersionNumber", 0, path);
            m_VersionNumber = s.VersionNumber;
            win::GetPrivateProfileStringA("Controller", "Device", "0", s.ControllerDevice,
                                          sizeof(s.ControllerDevice), path);
        }
    }
    for (int i = 0; i < KEY_ACTION_COUNT; ++i)
    {
        const std::string name = kKeyActions[i].name;
        s.Keys[i][0] = win::GetPrivateProfileIntA("Keys", ("Key1_" + name).c_str(), kKeyActions[i].key1, path);
        s.Keys[i][1] = win::GetPrivateProfileIntA("Keys", ("Key2_" + name).c_str(), kKeyActions[i].key2, path);
    }
    LoadLanguageFile();
    BuildKeyActionList();
}

void QV7_Windows::LoadLanguageFile()
{
    FreeLanguageTable(m_Language);
    const std::string code = m_Settings.LanguageVersion;
    const std::string path = g_dataDir + (code == "EN" ? std::string("LANG.lng") : "LANG" + code + ".lng");
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Can't load '%s'", path.c_str());
        return;
    }
    // Groups and strings are read one at a time, so no count allocates ahead of
    // the bytes. A string that is not there (a count larger than the strings
    // present, a file cut inside a string) is a broken string: fatal. A count
    // that cannot be read ends the table with the groups before it; a negative
    // count reads as no entries.
    auto brokenAt = [&](size_t offset) {
        QV7_Logger::Log(g_logger, "ERROR: Language file '%s' is broken at offset %d", path.c_str(),
                        int(offset));
    };
    size_t at = file.Position();
    const int32_t groupCount = file.ReadInt32();
    if (file.Failed() || groupCount < 0)
        return brokenAt(at);
    for (int32_t g = 0; g < groupCount; ++g)
    {
        at = file.Position();
        const int32_t stringCount = file.ReadInt32();
        if (file.Failed())
            return brokenAt(at);
        LanguageGroup* group = m_Language.Append(new LanguageGroup());
        if (stringCount < 0)
            brokenAt(at);
        for (int32_t i = 0; i < stringCount; ++i)
        {
            LanguageString* entry = group->Add();
            // Refused before anything is copied.
            if (file.PeekInt32() > int32_t(sizeof(entry->text)))
            {
                QV7_Logger::Log(g_logger, "ERROR: String too long");
                ThrowDataError(".\\QV7_Windows", 275);
            }
            ReadString(entry->text, sizeof(entry->text), file);
        }
    }
}

void QV7_Windows::BuildKeyActionList()
{
    m_KeyActions.Clear();
    for (const KeyActionMenuEntry& entry : kKeyActionMenu)
    {
        KeyActionRecord* record = m_KeyActions.Add();
        record->key1 = &m_Settings.Keys[entry.action][0];
        record->key2 = &m_Settings.Keys[entry.action][1];
        const char* name = GetLanguageString(0, entry.languageEntry);
        // A missing or short language file leaves the action's own name as a placeholder.
        if (!*name)
            name = kKeyActions[entry.action].name;
        const size_t length = strnlen(name, sizeof(record->name) - 1);
        std::memcpy(record->name, name, length);
        record->name[length] = '\0';
    }
}

const char* QV7_Windows::GetLanguageString(int group, int index) const
{
    if (group < 0 || group >= m_Language.count)
        return "";
    const LanguageGroup* strings = m_Language[group];
    if (index < 0 || index >= strings->count)
        return "";
    return strings->items[index]->text;
}

bool QV7_Windows::CreateGameWindow()
{
    int desktopWidth = 0, desktopHeight = 0;
    win::GetDesktopSize(desktopWidth, desktopHeight);
    win::WindowDesc desc;
    desc.title = m_ClassName;
    desc.x = desktopWidth / 2 - 242;
    desc.y = desktopHeight / 2 - 150;
    desc.width = kSplashWidth - 1;
    desc.height = kSplashHeight;
    desc.popup = m_Settings.Windowed == 0;
    desc.hideCursor = m_Settings.Windowed == 0;
    m_Window = win::Window::Create(desc, &QV7_Windows::WindowProc);
    if (!m_Window)
        return false;
    // The class icon, large and small: one picture, scaled by the desktop.
    const SplashImage& icon = WindowIcon();
    m_Window->SetIcon(icon.pixels.data(), icon.width, icon.height);
    m_Window->Move(desktopWidth / 2 - 242, desktopHeight / 2 - 108, kSplashWidth, kSplashHeight);
    m_Window->SetTitle(m_Title);
    m_Window->Show();
    m_Window->Invalidate();
    m_Window->Update();
    return true;
}

intptr_t QV7_Windows::WindowProc(win::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    QV7_Windows* self = g_windowsData;
    if (!self)
        return win::DefWindowProc(window, message, wParam, lParam);
    switch (message)
    {
    case win::WM_DESTROY:
        win::PostQuitMessage(0);
        return 0;
    case win::WM_CHAR:
    case win::WM_DEADCHAR:
        return 0;
    case win::WM_ACTIVATE:
    {
        const uint32_t state = uint32_t(wParam & 0xFFFF);
        self->m_Active = (state == win::WA_ACTIVE || state == win::WA_CLICKACTIVE) ? 1 : 0;
        return win::DefWindowProc(window, message, wParam, lParam);
    }
    case win::WM_PAINT:
        if (!(s_EngineIsFullScreen && s_EngineIsFullScreen()))
            self->PaintSplash();
        return 0;
    case win::WM_SETCURSOR:
        window->SetCursor(win::Cursor::Arrow);
        return 1;
    default:
        return win::DefWindowProc(window, message, wParam, lParam);
    }
}

void QV7_Windows::PaintSplash()
{
    if (!m_Window)
        return;
    const SplashImage& image = ComposeSplash(m_LoadingPercent);
    m_Window->PaintPixels(image.pixels.data(), image.width, image.height, image.width, 0, 0);
}

void QV7_Windows::RedrawSplash()
{
    if (!m_Window || (s_EngineIsFullScreen && s_EngineIsFullScreen()))
        return;
    m_Window->Show();
    m_Window->Invalidate();
    m_Window->Update();
}

void QV7_Windows::SetLoadingPercent(int percent)
{
    m_LoadingPercent = percent;
    RedrawSplash();
}

void FreeLanguageTable(LanguageTable& table)
{
    for (int g = table.count - 1; g >= 0; --g)
        table.items[g]->Clear();
    table.Clear();
}
