// qv7-dump on Profiles.dtx: every stored field of every profile; a foreign
// version, a broken or a missing file is refused with exit code 1.
#include "tests/shell/TestLog.h"
#include "tools/writers/ProfilesWriter.h"

#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
TEST(DumpProfiles, PrintsEveryField)
{
    TempDir dir;
    ASSERT_TRUE(
        BuildProfilesFile({SampleProfileEntry("Ann \"A\"", 1)}).SaveToFile(dir.Path() + "Profiles.dtx"));
    const DumpRun run = RunDump(dir.Path() + "Profiles.dtx");
    ASSERT_EQ(run.exitCode, 0);
    for (
        const char* part :
        {R"({"recordSize":1064,"profiles":[{"name":"Ann \"A\"","gender":2,"difficultyChosen":1,"difficulty":1,)",
         R"("tutorialOfferPending":0,"money":1235,"ownedItems":[4,7,5],"ownedBuggies":[{"model":10,"parts":[{"item":4,)",
         R"("visible":1},{"item":6,"mount":[0.5,-0.5,)",
         R"("currentBuggy":2,"ammunition":[1000,251,3000,40])",
         R"("tutorialUnlocked":[1,1,1,0,0],"highestModel":4,"bestTimes":[[{"date":"12-24-26 10:11:12","bestLap":61001,)",
         R"([{"date":"*","bestLap":1,"total":2,"items":3}]])",
         R"({"firstValue":8,"stats":[1000,1000,1000,996],"lastValue":4,"ownedParts":[{"item":5,)",
         R"("model":14,"parts":[{"item":4,)"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out.substr(0, 600);
}

TEST(DumpProfiles, RefusesForeignBrokenAndMissingFilesWithOne)
{
    TempDir dir;
    ASSERT_TRUE(BuildProfilesFile({ProfileEntry()}, 1065).SaveToFile(dir.Path() + "Profiles.dtx"));
    EXPECT_EQ(RunDump(dir.Path() + "Profiles.dtx").exitCode, 1);
    std::ofstream(dir.Path() + "profiles.DTX", std::ios::binary) << std::string("\x28\x04\0\0\x01\0\0\0", 8);
    EXPECT_EQ(RunDump(dir.Path() + "profiles.DTX").exitCode, 1);
    EXPECT_EQ(RunDump(dir.Path() + "missing/Profiles.dtx").exitCode, 1);
}
} // namespace
