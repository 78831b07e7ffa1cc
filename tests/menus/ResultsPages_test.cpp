// The end pages on the demo menus (null back-ends): the results table of a
// championship with the profile paid and the best time recorded, a quick
// race, and the time trial's best times with the rows beyond the list
// hidden; the page runs until Enter and fades out.
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_ResultsPages.h"
#include "race/RaceResults.h"
#include "tests/gui/ScreenLoopHarness.h"
#include "tools/demo/DemoData.h"
#include "world/QV7_MapsSort.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace screentest;

namespace
{
std::tm FixedNow()
{
    std::tm t{};
    t.tm_year = 126, t.tm_mon = 11, t.tm_mday = 10, t.tm_hour = 15;
    return t;
}

class ResultsPagesTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteDemoData(h.DataDir()));
        menus = std::make_unique<QV7_MenuManager>();
        maps = std::make_unique<QV7_MapsSort>(h.DataDir());
        profile = profiles.AddProfile();
        std::strcpy(profile->name, "Ada");
        profile->money = 1000;
        profiles.currentProfile = profile;
        QV7_ResultsPages::s_Now = &FixedNow;
        race.racers = &racers;
    }
    void TearDown() override { QV7_ResultsPages::s_Now = &QV7_ResultsPages::LocalNow; }
    // Racer i with its laps, checkpoints, distance, best lap and collected items.
    void AddRacer(int laps, int checkpoints, float distance, float bestLap, int items)
    {
        const int i = racers.count;
        QV7_Buggy* racer = racers.Append(new QV7_Buggy());
        racer->indexInGroup = i;
        racer->lapCounter = laps;
        racer->checkpointsPassed = checkpoints;
        racer->distanceToNext = distance;
        racer->bestLap = bestLap;
        racer->totalTime = bestLap * 4;
        profiles.words[i] = items;
    }
    std::string Text(const std::string& id) const
    {
        auto* caption = dynamic_cast<QV7_Menu_Caption*>(menus->FindControl(id.c_str(), kMenuAnyType));
        return caption ? caption->m_Text : "(none)";
    }
    bool Visible(const std::string& id) const
    {
        QV7_Menu_hWnd* control = menus->FindControl(id.c_str(), kMenuAnyType);
        return control && control->m_Visible;
    }
    ScreenLoopHarness h;
    std::unique_ptr<QV7_MenuManager> menus;
    std::unique_ptr<QV7_MapsSort> maps;
    QV7_Profiles profiles;
    ProfileRecord* profile = nullptr;
    QV7_Collection<QV7_Buggy> racers;
    ResultsRace race;
};

TEST_F(ResultsPagesTest, AChampionshipWinPaysTheFirstPrizeAndRecordsTheBestTime)
{
    AddRacer(5, 20, 0, 61000, 12); // the player, first
    AddRacer(4, 19, 300, 59000, 3);
    AddRacer(5, 19, 100, 65000, 0);
    race.mode = RACE_MODE_CHAMPIONSHIP;
    race.raceIndex = 4;
    QV7_ResultsPages::FillRace(race);
    EXPECT_EQ(menus->CurrentPage(), menus->FindPage("ID_END_MENU"));
    EXPECT_EQ(race.won, 1);
    EXPECT_EQ(profile->money, 1000 + 12 + 20000);
    EXPECT_EQ(Text("IDPLAYER1"), " Ada");
    EXPECT_EQ(Text("IDBESTT1"), "1:01");
    EXPECT_EQ(Text("IDZEPHYR1"), "12");
    EXPECT_EQ(Text("IDPLAYER2"), " " + maps->Pilot(1)->name);
    EXPECT_EQ(Text("IDPLAYER3"), " " + maps->Pilot(0)->name);
    EXPECT_EQ(Text("IDBESTT3"), "0:59");
    EXPECT_EQ(Text("IDPLAYER4"), "");
    EXPECT_EQ(Text("IDWINB1"), "20000");
    EXPECT_EQ(Text("IDWINB6"), "1");
    EXPECT_EQ(Text("IDWINB8"), "0");
    ASSERT_EQ(profile->bestTimes[4].count, 1);
    EXPECT_EQ(profile->bestTimes[4][0]->bestLap, 61000);
    EXPECT_EQ(profile->bestTimes[4][0]->total, 244000);
    EXPECT_EQ(profile->bestTimes[4][0]->items, 12);
    EXPECT_STREQ(profile->bestTimes[4][0]->date, "12-10-2026 15:00:00");
}

TEST_F(ResultsPagesTest, AQuickRaceSecondPlacePaysOnlyTheItemsAndRecordsNothing)
{
    AddRacer(2, 8, 500, 30000, 4);
    AddRacer(3, 0, 0, 28000, 9);
    race.mode = RACE_MODE_QUICK_RACE;
    QV7_ResultsPages::FillRace(race);
    EXPECT_EQ(race.won, 0);
    EXPECT_EQ(profile->money, 1004);
    EXPECT_EQ(Text("IDPLAYER2"), " Ada");
    EXPECT_EQ(Text("IDWINB1"), "500");
    EXPECT_EQ(Text("IDWINB2"), "0");
    for (const BestTimeList& list : profile->bestTimes)
        EXPECT_EQ(list.count, 0);
}

TEST_F(ResultsPagesTest, TheTimeTrialListsTheBestTimesAndHidesTheEmptyRows)
{
    AddRacer(5, 20, 0, 62500, 2);
    race.mode = RACE_MODE_TIME_TRIAL;
    race.raceIndex = 0;
    RaceResults::RecordBestTime(profile->bestTimes[0], FixedNow(), 60000, 250000, 1);
    QV7_ResultsPages::FillTimeTrial(race);
    EXPECT_EQ(menus->CurrentPage(), menus->FindPage("ID_END_MENU_TIME"));
    EXPECT_EQ(profile->money, 1002);
    ASSERT_EQ(profile->bestTimes[0].count, 2);
    EXPECT_EQ(Text("IDBESTT1"), "1:00");
    EXPECT_EQ(Text("IDBESTT2"), "1:02");
    EXPECT_EQ(Text("IDBESTTT2"), "4:10");
    EXPECT_EQ(Text("IDZEPHYRIONS2"), "2");
    EXPECT_EQ(Text("IDDATE2"), "12-10-2026 15:00:00");
    EXPECT_TRUE(Visible("IDDATE2"));
    for (const char* id : {"IDDATE3", "IDBESTT3", "IDBESTTT3", "IDZEPHYRIONS3", "IDZEPHYRION7", "IDDATE8"})
        EXPECT_FALSE(Visible(id)) << id;
    // Centred on the 800 x 600 screen (-1 each way), then up and left by 21, the rows 11 lower.
    const QV7_Menu_hWnd* date = menus->FindControl("IDDATE1", kMenuAnyType);
    EXPECT_EQ(date->m_Left, date->m_DesignLeft - 1 - 21);
    EXPECT_EQ(date->m_Top, date->m_DesignTop - 1 - 21 + 11);
}

TEST_F(ResultsPagesTest, ThePageRunsUntilEnterThenFadesOut)
{
    AddRacer(2, 3, 0, 0, 0);
    race.mode = RACE_MODE_QUICK_RACE;
    QV7_ResultsPages::FillRace(race);
    EXPECT_EQ(menus->m_CursorFlag, 1);
    int frames = 0;
    h.SetFrameObserver([&frames] { ++frames; });
    h.Queue(std::vector<ScriptedFrame>(3));
    ScriptedFrame enter;
    enter.keys = {28};
    h.Queue(enter);
    // The fade at 0.8 a ms: 255 / (0.8 x 20) = 16 frames.
    h.Queue(std::vector<ScriptedFrame>(40));
    h.CloseAfterScript();
    QV7_ResultsPages::Run(race);
    EXPECT_EQ(menus->m_CursorFlag, 0);
    EXPECT_GE(frames, 4 + 16);
    EXPECT_LT(frames, 4 + 20);
}
} // namespace
