// Small ODE worlds for the physics tests: ODE taken and given back around
// each test, an island's height field from the landscape writer's
// description (no device needed), and racer bodies made by hand the way
// racer construction makes them (a body whose data is its definition, each
// primitive wrapped in a geom transform).
#pragma once

#include "race/BuggyPhysicsDefinition.h"
#include "race/GeomTransform.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_LandscapePhysics.h"
#include "shell/QV7_Logger.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "world/QV7_Landscape.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace physicstest
{
inline std::vector<std::string>& Log()
{
    static std::vector<std::string> lines;
    return lines;
}
inline void Capture(const char* text)
{
    Log().emplace_back(text);
}

// ODE initialised for the test's thread, closed again at the end.
class OdeScope
{
  public:
    OdeScope()
    {
        dInitODE2(0);
        dAllocateODEDataForThread(dAllocateMaskAll);
    }
    ~OdeScope() { dCloseODE(); }
};

// The island's heights from the writer's description, ground (render units)
// given per sample; the cell normals are derived as the map loader does.
inline void FillLandscape(QV7_Landscape& land, const std::function<float(int x, int z)>& ground)
{
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    for (int z = 0; z < LandscapeMapDescription::kSide; ++z)
        for (int x = 0; x < LandscapeMapDescription::kSide; ++x)
            map.Height(x, z) = ground(x, z);
    land.Create();
    land.m_Heights.assign(map.heights.begin(), map.heights.end());
    land.ComputeMaximumHeight();
    land.ComputeCellNormals();
}

// A landscape made once per test suite; g_landscape points at it while it lives.
inline std::unique_ptr<QV7_Landscape> MakeLandscape(const std::function<float(int x, int z)>& ground)
{
    auto land = std::make_unique<QV7_Landscape>();
    FillLandscape(*land, ground);
    return land;
}

// One racer body: its definition (owned by the test), an ODE body and one
// sphere of radius r (ODE units) in a geom transform in space.
struct RacerBody
{
    PhysicsBodyDef definition;
    dBodyID body = nullptr;
    dGeomID transform = nullptr;
    dGeomID sphere = nullptr;

    void Make(dWorldID world, dSpaceID space, QV7_Buggy* owner, int role, dReal radius, const dReal* at)
    {
        definition.owner = owner;
        definition.role = role;
        body = dBodyCreate(world);
        dMass mass;
        dMassSetSphere(&mass, 1, radius);
        dBodySetMass(body, &mass);
        dBodySetPosition(body, at[0], at[1], at[2]);
        dBodySetData(body, &definition);
        definition.body = body;
        transform = CreateGeomTransform(space);
        sphere = dCreateSphere(nullptr, radius);
        GeomTransformSetGeom(transform, sphere);
        dGeomSetBody(transform, body);
    }
    void Destroy()
    {
        if (transform)
            dGeomDestroy(transform);
        if (sphere)
            dGeomDestroy(sphere);
        if (body)
            dBodyDestroy(body);
        transform = sphere = nullptr;
        body = nullptr;
    }
};
} // namespace physicstest
