// D3DX style meshes on the null device: the buffers they make (with the call
// record), locks, clones across formats and pools, the attribute sort and
// compaction, the attribute table, adjacency, drawing and device reset.
#include "platform/d3dx/D3DXMesh.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "tests/platform/gfx/NullDeviceTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

// Found by argument lookup, so outside the test's own namespace.
static bool operator==(const D3DXATTRIBUTERANGE& a, const D3DXATTRIBUTERANGE& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

namespace
{
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 32 bytes

struct Vertex
{
    float x, y, z, nx, ny, nz, u, v;
};

class D3DXMeshTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        ASSERT_NO_FATAL_FAILURE(nulltest::CreateSmallDevice(d3d, device, pp));
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        for (ID3DXMesh* mesh : meshes)
            mesh->Release();
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        EXPECT_EQ(device->Release(), 0u) << "a mesh or buffer still holds the device";
        d3d->Release();
    }
    // A mesh filled with these vertices, faces and attribute ids.
    ID3DXMesh* Make(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices,
                    const std::vector<DWORD>& attributes, DWORD options = D3DXMESH_SYSTEMMEM)
    {
        ID3DXMesh* mesh = nullptr;
        EXPECT_EQ(
            D3DXCreateMeshFVF(DWORD(attributes.size()), DWORD(vertices.size()), options, kFvf, device, &mesh),
            D3D_OK);
        if (!mesh)
            return nullptr;
        meshes.push_back(mesh);
        void* data = nullptr;
        mesh->LockVertexBuffer(0, &data);
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
        mesh->UnlockVertexBuffer();
        mesh->LockIndexBuffer(0, &data);
        std::memcpy(data, indices.data(), indices.size() * 2);
        mesh->UnlockIndexBuffer();
        DWORD* ids = nullptr;
        mesh->LockAttributeBuffer(0, &ids);
        std::copy(attributes.begin(), attributes.end(), ids);
        mesh->UnlockAttributeBuffer();
        return mesh;
    }
    static std::vector<uint16_t> Indices(ID3DXMesh* mesh)
    {
        void* data = nullptr;
        mesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
        std::vector<uint16_t> out(static_cast<uint16_t*>(data),
                                  static_cast<uint16_t*>(data) + mesh->GetNumFaces() * 3);
        mesh->UnlockIndexBuffer();
        return out;
    }
    static std::vector<float> Xs(ID3DXMesh* mesh)
    {
        void* data = nullptr;
        mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
        std::vector<float> out;
        for (DWORD v = 0; v < mesh->GetNumVertices(); ++v)
            out.push_back(
                *reinterpret_cast<float*>(static_cast<uint8_t*>(data) + v * mesh->GetNumBytesPerVertex()));
        mesh->UnlockVertexBuffer();
        return out;
    }
    static std::vector<D3DXATTRIBUTERANGE> Table(ID3DXMesh* mesh)
    {
        DWORD size = 0;
        mesh->GetAttributeTable(nullptr, &size);
        std::vector<D3DXATTRIBUTERANGE> table(size);
        mesh->GetAttributeTable(table.data(), &size);
        return table;
    }
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    std::vector<ID3DXMesh*> meshes;
};

// Vertex i at x = i on a line; faces name them by index only.
std::vector<Vertex> Line(int count)
{
    std::vector<Vertex> vertices;
    for (int i = 0; i < count; ++i)
        vertices.push_back({float(i), float(i % 2), 0, 0, 1, 0, 0, 0});
    return vertices;
}

TEST_F(D3DXMeshTest, CreatesItsBuffersInThePoolTheOptionsAskFor)
{
    ID3DXMesh* mesh = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(2, 4, D3DXMESH_SYSTEMMEM, kFvf, device, &mesh), D3D_OK);
    meshes.push_back(mesh);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 32u);
    ASSERT_EQ(
        D3DXCreateMeshFVF(3, 5, D3DXMESH_MANAGED | D3DXMESH_WRITEONLY | D3DXMESH_32BIT, kFvf, device, &mesh),
        D3D_OK);
    meshes.push_back(mesh);
    EXPECT_THAT(gfx::null::Calls(),
                ElementsAre("CreateVertexBuffer(128,0,274,2)=vb2", "CreateIndexBuffer(12,0,101,2)=ib3",
                            "CreateVertexBuffer(160,8,274,1)=vb4", "CreateIndexBuffer(36,8,102,1)=ib5"));
    void* data = nullptr;
    gfx::null::ClearCalls();
    ASSERT_EQ(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), D3D_OK);
    EXPECT_EQ(mesh->LockVertexBuffer(0, &data), D3DERR_INVALIDCALL) << "one lock at a time";
    mesh->UnlockVertexBuffer();
    EXPECT_EQ(gfx::null::Calls()[0], "vb4.Lock(0,0,16)");
}

TEST_F(D3DXMeshTest, RefusesMeshesItCannotMake)
{
    struct Case
    {
        DWORD faces, vertices, options, fvf;
    } cases[] = {{0, 3, 0, kFvf}, {1, 0, 0, kFvf}, {1, 3, 0, D3DFVF_NORMAL}, {1, 65537, 0, kFvf}};
    for (const Case& c : cases)
    {
        ID3DXMesh* mesh = reinterpret_cast<ID3DXMesh*>(1);
        EXPECT_EQ(D3DXCreateMeshFVF(c.faces, c.vertices, c.options, c.fvf, device, &mesh),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(mesh, nullptr);
    }
    ID3DXMesh* big = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 65537, D3DXMESH_32BIT | D3DXMESH_SYSTEMMEM, kFvf, device, &big), D3D_OK);
    meshes.push_back(big);
}

TEST_F(D3DXMeshTest, CloneCarriesTheSharedPartsOfTheVertexAndTheSubsets)
{
    ID3DXMesh* mesh =
        Make({{1, 2, 3, 0, 1, 0, 0.25f, 0.5f}, {4, 5, 6, 0, 0, 1, 1, 1}, {7, 8, 9, 1, 0, 0, 0, 1}}, {0, 1, 2},
             {0});
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ID3DXMesh* clone = nullptr;
    const DWORD coloured = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;
    ASSERT_EQ(mesh->CloneMeshFVF(D3DXMESH_MANAGED, coloured, device, &clone), D3D_OK);
    meshes.push_back(clone);
    EXPECT_EQ(clone->GetNumBytesPerVertex(), 12u + 4u + 8u + 8u);
    void* data = nullptr;
    clone->LockVertexBuffer(D3DLOCK_READONLY, &data);
    float position[3], uv[4];
    uint32_t diffuse;
    std::memcpy(position, data, 12);
    std::memcpy(&diffuse, static_cast<uint8_t*>(data) + 12, 4);
    std::memcpy(uv, static_cast<uint8_t*>(data) + 16, 16);
    clone->UnlockVertexBuffer();
    EXPECT_THAT(position, ElementsAre(1, 2, 3));
    EXPECT_EQ(diffuse, 0xFFFFFFFFu) << "a colour the source lacks is white";
    EXPECT_THAT(uv, ElementsAre(0.25f, 0.5f, 0, 0)) << "a set the source lacks is zero";
    EXPECT_EQ(Indices(clone), Indices(mesh));
    EXPECT_THAT(Table(clone), ElementsAreArray(Table(mesh)));
    IDirect3DVertexBuffer9* buffer = nullptr;
    clone->GetVertexBuffer(&buffer);
    D3DVERTEXBUFFER_DESC desc;
    buffer->GetDesc(&desc);
    buffer->Release();
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(mesh->CloneMeshFVF(0, 0, device, &clone), D3DERR_INVALIDCALL) << "no position";
    EXPECT_EQ(clone, nullptr);
}

TEST_F(D3DXMeshTest, AttributeSortIsStableAndGivesOneRangePerId)
{
    // Five faces over seven vertices; vertex 6 is used by none.
    ID3DXMesh* mesh = Make(Line(7), {0, 1, 2, 1, 2, 3, 2, 3, 4, 3, 4, 5, 0, 4, 5}, {2, 0, 1, 0, 2});
    const DWORD adjacency[15] = {1, 2, 0xFFFFFFFF, 0, 2, 3, 1, 3, 4, 2, 4, 1, 0, 3, 2};
    DWORD adjacencyOut[15], faceRemap[5];
    ID3DXBuffer* vertexRemap = nullptr;
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, adjacency, adjacencyOut, faceRemap, &vertexRemap),
              D3D_OK);
    EXPECT_THAT(faceRemap, ElementsAre(1, 3, 2, 0, 4)) << "faces of one id keep their order";
    EXPECT_THAT(Indices(mesh), ElementsAre(1, 2, 3, 3, 4, 5, 2, 3, 4, 0, 1, 2, 0, 4, 5));
    EXPECT_THAT(Table(mesh), ElementsAre(D3DXATTRIBUTERANGE{0, 0, 2, 1, 5}, D3DXATTRIBUTERANGE{1, 2, 1, 2, 3},
                                         D3DXATTRIBUTERANGE{2, 3, 2, 0, 6}));
    // Old face 1's neighbours (0, 2, 3) are new faces 3, 2, 1.
    EXPECT_THAT(std::vector<DWORD>(adjacencyOut, adjacencyOut + 3), ElementsAre(3, 2, 1));
    EXPECT_EQ(mesh->GetNumVertices(), 7u) << "no compaction asked for";
    ASSERT_NE(vertexRemap, nullptr);
    EXPECT_EQ(vertexRemap->GetBufferSize(), 7u * 4u);
    vertexRemap->Release();
}

TEST_F(D3DXMeshTest, CompactionDropsUnusedVerticesAndTheCountsFollow)
{
    // Vertices 0 and 3 are unused.
    ID3DXMesh* mesh = Make(Line(6), {1, 2, 4, 2, 5, 4}, {1, 0});
    ASSERT_EQ(
        mesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr),
        D3D_OK);
    EXPECT_EQ(mesh->GetNumVertices(), 4u);
    EXPECT_EQ(mesh->GetNumFaces(), 2u);
    EXPECT_THAT(Xs(mesh), ElementsAre(1, 2, 4, 5));
    EXPECT_THAT(Indices(mesh), ElementsAre(1, 3, 2, 0, 1, 2));
    EXPECT_THAT(Table(mesh),
                ElementsAre(D3DXATTRIBUTERANGE{0, 0, 1, 1, 3}, D3DXATTRIBUTERANGE{1, 1, 1, 0, 3}));
    // The cache pass renumbers by first use.
    ASSERT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_VERTEXCACHE, nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_THAT(Indices(mesh), ElementsAre(0, 1, 2, 3, 0, 2));
    EXPECT_THAT(Xs(mesh), ElementsAre(2, 5, 4, 1));
}

TEST_F(D3DXMeshTest, OptimiseRefusesBadAdjacencyAndIndices)
{
    ID3DXMesh* mesh = Make(Line(3), {0, 1, 2}, {0});
    const DWORD bad[3] = {1, 0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_EQ(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, bad, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
    ID3DXMesh* broken = Make(Line(3), {0, 1, 3}, {0});
    EXPECT_EQ(broken->OptimizeInplace(D3DXMESHOPT_COMPACT, nullptr, nullptr, nullptr, nullptr),
              D3DERR_INVALIDCALL);
}

TEST_F(D3DXMeshTest, AttributeTableQueriesAndAWrittenAttributeBufferDropsIt)
{
    ID3DXMesh* mesh = Make(Line(4), {0, 1, 2, 1, 2, 3}, {1, 0});
    EXPECT_TRUE(Table(mesh).empty()) << "no table before the mesh is sorted";
    mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr);
    DWORD size = 1;
    D3DXATTRIBUTERANGE one[1];
    EXPECT_EQ(mesh->GetAttributeTable(one, &size), D3DERR_INVALIDCALL) << "too small for two entries";
    DWORD* ids = nullptr;
    mesh->LockAttributeBuffer(D3DLOCK_READONLY, &ids);
    mesh->UnlockAttributeBuffer();
    EXPECT_EQ(Table(mesh).size(), 2u);
    mesh->LockAttributeBuffer(0, &ids);
    mesh->UnlockAttributeBuffer();
    EXPECT_TRUE(Table(mesh).empty());
}

TEST_F(D3DXMeshTest, AdjacencyMatchesEdgesByPosition)
{
    // A quad split into two faces whose shared corners are separate vertices,
    // and a third face touching only a corner.
    const float corners[9][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 0}, {1, 1}, {1, 0}, {1, 1}, {2, 2}, {2, 1}};
    std::vector<Vertex> v;
    for (const auto& c : corners)
        v.push_back({c[0], c[1], 0, 0, 0, 1, 0, 0});
    ID3DXMesh* mesh = Make(v, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 0, 0});
    DWORD adjacency[9];
    ASSERT_EQ(mesh->GenerateAdjacency(0.0f, adjacency), D3D_OK);
    EXPECT_THAT(adjacency, ElementsAre(0xFFFFFFFF, 0xFFFFFFFF, 1, 0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                       0xFFFFFFFF, 0xFFFFFFFF));
    // Nearly shared corners join within epsilon only.
    v[3].x = 0.01f;
    ID3DXMesh* near = Make(v, {0, 1, 2, 3, 4, 5, 6, 7, 8}, {0, 0, 0});
    near->GenerateAdjacency(0.0f, adjacency);
    EXPECT_EQ(adjacency[2], 0xFFFFFFFFu);
    near->GenerateAdjacency(0.1f, adjacency);
    EXPECT_EQ(adjacency[2], 1u);
    EXPECT_EQ(adjacency[3], 0u);
}

TEST_F(D3DXMeshTest, DrawSubsetDrawsTheIdsRangeFromTheMeshsBuffers)
{
    ID3DXMesh* mesh = Make(Line(6), {0, 1, 2, 3, 4, 5, 1, 2, 3}, {1, 0, 1});
    mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, nullptr, nullptr, nullptr, nullptr);
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DIndexBuffer9* ib = nullptr;
    mesh->GetVertexBuffer(&vb);
    mesh->GetIndexBuffer(&ib);
    const std::string vbName = gfx::ResourceName(vb), ibName = gfx::ResourceName(ib);
    vb->Release();
    ib->Release();
    device->BeginScene();
    gfx::null::ClearCalls();
    ASSERT_EQ(mesh->DrawSubset(1), D3D_OK);
    EXPECT_EQ(mesh->DrawSubset(7), D3D_OK);
    EXPECT_THAT(gfx::null::Calls(),
                ElementsAre("SetFVF(274)", "SetStreamSource(0," + vbName + ",0,32)",
                            "SetIndices(" + ibName + ")", "DrawIndexedPrimitive(4,0,0,4,3,2)", "SetFVF(274)",
                            "SetStreamSource(0," + vbName + ",0,32)", "SetIndices(" + ibName + ")"));
    // Before a sort there is no table: each run of the id's faces is drawn.
    ID3DXMesh* unsorted = Make(Line(6), {0, 1, 2, 3, 4, 5, 1, 2, 3}, {1, 0, 1});
    gfx::null::ClearCalls();
    unsorted->DrawSubset(1);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive"), 2u);
    EXPECT_EQ(gfx::null::Calls().back(), "DrawIndexedPrimitive(4,0,0,6,6,1)");
    device->EndScene();
}

TEST_F(D3DXMeshTest, ManagedMeshesSurviveAResetAndDefaultPoolOnesBlockIt)
{
    ID3DXMesh* managed = Make(Line(3), {0, 1, 2}, {0}, D3DXMESH_MANAGED);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_THAT(Xs(managed), ElementsAre(0, 1, 2));
    ID3DXMesh* inVideoMemory = Make(Line(3), {0, 1, 2}, {0}, 0);
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL) << "a default-pool mesh must go before a reset";
    meshes.pop_back();
    inVideoMemory->Release();
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
}

TEST(FvfLayout, SizesAndPlacesEachPart)
{
    EXPECT_EQ(D3DXGetFVFVertexSize(274), 32u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), 28u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZB2 | D3DFVF_NORMAL), 32u);
    EXPECT_EQ(
        D3DXGetFVFVertexSize(D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1) | D3DFVF_TEXCOORDSIZE1(0)),
        12u + 4u + 12u);
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_NORMAL), 0u) << "no position";
    EXPECT_EQ(D3DXGetFVFVertexSize(D3DFVF_XYZ | (D3DFVF_TEX8 + 0x100)), 0u) << "more than eight sets";
}
} // namespace
