// D3DXComputeNormals: vertex normals from the faces around each vertex.
#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/d3dx/MeshArraysIo.h"

#include <cstring>
#include <new>

namespace
{
const d3dx::VertexElement* FindPart(const d3dx::FvfLayout& layout, d3dx::VertexPart part)
{
    for (const d3dx::VertexElement& element : layout.elements)
        if (element.part == part)
            return &element;
    return nullptr;
}

D3DXVECTOR3 PositionAt(const d3dx::MeshArrays& mesh, uint32_t vertex)
{
    D3DXVECTOR3 position;
    std::memcpy(&position, mesh.vertices.data() + size_t(vertex) * mesh.stride, sizeof position);
    return position;
}
} // namespace

HRESULT D3DXComputeNormals(ID3DXMesh* mesh, const DWORD* /*adjacency*/)
{
    if (!mesh)
        return D3DERR_INVALIDCALL;
    const d3dx::FvfLayout layout = d3dx::DescribeFvf(mesh->GetFVF());
    const d3dx::VertexElement* normal = FindPart(layout, d3dx::VertexPart::Normal);
    if (!normal)
        return D3DERR_INVALIDCALL;
    try
    {
        d3dx::MeshArrays arrays;
        HRESULT result = d3dx::ReadMeshArrays(mesh, arrays);
        if (FAILED(result))
            return result;
        std::vector<D3DXVECTOR3> sums(arrays.VertexCount(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
        for (size_t face = 0; face + 2 < arrays.indices.size(); face += 3)
        {
            const uint32_t* corners = &arrays.indices[face];
            if (corners[0] >= sums.size() || corners[1] >= sums.size() || corners[2] >= sums.size())
                continue;
            const D3DXVECTOR3 p0 = PositionAt(arrays, corners[0]);
            const D3DXVECTOR3 e1 = PositionAt(arrays, corners[1]) - p0,
                              e2 = PositionAt(arrays, corners[2]) - p0;
            D3DXVECTOR3 faceNormal; // its length is twice the face's area
            D3DXVec3Cross(&faceNormal, &e1, &e2);
            for (int c = 0; c < 3; ++c)
                sums[corners[c]] += faceNormal;
        }
        for (size_t v = 0; v < sums.size(); ++v)
        {
            D3DXVec3Normalize(&sums[v], &sums[v]);
            std::memcpy(arrays.vertices.data() + v * arrays.stride + normal->offset, &sums[v],
                        sizeof(D3DXVECTOR3));
        }
        // Writing the attributes back drops the table; keep it.
        DWORD entries = 0;
        mesh->GetAttributeTable(nullptr, &entries);
        std::vector<D3DXATTRIBUTERANGE> table(entries);
        if (entries)
            mesh->GetAttributeTable(table.data(), &entries);
        if (FAILED(result = d3dx::WriteMeshArrays(mesh, arrays)))
            return result;
        return entries ? mesh->SetAttributeTable(table.data(), entries) : D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}
