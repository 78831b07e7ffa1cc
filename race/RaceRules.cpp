#include "race/RaceRules.h"

#include "race/QV7_Buggy.h"

#include <cstdio>

namespace race
{
bool IsAhead(const QV7_Buggy& a, const QV7_Buggy& b)
{
    if (a.lapCounter != b.lapCounter)
        return a.lapCounter > b.lapCounter;
    if (a.checkpointsPassed != b.checkpointsPassed)
        return a.checkpointsPassed > b.checkpointsPassed;
    return a.distanceToNext < b.distanceToNext;
}

int RacePosition(const std::vector<const QV7_Buggy*>& racers, size_t index)
{
    int position = 1;
    for (size_t j = 0; j < racers.size(); ++j)
        if (j != index && IsAhead(*racers[j], *racers[index]))
            ++position;
    return position;
}

namespace
{
bool Crosses(float remaining, float frameMs, float mark)
{
    return remaining >= mark && remaining - frameMs < mark;
}

// The four later grid lines go 600, 1100, 1600 and 2100 ms after the first.
constexpr float kLineDelays[4] = {-600.0f, -1100.0f, -1600.0f, -2100.0f};
const char* const kLineTexts[4] = {"Countdown GO! Second Line", "Countdown GO! Third Line",
                                   "Countdown GO! Forth Line", "Countdown GO! Fifth Line"};
} // namespace

std::vector<CountdownEvent> AdvanceCountdown(Countdown countdown, float frameMs)
{
    std::vector<CountdownEvent> events;
    bool running = false;
    for (int k = 0; k < QV7_MapSystem::kReleaseFlagCount; ++k)
        running = running || countdown.releaseFlags[k] == 1;
    if (!running || frameMs >= 500.0f)
        return events;
    float& t = countdown.remaining;
    if (Crosses(t, frameMs, 4000.0f))
        events.push_back({"Countdown Other Moves", CountdownEvent::NONE});
    const struct
    {
        float mark;
        const char* line;
        int display;
    } marks[3] = {{3000.0f, "Countdown 3", 4}, {2000.0f, "Countdown 2", 3}, {1000.0f, "Countdown 1", 2}};
    for (const auto& mark : marks)
        if (Crosses(t, frameMs, mark.mark))
        {
            events.push_back({mark.line, CountdownEvent::HORN});
            countdown.display = mark.display;
        }
    t -= frameMs;
    if (countdown.releaseFlags[0] == 1 && t < 0.0f)
    {
        countdown.releaseFlags[0] = 0;
        countdown.display = 1;
        events.push_back({"Countdown GO! First Line", CountdownEvent::LONG_HORN});
    }
    for (int k = 0; k < 4; ++k)
        if (countdown.releaseFlags[k + 1] == 1 && t < kLineDelays[k])
        {
            countdown.releaseFlags[k + 1] = 0;
            if (k == 1)
                countdown.display = 0;
            events.push_back({kLineTexts[k], CountdownEvent::NONE});
        }
    return events;
}

int NextHudState(int state, bool keyDown)
{
    if (keyDown)
    {
        if (state == 2)
            return 0;
        if (state == -1)
            return 1;
        return state;
    }
    if (state == 0)
        return -1;
    if (state == 1)
        return 2;
    return state;
}

BarFill FillBar(int top, int bottom, float current, float max)
{
    if (max <= 0.0f)
        return {bottom, 1.0f};
    const int height = bottom - top;
    return {top + int((max - current) / max * float(height)), 1.0f - current / max};
}

void FormatTime(char* out, size_t size, const char* caption, float ms)
{
    const float t = ms / 1000.0f;
    const int minutes = int(t / 60.0f);
    const int seconds = int(t) - 60 * minutes;
    std::snprintf(out, size, "%s %d:%.2d", caption, minutes, seconds);
}

void FormatLap(char* out, size_t size, const char* caption, int lap, RaceMode mode, bool computerDriven)
{
    if (lap > 4)
    {
        std::snprintf(out, size, "%s -/-", caption);
        return;
    }
    const bool twoLaps = computerDriven ? mode == RACE_MODE_QUICK_RACE
                                        : mode == RACE_MODE_QUICK_RACE || mode == RACE_MODE_TUTORIAL;
    std::snprintf(out, size, "%s %d/%d", caption, lap, twoLaps ? 2 : 4);
}

int FinishLap(RaceMode mode)
{
    switch (mode)
    {
    case RACE_MODE_QUICK_RACE:
        return 3;
    case RACE_MODE_TIME_TRIAL:
    case RACE_MODE_CHAMPIONSHIP:
        return 5;
    case RACE_MODE_TUTORIAL:
    default:
        return 0;
    }
}
} // namespace race
