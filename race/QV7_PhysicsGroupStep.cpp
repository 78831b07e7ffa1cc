// The physics group's frame: the drivers, the fixed 11 ms steps and their
// contact bookkeeping, crashes, and the racers' render positions.
#include "race/NearCallback.h"
#include "race/PhysicsExceptionReport.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/RacePositions.h"

#include "engine/QV7_FrameManager.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr float kRenderPerOde = 200.0f;
constexpr int kAirborneAfter = 4;

D3DXVECTOR3 RenderPosition(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * kRenderPerOde;
}

float SquaredDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// A counter of steps without a contact kind; the flag rises after four.
void CountWithout(int without, int& steps, int& flag)
{
    if (without)
        flag = ++steps > kAirborneAfter;
    else
        steps = 0;
}

void ResetContactState(QV7_Buggy& buggy, float frameMs)
{
    buggy.noContact = buggy.noGroundContact = buggy.noObjectContact = 1;
    buggy.noGroundFront = buggy.noGroundRear = 1;
    buggy.restingContact = buggy.groundContact = buggy.cleanContact = 0;
    buggy.objectCollision = buggy.buggyHit = 0;
    // The timer runs on frame time at every step, as the cool-downs do per frame.
    buggy.lastCollisionTimer -= frameMs;
    if (buggy.lastCollisionTimer < 0.0f)
    {
        buggy.lastCollisionTimer = 0.0f;
        buggy.lastCollisionGeom = nullptr;
        buggy.crashReported = 0;
    }
}

} // namespace

void QV7_PhysicsGroup::CountContacts(QV7_Buggy& buggy)
{
    buggy.airborne = buggy.airborneNoGround = buggy.airborneNoObject = 0;
    buggy.airborneFront = buggy.airborneRear = 0;
    CountWithout(buggy.noContact, buggy.noContactSteps, buggy.airborne);
    if (buggy.restingContact)
        buggy.contactLevel = std::min(buggy.contactLevel + 1, 4);
    else if (buggy.groundContact)
        buggy.contactLevel = std::max(buggy.contactLevel - 1, 0);
    CountWithout(buggy.noGroundContact, buggy.noGroundSteps, buggy.airborneNoGround);
    CountWithout(buggy.noObjectContact, buggy.noObjectSteps, buggy.airborneNoObject);
    CountWithout(buggy.noGroundFront, buggy.noGroundFrontSteps, buggy.airborneFront);
    CountWithout(buggy.noGroundRear, buggy.noGroundRearSteps, buggy.airborneRear);
}

// A sudden stop against clean ground or a hit on an obstacle, at speed.
void QV7_PhysicsGroup::CheckCrash(QV7_Buggy& buggy)
{
    const PhysicsGroupHooks& hooks = s_Hooks;
    dBodyID chassis = buggy.ChassisBody();
    if (!chassis)
        return;
    const D3DXVECTOR3 now = RenderPosition(chassis);
    const D3DXVECTOR3& newest = buggy.positionHistory[0];
    const D3DXVECTOR3& previous = buggy.positionHistory[1];
    const float d1 = SquaredDistance(previous, newest), d2 = SquaredDistance(previous, now);
    QV7_DriveController* driver = buggy.Controller();
    const float speed = driver ? driver->groundSpeed : 0.0f;
    const bool crash =
        !buggy.carried && speed > 0.9f && ((d2 < 1.5f * d1 && buggy.cleanContact) || buggy.objectCollision);
    if (crash)
    {
        buggy.crashReported = 1;
        const D3DXVECTOR3 point = buggy.collisionPoint * kRenderPerOde;
        const float shield = g_contactHooks.shieldOpen ? g_contactHooks.shieldOpen(buggy) : 0.0f;
        if (shield > 0.0f)
        {
            if (hooks.shieldCrash)
                hooks.shieldCrash(buggy, point, shield);
        }
        else
        {
            if (hooks.crash)
                hooks.crash(buggy, point);
            if (driver)
                driver->health -= 5.5f;
        }
    }
    buggy.positionHistory[2] = buggy.positionHistory[1];
    buggy.positionHistory[1] = buggy.positionHistory[0];
    buggy.positionHistory[0] = now;
}

namespace
{
void DampPlayerWheels(QV7_Buggy& player)
{
    for (dBodyID wheel : player.rearWheelBodies)
    {
        if (!wheel)
            continue;
        const dReal* spin = dBodyGetAngularVel(wheel);
        dBodySetAngularVel(wheel, spin[0] * 0.95, spin[1] * 0.95, spin[2] * 0.95);
    }
}
} // namespace

int QV7_PhysicsGroup::AdvanceClock(int& frameCounter, float& accumulator, float frameMs)
{
    float counted = frameMs;
    if (frameCounter < 100)
    {
        ++frameCounter;
        counted = std::min(counted, 100.0f);
    }
    accumulator = std::min(accumulator + counted, 50.0f);
    const int steps = int(accumulator / kStepMs);
    accumulator -= kStepMs * float(steps);
    return steps;
}

void QV7_PhysicsGroup::Step()
{
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    try
    {
        StepFrame(frameMs);
    }
    catch (const CDException&)
    {
        throw;
    }
    catch (...)
    {
        // A throw cannot be resumed where it was raised: the rest of this
        // frame's simulation is given up whatever the verdict, and the retry
        // count still ends the run of faults after two.
        const int verdict = PhysicsExceptionReport(CPP_EXCEPTION_CODE, nullptr);
        if (verdict == EXCEPTION_CONTINUE_SEARCH_VERDICT)
            throw;
        if (verdict == EXCEPTION_EXECUTE_HANDLER_VERDICT)
        {
            QV7_Logger::Log(g_logger, "ERROR: Game PHYSICS Exception, Error Code E1");
            QV7_Logger::Log(g_logger, "OUTPUT: PHYSICS Exception Code %d", int32_t(CPP_EXCEPTION_CODE));
            g_physicsExceptionRetries = 0;
        }
    }
}

void QV7_PhysicsGroup::StepFrame(float frameMs)
{
    if (!world)
        return;
    RacePositions::Compute(racers);
    for (int i = 0; i < racers.count; ++i)
        if (s_Hooks.drive)
            s_Hooks.drive(*racers.items[i]);
    // Sized by the racers there are, not by the six grid slots.
    std::vector<D3DXVECTOR3> frameStart(size_t(racers.count));
    for (int i = 0; i < racers.count; ++i)
    {
        QV7_Buggy& buggy = *racers.items[i];
        buggy.justPlaced = 0;
        frameStart[size_t(i)] = buggy.ChassisBody() ? RenderPosition(buggy.ChassisBody()) : buggy.position;
    }
    const int steps = AdvanceClock(frameCounter, timeAccumulator, frameMs);
    if (steps > 0)
    {
        g_physicsTimeA = std::max(g_physicsTimeA - frameMs, 0.0f);
        g_physicsTimeB = std::max(g_physicsTimeB - frameMs, 0.0f);
    }
    for (int s = 0; s < steps; ++s)
        RunStep(frameMs);
    for (int i = 0; i < racers.count; ++i)
    {
        QV7_Buggy& buggy = *racers.items[i];
        if (buggy.ChassisBody())
            buggy.position = RenderPosition(buggy.ChassisBody());
        buggy.previousPosition = frameStart[size_t(i)];
    }
}

void QV7_PhysicsGroup::RunStep(float frameMs)
{
    for (int i = 0; i < racers.count; ++i)
    {
        if (s_Hooks.updateWeapons)
            s_Hooks.updateWeapons(*racers.items[i]);
        ResetContactState(*racers.items[i], frameMs);
    }
    if (racers.count > 0)
        DampPlayerWheels(*racers.items[0]);
    dSpaceCollide(space, nullptr, &NearCallback);
    dWorldQuickStep(world, kOdeStep);
    dJointGroupEmpty(contactGroup);
    for (int i = 0; i < racers.count; ++i)
        CountContacts(*racers.items[i]);
    for (int i = 0; i < racers.count; ++i)
        CheckCrash(*racers.items[i]);
}
