// GraphicsSfx.dat and SndSfx.dat: our writers' output read back, and broken
// tables ending cleanly.
#include "media/SoundPackFiles.h"
#include "platform/io/BinaryWriter.h"
#include "SoundTestSupport.h"

namespace
{
class SoundPackFilesTest : public SoundTestBase
{
};

TEST_F(SoundPackFilesTest, MusicTableRoundTrip)
{
    const std::vector<MusicTableRow> rows = {{kFrontEndMusicKey, 0, 1}, {3, 4, -1}, {7, -1, -1}};
    ASSERT_TRUE(SaveMusicTable(m_Dir + "GraphicsSfx.dat", rows));
    std::vector<MusicTableRow> read;
    ASSERT_TRUE(ReadMusicTable(m_Dir + "GraphicsSfx.dat", read));
    ASSERT_EQ(read.size(), rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
    {
        EXPECT_EQ(read[i].key, rows[i].key);
        EXPECT_EQ(read[i].sfxA, rows[i].sfxA);
        EXPECT_EQ(read[i].sfxB, rows[i].sfxB);
    }
}

TEST_F(SoundPackFilesTest, MusicTableStopsAtTheTerminatorOrACutRecord)
{
    BinaryWriter file;
    for (int32_t v : {1, 2, 3, kMusicTableEndKey, 4, 5, 6})
        file.WriteInt32(v);
    ASSERT_TRUE(file.SaveToFile(m_Dir + "a.dat"));
    std::vector<MusicTableRow> rows;
    ASSERT_TRUE(ReadMusicTable(m_Dir + "a.dat", rows));
    EXPECT_EQ(rows.size(), 1u);

    BinaryWriter cut;
    for (int32_t v : {1, 2, 3, 8, 9})
        cut.WriteInt32(v);
    ASSERT_TRUE(cut.SaveToFile(m_Dir + "b.dat"));
    ASSERT_TRUE(ReadMusicTable(m_Dir + "b.dat", rows));
    ASSERT_EQ(rows.size(), 1u); // no terminator: the end of the file ends the table
    EXPECT_EQ(rows[0].sfxB, 3);

    EXPECT_FALSE(ReadMusicTable(m_Dir + "missing.dat", rows));
}

TEST_F(SoundPackFilesTest, EffectTableRoundTrip)
{
    const std::vector<SoundEffectRecord> records = {{"SOUND_CANNON", 10}, {"SOUND_ENGINE", -1}, {"X", 12}};
    ASSERT_TRUE(SaveSoundEffectTable(m_Dir + "SndSfx.dat", records));
    std::vector<SoundEffectRecord> read;
    ASSERT_TRUE(ReadSoundEffectTable(m_Dir + "SndSfx.dat", read));
    ASSERT_EQ(read.size(), records.size());
    for (size_t i = 0; i < records.size(); ++i)
    {
        EXPECT_EQ(read[i].name, records[i].name);
        EXPECT_EQ(read[i].fileNumber, records[i].fileNumber);
    }
}

// A name that is broken or missing follows the string rule and throws; a count
// or file number that cannot be read ends the table with the records before it.
TEST_F(SoundPackFilesTest, BrokenEffectTables)
{
    const std::string kBrokenLine =
        "Critical Problem, File Broken, Application will crash to avoid any additional problems.";
    struct Case
    {
        const char* what;
        int32_t count;
        std::vector<int32_t> tail; // after one good record
        bool fatal;
        size_t expected; // records read when the table ends cleanly
    };
    const Case cases[] = {
        {"zero-length name", 2, {0, 5}, true, 0},
        {"name too long", 2, {100000}, true, 0},
        {"negative name length", 2, {-3, 5}, true, 0},
        {"count past the records present", 1000000, {}, true, 0},
        {"cut file number", 2, {2, 0x41}, false, 1},
        {"negative count", -4, {}, false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        BinaryWriter file;
        file.WriteInt32(c.count);
        WriteString("SOUND_HORN", file);
        file.WriteInt32(3);
        for (int32_t v : c.tail)
            file.WriteInt32(v);
        ASSERT_TRUE(file.SaveToFile(m_Dir + "t.dat"));
        std::vector<SoundEffectRecord> records;
        CapturedLog().clear();
        if (c.fatal)
        {
            EXPECT_THROW(ReadSoundEffectTable(m_Dir + "t.dat", records), CDException);
            EXPECT_TRUE(Logged(kBrokenLine));
            EXPECT_FALSE(Logged("ERROR: Sounds: Broken sound table " + m_Dir + "t.dat"));
            continue;
        }
        ASSERT_TRUE(ReadSoundEffectTable(m_Dir + "t.dat", records));
        EXPECT_EQ(records.size(), c.expected);
        EXPECT_TRUE(Logged("ERROR: Sounds: Broken sound table " + m_Dir + "t.dat"));
        EXPECT_FALSE(Logged(kBrokenLine));
    }

    // A file too short for its count.
    BinaryWriter stub;
    stub.WriteBytes("\x01\x00", 2);
    ASSERT_TRUE(stub.SaveToFile(m_Dir + "s.dat"));
    std::vector<SoundEffectRecord> records;
    ASSERT_TRUE(ReadSoundEffectTable(m_Dir + "s.dat", records));
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(Logged("ERROR: Sounds: Broken sound table " + m_Dir + "s.dat"));
}
} // namespace
