// The application-window singleton: the game window with its loading splash,
// the message record of the frame gate, every Settings.ini value, the language
// strings and the list of bindable actions shown by the controls page.
#pragma once

#include "platform/win/Window.h"
#include "shell/GameSettings.h"
#include "shell/QV7_Collection.h"

#include <memory>
#include <string>

// One bindable action as the controls page lists it.
struct KeyActionRecord
{
    InputCode* key1 = nullptr;
    InputCode* key2 = nullptr;
    char name[260] = {};
};

// One language string (at most 499 characters and its zero).
struct LanguageString
{
    char text[500] = {};
};
using LanguageGroup = QV7_Collection<LanguageString>;
using LanguageTable = QV7_Collection<LanguageGroup>;

class QV7_Windows
{
  public:
    QV7_Windows();
    ~QV7_Windows();

    // Reads Settings.ini, then the language file, then builds the key-action list.
    void LoadSettings();
    // Opens the splash window; false when the window cannot be made.
    bool CreateGameWindow();
    // Repaints the progress band of the splash.
    void RedrawSplash();
    // Sets the loading percent and repaints the splash.
    void SetLoadingPercent(int percent);

    // The language string (group, index), or "" when absent.
    const char* GetLanguageString(int group, int index) const;

    static intptr_t WindowProc(win::Window* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

    char m_ClassName[260] = "QV7_ZephyrionWindow";
    char m_Title[260] = "Zephyrion";
    int m_Active = 0;
    std::unique_ptr<win::Window> m_Window;
    win::MSG m_Message;
    GameSettings m_Settings;
    QV7_Collection<KeyActionRecord> m_KeyActions;
    int m_Quit = 0;
    LanguageTable m_Language;
    int m_LoadingPercent = 0;
    int m_VersionNumber = 0;
    int m_ScreenshotOff = 0;

    // Set by the engine: while it presents full screen the splash is not painted.
    static bool (*s_EngineIsFullScreen)();

  private:
    void LoadLanguageFile();
    void BuildKeyActionList();
    void PaintSplash();
};

extern QV7_Windows* g_windowsData;

void FreeLanguageTable(LanguageTable& table);
