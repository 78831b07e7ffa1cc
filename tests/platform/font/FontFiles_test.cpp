// Which file draws each family, and how game bytes become code points.
#include "platform/font/Cp1252.h"
#include "platform/font/FontFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
struct FamilyCase
{
    const char* family;
    int weight;
    bool italic;
    const char* file;
};

TEST(FontFiles, GameFamiliesMapToMetricCompatibleLiberationFaces)
{
    const FamilyCase cases[] = {
        {"Arial", 400, false, "LiberationSans-Regular.ttf"},
        {"arial", 700, false, "LiberationSans-Bold.ttf"},
        {"ARIAL", 400, true, "LiberationSans-Italic.ttf"},
        {"Times New Roman", 500, false, "LiberationSerif-Regular.ttf"},
        {"Times New Roman", 600, true, "LiberationSerif-BoldItalic.ttf"},
        {"Courier New", 599, false, "LiberationMono-Regular.ttf"},
        {"Courier New", 900, true, "LiberationMono-BoldItalic.ttf"},
    };
    for (const FamilyCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.family) + " " + std::to_string(c.weight) + (c.italic ? " italic" : ""));
        const std::string path = font::FindFontFile(c.family, c.weight, c.italic);
        EXPECT_EQ(path, std::string(font::kLiberationDir) + c.file);
        EXPECT_TRUE(std::filesystem::exists(path));
    }
}

TEST(FontFiles, OtherFamiliesGoThroughFontconfig)
{
    // Installed families are found by name, with the style asked for.
    const std::string serif = font::FindFontFile("Liberation Serif", 400, false);
    EXPECT_EQ(std::filesystem::path(serif).filename(), "LiberationSerif-Regular.ttf");
    const std::string monoBold = font::FindFontFile("Liberation Mono", 700, false);
    EXPECT_EQ(std::filesystem::path(monoBold).filename(), "LiberationMono-Bold.ttf");

    // An unknown family still yields a file that exists.
    for (const char* family : {"No Such Family 7", ""})
    {
        SCOPED_TRACE(family);
        EXPECT_TRUE(std::filesystem::exists(font::FindFontFile(family, 400, false)));
    }
}

TEST(Cp1252, BytesMapToUnicode)
{
    const std::pair<unsigned char, char32_t> cases[] = {
        {0x20, U' '},      {0x41, U'A'},      {0x7E, U'~'},      {0x80, U'\u20AC'},
        {0x85, U'\u2026'}, {0x92, U'\u2019'}, {0x9F, U'\u0178'}, {0x81, 0x81},
        {0x9D, 0x9D},      {0xA0, 0xA0},      {0xE9, U'\u00E9'}, {0xFF, U'\u00FF'},
    };
    for (const auto& [byte, expected] : cases)
        EXPECT_EQ(font::Cp1252ToUnicode(byte), expected) << "byte " << int(byte);
}
} // namespace
