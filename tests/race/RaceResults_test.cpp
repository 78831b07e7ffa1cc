// The end of a race: the ranking rule and the table order, the player's
// place, the prize tables, the time texts and best-time insertion.
#include "race/RaceResults.h"

#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
ResultRow Row(int laps, int checkpoints, float distance, const char* name = "x")
{
    ResultRow row;
    row.laps = laps;
    row.checkpoints = checkpoints;
    row.distance = distance;
    std::strcpy(row.name, name);
    return row;
}

TEST(RaceResultsTest, RowsCompareByLapsThenCheckpointsThenDistance)
{
    struct Case
    {
        ResultRow a, b;
        int expected;
    };
    const Case cases[] = {
        {Row(3, 0, 900), Row(2, 9, 0), -1},  {Row(2, 9, 0), Row(3, 0, 900), 1},
        {Row(2, 5, 900), Row(2, 4, 0), -1},  {Row(2, 4, 100), Row(2, 4, 200), -1},
        {Row(2, 4, 200), Row(2, 4, 100), 1}, {Row(2, 4, 100), Row(2, 4, 100), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RaceResults::CompareResultRows(c.a, c.b), c.expected);
}

TEST(RaceResultsTest, OnlyTheFirstSixRowsAreSortedAndTiesKeepTheirOrder)
{
    // A quick race: two real rows (lap counters start at 1) above four empty ones.
    ResultRow rows[8] = {ResultRow(), Row(1, 3, 50, "b"),      ResultRow(), Row(1, 4, 10, "a"), ResultRow(),
                         ResultRow(), Row(9, 9, 0, "seventh"), ResultRow()};
    RaceResults::SortResultRows(rows);
    EXPECT_STREQ(rows[0].name, "a");
    EXPECT_STREQ(rows[1].name, "b");
    for (int i = 2; i < 6; ++i)
        EXPECT_STREQ(rows[i].name, "*");
    EXPECT_STREQ(rows[6].name, "seventh");
    ResultRow tie[8] = {Row(2, 2, 5, "player"), Row(2, 2, 5, "other")};
    RaceResults::SortResultRows(tie);
    EXPECT_STREQ(tie[0].name, "player");
}

TEST(RaceResultsTest, PositionsCountOnlyTheRacersAhead)
{
    QV7_Collection<QV7_Buggy> racers;
    const int laps[] = {2, 3, 2, 2}, checkpoints[] = {5, 0, 5, 6};
    const float distances[] = {100, 0, 100, 900};
    for (int i = 0; i < 4; ++i)
    {
        QV7_Buggy* racer = racers.Append(new QV7_Buggy());
        racer->lapCounter = laps[i];
        racer->checkpointsPassed = checkpoints[i];
        racer->distanceToNext = distances[i];
    }
    // Racer 2 is level with the player on everything: neither is ahead.
    EXPECT_EQ(RaceResults::RacePosition(racers, 0), 3);
    EXPECT_EQ(RaceResults::RacePosition(racers, 1), 1);
    EXPECT_EQ(RaceResults::RacePosition(racers, 2), 3);
    EXPECT_EQ(RaceResults::RacePosition(racers, 3), 2);
    EXPECT_EQ(RaceResults::PlayerPosition(racers), 3);
    // A computer-driven player counts as first.
    racers[0]->controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
    EXPECT_EQ(RaceResults::PlayerPosition(racers), 1);
}

TEST(RaceResultsTest, ARowOfARacerCutsALongName)
{
    QV7_Buggy racer;
    racer.lapCounter = 4;
    racer.bestLap = 61234.9f;
    const ResultRow row = RaceResults::RowOf(racer, " " + std::string(300, 'n'), 7);
    EXPECT_EQ(row.laps, 4);
    EXPECT_EQ(row.bestLap, 61234);
    EXPECT_EQ(row.items, 7);
    EXPECT_EQ(std::strlen(row.name), sizeof row.name - 1);
}

TEST(RaceResultsTest, TimesAndDatesAsThePagesShowThem)
{
    const std::pair<int, const char*> times[] = {{0, "0:00"},     {999, "0:00"},   {1000, "0:01"},
                                                 {59999, "0:59"}, {60000, "1:00"}, {754321, "12:34"}};
    for (const auto& [ms, text] : times)
        EXPECT_EQ(RaceResults::FormatLapTime(ms), text) << ms;
    std::tm t{};
    t.tm_year = 2026 - 1900, t.tm_mon = 1, t.tm_mday = 3, t.tm_hour = 4, t.tm_min = 5, t.tm_sec = 6;
    EXPECT_EQ(RaceResults::FormatDate(t), "02-03-2026 04:05:06");
}

TEST(RaceResultsTest, ABestTimeMovesUpToItsPlaceAndAnEqualOneStaysBehind)
{
    BestTimeList list;
    const std::tm t{};
    const int32_t laps[] = {50000, 40000, 60000, 40000, 45000};
    for (int32_t lap : laps)
        ASSERT_NE(RaceResults::RecordBestTime(list, t, lap, lap * 4, 3), nullptr);
    const int32_t expected[] = {40000, 40000, 45000, 50000, 60000};
    ASSERT_EQ(list.count, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(list[i]->bestLap, expected[i]) << i;
    // The older 40000 first (its total 160000 like the newer: told apart by the record).
    BestTimeRecord* newest = RaceResults::RecordBestTime(list, t, 40000, 1, 0);
    EXPECT_EQ(list[2], newest);
    EXPECT_EQ(newest->total, 1);
    EXPECT_STREQ(newest->date, "01-00-1900 00:00:00");
    // No finished lap: nothing is stored.
    EXPECT_EQ(RaceResults::RecordBestTime(list, t, 0, 90000, 5), nullptr);
    EXPECT_EQ(list.count, 6);
}

TEST(RaceResultsTest, PrizesByModeAndEarlierWin)
{
    struct Case
    {
        int mode, alreadyWon;
        int32_t prizes[8];
    };
    const Case cases[] = {
        {RACE_MODE_CHAMPIONSHIP, 0, {20000, 500, 250, 100, 50, 1, 0, 0}},
        {RACE_MODE_CHAMPIONSHIP, 1, {500, 0, 0, 0, 0, 0, 0, 0}},
        {RACE_MODE_QUICK_RACE, 0, {500, 0, 0, 0, 0, 0, 0, 0}},
        {RACE_MODE_TIME_TRIAL, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        int32_t prizes[8];
        RaceResults::Prizes(c.mode, c.alreadyWon, prizes);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(prizes[i], c.prizes[i])
                << "mode " << c.mode << " won " << c.alreadyWon << " place " << i;
    }
}
} // namespace
