// Races back to back in one process on the null back-ends, for finding what
// a long session leaks or grows: every demo island in turn, a new random
// seed each race, the player's buggy driven by the stand-in driver through
// the player's own keys. It reports the resident memory every so many races.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct SoakOptions
{
    int races = 1000;
    uint32_t seed = 1;
    int reportEvery = 100;
    // Frames (50 ms each) a race may take before the stand-in is carried
    // over its line; such races are counted, not hidden.
    int frameCap = 3000;
};

struct SoakReport
{
    int racesRun = 0;
    int loadFailures = 0; // did not load, or ended before it was raced
    int capped = 0;
    int respawnsAsked = 0;
    // VmRSS in kB after every reportEvery races.
    std::vector<long> residentKb;
    // The highest later report against the first (1.0: never above it).
    double growth = 1.0;
    bool Flat() const { return growth <= 1.05; }
    bool Passed() const { return loadFailures == 0 && racesRun > 0 && (residentKb.size() < 2 || Flat()); }
};

// Runs the races, printing a line per report to out (may be null).
SoakReport RunSoak(const SoakOptions& options, std::FILE* out);

// The process's resident memory, kB (0 when unknown).
long ResidentKb();
