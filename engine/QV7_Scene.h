// The render-state cache (g_scene): every render state, stage texture,
// texture-stage state and sampler state the game changes goes through here.
// A setter reaches the device only when the value differs from the cached
// one, and a work space (StartWorkSpace ... EndWorkSpace) puts back every
// entry its group changed, so renderers never see each other's states.
//
// The cache holds what the game last asked of the device, not the device's
// real state; ResetCache makes the two agree after every creation and reset.
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstdint>

class QV7_Scene
{
  public:
    static constexpr int kRenderStates = 255;
    static constexpr int kStages = 4;
    static constexpr int kStageStates = 40;
    static constexpr int kSamplerStates = 15;

    QV7_Scene();
    ~QV7_Scene();

    void SetRenderState(DWORD value, D3DRENDERSTATETYPE state);
    DWORD GetRenderState(D3DRENDERSTATETYPE state) const { return m_Tables.renderStates[state]; }
    void SetTexture(IDirect3DBaseTexture9* texture, DWORD stage);
    void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    void SetSamplerState(D3DSAMPLERSTATETYPE type, DWORD sampler, DWORD value);

    // Called before a texture is released: unbinds it wherever the cache or an
    // open work space's snapshot still holds it, so neither hands the device
    // a freed texture later.
    void ForgetTexture(IDirect3DBaseTexture9* texture);

    void StartWorkSpace();
    // keepTextures 1 leaves the four stage textures as the group left them.
    void EndWorkSpace(int keepTextures);
    // 1 (lost) does nothing; 0 (reset) writes the initial values again.
    void OnLostReset(int lost);
    // Fills the cache with its initial values and writes them to the device.
    void ResetCache();

    // The four cached tables; the snapshot of a work space is a copy of them.
    struct Tables
    {
        DWORD renderStates[kRenderStates];
        IDirect3DBaseTexture9* textures[kStages];
        DWORD stageStates[kStages][kStageStates];
        DWORD samplerStates[kStages][kSamplerStates];
    };

    uint8_t m_Open = 0;
    Tables m_Tables{};
    Tables m_Snapshot{};

  private:
    void FillInitialValues();
    void WriteAllToDevice();
    void ApplyTextureFiltering();
};

extern QV7_Scene* g_scene;
