// Length-prefixed strings, error details and the game's random numbers.
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"
#include "tests/shell/TestLog.h"

#include <gtest/gtest.h>

TEST(LengthPrefixedString, RoundTripsIncludingTheEmptyText)
{
    for (const char* text : {"", "Respawn", "a longer text with spaces"})
    {
        BinaryWriter out;
        WriteString(text, out);
        ASSERT_EQ(out.Bytes().size(), 4 + strlen(text) + 1);
        EXPECT_EQ(out.Bytes()[0], strlen(text) + 1);
        BinaryReader in(out.Bytes());
        char read[260];
        ReadString(read, sizeof(read), in);
        EXPECT_STREQ(read, text);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(LengthPrefixedString, BrokenFilesAreLoggedAndThrown)
{
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t destination;
    };
    const Case cases[] = {
        {"end of file", {}, 16},
        {"zero length", {0, 0, 0, 0}, 16},
        {"negative length", {0xFF, 0xFF, 0xFF, 0xFF}, 16},
        {"longer than the destination", {5, 0, 0, 0, 'a', 'b', 'c', 'd', 0}, 4},
        {"short read", {9, 0, 0, 0, 'a', 'b', 0}, 16},
        {"no terminating zero", {3, 0, 0, 0, 'a', 'b', 'c'}, 16},
    };
    for (const Case& c : cases)
    {
        ScopedTestLogger log;
        BinaryReader in(c.bytes);
        std::vector<char> destination(c.destination, 'x');
        EXPECT_THROW(ReadString(destination.data(), destination.size(), in), CDException) << c.name;
        EXPECT_EQ(destination[0], '\0') << c.name;
        const auto lines = log.Lines();
        ASSERT_EQ(lines.size(), 2u) << c.name;
        EXPECT_EQ(lines[0], "Critical Problem, File Broken, Application will crash to avoid any additional problems.");
        EXPECT_EQ(lines[1].rfind("ERROR DETAILS: FILE .\\QV7_Globals LINE ", 0), 0u) << lines[1];
    }
}

TEST(ErrorDetails, AreCutAt254Characters)
{
    ScopedTestLogger log;
    const std::string longName(400, 'm');
    const std::string details = FormatErrorDetails("FILE %s LINE %d", longName.c_str(), 7);
    EXPECT_EQ(details.size(), 254u);
    EXPECT_EQ(log.Lines().at(0), "ERROR DETAILS: " + details.substr(0, 255 - 15));
}

TEST(GameRandom, FollowsTheOriginalRuntimeSequence)
{
    GameSRand(1);
    EXPECT_EQ(GameRand(), 41);
    EXPECT_EQ(GameRand(), 18467);
    EXPECT_EQ(GameRand(), 6334);
    GameSRand(1);
    EXPECT_EQ(GameRand(), 41);
}

TEST(BinaryReader, CountsAreCheckedAgainstTheBytesLeft)
{
    BinaryWriter out;
    out.WriteInt32(1000); // claims 1000 records of 8 bytes
    out.WriteInt32(1);
    BinaryReader in(out.Bytes());
    EXPECT_EQ(in.ReadCount(8), 0);
    EXPECT_TRUE(in.Failed());
    EXPECT_EQ(in.ReadInt32(), 0); // a failed reader stays failed
}
