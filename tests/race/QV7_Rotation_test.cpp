// Rotation conversions between ODE and our matrices, and SqrtF.
#include "race/QV7_Rotation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
class RotationTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { dInitODE2(0); }
    static void TearDownTestSuite() { dCloseODE(); }
};

TEST_F(RotationTest, ElementsAreTransposedAndTheFourthColumnCleared)
{
    dMatrix3 ode;
    for (int i = 0; i < 12; ++i)
        ode[i] = dReal(i + 1) * 0.25; // row r, column c holds 0.25 * (4r + c + 1)
    D3DXMATRIX m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = 99.0f;
    OdeRotationToMatrix(&m, ode);
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(m.m[i][j], float(0.25 * (4 * j + i + 1))) << i << "," << j;
        EXPECT_EQ(m.m[i][3], 0.0f);
    }
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(m.m[3][c], 99.0f) << "the fourth row is the caller's";
}

TEST_F(RotationTest, RoundTripIsExactForFloatValuesAndKeepsPadding)
{
    dMatrix3 source;
    dRFromEulerAngles(source, dReal(0.3f), dReal(-1.1f), dReal(2.5f));
    // Float-representable values make the round trip exact.
    for (int i = 0; i < 12; ++i)
        source[i] = dReal(float(source[i]));
    source[3] = 7.0, source[7] = 8.0, source[11] = 9.0;
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    OdeRotationToMatrix(&m, source);
    dMatrix3 back = {};
    back[3] = 7.0, back[7] = 8.0, back[11] = 9.0;
    MatrixToOdeRotation(&m, back);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(back[i], source[i]) << i;
}

TEST_F(RotationTest, IdentityKeepsTranslation)
{
    dMatrix3 identity;
    dRSetIdentity(identity);
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 10.0f, -20.0f, 30.5f);
    OdeRotationToMatrix(&m, identity);
    D3DXMATRIX expected;
    D3DXMatrixTranslation(&expected, 10.0f, -20.0f, 30.5f);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(m.m[r][c], expected.m[r][c]);
}

TEST_F(RotationTest, RenderedPointMatchesOdesRotation)
{
    // Our row vector times the converted matrix equals ODE's R * v.
    dMatrix3 r;
    dRFromAxisAndAngle(r, 0, 1, 0, dReal(0.7));
    for (int i = 0; i < 12; ++i)
        r[i] = dReal(float(r[i]));
    const dVector3 v = {1.0, 2.0, 3.0, 0.0};
    dVector3 rotated;
    dMultiply0_331(rotated, r, v);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    OdeRotationToMatrix(&m, r);
    D3DXVECTOR3 ours;
    const D3DXVECTOR3 point(1.0f, 2.0f, 3.0f);
    D3DXVec3TransformCoord(&ours, &point, &m);
    EXPECT_NEAR(ours.x, rotated[0], 1e-5);
    EXPECT_NEAR(ours.y, rotated[1], 1e-5);
    EXPECT_NEAR(ours.z, rotated[2], 1e-5);
}

TEST(SqrtF, RoundsTheDoubleResult)
{
    const float cases[] = {0.0f, 1.0f, 2.0f, 1.0e-30f, 3.4e38f, 12345.678f};
    for (float x : cases)
        EXPECT_EQ(SqrtF(x), float(std::sqrt(double(x)))) << x;
    EXPECT_EQ(SqrtF(16.0f), 4.0f);
    EXPECT_TRUE(std::isnan(SqrtF(-1.0f)));
}
} // namespace
