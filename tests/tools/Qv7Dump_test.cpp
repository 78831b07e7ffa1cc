// The dump tool's own pieces: JSON text, name matching and the exit codes of
// the binary for files it has no loader for.
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

TEST(JsonWriter, PlacesCommasAndEscapes)
{
    std::ostringstream text;
    JsonWriter out(text);
    out.BeginObject();
    out.Field("name", "a \"b\"\n");
    out.Key("list");
    out.BeginArray();
    out.Integer(1);
    out.Number(NAN);
    out.BeginObject();
    out.Field("x", 0.5);
    out.EndObject();
    out.EndArray();
    out.Field("ok", true);
    out.EndObject();
    EXPECT_EQ(text.str(), R"({"name":"a \"b\"\u000a","list":[1,null,{"x":0.5}],"ok":true})");
}

TEST(DumpKinds, NumberedNames)
{
    struct Case
    {
        const char* name;
        bool matches;
    } cases[] = {{"Map1.map", true},   {"map12.MAP", true},    {"Map-1.map", true}, {"Map.map", false},
                 {"Map1x.map", false}, {"MapSHD1.map", false}, {"Map-.map", false}, {"Map1.mapx", false}};
    for (const Case& c : cases)
        EXPECT_EQ(MatchesNumberedName(c.name, "Map", ".map"), c.matches) << c.name;
    EXPECT_EQ(NumberInName("Map-1.map", "Map"), -1);
    EXPECT_EQ(NumberInName("Map12.map", "Map"), 12);
}

TEST(DumpTool, UnknownFileAndUsageEndWithTwo)
{
    std::string tool = std::string(QV7_BIN_DIR) + "/qv7-dump";
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " nothing.known 2>/dev/null").c_str())), 2);
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " 2>/dev/null").c_str())), 2);
}
