// One physics step of a race against bare ODE stepping the same bodies and
// geoms, as a ratio in one run (target: at most 1.5). Six racers of twelve
// bodies each (four wheel spheres on hinge-2 joints, a chassis box and seven
// small boxes welded to it) stand on the island; the game's step adds the
// near callback's pair rules, surfaces and contact state, the contact
// counters and the crash rule to what ODE itself does.
#include "race/BuggyPhysicsDefinition.h"
#include "race/GeomTransform.h"
#include "race/NearCallback.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_LandscapePhysics.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>
#include <vector>

namespace
{
constexpr int kRacers = 6;
constexpr int kBodies = 12;

struct SceneLists
{
    std::vector<dBodyID> bodies;
    std::vector<dGeomID> geoms;
};

dBodyID Body(dWorldID world, const dReal* at, PhysicsBodyDef* definition, SceneLists& lists)
{
    dBodyID body = dBodyCreate(world);
    dBodySetPosition(body, at[0], at[1], at[2]);
    dBodySetData(body, definition);
    definition->body = body;
    lists.bodies.push_back(body);
    return body;
}

// A primitive in a geom transform on body, as racer construction makes it.
void Wrap(dSpaceID space, dBodyID body, dGeomID primitive, dMass& total, SceneLists& lists)
{
    dGeomID transform = CreateGeomTransform(space);
    GeomTransformSetGeom(transform, primitive);
    dGeomSetBody(transform, body);
    lists.geoms.push_back(transform);
    lists.geoms.push_back(primitive);
    dBodySetMass(body, &total);
}

// One racer at x: bodies 0-3 wheels, body 8 the chassis, the rest welded boxes.
void BuildRacer(dWorldID world, dSpaceID space, dJointGroupID joints, QV7_Buggy& owner, dReal x,
                BuggyPhysicsDefinition& definition, SceneLists& lists)
{
    std::vector<dBodyID> bodies;
    for (int i = 0; i < kBodies; ++i)
    {
        PhysicsBodyDef* def = definition.bodies.Add();
        def->owner = &owner;
        def->role = i < 4 ? i : (i == 8 ? 9 : 4);
        const bool wheel = i < 4;
        const dReal at[3] = {x + (wheel ? (i < 2 ? -0.5 : 0.5) : 0.0), wheel ? 0.108 : 0.3,
                             10 + (wheel ? (i % 2 ? 0.3 : -0.3) : 0.0)};
        dBodyID body = Body(world, at, def, lists);
        dMass mass;
        if (wheel)
        {
            dMassSetSphere(&mass, 1, 0.108);
            Wrap(space, body, dCreateSphere(nullptr, 0.108), mass, lists);
        }
        else
        {
            const dReal side = i == 8 ? 1.2 : 0.1;
            dMassSetBox(&mass, 1, side, 0.2, i == 8 ? 0.6 : 0.1);
            Wrap(space, body, dCreateBox(nullptr, side, 0.2, i == 8 ? 0.6 : 0.1), mass, lists);
        }
        bodies.push_back(body);
    }
    for (int i = 0; i < kBodies; ++i)
    {
        if (i == 8)
            continue;
        if (i < 4)
        {
            dJointID hinge = dJointCreateHinge2(world, joints);
            dJointAttach(hinge, bodies[8], bodies[size_t(i)]);
            const dReal* at = dBodyGetPosition(bodies[size_t(i)]);
            dJointSetHinge2Anchor(hinge, at[0], at[1], at[2]);
            const dReal up[3] = {0, 1, 0}, side[3] = {0, 0, 1};
            dJointSetHinge2Axes(hinge, up, side);
            dJointSetHinge2Param(hinge, dParamLoStop, 0);
            dJointSetHinge2Param(hinge, dParamHiStop, 0);
            dJointSetHinge2Param(hinge, dParamSuspensionERP, 0.4);
            dJointSetHinge2Param(hinge, dParamSuspensionCFM, 0.01);
        }
        else
        {
            dJointID weld = dJointCreateFixed(world, joints);
            dJointAttach(weld, bodies[8], bodies[size_t(i)]);
            dJointSetFixed(weld);
        }
    }
}

// The game's side: the group's racers built by the construction hook.
void BuildForGroup(QV7_PhysicsGroup& group, QV7_Buggy& buggy, int index)
{
    buggy.jointGroup = dJointGroupCreate(0);
    buggy.physicsDefinition = new BuggyPhysicsDefinition();
    SceneLists lists;
    BuildRacer(group.world, group.space, buggy.jointGroup, buggy, 2.0 * index + 10, *buggy.physicsDefinition,
               lists);
    buggy.bodies = lists.bodies;
    buggy.rearWheelBodies[0] = lists.bodies[2];
    buggy.rearWheelBodies[1] = lists.bodies[3];
    group.bodies.insert(group.bodies.end(), lists.bodies.begin(), lists.bodies.end());
    group.geoms.insert(group.geoms.end(), lists.geoms.begin(), lists.geoms.end());
    buggy.controllerKind = index == 0 ? QV7_Buggy::CONTROLLER_PLAYER : 2;
    if (index == 0)
        buggy.playerController = new QV7_PlayerController();
    buggy.placementHold = 0;
}

// Bare ODE: the same bodies and geoms, one contact per pair with a fixed
// surface, skipping jointed bodies and a racer's own pairs.
struct BareWorld
{
    dWorldID world;
    dSpaceID space;
    dJointGroupID contacts;
};

void BareCallback(void* data, dGeomID o1, dGeomID o2)
{
    const BareWorld& bare = *static_cast<const BareWorld*>(data);
    dBodyID b1 = dGeomGetBody(o1), b2 = dGeomGetBody(o2);
    if (b1 && b2 && dAreConnectedExcluding(b1, b2, dJointTypeContact))
        return;
    const auto* d1 = b1 ? static_cast<const PhysicsBodyDef*>(dBodyGetData(b1)) : nullptr;
    const auto* d2 = b2 ? static_cast<const PhysicsBodyDef*>(dBodyGetData(b2)) : nullptr;
    if (d1 && d2 && d1->owner == d2->owner)
        return;
    dContact contact{};
    contact.surface.mode = dContactSlip1 | dContactSlip2 | dContactApprox1 | dContactSoftCFM;
    contact.surface.mu = 100;
    contact.surface.slip1 = contact.surface.slip2 = 0.0001;
    contact.surface.soft_cfm = 0.002;
    if (dCollide(o1, o2, 1, &contact.geom, sizeof(dContact)) < 1)
        return;
    dJointAttach(dJointCreateContact(bare.world, bare.contacts, &contact), b1, b2);
}

// This thread's CPU time: the machine is shared, and wall time counts the waits.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

void BM_PhysicsStepAgainstBareOde(benchmark::State& state)
{
    QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
    QV7_PhysicsGroup::s_Hooks.buildBuggy = &BuildForGroup;
    QV7_PhysicsGroup group;
    group.CreateWorld(kRacers);
    group.frameCounter = 100;

    BareWorld bare{dWorldCreate(), nullptr, dJointGroupCreate(0)};
    dVector3 centre = {156, 0, 156, 0}, extents = {156, 0, 156, 0};
    bare.space = dQuadTreeSpaceCreate(nullptr, centre, extents, 4);
    dWorldSetGravity(bare.world, 0, -0.5, 0);
    dWorldSetCFM(bare.world, 0.0001);
    dWorldSetERP(bare.world, 0.7);
    dWorldSetQuickStepNumIterations(bare.world, 40);
    dGeomID bareLand = QV7_LandscapePhysics::CreateGeom(bare.space);
    std::vector<std::unique_ptr<QV7_Buggy>> bareOwners;
    std::vector<std::unique_ptr<BuggyPhysicsDefinition>> bareDefinitions;
    dJointGroupID bareJoints = dJointGroupCreate(0);
    SceneLists bareLists;
    for (int r = 0; r < kRacers; ++r)
    {
        bareOwners.push_back(std::make_unique<QV7_Buggy>());
        bareDefinitions.push_back(std::make_unique<BuggyPhysicsDefinition>());
        BuildRacer(bare.world, bare.space, bareJoints, *bareOwners.back(), 2.0 * r + 10,
                   *bareDefinitions.back(), bareLists);
    }

    double game = 0, plain = 0;
    for (auto _ : state)
    {
        double start = ThreadSeconds();
        group.timeAccumulator = 0;
        group.StepFrame(11.0f); // exactly one step
        game += ThreadSeconds() - start;
        start = ThreadSeconds();
        dSpaceCollide(bare.space, &bare, &BareCallback);
        dWorldQuickStep(bare.world, 0.05);
        dJointGroupEmpty(bare.contacts);
        plain += ThreadSeconds() - start;
    }
    const double n = double(state.iterations());
    // CPU microseconds per step
    state.counters["step_us"] = 1e6 * game / n;
    state.counters["bare_us"] = 1e6 * plain / n;
    state.counters["step_per_bare"] = game / plain;

    dJointGroupDestroy(bareJoints);
    for (dGeomID geom : bareLists.geoms)
        dGeomDestroy(geom);
    dGeomDestroy(bareLand);
    dJointGroupDestroy(bare.contacts);
    dSpaceDestroy(bare.space);
    dWorldDestroy(bare.world);
    QV7_PhysicsGroup::s_Hooks = PhysicsGroupHooks{};
}
BENCHMARK(BM_PhysicsStepAgainstBareOde)->Unit(benchmark::kMicrosecond)->Iterations(2000);
} // namespace
