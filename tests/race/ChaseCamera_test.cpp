// The chase cameras against a moving target: the rigs of every mode, the
// reset's rest position, the 480 ms lag of the averaged offsets with the
// 8 ms shift clock, the driver's eye without lag, the ground and water
// clearance (over the demo islands along their tracks), free flight, the
// hand-over to the scene camera and a racer's camera read from its chassis.
#include "race/ChaseCamera.h"

#include "engine/QV7_Camera.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"
#include "tools/demo/DemoHeightfields.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoWaypoints.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
void ExpectNear(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float tolerance = 1e-2f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

CameraGround Flat(float height)
{
    CameraGround ground;
    ground.height = [height](float, float) { return height; };
    return ground;
}

TEST(ChaseCameraTest, RigsOfEveryModeForThePlayerAndTheComputer)
{
    struct Case
    {
        int mode;
        bool player;
        int position;
        float k, h, raise, clearance;
        bool water;
    };
    const Case cases[] = {
        {CAMERA_MODE_NEAR, true, 2, 2.2f, 150, 100, 50, true},
        {CAMERA_MODE_FAR, true, 2, 3.1f, 180, 100, 50, true},
        {CAMERA_MODE_NEAR, false, 2, 3.1f, 150, 100, 10, false},
        {CAMERA_MODE_FAR, false, 2, 5.1f, 180, 100, 10, false},
        {CAMERA_MODE_CLOSE, false, 1, 0.1f, 20, 20, 10, false},
        {CAMERA_MODE_CLOSE, true, 1, 0.25f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, 2, 0.19f, 33, 33, 50, true},
        {CAMERA_MODE_CLOSE, true, 3, 0.15f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, 7, 0.15f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, 8, 0.18f, 32, 32, 50, true},
        {CAMERA_MODE_CLOSE, true, 9, 0.15f, 20, 20, 50, true},
        {CAMERA_MODE_CLOSE, true, 0, 0.2f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, 12, 0.2f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, -1, 0.2f, 30, 30, 50, true},
        {CAMERA_MODE_CLOSE, true, ChaseCamera::kNoModelRecord, 0.19f, 33, 33, 50, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "mode " << c.mode << " player " << c.player << " position " << c.position);
        const CameraRig rig = ChaseCamera::Rig(c.mode, c.player, c.position);
        EXPECT_FLOAT_EQ(rig.k, c.k);
        EXPECT_FLOAT_EQ(rig.h, c.h);
        EXPECT_FLOAT_EQ(rig.raise, c.raise);
        EXPECT_FLOAT_EQ(rig.groundClearance, c.clearance);
        EXPECT_EQ(rig.waterLimit, c.water);
    }
}

TEST(ChaseCameraTest, AfterAResetTheEyeIsAtRestAndStaysThereWhileTheBuggyMovesStraight)
{
    ChaseCamera camera;
    const CameraRig rig = ChaseCamera::Rig(CAMERA_MODE_NEAR, true, 2);
    const D3DXVECTOR3 d(1, 0, 0);
    D3DXVECTOR3 P(10, 1, 20);
    camera.Reset(CAMERA_MODE_NEAR, rig, P, d);
    ExpectNear(camera.cameraEye, D3DXVECTOR3((10 + 2.2f) * 200, 200 + 150, 20 * 200));
    ExpectNear(camera.cameraTarget, D3DXVECTOR3(2000, 300, 4000));
    EXPECT_EQ(camera.cameraLastTarget, camera.cameraTarget);
    // Driving along -x (nose first) at a steady speed: the eye keeps its offset.
    for (int frame = 0; frame < 100; ++frame)
    {
        P.x -= 0.05f;
        camera.Follow(CAMERA_MODE_NEAR, rig, P, d, 16.0f, Flat(-1e6f));
        ExpectNear(camera.cameraEye - camera.cameraTarget, D3DXVECTOR3(2.2f * 200, 150 - 100, 0));
    }
}

// A sudden half turn: the tail axis flips, and the averaged offset walks
// over to the new rest in 60 shifts of 8 ms, one sixtieth per shift.
TEST(ChaseCameraTest, ASuddenTurnReachesTheNewRestAfter480Ms)
{
    ChaseCamera camera;
    const CameraRig rig = ChaseCamera::Rig(CAMERA_MODE_FAR, false, 0);
    const D3DXVECTOR3 P(0, 0, 0);
    camera.Reset(CAMERA_MODE_FAR, rig, P, D3DXVECTOR3(1, 0, 0));
    const float rest = 5.1f * 200;
    struct Step
    {
        float dtMs;
        int fresh; // entries holding the new offset after the frame
        float clock;
    };
    // Entry 59 keeps its value at a shift, so each shift adds one fresh entry.
    const Step steps[] = {
        {0.0f, 1, 0.0f}, {30.0f, 4, 6.0f}, // 30 ms: three shifts, 6 kept
        {2.0f, 4, 8.0f},                   // 8 does not exceed 8
        {0.5f, 5, 0.5f}, {8.0f, 6, 0.5f},  {432.0f, 60, 0.5f},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.dtMs);
        camera.Follow(CAMERA_MODE_FAR, rig, P, D3DXVECTOR3(-1, 0, 0), s.dtMs, Flat(-1e6f));
        EXPECT_NEAR(camera.cameraEye.x, rest - 2.0f * rest * float(s.fresh) / 60.0f, 0.05f);
        EXPECT_NEAR(camera.cameraHistoryClock, s.clock, 1e-4f);
    }
}

TEST(ChaseCameraTest, TheDriversEyeHasNoLagAndIsLevelWithTheChassis)
{
    ChaseCamera camera;
    const CameraRig rig = ChaseCamera::Rig(CAMERA_MODE_CLOSE, true, 1);
    const D3DXVECTOR3 old = camera.cameraOffsetHistory[0];
    camera.Follow(CAMERA_MODE_CLOSE, rig, D3DXVECTOR3(5, 2, 5), D3DXVECTOR3(0, 0, 1), 16.0f, Flat(0));
    ExpectNear(camera.cameraEye, D3DXVECTOR3(1000, 430, (5 + 0.25f) * 200));
    ExpectNear(camera.cameraTarget, D3DXVECTOR3(1000, 430, 1000));
    EXPECT_EQ(camera.cameraOffsetHistory[59], camera.cameraEye);
    EXPECT_EQ(camera.cameraOffsetHistory[0], old);
    EXPECT_EQ(camera.cameraLastTarget, camera.cameraTarget);
    // A reset in this mode leaves the history alone.
    camera.cameraOffsetHistory[3] = D3DXVECTOR3(7, 7, 7);
    camera.Reset(CAMERA_MODE_CLOSE, rig, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 0, 0));
    EXPECT_EQ(camera.cameraOffsetHistory[3], D3DXVECTOR3(7, 7, 7));
    ExpectNear(camera.cameraEye, D3DXVECTOR3(50, 30, 0));
}

TEST(ChaseCameraTest, TheEyeKeepsClearOfTheGroundAndThePlayersOfTheWater)
{
    struct Case
    {
        bool player;
        int mode;
        float ground, water;
        float expectedY;
    };
    // The chassis at y 1 (200 render units): near rest eye 350, far 380, close 233.
    const Case cases[] = {
        {true, CAMERA_MODE_NEAR, 0, -1000, 350},    {true, CAMERA_MODE_NEAR, 320, -1000, 370},
        {false, CAMERA_MODE_NEAR, 320, -1000, 350}, {false, CAMERA_MODE_NEAR, 345, -1000, 355},
        {true, CAMERA_MODE_NEAR, -500, 340, 365},   {false, CAMERA_MODE_NEAR, -500, 340, 350},
        {true, CAMERA_MODE_FAR, 400, 430, 455},     {true, CAMERA_MODE_CLOSE, 200, -1000, 250},
        {false, CAMERA_MODE_CLOSE, 215, 1000, 225},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "player " << c.player << " mode " << c.mode << " ground " << c.ground);
        ChaseCamera camera;
        const CameraRig rig = ChaseCamera::Rig(c.mode, c.player, 2);
        CameraGround ground = Flat(c.ground);
        ground.hasWater = true;
        ground.waterLevel = c.water;
        camera.Reset(c.mode, rig, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(1, 0, 0));
        camera.Follow(c.mode, rig, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(1, 0, 0), 16.0f, ground);
        EXPECT_NEAR(camera.cameraEye.y, c.expectedY, 1e-2f);
    }
}

// Round every demo island's track, turning with it, low over the ground:
// the player's eye never comes within 50 of the land or 25 of the water.
TEST(ChaseCameraTest, OverTheDemoIslandsThePlayersEyeKeepsItsClearance)
{
    for (int number = 1; number <= demo::kDemoIslandCount; ++number)
    {
        SCOPED_TRACE(number);
        const demo::Heightfield field = demo::DemoIslandHeightfield(number);
        CameraGround ground;
        ground.height = [&field](float x, float z) { return field.HeightAt(x, z); };
        ground.hasWater = true;
        ground.waterLevel = demo::kIslandWaterLevel;
        const std::vector<demo::TrackPoint> line = demo::DemoTrackLine(number, 100.0f);
        for (int mode : {CAMERA_MODE_NEAR, CAMERA_MODE_FAR, CAMERA_MODE_CLOSE})
        {
            ChaseCamera camera;
            const CameraRig rig = ChaseCamera::Rig(mode, true, 2);
            for (size_t i = 0; i < line.size(); ++i)
            {
                const demo::TrackPoint &p = line[i], &n = line[(i + 1) % line.size()];
                const float length = std::hypot(n.x - p.x, n.z - p.z);
                // The chassis sits just on the ground; its tail points back along the track.
                const D3DXVECTOR3 P(p.x / 200, (field.HeightAt(p.x, p.z) + 10) / 200, p.z / 200);
                const D3DXVECTOR3 d((p.x - n.x) / length, 0, (p.z - n.z) / length);
                if (i == 0)
                    camera.Reset(mode, rig, P, d);
                camera.Follow(mode, rig, P, d, 16.0f, ground);
                const D3DXVECTOR3& eye = camera.cameraEye;
                ASSERT_GE(eye.y + 1e-3f, field.HeightAt(eye.x, eye.z) + 50.0f) << i;
                ASSERT_GE(eye.y + 1e-3f, demo::kIslandWaterLevel + 25.0f) << i;
            }
        }
    }
}

TEST(ChaseCameraTest, FreeFlightMovesAlongTheViewAndTurnsWithKeysAndMouse)
{
    ChaseCamera camera;
    camera.cameraEye = D3DXVECTOR3(0, 500, 0);
    camera.cameraTarget = D3DXVECTOR3(0, 0, 0);
    FreeCameraInput in;
    in.forward = true;
    camera.Fly(in, 10.0f);
    ExpectNear(camera.cameraEye, D3DXVECTOR3(0, 500, 8));
    in.shift = true;
    camera.Fly(in, 10.0f);
    ExpectNear(camera.cameraEye, D3DXVECTOR3(0, 500, 8 + 56));
    in = FreeCameraInput();
    in.back = true;
    camera.Fly(in, 10.0f);
    ExpectNear(camera.cameraEye, D3DXVECTOR3(0, 500, 60));
    // Right Ctrl holds every key; the mouse still turns.
    in.rightCtrl = true;
    in.left = true;
    in.mouseX = 100;
    in.mouseY = -50;
    camera.Fly(in, 10.0f);
    ExpectNear(camera.cameraEye, D3DXVECTOR3(0, 500, 60));
    EXPECT_NEAR(camera.cameraTarget.x, 0.1f, 1e-6f);
    EXPECT_NEAR(camera.cameraTarget.y, -0.05f, 1e-6f);
    in = FreeCameraInput();
    in.right = true;
    camera.Fly(in, 20.0f);
    EXPECT_NEAR(camera.cameraTarget.x, 0.2f, 1e-6f);
    // Pitched down a quarter: forward goes straight down.
    camera.cameraTarget = D3DXVECTOR3(0, 1.5707964f, 0);
    in = FreeCameraInput();
    in.forward = true;
    camera.Fly(in, 10.0f);
    ExpectNear(camera.cameraEye, D3DXVECTOR3(0, 492, 60));
}

TEST(ChaseCameraTest, TheDriversStartInTheirOwnModes)
{
    EXPECT_EQ(QV7_PlayerController().cameraMode, CAMERA_MODE_NEAR);
    EXPECT_EQ(QV7_AIController().cameraMode, CAMERA_MODE_FAR);
    const QV7_PlayerController player;
    EXPECT_EQ(player.cameraEye, D3DXVECTOR3(0, 500, 0));
}

TEST(ChaseCameraTest, TheHandOverSetsTheSceneCameraAndFreeModeKeepsItsAngles)
{
    QV7_Camera scene;
    g_camera = &scene;
    ChaseCamera camera;
    camera.cameraEye = D3DXVECTOR3(100, 200, 300);
    camera.cameraTarget = D3DXVECTOR3(100, 150, 900);
    camera.Apply(CAMERA_MODE_NEAR);
    EXPECT_EQ(scene.m_Eye, camera.cameraEye);
    EXPECT_EQ(scene.m_Target, camera.cameraTarget);
    camera.cameraTarget = D3DXVECTOR3(0.5f, 0.25f, 0);
    camera.Apply(CAMERA_MODE_FREE);
    EXPECT_EQ(scene.m_Target, camera.cameraTarget); // the angles
    g_camera = nullptr;
}
// The player's driver reads its racer's chassis (the ninth body) from ODE:
// turned a quarter about +y, the tail axis +x becomes -z.
TEST(ChaseCameraTest, ARacersCameraFollowsItsChassisBody)
{
    dInitODE2(0);
    dWorldID world = dWorldCreate();
    {
        QV7_Buggy buggy;
        for (int i = 0; i < 9; ++i)
            buggy.bodies.push_back(dBodyCreate(world));
        dBodySetPosition(buggy.bodies[8], 1, 2, 3);
        dMatrix3 R;
        dRFromAxisAndAngle(R, 0, 1, 0, 1.5707963267948966);
        dBodySetRotation(buggy.bodies[8], R);
        D3DXVECTOR3 P, d;
        ASSERT_TRUE(ChaseCamera::ChassisFrame(&buggy, &P, &d));
        ExpectNear(P, D3DXVECTOR3(1, 2, 3), 1e-5f);
        ExpectNear(d, D3DXVECTOR3(0, 0, -1), 1e-5f);
        QV7_PlayerController driver;
        driver.buggy = &buggy;
        driver.ResetCamera();
        driver.UpdateCamera();
        ExpectNear(driver.cameraEye, D3DXVECTOR3(200, 400 + 150, 600 - 2.2f * 200));
        ExpectNear(driver.cameraTarget, D3DXVECTOR3(200, 500, 600));
        // Fewer than nine bodies: no chassis, the camera stays where it was.
        buggy.bodies.resize(8);
        driver.UpdateCamera();
        ExpectNear(driver.cameraTarget, D3DXVECTOR3(200, 500, 600));
        buggy.bodies.clear();
    }
    dWorldDestroy(world);
    dCloseODE();
}
} // namespace
