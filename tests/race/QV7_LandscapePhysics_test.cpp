// The landscape collider: the ground's numbers under a sphere or a flat
// cylinder, the input checks, and the landscape meeting geoms through
// dCollide in either order, bare or inside a racer's geom transform.
#include "race/QV7_LandscapePhysics.h"
#include "tests/race/PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using physicstest::OdeScope;

// Sample (x, z) lies at ODE (x, z) x 0.32. Rows below 400 stand at 120 render
// units, rows 400-699 at 100; from row 700 the ground is flat at 0 up to
// column 100 and then climbs 32 units per sample along x.
float Ground(int x, int z)
{
    if (z < 400)
        return 120.0f;
    if (z < 700)
        return 100.0f;
    return x > 100 ? float(x - 100) * 32.0f : 0.0f;
}

class LandscapeColliderTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { s_Land = physicstest::MakeLandscape(&Ground).release(); }
    static void TearDownTestSuite()
    {
        delete s_Land;
        s_Land = nullptr;
    }
    void SetUp() override
    {
        ASSERT_EQ(g_landscape, s_Land);
        QV7_LandscapePhysics::RegisterClass();
        land = QV7_LandscapePhysics::CreateGeom(nullptr);
    }
    void TearDown() override
    {
        for (dGeomID geom : made)
            dGeomDestroy(geom);
        dGeomDestroy(land);
    }
    dGeomID Sphere(dReal radius, dReal x, dReal y, dReal z)
    {
        dGeomID sphere = dCreateSphere(nullptr, radius);
        dGeomSetPosition(sphere, x, y, z);
        made.push_back(sphere);
        return sphere;
    }
    dGeomID Keep(dGeomID geom)
    {
        made.push_back(geom);
        return geom;
    }

    static QV7_Landscape* s_Land;
    OdeScope ode;
    dGeomID land = nullptr;
    std::vector<dGeomID> made;
};
QV7_Landscape* LandscapeColliderTest::s_Land = nullptr;

TEST_F(LandscapeColliderTest, SphereAgainstTheGroundTable)
{
    struct Case
    {
        const char* what;
        dReal radius, x, y, z;
        int contacts;
        dReal contactY, depth, normalY;
    };
    const Case cases[] = {
        {"0.5 over 120 units", 0.5, 10, 1, 10, 1, 0.6, 0.1, -1},
        {"bottom exactly on the ground", 0.5, 10, 1, 160, 1, 0.5, 0, -1},
        {"one render unit above", 0.5, 10, 1.005, 160, 0, 0, 0, 0},
        {"far above", 0.5, 10, 5, 10, 0, 0, 0, 0},
        {"outside the grid: height 0", 0.5, -1, 0.2, 10, 1, 0, 0.3, -1},
        {"beyond the far edge", 0.5, 400, 0.2, 400, 1, 0, 0.3, -1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        dGeomID sphere = Sphere(c.radius, c.x, c.y, c.z);
        dContactGeom contact{};
        ASSERT_EQ(
            QV7_LandscapePhysics::CollideLandscapeSphere(land, sphere, 1, &contact, sizeof(dContactGeom)),
            c.contacts);
        if (!c.contacts)
            continue;
        EXPECT_DOUBLE_EQ(contact.pos[0], c.x);
        EXPECT_NEAR(contact.pos[1], c.contactY, 1e-9);
        EXPECT_DOUBLE_EQ(contact.pos[2], c.z);
        EXPECT_NEAR(contact.depth, c.depth, 1e-9);
        EXPECT_GE(contact.depth, 0.0);
        EXPECT_DOUBLE_EQ(contact.normal[0], 0.0);
        EXPECT_DOUBLE_EQ(contact.normal[1], c.normalY);
        EXPECT_DOUBLE_EQ(contact.normal[2], 0.0);
        EXPECT_EQ(contact.g1, land);
        EXPECT_EQ(contact.g2, sphere);
        EXPECT_EQ(contact.side1, -1);
        EXPECT_EQ(contact.side2, -1);
    }
}

TEST_F(LandscapeColliderTest, OnASlopeTheNormalIsTheCellsOwnNotBlended)
{
    // Just inside column 100, the first climbing cell; column 99 is level.
    const dReal x = 100.02 * 0.32, z = 800.5 * 0.32;
    dGeomID sphere = Sphere(0.5, x, 0.5, z);
    dContactGeom contact{};
    ASSERT_EQ(QV7_LandscapePhysics::CollideLandscapeSphere(land, sphere, 1, &contact, sizeof(dContactGeom)),
              1);
    const D3DXVECTOR3 cell = s_Land->GetNormal(float(x * 200), float(z * 200));
    EXPECT_DOUBLE_EQ(contact.normal[0], -dReal(cell.x));
    EXPECT_DOUBLE_EQ(contact.normal[1], -dReal(cell.y));
    EXPECT_DOUBLE_EQ(contact.normal[2], -dReal(cell.z));
    // The climb along +x tilts the ground's normal toward -x; ours is its negation.
    EXPECT_GT(contact.normal[0], 0.1);
    EXPECT_LT(contact.normal[1], -0.5);
    const dReal height = s_Land->GetHeight(float(x * 200), float(z * 200)) * 0.005;
    EXPECT_NEAR(contact.pos[1], height, 1e-9);
    EXPECT_NEAR(contact.depth, height, 1e-9);
}

TEST_F(LandscapeColliderTest, FlatCylinderCountsByItsRadiusAlone)
{
    dGeomID cylinder = Keep(dCreateCylinder(nullptr, 0.5, 10));
    dGeomSetPosition(cylinder, 10, 1, 10);
    dMatrix3 tilted;
    dRFromAxisAndAngle(tilted, 1, 0, 0, M_PI / 2); // lying down: its length would reach the ground
    dGeomSetRotation(cylinder, tilted);
    dContactGeom contact{};
    ASSERT_EQ(dCollide(land, cylinder, 1, &contact, sizeof(dContactGeom)), 1);
    EXPECT_NEAR(contact.depth, 0.1, 1e-9);
    dGeomSetPosition(cylinder, 10, 1.2, 10);
    EXPECT_EQ(dCollide(land, cylinder, 1, &contact, sizeof(dContactGeom)), 0);
}

TEST_F(LandscapeColliderTest, EitherOrderThroughODEGivesTheNormalAsSeenFromTheFirstGeom)
{
    dGeomID sphere = Sphere(0.5, 10, 1, 10);
    dContactGeom contact{};
    ASSERT_EQ(dCollide(land, sphere, 1, &contact, sizeof(dContactGeom)), 1);
    EXPECT_EQ(contact.g1, land);
    EXPECT_EQ(contact.g2, sphere);
    EXPECT_DOUBLE_EQ(contact.normal[1], -1.0);
    EXPECT_NEAR(contact.depth, 0.1, 1e-9);

    contact = dContactGeom{};
    ASSERT_EQ(dCollide(sphere, land, 1, &contact, sizeof(dContactGeom)), 1);
    EXPECT_EQ(contact.g1, sphere);
    EXPECT_EQ(contact.g2, land);
    EXPECT_DOUBLE_EQ(contact.normal[1], 1.0); // pushes the sphere up, out of the ground
    EXPECT_NEAR(contact.depth, 0.1, 1e-9);
}

TEST_F(LandscapeColliderTest, RacerGeomInsideATransformMeetsTheGroundAndOthersDoNot)
{
    dWorldID world = dWorldCreate();
    dBodyID body = dBodyCreate(world);
    dBodySetPosition(body, 10, 1, 10);
    dGeomID transform = Keep(CreateGeomTransform(nullptr));
    dGeomID inner = Keep(dCreateSphere(nullptr, 0.5));
    GeomTransformSetGeom(transform, inner);
    dGeomSetBody(transform, body);
    dContactGeom contacts[2]{};
    ASSERT_EQ(dCollide(transform, land, 2, contacts, sizeof(dContactGeom)), 1);
    // ODE 0.16 names the primitive inside the transform in the contact.
    EXPECT_EQ(contacts[0].g1, inner);
    EXPECT_EQ(contacts[0].g2, land);
    EXPECT_DOUBLE_EQ(contacts[0].normal[1], 1.0);
    EXPECT_NEAR(contacts[0].depth, 0.1, 1e-9);

    dGeomID capsule = Keep(dCreateCapsule(nullptr, 0.5, 1));
    dGeomSetPosition(capsule, 10, 0.5, 10);
    dGeomID box = Keep(dCreateBox(nullptr, 1, 1, 1));
    dGeomSetPosition(box, 10, 0.5, 10);
    EXPECT_EQ(dCollide(land, capsule, 1, contacts, sizeof(dContactGeom)), 0);
    EXPECT_EQ(dCollide(box, land, 1, contacts, sizeof(dContactGeom)), 0);
    EXPECT_EQ(QV7_LandscapePhysics::GetLandscapeCollider(dCapsuleClass), nullptr);
    EXPECT_EQ(QV7_LandscapePhysics::GetLandscapeCollider(dGeomTransformClass), nullptr);
    EXPECT_EQ(QV7_LandscapePhysics::GetLandscapeCollider(g_landscapeGeomClass), nullptr);
    dGeomSetBody(transform, nullptr);
    dBodyDestroy(body);
    dWorldDestroy(world);
}

TEST_F(LandscapeColliderTest, InputChecksNameTheBrokenAssumption)
{
    dGeomID sphere = Sphere(0.5, 10, 1, 10);
    dGeomID box = Keep(dCreateBox(nullptr, 1, 1, 1));
    const int stride = int(sizeof(dContactGeom));
    struct Case
    {
        dGeomID o1, o2;
        int skip, otherClass;
        const char* failed;
    };
    const Case cases[] = {
        {land, sphere, stride, dSphereClass, nullptr},
        {land, sphere, int(sizeof(dContact)), dSphereClass, nullptr},
        {land, sphere, stride - 1, dSphereClass, "skip >= (int)sizeof(dContactGeom)"},
        {land, sphere, 44, dSphereClass, "skip >= (int)sizeof(dContactGeom)"},
        {sphere, land, stride, dSphereClass, "dGeomGetClass(o1) == dLandscapeClass"},
        {land, box, stride, dSphereClass, "other"},
        {land, box, stride, dBoxClass, nullptr},
    };
    for (const Case& c : cases)
    {
        const char* failed = QV7_LandscapePhysics::CheckInputs(c.o1, c.o2, c.skip, c.otherClass, "other");
        if (c.failed)
        {
            ASSERT_NE(failed, nullptr);
            EXPECT_STREQ(failed, c.failed);
        }
        else
        {
            EXPECT_EQ(failed, nullptr) << failed;
        }
    }
}

using LandscapeColliderDeathTest = LandscapeColliderTest;

TEST_F(LandscapeColliderDeathTest, AShortStrideEndsTheProgramThroughODE)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    dGeomID sphere = Sphere(0.5, 10, 1, 10);
    dGeomID box = Keep(dCreateBox(nullptr, 1, 1, 1));
    dContactGeom contact[2]{};
    EXPECT_DEATH(QV7_LandscapePhysics::CollideLandscapeSphere(land, sphere, 1, contact, 44),
                 "assertion \"skip >= \\(int\\)sizeof\\(dContactGeom\\)\" failed in QV7_LandscapePhysics:");
    EXPECT_DEATH(QV7_LandscapePhysics::CollideLandscapeCylinder(land, box, 1, contact, sizeof(dContactGeom)),
                 "dGeomGetClass\\(o2\\) == dCylinderClass");
}
} // namespace
