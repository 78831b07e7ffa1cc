// The work behind ConvertToIndexedBlendedMesh on plain arrays: which bones
// move each vertex (at most four, the strongest, weights renormalised) and how
// faces split into bone combinations whose palettes hold every bone of their
// faces. Faces keep their attribute: a combination holds faces of one
// attribute, and combinations come in attribute order. Each face goes into the
// first combination of its attribute that can take its bones without the
// palette growing past its size, else it opens a new one.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <array>
#include <vector>

namespace d3dx
{
struct BoneWeights
{
    std::vector<DWORD> vertices;
    std::vector<float> weights;
};

struct VertexInfluences
{
    DWORD count = 0; // 1..4
    std::array<DWORD, 4> bones{};
    std::array<float, 4> weights{};
};

struct BoneCombinationPlan
{
    DWORD attribId = 0;
    std::vector<DWORD> faces; // the old faces, in their old order
    std::vector<DWORD> bones; // palette slot -> bone
};

// One entry per vertex. A vertex no bone weighs (or only with weights of 0
// or less) follows bone 0 fully, which keeps it in place in the bind pose.
std::vector<VertexInfluences> GatherInfluences(DWORD vertexCount, const std::vector<BoneWeights>& bones);

// indices: three per face. False when one face alone needs more bones than
// paletteSize.
bool PartitionFaces(const std::vector<uint32_t>& indices, const std::vector<DWORD>& attributes,
                    const std::vector<VertexInfluences>& influences, DWORD paletteSize,
                    std::vector<BoneCombinationPlan>& plans);
} // namespace d3dx
