// Opening files with the bounds-checked reader: a path that cannot be read is
// a failed, empty reader, never an exception.
#include "platform/io/BinaryReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

TEST(BinaryReader, OpenFileFailsCleanlyOnWhatCannotBeRead)
{
    char pattern[] = "/tmp/qv7-reader-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    std::ofstream(dir + "/four", std::ios::binary) << "abcd";
    BinaryReader reader;
    for (const std::string& path : {dir, dir + "/missing"})
    {
        EXPECT_FALSE(reader.OpenFile(path)) << path;
        EXPECT_TRUE(reader.Failed());
        EXPECT_EQ(reader.Size(), 0u);
    }
    ASSERT_TRUE(reader.OpenFile(dir + "/four"));
    EXPECT_FALSE(reader.Failed());
    EXPECT_EQ(reader.ReadUInt8(), 'a');
    std::filesystem::remove_all(dir);
}
