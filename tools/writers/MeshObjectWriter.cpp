// Mesh object blocks from descriptions, and the two stock shapes.
#include "tools/writers/MeshObjectWriter.h"

#include "platform/d3dx/MeshAdjacency.h"
#include "platform/io/BinaryWriter.h"

namespace
{
void WriteVector(BinaryWriter& file, const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        file.WriteFloat(values[i]);
}

void WriteMaterial(BinaryWriter& file, const MeshMaterialRecord& record)
{
    const D3DMATERIAL9& m = record.material;
    for (const D3DCOLORVALUE* colour : {&m.Diffuse, &m.Ambient, &m.Specular, &m.Emissive})
        WriteVector(file, &colour->r, 4);
    file.WriteFloat(m.Power);
    file.WriteUInt32(record.texture0Id);
    file.WriteUInt32(record.texture1Id);
    for (uint32_t word : record.words)
        file.WriteUInt32(word);
}

MeshVertex Vertex(const D3DXVECTOR3& p, const D3DXVECTOR3& n, float u, float v)
{
    return {{p.x, p.y, p.z}, {n.x, n.y, n.z}, {u, v}};
}

// Two faces over a quad a b c d (in order round its edge), wound so that they
// face along the quad's normal.
void AddQuad(MeshObjectDescription& mesh, const D3DXVECTOR3 (&corner)[4], const D3DXVECTOR3& normal)
{
    const uint16_t base = uint16_t(mesh.vertices.size());
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
        mesh.vertices.push_back(Vertex(corner[i], normal, uv[i][0], uv[i][1]));
    D3DXVECTOR3 e1 = corner[1] - corner[0], e2 = corner[2] - corner[0], cross;
    D3DXVec3Cross(&cross, &e1, &e2);
    const bool outward = D3DXVec3Dot(&cross, &normal) > 0.0f;
    const uint16_t b = outward ? 1 : 3, d = outward ? 3 : 1;
    mesh.faces.push_back({base, uint16_t(base + b), uint16_t(base + 2), 0});
    mesh.faces.push_back({base, uint16_t(base + 2), uint16_t(base + d), 0});
}

void AddTriangle(MeshObjectDescription& mesh, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                 const D3DXVECTOR3& c, const D3DXVECTOR3& outside)
{
    D3DXVECTOR3 e1 = b - a, e2 = c - a, normal;
    D3DXVec3Cross(&normal, &e1, &e2);
    const D3DXVECTOR3 centre = (a + b + c) / 3.0f - outside;
    const bool outward = D3DXVec3Dot(&normal, &centre) > 0.0f;
    if (!outward)
        normal = -normal;
    D3DXVec3Normalize(&normal, &normal);
    const uint16_t base = uint16_t(mesh.vertices.size());
    mesh.vertices.push_back(Vertex(a, normal, 0.5f, 0.0f));
    mesh.vertices.push_back(Vertex(b, normal, 0.0f, 1.0f));
    mesh.vertices.push_back(Vertex(c, normal, 1.0f, 1.0f));
    mesh.faces.push_back({base, uint16_t(base + (outward ? 1 : 2)), uint16_t(base + (outward ? 2 : 1)), 0});
}

// The six sides of an axis-aligned box from lo to hi.
void AddBox(MeshObjectDescription& mesh, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi)
{
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side)
        {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            D3DXVECTOR3 normal(0, 0, 0), corner[4];
            float* n = &normal.x;
            n[axis] = side ? 1.0f : -1.0f;
            const float steps[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int i = 0; i < 4; ++i)
            {
                float* p = &corner[i].x;
                p[axis] = side ? (&hi.x)[axis] : (&lo.x)[axis];
                p[u] = steps[i][0] ? (&hi.x)[u] : (&lo.x)[u];
                p[v] = steps[i][1] ? (&hi.x)[v] : (&lo.x)[v];
            }
            AddQuad(mesh, corner, normal);
        }
}

MeshObjectDescription SingleMaterial(uint32_t textureId, uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials.resize(1);
    mesh.materials[0].texture0Id = textureId;
    return mesh;
}
} // namespace

MeshObjectMaterial::MeshObjectMaterial()
    : material{{1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, 0.0f},
      words{D3DCULL_CCW, 1, 0, 0, 0, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}
{
}

MeshObjectBlock BuildMeshObjectBlock(const MeshObjectDescription& description)
{
    MeshObjectBlock block;
    block.id = description.id;
    block.vertices = description.vertices;
    for (const MeshObjectFace& face : description.faces)
    {
        block.indices.insert(block.indices.end(), {face.a, face.b, face.c});
        block.attributes.push_back(face.subset);
    }
    const std::vector<uint32_t> indices(block.indices.begin(), block.indices.end());
    block.adjacency = d3dx::GenerateAdjacency(reinterpret_cast<const uint8_t*>(block.vertices.data()),
                                              MESH_VERTEX_SIZE, block.VertexCount(), indices, 0.0f);
    for (const MeshObjectMaterial& material : description.materials)
        block.materials.push_back(
            {material.material, material.texture0Id, material.texture1Id, material.words});
    return block;
}

void WriteMeshObjectBlock(BinaryWriter& file, const MeshObjectDescription& description)
{
    WriteMeshObjectBlock(file, BuildMeshObjectBlock(description));
}

void WriteMeshObjectBlock(BinaryWriter& file, const MeshObjectBlock& block)
{
    file.WriteUInt32(block.id);
    file.WriteUInt32(block.fvf);
    file.WriteUInt32(block.reserved);
    file.WriteUInt32(uint32_t(block.attributes.size()));
    file.WriteUInt32(uint32_t(block.vertices.size()));
    for (const MeshVertex& vertex : block.vertices)
    {
        WriteVector(file, vertex.position, 3);
        WriteVector(file, vertex.normal, 3);
        WriteVector(file, vertex.uv, 2);
    }
    for (uint16_t index : block.indices)
        file.WriteUInt16(index);
    for (uint32_t attribute : block.attributes)
        file.WriteUInt32(attribute);
    file.WriteUInt32(uint32_t(block.adjacency.size() * 4));
    for (uint32_t neighbour : block.adjacency)
        file.WriteUInt32(neighbour);
    file.WriteUInt32(uint32_t(block.materials.size()));
    for (const MeshMaterialRecord& record : block.materials)
        WriteMaterial(file, record);
}

size_t MeshObjectBlockSize(const MeshObjectBlock& block)
{
    return MESH_BLOCK_HEADER_SIZE + block.vertices.size() * MESH_VERTEX_SIZE + block.indices.size() * 2 +
           block.attributes.size() * 4 + 4 + block.adjacency.size() * 4 + 4 +
           block.materials.size() * MESH_MATERIAL_RECORD_SIZE;
}

MeshObjectBounds ComputeMeshObjectBounds(const MeshObjectDescription& description)
{
    MeshObjectBounds bounds{{0, 0, 0}, 0.0f, {0, 0, 0}, {0, 0, 0}};
    if (description.vertices.empty())
        return bounds;
    const auto* first = reinterpret_cast<const D3DXVECTOR3*>(description.vertices[0].position);
    const DWORD count = DWORD(description.vertices.size());
    D3DXComputeBoundingSphere(first, count, MESH_VERTEX_SIZE, &bounds.sphereCentre, &bounds.sphereRadius);
    D3DXComputeBoundingBox(first, count, MESH_VERTEX_SIZE, &bounds.boxMin, &bounds.boxMax);
    return bounds;
}

MeshObjectDescription MakeBoxMesh(const D3DXVECTOR3& halfSize, uint32_t textureId, uint32_t id)
{
    MeshObjectDescription mesh = SingleMaterial(textureId, id);
    AddBox(mesh, -halfSize, halfSize);
    return mesh;
}

MeshObjectDescription MakeArrowMesh(float length, float width, uint32_t textureId, uint32_t id)
{
    MeshObjectDescription mesh = SingleMaterial(textureId, id);
    const float head = length * 0.4f, half = width * 0.5f;
    AddBox(mesh, D3DXVECTOR3(-half, head, -half), D3DXVECTOR3(half, length, half));
    const D3DXVECTOR3 tip(0, 0, 0), centre(0, head * 0.5f, 0);
    const D3DXVECTOR3 base[4] = {
        {-width, head, -width}, {width, head, -width}, {width, head, width}, {-width, head, width}};
    for (int i = 0; i < 4; ++i)
        AddTriangle(mesh, tip, base[i], base[(i + 1) % 4], centre);
    AddQuad(mesh, base, D3DXVECTOR3(0, 1, 0));
    return mesh;
}
