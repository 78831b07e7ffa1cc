// The near callback and the contact surfaces of the racers' wheels.
#include "race/NearCallback.h"

#include "race/BuggyPhysicsDefinition.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_LandscapePhysics.h"
#include "race/QV7_PhysicsGroup.h"

#include <cmath>
#include <cstdint>

float g_physicsTimeA = 0.0f;
float g_physicsTimeB = 0.0f;
ContactHooks g_contactHooks;

namespace
{
constexpr dReal kDefaultSlip = 0.09;
constexpr float kRenderPerOde = 200.0f;

const PhysicsBodyDef* Definition(dBodyID body)
{
    return body ? static_cast<const PhysicsBodyDef*>(dBodyGetData(body)) : nullptr;
}

QV7_Buggy* Owner(const PhysicsBodyDef* definition)
{
    return definition ? definition->owner : nullptr;
}

bool IsLandscape(dGeomID geom)
{
    return g_landscapeGeomClass >= 0 && dGeomGetClass(geom) == g_landscapeGeomClass;
}

bool IsPrimitive(int geomClass)
{
    return geomClass == dSphereClass || geomClass == dBoxClass || geomClass == dCapsuleClass;
}

// Scenery geoms carry a tag whose first word marks a solid obstacle.
int32_t DataWord(dGeomID geom)
{
    const void* data = dGeomGetData(geom);
    return data ? *static_cast<const int32_t*>(data) : 0;
}

// A round geom standing free (no racer body under it), or a marked one.
bool IsObstacle(dGeomID geom)
{
    const int geomClass = dGeomGetClass(geom);
    const bool round = geomClass == dCapsuleClass || geomClass == dSphereClass;
    return (round && !Definition(dGeomGetBody(geom))) || DataWord(geom) != 0;
}

// The slip while the wheel rolls: more for a steered wheel, a fixed small
// slip for a driven one, the player's driven wheels slipping along the nose.
void SpeedRule(const QV7_Buggy& racer, const PhysicsBodyDef& wheel, float slipSpeed,
               ContactSurfaceChoice& choice)
{
    const bool player = racer.controllerKind == QV7_Buggy::CONTROLLER_PLAYER;
    // A reversing wheel spins backwards; a negative slip would make the
    // friction rows unstable, so the rule takes the spin's size.
    const dReal s = std::fabs(slipSpeed) / 40.0;
    choice.slip = s * 0.00003;
    if (wheel.steeredWheel)
        choice.slip = s * (player ? 0.001 : 0.0005) + 0.00004;
    if (!wheel.drivenWheel)
        return;
    if (!player)
    {
        choice.slip = 0.0001;
        return;
    }
    choice.slip = 0.0008;
    const QV7_DriveController* driver = racer.Controller();
    const D3DXVECTOR3 nose = driver ? driver->SlipDirection() : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const dReal length = std::sqrt(dReal(nose.x) * nose.x + dReal(nose.z) * nose.z);
    if (length < 1e-9)
        return; // no direction to slip along yet
    choice.mode |= dContactFDir1;
    choice.fdir1[0] = nose.x / length;
    choice.fdir1[1] = 0;
    choice.fdir1[2] = nose.z / length;
}

void WheelSlip(const QV7_Buggy& racer, const PhysicsBodyDef& wheel, ContactSurfaceChoice& choice)
{
    if (racer.placementHold)
    {
        choice.slip = 0;
        return;
    }
    const QV7_DriveController* driver = racer.Controller();
    const float speed = driver ? driver->SlipSpeed() : 0.0f;
    const int mode = driver ? driver->SlipMode() : 0;
    if (driver)
        choice.steering = driver->SlipSteer() > 0.01f || driver->SlipSteer() < -0.01f;
    if (mode == 1 && speed > 2.0f)
        choice.slip = 0.02;
    else if (mode == 1 && speed > 1.0f)
        choice.slip = 0.005;
    else if (mode == 0 || mode == 1)
        SpeedRule(racer, wheel, speed, choice);
}

// The racer's flags for one contact between o1 and o2 (the pair as the space
// handed it: ODE names the primitives inside transforms in the contact
// itself); racerIsFirst when the racer's geom is o1.
void RecordContact(QV7_Buggy& racer, const PhysicsBodyDef& body, dGeomID o1, dGeomID o2,
                   const dContactGeom& contact, bool landscape, bool racerIsFirst)
{
    racer.noContact = 0;
    if (landscape)
    {
        racer.noGroundContact = 0;
        racer.groundContact = 1;
        if (body.role == 0 || body.role == 1)
            racer.noGroundFront = 0;
        if (body.role == 2 || body.role == 3)
            racer.noGroundRear = 0;
    }
    if (!IsPrimitive(dGeomGetClass(o1)) && !IsPrimitive(dGeomGetClass(o2)))
        return;
    racer.noObjectContact = 0;
    // The normal pushes g1; seen from the racer it is flipped when the racer is g2.
    const dReal up = racerIsFirst ? contact.normal[1] : -contact.normal[1];
    const bool resting = up >= 0;
    bool clean = true;
    const bool obstacle1 = IsObstacle(o1), obstacle2 = IsObstacle(o2);
    const D3DXVECTOR3 point(float(contact.pos[0]), float(contact.pos[1]), float(contact.pos[2]));
    if (obstacle1 || obstacle2)
    {
        const bool reported = racer.lastCollisionGeom && racer.crashReported &&
                              (o1 == racer.lastCollisionGeom || o2 == racer.lastCollisionGeom);
        if (!reported)
        {
            racer.objectCollision = 1;
            racer.collisionPoint = point;
            racer.crashReported = 0;
            racer.lastCollisionGeom = obstacle2 ? o2 : o1;
            racer.lastCollisionTimer = 900.0f;
            clean = false;
        }
    }
    if (resting)
    {
        racer.restingContact = 1;
        racer.collisionPoint = point;
    }
    if (clean)
        racer.cleanContact = 1;
}

float ShieldOf(const QV7_Buggy& racer)
{
    return g_contactHooks.shieldOpen ? g_contactHooks.shieldOpen(racer) : 0.0f;
}

// Two racers meeting hard: a shield takes it, else both lose health.
void RacerHit(QV7_Buggy& first, QV7_Buggy& second, const dVector3 position)
{
    QV7_DriveController* driver1 = first.Controller();
    QV7_DriveController* driver2 = second.Controller();
    const bool hard =
        (driver2 && driver2->ImpactValue() > 0.5f) || (driver1 && driver1->ImpactValue() > 0.5f);
    if (!hard || second.buggyHit)
        return;
    g_physicsTimeA = 100.0f;
    const D3DXVECTOR3 point(float(position[0]) * kRenderPerOde, float(position[1]) * kRenderPerOde,
                            float(position[2]) * kRenderPerOde);
    const float shield2 = ShieldOf(second), shield1 = ShieldOf(first);
    if (shield2 > 0.0f || shield1 > 0.0f)
    {
        if (shield2 > 0.0f && g_contactHooks.shieldHitEffect)
            g_contactHooks.shieldHitEffect(second, point, shield2);
        if (shield1 > 0.0f && g_contactHooks.shieldHitEffect)
            g_contactHooks.shieldHitEffect(first, point, shield1);
    }
    else
    {
        const bool player1 = first.controllerKind == QV7_Buggy::CONTROLLER_PLAYER;
        const bool player2 = second.controllerKind == QV7_Buggy::CONTROLLER_PLAYER;
        if ((player1 || player2) && g_contactHooks.forceFeedback)
            g_contactHooks.forceFeedback();
        if (g_contactHooks.hitEffect)
            g_contactHooks.hitEffect(point, 0.2f);
        if (driver2)
            driver2->health -= player2 ? 0.1f : 0.5f;
        if (driver1)
            driver1->health -= 0.5f;
        if (g_physicsTimeB == 0.0f && g_contactHooks.playCrashSound && g_contactHooks.playCrashSound(point))
            g_physicsTimeB = 450.0f;
    }
    first.buggyHit = second.buggyHit = 1;
}

void FillSurface(const ContactSurfaceChoice& choice, dContact& contact)
{
    contact.surface.mode = choice.mode;
    contact.surface.mu = 100;
    contact.surface.slip1 = contact.surface.slip2 = choice.slip;
    contact.surface.soft_cfm = choice.softCfm;
    if (choice.mode & dContactFDir1)
        for (int k = 0; k < 3; ++k)
            contact.fdir1[k] = choice.fdir1[k];
}
} // namespace

ContactSurfaceChoice ChooseContactSurface(const PhysicsBodyDef* racerBody, bool landscape, bool box)
{
    ContactSurfaceChoice choice;
    choice.mode = dContactSlip1 | dContactSlip2 | dContactApprox1;
    choice.slip = kDefaultSlip;
    if (!racerBody || !racerBody->owner)
        return choice;
    WheelSlip(*racerBody->owner, *racerBody, choice);
    if (landscape)
    {
        choice.mode |= dContactSoftCFM;
        choice.softCfm = choice.steering || racerBody->steeredWheel ? 0.0005 : 0.002;
    }
    if (box && !(choice.mode & dContactSoftCFM))
    {
        choice.mode |= dContactSoftCFM;
        choice.softCfm = 0.0005;
    }
    return choice;
}

void NearCallback(void* data, dGeomID o1, dGeomID o2)
{
    // The scenery's own space: its geoms against the other side, one by one.
    if (dGeomIsSpace(o1) || dGeomIsSpace(o2))
    {
        dSpaceCollide2(o1, o2, data, &NearCallback);
        return;
    }
    dBodyID b1 = dGeomGetBody(o1), b2 = dGeomGetBody(o2);
    if (b1 && b2 && dAreConnectedExcluding(b1, b2, dJointTypeContact))
        return;
    const PhysicsBodyDef* definition1 = Definition(b1);
    const PhysicsBodyDef* definition2 = Definition(b2);
    QV7_Buggy* owner1 = Owner(definition1);
    QV7_Buggy* owner2 = Owner(definition2);
    if (owner1 && owner2 && owner1->serial == owner2->serial)
        return; // a racer never collides with itself
    const PhysicsBodyDef* racerBody = b1 ? definition1 : definition2;
    QV7_Buggy* racer = Owner(racerBody);
    const int class1 = dGeomGetClass(o1), class2 = dGeomGetClass(o2);
    const bool landscape = IsLandscape(o1) || IsLandscape(o2);
    const bool box = class1 == dBoxClass || class2 == dBoxClass;
    if (landscape ? (box || !racer) : (class1 == dCylinderClass || class2 == dCylinderClass))
        return;
    dContact contact{};
    FillSurface(ChooseContactSurface(racer ? racerBody : nullptr, landscape, box), contact);
    if (dCollide(o1, o2, 1, &contact.geom, int(sizeof(dContact))) < 1)
        return;
    if (g_physicsGroup && g_physicsGroup->world)
    {
        dJointID joint = dJointCreateContact(g_physicsGroup->world, g_physicsGroup->contactGroup, &contact);
        dJointAttach(joint, b1, b2);
    }
    if (!racer)
        return;
    RecordContact(*racer, *racerBody, o1, o2, contact.geom, landscape, b1 != nullptr);
    if (g_physicsTimeA == 0.0f && owner1 && owner2)
        RacerHit(*owner1, *owner2, contact.geom.pos);
}
