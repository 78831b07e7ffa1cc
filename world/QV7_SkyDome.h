// The island's sky: an open-bottomed box 22000 units from its centre to each
// face, textured from one atlas and always centred on the eye so that it never
// comes closer. The race draws it first in the main pass with depth testing
// off, and the water's reflection pass draws it again mirrored, its height
// clamped against the water level. The sky is never fogged: a fogged box this
// far out would be painted in the fog colour.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"

struct TextureRecord;

class QV7_SkyDome
{
  public:
    static constexpr int kVertexCount = 28;
    static constexpr int kTriangleCount = 18;
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_TEX1;
    // How far above the water the reflected dome may rise before it is lowered
    // as the eye climbs.
    static constexpr float kReflectionHeight = 3795.0f;

    struct Vertex
    {
        float x, y, z;
        float u, v;
    };

    QV7_SkyDome();
    ~QV7_SkyDome();
    QV7_SkyDome(const QV7_SkyDome&) = delete;
    QV7_SkyDome& operator=(const QV7_SkyDome&) = delete;

    // reflection 1 in the water's reflection pass.
    void Render(int reflection);
    // Where the dome's centre goes for the eye in this pass.
    D3DXVECTOR3 Centre(const D3DXVECTOR3& eye, int reflection) const;

    // The box's corners and atlas coordinates, in buffer order.
    static void FillVertices(Vertex* out, float size);
    static const WORD kIndices[kTriangleCount * 3];

    TextureRecord* m_Texture = nullptr;
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    IDirect3DIndexBuffer9* m_IndexBuffer = nullptr;
    D3DXMATRIX m_World;
    int m_Enabled = 1;
    // Set whenever the camera or a render surface changes the view; kept for
    // them, the sky itself places itself from the eye every draw.
    int m_ViewChanged = 1;
    int m_ReflectionMode = 0;
    float m_WaterLevel = 0.0f;
    float m_Size = 22000.0f;

  private:
    void CreateBuffers();
};

extern QV7_SkyDome* g_skyDome;
