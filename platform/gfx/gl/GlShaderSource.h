// The GLSL of the fixed-function emulation: one vertex and one fragment
// shader body covering every combination of Direct3D's fixed-function states,
// written from Direct3D 9's documented formulas for transform, lighting,
// texture-coordinate generation, texture stage blending, fog and alpha
// testing. The body branches on the integer part of the normalised state
// block (GlFixedFunction.h); each program is built with those integers as
// constants (FixedShaderHeader), so the compiler drops every path the state
// does not use, and only values (matrices, colours, fog parameters) remain
// uniforms. A software rasteriser runs the fragment shader per pixel, where
// every branch the compiler cannot remove is paid for.
//
// Also the wrapper that adapts an effect's vertex shader (written for
// Direct3D's clip space) to OpenGL's, and the attribute names both share.
#pragma once

#include <string>

namespace gfx::gl
{
struct FixedFunctionKey;

// The bodies; each needs the header of its key before it.
extern const char* const kFixedVertexShader;
extern const char* const kFixedFragmentShader;
// Put before an effect's vertex source: renames its main.
// "#version" and the key's integers as constants, for the vertex or the fragment body.
std::string FixedShaderHeader(const FixedFunctionKey& key, bool fragment);
extern const char* const kEffectVertexPrologue;
// Put after it: the real main, converting gl_Position.
extern const char* const kEffectVertexEpilogue;
extern const char* const kEffectFragmentPrologue;

// Vertex attributes, by location.
enum Attribute
{
    kAttributePosition = 0,
    kAttributeNormal = 1,
    kAttributeDiffuse = 2,
    kAttributeSpecular = 3,
    kAttributePointSize = 4,
    kAttributeTexCoord0 = 5,     // to kAttributeTexCoord0 + 7
    kAttributeBlendWeight = 13,  // the explicit blend weights (up to four floats)
    kAttributeBlendIndices = 14, // four palette indices (LASTBETA formats), 0..255
    kAttributePosition1 = 15,    // a declaration's second position (shader draws only)
    kAttributeCount = 16
};
extern const char* const kAttributeNames[kAttributeCount];
} // namespace gfx::gl
