// The SDL2 input back-end. It reads the keyboard and mouse state SDL keeps
// (current after the window layer's message pump has run), and opens every
// attached controller as an SDL game controller when SDL knows its mapping,
// as a raw joystick otherwise.
#pragma once

#include "platform/input/DirectInput.h"

#include <memory>

namespace input::sdl
{
HRESULT CreateDirectInput(std::unique_ptr<DirectInput>& out);
} // namespace input::sdl
