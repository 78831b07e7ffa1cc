// Runs an input script (see InputScript.h) in place of the player. The
// variable QV7_INPUT_SCRIPT names the file; when it is set the input layer
// uses its null back-end, whatever the video back-end, and the script alone
// moves its state. Time moves with the script too: a manual clock takes the
// place of the real one and advances by each frame's milliseconds, so a run
// takes the same frames whatever the machine's speed.
#pragma once

#include "platform/input/script/InputScript.h"

#include <string>

namespace input::script
{
// QV7_INPUT_SCRIPT is set.
bool Requested();
// Reads and parses the script (once; later calls do nothing) and puts the
// manual clock in place: call it before anything measures time. A script that cannot be read or parsed is reported
// on stderr and runs as an empty script, so the window closes at once.
void Start();
// The same with the script's text itself (for programs that play the game
// in-process): the input layer's null back-end must then be chosen by
// QV7_BACKEND=null or QV7_INPUT_BACKEND=null.
void StartText(const std::string& text);
// An automated player's own part of each frame: called with the script's
// frame before it is applied, it may press keys, move the cursor or click
// (the soak's and the tests' stand-in drivers do). It returns false to hold
// the script where it is (the frame is still played, with its changes), as
// while a race runs that a stand-in drives.
using FrameHook = bool (*)(ScriptFrame& frame);
void SetFrameHook(FrameHook hook);
// What the frame just begun holds, so that the caller can queue the window
// messages a real keyboard and mouse would have sent.
struct FrameEvents
{
    bool running = false; // false once the script is over
    bool keyDown = false;
    bool leftButtonDown = false;
};
// The frame gate calls this once per drawn frame while a script runs: the
// next frame's cursor, buttons and keys go into the null input's state and
// the clock moves on by its milliseconds.
FrameEvents AdvanceFrame();
// A script was started.
bool Running();
} // namespace input::script
