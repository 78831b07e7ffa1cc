// Writer of an island's fading vegetation, Map%d.fvf: layers, each with its
// name, texture id, kind (0 billboards, 1 small meshes), blend flag, fade
// length, end distance and alpha reference, for meshes the instance template,
// then 4096 cells of 1024 units (index z x 64 + x) holding world-space
// vertices: billboards six per plant, meshes whole instances with their
// index count.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct PlantBillboardVertex
{
    float base[3];   // the plant's foot, world space
    float corner[3]; // offset: x across, y up, z 0
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(PlantBillboardVertex) == 36, "the file's billboard vertex");

struct FadingMeshVertexRecord
{
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(FadingMeshVertexRecord) == 24, "the file's mesh vertex");

struct VegetationCellRecord
{
    uint32_t x = 0, z = 0;
    uint32_t vertexCount = 0;
    std::vector<uint8_t> vertices; // vertexCount x the layer's vertex size
    uint32_t indexCount = 0;       // mesh layers
};

struct VegetationLayerRecord
{
    static constexpr int kCells = 4096;
    std::string name = "layer";
    uint32_t textureId = 0;
    uint32_t kind = 0; // 0 billboards, 1 meshes
    uint32_t blend = 0;
    float fadeLength = 2000.0f;
    float endDistance = 3000.0f;
    float alphaRef = 136.0f;
    uint32_t verticesPerInstance = 0;
    std::vector<uint16_t> instanceIndices; // 3 per triangle
    std::vector<VegetationCellRecord> cells = MakeCells();

    static std::vector<VegetationCellRecord> MakeCells();
    uint32_t VertexSize() const { return kind == 0 ? 36u : 24u; }
};

// The cell a world point lies in; -1 outside the island.
int VegetationCellIndex(float x, float z);
// A plant of width 2 x halfWidth and a height at its foot: two triangles
// facing the camera, u from u0 to u1 across, v 1 at the foot.
void AddPlantBillboard(VegetationLayerRecord& layer, float x, float y, float z, float halfWidth, float height,
                       uint32_t colour, float u0, float u1);
// One instance of a mesh layer's template (verticesPerInstance vertices in
// world space) into the cell its first vertex lies in.
void AddMeshInstance(VegetationLayerRecord& layer, const std::vector<FadingMeshVertexRecord>& vertices);

BinaryWriter BuildFadingVegetationFile(const std::vector<VegetationLayerRecord>& layers);
bool WriteFadingVegetationFile(const std::string& path, const std::vector<VegetationLayerRecord>& layers);
