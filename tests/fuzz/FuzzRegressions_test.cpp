// Every fuzz target over its fresh seeds and over the inputs kept from its
// findings (fuzz/regressions/<target>/): under the sanitizer build a
// regression that comes back fails here, not only in a fuzzing session.
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

// Test names and failure messages show the target by its name.
void PrintTo(const FuzzTarget& target, std::ostream* out)
{
    *out << target.name;
}

namespace
{
std::vector<uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool AnyLineStartsWith(const std::string& prefix)
{
    const std::vector<std::string>& lines = FuzzLogLines();
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

class FuzzCorpus : public ::testing::TestWithParam<FuzzTarget>
{
};

// The line a target's successful load writes, where it writes one: the
// seeds must reach the loader's working path, not only its refusals.
std::string SuccessLine(const std::string& target)
{
    if (target == "menu_textures" || target == "world_textures" || target == "map_texture_list")
        return "Info: Texture Loaded Compile ID: ";
    if (target == "menu_file")
        return "Info: Menu Font Loaded ID: ";
    if (target == "music_table" || target == "sound_table" || target == "ogg_vorbis")
        return "Info: Loading Done";
    if (target == "mesh_object")
        return "Info: Tree Vegetation System Mesh Object: Loading Done";
    if (target == "maps_database")
        return "MAP Sorting ";
    if (target == "landscape_map")
        return "INFO: Landscape: Map File 1 loaded";
    if (target == "buggy_database")
        return "Info: Buggy Mesh System: Mesh Loading Done";
    if (target == "x_file")
        return "Info: x file blended into ";
    if (target == "triggers")
        return "INFO: Loading Animated X File with ";
    if (target == "track_items")
        return "INFO: Zephyrion Items Loaded";
    if (target == "shorelines")
        return "INFO: Shorelines Loading done";
    if (target == "fading_vegetation")
        return "Info: Fading Vegetation System: Loading Done";
    return {};
}

TEST_P(FuzzCorpus, SeedsLoadWithoutABrokenFileLine)
{
    const FuzzTarget& target = GetParam();
    const std::vector<FuzzSeed> seeds = FuzzSeedsFor(target.name);
    ASSERT_FALSE(seeds.empty());
    const std::string success = SuccessLine(target.name);
    bool succeeded = success.empty();
    for (const FuzzSeed& seed : seeds)
    {
        SCOPED_TRACE(seed.name);
        ASSERT_FALSE(seed.bytes.empty());
        EXPECT_EQ(target.run(seed.bytes.data(), seed.bytes.size()), 0);
        succeeded = succeeded || AnyLineStartsWith(success);
        // Our writers' files are whole: no loader calls them broken.
        for (const std::string& line : FuzzLogLines())
        {
            EXPECT_EQ(line.find("broken"), std::string::npos) << line;
            EXPECT_EQ(line.find("Broken"), std::string::npos) << line;
        }
    }
    EXPECT_TRUE(succeeded) << "no seed logged \"" << success << "\"";
}

TEST_P(FuzzCorpus, KeptRegressionInputsReplay)
{
    const FuzzTarget& target = GetParam();
    const std::filesystem::path folder = std::filesystem::path(QV7_FUZZ_REGRESSIONS) / target.name;
    if (!std::filesystem::is_directory(folder))
        return; // nothing found in this reader yet
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        if (!entry.is_regular_file() || entry.path().filename().string().starts_with("."))
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        const std::vector<uint8_t> bytes = ReadAll(entry.path());
        EXPECT_EQ(target.run(bytes.data(), bytes.size()), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AllTargets, FuzzCorpus, ::testing::ValuesIn(FuzzTargets()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info)
                         { return std::string(info.param.name); });

// The empty file and a file cut short are refused by every loader without
// a crash, each with its own clean failure.
TEST(FuzzTargets, EmptyAndCutInputsFailCleanly)
{
    for (const FuzzTarget& target : FuzzTargets())
    {
        SCOPED_TRACE(target.name);
        EXPECT_EQ(target.run(nullptr, 0), 0);
        for (const FuzzSeed& seed : FuzzSeedsFor(target.name))
            for (size_t cut : {size_t(1), size_t(5), seed.bytes.size() / 2, seed.bytes.size() - 1})
                EXPECT_EQ(target.run(seed.bytes.data(), std::min(cut, seed.bytes.size())), 0);
    }
}

} // namespace
