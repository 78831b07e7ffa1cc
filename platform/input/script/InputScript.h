// A scripted player for automated runs: a text file of frame times, cursor
// moves, clicks and key presses, one command a line ('#' starts a comment):
//
//   ms N          the following frames last N milliseconds (1..1000, default 16)
//   wait N        N frames with nothing pressed
//   move X Y      the cursor to (X, Y) in an 800 x 600 window, from the next frame on
//   click [X Y]   (moving first) the left button down for one frame, up for the next
//   press KEY [N] KEY held for N frames (default 1), then released for one; KEY is
//                 a scan-code number or a key name (ESCAPE, RETURN, SPACE, F11, ...)
//   close         the end: the window is closed, as the player would close it
//
// The end of the script closes the window too, so a run never waits for a
// player who is not there.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace input::script
{
struct ScriptFrame
{
    uint32_t ms = 16;
    int cursorX = 400;
    int cursorY = 300;
    bool leftButton = false;
    std::vector<int> keys;
};

// One frame repeated count times.
struct ScriptStep
{
    ScriptFrame frame;
    int count = 1;
};

struct ParsedScript
{
    std::vector<ScriptStep> steps;
    // Empty when the whole text was understood; else "line N: what is wrong".
    std::string error;
};

// The steps in order. A script with an error has none: a run on a broken script
// ends at once instead of doing something its author did not mean.
ParsedScript ParseInputScript(const std::string& text);

// A key name of the input layer's code list (any case), or -1.
int KeyCodeByName(const std::string& name);
} // namespace input::script
