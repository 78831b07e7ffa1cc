#include "menus/QV7_WeaponsPages.h"

#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "media/QV7_Input.h"
#include "menus/GaragePageLoop.h"
#include "menus/GaragePreviews.h"
#include "menus/MenuControls.h"
#include "menus/QV7_DemoPages.h"
#include "menus/QV7_PageLoop.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_Profiles.h"

#include <algorithm>
#include <cstring>

namespace
{
const char* const kBuyPage = "ID_WEAPONS_BUY";
const char* const kOwnedPage = "ID_WEAPONS";
const char* const kAmmoPage = "ID_AMMO";
constexpr D3DCOLOR kTitleRowColour = 0xFF995555;
// Right Shift, Left Shift, Left Ctrl, Right Ctrl: ten packs at once.
const int kTenPackKeys[] = {0x36, 0x2A, 0x1D, 0x9D};

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

bool DemoOnlyType(int type)
{
    return type == 4 || type == 5 || type == 12;
}

// A control of one of the two pages (both are written every frame).
template <typename T> T* OnPage(const char* page, const char* id)
{
    if (!g_menuManager)
        return nullptr;
    const int saved = g_menuManager->m_CurrentPage;
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
    T* control = FindMenuControlAs<T>(id);
    g_menuManager->m_CurrentPage = saved;
    return control;
}

void WriteBoth(const char* id, const char* text)
{
    for (const char* page : {kBuyPage, kOwnedPage})
        if (auto* caption = OnPage<QV7_Menu_Caption>(page, id))
            std::snprintf(caption->m_Text, sizeof caption->m_Text, "%s", text);
}

struct WeaponsState
{
    std::vector<QV7_DataBase_MeshObject*> list;
    int selected = 0;
};

// The owned level of list entry i, else the entry itself; null outside the list.
const QV7_DataBase_MeshObject* Shown(WeaponsState& state, ProfileRecord& profile,
                                     const QV7_BuggyMeshSystem& db, int i)
{
    if (i < 0 || i >= int(state.list.size()))
        return nullptr;
    const MountedPart* owned = OwnedWeapon(profile, db, state.list[size_t(i)]);
    return owned ? db.Item(owned->item) : state.list[size_t(i)];
}

// Texts, greying, previews and the page of the selected weapon; the page to show.
const char* ShowSelected(WeaponsState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    const int s = state.selected;
    const QV7_DataBase_MeshObject* weapon = state.list[size_t(s)];
    const MountedPart* owned = OwnedWeapon(profile, db, weapon);
    const QV7_DataBase_MeshObject* level = owned ? db.Item(owned->item) : nullptr;
    if (auto* upgrade = OnPage<QV7_Menu_Button>(kOwnedPage, "IDUPGRADE"))
        upgrade->m_Highlight = level && level->parent ? 0 : 1;
    char text[64];
    std::snprintf(text, sizeof text, "%d", level ? int(level->value2) : int(weapon->value1));
    WriteBoth("IDPRICE", text);
    WriteBoth("IDWEAPONNAME", ItemName(level ? level : weapon));
    if (auto* ammo = OnPage<QV7_Menu_Button>(kOwnedPage, "IDAMMO"))
        ammo->m_Highlight = owned && s > 3 ? 1 : 0;
    g_weaponPreview[0] = Shown(state, profile, db, s);
    g_weaponPreview[1] = Shown(state, profile, db, s - 1);
    g_weaponPreview[2] = Shown(state, profile, db, s + 1);
    for (const char* page : {kBuyPage, kOwnedPage})
        if (auto* description = OnPage<QV7_Menu_List>(page, "IDDESCRIPTION"))
            description->AddText(ItemDescription(weapon));
    std::snprintf(text, sizeof text, "%d ZR", profile.money);
    WriteBoth("IDZEPHYRIONS", text);
    return owned ? kOwnedPage : kBuyPage;
}

void BuySelected(WeaponsState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    QV7_DataBase_MeshObject* weapon = state.list[size_t(state.selected)];
    if (OwnedWeapon(profile, db, weapon))
        return; // owned: the page offers its upgrade, not a second one
    if (DemoOnlyType(weapon->type))
        ShowDemoAdvertPage(kBuyPage);
    else if (profile.money < int(weapon->value1))
        ShowCantBuyWeaponPopup();
    else if (weapon->FitsModel(g_bestOwnedModel) == 0)
        ShowCantBuyWeaponPopup2();
    else
    {
        profile.ownedItems.Add()->item = db.ItemIndex(weapon);
        profile.money -= int(weapon->value1);
        BuggyConfiguration::MountParts(profile.currentBuggy);
    }
}

// A click of the weapons pages; false when they are to be left.
bool ActOnWeaponsClick(const char* clicked, WeaponsState& state, ProfileRecord& profile,
                       const QV7_BuggyMeshSystem& db)
{
    const bool owned = OwnedWeapon(profile, db, state.list[size_t(state.selected)]) != nullptr;
    const int last = int(state.list.size()) - 1;
    if (Is(clicked, "IDUPGRADE") && owned)
        ShowDemoAdvertPage(kOwnedPage);
    else if (Is(clicked, "IDBUY"))
        BuySelected(state, profile, db);
    else if (Is(clicked, "IDSELL"))
        ShowDemoAdvertPage(kOwnedPage);
    else if (Is(clicked, "IDBLEFT") || Is(clicked, "ID3DMODELL"))
        state.selected = std::max(0, state.selected - 1);
    else if (Is(clicked, "IDBRIGHT") || Is(clicked, "ID3DMODELR"))
        state.selected = std::min(last, state.selected + 1);
    else if (Is(clicked, "IDAMMO") && state.selected < kAmmunitionKinds)
    {
        RunAmmoPage(state.selected, OnPage<QV7_Menu_Caption>(kOwnedPage, "IDZEPHYRIONS"));
        BuggyConfiguration::MountParts(profile.currentBuggy);
    }
    else if (Is(clicked, "IDBACK"))
        return false;
    return true;
}

void PreparePages()
{
    for (const char* page : {kBuyPage, kOwnedPage})
    {
        for (const char* id : {"ID3DMODEL", "ID3DMODELL", "ID3DMODELR"})
            if (auto* picture = OnPage<QV7_Menu_Picture>(page, id))
                picture->m_DrawCallback = DrawWeaponModel;
        for (const char* id : {"IDZEPHYRIONS", "IDPRICE", "IDWEAPONNAME"})
            if (auto* caption = OnPage<QV7_Menu_Caption>(page, id))
                caption->m_Centred = 1;
    }
}

int TenPacksHeld()
{
    for (int key : kTenPackKeys)
        if (g_input && g_input->IsKeyDown(key) > 0)
            return 10;
    return 1;
}
} // namespace

int BestOwnedModel(const ProfileRecord& profile, const QV7_BuggyMeshSystem&)
{
    int best = -1;
    for (int i = 0; i < profile.ownedBuggies.Count(); ++i)
        best = std::max(best, profile.ownedBuggies[i]->ModelIndex());
    return std::max(best, 0);
}

std::vector<QV7_DataBase_MeshObject*> WeaponList(const QV7_BuggyMeshSystem& db, int bestOwnedModel)
{
    std::vector<QV7_DataBase_MeshObject*> first, rest;
    for (QV7_DataBase_MeshObject* item : db.equipment)
        (item->FitsModel(bestOwnedModel) == 1 && !DemoOnlyType(item->type) ? first : rest).push_back(item);
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
}

MountedPart* OwnedWeapon(ProfileRecord& profile, const QV7_BuggyMeshSystem& db,
                         const QV7_DataBase_MeshObject* base)
{
    for (int i = 0; i < profile.ownedItems.Count(); ++i)
    {
        // Any level of the chain: an equipment list that offers the higher
        // levels too must not sell a chain the player already has.
        const QV7_DataBase_MeshObject* item = db.Item(profile.ownedItems[i]->item);
        if (item && base && item->ChainBase() == base->ChainBase())
            return profile.ownedItems[i];
    }
    return nullptr;
}

bool BuyAmmunition(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, int kind, int packs)
{
    if (kind < 0 || kind >= kAmmunitionKinds || kind >= int(db.extras.size()))
        return false;
    const int price = packs * int(db.extras[size_t(kind)]->value1);
    if (profile.money < price)
        return false;
    profile.money -= price;
    profile.ammunition[kind] += packs * kAmmunitionPack[kind];
    return true;
}

void RunWeaponsBuyPage()
{
    ProfileRecord* profile = GarageProfile();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!profile || !db)
        return;
    g_bestOwnedModel = BestOwnedModel(*profile, *db);
    float fade = 255.0f;
    if (!FadeGaragePageOut("ID_INGAME", fade))
        return;
    PreparePages();
    WeaponsState state;
    state.list = WeaponList(*db, g_bestOwnedModel);
    if (state.list.empty())
    {
        fade = 0.0f;
        FadeGaragePageIn("ID_INGAME", fade);
        return;
    }
    const char* page = kBuyPage;
    for (;;)
    {
        const FrameResult gate = StartPageFrame(page, 1);
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_SKIP)
            continue;
        page = ShowSelected(state, *profile, *db);
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
        g_garageYaw += 0.001f * MenuFrameMs();
        const char* clicked = DrawPageFrame(MenuCover::PageBackdrop(kGarageBackdropPage, fade));
        fade = GarageFadeInStep(fade);
        if (clicked && !ActOnWeaponsClick(clicked, state, *profile, *db))
            break;
    }
    g_weaponPreview[0] = g_weaponPreview[1] = g_weaponPreview[2] = nullptr;
    if (FadeGaragePageOut(page, fade))
    {
        fade = 0.0f;
        FadeGaragePageIn("ID_INGAME", fade);
    }
}

void RunAmmoPage(int kind, QV7_Menu_Caption* moneyText)
{
    ProfileRecord* profile = GarageProfile();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!profile || !db || kind < 0 || kind >= kAmmunitionKinds || kind >= int(db->extras.size()))
        return;
    const QV7_DataBase_MeshObject* item = db->extras[size_t(kind)];
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kAmmoPage);
    SetMenuText("IDHWND30424", "%d", int(item->value1));
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("ID3DMODEL"))
        picture->m_DrawCallback = DrawAmmoModel;
    g_ammoPreview = item;
    if (auto* description = FindMenuControlAs<QV7_Menu_List>("IDHWND30426"))
        FillDescriptionList(*description,
                            {{ItemName(item), kTitleRowColour}, {"", 0}, {ItemDescription(item), 0}});
    for (;;)
    {
        if (moneyText)
            std::snprintf(moneyText->m_Text, sizeof moneyText->m_Text, "%d ZR", profile->money);
        const FrameResult gate = StartPageFrame(kAmmoPage, 1);
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_SKIP)
            continue;
        SetMenuText("IDHWND30428", "%d", profile->ammunition[kind]);
        g_garageYaw += 0.001f * MenuFrameMs();
        const char* clicked = DrawPageFrame(MenuCover::Nothing());
        if (Is(clicked, "IDCANCEL"))
            break;
        if (Is(clicked, "IDBUY") && !BuyAmmunition(*profile, *db, kind, TenPacksHeld()))
            ShowCantBuyAmmoPopup();
    }
    g_ammoPreview = nullptr;
}

void ShowCantBuyWeaponPopup()
{
    ShowGarageMessage("ID_CANT_BUY_WEAP");
}

void ShowCantBuyWeaponPopup2()
{
    ShowGarageMessage("ID_POP_CANT_BUY_WEAP");
}

void ShowCantBuyAmmoPopup()
{
    ShowGarageMessage("ID_CANT_BUY_AMMO");
}
