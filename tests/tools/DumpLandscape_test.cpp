// qv7-dump on Map%d.map: a map our writer made, with its shading picture and
// textures beside it, prints the loader's view and answers queries; a broken
// map ends with 1 and the loader's log line, never a crash.
#include "tools/writers/ImageWriters.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace
{
class DumpLandscapeTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ImagePixels picture;
        picture.width = picture.height = 8;
        picture.argb.assign(64, 0xFF606060u);
        const std::vector<uint8_t> png = WritePng(picture);
        FILE* file = std::fopen((dir + "MapSHD3.map").c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(png.data(), 1, png.size(), file);
        std::fclose(file);
        ASSERT_TRUE(WriteWorldTextureContainer(dir + "Textures2.qvx", {{3010, png}, {3011, png}}));
        ASSERT_TRUE(WriteMapTextureList(dir + "Map3.tex", {3010, 3011}));
    }
    TempDir temp;
    const std::string dir = temp.Path();
};

TEST_F(DumpLandscapeTest, PrintsTheMapAndAnswersQueries)
{
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    map.Height(10, 20) = 64.0f;
    map.Height(11, 20) = 64.0f;
    map.baseTextureId = 3010;
    map.detailTextureId = 3999;
    map.fog = MakeLandscapeFog(true, 0xFF8090A0u, D3DFOG_LINEAR, D3DFOG_NONE, 100.0f, 9000.0f, 1.0f, false);
    map.waterLevel = 5.5f;
    ASSERT_TRUE(WriteLandscapeMap(dir + "Map3.map", map));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map3.map 672,1280 736,1280 -5,0 junk", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.map\"", "\"map\":3", "\"heightRange\":[0,64]", "\"maxHeight\":64",
          "\"baseTexture\":{\"id\":3010,\"found\":true}", "\"detailTexture\":{\"id\":3999,\"found\":false}",
          "\"mapTextures\":2", "\"shadingPicture\":{\"loaded\":true,\"width\":8,\"height\":8}",
          "\"waterLevel\":5.5", "\"colour\":\"0xFF8090A0\"", "\"vertexMode\":3", "\"end\":9000", "\"type\":3",
          "{\"x\":672,\"z\":1280,\"height\":64,\"normal\":[-0,0.707106769,0.707106769]}",
          "{\"x\":-5,\"z\":0,\"height\":0,\"normal\":[0,1,0]}"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;
    EXPECT_NE(out.find("{\"x\":736,\"z\":1280,\"height\":32,"), std::string::npos) << out;
    EXPECT_NE(err.find("query junk is not x,z"), std::string::npos) << err;
}

TEST_F(DumpLandscapeTest, BrokenAndMissingMapsEndWithOne)
{
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    map.light.Type = D3DLIGHTTYPE(9);
    ASSERT_TRUE(WriteLandscapeMap(dir + "Map3.map", map));
    std::string out, err;
    EXPECT_EQ(RunDump(dir + "Map3.map", out, err), 1);
    EXPECT_NE(err.find("is broken: light type 9 is not a point, spot or directional light"),
              std::string::npos)
        << err;
    EXPECT_EQ(RunDump(dir + "Map4.map", out, err), 1);
    EXPECT_NE(err.find("Error: Loading Map File " + dir + "Map4.map"), std::string::npos) << err;
}
} // namespace
