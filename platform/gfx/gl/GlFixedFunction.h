// The normalised state block of the fixed-function emulation: everything the
// ubershaders branch on, derived from the device's render, stage and sampler
// states, transforms, material and lights at each draw. Normalising (stages
// after the first disabled one cleared, material sources of absent vertex
// colours folded to the material, fog resolved to one mode) keeps equal
// pictures equal blocks, so a draw uploads uniforms only when the block
// changed.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace gfx::gl
{
struct FixedFunctionBlock
{
    // Vertex stage.
    int32_t vertexFlags[4];
    int32_t vertexFlags2[4];
    int32_t materialSource[4];
    int32_t lightFlags[4];
    int32_t stageCoords[4][4];
    int32_t texCoordSize[8];
    float worldView[16];
    float projection[16];
    float normalMatrix[9];
    float textureMatrix[4][16];
    float viewport[4];
    float fog[4];
    float materialDiffuse[4], materialAmbient[4], materialSpecular[4], materialEmissive[4];
    float materialPower;
    float globalAmbient[4];
    int32_t lightType[8][4];
    float lightDiffuse[8][4], lightSpecular[8][4], lightAmbient[8][4];
    float lightPosition[8][4], lightDirection[8][4], lightAttenuation[8][4], lightSpot[8][4];
    float clipPlane[6][4];
    int32_t clipPlaneCount;
    // Pixel stage.
    int32_t colourOp[4][4];
    int32_t alphaOp[4][4];
    int32_t stageFlags[4][4];
    float stageConstant[4][4];
    float bumpMatrix[4][4];
    float bumpLuminance[4][4];
    float textureFactor[4];
    int32_t pixelFlags[4];
    int32_t pixelFlags2[4];
    float fogColour[4];
    float fogTable[4];
};

// The integer part of a block: what selects the paths of the shaders (the
// alpha reference, a value, left out). Equal keys draw with the same program.
struct FixedFunctionKey
{
    int32_t vertexFlags[4];
    int32_t vertexFlags2[4];
    int32_t materialSource[4];
    int32_t lightFlags[4];
    int32_t stageCoords[4][4];
    int32_t texCoordSize[8];
    int32_t lightType[8];
    int32_t clipPlaneCount;
    int32_t colourOp[4][4];
    int32_t alphaOp[4][4];
    int32_t stageFlags[4][4];
    int32_t pixelFlags[4];
    int32_t pixelFlags2[4];

    explicit FixedFunctionKey(const FixedFunctionBlock& block);
    bool operator==(const FixedFunctionKey& other) const;
};

struct FixedFunctionKeyHash
{
    size_t operator()(const FixedFunctionKey& key) const;
};

// Direct3D's row-vector matrices as OpenGL reads them (column-major upload
// of the same memory), and what the block needs from them.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
bool Invert(const D3DMATRIX& m, D3DMATRIX& inverse);

// An unpacked D3DCOLOR as red, green, blue, alpha floats.
void ColourFloats(D3DCOLOR colour, float out[4]);
} // namespace gfx::gl
