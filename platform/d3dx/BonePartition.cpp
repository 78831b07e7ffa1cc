// Influences per vertex and the bone-combination split.
#include "platform/d3dx/BonePartition.h"

#include <algorithm>
#include <map>

namespace d3dx
{
namespace
{
void Normalise(VertexInfluences& vertex)
{
    float sum = 0.0f;
    for (DWORD i = 0; i < vertex.count; ++i)
        sum += vertex.weights[i];
    for (DWORD i = 0; i < vertex.count; ++i)
        vertex.weights[i] /= sum;
}

// The bones a face needs, sorted and without repeats.
std::vector<DWORD> FaceBones(const std::vector<uint32_t>& indices, DWORD face,
                             const std::vector<VertexInfluences>& influences)
{
    std::vector<DWORD> bones;
    for (int corner = 0; corner < 3; ++corner)
    {
        const VertexInfluences& vertex = influences[indices[face * 3 + corner]];
        bones.insert(bones.end(), vertex.bones.begin(), vertex.bones.begin() + vertex.count);
    }
    std::sort(bones.begin(), bones.end());
    bones.erase(std::unique(bones.begin(), bones.end()), bones.end());
    return bones;
}

// True (and the palette grown) when the face's bones fit.
bool TryAdd(BoneCombinationPlan& plan, const std::vector<DWORD>& faceBones, DWORD paletteSize)
{
    std::vector<DWORD> missing;
    for (DWORD bone : faceBones)
        if (std::find(plan.bones.begin(), plan.bones.end(), bone) == plan.bones.end())
            missing.push_back(bone);
    if (plan.bones.size() + missing.size() > paletteSize)
        return false;
    plan.bones.insert(plan.bones.end(), missing.begin(), missing.end());
    return true;
}
} // namespace

std::vector<VertexInfluences> GatherInfluences(DWORD vertexCount, const std::vector<BoneWeights>& bones)
{
    std::vector<std::vector<std::pair<float, DWORD>>> all(vertexCount);
    for (DWORD bone = 0; bone < bones.size(); ++bone)
        for (size_t i = 0; i < bones[bone].vertices.size() && i < bones[bone].weights.size(); ++i)
            if (bones[bone].weights[i] > 0.0f && bones[bone].vertices[i] < vertexCount)
                all[bones[bone].vertices[i]].emplace_back(bones[bone].weights[i], bone);
    std::vector<VertexInfluences> influences(vertexCount);
    for (DWORD v = 0; v < vertexCount; ++v)
    {
        auto& list = all[v];
        // Strongest first; equal weights keep the lower bone first.
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        VertexInfluences& vertex = influences[v];
        vertex.count = DWORD(std::min<size_t>(list.size(), 4));
        for (DWORD i = 0; i < vertex.count; ++i)
        {
            vertex.weights[i] = list[i].first;
            vertex.bones[i] = list[i].second;
        }
        if (vertex.count == 0)
        {
            vertex.count = 1;
            vertex.bones[0] = 0;
            vertex.weights[0] = 1.0f;
        }
        Normalise(vertex);
    }
    return influences;
}

bool PartitionFaces(const std::vector<uint32_t>& indices, const std::vector<DWORD>& attributes,
                    const std::vector<VertexInfluences>& influences, DWORD paletteSize,
                    std::vector<BoneCombinationPlan>& plans)
{
    plans.clear();
    std::map<DWORD, std::vector<BoneCombinationPlan>> byAttribute;
    for (DWORD face = 0; face < attributes.size(); ++face)
    {
        const std::vector<DWORD> bones = FaceBones(indices, face, influences);
        if (bones.size() > paletteSize)
            return false;
        std::vector<BoneCombinationPlan>& open = byAttribute[attributes[face]];
        auto fits = std::find_if(open.begin(), open.end(),
                                 [&](BoneCombinationPlan& plan) { return TryAdd(plan, bones, paletteSize); });
        if (fits == open.end())
        {
            open.emplace_back();
            open.back().attribId = attributes[face];
            TryAdd(open.back(), bones, paletteSize);
            fits = open.end() - 1;
        }
        fits->faces.push_back(face);
    }
    for (auto& [attribute, list] : byAttribute)
        for (BoneCombinationPlan& plan : list)
            plans.push_back(std::move(plan));
    return true;
}
} // namespace d3dx
