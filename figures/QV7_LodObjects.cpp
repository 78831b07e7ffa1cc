// Reading and drawing the rigid figures. The block reader is the one every
// rigid mesh of the game goes through; the stage set-up per material is the
// one the race HUD's pointer shares, with the landscape's fog taken over.
#include "figures/QV7_LodObjects.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "world/HudPointerStages.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObjectReader.h"

QV7_LodObjects* g_lodObjects = nullptr;

namespace
{
HudPointerSubset SubsetOf(const LodMeshObject& mesh, uint32_t i)
{
    HudPointerSubset s = HudPointerSubsetOf(mesh, i);
    // The figures' third stage modulates by a stage without a texture (white),
    // where the pointer modulates by the lit colour once more.
    s.lastStageArgument = D3DTA_TEXTURE;
    return s;
}
} // namespace

QV7_LodObjects::QV7_LodObjects()
{
    g_lodObjects = this;
}

QV7_LodObjects::~QV7_LodObjects()
{
    DestroyList();
}

LodMeshObject* QV7_LodObjects::LoadMesh(BinaryReader& file, uint32_t id)
{
    LodMeshObject* object = m_Objects.Add();
    ReadMeshObjectBlock(file, *object, m_VertexFormat, g_device, g_itemTextures, LodObjectsMeshReader(id));
    return object;
}

void QV7_LodObjects::DestroyList()
{
    if (g_lodObjects == this)
        g_lodObjects = nullptr;
    m_Objects.Clear();
}

void QV7_LodObjects::Render(const LodMeshObject& object)
{
    if (!g_device || !g_scene || object.m_SubsetCount == 0 || !object.m_VertexBuffer)
        return;
    QV7_Scene& scene = *g_scene;
    scene.StartWorkSpace();
    g_device->SetTransform(D3DTS_WORLD, &object.m_World);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        scene.SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        scene.SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    scene.SetRenderState(TRUE, D3DRS_LIGHTING);
    scene.SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    ApplyLandscapeFog();
    object.BindBuffers(g_device, kVertexFormat);
    const DWORD stages = MaxSimultaneousTextures(g_device);
    for (uint32_t i = 0; i < object.m_SubsetCount; ++i)
    {
        g_device->SetMaterial(&object.m_Materials[i]);
        SetHudPointerStages(scene, SubsetOf(object, i), stages);
        object.DrawSubsetRange(g_device, i);
    }
    scene.EndWorkSpace(0);
}
