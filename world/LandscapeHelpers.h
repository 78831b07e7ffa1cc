// Helpers the landscape shares with the other world renderers: the map's fog
// applied the one way they all apply it, the inward-spiralling strip that
// draws a 17 by 17 grid (the land's tiles and the water grid), the triangle
// normal of the height field and a float floor.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <cmath>
#include <cstdint>

// Sets the eight fog states from the landscape's fog block through the
// render-state cache. The vertex and table modes go in the order that never
// leaves both on at once. Nothing without a landscape or a cache.
void ApplyLandscapeFog();

// 576 indices of a strip over 17 by 17 vertices (vertex (row, column) is
// row * 17 + column): 574 triangles, 62 of them degenerate at the turns,
// two for each of the 256 cells.
void BuildSpiralStrip(uint16_t* indices);

// out = normalize((c - a) x (b - a)): the upward normal of a height-field
// triangle; b and c are left relative to a. Inline: a map load takes a
// million of them.
inline void ComputeTriangleNormal(const D3DXVECTOR3& a, D3DXVECTOR3& b, D3DXVECTOR3& c, D3DXVECTOR3& out)
{
    b -= a;
    c -= a;
    const D3DXVECTOR3 cross(c.y * b.z - c.z * b.y, c.z * b.x - c.x * b.z, c.x * b.y - c.y * b.x);
    const float length = std::sqrt(cross.x * cross.x + cross.y * cross.y + cross.z * cross.z);
    out = length == 0.0f ? D3DXVECTOR3(0.0f, 0.0f, 0.0f) : cross / length;
}

float FloorF(float value);
