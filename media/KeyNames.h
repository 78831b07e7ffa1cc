// The names the key-binding pages show for every InputCode: each keyboard
// code by its DirectInput name ("ESCAPE", "RETURN", "LEFT"...), and each code
// of the selected controller's axes, hats and buttons.
#pragma once

#include "shell/GameSettings.h"

struct KeyNameEntry
{
    const char* name;
    InputCode code;
};

constexpr int KEY_NAME_COUNT = 204;
// Keyboard codes in ascending order, then the controller codes 500 to 511
// and 514 to 561.
extern const KeyNameEntry kKeyNames[KEY_NAME_COUNT];

// The name of the first table row with that code, or null when none has it
// (-1, 512, 513, undocumented keyboard codes...).
const char* GetKeyName(InputCode code);
