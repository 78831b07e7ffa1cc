#include "tools/writers/BoxSide.h"

BoxSide::BoxSide(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, int axis, int side) : outward(0.0f, 0.0f, 0.0f)
{
    (&outward.x)[axis] = side ? 1.0f : -1.0f;
    const int u = (axis + 1) % 3, v = (axis + 2) % 3;
    for (int i = 0; i < 4; ++i)
    {
        corners[i] = side ? hi : lo;
        (&corners[i].x)[u] = (i == 1 || i == 2) ? (&hi.x)[u] : (&lo.x)[u];
        (&corners[i].x)[v] = (i >= 2) ? (&hi.x)[v] : (&lo.x)[v];
    }
}

void AddOutwardQuadFaces(std::vector<std::array<DWORD, 3>>& faces, DWORD first, const D3DXVECTOR3 corners[4],
                         const D3DXVECTOR3& outward)
{
    // (b - a) x (c - a) points outwards: the front face under counter-clockwise culling.
    D3DXVECTOR3 e1 = corners[1] - corners[0], e2 = corners[2] - corners[0], n;
    D3DXVec3Cross(&n, &e1, &e2);
    if (D3DXVec3Dot(&n, &outward) > 0.0f)
    {
        faces.push_back({first, first + 1, first + 2});
        faces.push_back({first, first + 2, first + 3});
    }
    else
    {
        faces.push_back({first, first + 2, first + 1});
        faces.push_back({first, first + 3, first + 2});
    }
}
