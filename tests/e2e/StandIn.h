// The computer driver that stands in for the player at the wheel in the
// end-to-end run. Driving by script is impractical, so the player's racer
// gets the game's own computer driver for its wheels, while everything else
// about it stays the player's: its driver object (the HUD, the weapons, the
// tutorial and the race end read it), its place in the results, its prizes.
// The game is not told: the race judges the stand-in exactly as a player.
#pragma once

class QV7_Buggy;

namespace e2e
{
// For QV7_MapSystem::s_Hooks.attachPlayerController: the player's driver as
// the game attaches it, plus the stand-in at its wheels.
void AttachStandIn(QV7_Buggy& buggy);

// Race statistics of the stand-in, for the run's report.
struct StandInReport
{
    int respawns = 0;
    int wrongCheckpoints = 0;
};
const StandInReport& LastStandInReport();
} // namespace e2e
