// Input scripts: what each command makes of the frames, and the broken
// scripts that must run as nothing at all (with the line that is wrong).
#include "platform/input/script/InputScript.h"

#include <gtest/gtest.h>

using namespace input::script;

namespace
{
// The frames written out one by one: "ms:x,y:L:keys" each.
std::vector<std::string> Expand(const ParsedScript& script)
{
    std::vector<std::string> frames;
    for (const ScriptStep& step : script.steps)
        for (int i = 0; i < step.count; ++i)
        {
            const ScriptFrame& f = step.frame;
            std::string text = std::to_string(f.ms) + ":" + std::to_string(f.cursorX) + "," +
                               std::to_string(f.cursorY) + ":" + (f.leftButton ? "L" : "-") + ":";
            for (int key : f.keys)
                text += std::to_string(key) + " ";
            frames.push_back(text);
        }
    return frames;
}
} // namespace

TEST(InputScript, CommandsBecomeFrames)
{
    const ParsedScript script = ParseInputScript("# a comment line\n"
                                                 "wait 2\n"
                                                 "ms 50   # longer frames from here\n"
                                                 "move 10 20\n"
                                                 "click\n"
                                                 "click 799 599\n"
                                                 "press escape\n"
                                                 "press 57 2\n"
                                                 "\n"
                                                 "close\n"
                                                 "wait 1000\n");
    ASSERT_EQ(script.error, "");
    const std::vector<std::string> expected = {
        "16:400,300:-:", "16:400,300:-:",                 // wait 2
        "50:10,20:L:",   "50:10,20:-:",                   // click where the cursor was moved
        "50:799,599:L:", "50:799,599:-:",                 // click with a move
        "50:799,599:-:1 ", "50:799,599:-:",               // press: held one frame, then released
        "50:799,599:-:57 ", "50:799,599:-:57 ", "50:799,599:-:", // held two frames
    };
    EXPECT_EQ(Expand(script), expected) << "close ends the script: the wait after it is not read";
}

TEST(InputScript, KeyNamesAreTheInputLayersOwnInAnyCase)
{
    EXPECT_EQ(KeyCodeByName("ESCAPE"), 1);
    EXPECT_EQ(KeyCodeByName("Return"), 28);
    EXPECT_EQ(KeyCodeByName("space"), 57);
    EXPECT_EQ(KeyCodeByName("F11"), 87);
    EXPECT_EQ(KeyCodeByName("NOSUCHKEY"), -1);
}

TEST(InputScript, ABrokenScriptHasNoFramesAndNamesItsLine)
{
    const struct
    {
        const char* text;
        const char* error;
    } cases[] = {
        {"wait 1\njump 3\n", "line 2: unknown command 'jump'"},
        {"wait\n", "line 1: wait takes a frame count"},
        {"wait -4\n", "line 1: wait takes a frame count"},
        {"wait 99999999999\n", "line 1: wait takes a frame count"},
        {"ms 0\n", "line 1: ms takes a number from 1 to 1000"},
        {"ms 16x\n", "line 1: ms takes a number from 1 to 1000"},
        {"move 800 10\n", "line 1: move takes x (0..799) and y (0..599)"},
        {"move 10\n", "line 1: move takes x (0..799) and y (0..599)"},
        {"click 5\n", "line 1: click takes nothing or x (0..799) and y (0..599)"},
        {"press\n", "line 1: press takes a key and an optional frame count"},
        {"press NOSUCHKEY\n", "line 1: unknown key 'NOSUCHKEY'"},
        {"press 256\n", "line 1: unknown key '256'"},
        {"press SPACE 0\n", "line 1: press takes a frame count from 1"},
    };
    for (const auto& c : cases)
    {
        const ParsedScript script = ParseInputScript(c.text);
        EXPECT_EQ(script.error, c.error) << c.text;
        EXPECT_TRUE(script.steps.empty()) << c.text;
    }
}
