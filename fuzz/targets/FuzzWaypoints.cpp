// Fuzz target of the computer drivers' path, Map%d.wap: the file through the
// race loader's QV7_WaypointList::Load, then the stretch test at every
// waypoint and between each and its next, links walked as a driver walks
// them, and the debug view drawn; its seeds come from our writer.
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "race/QV7_WaypointList.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/WaypointFileWriter.h"

using fuzzworld::ScratchFile;

namespace
{
D3DXVECTOR3 Between(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return D3DXVECTOR3((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
}

// What the computer controller does with a path: where a buggy is, and the
// waypoints up to four links ahead, by next and by alternative.
void Drive(const QV7_WaypointList& list)
{
    for (const WaypointRecord* w : list.m_Waypoints)
    {
        list.FindSegment(w->position);
        list.FindSegment(Between(w->position, w->next->position));
        list.FindSegment(Between(w->gate3, w->next->gate4));
        const WaypointRecord* ahead = w;
        for (int step = 0; step < 4; ++step)
            ahead = (step % 2 ? ahead->alternative : ahead->next);
        (void)ahead->speedValue;
    }
}
} // namespace

int FuzzWaypoints(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.wap", data, size);
    QV7_WaypointList list;
    try
    {
        list.Load(input.Path());
    }
    catch (const CDException&)
    {
    }
    Drive(list);
    list.m_DebugDraw = 1;
    list.DebugDraw();
    return 0;
}

std::vector<FuzzSeed> WaypointSeeds()
{
    std::vector<WaypointFileRecord> bend =
        MakeWaypointLoop({0, 300, 0, 2000, 320, 0, 4000, 350, 400, 5800, 420, 1200, 7000, 300, 2600}, 150);
    bend[2].speedFlag = 1;
    bend[2].speedValue = 60.0f;
    std::vector<WaypointFileRecord> fork = MakeWaypointLoop({0, 0, 0, 4000, 0, 0, 4000, 0, 4000}, 200);
    WaypointFileRecord branch;
    branch.x = 2000, branch.z = 2500, branch.yaw = WaypointYaw(2000, 2500, 4000, 4000);
    branch.next = branch.alternative = 2;
    fork.push_back(branch);
    fork[0].alternative = 3;
    WaypointFileRecord alone;
    alone.next = alone.alternative = 0;
    return {{"bend_loop.wap", BuildWaypointFile(bend).Bytes()},
            {"fork.wap", BuildWaypointFile(fork).Bytes()},
            {"self_linked.wap", BuildWaypointFile({alone}).Bytes()},
            {"empty.wap", BuildWaypointFile({}).Bytes()}};
}
