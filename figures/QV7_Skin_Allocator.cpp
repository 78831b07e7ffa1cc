// Frames and mesh containers of a skinned figure, built for D3DX. A container
// keeps only a skinned mesh, turned at once into the indexed-blended mesh the
// "Skinned" effect draws, so a figure never holds a mesh it cannot draw.
#include "figures/QV7_Skin_Allocator.h"

#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cstring>

namespace
{
const char kNoName[] = "<No name given>";

char* CopyName(const char* name)
{
    const char* text = name ? name : kNoName;
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

void CopyMaterials(SkinMeshContainer& container, const D3DXMATERIAL* materials, DWORD count)
{
    container.NumMaterials = std::max<DWORD>(count, 1);
    container.pMaterials = new D3DXMATERIAL[container.NumMaterials]{};
    if (count == 0 || !materials)
    {
        D3DMATERIAL9& grey = container.pMaterials[0].MatD3D;
        grey.Diffuse = {0.5f, 0.5f, 0.5f, 0.0f};
        grey.Specular = grey.Diffuse;
        return;
    }
    for (DWORD i = 0; i < count; ++i)
    {
        container.pMaterials[i].MatD3D = materials[i].MatD3D;
        if (materials[i].pTextureFilename)
            container.pMaterials[i].pTextureFilename = CopyName(materials[i].pTextureFilename);
    }
}

// The blended mesh in the effect's format: position and blend weights as
// converted, then normal, one texture coordinate and the packed indices.
HRESULT ToEffectFormat(ID3DXMesh*& blended)
{
    const DWORD old = blended->GetFVF();
    const DWORD wanted = (old & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_LASTBETA_UBYTE4;
    if (wanted == old)
        return D3D_OK;
    IDirect3DDevice9* device = nullptr;
    blended->GetDevice(&device);
    ID3DXMesh* clone = nullptr;
    const HRESULT hr = blended->CloneMeshFVF(blended->GetOptions(), wanted, device, &clone);
    if (device)
        device->Release();
    if (FAILED(hr))
        return hr;
    blended->Release();
    blended = clone;
    if (!(old & D3DFVF_NORMAL))
        D3DXComputeNormals(blended, nullptr);
    return D3D_OK;
}
} // namespace

HRESULT QV7_Skin_Allocator::CreateFrame(const char* name, D3DXFRAME** newFrame)
{
    auto* frame = new SkinFrame{};
    frame->Name = CopyName(name);
    D3DXMatrixIdentity(&frame->TransformationMatrix);
    D3DXMatrixIdentity(&frame->CombinedTransformationMatrix);
    *newFrame = frame;
    return D3D_OK;
}

HRESULT QV7_Skin_Allocator::CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData,
                                                const D3DXMATERIAL* materials, const D3DXEFFECTINSTANCE*,
                                                DWORD numMaterials, const DWORD* adjacency,
                                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** newMeshContainer)
{
    *newMeshContainer = nullptr;
    if (!meshData || meshData->Type != D3DXMESHTYPE_MESH || !meshData->pMesh)
        return E_FAIL;
    auto* container = new SkinMeshContainer{};
    *newMeshContainer = container;
    if (!skinInfo)
        return D3D_OK;
    container->Name = CopyName(name);
    container->MeshData = *meshData;
    meshData->pMesh->AddRef();
    const DWORD entries = meshData->pMesh->GetNumFaces() * 3;
    container->pAdjacency = new DWORD[entries];
    if (adjacency)
        std::memcpy(container->pAdjacency, adjacency, entries * sizeof(DWORD));
    else
        std::fill(container->pAdjacency, container->pAdjacency + entries, D3DX_NO_ADJACENCY);
    CopyMaterials(*container, materials, numMaterials);
    container->pSkinInfo = skinInfo;
    skinInfo->AddRef();
    const HRESULT hr = ConvertToBlended(*container, skinInfo);
    if (FAILED(hr))
    {
        DestroyMeshContainer(container);
        *newMeshContainer = nullptr;
    }
    return hr;
}

HRESULT QV7_Skin_Allocator::ConvertToBlended(SkinMeshContainer& container, ID3DXSkinInfo* skinInfo)
{
    const DWORD bones = skinInfo->GetNumBones();
    container.pBoneOffsetMatrices = new D3DXMATRIX[std::max<DWORD>(bones, 1)];
    for (DWORD b = 0; b < bones; ++b)
        container.pBoneOffsetMatrices[b] = *skinInfo->GetBoneOffsetMatrix(b);
    container.NumPaletteEntries = std::min(bones, kMaxPaletteSize);
    HRESULT hr = skinInfo->ConvertToIndexedBlendedMesh(
        container.MeshData.pMesh, DWORD(D3DXMESH_MANAGED) | DWORD(D3DXMESHOPT_VERTEXCACHE),
        container.NumPaletteEntries, container.pAdjacency, nullptr, nullptr, nullptr,
        &container.NumInfluences, &container.NumBoneCombinations, &container.pBoneCombinationBuf,
        &container.pBlendedMesh);
    if (FAILED(hr))
    {
        QV7_Logger::Log(g_logger, "FAIELD : TempContainer->pSkinInfo->ConvertToIndexedBlendedMesh");
        return hr;
    }
    hr = ToEffectFormat(container.pBlendedMesh);
    if (FAILED(hr))
        QV7_Logger::Log(g_logger, "ERROR: Triggers: the blended figure mesh cannot take the effect's format");
    return hr;
}

HRESULT QV7_Skin_Allocator::DestroyFrame(D3DXFRAME* frame)
{
    delete[] frame->Name;
    delete static_cast<SkinFrame*>(frame);
    return D3D_OK;
}

HRESULT QV7_Skin_Allocator::DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer)
{
    auto* container = static_cast<SkinMeshContainer*>(meshContainer);
    delete[] container->Name;
    delete[] container->pAdjacency;
    for (DWORD i = 0; container->pMaterials && i < container->NumMaterials; ++i)
        delete[] container->pMaterials[i].pTextureFilename;
    delete[] container->pMaterials;
    delete[] container->pBoneOffsetMatrices;
    for (IUnknown* held :
         {static_cast<IUnknown*>(container->MeshData.pMesh), static_cast<IUnknown*>(container->pSkinInfo),
          static_cast<IUnknown*>(container->pBlendedMesh),
          static_cast<IUnknown*>(container->pBoneCombinationBuf)})
        if (held)
            held->Release();
    delete container;
    return D3D_OK;
}

void QV7_Skin_Allocator::UpdateFrameMatrices(D3DXFRAME* frame, const D3DXMATRIX& parent)
{
    for (; frame; frame = frame->pFrameSibling)
    {
        auto* skin = static_cast<SkinFrame*>(frame);
        D3DXMatrixMultiply(&skin->CombinedTransformationMatrix, &frame->TransformationMatrix, &parent);
        UpdateFrameMatrices(frame->pFrameFirstChild, skin->CombinedTransformationMatrix);
    }
}

SkinFrame* QV7_Skin_Allocator::FindFrame(D3DXFRAME* frame, const char* name)
{
    if (!frame || !name)
        return nullptr;
    if (frame->Name && std::strcmp(frame->Name, name) == 0)
        return static_cast<SkinFrame*>(frame);
    if (SkinFrame* found = FindFrame(frame->pFrameSibling, name))
        return found;
    return FindFrame(frame->pFrameFirstChild, name);
}
