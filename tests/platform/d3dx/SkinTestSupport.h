// For the skinned-mesh tests: a plain ID3DXAllocateHierarchy (frames and
// containers as D3DX's own structures, names copied, mesh and skin info
// referenced), a null device, and what a loaded figure's bind pose and
// blended vertices give.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/d3dx/MeshArraysIo.h"

#include <cstring>
#include <string>
#include <vector>

namespace skintest
{
inline char* CopyName(const char* name)
{
    if (!name)
        return nullptr;
    char* copy = new char[std::strlen(name) + 1];
    std::strcpy(copy, name);
    return copy;
}

class TestAllocator : public ID3DXAllocateHierarchy
{
  public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) override
    {
        *newFrame = nullptr;
        if (failFramesAfter >= 0 && frames >= failFramesAfter)
            return E_OUTOFMEMORY;
        *newFrame = new D3DXFRAME{};
        (*newFrame)->Name = CopyName(name);
        D3DXMatrixIdentity(&(*newFrame)->TransformationMatrix);
        ++frames;
        return D3D_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE*, DWORD numMaterials, const DWORD* adjacency,
                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** out) override
    {
        auto* container = new D3DXMESHCONTAINER{};
        container->Name = CopyName(name);
        container->MeshData = *meshData;
        meshData->pMesh->AddRef();
        container->NumMaterials = numMaterials;
        container->pMaterials = new D3DXMATERIAL[numMaterials ? numMaterials : 1]{};
        for (DWORD i = 0; i < numMaterials; ++i)
        {
            container->pMaterials[i] = materials[i];
            container->pMaterials[i].pTextureFilename = CopyName(materials[i].pTextureFilename);
        }
        const DWORD entries = meshData->pMesh->GetNumFaces() * 3;
        container->pAdjacency = new DWORD[entries];
        std::memcpy(container->pAdjacency, adjacency, entries * sizeof(DWORD));
        container->pSkinInfo = skinInfo;
        if (skinInfo)
            skinInfo->AddRef();
        *out = container;
        ++containers;
        return D3D_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* frame) override
    {
        delete[] frame->Name;
        delete frame;
        --frames;
        return D3D_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* container) override
    {
        delete[] container->Name;
        for (DWORD i = 0; i < container->NumMaterials; ++i)
            delete[] container->pMaterials[i].pTextureFilename;
        delete[] container->pMaterials;
        delete[] container->pAdjacency;
        container->MeshData.pMesh->Release();
        if (container->pSkinInfo)
            container->pSkinInfo->Release();
        delete container;
        --containers;
        return D3D_OK;
    }

    int frames = 0;           // alive
    int containers = 0;       // alive
    int failFramesAfter = -1; // refuse frames once this many are alive
};

inline void UpdateCombined(const D3DXFRAME* frame, const D3DXMATRIX& parent,
                           std::vector<D3DXMATRIX>& combined, std::vector<const D3DXFRAME*>& order)
{
    for (; frame; frame = frame->pFrameSibling)
    {
        const D3DXMATRIX mine = frame->TransformationMatrix * parent;
        order.push_back(frame);
        combined.push_back(mine);
        UpdateCombined(frame->pFrameFirstChild, mine, combined, order);
    }
}

// Combined matrix of the named frame (local x parent's, from the root).
inline D3DXMATRIX CombinedOf(const D3DXFRAME* root, const char* name)
{
    std::vector<D3DXMATRIX> combined;
    std::vector<const D3DXFRAME*> order;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    UpdateCombined(root, identity, combined, order);
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i]->Name && std::strcmp(order[i]->Name, name) == 0)
            return combined[i];
    return identity;
}

// The first container with skin info: own, siblings, then children.
inline D3DXMESHCONTAINER* FindSkinned(const D3DXFRAME* frame)
{
    for (; frame; frame = frame->pFrameSibling)
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
            if (c->pSkinInfo)
                return c;
    return nullptr;
}

inline D3DXMESHCONTAINER* FindSkinnedTree(const D3DXFRAME* frame)
{
    for (const D3DXFRAME* f = frame; f; f = f->pFrameSibling)
        if (D3DXMESHCONTAINER* c = FindSkinned(f))
            return c;
    for (const D3DXFRAME* f = frame; f; f = f->pFrameSibling)
        if (D3DXMESHCONTAINER* c = FindSkinnedTree(f->pFrameFirstChild))
            return c;
    return nullptr;
}

// Palette of every bone: offset x combined.
inline std::vector<D3DXMATRIX> BonePalette(const D3DXFRAME* root, ID3DXSkinInfo* skin)
{
    std::vector<D3DXMATRIX> palette;
    for (DWORD b = 0; b < skin->GetNumBones(); ++b)
        palette.push_back(*skin->GetBoneOffsetMatrix(b) * CombinedOf(root, skin->GetBoneName(b)));
    return palette;
}

struct BlendedVertex
{
    D3DXVECTOR3 position;
    float weights[4]; // all four, the last made up to 1
    uint8_t slots[4];
};

// Reads a blended mesh's vertices back.
inline std::vector<BlendedVertex> ReadBlended(ID3DXMesh* mesh, DWORD influences)
{
    d3dx::MeshArrays arrays;
    d3dx::ReadMeshArrays(mesh, arrays);
    std::vector<BlendedVertex> out(arrays.VertexCount());
    for (size_t v = 0; v < out.size(); ++v)
    {
        const uint8_t* bytes = arrays.vertices.data() + v * arrays.stride;
        std::memcpy(&out[v].position, bytes, 12);
        float left = 1.0f;
        for (DWORD i = 0; i < 4; ++i)
        {
            float w = 0.0f;
            if (i + 1 < influences)
                std::memcpy(&w, bytes + 12 + 4 * i, 4);
            else if (i + 1 == influences)
                w = left;
            out[v].weights[i] = w;
            left -= w;
        }
        std::memcpy(out[v].slots, bytes + 12 + 4 * (influences - 1), 4);
    }
    return out;
}
} // namespace skintest
