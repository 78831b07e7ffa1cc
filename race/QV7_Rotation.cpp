// Rotation conversions and the float square root.
#include "race/QV7_Rotation.h"

#include <cmath>

void OdeRotationToMatrix(D3DXMATRIX* destination, const dMatrix3 source)
{
    // ODE row r, column c sits at source[4 * r + c]; our row i, column j takes ODE's (j, i).
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
            destination->m[i][j] = static_cast<float>(source[4 * j + i]);
        destination->m[i][3] = 0.0f;
    }
}

void MatrixToOdeRotation(const D3DXMATRIX* source, dMatrix3 destination)
{
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            destination[4 * i + j] = static_cast<dReal>(source->m[j][i]);
}

float SqrtF(float value)
{
    return static_cast<float>(std::sqrt(static_cast<double>(value)));
}
