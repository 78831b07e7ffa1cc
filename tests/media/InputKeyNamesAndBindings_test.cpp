// The key-name table the binding pages show, and resetting and saving the
// bindings to Settings.ini.
#include "media/KeyBindings.h"
#include "media/KeyNames.h"

#include "platform/win/Ini.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace
{
namespace fs = std::filesystem;

TEST(KeyNames, TableNamesEveryKeyboardAndControllerCodeOnce)
{
    std::set<InputCode> codes;
    int keyboard = 0;
    InputCode previous = -1;
    for (const KeyNameEntry& entry : kKeyNames)
    {
        ASSERT_NE(entry.name, nullptr);
        EXPECT_LT(std::strlen(entry.name), 260u);
        EXPECT_TRUE(codes.insert(entry.code).second) << entry.code;
        EXPECT_GT(entry.code, previous);
        previous = entry.code;
        keyboard += entry.code < 256;
    }
    EXPECT_EQ(keyboard, 144);
    for (InputCode code = 500; code <= 561; ++code)
        EXPECT_EQ(codes.count(code), (code == 512 || code == 513) ? 0u : 1u) << code;
}

TEST(KeyNames, LookupGivesTheNamesThePagesShow)
{
    struct Case
    {
        InputCode code;
        const char* name;
    };
    const Case cases[] = {
        {1, "ESCAPE"},           {28, "RETURN"},    {2, "1"},
        {57, "SPACE"},           {200, "UP"},       {157, "RCONTROL"},
        {156, "NUMPADENTER"},    {87, "F11"},       {500, "POSITION_X_NEG"},
        {511, "ROTATION_Z_POS"}, {514, "POV0_UP"},  {529, "POV3_LEFT"},
        {530, "BUTTON1 "},       {538, "BUTTON9 "}, {539, "BUTTON10"},
        {561, "BUTTON32"},
    };
    for (const Case& c : cases)
    {
        const char* name = GetKeyName(c.code);
        ASSERT_NE(name, nullptr) << c.code;
        EXPECT_STREQ(name, c.name);
    }
    for (InputCode absent : {-1, 0, 0x54, 256, 499, 512, 513, 562})
        EXPECT_EQ(GetKeyName(absent), nullptr) << absent;
    for (InputCode button = 530; button <= 561; ++button)
        EXPECT_EQ(std::strlen(GetKeyName(button)), 8u);
}

class KeyBindingsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        // One folder per test process: ctest runs the cases of this file side by side.
        dir = fs::temp_directory_path() / ("qv7_keybindings_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        g_programDir = dir.string() + "/";
        windows = std::make_unique<QV7_Windows>();
    }
    void TearDown() override
    {
        windows.reset();
        fs::remove_all(dir);
    }
    std::string Ini() const { return (dir / "Settings.ini").string(); }

    fs::path dir;
    std::unique_ptr<QV7_Windows> windows;
};

TEST_F(KeyBindingsTest, ResetRestoresTheDefaultsWithoutWriting)
{
    for (auto& pair : windows->m_Settings.Keys)
        pair[0] = pair[1] = 540;
    ResetKeyBindings();
    const GameSettings& settings = windows->m_Settings;
    EXPECT_EQ(settings.Keys[KEY_Respawn][0], 28);
    EXPECT_EQ(settings.Keys[KEY_Respawn][1], 19);
    EXPECT_EQ(settings.Keys[KEY_Pause][1], 197);
    EXPECT_EQ(settings.Keys[KEY_SelectWeapon5][0], 6);
    EXPECT_EQ(settings.Keys[KEY_SelectWeapon5][1], -1);
    EXPECT_EQ(settings.Keys[KEY_PreviousWeapon][0], 201);
    EXPECT_FALSE(fs::exists(Ini()));
}

TEST_F(KeyBindingsTest, SaveWritesAllFiftyTwoEntriesAndKeepsTheRestOfTheFile)
{
    {
        std::ofstream file(Ini());
        file << "[MAIN]\nDebug=1\n[Keys]\nKey1_Horn=3\n";
    }
    windows->m_Settings.Keys[KEY_Horn][0] = 545;
    windows->m_Settings.Keys[KEY_Shoot][1] = -1;
    SaveKeyBindings();

    EXPECT_EQ(win::GetPrivateProfileIntA("MAIN", "Debug", 0, Ini()), 1);
    for (int action = 0; action < KEY_ACTION_COUNT; ++action)
    {
        for (int which = 0; which < 2; ++which)
        {
            const std::string key = std::string(which ? "Key2_" : "Key1_") + kKeyActions[action].name;
            EXPECT_EQ(win::GetPrivateProfileIntA("Keys", key.c_str(), -99, Ini()),
                      windows->m_Settings.Keys[action][which])
                << key;
        }
    }
    std::stringstream text;
    text << std::ifstream(Ini()).rdbuf();
    EXPECT_NE(text.str().find("Key1_Horn=545"), std::string::npos);
    EXPECT_NE(text.str().find("Key2_Shoot=-1"), std::string::npos);
    // Key1_Respawn comes first in the section, Key2_PreviousWeapon last.
    EXPECT_LT(text.str().find("Key1_Respawn"), text.str().find("Key2_PreviousWeapon"));
}
} // namespace
