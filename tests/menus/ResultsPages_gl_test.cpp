// The end pages of the demo menus on the gl back-end at 800 x 600: the
// results table and the best times drawn over a race-coloured picture, each
// heading, row and button legible where the page puts it.
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_ResultsPages.h"
#include "race/RaceResults.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_MapsSort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace screentest;

namespace
{
class ResultsPagesGl : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteDemoData(h.DataDir()));
        menus = std::make_unique<QV7_MenuManager>();
        maps = std::make_unique<QV7_MapsSort>(h.DataDir());
        ProfileRecord* profile = profiles.AddProfile();
        std::strcpy(profile->name, "Ada");
        profiles.currentProfile = profile;
        race.racers = &racers;
        const int laps[] = {5, 4, 5, 3, 4, 2};
        for (int i = 0; i < 6; ++i)
        {
            QV7_Buggy* racer = racers.Append(new QV7_Buggy());
            racer->indexInGroup = i;
            racer->lapCounter = laps[i];
            racer->checkpointsPassed = 10 - i;
            racer->bestLap = 58000.0f + 1500.0f * float(i);
            racer->totalTime = racer->bestLap * 4;
            profiles.words[i] = 3 * i + 1;
        }
        // A sand-and-sea colour stands in for the frozen race picture.
        g_frameManager->m_ClearColour = 0xFF6A8CA8;
    }
    gfx::PresentedFrame Draw()
    {
        menus->m_CursorFlag = 0;
        EXPECT_EQ(h.RunPass().gate, FRAME_RENDER);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, gltest::TestPictureName(1));
        return frame;
    }
    // Bright (glyph) pixels inside a control's rectangle.
    int BrightIn(const gfx::PresentedFrame& frame, const char* id)
    {
        const QV7_Menu_hWnd* c = menus->FindControl(id, kMenuAnyType);
        if (!c)
            return -1;
        int n = 0;
        for (int y = c->m_Top; y < c->m_Bottom && y < int(frame.height); ++y)
            for (int x = c->m_Left; x < c->m_Right && x < int(frame.width); ++x)
            {
                const uint32_t p = frame.pixels[size_t(y) * frame.width + size_t(x)];
                n += ((p >> 16 & 255) > 200 && (p >> 8 & 255) > 170) ? 1 : 0;
            }
        return n;
    }
    ScreenLoopHarness h;
    std::unique_ptr<QV7_MenuManager> menus;
    std::unique_ptr<QV7_MapsSort> maps;
    QV7_Profiles profiles;
    QV7_Collection<QV7_Buggy> racers;
    ResultsRace race;
};

TEST_F(ResultsPagesGl, TheResultsTableIsLegible)
{
    race.mode = RACE_MODE_CHAMPIONSHIP;
    QV7_ResultsPages::FillRace(race);
    const gfx::PresentedFrame frame = Draw();
    ASSERT_EQ(frame.width, 800u);
    for (const char* id :
         {"IDHWND99368", "IDPLAYER1", "IDBESTT1", "IDZEPHYR6", "IDWINB1", "IDPOS8", "IDPLAYER6"})
        EXPECT_GT(BrightIn(frame, id), 20) << id;
    EXPECT_EQ(BrightIn(frame, "IDPLAYER7"), 0);
}

TEST_F(ResultsPagesGl, TheBestTimesAreLegible)
{
    race.mode = RACE_MODE_TIME_TRIAL;
    for (int32_t lap : {70000, 52000, 64000})
        RaceResults::RecordBestTime(profiles.currentProfile->bestTimes[0], QV7_ResultsPages::LocalNow(), lap,
                                    lap * 4, 2);
    QV7_ResultsPages::FillTimeTrial(race);
    const gfx::PresentedFrame frame = Draw();
    for (const char* id : {"IDENDT", "IDDATE1", "IDBESTT1", "IDBESTTT4", "IDZEPHYRIONS4"})
        EXPECT_GT(BrightIn(frame, id), 20) << id;
    EXPECT_EQ(BrightIn(frame, "IDDATE5"), 0);
}
} // namespace
