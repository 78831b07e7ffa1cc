// The texture-stage set-up of one subset of the race HUD's pointer mesh: its
// render words, then up to three stages combining its base texture (T0) and
// its environment texture (T1), the latter with reflection coordinates.
// Kept apart from the mesh so the whole table (environment flag x stage
// count x which textures exist) can be checked on the render-state cache alone.
#pragma once

#include "platform/gfx/D3D9.h"

class LodMeshObject;
class QV7_Scene;

struct HudPointerSubset
{
    DWORD cullMode = D3DCULL_CCW;
    DWORD mipFlag = 0;         // 1: linear mip filtering
    DWORD environmentFlag = 0; // 1: multi-stage reflection where three stages exist
    DWORD specularEnable = 0;
    DWORD blendMode = 0; // any non-zero value turns blending on
    DWORD sourceBlend = D3DBLEND_ONE;
    DWORD destinationBlend = D3DBLEND_ZERO;
    IDirect3DBaseTexture9* texture0 = nullptr;
    IDirect3DBaseTexture9* texture1 = nullptr;
    // What the third stage of the three-stage layout modulates the sum by.
    DWORD lastStageArgument = D3DTA_DIFFUSE;
};

// Sets the subset's render states and stages 0 to 2 through the cache, and the
// identity transform of every stage that takes reflection coordinates.
// Every stage past the last one used is disabled, so a subset never inherits
// the stages of the one drawn before it.
void SetHudPointerStages(QV7_Scene& scene, const HudPointerSubset& subset, DWORD maxSimultaneousTextures);

// A subset's render words and textures as the mesh keeps them.
HudPointerSubset HudPointerSubsetOf(const LodMeshObject& mesh, uint32_t subset);

// How many texture stages the device blends in one pass (1 where it will not say).
DWORD MaxSimultaneousTextures(IDirect3DDevice9* device);
