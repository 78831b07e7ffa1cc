// Loading the path, the stretch test the computer drivers steer by, and the
// debug view of the path.
#include "race/QV7_WaypointList.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Screen2D.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cmath>
#include <vector>

QV7_WaypointList* g_waypointList = nullptr;

namespace
{
const char* const kModule = ".\\QV7_WaypointList";
constexpr D3DCOLOR kDebugColour = 0xff0000ff;
// How far the inner gate points G3 and G4 lie inside the outer ones.
constexpr float kInnerGateInset = 120.0f;

// Where a record's two links point, kept until every record is read.
struct WaypointLinks
{
    int32_t next = 0;
    int32_t alternative = 0;
};

[[noreturn]] void Broken(const std::string& path, const BinaryReader& file, size_t at,
                         const std::string& what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Path Nodes File %s is broken: %s (at byte %zu of %zu).", path.c_str(),
                    what.c_str(), at, file.Size());
    ThrowBrokenString(kModule, line);
}

bool Finite(const D3DXVECTOR3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Position, yaw, width, the two links, the speed flag and value.
WaypointLinks ReadRecord(BinaryReader& file, WaypointRecord& w, const std::string& path)
{
    const size_t at = file.Position();
    WaypointLinks links;
    w.position.x = file.ReadFloat();
    w.position.y = file.ReadFloat();
    w.position.z = file.ReadFloat();
    w.yaw = file.ReadFloat();
    w.width = file.ReadFloat();
    links.next = file.ReadInt32();
    links.alternative = file.ReadInt32();
    w.speedFlag = file.ReadInt32();
    w.speedValue = file.ReadFloat();
    if (file.Failed())
        Broken(path, file, at, "it ends inside a waypoint", __LINE__);
    // A path the drivers steer by must be made of numbers.
    if (!Finite(w.position) || !std::isfinite(w.yaw) || !std::isfinite(w.width) ||
        !std::isfinite(w.speedValue))
        Broken(path, file, at, "a waypoint holds a value that is not a number", __LINE__);
    return links;
}

// Grows the box along one axis: the larger end by its own waypoint's twice
// width, the smaller end likewise.
void SpanAxis(float w, float n, float wWidth, float nWidth, float& maximum, float& minimum)
{
    if (n > w)
    {
        maximum = n + 2.0f * nWidth;
        minimum = w - 2.0f * wWidth;
    }
    else
    {
        maximum = w + 2.0f * wWidth;
        minimum = n - 2.0f * nWidth;
    }
}

// The waypoint's position plus the point (1, 1, 1) moved d along local z and
// turned by the yaw.
D3DXVECTOR3 GatePoint(const WaypointRecord& w, float d)
{
    D3DXMATRIX move, turn, m;
    D3DXMatrixTranslation(&move, 0.0f, 0.0f, d);
    D3DXMatrixRotationY(&turn, w.yaw);
    D3DXMatrixMultiply(&m, &move, &turn);
    const D3DXVECTOR3 local(1.0f, 1.0f, 1.0f);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &local, &m);
    return D3DXVECTOR3(w.position.x + out.x, w.position.y + out.y, w.position.z + out.z);
}

bool InsideBox(const WaypointRecord& w, const D3DXVECTOR3& p)
{
    return w.boxMin.x < p.x && p.x < w.boxMax.x && w.boxMin.y < p.y && p.y < w.boxMax.y && w.boxMin.z < p.z &&
           p.z < w.boxMax.z;
}

// Inside the quad W.G1, N.G1, N.G2, W.G2.
bool InsideGates(const WaypointRecord& w, const WaypointRecord& n, const D3DXVECTOR3& p)
{
    return Cross2D(p, n.gate1, w.gate1) < 0.0f && Cross2D(p, n.gate2, w.gate2) > 0.0f &&
           Cross2D(p, w.gate2, w.gate1) > 0.0f && Cross2D(p, n.gate2, n.gate1) < 0.0f;
}

D3DXVECTOR3 Raised(const D3DXVECTOR3& v)
{
    return D3DXVECTOR3(v.x, v.y + 10.0f, v.z);
}

void Line(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    g_screen2D->DrawLine3D(kDebugColour, a.x, a.y, a.z, b.x, b.y, b.z);
}
} // namespace

float Cross2D(const D3DXVECTOR3& p, const D3DXVECTOR3& a, const D3DXVECTOR3& o)
{
    return (p.z - o.z) * (a.x - o.x) - (a.z - o.z) * (p.x - o.x);
}

float AbsF(float value)
{
    return std::fabs(value);
}

void BuildWaypointSegment(WaypointRecord& w)
{
    const WaypointRecord& n = *w.next;
    SpanAxis(w.position.x, n.position.x, w.width, n.width, w.boxMax.x, w.boxMin.x);
    SpanAxis(w.position.y, n.position.y, w.width, n.width, w.boxMax.y, w.boxMin.y);
    SpanAxis(w.position.z, n.position.z, w.width, n.width, w.boxMax.z, w.boxMin.z);
    w.gate1 = GatePoint(w, w.width);
    w.gate2 = GatePoint(w, -w.width);
    w.gate3 = GatePoint(w, kInnerGateInset - w.width);
    w.gate4 = GatePoint(w, w.width - kInnerGateInset);
}

QV7_WaypointList::QV7_WaypointList()
{
    g_waypointList = this;
}

QV7_WaypointList::~QV7_WaypointList()
{
    if (g_waypointList == this)
        g_waypointList = nullptr;
}

WaypointRecord* QV7_WaypointList::Waypoint(int index) const
{
    return index >= 0 && index < Count() ? m_Waypoints[index] : nullptr;
}

void QV7_WaypointList::Load(const std::string& path)
{
    m_Waypoints.Clear();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Path Nodes File %s can't be opened.", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    Read(file, path);
}

void QV7_WaypointList::Read(BinaryReader& file, const std::string& path)
{
    m_Waypoints.Clear();
    std::vector<WaypointLinks> links;
    try
    {
        const size_t at = file.Position();
        const int32_t count = file.ReadCount(kWaypointRecordBytes);
        if (file.Failed())
            Broken(path, file, at, "its count is missing, negative or more than its bytes hold", __LINE__);
        for (int32_t i = 0; i < count; ++i)
            links.push_back(ReadRecord(file, *m_Waypoints.Add(), path));
        for (int32_t i = 0; i < count; ++i)
        {
            WaypointRecord& w = *m_Waypoints[i];
            w.next = Waypoint(links[size_t(i)].next);
            w.alternative = Waypoint(links[size_t(i)].alternative);
            if (!w.next || !w.alternative)
                Broken(path, file, sizeof(int32_t) + size_t(i) * kWaypointRecordBytes + 20,
                       "waypoint " + std::to_string(i) + " links to " +
                           std::to_string(links[size_t(i)].next) + " and " +
                           std::to_string(links[size_t(i)].alternative) + " of " + std::to_string(count),
                       __LINE__);
            BuildWaypointSegment(w);
        }
    }
    catch (...)
    {
        m_Waypoints.Clear();
        throw;
    }
}

WaypointRecord* QV7_WaypointList::FindSegment(const D3DXVECTOR3& p) const
{
    WaypointRecord* found[2] = {nullptr, nullptr};
    int candidates = 0;
    for (WaypointRecord* w : m_Waypoints)
    {
        if (!w->next || !InsideBox(*w, p) || !InsideGates(*w, *w->next, p))
            continue;
        found[candidates++] = w;
        if (candidates == 2)
            break;
    }
    if (candidates == 2 && AbsF(found[1]->position.y - p.y) < AbsF(found[0]->position.y - p.y))
        return found[1];
    return found[0];
}

void QV7_WaypointList::DebugDraw() const
{
    if (!m_DebugDraw || !g_screen2D || !g_device)
        return;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const WaypointRecord* w : m_Waypoints)
    {
        const WaypointRecord& n = *w->next;
        g_screen2D->Begin2D();
        Line(Raised(w->position), Raised(n.position));
        Line(Raised(w->position), Raised(w->alternative->position));
        g_device->SetTransform(D3DTS_WORLD, &identity);
        Line(GatePoint(*w, w->width), GatePoint(n, n.width));
        Line(GatePoint(*w, -w->width), GatePoint(n, -n.width));
        g_screen2D->End2D();
    }
}
