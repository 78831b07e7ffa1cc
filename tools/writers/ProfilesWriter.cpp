// Profiles.dtx from its field description: the record size, the count, then
// each profile's fields in their stored order.
#include "tools/writers/ProfilesWriter.h"

#include "shell/QV7_Globals.h"

namespace
{
template <size_t N> void WriteInts(const std::array<int32_t, N>& values, BinaryWriter& file)
{
    for (int32_t value : values)
        file.WriteInt32(value);
}

void WriteParts(const std::vector<ProfilePartEntry>& parts, BinaryWriter& file)
{
    file.WriteInt32(int32_t(parts.size()));
    for (const ProfilePartEntry& part : parts)
    {
        file.WriteInt32(part.item);
        for (float value : part.mount)
            file.WriteFloat(value);
        file.WriteInt32(part.visible);
    }
}

void WriteOpponent(const ProfileOpponentEntry& opponent, BinaryWriter& file)
{
    file.WriteInt32(opponent.firstValue);
    WriteInts(opponent.stats, file);
    file.WriteInt32(opponent.lastValue);
    WriteParts(opponent.ownedParts, file);
    file.WriteInt32(opponent.model);
    WriteParts(opponent.parts, file);
}

ProfilePartEntry SamplePart(int32_t item, int32_t seed)
{
    ProfilePartEntry part;
    part.item = item;
    for (size_t i = 0; i < part.mount.size(); ++i)
        part.mount[i] = float(seed) * 0.25f - float(i);
    part.visible = seed & 1;
    return part;
}
} // namespace

void WriteProfileEntry(const ProfileEntry& profile, BinaryWriter& file)
{
    WriteString(profile.name.c_str(), file);
    file.WriteInt32(profile.gender);
    file.WriteInt32(profile.difficultyChosen);
    file.WriteInt32(profile.difficulty);
    file.WriteUInt8(profile.tutorialOfferPending);
    file.WriteInt32(profile.money);
    file.WriteInt32(int32_t(profile.ownedItems.size()));
    for (int32_t item : profile.ownedItems)
        file.WriteInt32(item);
    file.WriteInt32(int32_t(profile.buggies.size()));
    for (const ProfileBuggyEntry& buggy : profile.buggies)
    {
        file.WriteInt32(buggy.model);
        WriteParts(buggy.parts, file);
    }
    file.WriteInt32(profile.currentBuggy);
    WriteInts(profile.ammunition, file);
    WriteInts(profile.raceUnlocked, file);
    WriteInts(profile.raceWon, file);
    WriteInts(profile.tutorialUnlocked, file);
    file.WriteInt32(profile.highestModel);
    for (const std::vector<ProfileBestTimeEntry>& list : profile.bestTimes)
    {
        file.WriteInt32(int32_t(list.size()));
        for (const ProfileBestTimeEntry& time : list)
        {
            WriteString(time.date.c_str(), file);
            file.WriteInt32(time.bestLap);
            file.WriteInt32(time.total);
            file.WriteInt32(time.items);
        }
    }
    for (const ProfileOpponentEntry& opponent : profile.opponents)
        WriteOpponent(opponent, file);
}

BinaryWriter BuildProfilesFile(const std::vector<ProfileEntry>& profiles, int32_t recordSize)
{
    BinaryWriter file;
    file.WriteInt32(recordSize);
    file.WriteInt32(int32_t(profiles.size()));
    for (const ProfileEntry& profile : profiles)
        WriteProfileEntry(profile, file);
    return file;
}

ProfileEntry SampleProfileEntry(const std::string& name, int32_t seed)
{
    ProfileEntry p;
    p.name = name;
    p.gender = 2;
    p.difficultyChosen = 1;
    p.difficulty = seed % 3;
    p.tutorialOfferPending = 0;
    p.money = 1234 + seed;
    p.ownedItems = {3 + seed, 7, 5};
    p.buggies = {
        {10, {SamplePart(4, seed), SamplePart(6, seed + 1)}}, {11 + seed, {}}, {12, {SamplePart(8, seed)}}};
    p.currentBuggy = 2;
    p.ammunition = {1000, 250 + seed, 3000, 40};
    for (int i = 0; i < 20; ++i)
    {
        p.raceUnlocked[size_t(i)] = i <= 5 + seed;
        p.raceWon[size_t(i)] = i < 3;
    }
    p.tutorialUnlocked = {1, 1, seed & 1, 0, 0};
    p.highestModel = 4;
    p.bestTimes[0] = {{"12-24-26 10:11:12", 61000 + seed, 190000, 7},
                      {"01-02-27 08:00:59", 59000, 185000, 2}};
    p.bestTimes[19] = {{"*", 1, 2, 3}};
    for (int i = 0; i < 5; ++i)
    {
        ProfileOpponentEntry& o = p.opponents[size_t(i)];
        o.firstValue = 4 + i;
        o.stats = {1000, 1000, 1000, 1000 - i};
        o.lastValue = i * seed;
        o.ownedParts = {SamplePart(1 + i, seed)};
        o.model = 10 + i;
        o.parts = {SamplePart(4, i), SamplePart(6, i + seed)};
    }
    return p;
}
