// One player profile: name, gender and difficulty, money, what the player
// owns, the five championship opponents, the race and tutorial progress and
// the best times. A new record holds what a new player starts with.
#pragma once

#include "race/BestTimeList.h"
#include "race/BuggyConfiguration.h"
#include "race/MountedPart.h"
#include "race/OpponentRecord.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

constexpr int PROFILE_NAME_SIZE = 260;
constexpr int PROFILE_AMMUNITION_COUNT = 4;
constexpr int PROFILE_OPPONENT_COUNT = 5;
constexpr int PROFILE_RACE_COUNT = 20;
constexpr int PROFILE_TUTORIAL_COUNT = 5;

class ProfileRecord
{
  public:
    // The defaults of a new profile, its buggy and opponents taken from the buggy database.
    ProfileRecord();
    ProfileRecord(const ProfileRecord&) = delete;
    ProfileRecord& operator=(const ProfileRecord&) = delete;

    // Gives each opponent its stats and its level-1 weapons and shield for a
    // race, then mounts them; running it again changes nothing.
    static void SetupOpponents(ProfileRecord* profile);

    // Model index of each default opponent's buggy.
    static const int kDefaultOpponentModels[PROFILE_OPPONENT_COUNT];
    static constexpr int kDefaultModel = 2;

    char name[PROFILE_NAME_SIZE] = "";
    int32_t gender = 1; // 1 male, 2 female
    int32_t difficultyChosen = 0;
    int32_t difficulty = 1; // 0, 1 or 2
    uint8_t tutorialOfferPending = 1;
    int32_t money = 5;
    // Not stored: 1 when every owned item fits the model last mounted.
    int32_t ownedItemsFit = 1;
    QV7_Collection<MountedPart> ownedItems;
    QV7_Collection<BuggyConfiguration> ownedBuggies;
    BuggyConfiguration* currentBuggy = nullptr;
    int32_t ammunition[PROFILE_AMMUNITION_COUNT] = {1000, 0, 1000, 0};
    OpponentRecord opponents[PROFILE_OPPONENT_COUNT];
    int32_t raceUnlocked[PROFILE_RACE_COUNT] = {1};
    int32_t raceWon[PROFILE_RACE_COUNT] = {};
    BestTimeList bestTimes[PROFILE_RACE_COUNT];
    int32_t tutorialUnlocked[PROFILE_TUTORIAL_COUNT] = {1};
    int32_t highestModel = 2;

  private:
    static void EquipDefaultBuggy(BuggyConfiguration& config, int model);
};
