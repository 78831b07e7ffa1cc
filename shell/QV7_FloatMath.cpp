// Single-precision trigonometry shared by the world, race and effect code.
#include "shell/QV7_FloatMath.h"

#include <cmath>

float SinF(float angle)
{
    return std::sin(angle);
}

float CosF(float angle)
{
    return std::cos(angle);
}
