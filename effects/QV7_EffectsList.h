// One effect library of a race (the global Map-1.efx or the map's own): its
// effect meshes and templates, the billboard effect, declaration-equivalent
// stream layout and dynamic vertex buffer that draw them, and the lookups the
// live-effect manager binds templates with.
#pragma once

#include "effects/EffectMesh.h"
#include "effects/EffectTemplate.h"
#include "platform/d3dx/Effect.h"

#include <string>
#include <vector>

class BinaryReader;
class QV7_TextureList;
struct ShaderEntry;

// One billboard corner: offset in camera space, quad centre in world space,
// colour, texture coordinate (36 bytes).
struct BillboardVertex
{
    D3DXVECTOR3 corner;
    D3DXVECTOR3 centre;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(BillboardVertex) == 36);

// The billboard stream as a vertex format: the centre travels where a normal
// would, so the layout is exactly position, centre, colour, texture coordinate.
constexpr DWORD kBillboardFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr int kBillboardVertices = 10000;
constexpr int kBillboardSegment = 2500;
constexpr int kBillboardSegments = 4;

extern int g_billboardEffectCount;

class QV7_EffectsList
{
  public:
    QV7_EffectsList();
    ~QV7_EffectsList();
    QV7_EffectsList(const QV7_EffectsList&) = delete;
    QV7_EffectsList& operator=(const QV7_EffectsList&) = delete;

    // 1 releases the vertex buffer; anything else makes it again.
    void OnLostReset(int lost);
    // Reads a library file. A missing file throws unless emptyIfMissing (the
    // map's library may be absent); a broken one logs and throws CDException.
    void Load(const std::string& path, bool emptyIfMissing = false);
    // The same from bytes already in memory (tests, fuzzing, the dump tool).
    void Load(BinaryReader& file);

    EffectTemplate* FindTemplateById(int id) const;
    EffectTemplate* FindTemplateByName(const char* name) const;
    EffectMesh* FindMeshById(int id) const;

    // Draws a template's emitters, last to first, at the placement.
    void RenderTemplate(EffectTemplate* effect, const D3DXMATRIX& placement);

    QV7_Collection<EffectTemplate> m_Templates;
    ShaderEntry* m_Effect = nullptr;
    D3DXHANDLE m_Techniques[3] = {};
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    std::vector<BillboardVertex> m_Staging;
    QV7_Collection<EffectMesh> m_Meshes;
    DWORD m_MeshFvf = kEffectMeshFvf;
    const QV7_TextureList* m_Textures = nullptr;

  private:
    void CreateVertexBuffer();
    void ReadMeshes(BinaryReader& file);
    void ReadTemplates(BinaryReader& file);
};
