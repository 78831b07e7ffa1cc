// qv7-dump kind of Profiles.dtx: every profile with every stored field, as
// the game reads it. Objects of the buggy database show as item indices; no
// database is loaded, so none is dropped. A foreign version or a broken file
// is refused.
#include "platform/io/BinaryReader.h"
#include "race/ProfilesFile.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

#include <vector>

namespace
{
void Ints(JsonWriter& out, const std::string& key, const int32_t* values, int count)
{
    out.Key(key);
    out.BeginArray();
    for (int i = 0; i < count; ++i)
        out.Integer(values[i]);
    out.EndArray();
}

void Parts(JsonWriter& out, const std::string& key, const QV7_Collection<MountedPart>& parts)
{
    out.Key(key);
    out.BeginArray();
    for (const MountedPart* part : parts)
    {
        out.BeginObject();
        out.Field("item", part->item);
        out.NumberArray("mount", std::vector<double>(&part->mount.m[0][0], &part->mount.m[0][0] + 16));
        out.Field("visible", part->visible);
        out.EndObject();
    }
    out.EndArray();
}

void OwnedBuggies(JsonWriter& out, const ProfileRecord& profile)
{
    out.Key("ownedBuggies");
    out.BeginArray();
    for (const BuggyConfiguration* buggy : profile.ownedBuggies)
    {
        out.BeginObject();
        out.Field("model", buggy->model);
        Parts(out, "parts", buggy->parts);
        out.EndObject();
    }
    out.EndArray();
    out.Field("currentBuggy", profile.ownedBuggies.IndexOf(profile.currentBuggy));
}

void BestTimes(JsonWriter& out, const ProfileRecord& profile)
{
    out.Key("bestTimes");
    out.BeginArray();
    for (const BestTimeList& list : profile.bestTimes)
    {
        out.BeginArray();
        for (const BestTimeRecord* time : list)
        {
            out.BeginObject();
            out.Field("date", time->date);
            out.Field("bestLap", time->bestLap);
            out.Field("total", time->total);
            out.Field("items", time->items);
            out.EndObject();
        }
        out.EndArray();
    }
    out.EndArray();
}

void Opponents(JsonWriter& out, const ProfileRecord& profile)
{
    out.Key("opponents");
    out.BeginArray();
    for (const OpponentRecord& opponent : profile.opponents)
    {
        out.BeginObject();
        out.Field("firstValue", opponent.firstValue);
        Ints(out, "stats", opponent.stats, 4);
        out.Field("lastValue", opponent.lastValue);
        Parts(out, "ownedParts", opponent.ownedParts);
        out.Field("model", opponent.configuration.model);
        Parts(out, "parts", opponent.configuration.parts);
        out.EndObject();
    }
    out.EndArray();
}

void Profile(JsonWriter& out, const ProfileRecord& profile)
{
    out.BeginObject();
    out.Field("name", profile.name);
    out.Field("gender", profile.gender);
    out.Field("difficultyChosen", profile.difficultyChosen);
    out.Field("difficulty", profile.difficulty);
    out.Field("tutorialOfferPending", int(profile.tutorialOfferPending));
    out.Field("money", profile.money);
    out.Key("ownedItems");
    out.BeginArray();
    for (const MountedPart* item : profile.ownedItems)
        out.Integer(item->item);
    out.EndArray();
    OwnedBuggies(out, profile);
    Ints(out, "ammunition", profile.ammunition, PROFILE_AMMUNITION_COUNT);
    Ints(out, "raceUnlocked", profile.raceUnlocked, PROFILE_RACE_COUNT);
    Ints(out, "raceWon", profile.raceWon, PROFILE_RACE_COUNT);
    Ints(out, "tutorialUnlocked", profile.tutorialUnlocked, PROFILE_TUTORIAL_COUNT);
    out.Field("highestModel", profile.highestModel);
    BestTimes(out, profile);
    Opponents(out, profile);
    out.EndObject();
}
} // namespace

bool MatchesProfiles(const std::string& fileName)
{
    return MatchesName(fileName, "Profiles.dtx");
}

bool DumpProfiles(const DumpRequest& request, JsonWriter& out)
{
    BinaryReader file;
    if (!file.OpenFile(request.path))
        return false;
    QV7_Collection<ProfileRecord> profiles;
    if (ProfilesFile::Read(file, profiles) != ProfilesFile::ReadResult::Loaded)
        return false;
    out.BeginObject();
    out.Field("recordSize", PROFILES_RECORD_SIZE);
    out.Key("profiles");
    out.BeginArray();
    for (const ProfileRecord* profile : profiles)
        Profile(out, *profile);
    out.EndArray();
    out.EndObject();
    return true;
}
