// The demo islands' paths: closed loops of evenly spaced waypoints lying on
// the ground of their island, above the water and on gentle slopes all the
// way round, which the game's own loader takes and whose every stretch its
// stretch test finds.
#include "tools/demo/DemoWaypoints.h"

#include "platform/io/BinaryReader.h"
#include "race/QV7_WaypointList.h"
#include "tools/demo/DemoIslands.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace demo;

// Steepest ground within about 250 units of (x, z).
float SteepestNear(const Heightfield& field, float x, float z)
{
    const int cx = int(std::lround(x / kIslandCellSize)), cz = int(std::lround(z / kIslandCellSize));
    float steepest = 0.0f;
    for (int dz = -4; dz <= 4; ++dz)
        for (int dx = -4; dx <= 4; ++dx)
            steepest = std::max(steepest, field.Slope(cx + dx, cz + dz));
    return steepest;
}

class DemoWaypointsTest : public ::testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        field = DemoIslandHeightfield(GetParam());
        waypoints = DemoWaypoints(GetParam(), field);
    }
    Heightfield field;
    std::vector<WaypointFileRecord> waypoints;
};

TEST_P(DemoWaypointsTest, AClosedLoopOfEvenlySpacedWaypoints)
{
    const size_t n = waypoints.size();
    ASSERT_GE(n, 40u);
    double length = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        const WaypointFileRecord &w = waypoints[i], &next = waypoints[(i + 1) % n];
        EXPECT_EQ(w.next, int32_t((i + 1) % n));
        EXPECT_EQ(w.alternative, w.next);
        EXPECT_EQ(w.width, kDemoTrackHalfWidth);
        const float apart = std::hypot(next.x - w.x, next.z - w.z);
        EXPECT_GT(apart, 300.0f) << i;
        EXPECT_LT(apart, 2000.0f) << i;
        EXPECT_FLOAT_EQ(w.yaw, WaypointYaw(w.x, w.z, next.x, next.z)) << i;
        length += apart;
    }
    // A lap of a few minutes' driving, on an island 65536 units across.
    EXPECT_GT(length, 60000.0);
    EXPECT_LT(length, 200000.0);
}

// Every waypoint, and the track between them, stays on dry, gentle ground.
TEST_P(DemoWaypointsTest, EveryWaypointLiesOnDryGentleGround)
{
    for (size_t i = 0; i < waypoints.size(); ++i)
    {
        const WaypointFileRecord& w = waypoints[i];
        EXPECT_EQ(w.y, field.HeightAt(w.x, w.z)) << i;
        EXPECT_GT(w.y, kIslandWaterLevel + 20.0f) << i;
        EXPECT_LT(SteepestNear(field, w.x, w.z), 0.35f) << i;
    }
    for (const TrackPoint& p : DemoTrackLine(GetParam(), 200.0f))
    {
        EXPECT_GT(field.HeightAt(p.x, p.z), kIslandWaterLevel + 20.0f) << p.x << ", " << p.z;
        EXPECT_LT(SteepestNear(field, p.x, p.z), 0.35f) << p.x << ", " << p.z;
    }
}

// Through the game's loader: a buggy anywhere on the middle of the track, on
// the ground, is on the stretch it is driving along.
TEST_P(DemoWaypointsTest, TheLoaderFindsTheStretchAllRound)
{
    BinaryReader file(BuildWaypointFile(waypoints).Bytes());
    QV7_WaypointList list;
    list.Read(file, "Map.wap");
    ASSERT_EQ(list.Count(), int(waypoints.size()));
    const size_t n = waypoints.size();
    for (size_t i = 0; i < n; ++i)
        for (float t : {0.1f, 0.5f, 0.9f})
        {
            const WaypointFileRecord &w = waypoints[i], &next = waypoints[(i + 1) % n];
            const float x = w.x + (next.x - w.x) * t, z = w.z + (next.z - w.z) * t;
            const WaypointRecord* found = list.FindSegment(D3DXVECTOR3(x, field.HeightAt(x, z) + 20.0f, z));
            EXPECT_EQ(list.IndexOf(found), int(i)) << "t " << t;
        }
}

INSTANTIATE_TEST_SUITE_P(Islands, DemoWaypointsTest, ::testing::Values(1, 2, 3));
} // namespace
