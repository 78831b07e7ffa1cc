// The landscape's tiles round the camera: 16 near tiles at full resolution
// and four rings of 12, each twice as wide and half as fine as the one
// inside it, out to 32768 units. They follow the camera eye's 1024-unit cell
// and are refilled from the grids only when the eye enters another cell. The
// outer edge of each level but the last is matched to the coarser level
// outside and raised a little, which hides the cracks between levels. The
// tile buffers are the landscape's only default-pool resources, so device
// loss and reset live here too.
#include "world/QV7_Landscape.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "shell/QV7_Logger.h"

#include <cmath>
#include <cstring>

namespace
{
// Edge raise of the near tiles and rings 1 to 3; ring 4 is never stitched.
constexpr float kEdgeRaise[QV7_Landscape::kRings] = {1.0f, 2.0f, 10.0f, 15.0f};
constexpr int kLastVertex = QV7_Landscape::kTileSide - 1;

// A level's tile size: 1024 for the near tiles (level 0), doubling per ring.
int TileSize(int level)
{
    return QV7_Landscape::kCameraCellSize << level;
}

// Integer division truncating toward zero, as the cell arithmetic wants it.
int CellOf(int coordinate)
{
    return coordinate / QV7_Landscape::kCameraCellSize * QV7_Landscape::kCameraCellSize;
}

// An eye coordinate the cell arithmetic can take: finite and inside int.
bool UsableEye(float value)
{
    return std::isfinite(value) && std::fabs(value) < 2.0e9f;
}
} // namespace

void QV7_Landscape::CreateTileBuffers()
{
    ForEachTile(
        [](TerrainTile& tile)
        {
            tile.m_Positions.assign(size_t(kTileVertices), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
            if (tile.m_VertexBuffer || !g_device)
                return;
            if (FAILED(g_device->CreateVertexBuffer(UINT(kTileVertices) * kVertexStride,
                                                    D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf,
                                                    D3DPOOL_DEFAULT, &tile.m_VertexBuffer, nullptr)))
            {
                tile.m_VertexBuffer = nullptr;
                QV7_Logger::Log(g_logger, "ERROR: Landscape: Creating a tile vertex buffer FAILED");
            }
        });
}

void QV7_Landscape::ReleaseTileBuffers()
{
    ForEachTile(
        [](TerrainTile& tile)
        {
            if (tile.m_VertexBuffer)
                tile.m_VertexBuffer->Release();
            tile.m_VertexBuffer = nullptr;
        });
}

void QV7_Landscape::OnLostReset(int lost)
{
    if (!m_Created)
        return;
    if (lost == 1)
    {
        ReleaseTileBuffers();
        return;
    }
    CreateTileBuffers();
    m_CameraCell.x = m_CameraCell.z = -1.0f;
    RebuildRings();
    // A reset clears the device's lights with the rest of its state.
    ApplySunLight();
}

void QV7_Landscape::RebuildRings()
{
    if (!m_Created || !g_camera)
        return;
    const D3DXVECTOR3& eye = g_camera->m_Eye;
    // An eye that is not a number keeps the tiles where they are.
    if (!UsableEye(eye.x) || !UsableEye(eye.z))
        return;
    const int cellX = CellOf(int(eye.x)), cellZ = CellOf(int(eye.z));
    if (float(cellX) == m_CameraCell.x && float(cellZ) == m_CameraCell.z)
        return;
    m_CameraCell = D3DXVECTOR3(float(cellX), 0.0f, float(cellZ));
    D3DXMatrixTranslation(&m_World, float(cellX), 0.0f, float(cellZ));
    for (int ia = 0; ia < 4; ++ia)
        for (int ib = 0; ib < 4; ++ib)
            BuildNearTile(-2048 + 1024 * ia, -2048 + 1024 * ib, 4 * ia + ib, cellX, cellZ);
    for (int ring = 1; ring <= kRings; ++ring)
    {
        const int t = TileSize(ring);
        for (int tile = 0; tile < kRingTiles; ++tile)
        {
            int a = 0, b = 0;
            if (tile < 8)
                a = -2 * t + (tile % 4) * t, b = tile < 4 ? -2 * t : t;
            else
                a = tile < 10 ? -2 * t : t, b = (tile % 2 == 0) ? -t : 0;
            BuildRingTile(ring, a, b, tile, cellX, cellZ);
        }
    }
}

void QV7_Landscape::BuildNearTile(int a, int b, int tile, int cellX, int cellZ)
{
    FillTile(m_NearTiles[tile], 0, a, b, cellX, cellZ);
}

void QV7_Landscape::BuildRingTile(int ring, int a, int b, int tile, int cellX, int cellZ)
{
    FillTile(m_RingTiles[ring - 1][tile], ring, a, b, cellX, cellZ);
}

float QV7_Landscape::SampleHeight(int col, int row) const
{
    return col >= 0 && row >= 0 && col < m_Width && row < m_Height ? Height(col, row) : 0.0f;
}

void QV7_Landscape::FillTile(TerrainTile& tile, int level, int a, int b, int cellX, int cellZ)
{
    const int size = TileSize(level), spacing = size / 16, k = spacing / kSampleSpacing;
    const int col0 = (a + cellX) / kSampleSpacing, row0 = (b + cellZ) / kSampleSpacing;
    LandscapeVertex vertices[kTileVertices];
    for (int r = 0; r < kTileSide; ++r)
        for (int c = 0; c < kTileSide; ++c)
        {
            const int col = col0 + c * k, row = row0 + r * k;
            const bool inside = col >= 0 && row >= 0 && col < m_Width && row < m_Height;
            LandscapeVertex& v = vertices[r * kTileSide + c];
            v.position =
                D3DXVECTOR3(float(a + c * spacing), inside ? Height(col, row) : 0.0f, float(b + r * spacing));
            // Outside the island the sea floor takes the corner sample's light.
            v.normal = m_LightingNormals[inside ? size_t(row) * size_t(m_Width) + size_t(col) : 0];
        }
    if (level < kRings)
        StitchEdges(vertices, level, a, b, col0, row0);
    D3DXComputeBoundingSphere(&vertices[0].position, kTileVertices, kVertexStride, &tile.m_Centre,
                              &tile.m_Radius);
    UploadTile(tile, vertices);
    ++m_TilesBuilt;
}

void QV7_Landscape::StitchEdges(LandscapeVertex* vertices, int level, int a, int b, int col0, int row0) const
{
    const int t = TileSize(level), k = TileSize(level) / 16 / kSampleSpacing;
    const float raise = kEdgeRaise[level];
    auto vertex = [&](int r, int c) -> float& { return vertices[r * kTileSide + c].position.y; };
    // A vertical edge (fixed column c): odd rows take the mean of their neighbours' samples.
    auto columnEdge = [&](int c)
    {
        for (int r = 0; r < kTileSide; ++r)
        {
            if (r % 2 == 1)
                vertex(r, c) = (SampleHeight(col0 + c * k, row0 + (r - 1) * k) +
                                SampleHeight(col0 + c * k, row0 + (r + 1) * k)) *
                               0.5f;
            vertex(r, c) += raise;
        }
    };
    auto rowEdge = [&](int r)
    {
        for (int c = 0; c < kTileSide; ++c)
        {
            if (c % 2 == 1)
                vertex(r, c) = (SampleHeight(col0 + (c - 1) * k, row0 + r * k) +
                                SampleHeight(col0 + (c + 1) * k, row0 + r * k)) *
                               0.5f;
            vertex(r, c) += raise;
        }
    };
    if (a == -2 * t)
        columnEdge(0);
    if (b == -2 * t)
        rowEdge(0);
    if (a == t)
        columnEdge(kLastVertex);
    if (b == t)
        rowEdge(kLastVertex);
}

void QV7_Landscape::UploadTile(TerrainTile& tile, const LandscapeVertex* vertices)
{
    tile.m_Positions.resize(size_t(kTileVertices));
    for (int i = 0; i < kTileVertices; ++i)
        tile.m_Positions[size_t(i)] = vertices[i].position;
    if (!tile.m_VertexBuffer)
        return;
    void* data = nullptr;
    if (FAILED(tile.m_VertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data)
        return;
    std::memcpy(data, vertices, size_t(kTileVertices) * kVertexStride);
    tile.m_VertexBuffer->Unlock();
}
