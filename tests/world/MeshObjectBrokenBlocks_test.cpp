// Broken mesh object blocks: each is refused with what is wrong, the
// broken-file line and the error details, then CDException; nothing is left
// on the device and the object is left empty.
#include "MeshTestSupport.h"

#include "shell/QV7_Globals.h"
#include "tools/writers/MeshObjectWriter.h"
#include "world/MeshObject.h"
#include "world/MeshObjectReader.h"

#include <gmock/gmock.h>

#include <cstring>
#include <functional>

namespace
{
using meshtest::Log;
using ::testing::ElementsAre;

const char* const kBrokenLine =
    "Critical Problem, File Broken, Application will crash to avoid any additional problems.";

// A box of 12 faces and 24 vertices with one material.
MeshObjectBlock Box()
{
    return BuildMeshObjectBlock(MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 11));
}

std::vector<uint8_t> Bytes(const MeshObjectBlock& block)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, block);
    return writer.Bytes();
}

void Patch(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    std::memcpy(&bytes[offset], &value, 4);
}

// Where the block's later counts lie.
size_t AdjacencySizeOffset(const MeshObjectBlock& b)
{
    return MESH_BLOCK_HEADER_SIZE + b.vertices.size() * 32 + b.indices.size() * 2 + b.attributes.size() * 4;
}
size_t MaterialCountOffset(const MeshObjectBlock& b)
{
    return AdjacencySizeOffset(b) + 4 + b.adjacency.size() * 4;
}

class MeshObjectBrokenBlocksTest : public meshtest::NullDeviceFixture
{
  protected:
    void TearDown() override
    {
        object.Release();
        NullDeviceFixture::TearDown();
    }
    // Reads the bytes as the trees do; returns the exception's details.
    std::string ReadBroken(const std::vector<uint8_t>& bytes, DWORD fvf = MESH_OBJECT_FVF,
                           const MeshReaderIdentity& identity = TreesMeshReader())
    {
        BinaryReader file(bytes);
        try
        {
            ReadMeshObjectBlock(file, object, fvf, device, &textures, identity);
        }
        catch (const CDException& e)
        {
            EXPECT_EQ(object.m_Mesh, nullptr);
            EXPECT_EQ(object.m_VertexBuffer, nullptr);
            EXPECT_EQ(object.m_Adjacency, nullptr);
            EXPECT_TRUE(object.m_Vertices.empty());
            EXPECT_EQ(object.m_SubsetCount, 0u);
            return e.Details();
        }
        ADD_FAILURE() << "the block was accepted";
        return {};
    }
    MeshObject object;
};

TEST_F(MeshObjectBrokenBlocksTest, EachBrokenPartIsNamed)
{
    struct Case
    {
        const char* what;
        std::function<void(MeshObjectBlock&, std::vector<uint8_t>&)> breakIt;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"vertex format of another size", [](MeshObjectBlock&, auto& bytes) { Patch(bytes, 4, 0x102); },
         "vertex format 258 does not describe 32-byte vertices"},
        {"vertex format with unknown bits",
         [](MeshObjectBlock&, auto& bytes) { Patch(bytes, 4, 274 | 0x2000); },
         "vertex format 8466 does not describe 32-byte vertices"},
        {"face count larger than the file", [](MeshObjectBlock&, auto& bytes) { Patch(bytes, 12, 1000000); },
         "1000000 faces and 24 vertices need more than the 1148 bytes left"},
        {"face count near 2^32", [](MeshObjectBlock&, auto& bytes) { Patch(bytes, 12, 0xFFFFFFFF); },
         "4294967295 faces and 24 vertices need more than the 1148 bytes left"},
        {"vertex count beyond 16-bit indices", [](MeshObjectBlock&, auto& bytes) { Patch(bytes, 16, 65537); },
         "65537 vertices are more than 16-bit indices reach"},
        {"index beyond the vertices",
         [](MeshObjectBlock& b, auto& bytes)
         {
             b.indices[5] = 24;
             bytes = Bytes(b);
         },
         "face 1 uses vertex 24 of 24"},
        {"attribute id beyond the materials",
         [](MeshObjectBlock& b, auto& bytes)
         {
             b.attributes[3] = 1;
             bytes = Bytes(b);
         },
         "face 3 has attribute 1 of 1 materials"},
        {"adjacency of the wrong size",
         [](MeshObjectBlock& b, auto& bytes) { Patch(bytes, AdjacencySizeOffset(b), 0); },
         "0 bytes of adjacency for 12 faces"},
        {"adjacency naming a face that is not there",
         [](MeshObjectBlock& b, auto& bytes)
         {
             b.adjacency[4] = 12;
             bytes = Bytes(b);
         },
         "face 1 names face 12 of 12 as its neighbour"},
        {"material count larger than the file",
         [](MeshObjectBlock& b, auto& bytes) { Patch(bytes, MaterialCountOffset(b), 5); },
         "5 materials need more than the 108 bytes left"},
        {"no material for the faces",
         [](MeshObjectBlock& b, auto& bytes)
         {
             b.materials.clear();
             bytes = Bytes(b);
         },
         "face 0 has attribute 0 of 0 materials"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        MeshObjectBlock block = Box();
        std::vector<uint8_t> bytes = Bytes(block);
        c.breakIt(block, bytes);
        Log().clear();
        EXPECT_EQ(ReadBroken(bytes), "FILE QV7_TreeVegetation LINE 276");
        EXPECT_THAT(Log(), ElementsAre("Info: Loading Tree Mesh Object",
                                       "ERROR: Mesh System: Broken mesh object block, " + c.problem,
                                       kBrokenLine, "ERROR DETAILS: FILE QV7_TreeVegetation LINE 276"));
    }
    EXPECT_TRUE(gfx::null::Calls().empty()) << "a broken block makes nothing on the device";
}

TEST_F(MeshObjectBrokenBlocksTest, ABlockCutShortAnywhereIsRefused)
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 11);
    mesh.materials.resize(2);
    const std::vector<uint8_t> whole = Bytes(BuildMeshObjectBlock(mesh));
    for (size_t size = 0; size < whole.size(); ++size)
    {
        Log().clear();
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
        EXPECT_EQ(ReadBroken(cut), "FILE QV7_TreeVegetation LINE 276") << "cut to " << size;
        ASSERT_EQ(Log().size(), 4u) << "cut to " << size;
        EXPECT_EQ(Log()[1].rfind("ERROR: Mesh System: Broken mesh object block, ", 0), 0u);
        EXPECT_EQ(Log()[2], kBrokenLine);
    }
    EXPECT_TRUE(gfx::null::Calls().empty());
}

TEST_F(MeshObjectBrokenBlocksTest, AMeshThatCannotBeConvertedLogsTheOwnersCloneLine)
{
    const std::vector<uint8_t> bytes = Bytes(Box());
    // A format without a position: no mesh can be made in it.
    EXPECT_EQ(ReadBroken(bytes, D3DFVF_NORMAL, StaticObjectsMeshReader(4)),
              "FILE QV7_Mesh_StaticObjects LINE 262");
    EXPECT_THAT(Log(), ElementsAre("Info: Loading Static Object Mesh ID 4",
                                   "ERROR: Main Mesh System: Cloning error mesh 4",
                                   "ERROR DETAILS: FILE QV7_Mesh_StaticObjects LINE 262"));
}

TEST_F(MeshObjectBrokenBlocksTest, StaticObjectsRefuseAnUnusedMaterialOthersAcceptIt)
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 11);
    mesh.materials.resize(2);
    const std::vector<uint8_t> bytes = Bytes(BuildMeshObjectBlock(mesh));
    EXPECT_EQ(ReadBroken(bytes, MESH_OBJECT_FVF, StaticObjectsMeshReader(0)),
              "FILE QV7_Mesh_StaticObjects LINE 352");
    EXPECT_EQ(Log()[1], "ERROR: Static Objects: Mesh Groups doesn't fit AttributeTable Size");
    BinaryReader file(bytes);
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, PathFollowingMeshReader());
    EXPECT_EQ(object.m_SubsetCount, 2u);
    EXPECT_EQ(object.SubsetRange(1), nullptr);
}

TEST_F(MeshObjectBrokenBlocksTest, ABrokenBlockLeavesAReusedObjectEmpty)
{
    BinaryReader good(Bytes(Box()));
    ReadMeshObjectBlock(good, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    ASSERT_NE(object.m_Mesh, nullptr);
    std::vector<uint8_t> bytes = Bytes(Box());
    Patch(bytes, 12, 99999);
    ReadBroken(bytes);
}
} // namespace
