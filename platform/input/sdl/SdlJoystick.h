// Game controllers over SDL2. A pad SDL has a mapping for is read through the
// game-controller interface in one fixed layout: left stick X and Y, left
// trigger as Z and right trigger as Z rotation (both from the centre of the
// range towards its maximum, so a released trigger reads as centred), right
// stick as X and Y rotation, the d-pad as hat 0, and the buttons A, B, X, Y,
// left and right shoulder, back, start, left and right stick, guide, then the
// extra buttons. Any other controller is read raw: its first six axes, the
// next two as sliders, up to four hats and 128 buttons.
//
// Force feedback uses SDL's rumble where the controller offers it, else the
// haptic interface's rumble; a controller with neither has none.
#pragma once

#include "platform/input/DirectInput.h"

#include <memory>
#include <string>

namespace input::sdl
{
// The product name of attached controller index as the game shows it.
std::string JoystickProductName(int index);
// Opens attached controller index; haptic says whether SDL's haptic
// interface is there to fall back on.
HRESULT OpenJoystick(int index, bool haptic, std::unique_ptr<Joystick>& out);

// Value of an SDL stick axis (-32768 to 32767) in the range minimum..maximum.
int32_t ScaleStickAxis(int value, int32_t minimum, int32_t maximum);
// Value of an SDL trigger (0 to 32767) from the centre of the range to its maximum.
int32_t ScaleTriggerAxis(int value, int32_t minimum, int32_t maximum);
// DirectInput hat value (hundredths of a degree, or centred) of an SDL hat.
uint32_t PovOfHat(uint8_t hat);
} // namespace input::sdl
