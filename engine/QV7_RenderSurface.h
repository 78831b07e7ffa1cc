// Off-screen colour targets with their own depth buffer, drawn into through
// the render-to-surface helper and then used as textures: the water's
// reflection and the race frame shown behind the in-race menus. Every surface
// lives in the one list (g_renderSurfaces) so that device loss can release
// and recreate them all.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/D3DXRenderToSurface.h"
#include "shell/QV7_Collection.h"

class QV7_RenderSurface
{
  public:
    QV7_RenderSurface() = default;
    ~QV7_RenderSurface();
    QV7_RenderSurface(const QV7_RenderSurface&) = delete;
    QV7_RenderSurface& operator=(const QV7_RenderSurface&) = delete;

    // A new surface, already in the list; viewport sizes of 0 or less mean
    // the surface's own. Throws CDException when its device objects cannot
    // be made.
    static QV7_RenderSurface* Create(int width, int height, int viewportWidth, int viewportHeight);

    void BeginScene();
    void EndScene();
    void SetPerspective(float farPlane);
    void Release();
    // Makes the device objects again after a reset, in the back buffer's format.
    void Recreate();

    ID3DXRenderToSurface* m_RenderToSurface = nullptr;
    D3DVIEWPORT9 m_Viewport{};
    D3DCOLOR m_ClearColour = 0;
    IDirect3DTexture9* m_Texture = nullptr;
    IDirect3DSurface9* m_Surface = nullptr;
    int m_Width = 0;
    int m_Height = 0;
    // The surface's own projection; nothing draws with it (BeginScene sends
    // the camera's), kept for the callers that set it.
    D3DXMATRIX m_Projection;
    float m_Far = 0.0f;
    float m_Fov = 0.0f;

  private:
    void MakeObjects(D3DFORMAT format, int failureLine, const char* failureLog);
};

class QV7_RenderSurfaceList : public QV7_Collection<QV7_RenderSurface>
{
  public:
    QV7_RenderSurfaceList();
    // Clears g_renderSurfaces, then releases and deletes every surface, last first.
    ~QV7_RenderSurfaceList();
    // 1 releases every surface's device objects; 0 makes them again.
    void OnLostReset(int lost);
};

extern QV7_RenderSurfaceList* g_renderSurfaces;

// Releases and deletes a surface of the list; one not in the list is logged
// and left alone.
void DeleteRenderSurface(QV7_RenderSurface* surface);
