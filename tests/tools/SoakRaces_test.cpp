// A short soak: one quick race on each demo island back to back in one
// process on the null back-ends, the player's buggy driven by the stand-in
// through the player's own keys. Every race loads, is raced (the stand-in at
// the wheel for a minute of the game's time at most, then carried over its
// line) and ends through the results page; the sanitizer build's leak check
// sees the whole run. scripts/soak.sh runs the long form.
#include "tools/soak/SoakRaces.h"

#include <gtest/gtest.h>

TEST(SoakRaces, ARaceOnEachIslandLoadsRunsAndEndsInOneProcess)
{
    SoakOptions options;
    options.races = 3;
    options.seed = 11;
    options.reportEvery = 3;
    options.frameCap = 1200;
    const SoakReport report = RunSoak(options, stdout);
    EXPECT_EQ(report.racesRun, 3);
    EXPECT_EQ(report.loadFailures, 0);
    ASSERT_EQ(report.residentKb.size(), 1u);
    EXPECT_GT(report.residentKb[0], 0);
}
