// A mesh that mesh-particle emitters draw: a mesh object block of an effect
// library, placed per particle, rescaled per draw and drawn with the map's fog.
#pragma once

#include "world/MeshObject.h"

class QV7_EffectsList;

class EffectMesh : public MeshObject
{
  public:
    EffectMesh();

    // Rescales the scale-dependent bounds from the current scale to the new
    // one (the sphere centre stays).
    void SetScale(float scale);
    // Draws at the current world matrix; with skipAlphaTest 0 it sets the
    // alpha test itself.
    void Render(int skipAlphaTest);

    int32_t m_NoAlphaTest = 0;
    int32_t m_NoMip = 0;
    D3DXMATRIX m_TextureMatrix[2];
    QV7_EffectsList* m_Owner = nullptr;

  private:
    void ApplyFog() const;
    void SetStageDefaults() const;
    void SetReflection(DWORD stage, IDirect3DBaseTexture9* texture, uint32_t subset) const;
    void DrawSubset(uint32_t subset, bool multiTexture);
};

// The library's mesh vertex format: position, normal, one texture coordinate.
constexpr DWORD kEffectMeshFvf = 274;
