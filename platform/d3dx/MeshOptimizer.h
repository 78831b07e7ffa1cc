// The work behind a mesh's OptimizeInplace and attribute table, on plain
// arrays: faces sorted stably by attribute id, vertices renumbered in the
// order the sorted faces first use them (the vertex-cache pass), unused
// vertices dropped (compaction), and one attribute range per attribute id.
#pragma once

#include "platform/d3dx/D3DXMesh.h"

#include <cstdint>
#include <vector>

namespace d3dx
{
struct MeshArrays
{
    std::vector<uint8_t> vertices; // vertexCount x stride bytes
    DWORD stride = 0;
    std::vector<uint32_t> indices; // three per face
    std::vector<DWORD> attributes; // one per face
    DWORD VertexCount() const { return stride ? DWORD(vertices.size() / stride) : 0; }
    DWORD FaceCount() const { return DWORD(attributes.size()); }
};

struct MeshRemap
{
    std::vector<DWORD> faces;    // old face of each new face
    std::vector<DWORD> vertices; // old vertex of each new vertex
};

// Applies the D3DXMESHOPT_ATTRSORT, _VERTEXCACHE and _COMPACT parts of flags
// (a cache pass implies the sort) and returns how faces and vertices moved.
MeshRemap OptimizeMeshArrays(DWORD flags, MeshArrays& mesh);

// Carries 3-per-face adjacency to the new face order.
std::vector<DWORD> RemapAdjacency(const std::vector<DWORD>& adjacency,
                                  const std::vector<DWORD>& oldFaceOfNew);

// One range per attribute id that faces use, in ascending id order: the
// first face and count of the id's run (faces must be sorted by attribute),
// and the lowest vertex index used with the span up to the highest.
std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const MeshArrays& mesh);

// True when the faces are sorted by attribute id, so each id is one run.
bool AttributesSorted(const std::vector<DWORD>& attributes);
} // namespace d3dx
