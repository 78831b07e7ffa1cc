// The near callback: which pairs may touch, the surface a racer's wheel gets
// from its driver, the contact state left for the physics step, and two
// racers running into each other.
#include "race/NearCallback.h"
#include "race/QV7_AIController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "tests/race/PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using physicstest::RacerBody;

struct SurfaceCase
{
    const char* what;
    int kind; // 0 player, 1 computer, 2 neither
    int hold;
    int slipMode;
    float slipSpeed, steer;
    D3DXVECTOR3 nose;
    int steered, driven;
    bool landscape, box;
    double slip;
    bool fdir;
    double softCfm; // 0: no soft CFM
};

TEST(ContactSurfaceTest, SlipAndSoftnessTable)
{
    const D3DXVECTOR3 nose(3, 5, 4), none(0, 0, 0);
    const SurfaceCase cases[] = {
        {"placement hold", 0, 1, 0, 40, 1, nose, 1, 1, true, false, 0, false, 0.0005},
        {"placement hold, plain wheel", 1, 1, 0, 40, 1, nose, 0, 0, true, false, 0, false, 0.002},
        {"player, plain wheel", 0, 0, 0, 40, 0, nose, 0, 0, true, false, 0.00003, false, 0.002},
        {"reversing spins backwards", 0, 0, 0, -40, 0, nose, 0, 0, true, false, 0.00003, false, 0.002},
        {"player, steered wheel", 0, 0, 0, 40, 0, nose, 1, 0, true, false, 0.00104, false, 0.0005},
        {"computer, steered wheel", 1, 0, 0, 40, 0, nose, 1, 0, true, false, 0.00054, false, 0.0005},
        {"player, driven wheel", 0, 0, 0, 40, 0, nose, 0, 1, true, false, 0.0008, true, 0.002},
        {"player, driven, no nose yet", 0, 0, 0, 40, 0, none, 0, 1, true, false, 0.0008, false, 0.002},
        {"computer, driven wheel", 1, 0, 0, 40, 0, nose, 0, 1, true, false, 0.0001, false, 0.002},
        {"hand-brake, fast spin", 0, 0, 1, 3, 0, nose, 0, 1, true, false, 0.02, false, 0.002},
        {"hand-brake, slow spin", 1, 0, 1, 1.5f, 0, nose, 1, 0, true, false, 0.005, false, 0.0005},
        {"hand-brake, nearly still", 0, 0, 1, 0.5f, 0, nose, 0, 0, true, false, 0.5 / 40 * 0.00003, false,
         0.002},
        {"unknown mode keeps the default", 0, 0, 2, 40, 0, nose, 0, 0, true, false, 0.09, false, 0.002},
        {"steering softens the ground", 0, 0, 0, 0, 0.02f, nose, 0, 0, true, false, 0, false, 0.0005},
        {"a slight steer does not", 0, 0, 0, 0, -0.005f, nose, 0, 0, true, false, 0, false, 0.002},
        {"steering left", 1, 0, 0, 0, -0.02f, nose, 0, 0, true, false, 0, false, 0.0005},
        {"a box off the ground", 0, 0, 0, 0, 0, nose, 0, 0, false, true, 0, false, 0.0005},
        {"an object, no box", 0, 0, 0, 0, 0, nose, 0, 0, false, false, 0, false, 0},
        {"no driver kind", 2, 0, 0, 0, 0, nose, 1, 0, true, false, 0.00004, false, 0.0005},
    };
    for (const SurfaceCase& c : cases)
    {
        SCOPED_TRACE(c.what);
        QV7_Buggy racer;
        QV7_PlayerController player;
        QV7_AIController computer;
        racer.controllerKind = c.kind;
        racer.playerController = &player;
        racer.computerController = &computer;
        racer.placementHold = c.hold;
        for (QV7_DriveController* driver :
             {static_cast<QV7_DriveController*>(&player), static_cast<QV7_DriveController*>(&computer)})
        {
            driver->handBrakeOn = c.slipMode;
            driver->driveCommand = c.slipSpeed;
            driver->steerAngle = c.steer;
            driver->forwardAxis = c.nose;
        }
        PhysicsBodyDef wheel;
        wheel.owner = &racer;
        wheel.steeredWheel = c.steered;
        wheel.drivenWheel = c.driven;
        const ContactSurfaceChoice choice = ChooseContactSurface(&wheel, c.landscape, c.box);
        racer.playerController = nullptr;
        racer.computerController = nullptr;
        EXPECT_NEAR(choice.slip, c.slip, 1e-12);
        int mode = dContactSlip1 | dContactSlip2 | dContactApprox1;
        if (c.fdir)
            mode |= dContactFDir1;
        if (c.softCfm > 0)
            mode |= dContactSoftCFM;
        EXPECT_EQ(choice.mode, mode);
        EXPECT_NEAR(choice.softCfm, c.softCfm, 1e-12);
        if (c.fdir)
        {
            EXPECT_NEAR(choice.fdir1[0], 0.6, 1e-6);
            EXPECT_EQ(choice.fdir1[1], 0.0);
            EXPECT_NEAR(choice.fdir1[2], 0.8, 1e-6);
        }
    }
}

TEST(ContactSurfaceTest, WithoutARacerBodyTheDefaultSurfaceStands)
{
    const ContactSurfaceChoice choice = ChooseContactSurface(nullptr, true, true);
    EXPECT_EQ(choice.mode, 0x7300); // ODE 0.16's slip and approximation bits
    EXPECT_DOUBLE_EQ(choice.slip, 0.09);
    PhysicsBodyDef ownerless;
    EXPECT_EQ(ChooseContactSurface(&ownerless, true, false).mode, 0x7300);
}

// Hooks that record what a racer hit asked for.
struct HitRecord
{
    int shieldHits = 0, hits = 0, kicks = 0, sounds = 0;
    D3DXVECTOR3 point{0, 0, 0};
    float scale = 0, shield = 0;
    const QV7_Buggy* shielded = nullptr;
    float secondShield = 0;
};
HitRecord g_hits;

class NearCallbackTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
        g_hits = HitRecord{};
        g_contactHooks.shieldOpen = [](const QV7_Buggy& racer)
        { return racer.indexInGroup == 1 ? g_hits.secondShield : 0.0f; };
        g_contactHooks.shieldHitEffect = [](QV7_Buggy& racer, const D3DXVECTOR3& point, float shield)
        {
            ++g_hits.shieldHits;
            g_hits.shielded = &racer;
            g_hits.point = point;
            g_hits.shield = shield;
        };
        g_contactHooks.hitEffect = [](const D3DXVECTOR3& point, float scale)
        {
            ++g_hits.hits;
            g_hits.point = point;
            g_hits.scale = scale;
        };
        g_contactHooks.forceFeedback = [] { ++g_hits.kicks; };
        g_contactHooks.playCrashSound = [](const D3DXVECTOR3&)
        {
            ++g_hits.sounds;
            return true;
        };
        g_physicsTimeA = g_physicsTimeB = 0;
        group.CreateWorld(2);
        player = group.racers.items[0];
        computer = group.racers.items[1];
        player->controllerKind = QV7_Buggy::CONTROLLER_PLAYER;
        player->playerController = new QV7_PlayerController();
        computer->controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
        computer->computerController = new QV7_AIController();
        for (QV7_Buggy* racer : {player, computer})
        {
            racer->placementHold = 0;
            racer->Controller()->health = 100;
        }
    }
    void TearDown() override
    {
        for (RacerBody* body : made)
        {
            body->Destroy();
            delete body;
        }
        for (dGeomID geom : statics)
            dGeomDestroy(geom);
        g_contactHooks = ContactHooks{};
    }
    RacerBody& Body(QV7_Buggy* owner, int role, dReal x, dReal y, dReal z, dReal radius = 0.5)
    {
        made.push_back(new RacerBody());
        const dReal at[3] = {x, y, z};
        made.back()->Make(group.world, group.space, owner, role, radius, at);
        return *made.back();
    }
    dGeomID Static(dGeomID geom, dReal x, dReal y, dReal z)
    {
        dGeomSetPosition(geom, x, y, z);
        statics.push_back(geom);
        return geom;
    }
    // Contact joints the last callback attached to body.
    static int Contacts(dBodyID body)
    {
        int contacts = 0;
        for (int j = 0; j < dBodyGetNumJoints(body); ++j)
            contacts += dJointGetType(dBodyGetJoint(body, j)) == dJointTypeContact;
        return contacts;
    }
    dGeomID Landscape() const { return group.geoms.front(); }

    QV7_PhysicsGroup group;
    QV7_Buggy* player = nullptr;
    QV7_Buggy* computer = nullptr;
    std::vector<RacerBody*> made;
    std::vector<dGeomID> statics;
};

TEST_F(NearCallbackTest, ARacerNeverTouchesItselfNorWhatItIsJointedTo)
{
    RacerBody& a = Body(player, 0, 1, 1, 1);
    RacerBody& b = Body(player, 1, 1.2, 1, 1);
    NearCallback(nullptr, a.transform, b.transform);
    EXPECT_EQ(Contacts(a.body), 0);
    EXPECT_EQ(player->noContact, 1);

    RacerBody& c = Body(computer, 0, 1.2, 1, 1.2);
    dJointID ball = dJointCreateBall(group.world, nullptr);
    dJointAttach(ball, a.body, c.body);
    NearCallback(nullptr, a.transform, c.transform);
    EXPECT_EQ(Contacts(a.body), 0);
    dJointDestroy(ball);
    NearCallback(nullptr, a.transform, c.transform);
    EXPECT_EQ(Contacts(a.body), 1);
    EXPECT_EQ(Contacts(c.body), 1);
}

TEST_F(NearCallbackTest, AWheelOnTheGroundMarksGroundContactForItsPair)
{
    RacerBody& front = Body(player, 1, 1, 0.4, 1);
    NearCallback(nullptr, front.transform, Landscape());
    EXPECT_EQ(Contacts(front.body), 1);
    EXPECT_EQ(player->noContact, 0);
    EXPECT_EQ(player->noGroundContact, 0);
    EXPECT_EQ(player->groundContact, 1);
    EXPECT_EQ(player->noGroundFront, 0);
    EXPECT_EQ(player->noGroundRear, 1);
    // Racer geoms sit in transforms: the ground is no object.
    EXPECT_EQ(player->noObjectContact, 1);
    EXPECT_EQ(player->restingContact, 0);

    RacerBody& rear = Body(computer, 3, 5, 0.4, 5);
    NearCallback(nullptr, Landscape(), rear.transform);
    EXPECT_EQ(Contacts(rear.body), 1);
    EXPECT_EQ(computer->noGroundRear, 0);
    EXPECT_EQ(computer->noGroundFront, 1);
}

TEST_F(NearCallbackTest, PairsThatMayNotTouchTheGround)
{
    // A bare box of a racer body, a static sphere, a body without a definition.
    RacerBody& carrier = Body(player, 9, 1, 0.2, 1);
    dGeomID box = dCreateBox(nullptr, 1, 1, 1);
    statics.push_back(box);
    dGeomSetBody(box, carrier.body);
    NearCallback(nullptr, box, Landscape());
    dGeomID rock = Static(dCreateSphere(group.space, 0.5), 3, 0.2, 3);
    NearCallback(nullptr, Landscape(), rock);
    dBodyID stranger = dBodyCreate(group.world);
    dBodySetPosition(stranger, 5, 0.2, 5);
    dGeomID strangerSphere = Static(dCreateSphere(nullptr, 0.5), 5, 0.2, 5);
    dGeomSetBody(strangerSphere, stranger);
    NearCallback(nullptr, strangerSphere, Landscape());
    EXPECT_EQ(Contacts(carrier.body), 0);
    EXPECT_EQ(Contacts(stranger), 0);
    EXPECT_EQ(player->noContact, 1);
    // A flat cylinder never touches anything.
    dGeomID drum = Static(dCreateCylinder(nullptr, 0.5, 1), 1, 0.2, 1);
    NearCallback(nullptr, carrier.transform, drum);
    EXPECT_EQ(Contacts(carrier.body), 0);
    dGeomSetBody(strangerSphere, nullptr);
    dBodyDestroy(stranger);
}

TEST_F(NearCallbackTest, AFreeStandingObstacleIsAHitOnceUntilForgotten)
{
    for (bool racerFirst : {true, false})
    {
        SCOPED_TRACE(racerFirst ? "racer first" : "obstacle first");
        QV7_Buggy fresh;
        fresh.placementHold = 0;
        RacerBody& wheel = Body(&fresh, 0, 10, 1.8, 10);
        dGeomID post = Static(dCreateCapsule(nullptr, 0.5, 2), 10, 1, 10); // under the wheel
        auto touch = [&]
        {
            if (racerFirst)
                NearCallback(nullptr, wheel.transform, post);
            else
                NearCallback(nullptr, post, wheel.transform);
        };
        touch();
        EXPECT_EQ(Contacts(wheel.body), 1);
        EXPECT_EQ(fresh.noObjectContact, 0);
        EXPECT_EQ(fresh.objectCollision, 1);
        EXPECT_EQ(fresh.lastCollisionGeom, post);
        EXPECT_EQ(fresh.lastCollisionTimer, 900.0f);
        EXPECT_EQ(fresh.cleanContact, 0);
        // Pushed up by what it stands on: resting, whichever geom ODE named first.
        EXPECT_EQ(fresh.restingContact, 1);
        EXPECT_NEAR(fresh.collisionPoint.x, 10.0f, 1e-4f);

        // The crash is reported: the same obstacle now counts as a clean contact.
        fresh.crashReported = 1;
        fresh.objectCollision = fresh.cleanContact = 0;
        fresh.lastCollisionTimer = 300.0f;
        touch();
        EXPECT_EQ(fresh.objectCollision, 0);
        EXPECT_EQ(fresh.cleanContact, 1);
        EXPECT_EQ(fresh.lastCollisionTimer, 300.0f);
        wheel.Destroy();
        dJointGroupEmpty(group.contactGroup);
    }
}

TEST_F(NearCallbackTest, TaggedSceneryIsAnObstacleAndUntaggedIsNot)
{
    RacerBody& wheel = Body(player, 0, 10, 0.9, 10);
    int32_t solid = 1, plain = 0;
    dGeomID wall = Static(dCreateBox(nullptr, 2, 1, 2), 10, 0, 10);
    dGeomSetData(wall, &plain);
    NearCallback(nullptr, wall, wheel.transform);
    EXPECT_EQ(Contacts(wheel.body), 1);
    EXPECT_EQ(player->objectCollision, 0);
    EXPECT_EQ(player->cleanContact, 1);
    EXPECT_EQ(player->restingContact, 1);
    dJointGroupEmpty(group.contactGroup);
    player->cleanContact = 0;
    dGeomSetData(wall, &solid);
    NearCallback(nullptr, wheel.transform, wall);
    EXPECT_EQ(player->objectCollision, 1);
    EXPECT_EQ(player->lastCollisionGeom, wall);
    EXPECT_EQ(player->cleanContact, 0);
}

TEST_F(NearCallbackTest, RacersRunningIntoEachOther)
{
    RacerBody& mine = Body(player, 9, 10, 2, 10);
    RacerBody& theirs = Body(computer, 9, 10.8, 2, 10);
    computer->Controller()->groundSpeed = 0.6f;
    NearCallback(nullptr, mine.transform, theirs.transform);
    EXPECT_EQ(Contacts(mine.body), 1);
    EXPECT_EQ(g_physicsTimeA, 100.0f);
    EXPECT_EQ(g_physicsTimeB, 450.0f);
    EXPECT_EQ(g_hits.hits, 1);
    EXPECT_EQ(g_hits.scale, 0.2f);
    EXPECT_NEAR(g_hits.point.x, 10.4f * 200.0f, 1.0f);
    EXPECT_EQ(g_hits.kicks, 1);
    EXPECT_EQ(g_hits.sounds, 1);
    // The first geom's racer is R1 and always loses 0.5; the computer as R2 too.
    EXPECT_FLOAT_EQ(player->Controller()->health, 99.5f);
    EXPECT_FLOAT_EQ(computer->Controller()->health, 99.5f);
    EXPECT_EQ(player->buggyHit, 1);
    EXPECT_EQ(computer->buggyHit, 1);

    // Within the cool-down nothing more happens; after it, the hit flag still holds.
    NearCallback(nullptr, theirs.transform, mine.transform);
    g_physicsTimeA = 0;
    NearCallback(nullptr, theirs.transform, mine.transform);
    EXPECT_EQ(g_hits.hits, 1);

    // Cleared hit flags, sound still cooling down: the player as R2 loses 0.1, no sound.
    player->buggyHit = computer->buggyHit = 0;
    NearCallback(nullptr, theirs.transform, mine.transform);
    EXPECT_EQ(g_hits.hits, 2);
    EXPECT_EQ(g_hits.sounds, 1);
    EXPECT_FLOAT_EQ(player->Controller()->health, 99.4f);
    EXPECT_FLOAT_EQ(computer->Controller()->health, 99.0f);
}

TEST_F(NearCallbackTest, AShieldTakesTheHit)
{
    RacerBody& mine = Body(player, 9, 10, 2, 10);
    RacerBody& theirs = Body(computer, 9, 10.8, 2, 10);
    player->Controller()->groundSpeed = 2.0f;
    g_hits.secondShield = 120.0f;
    NearCallback(nullptr, mine.transform, theirs.transform);
    EXPECT_EQ(g_hits.shieldHits, 1);
    EXPECT_EQ(g_hits.shielded, computer);
    EXPECT_EQ(g_hits.shield, 120.0f);
    EXPECT_EQ(g_hits.hits + g_hits.sounds + g_hits.kicks, 0);
    EXPECT_FLOAT_EQ(player->Controller()->health, 100.0f);
    EXPECT_FLOAT_EQ(computer->Controller()->health, 100.0f);
    EXPECT_EQ(g_physicsTimeA, 100.0f);
    EXPECT_EQ(player->buggyHit, 1);
}

TEST_F(NearCallbackTest, SlowRacersOrAbsentHooksAreQuiet)
{
    RacerBody& mine = Body(player, 9, 10, 2, 10);
    RacerBody& theirs = Body(computer, 9, 10.8, 2, 10);
    NearCallback(nullptr, mine.transform, theirs.transform);
    EXPECT_EQ(Contacts(mine.body), 1);
    EXPECT_EQ(g_physicsTimeA, 0.0f);
    EXPECT_EQ(player->buggyHit, 0);
    g_contactHooks = ContactHooks{};
    computer->Controller()->groundSpeed = 1.0f;
    NearCallback(nullptr, mine.transform, theirs.transform);
    EXPECT_EQ(g_physicsTimeA, 100.0f);
    EXPECT_EQ(g_physicsTimeB, 0.0f); // no sound loaded, no sound cool-down
    EXPECT_FLOAT_EQ(computer->Controller()->health, 99.5f);
}
} // namespace
