// The garage shop (page ID_IETEMS): upgrade parts that fit the current buggy
// on sale, the parts mounted on it, buying, selling, and the upgrade page
// (ID_IETEM_UPGRADE) that lifts a mounted part to its next level.
#pragma once

#include <vector>

class BuggyConfiguration;
class ProfileRecord;
class QV7_BuggyMeshSystem;
class QV7_DataBase_MeshObject;
struct MountedPart;

void RunShopPage();
void RunItemUpgradePage(MountedPart* part);
void ShowCantBuyItemPopup();
void ShowCantUpgradePopup();

// The parts on sale for a configuration, in database order: upgrade parts
// (types 6 to 15 but 9 and 12) on offer, fitting its model, none of whose
// chain from this level up is mounted.
std::vector<QV7_DataBase_MeshObject*> ShopOffers(const QV7_BuggyMeshSystem& db,
                                                 const BuggyConfiguration& config);
// The next level of a mounted part when the model takes it; null otherwise.
const QV7_DataBase_MeshObject* UpgradeFor(const QV7_BuggyMeshSystem& db, const BuggyConfiguration& config,
                                          const MountedPart& part);
// Buying pays the item's price and mounts it; false (nothing changes) when the money is short.
bool BuyPart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, QV7_DataBase_MeshObject* item);
// Selling part index pays its resale value and unmounts it; the base level of
// its chain comes back (null for a bad index).
const QV7_DataBase_MeshObject* SellPart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, int index);
// Paying the next level's price lifts the part to it; false when short of money or at the top.
bool UpgradePart(ProfileRecord& profile, const QV7_BuggyMeshSystem& db, MountedPart& part);
