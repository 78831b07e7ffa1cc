// Which static geometry of an ODE space holds a point: the space's own
// search (its quadtree blocks around the point) finds the geoms whose boxes
// overlap a tiny probe there, and only spheres, boxes and capsules whose box
// holds the point and whose depth at it is not negative count. Racer geoms
// (in geom transforms), the landscape and nested spaces never count.
#pragma once

#include <ode/ode.h>

class StaticPointQuery
{
  public:
    struct Result
    {
        bool hit = false;
        // User data of the last counted geom that carries any (null: none).
        void* data = nullptr;
    };
    // point in physics units.
    static Result Test(dSpaceID space, const dReal point[3]);
    // Whether one geom counts for the point.
    static bool Counts(dGeomID geom, const dReal point[3]);
};
