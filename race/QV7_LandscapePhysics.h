// The island's height field as one ODE geom of our own user class, so that
// the racers' wheel spheres meet the ground in the ordinary collision pass.
// The geom has no body and an infinite box; its colliders read heights and
// normals from g_landscape (render units) and work in ODE units (x 0.005).
// Every collider writes at most one contact, with the landscape as g1.
#pragma once

#include <ode/ode.h>

// The class number dCreateGeomClass returned; -1 before the first registration.
extern int g_landscapeGeomClass;

class QV7_LandscapePhysics
{
  public:
    // Registers the landscape class with ODE once per process and returns its
    // number. ODE allows only four user classes, and a dCloseODE that ends the
    // library's last reference forgets them; so the first registration also
    // takes one library reference of its own that is never given back, and
    // every later race reuses the class. The caller has initialised ODE.
    static int RegisterClass();
    // A new landscape geom (no body), in space when space is not null.
    static dGeomID CreateGeom(dSpaceID space);

    // ODE's collider selector for the landscape against a geom of class num.
    static dColliderFn* GetLandscapeCollider(int num);
    static int CollideLandscapeSphere(dGeomID o1, dGeomID o2, int flags, dContactGeom* contact, int skip);
    static int CollideLandscapeBox(dGeomID o1, dGeomID o2, int flags, dContactGeom* contact, int skip);
    static int CollideLandscapeCylinder(dGeomID o1, dGeomID o2, int flags, dContactGeom* contact, int skip);

    // The failed input check of a collider as its assertion text, or null when
    // the inputs are sound: the stride must hold a whole dContactGeom, o1 must
    // be the landscape and o2 of the collider's class (otherClassName names it).
    static const char* CheckInputs(dGeomID o1, dGeomID o2, int skip, int otherClass,
                                   const char* otherClassName);

  private:
    // One contact under a round geom of radius r centred at the geom's position.
    static int CollideRound(dGeomID o1, dGeomID o2, dReal radius, dContactGeom* contact);
};
