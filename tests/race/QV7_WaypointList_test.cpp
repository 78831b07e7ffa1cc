// The waypoint path: what a file written by our writer reads back as (links,
// segment boxes, gate points), broken files refused without touching memory
// they don't own, and the stretch test the computer drivers steer by.
#include "race/QV7_WaypointList.h"

#include "../shell/TestLog.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/WaypointFileWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
const char* const kBrokenLine =
    "Critical Problem, File Broken, Application will crash to avoid any additional problems.";

// A square loop 4000 units a side at height 0, drawn anticlockwise seen from
// above in x/z (+x, then +z, then -x, then -z).
std::vector<WaypointFileRecord> Square(float width = 100.0f)
{
    return MakeWaypointLoop({0, 0, 0, 4000, 0, 0, 4000, 0, 4000, 0, 0, 4000}, width);
}

void ReadInto(QV7_WaypointList& list, const std::vector<uint8_t>& bytes)
{
    BinaryReader file(bytes);
    list.Read(file, "Map1.wap");
}

void ReadInto(QV7_WaypointList& list, const std::vector<WaypointFileRecord>& records)
{
    ReadInto(list, BuildWaypointFile(records).Bytes());
}

// The gate point the description gives, worked out by hand: (1, 1, 1 + d)
// turned by yaw about the vertical (x' = x cos + z sin, z' = z cos - x sin).
D3DXVECTOR3 ExpectedGate(const WaypointFileRecord& w, float d)
{
    const float c = std::cos(w.yaw), s = std::sin(w.yaw), z = 1.0f + d;
    return D3DXVECTOR3(w.x + c + z * s, w.y + 1.0f, w.z + z * c - s);
}

void ExpectNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-2f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-2f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-2f) << what;
}

TEST(WaypointListTest, RecordDefaultsBeforeAFileValueIsRead)
{
    const WaypointRecord w;
    EXPECT_EQ(w.width, 100.0f);
    EXPECT_EQ(w.speedValue, 100.0f);
    EXPECT_EQ(w.speedFlag, 0);
    EXPECT_EQ(w.next, nullptr);
}

TEST(WaypointListTest, PublishesItselfWhileItLives)
{
    {
        QV7_WaypointList list;
        EXPECT_EQ(g_waypointList, &list);
        EXPECT_EQ(list.m_DebugDraw, 0);
    }
    EXPECT_EQ(g_waypointList, nullptr);
}

// Every field read back, links resolved to the records they name, and the
// box and gates worked out from each waypoint's own values and its next's.
TEST(WaypointListTest, ReadsBackWhatTheWriterWrote)
{
    std::vector<WaypointFileRecord> records = {
        {100, 50, 200, 0.3f, 150, 1, 2, 1, 75.5f},
        {900, -20, -300, -2.0f, 80, 2, 0, 0, 100},
        {-400, 300, 700, 3.0f, 220, 0, 1, 7, 12},
    };
    QV7_WaypointList list;
    ReadInto(list, records);
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i)
    {
        const WaypointFileRecord& r = records[size_t(i)];
        const WaypointRecord& w = *list.Waypoint(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(w.position.x, r.x);
        EXPECT_EQ(w.position.y, r.y);
        EXPECT_EQ(w.position.z, r.z);
        EXPECT_EQ(w.yaw, r.yaw);
        EXPECT_EQ(w.width, r.width);
        EXPECT_EQ(w.speedFlag, r.speedFlag);
        EXPECT_EQ(w.speedValue, r.speedValue);
        EXPECT_EQ(list.IndexOf(w.next), r.next);
        EXPECT_EQ(list.IndexOf(w.alternative), r.alternative);
        ExpectNear(w.gate1, ExpectedGate(r, r.width), "G1");
        ExpectNear(w.gate2, ExpectedGate(r, -r.width), "G2");
        ExpectNear(w.gate3, ExpectedGate(r, 120.0f - r.width), "G3");
        ExpectNear(w.gate4, ExpectedGate(r, r.width - 120.0f), "G4");
    }
    // Waypoint 0 to 1: x grows (the maximum from the next waypoint), y and z
    // fall (the maximum from waypoint 0 itself); each end grows by its own width.
    const WaypointRecord& w0 = *list.Waypoint(0);
    EXPECT_EQ(w0.boxMax.x, 900.0f + 160.0f);
    EXPECT_EQ(w0.boxMin.x, 100.0f - 300.0f);
    EXPECT_EQ(w0.boxMax.y, 50.0f + 300.0f);
    EXPECT_EQ(w0.boxMin.y, -20.0f - 160.0f);
    EXPECT_EQ(w0.boxMax.z, 200.0f + 300.0f);
    EXPECT_EQ(w0.boxMin.z, -300.0f - 160.0f);
}

TEST(WaypointListTest, EmptyFileHoldsNoWaypoints)
{
    QV7_WaypointList list;
    ReadInto(list, std::vector<WaypointFileRecord>{});
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.FindSegment(D3DXVECTOR3(0, 0, 0)), nullptr);
}

TEST(WaypointListTest, LoadsFromAFileAndRefusesAMissingOne)
{
    ScopedTestLogger logger;
    TempDir dir;
    ASSERT_TRUE(WriteWaypointFile(dir.Path() + "Map2.wap", Square()));
    QV7_WaypointList list;
    list.Load(dir.Path() + "Map2.wap");
    EXPECT_EQ(list.Count(), 4);
    EXPECT_THROW(list.Load(dir.Path() + "Map9.wap"), CDException);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(logger.Contains("ERROR: Path Nodes File " + dir.Path() + "Map9.wap can't be opened."));
}

void PatchInt(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    std::memcpy(&bytes[offset], &value, 4);
}

void PatchFloat(std::vector<uint8_t>& bytes, size_t offset, float value)
{
    std::memcpy(&bytes[offset], &value, 4);
}

struct BrokenCase
{
    const char* name;
    void (*edit)(std::vector<uint8_t>& bytes);
};

// Offsets in the square's file: the count, then record i at 4 + 36 i.
constexpr size_t Field(size_t record, size_t offset)
{
    return 4 + record * kWaypointRecordBytes + offset;
}

const BrokenCase kBrokenFiles[] = {
    {"no bytes", [](std::vector<uint8_t>& b) { b.clear(); }},
    {"cut inside the count", [](std::vector<uint8_t>& b) { b.resize(3); }},
    {"cut inside the position", [](std::vector<uint8_t>& b) { b.resize(Field(3, 6)); }},
    {"cut inside the yaw", [](std::vector<uint8_t>& b) { b.resize(Field(3, 13)); }},
    {"cut inside the width", [](std::vector<uint8_t>& b) { b.resize(Field(3, 17)); }},
    {"cut inside the next link", [](std::vector<uint8_t>& b) { b.resize(Field(3, 22)); }},
    {"cut inside the alternative", [](std::vector<uint8_t>& b) { b.resize(Field(3, 26)); }},
    {"cut inside the speed flag", [](std::vector<uint8_t>& b) { b.resize(Field(3, 30)); }},
    {"cut inside the speed value", [](std::vector<uint8_t>& b) { b.resize(Field(3, 35)); }},
    {"a count one more than the records", [](std::vector<uint8_t>& b) { PatchInt(b, 0, 5); }},
    {"a count its bytes could never hold", [](std::vector<uint8_t>& b) { PatchInt(b, 0, 0x7fffffff); }},
    {"a negative count", [](std::vector<uint8_t>& b) { PatchInt(b, 0, -1); }},
    {"next past the last", [](std::vector<uint8_t>& b) { PatchInt(b, Field(2, 20), 4); }},
    {"next negative", [](std::vector<uint8_t>& b) { PatchInt(b, Field(0, 20), -1); }},
    {"next far away", [](std::vector<uint8_t>& b) { PatchInt(b, Field(1, 20), 0x40000000); }},
    {"alternative past the last", [](std::vector<uint8_t>& b) { PatchInt(b, Field(3, 24), 4); }},
    {"alternative negative", [](std::vector<uint8_t>& b) { PatchInt(b, Field(1, 24), -1); }},
    {"a position that is not a number",
     [](std::vector<uint8_t>& b) { PatchFloat(b, Field(1, 4), std::numeric_limits<float>::quiet_NaN()); }},
    {"an infinite width",
     [](std::vector<uint8_t>& b) { PatchFloat(b, Field(2, 16), std::numeric_limits<float>::infinity()); }},
};

// Each broken file says what is wrong, then the broken-file line, then throws;
// nothing of it is kept.
TEST(WaypointListTest, BrokenFilesAreRefusedAndLeaveTheListEmpty)
{
    for (const BrokenCase& c : kBrokenFiles)
    {
        SCOPED_TRACE(c.name);
        ScopedTestLogger logger;
        std::vector<uint8_t> bytes = BuildWaypointFile(Square()).Bytes();
        c.edit(bytes);
        QV7_WaypointList list;
        EXPECT_THROW(ReadInto(list, bytes), CDException);
        EXPECT_EQ(list.Count(), 0);
        const std::vector<std::string> lines = logger.Lines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 3].rfind("ERROR: Path Nodes File Map1.wap is broken: ", 0), 0u)
            << lines[lines.size() - 3];
        EXPECT_EQ(lines[lines.size() - 2], kBrokenLine);
        EXPECT_EQ(lines.back().rfind("ERROR DETAILS: FILE .\\QV7_WaypointList LINE ", 0), 0u);
    }
}

TEST(WaypointListTest, BytesAfterTheLastRecordAreIgnored)
{
    std::vector<uint8_t> bytes = BuildWaypointFile(Square()).Bytes();
    bytes.insert(bytes.end(), {1, 2, 3});
    QV7_WaypointList list;
    ReadInto(list, bytes);
    EXPECT_EQ(list.Count(), 4);
}

struct SegmentCase
{
    const char* name;
    D3DXVECTOR3 p;
    int expected; // -1: none
};

// A straight road along +x: stretches 0 and 1, then an end waypoint linked to
// itself. Width 100 puts the gates of stretch 0 at z = +101 and -99 (the local
// point (1, 1, 1) shifts them by one) and its box from y = -200 to 200.
std::vector<WaypointFileRecord> Road()
{
    std::vector<WaypointFileRecord> road = MakeWaypointLoop({0, 0, 0, 4000, 0, 0, 8000, 0, 0}, 100);
    road[2].next = road[2].alternative = 2;
    road[2].yaw = 0.0f;
    return road;
}

TEST(WaypointListTest, FindSegmentTellsTheStretchAPositionLiesOn)
{
    QV7_WaypointList list;
    ReadInto(list, Road());
    const SegmentCase cases[] = {
        {"middle of the first stretch", {2000, 0, 0}, 0},
        {"near its left edge", {2000, 0, 100}, 0},
        {"near its right edge", {2000, 0, -98}, 0},
        {"middle of the second stretch", {6000, 0, 0}, 1},
        {"beside the track, inside the box", {2000, 0, 150}, -1},
        {"beside the track on the other side", {2000, 0, -150}, -1},
        {"before the first gate", {0.5f, 0, 0}, -1},
        {"past the end", {8100, 0, 0}, -1},
        {"far off the island", {-90000, 0, 50000}, -1},
        {"above the track, past the box", {2000, 250, 0}, -1},
        {"on the box's top face", {2000, 200, 0}, -1},
        {"just below the top face", {2000, 199, 0}, 0},
    };
    for (const SegmentCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(list.IndexOf(list.FindSegment(c.p)), c.expected);
    }
}

// Each gate faces its own next waypoint, so at a bend the stretch arriving and
// the one leaving share the bend's gate: every point along the middle of the
// road lies on exactly the stretch it belongs to, never on none.
TEST(WaypointListTest, ConsecutiveStretchesMeetAtTheSharedGate)
{
    std::vector<WaypointFileRecord> road =
        MakeWaypointLoop({0, 0, 0, 2000, 0, 0, 4000, 50, 400, 5800, 120, 1200, 7000, 0, 2600}, 150);
    road[4].next = road[4].alternative = 4;
    road[4].yaw = road[3].yaw;
    QV7_WaypointList list;
    ReadInto(list, road);
    for (int i = 0; i < 4; ++i)
        for (float t = 0.01f; t < 1.0f; t += 0.02f)
        {
            const WaypointFileRecord &w = road[size_t(i)], &n = road[size_t(i) + 1];
            const D3DXVECTOR3 p(w.x + t * (n.x - w.x), w.y + t * (n.y - w.y), w.z + t * (n.z - w.z));
            EXPECT_EQ(list.IndexOf(list.FindSegment(p)), i) << "stretch " << i << " at " << t;
        }
}

TEST(WaypointListTest, ASelfLinkedWaypointIsNeverAStretch)
{
    std::vector<WaypointFileRecord> records = {{0, 0, 0, 0, 100, 0, 0, 0, 100}};
    QV7_WaypointList list;
    ReadInto(list, records);
    const WaypointRecord& w = *list.Waypoint(0);
    EXPECT_EQ(w.boxMax.x, 200.0f);
    EXPECT_EQ(w.boxMin.x, -200.0f);
    for (const D3DXVECTOR3& p : {D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 1), D3DXVECTOR3(50, 0, -50)})
        EXPECT_EQ(list.FindSegment(p), nullptr);
}

// Two copies of the first stretch, one 300 units higher: a position on both
// goes to the stretch whose waypoint is nearer in height; a tie keeps the
// earlier one.
TEST(WaypointListTest, OverlappingStretchesGoToTheNearerHeight)
{
    std::vector<WaypointFileRecord> records = MakeWaypointLoop({0, 0, 0, 4000, 0, 0}, 100);
    std::vector<WaypointFileRecord> upper = MakeWaypointLoop({0, 300, 0, 4000, 300, 0}, 100);
    records.insert(records.end(), upper.begin(), upper.end());
    // Each stretch ends at a waypoint linked to itself, so only 0 and 2 are stretches.
    records[0].next = records[1].next = records[1].alternative = 1;
    records[2].next = records[3].next = records[2].alternative = records[3].alternative = 3;
    records[1].yaw = records[3].yaw = 0.0f;
    QV7_WaypointList list;
    ReadInto(list, records);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 100, 0))), 0);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 160, 0))), 2);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 150, 0))), 0);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 300, 0))), 2);
}

// A fork: waypoint 0 may go on to 1 or take the branch through 3; the stretch
// test follows next links only, and the branch's own stretch is found on the
// branch.
TEST(WaypointListTest, AlternativeLinksAreKeptButStretchesFollowNext)
{
    std::vector<WaypointFileRecord> records = Road();
    WaypointFileRecord branch;
    branch.x = 4000, branch.z = 2000, branch.width = 100;
    branch.yaw = WaypointYaw(branch.x, branch.z, 8000, 0);
    branch.next = branch.alternative = 2;
    records.push_back(branch);
    records[0].alternative = 3;
    QV7_WaypointList list;
    ReadInto(list, records);
    EXPECT_EQ(list.Waypoint(0)->alternative, list.Waypoint(3));
    EXPECT_EQ(list.Waypoint(0)->next, list.Waypoint(1));
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 0, 0))), 0);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(2000, 0, 1000))), -1);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(6000, 0, 1000))), 3);
    EXPECT_EQ(list.IndexOf(list.FindSegment(D3DXVECTOR3(6000, 0, 0))), 1);
}

TEST(WaypointListTest, Cross2DIsTheNegatedCrossProductOfTheTwoOffsets)
{
    const D3DXVECTOR3 o(1, 0, 1), a(3, 0, 1), left(2, 0, 2), right(2, 0, 0);
    EXPECT_EQ(Cross2D(left, a, o), 2.0f);
    EXPECT_EQ(Cross2D(right, a, o), -2.0f);
    EXPECT_EQ(Cross2D(D3DXVECTOR3(5, 9, 1), a, o), 0.0f);
}
} // namespace
