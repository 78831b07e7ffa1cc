// The career pages on the screen-loop harness with the demo's own pages: the
// pilot list, creating and deleting pilots, the difficulty question, the
// garage hub's buggy choice and sale, and the race lists and what winning unlocks.
#include "engine/QV7_TextureList.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "menus/QV7_GarageHub.h"
#include "menus/QV7_MainMenu.h"
#include "menus/QV7_ProfilePages.h"
#include "menus/QV7_RaceChoicePages.h"
#include "menus/QV7_ShopPage.h"
#include "platform/input/null/NullInput.h"
#include "race/ProfileItemCatalog.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Profiles.h"
#include "tests/menus/DemoMenuScreens.h"
#include "tests/race/BuggyDatabaseTestSupport.h"
#include "tools/demo/DemoFrontEndPages.h"
#include "tools/demo/DemoMenus.h"
#include "tools/writers/MapsDatabaseWriter.h"
#include "world/QV7_MapsSort.h"
#include <map>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace screentest;

namespace
{
constexpr int kKeyA = 30, kLeftShift = 42;

// Three buggy models with resale values 2100, 1000 and 700, and a part worth 300.
BuggyDatabaseDescription HubDatabase()
{
    BuggyDatabaseDescription database;
    for (int i = 0; i < 3; ++i)
    {
        BuggyObjectDescription model = buggytest::Object(0, "Buggy " + std::to_string(i));
        model.value2 = uint32_t(i == 0 ? 2100 : i == 1 ? 1000 : 700);
        database.Add(model);
    }
    BuggyObjectDescription part = buggytest::Object(7, "Engine");
    part.value2 = 300;
    database.Add(part);
    return database;
}

class CareerPages : public DemoMenuScreens
{
  protected:
    void SetUp() override
    {
        DemoMenuScreens::SetUp();
        BinaryReader file(BuildBuggyDatabase(HubDatabase()).Bytes());
        database.Read(file, nullptr, nullptr);
        catalog = ProfileItemCatalog::From(database);
        g_profileItemCatalog = &catalog;
        g_buggyMeshSystem = &database;
        profiles = std::make_unique<QV7_Profiles>();
        g_demoFinished = false;
    }
    void TearDown() override
    {
        DemoMenuScreens::TearDown();
        profiles.reset();
        g_buggyMeshSystem = nullptr;
        g_profileItemCatalog = nullptr;
        database.Clear();
    }

    ProfileRecord& OwnThreeBuggies()
    {
        ProfileRecord& profile = *(profiles->currentProfile = profiles->AddProfile());
        profile.ownedBuggies.Clear();
        for (int model = 0; model < 3; ++model)
            profile.ownedBuggies.Add()->model = model;
        profile.currentBuggy = profile.ownedBuggies[0];
        return profile;
    }

    QV7_BuggyMeshSystem database;
    ProfileItemCatalog catalog;
    std::unique_ptr<QV7_Profiles> profiles;
};

TEST_F(CareerPages, ANewPilotIsCreatedSavedAndShownNewestFirstWithItsFigure)
{
    profiles->AddProfile();
    std::snprintf(profiles->profiles[0]->name, PROFILE_NAME_SIZE, "Old");
    Idle(40); // the main menu fades out, the page in
    Click("ID_PROFILE", "IDNEW");
    Idle(2, {kLeftShift, kKeyA}); // typing "A"
    Idle(2);
    Click("ID_PROFILE_CREATE", "IDHWND504"); // female
    Click("ID_PROFILE_CREATE", "IDOK");
    Idle(5);
    h.CloseAfterScript();
    RunProfilePage(255.0f);

    ASSERT_EQ(profiles->profiles.Count(), 2);
    EXPECT_STREQ(profiles->profiles[1]->name, "A");
    EXPECT_EQ(profiles->profiles[1]->gender, 2);
    std::ifstream saved(QV7_Profiles::Path(), std::ios::binary);
    EXPECT_TRUE(saved.good()) << "creating a pilot saves at once";
    menus->m_CurrentPage = menus->FindPageIndex("ID_PROFILE");
    auto* list = static_cast<QV7_Menu_List*>(menus->FindControl("IDPROFILES", kMenuList));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->m_Rows.Count(), 2);
    EXPECT_STREQ(list->m_Rows[0]->m_Text, "A");
    EXPECT_STREQ(list->m_Rows[1]->m_Text, "Old");
    EXPECT_EQ(list->m_SelectedRow, 0);
    auto* preview = static_cast<QV7_Menu_Picture*>(menus->FindControl("IDPLAYERMODEL", kMenuPicture));
    EXPECT_EQ(preview->m_DrawCallback, &AnimateFemalePlayerModel);
}

TEST_F(CareerPages, WithoutPilotsGoAndDeleteOnlyExplainAndAnEmptyNameCreatesNothing)
{
    Idle(40);
    Click("ID_PROFILE", "IDGO");
    Idle(2);
    Click("ID_PROFILE_CANT_GO", "IDOK");
    Click("ID_PROFILE", "IDDELETE");
    Idle(2);
    Click("ID_PROFILE_CANT_DELETE", "IDOK");
    Click("ID_PROFILE", "IDNEW");
    Click("ID_PROFILE_CREATE", "IDOK");
    Idle(3);
    h.CloseAfterScript();
    RunProfilePage(255.0f);

    EXPECT_TRUE(Shown("ID_PROFILE_CANT_GO"));
    EXPECT_TRUE(Shown("ID_PROFILE_CANT_DELETE"));
    EXPECT_EQ(profiles->profiles.Count(), 0);
    menus->m_CurrentPage = menus->FindPageIndex("ID_PROFILE");
    EXPECT_EQ(
        static_cast<QV7_Menu_Picture*>(menus->FindControl("IDPLAYERMODEL", kMenuPicture))->m_DrawCallback,
        nullptr);
}

TEST_F(CareerPages, DeletingTheSelectedRowDeletesTheNewestProfile)
{
    for (const char* name : {"First", "Second"})
        std::snprintf(profiles->AddProfile()->name, PROFILE_NAME_SIZE, "%s", name);
    Idle(40);
    Click("ID_PROFILE", "IDDELETE");
    Idle(2);
    Click("ID_PROFILE_DELETE", "IDYES");
    Idle(3);
    h.CloseAfterScript();
    RunProfilePage(255.0f);

    ASSERT_EQ(profiles->profiles.Count(), 1);
    EXPECT_STREQ(profiles->profiles[0]->name, "First");
}

TEST_F(CareerPages, TheDifficultyIsAskedOncePerPilot)
{
    ProfileRecord& profile = OwnThreeBuggies();
    Idle(3);
    Click("ID_PROFILE_DIFICULTY", "IDCANCEL");
    h.CloseAfterScript();
    EXPECT_EQ(StartCareer(), 0);
    EXPECT_EQ(profile.difficultyChosen, 0);

    input::null::State().frames.clear();
    pages.clear();
    Idle(3);
    Click("ID_PROFILE_DIFICULTY", "IDOK"); // the default: normal
    Idle(30);
    h.CloseAfterScript();
    EXPECT_EQ(StartCareer(), 1);
    EXPECT_EQ(profile.difficultyChosen, 1);
    EXPECT_EQ(profile.difficulty, 1);
    EXPECT_TRUE(Shown("ID_INGAME"));

    // Chosen: straight to the hub.
    input::null::State().frames.clear();
    pages.clear();
    Idle(3);
    h.CloseAfterScript();
    StartCareer();
    EXPECT_FALSE(Shown("ID_PROFILE_DIFICULTY"));
}

TEST_F(CareerPages, TheHubStepsThroughOwnedBuggiesAndStopsAtTheEnds)
{
    ProfileRecord& profile = OwnThreeBuggies();
    StepCurrentBuggy(profile, -1);
    EXPECT_EQ(profile.currentBuggy, profile.ownedBuggies[0]);
    for (int i = 0; i < 3; ++i)
        StepCurrentBuggy(profile, +1);
    EXPECT_EQ(profile.currentBuggy, profile.ownedBuggies[2]);
    EXPECT_EQ(OwnedNeighbour(profile, +1), nullptr);
    EXPECT_EQ(OwnedNeighbour(profile, -1), profile.ownedBuggies[1]);
}

TEST_F(CareerPages, SellingPaysTheModelAndItsPartsAndTheLastOwnedBecomesCurrent)
{
    ProfileRecord& profile = OwnThreeBuggies();
    profile.currentBuggy = profile.ownedBuggies[1];
    profile.currentBuggy->model = 1;
    profile.currentBuggy->parts.Add()->item = 3;
    profile.currentBuggy->parts.Add()->item = 3;
    BuggyConfiguration* last = profile.ownedBuggies[2];
    const int money = profile.money;
    EXPECT_EQ(BuggySaleValue(*profile.currentBuggy), 1000 + 300 + 300);
    ASSERT_TRUE(SellCurrentBuggy(profile));
    EXPECT_EQ(profile.money, money + 1600);
    EXPECT_EQ(profile.ownedBuggies.Count(), 2);
    EXPECT_EQ(profile.currentBuggy, last);

    // The only buggy is never sold.
    while (profile.ownedBuggies.Count() > 1)
        SellCurrentBuggy(profile);
    EXPECT_FALSE(SellCurrentBuggy(profile));
    EXPECT_EQ(profile.ownedBuggies.Count(), 1);
}

TEST_F(CareerPages, SellingTheOnlyBuggyFromTheHubShowsTheRefusal)
{
    ProfileRecord& profile = OwnThreeBuggies();
    while (profile.ownedBuggies.Count() > 1)
        profile.ownedBuggies.DeleteAt(1);
    profile.difficultyChosen = 1;
    Idle(3);
    Click("ID_INGAME", "IDSELL");
    Idle(2);
    Click("ID_SELL_BUGGY", "IDOK");
    Idle(2);
    Click("ID_INGAME", "IDBRIGHT");
    Idle(2);
    h.CloseAfterScript();
    EnterGarageHubPage();
    RunGarageHub();
    EXPECT_TRUE(Shown("ID_SELL_BUGGY"));
    EXPECT_EQ(profile.ownedBuggies.Count(), 1);
    EXPECT_EQ(profile.currentBuggy, profile.ownedBuggies[0]);
}

TEST_F(CareerPages, ANewPilotsChampionshipListShowsTheFirstRaceCurrentThenLockedRowsAndPlaceholders)
{
    MapsDatabaseFileRecord maps;
    maps.maps = {MakeMapRecord("Hill", 1, 1, 1), MakeMapRecord("Lagoon", 1, 2, 2),
                 MakeMapRecord("Canyon", 1, 3, 3)};
    for (MapRecord& map : maps.maps)
        map.modeClass = 0; // championship
    ASSERT_TRUE(WriteMapsDatabase(h.DataDir() + "Maps_srt.qvx", maps));
    QV7_MapsSort sort(h.DataDir());
    ProfileRecord& profile = OwnThreeBuggies();
    QV7_Menu_List list;

    FillChampionshipList(list, profile);
    ASSERT_EQ(list.m_Rows.Count(), 3 + kPlaceholderRaceRows);
    EXPECT_EQ(list.m_SelectedRow, 0);
    EXPECT_EQ(list.m_Rows[0]->m_Colour, kRaceRowCurrentColour);
    EXPECT_EQ(list.m_Rows[1]->m_Colour, kRaceRowLockedColour);
    EXPECT_EQ(list.m_Rows[2]->m_SelectedColour, kRaceRowLockedSecondColour);
    EXPECT_STREQ(list.m_Rows[3]->m_Text, "Map3 - Isle of 1500");
    EXPECT_EQ(list.m_Rows[3]->m_Colour, kRaceRowPlaceholderColour);

    RecordChampionshipWin(profile, 0);
    FillChampionshipList(list, profile);
    EXPECT_EQ(list.m_SelectedRow, 1);
    EXPECT_EQ(list.m_Rows[0]->m_Colour, 0u);
    // The last listed race won: the selection goes back to the top.
    RecordChampionshipWin(profile, 1);
    RecordChampionshipWin(profile, 2);
    FillChampionshipList(list, profile);
    EXPECT_EQ(list.m_SelectedRow, 0);
    g_demoFinished = false;
}

TEST_F(CareerPages, TheShopGreysWhatItCannotDoInEachMode)
{
    ProfileRecord& profile = OwnThreeBuggies();
    profile.currentBuggy->parts.Clear();
    std::map<std::string, int> greyed;
    h.SetFrameObserver(
        [&]
        {
            MenuPage* page = g_menuManager->CurrentPage();
            if (!page || std::string(page->m_Id) != "ID_IETEMS")
                return;
            for (const char* id : {"IDBUY", "IDUPGRADE", "IDSELL"})
                greyed[id] = static_cast<QV7_Menu_Button*>(menus->FindControl(id, kMenuButton))->m_Highlight;
        });
    Idle(60);
    h.CloseAfterScript();
    RunShopPage();
    // Nothing on sale fits these models and nothing is mounted.
    EXPECT_EQ(greyed["IDBUY"], 1);
    EXPECT_EQ(greyed["IDUPGRADE"], 1);
    EXPECT_EQ(greyed["IDSELL"], 1);
}

struct WinCase
{
    int race;
    bool unlocksNext;
    bool finishesDemo;
};

TEST(CareerRaceLists, WinningARaceUnlocksTheNextAndTheSecondFinishesTheDemo)
{
    const WinCase cases[] = {{0, true, false}, {1, true, true}, {5, true, false}, {19, false, false}};
    for (const WinCase& c : cases)
    {
        SCOPED_TRACE(c.race);
        g_profileItemCatalog = nullptr;
        ProfileRecord profile;
        g_demoFinished = false;
        RecordChampionshipWin(profile, c.race);
        EXPECT_EQ(profile.raceWon[c.race], 1);
        if (c.race + 1 < PROFILE_RACE_COUNT)
        {
            EXPECT_EQ(profile.raceUnlocked[c.race + 1], c.unlocksNext ? 1 : 0);
        }
        EXPECT_EQ(g_demoFinished, c.finishesDemo);
    }
    g_demoFinished = false;
    ProfileRecord profile;
    RecordTutorialWin(profile, 2);
    EXPECT_EQ(profile.tutorialUnlocked[3], 1);
    RecordTutorialWin(profile, 4); // the last: nothing further to unlock
    EXPECT_EQ(ProfileIndexOfRow(0, 3), 2);
    EXPECT_EQ(ProfileIndexOfRow(2, 3), 0);
    EXPECT_EQ(ProfileIndexOfRow(3, 3), -1);
    EXPECT_EQ(ProfileIndexOfRow(-1, 3), -1);
}
} // namespace
