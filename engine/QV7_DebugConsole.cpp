// The debug console's history, keyboard, drawing and command table.
#include "engine/QV7_DebugConsole.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "media/QV7_Input.h"
#include "platform/input/KeyCodes.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

QV7_DebugConsole* g_debugConsole = nullptr;
std::string (*QV7_DebugConsole::s_GameCommand)(int command, const std::string& text) = nullptr;

namespace
{
using namespace input;

constexpr const char* kPrompt = "> ";
constexpr D3DCOLOR kTextColour = 0xFF00FF00;
constexpr D3DCOLOR kRuleColour = 0xFF909090;
constexpr float kLineHeight = 14.0f;

// Remembers that the toggle combination is held, so holding it toggles once.
bool s_toggleLatch = false;

struct CommandEntry
{
    int command;
    const char* text;
    bool exact;
};

const CommandEntry kCommands[] = {
    {QV7_DebugConsole::CMD_CLS, "cls", true},
    {QV7_DebugConsole::CMD_PROBE_UP, "magic probe up", true},
    {QV7_DebugConsole::CMD_PROBE_OUT, "magic probe out", true},
    {QV7_DebugConsole::CMD_HOUR_UP, "magic hour up", true},
    {QV7_DebugConsole::CMD_HOUR_OUT, "magic hour out", true},
    {QV7_DebugConsole::CMD_WAYSTATIONS_DEBUG_UP, "magic probe waystations up", true},
    {QV7_DebugConsole::CMD_WAYSTATIONS_DEBUG_OUT, "magic probe waystations out", true},
    {QV7_DebugConsole::CMD_ROUTEMARK_OUT, "magic probe routemark out", true},
    {QV7_DebugConsole::CMD_ROUTEMARK_UP, "magic probe routemark up", true},
    {QV7_DebugConsole::CMD_WAYSTATIONS_REVEAL_UP, "magic waystations reveal up", true},
    {QV7_DebugConsole::CMD_WAYSTATIONS_REVEAL_OUT, "magic waystations reveal out", true},
    {QV7_DebugConsole::CMD_ENTRIES_REVEAL_UP, "magic entries reveal up", true},
    {QV7_DebugConsole::CMD_ENTRIES_REVEAL_OUT, "magic entries reveal out", true},
    {QV7_DebugConsole::CMD_PINES_REVEAL_UP, "magic pines reveal up", true},
    {QV7_DebugConsole::CMD_PINES_REVEAL_OUT, "magic pines reveal out", true},
    {QV7_DebugConsole::CMD_VIEWER_OPEN, "magic viewer open", true},
    {QV7_DebugConsole::CMD_ZEPHYRIONS, "magic zephyrions", false},
    {QV7_DebugConsole::CMD_OPENER, "magic opener", false},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_SLAY, "magic viewer wagon slay", false},
    {QV7_DebugConsole::CMD_WAGON_BOOST, "magic wagon boost", false},
    {QV7_DebugConsole::CMD_WAGON_SHOT, "magic wagon shot", false},
    {QV7_DebugConsole::CMD_PLAY_TOP, "magic play top", false},
    {QV7_DebugConsole::CMD_WAGON_ANY_SLAY, "magic wagon any slay", false},
    {QV7_DebugConsole::CMD_CP_NUDGE, "magic cp nudge", false},
    {QV7_DebugConsole::CMD_SHATTER, "magic shatter", false},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 0, "magic viewer wagon 1", true},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 1, "magic viewer wagon 2", true},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 2, "magic viewer wagon 3", true},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 3, "magic viewer wagon 4", true},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 4, "magic viewer wagon 5", true},
    {QV7_DebugConsole::CMD_VIEWER_WAGON_1 + 5, "magic viewer wagon 6", true},
    {QV7_DebugConsole::CMD_QUICK_QUIT, "magic quick quit", true},
    {QV7_DebugConsole::CMD_FILMS, "magic films", false},
};

bool Down(const uint8_t* keys, int code)
{
    return (keys[code] & 0x80) != 0;
}

// Letters by scan code: the three letter rows.
char LetterOf(int code)
{
    static const char kTop[] = "qwertyuiop"; // DIK_Q 0x10 ..
    static const char kHome[] = "asdfghjkl"; // DIK_A 0x1E ..
    static const char kBottom[] = "zxcvbnm"; // DIK_Z 0x2C ..
    if (code >= DIK_Q && code <= DIK_P)
        return kTop[code - DIK_Q];
    if (code >= DIK_A && code <= DIK_L)
        return kHome[code - DIK_A];
    if (code >= DIK_Z && code <= DIK_M)
        return kBottom[code - DIK_Z];
    return 0;
}

// The digit row types its own characters unshifted and the digits shifted.
char DigitRowOf(int code, bool shifted)
{
    static const char kUnshifted[] = {'&', '@', 0, '\'', '(', 0, 0, '!', 0, ')'};
    static const char kShifted[] = "1234567890";
    if (code < DIK_1 || code > DIK_0)
        return 0;
    return shifted ? kShifted[code - DIK_1] : kUnshifted[code - DIK_1];
}

char KeypadOf(int code)
{
    switch (code)
    {
    case DIK_ADD:
        return '+';
    case DIK_SUBTRACT:
        return '-';
    case DIK_DIVIDE:
        return '/';
    case DIK_MULTIPLY:
        return '*';
    case DIK_SPACE:
        return ' ';
    default:
        return 0;
    }
}

char CharacterOf(int code, bool shifted)
{
    if (const char letter = LetterOf(code))
        return shifted ? char(std::toupper(static_cast<unsigned char>(letter))) : letter;
    if (const char digit = DigitRowOf(code, shifted))
        return digit;
    return KeypadOf(code);
}

bool CtrlDown(const uint8_t* keys)
{
    return Down(keys, DIK_LCONTROL) || Down(keys, DIK_RCONTROL);
}
} // namespace

void QV7_DebugConsole::Init()
{
    m_Open = 0;
    for (char* line : m_Lines)
        std::snprintf(line, kLineSize, "%s", kPrompt);
    std::fill(std::begin(m_KeyHeld), std::end(m_KeyHeld), 0);
    m_BackHeldMs = m_NextRepeatMs = 0.0f;
}

void QV7_DebugConsole::PrintText(const char* text)
{
    for (int i = 0; i + 1 < kInputLine; ++i)
        std::memcpy(m_Lines[i], m_Lines[i + 1], kLineSize);
    // Texts keep to the 256 bytes a formatted line gets.
    std::snprintf(m_Lines[kInputLine - 1], kLineSize, "%.255s", text ? text : "");
}

void QV7_DebugConsole::Print(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    PrintText(text);
}

void QV7_DebugConsole::Update()
{
    if (!g_input)
        return;
    ReadToggle(g_input->m_KeyState);
    if (!m_Open)
        return;
    Draw();
    ReadTyping(g_input->m_KeyState, g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void QV7_DebugConsole::ReadToggle(const uint8_t* keys)
{
    if (!CtrlDown(keys) || !Down(keys, DIK_MULTIPLY))
    {
        s_toggleLatch = false;
        return;
    }
    if (s_toggleLatch)
        return;
    m_Open = !m_Open;
    s_toggleLatch = true;
}

void QV7_DebugConsole::Draw() const
{
    if (!g_screen2D || !g_device || !g_frameManager || !g_frameManager->m_ConsoleFont)
        return;
    D3DVIEWPORT9 viewport{};
    g_device->GetViewport(&viewport);
    const float width = float(viewport.Width);
    g_screen2D->Begin2D();
    g_screen2D->DrawConsoleBackground(0.0f, 0.0f, width, kBottom);
    g_screen2D->DrawLine2D(kRuleColour, 0.0f, kBottom, width, kBottom);
    g_screen2D->End2D();
    for (int i = 0; i < kLines; ++i)
        g_frameManager->m_ConsoleFont->DrawText(2.0f, kLineHeight * float(i), kTextColour, m_Lines[i]);
}

void QV7_DebugConsole::Type(char c)
{
    char* line = m_Lines[kInputLine];
    const size_t length = std::strlen(line);
    if (length + 1 < 256)
    {
        line[length] = c;
        line[length + 1] = '\0';
    }
}

void QV7_DebugConsole::Backspace()
{
    char* line = m_Lines[kInputLine];
    const size_t length = std::strlen(line);
    if (length > std::strlen(kPrompt))
        line[length - 1] = '\0';
}

void QV7_DebugConsole::ReadTyping(const uint8_t* keys, float frameMs)
{
    const bool ctrl = CtrlDown(keys);
    const bool shifted = Down(keys, DIK_LSHIFT) || Down(keys, DIK_RSHIFT) || Down(keys, DIK_CAPITAL);
    for (int code = 0; code < kKeys; ++code)
    {
        if (!Down(keys, code))
        {
            m_KeyHeld[code] = 0;
            continue;
        }
        const char c = CharacterOf(code, shifted);
        if (!c)
            continue;
        // On an empty line a held key types again (a key still down after Enter).
        const bool emptyLine = InputText().empty();
        if (!ctrl && (!m_KeyHeld[code] || emptyLine))
            Type(c);
        m_KeyHeld[code] = 1;
    }
    if (Down(keys, DIK_BACK))
    {
        if (m_BackHeldMs == 0.0f)
        {
            Backspace();
            m_NextRepeatMs = kRepeatDelayMs;
        }
        m_BackHeldMs += std::max(frameMs, 0.001f);
        for (; m_BackHeldMs >= m_NextRepeatMs; m_NextRepeatMs += kRepeatMs)
            Backspace();
    }
    else
        m_BackHeldMs = 0.0f;
    if (Down(keys, DIK_RETURN) && !m_KeyHeld[DIK_RETURN])
        ExecuteCommand();
    m_KeyHeld[DIK_RETURN] = Down(keys, DIK_RETURN) ? 1 : 0;
}

int QV7_DebugConsole::MatchCommand(const std::string& text)
{
    for (const CommandEntry& entry : kCommands)
        if (entry.exact ? text == entry.text : text.find(entry.text) != std::string::npos)
            return entry.command;
    return 0;
}

std::string QV7_DebugConsole::Run(int command, const std::string& text)
{
    switch (command)
    {
    case CMD_CLS:
        Init();
        m_Open = 1;
        return "";
    case CMD_PROBE_UP:
    case CMD_PROBE_OUT:
    {
        const int on = command == CMD_PROBE_UP ? 1 : 0;
        if (g_windowsData)
            g_windowsData->m_Settings.Debug = on;
        if (g_frameManager)
            g_frameManager->m_ShowFps = on;
        return on ? "> Debug Mode Enabled" : "> Debug Mode Disabled";
    }
    case CMD_QUICK_QUIT:
        // The frame gate ends the program at its next call, as it does when the window goes.
        if (g_windowsData)
            g_windowsData->m_Quit = 1;
        return "";
    default:
        return s_GameCommand ? s_GameCommand(command, text) : "> Invalid, QV7MapSystem not loaded!";
    }
}

void QV7_DebugConsole::ExecuteCommand()
{
    PrintText(m_Lines[kInputLine]);
    std::string text = InputText();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const int command = MatchCommand(text);
    const std::string reply = command ? Run(command, text) : "> Unknown Command";
    if (!reply.empty())
        PrintText(reply.c_str());
    std::snprintf(m_Lines[kInputLine], kLineSize, "%s", kPrompt);
}

void EchoToDebugConsole(const char* text)
{
    if (g_debugConsole)
        g_debugConsole->PrintText(text);
}
