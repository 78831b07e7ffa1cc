#include "menus/QV7_ShopPage.h"

#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "menus/GaragePageLoop.h"
#include "menus/GaragePreviews.h"
#include "menus/MenuControls.h"
#include "menus/QV7_PageLoop.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_Profiles.h"

#include <algorithm>
#include <cstring>

namespace
{
const char* const kShopPage = "ID_IETEMS";
const char* const kUpgradePage = "ID_IETEM_UPGRADE";
constexpr D3DCOLOR kNextLevelColour = 0xFF995555;

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

bool IsShopPartType(int type)
{
    return type >= 6 && type <= 15 && type != 9 && type != 12;
}

// Whether a mounted part carries the item or a level above it.
bool ChainMounted(const QV7_BuggyMeshSystem& db, const BuggyConfiguration& config,
                  const QV7_DataBase_MeshObject* item)
{
    for (int i = 0; i < config.parts.Count(); ++i)
        for (const QV7_DataBase_MeshObject* level = item; level; level = level->parent)
            if (db.Item(config.parts[i]->item) == level)
                return true;
    return false;
}

void AddRow(QV7_Menu_List* list, const char* text)
{
    if (!list)
        return;
    ListRow* row = list->m_Rows.Add();
    std::snprintf(row->m_Text, sizeof row->m_Text, "%s", text);
}

// The page's lists and what each row stands for.
struct ShopState
{
    QV7_Menu_List* shop = nullptr;
    QV7_Menu_List* inventory = nullptr;
    std::vector<QV7_DataBase_MeshObject*> offers; // one per shop row
    bool inventoryMode = false;
    D3DCOLOR shopSelectedColour = 0;

    QV7_DataBase_MeshObject* SelectedOffer() const
    {
        const int row = shop ? shop->m_SelectedRow : -1;
        return row >= 0 && row < int(offers.size()) ? offers[size_t(row)] : nullptr;
    }
    MountedPart* SelectedPart(BuggyConfiguration& config) const
    {
        const int row = inventory ? inventory->m_SelectedRow : -1;
        return row >= 0 && row < config.parts.Count() ? config.parts[row] : nullptr;
    }
};

void BuildLists(ShopState& state, const QV7_BuggyMeshSystem& db, const BuggyConfiguration& config)
{
    state.offers = ShopOffers(db, config);
    if (state.shop)
    {
        state.shop->m_Rows.Clear();
        for (const QV7_DataBase_MeshObject* item : state.offers)
            AddRow(state.shop, ItemName(item));
    }
    if (state.inventory)
    {
        state.inventory->m_Rows.Clear();
        for (int i = 0; i < config.parts.Count(); ++i)
            AddRow(state.inventory, ItemName(db.Item(config.parts[i]->item)));
    }
}

// Greying, visibility, the preview and the description of the mode.
void ShowMode(ShopState& state, const QV7_BuggyMeshSystem& db, BuggyConfiguration& config)
{
    const QV7_DataBase_MeshObject* selected = nullptr;
    int price = 0;
    if (state.inventoryMode)
    {
        if (state.shop)
            state.shop->m_SelectedRowColour = state.shop->m_RowColour;
        if (state.inventory)
            state.inventory->m_SelectedRowColour = state.shopSelectedColour;
        MountedPart* part = state.SelectedPart(config);
        SetButtonGreyed("IDBUY", true);
        SetButtonGreyed("IDUPGRADE", !part || !UpgradeFor(db, config, *part));
        SetButtonGreyed("IDSELL", config.parts.Count() == 0);
        selected = part ? db.Item(part->item) : nullptr;
        price = selected ? int(selected->value2) : 0;
    }
    else
    {
        if (state.shop)
            state.shop->m_SelectedRowColour = state.shopSelectedColour;
        if (state.inventory)
            state.inventory->m_SelectedRowColour = state.inventory->m_RowColour;
        SetButtonGreyed("IDBUY", state.offers.empty());
        SetButtonGreyed("IDUPGRADE", true);
        SetButtonGreyed("IDSELL", true);
        selected = state.SelectedOffer();
        price = selected ? int(selected->value1) : 0;
    }
    SetMenuVisible("IDP", !state.inventoryMode);
    SetMenuVisible("IDSP", state.inventoryMode);
    if (selected)
        g_shopPreviewItem = selected;
    auto* description = FindMenuControlAs<QV7_Menu_List>("IDDESCRIPTION");
    if (description)
        description->m_Rows.Clear();
    if (!selected)
    {
        SetMenuText("IDPRICE", "%s", "");
        return;
    }
    SetMenuText("IDPRICE", "%d ZR", price);
    if (description)
        description->AddText(ItemDescription(selected));
}

void BuySelected(ShopState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    QV7_DataBase_MeshObject* item = state.SelectedOffer();
    if (!item)
        return;
    if (!BuyPart(profile, db, item))
    {
        ShowCantBuyItemPopup();
        return;
    }
    const int row = state.shop->m_SelectedRow;
    state.offers.erase(state.offers.begin() + row);
    state.shop->m_Rows.DeleteAt(row);
    AddRow(state.inventory, ItemName(item));
}

void SellSelected(ShopState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    const int row = state.inventory ? state.inventory->m_SelectedRow : -1;
    const QV7_DataBase_MeshObject* base = SellPart(profile, db, row);
    if (!base)
        return;
    state.inventory->m_Rows.DeleteAt(row);
    state.offers.push_back(const_cast<QV7_DataBase_MeshObject*>(base));
    AddRow(state.shop, ItemName(base));
}

void UpgradeSelected(ShopState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    MountedPart* part = state.SelectedPart(*profile.currentBuggy);
    if (!part)
        return;
    if (UpgradeFor(db, *profile.currentBuggy, *part))
    {
        RunItemUpgradePage(part);
        BuggyConfiguration::MountParts(profile.currentBuggy);
    }
    ListRow* row = state.inventory->m_Rows[state.inventory->m_SelectedRow];
    std::snprintf(row->m_Text, sizeof row->m_Text, "%s", ItemName(db.Item(part->item)));
}

// A click of the shop page; false when the page is to be left.
bool ActOnShopClick(const char* clicked, ShopState& state, ProfileRecord& profile,
                    const QV7_BuggyMeshSystem& db)
{
    if (Is(clicked, "IDUPGRADE") && !ButtonGreyed("IDUPGRADE"))
        UpgradeSelected(state, profile, db);
    else if (Is(clicked, "IDBUY") && !ButtonGreyed("IDBUY"))
        BuySelected(state, profile, db);
    else if (Is(clicked, "IDSELL") && !ButtonGreyed("IDSELL"))
        SellSelected(state, profile, db);
    else if (Is(clicked, "IDBACK"))
        return false;
    if (Is(clicked, "IDSHOP"))
        state.inventoryMode = false;
    else if (Is(clicked, "IDINVENTORY"))
        state.inventoryMode = true;
    return true;
}
} // namespace

std::vector<QV7_DataBase_MeshObject*> ShopOffers(const QV7_BuggyMeshSystem& db,
                                                 const BuggyConfiguration& config)
{
    std::vector<QV7_DataBase_MeshObject*> offers;
    const int model = config.ModelIndex();
    for (int i = 0; i < db.objects.Count(); ++i)
    {
        QV7_DataBase_MeshObject* item = db.objects[i];
        if (IsShopPartType(item->type) && item->flag == 0 && !ChainMounted(db, config, item) &&
            item->FitsModel(model) == 1)
            offers.push_back(item);
    }
    return offers;
}

const QV7_DataBase_MeshObject* UpgradeFor(const QV7_BuggyMeshSystem& db, const BuggyConfiguration& config,
                                          const MountedPart& part)
{
    const QV7_DataBase_MeshObject* item = db.Item(part.item);
    const QV7_DataBase_MeshObject* next = item ? item->parent : nullptr;
    return next && next->FitsModel(config.ModelIndex()) == 1 ? next : nullptr;
}

bool BuyPart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, QV7_DataBase_MeshObject* item)
{
    if (!item || !profile.currentBuggy || profile.money < int(item->value1))
        return false;
    profile.money -= int(item->value1);
    profile.currentBuggy->parts.Add()->item = db.ItemIndex(item);
    BuggyConfiguration::MountParts(profile.currentBuggy);
    return true;
}

const QV7_DataBase_MeshObject* SellPart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, int index)
{
    BuggyConfiguration* config = profile.currentBuggy;
    if (!config || index < 0 || index >= config->parts.Count())
        return nullptr;
    const QV7_DataBase_MeshObject* item = db.Item(config->parts[index]->item);
    config->parts.DeleteAt(index);
    if (!item)
        return nullptr;
    profile.money += int(item->value2);
    BuggyConfiguration::MountParts(config);
    return item->ChainBase();
}

bool UpgradePart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, MountedPart& part)
{
    const QV7_DataBase_MeshObject* item = db.Item(part.item);
    const QV7_DataBase_MeshObject* next = item ? item->parent : nullptr;
    if (!next || profile.money < int(next->value1))
        return false;
    profile.money -= int(next->value1);
    part.item = db.ItemIndex(next);
    return true;
}

void RunShopPage()
{
    ProfileRecord* profile = GarageProfile();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!profile || !profile->currentBuggy || !db)
        return;
    float fade = 255.0f;
    if (!FadeGaragePageOut("ID_INGAME", fade))
        return;
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kShopPage);
    ShopState state;
    state.shop = FindMenuControlAs<QV7_Menu_List>("IDSHOP");
    state.inventory = FindMenuControlAs<QV7_Menu_List>("IDINVENTORY");
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("IDHWND30616"))
        picture->m_DrawCallback = DrawGarageModel;
    CentreMenuText("IDZEPHYRION");
    CentreMenuText("IDPRICE");
    BuildLists(state, *db, *profile->currentBuggy);
    state.shopSelectedColour = state.shop ? state.shop->m_SelectedRowColour : 0;
    g_shopPreviewItem = nullptr;
    for (;;)
    {
        const FrameResult gate = StartPageFrame(kShopPage, 1);
        if (gate == FRAME_QUIT)
            return;
        if (gate == FRAME_SKIP)
            continue;
        SetMenuText("IDZEPHYRION", "%d ZR", profile->money);
        g_garageYaw += 0.001f * MenuFrameMs();
        ShowMode(state, *db, *profile->currentBuggy);
        const char* clicked = DrawPageFrame(MenuCover::PageBackdrop(kGarageBackdropPage, fade));
        fade = GarageFadeInStep(fade);
        if (clicked && !ActOnShopClick(clicked, state, *profile, *db))
            break;
    }
    if (FadeGaragePageOut(kShopPage, fade))
    {
        fade = 0.0f;
        FadeGaragePageIn("ID_INGAME", fade);
    }
}

void RunItemUpgradePage(MountedPart* part)
{
    ProfileRecord* profile = GarageProfile();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    const QV7_DataBase_MeshObject* item = part && db ? db->Item(part->item) : nullptr;
    if (!profile || !item || !item->parent)
        return;
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kUpgradePage);
    g_upgradePart = part;
    if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>("ID3DMODEL"))
        picture->m_DrawCallback = DrawGarageItem;
    SetMenuText("IDHWND31025", "%d ZR", int(item->parent->value1));
    auto* price = FindMenuControlAs<QV7_Menu_Caption>("IDHWND31025");
    if (auto* description = FindMenuControlAs<QV7_Menu_List>("IDDESCRIPTION"))
        FillDescriptionList(*description, {{ItemName(item->parent), kNextLevelColour},
                                           {"", 0},
                                           {ItemDescription(item->parent), 0},
                                           {"", 0},
                                           {ItemName(item), price ? price->m_Colour : 0},
                                           {"", 0},
                                           {ItemDescription(item), 0}});
    for (;;)
    {
        const PageFrame frame = RunPageFrame(kUpgradePage, 1);
        if (frame.gate == FRAME_QUIT)
            break;
        if (!frame.Drawn())
            continue;
        g_garageYaw += 0.001f * MenuFrameMs();
        if (Is(frame.clicked, "IDCANCEL"))
            break;
        if (Is(frame.clicked, "IDUPGRADE"))
        {
            if (UpgradePart(*profile, *db, *part))
                break;
            ShowCantUpgradePopup();
        }
    }
    g_upgradePart = nullptr;
}

void ShowCantBuyItemPopup()
{
    ShowGarageMessage("ID_CANT_BUY_ITEM");
}

void ShowCantUpgradePopup()
{
    ShowGarageMessage("ID_CANT_UPGR_ITEM");
}
