// Carrying a racer's bodies and the chase camera with moving scenery.
#include "race/PathCarryRacer.h"

#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Rotation.h"

namespace
{
constexpr float kRenderUnitsPerOdeUnit = 200.0f;
void (*s_ExtraCarry)(const PathCarry& carry) = nullptr;

QV7_Buggy* Player()
{
    return g_physicsGroup && g_physicsGroup->racers.count > 0 ? g_physicsGroup->racers.items[0] : nullptr;
}

bool PlayerPosition(D3DXVECTOR3* position)
{
    QV7_Buggy* player = Player();
    dBodyID body = player ? player->ChassisBody() : nullptr;
    if (!body)
        return false;
    const dReal* at = dBodyGetPosition(body);
    *position = D3DXVECTOR3(float(at[0]), float(at[1]), float(at[2])) * kRenderUnitsPerOdeUnit;
    return true;
}

void SetPlayerCarried(int carried)
{
    if (QV7_Buggy* player = Player())
        player->carried = carried;
}

void CarryPlayer(const PathCarry& carry)
{
    if (QV7_Buggy* player = Player())
        CarryBodies(player->bodies, carry);
    if (s_ExtraCarry)
        s_ExtraCarry(carry);
}

void SetSessionCarried(int carried)
{
    if (g_mapSystem)
        g_mapSystem->sceneryHold = carried;
}
} // namespace

void CarryBodies(const std::vector<dBodyID>& bodies, const PathCarry& carry)
{
    for (dBodyID body : bodies)
    {
        if (!body)
            continue;
        D3DXMATRIX orientation;
        D3DXMatrixIdentity(&orientation);
        OdeRotationToMatrix(&orientation, dBodyGetRotation(body));
        const D3DXMATRIX turned = carry.Orientation(orientation);
        dMatrix3 rotation;
        MatrixToOdeRotation(&turned, rotation);
        rotation[3] = rotation[7] = rotation[11] = 0;
        dBodySetRotation(body, rotation);
        const dReal* at = dBodyGetPosition(body);
        const D3DXVECTOR3 position(float(at[0]) * kRenderUnitsPerOdeUnit,
                                   float(at[1]) * kRenderUnitsPerOdeUnit,
                                   float(at[2]) * kRenderUnitsPerOdeUnit);
        const D3DXVECTOR3 moved = carry.Point(position) * kOdeUnitsPerRenderUnit;
        dBodySetPosition(body, moved.x, moved.y, moved.z);
    }
}

void CarryCameraPoints(D3DXVECTOR3& point, D3DXVECTOR3* history, int count, const PathCarry& carry)
{
    const D3DXVECTOR3 old = point;
    point = carry.Point(old);
    for (int i = 0; history && i < count; ++i)
        history[i] = carry.Point(history[i] + old) - point;
}

void InstallSessionPathHooks(void (*extraCarry)(const PathCarry& carry))
{
    s_ExtraCarry = extraCarry;
    QV7_PathFollowing::s_Hooks.playerPosition = &PlayerPosition;
    QV7_PathFollowing::s_Hooks.setPlayerCarried = &SetPlayerCarried;
    QV7_PathFollowing::s_Hooks.carry = &CarryPlayer;
    QV7_PathFollowing::s_Hooks.setSessionCarried = &SetSessionCarried;
}
