// Our D3DX style meshes: a mesh is a vertex buffer, an index buffer (16-bit,
// or 32-bit with D3DXMESH_32BIT), an attribute id per face and the attribute
// table that says which faces and vertices each attribute's subset covers.
// Meshes are made by D3DXCreateMeshFVF and CloneMeshFVF on a device of
// platform/gfx; their buffers are that device's buffers, in the pool the
// options ask for, so a managed mesh survives a device reset as any managed
// buffer does. Optimising sorts the faces by attribute (stably: faces of one
// attribute keep their order) so that each subset is one contiguous range;
// compaction drops the vertices no face uses and the mesh's counts follow.
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstdint>

// Mesh creation options (the documented D3DX values).
enum : DWORD
{
    D3DXMESH_32BIT = 0x001,
    D3DXMESH_DONOTCLIP = 0x002,
    D3DXMESH_POINTS = 0x004,
    D3DXMESH_RTPATCHES = 0x008,
    D3DXMESH_NPATCHES = 0x4000,
    D3DXMESH_VB_SYSTEMMEM = 0x010,
    D3DXMESH_VB_MANAGED = 0x020,
    D3DXMESH_VB_WRITEONLY = 0x040,
    D3DXMESH_VB_DYNAMIC = 0x080,
    D3DXMESH_VB_SOFTWAREPROCESSING = 0x8000,
    D3DXMESH_IB_SYSTEMMEM = 0x100,
    D3DXMESH_IB_MANAGED = 0x200,
    D3DXMESH_IB_WRITEONLY = 0x400,
    D3DXMESH_IB_DYNAMIC = 0x800,
    D3DXMESH_IB_SOFTWAREPROCESSING = 0x10000,
    D3DXMESH_VB_SHARE = 0x1000,
    D3DXMESH_USEHWONLY = 0x2000,
    D3DXMESH_SYSTEMMEM = 0x110,
    D3DXMESH_MANAGED = 0x220,
    D3DXMESH_WRITEONLY = 0x440,
    D3DXMESH_DYNAMIC = 0x880,
    D3DXMESH_SOFTWAREPROCESSING = 0x18000,
};

// OptimizeInplace flags.
enum : DWORD
{
    D3DXMESHOPT_DEVICEINDEPENDENT = 0x00400000,
    D3DXMESHOPT_COMPACT = 0x01000000,
    D3DXMESHOPT_ATTRSORT = 0x02000000,
    D3DXMESHOPT_VERTEXCACHE = 0x04000000,
    D3DXMESHOPT_STRIPREORDER = 0x08000000,
    D3DXMESHOPT_IGNOREVERTS = 0x10000000,
    D3DXMESHOPT_DONOTSPLIT = 0x20000000,
};

// The faces and vertices of one attribute's subset.
struct D3DXATTRIBUTERANGE
{
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};

// A block of bytes handed between D3DX calls (adjacency, remaps).
class ID3DXBuffer : public IUnknown
{
  public:
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

class ID3DXMesh : public IUnknown
{
  public:
    // Draws the faces of one attribute from the mesh's own buffers and format.
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;
    virtual DWORD GetOptions() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    // A new mesh with the same faces, attributes and attribute table in another
    // format and pool; parts of the vertex both formats have are carried over.
    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** clone) = 0;
    virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** buffer) = 0;
    virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** buffer) = 0;
    virtual HRESULT LockVertexBuffer(DWORD flags, void** data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, void** data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    // A lock without D3DLOCK_READONLY drops the attribute table at its unlock:
    // the ids may no longer match it.
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    // With a null table, *size receives the entry count; otherwise the table
    // must hold *size entries, at least the count (D3DERR_INVALIDCALL if not).
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* size) = 0;
    virtual HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD size) = 0;
    // Three entries per face: the face across edge (v0, v1), (v1, v2), (v2, v0),
    // vertices matched by position within epsilon; 0xFFFFFFFF for none.
    virtual HRESULT GenerateAdjacency(float epsilon, DWORD* adjacency) = 0;
    // Flags as D3DXMESHOPT_*. adjacencyIn (3 per face, may be null) is checked
    // and carried to adjacencyOut in the new face order; faceRemap receives the
    // old face of each new face, vertexRemap a buffer with the old vertex of
    // each new vertex. Any output may be null.
    virtual HRESULT OptimizeInplace(DWORD flags, const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                    DWORD* faceRemap, ID3DXBuffer** vertexRemap) = 0;
};

// The value adjacency uses for "no face across this edge".
constexpr DWORD D3DX_NO_ADJACENCY = 0xFFFFFFFF;

HRESULT D3DXCreateBuffer(DWORD size, ID3DXBuffer** buffer);

// D3DERR_INVALIDCALL for no faces or vertices, a format we cannot lay out, or
// more vertices than 16-bit indices reach; otherwise what the device's buffer
// creation returned.
HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* device, ID3DXMesh** mesh);
