// The loaded, drawable form of one mesh object block: a managed mesh in the
// owner's vertex format with its attribute table and buffers, CPU copies of
// the optimised vertices and indices, the bounds of the vertices as read,
// the per-subset materials, textures and the eight subset words (kept in
// file order), and the object's own placement. Static objects, trees,
// moving scenery, track items, checkpoints and the effect libraries hold
// these; ReadMeshObjectBlock (MeshObjectReader.h) fills them.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/D3DXMesh.h"
#include "world/MeshObjectBlock.h"

#include <array>
#include <cstdint>
#include <vector>

struct TextureRecord;

// How the world renderers draw a subset, from its blend word.
enum class MeshBlendMode
{
    Opaque,           // 0: the opaque pass only
    Blended,          // 1 (and any value but 0 and 2): the blended pass only
    TestedAndBlended, // 2: alpha-tested in the opaque pass, blended in the blended pass
};

class MeshObject
{
  public:
    // Identity placement, scale 1; every pointer, count and bound zero.
    MeshObject();
    virtual ~MeshObject();
    MeshObject(const MeshObject&) = delete;
    MeshObject& operator=(const MeshObject&) = delete;

    // Frees the arrays, releases the buffers and meshes and zeroes the counts;
    // a second call does nothing. The placement and bounds stay.
    virtual void Release();

    // The range of subset i (attribute id i) in the final mesh; null when no
    // face uses it, so a subset whose material is unused draws nothing.
    const D3DXATTRIBUTERANGE* SubsetRange(uint32_t subset) const;
    uint32_t Word(MeshSubsetWord word, uint32_t subset) const { return m_SubsetWords[word][subset]; }
    // The blend word as the world renderers read it.
    MeshBlendMode BlendMode(uint32_t subset) const;
    // The blend word as a D3DRS_ALPHABLENDENABLE value (any non-zero mode blends).
    DWORD AlphaBlendEnable(uint32_t subset) const { return Word(MESH_WORD_BLEND, subset) != 0 ? 1u : 0u; }
    // Texture 0 / texture 1 of a subset, null when the id resolved to nothing.
    IDirect3DBaseTexture9* Texture(uint32_t subset) const;
    IDirect3DBaseTexture9* Texture2(uint32_t subset) const;

    // Stream 0 (stride 32), the index buffer and the owner's format.
    void BindBuffers(IDirect3DDevice9* device, DWORD fvf) const;
    // One DrawIndexedPrimitive of the subset's range from the bound buffers;
    // false (nothing drawn) when the subset has no faces.
    bool DrawSubsetRange(IDirect3DDevice9* device, uint32_t subset) const;
    // Material i and texture 0 of material i on stage 0, then the range.
    void DrawSubset(IDirect3DDevice9* device, uint32_t subset) const;
    // The world matrix, the buffers and every subset in order.
    void Draw(IDirect3DDevice9* device, DWORD fvf) const;

    uint32_t m_Id;
    ID3DXBuffer* m_Adjacency;
    ID3DXMesh* m_Mesh;
    std::vector<D3DXATTRIBUTERANGE> m_AttributeTable;
    IDirect3DIndexBuffer9* m_IndexBuffer;
    IDirect3DVertexBuffer9* m_VertexBuffer;
    D3DXMATRIX m_World;
    // BuildPlacementMatrix's inputs: rotation is yaw, pitch, roll in radians.
    D3DXVECTOR3 m_Position;
    D3DXVECTOR3 m_Rotation;
    float m_Scale;
    uint32_t m_SubsetCount;
    uint32_t m_FaceCount;
    uint32_t m_VertexCount;
    std::vector<MeshVertex> m_Vertices; // optimised order
    std::vector<uint16_t> m_Indices;    // optimised order, three per face
    std::vector<D3DMATERIAL9> m_Materials;
    std::vector<TextureRecord*> m_Textures;
    std::vector<TextureRecord*> m_Textures2;
    // Word k of subset i is m_SubsetWords[k][i], k in file order.
    std::array<std::vector<uint32_t>, MESH_WORD_COUNT> m_SubsetWords;
    // From the vertices as read, before any owner scales them.
    D3DXVECTOR3 m_SphereCentre;
    float m_SphereRadius;
    D3DXVECTOR3 m_BoxMin;
    D3DXVECTOR3 m_BoxMax;

  protected:
    explicit MeshObject(float scale);
};

// world = Scaling(s) x RotationQuaternion(yaw, pitch, roll), translation row = position.
void BuildPlacementMatrix(MeshObject& object);

// Deletes the elements from the last to the first (null ones are skipped),
// counting count down, then frees the array.
void DestroyMeshObjectList(int& count, MeshObject**& array);
