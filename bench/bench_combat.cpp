// One race frame of six computer racers fighting (all five weapons, shields
// and jammers, projectiles in flight) against the same frame with no weapon
// update, as a ratio in one run, on the hill island. The two kinds of frame
// alternate on the same race, so both see the same racers in the same places.
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "race/BuggyPhysicsDefinition.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_WaypointList.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "world/QV7_Landscape.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>

namespace
{
ComputerDrivingRace g_race;
QV7_DataBase_MeshObject g_items[7]{};

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

std::unique_ptr<BuggyPhysicsDefinition> DemoModel(int m)
{
    BinaryWriter writer;
    WritePhysicsDefinition(writer, MakeDemoBuggyModel(m).physics);
    BinaryReader file(writer.Bytes());
    auto definition = std::make_unique<BuggyPhysicsDefinition>();
    definition->Read(file);
    return definition;
}

void Aim(QV7_Buggy& racer)
{
    dVector3 nose;
    dBodyVectorToWorld(racer.ChassisBody(), -1, 0, 0, nose);
    const D3DXVECTOR3 forward{float(nose[0]), float(nose[1]), float(nose[2])};
    const dReal* p = dBodyGetPosition(racer.ChassisBody());
    const D3DXVECTOR3 at =
        D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * 200.0f + D3DXVECTOR3(0, 60, 0);
    racer.weapons.muzzleA = racer.weapons.muzzleB = at + 120.0f * forward;
    racer.weapons.fireDirection = forward;
}

void Arm(QV7_Buggy& racer, int index)
{
    static const int kTypes[7] = {ITEM_FLAMER,     ITEM_ICE_CANNON, ITEM_CHAIN_GUN, ITEM_CANNON,
                                  ITEM_TESLA_COIL, ITEM_SHIELD,     ITEM_JAMMER};
    for (int slot = 1; slot <= 7; ++slot)
    {
        g_items[slot - 1].type = kTypes[slot - 1];
        racer.equipment.Fill(slot, &g_items[slot - 1], index % 3);
    }
    for (int32_t& a : racer.ownAmmo)
        a = 100000;
    racer.ammo = racer.ownAmmo;
    QV7_Buggy::AttachAIController(racer, {});
    QV7_AIController& driver = *racer.computerController;
    driver.health = driver.healthMax = 1.0e6f;
    driver.energy = driver.energyMax = 1.0e6f;
}

void BM_CombatFrameAgainstQuietFrame(benchmark::State& state)
{
    const demo::DemoIsland island = demo::BuildDemoIsland(1);
    QV7_Landscape land;
    land.Create();
    land.m_Heights.assign(island.map.heights.begin(), island.map.heights.end());
    land.ComputeMaximumHeight();
    land.ComputeCellNormals();
    g_landscape = &land;
    QV7_WaypointList path;
    BinaryReader file(BuildWaypointFile(demo::DemoWaypoints(1, demo::DemoIslandHeightfield(1))).Bytes());
    path.Read(file, "Map1.wap");

    QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
    QV7_PhysicsGroup::s_Hooks.buildBuggy = [](QV7_PhysicsGroup&, QV7_Buggy&, int) {};
    QV7_PhysicsGroup group;
    group.CreateWorld(0);
    group.frameCounter = 100;
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1);
    const float yaw = std::atan2(track[1].x - track[0].x, track[1].z - track[0].z);
    const D3DXVECTOR3 start(track[0].x, land.GetHeight(track[0].x, track[0].z) + 40.0f, track[0].z);
    int index = 0;
    for (int model : {2, 4, 2, 3, 1, 3})
    {
        group.AddBuggy(index);
        QV7_Buggy& racer = *group.racers.items[index];
        QV7_Buggy::BuildFromDefinition(*DemoModel(model), nullptr, racer);
        racer.serial = index + 1;
        racer.checkpointsPassed = 1;
        racer.PlaceOnGrid(start, QV7_PhysicsGroup::kGridOffsets[index], yaw);
        Arm(racer, index++);
    }
    g_race = ComputerDrivingRace{};
    g_race.racers = &group.racers;
    g_race.waypoints = &path;
    QV7_PhysicsGroup::s_Hooks.drive = [](QV7_Buggy& racer)
    {
        Aim(racer);
        racer.computerController->DriveFrame(11.0f, g_race);
        racer.weapons.fireRequest = 1; // everybody fights all the time
    };
    auto fighting = [](QV7_Buggy& racer) { racer.weapons.Update(); };
    // Under way and fighting before the timing starts.
    QV7_PhysicsGroup::s_Hooks.updateWeapons = fighting;
    for (int f = 0; f < 400; ++f)
    {
        group.timeAccumulator = 0;
        group.StepFrame(11.0f);
    }
    double fight = 0, quiet = 0;
    int inFlight = 0;
    for (auto _ : state)
    {
        QV7_PhysicsGroup::s_Hooks.updateWeapons = fighting;
        double at = ThreadSeconds();
        group.timeAccumulator = 0;
        group.StepFrame(11.0f);
        fight += ThreadSeconds() - at;
        for (QV7_Buggy* racer : group.racers)
            inFlight += racer->weapons.projectiles.count;
        QV7_PhysicsGroup::s_Hooks.updateWeapons = nullptr;
        at = ThreadSeconds();
        group.timeAccumulator = 0;
        group.StepFrame(11.0f);
        quiet += ThreadSeconds() - at;
    }
    const double n = double(state.iterations());
    state.counters["fight_us"] = 1e6 * fight / n;
    state.counters["quiet_us"] = 1e6 * quiet / n;
    state.counters["fight_per_quiet"] = fight / quiet;
    state.counters["projectiles"] = double(inFlight) / n;
    QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
    g_landscape = nullptr;
}
BENCHMARK(BM_CombatFrameAgainstQuietFrame)->Unit(benchmark::kMicrosecond)->Iterations(1000);
} // namespace
