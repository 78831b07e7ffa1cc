// Writer of an island's computer-driver path, Map%d.wap: an int32 count, then
// per waypoint its position (three floats, render units), yaw and width
// (floats), the indices of its next and alternative waypoints (int32), its
// speed flag (int32) and speed value (float); 36 bytes each, little-endian.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct WaypointFileRecord
{
    float x = 0.0f, y = 0.0f, z = 0.0f;
    // The local +x axis of a turn by yaw about the vertical points to the
    // next waypoint (WaypointYaw).
    float yaw = 0.0f;
    // Half the track's width: the gates lie this far to either side.
    float width = 100.0f;
    int32_t next = 0;
    int32_t alternative = 0;
    int32_t speedFlag = 0;
    float speedValue = 100.0f;
};

// The yaw that faces from (x, z) towards (nextX, nextZ).
inline float WaypointYaw(float x, float z, float nextX, float nextZ)
{
    return std::atan2(-(nextZ - z), nextX - x);
}

// A closed loop through the points (x, y, z triples) in order: each waypoint's
// next and alternative is the one after it, the last leads back to the
// first, every yaw faces the next one.
std::vector<WaypointFileRecord> MakeWaypointLoop(const std::vector<float>& xyz, float width);

BinaryWriter BuildWaypointFile(const std::vector<WaypointFileRecord>& waypoints);
bool WriteWaypointFile(const std::string& path, const std::vector<WaypointFileRecord>& waypoints);
