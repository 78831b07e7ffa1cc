// qv7-dump on Triggers.qvx: the demo file prints its substitutes, figures with
// bones and sets, and triggers with what they resolved to; a broken file is
// refused with exit code 1.
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoFigures.h"

#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
TEST(DumpTriggers, PrintsFiguresBonesSetsAndTriggers)
{
    TempDir dir;
    ASSERT_TRUE(WriteDemoFigures(dir.Path()));
    const DumpRun run = RunDump(dir.Path() + "Triggers.qvx");
    ASSERT_EQ(run.exitCode, 0);
    for (
        const char* part :
        {R"("rigid":[{"id":100,"subsets":1)",
         R"("figures":[{"id":200,"bones":["Hips","Torso","Head","ArmL","ArmR"])", R"("paletteSize":5)",
         R"("name":"BUMP_BOTS","period":0.4)",
         R"({"name":"TRIG_GRONK_BUMP/BOTS","animatedMeshId":206,"animationSet":"BUMP_BOTS","rigidMeshId":106,"figureFound":true,"setFound":true,"rigidFound":true})"})
        EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out.substr(0, 600);
}

TEST(DumpTriggers, RefusesABrokenFileWithOne)
{
    TempDir dir;
    std::ofstream(dir.Path() + "Triggers.qvx", std::ios::binary) << "\x05";
    EXPECT_EQ(RunDump(dir.Path() + "Triggers.qvx").exitCode, 1);
    EXPECT_EQ(RunDump(dir.Path() + "missing/Triggers.qvx").exitCode, 1);
}
} // namespace
