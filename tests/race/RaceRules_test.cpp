// The race rules the HUD, the results and the finale share: who is ahead,
// the countdown's frames, the HUD's hide latch, the bars and the texts.
#include "race/QV7_Buggy.h"
#include "race/RaceRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct Standing
{
    int lap, checkpoints;
    float distance;
};

TEST(RaceRulesTest, PositionByLapsThenCheckpointsThenDistanceWithTiesBehind)
{
    struct Case
    {
        std::vector<Standing> racers;
        int playerPosition;
    };
    const Case cases[] = {
        {{{2, 0, 500}, {1, 9, 10}}, 1},               // more laps beat more checkpoints
        {{{2, 3, 500}, {2, 4, 900}}, 2},              // then checkpoints
        {{{2, 3, 500}, {2, 3, 400}, {2, 3, 600}}, 2}, // then the smaller distance
        {{{2, 3, 500}, {2, 3, 500}, {2, 3, 500}}, 1}, // a full tie keeps racer 0 ahead
        {{{1, 0, 0}, {3, 0, 0}, {2, 0, 0}, {4, 1, 0}}, 4},
    };
    for (const Case& c : cases)
    {
        std::vector<QV7_Buggy> owned(c.racers.size());
        std::vector<const QV7_Buggy*> racers;
        for (size_t i = 0; i < c.racers.size(); ++i)
        {
            owned[i].lapCounter = c.racers[i].lap;
            owned[i].checkpointsPassed = c.racers[i].checkpoints;
            owned[i].distanceToNext = c.racers[i].distance;
            racers.push_back(&owned[i]);
        }
        EXPECT_EQ(race::RacePosition(racers, 0), c.playerPosition);
    }
}

struct CountdownRun
{
    float remaining = 4000.0f;
    int flags[5] = {1, 1, 1, 1, 1};
    int display = 0;
    std::vector<std::string> lines;
    std::vector<int> sounds;

    void Frame(float ms)
    {
        for (const race::CountdownEvent& event : race::AdvanceCountdown({remaining, flags, display}, ms))
        {
            lines.emplace_back(event.line);
            sounds.push_back(int(event.sound));
        }
    }
};

TEST(RaceRulesTest, CountdownCrossingsReleaseTheGridLineByLine)
{
    CountdownRun run;
    run.Frame(0.0f); // standing at 4000 is not a crossing
    EXPECT_TRUE(run.lines.empty());
    run.Frame(1.0f);
    EXPECT_EQ(run.lines, std::vector<std::string>{"Countdown Other Moves"});
    const int displays[] = {4, 3, 2};
    for (int display : displays)
    {
        for (int i = 0; i < 4; ++i)
            run.Frame(250.0f);
        EXPECT_EQ(run.display, display);
        run.Frame(500.0f); // a frame of half a second or more is not counted
    }
    EXPECT_EQ(run.lines.back(), "Countdown 1");
    EXPECT_EQ(run.remaining, 999.0f);
    run.Frame(499.0f);
    run.Frame(499.0f);
    run.Frame(1.0f); // exactly 0: not yet
    EXPECT_EQ(run.flags[0], 1);
    run.Frame(1.0f);
    EXPECT_EQ(run.flags[0], 0);
    EXPECT_EQ(run.display, 1);
    EXPECT_EQ(run.lines.back(), "Countdown GO! First Line");
    EXPECT_EQ(run.sounds.back(), int(race::CountdownEvent::LONG_HORN));
    // 300 ms frames from -1: the later lines go below -600, -1100, -1600 and -2100.
    const int flagsAfter[][5] = {{0, 1, 1, 1, 1}, {0, 0, 1, 1, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 1, 1},
                                 {0, 0, 0, 1, 1}, {0, 0, 0, 0, 1}, {0, 0, 0, 0, 0}};
    for (const auto& expected : flagsAfter)
    {
        run.Frame(300.0f);
        EXPECT_EQ(std::vector<int>(run.flags, run.flags + 5), std::vector<int>(expected, expected + 5))
            << run.remaining;
    }
    EXPECT_EQ(run.display, 0);
    EXPECT_EQ(run.lines.back(), "Countdown GO! Fifth Line");
    const size_t count = run.lines.size();
    run.Frame(100.0f);
    EXPECT_EQ(run.lines.size(), count); // nothing runs once every line is away
    int horns = 0;
    for (int sound : run.sounds)
        horns += sound == int(race::CountdownEvent::HORN);
    EXPECT_EQ(horns, 3);
}

TEST(RaceRulesTest, HideHudTogglesOncePerPress)
{
    int state = 1;
    std::vector<int> states;
    for (bool down : {false, true, true, true, false, false, true, true, false})
        states.push_back(state = race::NextHudState(state, down));
    EXPECT_EQ(states, (std::vector<int>{2, 0, 0, 0, -1, -1, 1, 1, 2}));
}

TEST(RaceRulesTest, BarsFillFromTheBottomAndAnEmptyMaximumDrawsNothing)
{
    EXPECT_EQ(race::FillBar(100, 200, 100.0f, 100.0f).top, 100);
    EXPECT_EQ(race::FillBar(100, 200, 25.0f, 100.0f).top, 175);
    EXPECT_FLOAT_EQ(race::FillBar(100, 200, 25.0f, 100.0f).vOffset, 0.75f);
    EXPECT_EQ(race::FillBar(100, 200, 0.0f, 0.0f).top, 200);
}

TEST(RaceRulesTest, TimeAndLapTexts)
{
    char text[64];
    race::FormatTime(text, sizeof text, "Lap", 125999.0f);
    EXPECT_STREQ(text, "Lap 2:05");
    race::FormatTime(text, sizeof text, "Best", 0.0f);
    EXPECT_STREQ(text, "Best 0:00");
    struct Case
    {
        int lap;
        RaceMode mode;
        bool computer;
        const char* text;
    };
    const Case cases[] = {
        {1, RACE_MODE_QUICK_RACE, false, "Lap 1/2"},   {2, RACE_MODE_TUTORIAL, false, "Lap 2/2"},
        {3, RACE_MODE_CHAMPIONSHIP, false, "Lap 3/4"}, {5, RACE_MODE_CHAMPIONSHIP, false, "Lap -/-"},
        {1, RACE_MODE_TUTORIAL, true, "Lap 1/4"},      {1, RACE_MODE_QUICK_RACE, true, "Lap 1/2"},
    };
    for (const Case& c : cases)
    {
        race::FormatLap(text, sizeof text, "Lap", c.lap, c.mode, c.computer);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(RaceRulesTest, GridLinesWaitForTheirReleaseFlag)
{
    const int expected[] = {0, 0, 1, 2, 3, 4, 4};
    for (int racer = 0; racer < 7; ++racer)
        EXPECT_EQ(QV7_MapSystem::ReleaseFlagIndex(racer), expected[racer]) << racer;
    EXPECT_EQ(race::FinishLap(RACE_MODE_QUICK_RACE), 3);
    EXPECT_EQ(race::FinishLap(RACE_MODE_CHAMPIONSHIP), 5);
}
} // namespace
