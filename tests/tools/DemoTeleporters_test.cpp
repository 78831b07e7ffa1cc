// The demo teleporters: the hill island's gate stands across its track, a
// racer driving the track passes it, and its exit lies a short way on along
// the track facing the same way; every other record is out of reach.
#include "tools/demo/DemoTeleporters.h"

#include "platform/io/BinaryReader.h"
#include "race/QV7_Teleporters.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
QV7_Teleporters Read(int number)
{
    BinaryReader file(
        BuildTeleporterFile(demo::DemoTeleporters(number, demo::DemoIslandHeightfield(number))).Bytes());
    QV7_Teleporters t;
    EXPECT_TRUE(t.Read(file, "Map.tel"));
    return t;
}

TEST(DemoTeleporters, TheHillIslandGateStandsAcrossItsTrackAndJumpsAShortWayOn)
{
    const QV7_Teleporters t = Read(1);
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1);
    const demo::Heightfield field = demo::DemoIslandHeightfield(1);
    // Driving the track a point at a time crosses the gate exactly once per lap.
    int crossedAt = -1, crossings = 0;
    for (size_t i = 0; i < track.size(); ++i)
    {
        const demo::TrackPoint& a = track[i];
        const demo::TrackPoint& b = track[(i + 1) % track.size()];
        const D3DXVECTOR3 from(a.x, field.HeightAt(a.x, a.z) + 60.0f, a.z);
        const D3DXVECTOR3 to(b.x, field.HeightAt(b.x, b.z) + 60.0f, b.z);
        if (QV7_Teleporters::CountCrossings(t.records[0], from, to) > 0)
            ++crossings, crossedAt = int(i);
    }
    EXPECT_GE(crossings, 1);
    EXPECT_LE(crossings, 3); // each movement reaches twice its length ahead
    EXPECT_NEAR(crossedAt, int(float(track.size()) * demo::kDemoGateAlong), 1);
    const D3DXVECTOR3 jump = t.records[1].position - t.records[0].position;
    const float along = std::sqrt(jump.x * jump.x + jump.z * jump.z);
    EXPECT_GT(along, 400.0f);
    EXPECT_LT(along, 1200.0f);
    // The exit faces along the track, as the gate does.
    EXPECT_LT(std::fabs(QV7_Teleporters::NormaliseYaw(t.records[1].yaw - t.records[0].yaw)), 0.5f);
    EXPECT_LT(t.records[2].position.y, -50000.0f);
    EXPECT_LT(t.records[3].position.y, -50000.0f);
}

TEST(DemoTeleporters, OtherIslandsHaveTheirGatesOutOfReach)
{
    for (int number = 2; number <= demo::kDemoIslandCount; ++number)
    {
        const QV7_Teleporters t = Read(number);
        for (const TeleportRecord& r : t.records)
            EXPECT_LT(r.position.y, -50000.0f) << number;
    }
}
} // namespace
