// The demo-data generator: every file the program reads up to the main menu
// and the race islands' files, and the same bytes on every run.
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace
{
std::map<std::string, std::string> ReadFolder(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
        {
            std::ifstream in(entry.path(), std::ios::binary);
            files[std::filesystem::relative(entry.path(), dir).string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    return files;
}
} // namespace

TEST(DemoData, WritesEveryFileOfTheFrontEndAndTheSameBytesEachTime)
{
    TempDir first, second;
    ASSERT_TRUE(WriteDemoData(first.Path() + "Data"));
    ASSERT_TRUE(WriteDemoData(second.Path() + "Data"));
    const auto files = ReadFolder(first.Path() + "Data");
    for (const char* name :
         {"LANG.lng",    "Menu.qvx",      "Menu_c.qvx",     "Textures1.qvx", "Textures2.qvx",   "Fonts.qvx",
          "ldat1.gfx",   "ldat2.gfx",     "ldat3.gfx",      "ldat4.gfx",     "GraphicsSfx.dat", "SndSfx.dat",
          "intro.wmv",   "Map1.tex",      "Map2.tex",       "Map3.tex",      "MapSHD1.map",     "MapSHD2.map",
          "MapSHD3.map", "Map1.map",      "Map2.map",       "Map3.map",      "Maps_srt.qvx",    "Aip.dat",
          "DatA.dat",    "Textures2.dbs", "Maps_srt_ex.qvx", "Triggers.qvx", "Map1.wap", "Map2.wap", "Map3.wap",
          "Map1.chk", "Map2.chk", "Map3.chk", "Map1.tel", "Map2.tel", "Map3.tel"})
    {
        ASSERT_EQ(files.count(name), 1u) << name;
        EXPECT_FALSE(files.at(name).empty()) << name;
    }
    const auto again = ReadFolder(second.Path() + "Data");
    ASSERT_EQ(files.size(), again.size());
    for (const auto& [name, bytes] : files)
    {
        ASSERT_EQ(again.count(name), 1u) << name;
        EXPECT_TRUE(again.at(name) == bytes) << name << " differs between two runs";
    }
}
