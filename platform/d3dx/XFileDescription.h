// What a text .x file holds, as plain records: the frame tree with its meshes
// (positions, per-vertex normals and texture coordinates, triangles with a
// material each, materials, skin weights) and the animation sets. The parser
// fills it from a file and the project's .x writer writes it back, so both
// sides of the format are built from the same fields.
//
// Conventions kept exactly as the file stores them: matrices are row-vector
// (translation in the last row); a rotation key holds the quaternion the file
// writes, (w, x, y, z) in the file, whose CONJUGATE is the frame's rotation as
// D3DXMatrixRotationQuaternion builds it (the convention exporters share).
// Key times are in ticks; ticksPerSecond 0 means the file gives none (the
// loader then uses 4800).
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <array>
#include <string>
#include <vector>

namespace d3dx
{
struct XMaterial
{
    D3DXCOLOR faceColour{1.0f, 1.0f, 1.0f, 1.0f};
    float power = 0.0f;
    D3DXVECTOR3 specular{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 emissive{0.0f, 0.0f, 0.0f};
    std::string textureFile; // empty: no TextureFilename
};

// One bone's influence on a mesh: the vertices it moves and by how much, and
// the matrix taking mesh space to the bone's space in the bind pose.
struct XSkinWeights
{
    std::string boneName;
    std::vector<DWORD> vertices;
    std::vector<float> weights;
    D3DXMATRIX offset;
};

struct XMesh
{
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::array<DWORD, 3>> faces; // triangles; polygons of the file are fanned
    std::vector<D3DXVECTOR3> normals;        // one per vertex, or empty
    std::vector<D3DXVECTOR2> texCoords;      // one per vertex, or empty
    std::vector<DWORD> faceMaterials;        // one per face, or empty (all material 0)
    std::vector<XMaterial> materials;
    std::vector<XSkinWeights> skin;
};

struct XFrame
{
    std::string name;
    D3DXMATRIX transform;
    std::vector<XMesh> meshes;
    std::vector<XFrame> children;
};

struct XVectorKey
{
    DWORD tick;
    D3DXVECTOR3 value;
};

struct XRotationKey
{
    DWORD tick;
    D3DXQUATERNION value; // as stored: the conjugate of the frame's rotation
};

struct XMatrixKey
{
    DWORD tick;
    D3DXMATRIX value;
};

// The keys of one frame within an animation set.
struct XAnimation
{
    std::string frameName;
    std::vector<XRotationKey> rotations;
    std::vector<XVectorKey> scales;
    std::vector<XVectorKey> positions;
    std::vector<XMatrixKey> matrices;
};

struct XAnimationSet
{
    std::string name;
    std::vector<XAnimation> animations;
};

struct XFileDescription
{
    DWORD ticksPerSecond = 0;
    std::vector<XFrame> frames; // the roots, in file order
    std::vector<XAnimationSet> animationSets;
};

// The ticks per second a loader uses when the file gives none.
constexpr DWORD kDefaultTicksPerSecond = 4800;

// The stored form of a frame rotation (what a rotation key holds), and back.
inline D3DXQUATERNION StoredRotationKey(const D3DXQUATERNION& frameRotation)
{
    return {-frameRotation.x, -frameRotation.y, -frameRotation.z, frameRotation.w};
}
inline D3DXQUATERNION FrameRotationOfKey(const D3DXQUATERNION& stored)
{
    return {-stored.x, -stored.y, -stored.z, stored.w};
}
} // namespace d3dx
