// The debug console's commands that reach into the race session, its racers
// and the current profile. Install hands them to the console; a command
// whose target does not exist (no race, no profile, a part of the race not
// loaded) changes nothing and says so.
#pragma once

#include <string>

class QV7_Buggy;

// Parts of the race reached through their owners; each hook returns false
// when its object does not exist. Unset hooks count as not existing.
struct DebugCommandTargets
{
    bool (*checkpointsDebug)(int on) = nullptr; // passes logged and gates drawn
    bool (*checkpointsShown)(int shown) = nullptr;
    bool (*staticObjectsShown)(int shown) = nullptr;
    bool (*treesShown)(int shown) = nullptr;
    // After the viewed buggy's camera became the free camera: its angles back to 0.
    void (*freeCameraReset)(QV7_Buggy& viewed) = nullptr;
};

class QV7_DebugCommands
{
  public:
    // Makes the console run these commands, and the camera follow the
    // session's movie mode.
    static void Install();
    // One console command (QV7_DebugConsole::Command) with its lower-case
    // text; returns the reply line.
    static std::string Run(int command, const std::string& text);

    static DebugCommandTargets s_Targets;
};
