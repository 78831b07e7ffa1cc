// The end pages of a race over its frozen picture: the time trial's best
// times ("ID_END_MENU_TIME") and the results table of a championship or
// quick race ("ID_END_MENU"). Filling a page pays the collected currency
// (and the prize) into the current profile, records the run's best time and
// decides the won flag; running it shows it until "IDOK" or Enter, then fades
// it out. QV7_MapSystem's ShowTimeTrialResults and ShowRaceResults run both
// halves for the session.
#pragma once

#include "shell/QV7_Collection.h"

#include <ctime>

class QV7_Buggy;
class QV7_MapSystem;
class QV7_RenderSurface;

// What the pages need of the race.
struct ResultsRace
{
    const QV7_Collection<QV7_Buggy>* racers = nullptr; // the player's racer first
    int mode = 0;
    int raceIndex = 0;
    int alreadyWon = 0;
    int won = 0;
    QV7_RenderSurface* frozen = nullptr; // the picture under the page
    int* deviceReset = nullptr;          // set after a reset: the picture is drawn again
    void (*redrawFrozen)(ResultsRace& race) = nullptr;
    QV7_MapSystem* session = nullptr;
};

class QV7_ResultsPages
{
  public:
    static void FillTimeTrial(ResultsRace& race);
    static void FillRace(ResultsRace& race);
    static void Run(ResultsRace& race);

    static std::tm LocalNow();
    // The time a best-time record is dated with.
    static std::tm (*s_Now)();
};
