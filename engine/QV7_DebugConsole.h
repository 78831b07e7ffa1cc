// The drop-down debug console run by the frame manager on every drawn
// frame: the last 23 logged texts and one input line, opened and closed with
// Ctrl and the keypad "*", typed into from the keyboard, and a small set of
// commands: clearing, debug switches of renderers and race components, and
// hidden commands that change the race or the current profile.
//
// The engine knows nothing of races and profiles: the commands aimed at them
// go to s_GameCommand, which the race side installs; while it is not set
// they answer that no race is loaded.
#pragma once

#include <cstdint>
#include <string>

class QV7_DebugConsole
{
  public:
    static constexpr int kLines = 24;
    static constexpr int kInputLine = kLines - 1;
    static constexpr int kLineSize = 260;
    static constexpr int kKeys = 256;
    static constexpr float kBottom = 347.0f;
    static constexpr float kRepeatDelayMs = 500.0f;
    static constexpr float kRepeatMs = 50.0f;

    // The commands in the order they are tested.
    enum Command
    {
        CMD_CLS = 1,
        CMD_PROBE_UP,
        CMD_PROBE_OUT,
        CMD_HOUR_UP,
        CMD_HOUR_OUT,
        CMD_WAYSTATIONS_DEBUG_UP,
        CMD_WAYSTATIONS_DEBUG_OUT,
        CMD_ROUTEMARK_OUT,
        CMD_ROUTEMARK_UP,
        CMD_WAYSTATIONS_REVEAL_UP,
        CMD_WAYSTATIONS_REVEAL_OUT,
        CMD_ENTRIES_REVEAL_UP,
        CMD_ENTRIES_REVEAL_OUT,
        CMD_PINES_REVEAL_UP,
        CMD_PINES_REVEAL_OUT,
        CMD_VIEWER_OPEN,
        CMD_ZEPHYRIONS,
        CMD_OPENER,
        CMD_VIEWER_WAGON_SLAY,
        CMD_WAGON_BOOST,
        CMD_WAGON_SHOT,
        CMD_PLAY_TOP,
        CMD_WAGON_ANY_SLAY,
        CMD_CP_NUDGE,
        CMD_SHATTER,
        CMD_VIEWER_WAGON_1, // to CMD_VIEWER_WAGON_1 + 5
        CMD_QUICK_QUIT = CMD_VIEWER_WAGON_1 + 6,
        CMD_FILMS,
        CMD_COUNT
    };

    // Runs a game command with the whole lower-case text; returns its reply
    // line ("" for none).
    static std::string (*s_GameCommand)(int command, const std::string& text);

    // Closed, every line the prompt, no key held.
    void Init();
    // The frame's step: the toggle, then while open the drawing and the typing.
    void Update();
    // printf-style into the history; the input line stays.
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A text into the history as it stands (log lines: never a format).
    void PrintText(const char* text);
    // Runs the input line and resets it.
    void ExecuteCommand();

    // The toggle combination and the typing, from a keyboard state (bit 7
    // set while a key is down) and the frame's milliseconds.
    void ReadToggle(const uint8_t* keys);
    void ReadTyping(const uint8_t* keys, float frameMs);
    // The command a lower-case text runs; 0 for none.
    static int MatchCommand(const std::string& text);
    // The input line without its prompt.
    std::string InputText() const { return std::string(m_Lines[kInputLine] + 2); }

    int m_Open = 0;
    char m_Lines[kLines][kLineSize] = {};
    int m_KeyHeld[kKeys] = {};
    float m_BackHeldMs = 0.0f;
    float m_NextRepeatMs = 0.0f;

  private:
    void Draw() const;
    void Type(char c);
    void Backspace();
    std::string Run(int command, const std::string& text);
};

// The frame manager's console while it lives; null otherwise.
extern QV7_DebugConsole* g_debugConsole;
// Echoes a log line into g_debugConsole (the logger's console echo).
void EchoToDebugConsole(const char* text);
