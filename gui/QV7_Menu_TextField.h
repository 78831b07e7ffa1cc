// The text field control (type 3): a one-line edit field fed by the polled
// keyboard while it has focus. Each key of a fixed table types once per
// press (no auto-repeat), Shift or Caps Lock choosing the second text of the
// key; Backspace deletes one character per press and repeats every 200 ms
// once held for 500 ms; a caret blinks in the first half of every second.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

#include <cstdint>

struct FontSlot;

class QV7_Menu_Text : public QV7_Menu_hWnd
{
  public:
    static constexpr int kTextSize = 260;
    static constexpr int kMaxLength = kTextSize - 1;
    static constexpr int kKeyStates = 500;

    QV7_Menu_Text();

    void Draw(int inputOff) override;
    void LoadFields(const MenuControlRecord& record) override;
    // The text as loaded.
    void ResetToLoaded() override;

    // One key of the typing table: the Windows virtual key (the index of its
    // state), the keyboard code it is read from, and what it types with and
    // without Shift ("" = nothing).
    struct Key
    {
        int virtualKey;
        int keyCode;
        const char* shifted;
        const char* unshifted;
    };
    static const Key kKeys[];
    static const int kKeyCount;

    FontSlot* m_Font = nullptr;
    D3DCOLOR m_Colour = 0xFF9999FF;
    int32_t m_TextReserved = 0;
    char m_Text[kTextSize];
    // At most kMaxLength.
    int32_t m_MaxLength = 200;
    // Per virtual key: 1 once a press has been handled, 0 when up.
    int32_t m_KeyStates[kKeyStates] = {};
    // Milliseconds (the clock of timeGetTime) of the last Backspace deletion.
    uint32_t m_BackspaceTime = 0;
    int32_t m_BackspaceRepeating = 0;
    char m_LoadedText[kTextSize];
    // 1: refuse characters that would make the text wider than the field.
    int32_t m_Fit = 0;

  private:
    // typing = false only brings the key states up to date.
    void HandleKeys(bool typing);
    void HandleBackspace(uint32_t now);
};
