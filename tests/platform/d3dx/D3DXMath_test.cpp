// The D3DX style math against values worked out by hand from Direct3D's
// documented formulas, and the identities the game's code leans on (the
// yaw-pitch-roll quaternion and matrix agree, inverse undoes, row-vector order).
#include "platform/d3dx/D3DXMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{
constexpr float kTolerance = 1e-5f;

// D3DX calls take pointers; this lends one to a temporary for the call.
template <class T> const T* Ptr(const T& value)
{
    return &value;
}

void ExpectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = kTolerance)
{
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            EXPECT_NEAR(actual.m[i][j], expected.m[i][j], tolerance) << "element _" << i + 1 << j + 1;
}

void ExpectVectorNear(const D3DXVECTOR3& actual, const D3DXVECTOR3& expected, float tolerance = kTolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectQuaternionNear(const D3DXQUATERNION& actual, const D3DXQUATERNION& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
    EXPECT_NEAR(actual.z, expected.z, kTolerance);
    EXPECT_NEAR(actual.w, expected.w, kTolerance);
}

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    return *D3DXMatrixTranslation(&m, x, y, z);
}

struct MatrixCase
{
    std::string name;
    D3DXMATRIX actual;
    D3DXMATRIX expected;
};

TEST(D3DXMath, BuildersMatchTheDocumentedFormulas)
{
    D3DXMATRIX m;
    const D3DXVECTOR3 up(0, 1, 0), eye(5, 0, 0), at(6, 0, 0), eye2(1, 2, 3), at2(1, 2, 4);
    const float h = std::sqrt(0.5f);
    const std::vector<MatrixCase> cases = {
        // Looking down +x: x axis = up x z = (0, 0, -1), y axis = z x x = (0, 1, 0).
        {"look at along +x", *D3DXMatrixLookAtLH(&m, &eye, &at, &up),
         D3DXMATRIX(0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, -5, 1)},
        {"look at along +z", *D3DXMatrixLookAtLH(&m, &eye2, &at2, &up),
         D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -1, -2, -3, 1)},
        // fov pi/2: yScale 1, xScale 1 / aspect; q = 101 / 100.
        {"perspective fov", *D3DXMatrixPerspectiveFovLH(&m, D3DX_PI / 2, 2.0f, 1.0f, 101.0f),
         D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.01f, 1, 0, 0, -1.01f, 0)},
        {"perspective width height", *D3DXMatrixPerspectiveLH(&m, 4.0f, 2.0f, 1.0f, 11.0f),
         D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0)},
        // l -1, r 3, b -2, t 2, n 1, f 11: (l + r) / (l - r) = -0.5, (t + b) / (b - t) = 0.
        {"perspective off centre", *D3DXMatrixPerspectiveOffCenterLH(&m, -1, 3, -2, 2, 1, 11),
         D3DXMATRIX(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, -0.5f, 0, 1.1f, 1, 0, 0, -1.1f, 0)},
        {"ortho", *D3DXMatrixOrthoLH(&m, 4, 2, 1, 5),
         D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, -0.25f, 1)},
        {"ortho off centre", *D3DXMatrixOrthoOffCenterLH(&m, 0, 4, 0, 2, 1, 5),
         D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.25f, 0, -1, -1, -0.25f, 1)},
        {"rotation x", *D3DXMatrixRotationX(&m, D3DX_PI / 2),
         D3DXMATRIX(1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1)},
        {"rotation y", *D3DXMatrixRotationY(&m, D3DX_PI / 2),
         D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1)},
        {"rotation z", *D3DXMatrixRotationZ(&m, D3DX_PI / 2),
         D3DXMATRIX(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
        // Roll first, then pitch, then yaw: Rx(pi/2) x Ry(pi/2).
        {"yaw pitch roll", *D3DXMatrixRotationYawPitchRoll(&m, D3DX_PI / 2, D3DX_PI / 2, 0),
         D3DXMATRIX(0, 0, -1, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 1)},
        {"rotation axis (unnormalised y)",
         *D3DXMatrixRotationAxis(&m, Ptr(D3DXVECTOR3(0, 3, 0)), D3DX_PI / 2),
         D3DXMATRIX(0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1)},
        {"rotation quaternion",
         *D3DXMatrixRotationQuaternion(&m, Ptr(D3DXQUATERNION(0.5f, 0.5f, -0.5f, 0.5f))),
         D3DXMATRIX(0, 0, -1, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 1)},
        {"rotation quaternion about z", *D3DXMatrixRotationQuaternion(&m, Ptr(D3DXQUATERNION(0, 0, h, h))),
         D3DXMATRIX(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)},
        {"scaling then translation", *D3DXMatrixScaling(&m, 2, 4, 8) * Translation(1, 2, 3),
         D3DXMATRIX(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1)},
        // Mirror in y = 5: y' = 10 - y.
        {"reflect", *D3DXMatrixReflect(&m, Ptr(D3DXPLANE(0, 2, 0, -10))),
         D3DXMATRIX(1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 10, 0, 1)},
        {"transpose", *D3DXMatrixTranspose(&m, Ptr(Translation(1, 2, 3))),
         D3DXMATRIX(1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1)},
    };
    for (const MatrixCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ExpectMatrixNear(c.actual, c.expected);
    }
}

TEST(D3DXMath, InverseUndoesAndRefusesSingularMatrices)
{
    D3DXMATRIX scaleMove, inverse;
    scaleMove = *D3DXMatrixScaling(&scaleMove, 2, 4, 8) * Translation(1, 2, 3);
    float determinant = 0;
    ASSERT_EQ(D3DXMatrixInverse(&inverse, &determinant, &scaleMove), &inverse);
    EXPECT_NEAR(determinant, 64.0f, kTolerance);
    ExpectMatrixNear(inverse,
                     D3DXMATRIX(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1));

    // A camera's view x projection, inverted in place, times itself is the identity.
    D3DXMATRIX view, projection, identity;
    const D3DXVECTOR3 eye(0, 20, 0), target(10, 21, 12), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4 + 0.15f, 4.0f / 3.0f, 1.0f, 40000.0f);
    D3DXMATRIX combined = view * projection, inverted = combined;
    ASSERT_NE(D3DXMatrixInverse(&inverted, nullptr, &inverted), nullptr);
    ExpectMatrixNear(combined * inverted, *D3DXMatrixIdentity(&identity), 1e-3f);

    D3DXMATRIX singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 0, 1, 0, 0, 0, 0, 1), untouched = Translation(7, 7, 7);
    EXPECT_EQ(D3DXMatrixInverse(&untouched, &determinant, &singular), nullptr);
    EXPECT_EQ(determinant, 0.0f);
    EXPECT_EQ(untouched, Translation(7, 7, 7));
}

TEST(D3DXMath, RowVectorsApplyTheLeftMatrixFirst)
{
    D3DXMATRIX rotate, moved, result;
    D3DXMatrixRotationY(&rotate, D3DX_PI / 2);
    D3DXMatrixMultiply(&moved, Ptr(Translation(1, 0, 0)), &rotate);
    D3DXVECTOR3 out;
    // Translate (0,0,0) to (1,0,0), then a quarter yaw takes +x to -z.
    ExpectVectorNear(*D3DXVec3TransformCoord(&out, Ptr(D3DXVECTOR3(0, 0, 0)), &moved), D3DXVECTOR3(0, 0, -1));
    // Positive yaw turns +z towards +x (left-handed).
    ExpectVectorNear(*D3DXVec3TransformNormal(&out, Ptr(D3DXVECTOR3(0, 0, 1)), &rotate),
                     D3DXVECTOR3(1, 0, 0));
    // The output may alias an input.
    result = Translation(1, 0, 0);
    D3DXMatrixMultiply(&result, &result, &rotate);
    EXPECT_EQ(result, moved);
}

TEST(D3DXMath, TransformCoordDividesByW)
{
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 2.0f, 1.0f, 101.0f);
    struct Case
    {
        D3DXVECTOR3 in, coord;
        D3DXVECTOR4 full;
    };
    // (x, y, z, 1) x P = (0.5x, y, 1.01z - 1.01, z).
    const Case cases[] = {
        {{1, 2, 11}, {0.5f / 11, 2.0f / 11, 10.1f / 11}, {0.5f, 2, 10.1f, 11}},
        {{0, 0, 1}, {0, 0, 0}, {0, 0, 0, 1}},
        {{-4, 0, 101}, {-2.0f / 101, 0, 1}, {-2, 0, 101, 101}},
    };
    for (const Case& c : cases)
    {
        D3DXVECTOR3 coord;
        D3DXVECTOR4 full;
        ExpectVectorNear(*D3DXVec3TransformCoord(&coord, &c.in, &projection), c.coord);
        D3DXVec3Transform(&full, &c.in, &projection);
        EXPECT_NEAR(full.x, c.full.x, 1e-4f);
        EXPECT_NEAR(full.y, c.full.y, 1e-4f);
        EXPECT_NEAR(full.z, c.full.z, 1e-4f);
        EXPECT_NEAR(full.w, c.full.w, 1e-4f);
    }
    D3DXVECTOR3 normal;
    ExpectVectorNear(*D3DXVec3TransformNormal(&normal, Ptr(D3DXVECTOR3(1, 2, 3)), Ptr(Translation(9, 9, 9))),
                     D3DXVECTOR3(1, 2, 3));
}

TEST(D3DXMath, ProjectAndUnprojectThroughAViewport)
{
    D3DXMATRIX projection, view, world;
    D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 640.0f / 480.0f, 1.0f, 101.0f);
    D3DXMatrixIdentity(&view);
    D3DXMatrixTranslation(&world, 0, 0, 10);
    const D3DVIEWPORT9 viewport{0, 0, 640, 480, 0.0f, 1.0f};
    D3DXVECTOR3 screen, back;
    D3DXVec3Project(&screen, Ptr(D3DXVECTOR3(0, 0, 1)), &viewport, &projection, &view, &world);
    ExpectVectorNear(screen, D3DXVECTOR3(320, 240, 10.1f / 11), 1e-3f);
    // Up in the world is up the screen, which is smaller y.
    D3DXVec3Project(&screen, Ptr(D3DXVECTOR3(0, 5.5f, 1)), &viewport, &projection, &view, &world);
    EXPECT_NEAR(screen.y, 120.0f, 1e-3f);
    ASSERT_NE(D3DXVec3Unproject(&back, &screen, &viewport, &projection, &view, &world), nullptr);
    ExpectVectorNear(back, D3DXVECTOR3(0, 5.5f, 1), 1e-3f);
}

TEST(D3DXMath, QuaternionsFromYawPitchRollAgreeWithTheMatrix)
{
    const float h = std::sqrt(0.5f);
    D3DXQUATERNION q;
    ExpectQuaternionNear(*D3DXQuaternionRotationYawPitchRoll(&q, D3DX_PI / 2, 0, 0),
                         D3DXQUATERNION(0, h, 0, h));
    ExpectQuaternionNear(*D3DXQuaternionRotationYawPitchRoll(&q, 0, D3DX_PI / 2, 0),
                         D3DXQUATERNION(h, 0, 0, h));
    ExpectQuaternionNear(*D3DXQuaternionRotationYawPitchRoll(&q, 0, 0, D3DX_PI / 2),
                         D3DXQUATERNION(0, 0, h, h));
    ExpectQuaternionNear(*D3DXQuaternionRotationYawPitchRoll(&q, D3DX_PI / 2, D3DX_PI / 2, 0),
                         D3DXQUATERNION(0.5f, 0.5f, -0.5f, 0.5f));

    const float angles[][3] = {
        {0.3f, -1.1f, 2.0f}, {-2.5f, 0.7f, -0.4f}, {3.0f, 1.5f, 0.1f}, {1.0f, -1.5f, -3.0f}};
    for (const auto& a : angles)
    {
        D3DXMATRIX fromQuaternion, direct;
        D3DXQuaternionRotationYawPitchRoll(&q, a[0], a[1], a[2]);
        D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
        D3DXMatrixRotationYawPitchRoll(&direct, a[0], a[1], a[2]);
        ExpectMatrixNear(fromQuaternion, direct);
        // Back to a quaternion: the same rotation, up to sign.
        D3DXQUATERNION back;
        D3DXQuaternionRotationMatrix(&back, &direct);
        EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&back, &q)), 1.0f, 1e-5f);
    }
}

TEST(D3DXMath, QuaternionMultiplyAndSlerpFollowD3DXOrder)
{
    D3DXQUATERNION yaw, pitch, both, quarter, half;
    D3DXQuaternionRotationYawPitchRoll(&yaw, 0.8f, 0, 0);
    D3DXQuaternionRotationYawPitchRoll(&pitch, 0, -0.6f, 0);
    D3DXQuaternionMultiply(&both, &pitch, &yaw);
    // Pitch then yaw is what the yaw-pitch-roll order means.
    D3DXQUATERNION expected;
    ExpectQuaternionNear(both, *D3DXQuaternionRotationYawPitchRoll(&expected, 0.8f, -0.6f, 0));
    D3DXMATRIX mp, my, mBoth;
    D3DXMatrixRotationQuaternion(&mp, &pitch);
    D3DXMatrixRotationQuaternion(&my, &yaw);
    ExpectMatrixNear(*D3DXMatrixRotationQuaternion(&mBoth, &both), mp * my);

    D3DXQUATERNION identity;
    D3DXQuaternionIdentity(&identity);
    D3DXQuaternionRotationYawPitchRoll(&quarter, D3DX_PI / 2, 0, 0);
    ExpectQuaternionNear(*D3DXQuaternionSlerp(&half, &identity, &quarter, 0.5f),
                         *D3DXQuaternionRotationYawPitchRoll(&expected, D3DX_PI / 4, 0, 0));
    // The shorter arc: -quarter is the same rotation.
    const D3DXQUATERNION negated = -quarter;
    D3DXQuaternionSlerp(&half, &identity, &negated, 0.5f);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&half, &expected)), 1.0f, 1e-5f);
}

TEST(D3DXMath, AffineTransformationScalesRotatesThenTranslates)
{
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, D3DX_PI / 2, 0, 0);
    const D3DXVECTOR3 move(1, 2, 3);
    D3DXMATRIX affine, scale, rotate;
    D3DXMatrixAffineTransformation(&affine, 2.0f, nullptr, &q, &move);
    D3DXMatrixScaling(&scale, 2, 2, 2);
    D3DXMatrixRotationY(&rotate, D3DX_PI / 2);
    ExpectMatrixNear(affine, scale * rotate * Translation(1, 2, 3));
    // About a centre: the centre stays put under the rotation.
    const D3DXVECTOR3 centre(5, 0, 5);
    D3DXMatrixAffineTransformation(&affine, 1.0f, &centre, &q, nullptr);
    D3DXVECTOR3 out;
    ExpectVectorNear(*D3DXVec3TransformCoord(&out, &centre, &affine), centre, 1e-4f);
}

TEST(D3DXMath, PlanesFromPointsAndNormalisation)
{
    D3DXPLANE p;
    const float third = 1.0f / std::sqrt(3.0f);
    struct Case
    {
        D3DXVECTOR3 a, b, c;
        D3DXPLANE expected;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0, 0}},
        {{0, 5, 0}, {0, 5, 1}, {1, 5, 0}, {0, 1, 0, -5}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {third, third, third, -third}},
        // Reversed winding: the normal flips.
        {{0, 5, 0}, {1, 5, 0}, {0, 5, 1}, {0, -1, 0, 5}},
    };
    for (const Case& c : cases)
    {
        D3DXPlaneFromPoints(&p, &c.a, &c.b, &c.c);
        EXPECT_NEAR(p.a, c.expected.a, kTolerance);
        EXPECT_NEAR(p.b, c.expected.b, kTolerance);
        EXPECT_NEAR(p.c, c.expected.c, kTolerance);
        EXPECT_NEAR(p.d, c.expected.d, kTolerance);
    }
    D3DXPlaneNormalize(&p, Ptr(D3DXPLANE(0, 3, 4, 10)));
    EXPECT_EQ(p, D3DXPLANE(0, 0.6f, 0.8f, 2));
    EXPECT_NEAR(D3DXPlaneDotCoord(&p, Ptr(D3DXVECTOR3(0, 0, 0))), 2.0f, kTolerance);
    EXPECT_NEAR(D3DXPlaneDotCoord(&p, Ptr(D3DXVECTOR3(0, 3, 4))), 7.0f, kTolerance);
    D3DXPlaneNormalize(&p, Ptr(D3DXPLANE(0, 0, 0, 5)));
    EXPECT_EQ(p, D3DXPLANE(0, 0, 0, 0));
    D3DXPlaneFromPointNormal(&p, Ptr(D3DXVECTOR3(0, -18, 0)), Ptr(D3DXVECTOR3(0, 1, 0)));
    EXPECT_EQ(p, D3DXPLANE(0, 1, 0, 18));
    D3DXVECTOR3 hit;
    ASSERT_NE(D3DXPlaneIntersectLine(&hit, &p, Ptr(D3DXVECTOR3(1, 0, 1)), Ptr(D3DXVECTOR3(1, -36, 1))),
              nullptr);
    ExpectVectorNear(hit, D3DXVECTOR3(1, -18, 1));
    EXPECT_EQ(D3DXPlaneIntersectLine(&hit, &p, Ptr(D3DXVECTOR3(0, 0, 0)), Ptr(D3DXVECTOR3(1, 0, 0))),
              nullptr);
}

TEST(D3DXMath, VectorHelpers)
{
    D3DXVECTOR3 v;
    ExpectVectorNear(*D3DXVec3Normalize(&v, Ptr(D3DXVECTOR3(3, 0, 4))), D3DXVECTOR3(0.6f, 0, 0.8f));
    EXPECT_EQ(*D3DXVec3Normalize(&v, Ptr(D3DXVECTOR3(0, 0, 0))), D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(*D3DXVec3Cross(&v, Ptr(D3DXVECTOR3(1, 0, 0)), Ptr(D3DXVECTOR3(0, 1, 0))), D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(D3DXVec3Length(Ptr(D3DXVECTOR3(2, 3, 6))), 7.0f);
    const D3DXVECTOR3 p0(0, 0, 0), p1(1, 2, 0), p2(2, 4, 0), p3(3, 6, 0);
    ExpectVectorNear(*D3DXVec3CatmullRom(&v, &p0, &p1, &p2, &p3, 0.0f), p1);
    ExpectVectorNear(*D3DXVec3CatmullRom(&v, &p0, &p1, &p2, &p3, 1.0f), p2);
    ExpectVectorNear(*D3DXVec3CatmullRom(&v, &p0, &p1, &p2, &p3, 0.5f), D3DXVECTOR3(1.5f, 3, 0));
    D3DXVECTOR4 v4;
    D3DXVec4Normalize(&v4, Ptr(D3DXVECTOR4(0, 0, 3, 4)));
    EXPECT_EQ(v4, D3DXVECTOR4(0, 0, 0.6f, 0.8f));

    const D3DXCOLOR colour(0x80FF4000u);
    EXPECT_NEAR(colour.r, 1.0f, kTolerance);
    EXPECT_NEAR(colour.g, 64.0f / 255, kTolerance);
    EXPECT_NEAR(colour.a, 128.0f / 255, kTolerance);
    EXPECT_EQ(D3DCOLOR(colour), 0x80FF4000u);
    EXPECT_EQ(D3DCOLOR(D3DXCOLOR(2.0f, -1.0f, 0.5f, 1.0f)), 0xFFFF0080u);
}

TEST(D3DXMath, IntersectTriReportsBarycentricsAndDistance)
{
    const D3DXVECTOR3 a(0, 0, 0), b(1, 0, 0), c(0, 1, 0);
    struct Case
    {
        const char* name;
        D3DXVECTOR3 from, direction;
        bool hit;
        float u, v, distance;
    };
    const Case cases[] = {
        {"front", {0.25f, 0.5f, -1}, {0, 0, 2}, true, 0.25f, 0.5f, 0.5f},
        {"back face counts", {0.25f, 0.25f, 3}, {0, 0, -1}, true, 0.25f, 0.25f, 3.0f},
        {"outside the edge", {0.75f, 0.75f, -1}, {0, 0, 1}, false, 0, 0, 0},
        {"behind the origin", {0.25f, 0.25f, 1}, {0, 0, 1}, false, 0, 0, 0},
        {"parallel", {0.25f, 0.25f, 0}, {1, 0, 0}, false, 0, 0, 0},
    };
    for (const Case& k : cases)
    {
        SCOPED_TRACE(k.name);
        float u = -1, v = -1, distance = -1;
        EXPECT_EQ(D3DXIntersectTri(&a, &b, &c, &k.from, &k.direction, &u, &v, &distance),
                  k.hit ? TRUE : FALSE);
        if (k.hit)
        {
            EXPECT_NEAR(u, k.u, kTolerance);
            EXPECT_NEAR(v, k.v, kTolerance);
            EXPECT_NEAR(distance, k.distance, kTolerance);
        }
    }
}

TEST(D3DXMath, BoundsReadPositionsAtTheStride)
{
    // Position then three more floats: a 24-byte vertex.
    const float vertices[] = {0, 0, 0, 9, 9, 9, 2, 0, 0, 9, 9, 9, 1, 3, 0, 9, 9, 9};
    const auto* first = reinterpret_cast<const D3DXVECTOR3*>(vertices);
    D3DXVECTOR3 centre, low, high;
    float radius = 0;
    ASSERT_EQ(D3DXComputeBoundingSphere(first, 3, 24, &centre, &radius), D3D_OK);
    ExpectVectorNear(centre, D3DXVECTOR3(1, 1, 0));
    EXPECT_NEAR(radius, 2.0f, kTolerance);
    ASSERT_EQ(D3DXComputeBoundingBox(first, 3, 24, &low, &high), D3D_OK);
    EXPECT_EQ(low, D3DXVECTOR3(0, 0, 0));
    EXPECT_EQ(high, D3DXVECTOR3(2, 3, 0));
    EXPECT_EQ(D3DXComputeBoundingSphere(nullptr, 3, 24, &centre, &radius), D3DERR_INVALIDCALL);
}
} // namespace
