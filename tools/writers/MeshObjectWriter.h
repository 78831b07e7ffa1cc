// Writer of mesh object blocks, the rigid-mesh record that island files,
// the maps database, item and effect libraries embed. A description says
// what the mesh is (vertices, faces with their subset, materials); the
// writer adds what the block stores besides: the vertex format, the
// adjacency as a mesh generates it, three entries per face. Blocks come out
// compact and sound: every vertex used, every subset id below the material
// count. Tests that need a broken block edit a MeshObjectBlock and write it
// with the raw overload.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "world/MeshObjectBlock.h"

#include <array>
#include <cstdint>
#include <vector>

class BinaryWriter;

// One subset's material; the defaults draw an opaque, textured, back-face
// culled subset lit white.
struct MeshObjectMaterial
{
    MeshObjectMaterial();
    D3DMATERIAL9 material;
    uint32_t texture0Id = 0;
    uint32_t texture1Id = 0;
    // In file order, named by MeshSubsetWord.
    std::array<uint32_t, MESH_WORD_COUNT> words;
};

struct MeshObjectFace
{
    uint16_t a, b, c; // clockwise seen from outside: (b - a) x (c - a) points outwards
    uint32_t subset;  // its material
};

struct MeshObjectDescription
{
    uint32_t id = 0;
    std::vector<MeshVertex> vertices;
    std::vector<MeshObjectFace> faces;
    std::vector<MeshObjectMaterial> materials;
};

struct MeshObjectBounds
{
    D3DXVECTOR3 sphereCentre;
    float sphereRadius;
    D3DXVECTOR3 boxMin;
    D3DXVECTOR3 boxMax;
};

// The block the description stands for, adjacency included.
MeshObjectBlock BuildMeshObjectBlock(const MeshObjectDescription& description);
void WriteMeshObjectBlock(BinaryWriter& file, const MeshObjectDescription& description);
// Writes the block's fields as they are (counts from the vectors' sizes,
// adjacency byte count 4 x its entries).
void WriteMeshObjectBlock(BinaryWriter& file, const MeshObjectBlock& block);
// Bytes of the block WriteMeshObjectBlock writes.
size_t MeshObjectBlockSize(const MeshObjectBlock& block);

// The bounds a reader computes: box and sphere of the vertex positions.
MeshObjectBounds ComputeMeshObjectBounds(const MeshObjectDescription& description);

// A box centred on the origin, half its size each way, one material with
// the texture; four vertices per side with the side's normal.
MeshObjectDescription MakeBoxMesh(const D3DXVECTOR3& halfSize, uint32_t textureId, uint32_t id = 0);
// An arrow pointing down -y with its tip at the origin: a square shaft of
// the width and a pyramid head twice as wide, length in all; one material.
MeshObjectDescription MakeArrowMesh(float length, float width, uint32_t textureId, uint32_t id = 0);
