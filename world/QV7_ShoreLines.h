// The shorelines: textured strips of surf along the island's coast, from
// Map%d.ssh. The island is cut into 32 x 32 cells of 2048 units, each holding
// every quad to draw while the camera is inside it, so one cell is drawn a
// frame, through the "ShoreLines" effect with the map's fog and a rolling
// phase. The whole feature is off at the lowest detail unless forced; then
// nothing is created, read or drawn. The race session owns one.
#pragma once

#include "platform/d3dx/Effect.h"
#include "platform/gfx/D3D9.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QV7_TextureList;
struct ShaderEntry;
struct TextureRecord;

struct ShoreCell
{
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    std::vector<uint8_t> vertices; // n x 24 bytes
    uint32_t vertexCount = 0;
    uint32_t words[4] = {};
};

class QV7_ShoreLines
{
  public:
    static constexpr int kCellSide = 32;
    static constexpr float kCellSize = 2048.0f;
    static constexpr uint32_t kVertexBytes = 24;
    static constexpr uint32_t kMostVertices = 10000;
    static constexpr uint32_t kQuadIndices = 15000;
    static constexpr float kTwoPi = 6.2831854820251465f;

    QV7_ShoreLines();
    ~QV7_ShoreLines();
    QV7_ShoreLines(const QV7_ShoreLines&) = delete;
    QV7_ShoreLines& operator=(const QV7_ShoreLines&) = delete;

    // The settings' switch: on unless the detail is -1 without force_Shore.
    static bool Enabled();
    // A broken or missing file (feature on) logs why and throws CDException.
    void Load(const std::string& path, const QV7_TextureList* mapTextures);
    void OnLostReset(int lost);
    void Render();
    ShoreCell* FindCameraCell(float x, float z);

    TextureRecord* m_Texture = nullptr;
    float m_Phase = 0.0f;
    std::array<ShoreCell, kCellSide * kCellSide> m_Cells;
    IDirect3DIndexBuffer9* m_QuadIndices = nullptr;
    ShaderEntry* m_Shader = nullptr;
    D3DXHANDLE m_Technique = nullptr;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;

  private:
    void CreateQuadIndices();
    void ReleaseCellBuffers();
    void Draw(const ShoreCell& cell);
};
