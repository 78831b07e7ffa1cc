// The island's trees (MapT%d.trs): each tree type is one mesh with a
// billboard picture. A tree near the camera is drawn as its mesh; every tree
// of a type is also drawn as a camera-facing billboard from one static buffer
// through the "Trees" effect, whose shader hides the billboards of the near
// trees and picks the picture for the angle the tree is seen from. Loading
// also makes the static geoms of every trunk. The race session owns one;
// g_treeVegetation points to it.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/Effect.h"
#include "platform/d3dx/FvfLayout.h"
#include "world/MeshObject.h"
#include "world/SceneryShapes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BinaryReader;
class QV7_TextureList;
struct ShaderEntry;
struct TextureRecord;

struct TreeInstance
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f}; // yaw, pitch, roll
};

// A billboard corner: the offset from the tree's foot, the tree's position
// with its yaw, and the picture's coordinate in the atlas's first cell.
struct TreeBillboardVertex
{
    float corner[3];
    float tree[4]; // x, y, z, yaw in [-pi, pi]
    float uv[2];
};
static_assert(sizeof(TreeBillboardVertex) == 36, "a billboard vertex is 36 bytes");

struct TreeType
{
    ~TreeType();
    MeshObject mesh;
    float nearDistance = 0.0f;
    TextureRecord* billboardTexture = nullptr;
    float billboardSize = 0.0f; // half the width; the height is twice it
    float alphaReference = 0.0f;
    SceneryShapes shapes;
    std::vector<TreeInstance> trees;
    IDirect3DVertexBuffer9* billboards = nullptr;
};

class QV7_TreeVegetation
{
  public:
    static constexpr DWORD kFvf = 274;
    static constexpr UINT kBillboardBytesPerTree = 216;
    // The billboard's layout as a vertex format: the corner as the position,
    // the tree and its yaw as a four-float set, the picture as a two-float set.
    static constexpr DWORD kBillboardFvf =
        D3DFVF_XYZ | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE4(0) | D3DFVF_TEXCOORDSIZE2(1);
    static constexpr DWORD kAlphaRef = 112;

    // Makes the "Trees" effect when billboards are on.
    QV7_TreeVegetation();
    ~QV7_TreeVegetation();
    QV7_TreeVegetation(const QV7_TreeVegetation&) = delete;
    QV7_TreeVegetation& operator=(const QV7_TreeVegetation&) = delete;

    // Reads the file, builds the billboards and makes the trunk geoms. A
    // missing or broken file logs what is wrong and throws CDException.
    void Load(const std::string& path, IDirect3DDevice9* device, const QV7_TextureList* textures,
              StaticGeomSink sink);
    // 0 the main pass (near meshes and billboards), 1 the water reflection (billboards).
    void Render(int reflection);
    // 1 releases every billboard buffer, 0 builds them again.
    void OnLostReset(int lost);
    // Fills the type's buffer; a buffer already there is a fault (CDException).
    void BuildBillboards(TreeType& type);

    // The settings' choice: Detail above 0 or the force flag.
    static bool BillboardsEnabled();
    // Any yaw brought into [-pi, pi] by whole turns.
    static float BillboardAngle(float yaw);

    std::vector<std::unique_ptr<TreeType>> m_Types;
    DWORD m_Fvf = kFvf;
    ShaderEntry* m_Shader = nullptr;
    D3DXHANDLE m_MainTechnique = nullptr;
    D3DXHANDLE m_ReflectionTechnique = nullptr;
    float m_FogStart = 0.0f;
    float m_FogEnd = 0.0f;
    uint32_t m_TreesOff = 0;

  private:
    void ReadType(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                  const QV7_TextureList* textures);
    void MakeGeoms(StaticGeomSink& sink);
    void RenderType(TreeType& type, int reflection, int& step);
    void DrawNearMeshes(TreeType& type, int& step);
    void DrawBillboards(TreeType& type, int reflection, int& step);
};

extern QV7_TreeVegetation* g_treeVegetation;
