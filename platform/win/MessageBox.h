// The game's error dialogs. The text always goes to stderr, so headless runs
// and logs keep it; a dialog appears only when someone can see it, so a test
// or a run without a display never blocks on a button nobody can press.
#pragma once

namespace win
{
// Flag and result values as Win32 defines them.
enum : unsigned
{
    MB_OK = 0x0,
    MB_ICONERROR = 0x10,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
enum : int
{
    IDOK = 1
};

// window is accepted for the shape of the call only: the dialog has no
// parent, so it shows even before or after the game window exists.
int MessageBoxA(void* window, const char* text, const char* caption, unsigned flags);
} // namespace win
