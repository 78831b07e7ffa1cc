// Map%d.wap, written field by field in file order.
#include "tools/writers/WaypointFileWriter.h"

std::vector<WaypointFileRecord> MakeWaypointLoop(const std::vector<float>& xyz, float width)
{
    const size_t count = xyz.size() / 3;
    std::vector<WaypointFileRecord> loop(count);
    for (size_t i = 0; i < count; ++i)
    {
        const size_t n = (i + 1) % count;
        WaypointFileRecord& w = loop[i];
        w.x = xyz[3 * i], w.y = xyz[3 * i + 1], w.z = xyz[3 * i + 2];
        w.yaw = WaypointYaw(w.x, w.z, xyz[3 * n], xyz[3 * n + 2]);
        w.width = width;
        w.next = w.alternative = int32_t(n);
    }
    return loop;
}

BinaryWriter BuildWaypointFile(const std::vector<WaypointFileRecord>& waypoints)
{
    BinaryWriter file;
    file.WriteInt32(int32_t(waypoints.size()));
    for (const WaypointFileRecord& w : waypoints)
    {
        file.WriteFloat(w.x);
        file.WriteFloat(w.y);
        file.WriteFloat(w.z);
        file.WriteFloat(w.yaw);
        file.WriteFloat(w.width);
        file.WriteInt32(w.next);
        file.WriteInt32(w.alternative);
        file.WriteInt32(w.speedFlag);
        file.WriteFloat(w.speedValue);
    }
    return file;
}

bool WriteWaypointFile(const std::string& path, const std::vector<WaypointFileRecord>& waypoints)
{
    return BuildWaypointFile(waypoints).SaveToFile(path);
}
