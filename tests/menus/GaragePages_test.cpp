// The garage's buying and selling rules on a small database: what the shop
// offers and what selling gives back, upgrades, the weapons' order and
// ownership through upgrade chains, ammunition packs, and the new buggies on
// offer and what buying one changes.
#include "menus/QV7_NewBuggyPage.h"
#include "menus/QV7_ShopPage.h"
#include "menus/QV7_WeaponsPages.h"
#include "race/ProfileItemCatalog.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Profiles.h"
#include "tests/race/BuggyConfigurationTestSupport.h"
#include "tests/race/BuggyDatabaseTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gtest/gtest.h>

namespace
{
using buggytest::Object;

BuggyObjectDescription Fitting(BuggyObjectDescription object, std::initializer_list<int> models)
{
    for (int model : models)
        object.attachPoints[size_t(model)].fits = 1;
    return object;
}

// Objects: 0-5 models; 6-8 an engine chain fitting model 0 (prices 100, 300,
// 600; resale 50, 150, 300); 9 a type-9 part; 10 a part not on offer; 11 a
// part no model takes; 12 a flamer fitting model 2; 13 a type-4 weapon; 14 a
// chain gun fitting model 0; 15-18 ammunition.
BuggyDatabaseDescription GarageDatabase()
{
    BuggyDatabaseDescription database;
    for (int m = 0; m < 6; ++m)
    {
        BuggyObjectDescription model = Object(0, "Model " + std::to_string(m));
        model.value1 = uint32_t(1000 * (m + 1));
        database.Add(model);
    }
    database.AddChain(3,
                      [](int level)
                      {
                          BuggyObjectDescription engine =
                              Fitting(Object(7, "Engine " + std::to_string(level)), {0});
                          engine.value1 = uint32_t(level == 1 ? 100 : level == 2 ? 300 : 600);
                          engine.value2 = engine.value1 / 2;
                          return engine;
                      });
    database.Add(Fitting(Object(9, "Not a shop part"), {0}));
    database.Add(Fitting(Object(8, "Hidden part", 1), {0}));
    database.Add(Object(8, "Fits nothing"));
    database.Add(Fitting(Object(1, "Flamer"), {2}));
    database.Add(Fitting(Object(4, "Mine layer"), {0, 2}));
    database.Add(Fitting(Object(3, "Chain gun"), {0}));
    for (int type = 16; type <= 19; ++type)
    {
        BuggyObjectDescription ammunition = Object(type, "Ammunition");
        ammunition.value1 = 10;
        database.Add(ammunition);
    }
    return database;
}

class GaragePages : public buggytest::BuggyDatabaseFixture
{
  protected:
    void SetUp() override
    {
        BuggyDatabaseFixture::SetUp();
        Read(GarageDatabase());
        catalog = ProfileItemCatalog::From(system);
        g_profileItemCatalog = &catalog;
        g_buggyMeshSystem = &system;
        profile = std::make_unique<ProfileRecord>();
        profile->ownedBuggies.Clear();
        profile->ownedItems.Clear();
        profile->currentBuggy = profile->ownedBuggies.Add();
        profile->currentBuggy->model = 0;
        profile->money = 1000;
    }
    void TearDown() override
    {
        profile.reset();
        g_buggyMeshSystem = nullptr;
        g_profileItemCatalog = nullptr;
        BuggyDatabaseFixture::TearDown();
    }
    QV7_DataBase_MeshObject* Item(int index) { return system.Item(index); }
    std::vector<std::string> OfferNames()
    {
        std::vector<std::string> names;
        for (const QV7_DataBase_MeshObject* item : ShopOffers(system, *profile->currentBuggy))
            names.push_back(item->names[0]->name);
        return names;
    }

    ProfileItemCatalog catalog;
    std::unique_ptr<ProfileRecord> profile;
};

TEST_F(GaragePages, TheShopOffersFittingPartsWhoseChainIsNotMountedAndSellingBringsBackTheBase)
{
    EXPECT_EQ(OfferNames(), (std::vector<std::string>{"Engine 1", "Engine 2", "Engine 3"}));
    profile->currentBuggy->parts.Add()->item = 7; // Engine 2 mounted
    EXPECT_EQ(OfferNames(), (std::vector<std::string>{"Engine 3"}));

    EXPECT_EQ(SellPart(*profile, system, 0), Item(6));
    EXPECT_EQ(profile->money, 1000 + 150);
    EXPECT_EQ(profile->currentBuggy->parts.Count(), 0);
    EXPECT_EQ(SellPart(*profile, system, 0), nullptr);

    // Another model takes none of them.
    profile->currentBuggy->model = 1;
    EXPECT_TRUE(OfferNames().empty());
}

TEST_F(GaragePages, BuyingAndUpgradingPayOnlyWhenTheMoneyIsThere)
{
    profile->money = 99;
    EXPECT_FALSE(BuyPart(*profile, system, Item(6)));
    EXPECT_EQ(profile->currentBuggy->parts.Count(), 0);
    profile->money = 100; // exactly the price
    ASSERT_TRUE(BuyPart(*profile, system, Item(6)));
    EXPECT_EQ(profile->money, 0);
    MountedPart& part = *profile->currentBuggy->parts[0];
    EXPECT_EQ(part.item, 6);

    EXPECT_EQ(UpgradeFor(system, *profile->currentBuggy, part), Item(7));
    EXPECT_FALSE(UpgradePart(*profile, system, part));
    profile->money = 900;
    ASSERT_TRUE(UpgradePart(*profile, system, part));
    ASSERT_TRUE(UpgradePart(*profile, system, part));
    EXPECT_EQ(part.item, 8);
    EXPECT_EQ(profile->money, 0);
    // At the top there is nothing further.
    EXPECT_EQ(UpgradeFor(system, *profile->currentBuggy, part), nullptr);
    profile->money = 10000;
    EXPECT_FALSE(UpgradePart(*profile, system, part));
}

TEST_F(GaragePages, WeaponsTheBestModelTakesComeFirstAndAChainLevelCountsAsOwned)
{
    profile->ownedBuggies.Add()->model = 2;
    EXPECT_EQ(BestOwnedModel(*profile, system), 2);
    const std::vector<QV7_DataBase_MeshObject*> list = WeaponList(system, 2);
    // The equipment list is sorted by type: flamer (1), chain gun (3), mine layer (4), object 9.
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], Item(12)); // the flamer fits model 2
    EXPECT_EQ(list[1], Item(14));
    EXPECT_EQ(list[2], Item(13)); // the mine layer fits but is never offered first
    EXPECT_EQ(list[3], Item(9));

    EXPECT_EQ(OwnedWeapon(*profile, system, Item(14)), nullptr);
    profile->ownedItems.Add()->item = 14;
    EXPECT_EQ(OwnedWeapon(*profile, system, Item(14)), profile->ownedItems[0]);
    // An equipment list may offer a chain's higher levels too: with level 1
    // owned, level 3 is owned as well and is not sold a second time.
    EXPECT_EQ(OwnedWeapon(*profile, system, Item(8)), nullptr);
    profile->ownedItems.Add()->item = 6;
    EXPECT_EQ(OwnedWeapon(*profile, system, Item(8)), profile->ownedItems[1]);
    EXPECT_EQ(OwnedWeapon(*profile, system, Item(7)), profile->ownedItems[1]);
}

TEST_F(GaragePages, AmmunitionComesInPacksAndTenAtOnceCostTenTimes)
{
    const int before = profile->ammunition[0];
    ASSERT_TRUE(BuyAmmunition(*profile, system, 0, 10));
    EXPECT_EQ(profile->ammunition[0], before + 200);
    EXPECT_EQ(profile->money, 1000 - 100);
    ASSERT_TRUE(BuyAmmunition(*profile, system, 3, 1));
    EXPECT_EQ(profile->ammunition[3], 10);
    profile->money = 5;
    EXPECT_FALSE(BuyAmmunition(*profile, system, 2, 1));
    EXPECT_FALSE(BuyAmmunition(*profile, system, 4, 1));
}

TEST_F(GaragePages, NewBuggiesOnOfferFollowTheHighestModelAndBuyingRaisesIt)
{
    profile->highestModel = 2;
    std::vector<ModelOffer> offers = BuildModelOffers(*profile, system);
    ASSERT_EQ(offers.size(), 6u);
    EXPECT_EQ(offers[0].owned, 1);
    for (int p = 0; p < 6; ++p)
        EXPECT_EQ(offers[size_t(p)].available, p <= 2 ? 1 : 0) << p;
    EXPECT_EQ(LastAvailableOffer(offers), 2);

    profile->money = 4000; // exactly the price of position 3
    offers[3].available = 1;
    BuyNewBuggy(*profile, system, offers[3], 3);
    EXPECT_EQ(profile->money, 0);
    EXPECT_EQ(profile->ownedBuggies.Count(), 2);
    EXPECT_EQ(profile->currentBuggy->model, 3);
    EXPECT_EQ(profile->highestModel, 3);
    EXPECT_EQ(StatsForPosition(3).strength, 130);
    EXPECT_EQ(StatsForPosition(42).maxSpeed, 140);
}

// The demo's models: a new pilot starts in model 2; owning a model puts the
// next one on sale, so the garage always has a bigger buggy to save up for.
class DemoGarage : public buggytest::ConfigurationFixture
{
};

TEST_F(DemoGarage, EachOwnedModelPutsTheNextOnSale)
{
    Publish(MakeDemoBuggyDatabase());
    ProfileRecord& profile = CurrentProfile();
    ASSERT_EQ(profile.currentBuggy->ModelIndex(), 2);
    for (int next = 3; next <= 4; ++next)
    {
        const std::vector<ModelOffer> offers = BuildModelOffers(profile, system);
        ASSERT_EQ(offers.size(), 5u);
        for (int p = 0; p < 5; ++p)
            EXPECT_EQ(offers[size_t(p)].available, p <= next ? 1 : 0) << "owning up to model " << next - 1;
        profile.money = int(offers[size_t(next)].model->value1);
        BuyNewBuggy(profile, system, offers[size_t(next)], next);
        EXPECT_EQ(profile.currentBuggy->ModelIndex(), next);
    }
}
} // namespace
