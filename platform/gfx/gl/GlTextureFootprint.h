// Whether anisotropic filtering can make any difference to a screen-space
// draw. Anisotropic filtering only differs from trilinear filtering where a
// pixel covers texels further in one direction than in another; a 2D page or
// sprite drawn at the same scale across and down (turned or mirrored or not)
// covers a circle of texels, and Direct3D then takes one trilinear probe. A
// software rasteriser's anisotropic filter costs several times a trilinear
// one per pixel and gives such a pixel nothing, so those draws are filtered
// trilinearly.
#pragma once

#include "platform/gfx/D3D9Types.h"

namespace gfx::gl
{
// Pre-transformed (D3DFVF_XYZRHW) vertices of a non-indexed draw: true when
// every triangle maps texture coordinate set `set`, in texels of a width x
// height texture, to its pixels by one scale in every direction (within 1 %)
// at one depth (equal rhw). Anything else (other vertex layouts, points,
// lines, a perspective triangle, a missing set) is answered false.
bool IsotropicFootprint(const void* vertices, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type,
                        UINT primitiveCount, DWORD set, UINT width, UINT height);
} // namespace gfx::gl
