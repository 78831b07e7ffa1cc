// The ranking rule, the table order, prizes, time texts and best times.
#include "race/RaceResults.h"

#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

int RaceResults::CompareResultRows(const ResultRow& a, const ResultRow& b)
{
    if (a.laps != b.laps)
        return a.laps > b.laps ? -1 : 1;
    if (a.checkpoints != b.checkpoints)
        return a.checkpoints > b.checkpoints ? -1 : 1;
    if (a.distance != b.distance)
        return a.distance < b.distance ? -1 : 1;
    return 0;
}

void RaceResults::SortResultRows(ResultRow* rows)
{
    std::stable_sort(rows, rows + kSortedRows,
                     [](const ResultRow& a, const ResultRow& b) { return CompareResultRows(a, b) < 0; });
}

ResultRow RaceResults::RowOf(const QV7_Buggy& racer, const std::string& name, int32_t items)
{
    ResultRow row;
    row.laps = racer.lapCounter;
    row.checkpoints = racer.checkpointsPassed;
    row.distance = racer.distanceToNext;
    row.bestLap = int32_t(racer.bestLap);
    row.items = items;
    // Profile names are longer than the table's column: cut, never overrun.
    std::snprintf(row.name, sizeof row.name, "%s", name.c_str());
    return row;
}

int RaceResults::RacePosition(const QV7_Collection<QV7_Buggy>& racers, int index)
{
    if (index < 0 || index >= racers.count)
        return 0;
    const ResultRow self = RowOf(*racers.items[index], "", 0);
    int position = 1;
    for (int k = 0; k < racers.count; ++k)
        if (k != index && CompareResultRows(RowOf(*racers.items[k], "", 0), self) < 0)
            ++position;
    return position;
}

int RaceResults::PlayerPosition(const QV7_Collection<QV7_Buggy>& racers)
{
    if (racers.count == 0 || racers.items[0]->controllerKind == QV7_Buggy::CONTROLLER_COMPUTER)
        return 1;
    return RacePosition(racers, 0);
}

std::string RaceResults::FormatLapTime(int32_t ms)
{
    const float s = float(ms) / 1000.0f;
    const int minutes = int(std::trunc(s / 60.0f));
    const int seconds = int(std::trunc(s)) - 60 * minutes;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%.2d", minutes, seconds);
    return text;
}

std::string RaceResults::FormatDate(const std::tm& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday,
                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

BestTimeRecord* RaceResults::RecordBestTime(BestTimeList& list, const std::tm& time, int32_t bestLap,
                                            int32_t total, int32_t items)
{
    if (bestLap == 0)
        return nullptr;
    BestTimeRecord* record = list.Add();
    std::snprintf(record->date, sizeof record->date, "%s", FormatDate(time).c_str());
    record->bestLap = bestLap;
    record->total = total;
    record->items = items;
    for (int i = list.count - 1; i >= 1; --i)
        if (list.items[i]->bestLap < list.items[i - 1]->bestLap)
            std::swap(list.items[i], list.items[i - 1]);
    return record;
}

void RaceResults::Prizes(int raceMode, int alreadyWon, int32_t prizes[kRows])
{
    static const int32_t kFirstWin[kRows] = {20000, 500, 250, 100, 50, 1, 0, 0};
    std::fill(prizes, prizes + kRows, 0);
    if (raceMode == RACE_MODE_CHAMPIONSHIP && !alreadyWon)
        std::copy(kFirstWin, kFirstWin + kRows, prizes);
    else if (raceMode == RACE_MODE_CHAMPIONSHIP || raceMode == RACE_MODE_QUICK_RACE)
        prizes[0] = 500;
}
