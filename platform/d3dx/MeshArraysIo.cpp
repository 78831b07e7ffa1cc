// Mesh buffers to arrays and back.
#include "platform/d3dx/MeshArraysIo.h"

#include <cstring>

namespace d3dx
{
namespace
{
bool Uses32Bit(ID3DXMesh* mesh)
{
    return (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
}
} // namespace

HRESULT ReadMeshArrays(ID3DXMesh* mesh, MeshArrays& arrays)
{
    const DWORD faces = mesh->GetNumFaces(), vertices = mesh->GetNumVertices();
    arrays.stride = mesh->GetNumBytesPerVertex();
    arrays.vertices.resize(size_t(vertices) * arrays.stride);
    arrays.indices.resize(size_t(faces) * 3);
    arrays.attributes.resize(faces);
    void* data = nullptr;
    HRESULT result = mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
    if (FAILED(result))
        return result;
    std::memcpy(arrays.vertices.data(), data, arrays.vertices.size());
    mesh->UnlockVertexBuffer();
    if (FAILED(result = mesh->LockIndexBuffer(D3DLOCK_READONLY, &data)))
        return result;
    for (size_t i = 0; i < arrays.indices.size(); ++i)
        arrays.indices[i] =
            Uses32Bit(mesh) ? static_cast<const uint32_t*>(data)[i] : static_cast<const uint16_t*>(data)[i];
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    if (FAILED(result = mesh->LockAttributeBuffer(D3DLOCK_READONLY, &attributes)))
        return result;
    std::memcpy(arrays.attributes.data(), attributes, arrays.attributes.size() * sizeof(DWORD));
    mesh->UnlockAttributeBuffer();
    return D3D_OK;
}

HRESULT WriteMeshArrays(ID3DXMesh* mesh, const MeshArrays& arrays)
{
    if (arrays.stride != mesh->GetNumBytesPerVertex() || arrays.VertexCount() != mesh->GetNumVertices() ||
        arrays.FaceCount() != mesh->GetNumFaces() || arrays.indices.size() != size_t(arrays.FaceCount()) * 3)
        return D3DERR_INVALIDCALL;
    void* data = nullptr;
    HRESULT result = mesh->LockVertexBuffer(0, &data);
    if (FAILED(result))
        return result;
    std::memcpy(data, arrays.vertices.data(), arrays.vertices.size());
    mesh->UnlockVertexBuffer();
    if (FAILED(result = mesh->LockIndexBuffer(0, &data)))
        return result;
    for (size_t i = 0; i < arrays.indices.size(); ++i)
    {
        if (Uses32Bit(mesh))
            static_cast<uint32_t*>(data)[i] = arrays.indices[i];
        else
            static_cast<uint16_t*>(data)[i] = uint16_t(arrays.indices[i]);
    }
    mesh->UnlockIndexBuffer();
    DWORD* attributes = nullptr;
    if (FAILED(result = mesh->LockAttributeBuffer(0, &attributes)))
        return result;
    std::memcpy(attributes, arrays.attributes.data(), arrays.attributes.size() * sizeof(DWORD));
    mesh->UnlockAttributeBuffer();
    return D3D_OK;
}
} // namespace d3dx
