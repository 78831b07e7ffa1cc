// The racer builds against the demo buggy database: a tutorial's parts and
// equipment by lesson, a configuration's weapons that fit its model, and
// the budgets a driver gets from the model and its parts.
#include "BuggyDatabaseTestSupport.h"

#include "race/BuggyConfiguration.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "tools/demo/DemoBuggies.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
class BuggyEquipmentTest : public buggytest::BuggyDatabaseFixture
{
  protected:
    void SetUp() override
    {
        BuggyDatabaseFixture::SetUp();
        Read(MakeDemoBuggyDatabase());
        QV7_Buggy::s_items = &system;
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
        group.CreateWorld(0);
    }
    void TearDown() override
    {
        QV7_Buggy::s_items = nullptr;
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        BuggyDatabaseFixture::TearDown();
    }
    QV7_Buggy& NewRacer()
    {
        group.AddBuggy(group.racers.count);
        return *group.racers.items[group.racers.count - 1];
    }
    int MountedOfType(const QV7_Buggy& racer, int type) const
    {
        int count = 0;
        for (int i = 0; i < racer.parts.count; ++i)
            count += system.Item(racer.parts.items[i]->item)->type == type;
        return count;
    }
    const QV7_DataBase_MeshObject* Equipment(int type) const
    {
        for (const QV7_DataBase_MeshObject* item : system.equipment)
            if (item->type == type)
                return item;
        return nullptr;
    }

    QV7_PhysicsGroup group;
};

TEST_F(BuggyEquipmentTest, TutorialLessonsGiveTheWeaponFromLessonOneAndTurboShieldJammerFromLessonTwo)
{
    struct Case
    {
        int tutorial, opponent;
        int selected, turbos, shieldLevel, jammer;
    };
    const Case cases[] = {{0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0}, {2, 0, 1, 1, 2, 1}, {3, 1, 1, 1, 0, 1}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "tutorial " << c.tutorial << " opponent " << c.opponent);
        QV7_Buggy& racer = NewRacer();
        QV7_Buggy::BuildTutorialBuggy(racer, c.tutorial, c.opponent);
        EXPECT_EQ(racer.modelIndex, 2);
        EXPECT_EQ(racer.modelItem, system.Model(2));
        EXPECT_EQ(racer.bodies.size(), 12u);
        EXPECT_EQ(racer.equipment.selected, c.selected);
        if (c.selected)
        {
            ASSERT_NE(racer.equipment.currentWeapon, nullptr);
            EXPECT_EQ(racer.equipment.currentWeapon->type, ITEM_FLAMER);
            EXPECT_EQ(racer.equipment.currentWeapon->parent, nullptr); // the chain's top
            EXPECT_EQ(racer.equipment.levels[0], 2);
        }
        EXPECT_EQ(MountedOfType(racer, ITEM_TURBO), c.turbos);
        EXPECT_EQ(racer.equipment.available[5], c.tutorial > 1 ? 1 : 0);
        EXPECT_EQ(racer.equipment.levels[5], c.shieldLevel);
        EXPECT_EQ(racer.equipment.available[6], c.jammer);
        EXPECT_EQ(racer.ammo, racer.ownAmmo);
        EXPECT_EQ(racer.ammoStart[3], 99999999);
    }
}

TEST_F(BuggyEquipmentTest, AConfigurationWeaponThatDoesNotFitIsDroppedAndTheHighestLeftIsSelected)
{
    QV7_DataBase_MeshObject* flamer = const_cast<QV7_DataBase_MeshObject*>(Equipment(ITEM_FLAMER));
    const QV7_DataBase_MeshObject* chainGun = Equipment(ITEM_CHAIN_GUN);
    QV7_DataBase_MeshObject* cannon = const_cast<QV7_DataBase_MeshObject*>(Equipment(ITEM_CANNON));
    ASSERT_TRUE(flamer && chainGun && cannon);
    cannon->attachWords[3] = 0; // the cannon does not fit model 3
    QV7_Collection<MountedPart> owned;
    int32_t ammo[4] = {5, 6, 7, 8};
    for (const QV7_DataBase_MeshObject* item : {chainGun, static_cast<const QV7_DataBase_MeshObject*>(flamer),
                                                static_cast<const QV7_DataBase_MeshObject*>(cannon)})
        owned.Append(new MountedPart())->item = system.ItemIndex(item);
    BuggyConfiguration configuration;
    configuration.model = system.ItemIndex(system.Model(3));
    configuration.ownerParts = &owned;
    configuration.ownerStats = ammo;
    QV7_Buggy& racer = NewRacer();
    QV7_Buggy::BuildFromConfiguration(system.Model(3)->physics, configuration, racer);
    EXPECT_EQ(racer.modelIndex, 3);
    EXPECT_EQ(racer.configuration, &configuration);
    EXPECT_EQ(racer.equipment.available[3], 0);
    EXPECT_EQ(racer.equipment.items[3], nullptr);
    EXPECT_EQ(racer.equipment.selected, ITEM_CHAIN_GUN);
    EXPECT_EQ(racer.equipment.currentWeapon, chainGun);
    EXPECT_EQ(racer.equipment.items[0], flamer);
    EXPECT_EQ(racer.ammo, ammo);
    EXPECT_EQ(racer.ammoStart[2], 7);
    // The chain gun's mount is its record for model 3.
    EXPECT_FLOAT_EQ(racer.weaponMounts[2]._41, chainGun->AttachPointFor(3)->position[0]);
    EXPECT_EQ(racer.bodies.size(), 12u);
}

TEST_F(BuggyEquipmentTest, BudgetsComeFromTheModelsChainAndTheParts)
{
    const QV7_DataBase_MeshObject* model = system.Model(2);
    ASSERT_EQ(QV7_Buggy::ChainCount(model), 2);
    std::vector<const QV7_DataBase_MeshObject*> parts;
    for (int type :
         {ITEM_TURBO, ITEM_ENGINE, ITEM_ENGINE, ITEM_REPAIR, ITEM_POWER, ITEM_ALTERNATOR, ITEM_EXHAUST})
    {
        const QV7_DataBase_MeshObject* part = nullptr;
        for (int i = 0; i < system.objects.count && !part; ++i)
            if (system.objects.items[i]->type == type && QV7_Buggy::ChainCount(system.objects.items[i]) == 1)
                part = system.objects.items[i]; // level 2
        ASSERT_NE(part, nullptr) << type;
        parts.push_back(part);
    }
    QV7_Buggy& player = NewRacer();
    player.modelItem = model;
    QV7_Buggy::AttachPlayerController(player, parts, false);
    ASSERT_NE(player.playerController, nullptr);
    EXPECT_EQ(player.controllerKind, QV7_Buggy::CONTROLLER_PLAYER);
    EXPECT_EQ(player.playerController->buggy, &player);
    const QV7_PlayerController& driver = *player.playerController;
    EXPECT_EQ(driver.healthMax, 120.0f);
    EXPECT_EQ(driver.health, 120.0f);
    EXPECT_EQ(driver.turboMax, 8000.0f);
    EXPECT_FLOAT_EQ(driver.enginePower, 10.0f + 2 * 2 * 1.8f);
    EXPECT_EQ(driver.healthRegen, 1.0f);
    EXPECT_EQ(driver.energyMax, 40.0f);
    EXPECT_EQ(driver.energy, 40.0f);
    EXPECT_EQ(driver.energyRegen, 2.0f);
    EXPECT_EQ(driver.exhaustFitted, 1);
    // A tutorial's first lessons: no turbo; a computer driver replaces the player's.
    QV7_Buggy::AttachPlayerController(player, parts, true);
    EXPECT_EQ(player.playerController->turboMax, 0.0f);
    QV7_Buggy::AttachAIController(player, {});
    EXPECT_EQ(player.playerController, nullptr);
    ASSERT_NE(player.computerController, nullptr);
    EXPECT_EQ(player.controllerKind, QV7_Buggy::CONTROLLER_COMPUTER);
    EXPECT_EQ(player.computerController->healthMax, 120.0f);
    EXPECT_EQ(player.computerController->turboMax, 0.0f);
    EXPECT_EQ(player.computerController->enginePower, 10.0f);
}

TEST_F(BuggyEquipmentTest, AddBuggyBuildsTutorialRacersAndLogsARacerWithoutAModel)
{
    QV7_PhysicsGroup::s_Hooks.buildBuggy = nullptr;
    QV7_PhysicsGroup::s_Hooks.raceMode = [] { return int(QV7_PhysicsGroup::kRaceModeTutorial); };
    QV7_PhysicsGroup::s_Hooks.tutorialIndex = [] { return 2; };
    group.AddBuggy(0);
    group.AddBuggy(1);
    EXPECT_EQ(group.racers.items[0]->equipment.levels[5], 2); // the player's shield at the top
    EXPECT_EQ(group.racers.items[1]->equipment.levels[5], 0);
    EXPECT_EQ(group.bodies.size(), 24u);

    // Outside a tutorial the racer's configuration comes from the current
    // profile; without one the racer is left without bodies.
    QV7_PhysicsGroup::s_Hooks.raceMode = nullptr;
    meshtest::Log().clear();
    group.AddBuggy(2);
    EXPECT_TRUE(group.racers.items[2]->bodies.empty());
    const std::vector<std::string>& lines = meshtest::Log();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ERROR: Physics: Racer 2 has no buggy model"),
              lines.end());
}
} // namespace
