// Conversions between ODE's rotations (3 x 4, row-major, a padding column)
// and the renderer's 4 x 4 row-vector matrices, and the single-precision
// square root distances are measured with. ODE's dReal is double in the
// build we link; the conversions go through it and 32-bit floats explicitly.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <ode/ode.h>

// Destination's upper-left 3 x 3 = the transpose of the source's; _14, _24
// and _34 = 0; the fourth row is left as it was.
void OdeRotationToMatrix(D3DXMATRIX* destination, const dMatrix3 source);
// The inverse of OdeRotationToMatrix; the source's padding entries are kept.
void MatrixToOdeRotation(const D3DXMATRIX* source, dMatrix3 destination);
// Computed in double precision and rounded to float.
float SqrtF(float value);
