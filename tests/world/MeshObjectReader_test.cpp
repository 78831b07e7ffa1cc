// Mesh object blocks written by our writer and read back into the drawable
// forms: what the reader keeps, how the subsets come out sorted, the
// placement, drawing on the null device and the owners' log lines.
#include "MeshTestSupport.h"

#include "platform/gfx/Resources.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/MeshObjectWriter.h"
#include "world/LodMeshObject.h"
#include "world/MeshObject.h"
#include "world/MeshObjectReader.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

namespace
{
using meshtest::Log;
using meshtest::ReaderOf;
using ::testing::ElementsAre;

using Triangle = std::tuple<uint32_t, std::array<float, 24>>;

std::array<float, 24> Corners(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c)
{
    std::array<float, 24> corners;
    std::memcpy(&corners[0], &a, 32);
    std::memcpy(&corners[8], &b, 32);
    std::memcpy(&corners[16], &c, 32);
    return corners;
}

std::vector<Triangle> TrianglesOf(const MeshObjectDescription& mesh)
{
    std::vector<Triangle> triangles;
    for (const MeshObjectFace& f : mesh.faces)
        triangles.emplace_back(f.subset, Corners(mesh.vertices[f.a], mesh.vertices[f.b], mesh.vertices[f.c]));
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// The object's faces as its CPU copies and attribute table give them.
std::vector<Triangle> TrianglesOf(const MeshObject& object)
{
    std::vector<Triangle> triangles;
    for (const D3DXATTRIBUTERANGE& range : object.m_AttributeTable)
        for (DWORD f = range.FaceStart; f < range.FaceStart + range.FaceCount; ++f)
        {
            const uint16_t* i = &object.m_Indices[f * 3];
            EXPECT_GE(i[0], range.VertexStart);
            EXPECT_LT(std::max({i[0], i[1], i[2]}), range.VertexStart + range.VertexCount);
            triangles.emplace_back(range.AttribId, Corners(object.m_Vertices[i[0]], object.m_Vertices[i[1]],
                                                           object.m_Vertices[i[2]]));
        }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// A box whose faces alternate between two materials, with a third material
// no face uses; every word and id differs so that a mix-up shows.
MeshObjectDescription TwoToneBox()
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(1.0f, 2.0f, 3.0f), 11, 42);
    mesh.materials.resize(3);
    for (uint32_t m = 0; m < 3; ++m)
    {
        mesh.materials[m].material.Power = 10.0f + m;
        mesh.materials[m].texture0Id = 11 + m;
        mesh.materials[m].texture1Id = 21 + m;
        for (int w = 0; w < MESH_WORD_COUNT; ++w)
            mesh.materials[m].words[w] = 100 * m + w;
    }
    for (size_t f = 0; f < mesh.faces.size(); ++f)
        mesh.faces[f].subset = uint32_t(f % 2);
    return mesh;
}

class MeshObjectReaderTest : public meshtest::NullDeviceFixture
{
};

TEST_F(MeshObjectReaderTest, TwoBlocksBackToBackReadAsWritten)
{
    const MeshObjectDescription box = TwoToneBox();
    const MeshObjectDescription arrow = MakeArrowMesh(50.0f, 4.0f, 12, 7);
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, box);
    const size_t firstSize = writer.Bytes().size();
    WriteMeshObjectBlock(writer, arrow);
    EXPECT_EQ(firstSize, MeshObjectBlockSize(BuildMeshObjectBlock(box)));
    AddTexture(11);
    TextureRecord* t12 = AddTexture(12);
    AddTexture(22);

    BinaryReader file = ReaderOf(writer);
    MeshObject first;
    ReadMeshObjectBlock(file, first, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    EXPECT_EQ(file.Position(), firstSize);
    LodMeshObject second;
    ReadMeshObjectBlock(file, second, MESH_OBJECT_FVF, device, &textures, MapsSortMeshReader());
    EXPECT_TRUE(file.AtEnd());
    EXPECT_FALSE(file.Failed());

    EXPECT_EQ(first.m_Id, 42u);
    EXPECT_EQ(first.m_SubsetCount, 3u);
    EXPECT_EQ(first.m_FaceCount, 12u);
    EXPECT_EQ(first.m_VertexCount, 24u);
    EXPECT_EQ(TrianglesOf(first), TrianglesOf(box));
    for (uint32_t m = 0; m < 3; ++m)
    {
        EXPECT_EQ(first.m_Materials[m].Power, 10.0f + m);
        for (int w = 0; w < MESH_WORD_COUNT; ++w)
            EXPECT_EQ(first.Word(MeshSubsetWord(w), m), 100 * m + w) << "words stay in file order";
    }
    EXPECT_EQ(first.m_Textures[0]->m_CompileId, 11u);
    EXPECT_EQ(first.m_Textures[1], t12);
    EXPECT_EQ(first.m_Textures[2], nullptr) << "id 13 is not in the list";
    EXPECT_EQ(first.m_Textures2[1]->m_CompileId, 22u);
    EXPECT_EQ(first.m_Textures2[0], nullptr);

    EXPECT_EQ(second.m_Id, 7u);
    EXPECT_EQ(TrianglesOf(second), TrianglesOf(arrow));
    EXPECT_EQ(second.m_Textures[0], t12);
    EXPECT_NE(second.m_SystemMesh, nullptr);
    ASSERT_EQ(second.m_PoseSlots.size(), 1u);
    EXPECT_EQ(second.m_PoseSlots[0].scale, 1.0f);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&second.m_PoseSlots[0].matrix));
    EXPECT_THAT(Log(), ElementsAre("Info: Loading Tree Mesh Object",
                                   "Info: Tree Vegetation System Mesh Object: Loading Done",
                                   "Info: MapSort Mesh System: Mesh Loading Start",
                                   "Info: MapSort Mesh System: Mesh Loading Done"));
}

TEST_F(MeshObjectReaderTest, BuildsThroughTwoSystemMemoryMeshesIntoAManagedOne)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, TwoToneBox());
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    std::vector<std::string> creations;
    for (const std::string& call : gfx::null::Calls())
        if (call.rfind("Create", 0) == 0)
            creations.push_back(call.substr(0, call.find('=')));
    // The block's mesh and its clone in system memory, then the managed,
    // write-only mesh the object keeps; 24 vertices of 32 bytes, 12 faces.
    EXPECT_THAT(creations, ElementsAre("CreateVertexBuffer(768,0,274,2)", "CreateIndexBuffer(72,0,101,2)",
                                       "CreateVertexBuffer(768,0,274,2)", "CreateIndexBuffer(72,0,101,2)",
                                       "CreateVertexBuffer(768,8,274,1)", "CreateIndexBuffer(72,8,101,1)"));
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive"), 0u);
}

TEST_F(MeshObjectReaderTest, SubsetsComeOutAsOneRangePerMaterialInOrder)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, TwoToneBox());
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    ASSERT_EQ(object.m_AttributeTable.size(), 2u);
    EXPECT_EQ(object.m_AttributeTable[0].AttribId, 0u);
    EXPECT_EQ(object.m_AttributeTable[0].FaceStart, 0u);
    EXPECT_EQ(object.m_AttributeTable[0].FaceCount, 6u);
    EXPECT_EQ(object.m_AttributeTable[1].AttribId, 1u);
    EXPECT_EQ(object.m_AttributeTable[1].FaceStart, 6u);
    EXPECT_EQ(object.m_AttributeTable[1].FaceCount, 6u);
    EXPECT_EQ(object.SubsetRange(1), &object.m_AttributeTable[1]);
    EXPECT_EQ(object.SubsetRange(2), nullptr) << "material 2 is unused: no range, nothing drawn";
    // The final mesh is managed and write-only in the owner's format.
    EXPECT_EQ(object.m_Mesh->GetOptions(), DWORD(D3DXMESH_MANAGED | D3DXMESH_WRITEONLY));
    EXPECT_EQ(object.m_Mesh->GetFVF(), MESH_OBJECT_FVF);
    D3DVERTEXBUFFER_DESC desc;
    object.m_VertexBuffer->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
}

TEST_F(MeshObjectReaderTest, BoundsComeFromTheVerticesAsReadAndCompactionUpdatesTheCounts)
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(1.0f, 1.0f, 1.0f), 0);
    // A vertex no face uses: it counts for the bounds but the mesh drops it.
    mesh.vertices.push_back({{9.0f, 0.0f, 0.0f}, {0, 1, 0}, {0, 0}});
    const MeshObjectBounds bounds = ComputeMeshObjectBounds(mesh);
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, mesh);
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    EXPECT_EQ(object.m_BoxMax, D3DXVECTOR3(9.0f, 1.0f, 1.0f));
    EXPECT_EQ(object.m_BoxMin, D3DXVECTOR3(-1.0f, -1.0f, -1.0f));
    EXPECT_EQ(object.m_SphereCentre, bounds.sphereCentre);
    EXPECT_EQ(object.m_SphereRadius, bounds.sphereRadius);
    EXPECT_FLOAT_EQ(object.m_SphereCentre.x, 9.0f / 25.0f) << "the mean of all 25 positions";
    EXPECT_EQ(object.m_VertexCount, 24u);
    EXPECT_EQ(object.m_Vertices.size(), 24u);
    EXPECT_EQ(object.m_Mesh->GetNumVertices(), 24u);
    EXPECT_EQ(TrianglesOf(object), TrianglesOf(mesh));
}

TEST_F(MeshObjectReaderTest, ABlockWithoutFacesOrMaterialsDrawsNothing)
{
    MeshObjectDescription empty;
    empty.id = 5;
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, empty);
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, StaticObjectsMeshReader(3));
    EXPECT_EQ(object.m_Id, 5u);
    EXPECT_EQ(object.m_SubsetCount, 0u);
    EXPECT_EQ(object.m_Mesh, nullptr);
    EXPECT_TRUE(object.m_AttributeTable.empty());
    gfx::null::ClearCalls();
    object.Draw(device, MESH_OBJECT_FVF);
    EXPECT_TRUE(gfx::null::Calls().empty());
    EXPECT_THAT(Log(), ElementsAre("Info: Loading Static Object Mesh ID 3",
                                   "Info: Static Object Mesh System: Loading Done"));
}

TEST_F(MeshObjectReaderTest, DrawBindsBuffersThenEachUsedSubsetWithItsMaterialAndTexture)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, TwoToneBox());
    AddTexture(11);
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    device->BeginScene();
    gfx::null::ClearCalls();
    object.Draw(device, MESH_OBJECT_FVF);
    device->EndScene();
    const std::string vb = gfx::ResourceName(object.m_VertexBuffer),
                      ib = gfx::ResourceName(object.m_IndexBuffer);
    const std::string tex = gfx::ResourceName(object.m_Textures[0]->m_Texture);
    const auto& r0 = object.m_AttributeTable[0];
    const auto& r1 = object.m_AttributeTable[1];
    auto draw = [](const D3DXATTRIBUTERANGE& r)
    {
        return "DrawIndexedPrimitive(4,0," + std::to_string(r.VertexStart) + "," +
               std::to_string(r.VertexCount) + "," + std::to_string(r.FaceStart * 3) + "," +
               std::to_string(r.FaceCount) + ")";
    };
    std::vector<std::string> calls = gfx::null::Calls();
    ASSERT_EQ(calls.size(), 11u);
    EXPECT_EQ(calls[0].rfind("SetTransform(256,", 0), 0u);
    EXPECT_EQ(calls[1], "SetFVF(274)");
    EXPECT_EQ(calls[2], "SetStreamSource(0," + vb + ",0,32)");
    EXPECT_EQ(calls[3], "SetIndices(" + ib + ")");
    EXPECT_EQ(calls[4].rfind("SetMaterial(", 0), 0u);
    EXPECT_EQ(calls[5], "SetTexture(0," + tex + ")");
    EXPECT_EQ(calls[6], draw(r0));
    EXPECT_EQ(calls[8], "SetTexture(0,null)") << "texture 12 is not loaded: the subset draws untextured";
    EXPECT_EQ(calls[9], draw(r1));
}

TEST_F(MeshObjectReaderTest, ManagedMeshSurvivesADeviceReset)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, TwoToneBox());
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    ASSERT_EQ(device->Reset(&pp), D3D_OK) << "nothing of a mesh object is in the default pool";
    void* data = nullptr;
    ASSERT_EQ(object.m_VertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(std::memcmp(data, object.m_Vertices.data(), object.m_Vertices.size() * 32), 0);
    object.m_VertexBuffer->Unlock();
}

TEST_F(MeshObjectReaderTest, PlacementScalesThenRotatesThenMoves)
{
    MeshObject object;
    EXPECT_TRUE(D3DXMatrixIsIdentity(&object.m_World));
    BuildPlacementMatrix(object);
    EXPECT_TRUE(D3DXMatrixIsIdentity(&object.m_World)) << "the default placement is the identity";
    object.m_Scale = 2.0f;
    object.m_Rotation = D3DXVECTOR3(D3DX_PI / 2, 0.0f, 0.0f);
    object.m_Position = D3DXVECTOR3(10.0f, 20.0f, 30.0f);
    BuildPlacementMatrix(object);
    D3DXVECTOR3 out, x(1.0f, 0.0f, 0.0f);
    D3DXVec3TransformCoord(&out, &x, &object.m_World);
    // A yaw of pi/2 turns +x to -z about the vertical axis; scaled by 2, then moved.
    EXPECT_NEAR(out.x, 10.0f, 1e-5f);
    EXPECT_NEAR(out.y, 20.0f, 1e-5f);
    EXPECT_NEAR(out.z, 28.0f, 1e-5f);
    D3DXMATRIX expected, rotation, scaling;
    D3DXMatrixRotationYawPitchRoll(&rotation, 0.3f, -0.7f, 1.1f);
    D3DXMatrixScaling(&scaling, 0.1f, 0.1f, 0.1f);
    D3DXMatrixMultiply(&expected, &scaling, &rotation);
    LodMeshObject lod;
    lod.m_Rotation = D3DXVECTOR3(0.3f, -0.7f, 1.1f);
    BuildPlacementMatrix(lod);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR((&lod.m_World._11)[i], (&expected._11)[i], 1e-6f) << "a lod mesh starts at a tenth";
}

TEST_F(MeshObjectReaderTest, ReleaseTwiceAndListDestructionSkipNulls)
{
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, TwoToneBox());
    WriteMeshObjectBlock(writer, TwoToneBox());
    BinaryReader file = ReaderOf(writer);
    int count = 3;
    MeshObject** list = new MeshObject* [3] { new MeshObject, nullptr, new LodMeshObject };
    ReadMeshObjectBlock(file, *list[0], MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    ReadMeshObjectBlock(file, *static_cast<LodMeshObject*>(list[2]), MESH_OBJECT_FVF, device, &textures,
                        MapsSortMeshReader());
    list[0]->Release();
    list[0]->Release();
    EXPECT_EQ(list[0]->m_Mesh, nullptr);
    EXPECT_EQ(list[0]->m_VertexBuffer, nullptr);
    DestroyMeshObjectList(count, list);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(list, nullptr);
    // TearDown checks that nothing kept a reference to the device.
}

TEST_F(MeshObjectReaderTest, BlendWordReadEachRenderersWay)
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 0);
    mesh.materials.resize(4);
    for (uint32_t m = 0; m < 4; ++m)
        mesh.materials[m].words[MESH_WORD_BLEND] = m;
    for (size_t f = 0; f < mesh.faces.size(); ++f)
        mesh.faces[f].subset = uint32_t(f % 4);
    BinaryWriter writer;
    WriteMeshObjectBlock(writer, mesh);
    BinaryReader file = ReaderOf(writer);
    MeshObject object;
    ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, &textures, TreesMeshReader());
    EXPECT_EQ(object.BlendMode(0), MeshBlendMode::Opaque);
    EXPECT_EQ(object.BlendMode(1), MeshBlendMode::Blended);
    EXPECT_EQ(object.BlendMode(2), MeshBlendMode::TestedAndBlended);
    EXPECT_EQ(object.BlendMode(3), MeshBlendMode::Blended);
    EXPECT_EQ(object.AlphaBlendEnable(0), 0u);
    EXPECT_EQ(object.AlphaBlendEnable(2), 1u) << "mode 2 blends when written as a render state";
}
} // namespace
