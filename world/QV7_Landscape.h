// The island's height field (g_landscape): 1024 by 1024 height samples 64
// units apart with the brightness layer that lights them, the base texture
// stretched over the whole island and a detail texture repeated across it,
// the land's material, the sun (device light 0) and the map's fog, which
// every world renderer applies. It draws itself as 16 near tiles round the
// camera's cell and four coarser rings of 12 tiles each, rebuilt only when
// the camera eye enters another cell, and answers height and normal queries
// for the colliders, cameras, drivers, weapons and particles.
//
// One landscape lives as long as the engine's device; each race fills it
// (Create, then the map loader) and empties it again (Unload).
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"
#include "world/LandscapeGrid.h"

#include <cstdint>
#include <vector>

class QV7_ShadowMap;
class QV7_TextureList;
struct TextureRecord;

// One tile of 17 by 17 vertices, position and lighting normal each.
struct TerrainTile
{
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    // The positions as last written, kept in system memory.
    std::vector<D3DXVECTOR3> m_Positions;
    // Bounding sphere, relative to the camera cell.
    D3DXVECTOR3 m_Centre{0.0f, 0.0f, 0.0f};
    float m_Radius = 1.0f;
    uint8_t m_Visible = 1;
};

// The 24-byte vertex of the tiles (D3DFVF_XYZ | D3DFVF_NORMAL).
struct LandscapeVertex
{
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
};

class QV7_Landscape
{
  public:
    static constexpr int kGridSide = 1024;
    static constexpr int kSampleSpacing = 64;
    static constexpr int kCameraCellSize = 1024;
    static constexpr int kNearTiles = 16;
    static constexpr int kRings = 4;
    static constexpr int kRingTiles = 12;
    static constexpr int kTileSide = 17;
    static constexpr int kTileVertices = kTileSide * kTileSide;
    static constexpr int kStripIndices = 576;
    static constexpr int kStripTriangles = 574;
    static constexpr UINT kVertexStride = sizeof(LandscapeVertex);
    static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL;
    // The water-reflection pass draws the land this much lower.
    static constexpr float kReflectionDrop = 7.0f;

    QV7_Landscape();
    ~QV7_Landscape();
    QV7_Landscape(const QV7_Landscape&) = delete;
    QV7_Landscape& operator=(const QV7_Landscape&) = delete;

    // Allocates the grids (zeroed), the tiles' buffers and the shared strip;
    // nothing when already created.
    void Create();
    // Create for the map loader, which writes every sample of every grid
    // itself: the grids are left unset.
    void CreateForMap();
    // Frees the grids and buffers; the shading texture stays.
    void Unload();
    bool IsCreated() const { return m_Created != 0; }

    // 0 the main pass, 1 the water reflection (7 units lower, clockwise culling).
    void Render(int pass);

    // Bilinear height; 0 outside the grid, for a non-finite position and with no map.
    float GetHeight(float x, float z) const;
    // The stored normal of the cell holding (x, z); (0, 1, 0) outside.
    D3DXVECTOR3 GetNormal(float x, float z) const;

    // The load's derived grids: the largest height, each sample's triangle
    // normal, and the lighting normals built from them.
    void ComputeMaximumHeight();
    void ComputeCellNormals();
    void ComputeLightingNormals();
    // Both kinds of normal in one pass over the grid, as the load builds them.
    void ComputeNormals();
    // Scales or replaces one lighting normal by the brightness and shade level:
    // its length is how bright the sun makes the land there.
    void AdjustLightingNormal(int x, int z, D3DXVECTOR3& normal) const;
    void BuildTextureMatrices();
    // Sends the sun to the device as light 0 and switches it on.
    void ApplySunLight() const;

    // The tiles round the camera eye's 1024-unit cell; nothing while the eye
    // stays in the stored cell.
    void RebuildRings();
    void BuildNearTile(int a, int b, int tile, int cellX, int cellZ);
    // ring 1 to 4 (tile size 1024 << ring).
    void BuildRingTile(int ring, int a, int b, int tile, int cellX, int cellZ);
    // 1 releases the tiles' buffers, 0 makes them again and rebuilds at once.
    void OnLostReset(int lost);

    float Height(int x, int z) const { return m_Heights[size_t(z) * size_t(m_Width) + size_t(x)]; }
    float& Height(int x, int z) { return m_Heights[size_t(z) * size_t(m_Width) + size_t(x)]; }

    // The race session's shadow map while a race runs; null hook or null
    // result: no shadow sub-pass.
    static QV7_ShadowMap* (*s_SessionShadowMap)();

    TerrainTile m_NearTiles[kNearTiles];
    TerrainTile m_RingTiles[kRings][kRingTiles];
    int m_VerticesPerTile = kTileVertices;
    IDirect3DIndexBuffer9* m_IndexBuffer = nullptr;
    int m_IndexCount = 0;
    std::vector<uint16_t> m_Indices;
    D3DXMATRIX m_World;
    // -1 forces the next rebuild; y is 0 once built.
    D3DXVECTOR3 m_CameraCell{-1.0f, -1.0f, -1.0f};
    LandscapeGrid<float> m_Heights;
    LandscapeGrid<D3DXVECTOR3> m_CellNormals;
    LandscapeGrid<D3DXVECTOR3> m_LightingNormals;
    float m_MaxHeight = 1.0f;
    LandscapeGrid<float> m_Brightness;
    LandscapeGrid<float> m_ThirdLayer;
    float m_ShadeLevel = -0.5f;
    float m_Spare[3] = {};
    // The sun shading picture (MapSHD%d.map), owned; it outlives Unload.
    IDirect3DTexture9* m_ShadowTexture = nullptr;
    int m_Width = 0;
    int m_Height = 0;
    int m_CellSizeX = 0;
    int m_CellSizeZ = 0;
    TextureRecord* m_BaseTexture = nullptr;
    TextureRecord* m_DetailTexture = nullptr;
    D3DMATERIAL9 m_Material{};
    float m_DetailFactor = 2.0f;
    D3DXMATRIX m_TextureMatrix0;
    D3DXMATRIX m_TextureMatrix1;
    D3DLIGHT9 m_Light{};
    // FOGENABLE, FOGCOLOR, FOGVERTEXMODE, FOGTABLEMODE, FOGSTART, FOGEND,
    // FOGDENSITY, RANGEFOGENABLE; start, end and density as float bits.
    uint32_t m_Fog[8] = {};
    int m_Created = 0;
    // The ids as the file gives them, found in the map's list or not.
    int32_t m_BaseTextureId = 0;
    int32_t m_DetailTextureId = 0;
    // The rest of the map file, for the sky and the water.
    int32_t m_SkyTextureId = 0;
    int32_t m_WaterTextureIds[2] = {};
    float m_WaterLevel = 0.0f;
    // Tiles filled since creation: a cell change fills all 64 at once.
    int m_TilesBuilt = 0;

    // Every tile in drawing order: the near tiles, then slot by slot the
    // tiles of rings 1, 2, 3 and 4.
    template <class Visit> void ForEachTile(Visit visit)
    {
        for (TerrainTile& tile : m_NearTiles)
            visit(tile);
        for (int slot = 0; slot < kRingTiles; ++slot)
            for (int ring = 0; ring < kRings; ++ring)
                visit(m_RingTiles[ring][slot]);
    }

  private:
    void Allocate(bool zeroed);
    void CreateTileBuffers();
    void ReleaseTileBuffers();
    void CreateIndexBuffer();
    void FillTile(TerrainTile& tile, int level, int a, int b, int cellX, int cellZ);
    void StitchEdges(LandscapeVertex* vertices, int level, int a, int b, int col0, int row0) const;
    void UploadTile(TerrainTile& tile, const LandscapeVertex* vertices);
    float SampleHeight(int col, int row) const;
    void CellNormalsOfRow(int z);
    void LightingNormalsOfRow(int z);
    void UpdateVisibility();
    void SetWorldTransform(int pass);
    void SetTextureStages();
    bool BeginShadowSubPass(QV7_ShadowMap* shadow);
    void DrawVisibleTiles();
};

extern QV7_Landscape* g_landscape;
