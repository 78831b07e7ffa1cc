// One computer opponent of a profile's championship: its buggy, the weapons
// and shield it is given before a race, and their four stats.
#pragma once

#include "race/BuggyConfiguration.h"
#include "race/MountedPart.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

class OpponentRecord
{
  public:
    OpponentRecord()
    {
        configuration.ownerParts = &ownedParts;
        configuration.ownerStats = stats;
    }
    OpponentRecord(const OpponentRecord&) = delete;
    OpponentRecord& operator=(const OpponentRecord&) = delete;

    int32_t firstValue = 4;
    int32_t stats[4] = {};
    QV7_Collection<MountedPart> ownedParts;
    BuggyConfiguration configuration;
    int32_t lastValue = 0;
};
