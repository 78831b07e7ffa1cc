// Map%d.ssh, written in file order.
#include "tools/writers/ShoreLinesWriter.h"

#include <algorithm>
#include <cmath>

std::array<ShoreVertexRecord, 4> MakeShoreQuad(float x0, float z0, float x1, float z1, float y, float outX0,
                                               float outZ0, float outX1, float outZ1, float u0, float u1)
{
    // The surf is opaque on the beach and fades out at sea.
    return {{{x0, y, z0, u0, 0.0f, 0xFFFFFFFF},
             {x0 + outX0, y, z0 + outZ0, u0, 1.0f, 0x30FFFFFF},
             {x1, y, z1, u1, 0.0f, 0xFFFFFFFF},
             {x1 + outX1, y, z1 + outZ1, u1, 1.0f, 0x30FFFFFF}}};
}

void PlaceShoreQuads(ShoreLinesFile& file, const std::vector<std::array<ShoreVertexRecord, 4>>& quads,
                     float reach)
{
    file.cells.assign(ShoreLinesFile::kCells, {});
    for (int cz = 0; cz < 32; ++cz)
        for (int cx = 0; cx < 32; ++cx)
        {
            ShoreCellRecord& cell = file.cells[size_t(cz * 32 + cx)];
            for (const auto& quad : quads)
            {
                float nearest = 1e30f;
                for (const ShoreVertexRecord& v : quad)
                {
                    const float nx = std::clamp(v.x, float(cx) * 2048.0f, float(cx + 1) * 2048.0f);
                    const float nz = std::clamp(v.z, float(cz) * 2048.0f, float(cz + 1) * 2048.0f);
                    nearest = std::min(nearest, std::hypot(v.x - nx, v.z - nz));
                }
                // A cell holds at most 10000 vertices.
                if (nearest <= reach && cell.vertices.size() + 4 <= 10000)
                    cell.vertices.insert(cell.vertices.end(), quad.begin(), quad.end());
            }
        }
}

BinaryWriter BuildShoreLinesFile(const ShoreLinesFile& file)
{
    BinaryWriter out;
    for (const ShoreCellRecord& cell : file.cells)
    {
        out.WriteUInt32(uint32_t(cell.vertices.size()));
        out.WriteBytes(cell.vertices.data(), cell.vertices.size() * sizeof(ShoreVertexRecord));
        for (uint32_t word : cell.words)
            out.WriteUInt32(word);
    }
    out.WriteUInt32(file.textureId);
    return out;
}

bool WriteShoreLinesFile(const std::string& path, const ShoreLinesFile& file)
{
    return BuildShoreLinesFile(file).SaveToFile(path);
}
