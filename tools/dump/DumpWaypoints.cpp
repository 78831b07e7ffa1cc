// qv7-dump Map%d.wap [x,y,z ...]: the computer drivers' path as the race
// loader links it (every waypoint with its links by index, segment box and
// gate points); each x,y,z argument asks which stretch that position lies on.
#include "race/QV7_WaypointList.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"

#include <cstdio>

namespace
{
void Vector(JsonWriter& out, const char* key, const D3DXVECTOR3& v)
{
    out.NumberArray(key, {v.x, v.y, v.z});
}

void Waypoint(JsonWriter& out, const QV7_WaypointList& list, int index)
{
    const WaypointRecord& w = *list.Waypoint(index);
    out.BeginObject();
    out.Field("index", index);
    Vector(out, "position", w.position);
    out.Field("yaw", w.yaw);
    out.Field("width", w.width);
    out.Field("next", list.IndexOf(w.next));
    out.Field("alternative", list.IndexOf(w.alternative));
    out.Field("speedFlag", w.speedFlag);
    out.Field("speedValue", w.speedValue);
    Vector(out, "boxMin", w.boxMin);
    Vector(out, "boxMax", w.boxMax);
    Vector(out, "gate1", w.gate1);
    Vector(out, "gate2", w.gate2);
    Vector(out, "gate3", w.gate3);
    Vector(out, "gate4", w.gate4);
    out.EndObject();
}

// "x,y,z" arguments; anything else is a usage error of that argument, reported and skipped.
void Queries(JsonWriter& out, const QV7_WaypointList& list, const std::vector<std::string>& args)
{
    out.Key("queries");
    out.BeginArray();
    for (const std::string& arg : args)
    {
        D3DXVECTOR3 p(0.0f, 0.0f, 0.0f);
        char rest = 0;
        if (std::sscanf(arg.c_str(), "%f,%f,%f%c", &p.x, &p.y, &p.z, &rest) != 3)
        {
            std::fprintf(stderr, "qv7-dump: query %s is not x,y,z\n", arg.c_str());
            continue;
        }
        out.BeginObject();
        out.Field("x", p.x);
        out.Field("y", p.y);
        out.Field("z", p.z);
        out.Key("segment");
        if (const WaypointRecord* found = list.FindSegment(p))
            out.Integer(list.IndexOf(found));
        else
            out.Null();
        out.EndObject();
    }
    out.EndArray();
}
} // namespace

bool DumpWaypoints(const DumpRequest& request, JsonWriter& out)
{
    QV7_WaypointList list;
    list.Load(request.path);
    out.BeginObject();
    out.Field("kind", "Map%d.wap");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Field("count", list.Count());
    out.Key("waypoints");
    out.BeginArray();
    for (int i = 0; i < list.Count(); ++i)
        Waypoint(out, list, i);
    out.EndArray();
    Queries(out, list, request.args);
    out.EndObject();
    return true;
}
