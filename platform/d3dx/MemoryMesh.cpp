// Meshes over a device's vertex and index buffers.
#include "platform/d3dx/MemoryMesh.h"

#include "platform/d3dx/MeshAdjacency.h"

#include <cstring>
#include <new>

namespace d3dx
{
namespace
{
// More vertices than a 16-bit index reaches cannot be drawn.
constexpr DWORD kMax16BitVertices = 65536;
// Keeps every buffer size within a UINT with room to spare.
constexpr uint64_t kMaxBufferBytes = 0x7FFFFFFF;

D3DPOOL PoolOf(DWORD options, DWORD systemMem, DWORD managed)
{
    if (options & systemMem)
        return D3DPOOL_SYSTEMMEM;
    return (options & managed) ? D3DPOOL_MANAGED : D3DPOOL_DEFAULT;
}

DWORD UsageOf(DWORD options, DWORD writeOnly, DWORD dynamic, DWORD software)
{
    DWORD usage = 0;
    usage |= (options & writeOnly) ? DWORD(D3DUSAGE_WRITEONLY) : 0u;
    usage |= (options & dynamic) ? DWORD(D3DUSAGE_DYNAMIC) : 0u;
    usage |= (options & software) ? DWORD(D3DUSAGE_SOFTWAREPROCESSING) : 0u;
    usage |= (options & D3DXMESH_DONOTCLIP) ? DWORD(D3DUSAGE_DONOTCLIP) : 0u;
    usage |= (options & D3DXMESH_POINTS) ? DWORD(D3DUSAGE_POINTS) : 0u;
    return usage;
}

template <class Buffer> void ReleaseBuffer(Buffer*& buffer)
{
    if (buffer)
        buffer->Release();
    buffer = nullptr;
}
} // namespace

MemoryMesh::MemoryMesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, const FvfLayout& layout)
    : m_Device(device), m_Options(options), m_Fvf(fvf), m_Layout(layout)
{
    m_Device->AddRef();
}

MemoryMesh::~MemoryMesh()
{
    ReleaseBuffer(m_VertexBuffer);
    ReleaseBuffer(m_IndexBuffer);
    m_Device->Release();
}

HRESULT MemoryMesh::Create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                           MemoryMesh** mesh)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    *mesh = nullptr;
    const FvfLayout layout = DescribeFvf(fvf);
    const uint64_t indexBytes = uint64_t(faces) * 3 * ((options & D3DXMESH_32BIT) ? 4 : 2);
    if (!device || faces == 0 || vertices == 0 || !layout.valid ||
        (!(options & D3DXMESH_32BIT) && vertices > kMax16BitVertices) || indexBytes > kMaxBufferBytes ||
        uint64_t(vertices) * layout.stride > kMaxBufferBytes)
        return D3DERR_INVALIDCALL;
    MemoryMesh* created = nullptr;
    try
    {
        created = new MemoryMesh(device, options, fvf, layout);
        created->m_Attributes.assign(faces, 0);
    }
    catch (const std::bad_alloc&)
    {
        if (created)
            created->Release();
        return E_OUTOFMEMORY;
    }
    HRESULT result = created->CreateVertexBuffer(vertices);
    if (SUCCEEDED(result))
        result = created->CreateIndexBuffer(faces);
    if (FAILED(result))
    {
        created->Release();
        return result;
    }
    *mesh = created;
    return D3D_OK;
}

HRESULT MemoryMesh::CreateVertexBuffer(DWORD vertices)
{
    IDirect3DVertexBuffer9* buffer = nullptr;
    const HRESULT result = m_Device->CreateVertexBuffer(
        vertices * m_Layout.stride,
        UsageOf(m_Options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC, D3DXMESH_VB_SOFTWAREPROCESSING), m_Fvf,
        PoolOf(m_Options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &buffer);
    if (FAILED(result))
        return result;
    ReleaseBuffer(m_VertexBuffer);
    m_VertexBuffer = buffer;
    m_Vertices = vertices;
    return D3D_OK;
}

HRESULT MemoryMesh::CreateIndexBuffer(DWORD faces)
{
    IDirect3DIndexBuffer9* buffer = nullptr;
    const UINT size = faces * 3 * (Uses32BitIndices() ? 4 : 2);
    const HRESULT result = m_Device->CreateIndexBuffer(
        size, UsageOf(m_Options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC, D3DXMESH_IB_SOFTWAREPROCESSING),
        Uses32BitIndices() ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
        PoolOf(m_Options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &buffer);
    if (FAILED(result))
        return result;
    ReleaseBuffer(m_IndexBuffer);
    m_IndexBuffer = buffer;
    m_Faces = faces;
    return D3D_OK;
}

HRESULT MemoryMesh::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    m_Device->AddRef();
    *device = m_Device;
    return D3D_OK;
}

HRESULT MemoryMesh::GetVertexBuffer(IDirect3DVertexBuffer9** buffer)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    m_VertexBuffer->AddRef();
    *buffer = m_VertexBuffer;
    return D3D_OK;
}

HRESULT MemoryMesh::GetIndexBuffer(IDirect3DIndexBuffer9** buffer)
{
    if (!buffer)
        return D3DERR_INVALIDCALL;
    m_IndexBuffer->AddRef();
    *buffer = m_IndexBuffer;
    return D3D_OK;
}

HRESULT MemoryMesh::LockVertexBuffer(DWORD flags, void** data)
{
    return m_VertexBuffer->Lock(0, 0, data, flags);
}
HRESULT MemoryMesh::UnlockVertexBuffer()
{
    return m_VertexBuffer->Unlock();
}
HRESULT MemoryMesh::LockIndexBuffer(DWORD flags, void** data)
{
    return m_IndexBuffer->Lock(0, 0, data, flags);
}
HRESULT MemoryMesh::UnlockIndexBuffer()
{
    return m_IndexBuffer->Unlock();
}

HRESULT MemoryMesh::LockAttributeBuffer(DWORD flags, DWORD** data)
{
    if (!data || m_AttributesLocked)
        return D3DERR_INVALIDCALL;
    m_AttributesLocked = true;
    m_AttributesWritten = !(flags & D3DLOCK_READONLY);
    *data = m_Attributes.data();
    return D3D_OK;
}

HRESULT MemoryMesh::UnlockAttributeBuffer()
{
    if (!m_AttributesLocked)
        return D3DERR_INVALIDCALL;
    m_AttributesLocked = false;
    if (m_AttributesWritten)
        m_Table.clear();
    return D3D_OK;
}

HRESULT MemoryMesh::GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size)
{
    if (!size)
        return D3DERR_INVALIDCALL;
    if (table)
    {
        if (*size < m_Table.size())
            return D3DERR_INVALIDCALL;
        std::copy(m_Table.begin(), m_Table.end(), table);
    }
    *size = DWORD(m_Table.size());
    return D3D_OK;
}

HRESULT MemoryMesh::SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size)
{
    if (size && !table)
        return D3DERR_INVALIDCALL;
    for (DWORD i = 0; i < size; ++i)
        if (uint64_t(table[i].FaceStart) + table[i].FaceCount > m_Faces ||
            uint64_t(table[i].VertexStart) + table[i].VertexCount > m_Vertices)
            return D3DERR_INVALIDCALL;
    m_Table.assign(table, table + size);
    return D3D_OK;
}

HRESULT MemoryMesh::ReadArrays(MeshArrays& arrays)
{
    void* vertices = nullptr;
    void* indices = nullptr;
    if (FAILED(LockVertexBuffer(D3DLOCK_READONLY, &vertices)))
        return D3DERR_INVALIDCALL;
    arrays.stride = m_Layout.stride;
    arrays.vertices.assign(static_cast<uint8_t*>(vertices),
                           static_cast<uint8_t*>(vertices) + size_t(m_Vertices) * m_Layout.stride);
    UnlockVertexBuffer();
    if (FAILED(LockIndexBuffer(D3DLOCK_READONLY, &indices)))
        return D3DERR_INVALIDCALL;
    arrays.indices.resize(size_t(m_Faces) * 3);
    for (size_t i = 0; i < arrays.indices.size(); ++i)
        arrays.indices[i] =
            Uses32BitIndices() ? static_cast<uint32_t*>(indices)[i] : static_cast<uint16_t*>(indices)[i];
    UnlockIndexBuffer();
    arrays.attributes = m_Attributes;
    return D3D_OK;
}

HRESULT MemoryMesh::WriteArrays(const MeshArrays& arrays)
{
    if (arrays.VertexCount() != m_Vertices && FAILED(CreateVertexBuffer(arrays.VertexCount())))
        return E_OUTOFMEMORY;
    void* vertices = nullptr;
    void* indices = nullptr;
    if (FAILED(LockVertexBuffer(0, &vertices)))
        return D3DERR_INVALIDCALL;
    std::memcpy(vertices, arrays.vertices.data(), arrays.vertices.size());
    UnlockVertexBuffer();
    if (FAILED(LockIndexBuffer(0, &indices)))
        return D3DERR_INVALIDCALL;
    for (size_t i = 0; i < arrays.indices.size(); ++i)
        if (Uses32BitIndices())
            static_cast<uint32_t*>(indices)[i] = arrays.indices[i];
        else
            static_cast<uint16_t*>(indices)[i] = uint16_t(arrays.indices[i]);
    UnlockIndexBuffer();
    m_Attributes = arrays.attributes;
    return D3D_OK;
}

HRESULT MemoryMesh::CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** clone)
{
    if (!clone)
        return D3DERR_INVALIDCALL;
    *clone = nullptr;
    MeshArrays arrays;
    HRESULT result = ReadArrays(arrays);
    MemoryMesh* created = nullptr;
    if (SUCCEEDED(result))
        result = Create(m_Faces, m_Vertices, options, fvf, device ? device : m_Device, &created);
    if (FAILED(result))
        return result;
    for (uint32_t index : arrays.indices)
        if (!(options & D3DXMESH_32BIT) && index >= kMax16BitVertices)
        {
            created->Release();
            return D3DERR_INVALIDCALL;
        }
    MeshArrays converted = arrays;
    converted.stride = created->m_Layout.stride;
    converted.vertices.assign(size_t(m_Vertices) * converted.stride, 0);
    ConvertVertices(m_Layout, arrays.vertices.data(), created->m_Layout, converted.vertices.data(),
                    m_Vertices);
    result = created->WriteArrays(converted);
    if (FAILED(result))
    {
        created->Release();
        return result;
    }
    created->m_Table = m_Table;
    *clone = created;
    return D3D_OK;
}

HRESULT MemoryMesh::GenerateAdjacency(float epsilon, DWORD* adjacency)
{
    MeshArrays arrays;
    if (!adjacency || epsilon < 0.0f || FAILED(ReadArrays(arrays)))
        return D3DERR_INVALIDCALL;
    for (uint32_t index : arrays.indices)
        if (index >= m_Vertices)
            return D3DERR_INVALIDCALL;
    const std::vector<DWORD> result =
        d3dx::GenerateAdjacency(arrays.vertices.data(), arrays.stride, m_Vertices, arrays.indices, epsilon);
    std::copy(result.begin(), result.end(), adjacency);
    return D3D_OK;
}

bool MemoryMesh::ValidAdjacency(const DWORD* adjacency) const
{
    for (size_t i = 0; i < size_t(m_Faces) * 3; ++i)
        if (adjacency[i] != D3DX_NO_ADJACENCY && adjacency[i] >= m_Faces)
            return false;
    return true;
}

HRESULT MemoryMesh::OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                    DWORD* faceRemap, ID3DXBuffer** vertexRemap)
{
    MeshArrays arrays;
    if (m_AttributesLocked || (adjacencyIn && !ValidAdjacency(adjacencyIn)) || FAILED(ReadArrays(arrays)))
        return D3DERR_INVALIDCALL;
    for (uint32_t index : arrays.indices)
        if (index >= m_Vertices)
            return D3DERR_INVALIDCALL;
    const MeshRemap remap = OptimizeMeshArrays(flags, arrays);
    ID3DXBuffer* remapBuffer = nullptr;
    if (vertexRemap && FAILED(D3DXCreateBuffer(DWORD(remap.vertices.size() * sizeof(DWORD)), &remapBuffer)))
        return E_OUTOFMEMORY;
    const HRESULT result = WriteArrays(arrays);
    if (FAILED(result))
    {
        if (remapBuffer)
            remapBuffer->Release();
        return result;
    }
    if (AttributesSorted(m_Attributes))
        m_Table = BuildAttributeTable(arrays);
    if (adjacencyOut)
    {
        const std::vector<DWORD> in(adjacencyIn, adjacencyIn + (adjacencyIn ? size_t(m_Faces) * 3 : 0));
        const std::vector<DWORD> out = adjacencyIn
                                           ? RemapAdjacency(in, remap.faces)
                                           : d3dx::GenerateAdjacency(arrays.vertices.data(), arrays.stride,
                                                                     m_Vertices, arrays.indices, 0.0f);
        std::copy(out.begin(), out.end(), adjacencyOut);
    }
    if (faceRemap)
        std::copy(remap.faces.begin(), remap.faces.end(), faceRemap);
    if (vertexRemap)
    {
        std::memcpy(remapBuffer->GetBufferPointer(), remap.vertices.data(),
                    remap.vertices.size() * sizeof(DWORD));
        *vertexRemap = remapBuffer;
    }
    return D3D_OK;
}

HRESULT MemoryMesh::DrawRange(const D3DXATTRIBUTERANGE& range)
{
    if (range.FaceCount == 0)
        return D3D_OK;
    return m_Device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                          range.FaceStart * 3, range.FaceCount);
}

HRESULT MemoryMesh::DrawSubset(DWORD attribId)
{
    m_Device->SetFVF(m_Fvf);
    m_Device->SetStreamSource(0, m_VertexBuffer, 0, m_Layout.stride);
    m_Device->SetIndices(m_IndexBuffer);
    if (!m_Table.empty())
    {
        for (const D3DXATTRIBUTERANGE& range : m_Table)
            if (range.AttribId == attribId)
                return DrawRange(range);
        return D3D_OK;
    }
    // No table yet: each run of faces with the id is drawn over all vertices.
    for (DWORD f = 0; f < m_Faces;)
    {
        DWORD end = f;
        while (end < m_Faces && m_Attributes[end] == attribId)
            ++end;
        if (end > f)
            DrawRange({attribId, f, end - f, 0, m_Vertices});
        f = end > f ? end : f + 1;
    }
    return D3D_OK;
}
} // namespace d3dx

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* device, ID3DXMesh** mesh)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    d3dx::MemoryMesh* created = nullptr;
    const HRESULT result = d3dx::MemoryMesh::Create(numFaces, numVertices, options, fvf, device, &created);
    *mesh = created;
    return result;
}
