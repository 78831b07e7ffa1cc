// Carrying a real ODE body and a chase camera's points by one frame's motion
// of moving scenery: a quarter turn about the vertical with a move.
#include "race/PathCarryRacer.h"
#include "race/QV7_Rotation.h"

#include <gtest/gtest.h>

namespace
{
// Last frame at (100, 0, 0) facing +z; this frame at (100, 0, 50) turned a
// quarter to the right.
PathCarry QuarterTurn()
{
    PathCarry carry;
    carry.previousPosition = D3DXVECTOR3(100, 0, 0);
    carry.position = D3DXVECTOR3(100, 0, 50);
    D3DXMatrixIdentity(&carry.inversePrevious);
    D3DXMatrixRotationY(&carry.rotation, 3.14159265f / 2);
    return carry;
}

TEST(PathCarryRacer, MovesABodyWithTheObject)
{
    dInitODE2(0);
    dWorldID world = dWorldCreate();
    dBodyID body = dBodyCreate(world);
    dBodySetPosition(body, 110 * 0.005, 20 * 0.005, 0); // 10 units ahead in x, 20 up
    CarryBodies({body}, QuarterTurn());
    const dReal* at = dBodyGetPosition(body);
    // x turns to -z under a quarter yaw (row vectors): (10, 20, 0) -> (0, 20, -10).
    EXPECT_NEAR(at[0], 100 * 0.005, 1e-5);
    EXPECT_NEAR(at[1], 20 * 0.005, 1e-5);
    EXPECT_NEAR(at[2], 40 * 0.005, 1e-5);
    D3DXMATRIX orientation;
    D3DXMatrixIdentity(&orientation);
    OdeRotationToMatrix(&orientation, dBodyGetRotation(body));
    EXPECT_NEAR(orientation._13, -1.0f, 1e-5f);
    EXPECT_NEAR(orientation._31, 1.0f, 1e-5f);

    PathCarry still;
    D3DXMatrixIdentity(&still.inversePrevious);
    D3DXMatrixIdentity(&still.rotation);
    CarryBodies({body}, still);
    EXPECT_NEAR(dBodyGetPosition(body)[2], 40 * 0.005, 1e-5);
    dWorldDestroy(world);
    dCloseODE();
}

TEST(PathCarryRacer, CameraHistoryStaysRelativeToTheCarriedPoint)
{
    D3DXVECTOR3 point(110, 0, 0);
    D3DXVECTOR3 history[2] = {{-10, 0, 0}, {0, 5, 0}}; // absolute (100, 0, 0) and (110, 5, 0)
    CarryCameraPoints(point, history, 2, QuarterTurn());
    EXPECT_NEAR(point.x, 100.0f, 1e-4f);
    EXPECT_NEAR(point.z, 40.0f, 1e-4f);
    // (100, 0, 0) is the object's origin: it lands on (100, 0, 50).
    EXPECT_NEAR(history[0].x + point.x, 100.0f, 1e-4f);
    EXPECT_NEAR(history[0].z + point.z, 50.0f, 1e-4f);
    EXPECT_NEAR(history[1].y, 5.0f, 1e-4f);
}
} // namespace
