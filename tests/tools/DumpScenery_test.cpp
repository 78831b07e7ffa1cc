// qv7-dump on the scenery files: files our writers made print their types,
// placements, nodes and the number of geoms the loader made; a broken file
// ends with 1 and the loader's log line.
#include "tools/writers/SceneryFileWriters.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
class DumpSceneryTest : public ::testing::Test
{
  protected:
    void Expect(const std::string& file, std::initializer_list<const char*> expected)
    {
        std::string out, err;
        ASSERT_EQ(RunDump(dir + file, out, err), 0) << err;
        for (const char* e : expected)
            EXPECT_NE(out.find(e), std::string::npos) << e << "\n" << out;
    }
    TempDir temp;
    const std::string dir = temp.Path();
};

TEST_F(DumpSceneryTest, PrintsStaticObjectsTreesAndMovingScenery)
{
    StaticObjectsDescription objects;
    objects.types.resize(1);
    objects.types[0].mesh = MakeBoxMesh(D3DXVECTOR3(10, 10, 10), 0, 6);
    objects.types[0].name = "crate";
    objects.types[0].shapes.boxes.push_back({});
    objects.instances = {{0, {1, 2, 3}, {}, 2, 1}};
    ASSERT_TRUE(BuildStaticObjectsFile(objects).SaveToFile(dir + "Map4.sob"));
    Expect("Map4.sob", {"\"kind\":\"Map%d.sob\"", "\"map\":4", "\"name\":\"crate\"", "\"meshId\":6",
                        "\"position\":[1,2,3]", "\"changes\":\"TMS\"", "\"geoms\":1"});

    TreeTypeDescription pine;
    pine.mesh = MakeBoxMesh(D3DXVECTOR3(10, 50, 10), 0, 7);
    pine.shapes.cylinders.push_back({});
    pine.trees = {{{5, 0, 5}, 1, {4, 0, 0}}, {{50, 0, 5}, 1, {0, 0, 0}}};
    ASSERT_TRUE(BuildTreesFile({pine}).SaveToFile(dir + "MapT4.trs"));
    Expect("MapT4.trs", {"\"kind\":\"MapT%d.trs\"", "\"map\":4", "\"meshId\":7", "\"position\":[50,0,5]",
                         "\"billboardAngle\":-2.28", "\"geoms\":2"});

    PathObjectDescription ferry;
    ferry.nodes = MakePathLoop({{0, 0, 0}, {100, 0, 0}, {100, 0, 100}});
    ferry.nodes[1].flag = 1;
    ferry.mesh = MakeBoxMesh(D3DXVECTOR3(10, 10, 10), 0, 8);
    ferry.shapes.boxes.push_back({});
    ASSERT_TRUE(BuildPathFile({ferry}).SaveToFile(dir + "Map4.pf"));
    Expect("Map4.pf", {"\"kind\":\"Map%d.pf\"", "\"meshId\":8",
                       "{\"position\":[100,0,0],\"flag\":1,\"previous\":0,\"next\":2}", "\"geoms\":1"});
}

TEST_F(DumpSceneryTest, BrokenFilesEndWithOne)
{
    PathObjectDescription ferry;
    ferry.nodes = MakePathLoop({{0, 0, 0}, {100, 0, 0}});
    ferry.nodes[1].next = 7;
    ferry.mesh = MakeBoxMesh(D3DXVECTOR3(10, 10, 10), 0, 8);
    ASSERT_TRUE(BuildPathFile({ferry}).SaveToFile(dir + "Map4.pf"));
    std::string out, err;
    EXPECT_EQ(RunDump(dir + "Map4.pf", out, err), 1);
    EXPECT_NE(err.find("links to a node the path does not have"), std::string::npos) << err;
    EXPECT_EQ(RunDump(dir + "Map9.sob", out, err), 1);
    EXPECT_NE(err.find("could not be opened"), std::string::npos) << err;
}
} // namespace
