// Weapons and projectiles: engine gears and frequency bounds, damage over
// time, shield and jammer thresholds, the chain gun's spin-up and the
// cool-downs, the hit test's precedence, the shield-pass and damage tables,
// the static point test on a small ODE space, and whole shot matrices for
// any fire direction.
#include "race/QV7_BuggyWeapons.h"

#include "race/QV7_DataBase_MeshObject.h"
#include "race/StaticPointQuery.h"
#include "tests/race/RacerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
std::vector<std::string>& Effects()
{
    static std::vector<std::string> names;
    return names;
}

class WeaponsTest : public racertest::RacerGroupTest
{
  protected:
    void SetUp() override
    {
        RacerGroupTest::SetUp();
        Effects().clear();
        QV7_BuggyWeapons::s_Hooks = WeaponHooks{};
        QV7_BuggyWeapons::s_Hooks.createEffect = [](const WeaponEffectRequest& r) -> EffectInstance*
        {
            Effects().push_back(r.name);
            return nullptr;
        };
        QV7_BuggyWeapons::s_Hooks.groundHeight = [](float, float) { return 0.0f; };
        QV7_BuggyWeapons::s_Hooks.waterLevel = []() { return -500.0f; };
        shooter = &AddRacer(2, false);
        target = &AddRacer(3);
        shooter->PlaceAt(30000, 40, 30000, 0);
        target->PlaceAt(30000, 40, 32000, 0);
        for (QV7_Buggy* r : {shooter, target})
        {
            QV7_DriveController& d = *r->Controller();
            d.energy = d.energyMax = 100;
            d.health = d.healthMax = 100;
        }
        shooter->ammo = ammo;
        weapons().muzzleA = weapons().muzzleB = shooter->position + D3DXVECTOR3(0, 100, 0);
        weapons().fireDirection = D3DXVECTOR3(0, 0, 1);
    }
    void TearDown() override
    {
        QV7_BuggyWeapons::s_Hooks = WeaponHooks{};
        RacerGroupTest::TearDown();
    }
    QV7_BuggyWeapons& weapons() { return shooter->weapons; }
    QV7_DriveController& me() { return *shooter->Controller(); }
    QV7_DriveController& them() { return *target->Controller(); }
    // The shooter armed with a weapon of kind at level.
    void Arm(int kind, int level)
    {
        item.type = kind;
        shooter->equipment.Fill(kind, &item, level);
        shooter->equipment.selected = kind;
        shooter->equipment.currentWeapon = &item;
    }
    // A shot of kind at the point, hit-tested at once.
    void HitAt(int kind, const D3DXVECTOR3& at)
    {
        ProjectileRecord* shot = weapons().AddProjectile();
        shot->kind = kind;
        shot->position = at;
        shot->direction = D3DXVECTOR3(0, 0, 1);
        weapons().UpdateProjectiles(shot);
    }
    QV7_Buggy* shooter = nullptr;
    QV7_Buggy* target = nullptr;
    QV7_DataBase_MeshObject item{};
    int32_t ammo[4] = {50, 50, 50, 50};
};

TEST_F(WeaponsTest, EngineFrequencyStaysInsideItsBoundsThroughTheGears)
{
    QV7_BuggyWeapons& w = weapons();
    EXPECT_EQ(w.engineFrequency, 25000);
    w.accelerating = 1;
    int highestGear = 0;
    for (int step = 0; step < 3000; ++step)
    {
        const float speed = step < 2000 ? float(step) * 0.004f : 0.0f;
        w.engineLoad = float(step % 50);
        const int hertz = w.EngineStep(speed);
        ASSERT_GE(hertz, 15000) << step;
        ASSERT_LE(hertz, 27600) << step;
        highestGear = std::max(highestGear, w.gear);
    }
    EXPECT_EQ(highestGear, 3);
    w.accelerating = 0;
    for (int step = 0; step < 20; ++step)
        w.EngineStep(0.0f);
    EXPECT_EQ(w.gear, 0);
}

TEST_F(WeaponsTest, BurnFreezeAndShockRunDownOverTime)
{
    QV7_BuggyWeapons& w = weapons();
    w.burnTime = w.freezeTime = w.shockTime = 10.0f;
    int steps = 0;
    while ((w.burnTime > 0 || w.shockTime > 0) && steps < 1000)
    {
        w.Update();
        if (w.freezeTime > 0)
        {
            EXPECT_EQ(me().slowTimer, 10.0f);
        }
        ++steps;
    }
    EXPECT_NEAR(steps, 155, 1); // about 1.7 s
    EXPECT_NEAR(me().health, 90.0f, 0.1f);
    EXPECT_NEAR(me().energy, 100.0f - 9.7f, 0.1f);
}

TEST_F(WeaponsTest, ShieldThresholdsAndItsPush)
{
    QV7_BuggyWeapons& w = weapons();
    w.shieldRequest = 1;
    me().energy = 5.03f;
    w.Update();
    EXPECT_EQ(w.shieldRequest, 0);
    EXPECT_EQ(shooter->playerController->lowPowerNotice, 1);
    shooter->playerController->lowPowerNotice = 0;
    w.shieldRequest = 1;
    me().energy = 5.04f; // exactly 5 after the drain: it stays up
    w.Update();
    EXPECT_EQ(w.shieldRequest, 1);
    EXPECT_EQ(w.shieldOpen, 11.0f);
    EXPECT_EQ(shooter->playerController->lowPowerNotice, 0);
    me().energy = 100;
    for (int s = 0; s < 40; ++s)
        w.Update();
    EXPECT_EQ(w.shieldOpen, 300.0f);
    // A racer close by is pushed away, this one a little the other way.
    dBodySetForce(target->ChassisBody(), 0, 0, 0);
    target->position = shooter->position + D3DXVECTOR3(0, 0, 150);
    w.Update();
    EXPECT_NEAR(dBodyGetForce(target->ChassisBody())[2], 200.0, 1e-3);
    EXPECT_NEAR(dBodyGetForce(shooter->ChassisBody())[2], -40.0, 1e-3);
    w.shieldRequest = 0;
    w.Update();
    EXPECT_EQ(w.shieldOpen, 289.0f);
}

TEST_F(WeaponsTest, JammerNeedsMoreThanFiftyAndStrikesOncePerSecond)
{
    QV7_BuggyWeapons& w = weapons();
    shooter->equipment.Fill(EquipmentSlots::kJammerSlot, &item, 0);
    target->equipment.Fill(EquipmentSlots::kJammerSlot, &item, 1);
    me().energy = 50;
    w.jammerRequest = 1;
    w.Update();
    EXPECT_EQ(w.jammerWave, 0.0f);
    EXPECT_EQ(w.jammerRequest, 0);
    EXPECT_EQ(shooter->playerController->lowPowerNotice, 1);
    me().energy = 100;
    w.jammerRequest = 1;
    w.Update();
    EXPECT_EQ(me().energy, 60.0f);
    EXPECT_GT(w.jammerWave, 0.0f);
    // The target 1000 away: struck once the wave's 700.666 x size passes 1e6.
    target->position = shooter->position + D3DXVECTOR3(1000, 0, 0);
    int strikes = 0;
    float last = them().energy;
    for (int s = 0; s < 60 && w.jammerWave > 0; ++s)
    {
        w.Update();
        if (them().energy < last)
            ++strikes, last = them().energy;
    }
    EXPECT_EQ(strikes, 1);
    EXPECT_EQ(them().energy, 60.0f); // its own level 1: 40
    EXPECT_EQ(w.jammerWave, 0.0f);   // ended past 3000 (the firer's level 0)
}

TEST_F(WeaponsTest, ChainGunSpinsUpForFiftyStepsThenFiresByItsCooldown)
{
    Arm(ITEM_CHAIN_GUN, 0);
    QV7_BuggyWeapons& w = weapons();
    w.fireRequest = 1;
    int firstShot = -1, shots = 0;
    for (int s = 0; s < 80; ++s)
    {
        const int before = ammo[2];
        w.Update();
        if (ammo[2] < before)
        {
            ++shots;
            if (firstShot < 0)
                firstShot = s;
        }
    }
    EXPECT_EQ(firstShot, 49); // the 50th step reaches full spin
    EXPECT_EQ(shots, 4);      // then one every 100 ms (10 steps)
    EXPECT_EQ(Effects().front(), "Chain gun");
    w.fireRequest = 0;
    w.Update();
    EXPECT_NEAR(w.barrelSpin, 0.2f - 0.0012f, 1e-6);
}

TEST_F(WeaponsTest, CooldownsAmmunitionAndTheTopCannon)
{
    struct Case
    {
        int kind, level, steps, shots;
    };
    // 40 steps of 11 ms: 440 ms.
    const Case cases[] = {{ITEM_FLAMER, 0, 40, 2},
                          {ITEM_FLAMER, 2, 40, 3},
                          {ITEM_ICE_CANNON, 1, 40, 2},
                          {ITEM_CANNON, 0, 40, 1},
                          {ITEM_TESLA_COIL, 0, 40, 1}};
    for (const Case& c : cases)
    {
        weapons().Reset();
        Arm(c.kind, c.level);
        int32_t start[4] = {50, 50, 50, 50};
        std::copy(start, start + 4, ammo);
        me().energy = 100;
        weapons().fireRequest = 1;
        for (int s = 0; s < c.steps; ++s)
            weapons().Update();
        const int used = c.kind == ITEM_TESLA_COIL ? 0 : 50 - ammo[c.kind - 1];
        EXPECT_EQ(used, c.kind == ITEM_TESLA_COIL ? 0 : c.shots) << c.kind << "/" << c.level;
        EXPECT_EQ(weapons().projectiles.count > 0, true) << c.kind;
    }
    // Level 2 cannon with one shot left: a single shot from muzzle A.
    weapons().Reset();
    Arm(ITEM_CANNON, 2);
    ammo[3] = 1;
    weapons().muzzleB = weapons().muzzleA + D3DXVECTOR3(50, 0, 0);
    weapons().fireRequest = 1;
    weapons().Update();
    EXPECT_EQ(ammo[3], 0);
    ASSERT_EQ(weapons().projectiles.count, 1);
    EXPECT_EQ(weapons().cooldown, 350.0f);
    // Empty: the player's no-ammunition notice, no shot.
    weapons().Update();
    for (int s = 0; s < 40; ++s)
        weapons().Update();
    EXPECT_EQ(shooter->playerController->noAmmoNotice, 1);
    // Too little energy for the tesla coil: the low-power notice.
    weapons().Reset();
    Arm(ITEM_TESLA_COIL, 0);
    me().energy = 4;
    weapons().fireRequest = 1;
    weapons().Update();
    EXPECT_EQ(weapons().projectiles.count, 0);
    EXPECT_EQ(shooter->playerController->lowPowerNotice, 1);
}

TEST_F(WeaponsTest, NoWeaponSelectedLeavesProjectilesWhereTheyAre)
{
    Arm(ITEM_FLAMER, 0);
    weapons().fireRequest = 1;
    weapons().Update();
    ASSERT_EQ(weapons().projectiles.count, 1);
    const D3DXVECTOR3 at = weapons().projectiles.items[0]->position;
    shooter->equipment.selected = 0;
    for (int s = 0; s < 500; ++s)
        weapons().Update();
    ASSERT_EQ(weapons().projectiles.count, 1);
    EXPECT_EQ(weapons().projectiles.items[0]->position, at);
}

TEST_F(WeaponsTest, HitPrecedenceWaterGroundRacersAndTheShieldReach)
{
    Arm(ITEM_CANNON, 0);
    const D3DXVECTOR3 at = target->position;
    // Under water beside a racer: a splash only.
    QV7_BuggyWeapons::s_Hooks.waterLevel = []() { return 1.0e6f; };
    HitAt(ITEM_CANNON, at);
    EXPECT_EQ(Effects(), std::vector<std::string>{"Water splashes"});
    EXPECT_EQ(them().health, 100.0f);
    QV7_BuggyWeapons::s_Hooks.waterLevel = []() { return -500.0f; };
    // 120 away: a miss without the shield, a hit on the shield with it up.
    Effects().clear();
    HitAt(ITEM_CANNON, at + D3DXVECTOR3(120, 0, 0));
    EXPECT_TRUE(Effects().empty());
    EXPECT_EQ(weapons().projectiles.count, 1);
    weapons().projectiles.Clear();
    target->weapons.shieldRequest = 1;
    target->weapons.shieldOpen = 300;
    HitAt(ITEM_CANNON, at + D3DXVECTOR3(120, 0, 0));
    EXPECT_EQ(Effects(), std::vector<std::string>{"Shiel hit"});
    EXPECT_EQ(them().health, 100.0f);
    EXPECT_NEAR(them().energy, 99.8f, 1e-4);
    EXPECT_EQ(target->weapons.timeSinceHit, 0.0f);
    // Into the ground: the kind's impact; the tesla coil leaves nothing.
    Effects().clear();
    HitAt(ITEM_CANNON, D3DXVECTOR3(10000, -5, 10000));
    HitAt(ITEM_TESLA_COIL, D3DXVECTOR3(10000, -5, 10000));
    EXPECT_EQ(Effects(), std::vector<std::string>{"Cannon hit"});
    EXPECT_EQ(weapons().projectiles.count, 0);
}

TEST_F(WeaponsTest, ShieldPassAndDamageTables)
{
    struct Case
    {
        int kind, level;
        float shieldOpen, energy;
        bool passes;
        float damage;
    };
    const Case cases[] = {
        {ITEM_FLAMER, 0, 0, 100, true, 2},      {ITEM_FLAMER, 2, 0, 100, true, 4},
        {ITEM_ICE_CANNON, 1, 0, 100, true, 10}, {ITEM_ICE_CANNON, 2, 0, 100, true, 15},
        {ITEM_CHAIN_GUN, 0, 0, 100, true, 3},   {ITEM_CHAIN_GUN, 2, 0, 100, true, 5},
        {ITEM_CANNON, 2, 0, 100, true, 15},     {ITEM_TESLA_COIL, 0, 0, 100, true, 35},
        {ITEM_TESLA_COIL, 3, 0, 100, true, 50}, {ITEM_CHAIN_GUN, 1, 300, 20, true, 3},
        {ITEM_CHAIN_GUN, 1, 300, 21, false, 0}, {ITEM_CHAIN_GUN, 2, 300, 50, true, 5},
        {ITEM_CHAIN_GUN, 2, 300, 51, false, 0}, {ITEM_CHAIN_GUN, 0, 300, 0, false, 0},
        {ITEM_FLAMER, 2, 300, 0, false, 0},     {ITEM_TESLA_COIL, 2, 10, 0, false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.kind) + "/" + std::to_string(c.level) + " shield " +
                     std::to_string(c.shieldOpen) + " energy " + std::to_string(c.energy));
        Arm(c.kind, c.level);
        them().health = 100;
        them().energy = c.energy;
        target->weapons.shieldOpen = c.shieldOpen;
        target->weapons.burnTime = target->weapons.freezeTime = target->weapons.shockTime = 0;
        dBodySetForce(target->ChassisBody(), 0, 0, 0);
        HitAt(c.kind, target->position + D3DXVECTOR3(0, 0, -50));
        EXPECT_EQ(them().health, 100.0f - c.damage);
        EXPECT_EQ(target->weapons.burnTime, c.passes && c.kind == ITEM_FLAMER ? 10.0f : 0.0f);
        EXPECT_EQ(target->weapons.freezeTime, c.passes && c.kind == ITEM_ICE_CANNON ? 10.0f : 0.0f);
        EXPECT_EQ(target->weapons.shockTime, c.passes && c.kind == ITEM_TESLA_COIL ? 10.0f : 0.0f);
        const double push = dBodyGetForce(target->ChassisBody())[2];
        EXPECT_NEAR(push, c.passes && c.kind == ITEM_CANNON ? 4500.0 : 0.0, 1e-3);
    }
}

TEST_F(WeaponsTest, FlamesGrowOverTheirFirstHalfSecondAndTeslaShotsHome)
{
    EXPECT_FLOAT_EQ(QV7_BuggyWeapons::LerpByDistance(0, 0.01f, 1.0f), 0.01f);
    EXPECT_FLOAT_EQ(QV7_BuggyWeapons::LerpByDistance(250, 0.01f, 1.0f), 0.505f);
    EXPECT_FLOAT_EQ(QV7_BuggyWeapons::LerpByDistance(800, 0.01f, 1.0f), 1.0f);
    // A level-1 coil's shot flies along +x past the target, pulled 10 a step toward it.
    Arm(ITEM_TESLA_COIL, 1);
    ProjectileRecord* shot = weapons().AddProjectile();
    shot->kind = ITEM_TESLA_COIL;
    shot->lifetime = 4000;
    shot->position = target->position + D3DXVECTOR3(-2000, 0, -1000);
    shot->direction = D3DXVECTOR3(1, 0, 0);
    weapons().Update();
    const float pulled = 10.0f * 1000.0f / std::sqrt(1900.0f * 1900.0f + 1000.0f * 1000.0f);
    EXPECT_NEAR(shot->position.z, target->position.z - 1000 + pulled, 0.01f);
    // At level 0 it flies straight.
    shooter->equipment.levels[ITEM_TESLA_COIL - 1] = 0;
    weapons().Update();
    EXPECT_NEAR(shot->position.z, target->position.z - 1000 + pulled, 0.01f);
}

struct SlotShown
{
    std::string slot;
    bool shown;
    float scale;
    D3DXVECTOR3 at;
};
std::vector<SlotShown>& Slots()
{
    static std::vector<SlotShown> slots;
    return slots;
}

TEST_F(WeaponsTest, ShieldAndJammerEffectsFollowTheChassisAndWobbleWhileJammed)
{
    Slots().clear();
    QV7_BuggyWeapons::s_Hooks.showSlotEffect = [](const QV7_Buggy&, const char* slot, bool shown, float scale,
                                                  const D3DXVECTOR3& at) {
        Slots().push_back({slot, shown, scale, at});
    };
    weapons().shieldOpen = 100;
    weapons().jammerWave = 200;
    weapons().PlaceEffects();
    ASSERT_EQ(Slots().size(), 2u);
    const D3DXVECTOR3 chassis = racertest::BodyPosition(shooter->ChassisBody()) * 200.0f;
    EXPECT_EQ(Slots()[0].slot, "Shield");
    EXPECT_TRUE(Slots()[0].shown);
    EXPECT_FLOAT_EQ(Slots()[0].scale, 0.8f);
    EXPECT_NEAR(Slots()[0].at.y, chassis.y - 50.0f, 1e-3);
    EXPECT_EQ(Slots()[1].slot, "Shield jammer");
    EXPECT_FLOAT_EQ(Slots()[1].scale, 1.5f);
    EXPECT_NEAR(Slots()[1].at.x, chassis.x, 1e-3);
    Slots().clear();
    weapons().jammerLockout = 20;
    weapons().shieldOpen = 0;
    weapons().jammerWave = 0;
    weapons().PlaceEffects();
    EXPECT_FALSE(Slots()[0].shown);
    EXPECT_FLOAT_EQ(Slots()[0].scale, -0.5f * std::sin(0.07f * 20.0f));
    EXPECT_FALSE(Slots()[1].shown);
}

TEST_F(WeaponsTest, MovingSceneryCarriesShotsAndMuzzles)
{
    ProjectileRecord* shot = weapons().AddProjectile();
    shot->position = D3DXVECTOR3(110, 0, 0);
    shot->direction = D3DXVECTOR3(1, 0, 0);
    weapons().muzzleA = D3DXVECTOR3(100, 10, 0);
    weapons().fireDirection = D3DXVECTOR3(0, 0, 1);
    // A quarter turn about the pivot (100, 0, 0), then moved 5 along +y.
    D3DXMATRIX turn, none;
    D3DXMatrixRotationY(&turn, 1.5707964f);
    D3DXMatrixIdentity(&none);
    weapons().TransformPointsAndNormals(D3DXVECTOR3(100, 0, 0), D3DXVECTOR3(100, 5, 0), turn, none);
    EXPECT_NEAR(shot->position.x, 100, 1e-3);
    EXPECT_NEAR(shot->position.y, 5, 1e-3);
    EXPECT_NEAR(shot->position.z, -10, 1e-3);
    EXPECT_NEAR(shot->direction.z, -1, 1e-5);
    EXPECT_NEAR(weapons().muzzleA.y, 15, 1e-3);
    EXPECT_NEAR(weapons().fireDirection.x, 1, 1e-5);
}

TEST(ShotMatrix, AnyFireDirectionGivesAWholeMatrix)
{
    const D3DXVECTOR3 at(100, 200, 300);
    for (const D3DXVECTOR3& d : {D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, -1, 0), D3DXVECTOR3(0, 0, -1),
                                 D3DXVECTOR3(0.6f, 0, 0.8f), D3DXVECTOR3(0, 0, 0)})
    {
        const D3DXMATRIX m = QV7_BuggyWeapons::ShotMatrix(at, d, 3.14159265f, 0.5f);
        for (int i = 0; i < 16; ++i)
            ASSERT_TRUE(std::isfinite(m.m[i / 4][i % 4])) << d.x << "," << d.y << "," << d.z;
        EXPECT_EQ(m._41, 100.0f);
        EXPECT_EQ(m._43, 300.0f);
        EXPECT_NEAR(std::fabs(D3DXMatrixDeterminant(&m)), 0.125f, 1e-4);
    }
}

TEST(StaticPointQueryTest, OnlyStaticPrimitivesWhoseBoxesAndDepthsHoldThePoint)
{
    physicstest::OdeScope ode;
    dVector3 centre = {0, 0, 0}, extents = {64, 64, 64};
    dSpaceID space = dQuadTreeSpaceCreate(nullptr, centre, extents, 4);
    int target = 7;
    dGeomID sphere = dCreateSphere(space, 1.0);
    dGeomSetPosition(sphere, 10, 0, 0);
    dGeomSetData(sphere, &target);
    dGeomID box = dCreateBox(space, 2, 2, 2);
    dGeomSetPosition(box, -10, 0, 0);
    dGeomID capsule = dCreateCapsule(space, 0.5, 2);
    dGeomSetPosition(capsule, 0, 0, 10);
    dGeomID cylinder = dCreateCylinder(space, 1, 2);
    dGeomSetPosition(cylinder, 0, 0, -10);
    // A space inside (the race keeps its scenery so) is searched too.
    dSpaceID inner = dSimpleSpaceCreate(space);
    dGeomID nested = dCreateSphere(inner, 1.0);
    dGeomSetPosition(nested, 0, 10, 0);
    struct Case
    {
        dReal x, y, z;
        bool hit;
        bool data;
    };
    const Case cases[] = {
        {10, 0, 0, true, true},       {10.9, 0, 0, true, true},
        {10.8, 0.8, 0, false, false}, // box corner, not sphere
        {-9, 1, 1, true, false},      {-8.9, 0, 0, false, false},
        {0, 0, 11.2, true, false},    {0, 0, -10, false, false},
        {0, 10, 0, true, false},      {30, 30, 30, false, false},
    };
    for (const Case& c : cases)
    {
        const dReal p[3] = {c.x, c.y, c.z};
        const StaticPointQuery::Result r = StaticPointQuery::Test(space, p);
        EXPECT_EQ(r.hit, c.hit) << c.x << "," << c.y << "," << c.z;
        EXPECT_EQ(r.data == &target, c.data) << c.x << "," << c.y << "," << c.z;
    }
    dSpaceDestroy(space);
}
} // namespace
