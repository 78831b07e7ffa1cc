// The island's water: one flat, translucent sheet at the map's water level,
// 65536 units square, following the landscape's camera cell. Drawn simply (the
// water texture laid twice with two slowly circling offsets, blended over the
// scene) or reflectively: the scene is first drawn mirrored at the water
// plane into a 512 by 512 render surface, and that picture is projected onto
// the sheet, rippled by a bump map where the device can. The race session
// owns one; g_water points to it for the device-loss fan-out, the cameras and
// the trees, which read the level.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"

#include <cstdint>

struct TextureRecord;
class QV7_Landscape;
class QV7_RenderSurface;
class QV7_TextureList;

class QV7_Water
{
  public:
    static constexpr int kGridSide = 17;
    static constexpr uint32_t kVertexCount = 289;
    static constexpr uint32_t kIndexCount = 576;
    static constexpr UINT kStripTriangles = 574;
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    static constexpr int kReflectionSize = 512;
    static constexpr float kTwoPi = 6.2831854820251465f;

    struct Vertex
    {
        float x, y, z;
        float nx, ny, nz;
    };

    QV7_Water();
    ~QV7_Water();
    QV7_Water(const QV7_Water&) = delete;
    QV7_Water& operator=(const QV7_Water&) = delete;

    // Refills the grid at the water level and hands the level to the sky.
    void BuildSurface();
    void RenderSimple();
    // Bracket the reflection pass: between them the race draws the mirrored scene.
    void BeginReflection();
    void EndReflection();
    void RenderReflective();
    // 1 releases the grid's vertex buffer; 0 makes it again at the stored level.
    void OnLostReset(int lost);

    // The end of the map's load: the sky's atlas, both water textures (by the
    // map's ids, from its texture list) and the level, then the grid is
    // rebuilt. The water installs it as the loader's hook while it lives.
    static void TakeLandscapeMap(const QV7_Landscape& landscape, const QV7_TextureList* mapTextures);

    // The settings' choice: a reflection pass and the reflective water.
    static bool ReflectionsEnabled();
    // The mirror plane's offset below the water (negative: above it).
    float MirrorPlaneOffset(float eyeY) const;
    // The projection that clips at `plane` (world space) when the device has no
    // user clip plane: the camera's projection with its depth row replaced.
    static D3DXMATRIX ObliqueProjection(const D3DXPLANE& plane, const D3DXMATRIX& view,
                                        const D3DXMATRIX& projection);

    TextureRecord* m_FirstTexture = nullptr;
    TextureRecord* m_SecondTexture = nullptr;
    float m_WaterLevel = 200.0f;
    uint32_t m_VertexCount = kVertexCount;
    uint32_t m_IndexCount = kIndexCount;
    IDirect3DVertexBuffer9* m_GridVertices = nullptr;
    IDirect3DIndexBuffer9* m_GridIndices = nullptr;
    uint8_t m_HasClipPlane = 0;
    D3DXMATRIX m_TextureMatrix0;
    D3DXMATRIX m_TextureMatrix1;
    QV7_RenderSurface* m_Reflection = nullptr;
    int m_Ripples = 0;
    float m_AnimationTime = 0.0f;

  private:
    void ReadCaps();
    void CreateIndices();
    void CreateVertices();
    void Advance(float rate);
    void SetCameraSpaceCoordinates(DWORD stage, const D3DXMATRIX& matrix);
    void SetMaterial(float power);
    void DrawGrid();
    void AlphaFromTextureAndMaterial(DWORD stage);
    void DrawBlendedGrid();
    void SetRippleStage(float angle);
    void ClipAtMirror(const D3DXPLANE& plane, const D3DXMATRIX& view);
};

extern QV7_Water* g_water;
