// Private-profile reads and writes on small fixture files, checked against
// what Windows' own calls return and leave on disk.
#include "platform/win/Ini.h"
#include "tests/platform/io/KillDuringSave.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
namespace fs = std::filesystem;

class IniTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/qv7-ini-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
        m_path = (m_dir / "Settings.ini").string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void Write(const std::string& text) const { std::ofstream(m_path, std::ios::binary) << text; }
    std::string Read() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        return names;
    }
    std::string GetString(const char* section, const char* key, const char* fallback = "<default>") const
    {
        char out[64];
        win::GetPrivateProfileStringA(section, key, fallback, out, sizeof out, m_path);
        return out;
    }

    fs::path m_dir;
    std::string m_path;
};

const char* const kReadFixture = "; read fixture\n"
                                 "[MAIN]\n"
                                 "Debug=1\n"
                                 "  Windowed  =   0  \n"
                                 "Negative=-1\n"
                                 "Plus=+7\n"
                                 "Word=abc\n"
                                 "Mixed=12abc\n"
                                 "Empty=\n"
                                 "Padded=   42   \n"
                                 "QuotedNumber=\"5\"\n"
                                 "Quoted=\"  hello  \"\n"
                                 "Single='x'\n"
                                 "Unmatched=\"abc\n"
                                 "Bare\n"
                                 ";Commented=3\n"
                                 "[main]\n"
                                 "Debug=5\n"
                                 "Only=6\n"
                                 "[Options]\n"
                                 "debug=9\n"
                                 "Dup=first\n"
                                 "DUP=second\n"
                                 "  [ Spaced ]  \n"
                                 "Key = value with spaces  \n";

std::string WithCrlf(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

TEST_F(IniTest, ReadsLikeWindowsWithLfAndCrlf)
{
    struct IntCase
    {
        const char* section;
        const char* key;
        int expected;
    };
    const IntCase ints[] = {
        {"MAIN", "Debug", 1},        {"main", "DEBUG", 1},     {"MAIN", "Windowed", 0},
        {"MAIN", "Negative", -1},    {"MAIN", "Plus", 7},      {"MAIN", "Word", 0},
        {"MAIN", "Mixed", 12},       {"MAIN", "Empty", 33},    {"MAIN", "Padded", 42},
        {"MAIN", "QuotedNumber", 5}, {"MAIN", "Bare", 33},     {"MAIN", ";Commented", 33},
        {"MAIN", "Commented", 33},   {"MAIN", "Only", 33},     {"Options", "Debug", 9},
        {"MAIN", "Missing", 33},     {"Nowhere", "Debug", 33},
    };
    struct StringCase
    {
        const char* section;
        const char* key;
        const char* expected;
    };
    const StringCase strings[] = {
        {"MAIN", "Quoted", "  hello  "},
        {"MAIN", "Single", "x"},
        {"MAIN", "Unmatched", "\"abc"},
        {"MAIN", "Padded", "42"},
        {"MAIN", "Bare", ""},
        {"MAIN", "Empty", ""},
        {"Options", "dup", "first"},
        {"spaced", "KEY", "value with spaces"},
        {"MAIN", "Missing", "<default>"},
        {"Nowhere", "Debug", "<default>"},
    };
    for (const std::string& text : {std::string(kReadFixture), WithCrlf(kReadFixture)})
    {
        Write(text);
        for (const IntCase& c : ints)
            EXPECT_EQ(win::GetPrivateProfileIntA(c.section, c.key, 33, m_path), c.expected)
                << "[" << c.section << "] " << c.key;
        for (const StringCase& c : strings)
            EXPECT_EQ(GetString(c.section, c.key), c.expected) << "[" << c.section << "] " << c.key;
    }
}

// A file cut off anywhere (inside a header, a key or a value, without its
// last line end) reads what is there and gives the default for the rest.
TEST_F(IniTest, CutFileReadsWhatIsThere)
{
    const std::string whole = "[MAIN]\r\nDebug=12\r\n[Options]\r\nDetail=3\r\n";
    struct Case
    {
        size_t size;
        int debug;
        int detail;
    };
    const Case cases[] = {{3, 33, 33},  {9, 33, 33},  {14, 33, 33}, {15, 1, 33}, {22, 12, 33},
                          {28, 12, 33}, {36, 12, 33}, {37, 12, 3},  {38, 12, 3}, {whole.size(), 12, 3}};
    for (const Case& c : cases)
    {
        Write(whole.substr(0, c.size));
        EXPECT_EQ(win::GetPrivateProfileIntA("MAIN", "Debug", 33, m_path), c.debug) << c.size;
        EXPECT_EQ(win::GetPrivateProfileIntA("Options", "Detail", 33, m_path), c.detail) << c.size;
    }
}

TEST_F(IniTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(win::GetPrivateProfileIntA("MAIN", "Debug", -4, m_path), -4);
    EXPECT_EQ(GetString("MAIN", "Debug", "EN"), "EN");
    EXPECT_EQ(GetString("MAIN", "Debug", nullptr), "");
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(IniTest, StringCopyIsCutAndTerminated)
{
    Write("[S]\nK=abcdef\n");
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(win::GetPrivateProfileStringA("S", "K", "", out, sizeof out, m_path), 3u);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(win::GetPrivateProfileStringA("S", "Missing", "0123456", out, sizeof out, m_path), 3u);
    EXPECT_STREQ(out, "012");
    EXPECT_EQ(win::GetPrivateProfileStringA("S", "K", "", out, 1, m_path), 0u);
    EXPECT_STREQ(out, "");
}

const char* const kWriteFixture = "; Game settings\n"
                                  "[MAIN]\n"
                                  "Debug=0\n"
                                  "Windowed = 0\n"
                                  "something odd\n"
                                  "[Options]\n"
                                  "Detail=4\n"
                                  "windowed=0\n"
                                  "\n"
                                  "[Sound]\n"
                                  "SoundVolume=50\n"
                                  "[main]\n"
                                  "Debug=7\n";

TEST_F(IniTest, WritesChangeOnlyTheirLine)
{
    struct Case
    {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"update in place, the file's spelling kept", "main", "WINDOWED", "1",
         "; Game settings\n[MAIN]\nDebug=0\nWindowed=1\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n\n"
         "[Sound]\nSoundVolume=50\n[main]\nDebug=7\n"},
        {"first duplicate section wins", "MAIN", "debug", "-1",
         "; Game settings\n[MAIN]\nDebug=-1\nWindowed = 0\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n\n"
         "[Sound]\nSoundVolume=50\n[main]\nDebug=7\n"},
        {"new key after the last entry of its section", "Options", "Adapter", "2",
         "; Game settings\n[MAIN]\nDebug=0\nWindowed = 0\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n"
         "Adapter=2\n\n[Sound]\nSoundVolume=50\n[main]\nDebug=7\n"},
        {"new section at the end", "Keys", "Key1_Respawn", "-1",
         "; Game settings\n[MAIN]\nDebug=0\nWindowed = 0\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n\n"
         "[Sound]\nSoundVolume=50\n[main]\nDebug=7\n\n[Keys]\nKey1_Respawn=-1\n"},
        {"null value deletes the first key", "MAIN", "Debug", nullptr,
         "; Game settings\n[MAIN]\nWindowed = 0\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n\n"
         "[Sound]\nSoundVolume=50\n[main]\nDebug=7\n"},
        {"deleting a missing key changes nothing", "MAIN", "Missing", nullptr, kWriteFixture},
        {"null key deletes the section", "sound", nullptr, nullptr,
         "; Game settings\n[MAIN]\nDebug=0\nWindowed = 0\nsomething odd\n[Options]\nDetail=4\nwindowed=0\n\n"
         "[main]\nDebug=7\n"},
    };
    for (const Case& c : cases)
    {
        Write(kWriteFixture);
        EXPECT_TRUE(win::WritePrivateProfileStringA(c.section, c.key, c.value, m_path)) << c.what;
        EXPECT_EQ(Read(), c.expected) << c.what;
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Settings.ini"})
            << c.what << ": temporary file left";
    }
}

TEST_F(IniTest, CreatesFileAndReadsBackWhatItWrote)
{
    ASSERT_TRUE(win::WritePrivateProfileStringA("Language", "Version", "EN", m_path));
    ASSERT_TRUE(win::WritePrivateProfileStringA("Keys", "Key2_Shoot", "-1", m_path));
    ASSERT_TRUE(win::WritePrivateProfileStringA("language", "VERSION", "DE", m_path));
    EXPECT_EQ(Read(), "[Language]\nVersion=DE\n\n[Keys]\nKey2_Shoot=-1\n");
    EXPECT_EQ(GetString("LANGUAGE", "version"), "DE");
    EXPECT_EQ(win::GetPrivateProfileIntA("Keys", "Key2_Shoot", 29, m_path), -1);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Settings.ini"});
}

TEST_F(IniTest, KeepsCrlfLineEnds)
{
    Write("[MAIN]\r\nDebug=0\r\n");
    ASSERT_TRUE(win::WritePrivateProfileStringA("MAIN", "Debug", "1", m_path));
    ASSERT_TRUE(win::WritePrivateProfileStringA("MAIN", "Windowed", "1", m_path));
    EXPECT_EQ(Read(), "[MAIN]\r\nDebug=1\r\nWindowed=1\r\n");
}

TEST_F(IniTest, FailedWriteChangesNothing)
{
    std::string missingFolder = (m_dir / "absent" / "Settings.ini").string();
    EXPECT_FALSE(win::WritePrivateProfileStringA("MAIN", "Debug", "1", missingFolder));
    EXPECT_FALSE(fs::exists(m_dir / "absent"));

    // A path that is a folder cannot be read as a settings file.
    fs::create_directory(m_path);
    EXPECT_FALSE(win::WritePrivateProfileStringA("MAIN", "Debug", "1", m_path));
    EXPECT_TRUE(fs::is_directory(m_path));
    fs::remove(m_path);

    // A line break would split the entry into two lines that read back differently.
    EXPECT_FALSE(win::WritePrivateProfileStringA("MAIN", "Debug", "1\n[Evil]", m_path));
    EXPECT_FALSE(fs::exists(m_path));

    if (::geteuid() != 0) // root writes into read-only folders anyway
    {
        Write("[MAIN]\nDebug=0\n");
        fs::permissions(m_dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(win::WritePrivateProfileStringA("MAIN", "Debug", "1", m_path));
        fs::permissions(m_dir, fs::perms::owner_all);
        EXPECT_EQ(Read(), "[MAIN]\nDebug=0\n");
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"Settings.ini"});
    }
}
} // namespace

namespace
{
// Settings.ini as the game writes it: its sections and keys, with the
// volume the test changes.
std::string SettingsText(int volume)
{
    std::string text = "[MAIN]\nDebug=0\nWindowed=0\n[Options]\n";
    for (int i = 0; i < 40; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i * 7) + "\n";
    return text + "[Sound]\nSoundVolume=" + std::to_string(volume) + "\n";
}
} // namespace

// A process killed while it writes a setting, after a spread of delays: the
// file left is the old or the new one, whole, every other key in place.
TEST_F(IniTest, AProcessKilledWhileWritingLeavesTheOldOrTheNewFileWhole)
{
    const std::string before = SettingsText(50), after = SettingsText(90);
    std::mt19937 random(26);
    int sawBefore = 0, sawAfter = 0;
    for (int round = 0; round < 60; ++round)
    {
        Write(before);
        killtest::KillDuring(
            [&]
            {
                for (;;)
                {
                    win::WritePrivateProfileStringA("Sound", "SoundVolume", "90", m_path);
                    win::WritePrivateProfileStringA("Sound", "SoundVolume", "50", m_path);
                }
            },
            random() % 3000);
        const std::string onDisk = Read();
        ASSERT_TRUE(onDisk == before || onDisk == after) << "round " << round << ":\n" << onDisk;
        (onDisk == before ? sawBefore : sawAfter) += 1;
    }
    EXPECT_GT(sawBefore, 0);
    EXPECT_GT(sawAfter, 0);
}
