// Our form of the "compiled effect bytes": a small text that describes an
// effect's named parameters and its techniques, each a list of passes with
// the render states the pass sets and its GLSL. The effect registry creates
// effects from these bytes exactly where the game created them from compiled
// effect binaries.
//
//   qv7-effect 1
//   param matrix g_mProj            (matrix, matrix[N], float, float[N], vector, int, texture)
//   technique RenderScene
//   pass P0
//   state ZWRITEENABLE 1            (a render-state name without D3DRS_, or its number)
//   sampler 0 g_txShadow            (stage 0 takes the texture parameter g_txShadow)
//   stage 1 OverlayTexture          (GLSL sampler OverlayTexture reads stage 1 as the device has it)
//   vertex                          (GLSL lines up to "endvertex")
//   ...
//   endvertex
//   fragment                        (GLSL lines up to "endfragment")
//   ...
//   endfragment
//
// Blank lines and lines starting with '#' outside the GLSL are ignored.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace d3dx
{
enum class ParameterType
{
    Float,
    Vector,
    Matrix,
    Int,
    Texture
};

struct ParameterDescription
{
    std::string name;
    ParameterType type = ParameterType::Float;
    // Array length; 1 for a single value.
    int count = 1;
    // Floats (or ints) one element holds.
    int Components() const;
};

struct PassDescription
{
    std::string name;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    std::vector<std::pair<DWORD, std::string>> samplers;
    // Sampler uniforms that read a stage's texture as the device holds it
    // (set by the renderer with SetTexture, not through the effect).
    std::vector<std::pair<DWORD, std::string>> stageSamplers;
    std::string vertexSource;
    std::string fragmentSource;
};

struct TechniqueDescription
{
    std::string name;
    std::vector<PassDescription> passes;
};

struct EffectDescription
{
    std::vector<ParameterDescription> parameters;
    std::vector<TechniqueDescription> techniques;

    const ParameterDescription* FindParameter(std::string_view name) const;
    const TechniqueDescription* FindTechnique(std::string_view name) const;
};

// False with a reason in *error when the bytes are not a valid description.
bool ParseEffectDescription(const void* bytes, size_t size, EffectDescription& description, std::string* error);
// The text form of a description (what ParseEffectDescription reads).
std::string WriteEffectDescription(const EffectDescription& description);
} // namespace d3dx
