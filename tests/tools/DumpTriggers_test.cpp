// qv7-dump on Triggers.qvx: the demo file prints its substitutes, figures with
// bones and sets, and triggers with what they resolved to; a broken file is
// refused with exit code 1.
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoFigures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace
{
struct ToolRun
{
    int exitCode;
    std::string out;
};

ToolRun RunDump(const std::string& file)
{
    const std::string command = std::string(QV7_BIN_DIR) + "/qv7-dump " + file + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ToolRun run{-1, {}};
    if (!pipe)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    run.exitCode = WEXITSTATUS(pclose(pipe));
    return run;
}

TEST(DumpTriggers, PrintsFiguresBonesSetsAndTriggers)
{
    TempDir dir;
    ASSERT_TRUE(WriteDemoFigures(dir.Path()));
    const ToolRun run = RunDump(dir.Path() + "Triggers.qvx");
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
