// The best times of one championship race: what the time-trial results page
// appends and a profile stores.
#pragma once

#include "shell/QV7_Collection.h"

#include <cstdint>

struct BestTimeRecord
{
    // "month-day-year hour:minute:second" as the results page writes it.
    char date[256] = "*";
    int32_t bestLap = 0; // ms
    int32_t total = 0;   // ms
    int32_t items = 0;   // items collected
};

using BestTimeList = QV7_Collection<BestTimeRecord>;
