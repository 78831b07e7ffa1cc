// The "ShadowMap" effect: RenderShadow writes each caster's distance along
// the light into the single-channel shadow texture; RenderScene darkens the
// receivers whose distance to the light is beyond what the texture holds.
#pragma once

#include <string>

// Effect description bytes (see platform/d3dx/EffectDescription.h).
const std::string& ShadowMapEffectSource();
