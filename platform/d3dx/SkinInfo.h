// The one implementation of ID3DXSkinInfo: per bone a name, an offset matrix
// and the vertices it weighs, over a mesh of a given vertex count and format;
// and the conversion of such a mesh into an indexed-blended one.
#pragma once

#include "platform/d3dx/BonePartition.h"
#include "platform/d3dx/D3DXAnimation.h"
#include "platform/gfx/Resources.h"

#include <string>
#include <vector>

namespace d3dx
{
struct MeshArrays;
struct FvfLayout;

class SkinInfo : public gfx::RefCounted<ID3DXSkinInfo>
{
  public:
    SkinInfo(DWORD vertices, DWORD fvf, DWORD bones);

    DWORD GetNumBones() override { return DWORD(m_Bones.size()); }
    DWORD GetNumVertices() override { return m_Vertices; }
    DWORD GetFVF() override { return m_Fvf; }
    const char* GetBoneName(DWORD bone) override;
    HRESULT SetBoneName(DWORD bone, const char* name) override;
    D3DXMATRIX* GetBoneOffsetMatrix(DWORD bone) override;
    HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) override;
    DWORD GetNumBoneInfluences(DWORD bone) override;
    HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) override;
    HRESULT SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices, const float* weights) override;
    HRESULT GetMaxVertexInfluences(DWORD* maxInfluences) override;
    HRESULT ConvertToIndexedBlendedMesh(ID3DXMesh* meshIn, DWORD options, DWORD paletteSize,
                                        const DWORD* adjacencyIn, DWORD* adjacencyOut, DWORD* faceRemap,
                                        ID3DXBuffer** vertexRemap, DWORD* maxVertexInfluences,
                                        DWORD* numBoneCombinations, ID3DXBuffer** boneCombinationTable,
                                        ID3DXMesh** meshOut) override;

  private:
    struct Bone
    {
        std::string name;
        D3DXMATRIX offset;
        BoneWeights weights;
    };
    // The blended arrays and the old vertex of each new vertex.
    struct Blended
    {
        std::vector<uint8_t> vertices;
        std::vector<uint32_t> indices;
        std::vector<DWORD> attributes;
        std::vector<DWORD> faceRemap;
        std::vector<DWORD> vertexRemap;
        std::vector<D3DXATTRIBUTERANGE> ranges;
    };
    static Blended Blend(const MeshArrays& in, const FvfLayout& from, const FvfLayout& to, DWORD influences,
                         const std::vector<VertexInfluences>& vertices,
                         const std::vector<BoneCombinationPlan>& plans);
    static HRESULT MakeCombinationTable(const std::vector<BoneCombinationPlan>& plans, const Blended& blended,
                                        DWORD paletteSize, ID3DXBuffer** table);
    std::vector<BoneWeights> AllWeights() const;

    DWORD m_Vertices;
    DWORD m_Fvf;
    std::vector<Bone> m_Bones;
};
} // namespace d3dx
