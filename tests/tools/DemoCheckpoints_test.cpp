// The demo islands' checkpoints: a closed chain along each track, the finish
// first, every marker on the track and facing along it, far enough apart
// that leaving one never touches the one before, a start grid clear of the
// ground behind the finish, and the two marker meshes with both their
// subsets used; the whole chain is passed in order by a racer driving the track.
#include "tools/demo/DemoCheckpoints.h"

#include "platform/io/BinaryReader.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_PhysicsGroup.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace demo;

class DemoCheckpointsTest : public ::testing::TestWithParam<int>
{
  protected:
    void SetUp() override
    {
        field = DemoIslandHeightfield(GetParam());
        description = DemoCheckpoints(GetParam(), field);
        line = DemoTrackLine(GetParam());
    }
    Heightfield field;
    CheckpointFileDescription description;
    std::vector<TrackPoint> line;
};

TEST_P(DemoCheckpointsTest, AChainAlongTheTrackFacingAlongIt)
{
    const auto& checkpoints = description.checkpoints;
    ASSERT_EQ(int(checkpoints.size()), kDemoCheckpointCount);
    EXPECT_EQ(description.finish, 0);
    EXPECT_EQ(checkpoints[0].markers[0].x, line[0].x);
    for (size_t i = 0; i < checkpoints.size(); ++i)
    {
        SCOPED_TRACE(i);
        ASSERT_EQ(checkpoints[i].markers.size(), 1u);
        EXPECT_EQ(checkpoints[i].next, int32_t((i + 1) % checkpoints.size()));
        const CheckpointFileMarker& m = checkpoints[i].markers[0];
        const CheckpointFileMarker& n = checkpoints[(i + 1) % checkpoints.size()].markers[0];
        // On the ground (the finish on the highest ground of its grid).
        if (i == 0)
            EXPECT_GE(m.y, field.HeightAt(m.x, m.z));
        else
            EXPECT_FLOAT_EQ(m.y, field.HeightAt(m.x, m.z));
        EXPECT_GT(m.y, kIslandWaterLevel);
        // Racers pass it going towards the next one, roughly.
        const float dx = n.x - m.x, dz = n.z - m.z, length = std::hypot(dx, dz);
        EXPECT_GT((std::sin(m.yaw) * dx + std::cos(m.yaw) * dz) / length, 0.0f);
        // Out of reach of each other: passing one never touches its neighbours.
        EXPECT_GT(length, 2.0f * (description.passRadius + QV7_Checkpoint::kPassMargin));
    }
}

TEST_P(DemoCheckpointsTest, TheStartGridStandsClearOfTheGround)
{
    const CheckpointFileMarker& finish = description.checkpoints[0].markers[0];
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, finish.yaw + QV7_Buggy::kQuarterTurn, 0.0f, 0.0f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    for (const D3DXVECTOR3& offset : QV7_PhysicsGroup::kGridOffsets)
    {
        D3DXVECTOR3 turned;
        D3DXVec3TransformCoord(&turned, &offset, &rotation);
        const float x = finish.x + turned.x, z = finish.z + turned.z;
        EXPECT_LE(field.HeightAt(x, z), finish.y + turned.y) << offset.x << " " << offset.z;
    }
}

// A racer on the track line from the start passes every checkpoint in
// order, with no wrong one, and finishes a lap back at the finish.
TEST_P(DemoCheckpointsTest, DrivingTheTrackPassesEveryCheckpointInOrder)
{
    // The meshes need a device; the passing test does not.
    description.markerMesh.reset();
    description.finishMesh.reset();
    BinaryReader file(BuildCheckpointFile(description).Bytes());
    QV7_Checkpoint system;
    system.Read(file, "Map.chk", nullptr);
    QV7_Collection<QV7_Buggy> racers;
    QV7_Buggy& racer = *racers.Append(new QV7_Buggy());
    racer.currentCheckpoint = system.finish;
    for (size_t i = 1; i <= line.size(); ++i)
    {
        const TrackPoint& p = line[i % line.size()];
        racer.position = D3DXVECTOR3(p.x, field.HeightAt(p.x, p.z) + 30.0f, p.z);
        system.TestPassing(racers);
        ASSERT_EQ(racer.wrongCheckpoint, 0) << i;
    }
    EXPECT_EQ(racer.lapCounter, 2);
    EXPECT_EQ(racer.checkpointsPassed, kDemoCheckpointCount);
}

TEST(DemoCheckpointMeshes, TwoSubsetsEachBothUsed)
{
    for (const MeshObjectDescription& mesh : {DemoCheckpointMesh(), DemoFinishMesh()})
    {
        ASSERT_EQ(mesh.materials.size(), 2u);
        int used[2] = {0, 0};
        for (const MeshObjectFace& face : mesh.faces)
            ++used[face.subset];
        EXPECT_GT(used[0], 0);
        EXPECT_GT(used[1], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Islands, DemoCheckpointsTest, ::testing::Range(1, kDemoIslandCount + 1));
} // namespace
