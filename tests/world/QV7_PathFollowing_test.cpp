// Moving scenery on the null device with real ODE geoms: the file read back
// as written, stepping along a square path (speed, stop nodes, waiting,
// turning back, long frames), the carry test's cube, the carry handed to the
// race, the geoms following the object, the camera ride, and broken files.
#include "SceneryTestSupport.h"
#include "shell/QV7_Globals.h"
#include "world/QV7_PathFollowing.h"

#include <cstring>

namespace
{
using scenerytest::SceneryFixture;

// Corners of a 2000-unit square, anticlockwise from the origin seen from above.
PathObjectDescription Ferry(float speed)
{
    PathObjectDescription ferry;
    ferry.nodes = MakePathLoop({{0, 0, 0}, {2000, 0, 0}, {2000, 0, 2000}, {0, 0, 2000}});
    ferry.mesh = MakeBoxMesh(D3DXVECTOR3(200, 50, 300), 0, 9);
    ferry.speed = speed;
    ferry.shapes.boxes.push_back({{0, 0, 0}, {400, 100, 600}, {0, 0, 0}});
    return ferry;
}

float Distance(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    const D3DXVECTOR3 d = a - b;
    return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

struct Recorded
{
    D3DXVECTOR3 racer{0, 0, 0};
    bool hasRacer = false;
    int playerCarried = -1, sessionCarried = -1, carries = 0;
    PathCarry last;
};
Recorded g_recorded;

class PathFollowingTest : public SceneryFixture
{
  protected:
    void SetUp() override
    {
        SceneryFixture::SetUp();
        g_recorded = Recorded();
        QV7_PathFollowing::s_Hooks.playerPosition = [](D3DXVECTOR3* p)
        {
            *p = g_recorded.racer;
            return g_recorded.hasRacer;
        };
        QV7_PathFollowing::s_Hooks.setPlayerCarried = [](int c) { g_recorded.playerCarried = c; };
        QV7_PathFollowing::s_Hooks.setSessionCarried = [](int c) { g_recorded.sessionCarried = c; };
        QV7_PathFollowing::s_Hooks.carry = [](const PathCarry& c)
        {
            ++g_recorded.carries;
            g_recorded.last = c;
        };
    }
    void TearDown() override
    {
        QV7_PathFollowing::s_Hooks = PathFollowingHooks();
        SceneryFixture::TearDown();
    }
    void Load(const std::vector<PathObjectDescription>& objects)
    {
        Save(BuildPathFile(objects));
        paths.Load(path, g_device, &textures, sink);
    }
    PathObject& First() { return *paths.m_Objects[0]; }
    QV7_PathFollowing paths;
};

TEST_F(PathFollowingTest, ReadsNodesLinksAndTheObjectScaledBounds)
{
    PathObjectDescription ferry = Ferry(500.0f);
    ferry.scale = 2.0f;
    ferry.yawOffset = 0.5f;
    ferry.waitTime = 1500;
    ferry.reverse = 1;
    ferry.nodes[2].flag = 1;
    Load({ferry});
    ASSERT_EQ(paths.m_Objects.size(), 1u);
    PathObject& o = First();
    ASSERT_EQ(o.nodes.size(), 4u);
    EXPECT_EQ(o.nodes[0].previous, &o.nodes[3]);
    EXPECT_EQ(o.nodes[3].next, &o.nodes[0]);
    EXPECT_EQ(o.nodes[2].flag, 1);
    EXPECT_FLOAT_EQ(o.speed, 500.0f);
    EXPECT_FLOAT_EQ(o.yawOffset, 0.5f);
    EXPECT_EQ(o.waitTime, 1500);
    EXPECT_EQ(o.reverse, 1);
    EXPECT_FLOAT_EQ(o.mesh.m_BoxMax.z, 600.0f);
    EXPECT_FLOAT_EQ(o.mesh.m_Scale, 2.0f);
    // The box geom waits at the first node, lengths in x, z, y order.
    ASSERT_EQ(geoms.size(), 1u);
    dVector3 lengths;
    dGeomBoxGetLengths(geoms[0], lengths);
    EXPECT_NEAR(lengths[0], 400 * 2 * 0.005, 1e-6);
    EXPECT_NEAR(lengths[1], 600 * 2 * 0.005, 1e-6);
    EXPECT_NEAR(lengths[2], 100 * 2 * 0.005, 1e-6);
    EXPECT_EQ(dGeomGetData(geoms[0]), nullptr);
}

TEST_F(PathFollowingTest, GlidesAtItsSpeedThroughTheNodesAndMovesItsGeoms)
{
    Load({Ferry(1000.0f)});
    PathObject& o = First();
    paths.UpdateFrame(0.0f);
    EXPECT_LT(Distance(o.mesh.m_Position, D3DXVECTOR3(0, 0, 0)), 1e-3f);
    // 100 ms at 1000 units a second: about 100 units along the curve.
    paths.UpdateFrame(100.0f);
    paths.UpdateFrame(0.0f);
    EXPECT_NEAR(Distance(o.mesh.m_Position, D3DXVECTOR3(0, 0, 0)), 100.0f, 10.0f);
    EXPECT_GT(o.mesh.m_Position.x, 80.0f);
    // The geom follows, in ODE units.
    const dReal* at = dGeomGetPosition(geoms[0]);
    EXPECT_NEAR(at[0], o.mesh.m_Position.x * 0.005, 1e-4);
    // Facing along the path: the mesh's +z turns towards +x.
    EXPECT_GT(o.mesh.m_World._31, 0.9f);
    // The segment, a little longer than its 2000-unit chord, takes a little
    // over two seconds, and ends on its node.
    int frames = 1;
    while (o.current == &o.nodes[0] && frames < 100)
        paths.UpdateFrame(100.0f), ++frames;
    EXPECT_GE(frames, 20);
    EXPECT_LE(frames, 26);
    EXPECT_LT(Distance(o.mesh.m_Position, o.nodes[1].position), 120.0f);
}

TEST_F(PathFollowingTest, StopNodesHoldTheObjectForTheWaitTime)
{
    PathObjectDescription ferry = Ferry(1000.0f);
    ferry.nodes[1].flag = 1;
    ferry.waitTime = 2000;
    Load({ferry});
    PathObject& o = First();
    // A long frame passes node 1 only as far as the stop.
    paths.UpdateFrame(0.0f);
    o.t = 2.7f;
    paths.UpdateFrame(0.0f);
    EXPECT_EQ(o.current, &o.nodes[1]);
    EXPECT_FLOAT_EQ(o.t, 0.0f);
    EXPECT_FLOAT_EQ(o.remainingWait, 2000.0f);
    for (int frame = 0; frame < 19; ++frame)
        paths.UpdateFrame(100.0f);
    EXPECT_FLOAT_EQ(o.t, 0.0f);
    EXPECT_LT(Distance(o.mesh.m_Position, D3DXVECTOR3(2000, 0, 0)), 1e-3f);
    paths.UpdateFrame(100.0f); // the wait runs out
    paths.UpdateFrame(100.0f);
    EXPECT_GT(o.t, 0.0f);
    // Progress outside 0..10000 starts the segment again.
    o.t = 20000.0f;
    paths.UpdateFrame(0.0f);
    EXPECT_FLOAT_EQ(o.t, 0.0f);
}

TEST_F(PathFollowingTest, ReversingObjectsTurnBackAtStopNodes)
{
    PathObjectDescription ferry = Ferry(1000.0f);
    ferry.nodes[2].flag = 1;
    ferry.nodes[0].flag = 1;
    ferry.reverse = 1;
    ferry.yawOffset = 0.25f;
    Load({ferry});
    PathObject& o = First();
    paths.UpdateFrame(0.0f);
    o.t = 1.5f; // on to node 1, then into the next segment
    paths.UpdateFrame(0.0f);
    o.t = 1.0f; // reaches node 2: a stop, the path turns
    paths.UpdateFrame(0.0f);
    EXPECT_EQ(o.current, &o.nodes[2]);
    EXPECT_EQ(o.nodes[2].next, &o.nodes[1]);
    EXPECT_NEAR(o.yawOffset, 0.25f + 3.14159265f, 1e-5f);
    EXPECT_EQ(o.reversed, 1u);
    o.t = 1.0f;
    paths.UpdateFrame(0.0f); // back to node 1
    o.t = 1.0f;
    paths.UpdateFrame(0.0f); // node 0: the next turn brings the offset back
    EXPECT_EQ(o.current, &o.nodes[0]);
    EXPECT_NEAR(o.yawOffset, 0.25f, 1e-5f);
    EXPECT_EQ(o.reversed, 0u);
}

TEST_F(PathFollowingTest, StandsStillWithoutSpeedOrOnCoincidentNodes)
{
    PathObjectDescription still = Ferry(0.0f);
    PathObjectDescription stuck = Ferry(1000.0f);
    stuck.nodes = MakePathLoop({{500, 0, 500}, {500, 0, 500}, {500, 0, 500}});
    Load({still, stuck});
    for (int frame = 0; frame < 5; ++frame)
        paths.UpdateFrame(100.0f);
    EXPECT_FLOAT_EQ(paths.m_Objects[0]->t, 0.0f);
    EXPECT_FLOAT_EQ(paths.m_Objects[1]->t, 0.0f);
    EXPECT_TRUE(std::isfinite(paths.m_Objects[1]->mesh.m_World._11));
}

TEST_F(PathFollowingTest, CarryCubeReachesAHundredUnitsAboveTheBox)
{
    const D3DXVECTOR3 lo(-200, -50, -300), hi(200, 50, 300);
    const std::pair<D3DXVECTOR3, bool> table[] = {
        {{0, 0, 0}, true},     {{0, 149, 0}, true},    {{0, 150, 0}, false}, {{0, -50, 0}, false},
        {{0, -49, 0}, true},   {{299, 0, 0}, true},    {{300, 0, 0}, false}, {{-200, 0, 0}, false},
        {{0, 100, 399}, true}, {{0, 100, 400}, false},
    };
    for (const auto& [q, carried] : table)
        EXPECT_EQ(QV7_PathFollowing::Carries(q, lo, hi), carried) << q.x << "," << q.y << "," << q.z;
}

TEST_F(PathFollowingTest, CarriesThePlayerStandingOnTheObject)
{
    Load({Ferry(1000.0f)});
    PathObject& o = First();
    g_recorded.hasRacer = true;
    g_recorded.racer = D3DXVECTOR3(5000, 0, 5000);
    paths.UpdateFrame(0.0f);
    EXPECT_EQ(g_recorded.carries, 0);
    EXPECT_EQ(g_recorded.sessionCarried, 0);
    EXPECT_EQ(g_recorded.playerCarried, 0);

    // On the deck: 60 units over its middle.
    g_recorded.racer = o.mesh.m_Position + D3DXVECTOR3(0, 110, 0);
    const D3DXVECTOR3 before = o.mesh.m_Position;
    paths.UpdateFrame(100.0f);
    paths.UpdateFrame(100.0f);
    EXPECT_GE(g_recorded.carries, 1);
    EXPECT_EQ(g_recorded.playerCarried, 1);
    EXPECT_EQ(g_recorded.sessionCarried, 1);
    // The carry moves a point on the deck as the deck moved.
    const PathCarry& c = g_recorded.last;
    const D3DXVECTOR3 moved = c.Point(c.previousPosition + D3DXVECTOR3(0, 110, 0));
    EXPECT_LT(Distance(moved, c.position + D3DXVECTOR3(0, 110, 0)), 1e-2f);
    EXPECT_GT(Distance(o.mesh.m_Position, before), 50.0f);
}

TEST_F(PathFollowingTest, CameraRideMovesTheCameraAndDrawsNothing)
{
    Load({Ferry(1000.0f)});
    paths.UpdateFrame(100.0f);
    gfx::null::ClearCalls();
    worldtest::PlaceCamera({0, 500, -3000}, {0, 0, 0});
    g_camera->UpdateProjection();
    g_camera->UpdateFrustum();
    paths.Render();
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 1u);
    ASSERT_NE(QV7_Camera::s_MovieMode, nullptr);
    EXPECT_FALSE(QV7_Camera::s_MovieMode());
    paths.m_CameraRide = 1;
    EXPECT_TRUE(QV7_Camera::s_MovieMode()); // the camera's movie mode is this one flag
    paths.UpdateFrame(100.0f);
    gfx::null::ClearCalls();
    paths.Render();
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
    EXPECT_LT(Distance(g_camera->m_Eye, First().mesh.m_Position), 1e-3f);
    EXPECT_FLOAT_EQ(First().mesh.m_World._11 * First().mesh.m_World._11 +
                        First().mesh.m_World._13 * First().mesh.m_World._13,
                    1.0f); // unscaled
}

TEST_F(PathFollowingTest, BrokenFilesFailTheLoadCleanly)
{
    const std::vector<uint8_t> bytes = BuildPathFile({Ferry(100.0f)}).Bytes();
    auto edited = [&](size_t at, const void* value, size_t n)
    {
        std::vector<uint8_t> b = bytes;
        std::memcpy(b.data() + at, value, n);
        return b;
    };
    const int32_t huge = 0x7FFFFFF0, zero = 0, outside = 4, negative = -1;
    const float nan = std::nanf("");
    const size_t meshEnd = 8 + 4 * 21 + MeshObjectBlockSize(BuildMeshObjectBlock(Ferry(100.0f).mesh));
    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
        const char* line;
    };
    const Case cases[] = {
        {"empty", {}, "is broken"},
        {"path count too large", edited(0, &huge, 4), "path count"},
        {"no nodes", edited(4, &zero, 4), "no nodes"},
        {"node count too large", edited(4, &huge, 4), "node count"},
        {"next outside", edited(8 + 17, &outside, 4), "does not have"},
        {"previous negative", edited(8 + 13, &negative, 4), "does not have"},
        {"NaN node", edited(8, &nan, 4), "not a number"},
        {"NaN speed", edited(meshEnd + 4, &nan, 4), "not a number"},
        {"cut after the mesh", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(meshEnd + 6)),
         "inside a path object"},
        {"box count too large", edited(meshEnd + 20, &huge, 4), "box count"},
    };
    for (const Case& c : cases)
    {
        enginetest::Log().clear();
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        if (!c.file.empty())
            std::fwrite(c.file.data(), 1, c.file.size(), f);
        std::fclose(f);
        QV7_PathFollowing broken;
        std::vector<dGeomID> made;
        StaticGeomSink local{space, &made};
        EXPECT_THROW(broken.Load(path, g_device, &textures, local), CDException) << c.what;
        EXPECT_TRUE(Logged(c.line)) << c.what;
        // A half-read object is not kept, so stepping what is left is safe.
        EXPECT_TRUE(broken.m_Objects.empty()) << c.what;
        broken.UpdateFrame(16.0f);
    }
}
} // namespace
