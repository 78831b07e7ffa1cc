// Profiles.dtx through the profile list: a new player's defaults, the stored
// layout byte by byte, round trips against our own writer, the files the list
// refuses (and keeps aside), and objects the buggy database does not hold.
#include "platform/io/BinaryReader.h"
#include "tests/race/ProfilesTestSupport.h"
#include "tools/writers/ProfilesWriter.h"

#include <cstring>
#include <filesystem>
#include <fnmatch.h>

namespace
{
int32_t IntAt(const std::vector<uint8_t>& bytes, size_t offset)
{
    int32_t value;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

void PutInt(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    std::memcpy(bytes.data() + offset, &value, 4);
}

constexpr int32_t kOpponentModelItems[5] = {24, 22, 23, 21, 23};

bool LogHas(const ScopedTestLogger& log, const std::string& pattern)
{
    for (const std::string& line : log.Lines())
        if (fnmatch(pattern.c_str(), line.c_str(), 0) == 0)
            return true;
    return false;
}

std::vector<uint8_t> Built(const std::vector<ProfileEntry>& profiles,
                           int32_t recordSize = kProfilesRecordSize)
{
    return BuildProfilesFile(profiles, recordSize).Bytes();
}
} // namespace

TEST_F(ProfilesTest, NewProfileStartsWithTheDefaultsAndKeepsThemThroughTheFile)
{
    g_profileItemCatalog = &FakeDatabase();
    {
        QV7_Profiles profiles;
        profiles.CreateProfile("Ann", 2);
        EXPECT_EQ(profiles.currentProfile, nullptr);
    }
    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 1);
    const ProfileRecord& p = *profiles.profiles[0];
    EXPECT_STREQ(p.name, "Ann");
    EXPECT_EQ(p.gender, 2);
    EXPECT_EQ(p.difficultyChosen, 0);
    EXPECT_EQ(p.difficulty, 1);
    EXPECT_EQ(p.tutorialOfferPending, 1);
    EXPECT_EQ(p.money, 5);
    ASSERT_EQ(p.ownedItems.Count(), 1);
    EXPECT_EQ(p.ownedItems[0]->item, 7) << "the first equipment object";
    ASSERT_EQ(p.ownedBuggies.Count(), 1);
    EXPECT_EQ(p.ownedBuggies[0]->model, 22) << "model index 2";
    EXPECT_EQ(p.currentBuggy, p.ownedBuggies[0]);
    EXPECT_EQ(std::vector<int32_t>(p.ammunition, p.ammunition + 4), (std::vector<int32_t>{1000, 0, 1000, 0}));
    const int32_t opponentModels[5] = {24, 22, 23, 21, 23};
    for (int i = 0; i < 5; ++i)
    {
        EXPECT_EQ(p.opponents[i].configuration.model, opponentModels[i]) << i;
        EXPECT_EQ(p.opponents[i].firstValue, 4);
        EXPECT_EQ(p.opponents[i].lastValue, 0);
        EXPECT_EQ(p.opponents[i].configuration.ownerParts, &p.opponents[i].ownedParts);
        EXPECT_EQ(p.opponents[i].configuration.ownerStats, p.opponents[i].stats);
    }
    for (int i = 0; i < 20; ++i)
    {
        EXPECT_EQ(p.raceUnlocked[i], i == 0 ? 1 : 0) << i;
        EXPECT_EQ(p.raceWon[i], 0);
        EXPECT_EQ(p.bestTimes[i].Count(), 0);
    }
    EXPECT_EQ(std::vector<int32_t>(p.tutorialUnlocked, p.tutorialUnlocked + 5),
              (std::vector<int32_t>{1, 0, 0, 0, 0}));
    EXPECT_EQ(p.highestModel, 2);
}

// Profile "A": the tutorial offer is one byte, so the owned-items count sits
// 23 bytes into the record; everything after it is at a fixed place too.
TEST_F(ProfilesTest, StoredLayoutOfANewProfile)
{
    g_profileItemCatalog = &FakeDatabase();
    QV7_Profiles profiles;
    profiles.CreateProfile("A", 1);
    const std::vector<uint8_t> bytes = ReadFileBytes(Path());
    ASSERT_EQ(bytes.size(), 8u + PROFILE_MIN_BYTES + 1 + 4 + 8);
    EXPECT_EQ(IntAt(bytes, 0), 1064);
    EXPECT_EQ(IntAt(bytes, 4), 1);
    EXPECT_EQ(IntAt(bytes, 8), 2);
    EXPECT_EQ(std::memcmp(bytes.data() + 12, "A", 2), 0);
    EXPECT_EQ(IntAt(bytes, 14), 1) << "gender";
    EXPECT_EQ(IntAt(bytes, 18), 0) << "difficulty chosen";
    EXPECT_EQ(IntAt(bytes, 22), 1) << "difficulty";
    EXPECT_EQ(bytes[26], 1) << "tutorial offer pending";
    EXPECT_EQ(IntAt(bytes, 27), 5) << "money";
    EXPECT_EQ(IntAt(bytes, 8 + 23), 1) << "owned items";
    EXPECT_EQ(IntAt(bytes, 35), 7);
    EXPECT_EQ(IntAt(bytes, 39), 1) << "owned buggies";
    EXPECT_EQ(IntAt(bytes, 43), 22);
    EXPECT_EQ(IntAt(bytes, 47), 0) << "parts";
    EXPECT_EQ(IntAt(bytes, 51), 0) << "current buggy";
    EXPECT_EQ(IntAt(bytes, 55), 1000);
    EXPECT_EQ(IntAt(bytes, 71), 1) << "race 0 unlocked";
    EXPECT_EQ(IntAt(bytes, 71 + 40 * 4), 1) << "tutorial 0 unlocked";
    EXPECT_EQ(IntAt(bytes, 71 + 45 * 4), 2) << "highest model";
    const size_t opponents = 71 + 46 * 4 + 20 * 4;
    for (size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(IntAt(bytes, opponents + 36 * i), 4) << "first value";
        EXPECT_EQ(IntAt(bytes, opponents + 36 * i + 28), kOpponentModelItems[i]) << "model";
    }
    // Our own writer, from the same description, agrees to the byte.
    ProfileEntry entry;
    entry.ownedItems = {7};
    entry.buggies = {{22, {}}};
    entry.currentBuggy = 0;
    for (size_t i = 0; i < 5; ++i)
        entry.opponents[i].model = kOpponentModelItems[i];
    EXPECT_EQ(bytes, Built({entry}));
}

TEST_F(ProfilesTest, RoundTripKeepsEveryListInOrderAndEveryValue)
{
    const std::vector<uint8_t> original =
        Built({SampleProfileEntry("First", 0), SampleProfileEntry("Second", 1)});
    WriteFileBytes(Path(), original);
    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 2);
    const ProfileRecord& p = *profiles.profiles[1];
    EXPECT_STREQ(p.name, "Second");
    EXPECT_EQ(p.tutorialOfferPending, 0);
    EXPECT_EQ(p.money, 1235);
    ASSERT_EQ(p.ownedBuggies.Count(), 3);
    EXPECT_EQ(p.currentBuggy, p.ownedBuggies[2]);
    ASSERT_EQ(p.ownedBuggies[0]->parts.Count(), 2);
    EXPECT_EQ(p.ownedBuggies[0]->parts[1]->item, 6);
    EXPECT_EQ(p.ownedBuggies[0]->parts[1]->mount.m[3][0], 0.5f - 12);
    ASSERT_EQ(p.bestTimes[0].Count(), 2);
    EXPECT_STREQ(p.bestTimes[0][0]->date, "12-24-26 10:11:12");
    EXPECT_EQ(p.bestTimes[0][0]->bestLap, 61001);
    EXPECT_EQ(p.opponents[4].configuration.model, 14);
    EXPECT_EQ(p.opponents[4].ownedParts[0]->item, 5);
    EXPECT_EQ(p.opponents[3].stats[3], 997);
    // The game's save writes back exactly what was read.
    profiles.Save();
    EXPECT_EQ(ReadFileBytes(Path()), original);
    EXPECT_FALSE(std::filesystem::exists(Path() + ".broken"));
    EXPECT_FALSE(std::filesystem::exists(Path() + ".tmp"));
}

TEST_F(ProfilesTest, MissingFileLoadsEmptyWithItsNote)
{
    QV7_Profiles profiles;
    profiles.AddProfile();
    profiles.currentProfile = profiles.profiles[0];
    profiles.Load();
    EXPECT_EQ(profiles.profiles.Count(), 0);
    EXPECT_EQ(profiles.currentProfile, nullptr);
    EXPECT_TRUE(log.Contains("NOTE: No profile file found, will consider it as empty. " + Path()));
}

// A file of another version, or one that cannot be read, loads as an empty
// list; the next save must not lose it, so it is copied aside first.
TEST_F(ProfilesTest, RefusedFilesAreKeptAsideBeforeTheNextSave)
{
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* line;
    };
    const std::string other = "WARNING: Profile File Structure is not valid with the current data header, "
                              "will consider it as empty. ";
    const std::vector<uint8_t> good = Built({SampleProfileEntry("P", 3)});
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    const Case cases[] = {
        {"1063", Built({SampleProfileEntry("P", 3)}, 1063), nullptr},
        {"1065", Built({SampleProfileEntry("P", 3)}, 1065), nullptr},
        {"empty", {}, "WARNING: Profile file * is broken at offset 0, will consider it as empty."},
        {"cut short", cut, "WARNING: Profile file * is broken at offset *"}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(Path() + ".broken");
        WriteFileBytes(Path(), c.bytes);
        {
            QV7_Profiles profiles;
            profiles.Load();
            EXPECT_EQ(profiles.profiles.Count(), 0);
            EXPECT_TRUE(LogHas(log, c.line ? c.line : other + Path()));
            EXPECT_TRUE(log.Contains("NOTE: The unreadable profile file is kept as " + Path() + ".broken"));
            profiles.CreateProfile("New", 1);
        }
        EXPECT_EQ(ReadFileBytes(Path() + ".broken"), c.bytes);
        QV7_Profiles reread;
        reread.Load();
        ASSERT_EQ(reread.profiles.Count(), 1);
        EXPECT_STREQ(reread.profiles[0]->name, "New");
    }
    // A second damaged file does not replace the first one kept.
    WriteFileBytes(Path(), {1, 2, 3});
    QV7_Profiles profiles;
    profiles.Load();
    EXPECT_EQ(ReadFileBytes(Path() + ".broken2"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(ProfilesTest, NoSaveOverAnUnreadableFileThatCouldNotBeKeptAside)
{
    for (int i = 1; i <= 100; ++i)
        WriteFileBytes(QV7_Profiles::KeptAsidePath(i), {});
    const std::vector<uint8_t> damaged = {40, 4, 0, 0};
    WriteFileBytes(Path(), damaged);
    QV7_Profiles profiles;
    profiles.Load();
    EXPECT_TRUE(log.Contains("ERROR: The unreadable profile file " + Path() +
                             " could not be kept aside, profiles will not be saved over it."));
    profiles.CreateProfile("New", 1);
    EXPECT_TRUE(log.Contains("ERROR: Can't acces profile file for writing, save game not saved!. " + Path()));
    EXPECT_EQ(ReadFileBytes(Path()), damaged);
}

TEST_F(ProfilesTest, AProfilePathThatCannotBeReadIsNeitherEmptyNorReplaced)
{
    std::filesystem::create_directory(Path());
    WriteFileBytes(Path() + "/inside", {1});
    QV7_Profiles profiles;
    profiles.Load();
    EXPECT_EQ(profiles.profiles.Count(), 0);
    EXPECT_FALSE(log.Contains("NOTE: No profile file found, will consider it as empty. " + Path()));
    profiles.CreateProfile("New", 1);
    EXPECT_TRUE(log.Contains("ERROR: Can't acces profile file for writing, save game not saved!. " + Path()));
    EXPECT_EQ(ReadFileBytes(Path() + "/inside"), (std::vector<uint8_t>{1}));
}

// Every way the reader can meet a broken file: each is refused whole, never
// read past its end, never allocated from an unchecked count.
TEST_F(ProfilesTest, BrokenFilesAreRefused)
{
    // A default profile "A" with empty lists: 503 bytes, every field at a known place.
    const std::vector<uint8_t> base = Built({ProfileEntry()});
    ASSERT_EQ(base.size(), 503u);
    struct Case
    {
        const char* what;
        size_t offset;
        int32_t value;
    } cases[] = {
        {"profile count past the file", 4, 2},
        {"profile count negative", 4, -1},
        {"name length zero", 8, 0},
        {"name length past its buffer", 8, 261},
        {"name length past the file", 8, 100000},
        {"name without its zero", 8, 1},
        {"owned items past the file", 31, 0x7FFFFFFF},
        {"owned items negative", 31, -5},
        {"owned buggies past the file", 35, 61},
        {"best times past the file", 243, 30},
        {"last race's best times past the file", 243 + 19 * 4, 2},
        {"opponent parts past the file", 323 + 24, 3},
        {"last opponent's parts past the file", 323 + 4 * 36 + 32, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = base;
        PutInt(bytes, c.offset, c.value);
        BinaryReader reader(bytes);
        QV7_Collection<ProfileRecord> read;
        EXPECT_EQ(ProfilesFile::Read(reader, read), ProfilesFile::ReadResult::Broken);
    }
    // Dates: empty length, longer than their buffer.
    for (int32_t length : {0, 257})
    {
        ProfileEntry entry;
        entry.bestTimes[5] = {{std::string(size_t(std::max(length - 1, 0)), 'x')}};
        std::vector<uint8_t> bytes = Built({entry});
        PutInt(bytes, 243 + 4 * 6, length); // after the counts of races 0 to 5
        BinaryReader reader(bytes);
        QV7_Collection<ProfileRecord> read;
        EXPECT_EQ(ProfilesFile::Read(reader, read), ProfilesFile::ReadResult::Broken) << length;
    }
}

TEST_F(ProfilesTest, AFileCutShortAnywhereIsRefused)
{
    const std::vector<uint8_t> whole =
        Built({SampleProfileEntry("First", 0), SampleProfileEntry("Second", 1)});
    for (size_t size = 0; size < whole.size(); ++size)
    {
        BinaryReader reader(whole.data(), size);
        QV7_Collection<ProfileRecord> read;
        ASSERT_EQ(ProfilesFile::Read(reader, read), ProfilesFile::ReadResult::Broken) << size;
    }
    BinaryReader reader(whole);
    QV7_Collection<ProfileRecord> read;
    EXPECT_EQ(ProfilesFile::Read(reader, read), ProfilesFile::ReadResult::Loaded);
}

// With a buggy database of 12 objects (models 0..3 are objects 8..11), objects
// the file names beyond it are dropped, and the current buggy follows its buggy.
TEST_F(ProfilesTest, ObjectsOutsideTheBuggyDatabaseAreDropped)
{
    const ProfileItemCatalog small{12, {8, 9, 10, 11}, 0};
    g_profileItemCatalog = &small;
    ProfileEntry entry;
    entry.name = "Dee";
    entry.ownedItems = {3, 12, -1, 5};
    ProfilePartEntry part4, part40;
    part4.item = 4;
    part40.item = 40;
    entry.buggies = {{10, {part4, part40}}, {12, {}}, {11, {}}};
    entry.currentBuggy = 2;
    for (ProfileOpponentEntry& opponent : entry.opponents)
        opponent.model = 9;
    entry.opponents[0].model = 50;
    entry.opponents[1].model = 99;
    entry.opponents[2].ownedParts = {part40, part4};
    WriteFileBytes(Path(), Built({entry}));

    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 1);
    const ProfileRecord& p = *profiles.profiles[0];
    ASSERT_EQ(p.ownedItems.Count(), 2);
    EXPECT_EQ(p.ownedItems[1]->item, 5);
    ASSERT_EQ(p.ownedBuggies.Count(), 2);
    EXPECT_EQ(p.ownedBuggies[0]->parts.Count(), 1);
    EXPECT_EQ(p.currentBuggy, p.ownedBuggies[1]) << "the stored third buggy";
    EXPECT_EQ(p.opponents[0].configuration.model, -1) << "model 4 is not in this database";
    EXPECT_EQ(p.opponents[1].configuration.model, 10) << "the default model 2";
    ASSERT_EQ(p.opponents[2].ownedParts.Count(), 1);
    EXPECT_EQ(p.opponents[2].ownedParts[0]->item, 4);
    for (const char* line :
         {"WARNING: Profile Dee: owned item 12 is not in the buggy database, dropped.",
          "WARNING: Profile Dee: owned item -1 is not in the buggy database, dropped.",
          "WARNING: Profile Dee: part 40 is not in the buggy database, dropped.",
          "WARNING: Profile Dee: buggy model 12 is not in the buggy database, dropped.",
          "WARNING: Profile Dee: opponent part 40 is not in the buggy database, dropped.",
          "WARNING: Profile Dee: opponent 1's buggy model 99 is not in the buggy database, model "
          "10 is taken."})
        EXPECT_TRUE(log.Contains(line)) << line;
}

TEST_F(ProfilesTest, CurrentBuggyOutsideTheListFallsBackToTheFirst)
{
    for (int32_t current : {-1, 2, 7, 1})
    {
        ProfileEntry entry;
        entry.buggies = {{1, {}}, {2, {}}};
        entry.currentBuggy = current;
        WriteFileBytes(Path(), Built({entry}));
        QV7_Profiles profiles;
        profiles.Load();
        ASSERT_EQ(profiles.profiles.Count(), 1);
        const ProfileRecord& p = *profiles.profiles[0];
        EXPECT_EQ(p.currentBuggy, p.ownedBuggies[current == 1 ? 1 : 0]) << current;
    }
    EXPECT_TRUE(
        log.Contains("WARNING: Profile A: current buggy -1 is not an owned buggy, the first is taken."));
    // No buggies at all: there is nothing to fall back to.
    WriteFileBytes(Path(), Built({ProfileEntry()}));
    QV7_Profiles profiles;
    profiles.Load();
    EXPECT_EQ(profiles.profiles[0]->currentBuggy, nullptr);
}

TEST_F(ProfilesTest, DeletingIsSavedOnlyByTheNextSave)
{
    QV7_Profiles profiles;
    profiles.CreateProfile("One", 1);
    profiles.CreateProfile("Two", 2);
    profiles.currentProfile = profiles.profiles[0];
    profiles.DeleteProfileAt(0);
    EXPECT_EQ(profiles.currentProfile, nullptr);
    ASSERT_EQ(profiles.profiles.Count(), 1);
    EXPECT_STREQ(profiles.profiles[0]->name, "Two");
    EXPECT_EQ(IntAt(ReadFileBytes(Path()), 4), 2) << "the file still holds both";
    profiles.DeleteProfileAt(5);
    profiles.Save();
    EXPECT_EQ(IntAt(ReadFileBytes(Path()), 4), 1);
}

// A name or date that fills its whole buffer without an end is saved as much
// of it as the buffer can read back, so the file never refuses itself.
TEST_F(ProfilesTest, NamesAndDatesFillingTheirBuffersStillReadBack)
{
    {
        QV7_Profiles profiles;
        ProfileRecord* p = profiles.AddProfile();
        std::memset(p->name, 'n', sizeof(p->name));
        std::memset(p->bestTimes[3].Add()->date, 'd', sizeof(BestTimeRecord::date));
        profiles.Save();
    }
    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 1);
    EXPECT_EQ(std::string(profiles.profiles[0]->name), std::string(259, 'n'));
    EXPECT_EQ(std::string(profiles.profiles[0]->bestTimes[3][0]->date), std::string(255, 'd'));
}
