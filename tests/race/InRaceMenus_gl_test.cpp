// The demo's in-race pages on the gl back-end at 800 x 600, over a frozen
// race picture of one flat colour: the escape menu centred with its four
// labelled buttons, then the controls page with its key list and the sound
// page with its sliders. The frames are written as PNG pictures beside the
// test (QV7_PICTURE_DIR, else the temporary folder) to be looked at.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "gui/QV7_MenuManager.h"
#include "platform/gfx/Resources.h"
#include "race/QV7_MapSystem.h"
#include "race/RaceMenuHooks.h"
#include "shell/QV7_Windows.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoData.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

using namespace screentest;

namespace
{
constexpr uint32_t kFrozenColour = 0xFF305070;
constexpr int kEscape = 1;

QV7_RenderSurface* g_frozen = nullptr;

void FillFrozenPicture(QV7_MapSystem&)
{
    if (!g_frozen)
        return;
    g_frozen->m_ClearColour = kFrozenColour;
    g_frozen->BeginScene();
    g_frozen->EndScene();
}

std::string PictureDir()
{
    const char* dir = std::getenv("QV7_PICTURE_DIR");
    return dir ? std::string(dir) + "/" : std::string("/tmp/");
}

void Save(const gfx::PresentedFrame& frame, const std::string& name)
{
    ImagePixels image;
    image.width = uint32_t(frame.width);
    image.height = uint32_t(frame.height);
    image.argb = frame.pixels;
    const std::vector<uint8_t> png = WritePng(image, false);
    std::ofstream(PictureDir() + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
}

uint32_t Rgb(const gfx::PresentedFrame& frame, int x, int y)
{
    return frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)] & 0xFFFFFF;
}

// Pixels of light text inside a rectangle: every channel bright.
int TextPixels(const gfx::PresentedFrame& frame, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            const uint32_t c = Rgb(frame, x, y);
            count += ((c >> 16) & 0xFF) > 0xA0 && ((c >> 8) & 0xFF) > 0xA0 && (c & 0xFF) > 0xA0;
        }
    return count;
}

ScriptedFrame At(float x, float y, bool left = false, std::vector<int> keys = {})
{
    ScriptedFrame frame;
    frame.x = x;
    frame.y = y;
    frame.left = left;
    frame.keys = std::move(keys);
    return frame;
}
} // namespace

TEST(InRaceMenusGl, TheEscapeMenuAndItsOptionsOverTheFrozenPicture)
{
    setenv("QV7_INPUT_BACKEND", "null", 1);
    ScreenLoopHarness harness;
    ASSERT_TRUE(WriteDemoData(harness.DataDir()));
    harness.Windows().LoadSettings();
    auto menus = std::make_unique<QV7_MenuManager>();
    // The pictures of the race's pages stay loaded through the race, as the
    // front end marks them before it starts one.
    for (const char* page : {"ID_ESC_MENU", "ID_ESC_SOUND", "ID_ESC_CONTROLS"})
        menus->MarkPageTexturesUsed(menus->FindPageIndex(page));
    QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_QUICK_RACE, 0);
    ASSERT_NE(session, nullptr);
    g_frozen = QV7_RenderSurface::Create(800, 600, 0, 0);
    session->pauseSurface = g_frozen;
    g_raceMenuHooks.renderFrameNoHud = &FillFrozenPicture;

    // Frames 0-2 the escape menu, 3 its Options (the controls page opens),
    // 4-6 the controls page, 7 its Sound tab, 8-10 the sound page.
    std::vector<ScriptedFrame> frames = {
        At(790, 590), At(790, 590), At(790, 590), At(400, 357, true),
        At(400, 357), At(790, 590), At(790, 590), At(134, 146, true),
        At(134, 146), At(790, 590), At(790, 590), At(790, 590, false, {kEscape})};
    std::vector<gfx::PresentedFrame> seen;
    harness.SetFrameObserver(
        [&]
        {
            gfx::PresentedFrame frame;
            if (gfx::ReadPresentedFrame(g_device, frame) && frame.width == 800)
                seen.push_back(frame);
        });
    harness.Queue(frames);
    harness.CloseAfterScript();
    session->RunEscMenu();
    harness.SetFrameObserver({});
    g_raceMenuHooks = RaceMenuHooks();
    QV7_MapSystem::EndSession(session);
    QV7_MapSystem::s_Hooks = MapSystemHooks();

    ASSERT_GE(seen.size(), 11u);
    // The frame read at the start of frame i shows frame i - 1.
    const gfx::PresentedFrame& escMenu = seen[2];
    const gfx::PresentedFrame& controls = seen[6];
    const gfx::PresentedFrame& sound = seen[10];
    Save(escMenu, "inrace_escape_menu.png");
    Save(controls, "inrace_controls.png");
    Save(sound, "inrace_sound.png");
    // The frozen picture around the pages.
    EXPECT_EQ(Rgb(escMenu, 40, 40), kFrozenColour & 0xFFFFFF);
    EXPECT_EQ(Rgb(controls, 20, 20), kFrozenColour & 0xFFFFFF);
    EXPECT_EQ(Rgb(sound, 40, 560), kFrozenColour & 0xFFFFFF);
    // The four labels of the centred escape menu, one in each button.
    for (int top : {177, 251, 325, 399})
        EXPECT_GT(TextPixels(escMenu, 272, top, 528, top + 64), 40) << top;
    EXPECT_EQ(Rgb(escMenu, 200, 300), kFrozenColour & 0xFFFFFF); // left of the menu
    // The key list's rows and the sliders' labels.
    EXPECT_GT(TextPixels(controls, 70, 226, 730, 470), 0);
    EXPECT_GT(TextPixels(sound, 190, 210, 610, 234), 40);
}
