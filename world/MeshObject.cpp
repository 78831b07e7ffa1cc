// Mesh objects: construction, release, subset lookup and drawing.
#include "world/MeshObject.h"

#include "engine/QV7_TextureList.h"

namespace
{
template <class Interface> void ReleaseInterface(Interface*& pointer)
{
    if (pointer)
        pointer->Release();
    pointer = nullptr;
}

IDirect3DBaseTexture9* TextureAt(const std::vector<TextureRecord*>& textures, uint32_t subset)
{
    return subset < textures.size() ? TextureOf(textures[subset]) : nullptr;
}
} // namespace

MeshObject::MeshObject() : MeshObject(1.0f) {}

MeshObject::MeshObject(float scale)
    : m_Id(0), m_Adjacency(nullptr), m_Mesh(nullptr), m_IndexBuffer(nullptr), m_VertexBuffer(nullptr),
      m_Position(0.0f, 0.0f, 0.0f), m_Rotation(0.0f, 0.0f, 0.0f), m_Scale(scale), m_SubsetCount(0),
      m_FaceCount(0), m_VertexCount(0), m_SphereCentre(0.0f, 0.0f, 0.0f), m_SphereRadius(0.0f),
      m_BoxMin(0.0f, 0.0f, 0.0f), m_BoxMax(0.0f, 0.0f, 0.0f)
{
    D3DXMatrixIdentity(&m_World);
}

MeshObject::~MeshObject()
{
    MeshObject::Release();
}

void MeshObject::Release()
{
    m_AttributeTable.clear();
    for (std::vector<uint32_t>& words : m_SubsetWords)
        words.clear();
    m_Textures.clear();
    m_Textures2.clear();
    m_Materials.clear();
    m_Vertices.clear();
    m_Indices.clear();
    ReleaseInterface(m_IndexBuffer);
    ReleaseInterface(m_VertexBuffer);
    ReleaseInterface(m_Adjacency);
    ReleaseInterface(m_Mesh);
    m_SubsetCount = m_FaceCount = m_VertexCount = 0;
}

const D3DXATTRIBUTERANGE* MeshObject::SubsetRange(uint32_t subset) const
{
    for (const D3DXATTRIBUTERANGE& range : m_AttributeTable)
        if (range.AttribId == subset)
            return range.FaceCount ? &range : nullptr;
    return nullptr;
}

MeshBlendMode MeshObject::BlendMode(uint32_t subset) const
{
    switch (Word(MESH_WORD_BLEND, subset))
    {
    case 0:
        return MeshBlendMode::Opaque;
    case 2:
        return MeshBlendMode::TestedAndBlended;
    default:
        return MeshBlendMode::Blended;
    }
}

IDirect3DBaseTexture9* MeshObject::Texture(uint32_t subset) const
{
    return TextureAt(m_Textures, subset);
}
IDirect3DBaseTexture9* MeshObject::Texture2(uint32_t subset) const
{
    return TextureAt(m_Textures2, subset);
}

void MeshObject::BindBuffers(IDirect3DDevice9* device, DWORD fvf) const
{
    device->SetFVF(fvf);
    device->SetStreamSource(0, m_VertexBuffer, 0, MESH_VERTEX_SIZE);
    device->SetIndices(m_IndexBuffer);
}

bool MeshObject::DrawSubsetRange(IDirect3DDevice9* device, uint32_t subset) const
{
    const D3DXATTRIBUTERANGE* range = SubsetRange(subset);
    if (!range || !m_VertexBuffer || !m_IndexBuffer)
        return false;
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range->VertexStart, range->VertexCount,
                                 range->FaceStart * 3, range->FaceCount);
    return true;
}

void MeshObject::DrawSubset(IDirect3DDevice9* device, uint32_t subset) const
{
    if (subset >= m_SubsetCount || !SubsetRange(subset))
        return;
    device->SetMaterial(&m_Materials[subset]);
    device->SetTexture(0, Texture(subset));
    DrawSubsetRange(device, subset);
}

void MeshObject::Draw(IDirect3DDevice9* device, DWORD fvf) const
{
    if (!m_VertexBuffer || !m_IndexBuffer)
        return;
    device->SetTransform(D3DTS_WORLD, &m_World);
    BindBuffers(device, fvf);
    for (uint32_t subset = 0; subset < m_SubsetCount; ++subset)
        DrawSubset(device, subset);
}

void BuildPlacementMatrix(MeshObject& object)
{
    D3DXMATRIX scaling, rotation;
    D3DXQUATERNION turn;
    D3DXMatrixScaling(&scaling, object.m_Scale, object.m_Scale, object.m_Scale);
    D3DXQuaternionRotationYawPitchRoll(&turn, object.m_Rotation.x, object.m_Rotation.y, object.m_Rotation.z);
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    D3DXMatrixMultiply(&object.m_World, &scaling, &rotation);
    object.m_World._41 = object.m_Position.x;
    object.m_World._42 = object.m_Position.y;
    object.m_World._43 = object.m_Position.z;
}

void DestroyMeshObjectList(int& count, MeshObject**& array)
{
    while (count > 0)
    {
        --count;
        delete array[count];
        array[count] = nullptr;
    }
    delete[] array;
    array = nullptr;
}
