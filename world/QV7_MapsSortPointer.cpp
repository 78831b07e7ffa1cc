// Drawing the race HUD's pointer: fixed-function, lit with the material the
// HUD sets each frame, each subset with its own render words and the stage
// set-up of HudPointerStages.
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "world/HudPointerStages.h"
#include "world/QV7_MapsSort.h"

void QV7_MapsSort::RenderHudPointer(LodMeshObject& pointerMesh) const
{
    if (!g_device || !g_scene || pointerMesh.m_SubsetCount == 0 || !pointerMesh.m_VertexBuffer)
        return;
    QV7_Scene& scene = *g_scene;
    scene.StartWorkSpace();
    g_device->SetTransform(D3DTS_WORLD, &pointerMesh.m_World);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        scene.SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
        scene.SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
    }
    scene.SetRenderState(TRUE, D3DRS_LIGHTING);
    scene.SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    pointerMesh.BindBuffers(g_device, m_PointerFvf);
    const DWORD stages = MaxSimultaneousTextures(g_device);
    for (uint32_t i = 0; i < pointerMesh.m_SubsetCount; ++i)
    {
        g_device->SetMaterial(&pointerMesh.m_Materials[i]);
        SetHudPointerStages(scene, HudPointerSubsetOf(pointerMesh, i), stages);
        pointerMesh.DrawSubsetRange(g_device, i);
    }
    scene.EndWorkSpace(0);
}
