// Loading one figure entry of Triggers.qvx. The whole entry is read before the
// .x is handed to D3DX, so a figure that is refused leaves the file right
// after its entry and the next one reads from the right place. Everything a
// draw later follows without a second look (the skinned container, every
// bone's frame, the controller) is checked here, and a figure missing any of
// it is dropped.
#include "figures/AnimatedMesh.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "figures/TriggersFileError.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <climits>
#include <vector>

AnimatedMesh::AnimatedMesh()
{
    D3DXMatrixIdentity(&m_World);
}

AnimatedMesh::~AnimatedMesh()
{
    FreeFrameTree(m_FrameRoot);
    if (m_Skinned)
        m_Allocator.DestroyMeshContainer(m_Skinned);
    for (IUnknown* held : {static_cast<IUnknown*>(m_Controller), static_cast<IUnknown*>(m_VertexBuffer),
                           static_cast<IUnknown*>(m_IndexBuffer)})
        if (held)
            held->Release();
}

// Containers other than the skinned one are freed with their frames; the
// skinned one goes last, as the figure still points to it.
void AnimatedMesh::FreeFrameTree(D3DXFRAME* frame)
{
    while (frame)
    {
        D3DXFRAME* sibling = frame->pFrameSibling;
        FreeFrameTree(frame->pFrameFirstChild);
        for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c;)
        {
            D3DXMESHCONTAINER* next = c->pNextMeshContainer;
            if (c != m_Skinned)
                m_Allocator.DestroyMeshContainer(c);
            c = next;
        }
        m_Allocator.DestroyFrame(frame);
        frame = sibling;
    }
}

SkinMeshContainer* AnimatedMesh::FindSkinnedContainer(D3DXFRAME* frame)
{
    if (!frame)
        return nullptr;
    for (D3DXMESHCONTAINER* c = frame->pMeshContainer; c; c = c->pNextMeshContainer)
        if (c->MeshData.pMesh)
            return static_cast<SkinMeshContainer*>(c);
    if (SkinMeshContainer* found = FindSkinnedContainer(frame->pFrameSibling))
        return found;
    return FindSkinnedContainer(frame->pFrameFirstChild);
}

void AnimatedMesh::FillPalette(DWORD combination)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    QV7_Skin_Allocator::UpdateFrameMatrices(m_FrameRoot, identity);
    const auto* table =
        static_cast<const D3DXBONECOMBINATION*>(m_Skinned->pBoneCombinationBuf->GetBufferPointer());
    for (DWORD slot = 0; slot < m_Skinned->NumPaletteEntries; ++slot)
    {
        const DWORD bone = table[combination].BoneId[slot];
        if (bone == UINT_MAX || bone >= DWORD(m_Bones))
            continue;
        D3DXMatrixMultiply(&m_Palette[slot], &m_Skinned->pBoneOffsetMatrices[bone], m_BoneMatrices[bone]);
    }
}

namespace
{
struct FigureEntry
{
    std::vector<uint8_t> xFile;
    D3DMATERIAL9 material{};
    uint32_t textureId = 0;
};

FigureEntry ReadEntry(BinaryReader& file, int32_t id)
{
    FigureEntry entry;
    const uint32_t size = file.ReadUInt32();
    if (file.Failed())
        RefuseTriggersFile("is cut short before the size of figure %d", id);
    if (size_t(size) > file.Remaining() || file.Remaining() - size < kFigureMaterialSize + 4)
        RefuseTriggersFile("figure %d of %u bytes is larger than the file", id, size);
    entry.xFile.resize(size);
    file.ReadBytes(entry.xFile.data(), size);
    file.ReadBytes(&entry.material, kFigureMaterialSize);
    entry.textureId = file.ReadUInt32();
    return entry;
}

void LogLoadError(HRESULT hr)
{
    if (hr == D3DERR_INVALIDCALL)
        QV7_Logger::Log(g_logger, "ERROR: D3DERR_INVALIDCALL");
    else if (hr == E_OUTOFMEMORY)
        QV7_Logger::Log(g_logger, "ERROR: E_OUTOFMEMORY");
    else
        QV7_Logger::Log(g_logger, "ERROR: Code %d", int(hr));
}

// The skinned container, its bones' frames and the draw buffers; false (and
// a log line) for a figure that has no skinned mesh or a bone without a frame.
bool BindSkin(AnimatedMesh& figure)
{
    figure.m_Skinned = AnimatedMesh::FindSkinnedContainer(figure.m_FrameRoot);
    if (!figure.m_Skinned)
    {
        QV7_Logger::Log(g_logger, "ERROR: Triggers: figure %d has no skinned mesh", figure.m_Id);
        return false;
    }
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    QV7_Skin_Allocator::UpdateFrameMatrices(figure.m_FrameRoot, identity);
    ID3DXSkinInfo* skin = figure.m_Skinned->pSkinInfo;
    figure.m_Bones = int32_t(skin->GetNumBones());
    QV7_Logger::Log(g_logger, "INFO: Loading Animated X File with %d Bones", figure.m_Bones);
    figure.m_BoneMatrices.assign(size_t(figure.m_Bones), nullptr);
    figure.m_Palette.assign(size_t(figure.m_Bones), identity);
    for (DWORD b = 0; b < DWORD(figure.m_Bones); ++b)
    {
        SkinFrame* frame = QV7_Skin_Allocator::FindFrame(figure.m_FrameRoot, skin->GetBoneName(b));
        if (!frame)
        {
            QV7_Logger::Log(g_logger, "ERROR: Triggers: figure %d has bone %s without a frame", figure.m_Id,
                            skin->GetBoneName(b) ? skin->GetBoneName(b) : "?");
            return false;
        }
        figure.m_BoneMatrices[b] = &frame->CombinedTransformationMatrix;
    }
    ID3DXMesh* blended = figure.m_Skinned->pBlendedMesh;
    figure.m_VertexFormat = blended->GetFVF();
    figure.m_VertexSize = blended->GetNumBytesPerVertex();
    blended->GetVertexBuffer(&figure.m_VertexBuffer);
    blended->GetIndexBuffer(&figure.m_IndexBuffer);
    DWORD ranges = 0;
    blended->GetAttributeTable(nullptr, &ranges);
    figure.m_AttributeTable.resize(ranges);
    if (ranges)
        blended->GetAttributeTable(figure.m_AttributeTable.data(), &ranges);
    return true;
}

bool BuildFigure(AnimatedMesh& figure, const FigureEntry& entry)
{
    const HRESULT hr = D3DXLoadMeshHierarchyFromXInMemory(
        entry.xFile.data(), DWORD(entry.xFile.size()), D3DXMESH_MANAGED, g_device, &figure.m_Allocator,
        nullptr, reinterpret_cast<D3DXFRAME**>(&figure.m_FrameRoot), &figure.m_Controller);
    if (FAILED(hr))
    {
        LogLoadError(hr);
        return false;
    }
    if (!BindSkin(figure))
        return false;
    if (!figure.m_Controller)
    {
        QV7_Logger::Log(g_logger, "ERROR: Triggers: figure %d has no animation", figure.m_Id);
        return false;
    }
    return true;
}

bool DebugAnimOn()
{
    return g_windowsData && g_windowsData->m_Settings.DebugAnim == 1;
}
} // namespace

AnimatedMesh* LoadAnimatedMesh(QV7_Collection<AnimatedMesh>& list, BinaryReader& file, int32_t id)
{
    const FigureEntry entry = ReadEntry(file, id);
    if (DebugAnimOn())
        return nullptr;
    AnimatedMesh* figure = list.Add();
    figure->m_Id = id;
    if (!BuildFigure(*figure, entry))
    {
        QV7_Logger::Log(g_logger, "ERROR: Unable to load annimated x mesh from data with id: %d", id);
        list.Delete(figure);
        return nullptr;
    }
    figure->m_Material = entry.material;
    figure->m_Texture = g_itemTextures ? g_itemTextures->FindByCompileId(entry.textureId) : nullptr;
    return figure;
}
