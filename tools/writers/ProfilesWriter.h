// Writer of Profiles.dtx from a plain description of its fields, for test
// fixtures and fuzz seeds: any value can be written, including what the game
// never writes (unknown item indices, a current buggy outside the list, a
// foreign record size), so readers can be shown odd files.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ProfilePartEntry
{
    int32_t item = 0;
    std::array<float, 16> mount = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; // row-major
    int32_t visible = 0;
};

struct ProfileBuggyEntry
{
    int32_t model = 0; // item index
    std::vector<ProfilePartEntry> parts;
};

struct ProfileBestTimeEntry
{
    std::string date = "*";
    int32_t bestLap = 0;
    int32_t total = 0;
    int32_t items = 0;
};

struct ProfileOpponentEntry
{
    int32_t firstValue = 4;
    std::array<int32_t, 4> stats = {};
    int32_t lastValue = 0;
    std::vector<ProfilePartEntry> ownedParts;
    int32_t model = 0; // item index
    std::vector<ProfilePartEntry> parts;
};

// Defaults as a new profile has them, with empty lists and item index 0.
struct ProfileEntry
{
    std::string name = "A";
    int32_t gender = 1;
    int32_t difficultyChosen = 0;
    int32_t difficulty = 1;
    uint8_t tutorialOfferPending = 1;
    int32_t money = 5;
    std::vector<int32_t> ownedItems;
    std::vector<ProfileBuggyEntry> buggies;
    int32_t currentBuggy = -1;
    std::array<int32_t, 4> ammunition = {1000, 0, 1000, 0};
    std::array<int32_t, 20> raceUnlocked = {1};
    std::array<int32_t, 20> raceWon = {};
    std::array<int32_t, 5> tutorialUnlocked = {1};
    int32_t highestModel = 2;
    std::array<std::vector<ProfileBestTimeEntry>, 20> bestTimes;
    std::array<ProfileOpponentEntry, 5> opponents;
};

constexpr int32_t kProfilesRecordSize = 1064;

BinaryWriter BuildProfilesFile(const std::vector<ProfileEntry>& profiles,
                               int32_t recordSize = kProfilesRecordSize);
void WriteProfileEntry(const ProfileEntry& profile, BinaryWriter& file);

// A varied profile: every list filled, odd values in every field.
ProfileEntry SampleProfileEntry(const std::string& name, int32_t seed);
