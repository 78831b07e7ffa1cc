// Settings.ini values and defaults, the language file and the key-action list.
#include "platform/win/NullWindow.h"
#include "shell/QV7_Splash.h"
#include "shell/QV7_Windows.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/LanguageFileWriter.h"

#include <gtest/gtest.h>

namespace
{
class WindowsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_programDir = dir.Path();
        g_dataDir = dir.Path() + "Data/";
        std::filesystem::create_directories(g_dataDir);
        WriteSettings("[MAIN]\nDebug=1\n"); // so the log lines reach the file
    }
    void WriteSettings(const std::string& text) { std::ofstream(dir.Path() + "Settings.ini") << text; }
    LanguageGroups ActionNames(size_t count)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < count; ++i)
            names.push_back("Action " + std::to_string(i));
        return {names, {"menu text"}};
    }

    TempDir dir;
    ScopedTestLogger log;
};
} // namespace

TEST_F(WindowsTest, MissingSettingsGiveTheDefaults)
{
    std::filesystem::remove(dir.Path() + "Settings.ini");
    QV7_Windows windows;
    EXPECT_EQ(g_windowsData, &windows);
    windows.LoadSettings();
    const GameSettings& s = windows.m_Settings;
    EXPECT_EQ(s.Debug, 0);
    EXPECT_EQ(s.Windowed, 0);
    EXPECT_EQ(s.Version, 1);
    EXPECT_EQ(s.ScreenWidth, 800);
    EXPECT_EQ(s.ScreenHeight, 600);
    EXPECT_EQ(s.ScreenDepth, 32);
    EXPECT_EQ(s.Detail, 4);
    EXPECT_EQ(s.INIT_SoundEnabled, 1);
    EXPECT_EQ(s.SoundVolume, 50);
    EXPECT_EQ(s.MusicVolume, 50);
    EXPECT_STREQ(s.LanguageVersion, "EN");
    EXPECT_STREQ(s.ControllerDevice, "0");
    EXPECT_EQ(s.Keys[KEY_Respawn][0], 28);
    EXPECT_EQ(s.Keys[KEY_Pause][1], 197);
    EXPECT_EQ(s.Keys[KEY_PreviousWeapon][1], -1);
}

TEST_F(WindowsTest, ReadsEveryValueOfAFullFile)
{
    WriteSettings("[MAIN]\nDebug=1\nWindowed=1\nVersion=2\nVersion_Branch=3\n"
                  "[options]\nscreenwidth=1024\nScreenHeight=768\nScreenDepth=16\nDetail=-1\nAdapter=-2\n"
                  "[Custom]\nforce_Shadow=1\nFSAA=2\n"
                  "[Sound]\nINIT_SoundEnabled=0\nSoundVolume=80\nMusicVolume=0\n"
                  "[Language]\nVersion=FR\nVersionNumber=2\n"
                  "[Controller]\nDevice=Pad One\n"
                  "[Keys]\nKey1_Respawn=-1\nKey2_Shoot=530\n");
    QV7_Windows windows;
    windows.LoadSettings();
    const GameSettings& s = windows.m_Settings;
    EXPECT_EQ(s.Debug, 1);
    EXPECT_EQ(s.Windowed, 1);
    EXPECT_EQ(s.Version_Branch, 3);
    EXPECT_EQ(s.ScreenWidth, 1024);
    EXPECT_EQ(s.ScreenDepth, 16);
    EXPECT_EQ(s.Detail, -1);
    EXPECT_EQ(s.Adapter, -2);
    EXPECT_EQ(s.force_Shadow, 1);
    EXPECT_EQ(s.FSAA, 2);
    EXPECT_EQ(s.INIT_SoundEnabled, 0);
    EXPECT_EQ(s.MusicVolume, 0);
    EXPECT_STREQ(s.LanguageVersion, "FR");
    EXPECT_EQ(windows.m_VersionNumber, 2);
    EXPECT_STREQ(s.ControllerDevice, "Pad One");
    EXPECT_EQ(s.Keys[KEY_Respawn][0], -1); // unbound stays unbound
    EXPECT_EQ(s.Keys[KEY_Respawn][1], 19);
    EXPECT_EQ(s.Keys[KEY_Shoot][1], 530);
}

TEST_F(WindowsTest, LanguageCodeSelectsTheFile)
{
    struct Case
    {
        const char* code;
        const char* file;
    };
    for (const Case c : {Case{"EN", "LANG.lng"}, Case{"ENG", "LANGENG.lng"}, Case{"FR", "LANGFR.lng"}})
    {
        std::filesystem::remove_all(g_dataDir);
        std::filesystem::create_directories(g_dataDir);
        ASSERT_TRUE(WriteLanguageFile(g_dataDir + c.file, ActionNames(26)));
        WriteSettings(std::string("[Language]\nVersion=") + c.code + "\n");
        QV7_Windows windows;
        windows.LoadSettings();
        EXPECT_STREQ(windows.GetLanguageString(1, 0), "menu text") << c.code;
    }
}

TEST_F(WindowsTest, KeyActionListFollowsTheMenuOrderWithLanguageNames)
{
    ASSERT_TRUE(WriteLanguageFile(g_dataDir + "LANG.lng", ActionNames(26)));
    QV7_Windows windows;
    windows.LoadSettings();
    ASSERT_EQ(windows.m_KeyActions.count, 26);
    const KeyActionRecord* second = windows.m_KeyActions[1]; // Accelerate, entry 1
    EXPECT_STREQ(second->name, "Action 1");
    EXPECT_EQ(second->key1, &windows.m_Settings.Keys[KEY_Accelerate][0]);
    const KeyActionRecord* eighth = windows.m_KeyActions[7]; // Turbo, entry 2
    EXPECT_STREQ(eighth->name, "Action 2");
    EXPECT_EQ(eighth->key2, &windows.m_Settings.Keys[KEY_Turbo][1]);
}

TEST_F(WindowsTest, MissingOrShortLanguageFileGivesPlaceholderNames)
{
    {
        QV7_Windows windows;
        windows.LoadSettings();
        EXPECT_TRUE(log.Contains("ERROR: Can't load '" + g_dataDir + "LANG.lng'"));
        EXPECT_STREQ(windows.m_KeyActions[0]->name, "Respawn");
    }
    ASSERT_TRUE(WriteLanguageFile(g_dataDir + "LANG.lng", ActionNames(3)));
    QV7_Windows windows;
    windows.LoadSettings();
    EXPECT_STREQ(windows.m_KeyActions[1]->name, "Action 1");
    EXPECT_STREQ(windows.m_KeyActions[25]->name, "PreviousWeapon");
}

TEST_F(WindowsTest, OverlongLanguageStringIsFatalBeforeItIsCopied)
{
    ASSERT_TRUE(WriteLanguageFile(g_dataDir + "LANG.lng", {{std::string(500, 'x')}}));
    QV7_Windows windows;
    EXPECT_THROW(windows.LoadSettings(), CDException);
    EXPECT_TRUE(log.Contains("ERROR: String too long"));
    EXPECT_TRUE(log.Contains("ERROR DETAILS: FILE .\\QV7_Windows LINE 275"));
}

// A string the file promises and does not hold is a broken string and ends
// the start-up; a count that cannot be read ends the table with the groups
// before it, and the action names fall back to placeholders.
TEST_F(WindowsTest, BrokenLanguageFiles)
{
    const std::string kBrokenLine =
        "Critical Problem, File Broken, Application will crash to avoid any additional problems.";
    auto bytesOf = [](const LanguageGroups& groups) { return BuildLanguageFile(groups).Bytes(); };
    auto ints = [](std::vector<uint8_t> bytes, std::initializer_list<int32_t> values)
    {
        for (int32_t v : values)
            for (int i = 0; i < 4; ++i)
                bytes.push_back(uint8_t(uint32_t(v) >> (8 * i)));
        return bytes;
    };
    auto cut = [](std::vector<uint8_t> bytes, size_t drop)
    {
        bytes.resize(bytes.size() - drop);
        return bytes;
    };
    const std::vector<uint8_t> twoStrings = bytesOf({{"Respawn", std::string(40, 'x')}});
    std::vector<uint8_t> manyGroups = bytesOf({{"A"}});
    manyGroups[0] = 0;
    manyGroups[3] = 0x10; // 1 << 28 groups, one of them present
    struct Case
    {
        const char* what;
        std::vector<uint8_t> bytes;
        bool fatal;
        std::string line;        // logged (besides the broken-string lines of a fatal case)
        const char* firstAction; // name of the first key action when the load goes on
    };
    const std::string at = "ERROR: Language file '" + g_dataDir + "LANG.lng' is broken at offset ";
    const std::vector<Case> cases = {
        {"zero-length string", ints({}, {1, 1, 0}), true, "", nullptr},
        {"negative string length", ints({}, {1, 1, -7}), true, "", nullptr},
        {"string count past the strings present", ints({}, {1, 1 << 28, 2, 0x41}), true, "", nullptr},
        {"cut right after a string count", ints({}, {1, 3}), true, "", nullptr},
        {"cut inside a string", cut(twoStrings, 10), true, "", nullptr},
        {"string without its terminating zero", ints({}, {1, 1, 4, 0x41414141}), true, "", nullptr},
        {"empty file", {}, false, at + "0", "Respawn"},
        {"negative group count", ints({}, {-1}), false, at + "0", "Respawn"},
        {"group count past the groups present", manyGroups, false, at + "14", "A"},
        {"negative string count", ints({}, {2, -5, 1, 2, 0x42}), false, at + "4", "Respawn"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        BinaryWriter file;
        file.WriteBytes(c.bytes.data(), c.bytes.size());
        ASSERT_TRUE(file.SaveToFile(g_dataDir + "LANG.lng"));
        const size_t linesBefore = log.Lines().size();
        auto loggedSince = [&](const std::string& text, bool prefix = false)
        {
            const std::vector<std::string> lines = log.Lines();
            for (size_t i = linesBefore; i < lines.size(); ++i)
                if (prefix ? lines[i].rfind(text, 0) == 0 : lines[i] == text)
                    return true;
            return false;
        };
        QV7_Windows windows;
        if (c.fatal)
        {
            EXPECT_THROW(windows.LoadSettings(), CDException);
            EXPECT_TRUE(loggedSince(kBrokenLine));
            EXPECT_TRUE(loggedSince("ERROR DETAILS: FILE .\\QV7_Globals LINE ", true));
            continue;
        }
        EXPECT_NO_THROW(windows.LoadSettings());
        EXPECT_TRUE(loggedSince(c.line));
        EXPECT_FALSE(loggedSince(kBrokenLine));
        ASSERT_EQ(windows.m_KeyActions.count, 26);
        EXPECT_STREQ(windows.m_KeyActions[0]->name, c.firstAction);
    }
}

TEST_F(WindowsTest, TheSplashWindowIsCentredAndPaintsTheLoadingText)
{
    QV7_Windows windows;
    windows.LoadSettings();
    ASSERT_TRUE(windows.CreateGameWindow());
    auto* window = static_cast<win::NullWindow*>(windows.m_Window.get());
    int desktopWidth = 0, desktopHeight = 0;
    win::GetDesktopSize(desktopWidth, desktopHeight);
    EXPECT_EQ(window->m_X, desktopWidth / 2 - 242);
    EXPECT_EQ(window->m_Y, desktopHeight / 2 - 108);
    EXPECT_EQ(window->m_Width, 485);
    EXPECT_EQ(window->m_Height, 300);
    EXPECT_TRUE(window->m_Visible);

    // Text pixels (red 18, green 81, blue 111) appear in the bands the percent is drawn in.
    auto textPixelsInRows = [&](int top, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 485; ++x)
                count += (window->m_Pixels[size_t(y) * 485 + size_t(x)] & 0xFFFFFF) == 0x12516F;
        return count;
    };
    windows.SetLoadingPercent(100);
    const int withPercent = textPixelsInRows(180, 200);
    EXPECT_GT(textPixelsInRows(155, 178), 0);
    EXPECT_GT(withPercent, 0);

    // While the engine shows full screen, nothing is painted.
    const int paints = window->m_PaintCount;
    QV7_Windows::s_EngineIsFullScreen = [] { return true; };
    windows.SetLoadingPercent(50);
    win::PostMessage(window, win::WM_PAINT);
    win::MSG msg;
    while (win::PeekMessage(msg, true))
        win::DispatchMessage(msg);
    EXPECT_EQ(window->m_PaintCount, paints);
    QV7_Windows::s_EngineIsFullScreen = nullptr;
}

TEST_F(WindowsTest, TheWindowWearsTheIconAndTakesTheArrowWhenTheCursorIsAskedFor)
{
    QV7_Windows windows;
    windows.LoadSettings();
    ASSERT_TRUE(windows.CreateGameWindow());
    auto* window = static_cast<win::NullWindow*>(windows.m_Window.get());
    const SplashImage& icon = WindowIcon();
    EXPECT_EQ(window->m_IconWidth, 32);
    EXPECT_EQ(window->m_IconHeight, 32);
    EXPECT_EQ(window->m_Icon, icon.pixels);

    EXPECT_EQ(window->m_CursorSets, 0) << "only the set-cursor message sets it";
    win::PostMessage(window, win::WM_SETCURSOR, 0, (win::WM_MOUSEMOVE << 16) | 1);
    win::MSG msg;
    while (win::PeekMessage(msg, true))
        win::DispatchMessage(msg);
    EXPECT_EQ(window->m_CursorSets, 1);
    EXPECT_EQ(window->m_Cursor, win::Cursor::Arrow);
    EXPECT_EQ(window->CallProc(win::WM_SETCURSOR, 0, 0), 1) << "handled: the default cursor must not follow";
}
