// Fuzz target of the driver figures' .x data: the bytes through
// D3DXLoadMeshHierarchyFromXInMemory with an allocator that keeps what the
// figure loader keeps, then what the figure loader does with a load: the
// skinned container's conversion into bone combinations (palette of at most
// 26), normals when the file has none, and every animation set played on
// every track at positions before, inside and past its period.
#include "engine/QV7_Engine.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/d3dx/D3DXAnimation.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cstring>

namespace
{
char* CopyName(const char* name)
{
    const char* text = name ? name : "<No name given>";
    char* copy = new char[std::strlen(text) + 1];
    std::strcpy(copy, text);
    return copy;
}

class FuzzAllocator : public ID3DXAllocateHierarchy
{
  public:
    HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) override
    {
        *newFrame = new D3DXFRAME{};
        (*newFrame)->Name = CopyName(name);
        return D3D_OK;
    }
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL*,
                                const D3DXEFFECTINSTANCE*, DWORD, const DWORD* adjacency,
                                ID3DXSkinInfo* skinInfo, D3DXMESHCONTAINER** out) override
    {
        auto* container = new D3DXMESHCONTAINER{};
        container->Name = CopyName(name);
        container->MeshData = *meshData;
        meshData->pMesh->AddRef();
        const DWORD entries = meshData->pMesh->GetNumFaces() * 3;
        container->pAdjacency = new DWORD[entries];
        std::memcpy(container->pAdjacency, adjacency, entries * sizeof(DWORD));
        container->pSkinInfo = skinInfo;
        if (skinInfo)
            skinInfo->AddRef();
        *out = container;
        return D3D_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* frame) override
    {
        delete[] frame->Name;
        delete frame;
        return D3D_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* container) override
    {
        delete[] container->Name;
        delete[] container->pAdjacency;
        container->MeshData.pMesh->Release();
        if (container->pSkinInfo)
            container->pSkinInfo->Release();
        delete container;
        return D3D_OK;
    }
};

D3DXMESHCONTAINER* FindSkinned(const D3DXFRAME* frame)
{
    for (; frame; frame = frame->pFrameSibling)
    {
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
            if (c->pSkinInfo)
                return c;
        if (D3DXMESHCONTAINER* c = FindSkinned(frame->pFrameFirstChild))
            return c;
    }
    return nullptr;
}

void Blend(D3DXMESHCONTAINER* skinned)
{
    ID3DXSkinInfo* skin = skinned->pSkinInfo;
    const DWORD palette = std::min<DWORD>(skin->GetNumBones(), 26);
    DWORD influences = 0, combinations = 0;
    ID3DXBuffer* table = nullptr;
    ID3DXMesh* blended = nullptr;
    if (FAILED(skin->ConvertToIndexedBlendedMesh(skinned->MeshData.pMesh, D3DXMESH_MANAGED, palette,
                                                 skinned->pAdjacency, nullptr, nullptr, nullptr, &influences,
                                                 &combinations, &table, &blended)))
        return;
    // For the seed test: the seeds reach the figure's working path.
    QV7_Logger::Log(g_logger, "Info: x file blended into %u bone combinations", unsigned(combinations));
    const DWORD fvf =
        (blended->GetFVF() & D3DFVF_POSITION_MASK) | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_LASTBETA_UBYTE4;
    ID3DXMesh* clone = nullptr;
    if (SUCCEEDED(blended->CloneMeshFVF(D3DXMESH_MANAGED, fvf, g_device, &clone)))
    {
        if (!(skinned->MeshData.pMesh->GetFVF() & D3DFVF_NORMAL))
            D3DXComputeNormals(clone, nullptr);
        clone->Release();
    }
    blended->Release();
    table->Release();
}

void Play(ID3DXAnimationController* controller)
{
    for (UINT s = 0; s < controller->GetNumAnimationSets(); ++s)
    {
        ID3DXAnimationSet* set = nullptr;
        controller->GetAnimationSet(s, &set);
        const UINT track = s % controller->GetMaxNumTracks();
        controller->SetTrackAnimationSet(track, set);
        controller->SetTrackEnable(track, TRUE);
        controller->SetTrackWeight(track, 0.5f);
        for (double position : {-1.0, 0.0, set->GetPeriod() * 0.5, set->GetPeriod(), set->GetPeriod() * 3.3})
        {
            controller->SetTrackPosition(track, position);
            controller->AdvanceTime(0.016, nullptr);
        }
        set->Release();
    }
}

void Log(const char* text)
{
    QV7_Logger::Log(g_logger, "%s", text);
}
} // namespace

int FuzzXFile(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    D3DXSetMessageSink(Log);
    FuzzAllocator allocator;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* controller = nullptr;
    if (SUCCEEDED(D3DXLoadMeshHierarchyFromXInMemory(data, DWORD(size), D3DXMESH_MANAGED, g_device,
                                                     &allocator, nullptr, &root, &controller)))
    {
        if (D3DXMESHCONTAINER* skinned = FindSkinned(root))
            Blend(skinned);
        if (controller)
        {
            Play(controller);
            controller->Release();
        }
        D3DXFrameDestroy(root, &allocator);
    }
    D3DXSetMessageSink(nullptr);
    return 0;
}
