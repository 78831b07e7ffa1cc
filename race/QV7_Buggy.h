// One racer of a race: the ODE bodies, joints and geoms of its buggy, its
// driver, its lap and checkpoint state, and the contact state the near
// callback leaves for the physics step. The physics group creates and deletes
// the racers and destroys the ODE objects they list; racer construction
// fills the bodies from the racer's own physics definition clone.
#pragma once

#include "figures/DriverAnimation.h"
#include "platform/d3dx/D3DXMath.h"
#include "race/EquipmentSlots.h"
#include "race/MountedPart.h"
#include "race/QV7_BuggyWeapons.h"
#include "shell/QV7_Collection.h"

#include <ode/ode.h>

#include <cstdint>
#include <vector>

class BuggyConfiguration;
class BuggyPhysicsDefinition;
class QV7_DataBase_MeshObject;
struct PhysicsBodyDef;
struct PhysicsNameRecord;
struct TwoAxisJointDef;
class QV7_AIController;
class QV7_BuggyMeshSystem;
class QV7_DriveController;
class QV7_PhysicsGroup;
class QV7_PlayerController;
struct CheckpointRecord;
struct SoundInstance;

// Live racers: +1 by every constructor, -1 by every destructor.
extern int g_buggyCount;

class QV7_Buggy
{
  public:
    enum ControllerKind
    {
        CONTROLLER_PLAYER = 0,
        CONTROLLER_COMPUTER = 1
    };
    static constexpr float kQuarterTurn = 1.5707964f;
    static constexpr float kOdePerModel = 0.0009f;
    static constexpr float kOdePerRender = 0.005f;

    QV7_Buggy();
    ~QV7_Buggy();
    QV7_Buggy(const QV7_Buggy&) = delete;
    QV7_Buggy& operator=(const QV7_Buggy&) = delete;

    // Puts the racer at position + offset turned by yaw (render units), every
    // body at its definition centre turned the same way, at rest.
    // PlaceOnGrid stores the render position only for a racer with bodies;
    // PlaceWithOffset (the player's respawn) always.
    void PlaceOnGrid(const D3DXVECTOR3& position, const D3DXVECTOR3& offset, float yaw);
    void PlaceWithOffset(const D3DXVECTOR3& position, const D3DXVECTOR3& offset, float yaw);
    // The same without an offset; the render position is always stored.
    void PlaceAt(float x, float y, float z, float yaw);

    // The racer's ODE objects from its own clone of the model's definition:
    // bodies at their model-relative centres (unplaced), one geom transform
    // per primitive, masses by wheel role, joints in creation order with only
    // their flagged parameters, and the steered and driven wheels found from
    // those flags. Needs the owner group's world; a definition without the
    // chassis (fewer than nine bodies) or with a massless body is logged and
    // throws CDException before anything is made.
    void BuildPhysics();
    // Takes a clone of definition and its exhaust and effect markers, then
    // builds the physics; configuration may be null (a racer built from a
    // model alone).
    // The builds a race uses: a tutorial's model (the third), parts and
    // equipment chosen by the tutorial's rules; or a configuration's model
    // with its owned weapons (the configuration's own list, else the current
    // profile's) that fit the model.
    // The buggy database the builds read; null: the loaded item database's.
    static const QV7_BuggyMeshSystem* s_items;
    static void BuildTutorialBuggy(QV7_Buggy& racer, int tutorialIndex, int opponent);
    static void BuildFromConfiguration(const BuggyPhysicsDefinition& definition,
                                       BuggyConfiguration& configuration, QV7_Buggy& racer);
    // A driver for the racer with its budgets filled from the model and the
    // parts (item objects); a tutorial's player in lessons 0 and 1 gets no turbo.
    static void AttachPlayerController(QV7_Buggy& racer,
                                       const std::vector<const QV7_DataBase_MeshObject*>& parts,
                                       bool noTurbo);
    static void AttachAIController(QV7_Buggy& racer,
                                   const std::vector<const QV7_DataBase_MeshObject*>& parts);
    // The upgrade steps below an item (its chain count) and its slot level (at most 2).
    static int ChainCount(const QV7_DataBase_MeshObject* item);
    static int SlotLevel(const QV7_DataBase_MeshObject* item);

    static void BuildFromDefinition(const BuggyPhysicsDefinition& definition,
                                    BuggyConfiguration* configuration, QV7_Buggy& racer);

    // The reference body (the ninth): its position is the racer's; null when
    // the racer has fewer bodies.
    dBodyID ChassisBody() const { return bodies.size() > 8 ? bodies[8] : nullptr; }
    // The driver of the racer's controller kind; null for any other kind.
    QV7_DriveController* Controller() const;
    // The racer's joints go with their group; the physics group calls this
    // before it destroys the world.
    void DestroyJointGroup();

    CheckpointRecord* currentCheckpoint = nullptr;
    int alternativeMarker = 0;
    int wrongCheckpoint = 0;
    float bestLap = 0.0f; // 0: no lap finished yet
    float currentLapTime = 0.0f;
    float totalTime = 0.0f;
    int indexInGroup = 0; // 0 the player, 1-5 opponents
    int serial = 0;
    int modelIndex = -1;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f}; // render units
    D3DXVECTOR3 previousPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 positionHistory[3] = {}; // newest, previous, oldest
    // Set by every placement; cleared by the physics step (teleporters skip a just-placed racer).
    int justPlaced = 1;
    std::vector<dBodyID> bodies;
    std::vector<dJointID> joints;
    dJointGroupID jointGroup = nullptr;
    std::vector<dGeomID> geoms;
    // The bodies of parts 2, 3 (rear wheels) and 0, 1 (front wheels).
    dBodyID rearWheelBodies[2] = {};
    dBodyID frontWheelBodies[2] = {};
    // The first two hinge-2 joints with an axis-2 velocity (and not steered),
    // and the first two with an axis-1 low stop.
    dJointID drivenJoints[2] = {};
    dJointID steeredJoints[2] = {};
    // Definitions of parts 2, 3, 0, 1 in that order.
    PhysicsBodyDef* partDefinitions[4] = {};
    // Body of the last definition whose part index is the last definition's:
    // attachments are placed from it.
    dBodyID lastPartBody = nullptr;
    // Exhaust tips ("uitlaat", else "uit1"; "uit2") and the effect origin, in the clone.
    const PhysicsNameRecord* exhaustMarker = nullptr;
    const PhysicsNameRecord* secondExhaustMarker = nullptr;
    const PhysicsNameRecord* effectMarker = nullptr;

    // Contact state of one step, reset by the physics step, written by the near callback.
    int noContact = 1;
    int noGroundContact = 1;
    int noObjectContact = 1;
    // Like noGroundContact for the front (parts 0, 1) and rear (parts 2, 3) wheels; for wheel dust.
    int noGroundFront = 1;
    int noGroundRear = 1;
    int cleanContact = 0;
    int groundContact = 0;
    int restingContact = 0;
    int objectCollision = 0;
    dGeomID lastCollisionGeom = nullptr;
    float lastCollisionTimer = 0.0f; // ms
    int crashReported = 0;
    D3DXVECTOR3 collisionPoint{0.0f, 0.0f, 0.0f}; // ODE units
    int buggyHit = 0;

    // Steps in a row without each kind of contact, and the flags raised after
    // more than four: no contact at all (the drivers' "airborne"), no ground,
    // no object, and no ground under the front or the rear pair.
    int noContactSteps = 0;
    int noGroundSteps = 0;
    int noObjectSteps = 0;
    int noGroundFrontSteps = 0;
    int noGroundRearSteps = 0;
    int airborne = 0;
    int airborneNoGround = 0;
    int airborneNoObject = 0;
    int airborneFront = 0;
    int airborneRear = 0;
    // Climbs while resting on objects, falls on bare ground (0-4).
    int contactLevel = 0;
    // Carried by moving scenery this frame (the player's racer only).
    int carried = 0;
    // Set while the buggy is wrecked: drawn black, without figure or weapon.
    int wrecked = 0;
    // The splashing sound of its wheels in the water, made on first use.
    SoundInstance* waterSound = nullptr;

    QV7_PhysicsGroup* ownerGroup = nullptr;
    BuggyPhysicsDefinition* physicsDefinition = nullptr; // the racer's own clone, owned
    BuggyConfiguration* configuration = nullptr;         // null for a tutorial build
    const QV7_DataBase_MeshObject* modelItem = nullptr;
    QV7_Collection<MountedPart> parts; // mounted by a tutorial build
    EquipmentSlots equipment;
    // Mount transforms of the weapons of slots 1-5.
    D3DXMATRIX weaponMounts[5];
    // While set, the wheels get no slip; released by throttle, reverse or turbo.
    int placementHold = 1;
    float barrelAngle = 0.0f;
    int controllerKind = CONTROLLER_PLAYER;
    QV7_PlayerController* playerController = nullptr; // owned
    QV7_AIController* computerController = nullptr;   // owned
    float sinceCheckpointMs = 0.0f;
    int lapCounter = 1;
    int checkpointsPassed = 0;
    float distanceToNext = 0.0f;

    // The ammunition in use (the profile's record, or ownAmmo in a tutorial),
    // the counts at the start, restored on the grid, and the counts the HUD's
    // bars are scaled by.
    int32_t* ammo = nullptr;
    int32_t ammoStart[4] = {};
    int32_t ownAmmo[4] = {};
    int32_t ammoFullScale[4] = {};
    // The seated driver, bound when the racer joins the race.
    DriverAnimation driverAnimation;

    // 1 = leading; every racer's, once a frame before the drivers drive.
    int racePosition = 0;
    QV7_BuggyWeapons weapons;

  private:
    void FillFromOwned(const QV7_Collection<MountedPart>& owned, bool ownList);
    void DropUnfitWeapons();
    void BuildBody(PhysicsBodyDef& definition, bool lastPart);
    void BuildJoint(int32_t kind, void* record);
    void FindWheelRoles(dJointID joint, const TwoAxisJointDef& definition);
    // Flags and timer reset, bodies placed; returns the render position.
    D3DXVECTOR3 Place(const D3DXVECTOR3& position, const D3DXVECTOR3& offset, float yaw);
    // Every body at its definition's centre turned by R, P added (ODE units), at rest.
    void PlaceBodies(const D3DXMATRIX& rotation, const D3DXVECTOR3& odePosition);
    D3DXVECTOR3 DefinitionCentre(int bodyIndex) const;
    int DefinitionBodyCount() const;
};
