// Fuzz target of an island's checkpoints, Map%d.chk: the file through the
// race loader's QV7_Checkpoint::Load, then the start pose, racers driven
// past every marker (the passing test with its links, laps and distances)
// and the markers drawn with the debug gates; its seeds come from our writer.
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_PhysicsGroup.h"
#include "shell/QV7_Globals.h"
#include "tools/demo/DemoCheckpoints.h"
#include "tools/writers/CheckpointFileWriter.h"

using fuzzworld::ScratchFile;

namespace
{
// Two racers starting at the finish visit every marker in file order, twice.
void Race(QV7_Checkpoint& system)
{
    QV7_Collection<QV7_Buggy> racers;
    StartGridPose start;
    const bool placed = system.FindStartPose(&start);
    for (int k = 0; k < 2; ++k)
        racers.Append(new QV7_Buggy())->currentCheckpoint = placed ? start.checkpoint : nullptr;
    for (int round = 0; round < 2; ++round)
        for (const CheckpointRecord* checkpoint : system.checkpoints)
            for (const CheckpointMarker& m : checkpoint->markers)
            {
                racers[round]->position = D3DXVECTOR3(m.x, m.y, m.z);
                system.TestPassing(racers);
                system.Render(16.0f);
            }
}
} // namespace

int FuzzCheckpoints(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.chk", data, size);
    QV7_Checkpoint system;
    system.debug = 1;
    try
    {
        system.Load(input.Path(), nullptr);
    }
    catch (const CDException&)
    {
    }
    Race(system);
    return 0;
}

std::vector<FuzzSeed> CheckpointSeeds()
{
    CheckpointFileDescription square = MakeCheckpointLoop(
        {{0, 0, 0, 1.57f}, {3000, 50, 0, 0}, {3000, 80, 3000, -1.57f}, {0, 20, 3000, 3.14f}}, 200.0f);
    square.checkpoints[2].markers.push_back({3400, 80, 3000, -1.57f});
    CheckpointFileDescription meshes = square;
    meshes.markerMesh = demo::DemoCheckpointMesh();
    meshes.finishMesh = demo::DemoFinishMesh();
    CheckpointFileDescription finishOnly = MakeCheckpointLoop({{0, 0, 0, 0}}, 100.0f);
    finishOnly.finishMesh = demo::DemoFinishMesh();
    return {{"square.chk", BuildCheckpointFile(square).Bytes()},
            {"square_meshes.chk", BuildCheckpointFile(meshes).Bytes()},
            {"finish_only.chk", BuildCheckpointFile(finishOnly).Bytes()}};
}
