// The static-geometry point test through ODE's space search.
#include "race/StaticPointQuery.h"

namespace
{
struct Search
{
    dGeomID probe;
    const dReal* point;
    StaticPointQuery::Result result;
};

void Candidate(void* data, dGeomID a, dGeomID b)
{
    Search& search = *static_cast<Search*>(data);
    // The probe is one of the two; the other is the space's geom, or a
    // space inside it (the scenery's), searched in turn.
    dGeomID geom = a == search.probe ? b : a;
    if (dGeomIsSpace(geom))
    {
        dSpaceCollide2(search.probe, geom, data, &Candidate);
        return;
    }
    if (!StaticPointQuery::Counts(geom, search.point))
        return;
    search.result.hit = true;
    if (void* user = dGeomGetData(geom))
        search.result.data = user;
}
} // namespace

bool StaticPointQuery::Counts(dGeomID geom, const dReal point[3])
{
    if (dGeomIsSpace(geom))
        return false;
    dReal box[6];
    dGeomGetAABB(geom, box);
    for (int axis = 0; axis < 3; ++axis)
        if (point[axis] < box[2 * axis] || point[axis] > box[2 * axis + 1])
            return false;
    switch (dGeomGetClass(geom))
    {
    case dSphereClass:
        return dGeomSpherePointDepth(geom, point[0], point[1], point[2]) >= 0;
    case dBoxClass:
        return dGeomBoxPointDepth(geom, point[0], point[1], point[2]) >= 0;
    case dCapsuleClass:
        return dGeomCapsulePointDepth(geom, point[0], point[1], point[2]) >= 0;
    default:
        return false;
    }
}

StaticPointQuery::Result StaticPointQuery::Test(dSpaceID space, const dReal point[3])
{
    if (!space)
        return {};
    dGeomID probe = dCreateBox(nullptr, 1e-6, 1e-6, 1e-6);
    dGeomSetPosition(probe, point[0], point[1], point[2]);
    Search search{probe, point, {}};
    dSpaceCollide2(probe, reinterpret_cast<dGeomID>(space), &search, &Candidate);
    dGeomDestroy(probe);
    return search.result;
}
