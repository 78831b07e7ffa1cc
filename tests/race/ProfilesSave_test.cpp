// A save interrupted anywhere (a failed call, a short write, the process
// ending mid-save) leaves Profiles.dtx holding the old profiles or the new
// ones, whole, and the next save still succeeds.
#include "platform/io/SafeFileSave.h"
#include "tests/race/ProfilesTestSupport.h"
#include "tools/writers/ProfilesWriter.h"
#include "tests/platform/io/KillDuringSave.h"

#include <cerrno>
#include <filesystem>
#include <random>

namespace
{
// The system's calls, numbered from 1 in the order a save makes them; call
// `target` misbehaves as told.
class FaultyCalls : public FileSystemCalls
{
  public:
    enum class Fault
    {
        None,
        Fail,       // returns -1 with EIO
        ShortWrite, // a write passes on only half of its bytes (other calls fail)
        NoProgress, // a write passes on nothing (other calls fail)
        Crash       // the process ends here: nothing after it runs, not even the clean-up
    };
    FaultyCalls(int target, Fault fault) : m_Target(target), m_Fault(fault) {}

    struct Crashed
    {
    };

    int OpenForWriting(const std::string& path, mode_t keptMode) override
    {
        return Hit() ? -1 : FileSystemCalls::OpenForWriting(path, keptMode);
    }
    ssize_t Write(int fd, const void* data, size_t count) override
    {
        if (!Next() || m_Fault == Fault::None)
            return FileSystemCalls::Write(fd, data, count);
        if (m_Fault == Fault::ShortWrite)
            return FileSystemCalls::Write(fd, data, count / 2);
        if (m_Fault == Fault::NoProgress)
            return 0;
        Fail();
        return -1;
    }
    int Sync(int fd) override { return Hit() ? -1 : FileSystemCalls::Sync(fd); }
    int Close(int fd) override
    {
        // The descriptor is released either way, as close(2) does.
        const bool fail = Hit();
        const int result = FileSystemCalls::Close(fd);
        return fail ? -1 : result;
    }
    int Rename(const std::string& from, const std::string& to) override
    {
        return Hit() ? -1 : FileSystemCalls::Rename(from, to);
    }
    int SyncFolder(const std::string& folder) override
    {
        return Hit() ? -1 : FileSystemCalls::SyncFolder(folder);
    }
    int Unlink(const std::string& path) override { return FileSystemCalls::Unlink(path); }

    int Calls() const { return m_Count; }

  private:
    // Counts this call; true when it is the target.
    bool Next() { return ++m_Count == m_Target; }
    bool Hit() { return Next() && m_Fault != Fault::None ? Fail() : false; }
    bool Fail()
    {
        if (m_Fault == Fault::Crash)
            throw Crashed();
        errno = EIO;
        return true;
    }

    int m_Target;
    Fault m_Fault;
    int m_Count = 0;
};
} // namespace

class ProfilesSaveTest : public ProfilesTest
{
  protected:
    void SetUp() override
    {
        ProfilesTest::SetUp();
        m_Old = BuildProfilesFile({SampleProfileEntry("Old", 0)}).Bytes();
        m_New = BuildProfilesFile({SampleProfileEntry("Old", 0), SampleProfileEntry("New", 1)}).Bytes();
    }

    // The profiles a save should write: the old file's, and one more.
    void PrepareNewList(QV7_Profiles& profiles)
    {
        WriteFileBytes(Path(), m_New);
        profiles.Load();
        WriteFileBytes(Path(), m_Old);
    }

    // What a fresh start reads back, as saved bytes.
    std::vector<uint8_t> ReadBack()
    {
        QV7_Profiles profiles;
        profiles.Load();
        return SavedBytes(profiles.profiles);
    }

    std::vector<uint8_t> m_Old, m_New;
};

// Small pieces, so that the save makes many writes.
constexpr size_t kChunk = 100;

TEST_F(ProfilesSaveTest, AnUninterruptedSaveMakesManyWrites)
{
    QV7_Profiles profiles;
    PrepareNewList(profiles);
    FaultyCalls calls(0, FaultyCalls::Fault::None);
    ASSERT_TRUE(SaveFileSafely(Path(), SavedBytes(profiles.profiles), calls, kChunk));
    EXPECT_EQ(calls.Calls(), int(m_New.size() + kChunk - 1) / int(kChunk) + 5);
    EXPECT_EQ(ReadFileBytes(Path()), m_New);
    EXPECT_EQ(ReadBack(), m_New);
}

TEST_F(ProfilesSaveTest, AFaultAtAnyCallLeavesTheOldOrTheNewFileWhole)
{
    QV7_Profiles profiles;
    PrepareNewList(profiles);
    const int total = int(m_New.size() + kChunk - 1) / int(kChunk) + 5;
    for (FaultyCalls::Fault fault : {FaultyCalls::Fault::Fail, FaultyCalls::Fault::NoProgress,
                                     FaultyCalls::Fault::ShortWrite, FaultyCalls::Fault::Crash})
        for (int target = 1; target <= total; ++target)
        {
            SCOPED_TRACE(::testing::Message() << "fault " << int(fault) << " at call " << target);
            WriteFileBytes(Path(), m_Old);
            FaultyCalls calls(target, fault);
            bool saved = false;
            try
            {
                saved = SaveFileSafely(Path(), SavedBytes(profiles.profiles), calls, kChunk);
            }
            catch (const FaultyCalls::Crashed&)
            {
            }
            const std::vector<uint8_t> onDisk = ReadFileBytes(Path());
            ASSERT_TRUE(onDisk == m_Old || onDisk == m_New);
            EXPECT_EQ(ReadBack(), onDisk);
            if (saved)
            {
                EXPECT_EQ(onDisk, m_New);
            }
            if (fault != FaultyCalls::Fault::Crash)
            {
                EXPECT_FALSE(std::filesystem::exists(SafeSaveTemporaryPath(Path())));
            }
            // Whatever an interrupted save left, the next one goes through.
            ASSERT_TRUE(SaveFileSafely(Path(), SavedBytes(profiles.profiles)));
            ASSERT_EQ(ReadFileBytes(Path()), m_New);
        }
}

TEST_F(ProfilesSaveTest, AFailedSaveIsLoggedAndKeepsTheListAndTheFile)
{
    QV7_Profiles profiles;
    PrepareNewList(profiles);
    FaultyCalls calls(3, FaultyCalls::Fault::Fail);
    EXPECT_FALSE(profiles.Save(calls));
    EXPECT_TRUE(log.Contains("ERROR: Can't acces profile file for writing, save game not saved!. " + Path()));
    EXPECT_EQ(ReadFileBytes(Path()), m_Old);
    EXPECT_EQ(SavedBytes(profiles.profiles), m_New);
}

namespace
{
// The system's calls, except that call `target` ends the process.
class KillAtCall : public FileSystemCalls
{
  public:
    explicit KillAtCall(int target) : m_Target(target) {}
    int OpenForWriting(const std::string& path, mode_t keptMode) override
    {
        return Die(), FileSystemCalls::OpenForWriting(path, keptMode);
    }
    ssize_t Write(int fd, const void* data, size_t count) override
    {
        return Die(), FileSystemCalls::Write(fd, data, count);
    }
    int Sync(int fd) override { return Die(), FileSystemCalls::Sync(fd); }
    int Close(int fd) override { return Die(), FileSystemCalls::Close(fd); }
    int Rename(const std::string& from, const std::string& to) override
    {
        return Die(), FileSystemCalls::Rename(from, to);
    }
    int SyncFolder(const std::string& folder) override { return Die(), FileSystemCalls::SyncFolder(folder); }

  private:
    void Die()
    {
        if (++m_Count == m_Target)
            killtest::DieNow();
    }
    int m_Target;
    int m_Count = 0;
};
} // namespace

// The game's own save in a process that is really killed: at each system
// call of the save in turn, then after a spread of delays while it saves the
// old and the new list again and again. The file left is always one of the
// two, whole, and the next start reads it.
TEST_F(ProfilesSaveTest, AProcessKilledDuringASaveLeavesTheOldOrTheNewFileWhole)
{
    QV7_Profiles profiles;
    PrepareNewList(profiles);
    int killedAtCall = 0;
    for (int target = 1; target < 40; ++target)
    {
        WriteFileBytes(Path(), m_Old);
        const bool killed = killtest::KillDuring(
            [&]
            {
                KillAtCall calls(target);
                profiles.Save(calls);
            },
            2000000);
        const std::vector<uint8_t> onDisk = ReadFileBytes(Path());
        ASSERT_TRUE(onDisk == m_Old || onDisk == m_New) << "killed at call " << target;
        EXPECT_EQ(ReadBack(), onDisk);
        if (!killed)
            break; // the save ran to its end before reaching this call
        ++killedAtCall;
    }
    EXPECT_GE(killedAtCall, 5) << "open, write, flush, close, rename and the folder's flush";

    std::mt19937 random(26);
    int sawOld = 0, sawNew = 0;
    for (int round = 0; round < 40; ++round)
    {
        WriteFileBytes(Path(), m_Old);
        killtest::KillDuring(
            [&]
            {
                for (;;)
                {
                    SaveFileSafely(Path(), m_New, FileSystemCalls::System(), kChunk);
                    SaveFileSafely(Path(), m_Old, FileSystemCalls::System(), kChunk);
                }
            },
            random() % 4000);
        const std::vector<uint8_t> onDisk = ReadFileBytes(Path());
        ASSERT_TRUE(onDisk == m_Old || onDisk == m_New) << "round " << round;
        EXPECT_EQ(ReadBack(), onDisk);
        (onDisk == m_Old ? sawOld : sawNew) += 1;
    }
    // The kills fell at different points of the saves.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}
