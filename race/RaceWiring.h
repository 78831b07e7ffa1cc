// The one place where the race's parts are joined up: the race loop's
// frame, the physics step's drivers, the racers' drawing, the in-race pages,
// the effects every part asks for, the weapons, teleporters, moving scenery,
// track items and the debug console all get their hooks here.
#pragma once

class QV7_MapSystem;

class RaceWiring
{
  public:
    // Once at start-up: every hook that lives for the whole program, and
    // the session hooks that call SessionStart and SessionEnd.
    static void Install();
    // After the island is loaded: the racers' effect slots, driver figures,
    // the checkpoint marker effect and the moving scenery's carry.
    static void SessionStart(QV7_MapSystem& session);
    // First thing at the session end: nothing keeps pointing into it.
    static void SessionEnd(QV7_MapSystem& session);
    static bool Installed();
};
