// A race's sun shadows: each frame the casters are drawn from the sun into a
// 2048 by 2048 single-channel float texture (the shadow pass), and the
// receivers then draw a second pass with the "ShadowMap" effect that
// compares against it, using the light's view and projection kept here.
// Shadows are optional: the object switches itself off when the settings, the
// hardware or the effect do not allow them, and for the rest of the race
// after any fault.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/Effect.h"

struct ShaderEntry;

class QV7_ShadowMap
{
  public:
    static constexpr UINT kSize = 2048;
    // How far up-light of the camera the light sits.
    static constexpr float kLightDistance = 7000.0f;

    QV7_ShadowMap() = default;
    ~QV7_ShadowMap();
    QV7_ShadowMap(const QV7_ShadowMap&) = delete;
    QV7_ShadowMap& operator=(const QV7_ShadowMap&) = delete;

    void Create();
    void Destroy();
    // 1 releases the textures; 0 makes them again when shadows are on.
    void OnLostReset(int lost);
    // 1 when the device now renders into the shadow textures with the
    // light's matrices; EndShadowPass must follow then, and only then.
    int BeginShadowPass();
    void EndShadowPass();

    // The direction the sun's light travels in, from the landscape; straight
    // down while no landscape has set it.
    static bool (*s_SunDirection)(D3DXVECTOR3* direction);

    int m_Enabled = 0;
    D3DXMATRIX m_SavedView;
    D3DXMATRIX m_SavedProjection;
    IDirect3DTexture9* m_Texture = nullptr;
    IDirect3DTexture9* m_TextureSurf = nullptr;
    IDirect3DSurface9* m_SavedTarget = nullptr;
    IDirect3DSurface9* m_SavedDepth = nullptr;
    D3DXVECTOR3 m_LightEye{0.0f, 0.0f, 0.0f};
    D3DXMATRIX m_LightView;
    D3DXMATRIX m_LightProjection;
    ShaderEntry* m_Shader = nullptr;
    D3DXHANDLE m_RenderShadow = nullptr;
    D3DXHANDLE m_RenderScene = nullptr;

  private:
    void CreateUnguarded();
    bool CreateTextures(const char* textureLog, const char* depthLog);
    void ReleaseTextures();
    void ReleaseSaved();
    int BeginUnguarded();
    void EndUnguarded();
    // Runs an operation; any fault inside switches shadows off for good.
    template <class Operation> bool Guarded(Operation operation);
};
