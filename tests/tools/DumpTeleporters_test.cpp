// qv7-dump on Map%d.tel: our writer's file prints its four records with their
// roles and turned yaws; a short or missing file ends with 1 and the loader's
// log line.
#include "tools/writers/TeleporterFileWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace
{
TEST(DumpTeleporters, PrintsTheRecordsAndEndsWithOneOnABrokenFile)
{
    TempDir temp;
    const std::string dir = temp.Path();
    TeleporterFileDescription d;
    d.count = 3;
    d.records[0] = {5, 1000, 50, 2000, 7.0f};
    d.records[1] = {0, 5000, 60, 6000, -1.5f};
    ASSERT_TRUE(WriteTeleporterFile(dir + "Map3.tel", d));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map3.tel", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.tel\"", "\"map\":3", "\"count\":3",
          "{\"index\":0,\"role\":\"entry\",\"position\":[1000,50,2000],\"yaw\":7,\"gateYaw\":0.71681",
          "\"unused\":5}", "{\"index\":1,\"role\":\"exit\",\"position\":[5000,60,6000],\"yaw\":-1.5,"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    std::ofstream(dir + "Map4.tel", std::ios::binary) << "short";
    EXPECT_EQ(RunDump(dir + "Map4.tel", out, err), 1);
    EXPECT_NE(err.find("is broken: 5 bytes, 84 needed"), std::string::npos) << err;
    EXPECT_EQ(RunDump(dir + "Map5.tel", out, err), 1);
    EXPECT_NE(err.find("Teleporters File " + dir + "Map5.tel can't be opened"), std::string::npos) << err;
}
} // namespace
