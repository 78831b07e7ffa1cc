// One side of an axis-aligned box as a quad, for the writers and demo data
// that build figures from boxes: its corners run round the side and its
// triangles are wound so the outside is the front face under counter-clockwise
// culling.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <array>
#include <vector>

struct BoxSide
{
    // axis 0..2; side 0 is the low face on that axis, 1 the high one.
    BoxSide(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, int axis, int side);

    D3DXVECTOR3 corners[4];
    D3DXVECTOR3 outward;
};

// Appends the quad's two triangles; first is the index of corners[0].
void AddOutwardQuadFaces(std::vector<std::array<DWORD, 3>>& faces, DWORD first, const D3DXVECTOR3 corners[4],
                         const D3DXVECTOR3& outward);
