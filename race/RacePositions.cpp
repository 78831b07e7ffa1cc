// Race positions of every racer from laps, checkpoints and distance.
#include "race/RacePositions.h"

#include "race/QV7_Buggy.h"

bool RacePositions::Ahead(const QV7_Buggy& a, const QV7_Buggy& b)
{
    if (a.lapCounter != b.lapCounter)
        return a.lapCounter > b.lapCounter;
    if (a.checkpointsPassed != b.checkpointsPassed)
        return a.checkpointsPassed > b.checkpointsPassed;
    return a.distanceToNext < b.distanceToNext;
}

void RacePositions::Compute(const QV7_Collection<QV7_Buggy>& racers)
{
    for (QV7_Buggy* racer : racers)
    {
        int position = 1;
        for (const QV7_Buggy* other : racers)
            if (other != racer && Ahead(*other, *racer))
                ++position;
        racer->racePosition = position;
    }
}
