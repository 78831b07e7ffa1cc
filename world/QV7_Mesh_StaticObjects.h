// The island's fixed scenery (Map%d.sob): a library of meshes, one object
// type per mesh with its collision shapes and view distance, and the placed
// instances. Loading makes the meshes, a static geom for every shape of every
// instance (tagged so that shots and the tutorial know what they hit) and a
// draw list of (instance, subset) items sorted by texture, mesh and subset so
// that binds and state changes happen only where the sorted list changes.
// The race session owns one; g_staticObjects points to it.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "world/MeshObject.h"
#include "world/SceneryShapes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BinaryReader;
class QV7_TextureList;
struct StaticObjectInstance;

struct StaticObjectType
{
    std::string name = "EMPTY";
    int32_t wordA = -1;
    int32_t wordB = 0;
    float factor = 1.0f;
    float viewDistance = 0.0f;
    SceneryShapes shapes;
};

// ODE user data of every static-object geom.
struct StaticGeomTag
{
    int32_t singleBox = 0;     // 1: the instance's type is exactly one box (box geoms only)
    int32_t surfaceClass = -1; // 0..2 for tutorial targets, else -1
    StaticObjectInstance* instance = nullptr;
};

struct StaticObjectInstance
{
    StaticObjectInstance() { D3DXMatrixIdentity(&world); }
    StaticObjectType* type = nullptr;
    MeshObject* mesh = nullptr;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
    float scale = 1.0f;
    D3DXMATRIX world;
    uint32_t scaled = 0;
    float boundingRadius = 0.0f;
    float collisionScale = 1.0f;
    uint8_t visible = 1;
    // The tutorial darkens a target it has counted.
    uint8_t dark = 0;
};

struct StaticDrawItem
{
    StaticObjectInstance* instance = nullptr;
    StaticObjectType* type = nullptr;
    MeshObject* mesh = nullptr;
    uint32_t subset = 0;
    uint8_t textureChanged = 0;
    uint8_t meshChanged = 0;
    uint8_t stateChanged = 0;
};

class QV7_Mesh_StaticObjects
{
  public:
    static constexpr DWORD kFvf = 274;
    static constexpr DWORD kAlphaRef = 112;

    QV7_Mesh_StaticObjects();
    ~QV7_Mesh_StaticObjects();
    QV7_Mesh_StaticObjects(const QV7_Mesh_StaticObjects&) = delete;
    QV7_Mesh_StaticObjects& operator=(const QV7_Mesh_StaticObjects&) = delete;

    // Reads the file and makes the geoms. A missing or broken file logs what
    // is wrong and throws CDException; what was read stays until destruction.
    void Load(const std::string& path, IDirect3DDevice9* device, const QV7_TextureList* textures,
              StaticGeomSink sink);
    // The opaque pass: 1 the water reflection (culling mirrored), 0 the main
    // pass, which adds the shadow-receiving pass when shadows are on.
    void Render(int reflection);
    void RenderBlended();

    // Surface class of a mesh from the power of its material 0.
    static int32_t SurfaceClass(const MeshObject& mesh);
    // Texture compile id, mesh id, subset index, ascending.
    static bool CompareStaticDrawItems(const StaticDrawItem& a, const StaticDrawItem& b);
    // Sorts the draw list and sets its change flags.
    void SortDrawList();

    std::vector<std::unique_ptr<MeshObject>> m_Meshes;
    DWORD m_Fvf = kFvf;
    std::vector<std::unique_ptr<StaticObjectType>> m_Types;
    std::vector<std::unique_ptr<StaticObjectInstance>> m_Instances;
    std::vector<StaticDrawItem> m_DrawList;
    uint32_t m_RenderOff = 0;
    std::vector<std::unique_ptr<StaticGeomTag>> m_GeomTags;
    // The tutorial's targets: instances whose mesh has a target power.
    std::vector<StaticObjectInstance*> m_TutorialTargets;

  private:
    void ReadMeshes(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                    const QV7_TextureList* textures);
    void ReadTypes(BinaryReader& file, const std::string& path);
    void ReadInstances(BinaryReader& file, const std::string& path, StaticGeomSink& sink);
    void MakeGeoms(StaticObjectInstance& instance, StaticGeomSink& sink);
    void BuildDrawList();
    void UpdateVisibility();
    void SetCommonStates() const;
    void DrawOpaque(int reflection);
    void DrawShadowReceivers();
    void DrawBlended();
};

extern QV7_Mesh_StaticObjects* g_staticObjects;
