// The new-buggy page (ID_NEW_BUGGY): the buggy models two at a time with
// their statistics, and buying one with its default parts.
#pragma once

#include <cstdint>
#include <vector>

class ProfileRecord;
class QV7_BuggyMeshSystem;
class QV7_DataBase_MeshObject;

// Models at these list positions are for sale in this edition.
constexpr int kFirstBuyableModel = 2;
constexpr int kLastBuyableModel = 4;

struct ModelOffer
{
    QV7_DataBase_MeshObject* model = nullptr;
    int32_t available = 0;
    int32_t owned = 0;
};

// The statistics the page shows for the model at list position p (0 to 9).
struct ModelOfferStats
{
    int strength, energy, acceleration, repair, alternator, maxSpeed;
};
// The table's row for p; the last row past its end, the first before it.
const ModelOfferStats& StatsForPosition(int p);

void RunNewBuggyPage();
void ShowOwnBuggyPopup();
void ShowNewBuggyPopupC();
void ShowNewBuggyPopupA();
// 1 for yes.
int ShowNewBuggyConfirm();

// Every model of the database with what the profile may buy and already owns.
std::vector<ModelOffer> BuildModelOffers(const ProfileRecord& profile, const QV7_BuggyMeshSystem& db);
// The last available position; -1 when none.
int LastAvailableOffer(const std::vector<ModelOffer>& offers);
// Buys the model of offer p (shown with the pair starting at left): a new
// configuration with its default parts becomes the current buggy.
void BuyNewBuggy(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, const ModelOffer& offer, int left);
