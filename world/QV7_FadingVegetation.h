// The island's small vegetation, from Map%d.fvf: grass and flowers as
// billboards and small meshes such as stones, both fading out with distance.
// Each layer has one texture and a 64 x 64 grid of 1024-unit cells of
// ready-made world-space vertices; every frame the visible cells round the
// camera are copied into one dynamic buffer per layer and drawn in large
// batches through the "BillBoards" or "FadingVegetation" effect, which fade
// them between the end distance and the end-fading distance and sway the
// plants with the wind. The detail settings decide which kinds exist. The
// race session owns one; it is drawn in the main pass only.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/Effect.h"
#include "platform/gfx/D3D9.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BinaryReader;
class QV7_TextureList;
struct ShaderEntry;
struct TextureRecord;

struct VegetationCell
{
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    std::vector<uint8_t> vertices;
    uint32_t x = 0, z = 0;
};

struct VegetationLayer
{
    static constexpr int kCells = 64 * 64;
    char name[260] = "";
    TextureRecord* texture = nullptr;
    uint32_t kind = 0; // 0 billboards, 1 fading meshes
    uint32_t blend = 0;
    float fadeLength = 2000.0f;
    float endDistance = 0.0f;
    float alphaRef = 136.0f;
    uint32_t verticesPerInstance = 0;
    std::vector<uint16_t> instanceIndices;
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    IDirect3DIndexBuffer9* indexBuffer = nullptr;
    uint32_t capacity = 0;      // V
    uint32_t indexCapacity = 0; // mesh layers
    std::vector<VegetationCell> cells = std::vector<VegetationCell>(kCells);

    uint32_t VertexSize() const { return kind == 0 ? 36u : 24u; }
};

class QV7_FadingVegetation
{
  public:
    static constexpr uint32_t kBillboardBytes = 36;
    static constexpr uint32_t kMeshBytes = 24;
    static constexpr uint32_t kLeastCapacity = 8000;
    static constexpr float kCellSize = 1024.0f;
    static constexpr float kCellRadius = 1100.0f;
    static constexpr float kTwoPi = 6.2831854820251465f;
    // The race whose billboards are drawn with the fog techniques.
    static constexpr int kFoggedRace = 14;

    QV7_FadingVegetation();
    ~QV7_FadingVegetation();
    QV7_FadingVegetation(const QV7_FadingVegetation&) = delete;
    QV7_FadingVegetation& operator=(const QV7_FadingVegetation&) = delete;

    static bool BillboardsEnabled();
    static bool MeshesEnabled();

    // A broken or missing file logs why and throws CDException.
    void Load(const std::string& path, const QV7_TextureList* mapTextures);
    void Render();
    void OnLostReset(int lost);
    VegetationCell* FindCameraCell(VegetationLayer& layer, float x, float z);

    std::vector<std::unique_ptr<VegetationLayer>> m_Layers;
    ShaderEntry* m_BillboardShader = nullptr;
    ShaderEntry* m_MeshShader = nullptr;
    IDirect3DVertexDeclaration9* m_BillboardDeclaration = nullptr;
    IDirect3DVertexDeclaration9* m_MeshDeclaration = nullptr;
    // Blending, alpha test, blending with fog, alpha test with fog; then the meshes'.
    std::array<D3DXHANDLE, 4> m_BillboardTechniques{};
    D3DXHANDLE m_FadingTechnique = nullptr;
    D3DXMATRIX m_World;
    std::vector<uint8_t> m_BillboardBatch;
    std::vector<uint8_t> m_MeshBatch;
    float m_FogStart = 0.0f;
    float m_FogEnd = 0.0f;
    float m_WindPhase = 0.0f;
    // Set by the race session.
    int m_RaceIndex = 0;

  private:
    struct Batch
    {
        uint32_t vertices = 0;
        uint32_t indices = 0;
    };
    void ReadLayer(BinaryReader& file, const std::string& path, const QV7_TextureList* mapTextures);
    void ReadCells(BinaryReader& file, const std::string& path, VegetationLayer& layer);
    void CreateBuffers(VegetationLayer& layer);
    void FillIndices(VegetationLayer& layer);
    void CreateVertexBuffer(VegetationLayer& layer);
    void ReleaseVertexBuffers();
    void RenderLayers();
    void BeginMeshLayer(ID3DXEffect& effect, VegetationLayer& layer);
    void BeginBillboardLayer(ID3DXEffect& effect, VegetationLayer& layer);
    void DrawCells(VegetationLayer& layer);
    void Append(VegetationLayer& layer, const VegetationCell& cell, Batch& batch);
    void Flush(VegetationLayer& layer, Batch& batch);
    void SetFogStates();
    void FreeLayers();
};
