// The weapons pages: every weapon and piece of equipment one at a time
// (ID_WEAPONS_BUY while it is not owned, ID_WEAPONS once it is), buying it
// into the owned items, and the ammunition pop-up (ID_AMMO).
#pragma once

#include <vector>

class ProfileRecord;
class QV7_BuggyMeshSystem;
class QV7_DataBase_MeshObject;
class QV7_Menu_Caption;
struct MountedPart;

constexpr int kAmmunitionKinds = 4;
// Rounds in one pack of each ammunition kind.
constexpr int kAmmunitionPack[kAmmunitionKinds] = {20, 20, 50, 10};

void RunWeaponsBuyPage();
// kind: 0 to 3, the place in the ammunition list and the profile's counts;
// moneyText: the weapons page's money text, kept up to date.
void RunAmmoPage(int kind, QV7_Menu_Caption* moneyText);
void ShowCantBuyWeaponPopup();
void ShowCantBuyWeaponPopup2();
void ShowCantBuyAmmoPopup();

// The highest model index among the owned buggies; 0 when none is above 0.
int BestOwnedModel(const ProfileRecord& profile, const QV7_BuggyMeshSystem& db);
// The weapons in the order the page shows them: first those the best owned
// model takes (but types 4, 5 and 12), then the rest, each in list order.
std::vector<QV7_DataBase_MeshObject*> WeaponList(const QV7_BuggyMeshSystem& db, int bestOwnedModel);
// The owned entry of the chain this item belongs to (its level is the entry's
// item); null when not owned.
MountedPart* OwnedWeapon(ProfileRecord& profile, const QV7_BuggyMeshSystem& db,
                         const QV7_DataBase_MeshObject* base);
// Buys packs of one ammunition kind (1 or 10); false when the money is short.
bool BuyAmmunition(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, int kind, int packs);
