// Everything physical of one race: the racers, the ODE world, the quadtree
// collision space, the contact group of one step, the landscape geom and the
// lists of every ODE geom, body and joint the racers create, so that the
// group destroys them all at the end. The race loader creates the group,
// builds the world with its racers and puts them on the start grid; the
// session end deletes it.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "shell/QV7_Collection.h"

#include <ode/ode.h>

#include <vector>

class QV7_Buggy;
class QV7_DataBase_MeshObject;
struct PhysicsBodyDef;
class QV7_PhysicsGroup;
struct CheckpointRecord;

// The start checkpoint and its first pose (render units, yaw), where every
// racer's grid slot is measured from.
struct StartGridPose
{
    CheckpointRecord* checkpoint = nullptr;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float yaw = 0.0f;
};

// What the start grid and world creation ask of the rest of the race. Each
// hook is skipped when it is not set.
struct PhysicsGroupHooks
{
    // The session's race mode.
    int (*raceMode)() = nullptr;
    // The session's tutorial index (tutorial races).
    int (*tutorialIndex)() = nullptr;
    // When set, builds the racer in place of the tutorial or configuration
    // build (tests build racers of their own).
    void (*buildBuggy)(QV7_PhysicsGroup& group, QV7_Buggy& buggy, int index) = nullptr;
    // The start checkpoint's first pose; false when the map has none.
    bool (*findStartPose)(StartGridPose* pose) = nullptr;
    // The racer's live effects are removed, its weapons reset, and the
    // collected-currency counter of racer index i cleared.
    void (*removeOwnerEffects)(QV7_Buggy& buggy) = nullptr;
    void (*resetWeapons)(QV7_Buggy& buggy) = nullptr;
    void (*clearCurrency)(int racerIndex) = nullptr;
    // Once a frame before the steps: the racer's driver drives.
    void (*drive)(QV7_Buggy& buggy) = nullptr;
    // Every step before the collision pass.
    void (*updateWeapons)(QV7_Buggy& buggy) = nullptr;
    // A crash at point (render units): with the shield up its shield-hit
    // effect; otherwise the kick, the bump, the crash sound and effect (the
    // health loss is the step's own).
    void (*shieldCrash)(QV7_Buggy& buggy, const D3DXVECTOR3& point, float shield) = nullptr;
    void (*crash)(QV7_Buggy& buggy, const D3DXVECTOR3& point) = nullptr;
};

// What drawing the racers asks of the buggy renderer, the effects, the
// driver figures and the weapons. A missing part or item renderer falls back
// to drawing the mesh subset plainly; the other hooks are skipped when unset.
struct PhysicsGroupRenderHooks
{
    void (*renderPart)(QV7_Buggy& buggy, int part, int destroyed, int reflection, int shadow, int late,
                       const D3DXMATRIX& world) = nullptr;
    void (*renderItem)(const QV7_DataBase_MeshObject& item, QV7_Buggy& buggy, int destroyed, int reflection,
                       float angle, int shadow, int spin, const D3DXMATRIX& world) = nullptr;
    // The "Broken" smoke (at bodyPosition, render units, with strength 0-255),
    // the two "Turbo" flames and the "buggy10effect" of the attachment body.
    void (*placeBodyEffects)(QV7_Buggy& buggy, const D3DXVECTOR3& bodyPosition, const D3DXMATRIX& rotation,
                             const D3DXMATRIX& world, int brokenStrength) = nullptr;
    // The "Exhaust" instances of a mounted exhaust part at the part's world.
    void (*placeExhaust)(QV7_Buggy& buggy, const QV7_DataBase_MeshObject& part,
                         const D3DXMATRIX& partWorld) = nullptr;
    // The driver figure; reflection 1 draws the pose the main pass left.
    void (*drawFigure)(QV7_Buggy& buggy, const D3DXMATRIX& world, int reflection) = nullptr;
    // The chain gun's "Chaing" flash at the buggy's first muzzle.
    void (*placeChainFlash)(QV7_Buggy& buggy) = nullptr;
};

class QV7_PhysicsGroup
{
  public:
    static constexpr int kGridSlots = 6;
    static constexpr int kRaceModeQuickRace = 2;
    static constexpr int kRaceModeTutorial = 3;
    static const D3DXVECTOR3 kGridOffsets[kGridSlots];

    QV7_PhysicsGroup();
    ~QV7_PhysicsGroup();
    QV7_PhysicsGroup(const QV7_PhysicsGroup&) = delete;
    QV7_PhysicsGroup& operator=(const QV7_PhysicsGroup&) = delete;

    // Initialises ODE, makes the world, space, contact group and landscape
    // geom, then adds racerCount racers.
    void CreateWorld(int racerCount);
    // Every racer back at its grid slot with its race state, budgets and
    // ammunition restored.
    void PlaceOnStartGrid();
    // Creates, appends and (through the hook) builds one racer.
    void AddBuggy(int index);

    // The frame's simulation: the drivers, then whole 11 ms steps of the
    // frame time (g_frameManager) with the contact bookkeeping and crashes,
    // then the racers' render positions. A fault inside is reported by
    // PhysicsExceptionReport and gives up the rest of the frame.
    void Step();
    void StepFrame(float frameMs);
    // The fixed-step clock: adds a frame to the accumulator (100 ms at most
    // in the first 100 frames, 50 ms of backlog at most) and returns the
    // whole steps it holds, taking them out.
    static int AdvanceClock(int& frameCounter, float& accumulator, float frameMs);
    // After a step's collision pass: the no-contact counters with their
    // airborne flags and the contact level.
    static void CountContacts(QV7_Buggy& buggy);
    // After a step: a crash when the racer, at speed, stopped short against
    // clean contact or hit an obstacle; then its position history moves on.
    static void CheckCrash(QV7_Buggy& buggy);
    static constexpr float kStepMs = 11.0f;

    // Every racer's parts at their bodies' poses, with what is attached to
    // them; reflection 1 in the water's mirrored pass, shadow the shadow
    // pass's value (0 elsewhere). A fault inside gives up the pass.
    void DoRender(int reflection, int shadow);
    // The late, alpha-tested parts of the models drawn after the effects.
    void DoRenderLast();
    // A racer body's render world: its ODE pose turned into mesh axes about
    // the body's pivot, wheels lifted to their mesh centre, scaled to render units.
    static D3DXMATRIX BodyWorld(const QV7_Buggy& buggy, const PhysicsBodyDef& body, D3DXMATRIX* rotation);
    // The smoke of a damaged buggy: 0 down to half health, then up to 255.
    static int BrokenStrength(float health, float healthMax);
    // Models 4-6 draw their third parts late.
    static bool DrawsThirdPartLate(int modelIndex) { return modelIndex >= 4 && modelIndex <= 6; }
    static PhysicsGroupRenderHooks s_RenderHooks;
    static constexpr dReal kOdeStep = 0.05;

    // The quick race's second racer drives the configuration of opponent
    // 1..5 picked by one game random number.
    static int QuickRaceOpponentIndex(int randomValue, int racer);

    static PhysicsGroupHooks s_Hooks;

    QV7_Collection<QV7_Buggy> racers;
    dWorldID world = nullptr;
    dSpaceID space = nullptr;
    // The island's fixed and moving scenery, a hash space inside `space`:
    // its geoms are tested against the racers, never against each other.
    // (ODE's quad-tree divides x and y, so in this y-up world it sorts
    // nothing and would test every pair of a thousand scenery geoms.)
    dSpaceID staticSpace = nullptr;
    dJointGroupID contactGroup = nullptr;
    // The landscape geom first, then every geom and geom transform of every racer.
    std::vector<dGeomID> geoms;
    std::vector<dBodyID> bodies;
    // Racer joints; they live in their racer's joint group, which destroys them.
    std::vector<dJointID> joints;
    // The physics step's frame counter (first 100 frames) and time not yet stepped (ms).
    int frameCounter = 0;
    float timeAccumulator = 0.0f;

  private:
    // The tutorial build, or the configuration build from the current
    // profile's buggy (index 0) or opponent index's (1-5).
    void BuildRacer(QV7_Buggy& buggy, int index);
    void RunStep(float frameMs);
    void ResetRaceState(QV7_Buggy& buggy, int racerIndex);
    void DestroyWorld();
    void RenderBuggy(QV7_Buggy& buggy, int reflection, int shadow);
    void RenderAttachments(QV7_Buggy& buggy, const PhysicsBodyDef& body, const D3DXMATRIX& rotation,
                           const D3DXMATRIX& world, int reflection, int shadow);
    void RenderMountedParts(QV7_Buggy& buggy, const D3DXMATRIX& world);
    void RenderWeapon(QV7_Buggy& buggy, const D3DXMATRIX& world);
};

extern QV7_PhysicsGroup* g_physicsGroup;
