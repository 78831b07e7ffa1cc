// The scripted player of the end-to-end run. Each frame the game draws it
// looks at the menu page on screen (or the race) and decides what a player
// would do there: which control to click (found by its id, clicked at the
// middle of its rectangle), which keys to press, or to wait. Its clicks and
// keys are handed to the input layer as script frames, so they travel the
// same path as a real mouse and keyboard. It keeps the run's log of checks.
#pragma once

#include "platform/input/script/InputScript.h"

#include <string>
#include <vector>

namespace e2e
{
struct Plan
{
    // Tutorials to play (in order from the first) and championship races to win.
    int tutorials = 1;
    int races = 2;
    // Second run: only go to the pilot's garage and compare with what was saved.
    bool verify = false;
    // The expected state (verify), or where to write it at the end (play).
    std::string stateFile;
    // Typed without shift: lower case.
    std::string pilotName = "robot";
    // Frames a race may take before the run fails (it must end by itself).
    int raceFrameCap = 40000;
};

// Installs the hooks (the stand-in driver, the race observers) and the
// player at the input layer's frame hook. Before ProcessEntry.
void InstallPlayer(const Plan& plan);
// The failures seen (empty: every check passed) and the notes of the run.
const std::vector<std::string>& Failures();
void Note(const std::string& line);
// Called after ProcessEntry: the run's own end checks.
void CheckRunComplete();
} // namespace e2e
