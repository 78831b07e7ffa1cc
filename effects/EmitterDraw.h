// Drawing one emitter's particles: billboards through the library's
// billboard effect in batches of the dynamic vertex buffer, mesh particles
// as effect meshes. Templates played in place and live instances share it;
// the options carry what an instance changes.
#pragma once

#include "effects/QV7_EffectsList.h"

#include <vector>

struct BillboardDrawOptions
{
    float drawScale = 1.0f;
    bool colourOverride = false;
    D3DCOLOR colour = 0xFFFFFFFFu;
};

struct MeshDrawOptions
{
    bool instance = false; // the instance rules below apply
    const EmitterRenderWords* words = nullptr;
    float drawScale = 1.0f;
    int32_t meshScaleMode = 0; // non-zero: meshes at the draw scale
    int32_t ageFadeRef = -1;   // 0..255: ALPHAREF after the words
    bool noZWrite = false;
    bool noMip = false;
};

// Negative when a is farther from the camera eye than b.
int CompareParticleDepth(const EffectParticle* a, const EffectParticle* b);
// Farthest first.
void SortParticlesByDepth(std::vector<EffectParticle*>& particles);

// Quads in the staging array and their flushes: a batch holds at most 2496
// vertices; segments 0..3 of the buffer are filled without overwrite, then
// the buffer is discarded and filling starts again at segment 0.
class BillboardBatch
{
  public:
    BillboardBatch(QV7_EffectsList& library, const EmitterRenderWords& words);
    void Quad(const D3DXVECTOR3& bottom, const D3DXVECTOR3& top, float h, float u, float v, D3DCOLOR colour);
    // Flushes when the next quad could not fit.
    void FlushIfFull();
    void Flush(bool final);
    int Batches() const { return m_Batches; }

  private:
    QV7_EffectsList& m_Library;
    const EmitterRenderWords& m_Words;
    int m_Count = 0;
    int m_Segment = 0;
    int m_Batches = 0;
};

void DrawBillboardEmitter(QV7_EffectsList& library, std::vector<EffectParticle*>& particles,
                          int32_t textureId, const EmitterRenderWords& words, bool sort,
                          const D3DXMATRIX& placement, const BillboardDrawOptions& options);

void DrawMeshEmitter(QV7_EffectsList& library, QV7_Collection<EffectMeshParticle>& particles, int32_t meshId,
                     const D3DXMATRIX& placement, const MeshDrawOptions& options);
