// Skin info and the indexed-blended conversion.
#include "platform/d3dx/SkinInfo.h"

#include "platform/d3dx/FvfLayout.h"
#include "platform/d3dx/MeshArraysIo.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace d3dx
{
namespace
{
constexpr DWORD kMeshOptionBits = 0x000FFFFF;

DWORD BlendedFvf(DWORD fvfIn, DWORD influences)
{
    const DWORD rest = fvfIn & ~(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    return (D3DFVF_XYZRHW + 2 * influences) | D3DFVF_LASTBETA_UBYTE4 | rest;
}

// Explicit weights (all but the last, which the shader makes up to 1), then
// the four palette slots packed a byte each, lowest first.
void WriteBlend(uint8_t* weights, DWORD influences, const VertexInfluences& vertex,
                const std::vector<DWORD>& palette)
{
    float explicitWeights[3] = {};
    uint8_t slots[4] = {};
    for (DWORD i = 0; i < vertex.count; ++i)
    {
        if (i < 3)
            explicitWeights[i] = vertex.weights[i];
        slots[i] = uint8_t(std::find(palette.begin(), palette.end(), vertex.bones[i]) - palette.begin());
    }
    std::memcpy(weights, explicitWeights, sizeof(float) * (influences - 1));
    std::memcpy(weights + sizeof(float) * (influences - 1), slots, 4);
}

const VertexElement* WeightsOf(const FvfLayout& layout)
{
    for (const VertexElement& element : layout.elements)
        if (element.part == VertexPart::Weights)
            return &element;
    return nullptr;
}
} // namespace

SkinInfo::SkinInfo(DWORD vertices, DWORD fvf, DWORD bones) : m_Vertices(vertices), m_Fvf(fvf), m_Bones(bones)
{
    for (Bone& bone : m_Bones)
        D3DXMatrixIdentity(&bone.offset);
}

const char* SkinInfo::GetBoneName(DWORD bone)
{
    return bone < m_Bones.size() ? m_Bones[bone].name.c_str() : nullptr;
}

HRESULT SkinInfo::SetBoneName(DWORD bone, const char* name)
{
    if (bone >= m_Bones.size() || !name)
        return D3DERR_INVALIDCALL;
    m_Bones[bone].name = name;
    return D3D_OK;
}

D3DXMATRIX* SkinInfo::GetBoneOffsetMatrix(DWORD bone)
{
    return bone < m_Bones.size() ? &m_Bones[bone].offset : nullptr;
}

HRESULT SkinInfo::SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset)
{
    if (bone >= m_Bones.size() || !offset)
        return D3DERR_INVALIDCALL;
    m_Bones[bone].offset = *offset;
    return D3D_OK;
}

DWORD SkinInfo::GetNumBoneInfluences(DWORD bone)
{
    return bone < m_Bones.size() ? DWORD(m_Bones[bone].weights.vertices.size()) : 0;
}

HRESULT SkinInfo::GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights)
{
    if (bone >= m_Bones.size() || !vertices || !weights)
        return D3DERR_INVALIDCALL;
    const BoneWeights& influence = m_Bones[bone].weights;
    std::copy(influence.vertices.begin(), influence.vertices.end(), vertices);
    std::copy(influence.weights.begin(), influence.weights.end(), weights);
    return D3D_OK;
}

HRESULT SkinInfo::SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights)
{
    if (bone >= m_Bones.size() || (count && (!vertices || !weights)))
        return D3DERR_INVALIDCALL;
    if (std::any_of(vertices, vertices + count, [&](DWORD v) { return v >= m_Vertices; }))
        return D3DERR_INVALIDCALL;
    m_Bones[bone].weights.vertices.assign(vertices, vertices + count);
    m_Bones[bone].weights.weights.assign(weights, weights + count);
    return D3D_OK;
}

std::vector<BoneWeights> SkinInfo::AllWeights() const
{
    std::vector<BoneWeights> all;
    for (const Bone& bone : m_Bones)
        all.push_back(bone.weights);
    return all;
}

HRESULT SkinInfo::GetMaxVertexInfluences(DWORD* maxInfluences)
{
    if (!maxInfluences)
        return D3DERR_INVALIDCALL;
    std::vector<DWORD> counts(m_Vertices, 0);
    for (const Bone& bone : m_Bones)
        for (size_t i = 0; i < bone.weights.vertices.size(); ++i)
            if (bone.weights.weights[i] > 0.0f)
                ++counts[bone.weights.vertices[i]];
    *maxInfluences = counts.empty() ? 0 : *std::max_element(counts.begin(), counts.end());
    return D3D_OK;
}

SkinInfo::Blended SkinInfo::Blend(const MeshArrays& in, const FvfLayout& from, const FvfLayout& to,
                                  DWORD influences, const std::vector<VertexInfluences>& vertices,
                                  const std::vector<BoneCombinationPlan>& plans)
{
    Blended out;
    const DWORD weightOffset = WeightsOf(to)->offset;
    std::vector<DWORD> newOf(in.VertexCount(), D3DX_NO_ADJACENCY);
    for (DWORD c = 0; c < plans.size(); ++c)
    {
        const DWORD faceStart = DWORD(out.attributes.size()), vertexStart = DWORD(out.vertexRemap.size());
        std::vector<DWORD> touched;
        for (DWORD face : plans[c].faces)
        {
            for (int corner = 0; corner < 3; ++corner)
            {
                const DWORD old = in.indices[face * 3 + corner];
                if (newOf[old] == D3DX_NO_ADJACENCY)
                {
                    newOf[old] = DWORD(out.vertexRemap.size());
                    touched.push_back(old);
                    out.vertexRemap.push_back(old);
                    out.vertices.resize(out.vertices.size() + to.stride);
                    uint8_t* target = out.vertices.data() + out.vertices.size() - to.stride;
                    ConvertVertices(from, in.vertices.data() + size_t(old) * in.stride, to, target, 1);
                    WriteBlend(target + weightOffset, influences, vertices[old], plans[c].bones);
                }
                out.indices.push_back(newOf[old]);
            }
            out.attributes.push_back(c);
            out.faceRemap.push_back(face);
        }
        for (DWORD old : touched)
            newOf[old] = D3DX_NO_ADJACENCY;
        out.ranges.push_back({c, faceStart, DWORD(out.attributes.size()) - faceStart, vertexStart,
                              DWORD(out.vertexRemap.size()) - vertexStart});
    }
    return out;
}

HRESULT SkinInfo::MakeCombinationTable(const std::vector<BoneCombinationPlan>& plans, const Blended& blended,
                                       DWORD paletteSize, ID3DXBuffer** table)
{
    const size_t entries = plans.size();
    const DWORD bytes = DWORD(entries * (sizeof(D3DXBONECOMBINATION) + sizeof(DWORD) * paletteSize));
    HRESULT result = D3DXCreateBuffer(bytes, table);
    if (FAILED(result))
        return result;
    auto* combinations = static_cast<D3DXBONECOMBINATION*>((*table)->GetBufferPointer());
    DWORD* ids = reinterpret_cast<DWORD*>(combinations + entries);
    for (size_t c = 0; c < entries; ++c)
    {
        const D3DXATTRIBUTERANGE& range = blended.ranges[c];
        combinations[c] = {plans[c].attribId, range.FaceStart,   range.FaceCount,
                           range.VertexStart, range.VertexCount, ids + c * paletteSize};
        for (DWORD slot = 0; slot < paletteSize; ++slot)
            combinations[c].BoneId[slot] = slot < plans[c].bones.size() ? plans[c].bones[slot] : UINT32_MAX;
    }
    return D3D_OK;
}

HRESULT SkinInfo::ConvertToIndexedBlendedMesh(ID3DXMesh* meshIn, DWORD options, DWORD paletteSize,
                                              const DWORD* /*adjacencyIn*/, DWORD* adjacencyOut,
                                              DWORD* faceRemap, ID3DXBuffer** vertexRemap,
                                              DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                              ID3DXBuffer** boneCombinationTable, ID3DXMesh** meshOut)
{
    if (!meshIn || !meshOut || paletteSize == 0 || m_Bones.empty() || meshIn->GetNumVertices() != m_Vertices)
        return D3DERR_INVALIDCALL;
    *meshOut = nullptr;
    // Palette slots are packed into a byte each.
    paletteSize = std::min<DWORD>(paletteSize, 256);
    try
    {
        MeshArrays in;
        HRESULT result = ReadMeshArrays(meshIn, in);
        if (FAILED(result))
            return result;
        const std::vector<VertexInfluences> vertices = GatherInfluences(m_Vertices, AllWeights());
        std::vector<BoneCombinationPlan> plans;
        if (!PartitionFaces(in.indices, in.attributes, vertices, paletteSize, plans))
            return D3DERR_INVALIDCALL;
        DWORD influences = 1;
        for (const VertexInfluences& vertex : vertices)
            influences = std::max(influences, vertex.count);
        const DWORD fvf = BlendedFvf(meshIn->GetFVF(), influences);
        const FvfLayout from = DescribeFvf(meshIn->GetFVF()), to = DescribeFvf(fvf);
        if (!from.valid || !to.valid)
            return D3DERR_INVALIDCALL;
        const Blended blended = Blend(in, from, to, influences, vertices, plans);

        DWORD meshOptions = options & kMeshOptionBits;
        if (blended.vertexRemap.size() > 0xFFFF)
            meshOptions |= D3DXMESH_32BIT;
        IDirect3DDevice9* device = nullptr;
        meshIn->GetDevice(&device);
        ID3DXMesh* mesh = nullptr;
        result = D3DXCreateMeshFVF(in.FaceCount(), DWORD(blended.vertexRemap.size()), meshOptions, fvf,
                                   device, &mesh);
        device->Release();
        if (FAILED(result))
            return result;
        MeshArrays out;
        out.stride = to.stride;
        out.vertices = blended.vertices;
        out.indices = blended.indices;
        out.attributes = blended.attributes;
        if (FAILED(result = WriteMeshArrays(mesh, out)) ||
            FAILED(result = mesh->SetAttributeTable(blended.ranges.data(), DWORD(blended.ranges.size()))) ||
            (boneCombinationTable &&
             FAILED(result = MakeCombinationTable(plans, blended, paletteSize, boneCombinationTable))))
        {
            mesh->Release();
            return result;
        }
        if (vertexRemap &&
            SUCCEEDED(D3DXCreateBuffer(DWORD(blended.vertexRemap.size() * sizeof(DWORD)), vertexRemap)))
            std::memcpy((*vertexRemap)->GetBufferPointer(), blended.vertexRemap.data(),
                        blended.vertexRemap.size() * sizeof(DWORD));
        if (faceRemap)
            std::copy(blended.faceRemap.begin(), blended.faceRemap.end(), faceRemap);
        if (adjacencyOut)
            mesh->GenerateAdjacency(0.0f, adjacencyOut);
        if (maxVertexInfluences)
            *maxVertexInfluences = influences;
        if (numBoneCombinations)
            *numBoneCombinations = DWORD(plans.size());
        *meshOut = mesh;
        return D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}
} // namespace d3dx

HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, ID3DXSkinInfo** skinInfo)
{
    if (!skinInfo)
        return D3DERR_INVALIDCALL;
    try
    {
        *skinInfo = new d3dx::SkinInfo(numVertices, fvf, numBones);
        return D3D_OK;
    }
    catch (const std::bad_alloc&)
    {
        *skinInfo = nullptr;
        return E_OUTOFMEMORY;
    }
}
