// The "Skinned" effect of the driver figures: indexed skinning with one to
// four influences per vertex (CurNumBones is influences - 1) over a palette
// of 26 matrices, lit per vertex in the figure's own space by lightDir and the
// colours I_a, I_d, I_s with the material's k_a, k_d, k_e and power n.
// Technique "t0" (and "t1", the same) has pass "p0", the figure textured from
// stage 0, and pass "p1", which also modulates by stage 1 and takes its alpha
// from there, dropping pixels whose alpha is below AlphaRef (0..255).
// Both passes cull counter-clockwise. The stage textures are the device's, as
// the renderer set them.
#pragma once

#include <string>

// Effect description bytes (see platform/d3dx/EffectDescription.h).
const std::string& SkinnedEffectSource();

// Palette matrices the effect holds.
constexpr int kSkinnedPaletteSize = 26;
