// qv7-dump on the maps database's files: the whole reading as one JSON
// object, and a refusal (exit 1) for a broken or missing file, never a crash.
#include "tests/shell/TestLog.h"
#include "tools/writers/MapsDatabaseWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace
{
DumpRun Dump(const std::string& path)
{
    return RunDump("'" + path + "'");
}

class DumpMapsDatabaseTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        MapsDatabaseFileRecord file;
        file.maps = {MakeMapRecord("Canyon", 0, 5, 3, {"Deep."}, {4003, 4103, 4203, 4300}),
                     MakeMapRecord("Lesson", 1, -7, 1)};
        ASSERT_TRUE(WriteMapsDatabase(maps, file));
        ASSERT_TRUE(WritePilotsFile(pilots, {MakePilotRecord(4500, "Rex", {"Fast."})}));
    }
    TempDir dir;
    const std::string maps = dir.Path() + "Maps_srt.qvx";
    const std::string pilots = dir.Path() + "Aip.dat";
};

TEST_F(DumpMapsDatabaseTest, PrintsMapsListsAndPilots)
{
    const DumpRun result = Dump(maps);
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(
        result.out,
        R"({"mapCount":2,"maps":[)"
        R"({"name":"Lesson","mapNumber":1,"modeClass":1,"sortNumber":-7,"textureIds":[0,0,0,0],"lines":[]},)"
        R"({"name":"Canyon","mapNumber":3,"modeClass":0,"sortNumber":5,"textureIds":[4003,4103,4203,4300],)"
        R"("lines":["Deep."]}],"lists":[["Canyon"],["Lesson"],["Canyon"],["Canyon"],[],[]],"pointerMesh":null,)"
        R"("pilotCount":1,"pilots":[{"portraitId":4500,"name":"Rex","lines":["Fast."]}]})"
        "\n");
    const DumpRun alone = Dump(pilots);
    ASSERT_EQ(alone.exitCode, 0);
    EXPECT_EQ(alone.out, R"({"pilotCount":1,"pilots":[{"portraitId":4500,"name":"Rex","lines":["Fast."]}]})"
                         "\n");
}

TEST_F(DumpMapsDatabaseTest, RefusesBrokenAndMissingFiles)
{
    std::ofstream(pilots, std::ios::binary | std::ios::trunc).write("\x02\0\0\0", 4);
    EXPECT_EQ(Dump(maps).exitCode, 1) << "a broken Aip.dat beside it";
    EXPECT_EQ(Dump(pilots).exitCode, 1);
    std::ofstream(maps, std::ios::binary | std::ios::trunc).write("\x01\0\0\0\0\0\0\0", 8);
    EXPECT_EQ(Dump(maps).exitCode, 1);
    std::filesystem::remove(maps);
    std::filesystem::remove(pilots);
    EXPECT_EQ(Dump(maps).exitCode, 1);
    EXPECT_EQ(Dump(pilots).exitCode, 1);
}
} // namespace

namespace
{
TEST_F(DumpMapsDatabaseTest, ShowsThePointerMesh)
{
    MapsDatabaseFileRecord file;
    file.maps = {MakeMapRecord("Canyon", 0, 5, 3)};
    BinaryWriter mesh;
    WriteMeshObjectBlock(mesh, MakeArrowMesh(100.0f, 20.0f, 0, 9));
    file.pointerMeshFlag = 1;
    file.pointerMesh = mesh.Bytes();
    ASSERT_TRUE(WriteMapsDatabase(maps, file));
    const DumpRun result = Dump(maps);
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find(R"("pointerMesh":{"id":9,"subsets":1,"faces":)"), std::string::npos)
        << result.out;
    file.pointerMesh.resize(file.pointerMesh.size() - 10);
    ASSERT_TRUE(WriteMapsDatabase(maps, file));
    EXPECT_EQ(Dump(maps).exitCode, 1);
}
} // namespace
