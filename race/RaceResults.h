// What the end of a race decides: the results table's rows and their order,
// the player's place, the prize money, the lap-time texts and the best-time
// record a run adds to the profile. The end pages (QV7_MapSystem's
// ShowRaceResults and ShowTimeTrialResults), the HUD's position and the
// championship finale all rank racers by the same rule.
#pragma once

#include "race/BestTimeList.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <ctime>
#include <string>

class QV7_Buggy;

// One line of the results table.
struct ResultRow
{
    float distance = 0.0f; // to the next checkpoint
    int32_t checkpoints = 0;
    int32_t laps = 0;
    char name[200] = "*";
    int32_t bestLap = 0; // ms
    int32_t items = 0;
};

class RaceResults
{
  public:
    static constexpr int kRows = 8;
    static constexpr int kSortedRows = 6;

    // < 0: a goes before b; > 0: b before a; 0: neither. More laps first, then
    // more checkpoints passed, then the smaller distance to the next checkpoint.
    static int CompareResultRows(const ResultRow& a, const ResultRow& b);
    // The first six rows in that order; rows that compare equal keep their order.
    static void SortResultRows(ResultRow* rows);
    // 1 + the racers ahead of racer index by the same rule; a racer level on
    // everything is not ahead.
    static int RacePosition(const QV7_Collection<QV7_Buggy>& racers, int index);
    // The player's place on the results page: a computer-driven player counts as first.
    static int PlayerPosition(const QV7_Collection<QV7_Buggy>& racers);

    // The row of a racer: its laps, checkpoints, distance, best lap, with name and items given.
    static ResultRow RowOf(const QV7_Buggy& racer, const std::string& name, int32_t items);

    // "%d:%.2d" minutes and seconds of a time in ms.
    static std::string FormatLapTime(int32_t ms);
    // "%02d-%02d-%02d %02d:%02d:%02d": month, day, four-digit year, hour, minute, second.
    static std::string FormatDate(const std::tm& time);

    // Appends the run to the list and moves it up by one pass from the end
    // (an equal best lap stays behind the older record). A run without a
    // finished lap (best lap 0) is not recorded: null.
    static BestTimeRecord* RecordBestTime(BestTimeList& list, const std::tm& time, int32_t bestLap,
                                          int32_t total, int32_t items);

    // The prize of each of the eight places: a championship race not won
    // before pays 20000, 500, 250, 100, 50, 1; a race won before and a quick
    // race 500 for the first place only; other modes nothing.
    static void Prizes(int raceMode, int alreadyWon, int32_t prizes[kRows]);
};
