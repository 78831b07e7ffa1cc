// qv7-dump on Map%d.zph and Map%d.ssh: files our writers made print their
// items, cells and quads; broken or missing files end with 1.
#include "tools/writers/FadingVegetationWriter.h"
#include "tools/writers/ShoreLinesWriter.h"
#include "tools/writers/TrackItemsWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

namespace
{
class DumpTrackItemsTest : public ::testing::Test
{
  protected:
    TempDir temp;
    const std::string dir = temp.Path();
};

TEST_F(DumpTrackItemsTest, PrintsItemsAndCells)
{
    TrackItemsFile file;
    for (int k = 0; k < 10; ++k)
        file.meshes[size_t(k)] = MakeBoxMesh(D3DXVECTOR3(2, 2, 2), 0, uint32_t(40 + k));
    file.items.push_back(MakeTrackItem(0, 100.0f, 5.0f, 100.0f, 0.0f));
    file.items.push_back(MakeTrackItem(9, 200.0f, 5.0f, 100.0f, 0.5f));
    PlaceTrackItems(file);
    ASSERT_TRUE(WriteTrackItemsFile(dir + "Map3.zph", file));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map3.zph", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.zph\"", "\"map\":3", "\"count\":2", "{\"id\":49,\"vertices\":24,\"faces\":12,",
          "{\"index\":0,\"type\":0,\"position\":[100,5,100],\"yaw\":0,\"billboards\":[{\"cell\":0,"
          "\"firstVertex\":0}",
          "{\"index\":1,\"type\":9,\"position\":[200,5,100],\"yaw\":0.5,\"billboards\":[]}",
          "{\"cell\":0,\"billboards\":1,\"meshKinds\":[[],[],[],[],[],[],[],[],[1],[]]}"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    file.items[1].type = 12;
    ASSERT_TRUE(WriteTrackItemsFile(dir + "Map3.zph", file));
    EXPECT_EQ(RunDump(dir + "Map3.zph", out, err), 1);
    EXPECT_NE(err.find("an item's type is not 0 to 10"), std::string::npos) << err;
    EXPECT_EQ(RunDump(dir + "Map4.zph", out, err), 1);
}

TEST_F(DumpTrackItemsTest, PrintsShoreCells)
{
    ShoreLinesFile file;
    const auto quad = MakeShoreQuad(2100, 10, 2200, 10, 200, 0, 50, 0, 50, 0, 1);
    file.cells[1].vertices.assign(quad.begin(), quad.end());
    ASSERT_TRUE(WriteShoreLinesFile(dir + "Map2.ssh", file));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map2.ssh", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.ssh\"", "\"map\":2",
          "{\"cell\":1,\"x\":1,\"z\":0,\"quads\":1,\"firstVertex\":[2100,200,10]}", "\"quads\":1}"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_EQ(RunDump(dir + "Map9.ssh", out, err), 1);
}
TEST_F(DumpTrackItemsTest, PrintsVegetationLayers)
{
    VegetationLayerRecord grass;
    grass.name = "grass";
    grass.endDistance = 1500.0f;
    AddPlantBillboard(grass, 100, 0, 100, 5, 10, 0xFFFFFFFF, 0, 1);
    AddPlantBillboard(grass, 2100, 0, 100, 5, 10, 0xFFFFFFFF, 0, 1);
    ASSERT_TRUE(WriteFadingVegetationFile(dir + "Map1.fvf", {grass}));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map1.fvf", out, err), 0) << err;
    EXPECT_NE(out.find("{\"name\":\"grass\",\"kind\":\"billboards\",\"blend\":0,\"endDistance\":1500,"
                       "\"fadeLength\":2000,\"alphaRef\":136,\"cells\":2,\"vertices\":12}"),
              std::string::npos)
        << out;
    grass.kind = 3;
    ASSERT_TRUE(WriteFadingVegetationFile(dir + "Map1.fvf", {grass}));
    EXPECT_EQ(RunDump(dir + "Map1.fvf", out, err), 1);
}
} // namespace
