// qv7-dump on Map%d.wap: a path our writer made prints every waypoint with its
// links and answers stretch queries (null off the track); a broken or missing
// path ends with 1 and the loader's log line, never a crash.
#include "tools/writers/WaypointFileWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace
{
class DumpWaypointsTest : public ::testing::Test
{
  protected:
    TempDir temp;
    const std::string dir = temp.Path();
};

// A road along +x: waypoint 0 to 1 is a stretch, 1 to 2 another, 2 ends it.
std::vector<WaypointFileRecord> Road()
{
    std::vector<WaypointFileRecord> road = MakeWaypointLoop({0, 0, 0, 4000, 0, 0, 8000, 0, 0}, 100);
    road[2].next = road[2].alternative = 2;
    road[2].yaw = 0.0f;
    road[0].alternative = 2;
    road[1].speedFlag = 1;
    road[1].speedValue = 42.5f;
    return road;
}

TEST_F(DumpWaypointsTest, PrintsThePathAndAnswersQueries)
{
    ASSERT_TRUE(WriteWaypointFile(dir + "Map2.wap", Road()));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map2.wap 2000,0,0 6000,10,-50 2000,0,150 1,2 junk", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.wap\"", "\"map\":2", "\"count\":3",
          "{\"index\":0,\"position\":[0,0,0],\"yaw\":-0,\"width\":100,\"next\":1,\"alternative\":2,",
          "\"next\":2,\"alternative\":2,\"speedFlag\":1,\"speedValue\":42.5,", "\"boxMin\":[-200,-200,-200]",
          "\"boxMax\":[4200,200,200]", "\"gate1\":[1,1,101]", "\"gate2\":[1,1,-99]",
          "{\"x\":2000,\"y\":0,\"z\":0,\"segment\":0}", "{\"x\":6000,\"y\":10,\"z\":-50,\"segment\":1}",
          "{\"x\":2000,\"y\":0,\"z\":150,\"segment\":null}"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_NE(err.find("query 1,2 is not x,y,z"), std::string::npos) << err;
    EXPECT_NE(err.find("query junk is not x,y,z"), std::string::npos) << err;
}

TEST_F(DumpWaypointsTest, BrokenAndMissingPathsEndWithOne)
{
    std::vector<WaypointFileRecord> road = Road();
    road[1].next = 3;
    ASSERT_TRUE(WriteWaypointFile(dir + "Map2.wap", road));
    std::string out, err;
    EXPECT_EQ(RunDump(dir + "Map2.wap 0,0,0", out, err), 1);
    EXPECT_NE(err.find("is broken: waypoint 1 links to 3 and 2 of 3"), std::string::npos) << err;
    EXPECT_EQ(out, "");
    EXPECT_EQ(RunDump(dir + "Map5.wap", out, err), 1);
    EXPECT_NE(err.find("Path Nodes File " + dir + "Map5.wap can't be opened"), std::string::npos) << err;
}
} // namespace
