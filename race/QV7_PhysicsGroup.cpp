// The physics group's world, start grid and teardown.
#include "race/QV7_PhysicsGroup.h"

#include "race/ProfileRecord.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_LandscapePhysics.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

QV7_PhysicsGroup* g_physicsGroup = nullptr;
PhysicsGroupHooks QV7_PhysicsGroup::s_Hooks;

// Grid slots in the racer's own frame: two abreast, 300 units between lines.
const D3DXVECTOR3 QV7_PhysicsGroup::kGridOffsets[kGridSlots] = {
    {150.0f, 50.0f, -160.0f}, {150.0f, 50.0f, 160.0f},  {450.0f, 50.0f, -160.0f},
    {450.0f, 50.0f, 160.0f},  {750.0f, 50.0f, -160.0f}, {750.0f, 50.0f, 160.0f}};

QV7_PhysicsGroup::QV7_PhysicsGroup()
{
    g_physicsGroup = this;
}

QV7_PhysicsGroup::~QV7_PhysicsGroup()
{
    if (g_physicsGroup == this)
        g_physicsGroup = nullptr;
    DestroyWorld();
    // The racers go last to first with the collection.
}

void QV7_PhysicsGroup::CreateWorld(int racerCount)
{
    if (world)
        return;
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    world = dWorldCreate();
    dVector3 centre = {156, 0, 156, 0};
    dVector3 extents = {156, 0, 156, 0};
    space = dQuadTreeSpaceCreate(nullptr, centre, extents, 4);
    staticSpace = dHashSpaceCreate(space);
    contactGroup = dJointGroupCreate(0);
    dWorldSetGravity(world, 0, -0.5, 0);
    dWorldSetCFM(world, 0.0001);
    dWorldSetERP(world, 0.7);
    dWorldSetQuickStepNumIterations(world, 40);
    QV7_LandscapePhysics::RegisterClass();
    geoms.push_back(QV7_LandscapePhysics::CreateGeom(space));
    const bool quickRace = s_Hooks.raceMode && s_Hooks.raceMode() == kRaceModeQuickRace;
    for (int i = 0; i < racerCount; ++i)
        AddBuggy(quickRace && i == 1 ? QuickRaceOpponentIndex(GameRand(), i) : i);
}

int QV7_PhysicsGroup::QuickRaceOpponentIndex(int randomValue, int racer)
{
    int r = int(float(randomValue) / float(GAME_RAND_MAX) * 5.0f);
    if (r < 0)
        r = racer;
    if (r > 4)
        r = 4;
    return r + 1;
}

void QV7_PhysicsGroup::AddBuggy(int index)
{
    QV7_Buggy* buggy = racers.Append(new QV7_Buggy());
    buggy->ownerGroup = this;
    buggy->indexInGroup = index;
    if (s_Hooks.buildBuggy)
        s_Hooks.buildBuggy(*this, *buggy, index);
    else
        BuildRacer(*buggy, index);
}

void QV7_PhysicsGroup::BuildRacer(QV7_Buggy& buggy, int index)
{
    if (s_Hooks.raceMode && s_Hooks.raceMode() == kRaceModeTutorial)
    {
        QV7_Buggy::BuildTutorialBuggy(buggy, s_Hooks.tutorialIndex ? s_Hooks.tutorialIndex() : 0,
                                      index > 0 ? 1 : 0);
        return;
    }
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    BuggyConfiguration* configuration = nullptr;
    if (profile && index == 0)
        configuration = profile->currentBuggy;
    else if (profile && index >= 1 && index <= PROFILE_OPPONENT_COUNT)
        configuration = &profile->opponents[index - 1].configuration;
    const QV7_DataBase_MeshObject* model =
        configuration && g_itemDatabase ? g_itemDatabase->meshSystem.Item(configuration->model) : nullptr;
    if (!model || model->type != ITEM_BUGGY_MODEL)
    {
        // Left without bodies: the racer still counts, but nothing of it moves.
        QV7_Logger::Log(g_logger, "ERROR: Physics: Racer %d has no buggy model", index);
        return;
    }
    QV7_Buggy::BuildFromConfiguration(model->physics, *configuration, buggy);
}

void QV7_PhysicsGroup::PlaceOnStartGrid()
{
    StartGridPose start;
    if (s_Hooks.findStartPose && s_Hooks.findStartPose(&start))
    {
        for (int i = 0; i < racers.count && i < kGridSlots; ++i)
        {
            racers.items[i]->PlaceOnGrid(start.position, kGridOffsets[i], start.yaw);
            racers.items[i]->currentCheckpoint = start.checkpoint;
        }
    }
    else
    {
        // A map without a finish leaves the racers where they are rather than
        // reading a checkpoint that is not there.
        QV7_Logger::Log(g_logger, "ERROR: Physics: No start checkpoint, the racers are not placed");
    }
    for (int i = 0; i < racers.count; ++i)
        ResetRaceState(*racers.items[i], i);
}

void QV7_PhysicsGroup::ResetRaceState(QV7_Buggy& buggy, int racerIndex)
{
    if (s_Hooks.removeOwnerEffects)
        s_Hooks.removeOwnerEffects(buggy);
    buggy.lapCounter = 1;
    buggy.checkpointsPassed = 0;
    buggy.distanceToNext = 0.0f;
    buggy.sinceCheckpointMs = 0.0f;
    buggy.alternativeMarker = buggy.wrongCheckpoint = 0;
    buggy.bestLap = buggy.currentLapTime = buggy.totalTime = 0.0f;
    if (buggy.controllerKind == QV7_Buggy::CONTROLLER_PLAYER && buggy.playerController)
    {
        buggy.playerController->ClearGridNotices();
        buggy.playerController->RefillBudgets();
    }
    else if (buggy.controllerKind == QV7_Buggy::CONTROLLER_COMPUTER && buggy.computerController)
    {
        buggy.computerController->ClearGridNotices();
        buggy.computerController->RefillBudgets();
    }
    for (int k = 0; k < 4; ++k)
    {
        if (buggy.ammo)
            buggy.ammo[k] = buggy.ammoStart[k];
        buggy.ammoFullScale[k] = buggy.ammoStart[k];
    }
    if (s_Hooks.resetWeapons)
        s_Hooks.resetWeapons(buggy);
    if (s_Hooks.clearCurrency)
        s_Hooks.clearCurrency(racerIndex);
}

void QV7_PhysicsGroup::DestroyWorld()
{
    if (!world)
        return; // CreateWorld never ran: nothing of ODE to give back
    // Grouped joints must go before their world, or ODE leaves them half alive.
    for (int i = 0; i < racers.count; ++i)
        racers.items[i]->DestroyJointGroup();
    joints.clear();
    for (dGeomID geom : geoms)
        dGeomDestroy(geom);
    geoms.clear();
    for (dBodyID body : bodies)
        dBodyDestroy(body);
    bodies.clear();
    dJointGroupEmpty(contactGroup);
    dJointGroupDestroy(contactGroup);
    // The scenery's space goes with its parent (ODE's clean-up mode).
    dSpaceDestroy(space);
    staticSpace = nullptr;
    dWorldDestroy(world);
    dCloseODE();
    contactGroup = nullptr;
    space = nullptr;
    world = nullptr;
}
