// Runs an input script (see InputScript.h) in place of the player. The
// variable QV7_INPUT_SCRIPT names the file; when it is set the input layer
// uses its null back-end, whatever the video back-end, and the script alone
// moves its state. Time moves with the script too: a manual clock takes the
// place of the real one and advances by each frame's milliseconds, so a run
// takes the same frames whatever the machine's speed.
#pragma once

#include "platform/input/script/InputScript.h"

namespace input::script
{
// A program that embeds the game can play it itself instead of a script
// file: the source fills each frame as it comes, having looked at the game
// (false: the player is done, and the window closes as at a script's end).
// Set it before Start; the frames then travel the same path as a file's.
using FrameSource = bool (*)(ScriptFrame& frame);
void SetFrameSource(FrameSource source);

// QV7_INPUT_SCRIPT is set, or a frame source was given.
bool Requested();
// Reads and parses the script (once; later calls do nothing) and puts the
// manual clock in place: call it before anything measures time. A script that cannot be read or parsed is reported
// on stderr and runs as an empty script, so the window closes at once.
void Start();
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
