// The text field: the typing table, Backspace with its repeat, the caret and
// drawing. Keys are read from the polled keyboard state by their keyboard
// codes; the state of each is kept under its Windows virtual key, as the
// table names them.
#include "gui/QV7_Menu_TextField.h"

#include "engine/QV7_Screen2D.h"
#include "gui/MenuFileLayout.h"
#include "gui/MenuTextFit.h"
#include "gui/QV7_FontsHandler.h"
#include "media/QV7_Input.h"
#include "platform/input/KeyCodes.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr int kVirtualKeyBack = 0x08;

bool KeyDown(int code)
{
    return g_input && g_input->IsKeyDown(code);
}

bool ShiftHeld()
{
    return KeyDown(input::DIK_LSHIFT) || KeyDown(input::DIK_RSHIFT) || KeyDown(input::DIK_CAPITAL);
}
} // namespace

using namespace input;

// Handling order matters only for which of two keys pressed in one frame types first.
const QV7_Menu_Text::Key QV7_Menu_Text::kKeys[] = {
    {'A', DIK_A, "A", "a"},        {'Z', DIK_Z, "Z", "z"},         {'E', DIK_E, "E", "e"},
    {'R', DIK_R, "R", "r"},        {'T', DIK_T, "T", "t"},         {'Y', DIK_Y, "Y", "y"},
    {'U', DIK_U, "U", "u"},        {'I', DIK_I, "I", "i"},         {'O', DIK_O, "O", "o"},
    {'P', DIK_P, "P", "p"},        {'Q', DIK_Q, "Q", "q"},         {'S', DIK_S, "S", "s"},
    {'D', DIK_D, "D", "d"},        {'F', DIK_F, "F", "f"},         {'G', DIK_G, "G", "g"},
    {'H', DIK_H, "H", "h"},        {'J', DIK_J, "J", "j"},         {'K', DIK_K, "K", "k"},
    {'L', DIK_L, "L", "l"},        {'M', DIK_M, "M", "m"},         {'W', DIK_W, "W", "w"},
    {'X', DIK_X, "X", "x"},        {'C', DIK_C, "C", "c"},         {'V', DIK_V, "V", "v"},
    {'B', DIK_B, "B", "b"},        {'N', DIK_N, "N", "n"},         {'1', DIK_1, "1", "&"},
    {'2', DIK_2, "2", "@"},        {'3', DIK_3, "3", ""},          {'4', DIK_4, "4", "'"},
    {'5', DIK_5, "5", "("},        {'6', DIK_6, "6", ""},          {'7', DIK_7, "7", ""},
    {'8', DIK_8, "8", "!"},        {'9', DIK_9, "9", ""},          {'0', DIK_0, "0", ")"},
    {0x60, DIK_NUMPAD0, "0", "0"}, {0x61, DIK_NUMPAD1, "1", "1"},  {0x62, DIK_NUMPAD2, "2", "2"},
    {0x63, DIK_NUMPAD3, "3", "3"}, {0x64, DIK_NUMPAD4, "4", "4"},  {0x65, DIK_NUMPAD5, "5", "5"},
    {0x66, DIK_NUMPAD6, "6", "6"}, {0x67, DIK_NUMPAD7, "7", "7"},  {0x68, DIK_NUMPAD8, "8", "8"},
    {0x69, DIK_NUMPAD9, "9", "9"}, {188, DIK_COMMA, "?", ","},     {190, DIK_PERIOD, ".", ";"},
    {191, DIK_SLASH, "/", ":"},    {0x6B, DIK_ADD, "+", "+"},      {0x6D, DIK_SUBTRACT, "-", "-"},
    {0x6F, DIK_DIVIDE, "/", "/"},  {0x6A, DIK_MULTIPLY, "*", "*"}, {0x6E, DIK_DECIMAL, ".", "."},
    {0x20, DIK_SPACE, " ", " "},
};
const int QV7_Menu_Text::kKeyCount = int(sizeof(kKeys) / sizeof(kKeys[0]));

QV7_Menu_hWnd* CreateTextFieldControl()
{
    return new QV7_Menu_Text();
}

QV7_Menu_Text::QV7_Menu_Text()
{
    m_Type = kMenuText;
    std::snprintf(m_Text, sizeof(m_Text), "Text Field");
    std::snprintf(m_LoadedText, sizeof(m_LoadedText), "%s", m_Text);
}

void QV7_Menu_Text::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    std::snprintf(m_Text, sizeof(m_Text), "%s", record.texts[0].c_str());
    m_Colour = record.colour;
    m_TextReserved = record.typeReserved;
    m_MaxLength = std::clamp(record.value, 0, kMaxLength);
    m_Font = record.font;
    std::snprintf(m_LoadedText, sizeof(m_LoadedText), "%s", m_Text);
}

void QV7_Menu_Text::ResetToLoaded()
{
    std::snprintf(m_Text, sizeof(m_Text), "%s", m_LoadedText);
}

void QV7_Menu_Text::Draw(int inputOff)
{
    QV7_Menu_hWnd::Draw(inputOff);
    if (g_screen2D)
        g_screen2D->End2D();
    std::string shown = m_Text;
    if (!IsFocused() || inputOff)
        HandleKeys(false);
    else
    {
        const uint32_t now = win::timeGetTime();
        // Shown in the first half of every second.
        if (now / 500 == now / 1000 * 2)
            shown += "|";
        HandleKeys(true);
        HandleBackspace(now);
    }
    MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    if (m_Visible && font)
        DrawFontText(font, float(m_Left + 2), float(m_Top + 2), m_Colour, shown.c_str(), 0);
    if (g_screen2D)
        g_screen2D->Begin2D();
}

void QV7_Menu_Text::HandleKeys(bool typing)
{
    // Screens may write the limit directly; the buffer holds kMaxLength characters.
    const size_t maxLength = size_t(std::clamp(m_MaxLength, 0, kMaxLength));
    const MenuFont* font = m_Font ? m_Font->m_Font : nullptr;
    const bool shift = typing && ShiftHeld();
    for (const Key& key : kKeys)
    {
        int32_t& state = m_KeyStates[key.virtualKey];
        if (!KeyDown(key.keyCode))
        {
            state = 0;
            continue;
        }
        const char* text = !typing ? "" : shift ? key.shifted : key.unshifted;
        const size_t length = std::strlen(m_Text);
        if (length == 0)
            state = 0;
        if (state == 0 && length < maxLength && text[0] != '\0')
        {
            const size_t added = std::min(std::strlen(text), maxLength - length);
            std::memcpy(m_Text + length, text, added);
            m_Text[length + added] = '\0';
            if (m_Fit && MenuTextWidth(font, m_Text) > m_Right - m_Left)
                m_Text[length] = '\0';
        }
        state = 1;
    }
}

void QV7_Menu_Text::HandleBackspace(uint32_t now)
{
    const size_t length = std::strlen(m_Text);
    if (length == 0)
        return;
    int32_t& state = m_KeyStates[kVirtualKeyBack];
    if (!KeyDown(DIK_BACK))
    {
        state = 0;
        m_BackspaceRepeating = 0;
        return;
    }
    if (state == 1 && now - m_BackspaceTime > 500)
    {
        state = 0;
        m_BackspaceRepeating = 1;
    }
    if (state == 0)
    {
        m_Text[length - 1] = '\0';
        state = 1;
        // Once repeating, the next deletion comes 200 ms later instead of 500.
        m_BackspaceTime = m_BackspaceRepeating ? now - 300 : now;
    }
}
