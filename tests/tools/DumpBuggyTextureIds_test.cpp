// qv7-dump on the item database's ID lists: the IDs each reader keeps; an
// exclusion list whose count does not fit is refused with exit code 1.
#include "tests/shell/TestLog.h"
#include "tools/writers/TextureContainerWriter.h"

#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace
{
void Save(const std::string& path, std::vector<uint8_t> bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

TEST(DumpBuggyTextureIds, PrintsTheIdsEachListHolds)
{
    TempDir dir;
    std::vector<uint8_t> listed = BuildBuggyTextureIdList({5000, -1, 5000}).Bytes();
    listed.push_back(9);
    Save(dir.Path() + "Textures2.dbs", listed);
    Save(dir.Path() + "Maps_srt_ex.qvx", BuildMapTextureList({4101, 4102}).Bytes());
    const DumpRun ids = RunDump(dir.Path() + "Textures2.dbs");
    EXPECT_EQ(ids.exitCode, 0);
    EXPECT_NE(ids.out.find(R"({"ids":[5000,-1,5000],"ignoredBytes":1})"), std::string::npos) << ids.out;
    const DumpRun excluded = RunDump(dir.Path() + "Maps_srt_ex.qvx");
    EXPECT_EQ(excluded.exitCode, 0);
    EXPECT_NE(excluded.out.find(R"({"excluded":[4101,4102]})"), std::string::npos) << excluded.out;
}

TEST(DumpBuggyTextureIds, RefusesACountBeyondTheFile)
{
    TempDir dir;
    std::vector<uint8_t> cut = BuildMapTextureList({4101, 4102}).Bytes();
    cut.resize(cut.size() - 4);
    Save(dir.Path() + "Maps_srt_ex.qvx", cut);
    EXPECT_EQ(RunDump(dir.Path() + "Maps_srt_ex.qvx").exitCode, 1);
    EXPECT_EQ(RunDump(dir.Path() + "missing/Textures2.dbs").exitCode, 1);
}
} // namespace
