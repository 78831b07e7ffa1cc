// A program that plays the game itself hands the input layer its frames one
// at a time: each goes into the null input's state as a script file's
// would, the clock moves by its milliseconds, and the source's "done" ends
// the run as the end of a script does. Its own process: the scripted player
// is started once and for good.
#include "platform/input/null/NullInput.h"
#include "platform/input/script/ScriptedInput.h"
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

using namespace input::script;

namespace
{
int g_framesGiven = 0;

bool TwoFrames(ScriptFrame& frame)
{
    if (g_framesGiven == 2)
        return false;
    ++g_framesGiven;
    frame.ms = 40;
    frame.cursorX = 100 * g_framesGiven;
    frame.cursorY = 50;
    frame.leftButton = g_framesGiven == 1;
    if (g_framesGiven == 2)
        frame.keys.push_back(KeyCodeByName("T"));
    return true;
}
} // namespace

TEST(ScriptedInputSource, FramesOfTheSourceReachTheNullInputUntilItIsDone)
{
    unsetenv("QV7_INPUT_SCRIPT");
    EXPECT_FALSE(Requested());
    SetFrameSource(&TwoFrames);
    ASSERT_TRUE(Requested()) << "the input layer must pick its null back-end";
    Start();
    ASSERT_TRUE(Running());
    const uint32_t start = win::timeGetTime();

    FrameEvents first = AdvanceFrame();
    EXPECT_TRUE(first.running);
    EXPECT_TRUE(first.leftButtonDown);
    EXPECT_FALSE(first.keyDown);
    EXPECT_EQ(input::null::State().cursorX, 100);
    EXPECT_EQ(input::null::State().mouse.rgbButtons[0], 0x80);

    FrameEvents second = AdvanceFrame();
    EXPECT_TRUE(second.running);
    EXPECT_TRUE(second.keyDown);
    EXPECT_FALSE(second.leftButtonDown);
    EXPECT_EQ(input::null::State().cursorX, 200);
    EXPECT_EQ(input::null::State().keys[KeyCodeByName("T")], 0x80);
    EXPECT_EQ(win::timeGetTime() - start, 80u) << "time moves by the frames' milliseconds";

    EXPECT_FALSE(AdvanceFrame().running);
    EXPECT_EQ(win::timeGetTime() - start, 80u);
}
