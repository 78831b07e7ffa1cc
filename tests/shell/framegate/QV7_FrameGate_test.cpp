// The frame gate on the null back-ends: sticky quit, the inactive skip, the
// lost-then-reset sequence, a reset that fails, and the screenshot key.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/null/NullInput.h"
#include "platform/win/Clock.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "tests/shell/TestLog.h"

#include "platform/io/BinaryReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
class FrameGateTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_programDir = dir.Path();
        win::ClearMessageQueue();
        win::SetClockSource(&clock);
        gfx::null::ResetSettings();
        input::null::Reset();
        windows = std::make_unique<QV7_Windows>();
        windows->m_Settings.Debug = 1;
        ASSERT_TRUE(windows->CreateGameWindow());
        engine = std::make_unique<QV7_Engine>();
        engine->m_Window = windows->m_Window.get();
        engine->m_FullScreen = 0;
        ASSERT_EQ(engine->Initialize(0), 1);
        SetQuitAfterFrames(0);
        DrainMessages();
    }
    void TearDown() override
    {
        engine.reset();
        windows.reset();
        win::ClearMessageQueue();
        win::SetClockSource(nullptr);
    }
    // Passes until the queue is empty (the window's creation messages).
    void DrainMessages()
    {
        win::MSG msg;
        while (win::PeekMessage(msg, false))
            PumpFrame();
    }

    TempDir dir;
    ScopedTestLogger log;
    win::ManualClock clock{1000};
    std::unique_ptr<QV7_Windows> windows;
    std::unique_ptr<QV7_Engine> engine;
};
} // namespace

TEST_F(FrameGateTest, ClosingTheWindowQuitsForGood)
{
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    win::PostMessage(windows->m_Window.get(), win::WM_CLOSE);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER); // the close is handled: the window is destroyed
    EXPECT_EQ(PumpFrame(), FRAME_QUIT);
    EXPECT_EQ(windows->m_Quit, 1);
    win::ClearMessageQueue();
    EXPECT_EQ(PumpFrame(), FRAME_QUIT);
}

TEST_F(FrameGateTest, AnInactiveWindowSleepsAndSkips)
{
    win::PostMessage(windows->m_Window.get(), win::WM_ACTIVATE, win::WA_INACTIVE);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    EXPECT_EQ(windows->m_Active, 0);
    win::SetActiveWindow(nullptr);
    const uint32_t before = clock.Now();
    EXPECT_EQ(PumpFrame(), FRAME_SKIP);
    EXPECT_EQ(clock.Now() - before, 10u);
    EXPECT_TRUE(log.Contains("Application Sleeping"));

    win::PostMessage(windows->m_Window.get(), win::WM_ACTIVATE, win::WA_CLICKACTIVE);
    win::SetActiveWindow(windows->m_Window.get());
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    EXPECT_EQ(windows->m_Active, 1);
}

TEST_F(FrameGateTest, ALostDeviceSkipsUntilItCanBeResetThenResetsOnce)
{
    gfx::ForceDeviceLoss(g_device, gfx::DeviceLoss::Lost);
    EXPECT_EQ(PumpFrame(), FRAME_SKIP);
    EXPECT_EQ(PumpFrame(), FRAME_SKIP);
    gfx::ForceDeviceLoss(g_device, gfx::DeviceLoss::NotReset);
    EXPECT_EQ(PumpFrame(), FRAME_RESET);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
}

TEST_F(FrameGateTest, AFailedResetSkipsAndIsTriedAgain)
{
    gfx::ForceDeviceLoss(g_device, gfx::DeviceLoss::NotReset);
    gfx::null::Settings().failReset = true;
    EXPECT_EQ(PumpFrame(), FRAME_SKIP);
    EXPECT_TRUE(log.Contains("INFO: Reset Device: The DX 3D Device FAILED"));
    gfx::null::Settings().failReset = false;
    EXPECT_EQ(PumpFrame(), FRAME_RESET);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
}

// The screenshots in the program folder, by name.
static std::vector<std::string> Screenshots(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".bmp")
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(FrameGateTest, TheScreenshotKeySavesOneBitmapPerPassWithAMessageUnlessSwitchedOff)
{
    ASSERT_EQ(g_frameManager->BeginFrame(), 0);
    ASSERT_EQ(g_frameManager->EndFrame(), D3D_OK); // a presented frame to save
    input::null::State().PressKey(87); // F11, the default binding
    g_input->Poll();
    g_screenshotCounter = 0;

    EXPECT_EQ(PumpFrame(), FRAME_RENDER); // no message: no screenshot
    EXPECT_EQ(g_screenshotCounter, 0);
    EXPECT_TRUE(Screenshots(dir.Path()).empty());
    std::vector<std::string> expected;
    for (int pass = 1; pass <= 2; ++pass)
    {
        clock.Advance(250);
        expected.push_back("ScreenShot" + std::to_string(pass) + "_" + std::to_string(clock.Now()) + ".bmp");
        win::PostMessage(windows->m_Window.get(), win::WM_PAINT);
        EXPECT_EQ(PumpFrame(), FRAME_RENDER);
        EXPECT_EQ(g_screenshotCounter, pass);
    }
    windows->m_ScreenshotOff = 1;
    win::PostMessage(windows->m_Window.get(), win::WM_PAINT);
    PumpFrame();
    EXPECT_EQ(g_screenshotCounter, 2);

    ASSERT_EQ(Screenshots(dir.Path()), expected);
    // Each is a 24-bit bottom-up bitmap of the whole back buffer.
    const uint32_t width = engine->m_PresentParameters.BackBufferWidth;
    const uint32_t height = engine->m_PresentParameters.BackBufferHeight;
    const uint32_t imageSize = ((width * 3 + 3) & ~3u) * height;
    for (const std::string& name : expected)
    {
        const std::string path = dir.Path() + name;
        EXPECT_EQ(std::filesystem::file_size(path), 54u + imageSize) << name;
        BinaryReader reader;
        ASSERT_TRUE(reader.OpenFile(path));
        EXPECT_EQ(reader.ReadUInt16(), 0x4D42); // "BM"
        EXPECT_EQ(reader.ReadUInt32(), 54u + imageSize);
        EXPECT_EQ(reader.ReadUInt32(), 0u);
        EXPECT_EQ(reader.ReadUInt32(), 54u);
        EXPECT_EQ(reader.ReadUInt32(), 40u);
        EXPECT_EQ(reader.ReadInt32(), int32_t(width));
        EXPECT_EQ(reader.ReadInt32(), int32_t(height));
        EXPECT_EQ(reader.ReadUInt16(), 1);
        EXPECT_EQ(reader.ReadUInt16(), 24);
        EXPECT_EQ(reader.ReadUInt32(), 0u);
        EXPECT_EQ(reader.ReadUInt32(), imageSize);
        EXPECT_FALSE(reader.Failed());
    }
}

TEST_F(FrameGateTest, QuitAfterFramesClosesTheWindowLikeThePlayer)
{
    SetQuitAfterFrames(3);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    EXPECT_EQ(PumpFrame(), FRAME_RENDER);
    FrameResult result = FRAME_RENDER;
    for (int i = 0; i < 3 && result != FRAME_QUIT; ++i)
        result = PumpFrame();
    EXPECT_EQ(result, FRAME_QUIT);
    SetQuitAfterFrames(0);
}
