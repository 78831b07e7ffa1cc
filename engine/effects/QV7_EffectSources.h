// The effect bytes of the game's renderers: one effect description (our form
// of a compiled effect, see platform/d3dx/EffectDescription.h) per registry
// name, with the techniques and named parameters the renderers use. The GLSL
// of each pass is a plain textured, vertex-coloured placeholder until the
// renderer that uses the effect brings its own.
#pragma once

#include <string>
#include <vector>

struct EffectSource
{
    // The registry name; "Effect_Billboards_%d" stands for the numbered ones.
    const char* name;
    std::string bytes;
};

// Every effect, in the order of the renderers' table.
const std::vector<EffectSource>& EffectSources();
// The bytes for a registry name (numbered billboard effects included); null when unknown.
const std::string* FindEffectSource(const char* registryName);
// The intro movie's video effect, created by the movie player outside the
// registry: packed YUV to RGB, a blur, colour controls and a plain copy.
const std::string& VideoEffectSource();
