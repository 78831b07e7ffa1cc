// The camera on the null device: projection and view against the documented
// formulas worked by hand, the frustum planes, culling of spheres and boxes,
// the yaw-pitch-roll view, movie mode and device reset.
#include "EngineTestSupport.h"
#include "engine/QV7_Camera.h"

#include <cmath>

namespace
{
constexpr float kPi = 3.14159265358979f;

class CameraTest : public enginetest::EngineFixture
{
  protected:
    CameraTest()
    {
        width = 800;
        height = 600;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        ASSERT_NE(g_camera, nullptr);
    }
    void TearDown() override
    {
        QV7_Camera::s_MovieMode = nullptr;
        EngineFixture::TearDown();
    }
    // Looking from the origin along +z with the camera's projection.
    void LookAlongZ()
    {
        D3DXMatrixIdentity(&g_camera->m_View);
        g_camera->UpdateFrustum();
    }
    static void ExpectMatrix(const D3DXMATRIX& actual, const float (&expected)[4][4], float tolerance = 1e-5f)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(actual.m[r][c], expected[r][c], tolerance) << r << "," << c;
    }
};

TEST_F(CameraTest, ProjectionUsesFovPlusExtraAndViewportAspect)
{
    EXPECT_FLOAT_EQ(g_camera->m_Fov, kPi / 4.0f);
    // 800 x 600: aspect 4/3, vertical angle pi/4 + 0.15 = 0.9353982.
    const double angle = 0.9353982, aspect = 800.0 / 600.0, n = 1.0, f = 40000.0;
    const double yScale = 1.0 / std::tan(angle / 2.0);
    const float expected[4][4] = {{float(yScale / aspect), 0, 0, 0},
                                  {0, float(yScale), 0, 0},
                                  {0, 0, float(f / (f - n)), 1},
                                  {0, 0, float(-n * f / (f - n)), 0}};
    ExpectMatrix(g_camera->m_Projection, expected, 1e-4f);
    // The device got it too.
    D3DMATRIX sent{};
    g_device->GetTransform(D3DTS_PROJECTION, &sent);
    EXPECT_EQ(std::memcmp(&sent, &g_camera->m_Projection, sizeof sent), 0);

    D3DXMATRIX own;
    QV7_Camera::SetPerspective(&own, 500.0f);
    EXPECT_NEAR(own._22, 1.0 / std::tan(kPi / 8.0), 1e-5);
    EXPECT_NEAR(own._33, 500.0 / 499.0, 1e-5);
}

TEST_F(CameraTest, ResetPoseViewWorkedByHand)
{
    g_camera->OnLostReset(0);
    // Eye (0, 20, 0) looking at (10, 20, 0): z axis (1, 0, 0), x axis (0, 0, -1), y axis (0, 1, 0).
    const float expected[4][4] = {{0, 0, 1, 0}, {0, 1, 0, 0}, {-1, 0, 0, 0}, {0, -20, 0, 1}};
    ExpectMatrix(g_camera->m_View, expected);
    D3DMATRIX sent{};
    g_device->GetTransform(D3DTS_VIEW, &sent);
    EXPECT_EQ(std::memcmp(&sent, &g_camera->m_View, sizeof sent), 0);
}

TEST_F(CameraTest, LostChangesNothingAndResetRestoresTheStartPose)
{
    g_camera->SetEye(5.0f, 6.0f, 7.0f);
    g_camera->SetTarget(50.0f, 6.0f, 7.0f);
    const D3DXMATRIX view = g_camera->m_View;
    gfx::null::ClearCalls();
    g_camera->OnLostReset(1);
    EXPECT_EQ(std::memcmp(&view, &g_camera->m_View, sizeof view), 0);
    EXPECT_EQ(gfx::null::Calls().size(), 0u);

    g_camera->OnLostReset(0);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.x, 0.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.y, 20.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.x, 10.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.y, 20.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.z, 0.0f);
    EXPECT_GT(gfx::null::CountCalls("SetTransform(2,"), 0u);
    EXPECT_GT(gfx::null::CountCalls("SetTransform(3,"), 0u);
}

TEST_F(CameraTest, FrustumPlanesFollowTheDocumentedCombinations)
{
    LookAlongZ();
    const D3DXMATRIX& p = g_camera->m_Projection; // the view is identity
    // Left is column 4 + column 1, near column 4 + column 3, far column 4 - column 3.
    auto normalised = [](float a, float b, float c, float d)
    {
        const float length = std::sqrt(a * a + b * b + c * c);
        return D3DXPLANE(a / length, b / length, c / length, d / length);
    };
    const D3DXPLANE left = normalised(p._14 + p._11, p._24 + p._21, p._34 + p._31, p._44 + p._41);
    const D3DXPLANE nearPlane = normalised(p._14 + p._13, p._24 + p._23, p._34 + p._33, p._44 + p._43);
    const D3DXPLANE farPlane = normalised(p._14 - p._13, p._24 - p._23, p._34 - p._33, p._44 - p._43);
    const D3DXPLANE expected[] = {left, nearPlane, farPlane};
    const QV7_Camera::Plane which[] = {QV7_Camera::kLeft, QV7_Camera::kNear, QV7_Camera::kFar};
    for (int i = 0; i < 3; ++i)
    {
        const D3DXPLANE& actual = g_camera->m_FrustumPlanes[which[i]];
        EXPECT_NEAR(actual.a, expected[i].a, 1e-6);
        EXPECT_NEAR(actual.b, expected[i].b, 1e-6);
        EXPECT_NEAR(actual.c, expected[i].c, 1e-6);
        EXPECT_NEAR(actual.d, expected[i].d, 1e-3);
    }
    // The far plane faces the camera at 40000 units (within what single
    // precision leaves of 1 - far / (far - near)).
    EXPECT_NEAR(g_camera->m_FrustumPlanes[QV7_Camera::kFar].c, -1.0f, 1e-6);
    EXPECT_NEAR(g_camera->m_FrustumPlanes[QV7_Camera::kFar].d, 40000.0f, 100.0f);
    // Left and right mirror each other; so do top and bottom.
    EXPECT_NEAR(g_camera->m_FrustumPlanes[QV7_Camera::kLeft].a,
                -g_camera->m_FrustumPlanes[QV7_Camera::kRight].a, 1e-6);
    EXPECT_NEAR(g_camera->m_FrustumPlanes[QV7_Camera::kTop].b,
                -g_camera->m_FrustumPlanes[QV7_Camera::kBottom].b, 1e-6);
}

TEST_F(CameraTest, SphereMarginIsThirtyPlusRadius)
{
    LookAlongZ();
    const D3DXPLANE& left = g_camera->m_FrustumPlanes[QV7_Camera::kLeft];
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    const float radius = 5.0f;
    // Start on the left plane at depth 1000 and step outwards along its normal.
    const float z = 1000.0f, x = -(left.c * z + left.d) / left.a;
    auto outside = [&](float distance)
    {
        const D3DXVECTOR3 centre(x - left.a * distance, 0.0f, z - left.c * distance);
        return QV7_Camera::IsSphereVisible(&world, &centre, g_camera, radius);
    };
    EXPECT_TRUE(outside(30.0f + radius - 0.01f));
    EXPECT_FALSE(outside(30.0f + radius + 0.01f));
}

TEST_F(CameraTest, SpheresAndBoxesInsideOutsideAndStraddling)
{
    LookAlongZ();
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 0.0f, 0.0f, 500.0f); // objects are placed by their world matrix
    struct Case
    {
        const char* what;
        D3DXVECTOR3 centre;
        float half;
        bool visible;
    };
    const Case cases[] = {
        {"inside", {0.0f, 0.0f, 0.0f}, 10.0f, true},
        {"behind the camera", {0.0f, 0.0f, -2000.0f}, 10.0f, false},
        {"beyond the far plane", {0.0f, 0.0f, 45000.0f}, 10.0f, false},
        {"far off to the right", {5000.0f, 0.0f, 0.0f}, 10.0f, false},
        {"far below", {0.0f, -5000.0f, 0.0f}, 10.0f, false},
        {"straddling the right plane", {620.0f, 0.0f, 0.0f}, 300.0f, true},
        {"straddling the near plane", {0.0f, 0.0f, -500.0f}, 200.0f, true},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(QV7_Camera::IsSphereVisible(&world, &c.centre, g_camera, c.half), c.visible) << c.what;
        const D3DXVECTOR3 minimum(c.centre.x - c.half, c.centre.y - c.half, c.centre.z - c.half);
        const D3DXVECTOR3 maximum(c.centre.x + c.half, c.centre.y + c.half, c.centre.z + c.half);
        EXPECT_EQ(QV7_Camera::IsBoxVisible(&world, &minimum, &maximum, g_camera), c.visible) << c.what;
    }
}

TEST_F(CameraTest, YawPitchRollViewInvertsThePose)
{
    g_camera->SetEye(100.0f, 50.0f, -30.0f);
    SetCameraYawPitchRoll(0.4f, -0.2f, 0.1f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.x, 0.4f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.y, -0.2f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.z, 0.1f);
    // The eye maps to the view-space origin, and the camera looks along its rotated z.
    D3DXVECTOR3 eyeInView;
    D3DXVec3TransformCoord(&eyeInView, &g_camera->m_Eye, &g_camera->m_View);
    EXPECT_NEAR(eyeInView.x, 0.0f, 1e-3);
    EXPECT_NEAR(eyeInView.y, 0.0f, 1e-3);
    EXPECT_NEAR(eyeInView.z, 0.0f, 1e-3);

    SetCameraYawPitchRoll(kPi / 2.0f, 0.0f, 0.0f);
    // A quarter yaw turns +z into +x: a point ahead along +x is straight ahead.
    const D3DXVECTOR3 ahead(200.0f, 50.0f, -30.0f);
    D3DXVECTOR3 inView;
    D3DXVec3TransformCoord(&inView, &ahead, &g_camera->m_View);
    EXPECT_NEAR(inView.x, 0.0f, 1e-3);
    EXPECT_NEAR(inView.z, 100.0f, 1e-3);
}

TEST_F(CameraTest, MovieModeFreezesEyeAndView)
{
    g_camera->SetEye(1.0f, 2.0f, 3.0f);
    g_camera->SetTarget(10.0f, 2.0f, 3.0f);
    const D3DXMATRIX view = g_camera->m_View;
    QV7_Camera::s_MovieMode = [] { return true; };
    g_camera->SetEye(100.0f, 200.0f, 300.0f);
    g_camera->SetTarget(-5.0f, -5.0f, -5.0f);
    SetCameraYawPitchRoll(1.0f, 1.0f, 1.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.x, 1.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.x, -5.0f) << "the target is stored, without effect";
    EXPECT_EQ(std::memcmp(&view, &g_camera->m_View, sizeof view), 0);
}

TEST_F(CameraTest, ResetInMovieModeKeepsTheFrozenEye)
{
    g_camera->SetEye(1.0f, 2.0f, 3.0f);
    QV7_Camera::s_MovieMode = [] { return true; };
    g_camera->OnLostReset(0);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.x, 1.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.y, 2.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Eye.z, 3.0f);
    EXPECT_FLOAT_EQ(g_camera->m_Target.y, 20.0f) << "the target is stored as always";
    // Back out of movie mode the next view looks from the kept eye.
    QV7_Camera::s_MovieMode = nullptr;
    g_camera->UpdateView();
    D3DXVECTOR3 eye(1.0f, 2.0f, 3.0f), inView;
    D3DXVec3TransformCoord(&inView, &eye, &g_camera->m_View);
    EXPECT_NEAR(D3DXVec3Length(&inView), 0.0f, 1e-4);
}
} // namespace
