// Float sine and cosine of an angle in radians, for the many animations and
// placements that work in single precision (the water, the cameras, the
// computer drivers, the checkpoints, the items and the effects).
#pragma once

float SinF(float angle);
float CosF(float angle);
