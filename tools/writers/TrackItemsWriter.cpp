// Map%d.zph, written in file order; the cells from the items by reach.
#include "tools/writers/TrackItemsWriter.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kCellSize = 4096.0f;
constexpr float kReach = 7000.0f;

// The distance from a point to the nearest point of cell (cx, cz).
float DistanceToCell(float x, float z, int cx, int cz)
{
    const float nearX = std::clamp(x, float(cx) * kCellSize, float(cx + 1) * kCellSize);
    const float nearZ = std::clamp(z, float(cz) * kCellSize, float(cz + 1) * kCellSize);
    return std::hypot(x - nearX, z - nearZ);
}
} // namespace

TrackItemRecord MakeTrackItem(int32_t type, float x, float y, float z, float yaw)
{
    TrackItemRecord item;
    item.x = x, item.y = y, item.z = z;
    item.type = type;
    const float c = std::cos(yaw), s = std::sin(yaw);
    const float world[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, y, z, 1};
    std::copy(world, world + 16, item.world);
    return item;
}

std::array<ItemBillboardVertex, 6> MakeItemBillboard(float x, float y, float z, uint32_t colour)
{
    static const float corners[6][4] = {{30, 0, 1, 1},   {-30, 60, 0, 0}, {30, 60, 1, 0},
                                        {-30, 60, 0, 0}, {30, 0, 1, 1},   {-30, 0, 0, 1}};
    std::array<ItemBillboardVertex, 6> quad{};
    for (int i = 0; i < 6; ++i)
        quad[size_t(i)] = {{x, y, z, 1.0f},
                           {corners[i][0], corners[i][1], 0.0f, 1.0f},
                           colour,
                           corners[i][2],
                           corners[i][3]};
    return quad;
}

void PlaceTrackItems(TrackItemsFile& file)
{
    file.cells.assign(TrackItemsFile::kCells, {});
    for (uint32_t i = 0; i < file.items.size(); ++i)
    {
        TrackItemRecord& item = file.items[i];
        item.references.clear();
        for (int cz = 0; cz < 16; ++cz)
            for (int cx = 0; cx < 16; ++cx)
            {
                if (DistanceToCell(item.x, item.z, cx, cz) > kReach)
                    continue;
                TrackItemCellRecord& cell = file.cells[size_t(cx + 16 * cz)];
                if (item.type == 0)
                {
                    item.references.emplace_back(uint32_t(cx + 16 * cz), uint32_t(cell.vertices.size()));
                    const auto quad = MakeItemBillboard(item.x, item.y, item.z, 0xFFFFFFFF);
                    cell.vertices.insert(cell.vertices.end(), quad.begin(), quad.end());
                }
                else if (item.type <= 10)
                    cell.lists[size_t(item.type - 1)].push_back(i);
            }
    }
}

BinaryWriter BuildTrackItemsFile(const TrackItemsFile& file)
{
    BinaryWriter out;
    out.WriteUInt32(file.textureId);
    for (const MeshObjectDescription& mesh : file.meshes)
        WriteMeshObjectBlock(out, mesh);
    for (int i = 0; i < 11; ++i)
        out.WriteUInt32(0);
    out.WriteUInt32(uint32_t(file.items.size()));
    for (const TrackItemRecord& item : file.items)
    {
        for (float value : {item.x, item.y, item.z, item.spare})
            out.WriteFloat(value);
        out.WriteInt32(item.type);
        for (float value : item.world)
            out.WriteFloat(value);
        out.WriteUInt32(uint32_t(item.references.size()));
        for (const auto& [cell, first] : item.references)
        {
            out.WriteUInt32(cell);
            out.WriteUInt32(first);
        }
    }
    for (const TrackItemCellRecord& cell : file.cells)
    {
        out.WriteUInt32(uint32_t(cell.vertices.size() / 6));
        out.WriteBytes(cell.vertices.data(), cell.vertices.size() / 6 * 6 * sizeof(ItemBillboardVertex));
        for (const auto& list : cell.lists)
        {
            out.WriteUInt32(uint32_t(list.size()));
            for (uint32_t index : list)
                out.WriteUInt32(index);
        }
    }
    return out;
}

bool WriteTrackItemsFile(const std::string& path, const TrackItemsFile& file)
{
    return BuildTrackItemsFile(file).SaveToFile(path);
}
