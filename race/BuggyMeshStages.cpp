// The two stage layouts of a buggy subset and how they reach the cache.
#include "race/BuggyMeshStages.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"

namespace
{
BuggyStage Stage(BuggyStageSource source, DWORD op, DWORD arg1 = D3DTA_TEXTURE, DWORD arg2 = D3DTA_CURRENT)
{
    BuggyStage stage;
    stage.source = source;
    stage.colourOp = op;
    stage.arg1 = arg1;
    stage.arg2 = arg2;
    return stage;
}

// The lit colour alone: a stage without a texture reads nothing worth modulating.
BuggyStage LitColour()
{
    return Stage(BuggyStageSource::None, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_CURRENT);
}

void PlanMultiStage(BuggyStagePlan& plan, bool hasBase, bool hasReflection)
{
    using S = BuggyStageSource;
    if (hasReflection && hasBase)
    {
        plan.stages[0] = Stage(S::Reflection, D3DTOP_SELECTARG1);
        plan.stages[1] = Stage(S::Base, D3DTOP_MODULATEALPHA_ADDCOLOR);
        plan.stages[2] = Stage(S::None, D3DTOP_MODULATE, D3DTA_DIFFUSE, D3DTA_CURRENT);
        plan.used = 3;
        return;
    }
    if (hasReflection)
        plan.stages[0] = Stage(S::Reflection, D3DTOP_MODULATE);
    else if (hasBase)
    {
        plan.stages[0] = Stage(S::Base, D3DTOP_MODULATE);
        plan.normalizeNormals = FALSE;
    }
    else
        plan.stages[0] = LitColour();
}

void PlanSimple(BuggyStagePlan& plan, bool hasBase, bool hasReflection, DWORD multiStageWord)
{
    using S = BuggyStageSource;
    if (hasBase)
    {
        plan.stages[0] = Stage(S::Base, D3DTOP_MODULATE);
        plan.normalizeNormals = FALSE;
        if (hasReflection && multiStageWord == 0)
        {
            plan.stages[1] = Stage(S::Reflection, D3DTOP_ADD);
            plan.normalizeNormals = TRUE;
            plan.used = 2;
        }
        return;
    }
    plan.stages[0] = hasReflection ? Stage(S::Reflection, D3DTOP_MODULATE) : LitColour();
}

void Coordinates(QV7_Scene& scene, DWORD stage, BuggyStageSource source, const D3DXMATRIX& bias)
{
    if (source != BuggyStageSource::Reflection)
    {
        scene.SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
        scene.SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        return;
    }
    scene.SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    scene.SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    if (g_device)
        g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &bias);
}

void Alpha(QV7_Scene& scene, DWORD stage, const BuggyStage& s)
{
    if (stage == 0)
    {
        const DWORD argument = s.source == BuggyStageSource::None ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
        scene.SetTextureStageState(0, D3DTSS_ALPHAARG1, argument);
        scene.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        return;
    }
    scene.SetTextureStageState(stage, D3DTSS_ALPHAARG1,
                               s.source == BuggyStageSource::None ? D3DTA_DIFFUSE : D3DTA_TEXTURE);
    scene.SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_CURRENT);
    scene.SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}
} // namespace

BuggyStagePlan PlanBuggyStages(bool hasBase, bool hasReflection, DWORD multiStageWord,
                               DWORD maxSimultaneousTextures)
{
    BuggyStagePlan plan;
    plan.multiStage = multiStageWord == 1 && maxSimultaneousTextures > 2;
    if (plan.multiStage)
        PlanMultiStage(plan, hasBase, hasReflection);
    else
        PlanSimple(plan, hasBase, hasReflection, multiStageWord);
    return plan;
}

void ApplyBuggyStages(QV7_Scene& scene, const BuggyStagePlan& plan, IDirect3DBaseTexture9* base,
                      IDirect3DBaseTexture9* reflection, const D3DXMATRIX& bias, bool withAlpha)
{
    scene.SetRenderState(plan.normalizeNormals, D3DRS_NORMALIZENORMALS);
    for (DWORD stage = 0; stage < BuggyStagePlan::kStages; ++stage)
    {
        const BuggyStage& s = plan.stages[stage];
        IDirect3DBaseTexture9* texture = s.source == BuggyStageSource::Base         ? base
                                         : s.source == BuggyStageSource::Reflection ? reflection
                                                                                    : nullptr;
        scene.SetTexture(texture, stage);
        Coordinates(scene, stage, s.source, bias);
        if (stage >= plan.used)
        {
            scene.SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
            scene.SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
            continue;
        }
        scene.SetTextureStageState(stage, D3DTSS_COLORARG1, s.arg1);
        scene.SetTextureStageState(stage, D3DTSS_COLORARG2, s.arg2);
        scene.SetTextureStageState(stage, D3DTSS_COLOROP, s.colourOp);
        if (withAlpha)
            Alpha(scene, stage, s);
    }
    if (plan.used == BuggyStagePlan::kStages)
        scene.SetTextureStageState(BuggyStagePlan::kStages, D3DTSS_COLOROP, D3DTOP_DISABLE);
}
