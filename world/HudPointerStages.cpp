// Stage set-up of the HUD pointer's subsets. Two layouts: where the adapter
// blends three textures and the subset asks for it (environment flag 1), the
// reflection goes first and the base texture is laid over it with its alpha
// (MODULATEALPHA_ADDCOLOR), then the lit colour modulates the sum; otherwise
// the base texture is modulated by the lit colour and the reflection, if any,
// added on the second stage.
#include "world/HudPointerStages.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "platform/d3dx/D3DXMath.h"
#include "world/LodMeshObject.h"

namespace
{
constexpr DWORD kStagesUsed = 3;

void Bind(QV7_Scene& scene, DWORD stage, IDirect3DBaseTexture9* texture)
{
    scene.SetTexture(texture, stage);
}

void Operation(QV7_Scene& scene, DWORD stage, DWORD op, DWORD arg1, DWORD arg2)
{
    scene.SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
    scene.SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
    scene.SetTextureStageState(stage, D3DTSS_COLOROP, op);
}

void PlainCoordinates(QV7_Scene& scene, DWORD stage)
{
    scene.SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    scene.SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

// Camera-space reflection vectors through an identity transform, set here so
// that a transform another renderer left on the stage never applies.
void ReflectionCoordinates(QV7_Scene& scene, DWORD stage)
{
    scene.SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    scene.SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    scene.SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    if (g_device)
    {
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &identity);
    }
}

void Disable(QV7_Scene& scene, DWORD stage)
{
    Bind(scene, stage, nullptr);
    PlainCoordinates(scene, stage);
    scene.SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

// Environment flag 1 on an adapter with more than two texture stages.
// Returns the number of stages in use.
DWORD MultiStage(QV7_Scene& scene, const HudPointerSubset& s)
{
    IDirect3DBaseTexture9* t0 = s.texture0;
    IDirect3DBaseTexture9* t1 = s.texture1;
    if (t1)
    {
        Bind(scene, 0, t1);
        ReflectionCoordinates(scene, 0);
        Operation(scene, 0, t0 ? D3DTOP_SELECTARG1 : D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    }
    else
        Bind(scene, 0, nullptr);
    if (!t0)
        return 1;
    if (t1)
    {
        Bind(scene, 1, t0);
        Operation(scene, 1, D3DTOP_MODULATEALPHA_ADDCOLOR, D3DTA_TEXTURE, D3DTA_CURRENT);
        PlainCoordinates(scene, 1);
        Bind(scene, 2, nullptr);
        Operation(scene, 2, D3DTOP_MODULATE, s.lastStageArgument, D3DTA_CURRENT);
        return 3;
    }
    Bind(scene, 0, t0);
    Operation(scene, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    PlainCoordinates(scene, 0);
    scene.SetRenderState(FALSE, D3DRS_NORMALIZENORMALS);
    return 1;
}

// Every other subset: base texture modulated, the reflection added on stage 1
// when the environment flag is 0.
DWORD TwoStage(QV7_Scene& scene, const HudPointerSubset& s)
{
    IDirect3DBaseTexture9* t0 = s.texture0;
    IDirect3DBaseTexture9* t1 = s.texture1;
    Bind(scene, 2, nullptr);
    Bind(scene, 0, t0);
    if (t0)
    {
        Operation(scene, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        PlainCoordinates(scene, 0);
        scene.SetRenderState(FALSE, D3DRS_NORMALIZENORMALS);
    }
    else if (t1)
    {
        Bind(scene, 0, t1);
        Operation(scene, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        ReflectionCoordinates(scene, 0);
    }
    if (t0 && t1 && s.environmentFlag == 0)
    {
        Bind(scene, 1, t1);
        Operation(scene, 1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
        ReflectionCoordinates(scene, 1);
        return 2;
    }
    return 1;
}
} // namespace

void SetHudPointerStages(QV7_Scene& scene, const HudPointerSubset& s, DWORD maxSimultaneousTextures)
{
    scene.SetRenderState(s.cullMode, D3DRS_CULLMODE);
    scene.SetRenderState(s.blendMode ? TRUE : FALSE, D3DRS_ALPHABLENDENABLE);
    scene.SetRenderState(s.sourceBlend, D3DRS_SRCBLEND);
    scene.SetRenderState(s.destinationBlend, D3DRS_DESTBLEND);
    scene.SetRenderState(s.specularEnable, D3DRS_SPECULARENABLE);

    const bool multiStage = s.environmentFlag == 1 && maxSimultaneousTextures > 2;
    const DWORD used = multiStage ? MultiStage(scene, s) : TwoStage(scene, s);
    // A stage without a texture reads white: modulating keeps the lit colour.
    if (!scene.m_Tables.textures[0])
    {
        Operation(scene, 0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
        PlainCoordinates(scene, 0);
    }
    for (DWORD stage = used; stage < kStagesUsed; ++stage)
        Disable(scene, stage);
    if (used == kStagesUsed)
        scene.SetTextureStageState(kStagesUsed, D3DTSS_COLOROP, D3DTOP_DISABLE);

    const DWORD mip = s.mipFlag == 1 ? D3DTEXF_LINEAR : D3DTEXF_NONE;
    scene.SetSamplerState(D3DSAMP_MIPFILTER, 0, mip);
    if (s.texture1)
        scene.SetSamplerState(D3DSAMP_MIPFILTER, 1, mip);
    scene.SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
}

HudPointerSubset HudPointerSubsetOf(const LodMeshObject& mesh, uint32_t subset)
{
    HudPointerSubset s;
    s.cullMode = mesh.Word(MESH_WORD_CULLMODE, subset);
    s.mipFlag = mesh.Word(MESH_WORD_MIPFILTER, subset);
    s.environmentFlag = mesh.Word(MESH_WORD_ENVIRONMENT, subset);
    s.specularEnable = mesh.Word(MESH_WORD_SPECULAR, subset);
    s.blendMode = mesh.Word(MESH_WORD_BLEND, subset);
    s.sourceBlend = mesh.Word(MESH_WORD_SRCBLEND, subset);
    s.destinationBlend = mesh.Word(MESH_WORD_DESTBLEND, subset);
    s.texture0 = mesh.Texture(subset);
    s.texture1 = mesh.Texture2(subset);
    return s;
}

DWORD MaxSimultaneousTextures(IDirect3DDevice9* device)
{
    D3DCAPS9 caps{};
    return device->GetDeviceCaps(&caps) == D3D_OK ? caps.MaxSimultaneousTextures : 1;
}
