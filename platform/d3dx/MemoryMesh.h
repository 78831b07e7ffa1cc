// The one implementation of ID3DXMesh: buffers of a platform/gfx device plus
// the attribute ids and table in memory.
#pragma once

#include "platform/d3dx/D3DXMesh.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/d3dx/MeshOptimizer.h"
#include "platform/gfx/Resources.h"

#include <vector>

namespace d3dx
{
class MemoryMesh : public gfx::RefCounted<ID3DXMesh>
{
  public:
    // A mesh with zeroed buffers; D3D_OK or why it could not be made.
    static HRESULT Create(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
                          MemoryMesh** mesh);

    HRESULT DrawSubset(DWORD attribId) override;
    DWORD GetNumFaces() override { return m_Faces; }
    DWORD GetNumVertices() override { return m_Vertices; }
    DWORD GetFVF() override { return m_Fvf; }
    DWORD GetNumBytesPerVertex() override { return m_Layout.stride; }
    DWORD GetOptions() override { return m_Options; }
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** clone) override;
    HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer) override;
    HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer) override;
    HRESULT LockVertexBuffer(DWORD flags, void** data) override;
    HRESULT UnlockVertexBuffer() override;
    HRESULT LockIndexBuffer(DWORD flags, void** data) override;
    HRESULT UnlockIndexBuffer() override;
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override;
    HRESULT UnlockAttributeBuffer() override;
    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) override;
    HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) override;
    HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) override;
    HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                            ID3DXBuffer** vertexRemap) override;

  private:
    MemoryMesh(IDirect3DDevice9* device, DWORD options, DWORD fvf, const FvfLayout& layout);
    ~MemoryMesh() override;
    HRESULT CreateVertexBuffer(DWORD vertices);
    HRESULT CreateIndexBuffer(DWORD faces);
    bool Uses32BitIndices() const { return (m_Options & D3DXMESH_32BIT) != 0; }
    // The whole mesh in memory, and back into the buffers.
    HRESULT ReadArrays(MeshArrays& arrays);
    HRESULT WriteArrays(const MeshArrays& arrays);
    bool ValidAdjacency(const DWORD* adjacency) const;
    HRESULT DrawRange(const D3DXATTRIBUTERANGE& range);

    IDirect3DDevice9* m_Device;
    DWORD m_Options;
    DWORD m_Fvf;
    FvfLayout m_Layout;
    DWORD m_Faces = 0;
    DWORD m_Vertices = 0;
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    IDirect3DIndexBuffer9* m_IndexBuffer = nullptr;
    std::vector<DWORD> m_Attributes;
    std::vector<D3DXATTRIBUTERANGE> m_Table;
    bool m_AttributesLocked = false;
    bool m_AttributesWritten = false;
};
} // namespace d3dx
