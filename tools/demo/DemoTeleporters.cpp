// Demo teleporters: a gate across the hill island's track and its exit a
// little further on; everything else out of reach.
#include "tools/demo/DemoTeleporters.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <cmath>
#include <cstdio>

namespace demo
{
namespace
{
constexpr float kOutOfReach = -100000.0f;

// A record on the track at point i, facing along the track (a gate's planes
// then lie across it).
TeleporterFileRecord OnTrack(const std::vector<TrackPoint>& track, size_t i, const Heightfield& field)
{
    const TrackPoint& p = track[i % track.size()];
    const TrackPoint& n = track[(i + 1) % track.size()];
    TeleporterFileRecord r;
    r.x = p.x, r.z = p.z;
    r.y = field.HeightAt(p.x, p.z);
    r.yaw = std::atan2(n.x - p.x, n.z - p.z);
    return r;
}
} // namespace

TeleporterFileDescription DemoTeleporters(int number, const Heightfield& field)
{
    TeleporterFileDescription description;
    for (TeleporterFileRecord& r : description.records)
        r.y = kOutOfReach;
    if (number != 1)
        return description;
    const std::vector<TrackPoint> track = DemoTrackLine(number);
    const size_t gate = size_t(float(track.size()) * kDemoGateAlong);
    description.records[0] = OnTrack(track, gate, field);
    // The exit stands a little above the ground: the racer drops onto its wheels.
    description.records[1] = OnTrack(track, gate + kDemoGateJumpPoints, field);
    description.records[1].y += 40.0f;
    return description;
}

bool WriteDemoTeleporters(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
    {
        char name[32];
        std::snprintf(name, sizeof name, "Map%d.tel", number);
        ok =
            ok && WriteTeleporterFile(dataDir + name, DemoTeleporters(number, DemoIslandHeightfield(number)));
    }
    return ok;
}
} // namespace demo
