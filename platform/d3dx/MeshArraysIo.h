// A whole mesh in memory through its lock interface, and back: what the skin
// conversion, the .x loader and normal generation work on.
#pragma once

#include "platform/d3dx/MeshOptimizer.h"

namespace d3dx
{
HRESULT ReadMeshArrays(ID3DXMesh* mesh, MeshArrays& arrays);
// The arrays must match the mesh's counts and stride.
HRESULT WriteMeshArrays(ID3DXMesh* mesh, const MeshArrays& arrays);
} // namespace d3dx
