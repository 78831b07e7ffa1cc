// The GLSL of the fixed-function emulation: one vertex and one fragment
// "ubershader" that read the normalised state block (GlFixedFunction.h) from
// uniforms and branch on it, so every combination of Direct3D's fixed-function
// states runs through the same program. Written from Direct3D 9's documented
// formulas for transform, lighting, texture-coordinate generation, texture
// stage blending, fog and alpha testing.
//
// Also the wrapper that adapts an effect's vertex shader (written for
// Direct3D's clip space) to OpenGL's, and the attribute names both share.
#pragma once

namespace gfx::gl
{
extern const char* const kFixedVertexShader;
extern const char* const kFixedFragmentShader;
// Put before an effect's vertex source: renames its main.
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
    kAttributeTexCoord0 = 5, // to kAttributeTexCoord0 + 7
    kAttributeCount = 13
};
extern const char* const kAttributeNames[kAttributeCount];
} // namespace gfx::gl
