// The demo islands' race tracks and the computer drivers' paths round them,
// Map%d.wap. Each track is one closed loop on drivable ground: round the hill
// island on its beach, round the lagoon on its inner shore, and through the
// canyon and back along the mesa's southern beach. The thumbnails and the
// mini-maps draw the same line the waypoints follow.
#pragma once

#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/WaypointFileWriter.h"

#include <string>
#include <vector>

namespace demo
{
// Half the track's width at every demo waypoint.
constexpr float kDemoTrackHalfWidth = 250.0f;
// About this far between two waypoints along the track.
constexpr float kDemoWaypointSpacing = 1000.0f;

struct TrackPoint
{
    float x, z;
};

// Island `number`'s track as a closed line in world x/z, a point about every
// `step` units; the first point is the start.
std::vector<TrackPoint> DemoTrackLine(int number, float step = 100.0f);

// The waypoints along the track, each on the ground of `field`, facing the
// next, the last leading back to the first.
std::vector<WaypointFileRecord> DemoWaypoints(int number, const Heightfield& field);

// Writes Map%d.wap of every island; false on a write failure.
bool WriteDemoWaypoints(const std::string& dataDir);
} // namespace demo
