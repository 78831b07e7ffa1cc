// The computer driver: standing and pace, weapons, waypoint steering, the
// wheel motors and the stuck, drowned and wreck respawns.
#include "race/QV7_AIController.h"

#include "race/BuggyPhysicsDefinition.h"

#include "engine/QV7_FrameManager.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_WaypointList.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <cmath>

ComputerDrivingHooks QV7_AIController::s_Hooks;
bool QV7_AIController::s_LogRespawns = false;

namespace
{
constexpr float kRenderPerOde = 200.0f;
constexpr int kTeslaSlot = 5;

D3DXVECTOR3 BodyPoint(dBodyID body)
{
    const dReal* p = dBodyGetPosition(body);
    return D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2]));
}

D3DXVECTOR3 BodyAxis(dBodyID body, float x)
{
    dVector3 axis;
    dBodyVectorToWorld(body, x, 0, 0, axis);
    return D3DXVECTOR3{float(axis[0]), float(axis[1]), float(axis[2])};
}

float GameRandomUnit()
{
    return float(GameRand()) / float(GAME_RAND_MAX);
}

void PlayAt(SoundSlot slot, const D3DXVECTOR3& at)
{
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[slot], at.x, at.y, at.z);
}

bool Held(const ComputerDrivingRace& race, int flag)
{
    return race.releaseFlags && race.releaseFlags[flag];
}

// The wheels' hinge-2 joints: the two driven (rear) and the two steered (front).
template <typename F> void ForWheelJoints(QV7_Buggy& racer, F f)
{
    for (dJointID joint : racer.drivenJoints)
        if (joint)
            f(joint, true);
    for (dJointID joint : racer.steeredJoints)
        if (joint)
            f(joint, false);
}
} // namespace

QV7_AIController::QV7_AIController()
{
    cameraMode = CAMERA_MODE_FAR;
    handBrakeOn = 1;
}

float QV7_AIController::Distance3(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = b - a;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

float QV7_AIController::PointSegmentDistance(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& p)
{
    const D3DXVECTOR3 ab = b - a;
    const float lengthSq = D3DXVec3LengthSq(&ab);
    if (!(lengthSq > 0.0f))
        return 0.0f;
    const D3DXVECTOR3 ap = p - a;
    const float t = D3DXVec3Dot(&ab, &ap) / lengthSq;
    if (t < 0.0f || t > 1.0f)
        return 0.0f;
    return Distance3(p, a + t * ab);
}

int QV7_AIController::RelativePosition(const QV7_Buggy& b, const QV7_Buggy& v)
{
    if (b.lapCounter != v.lapCounter)
        return b.lapCounter > v.lapCounter ? 2 : -2;
    const int ahead = b.checkpointsPassed - v.checkpointsPassed;
    return std::clamp(ahead, -2, 2);
}

QV7_AIController::Pace QV7_AIController::PaceFor(int difficulty, bool tutorial, int rel, int racePosition)
{
    static const Pace kTable[4][5] = {
        {{30, 1.1f}, {25, 1.0f}, {17, 0.85f}, {15, 0.7f}, {13, 0.6f}},
        {{30, 1.2f}, {25, 1.0f}, {19, 0.9f}, {15, 0.8f}, {15, 0.7f}},
        {{30, 1.2f}, {26, 1.2f}, {21, 0.94f}, {20, 0.91f}, {19, 0.9f}},
        {{25, 1.1f}, {22, 1.0f}, {17, 0.85f}, {14, 0.6f}, {14, 0.5f}},
    };
    const int column = std::clamp(rel, -2, 2) + 2;
    if (tutorial)
        return kTable[3][column];
    if (difficulty < 0 || difficulty > 2)
        return {21.0f, -1.0f};
    if (column == 0 && racePosition == 1 && difficulty != 1)
        return {32.0f, 1.2f};
    return kTable[difficulty][column];
}

int QV7_AIController::ReleaseFlagOf(int racerNumber)
{
    // Flags: 0 the countdown, 1-4 the second to fifth grid lines.
    if (racerNumber <= 2)
        return 0;
    return std::min(racerNumber - 2, 4);
}

ComputerDrivingRace QV7_AIController::SessionRace()
{
    ComputerDrivingRace race;
    if (!g_mapSystem)
        return race;
    race.viewed = g_mapSystem->viewedBuggy;
    if (g_mapSystem->physicsGroup)
        race.racers = &g_mapSystem->physicsGroup->racers;
    race.waypoints = g_mapSystem->waypoints.get();
    race.releaseFlags = g_mapSystem->releaseFlags;
    if (g_mapSystem->water)
        race.waterLevel = g_mapSystem->water->m_WaterLevel;
    race.tutorial = g_mapSystem->mode == RACE_MODE_TUTORIAL;
    if (g_profiles && g_profiles->currentProfile)
        race.difficulty = g_profiles->currentProfile->difficulty;
    return race;
}

void QV7_AIController::Drive()
{
    const float dt = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    DriveFrame(dt, s_Hooks.race ? s_Hooks.race() : SessionRace());
}

void QV7_AIController::DriveFrame(float dt, const ComputerDrivingRace& race)
{
    if (!buggy || !buggy->ChassisBody())
        return;
    relativePosition = race.viewed ? RelativePosition(*buggy, *race.viewed) : 0;
    RunTimers(dt);
    ChooseWeapon();
    AimAndFire(race);
    UseShieldAndJammer(race);
    QV7_BuggyWeapons& weapons = buggy->weapons;
    if (Held(race, 4) || (buggy->lapCounter == 1 && buggy->checkpointsPassed == 0))
        weapons.fireRequest = weapons.jammerRequest = 0;
    if (!race.waypoints)
        return;
    race.waypoints->DebugDraw();
    const bool wrecked = Wreck(dt);
    bool forced = wrecked;
    Regenerate(dt);
    MeasureDistance(dt);
    const bool lineHeld = Held(race, 0) || Held(race, ReleaseFlagOf(buggy->serial));
    driveInput = 0;
    turboBurning = 0;
    if (WaypointRecord* found = race.waypoints->FindSegment(buggy->position))
        currentWaypoint = found;
    // Without a stretch of the path under it yet the driver has nothing to
    // steer by: it holds still until it has one.
    if (!lineHeld && currentWaypoint)
    {
        buggy->sinceCheckpointMs += dt;
        bool stuck = buggy->sinceCheckpointMs > 15000.0f ||
                     (buggy->sinceCheckpointMs > 4000.0f && recentDistance < 150.0f);
        if (buggy->position.y < race.waterLevel)
        {
            stuck = forced = true;
            health = healthMax;
        }
        const Demand demand = SteeringDemand(dt);
        CameraKeys();
        if (cameraMode != CAMERA_MODE_FREE)
        {
            Throttle(dt, demand, race);
            Brake(demand);
            Orientation();
            SetWheels();
            Steer(dt, demand);
            Respawn(stuck, forced, wrecked, race);
        }
    }
    else if (forced)
        Respawn(false, forced, wrecked, race);
    BrakeState(buggy->placementHold || lineHeld || destroyed || !currentWaypoint);
    // The engine sound climbs the gears while the throttle is open and
    // strains harder under turbo.
    weapons.accelerating = driveInput && !reversing;
    weapons.engineLoad = weapons.accelerating ? (turboBurning ? 8.0f : 4.0f) : 0.0f;
    if (s_Hooks.wheelEffects)
        s_Hooks.wheelEffects(*buggy);
}

void QV7_AIController::RunTimers(float dt)
{
    slowTimer = std::max(slowTimer - dt, 0.0f);
    steerLockTimer = std::max(steerLockTimer - dt, 0.0f);
    if (teslaLockTimer > 0.0f)
        teslaLockTimer -= dt;
    if (fireHoldTimer > 0.0f)
    {
        fireHoldTimer -= dt;
        weaponChoiceTimer -= dt;
    }
}

int QV7_AIController::AmmoOf(int slot) const
{
    // The tesla coil needs none: it never runs out.
    if (slot == kTeslaSlot)
        return 1 << 30;
    if (slot < 1 || slot > 4 || !buggy->ammo)
        return 0;
    return buggy->ammo[slot - 1];
}

void QV7_AIController::SelectSlot(int slot)
{
    EquipmentSlots& e = buggy->equipment;
    e.selected = slot;
    e.currentWeapon = e.items[slot - 1];
}

void QV7_AIController::ChooseWeapon()
{
    EquipmentSlots& e = buggy->equipment;
    bool due = false;
    if (energy < 30.0f && e.selected == kTeslaSlot)
    {
        teslaLockTimer = 5000.0f;
        weaponChoiceTimer = 10000.0f;
        due = true;
    }
    else if (teslaLockTimer <= 0.0f && e.available[kTeslaSlot - 1])
        SelectSlot(kTeslaSlot);
    if (weaponChoiceTimer <= 0.0f && e.selected >= 1 && e.selected <= 4)
    {
        weaponChoiceTimer = 10000.0f;
        due = true;
    }
    if (due && e.items[0])
        SelectSlot(1);
    if (!due && AmmoOf(e.selected) >= 1)
        return;
    if (due)
    {
        const int v = std::clamp(int(1.0f + 3.0f * GameRandomUnit()), 1, 4);
        if (e.available[v - 1] && AmmoOf(v) >= 2)
        {
            SelectSlot(v);
            return;
        }
    }
    for (int slot = 4; slot >= 1; --slot)
        if (AmmoOf(slot) > 1 && e.items[slot - 1])
        {
            SelectSlot(slot);
            return;
        }
}

void QV7_AIController::AimAndFire(const ComputerDrivingRace& race)
{
    QV7_BuggyWeapons& weapons = buggy->weapons;
    weapons.fireRequest = 0;
    if (race.racers)
    {
        const D3DXVECTOR3 ahead = buggy->position + 10000.0f * BodyAxis(buggy->ChassisBody(), -1.0f);
        for (const QV7_Buggy* other : *race.racers)
        {
            if (other == buggy)
                continue;
            const float d = PointSegmentDistance(buggy->position, ahead, other->position);
            if (d > 0.0f && d < 650.0f)
            {
                weapons.fireRequest = 1;
                fireHoldTimer = 2000.0f;
            }
        }
    }
    if (fireHoldTimer > 0.0f)
        weapons.fireRequest = 1;
}

void QV7_AIController::UseShieldAndJammer(const ComputerDrivingRace& race)
{
    QV7_BuggyWeapons& weapons = buggy->weapons;
    const EquipmentSlots& e = buggy->equipment;
    if (weapons.timeSinceHit < 1000.0f && energy > 20.0f && e.available[EquipmentSlots::kShieldSlot - 1])
        weapons.shieldRequest = 1;
    else if (weapons.timeSinceHit > 4000.0f || energy < 10.0f)
        weapons.shieldRequest = 0;
    if (!e.available[EquipmentSlots::kJammerSlot - 1] || !race.racers)
        return;
    static const float kReach[3] = {3000.0f, 5000.0f, 8000.0f};
    const int level = e.levels[EquipmentSlots::kJammerSlot - 1];
    if (level < 0 || level > 2)
        return;
    for (const QV7_Buggy* other : *race.racers)
    {
        if (other == buggy || !other->weapons.shieldRequest)
            continue;
        const D3DXVECTOR3 d = other->position - buggy->position;
        if (D3DXVec3LengthSq(&d) < 700.666f * kReach[level] && energy > 30.0f && weapons.jammerWave == 0.0f)
            weapons.jammerRequest = 1;
    }
}

bool QV7_AIController::Wreck(float dt)
{
    bool ended = false;
    if (destroyed)
    {
        destroyedTime += dt;
        if (destroyedTime > kWreckMs)
        {
            health = healthMax;
            energy = energyMax;
            destroyed = 0;
            destroyedTime = 0.0f;
            respawnRequested = 1;
            buggy->wrecked = 0;
            ended = true;
        }
    }
    if (health <= 0.0f && !destroyed)
    {
        health = 0.0f;
        destroyedNotice = 1;
        destroyed = 1;
        const D3DXVECTOR3 at = buggy->position - D3DXVECTOR3(0.0f, 50.0f, 0.0f);
        if (s_Hooks.effect)
            s_Hooks.effect("Explode", at);
        PlayAt(SOUND_EXPLOSION, buggy->position);
        dBodyAddForce(buggy->ChassisBody(), 0, 10000, 0);
        buggy->wrecked = 1;
    }
    return ended;
}

void QV7_AIController::Regenerate(float dt)
{
    health = std::min(health + healthRegen * dt * 0.0001f, healthMax);
    energy = std::min(energy + energyRegen * dt * 0.0005f, energyMax);
    energy = std::max(energy, 0.0f);
}

void QV7_AIController::MeasureDistance(float dt)
{
    distanceClock += dt;
    distanceSum += Distance3(buggy->previousPosition, buggy->position);
    if (distanceClock >= 1000.0f)
    {
        // The window's distance scaled to exactly 1000 ms, whatever the
        // frame that closed it added beyond.
        recentDistance = distanceSum * 1000.0f / distanceClock;
        distanceSum = 0.0f;
        distanceClock = 0.0f;
    }
}

namespace
{
const WaypointRecord* Ahead(const WaypointRecord* w, int links)
{
    for (int i = 0; i < links && w->next; ++i)
        w = w->next;
    return w;
}

// Which way the waypoint lies: the vertical of the tail axis crossed with the
// direction from the waypoint to the buggy; > 0 to the right.
float SideOf(const D3DXVECTOR3& tail, const WaypointRecord& w, const D3DXVECTOR3& at)
{
    D3DXVECTOR3 d = at - w.position;
    if (D3DXVec3LengthSq(&d) > 0.0f)
        D3DXVec3Normalize(&d, &d);
    return tail.z * d.x - tail.x * d.z;
}

// Outside the stretch from a to its next: beyond the line of the first gate
// points or of the second ones.
bool OffTrack(const WaypointRecord& a, const D3DXVECTOR3& p)
{
    const WaypointRecord& b = *a.next;
    const float first = Cross2D(p, b.gate1, a.gate1);
    const float second = Cross2D(p, b.gate2, a.gate2);
    return first * second > 0.0f;
}
} // namespace

float QV7_AIController::DrawWobble(float dt)
{
    wobbleClock += dt;
    if (wobbleClock >= 1000.0f)
    {
        wobble = 0.1f - 0.2f * GameRandomUnit();
        wobbleClock = 0.0f;
    }
    return wobble;
}

QV7_AIController::Demand QV7_AIController::SteeringDemand(float dt)
{
    Demand demand;
    const WaypointRecord& a = *currentWaypoint;
    const D3DXVECTOR3 at = buggy->position;
    D3DXVECTOR3 tail = BodyAxis(buggy->ChassisBody(), 1.0f);
    D3DXVec3Normalize(&tail, &tail);
    const float s2 = SideOf(tail, *Ahead(&a, 2), at);
    const float s3 = SideOf(tail, *Ahead(&a, 3), at);
    const float s4 = SideOf(tail, *Ahead(&a, 4), at);
    const WaypointRecord* next = Ahead(&a, 1);
    const WaypointRecord* after = Ahead(&a, 2);
    if (next->speedFlag)
    {
        demand.speedLimited = true;
        demand.speedLimit = next->speedValue;
    }
    const bool downhill =
        a.position.y > next->position.y + 1.0f && next->position.y > after->position.y + 1.0f;
    demand.brake = (downhill && driveCommand > 30.0f) || (s4 > 0.2f && driveCommand > 25.0f) ||
                   (s3 > 0.2f && driveCommand > 21.5f);
    // The wheel spin counts either way round: braking is reverse drive, and
    // once the buggy no longer rolls forward more of it would only drive it
    // backwards down the hill it was slowing for.
    const D3DXVECTOR3 nose = BodyAxis(buggy->ChassisBody(), -1.0f);
    const dReal* v = dBodyGetLinearVel(buggy->ChassisBody());
    if (nose.x * float(v[0]) + nose.z * float(v[2]) <= 0.0f)
        demand.brake = false;
    demand.w = 0.3f * s2 + 0.5f * s3 + 0.2f * s4;
    if (driveCommand < 10.0f)
        demand.w = 0.7f * s2 + 0.3f * s3;
    if (a.next && OffTrack(a, at))
        demand.w = 0.6f * s2 + 0.3f * s3 + 0.1f * s4;
    if (buggy->racePosition < 2 && relativePosition >= 0)
        demand.w += DrawWobble(dt);
    const float size = std::fabs(demand.w);
    demand.cutThrottle = (size > 0.4f && recentDistance > 800.0f) || (size > 0.5f && recentDistance > 500.0f);
    return demand;
}

void QV7_AIController::CameraKeys()
{
    // F2, F3 and F4 pick the camera of a computer driver being watched.
    if (!g_input)
        return;
    if (g_input->IsKeyDown(60))
        cameraMode = CAMERA_MODE_FAR;
    if (g_input->IsKeyDown(61))
        cameraMode = CAMERA_MODE_CLOSE;
    if (g_input->IsKeyDown(62))
        cameraMode = CAMERA_MODE_NEAR;
}

bool QV7_AIController::Airborne() const
{
    return buggy->airborne != 0;
}

void QV7_AIController::Throttle(float dt, const Demand& demand, const ComputerDrivingRace& race)
{
    // The wheel spin measured last frame has steered; the command starts anew.
    driveCommand = 0.0f;
    reversing = 0;
    if (respawnLock)
    {
        respawnLockTime += dt;
        if (respawnLockTime > kRespawnLockMs)
            respawnLock = 0;
    }
    if (demand.speedLimited && groundSpeed > 0.055f * demand.speedLimit)
        return;
    if (demand.brake || demand.cutThrottle || respawnLock || Airborne())
        return;
    buggy->placementHold = 0;
    driveInput = 1;
    const Pace pace = PaceFor(race.difficulty, race.tutorial != 0, relativePosition, buggy->racePosition);
    driveCommand = pace.driveCommand;
    if (pace.speedFactor >= 0.0f)
        speedFactor = pace.speedFactor;
    if (recentDistance < 300.0f && turbo > 0.0f)
    {
        driveCommand = 52.5f;
        turboBurning = 1;
        turbo = std::max(turbo - dt, 0.0f);
    }
    if (turboBurning && !turboSoundLatch)
        PlayAt(SOUND_TURBO, buggy->position);
    turboSoundLatch = turboBurning;
}

void QV7_AIController::Brake(const Demand& demand)
{
    const bool slowDown = demand.brake || (demand.speedLimited && groundSpeed > 0.055f * demand.speedLimit);
    if (!slowDown || respawnLock || Airborne())
        return;
    reversing = 1;
    driveCommand = -50.0f;
    buggy->placementHold = 0;
    driveInput = 1;
}

void QV7_AIController::Orientation()
{
    dBodyID chassis = buggy->ChassisBody();
    float rear = 0.0f, front = 0.0f;
    for (int i = 0; i < 2; ++i)
    {
        rear += buggy->rearWheelBodies[i] ? BodyPoint(buggy->rearWheelBodies[i]).y * 0.5f : 0.0f;
        front += buggy->frontWheelBodies[i] ? BodyPoint(buggy->frontWheelBodies[i]).y * 0.5f : 0.0f;
    }
    float pitch = rear - front;
    pitch = pitch > 0.04f ? pitch - 0.04f : (pitch < -0.04f ? pitch + 0.04f : 0.0f);
    slopeTerm = 5.0f * pitch;
    const dReal* v = dBodyGetLinearVel(chassis);
    chassisVelocity = D3DXVECTOR3(float(v[0]), float(v[1]), float(v[2]));
    forwardAxis = BodyAxis(chassis, -1.0f);
    if (driveCommand == 30.0f && slopeTerm < 0.0f)
        driveCommand = std::min(30.0f - 50.0f * slopeTerm, 70.0f);
    if (!buggy->placementHold)
        driveCommand += slopeTerm;
    if (buggy->placementHold || destroyed)
        driveCommand = 0.0f;
}

void QV7_AIController::SetWheels()
{
    float speed = 0.0f;
    if (driveCommand < 0.0f)
        speed = slowTimer != 0.0f ? 22.5f : 30.0f;
    else
    {
        float k = turboBurning ? 3.3f : 3.0f;
        if (slowTimer != 0.0f)
            k = turboBurning ? 2.8f : 2.5f;
        speed = -enginePower * speedFactor * k;
    }
    driveCommand *= 2.0f * std::fabs(steerAngle) + 1.0f;
    const float command = std::fabs(driveCommand);
    const bool reverse = driveCommand < 0.0f;
    ForWheelJoints(*buggy,
                   [&](dJointID joint, bool rear)
                   {
                       dJointSetHinge2Param(joint, dParamVel2, speed);
                       const float share = reverse ? (rear ? 0.1f : 0.04f) : 0.2f;
                       dJointSetHinge2Param(joint, dParamFMax2, command * share);
                   });
    if (dBodyID wheel = buggy->rearWheelBodies[1])
    {
        const dReal* spin = dBodyGetAngularVel(wheel);
        driveCommand = float(std::fabs(spin[0]) + std::fabs(spin[1]) + std::fabs(spin[2]));
    }
    const dReal* v = dBodyGetLinearVel(buggy->ChassisBody());
    groundSpeed = float(std::fabs(v[0]) + std::fabs(v[2]));
}

void QV7_AIController::Steer(float dt, const Demand& demand)
{
    if (!Airborne())
    {
        if (demand.w > 0.03f)
        {
            steerAngle -= 0.00045f * dt;
            if (steerAngle > -0.0012f * dt)
                steerAngle -= 0.0012f * dt;
        }
        else if (demand.w < -0.03f)
        {
            steerAngle += 0.00045f * dt;
            if (steerAngle < 0.0012f * dt)
                steerAngle += 0.0012f * dt;
        }
    }
    if (steerAngle > 0.3f)
        steerAngle = 0.32f;
    else if (steerAngle < -0.3f)
        steerAngle = -0.32f;
    const float limit = 1.57f * std::fabs(demand.w);
    steerAngle = std::clamp(steerAngle, -limit, limit);
    if (steerLockTimer > 0.0f)
        steerAngle = 0.0f;
}

void QV7_AIController::Respawn(bool stuck, bool forced, bool wrecked, const ComputerDrivingRace& race)
{
    if (stuck)
        respawnRequested = 1;
    if (!respawnRequested && !forced)
        return;
    D3DXVECTOR3 pose(0.0f, 0.0f, 0.0f);
    float yaw = 0.0f;
    const RespawnAnswer answer = Held(race, 1) || !s_Hooks.respawnPose
                                     ? RESPAWN_NO_CHECKPOINT
                                     : s_Hooks.respawnPose(*buggy, forced, &pose, &yaw);
    if (answer == RESPAWN_NO_CHECKPOINT)
    {
        respawnRequested = 0;
        return;
    }
    if (answer == RESPAWN_WAIT)
        return;
    if (!wrecked && s_Hooks.effect)
        s_Hooks.effect("Beam", buggy->position);
    if (s_Hooks.stopOwnEffects)
        s_Hooks.stopOwnEffects(*buggy);
    respawnRequested = 0;
    respawnLockTime = 0.0f;
    respawnLock = 1;
    buggy->PlaceAt(pose.x, pose.y + 150.0f, pose.z, yaw);
    ++respawnCount;
    if (s_LogRespawns)
        QV7_Logger::Log(g_logger, "INFO: A.I.: Player Buggy Respawn");
    if (s_Hooks.resetCamera)
        s_Hooks.resetCamera(*buggy);
}

void QV7_AIController::BrakeState(bool held)
{
    if (held && cameraMode != CAMERA_MODE_FREE)
    {
        ForWheelJoints(*buggy,
                       [](dJointID joint, bool)
                       {
                           dJointSetHinge2Param(joint, dParamVel2, 0);
                           dJointSetHinge2Param(joint, dParamFMax2, 10);
                       });
        handBrakeOn = 1;
    }
    else
        handBrakeOn = 0;
    SteeringStops();
    WeightTransfer();
}

void QV7_AIController::SteeringStops()
{
    for (dJointID joint : buggy->steeredJoints)
    {
        if (!joint)
            continue;
        dJointSetHinge2Param(joint, dParamFMax, 0);
        dJointSetHinge2Param(joint, dParamLoStop, steerAngle - 0.0001f);
        dJointSetHinge2Param(joint, dParamHiStop, steerAngle + 0.0001f);
        dJointSetHinge2Param(joint, dParamLoStop, steerAngle - 0.0001f);
    }
}

void QV7_AIController::WeightTransfer()
{
    // Parts 2, 3, 0, 1: first rear, second rear, first front, second front.
    bool heavy[4] = {false, false, false, false};
    if (!handBrakeOn && steerAngle < 0.0f)
        heavy[0] = heavy[3] = true;
    else if (!handBrakeOn && steerAngle > 0.0f)
        heavy[1] = heavy[2] = true;
    const float heavyMass = std::fabs(steerAngle) / 0.456f * 2500.0f + 100.0f;
    const dBodyID wheels[4] = {buggy->rearWheelBodies[0], buggy->rearWheelBodies[1],
                               buggy->frontWheelBodies[0], buggy->frontWheelBodies[1]};
    for (int i = 0; i < 4; ++i)
    {
        if (!wheels[i] || !buggy->partDefinitions[i])
            continue;
        dMass mass = buggy->partDefinitions[i]->massProperties;
        if (!(mass.mass > 0))
            continue;
        dMassAdjust(&mass, heavy[i] ? heavyMass : 100.0f);
        dBodySetMass(wheels[i], &mass);
    }
    for (dJointID joint : buggy->steeredJoints)
        if (joint)
            dJointSetHinge2Param(joint, dParamVel, 0);
}
