// The race's rules that need no device: who is ahead, the countdown before
// the start, the HUD's hide latch and bar geometry, the HUD's texts and when
// a race is over. The HUD, the results pages and the finale share them.
#pragma once

#include "race/QV7_MapSystem.h"

#include <cstddef>
#include <vector>

class QV7_Buggy;

namespace race
{
// a is ahead of b: more laps, or as many laps and more checkpoints, or both
// equal and less distance left to the next checkpoint. Full ties are not ahead.
bool IsAhead(const QV7_Buggy& a, const QV7_Buggy& b);

// 1 + the racers of the list ahead of racers[index].
int RacePosition(const std::vector<const QV7_Buggy*>& racers, size_t index);

// What one countdown frame did: console lines and horns, in order.
struct CountdownEvent
{
    enum Sound
    {
        NONE,
        HORN,
        LONG_HORN
    };
    const char* line;
    Sound sound;
};

// The countdown state the session keeps.
struct Countdown
{
    float& remaining;
    int* releaseFlags; // five
    int& display;
};

// One frame of frameMs of the countdown; frames of 500 ms or more (a hitch,
// a load) are not counted. Does nothing once every release flag is down.
std::vector<CountdownEvent> AdvanceCountdown(Countdown countdown, float frameMs);

// The HUD state after a frame with the HideHUD key down or up: 1 and 2 show
// the HUD, 0 and -1 hide it; a held key toggles once.
int NextHudState(int state, bool keyDown);

// A bar's top (pixels) and picture start for current of max over top..bottom;
// empty (top = bottom, start 1) when max is not positive.
struct BarFill
{
    int top;
    float vOffset;
};
BarFill FillBar(int top, int bottom, float current, float max);

// "caption m:ss" of a time in milliseconds.
void FormatTime(char* out, size_t size, const char* caption, float ms);
// "caption lap/2" or "/4" by mode, "caption -/-" past the fourth lap.
void FormatLap(char* out, size_t size, const char* caption, int lap, RaceMode mode, bool computerDriven);

// The lap the player's race ends on by mode; 0 for a tutorial (it ends when the lesson says).
int FinishLap(RaceMode mode);
} // namespace race
