#include "menus/QV7_RaceChoicePages.h"

#include "engine/QV7_TextureList.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "media/QV7_SoundSystem.h"
#include "menus/MenuControls.h"
#include "menus/PopupPages.h"
#include "menus/QV7_DemoPages.h"
#include "menus/QV7_MainMenu.h"
#include "menus/QV7_PageLoop.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_MapsSort.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace
{
const char* const kHubPage = "ID_INGAME";
const char* const kRaceTypePage = "ID_INGAME_RACE";
const char* const kChampionshipPage = "ID_INGAME_RACE_CHAMPIONSHIP";
const char* const kSimulatorPage = "ID_INGAME_RACE_SIMULATOR";
const char* const kBackdropPage = "ID_IM_BACKGROUND";
constexpr int kTutorialRows = 4;

const char* const kPlaceholderRaces[kPlaceholderRaceRows] = {
    "Map3 - Isle of 1500",         "Map4 - Desert Town Isle",     "Map5 - Graveyard Isle",
    "Map6 - Treasure Isle",        "Map7 - Isle of the Dead",     "Map8 - Isle of the Pirates",
    "Map9 - AliBaba Isle",         "Map10 - Pueblo Isle",         "Map11 - Arabian Isle",
    "Map12 - Isle of the Indians", "Map13 - Swamps Isle",         "Map14 - Isle Of The Celts",
    "Map15 - The Marshlands",      "Map16 - Isle of the Ancient", "Map17 - Oriental Isle",
    "Map18 - Isle of Atlantis",    "Map19 - Isle of the Orient",  "Map20 - Isle of Atlantica"};

const char* const kFullVersionText =
    "More available in the full version... More tutorials to master, 20 single player islands to race "
    "round and 30 multiplayer worlds to fight in.";

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

ProfileRecord* CurrentProfile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

int Language()
{
    return g_windowsData ? g_windowsData->m_VersionNumber : 0;
}

int ListSize(int list)
{
    return g_mapsSort ? g_mapsSort->ListCount(list) : 0;
}

MapRecord* ListMap(int list, int index)
{
    return g_mapsSort ? g_mapsSort->ListEntry(list, index) : nullptr;
}

void AddRow(QV7_Menu_List& list, const char* text, D3DCOLOR colour, D3DCOLOR second)
{
    ListRow* row = list.m_Rows.Add();
    std::snprintf(row->m_Text, sizeof row->m_Text, "%s", text);
    row->m_Colour = colour;
    row->m_SelectedColour = second;
}

void WriteMoney()
{
    if (const ProfileRecord* profile = CurrentProfile())
        SetMenuText("IDZEPHYRIONS", "%d ZR", profile->money);
}

void SelectPage(const char* page)
{
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
}

// Each pilot with the model its opponent slot drives.
void FillOpponentList(const ProfileRecord& profile)
{
    auto* list = FindMenuControlAs<QV7_Menu_List>("IDLISTOPONENTS");
    if (!list || !g_mapsSort)
        return;
    list->m_Rows.Clear();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    for (int pilot = 0; pilot < g_mapsSort->PilotCount(); ++pilot)
    {
        std::string text = g_mapsSort->Pilot(pilot)->name + "  -  ";
        if (pilot < PROFILE_OPPONENT_COUNT && db)
        {
            const QV7_DataBase_MeshObject* model = db->Item(profile.opponents[pilot].configuration.model);
            const ItemNamePair* names = model ? model->Names(Language()) : nullptr;
            text += names ? names->name : "";
        }
        AddRow(*list, text.c_str(), 0, 0);
    }
}

int SelectedRow(const char* id)
{
    auto* list = FindMenuControlAs<QV7_Menu_List>(id);
    return list ? list->m_SelectedRow : -1;
}

// The thumbnail and description of a map, or the full-version text when there is none to show.
void ShowMapDetails(const MapRecord* map)
{
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("IDMAPPICTURE"))
        picture->m_Picture = map ? map->textures[MAP_PICTURE_LIST] : nullptr;
    if (auto* description = FindMenuControlAs<QV7_Menu_List>("IDLISTDESCRIPTION"))
    {
        const std::string& text =
            map ? DescriptionFor(map->lines, Language()) : std::string(kFullVersionText);
        description->AddText(text.c_str());
    }
}

// Back to the race type page: this page out, ID_INGAME_RACE in.
void FadeBackToRaceType(const char* page)
{
    float fade = 255.0f;
    if (RunPageFade(fade, {page, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kRaceTypePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}

// After a race: the loading page at 100 % while the menu music comes back,
// then a fade to black that a long frame (loading) does not advance.
void ReturnFromRace(MapRecord& map)
{
    if (g_menuManager)
    {
        g_menuManager->m_CursorFlag = 0;
        g_menuManager->m_CurrentPage = 0;
        if (auto* bar = FindMenuControlAs<QV7_Menu_Progress>("IDPROGRESSBAR"))
            bar->m_Value = 100.0f;
    }
    if (g_soundSystem)
        g_soundSystem->PlaySound(g_soundSystem->m_MusicB, false);
    float fade = 255.0f;
    while (fade > 0.0f)
    {
        const PageFrame frame = RunPageFrame(nullptr, 0, MenuCover::BlackQuad(fade));
        if (frame.gate == FRAME_QUIT)
            break;
        if (frame.Drawn() && MenuFrameMs() < 1000.0f)
            fade = std::max(0.0f, fade - 0.8f * MenuFrameMs());
    }
    DeleteBuggyTexture(int32_t(map.textureIds[MAP_PICTURE_LOADING]));
    map.textures[MAP_PICTURE_LOADING] = nullptr;
    if (g_menuManager)
        g_menuManager->m_CursorFlag = 1;
}

void RunChampionshipRace(ProfileRecord& profile, int race)
{
    MapRecord* map = ListMap(QV7_MapsSort::kChampionshipList, race);
    ProfileRecord::SetupOpponents(&profile);
    QV7_MapSystem* session = nullptr;
    const int page = g_menuManager ? g_menuManager->FindPageIndex(kChampionshipPage) : 0;
    session = QV7_MapSystem::Load(profile.raceWon[race] == 1, int(map->mapNumber), page, map,
                                  RACE_MODE_CHAMPIONSHIP, race);
    if (session)
    {
        QV7_MapSystem::RunRace(*session);
        if (session->won == 1)
            RecordChampionshipWin(profile, race);
        g_profiles->Save();
        QV7_MapSystem::EndSession(session);
    }
    ReturnFromRace(*map);
}

// IDRACE on the championship list: true when a race was run.
bool RaceSelectedChampionshipRow(ProfileRecord& profile)
{
    const int race = SelectedRow("IDLISTCHAMPIONSHIP");
    if (race < 0 || race >= PROFILE_RACE_COUNT)
        return false;
    if (profile.raceUnlocked[race] != 1)
    {
        if (race > 1)
            ShowDemoAdvertPage(kChampionshipPage);
        else
            ShowMessagePopup("ID_POP_UNLOCK_RACE");
        return false;
    }
    if (race >= ListSize(QV7_MapsSort::kChampionshipList))
        return false;
    RunChampionshipRace(profile, race);
    return true;
}

void EnterChampionshipPage(const ProfileRecord& profile)
{
    SelectPage(kChampionshipPage);
    if (auto* list = FindMenuControlAs<QV7_Menu_List>("IDLISTCHAMPIONSHIP"))
        FillChampionshipList(*list, profile);
    CentreMenuText("IDZEPHYRIONS");
    FillOpponentList(profile);
}

void EnterSimulatorPage(const ProfileRecord& profile)
{
    SelectPage(kSimulatorPage);
    if (auto* list = FindMenuControlAs<QV7_Menu_List>("IDLISTTUTORIALS"))
        FillTutorialList(*list, profile);
    CentreMenuText("IDZEPHYRIONS");
    FillOpponentList(profile);
}

// Runs tutorial t; true when it was the last one and is now finished.
bool RunTutorial(ProfileRecord& profile, int tutorial)
{
    MapRecord* map = ListMap(QV7_MapsSort::kTutorialList, tutorial);
    const int page = g_menuManager ? g_menuManager->FindPageIndex(kSimulatorPage) : 0;
    QV7_MapSystem* session =
        QV7_MapSystem::Load(0, int(map->mapNumber), page, map, RACE_MODE_TUTORIAL, tutorial);
    if (session)
    {
        QV7_MapSystem::RunRace(*session);
        if (session->won == 1)
            RecordTutorialWin(profile, tutorial);
        QV7_MapSystem::EndSession(session);
        g_profiles->Save();
    }
    ReturnFromRace(*map);
    return tutorial == 3 && profile.tutorialUnlocked[4] == 1;
}

// One drawn frame of a page fading in (its texts written first by writeTexts);
// the clicked id or null, quit set on a quit.
const char* ListPageFrame(const char* page, float& fade, ClickGuard& guard,
                          const std::function<void()>& writeTexts, bool& quit)
{
    for (;;)
    {
        const FrameResult gate = StartPageFrame(page, 1);
        if (gate == FRAME_QUIT)
        {
            quit = true;
            return nullptr;
        }
        if (gate == FRAME_SKIP)
            continue;
        writeTexts();
        const char* clicked = guard.Filter(DrawPageFrame(MenuCover::PageBackdrop(kBackdropPage, fade)));
        fade = std::min(255.0f, fade + 0.8f * MenuFrameMs());
        return clicked;
    }
}
} // namespace

void FillChampionshipList(QV7_Menu_List& list, const ProfileRecord& profile)
{
    list.m_Rows.Clear();
    list.m_SelectedRow = 0;
    const int count = std::min(ListSize(QV7_MapsSort::kChampionshipList), PROFILE_RACE_COUNT);
    for (int race = 0; race < count; ++race)
    {
        const bool unlocked = profile.raceUnlocked[race] != 0;
        const bool last = race == count - 1;
        const bool nextLocked = race + 1 >= PROFILE_RACE_COUNT || profile.raceUnlocked[race + 1] == 0;
        bool current = unlocked && (last ? profile.raceWon[race] == 0 : nextLocked);
        D3DCOLOR colour = unlocked ? 0 : kRaceRowLockedColour;
        if (current)
        {
            colour = kRaceRowCurrentColour;
            list.m_SelectedRow = race;
        }
        AddRow(list, ListMap(QV7_MapsSort::kChampionshipList, race)->name.c_str(), colour,
               unlocked ? kRaceRowSecondColour : kRaceRowLockedSecondColour);
    }
    for (const char* placeholder : kPlaceholderRaces)
        AddRow(list, placeholder, kRaceRowPlaceholderColour, kRaceRowPlaceholderSecondColour);
}

void FillTutorialList(QV7_Menu_List& list, const ProfileRecord& profile)
{
    list.m_Rows.Clear();
    list.m_SelectedRow = 0;
    const int count = ListSize(QV7_MapsSort::kTutorialList);
    for (int t = 0; t < count; ++t)
    {
        const char* name = ListMap(QV7_MapsSort::kTutorialList, t)->name.c_str();
        if (t >= kTutorialRows)
        {
            AddRow(list, name, 0, 0);
            continue;
        }
        const bool unlocked = profile.tutorialUnlocked[t] != 0;
        const bool current = unlocked && profile.tutorialUnlocked[t + 1] == 0;
        if (current)
            list.m_SelectedRow = t;
        AddRow(list, name,
               current    ? kRaceRowCurrentColour
               : unlocked ? 0
                          : kRaceRowLockedColour,
               unlocked ? kRaceRowSecondColour : kRaceRowLockedSecondColour);
    }
}

void RecordChampionshipWin(ProfileRecord& profile, int race)
{
    if (race < 0 || race >= PROFILE_RACE_COUNT)
        return;
    if (race < PROFILE_RACE_COUNT - 1)
    {
        profile.raceUnlocked[race + 1] = 1;
        if (race == 1)
            g_demoFinished = true;
    }
    profile.raceWon[race] = 1;
}

void RecordTutorialWin(ProfileRecord& profile, int tutorial)
{
    if (tutorial >= 0 && tutorial < PROFILE_TUTORIAL_COUNT - 1)
        profile.tutorialUnlocked[tutorial + 1] = 1;
}

void RunRaceTypePage()
{
    ProfileRecord* profile = CurrentProfile();
    if (!profile)
        return;
    float fade = 255.0f;
    if (!RunPageFade(fade, {kHubPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        return;
    bool raced = false;
    if (profile->tutorialOfferPending == 1)
    {
        SelectPage(kRaceTypePage);
        CentreMenuText("IDZEPHYRIONS");
        WriteMoney();
        profile->tutorialOfferPending = 0;
        if (ShowTutorialPopup() == 1)
            raced = RunSimulatorPage() == 1;
        fade = 255.0f;
    }
    SelectPage(kRaceTypePage);
    CentreMenuText("IDZEPHYRIONS");
    ClickGuard guard;
    bool quit = false;
    while (!raced && !quit)
    {
        const char* clicked = ListPageFrame(kRaceTypePage, fade, guard, WriteMoney, quit);
        if (!clicked)
            continue;
        if (Is(clicked, "IDBACK"))
        {
            RunPageFade(fade, {kRaceTypePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f});
            break;
        }
        if (Is(clicked, "IDCHAMPIONSHIP"))
            raced = RunChampionshipPage() == 1;
        else if (Is(clicked, "IDTIMETRAIL") || Is(clicked, "IDQUICKRACE"))
            ShowDemoAdvertPage(kRaceTypePage);
        else if (Is(clicked, "IDSYMULATOR"))
            raced = RunSimulatorPage() == 1;
        guard.Note();
    }
    if (g_demoFinished || quit)
        return;
    fade = 0.0f;
    RunPageFade(fade, {kHubPage, 1, raced ? MenuCover::Black : MenuCover::Backdrop,
                       raced ? nullptr : kBackdropPage, 0.8f, 255.0f});
}

int RunChampionshipPage()
{
    ProfileRecord* profile = CurrentProfile();
    if (!profile)
        return 0;
    float fade = 255.0f;
    if (!RunPageFade(fade, {kRaceTypePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        return 0;
    EnterChampionshipPage(*profile);
    ClickGuard guard;
    bool quit = false;
    const auto writeTexts = []
    {
        WriteMoney();
        const int selected = SelectedRow("IDLISTCHAMPIONSHIP");
        // Only the first two entries have a picture and a description to show.
        ShowMapDetails(selected == 0 || selected == 1 ? ListMap(QV7_MapsSort::kChampionshipList, selected)
                                                      : nullptr);
    };
    while (!quit)
    {
        const char* clicked = ListPageFrame(kChampionshipPage, fade, guard, writeTexts, quit);
        if (!clicked)
            continue;
        if (Is(clicked, "IDPROFILE"))
            quit = ShowChampionshipProfile(SelectedRow("IDLISTOPONENTS")) == 2;
        else if (Is(clicked, "IDBACK"))
        {
            FadeBackToRaceType(kChampionshipPage);
            return 0;
        }
        else if (Is(clicked, "IDRACE") && RaceSelectedChampionshipRow(*profile))
            return 1;
        guard.Note();
    }
    return 0;
}

int RunSimulatorPage()
{
    ProfileRecord* profile = CurrentProfile();
    if (!profile)
        return 0;
    float fade = 255.0f;
    if (!RunPageFade(fade, {kRaceTypePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        return 0;
    const auto writeTexts = []
    {
        WriteMoney();
        ShowMapDetails(ListMap(QV7_MapsSort::kTutorialList, SelectedRow("IDLISTTUTORIALS")));
    };
    for (;;)
    {
        EnterSimulatorPage(*profile);
        ClickGuard guard;
        bool quit = false, raced = false;
        while (!quit && !raced)
        {
            const char* clicked = ListPageFrame(kSimulatorPage, fade, guard, writeTexts, quit);
            if (!clicked)
                continue;
            const int tutorial = SelectedRow("IDLISTTUTORIALS");
            if (Is(clicked, "IDPROFILE"))
                quit = ShowSimulatorProfile(SelectedRow("IDLISTOPONENTS")) == 2;
            else if (Is(clicked, "IDBACK"))
            {
                FadeBackToRaceType(kSimulatorPage);
                return 0;
            }
            else if (Is(clicked, "IDRACE") && tutorial >= 0 && tutorial < kTutorialRows &&
                     profile->tutorialUnlocked[tutorial] == 0)
                ShowMessagePopup("ID_POP_UNLOCK_TUT");
            else if (Is(clicked, "IDRACE") && tutorial >= 0 &&
                     tutorial < ListSize(QV7_MapsSort::kTutorialList))
            {
                if (RunTutorial(*profile, tutorial))
                    return 1;
                raced = true;
            }
            guard.Note();
        }
        if (quit)
            return 0;
        // Back on the list, rebuilt with what the tutorial unlocked, from black.
        fade = 0.0f;
        EnterSimulatorPage(*profile);
        if (!RunPageFade(fade, {kSimulatorPage, 1, MenuCover::Black, nullptr, 0.8f, 255.0f}))
            return 0;
    }
}

int ShowTutorialPopup()
{
    float fade = 0.0f;
    for (;;)
    {
        const PageFrame frame = RunPageFrame("ID_POP_TUT", 1, MenuCover::PageBackdrop(kBackdropPage, fade));
        if (frame.gate == FRAME_QUIT)
            return 0;
        if (!frame.Drawn())
            continue;
        fade = std::min(255.0f, fade + 0.8f * MenuFrameMs());
        if (Is(frame.clicked, "IDYES"))
            return 1;
        if (Is(frame.clicked, "IDNO"))
            return 0;
    }
}

namespace
{
int ShowPilotPage(const char* page, int pilot)
{
    SelectPage(page);
    const PilotRecord* record = g_mapsSort ? g_mapsSort->Pilot(pilot) : nullptr;
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("IDCHARACTERPICTURE"))
        picture->m_Picture = record ? record->portrait : nullptr;
    if (auto* list = FindMenuControlAs<QV7_Menu_List>("IDLISTPROFILE"))
        list->AddText(record ? DescriptionFor(record->lines, Language()).c_str() : "");
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 1);
        if (frame.gate == FRAME_QUIT)
            return 2;
        if (frame.Drawn() && Is(frame.clicked, "IDOK"))
            return 0;
    }
}
} // namespace

int ShowChampionshipProfile(int pilot)
{
    return ShowPilotPage("ID_INGAME_RACE_CHAMPIONSHIP_PROFILE", pilot);
}

int ShowSimulatorProfile(int pilot)
{
    return ShowPilotPage("ID_INGAME_RACE_SIMULATOR_PROFILE", pilot);
}

void ShowMessagePopup(const char* pageId)
{
    RunOkPage(pageId, false);
}
