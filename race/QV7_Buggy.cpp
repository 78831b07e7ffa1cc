// The racer record's life and its placements.
#include "race/QV7_Buggy.h"

#include "race/BuggyPhysicsDefinition.h"
#include "race/QV7_AIController.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Rotation.h"

int g_buggyCount = 0;

namespace
{
D3DXMATRIX YawRotation(float yaw)
{
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yaw + QV7_Buggy::kQuarterTurn, 0.0f, 0.0f);
    D3DXMATRIX rotation;
    D3DXMatrixRotationQuaternion(&rotation, &turn);
    return rotation;
}

const float* PrimitiveCentre(const PrimitiveRef& primitive)
{
    if (const CollisionBoxDef* box = primitive.Box())
        return box->centre;
    if (const CollisionSphereDef* sphere = primitive.Sphere())
        return sphere->centre;
    if (const CollisionCylinderDef* cylinder = primitive.Cylinder())
        return cylinder->centre;
    return nullptr;
}
} // namespace

QV7_Buggy::QV7_Buggy()
{
    serial = ++g_buggyCount;
    ammo = ownAmmo;
    weapons.owner = this;
    for (D3DXMATRIX& mount : weaponMounts)
        D3DXMatrixIdentity(&mount);
}

QV7_Buggy::~QV7_Buggy()
{
    DestroyJointGroup();
    --g_buggyCount;
    delete playerController;
    delete computerController;
    delete physicsDefinition;
}

void QV7_Buggy::DestroyJointGroup()
{
    if (jointGroup)
        dJointGroupDestroy(jointGroup);
    jointGroup = nullptr;
    joints.clear();
}

QV7_DriveController* QV7_Buggy::Controller() const
{
    if (controllerKind == CONTROLLER_PLAYER)
        return playerController;
    if (controllerKind == CONTROLLER_COMPUTER)
        return computerController;
    return nullptr;
}

D3DXVECTOR3 QV7_Buggy::Place(const D3DXVECTOR3& where, const D3DXVECTOR3& offset, float yaw)
{
    sinceCheckpointMs = 0.0f;
    justPlaced = placementHold = 1;
    const D3DXMATRIX rotation = YawRotation(yaw);
    D3DXVECTOR3 turned;
    D3DXVec3TransformCoord(&turned, &offset, &rotation);
    const D3DXVECTOR3 placed = where + turned;
    PlaceBodies(rotation, placed * kOdePerRender);
    return placed;
}

void QV7_Buggy::PlaceOnGrid(const D3DXVECTOR3& where, const D3DXVECTOR3& offset, float yaw)
{
    const D3DXVECTOR3 placed = Place(where, offset, yaw);
    if (DefinitionBodyCount() > 0)
        position = placed;
}

void QV7_Buggy::PlaceWithOffset(const D3DXVECTOR3& where, const D3DXVECTOR3& offset, float yaw)
{
    position = Place(where, offset, yaw);
}

void QV7_Buggy::PlaceAt(float x, float y, float z, float yaw)
{
    position = Place(D3DXVECTOR3(x, y, z), D3DXVECTOR3(0.0f, 0.0f, 0.0f), yaw);
}

int QV7_Buggy::DefinitionBodyCount() const
{
    return physicsDefinition ? physicsDefinition->bodies.count : 0;
}

D3DXVECTOR3 QV7_Buggy::DefinitionCentre(int bodyIndex) const
{
    // Primitives of an unknown kind count in the divisor but add nothing.
    const PhysicsBodyDef& body = *physicsDefinition->bodies.items[bodyIndex];
    D3DXVECTOR3 sum(0.0f, 0.0f, 0.0f);
    for (int p = 0; p < body.primitives.count; ++p)
        if (const float* centre = PrimitiveCentre(*body.primitives.items[p]))
            sum += D3DXVECTOR3(centre[0], centre[1], centre[2]);
    return body.primitives.count > 0 ? sum / float(body.primitives.count) : sum;
}

void QV7_Buggy::PlaceBodies(const D3DXMATRIX& rotation, const D3DXVECTOR3& odePosition)
{
    dMatrix3 odeRotation = {};
    MatrixToOdeRotation(&rotation, odeRotation);
    const int count = DefinitionBodyCount();
    for (int i = 0; i < count && size_t(i) < bodies.size(); ++i)
    {
        dBodyID body = bodies[size_t(i)];
        if (!body)
            continue;
        const D3DXVECTOR3 centre = DefinitionCentre(i);
        D3DXVECTOR3 turned;
        D3DXVec3TransformCoord(&turned, &centre, &rotation);
        const D3DXVECTOR3 at = turned * kOdePerModel + odePosition;
        dBodySetPosition(body, at.x, at.y, at.z);
        dBodySetRotation(body, odeRotation);
        dBodySetLinearVel(body, 0, 0, 0);
        dBodySetAngularVel(body, 0, 0, 0);
        dBodySetForce(body, 0, 0, 0);
        dBodySetTorque(body, 0, 0, 0);
    }
}
