// Reading and writing Profiles.dtx. The reader never trusts the file: every
// count is checked against the bytes left before anything is made, and an
// object the buggy database does not hold is dropped instead of being left for
// the garage and the races to follow into nothing.
#include "race/ProfilesFile.h"

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/ProfileItemCatalog.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstring>
#include <string>
#include <vector>

namespace
{
constexpr size_t kOwnedBuggyMinBytes = 8;
constexpr size_t kBestTimeMinBytes = 17; // "" date (length word and its zero) and three words

void WriteInts(const int32_t* values, int count, BinaryWriter& file)
{
    for (int i = 0; i < count; ++i)
        file.WriteInt32(values[i]);
}

void ReadInts(BinaryReader& file, int32_t* values, int count)
{
    for (int i = 0; i < count; ++i)
        values[i] = file.ReadInt32();
}

// A string field of the record, never more than its buffer can read back.
void WriteBounded(const char* text, size_t capacity, BinaryWriter& file)
{
    WriteString(std::string(text, strnlen(text, capacity - 1)).c_str(), file);
}

void LogDropped(const char* profileName, const char* what, int32_t item)
{
    QV7_Logger::Log(g_logger, "WARNING: Profile %s: %s %d is not in the buggy database, dropped.",
                    profileName, what, item);
}
} // namespace

void ProfilesFile::Write(const QV7_Collection<ProfileRecord>& profiles, BinaryWriter& file)
{
    file.WriteInt32(PROFILES_RECORD_SIZE);
    file.WriteInt32(profiles.Count());
    for (const ProfileRecord* profile : profiles)
        WriteProfile(*profile, file);
}

void ProfilesFile::WriteProfile(const ProfileRecord& profile, BinaryWriter& file)
{
    WriteBounded(profile.name, sizeof(profile.name), file);
    file.WriteInt32(profile.gender);
    file.WriteInt32(profile.difficultyChosen);
    file.WriteInt32(profile.difficulty);
    file.WriteUInt8(profile.tutorialOfferPending);
    file.WriteInt32(profile.money);
    file.WriteInt32(profile.ownedItems.Count());
    for (const MountedPart* item : profile.ownedItems)
        file.WriteInt32(item->item);
    file.WriteInt32(profile.ownedBuggies.Count());
    for (const BuggyConfiguration* buggy : profile.ownedBuggies)
    {
        file.WriteInt32(buggy->model);
        WriteParts(buggy->parts, file);
    }
    file.WriteInt32(profile.ownedBuggies.IndexOf(profile.currentBuggy));
    WriteInts(profile.ammunition, PROFILE_AMMUNITION_COUNT, file);
    WriteInts(profile.raceUnlocked, PROFILE_RACE_COUNT, file);
    WriteInts(profile.raceWon, PROFILE_RACE_COUNT, file);
    WriteInts(profile.tutorialUnlocked, PROFILE_TUTORIAL_COUNT, file);
    file.WriteInt32(profile.highestModel);
    for (const BestTimeList& list : profile.bestTimes)
    {
        file.WriteInt32(list.Count());
        for (const BestTimeRecord* time : list)
        {
            WriteBounded(time->date, sizeof(time->date), file);
            file.WriteInt32(time->bestLap);
            file.WriteInt32(time->total);
            file.WriteInt32(time->items);
        }
    }
    for (const OpponentRecord& opponent : profile.opponents)
        WriteOpponent(opponent, file);
}

void ProfilesFile::WriteParts(const QV7_Collection<MountedPart>& parts, BinaryWriter& file)
{
    file.WriteInt32(parts.Count());
    for (const MountedPart* part : parts)
    {
        file.WriteInt32(part->item);
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                file.WriteFloat(part->mount.m[row][column]);
        file.WriteInt32(part->visible);
    }
}

void ProfilesFile::WriteOpponent(const OpponentRecord& opponent, BinaryWriter& file)
{
    file.WriteInt32(opponent.firstValue);
    WriteInts(opponent.stats, 4, file);
    file.WriteInt32(opponent.lastValue);
    WriteParts(opponent.ownedParts, file);
    file.WriteInt32(opponent.configuration.model);
    WriteParts(opponent.configuration.parts, file);
}

ProfilesFile::ReadResult ProfilesFile::Read(BinaryReader& file, QV7_Collection<ProfileRecord>& profiles)
{
    const int32_t recordSize = file.ReadInt32();
    if (file.Failed())
        return ReadResult::Broken;
    if (recordSize != PROFILES_RECORD_SIZE)
        return ReadResult::OtherVersion;
    try
    {
        const int32_t count = file.ReadCount(PROFILE_MIN_BYTES);
        for (int32_t i = 0; i < count && !file.Failed(); ++i)
            ReadProfile(file, *profiles.Add());
    }
    catch (const CDException&)
    {
        // A broken string; its lines are logged already.
        return ReadResult::Broken;
    }
    return file.Failed() ? ReadResult::Broken : ReadResult::Loaded;
}

void ProfilesFile::ReadProfile(BinaryReader& file, ProfileRecord& profile)
{
    ReadString(profile.name, sizeof(profile.name), file);
    profile.gender = file.ReadInt32();
    profile.difficultyChosen = file.ReadInt32();
    profile.difficulty = file.ReadInt32();
    profile.tutorialOfferPending = file.ReadUInt8();
    profile.money = file.ReadInt32();
    ReadOwnedItems(file, profile);
    ReadOwnedBuggies(file, profile);
    ReadInts(file, profile.ammunition, PROFILE_AMMUNITION_COUNT);
    ReadInts(file, profile.raceUnlocked, PROFILE_RACE_COUNT);
    ReadInts(file, profile.raceWon, PROFILE_RACE_COUNT);
    ReadInts(file, profile.tutorialUnlocked, PROFILE_TUTORIAL_COUNT);
    profile.highestModel = file.ReadInt32();
    for (BestTimeList& list : profile.bestTimes)
        ReadBestTimes(file, list);
    for (int i = 0; i < PROFILE_OPPONENT_COUNT; ++i)
        ReadOpponent(file, profile.opponents[i], i, profile.name);
}

void ProfilesFile::ReadOwnedItems(BinaryReader& file, ProfileRecord& profile)
{
    profile.ownedItems.Clear();
    const int32_t count = file.ReadCount(4);
    for (int32_t i = 0; i < count; ++i)
    {
        const int32_t item = file.ReadInt32();
        if (ProfileItemKnown(item))
            profile.ownedItems.Add()->item = item;
        else
            LogDropped(profile.name, "owned item", item);
    }
}

// The stored current buggy is a position in the stored list, so positions are
// mapped past any buggy dropped on the way; one that names no kept buggy falls
// back to the first, as the garage and the races need a current buggy.
void ProfilesFile::ReadOwnedBuggies(BinaryReader& file, ProfileRecord& profile)
{
    profile.ownedBuggies.Clear();
    profile.currentBuggy = nullptr;
    const int32_t count = file.ReadCount(kOwnedBuggyMinBytes);
    std::vector<BuggyConfiguration*> stored;
    for (int32_t i = 0; i < count; ++i)
    {
        auto* buggy = new BuggyConfiguration();
        buggy->model = file.ReadInt32();
        ReadParts(file, buggy->parts, profile.name, "part");
        if (!ProfileItemKnown(buggy->model))
        {
            LogDropped(profile.name, "buggy model", buggy->model);
            delete buggy;
            stored.push_back(nullptr);
            continue;
        }
        stored.push_back(profile.ownedBuggies.Append(buggy));
        BuggyConfiguration::MountParts(buggy);
    }
    const int32_t current = file.ReadInt32();
    if (current >= 0 && current < int32_t(stored.size()))
        profile.currentBuggy = stored[size_t(current)];
    if (!profile.currentBuggy && profile.ownedBuggies.Count() > 0 && !file.Failed())
    {
        QV7_Logger::Log(g_logger,
                        "WARNING: Profile %s: current buggy %d is not an owned buggy, the first is taken.",
                        profile.name, current);
        profile.currentBuggy = profile.ownedBuggies[0];
    }
}

void ProfilesFile::ReadParts(BinaryReader& file, QV7_Collection<MountedPart>& parts, const char* profileName,
                             const char* what)
{
    parts.Clear();
    const int32_t count = file.ReadCount(PROFILE_PART_ENTRY_SIZE);
    for (int32_t i = 0; i < count; ++i)
    {
        auto* part = new MountedPart();
        part->item = file.ReadInt32();
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                part->mount.m[row][column] = file.ReadFloat();
        part->visible = file.ReadInt32();
        if (ProfileItemKnown(part->item))
            parts.Append(part);
        else
        {
            LogDropped(profileName, what, part->item);
            delete part;
        }
    }
}

void ProfilesFile::ReadBestTimes(BinaryReader& file, BestTimeList& list)
{
    list.Clear();
    const int32_t count = file.ReadCount(kBestTimeMinBytes);
    for (int32_t i = 0; i < count; ++i)
    {
        BestTimeRecord* time = list.Add();
        ReadString(time->date, sizeof(time->date), file);
        time->bestLap = file.ReadInt32();
        time->total = file.ReadInt32();
        time->items = file.ReadInt32();
    }
}

void ProfilesFile::ReadOpponent(BinaryReader& file, OpponentRecord& opponent, int index,
                                const char* profileName)
{
    opponent.firstValue = file.ReadInt32();
    ReadInts(file, opponent.stats, 4);
    opponent.lastValue = file.ReadInt32();
    ReadParts(file, opponent.ownedParts, profileName, "opponent part");
    const int32_t model = file.ReadInt32();
    ReadParts(file, opponent.configuration.parts, profileName, "opponent part");
    opponent.configuration.model = model;
    if (!ProfileItemKnown(model) && !file.Failed())
    {
        // An opponent cannot be dropped: the championship always has five.
        const int32_t fallback = ProfileModelItem(ProfileRecord::kDefaultOpponentModels[index]);
        QV7_Logger::Log(
            g_logger,
            "WARNING: Profile %s: opponent %d's buggy model %d is not in the buggy database, model %d "
            "is taken.",
            profileName, index, model, fallback);
        opponent.configuration.model = fallback;
    }
}
