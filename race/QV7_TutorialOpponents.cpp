// Lesson 2's opponent: added to the race when the fight starts, taken out
// again (physics, effects and racer, each once) when the lesson restarts.
#include "race/QV7_Tutorial.h"

#include "effects/QV7_EffectsListMap.h"
#include "race/GeomTransform.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Logger.h"

#include <algorithm>

namespace
{
template <typename T> void Forget(std::vector<T>& list, T item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// The parts the tutorial built onto an added opponent (it has no configuration of its own).
std::vector<const QV7_DataBase_MeshObject*> BuiltPartItems(const QV7_Buggy& racer)
{
    std::vector<const QV7_DataBase_MeshObject*> items;
    const QV7_BuggyMeshSystem* db = QV7_Buggy::s_items ? QV7_Buggy::s_items
                                    : g_itemDatabase   ? &g_itemDatabase->meshSystem
                                                       : nullptr;
    if (!db)
        return items;
    for (const MountedPart* part : racer.parts)
        if (const QV7_DataBase_MeshObject* item = db->Item(part->item))
            items.push_back(item);
    return items;
}

void AttachComputerDriver(QV7_Buggy& racer, int racerIndex)
{
    if (QV7_Tutorial::s_Hooks.attachComputerDriver)
        QV7_Tutorial::s_Hooks.attachComputerDriver(racer, racerIndex);
    else if (QV7_MapSystem::s_Hooks.attachAIController)
        QV7_MapSystem::s_Hooks.attachAIController(racer, racerIndex);
    else
        QV7_Buggy::AttachAIController(racer, BuiltPartItems(racer));
}

void ResetNewRacer(QV7_Buggy& racer)
{
    racer.lapCounter = 1;
    racer.checkpointsPassed = 0;
    racer.distanceToNext = racer.sinceCheckpointMs = 0.0f;
    racer.currentLapTime = racer.totalTime = racer.bestLap = 0.0f;
    if (racer.playerController)
        racer.playerController->ClearGridNotices();
    if (QV7_DriveController* driver = racer.Controller())
    {
        driver->respawnRequested = 0;
        driver->driveCommand = driver->groundSpeed = driver->steerAngle = 0.0f;
        driver->health = driver->healthMax;
        driver->turbo = driver->turboMax;
        driver->energy = driver->energyMax;
    }
    for (int k = 0; k < 4; ++k)
    {
        racer.ammoFullScale[k] = racer.ammoStart[k];
        if (racer.ammo)
            racer.ammo[k] = racer.ammoFullScale[k];
    }
    racer.weapons.Reset();
}
} // namespace

void QV7_Tutorial::AddOpponent()
{
    if (session.lesson != 2 || opponentAdded || !session.group)
        return;
    QV7_PhysicsGroup& group = *session.group;
    group.AddBuggy(kOpponentIndex);
    QV7_Buggy& racer = *group.racers[group.racers.count - 1];
    const int row = group.racers.count - 1;
    AttachComputerDriver(racer, row);
    CheckpointRecord* first = FirstCheckpoint();
    if (group.racers.count >= 2 && first && !first->markers.empty())
    {
        const CheckpointMarker& pose = first->markers[0];
        racer.PlaceOnGrid(D3DXVECTOR3(pose.x, pose.y, pose.z), D3DXVECTOR3(150.0f, 50.0f, 160.0f), pose.yaw);
        racer.currentCheckpoint = first;
    }
    if (session.effects)
        session.effects->RemoveOwnerInstances(&racer, row);
    ResetNewRacer(racer);
    opponentAdded = 1;
    if (g_profiles)
        g_profiles->words[1] = 0;
}

void QV7_Tutorial::DestroyRacerPhysics(QV7_Buggy& racer)
{
    QV7_PhysicsGroup& group = *session.group;
    for (dGeomID transform : racer.geoms)
    {
        dGeomID inner = GeomTransformGetGeom(transform);
        Forget(group.geoms, transform);
        dGeomDestroy(transform);
        if (inner)
        {
            Forget(group.geoms, inner);
            dGeomDestroy(inner);
        }
    }
    racer.geoms.clear();
    for (dJointID joint : racer.joints)
        Forget(group.joints, joint);
    racer.DestroyJointGroup();
    for (dBodyID body : racer.bodies)
    {
        Forget(group.bodies, body);
        dBodyDestroy(body);
    }
    racer.bodies.clear();
}

// The racer is taken out of the group and then deleted, once; its effect
// row goes with it, the exhaust and turbo instances included.
void QV7_Tutorial::RemoveOpponents()
{
    if (session.lesson != 2 || !opponentAdded || !session.group)
        return;
    QV7_PhysicsGroup& group = *session.group;
    for (int i = group.racers.count - 1; i >= 1; --i)
    {
        QV7_Buggy* racer = group.racers[i];
        if (session.effects)
        {
            session.effects->RemoveOwnerInstances(racer, i);
            session.effects->ClearRacerRow(i);
            for (int k = session.effects->m_Instances.count - 1; k >= 0; --k)
                if (session.effects->m_Instances[k]->m_Owner == racer)
                    session.effects->DeleteInstance(session.effects->m_Instances[k]);
        }
        DestroyRacerPhysics(*racer);
        if (session.viewedBuggy && *session.viewedBuggy == racer)
            *session.viewedBuggy = session.player;
        if (group.racers.IndexOf(racer) < 0)
        {
            QV7_Logger::Log(g_logger, "ERROR: Memory Collecion Delete(T* Item) pointer unit not found.");
            continue;
        }
        delete group.racers.Remove(racer);
    }
    opponentAdded = 0;
}
