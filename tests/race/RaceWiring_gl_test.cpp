// A championship race on demo island 1 with every part of the race joined
// up, run through the race frame itself on the gl back-end with the player
// holding the throttle: the chase cameras follow, checkpoints are passed,
// computer racers drive off along the track, effects live, items are picked
// up, and the end test hands over to the results page. With
// QV7_SAVE_PICTURES set to a folder the chase-camera picture is kept there.
#include "effects/EffectInstance.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceRules.h"
#include "race/RaceWiring.h"
#include "shell/QV7_Globals.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_ZephyrionItems.h"

#include <memory>

namespace
{
struct RaceRun
{
    int frames = 0;
    int results = 0;
    float farthestEye = 0.0f;
    D3DXVECTOR3 computerStart[6] = {};
    gfx::PresentedFrame picture;
};
RaceRun g_run;

constexpr int kPictureFrame = 200;
constexpr int kLastFrame = 400;

class RaceWiringGlTest : public landscapetest::LandscapeFixture
{
  protected:
    RaceWiringGlTest()
    {
        width = 640;
        height = 480;
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        ASSERT_TRUE(WriteDemoData(dir));
        savedData = g_dataDir;
        savedProgram = g_programDir;
        g_dataDir = dir;
        g_programDir = dir;
        windows->m_Settings.Detail = 1;
        windows->m_Active = 1;
        items = std::make_unique<QV7_ItemDatabase>(dir, g_device);
        profiles = std::make_unique<QV7_Profiles>();
        profiles->currentProfile = profiles->AddProfile();
        savedKeyDown = QV7_PlayerController::s_KeyDown;
        RaceWiring::Install();
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
        // The results page waits for a click: here the end test only reports.
        g_raceLoopHooks.showRaceResults = [](QV7_MapSystem&) { ++g_run.results; };
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_PlayerController::s_KeyDown = savedKeyDown;
        profiles.reset();
        items.reset();
        g_dataDir = savedData;
        g_programDir = savedProgram;
        LandscapeFixture::TearDown();
    }

    std::string savedData, savedProgram;
    std::unique_ptr<QV7_ItemDatabase> items;
    std::unique_ptr<QV7_Profiles> profiles;
    int (*savedKeyDown)(InputCode) = nullptr;
};

// The player holds the throttle and nothing else.
int ThrottleOnly(InputCode code)
{
    const InputCode* keys = g_windowsData->m_Settings.Keys[KEY_Accelerate];
    return code == keys[0] || code == keys[1] ? 1 : 0;
}

void WatchFrame(QV7_MapSystem& race)
{
    g_frameManager->m_LastFrameMs = 50.0f;
    ++g_run.frames;
    QV7_Buggy* viewed = race.viewedBuggy;
    if (g_run.frames > 100 && viewed)
    {
        const D3DXVECTOR3 gap = g_camera->m_Eye - viewed->position;
        g_run.farthestEye = std::max(g_run.farthestEye, D3DXVec3Length(&gap));
    }
    if (g_run.frames == kPictureFrame)
    {
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, g_run.picture));
    }
    if (g_run.frames == kLastFrame)
        race.playerRacer->lapCounter = race::FinishLap(race.mode);
}

TEST_F(RaceWiringGlTest, AChampionshipRaceRunsWithEveryPartLive)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_CHAMPIONSHIP, 0);
    ASSERT_NE(session, nullptr);
    QV7_PhysicsGroup& group = *session->physicsGroup;
    ASSERT_EQ(group.racers.Count(), 6);
    g_run = RaceRun();
    for (int i = 0; i < 6; ++i)
        g_run.computerStart[i] = group.racers[i]->position;
    // Every racer's effects are there from the start: turbo flames and the checkpoint markers.
    QV7_EffectsListMap& live = *session->liveEffects;
    for (int row = 0; row < 6; ++row)
        EXPECT_NE(live.m_RacerEffectsB[row][0], nullptr) << row;
    EXPECT_NE(session->checkpoints->markerEffect, nullptr);
    for (QV7_Buggy* racer : group.racers)
        EXPECT_NE(racer->driverAnimation.figure, nullptr);

    QV7_PlayerController::s_KeyDown = &ThrottleOnly;
    g_frameManager->m_LastFrameMs = 0.0f;
    g_raceLoopHooks.afterFrame = &WatchFrame;
    QV7_MapSystem::RunRace(*session);

    EXPECT_EQ(g_run.frames, kLastFrame);
    EXPECT_EQ(g_run.results, 1);
    // The chase camera stayed with the viewed buggy.
    EXPECT_GT(g_run.farthestEye, 50.0f);
    EXPECT_LT(g_run.farthestEye, 2500.0f);
    // The player drove off its grid slot, the computer racers drove on and passed checkpoints.
    const D3DXVECTOR3 playerMoved = group.racers[0]->position - g_run.computerStart[0];
    EXPECT_GT(D3DXVec3Length(&playerMoved), 300.0f);
    int passes = 0;
    for (int i = 1; i < 6; ++i)
    {
        const D3DXVECTOR3 moved = group.racers[i]->position - g_run.computerStart[i];
        EXPECT_GT(D3DXVec3Length(&moved), 1000.0f) << i;
        passes += group.racers[i]->checkpointsPassed + (group.racers[i]->lapCounter - 1);
    }
    EXPECT_GT(passes, 0);
    EXPECT_GT(live.m_Instances.Count(), 10);
    // The computer drivers' wheels throw up dust where they are.
    for (int row = 1; row < 6; ++row)
    {
        EffectInstance* dust = live.m_WheelDust[row][0];
        ASSERT_NE(dust, nullptr) << row;
        EXPECT_EQ(dust->m_Active, 1) << row;
        const D3DXVECTOR3 gap = dust->m_Position - group.racers[row]->position;
        EXPECT_LT(D3DXVec3Length(&gap), 300.0f) << row;
    }

    // An item is picked up by driving through it: it goes and stars come up.
    QV7_ZephyrionItems& trackItems = *session->items;
    ASSERT_FALSE(trackItems.m_Items.empty());
    TrackItem* item = nullptr;
    for (auto& candidate : trackItems.m_Items)
        if (!candidate->taken)
            item = candidate.get();
    ASSERT_NE(item, nullptr);
    const int before = live.m_Instances.Count();
    group.racers[0]->position = item->position;
    trackItems.UpdatePickups(group);
    EXPECT_EQ(item->taken, 1);
    EXPECT_GT(live.m_Instances.Count(), before);

    for (uint32_t& pixel : g_run.picture.pixels)
        pixel |= 0xFF000000;
    gltest::SavePicture(g_run.picture, "race_wired_chase_island1");
}
} // namespace
