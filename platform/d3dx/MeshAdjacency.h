// Face adjacency as meshes report it: for each face three entries, the face
// across its edges (v0, v1), (v1, v2) and (v2, v0), D3DX_NO_ADJACENCY where no
// other face shares the edge. Vertices count as one when their positions
// (the first three floats of each vertex) lie within epsilon on every axis,
// so faces that share an edge but not its vertices are still neighbours.
// When more than two faces share an edge, each names the lowest-numbered
// other one. The mesh layer and the data writers share this one function, so
// a file's stored adjacency is what a mesh would generate for it.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstdint>
#include <vector>

namespace d3dx
{
// indices: three per face, each below vertexCount. Returns 3 x faces entries.
std::vector<DWORD> GenerateAdjacency(const uint8_t* vertices, DWORD stride, DWORD vertexCount,
                                     const std::vector<uint32_t>& indices, float epsilon);
} // namespace d3dx
