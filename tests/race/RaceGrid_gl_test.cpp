// Demo island 1 loaded as the game loads it, on the gl back-end: the six
// racers of a championship on their grid seen from behind once they have
// settled, and a short quick race run through the race frame itself. The
// buggies must show where their bodies are, standing on the ground; the
// race must start, count down and end. With QV7_SAVE_PICTURES set to a
// folder the pictures are kept there.
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/RaceLoopHooks.h"
#include "shell/QV7_Globals.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/world/LandscapeTestSupport.h"
#include "tests/world/WorldTestSupport.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <filesystem>
#include <memory>

namespace
{
class RaceGridGlTest : public landscapetest::LandscapeFixture
{
  protected:
    RaceGridGlTest()
    {
        width = 480;
        height = 360;
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
        windows->m_Active = 1; // the game's window has the focus: frames are drawn, not waited for
        items = std::make_unique<QV7_ItemDatabase>(dir, g_device);
        profiles = std::make_unique<QV7_Profiles>();
        profiles->currentProfile = profiles->AddProfile();
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        QV7_MapSystem::s_Hooks.frameMs = [] { return 100.0f; };
    }
    void TearDown() override
    {
        QV7_MapSystem::EndSession(g_mapSystem);
        QV7_MapSystem::s_Hooks = MapSystemHooks();
        g_raceLoopHooks = RaceLoopHooks();
        profiles.reset();
        items.reset();
        g_dataDir = savedData;
        g_programDir = savedProgram;
        LandscapeFixture::TearDown();
    }
    // Behind the grid along the player's nose, high enough to see every racer.
    static void CameraBehindTheGrid(QV7_PhysicsGroup& group)
    {
        D3DXVECTOR3 centre(0, 0, 0);
        for (QV7_Buggy* racer : group.racers)
            centre += racer->position / float(group.racers.Count());
        dVector3 nose;
        dBodyVectorToWorld(group.racers[0]->ChassisBody(), -1, 0, 0, nose);
        D3DXVECTOR3 ahead(float(nose[0]), 0.0f, float(nose[2]));
        D3DXVec3Normalize(&ahead, &ahead);
        worldtest::PlaceCamera(centre - ahead * 1300.0f + D3DXVECTOR3(0, 420, 0), centre + ahead * 150.0f);
    }
    static gfx::PresentedFrame Scene(QV7_MapSystem& session, bool racers)
    {
        g_device->BeginScene();
        g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        session.skyDome->Render(0);
        g_landscape->Render(0);
        if (racers)
            session.physicsGroup->DoRender(0, 0);
        session.water->RenderSimple();
        g_device->EndScene();
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        for (uint32_t& pixel : frame.pixels)
            pixel |= 0xFF000000;
        return frame;
    }

    std::string savedData, savedProgram;
    std::unique_ptr<QV7_ItemDatabase> items;
    std::unique_ptr<QV7_Profiles> profiles;
};

TEST_F(RaceGridGlTest, SixBuggiesStandOnTheirGridOnIsland1)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_CHAMPIONSHIP, 0);
    ASSERT_NE(session, nullptr);
    QV7_PhysicsGroup& group = *session->physicsGroup;
    ASSERT_EQ(group.racers.Count(), 6);
    for (int frame = 0; frame < 250; ++frame)
        group.StepFrame(QV7_PhysicsGroup::kStepMs);
    CameraBehindTheGrid(group);
    const gfx::PresentedFrame bare = Scene(*session, false);
    const gfx::PresentedFrame grid = Scene(*session, true);
    gltest::SavePicture(grid, "race_grid_island1");
    gltest::SavePicture(bare, "race_grid_island1_bare");
    for (QV7_Buggy* racer : group.racers)
    {
        SCOPED_TRACE(racer->indexInGroup);
        // The chassis point shows the buggy, not the island behind it.
        int x = 0, y = 0;
        ASSERT_TRUE(worldtest::ScreenPoint(racer->position, grid.width, grid.height, x, y));
        int changed = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
            {
                const size_t at = size_t(std::clamp(y + dy, 0, grid.height - 1)) * size_t(grid.width) +
                                  size_t(std::clamp(x + dx, 0, grid.width - 1));
                changed += worldtest::Distance(grid.pixels[at], bare.pixels[at]) > 24;
            }
        EXPECT_GT(changed, 12);
        // Standing on the ground: the lowest body (a wheel) is close above it, none is under it.
        float lowest = 1e9f;
        for (dBodyID body : racer->bodies)
        {
            const dReal* p = dBodyGetPosition(body);
            const float clearance =
                float(p[1]) * 200.0f - g_landscape->GetHeight(float(p[0]) * 200.0f, float(p[2]) * 200.0f);
            lowest = std::min(lowest, clearance);
        }
        EXPECT_GT(lowest, 0.0f);
        EXPECT_LT(lowest, 40.0f);
    }
}

struct RaceRun
{
    int frames = 0;
    int countdownSeen = 0;
    gfx::PresentedFrame picture;
};
RaceRun g_run;

TEST_F(RaceGridGlTest, AQuickRaceRunsThroughTheRaceFrameAndEndsAtItsFinish)
{
    QV7_MapSystem* session = QV7_MapSystem::Load(0, 1, 2, nullptr, RACE_MODE_QUICK_RACE, 0);
    ASSERT_NE(session, nullptr);
    g_run = RaceRun();
    g_frameManager->m_LastFrameMs = 0.0f;
    g_raceLoopHooks.afterFrame = [](QV7_MapSystem& race)
    {
        // A steady 50 ms a frame: the countdown takes 80 frames, then the racers drive.
        g_frameManager->m_LastFrameMs = 50.0f;
        ++g_run.frames;
        g_run.countdownSeen = std::max(g_run.countdownSeen, race.countdownDisplay);
        if (g_run.frames == 140)
        {
            EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, g_run.picture));
        }
        // The finish: the player's third lap begins.
        if (g_run.frames == 150)
            race.playerRacer->lapCounter = 3;
    };
    QV7_MapSystem::RunRace(*session);
    EXPECT_EQ(g_run.frames, 150);
    EXPECT_EQ(g_run.countdownSeen, 4);
    for (int flag : session->releaseFlags)
        EXPECT_EQ(flag, 0);
    EXPECT_GT(session->playerRacer->totalTime, 0.0f);
    EXPECT_NE(session->pauseSurface, nullptr);
    for (uint32_t& pixel : g_run.picture.pixels)
        pixel |= 0xFF000000;
    gltest::SavePicture(g_run.picture, "race_quick_island1");
    QV7_MapSystem::EndSession(session);
    EXPECT_EQ(g_mapSystem, nullptr);
}
} // namespace
