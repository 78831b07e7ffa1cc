// Parsing and checking one mesh object block.
#include "world/MeshObjectBlock.h"

#include "platform/d3dx/D3DXMesh.h"
#include "platform/d3dx/FvfLayout.h"
#include "platform/io/BinaryReader.h"

#include <cstdarg>
#include <cstdio>

namespace
{
std::string Problem(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Problem(const char* format, ...)
{
    char text[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Bytes a block needs after its header for F faces and V vertices, up to
// and including the material count.
uint64_t GeometryBytes(uint64_t faces, uint64_t vertices)
{
    return vertices * MESH_VERTEX_SIZE + faces * (6 + 4 + 12) + 4 + 4;
}

std::string ReadHeader(BinaryReader& file, MeshObjectBlock& block, uint32_t& faces, uint32_t& vertices)
{
    block.id = file.ReadUInt32();
    block.fvf = file.ReadUInt32();
    block.reserved = file.ReadUInt32();
    faces = file.ReadUInt32();
    vertices = file.ReadUInt32();
    if (file.Failed())
        return "the header is cut short";
    if (D3DXGetFVFVertexSize(block.fvf) != MESH_VERTEX_SIZE)
        return Problem("vertex format %u does not describe 32-byte vertices", block.fvf);
    if (vertices > MESH_MAX_VERTICES)
        return Problem("%u vertices are more than 16-bit indices reach", vertices);
    if (GeometryBytes(faces, vertices) > file.Remaining())
        return Problem("%u faces and %u vertices need more than the %zu bytes left", faces, vertices,
                       file.Remaining());
    return {};
}

std::string ReadFaces(BinaryReader& file, MeshObjectBlock& block, uint32_t faces)
{
    block.indices.resize(size_t(faces) * 3);
    for (uint16_t& index : block.indices)
        index = file.ReadUInt16();
    block.attributes.resize(faces);
    for (uint32_t& attribute : block.attributes)
        attribute = file.ReadUInt32();
    if (file.Failed())
        return "the faces are cut short";
    for (size_t i = 0; i < block.indices.size(); ++i)
        if (block.indices[i] >= block.VertexCount())
            return Problem("face %zu uses vertex %u of %u", i / 3, block.indices[i], block.VertexCount());
    return {};
}

std::string ReadAdjacency(BinaryReader& file, MeshObjectBlock& block)
{
    const uint32_t bytes = file.ReadUInt32();
    if (file.Failed())
        return "the adjacency size is cut short";
    if (uint64_t(bytes) != uint64_t(block.FaceCount()) * 12)
        return Problem("%u bytes of adjacency for %u faces", bytes, block.FaceCount());
    block.adjacency.resize(size_t(block.FaceCount()) * 3);
    for (uint32_t& neighbour : block.adjacency)
        neighbour = file.ReadUInt32();
    if (file.Failed())
        return "the adjacency is cut short";
    for (size_t i = 0; i < block.adjacency.size(); ++i)
        if (block.adjacency[i] != D3DX_NO_ADJACENCY && block.adjacency[i] >= block.FaceCount())
            return Problem("face %zu names face %u of %u as its neighbour", i / 3, block.adjacency[i],
                           block.FaceCount());
    return {};
}

void ReadMaterial(BinaryReader& file, MeshMaterialRecord& record)
{
    float* colours[] = {&record.material.Diffuse.r, &record.material.Ambient.r, &record.material.Specular.r,
                        &record.material.Emissive.r};
    for (float* colour : colours)
        for (int c = 0; c < 4; ++c)
            colour[c] = file.ReadFloat();
    record.material.Power = file.ReadFloat();
    record.texture0Id = file.ReadUInt32();
    record.texture1Id = file.ReadUInt32();
    for (uint32_t& word : record.words)
        word = file.ReadUInt32();
}

std::string ReadMaterials(BinaryReader& file, MeshObjectBlock& block)
{
    const uint32_t count = file.ReadUInt32();
    if (file.Failed())
        return "the material count is cut short";
    if (uint64_t(count) * MESH_MATERIAL_RECORD_SIZE > file.Remaining())
        return Problem("%u materials need more than the %zu bytes left", count, file.Remaining());
    block.materials.resize(count);
    for (MeshMaterialRecord& record : block.materials)
        ReadMaterial(file, record);
    if (file.Failed())
        return "the materials are cut short";
    for (uint32_t f = 0; f < block.FaceCount(); ++f)
        if (block.attributes[f] >= count)
            return Problem("face %u has attribute %u of %u materials", f, block.attributes[f], count);
    return {};
}
} // namespace

std::string ParseMeshObjectBlock(BinaryReader& file, MeshObjectBlock& block)
{
    block = MeshObjectBlock();
    uint32_t faces = 0, vertices = 0;
    std::string problem = ReadHeader(file, block, faces, vertices);
    if (problem.empty())
    {
        block.vertices.resize(vertices);
        if (!file.ReadBytes(block.vertices.data(), size_t(vertices) * MESH_VERTEX_SIZE))
            problem = "the vertices are cut short";
    }
    if (problem.empty())
        problem = ReadFaces(file, block, faces);
    if (problem.empty())
        problem = ReadAdjacency(file, block);
    if (problem.empty())
        problem = ReadMaterials(file, block);
    if (!problem.empty())
        block = MeshObjectBlock();
    return problem;
}
