// The computer drivers' path through an island, Map%d.wap: each waypoint knows
// the next one and an alternative, how wide the track is there, a speed
// setting, the box round its stretch to the next waypoint and four gate points
// across the track. The race loader loads it; the computer controller asks
// which stretch a buggy is on and draws the path when debugging.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

class BinaryReader;

struct WaypointRecord
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float yaw = 0.0f;
    float width = 100.0f;
    WaypointRecord* next = nullptr;
    WaypointRecord* alternative = nullptr;
    D3DXVECTOR3 boxMax{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 boxMin{0.0f, 0.0f, 0.0f};
    // Across the track: G1 and G2 at +width and -width, G3 and G4 120 units
    // further in from each side. Kept in this order.
    D3DXVECTOR3 gate1{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 gate2{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 gate4{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 gate3{0.0f, 0.0f, 0.0f};
    int speedFlag = 0;
    float speedValue = 100.0f;
};

// On disk: an int32 count, then 36 bytes per waypoint.
constexpr size_t kWaypointRecordBytes = 36;

class QV7_WaypointList
{
  public:
    // Publishes g_waypointList.
    QV7_WaypointList();
    ~QV7_WaypointList();
    QV7_WaypointList(const QV7_WaypointList&) = delete;
    QV7_WaypointList& operator=(const QV7_WaypointList&) = delete;

    // Reads the file and links the waypoints. A missing or short file, a count
    // its bytes can't hold, or a link to no waypoint of the list is logged and
    // throws CDException, leaving the list empty: the drivers could never
    // follow such a path.
    void Load(const std::string& path);
    // The same from bytes already in memory; path only names the file in the log.
    void Read(BinaryReader& file, const std::string& path);

    // The waypoint whose stretch holds the position, or null.
    WaypointRecord* FindSegment(const D3DXVECTOR3& p) const;
    // Draws the path while the debug-draw flag is set.
    void DebugDraw() const;

    int Count() const { return m_Waypoints.Count(); }
    WaypointRecord* Waypoint(int index) const;
    int IndexOf(const WaypointRecord* waypoint) const { return m_Waypoints.IndexOf(waypoint); }

    QV7_Collection<WaypointRecord> m_Waypoints;
    int m_DebugDraw = 0;
};

// The x/z cross product of (a - o) and (p - o), negated: which side of the
// line from o to a the point p lies on.
float Cross2D(const D3DXVECTOR3& p, const D3DXVECTOR3& a, const D3DXVECTOR3& o);
float AbsF(float value);

// The segment box and gate points of w from its own values and its next
// waypoint's (w.next must be set).
void BuildWaypointSegment(WaypointRecord& w);

extern QV7_WaypointList* g_waypointList;
