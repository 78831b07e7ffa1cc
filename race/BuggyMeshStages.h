// The texture stages of one buggy subset: its base texture and its
// reflection texture combined in one of two layouts. Where the subset asks
// for it and the adapter blends three textures, the reflection goes first and
// the base texture is laid over it by its own alpha, then the lit colour
// modulates the sum; otherwise the base texture is modulated by the lit
// colour and the reflection, if any, added on the second stage. Kept as a
// plan apart from the device, so the whole table can be checked on its own.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"

class QV7_Scene;

enum class BuggyStageSource
{
    None,       // no texture on the stage
    Base,       // the subset's first texture, coordinate set 0
    Reflection, // the second texture, camera-space reflection coordinates through the bias matrix
};

struct BuggyStage
{
    BuggyStageSource source = BuggyStageSource::None;
    DWORD colourOp = D3DTOP_DISABLE;
    DWORD arg1 = D3DTA_TEXTURE;
    DWORD arg2 = D3DTA_CURRENT;
};

struct BuggyStagePlan
{
    static constexpr int kStages = 3;
    bool multiStage = false;
    BuggyStage stages[kStages];
    // Stages in use; the first one after them is free for the island's shading.
    DWORD used = 1;
    // Normal normalisation while the texture stages are being set; the
    // renderer turns it on for the draw in any case.
    DWORD normalizeNormals = TRUE;
};

// hasBase / hasReflection: which of the subset's textures exist; multiStageWord:
// the subset's multi-texture word (1 asks for the three-stage layout).
BuggyStagePlan PlanBuggyStages(bool hasBase, bool hasReflection, DWORD multiStageWord,
                               DWORD maxSimultaneousTextures);

// Sets the plan's stages through the cache: textures, colour operations,
// coordinates, the bias matrix on every stage with reflection coordinates.
// Stages past the plan are disabled, so a subset never inherits the stages of
// the one drawn before it. withAlpha also routes the base texture's alpha to
// the output (stage 0 selects the texture's alpha, later stages modulate).
void ApplyBuggyStages(QV7_Scene& scene, const BuggyStagePlan& plan, IDirect3DBaseTexture9* base,
                      IDirect3DBaseTexture9* reflection, const D3DXMATRIX& bias, bool withAlpha);
