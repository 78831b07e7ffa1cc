// Saves killed for real: a forked child saves Profiles.dtx or Settings.ini
// and dies by SIGKILL, once before each system call of the save in turn, and
// once after each of a spread of short random delays while it saves the old
// and the new content over and over. What the game reads back afterwards is
// always the old file or the new one, whole.
#include "platform/io/SafeFileSave.h"
#include "platform/win/Ini.h"
#include "tests/race/ProfilesTestSupport.h"
#include "tools/writers/ProfilesWriter.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// The system's calls, each write passing on at most `piece` bytes (as a
// short write may) so that a save makes several; the process kills itself
// just before call `target`.
class KillingCalls : public FileSystemCalls
{
  public:
    KillingCalls(int target, size_t piece) : m_Target(target), m_Piece(piece) {}

    int OpenForWriting(const std::string& path, mode_t keptMode) override
    {
        Step();
        return FileSystemCalls::OpenForWriting(path, keptMode);
    }
    ssize_t Write(int fd, const void* data, size_t count) override
    {
        Step();
        return FileSystemCalls::Write(fd, data, std::min(count, m_Piece));
    }
    int Sync(int fd) override { return Step(), FileSystemCalls::Sync(fd); }
    int Close(int fd) override { return Step(), FileSystemCalls::Close(fd); }
    int Rename(const std::string& from, const std::string& to) override
    {
        return Step(), FileSystemCalls::Rename(from, to);
    }
    int SyncFolder(const std::string& folder) override { return Step(), FileSystemCalls::SyncFolder(folder); }
    int Unlink(const std::string& path) override { return Step(), FileSystemCalls::Unlink(path); }

  private:
    void Step()
    {
        if (++m_Count == m_Target)
            ::raise(SIGKILL);
    }

    int m_Target;
    size_t m_Piece;
    int m_Count = 0;
};

enum class Ending
{
    Finished,
    Killed,
    Other
};

Ending EndingOf(int status)
{
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return Ending::Finished;
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? Ending::Killed : Ending::Other;
}

// The test body runs on one thread, so the child may go on with the save
// alone; it leaves by _exit, never through gtest's or the game's exit code.
Ending SaveInChild(const std::function<bool()>& save)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(save() ? 0 : 1);
    int status = 0;
    ::waitpid(child, &status, 0);
    return EndingOf(status);
}

// The child saves for ever; the parent kills it after `delay` microseconds.
void KillLoopingChild(const std::function<void(int)>& save, unsigned delay)
{
    const pid_t child = ::fork();
    if (child == 0)
    {
        for (int round = 0;; ++round)
            save(round);
    }
    ::usleep(delay);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_EQ(EndingOf(status), Ending::Killed);
}

std::vector<unsigned> RandomDelays()
{
    std::mt19937 random(26);
    std::uniform_int_distribution<unsigned> micros(0, 4000);
    std::vector<unsigned> delays(50);
    for (unsigned& delay : delays)
        delay = micros(random);
    return delays;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}
} // namespace

class SaveKillTest : public ProfilesTest
{
  protected:
    // Old: three profiles; new: the same with a fourth. Several kilobytes,
    // so a save in pieces of 512 bytes makes a dozen writes.
    void SetUp() override
    {
        ProfilesTest::SetUp();
        WriteFileBytes(Path(), BuildProfilesFile({SampleProfileEntry("Ann", 0), SampleProfileEntry("Bob", 1),
                                                  SampleProfileEntry("Cy", 2)})
                                   .Bytes());
        m_OldList.Load();
        WriteFileBytes(Path(), BuildProfilesFile({SampleProfileEntry("Ann", 0), SampleProfileEntry("Bob", 1),
                                                  SampleProfileEntry("Cy", 2), SampleProfileEntry("Dee", 3)})
                                   .Bytes());
        m_NewList.Load();
        m_Old = SavedBytes(m_OldList.profiles);
        m_New = SavedBytes(m_NewList.profiles);
        ASSERT_GT(m_Old.size(), 4000u);
        WriteFileBytes(Path(), m_Old);
    }

    // The file is the old or the new one, the game loads exactly it (nothing
    // kept aside as broken), and nothing else but a leftover temporary file
    // lies beside it.
    void ExpectOldOrNewProfiles()
    {
        const std::vector<uint8_t> onDisk = ReadFileBytes(Path());
        ASSERT_TRUE(onDisk == m_Old || onDisk == m_New) << onDisk.size() << " bytes";
        QV7_Profiles reread;
        reread.Load();
        EXPECT_EQ(SavedBytes(reread.profiles), onDisk);
        for (const std::string& name : FolderEntries(dir.Path()))
            EXPECT_TRUE(name == "Profiles.dtx" || name == "Profiles.dtx.tmp" || name == "Logger.dat") << name;
    }

    // After the kills, one save by the game leaves only its file.
    void ExpectTheNextSaveCleansUp()
    {
        EXPECT_TRUE(m_NewList.Save(FileSystemCalls::System()));
        EXPECT_EQ(ReadFileBytes(Path()), m_New);
        EXPECT_FALSE(std::filesystem::exists(SafeSaveTemporaryPath(Path())));
    }

    QV7_Profiles m_OldList, m_NewList;
    std::vector<uint8_t> m_Old, m_New;
};

TEST_F(SaveKillTest, ProfilesKilledBeforeEachCallOfTheSave)
{
    int calls = 1;
    for (;; ++calls)
    {
        SCOPED_TRACE(::testing::Message() << "killed before call " << calls);
        WriteFileBytes(Path(), m_Old);
        const Ending ending = SaveInChild(
            [&]
            {
                KillingCalls killing(calls, 512);
                return m_NewList.Save(killing);
            });
        ASSERT_NE(ending, Ending::Other);
        ExpectOldOrNewProfiles();
        if (ending == Ending::Finished)
            break;
    }
    EXPECT_GT(calls, 12) << "the save made several writes";
    EXPECT_EQ(ReadFileBytes(Path()), m_New);
    ExpectTheNextSaveCleansUp();
}

TEST_F(SaveKillTest, ProfilesKilledAtRandomMomentsOfRepeatedSaves)
{
    for (unsigned delay : RandomDelays())
    {
        SCOPED_TRACE(::testing::Message() << "killed after " << delay << " us");
        KillLoopingChild([&](int round) { (round % 2 ? m_OldList : m_NewList).Save(); }, delay);
        ExpectOldOrNewProfiles();
    }
    ExpectTheNextSaveCleansUp();
}

// Settings.ini as the game writes it: one key at a time through the Ini layer.
class SettingsKillTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::ofstream(m_Path, std::ios::binary) << kOldText;
        ASSERT_TRUE(win::WritePrivateProfileStringA("Sound", "SoundVolume", "100", m_Path));
        m_New = ReadFileBytes(m_Path);
        ASSERT_EQ(m_New.size(), m_Old.size() + 2);
        WriteFileBytes(m_Path, m_Old);
    }

    void ExpectOldOrNewSettings()
    {
        const std::vector<uint8_t> onDisk = ReadFileBytes(m_Path);
        ASSERT_TRUE(onDisk == m_Old || onDisk == m_New) << onDisk.size() << " bytes";
        EXPECT_EQ(win::GetPrivateProfileIntA("Sound", "SoundVolume", -1, m_Path), onDisk == m_Old ? 7 : 100);
        EXPECT_EQ(win::GetPrivateProfileIntA("Keys", "Key2_Shoot", 0, m_Path), -1) << "a key after it";
        for (const std::string& name : FolderEntries(m_Dir.Path()))
            EXPECT_TRUE(name == "Settings.ini" || name == "Settings.ini.tmp") << name;
    }

    void ExpectTheNextWriteCleansUp()
    {
        ASSERT_TRUE(win::WritePrivateProfileStringA("Sound", "SoundVolume", "100", m_Path));
        EXPECT_EQ(ReadFileBytes(m_Path), m_New);
        EXPECT_EQ(FolderEntries(m_Dir.Path()), std::vector<std::string>{"Settings.ini"});
    }

    static constexpr const char* kOldText =
        "[MAIN]\nDebug=0\nWindowed=1\nVersion=1\n\n[Options]\nScreenWidth=1024\nScreenHeight=768\n"
        "ScreenDepth=32\nDetail=4\n\n[Custom]\nforce_Shadow=1\nforce_Shore=1\nFSAA=2\n\n[Sound]\n"
        "INIT_SoundEnabled=1\nSoundVolume=7\nMusicVolume=40\n\n[Language]\nVersion=EN\n\n"
        "[Controller]\nDevice=0\n\n[Keys]\nKey1_Accelerate=200\nKey2_Accelerate=17\nKey1_Shoot=29\n"
        "Key2_Shoot=-1\n";

    TempDir m_Dir;
    std::string m_Path = m_Dir.Path() + "Settings.ini";
    std::vector<uint8_t> m_Old = Bytes(kOldText), m_New;
};

TEST_F(SettingsKillTest, KilledBeforeEachCallOfTheWrite)
{
    int calls = 1;
    for (;; ++calls)
    {
        SCOPED_TRACE(::testing::Message() << "killed before call " << calls);
        WriteFileBytes(m_Path, m_Old);
        const Ending ending = SaveInChild(
            [&]
            {
                KillingCalls killing(calls, 64);
                return win::WritePrivateProfileStringA("Sound", "SoundVolume", "100", m_Path, killing);
            });
        ASSERT_NE(ending, Ending::Other);
        ExpectOldOrNewSettings();
        if (ending == Ending::Finished)
            break;
    }
    EXPECT_GT(calls, 8) << "the write made several writes";
    EXPECT_EQ(ReadFileBytes(m_Path), m_New);
    ExpectTheNextWriteCleansUp();
}

TEST_F(SettingsKillTest, KilledAtRandomMomentsOfRepeatedWrites)
{
    for (unsigned delay : RandomDelays())
    {
        SCOPED_TRACE(::testing::Message() << "killed after " << delay << " us");
        KillLoopingChild(
            [&](int round)
            { win::WritePrivateProfileStringA("Sound", "SoundVolume", round % 2 ? "7" : "100", m_Path); },
            delay);
        ExpectOldOrNewSettings();
    }
    ExpectTheNextWriteCleansUp();
}
