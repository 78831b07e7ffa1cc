// ReadMeshObjectBlock: one mesh object block from a data file into a
// MeshObject or LodMeshObject, converted to the owner's vertex format, sorted
// by attribute so that each subset is one contiguous range, with managed
// buffers that outlive a device reset. Each owner reads with its own
// identity: the lines it logs and the source named when the block is refused.
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstdint>
#include <string>

class BinaryReader;
class LodMeshObject;
class MeshObject;
class QV7_TextureList;

struct MeshReaderIdentity
{
    std::string startLine; // logged before the block is read
    std::string cloneLine; // logged when the mesh cannot be made in the owner's format
    std::string source;    // module and line of the error details
    int line = 0;
    std::string doneLine; // logged after a good read ("" logs nothing)
    // Static objects refuse a block whose subsets are not all used.
    bool requireEverySubsetUsed = false;
    int subsetMismatchLine = 0;
    // The owner's id replaces the block's (the figure database's meshes).
    bool overrideId = false;
    uint32_t id = 0;
};

// The owners' identities.
MeshReaderIdentity StaticObjectsMeshReader(int meshIndex);
MeshReaderIdentity TreesMeshReader();
MeshReaderIdentity PathFollowingMeshReader();
MeshReaderIdentity MapsSortMeshReader();
MeshReaderIdentity ZephyrionItemsMeshReader(int meshIndex);
MeshReaderIdentity LodObjectsMeshReader(uint32_t id);

// Reads one block at the file's position, leaving the file after its last
// material; textures resolve by compile id in textures (null: none resolve).
// A broken block logs what is wrong, the broken-file line and the error
// details, then throws CDException; a mesh that cannot be made logs the
// identity's clone line and the details and throws. On a throw the object is
// left released (empty). Any earlier content of the object is released first.
void ReadMeshObjectBlock(BinaryReader& file, MeshObject& object, DWORD ownerFvf, IDirect3DDevice9* device,
                         const QV7_TextureList* textures, const MeshReaderIdentity& identity);
// The same, keeping the system-memory mesh and filling a pose per subset.
void ReadMeshObjectBlock(BinaryReader& file, LodMeshObject& object, DWORD ownerFvf, IDirect3DDevice9* device,
                         const QV7_TextureList* textures, const MeshReaderIdentity& identity);
