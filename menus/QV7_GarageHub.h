// The career hub (page ID_INGAME): the current buggy turning between its
// owned neighbours, its statistics and the money, and the way to the shop,
// the weapons, a new buggy, selling, the races and back to the main menu.
#pragma once

class ProfileRecord;
class BuggyConfiguration;

// The hub's models turn by 0.001 x frame ms per hub frame; never reset.
extern float g_hubYaw;

void RunGarageHub();
// Makes ID_INGAME current and prepares its pictures and captions (also done
// by the start of a career before its fade-in).
void EnterGarageHubPage();
// The statistics, money and buggy name of the current profile's current buggy.
void WriteHubTexts();

// 1 for yes; 0 for no or a quit.
int ShowSellBuggyConfirm();
void ShowSellBuggyPopup();
int ShowGarageExitPopup();

// What selling a configuration brings: the model's resale value and that of every mounted part.
int BuggySaleValue(const BuggyConfiguration& config);
// Sells the current buggy (never the last one owned: false then); the last owned becomes current.
bool SellCurrentBuggy(ProfileRecord& profile);
// Moves the current buggy one place along the owned list (-1 or +1), stopping at the ends.
void StepCurrentBuggy(ProfileRecord& profile, int step);
// The owned buggy at offset -1, 0 or +1 from the current one; null past the ends.
BuggyConfiguration* OwnedNeighbour(const ProfileRecord& profile, int offset);
