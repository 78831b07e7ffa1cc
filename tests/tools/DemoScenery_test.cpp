// The demo islands' scenery: every piece on dry ground and off the track (the
// arch spans it), both tree kinds in every island's woods, the targets of
// island 1 and of the target lesson's island, and the ferry's path out on the water.
#include "tools/demo/DemoHeightfields.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoScenery.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
float TrackDistance(const std::vector<demo::TrackPoint>& track, const D3DXVECTOR3& p)
{
    float best = 1e30f;
    for (const demo::TrackPoint& t : track)
        best = std::fmin(best, std::hypot(t.x - p.x, t.z - p.z));
    return best;
}

TEST(DemoScenery, EveryIslandIsFurnishedBesideItsTrack)
{
    for (int number = 1; number <= demo::kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        const demo::Heightfield field = demo::DemoIslandHeightfield(number);
        const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(number, 100.0f);

        const StaticObjectsDescription objects = demo::DemoStaticObjects(number, field);
        EXPECT_GT(objects.instances.size(), 40u);
        int arches = 0, targets = 0, firstRoundTargets = 0;
        for (const StaticObjectPlacement& p : objects.instances)
        {
            const std::string& name = objects.types[size_t(p.type)].name;
            EXPECT_GT(p.position.y, demo::kIslandWaterLevel) << name;
            if (name == "arch")
            {
                ++arches;
                EXPECT_LT(TrackDistance(track, p.position), 10.0f);
            }
            else
            {
                EXPECT_GT(TrackDistance(track, p.position), demo::kDemoTrackHalfWidth + 150.0f) << name;
            }
            if (name == "target")
            {
                ++targets;
                // Powers 99 and 98 are the two classes the first timed round counts.
                firstRoundTargets += objects.types[size_t(p.type)].mesh.materials[0].material.Power < 100.0f;
            }
        }
        EXPECT_EQ(arches, 1);
        const int expected = (number == 1 ? 3 : 0) + (number == demo::kTargetLessonIsland ? 30 : 0);
        EXPECT_EQ(targets, expected);
        if (number == demo::kTargetLessonIsland)
        {
            EXPECT_GE(firstRoundTargets, 10) << "the first timed round needs ten of its two classes";
        }

        const std::vector<TreeTypeDescription> trees = demo::DemoTrees(number, field);
        ASSERT_EQ(trees.size(), 2u);
        for (const TreeTypeDescription& type : trees)
        {
            EXPECT_GT(type.trees.size(), 20u);
            for (const TreePlacement& tree : type.trees)
                EXPECT_GT(TrackDistance(track, tree.position), demo::kDemoTrackHalfWidth + 150.0f);
        }

        const std::vector<PathObjectDescription> ferry = demo::DemoMovingScenery(number, field);
        ASSERT_EQ(ferry.size(), 1u);
        for (const PathNodeRecord& node : ferry[0].nodes)
            EXPECT_LT(field.HeightAt(node.position.x, node.position.z), demo::kIslandWaterLevel - 50.0f);
    }
}
} // namespace
