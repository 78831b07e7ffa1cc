// Carrying a racer's bodies and the chase camera with moving scenery.
#include "race/PathCarryRacer.h"

#include "race/QV7_Rotation.h"

namespace
{
constexpr float kRenderUnitsPerOdeUnit = 200.0f;
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
