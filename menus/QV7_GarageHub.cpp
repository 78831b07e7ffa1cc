#include "menus/QV7_GarageHub.h"

#include "gui/QV7_Menu_Picture.h"
#include "menus/GaragePreviews.h"
#include "menus/MenuControls.h"
#include "menus/PopupPages.h"
#include "menus/QV7_MainMenu.h"
#include "menus/QV7_NewBuggyPage.h"
#include "menus/QV7_PageLoop.h"
#include "menus/QV7_RaceChoicePages.h"
#include "menus/QV7_ShopPage.h"
#include "menus/QV7_WeaponsPages.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Windows.h"

#include <cstring>

float g_hubYaw = 0.0f;

namespace
{
const char* const kHubPage = "ID_INGAME";
const char* const kRacePages[] = {"ID_HUD",           "ID_DEMO_END",          "ID_ESC_MENU",  "ID_END_MENU",
                                  "ID_END_MENU_TIME", "ID_ESC_CONTROLS",      "ID_ESC_SOUND", "ID_WON_SCREEN",
                                  "ID_WON_SCREENF",   "ID_WON_SCREEN_CREDITS"};

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

ProfileRecord* CurrentProfile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

int OwnedIndex(const ProfileRecord& profile)
{
    for (int i = 0; i < profile.ownedBuggies.Count(); ++i)
        if (profile.ownedBuggies[i] == profile.currentBuggy)
            return i;
    return -1;
}

const char* ModelName(const BuggyConfiguration& config)
{
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    const QV7_DataBase_MeshObject* model = db ? db->Item(config.model) : nullptr;
    const int language = g_windowsData ? g_windowsData->m_VersionNumber : 0;
    const ItemNamePair* names = model ? model->Names(language) : nullptr;
    return names ? names->name : "";
}

// The hub fades to black, then the main menu comes up from black.
void RunHubExitSequence()
{
    float fade = 255.0f;
    RunPageFade(fade, {kHubPage, 1, MenuCover::Black, nullptr, 0.8f, 0.0f});
    RunPageFade(fade, {"ID_MAIN_MENU", 1, MenuCover::Black, nullptr, 0.8f, 255.0f});
}

void MarkRacePageTextures()
{
    if (!g_menuManager)
        return;
    for (const char* page : kRacePages)
        if (g_menuManager->FindPage(page))
            g_menuManager->MarkPageTexturesUsed(g_menuManager->FindPageIndex(page));
}

// What a hub click does; false when the hub is to return at once.
bool ActOnHubClick(const char* clicked, ProfileRecord& profile)
{
    if (Is(clicked, "IDGARAGE"))
        RunShopPage();
    else if (Is(clicked, "IDWEAPONS"))
        RunWeaponsBuyPage();
    else if (Is(clicked, "IDBUYNEW"))
        RunNewBuggyPage();
    else if (Is(clicked, "IDSELL"))
    {
        if (profile.ownedBuggies.Count() == 1)
            ShowSellBuggyPopup();
        else if (ShowSellBuggyConfirm() == 1)
            SellCurrentBuggy(profile);
    }
    else if (Is(clicked, "IDRACE"))
    {
        RunRaceTypePage();
        BuggyConfiguration::MountParts(profile.currentBuggy);
        if (g_demoFinished)
            return false;
    }
    else if (Is(clicked, "IDCLOSE"))
    {
        g_profiles->Save();
        if (ShowGarageExitPopup() == 1)
        {
            RunHubExitSequence();
            return false;
        }
    }
    else if (Is(clicked, "IDBLEFT") || Is(clicked, "ID3DMODELLEFT"))
        StepCurrentBuggy(profile, -1);
    else if (Is(clicked, "IDBRIGHT") || Is(clicked, "ID3DMODELRIGHT"))
        StepCurrentBuggy(profile, +1);
    return true;
}
} // namespace

void EnterGarageHubPage()
{
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kHubPage);
    for (const char* id : {"ID3DMODELMIDDLE", "ID3DMODELLEFT", "ID3DMODELRIGHT"})
        if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>(id))
            picture->m_DrawCallback = DrawHubBuggy;
    CentreMenuText("IDZEPHYRIONS");
    CentreMenuText("IDBUGGYNAME");
}

void WriteHubTexts()
{
    const ProfileRecord* profile = CurrentProfile();
    if (!profile || !profile->currentBuggy || !g_menuManager)
        return;
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kHubPage);
    const BuggyConfiguration& buggy = *profile->currentBuggy;
    SetMenuText("IDVALUE", "%d ZR", buggy.value);
    SetMenuText("IDSTRENGTH", "%d", buggy.strength);
    SetMenuText("IDENERGY", "%d", buggy.energy);
    SetMenuText("IDREPAIR", "%d", buggy.repair);
    SetMenuText("IDMAX", "%d km/h", buggy.maxSpeed);
    SetMenuText("IDACCELERATION", "%d", buggy.acceleration);
    SetMenuText("IDALTERNATOR", "%d", buggy.alternator);
    SetMenuText("IDZEPHYRIONS", "%d ZR", profile->money);
    SetMenuText("IDBUGGYNAME", "%s", ModelName(buggy));
    SetMenuVisible("IDHWND32529", profile->ownedItemsFit == 0);
}

void RunGarageHub()
{
    ProfileRecord* profile = CurrentProfile();
    if (!profile || !profile->currentBuggy)
        return;
    BuggyConfiguration::MountParts(profile->currentBuggy);
    MarkRacePageTextures();
    EnterGarageHubPage();
    ClickGuard guard;
    for (;;)
    {
        WriteHubTexts();
        const FrameResult gate = StartPageFrame(kHubPage, 1);
        if (gate == FRAME_QUIT)
        {
            RunHubExitSequence();
            return;
        }
        if (gate == FRAME_SKIP)
            continue;
        WriteHubTexts();
        g_hubYaw += 0.001f * MenuFrameMs();
        const char* clicked = guard.Filter(DrawPageFrame(MenuCover::Nothing()));
        if (!clicked)
            continue;
        if (!ActOnHubClick(clicked, *profile))
            return;
        guard.Note();
    }
}

int ShowSellBuggyConfirm()
{
    return RunYesNoPage("ID_SELL_BUGGY_YESNO", false);
}

void ShowSellBuggyPopup()
{
    RunOkPage("ID_SELL_BUGGY", false);
}

int ShowGarageExitPopup()
{
    return RunYesNoPage("ID_INGAME_EXIT", true);
}

int BuggySaleValue(const BuggyConfiguration& config)
{
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!db)
        return 0;
    int value = 0;
    if (const QV7_DataBase_MeshObject* model = db->Item(config.model))
        value += int(model->value2);
    for (int i = 0; i < config.parts.Count(); ++i)
        if (const QV7_DataBase_MeshObject* part = db->Item(config.parts[i]->item))
            value += int(part->value2);
    return value;
}

bool SellCurrentBuggy(ProfileRecord& profile)
{
    if (profile.ownedBuggies.Count() <= 1 || OwnedIndex(profile) < 0)
        return false;
    profile.money += BuggySaleValue(*profile.currentBuggy);
    profile.ownedBuggies.Delete(profile.currentBuggy);
    profile.currentBuggy = profile.ownedBuggies[profile.ownedBuggies.Count() - 1];
    BuggyConfiguration::MountParts(profile.currentBuggy);
    return true;
}

void StepCurrentBuggy(ProfileRecord& profile, int step)
{
    if (BuggyConfiguration* next = OwnedNeighbour(profile, step))
        profile.currentBuggy = next;
    BuggyConfiguration::MountParts(profile.currentBuggy);
}

BuggyConfiguration* OwnedNeighbour(const ProfileRecord& profile, int offset)
{
    const int index = OwnedIndex(profile) + offset;
    if (OwnedIndex(profile) < 0 || index < 0 || index >= profile.ownedBuggies.Count())
        return nullptr;
    return profile.ownedBuggies[index];
}
