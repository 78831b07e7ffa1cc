// The debug view of the waypoint path on the null device: nothing while the
// flag is off; with it on, per waypoint one 2D bracket holding the blue lines
// to its next and its alternative (raised 10 units), the world transform set
// to identity, then the two track edges from its gates to its next's.
#include "../engine/EngineTestSupport.h"
#include "engine/QV7_Screen2D.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_WaypointList.h"
#include "tools/writers/WaypointFileWriter.h"

#include <cstring>

namespace
{
const char* const kIdentityWorld = "SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1)";

struct LineVertex
{
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};

class WaypointDebugDrawTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        // A bend of three waypoints; waypoint 0 may also branch to 2.
        std::vector<WaypointFileRecord> records =
            MakeWaypointLoop({0, 0, 0, 3000, 50, 500, 5000, 100, 2500}, 200);
        records[0].alternative = 2;
        BinaryReader file(BuildWaypointFile(records).Bytes());
        list.Read(file, "Map1.wap");
        gfx::null::Settings().keepUserDraws = true;
        gfx::null::ClearCalls();
    }
    // The two ends of the kept line draw i.
    static std::pair<LineVertex, LineVertex> Line(size_t i)
    {
        const gfx::null::UserDraw& draw = gfx::null::UserDraws().at(i);
        EXPECT_EQ(draw.type, D3DPT_LINELIST);
        std::pair<LineVertex, LineVertex> ends;
        std::memcpy(&ends.first, draw.vertices.data(), sizeof(LineVertex));
        std::memcpy(&ends.second, draw.vertices.data() + sizeof(LineVertex), sizeof(LineVertex));
        return ends;
    }
    static void ExpectAt(const LineVertex& v, const D3DXVECTOR3& p, const char* what)
    {
        EXPECT_FLOAT_EQ(v.x, p.x) << what;
        EXPECT_FLOAT_EQ(v.y, p.y) << what;
        EXPECT_FLOAT_EQ(v.z, p.z) << what;
        EXPECT_EQ(v.colour, 0xff0000ffu) << what;
    }
    static D3DXVECTOR3 Raised(const D3DXVECTOR3& p) { return D3DXVECTOR3(p.x, p.y + 10.0f, p.z); }
    QV7_WaypointList list;
};

TEST_F(WaypointDebugDrawTest, DrawsNothingWhileTheFlagIsOff)
{
    list.DebugDraw();
    EXPECT_TRUE(gfx::null::Calls().empty());
}

TEST_F(WaypointDebugDrawTest, DrawsLinksAndTrackEdgesOfEveryWaypoint)
{
    list.m_DebugDraw = 1;
    g_device->BeginScene();
    list.DebugDraw();
    g_device->EndScene();
    ASSERT_EQ(gfx::null::UserDraws().size(), 12u);
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        const WaypointRecord &w = *list.Waypoint(i), &n = *w.next;
        const size_t first = size_t(i) * 4;
        ExpectAt(Line(first).first, Raised(w.position), "link from");
        ExpectAt(Line(first).second, Raised(n.position), "link to");
        ExpectAt(Line(first + 1).second, Raised(w.alternative->position), "alternative");
        ExpectAt(Line(first + 2).first, w.gate1, "+width edge from");
        ExpectAt(Line(first + 2).second, n.gate1, "+width edge to");
        ExpectAt(Line(first + 3).first, w.gate2, "-width edge from");
        ExpectAt(Line(first + 3).second, n.gate2, "-width edge to");
        // The identity transform comes between the links and the edges.
        const int transform = gfx::null::FindCall(kIdentityWorld, gfx::null::UserDraws()[first + 1].call);
        ASSERT_GE(transform, 0);
        EXPECT_LT(size_t(transform), gfx::null::UserDraws()[first + 2].call);
    }
    EXPECT_EQ(g_screen2D->m_In2D, 0);
}
} // namespace
