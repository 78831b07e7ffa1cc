// Adjacency by edge matching: vertices are first merged into one id per
// position, then every undirected edge of merged ids lists its faces.
#include "platform/d3dx/MeshAdjacency.h"

#include "platform/d3dx/D3DXMesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numeric>
#include <tuple>

namespace d3dx
{
namespace
{
struct Position
{
    float x, y, z;
};

Position ReadPosition(const uint8_t* vertices, DWORD stride, DWORD index)
{
    Position p;
    std::memcpy(&p, vertices + size_t(index) * stride, sizeof p);
    return p;
}

// With epsilon 0 positions must be equal (as floats: 0 and -0 are one place).
std::vector<DWORD> MergeExact(const uint8_t* vertices, DWORD stride, DWORD count)
{
    auto key = [](float f)
    {
        uint32_t bits;
        f = f == 0.0f ? 0.0f : f;
        std::memcpy(&bits, &f, 4);
        return uint64_t(bits);
    };
    std::map<std::tuple<uint64_t, uint64_t, uint64_t>, DWORD> first;
    std::vector<DWORD> ids(count);
    for (DWORD v = 0; v < count; ++v)
    {
        const Position p = ReadPosition(vertices, stride, v);
        ids[v] = first.emplace(std::make_tuple(key(p.x), key(p.y), key(p.z)), v).first->second;
    }
    return ids;
}

// Within epsilon: each vertex joins the earliest vertex near it, found by a
// sweep over the vertices sorted by x.
std::vector<DWORD> MergeNear(const uint8_t* vertices, DWORD stride, DWORD count, float epsilon)
{
    std::vector<DWORD> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<Position> at(count);
    for (DWORD v = 0; v < count; ++v)
        at[v] = ReadPosition(vertices, stride, v);
    // A position that is not a number sorts last and joins nothing.
    auto sortKey = [&](DWORD v) { return std::isnan(at[v].x) ? HUGE_VALF : at[v].x; };
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return sortKey(a) < sortKey(b); });
    std::vector<DWORD> ids(count);
    std::iota(ids.begin(), ids.end(), 0u);
    for (size_t i = 0; i < order.size(); ++i)
    {
        const Position& p = at[order[i]];
        for (size_t j = i; j-- > 0 && p.x - at[order[j]].x <= epsilon;)
        {
            const Position& q = at[order[j]];
            if (std::fabs(p.y - q.y) <= epsilon && std::fabs(p.z - q.z) <= epsilon)
                ids[order[i]] = std::min(ids[order[i]], ids[order[j]]);
        }
    }
    return ids;
}
} // namespace

std::vector<DWORD> GenerateAdjacency(const uint8_t* vertices, DWORD stride, DWORD vertexCount,
                                     const std::vector<uint32_t>& indices, float epsilon)
{
    const std::vector<DWORD> ids = epsilon > 0.0f ? MergeNear(vertices, stride, vertexCount, epsilon)
                                                  : MergeExact(vertices, stride, vertexCount);
    const size_t faces = indices.size() / 3;
    auto edgeKey = [&](size_t face, int edge)
    {
        const DWORD a = ids[indices[face * 3 + edge]], b = ids[indices[face * 3 + (edge + 1) % 3]];
        return std::make_pair(std::min(a, b), std::max(a, b));
    };
    std::map<std::pair<DWORD, DWORD>, std::vector<DWORD>> edgeFaces;
    for (size_t f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e)
        {
            std::vector<DWORD>& list = edgeFaces[edgeKey(f, e)];
            if (list.empty() || list.back() != f)
                list.push_back(DWORD(f));
        }
    std::vector<DWORD> adjacency(faces * 3, D3DX_NO_ADJACENCY);
    for (size_t f = 0; f < faces; ++f)
        for (int e = 0; e < 3; ++e)
        {
            const auto key = edgeKey(f, e);
            if (key.first == key.second)
                continue; // a collapsed edge borders nothing
            for (DWORD other : edgeFaces[key])
                if (other != f)
                {
                    adjacency[f * 3 + e] = other;
                    break;
                }
        }
    return adjacency;
}
} // namespace d3dx
