// Writer of an island's shorelines, Map%d.ssh: 32 x 32 cells of 2048 units,
// each its vertex count, its quads (four 24-byte vertices each: inner and
// outer point of one end, then of the other) and four unused words; then the
// texture id. PlaceShoreQuads lists a quad in every cell within view of it.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ShoreVertexRecord
{
    float x, y, z;
    float u, v; // u along the coast, v 0 on the beach to 1 at sea
    uint32_t colour;
};
static_assert(sizeof(ShoreVertexRecord) == 24, "the file's shore vertex");

struct ShoreCellRecord
{
    std::vector<ShoreVertexRecord> vertices; // four per quad
    uint32_t words[4] = {};
};

struct ShoreLinesFile
{
    static constexpr int kCells = 1024;
    std::vector<ShoreCellRecord> cells = std::vector<ShoreCellRecord>(kCells);
    uint32_t textureId = 0;
};

// One quad of shoreline between two points of the waterline, reaching
// `width` out to sea along `outward` (x, z) at each end.
std::array<ShoreVertexRecord, 4> MakeShoreQuad(float x0, float z0, float x1, float z1, float y, float outX0,
                                               float outZ0, float outX1, float outZ1, float u0, float u1);
// Every quad goes into each cell within `reach` of it (its nearest corner).
void PlaceShoreQuads(ShoreLinesFile& file, const std::vector<std::array<ShoreVertexRecord, 4>>& quads,
                     float reach);

BinaryWriter BuildShoreLinesFile(const ShoreLinesFile& file);
bool WriteShoreLinesFile(const std::string& path, const ShoreLinesFile& file);
