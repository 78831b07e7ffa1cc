// The one table from SDL scancodes (USB usage positions) to the keyboard codes
// of the input layer (DirectInput scan codes).
#pragma once

#include <cstdint>

namespace input::sdl
{
// The keyboard code of an SDL scancode; 0 for a key the layer has no code for.
uint8_t KeyCodeOfScancode(int sdlScancode);
// The SDL scancode that gives a keyboard code; 0 (unknown) when none does.
int ScancodeOfKeyCode(uint8_t keyCode);
} // namespace input::sdl
