// qv7-dump kinds of the maps database: Maps_srt.qvx (read with the Aip.dat
// beside it, as the game does) and Aip.dat alone. The maps come in sorted
// order, then the six race lists by name, then the pilots.
#include "engine/QV7_Engine.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"
#include "world/QV7_MapsSort.h"

namespace
{
void DumpPointerMesh(const LodMeshObject& mesh, JsonWriter& out)
{
    out.Key("pointerMesh");
    if (mesh.m_SubsetCount == 0)
    {
        out.Null();
        return;
    }
    out.BeginObject();
    out.Field("id", unsigned(mesh.m_Id));
    out.Field("subsets", unsigned(mesh.m_SubsetCount));
    out.Field("faces", unsigned(mesh.m_FaceCount));
    out.Field("vertices", unsigned(mesh.m_VertexCount));
    out.EndObject();
}

void DumpLines(const std::vector<std::string>& lines, JsonWriter& out)
{
    out.Key("lines");
    out.BeginArray();
    for (const std::string& line : lines)
        out.String(line);
    out.EndArray();
}

void DumpMap(const MapRecord& map, JsonWriter& out)
{
    out.BeginObject();
    out.Field("name", map.name);
    out.Field("mapNumber", unsigned(map.mapNumber));
    out.Field("modeClass", unsigned(map.modeClass));
    out.Field("sortNumber", int(map.sortNumber));
    out.Key("textureIds");
    out.BeginArray();
    for (uint32_t id : map.textureIds)
        out.Integer(id);
    out.EndArray();
    DumpLines(map.lines, out);
    out.EndObject();
}

void DumpPilots(const std::vector<const PilotRecord*>& pilots, JsonWriter& out)
{
    out.Field("pilotCount", int(pilots.size()));
    out.Key("pilots");
    out.BeginArray();
    for (const PilotRecord* pilot : pilots)
    {
        out.BeginObject();
        out.Field("portraitId", unsigned(pilot->portraitId));
        out.Field("name", pilot->name);
        DumpLines(pilot->lines, out);
        out.EndObject();
    }
    out.EndArray();
}

void DumpLists(const QV7_MapsSort& maps, JsonWriter& out)
{
    out.Key("lists");
    out.BeginArray();
    for (int list = 0; list < QV7_MapsSort::kListCount; ++list)
    {
        out.BeginArray();
        for (int i = 0; i < maps.ListCount(list); ++i)
            out.String(maps.ListEntry(list, i)->name);
        out.EndArray();
    }
    out.EndArray();
}
} // namespace

bool DumpMapsDatabase(const DumpRequest& request, JsonWriter& out)
{
    // The pointer mesh is read into device buffers, as in the game.
    DumpNullDevice device;
    QV7_MapsSort maps(request.folder);
    if (g_mapsSort != &maps)
        return false;
    out.BeginObject();
    out.Field("mapCount", maps.MapCount());
    out.Key("maps");
    out.BeginArray();
    for (int i = 0; i < maps.MapCount(); ++i)
        DumpMap(*maps.Map(i), out);
    out.EndArray();
    DumpLists(maps, out);
    DumpPointerMesh(maps.m_PointerMesh, out);
    std::vector<const PilotRecord*> pilots;
    for (int i = 0; i < maps.PilotCount(); ++i)
        pilots.push_back(maps.Pilot(i));
    DumpPilots(pilots, out);
    out.EndObject();
    return true;
}

bool DumpPilotsFile(const DumpRequest& request, JsonWriter& out)
{
    std::vector<std::unique_ptr<PilotRecord>> owned;
    if (!QV7_MapsSort::ReadPilotsFile(request.path, owned))
        return false;
    std::vector<const PilotRecord*> pilots;
    for (const std::unique_ptr<PilotRecord>& pilot : owned)
        pilots.push_back(pilot.get());
    out.BeginObject();
    DumpPilots(pilots, out);
    out.EndObject();
    return true;
}
