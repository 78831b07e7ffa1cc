// qv7-dump Map%d.zph, Map%d.ssh and Map%d.fvf: the track items as the race loader keeps
// them (every item with its type, place, turn and billboard copies; per cell
// its billboards and the items it draws by mesh kind), and the shorelines'
// cells with their quad counts, and Map%d.fvf: each vegetation layer with
// its settings and how many cells and vertices it holds.
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"
#include "world/MeshObject.h"
#include "world/QV7_FadingVegetation.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_ZephyrionItems.h"

#include <cmath>
#include <cstring>

namespace
{
void Item(JsonWriter& out, const QV7_ZephyrionItems& items, const TrackItem& item)
{
    out.BeginObject();
    out.Field("index", item.index);
    out.Field("type", item.type);
    out.NumberArray("position", {item.position.x, item.position.y, item.position.z});
    out.Field("yaw", double(std::atan2(item.world._31, item.world._11)));
    out.Key("billboards");
    out.BeginArray();
    for (const ItemBillboardRef& reference : item.references)
    {
        out.BeginObject();
        out.Field("cell", int(reference.cell - items.m_Grid.data()));
        out.Field("firstVertex", reference.firstVertex);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
}

void Cells(JsonWriter& out, const QV7_ZephyrionItems& items)
{
    out.Key("cells");
    out.BeginArray();
    for (size_t c = 0; c < items.m_Grid.size(); ++c)
    {
        const ItemGridCell& cell = items.m_Grid[c];
        bool listed = cell.billboardCount > 0;
        for (const auto& list : cell.lists)
            listed = listed || !list.empty();
        if (!listed)
            continue;
        out.BeginObject();
        out.Field("cell", int(c));
        out.Field("billboards", cell.billboardCount);
        out.Key("meshKinds");
        out.BeginArray();
        for (const auto& list : cell.lists)
        {
            out.BeginArray();
            for (const TrackItem* item : list)
                out.Integer(item->index);
            out.EndArray();
        }
        out.EndArray();
        out.EndObject();
    }
    out.EndArray();
}
} // namespace

bool DumpTrackItems(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    QV7_ZephyrionItems items;
    items.Load(request.path, nullptr);
    out.BeginObject();
    out.Field("kind", "Map%d.zph");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Key("meshes");
    out.BeginArray();
    for (const auto& mesh : items.m_Meshes)
    {
        out.BeginObject();
        out.Field("id", unsigned(mesh->m_Id));
        out.Field("vertices", unsigned(mesh->m_VertexCount));
        out.Field("faces", unsigned(mesh->m_FaceCount));
        out.Field("subsets", unsigned(mesh->m_SubsetCount));
        out.EndObject();
    }
    out.EndArray();
    out.Field("count", int(items.m_Items.size()));
    out.Key("items");
    out.BeginArray();
    for (const auto& item : items.m_Items)
        Item(out, items, *item);
    out.EndArray();
    Cells(out, items);
    out.EndObject();
    return true;
}

bool DumpShoreLines(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    QV7_ShoreLines shore;
    shore.Load(request.path, nullptr);
    out.BeginObject();
    out.Field("kind", "Map%d.ssh");
    out.Field("map", NumberInName(request.fileName, "Map"));
    int total = 0;
    out.Key("cells");
    out.BeginArray();
    for (size_t c = 0; c < shore.m_Cells.size(); ++c)
    {
        const ShoreCell& cell = shore.m_Cells[c];
        if (cell.vertexCount == 0)
            continue;
        total += int(cell.vertexCount / 4);
        float first[3];
        std::memcpy(first, cell.vertices.data(), sizeof first);
        out.BeginObject();
        out.Field("cell", int(c));
        out.Field("x", int(c % 32));
        out.Field("z", int(c / 32));
        out.Field("quads", int(cell.vertexCount / 4));
        out.NumberArray("firstVertex", {first[0], first[1], first[2]});
        out.EndObject();
    }
    out.EndArray();
    out.Field("quads", total);
    out.EndObject();
    return true;
}

bool DumpFadingVegetation(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    QV7_FadingVegetation vegetation;
    vegetation.Load(request.path, nullptr);
    out.BeginObject();
    out.Field("kind", "Map%d.fvf");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Key("layers");
    out.BeginArray();
    for (const auto& layer : vegetation.m_Layers)
    {
        int cells = 0;
        int64_t vertices = 0;
        for (const VegetationCell& cell : layer->cells)
        {
            cells += cell.vertexCount > 0;
            vertices += cell.vertexCount;
        }
        out.BeginObject();
        out.Field("name", layer->name);
        out.Field("kind", layer->kind == 0 ? "billboards" : "meshes");
        out.Field("blend", unsigned(layer->blend));
        out.Field("endDistance", layer->endDistance);
        out.Field("fadeLength", layer->fadeLength);
        out.Field("alphaRef", layer->alphaRef);
        if (layer->kind == 1)
        {
            out.Field("verticesPerInstance", unsigned(layer->verticesPerInstance));
            out.Field("trianglesPerInstance", unsigned(layer->instanceIndices.size() / 3));
        }
        out.Field("cells", cells);
        out.Field("vertices", vertices);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    return true;
}
