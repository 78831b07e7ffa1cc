#include "menus/QV7_NewBuggyPage.h"

#include "gui/QV7_Menu_ListBox.h"
#include "gui/QV7_Menu_Picture.h"
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
const char* const kPage = "ID_NEW_BUGGY";

const ModelOfferStats kStats[] = {
    {100, 0, 10, 0, 0, 65},   {110, 20, 15, 1, 2, 80},   {120, 20, 20, 0, 2, 95},  {130, 40, 20, 2, 4, 95},
    {140, 40, 25, 1, 4, 110}, {150, 60, 25, 3, 6, 110},  {160, 60, 30, 2, 6, 125}, {170, 80, 30, 4, 8, 125},
    {180, 80, 35, 3, 8, 140}, {190, 100, 35, 4, 10, 140}};

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}

struct NewBuggyState
{
    std::vector<ModelOffer> offers;
    int left = 0;
    int limit = 0;

    const ModelOffer* At(int p) const
    {
        return p >= 0 && p < int(offers.size()) ? &offers[size_t(p)] : nullptr;
    }
};

// The seven statistics texts of one side ('L' or 'R') for position p.
void WriteStats(char side, int p, const ModelOffer* offer)
{
    const ModelOfferStats& stats = StatsForPosition(p);
    const auto id = [side](const char* name) { return std::string(name) + side; };
    SetMenuText(id("IDPRICE").c_str(), "%d ZR", offer && offer->model ? int(offer->model->value1) : 0);
    SetMenuText(id("IDSTRENGTH").c_str(), "%d", stats.strength);
    SetMenuText(id("IDENERGY").c_str(), "%d", stats.energy);
    SetMenuText(id("IDACCELERATION").c_str(), "%d", stats.acceleration);
    SetMenuText(id("IDREPAIR").c_str(), "%d", stats.repair);
    SetMenuText(id("IDALTERNATOR").c_str(), "%d", stats.alternator);
    SetMenuText(id("IDMAX").c_str(), "%d km/h", stats.maxSpeed);
}

void ShowSide(const NewBuggyState& state, int p, const char* nameId, const char* descriptionId,
              NewBuggyPreview& preview)
{
    const ModelOffer* offer = state.At(p);
    SetMenuText(nameId, "%s", offer ? ItemName(offer->model) : "");
    if (auto* description = FindMenuControlAs<QV7_Menu_List>(descriptionId))
        description->AddText(offer ? ItemDescription(offer->model) : "");
    preview.model = offer ? offer->model : nullptr;
    preview.owned = offer && offer->owned;
    preview.locked = p > state.limit || p < kFirstBuyableModel || p > kLastBuyableModel;
}

// IDBUYL or IDBUYR on position p; true when a buggy was bought.
bool TryToBuy(NewBuggyState& state, ProfileRecord& profile, const QV7_BuggyMeshSystem& db, int p)
{
    const ModelOffer* offer = state.At(p);
    if (p < kFirstBuyableModel || p > kLastBuyableModel || !offer)
    {
        ShowDemoAdvertPage(kPage);
        return false;
    }
    if (offer->owned)
        ShowOwnBuggyPopup();
    else if (!offer->available)
        ShowNewBuggyPopupC();
    else if (int(offer->model->value1) > profile.money)
        ShowNewBuggyPopupA();
    else if (ShowNewBuggyConfirm() == 1)
    {
        BuyNewBuggy(profile, db, *offer, state.left);
        return true;
    }
    return false;
}

void PreparePage()
{
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kPage);
    for (const char* id : {"ID3DMODELLEFT", "ID3DMODELRIGHT"})
        if (auto* picture = FindMenuControlAs<QV7_Menu_Picture>(id))
            picture->m_DrawCallback = DrawNewBuggyModel;
    for (const char* id : {"IDHWND32527", "IDHWND32528", "IDHWND33032"})
        CentreMenuText(id);
}
} // namespace

const ModelOfferStats& StatsForPosition(int p)
{
    return kStats[std::clamp(p, 0, int(std::size(kStats)) - 1)];
}

std::vector<ModelOffer> BuildModelOffers(const ProfileRecord& profile, const QV7_BuggyMeshSystem& db)
{
    std::vector<ModelOffer> offers;
    for (int j = 0; j < db.objects.Count(); ++j)
    {
        QV7_DataBase_MeshObject* model = db.objects[j];
        if (model->type != 0)
            continue;
        ModelOffer offer{model, j == 0 ? 1 : 0, 0};
        for (int b = 0; b < profile.ownedBuggies.Count(); ++b)
        {
            const BuggyConfiguration& owned = *profile.ownedBuggies[b];
            if (model->FitsModel(owned.ModelIndex()) == 1)
                offer.available = 1;
            if (db.Item(owned.model) == model)
                offer.owned = 1;
        }
        const int n = int(offers.size()) + 1;
        if (n < profile.highestModel + 2)
            offer.available = 1;
        if (j > 4)
            offer.available = 0;
        offers.push_back(offer);
    }
    return offers;
}

int LastAvailableOffer(const std::vector<ModelOffer>& offers)
{
    for (int p = int(offers.size()) - 1; p >= 0; --p)
        if (offers[size_t(p)].available)
            return p;
    return -1;
}

void BuyNewBuggy(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, const ModelOffer& offer, int left)
{
    BuggyConfiguration* config = profile.ownedBuggies.Add();
    config->model = db.ItemIndex(offer.model);
    profile.currentBuggy = config;
    profile.money -= int(offer.model->value1);
    BuggyConfiguration::EquipDefaultParts(config);
    BuggyConfiguration::MountParts(config);
    profile.highestModel = std::max(profile.highestModel, left);
}

void RunNewBuggyPage()
{
    ProfileRecord* profile = GarageProfile();
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!profile || !db)
        return;
    float fade = 255.0f;
    if (!FadeGaragePageOut("ID_INGAME", fade))
        return;
    PreparePage();
    NewBuggyState state;
    state.offers = BuildModelOffers(*profile, *db);
    const int last = LastAvailableOffer(state.offers);
    state.left = std::max(0, last - 1);
    profile->highestModel = std::max(profile->highestModel, last);
    state.limit = std::max(last, profile->highestModel);
    bool bought = false;
    while (!bought)
    {
        // Pop-ups and the advert page leave their own page current.
        if (g_menuManager)
            g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kPage);
        WriteStats('L', state.left, state.At(state.left));
        WriteStats('R', state.left + 1, state.At(state.left + 1));
        const FrameResult gate = StartPageFrame(kPage, 1);
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_SKIP)
            continue;
        g_garageYaw += 0.001f * MenuFrameMs();
        SetMenuText("IDHWND33032", "%d ZR", profile->money);
        ShowSide(state, state.left, "IDHWND32527", "IDBUGGYDESCRPL", g_newBuggyPreview[0]);
        ShowSide(state, state.left + 1, "IDHWND32528", "IDBUGGYDESCRPR", g_newBuggyPreview[1]);
        const char* clicked = DrawPageFrame(MenuCover::PageBackdrop(kGarageBackdropPage, fade));
        fade = GarageFadeInStep(fade);
        if (Is(clicked, "IDBACK"))
            break;
        if (Is(clicked, "IDBLEFT"))
            state.left = std::max(0, state.left - 1);
        if (Is(clicked, "IDBRIGHT"))
            state.left = std::max(0, std::min(int(state.offers.size()) - 2, state.left + 1));
        if (Is(clicked, "IDBUYL"))
            bought = TryToBuy(state, *profile, *db, state.left);
        else if (Is(clicked, "IDBUYR"))
            bought = TryToBuy(state, *profile, *db, state.left + 1);
    }
    g_newBuggyPreview[0] = g_newBuggyPreview[1] = {};
    if (FadeGaragePageOut(kPage, fade))
    {
        fade = 0.0f;
        FadeGaragePageIn("ID_INGAME", fade);
    }
}

void ShowOwnBuggyPopup()
{
    ShowGarageMessage("ID_POP_OWN_BUG");
}

void ShowNewBuggyPopupC()
{
    ShowGarageMessage("ID_NEW_POP_C");
}

void ShowNewBuggyPopupA()
{
    ShowGarageMessage("ID_NEW_BUG_A");
}

int ShowNewBuggyConfirm()
{
    return ShowGarageQuestion("ID_NEW_POP_B");
}
