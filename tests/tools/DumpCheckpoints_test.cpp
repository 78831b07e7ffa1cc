// qv7-dump on Map%d.chk: the demo checkpoints print with their links, finish,
// meshes and start pose; a broken file ends with 1 and the loader's line.
#include "tools/demo/DemoCheckpoints.h"
#include "tools/writers/CheckpointFileWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(DumpCheckpointsTest, PrintsTheChainTheMeshesAndTheStart)
{
    TempDir temp;
    CheckpointFileDescription d =
        MakeCheckpointLoop({{0, 10, 0, 0.5f}, {2000, 20, 0, 1.5f}, {4000, 30, 500, 2.5f}}, 250.0f);
    d.checkpoints[1].link1 = -1;
    d.finishMesh = demo::DemoFinishMesh();
    ASSERT_TRUE(WriteCheckpointFile(temp.Path() + "Map3.chk", d));
    std::string out, err;
    ASSERT_EQ(RunDump(temp.Path() + "Map3.chk", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.chk\"", "\"map\":3", "\"count\":3", "\"finish\":0", "\"passRadius\":250",
          "{\"index\":1,\"markers\":[{\"position\":[2000,20,0],\"yaw\":1.5}],\"link1\":-1,\"next\":2}",
          "\"next\":0}", "\"loaded\":true,\"subsets\":2", "\"start\":{\"position\":[0,10,0],\"yaw\":0.5}"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
}

TEST(DumpCheckpointsTest, ABrokenFileEndsWithOneAndTheLoadersLine)
{
    TempDir temp;
    CheckpointFileDescription d = MakeCheckpointLoop({{0, 0, 0, 0}, {1, 1, 1, 0}}, 100.0f);
    d.finish = -1;
    ASSERT_TRUE(WriteCheckpointFile(temp.Path() + "Map1.chk", d));
    std::string out, err;
    EXPECT_EQ(RunDump(temp.Path() + "Map1.chk", out, err), 1);
    EXPECT_NE(err.find("Checkpoints finish not existing"), std::string::npos) << err;
}
} // namespace
