// The screen-loop harness: set-up of a null-back-end front end and the scripted page loop.
#include "tests/gui/ScreenLoopHarness.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_Input.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/input/null/NullInput.h"
#include "platform/win/Clock.h"
#include "platform/win/Window.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/FontTestSupport.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/MenuFileWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <gtest/gtest.h>

namespace screentest
{
namespace
{
TextureContainerRecord SolidPicture(int32_t id, uint32_t width, uint32_t height, uint32_t argb)
{
    ImagePixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.argb.assign(size_t(width) * height, argb);
    return {id, WritePng(pixels)};
}

// Handles what the window queued at creation, as the game's first passes would.
void DrainMessages()
{
    win::MSG msg;
    while (win::PeekMessage(msg, false))
        PumpFrame();
}
} // namespace

ScreenLoopHarness::ScreenLoopHarness() : m_Clock(std::make_unique<win::ManualClock>(1000))
{
    m_SavedDataDir = g_dataDir;
    m_SavedProgramDir = g_programDir;
    g_dataDir = m_Data.Path();
    g_programDir = m_Data.Path();
    win::ClearMessageQueue();
    win::SetClockSource(m_Clock.get());
    gfx::null::ResetSettings();
    input::null::Reset();
    input::null::State().hasCursor = true;
    SetQuitAfterFrames(0);

    m_Windows = std::make_unique<QV7_Windows>();
    m_Windows->m_Settings.Windowed = 1;
    m_Windows->m_Settings.Debug = 1; // log lines reach the file
    if (!m_Windows->CreateGameWindow())
        ADD_FAILURE() << "no game window";
    // The menus run at 800 x 600.
    m_Windows->m_Window->Move(0, 0, 800, 600);
    m_Engine = std::make_unique<QV7_Engine>();
    m_Engine->m_Window = m_Windows->m_Window.get();
    m_Engine->m_FullScreen = 0;
    if (m_Engine->Initialize(0) != 1)
        ADD_FAILURE() << "the engine did not start";
    DrainMessages();
}

ScreenLoopHarness::~ScreenLoopHarness()
{
    m_Menus.reset();
    m_Engine.reset();
    m_Windows.reset();
    win::ClearMessageQueue();
    win::SetClockSource(nullptr);
    input::null::Reset();
    gfx::null::ResetSettings();
    g_dataDir = m_SavedDataDir;
    g_programDir = m_SavedProgramDir;
}

void ScreenLoopHarness::WriteStandardPicturesAndFonts()
{
    const std::vector<TextureContainerRecord> pictures = {
        SolidPicture(kWhitePicture, 64, 32, 0xFFFFFFFF),  SolidPicture(kRedPicture, 64, 32, 0xFFFF0000),
        SolidPicture(kGreenPicture, 100, 10, 0xFF00FF00), SolidPicture(kKnobPicture, 20, 20, 0xFF0000FF),
        SolidPicture(kBackdrop, 16, 16, 0xFF404040),      SolidPicture(kCursorPicture, 8, 8, 0xFFFFFF00),
        SolidPicture(kTrailPicture, 4, 4, 0xFFFFFFFF),
    };
    EXPECT_TRUE(WriteMenuTextureContainer(DataDir() + "Textures1.qvx", pictures));
    EXPECT_TRUE(WriteFontsFile(DataDir() + "Fonts.qvx", {fonttest::BlockFont(kBlockFont, "Block")}));
}

void ScreenLoopHarness::WriteMenus(const MenuFileRecord& menus, const std::vector<std::string>& strings)
{
    const std::string language = m_Windows->m_Settings.LanguageVersion;
    EXPECT_TRUE(WriteMenuFile(DataDir() + MenuFileNameFor(language), menus));
    EXPECT_TRUE(WriteMenuStringsFile(DataDir() + "Menu_c.qvx", strings));
}

QV7_MenuManager& ScreenLoopHarness::StartMenus(const MenuFileRecord& menus)
{
    WriteStandardPicturesAndFonts();
    WriteMenus(menus);
    m_Menus = std::make_unique<QV7_MenuManager>();
    m_Menus->m_CursorFlag = 1;
    m_Menus->m_CurrentPage = 0;
    return *m_Menus;
}

void ScreenLoopHarness::StopMenus()
{
    m_Menus.reset();
}

void ScreenLoopHarness::Queue(const ScriptedFrame& frame)
{
    win::ManualClock* clock = m_Clock.get();
    input::null::State().QueueFrame(
        [this, frame, clock](input::null::NullInputState& state)
        {
            state.hasCursor = true;
            state.cursorX = int(frame.x);
            state.cursorY = int(frame.y);
            state.mouse.rgbButtons[0] = frame.left ? 0x80 : 0;
            state.mouse.rgbButtons[1] = frame.right ? 0x80 : 0;
            std::fill(std::begin(state.keys), std::end(state.keys), uint8_t(0));
            for (int key : frame.keys)
                state.PressKey(key);
            clock->Advance(frame.ms);
            if (m_Observer)
                m_Observer();
        });
}

void ScreenLoopHarness::Queue(const std::vector<ScriptedFrame>& frames)
{
    for (const ScriptedFrame& frame : frames)
        Queue(frame);
}

void ScreenLoopHarness::CloseAfterScript()
{
    input::null::State().QueueFrame(
        [](input::null::NullInputState&)
        {
            if (g_windowsData && g_windowsData->m_Window)
                win::PostMessage(g_windowsData->m_Window.get(), win::WM_CLOSE);
        });
}

PassResult ScreenLoopHarness::RunPass(const std::function<void()>& fades)
{
    PassResult result;
    result.gate = PumpFrame();
    if (result.gate == FRAME_QUIT || result.gate == FRAME_SKIP)
        return result;
    g_input->Poll();
    if (g_menuManager)
        g_menuManager->UpdateCurrentPage();
    g_frameManager->BeginFrame();
    const char* clicked = g_menuManager ? g_menuManager->RenderCurrentPage(0) : nullptr;
    if (fades)
    {
        g_screen2D->Begin2D();
        fades();
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    result.anyClick = clicked != nullptr;
    result.clicked = clicked ? clicked : "";
    return result;
}

PassResult ScreenLoopHarness::Step(const ScriptedFrame& frame, const std::function<void()>& fades)
{
    Queue(frame);
    return RunPass(fades);
}

std::vector<std::string> ScreenLoopHarness::Play(const std::vector<ScriptedFrame>& frames)
{
    std::vector<std::string> clicks;
    for (const ScriptedFrame& frame : frames)
        clicks.push_back(Step(frame).clicked);
    return clicks;
}

std::vector<ScriptedFrame> ClickAt(float x, float y)
{
    ScriptedFrame press;
    press.x = x;
    press.y = y;
    press.left = true;
    ScriptedFrame release = press;
    release.left = false;
    return {press, release};
}
} // namespace screentest
