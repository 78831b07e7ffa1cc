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

TEST_F(SoundPackFilesTest, BrokenEffectTablesKeepTheRecordsBeforeTheFault)
{
    struct Case
    {
        const char* what;
        std::vector<int32_t> tail; // after one good record
        size_t expected;
    };
    const Case cases[] = {
        {"zero-length name", {0, 5}, 1},
        {"cut file number", {2, 0x41}, 1},
        {"name too long", {100000}, 1},
    };
    for (const Case& c : cases)
    {
        BinaryWriter file;
        file.WriteInt32(2);
        WriteString("SOUND_HORN", file);
        file.WriteInt32(3);
        for (int32_t v : c.tail)
            file.WriteInt32(v);
        ASSERT_TRUE(file.SaveToFile(m_Dir + "t.dat"));
        std::vector<SoundEffectRecord> records;
        CapturedLog().clear();
        ASSERT_TRUE(ReadSoundEffectTable(m_Dir + "t.dat", records)) << c.what;
        EXPECT_EQ(records.size(), c.expected) << c.what;
        EXPECT_TRUE(Logged("ERROR: Sounds: Broken sound table " + m_Dir + "t.dat")) << c.what;
    }

    BinaryWriter huge;
    huge.WriteInt32(1000000);
    ASSERT_TRUE(huge.SaveToFile(m_Dir + "h.dat"));
    std::vector<SoundEffectRecord> records;
    ASSERT_TRUE(ReadSoundEffectTable(m_Dir + "h.dat", records));
    EXPECT_TRUE(records.empty());
}
} // namespace
