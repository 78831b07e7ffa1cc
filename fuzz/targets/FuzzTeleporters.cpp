// Fuzz target of the teleporters, Map%d.tel: the file through the race
// loader's QV7_Teleporters::Load, then a frame's gate test over racers
// standing at and moving through every record, and the camera poses.
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "race/QV7_Teleporters.h"
#include "tools/writers/TeleporterFileWriter.h"

using fuzzworld::ScratchFile;

namespace
{
void CrossEveryGate(QV7_Teleporters& teleporters)
{
    for (TeleportRecord& r : teleporters.records)
        r.yaw = QV7_Teleporters::NormaliseYaw(r.yaw);
    for (const TeleportRecord& gate : teleporters.records)
        for (const TeleportRecord& racer : teleporters.records)
        {
            const D3DXVECTOR3 from = racer.position - D3DXVECTOR3(0.0f, -100.0f, 30.0f);
            QV7_Teleporters::CountCrossings(gate, from, racer.position + D3DXVECTOR3(0.0f, 100.0f, 0.0f));
            CameraPose pose;
            for (int mode = 0; mode < 4; ++mode)
                QV7_Teleporters::SnapPose(mode, racer.position * 0.005f, D3DXVECTOR3(1, 0, 0), &pose);
        }
}
} // namespace

int FuzzTeleporters(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.tel", data, size);
    QV7_Teleporters teleporters;
    if (teleporters.Load(input.Path()))
        CrossEveryGate(teleporters);
    return 0;
}

std::vector<FuzzSeed> TeleporterSeeds()
{
    TeleporterFileDescription gates;
    gates.records[0] = {0, 1000, 50, 2000, 0.5f};
    gates.records[1] = {0, 5000, 60, 6000, -1.0f};
    gates.records[2] = {0, -300, 70, 800, 7.0f};
    gates.records[3] = {0, 900, 80, -700, -20.0f};
    TeleporterFileDescription unused;
    for (TeleporterFileRecord& r : unused.records)
        r.y = -100000.0f;
    return {{"two_gates.tel", BuildTeleporterFile(gates).Bytes()},
            {"out_of_reach.tel", BuildTeleporterFile(unused).Bytes()},
            {"zeros.tel", BuildTeleporterFile(TeleporterFileDescription{}).Bytes()}};
}
