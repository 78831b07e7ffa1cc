// The key bindings held in the settings object: back to the keyboard
// defaults, and written to the [Keys] section of Settings.ini.
#pragma once

// Sets all 26 binding pairs of g_windowsData's settings to their keyboard
// defaults; writes nothing to disk.
void ResetKeyBindings();

// Writes every binding pair to Settings.ini in the program folder, section
// Keys, as Key1_<action> and Key2_<action> in action order, each a decimal
// integer.
void SaveKeyBindings();
