// Map%d.fvf, written in file order.
#include "tools/writers/FadingVegetationWriter.h"

#include <cstring>

std::vector<VegetationCellRecord> VegetationLayerRecord::MakeCells()
{
    std::vector<VegetationCellRecord> cells(kCells);
    for (uint32_t i = 0; i < uint32_t(kCells); ++i)
        cells[i].x = i % 64, cells[i].z = i / 64;
    return cells;
}

int VegetationCellIndex(float x, float z)
{
    if (!(x >= 0.0f) || !(z >= 0.0f) || x >= 65536.0f || z >= 65536.0f)
        return -1;
    return int(z) / 1024 * 64 + int(x) / 1024;
}

namespace
{
template <class Vertex> void Append(VegetationCellRecord& cell, const Vertex* vertices, size_t count)
{
    const size_t at = cell.vertices.size();
    cell.vertices.resize(at + count * sizeof(Vertex));
    std::memcpy(cell.vertices.data() + at, vertices, count * sizeof(Vertex));
    cell.vertexCount += uint32_t(count);
}
} // namespace

void AddPlantBillboard(VegetationLayerRecord& layer, float x, float y, float z, float halfWidth, float height,
                       uint32_t colour, float u0, float u1)
{
    const int index = VegetationCellIndex(x, z);
    if (index < 0)
        return;
    const float corners[6][4] = {{halfWidth, 0, u1, 1},      {-halfWidth, height, u0, 0},
                                 {halfWidth, height, u1, 0}, {-halfWidth, height, u0, 0},
                                 {halfWidth, 0, u1, 1},      {-halfWidth, 0, u0, 1}};
    PlantBillboardVertex quad[6];
    for (int i = 0; i < 6; ++i)
        quad[i] = {{x, y, z}, {corners[i][0], corners[i][1], 0.0f}, colour, corners[i][2], corners[i][3]};
    Append(layer.cells[size_t(index)], quad, 6);
}

void AddMeshInstance(VegetationLayerRecord& layer, const std::vector<FadingMeshVertexRecord>& vertices)
{
    if (vertices.empty())
        return;
    const int index = VegetationCellIndex(vertices[0].x, vertices[0].z);
    if (index < 0)
        return;
    VegetationCellRecord& cell = layer.cells[size_t(index)];
    Append(cell, vertices.data(), vertices.size());
    cell.indexCount += uint32_t(layer.instanceIndices.size());
}

BinaryWriter BuildFadingVegetationFile(const std::vector<VegetationLayerRecord>& layers)
{
    BinaryWriter out;
    out.WriteUInt32(uint32_t(layers.size()));
    for (const VegetationLayerRecord& layer : layers)
    {
        out.WriteInt32(int32_t(layer.name.size() + 1));
        out.WriteBytes(layer.name.c_str(), layer.name.size() + 1);
        out.WriteUInt32(layer.textureId);
        out.WriteUInt32(layer.kind);
        out.WriteUInt32(layer.blend);
        out.WriteFloat(layer.fadeLength);
        out.WriteFloat(layer.endDistance);
        out.WriteFloat(layer.alphaRef);
        if (layer.kind == 1)
        {
            out.WriteUInt32(layer.verticesPerInstance);
            out.WriteUInt32(uint32_t(layer.instanceIndices.size() / 3));
            for (uint16_t index : layer.instanceIndices)
                out.WriteUInt16(index);
        }
        for (const VegetationCellRecord& cell : layer.cells)
        {
            out.WriteUInt32(cell.x);
            out.WriteUInt32(cell.z);
            out.WriteUInt32(cell.vertexCount);
            if (cell.vertexCount == 0)
                continue;
            out.WriteUInt32(uint32_t(cell.vertices.size()));
            out.WriteBytes(cell.vertices.data(), cell.vertices.size());
            if (layer.kind == 1)
                out.WriteUInt32(cell.indexCount);
        }
    }
    return out;
}

bool WriteFadingVegetationFile(const std::string& path, const std::vector<VegetationLayerRecord>& layers)
{
    return BuildFadingVegetationFile(layers).SaveToFile(path);
}
