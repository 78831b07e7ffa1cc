// Turning a mesh object block into a drawable mesh. The whole block is read
// and checked first, so a broken file allocates nothing on the device; the
// mesh is then built as the game always has: a temporary mesh in the block's
// format, a system-memory clone in the owner's, two in-place optimisations
// (attribute sort; then compaction, sort and vertex-cache order) with the
// stored adjacency, the CPU copies taken back from the optimised mesh, and
// a final managed, write-only clone whose buffers the object keeps.
#include "world/MeshObjectReader.h"

#include "engine/QV7_TextureList.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/LodMeshObject.h"
#include "world/MeshObject.h"
#include "world/MeshObjectBlock.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{
struct MeshReleaser
{
    void operator()(ID3DXMesh* mesh) const { mesh->Release(); }
};
using MeshHandle = std::unique_ptr<ID3DXMesh, MeshReleaser>;

std::string Formatted(const char* format, int value)
{
    char text[160];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

[[noreturn]] void RefuseBlock(const MeshReaderIdentity& identity, const std::string& problem)
{
    QV7_Logger::Log(g_logger, "ERROR: Mesh System: Broken mesh object block, %s", problem.c_str());
    ThrowBrokenString(identity.source.c_str(), identity.line);
}

[[noreturn]] void RefuseMesh(const MeshReaderIdentity& identity)
{
    QV7_Logger::Log(g_logger, "%s", identity.cloneLine.c_str());
    ThrowDataError(identity.source.c_str(), identity.line);
}

void Check(HRESULT result, const MeshReaderIdentity& identity)
{
    if (FAILED(result))
        RefuseMesh(identity);
}

// Mesh A: the block as it is, in its own format.
MeshHandle CreateBlockMesh(const MeshObjectBlock& block, IDirect3DDevice9* device,
                           const MeshReaderIdentity& identity)
{
    ID3DXMesh* created = nullptr;
    Check(D3DXCreateMeshFVF(block.FaceCount(), block.VertexCount(), D3DXMESH_SYSTEMMEM, block.fvf, device,
                            &created),
          identity);
    MeshHandle mesh(created);
    void* data = nullptr;
    Check(mesh->LockVertexBuffer(0, &data), identity);
    std::memcpy(data, block.vertices.data(), block.vertices.size() * MESH_VERTEX_SIZE);
    mesh->UnlockVertexBuffer();
    Check(mesh->LockIndexBuffer(0, &data), identity);
    std::memcpy(data, block.indices.data(), block.indices.size() * sizeof(uint16_t));
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    Check(mesh->LockAttributeBuffer(0, &attributes), identity);
    std::memcpy(attributes, block.attributes.data(), block.attributes.size() * sizeof(uint32_t));
    mesh->UnlockAttributeBuffer();
    return mesh;
}

MeshHandle Clone(ID3DXMesh* source, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                 const MeshReaderIdentity& identity)
{
    ID3DXMesh* clone = nullptr;
    Check(source->CloneMeshFVF(options, fvf, device, &clone), identity);
    return MeshHandle(clone);
}

void ComputeBounds(MeshObject& object)
{
    if (object.m_Vertices.empty())
        return;
    const auto* first = reinterpret_cast<const D3DXVECTOR3*>(object.m_Vertices[0].position);
    const DWORD count = DWORD(object.m_Vertices.size());
    D3DXComputeBoundingSphere(first, count, MESH_VERTEX_SIZE, &object.m_SphereCentre, &object.m_SphereRadius);
    D3DXComputeBoundingBox(first, count, MESH_VERTEX_SIZE, &object.m_BoxMin, &object.m_BoxMax);
}

void KeepAdjacency(MeshObject& object, const MeshObjectBlock& block, const MeshReaderIdentity& identity)
{
    Check(D3DXCreateBuffer(DWORD(block.adjacency.size() * sizeof(uint32_t)), &object.m_Adjacency), identity);
    if (!block.adjacency.empty())
        std::memcpy(object.m_Adjacency->GetBufferPointer(), block.adjacency.data(),
                    block.adjacency.size() * sizeof(uint32_t));
}

// The CPU copies follow the optimised mesh, with its own counts: compaction
// may have dropped vertices no face used.
void CopyBack(MeshObject& object, ID3DXMesh* mesh, DWORD ownerFvf, const MeshReaderIdentity& identity)
{
    object.m_VertexCount = mesh->GetNumVertices();
    object.m_FaceCount = mesh->GetNumFaces();
    object.m_Vertices.assign(object.m_VertexCount, MeshVertex{});
    object.m_Indices.assign(size_t(object.m_FaceCount) * 3, 0);
    void* data = nullptr;
    Check(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data), identity);
    d3dx::ConvertVertices(d3dx::DescribeFvf(ownerFvf), static_cast<const uint8_t*>(data),
                          d3dx::DescribeFvf(MESH_OBJECT_FVF),
                          reinterpret_cast<uint8_t*>(object.m_Vertices.data()), object.m_VertexCount);
    mesh->UnlockVertexBuffer();
    Check(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data), identity);
    std::memcpy(object.m_Indices.data(), data, object.m_Indices.size() * sizeof(uint16_t));
    mesh->UnlockIndexBuffer();
}

void KeepMaterials(MeshObject& object, const MeshObjectBlock& block, const QV7_TextureList* textures)
{
    object.m_SubsetCount = uint32_t(block.materials.size());
    for (const MeshMaterialRecord& record : block.materials)
    {
        object.m_Materials.push_back(record.material);
        object.m_Textures.push_back(textures ? textures->FindByCompileId(record.texture0Id) : nullptr);
        object.m_Textures2.push_back(textures ? textures->FindByCompileId(record.texture1Id) : nullptr);
        for (int word = 0; word < MESH_WORD_COUNT; ++word)
            object.m_SubsetWords[word].push_back(record.words[word]);
    }
}

void KeepFinalMesh(MeshObject& object, MeshHandle mesh, const MeshReaderIdentity& identity)
{
    DWORD entries = 0;
    Check(mesh->GetAttributeTable(nullptr, &entries), identity);
    object.m_AttributeTable.resize(entries);
    Check(mesh->GetAttributeTable(object.m_AttributeTable.data(), &entries), identity);
    Check(mesh->GetIndexBuffer(&object.m_IndexBuffer), identity);
    Check(mesh->GetVertexBuffer(&object.m_VertexBuffer), identity);
    object.m_Mesh = mesh.release();
}

void CheckEverySubsetUsed(const MeshObject& object, const MeshReaderIdentity& identity)
{
    if (!identity.requireEverySubsetUsed || object.m_AttributeTable.size() == object.m_SubsetCount)
        return;
    QV7_Logger::Log(g_logger, "ERROR: Static Objects: Mesh Groups doesn't fit AttributeTable Size");
    ThrowDataError(identity.source.c_str(), identity.subsetMismatchLine);
}

// Everything but the pose slots; returns the system-memory mesh (null for a
// block without faces, which makes no mesh and draws nothing).
MeshHandle Build(BinaryReader& file, MeshObject& object, DWORD ownerFvf, IDirect3DDevice9* device,
                 const QV7_TextureList* textures, const MeshReaderIdentity& identity)
{
    object.Release();
    MeshObjectBlock block;
    const std::string problem = ParseMeshObjectBlock(file, block);
    if (!problem.empty())
        RefuseBlock(identity, problem);
    object.m_Id = identity.overrideId ? identity.id : block.id;
    object.m_Vertices = block.vertices;
    object.m_Indices = block.indices;
    object.m_FaceCount = block.FaceCount();
    object.m_VertexCount = block.VertexCount();
    ComputeBounds(object);
    KeepAdjacency(object, block, identity);
    KeepMaterials(object, block, textures);
    MeshHandle systemMesh;
    if (block.FaceCount() > 0)
    {
        MeshHandle blockMesh = CreateBlockMesh(block, device, identity);
        systemMesh = Clone(blockMesh.get(), D3DXMESH_SYSTEMMEM, ownerFvf, device, identity);
        const auto* adjacency = static_cast<const DWORD*>(object.m_Adjacency->GetBufferPointer());
        Check(systemMesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, adjacency, nullptr, nullptr, nullptr),
              identity);
        Check(
            systemMesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE,
                                        adjacency, nullptr, nullptr, nullptr),
            identity);
        CopyBack(object, systemMesh.get(), ownerFvf, identity);
        KeepFinalMesh(
            object,
            Clone(systemMesh.get(), D3DXMESH_MANAGED | D3DXMESH_WRITEONLY, ownerFvf, device, identity),
            identity);
    }
    CheckEverySubsetUsed(object, identity);
    BuildPlacementMatrix(object);
    return systemMesh;
}

template <class Object>
MeshHandle ReadGuarded(BinaryReader& file, Object& object, DWORD ownerFvf, IDirect3DDevice9* device,
                       const QV7_TextureList* textures, const MeshReaderIdentity& identity)
{
    QV7_Logger::Log(g_logger, "%s", identity.startLine.c_str());
    try
    {
        MeshHandle systemMesh = Build(file, object, ownerFvf, device, textures, identity);
        return systemMesh;
    }
    catch (...)
    {
        object.Release();
        throw;
    }
}

void LogDone(const MeshReaderIdentity& identity)
{
    if (!identity.doneLine.empty())
        QV7_Logger::Log(g_logger, "%s", identity.doneLine.c_str());
}
} // namespace

MeshReaderIdentity StaticObjectsMeshReader(int meshIndex)
{
    MeshReaderIdentity identity{Formatted("Info: Loading Static Object Mesh ID %d", meshIndex),
                                Formatted("ERROR: Main Mesh System: Cloning error mesh %d", meshIndex),
                                "QV7_Mesh_StaticObjects", 262,
                                "Info: Static Object Mesh System: Loading Done"};
    identity.requireEverySubsetUsed = true;
    identity.subsetMismatchLine = 352;
    return identity;
}

MeshReaderIdentity TreesMeshReader()
{
    return {"Info: Loading Tree Mesh Object", "ERROR: Mesh System: Cloning error mesh", "QV7_TreeVegetation",
            276, "Info: Tree Vegetation System Mesh Object: Loading Done"};
}

MeshReaderIdentity PathFollowingMeshReader()
{
    return {"Info: Loading Path Following Mesh Object", "ERROR: Mesh System: Cloning error mesh",
            "QV7_PathFollowing", 287, "Info: Path Following System Mesh Object: Loading Done"};
}

MeshReaderIdentity MapsSortMeshReader()
{
    return {"Info: MapSort Mesh System: Mesh Loading Start", "ERROR: Buggy Mesh System: Cloning error mesh",
            "QV7_MapsSort", 341, "Info: MapSort Mesh System: Mesh Loading Done"};
}

MeshReaderIdentity ZephyrionItemsMeshReader(int meshIndex)
{
    return {Formatted("Info: Loading Zephyrion items Object Mesh ID %d", meshIndex),
            Formatted("ERROR: Main Mesh System: Cloning error mesh %d", meshIndex), "QV7_ZephyrionItems", 253,
            "Info: Zephyrion items Object Mesh System: Loading Done"};
}

MeshReaderIdentity LodObjectsMeshReader(uint32_t id)
{
    MeshReaderIdentity identity{"Info: Triggers: Mesh Loading Start",
                                "ERROR: Buggy Mesh System: Cloning error mesh", "QV7_LodObjects", 167,
                                "Info: Triggers: Mesh Loading Done"};
    identity.overrideId = true;
    identity.id = id;
    return identity;
}

void ReadMeshObjectBlock(BinaryReader& file, MeshObject& object, DWORD ownerFvf, IDirect3DDevice9* device,
                         const QV7_TextureList* textures, const MeshReaderIdentity& identity)
{
    ReadGuarded(file, object, ownerFvf, device, textures, identity);
    LogDone(identity);
}

void ReadMeshObjectBlock(BinaryReader& file, LodMeshObject& object, DWORD ownerFvf, IDirect3DDevice9* device,
                         const QV7_TextureList* textures, const MeshReaderIdentity& identity)
{
    MeshHandle systemMesh = ReadGuarded(file, object, ownerFvf, device, textures, identity);
    object.m_SystemMesh = systemMesh.release();
    LodMeshObject::PoseSlot pose;
    D3DXMatrixIdentity(&pose.matrix);
    pose.position = pose.rotation = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    pose.scale = 1.0f;
    object.m_PoseSlots.assign(object.m_SubsetCount, pose);
    LogDone(identity);
}
