// The landscape user geom class and its colliders.
#include "race/QV7_LandscapePhysics.h"

#include "world/QV7_Landscape.h"

#include <cfloat>

int g_landscapeGeomClass = -1;

namespace
{
constexpr double kRenderPerOde = 200.0;
constexpr double kOdePerRender = 0.005;
const char* const kSource = "QV7_LandscapePhysics";

float GroundHeight(double x, double z)
{
    return g_landscape ? g_landscape->GetHeight(float(x * kRenderPerOde), float(z * kRenderPerOde)) : 0.0f;
}

D3DXVECTOR3 GroundNormal(double x, double z)
{
    return g_landscape ? g_landscape->GetNormal(float(x * kRenderPerOde), float(z * kRenderPerOde))
                       : D3DXVECTOR3(0.0f, 1.0f, 0.0f);
}

// ODE ends the program through dDebug; the message names our source and line.
void Fail(const char* assertion, int line)
{
    dDebug(0, "assertion \"%s\" failed in %s:%d", assertion, kSource, line);
}
} // namespace

int QV7_LandscapePhysics::RegisterClass()
{
    if (g_landscapeGeomClass >= 0)
        return g_landscapeGeomClass;
    // The reference that keeps the class alive across every race's dCloseODE.
    dInitODE2(0);
    dAllocateODEDataForThread(dAllocateMaskAll);
    dGeomClass description{};
    description.bytes = 1;
    description.collider = &GetLandscapeCollider;
    description.aabb = &dInfiniteAABB;
    description.aabb_test = nullptr;
    description.dtor = nullptr;
    g_landscapeGeomClass = dCreateGeomClass(&description);
    return g_landscapeGeomClass;
}

dGeomID QV7_LandscapePhysics::CreateGeom(dSpaceID space)
{
    dGeomID geom = dCreateGeom(RegisterClass());
    if (space)
        dSpaceAdd(space, geom);
    return geom;
}

dColliderFn* QV7_LandscapePhysics::GetLandscapeCollider(int num)
{
    switch (num)
    {
    case dSphereClass:
        return &CollideLandscapeSphere;
    case dBoxClass:
        return &CollideLandscapeBox;
    case dCylinderClass:
        return &CollideLandscapeCylinder;
    default:
        // Capsules, transforms, rays, spaces and user classes never touch the ground.
        return nullptr;
    }
}

const char* QV7_LandscapePhysics::CheckInputs(dGeomID o1, dGeomID o2, int skip, int otherClass,
                                              const char* otherClassName)
{
    if (skip < int(sizeof(dContactGeom)))
        return "skip >= (int)sizeof(dContactGeom)";
    if (!o1 || dGeomGetClass(o1) != g_landscapeGeomClass)
        return "dGeomGetClass(o1) == dLandscapeClass";
    if (!o2 || dGeomGetClass(o2) != otherClass)
        return otherClassName;
    return nullptr;
}

int QV7_LandscapePhysics::CollideLandscapeSphere(dGeomID o1, dGeomID o2, int, dContactGeom* contact, int skip)
{
    if (const char* failed = CheckInputs(o1, o2, skip, dSphereClass, "dGeomGetClass(o2) == dSphereClass"))
    {
        Fail(failed, __LINE__);
        return 0;
    }
    return CollideRound(o1, o2, dGeomSphereGetRadius(o2), contact);
}

int QV7_LandscapePhysics::CollideLandscapeBox(dGeomID o1, dGeomID o2, int, dContactGeom*, int skip)
{
    // A box is carried by the other geoms of its body; the near callback skips
    // such pairs before asking.
    if (const char* failed = CheckInputs(o1, o2, skip, dBoxClass, "dGeomGetClass(o2) == dBoxClass"))
        Fail(failed, __LINE__);
    return 0;
}

int QV7_LandscapePhysics::CollideLandscapeCylinder(dGeomID o1, dGeomID o2, int, dContactGeom* contact,
                                                   int skip)
{
    if (const char* failed = CheckInputs(o1, o2, skip, dCylinderClass, "dGeomGetClass(o2) == dCylinderClass"))
    {
        Fail(failed, __LINE__);
        return 0;
    }
    // Tested like a sphere of the cylinder's radius: length and tilt are ignored.
    dReal radius = 0, length = 0;
    dGeomCylinderGetParams(o2, &radius, &length);
    return CollideRound(o1, o2, radius, contact);
}

int QV7_LandscapePhysics::CollideRound(dGeomID o1, dGeomID o2, dReal radius, dContactGeom* contact)
{
    const dReal* p = dGeomGetPosition(o2);
    const dReal bottom = p[1] - radius;
    const float height = GroundHeight(p[0], p[2]);
    if (double(height) < bottom * kRenderPerOde)
        return 0;
    const D3DXVECTOR3 normal = GroundNormal(p[0], p[2]);
    contact->pos[0] = p[0];
    contact->pos[1] = double(height) * kOdePerRender;
    contact->pos[2] = p[2];
    contact->pos[3] = 0;
    // The normal points into g1, the landscape: the ground pushes the geom up.
    contact->normal[0] = -dReal(normal.x);
    contact->normal[1] = -dReal(normal.y);
    contact->normal[2] = -dReal(normal.z);
    contact->normal[3] = 0;
    contact->depth = double(height) * kOdePerRender - bottom;
    contact->g1 = o1;
    contact->g2 = o2;
    contact->side1 = -1;
    contact->side2 = -1;
    return 1;
}
