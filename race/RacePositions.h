// Every racer's race position, once a frame before the drivers drive: more
// laps lead, then more checkpoints passed, then the shorter distance to the
// next checkpoint; a racer level with another stays behind it (both keep the
// higher place).
#pragma once

#include "shell/QV7_Collection.h"

class QV7_Buggy;

class RacePositions
{
  public:
    // True when a is strictly ahead of b.
    static bool Ahead(const QV7_Buggy& a, const QV7_Buggy& b);
    static void Compute(const QV7_Collection<QV7_Buggy>& racers);
};
