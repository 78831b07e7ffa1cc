// The race's frame, drivers, cameras, pages and scenery joined up; the
// effects every part asks for are made in RaceWiringEffects.cpp.
#include "race/RaceWiring.h"

#include "effects/QV7_EffectsListMap.h"
#include "figures/DriverAnimation.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_hWnd.h"
#include "race/CheckpointRecord.h"
#include "race/PathCarryRacer.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_DebugCommands.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_Teleporters.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceMenuHooks.h"
#include "race/RaceWiringEffects.h"
#include "world/QV7_FadingVegetation.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_TreeVegetation.h"
#include "world/QV7_ZephyrionItems.h"

#include <iterator>

namespace
{
bool g_installed = false;

QV7_MapSystem* Session()
{
    return g_mapSystem;
}

// ---- drivers and cameras ----

void Drive(QV7_Buggy& buggy)
{
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && buggy.playerController)
        buggy.playerController->Drive();
    else if (buggy.controllerKind == QV7_Buggy::CONTROLLER_COMPUTER && buggy.computerController)
        buggy.computerController->Drive();
}

void UpdateCamera(QV7_Buggy& buggy)
{
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && buggy.playerController)
        buggy.playerController->UpdateCamera();
    else if (buggy.computerController)
        buggy.computerController->UpdateCamera();
}

void ApplyCamera(QV7_Buggy& buggy)
{
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && buggy.playerController)
        buggy.playerController->ApplyCamera();
    else if (buggy.computerController)
        buggy.computerController->ApplyCamera();
}

void ResetCamera(QV7_Buggy& buggy)
{
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && buggy.playerController)
        buggy.playerController->ResetCamera();
    else if (buggy.computerController)
        buggy.computerController->ResetCamera();
}

// The viewed racer, back on the player's when it is no longer in the race.
QV7_Buggy* Viewed(QV7_MapSystem& session)
{
    QV7_PhysicsGroup* group = session.physicsGroup.get();
    if (!group)
        return nullptr;
    if (!session.viewedBuggy || group->racers.IndexOf(session.viewedBuggy) < 0)
        session.viewedBuggy = session.playerRacer;
    return session.viewedBuggy;
}

void ApplySessionCamera(QV7_MapSystem& session)
{
    if (QV7_Buggy* viewed = Viewed(session))
        ApplyCamera(*viewed);
}

// The teleporter's exit view: no sweep across the island from the old target.
void SnapCamera(QV7_DriveController& driver, const CameraPose& pose)
{
    driver.cameraEye = pose.eye;
    driver.cameraTarget = pose.target;
    driver.cameraLastTarget = pose.target;
    for (D3DXVECTOR3& offset : driver.cameraOffsetHistory)
        offset = pose.eye - pose.target;
}

// ---- checkpoints ----

CheckpointRecord* NextCheckpoint(const QV7_Buggy& racer, const QV7_Checkpoint& checkpoints)
{
    if (racer.currentCheckpoint)
        return racer.currentCheckpoint->next;
    return checkpoints.finish ? checkpoints.finish->next : nullptr;
}

D3DXVECTOR3 MarkerPoint(const CheckpointMarker& marker)
{
    return D3DXVECTOR3(marker.x, marker.y, marker.z);
}

bool PointerTarget(const QV7_Buggy& player, D3DXVECTOR3* target)
{
    QV7_MapSystem* session = Session();
    if (!session || !session->checkpoints)
        return false;
    const CheckpointRecord* next = NextCheckpoint(player, *session->checkpoints);
    if (!next || next->markers.empty())
        return false;
    *target = MarkerPoint(next->markers[0]);
    const D3DXVECTOR3 to = *target - player.position;
    // Close to it, the pointer already shows the way on.
    if (D3DXVec3Length(&to) < session->checkpoints->passRadius && next->next && !next->next->markers.empty())
        *target = MarkerPoint(next->next->markers[0]);
    return true;
}

bool RespawnPoint(const QV7_Buggy& buggy, RespawnPoint* point)
{
    CheckpointRecord* checkpoint = buggy.currentCheckpoint;
    if (!checkpoint || checkpoint->markers.empty())
        return false;
    point->poseCount = checkpoint->markers.size() > 1 ? 2 : 1;
    for (int i = 0; i < point->poseCount; ++i)
    {
        point->position[i] = MarkerPoint(checkpoint->markers[size_t(i)]);
        point->yaw[i] = checkpoint->markers[size_t(i)].yaw;
    }
    point->sincePassed = &checkpoint->sincePassed;
    point->passedByViewed = checkpoint->passedByPlayer;
    QV7_MapSystem* session = Session();
    point->logFlag = session && session->checkpoints ? session->checkpoints->debug : 0;
    return true;
}

constexpr float kRespawnWaitMs = 1600.0f;

RespawnAnswer ComputerRespawnPose(QV7_Buggy& racer, bool forced, D3DXVECTOR3* position, float* yaw)
{
    CheckpointRecord* checkpoint = racer.currentCheckpoint;
    if (!checkpoint || checkpoint->markers.empty())
        return RESPAWN_NO_CHECKPOINT;
    if (!forced && checkpoint->sincePassed < kRespawnWaitMs)
        return RESPAWN_WAIT;
    *position = MarkerPoint(checkpoint->markers[0]);
    *yaw = checkpoint->markers[0].yaw;
    checkpoint->sincePassed = 0.0f;
    return RESPAWN_READY;
}

// ---- the race frame ----

template <typename F> void WithSession(F f)
{
    if (QV7_MapSystem* session = Session())
        f(*session);
}

void TestPassing()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.checkpoints && s.physicsGroup)
                s.checkpoints->TestPassing(s.physicsGroup->racers);
        });
}

void RenderCheckpoints()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (!s.checkpoints)
                return;
            s.checkpoints->Render();
            RaceWiringEffects::CopyCheckpointMarkers(s);
        });
}

void UpdatePickups()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.items && s.physicsGroup)
                s.items->UpdatePickups(*s.physicsGroup);
        });
}

void UpdateTeleporters()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.teleporters && s.physicsGroup)
                s.teleporters->Update(*s.physicsGroup);
        });
}

void RenderStaticObjects(int pass)
{
    WithSession(
        [pass](QV7_MapSystem& s)
        {
            if (s.staticObjects)
                s.staticObjects->Render(pass);
        });
}

void RenderBlendedStaticObjects()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.staticObjects)
                s.staticObjects->RenderBlended();
        });
}

void RenderTrees(int pass)
{
    WithSession(
        [pass](QV7_MapSystem& s)
        {
            if (s.trees)
                s.trees->Render(pass);
        });
}

void RenderMovingScenery()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.pathFollowing)
                s.pathFollowing->Render();
        });
}

void UpdatePathFollowing()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.pathFollowing)
                s.pathFollowing->Update();
        });
}

void RenderTrackItems()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.items)
                s.items->Render();
        });
}

void RenderShorelines()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.shoreLines)
                s.shoreLines->Render();
        });
}

void RenderVegetation()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.vegetation)
                s.vegetation->Render();
        });
}

void UpdateEffects()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.liveEffects)
                s.liveEffects->Update();
        });
}

void RenderEffects()
{
    WithSession(
        [](QV7_MapSystem& s)
        {
            if (s.liveEffects)
                s.liveEffects->Render();
        });
}

void PlaceWeaponEffects(QV7_Buggy& buggy)
{
    buggy.weapons.PlaceEffects();
}

// ---- pages ----

void RunPauseScreen(QV7_MapSystem& session, const char* controlId)
{
    QV7_Menu_hWnd* control = g_menuManager ? g_menuManager->FindControl(controlId, kMenuAnyType) : nullptr;
    session.RunPauseScreen(control);
}

int RunEscMenu(QV7_MapSystem& session)
{
    return session.RunEscMenu();
}

void ShowRaceResults(QV7_MapSystem& session)
{
    QV7_MapSystem::ShowRaceResults(&session);
}

void ShowTimeTrialResults(QV7_MapSystem& session)
{
    QV7_MapSystem::ShowTimeTrialResults(&session);
}

void ResetTrackItems(QV7_MapSystem& session)
{
    if (session.items)
        session.items->Reset();
}

// ---- moving scenery ----

// What the ride carries beside the player's bodies: its weapon points, the
// particles riding along and the viewed racer's chase camera.
void CarryRest(const PathCarry& carry)
{
    QV7_MapSystem* session = Session();
    if (!session)
        return;
    if (QV7_Buggy* player = session->playerRacer)
        player->weapons.TransformPointsAndNormals(carry.previousPosition, carry.position,
                                                  carry.inversePrevious, carry.rotation);
    if (session->liveEffects)
        session->liveEffects->TransformAttachedParticles(carry.previousPosition, carry.position,
                                                         carry.inversePrevious, carry.rotation);
    QV7_Buggy* viewed = Viewed(*session);
    if (QV7_DriveController* driver = viewed ? viewed->Controller() : nullptr)
        CarryCameraPoints(driver->cameraLastTarget, driver->cameraOffsetHistory, ChaseCamera::kHistory,
                          carry);
}

// ---- the console ----

bool CheckpointsDebug(int on)
{
    QV7_MapSystem* session = Session();
    if (!session || !session->checkpoints)
        return false;
    session->checkpoints->debug = on;
    QV7_AIController::s_LogRespawns = on != 0;
    return true;
}

bool CheckpointsShown(int shown)
{
    QV7_MapSystem* session = Session();
    if (!session || !session->checkpoints)
        return false;
    session->checkpoints->hidden = shown ? 0 : 1;
    return true;
}

bool StaticObjectsShown(int shown)
{
    QV7_MapSystem* session = Session();
    if (!session || !session->staticObjects)
        return false;
    session->staticObjects->m_RenderOff = shown ? 0 : 1;
    return true;
}

bool TreesShown(int shown)
{
    QV7_MapSystem* session = Session();
    if (!session || !session->trees)
        return false;
    session->trees->m_TreesOff = shown ? 0 : 1;
    return true;
}

void FreeCameraReset(QV7_Buggy& viewed)
{
    if (QV7_DriveController* driver = viewed.Controller())
        driver->cameraTarget = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

// ---- drawing ----

void DrawFigure(QV7_Buggy& buggy, const D3DXMATRIX& world, int reflection)
{
    if (reflection)
    {
        buggy.driverAnimation.DrawOnly(world);
        return;
    }
    const QV7_DriveController* driver = buggy.Controller();
    buggy.driverAnimation.UpdateAndDraw(driver ? driver->steerAngle : 0.0f, world);
}

int LookBack(const QV7_Buggy& buggy)
{
    return buggy.playerController ? buggy.playerController->lookBack : 0;
}

void InstallLoop()
{
    RaceLoopHooks& h = g_raceLoopHooks;
    h.updateCamera = &UpdateCamera;
    h.applyCamera = &ApplyCamera;
    h.testPassing = &TestPassing;
    h.updatePickups = &UpdatePickups;
    h.updateTeleporters = &UpdateTeleporters;
    h.renderStaticObjects = &RenderStaticObjects;
    h.renderBlendedStaticObjects = &RenderBlendedStaticObjects;
    h.renderCheckpoints = &RenderCheckpoints;
    h.renderMovingScenery = &RenderMovingScenery;
    h.renderTrees = &RenderTrees;
    h.renderTrackItems = &RenderTrackItems;
    h.renderShorelines = &RenderShorelines;
    h.renderVegetation = &RenderVegetation;
    h.updateEffects = &UpdateEffects;
    h.renderEffects = &RenderEffects;
    h.updatePathFollowing = &UpdatePathFollowing;
    h.placeWeaponEffects = &PlaceWeaponEffects;
    h.pointerTarget = &PointerTarget;
    h.runPauseScreen = &RunPauseScreen;
    h.runEscMenu = &RunEscMenu;
    h.showRaceResults = &ShowRaceResults;
    h.showTimeTrialResults = &ShowTimeTrialResults;
}

void InstallMenus()
{
    g_raceMenuHooks.renderFrameNoHud = &QV7_MapSystem::RenderFrameNoHud;
    g_raceMenuHooks.applyCamera = &ApplySessionCamera;
    g_raceMenuHooks.resetTrackItems = &ResetTrackItems;
    QV7_MapSystem::s_RenderFrameNoHud = &QV7_MapSystem::RenderFrameNoHud;
}

void InstallDrivers()
{
    QV7_PhysicsGroup::s_Hooks.drive = &Drive;
    QV7_PhysicsGroup::s_Hooks.updateWeapons = [](QV7_Buggy& b) { b.weapons.Update(); };
    QV7_PhysicsGroup::s_Hooks.resetWeapons = [](QV7_Buggy& b) { b.weapons.Reset(); };
    QV7_PhysicsGroup::s_Hooks.clearCurrency = [](int racer)
    {
        if (g_profiles && racer >= 0 && racer < int(std::size(g_profiles->words)))
            g_profiles->words[racer] = 0;
    };
    PlayerDriveHooks& p = QV7_PlayerController::s_Hooks;
    p.clearHitTimers = [](QV7_Buggy& b)
    { b.weapons.burnTime = b.weapons.freezeTime = b.weapons.shockTime = 0.0f; };
    p.fireRequest = [](QV7_Buggy& b, int firing) { b.weapons.fireRequest = firing; };
    p.toggleShield = [](QV7_Buggy& b) { b.weapons.shieldRequest = b.weapons.shieldRequest ? 0 : 1; };
    p.requestJammer = [](QV7_Buggy& b) { b.weapons.jammerRequest = 1; };
    p.resetCamera = [](QV7_PlayerController& driver) { driver.ResetCamera(); };
    p.respawnPoint = &RespawnPoint;
    ComputerDrivingHooks& c = QV7_AIController::s_Hooks;
    c.respawnPose = &ComputerRespawnPose;
    c.resetCamera = &ResetCamera;
    QV7_Teleporters::s_SnapCamera = &SnapCamera;
}

void InstallConsole()
{
    DebugCommandTargets& t = QV7_DebugCommands::s_Targets;
    t.checkpointsDebug = &CheckpointsDebug;
    t.checkpointsShown = &CheckpointsShown;
    t.staticObjectsShown = &StaticObjectsShown;
    t.treesShown = &TreesShown;
    t.freeCameraReset = &FreeCameraReset;
}

void BindFigures(QV7_MapSystem& session)
{
    if (!g_itemDatabase || !session.physicsGroup)
        return;
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    const int gender = profile ? profile->gender : 1;
    QV7_Collection<QV7_Buggy>& racers = session.physicsGroup->racers;
    for (int i = 0; i < racers.Count(); ++i)
        racers[i]->driverAnimation.Bind(racers[i], DriverAnimation::DriverTypeOf(i, gender),
                                        g_itemDatabase->figures);
}
} // namespace

void RaceWiring::Install()
{
    g_installed = true;
    InstallLoop();
    InstallMenus();
    InstallDrivers();
    InstallConsole();
    RaceWiringEffects::Install();
    QV7_PhysicsGroup::s_RenderHooks.drawFigure = &DrawFigure;
    DriverAnimation::s_LookBack = &LookBack;
    QV7_MapSystem::s_Hooks.sessionStart = &RaceWiring::SessionStart;
    QV7_MapSystem::s_Hooks.sessionEnd = &RaceWiring::SessionEnd;
}

bool RaceWiring::Installed()
{
    return g_installed;
}

void RaceWiring::SessionStart(QV7_MapSystem& session)
{
    BindFigures(session);
    RaceWiringEffects::SessionStart(session);
    InstallSessionPathHooks(&CarryRest);
    QV7_AIController::s_LogRespawns = session.checkpoints && session.checkpoints->debug;
    if (session.physicsGroup)
        for (QV7_Buggy* racer : session.physicsGroup->racers)
            ResetCamera(*racer);
}

void RaceWiring::SessionEnd(QV7_MapSystem& session)
{
    RaceWiringEffects::SessionEnd(session);
}
