// Attribute sort, vertex reordering and compaction on a mesh's arrays.
#include "platform/d3dx/MeshOptimizer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace d3dx
{
namespace
{
constexpr DWORD kUnused = 0xFFFFFFFF;

void SortFaces(MeshArrays& mesh, std::vector<DWORD>& oldFaceOfNew)
{
    const DWORD faces = mesh.FaceCount();
    oldFaceOfNew.resize(faces);
    std::iota(oldFaceOfNew.begin(), oldFaceOfNew.end(), 0u);
    std::stable_sort(oldFaceOfNew.begin(), oldFaceOfNew.end(),
                     [&](DWORD a, DWORD b) { return mesh.attributes[a] < mesh.attributes[b]; });
    std::vector<uint32_t> indices(mesh.indices.size());
    std::vector<DWORD> attributes(faces);
    for (DWORD f = 0; f < faces; ++f)
    {
        const DWORD old = oldFaceOfNew[f];
        std::copy_n(&mesh.indices[size_t(old) * 3], 3, &indices[size_t(f) * 3]);
        attributes[f] = mesh.attributes[old];
    }
    mesh.indices.swap(indices);
    mesh.attributes.swap(attributes);
}

// New vertex order: by first use, then (unless compacting) the unused ones in
// their old order.
std::vector<DWORD> VertexOrder(const MeshArrays& mesh, bool byFirstUse, bool compact)
{
    const DWORD count = mesh.VertexCount();
    std::vector<bool> used(count, false);
    std::vector<DWORD> order;
    order.reserve(count);
    if (byFirstUse)
    {
        for (uint32_t index : mesh.indices)
            if (!used[index])
                used[index] = true, order.push_back(index);
    }
    else
    {
        for (uint32_t index : mesh.indices)
            used[index] = true;
        for (DWORD v = 0; v < count; ++v)
            if (used[v])
                order.push_back(v);
    }
    if (!compact)
        for (DWORD v = 0; v < count; ++v)
            if (!used[v])
                order.push_back(v);
    return order;
}

void ReorderVertices(MeshArrays& mesh, const std::vector<DWORD>& oldOfNew)
{
    std::vector<DWORD> newOfOld(mesh.VertexCount(), kUnused);
    std::vector<uint8_t> vertices(oldOfNew.size() * mesh.stride);
    for (size_t v = 0; v < oldOfNew.size(); ++v)
    {
        newOfOld[oldOfNew[v]] = DWORD(v);
        std::memcpy(&vertices[v * mesh.stride], &mesh.vertices[size_t(oldOfNew[v]) * mesh.stride],
                    mesh.stride);
    }
    for (uint32_t& index : mesh.indices)
        index = newOfOld[index];
    mesh.vertices.swap(vertices);
}
} // namespace

MeshRemap OptimizeMeshArrays(DWORD flags, MeshArrays& mesh)
{
    MeshRemap remap;
    const bool cache = (flags & (D3DXMESHOPT_VERTEXCACHE | D3DXMESHOPT_STRIPREORDER)) != 0;
    const bool compact = (flags & D3DXMESHOPT_COMPACT) != 0;
    if (cache || (flags & D3DXMESHOPT_ATTRSORT))
        SortFaces(mesh, remap.faces);
    else
    {
        remap.faces.resize(mesh.FaceCount());
        std::iota(remap.faces.begin(), remap.faces.end(), 0u);
    }
    if ((cache || compact) && !(flags & D3DXMESHOPT_IGNOREVERTS))
        remap.vertices = VertexOrder(mesh, cache, compact);
    else
    {
        remap.vertices.resize(mesh.VertexCount());
        std::iota(remap.vertices.begin(), remap.vertices.end(), 0u);
    }
    ReorderVertices(mesh, remap.vertices);
    return remap;
}

std::vector<DWORD> RemapAdjacency(const std::vector<DWORD>& adjacency, const std::vector<DWORD>& oldFaceOfNew)
{
    std::vector<DWORD> newOfOld(oldFaceOfNew.size());
    for (size_t f = 0; f < oldFaceOfNew.size(); ++f)
        newOfOld[oldFaceOfNew[f]] = DWORD(f);
    std::vector<DWORD> result(adjacency.size());
    for (size_t f = 0; f < oldFaceOfNew.size(); ++f)
        for (int e = 0; e < 3; ++e)
        {
            const DWORD neighbour = adjacency[size_t(oldFaceOfNew[f]) * 3 + e];
            result[f * 3 + e] = neighbour == D3DX_NO_ADJACENCY ? neighbour : newOfOld[neighbour];
        }
    return result;
}

bool AttributesSorted(const std::vector<DWORD>& attributes)
{
    return std::is_sorted(attributes.begin(), attributes.end());
}

std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const MeshArrays& mesh)
{
    std::vector<D3DXATTRIBUTERANGE> table;
    for (DWORD f = 0; f < mesh.FaceCount(); ++f)
    {
        if (table.empty() || table.back().AttribId != mesh.attributes[f])
            table.push_back({mesh.attributes[f], f, 0, kUnused, 0});
        D3DXATTRIBUTERANGE& range = table.back();
        ++range.FaceCount;
        for (int c = 0; c < 3; ++c)
        {
            const uint32_t index = mesh.indices[size_t(f) * 3 + c];
            const DWORD end =
                std::max(range.VertexStart == kUnused ? 0 : range.VertexStart + range.VertexCount, index + 1);
            range.VertexStart = std::min(range.VertexStart, DWORD(index));
            range.VertexCount = end - range.VertexStart;
        }
    }
    return table;
}
} // namespace d3dx
