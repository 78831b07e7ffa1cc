// qv7-dump Map%d.tel: the teleporters as the race loader reads them: the
// count, and each record with its role (entry gate or exit), position, yaw as
// stored and as the gate test turns it, and the unused word. A missing or
// short file ends with 1 and the loader's log line.
#include "race/QV7_Teleporters.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

bool DumpTeleporters(const DumpRequest& request, JsonWriter& out)
{
    QV7_Teleporters teleporters;
    if (!teleporters.Load(request.path))
        return false;
    out.BeginObject();
    out.Field("kind", "Map%d.tel");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Field("count", teleporters.count);
    out.Key("records");
    out.BeginArray();
    for (int k = 0; k < QV7_Teleporters::kRecords; ++k)
    {
        const TeleportRecord& r = teleporters.records[k];
        out.BeginObject();
        out.Field("index", k);
        out.Field("role", k % 2 == 0 ? "entry" : "exit");
        out.NumberArray("position", {r.position.x, r.position.y, r.position.z});
        out.Field("yaw", r.yaw);
        out.Field("gateYaw", QV7_Teleporters::NormaliseYaw(r.yaw));
        out.Field("unused", r.unused);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    return true;
}
