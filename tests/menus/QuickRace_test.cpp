// A quick race started from the pilots' page as the player starts it, on the
// screen-loop harness over the demo data (null back-ends): the island loads,
// the countdown runs and releases the grid, the player drives with the
// accelerate key, hides the HUD and brings it back, and Escape ends the race
// back on the menus with the session gone.
#include "gui/QV7_MenuManager.h"
#include "platform/gfx/null/NullGfx.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tests/menus/QuickRace.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_MapsSort.h"

#include <gtest/gtest.h>

#include <memory>

using namespace screentest;

namespace
{
constexpr int kEscape = 1;
constexpr int kUp = 200;
constexpr int kHideHud = 35;

struct Seen
{
    int raceFrames = 0;
    int highestCountdown = 0;
    bool released = false;
    D3DXVECTOR3 start{0, 0, 0};
    float farthest = 0.0f;
    int hudHiddenFrames = 0;
    size_t lastPresents = 0;
};
Seen g_seen;

void Watch()
{
    // The record of device calls is not read here; it would only grow.
    gfx::null::ClearCalls();
    QV7_MapSystem* race = g_mapSystem;
    if (!race || !race->loaded || !race->playerRacer)
        return;
    Seen& seen = g_seen;
    QV7_Buggy& player = *race->playerRacer;
    if (seen.raceFrames++ == 0)
        seen.start = player.position;
    seen.highestCountdown = std::max(seen.highestCountdown, race->countdownDisplay);
    seen.released = seen.released || race->releaseFlags[0] == 0;
    const D3DXVECTOR3 moved = player.position - seen.start;
    seen.farthest = std::max(seen.farthest, D3DXVec3Length(&moved));
}

std::vector<ScriptedFrame> Frames(int count, std::vector<int> keys = {})
{
    ScriptedFrame frame;
    frame.ms = 50;
    frame.keys = std::move(keys);
    return std::vector<ScriptedFrame>(size_t(count), frame);
}

TEST(QuickRaceTest, AQuickRaceFromThePilotsPageIsDrivenAndLeftWithEscape)
{
    ScreenLoopHarness harness;
    ASSERT_TRUE(WriteDemoData(harness.DataDir()));
    auto items = std::make_unique<QV7_ItemDatabase>();
    auto maps = std::make_unique<QV7_MapsSort>();
    auto profiles = std::make_unique<QV7_Profiles>();
    auto menus = std::make_unique<QV7_MenuManager>();
    menus->m_ItemTextureIds = items->TextureIdArray();
    menus->m_ItemTextureIdCount = items->TextureIdCount();
    g_seen = Seen();
    harness.SetFrameObserver(&Watch);
    // The load's fades and captions, the countdown, then two seconds on the accelerator,
    // the HUD hidden and shown again while driving, and Escape.
    harness.Queue(Frames(260));
    harness.Queue(Frames(200, {kUp}));
    harness.Queue(Frames(2, {kUp, kHideHud}));
    harness.Queue(Frames(20, {kUp}));
    harness.Queue(Frames(2, {kUp, kHideHud}));
    harness.Queue(Frames(10, {kUp}));
    harness.Queue(Frames(1, {kEscape}));
    harness.Queue(Frames(80));
    harness.CloseAfterScript();

    EXPECT_TRUE(RunQuickRace("ID_PROFILE"));
    EXPECT_EQ(g_mapSystem, nullptr);
    ASSERT_NE(g_profiles->currentProfile, nullptr); // a pilot was made for the race
    EXPECT_GT(g_seen.raceFrames, 250);
    EXPECT_EQ(g_seen.highestCountdown, 4);
    EXPECT_TRUE(g_seen.released);
    // 200 render units is about a buggy's length: the player drove off the grid.
    EXPECT_GT(g_seen.farthest, 200.0f);
    EXPECT_TRUE(harness.Logged("Countdown 3"));
    EXPECT_TRUE(harness.Logged("Countdown GO! Fifth Line"));
    EXPECT_FALSE(harness.Logged("ERROR: QV7_MapSystem Game Session Crash"));
    EXPECT_EQ(menus->m_CurrentPage, menus->FindPageIndex("ID_PROFILE"));
}
} // namespace
