// Each track is a handful of control points laid by hand on the islands'
// height fields (in the 64 x 64 overview's cells of 1024 units), joined by a
// Catmull-Rom curve; the canyon track takes its middle stretch from the
// canyon's own middle line, so it stays on the canyon floor.
#include "tools/demo/DemoWaypoints.h"

#include "tools/demo/DemoIslands.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr float kCell = 1024.0f;

TrackPoint Cell(float column, float row)
{
    return {(column + 0.5f) * kCell, (row + 0.5f) * kCell};
}

// Round the hill island on its beach, clockwise seen from above.
std::vector<TrackPoint> HillControls()
{
    return {Cell(36, 10.5),   Cell(44, 12.8), Cell(48, 17.2),   Cell(50.5, 22.5), Cell(51.2, 29),
            Cell(51.2, 36),   Cell(49.3, 43), Cell(45, 47.8),   Cell(38, 50.2),   Cell(30, 49.8),
            Cell(21, 48),     Cell(16.8, 44), Cell(13.5, 39),   Cell(12.6, 32),   Cell(13, 26),
            Cell(14.8, 20.8), Cell(18.5, 17), Cell(23.5, 13.8), Cell(29.5, 11.3)};
}

// Round the lagoon on the beach between the water and the ring of hills.
std::vector<TrackPoint> LagoonControls()
{
    return {Cell(29.5, 19),   Cell(34, 19.4), Cell(38.5, 20.8), Cell(41.8, 24.3), Cell(43.4, 28.5),
            Cell(44.9, 32.5), Cell(44.3, 37), Cell(41.8, 41.7), Cell(36, 44.3),   Cell(30, 45),
            Cell(25, 44.2),   Cell(22, 41.3), Cell(20.3, 37),   Cell(18.9, 32),   Cell(18.9, 27.5),
            Cell(20.9, 23.5), Cell(22.7, 21), Cell(25.6, 19.4)};
}

// Eastwards along the canyon floor, out onto the eastern beach, back west
// along the southern beach and into the canyon again.
std::vector<TrackPoint> CanyonControls()
{
    std::vector<TrackPoint> points;
    for (int column = 11; column <= 57; column += 2)
    {
        const float x = (float(column) + 0.5f) * kCell;
        points.push_back({x, CanyonCentreZ(x)});
    }
    for (const TrackPoint& p :
         {Cell(58.6, 31), Cell(58.4, 34), Cell(57, 37), Cell(54.3, 38.4), Cell(51.7, 39.2), Cell(48, 40.4),
          Cell(45.5, 41.4), Cell(42.5, 42.4), Cell(38, 43.3), Cell(33, 44.1), Cell(28, 44.3), Cell(23, 43.9),
          Cell(19.5, 43), Cell(16, 41.6), Cell(12.5, 40), Cell(10.3, 38), Cell(9.5, 36.2), Cell(9.8, 34.6)})
        points.push_back(p);
    return points;
}

std::vector<TrackPoint> Controls(int number)
{
    switch (number)
    {
    case 1:
        return HillControls();
    case 2:
        return LagoonControls();
    default:
        return CanyonControls();
    }
}

// The closed Catmull-Rom curve through the control points at segment i, t in 0..1.
TrackPoint CurvePoint(const std::vector<TrackPoint>& c, size_t i, float t)
{
    const size_t n = c.size();
    const TrackPoint &p0 = c[(i + n - 1) % n], &p1 = c[i], &p2 = c[(i + 1) % n], &p3 = c[(i + 2) % n];
    auto blend = [t](float a, float b, float d, float e)
    {
        return 0.5f * (2.0f * b + (d - a) * t + (2.0f * a - 5.0f * b + 4.0f * d - e) * t * t +
                       (3.0f * b - a - 3.0f * d + e) * t * t * t);
    };
    return {blend(p0.x, p1.x, p2.x, p3.x), blend(p0.z, p1.z, p2.z, p3.z)};
}

// The curve finely sampled, for measuring along it.
std::vector<TrackPoint> FineCurve(const std::vector<TrackPoint>& controls)
{
    constexpr int kPerSegment = 200;
    std::vector<TrackPoint> fine;
    for (size_t i = 0; i < controls.size(); ++i)
        for (int s = 0; s < kPerSegment; ++s)
            fine.push_back(CurvePoint(controls, i, float(s) / float(kPerSegment)));
    return fine;
}

// Points every `step` units along the closed line, the last step shortened
// so the loop closes evenly: the length is split into whole steps.
std::vector<TrackPoint> Resample(const std::vector<TrackPoint>& fine, float step)
{
    double length = 0.0;
    for (size_t i = 0; i < fine.size(); ++i)
    {
        const TrackPoint &a = fine[i], &b = fine[(i + 1) % fine.size()];
        length += std::hypot(double(b.x - a.x), double(b.z - a.z));
    }
    const int count = std::max(3, int(std::lround(length / double(step))));
    const double spacing = length / double(count);
    std::vector<TrackPoint> out;
    double walked = 0.0, next = 0.0;
    for (size_t i = 0; i < fine.size() && int(out.size()) < count; ++i)
    {
        const TrackPoint &a = fine[i], &b = fine[(i + 1) % fine.size()];
        const double piece = std::hypot(double(b.x - a.x), double(b.z - a.z));
        while (next <= walked + piece && int(out.size()) < count)
        {
            const float t = piece > 0.0 ? float((next - walked) / piece) : 0.0f;
            out.push_back({a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t});
            next += spacing;
        }
        walked += piece;
    }
    return out;
}
} // namespace

std::vector<TrackPoint> DemoTrackLine(int number, float step)
{
    return Resample(FineCurve(Controls(number)), step);
}

std::vector<WaypointFileRecord> DemoWaypoints(int number, const Heightfield& field)
{
    std::vector<float> xyz;
    for (const TrackPoint& p : DemoTrackLine(number, kDemoWaypointSpacing))
        xyz.insert(xyz.end(), {p.x, field.HeightAt(p.x, p.z), p.z});
    return MakeWaypointLoop(xyz, kDemoTrackHalfWidth);
}

bool WriteDemoWaypoints(const std::string& dataDir)
{
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        ok = ok && WriteWaypointFile(dataDir + "Map" + std::to_string(number) + ".wap",
                                     DemoWaypoints(number, DemoIslandHeightfield(number)));
    return ok;
}
} // namespace demo
