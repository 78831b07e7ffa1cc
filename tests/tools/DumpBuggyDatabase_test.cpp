// qv7-dump on DatA.dat: a sound database prints its objects, lists and
// physics definitions; a broken one is refused with exit code 1.
#include "tests/race/BuggyDatabaseTestSupport.h"
#include "tests/shell/TestLog.h"

#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
TEST(DumpBuggyDatabase, PrintsObjectsListsAndPhysics)
{
    TempDir dir;
    ASSERT_TRUE(WriteBuggyDatabase(dir.Path() + "DatA.dat", buggytest::SmallDatabase()));
    const DumpRun run = RunDump(dir.Path() + "DatA.dat");
    ASSERT_EQ(run.exitCode, 0);
    for (const char* part :
         {R"("names":[["Dune Hopper","Dune Hopper described"])", R"("models":[0,7])",
          R"("equipment":[2,1,6])", R"("extras":[5,4])", R"("level":3)", R"("rel0":1,"rel2":2)",
          R"("name":"uitlaat","position":[-700,100,50])", R"("mesh":{"id":7,"subsets":2)",
          R"("jointOrder":[{"kind":0,"index":0},{"kind":1,"index":0})"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out.substr(0, 400);
}

TEST(DumpBuggyDatabase, RefusesABrokenFileWithOne)
{
    TempDir dir;
    BuggyDatabaseDescription database = buggytest::SmallDatabase();
    database.objects[2].parent = 2;
    ASSERT_TRUE(WriteBuggyDatabase(dir.Path() + "DatA.dat", database));
    EXPECT_EQ(RunDump(dir.Path() + "DatA.dat").exitCode, 1);
    std::ofstream(dir.Path() + "data.DAT", std::ios::binary) << "\x05";
    EXPECT_EQ(RunDump(dir.Path() + "data.DAT").exitCode, 1);
    EXPECT_EQ(RunDump(dir.Path() + "missing/DatA.dat").exitCode, 1);
}
} // namespace
