// Racer primitives sit in ODE geom transforms: the projectile test of the
// weapons tells racer geoms from scenery by that wrapping. ODE 0.16 marks the
// transform calls deprecated but keeps them; this is the one place that
// calls them.
#pragma once

#include <ode/ode.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
inline dGeomID CreateGeomTransform(dSpaceID space)
{
    return dCreateGeomTransform(space);
}
inline void GeomTransformSetGeom(dGeomID transform, dGeomID geom)
{
    dGeomTransformSetGeom(transform, geom);
}
inline dGeomID GeomTransformGetGeom(dGeomID transform)
{
    return dGeomTransformGetGeom(transform);
}
#pragma GCC diagnostic pop
