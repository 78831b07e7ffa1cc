// The one serialized rigid mesh every island file, database and effect
// library carries: a 20-byte header (id, vertex format, a spare word, face
// and vertex counts), 32-byte vertices, three 16-bit indices per face, one
// attribute id per face, the adjacency (byte count, then three u32 per face)
// and the materials (count, then 108 bytes each: the Direct3D material, two
// texture compile ids and the eight subset words). Little-endian, no magic.
// The block carries no length of its own; ParseMeshObjectBlock checks every
// count against the bytes left before it allocates, and every index and
// attribute id before anything uses them.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class BinaryReader;

// The vertex every block stores, whatever its format code says.
struct MeshVertex
{
    float position[3];
    float normal[3];
    float uv[2];
};
static_assert(sizeof(MeshVertex) == 32, "a block's vertex is 32 bytes");

// D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1: the blocks' format, and the one
// every owner converts its meshes to.
constexpr uint32_t MESH_OBJECT_FVF = 274;
constexpr uint32_t MESH_VERTEX_SIZE = 32;
constexpr uint32_t MESH_MATERIAL_RECORD_SIZE = 108;
constexpr uint32_t MESH_BLOCK_HEADER_SIZE = 20;
// 16-bit indices reach this many vertices.
constexpr uint32_t MESH_MAX_VERTICES = 65536;

// The eight per-subset words, by their place in the material record (byte
// 76 + 4 x word). Each renderer reads them with its own meaning: the world's
// blend word is a mode 0/1/2, the buggies write it as ALPHABLENDENABLE.
enum MeshSubsetWord
{
    MESH_WORD_CULLMODE = 0,    // D3DRS_CULLMODE: 1 none, 2 clockwise, 3 counter-clockwise
    MESH_WORD_MIPFILTER = 1,   // 1: linear mip filtering on the subset's samplers
    MESH_WORD_REFLECTION = 2,  // which reflection bias matrix (1 the first); no world renderer uses it
    MESH_WORD_ENVIRONMENT = 3, // 1: texture 1 is a reflection map (multi-stage combination)
    MESH_WORD_SPECULAR = 4,    // D3DRS_SPECULARENABLE
    MESH_WORD_BLEND = 5,       // 0 opaque, 1 blended, 2 alpha-tested and blended
    MESH_WORD_SRCBLEND = 6,    // D3DRS_SRCBLEND (a D3DBLEND value)
    MESH_WORD_DESTBLEND = 7,   // D3DRS_DESTBLEND
    MESH_WORD_COUNT = 8
};

// One material record: the material of subset i (attribute id i).
struct MeshMaterialRecord
{
    D3DMATERIAL9 material{};
    uint32_t texture0Id = 0; // the subset's texture
    uint32_t texture1Id = 0; // its environment (reflection) texture
    std::array<uint32_t, MESH_WORD_COUNT> words{};
};

// A whole block as the file holds it.
struct MeshObjectBlock
{
    uint32_t id = 0;
    uint32_t fvf = MESH_OBJECT_FVF;
    uint32_t reserved = 0;
    std::vector<MeshVertex> vertices;
    std::vector<uint16_t> indices;    // three per face
    std::vector<uint32_t> attributes; // one per face
    std::vector<uint32_t> adjacency;  // three per face
    std::vector<MeshMaterialRecord> materials;

    uint32_t FaceCount() const { return uint32_t(attributes.size()); }
    uint32_t VertexCount() const { return uint32_t(vertices.size()); }
};

// Reads one block at the file's position and leaves the file after its last
// material. Returns an empty string for a sound block, otherwise what is
// wrong with it (the file's position is then unspecified). A sound block has
// vertices of 32 bytes in its format, every index below V, every attribute id
// below M, adjacency of exactly three entries per face naming faces of the
// block (or none), and every count within the bytes left.
std::string ParseMeshObjectBlock(BinaryReader& file, MeshObjectBlock& block);
