// The driver-figure database's animated list: every loaded figure, the
// "Skinned" effect they are drawn with, and the white picture a figure whose
// texture is missing is drawn with. g_skinnedEffect points to it while it lives.
#pragma once

#include "figures/AnimatedMesh.h"
#include "shell/QV7_Collection.h"

struct ShaderEntry;

struct AnimatedMeshList
{
    AnimatedMeshList() = default;
    ~AnimatedMeshList();
    AnimatedMeshList(const AnimatedMeshList&) = delete;
    AnimatedMeshList& operator=(const AnimatedMeshList&) = delete;

    // A 1 x 1 white texture, made on first use; null without a device.
    IDirect3DTexture9* WhiteTexture();
    void ReleaseWhiteTexture();

    QV7_Collection<AnimatedMesh> m_Figures;
    ShaderEntry* m_Effect = nullptr;
    IDirect3DTexture9* m_White = nullptr;
};

extern AnimatedMeshList* g_skinnedEffect;
