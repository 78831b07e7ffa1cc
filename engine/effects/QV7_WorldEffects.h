// The GLSL of the island's small-scale effects: "Items" (the track items'
// camera-facing billboards), "BillBoards" and "FadingVegetation" (the fading
// vegetation) and "ShoreLines". Each fades or fogs by the parameters its
// renderer sets, and hands its colour to the device's after-shader fog and
// alpha test as Direct3D applies them.
#pragma once

#include <string>

const std::string& ItemsEffectSource();
const std::string& VegetationBillboardsEffectSource();
const std::string& FadingVegetationEffectSource();
const std::string& ShoreLinesEffectSource();
