// Writer of an island's track items, Map%d.zph: the billboard texture id, the
// ten item meshes (mesh kinds 0-9), eleven reserved words, the items (position,
// spare float, type, world matrix, billboard references) and the 16 x 16 grid
// of 4096-unit cells, each with its billboard vertices (six of 44 bytes per
// billboard) and, per mesh kind, the items to draw while the camera is in it.
// PlaceTrackItems fills the cells from the items by the game's reach: an item
// belongs to every cell it lies within 7000 units of.
#pragma once

#include "platform/io/BinaryWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct ItemBillboardVertex
{
    float position[4]; // the item's position, w 1
    float corner[4];   // corner offset x, y; z 0; w visibility (1 shown, 0 hidden)
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(ItemBillboardVertex) == 44, "the file's billboard vertex");

struct TrackItemRecord
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float spare = 0.0f;
    int32_t type = 0;
    float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // Cell index, first vertex of the item's six in that cell.
    std::vector<std::pair<uint32_t, uint32_t>> references;
};

struct TrackItemCellRecord
{
    std::vector<ItemBillboardVertex> vertices; // six per billboard
    std::array<std::vector<uint32_t>, 10> lists;
};

struct TrackItemsFile
{
    static constexpr int kCells = 256;
    static constexpr int kMeshKinds = 10;
    uint32_t textureId = 0;
    std::array<MeshObjectDescription, kMeshKinds> meshes;
    std::vector<TrackItemRecord> items;
    std::vector<TrackItemCellRecord> cells = std::vector<TrackItemCellRecord>(kCells);
};

// An item of a type at a place, turned by yaw: its world matrix is the yaw
// rotation with the position as translation.
TrackItemRecord MakeTrackItem(int32_t type, float x, float y, float z, float yaw);
// The six vertices of an item's billboard: corners 30 wide and 60 high.
std::array<ItemBillboardVertex, 6> MakeItemBillboard(float x, float y, float z, uint32_t colour);
// Empties the cells and the references, then lists every item in every cell
// within reach: type 0 as a billboard, types 1-10 in the list of mesh kind type - 1.
void PlaceTrackItems(TrackItemsFile& file);

BinaryWriter BuildTrackItemsFile(const TrackItemsFile& file);
bool WriteTrackItemsFile(const std::string& path, const TrackItemsFile& file);
