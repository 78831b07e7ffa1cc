// Choosing a race from the garage: the race type page, the championship and
// tutorial (simulator) lists from the maps database, the pilots' pages, and
// running the chosen race with what its outcome unlocks.
#pragma once

class ProfileRecord;
class QV7_Menu_List;

void RunRaceTypePage();
// 1 for yes; 0 for no or a quit.
int ShowTutorialPopup();
// 1 after a race was run, 0 otherwise.
int RunChampionshipPage();
// 1 after the last tutorial was finished, 0 when left.
int RunSimulatorPage();
// 0 on IDOK, 2 on a quit.
int ShowChampionshipProfile(int pilot);
int ShowSimulatorProfile(int pilot);
void ShowMessagePopup(const char* pageId);

// Row colours of the race lists.
constexpr unsigned kRaceRowSecondColour = 0xffb1b1ff;
constexpr unsigned kRaceRowLockedColour = 0xff4b4c6d;
constexpr unsigned kRaceRowLockedSecondColour = 0xff5b5c7d;
constexpr unsigned kRaceRowCurrentColour = 0xff9999ff;
constexpr unsigned kRaceRowPlaceholderColour = 0xff35364c;
constexpr unsigned kRaceRowPlaceholderSecondColour = 0xff5b5c7d;
constexpr int kPlaceholderRaceRows = 18;

// The championship list's rows for a profile: one per race of the list, then
// the placeholder rows; the selection is the current race.
void FillChampionshipList(QV7_Menu_List& list, const ProfileRecord& profile);
void FillTutorialList(QV7_Menu_List& list, const ProfileRecord& profile);
// What winning championship race i (or finishing tutorial t) unlocks in the profile.
void RecordChampionshipWin(ProfileRecord& profile, int race);
void RecordTutorialWin(ProfileRecord& profile, int tutorial);
