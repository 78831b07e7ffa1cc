// The buggy database of DatA.dat: every object (buggy models, weapons,
// shield, jammer, parts, ammunition) in file order, with the lists the
// garage, the profiles and racer construction address them by, and every
// mesh the file holds.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/D3D9.h"
#include "race/BuggyMesh.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "shell/QV7_Collection.h"

#include <string>
#include <vector>

class BinaryReader;
class QV7_Buggy;
class QV7_ShadowMap;
class QV7_TextureList;
struct MeshReaderIdentity;

class QV7_BuggyMeshSystem
{
  public:
    QV7_BuggyMeshSystem();
    ~QV7_BuggyMeshSystem();
    QV7_BuggyMeshSystem(const QV7_BuggyMeshSystem&) = delete;
    QV7_BuggyMeshSystem& operator=(const QV7_BuggyMeshSystem&) = delete;

    // Reads DatA.dat. Mesh textures resolve by compile id in buggyTextures
    // (null: none do); while the engine's texture list exists, each object
    // draws one loading-screen frame (30 to 50 percent). A file that cannot be opened
    // leaves the database empty. A broken file (cut short, a count beyond
    // its bytes, a broken name or mesh, an unknown item type, a parent that
    // is not there, names itself or closes a chain into a loop) is logged
    // and throws CDException, leaving the database empty.
    void Load(const std::string& path, const QV7_TextureList* buggyTextures, IDirect3DDevice9* device);
    // The same from a file already in memory.
    void Read(BinaryReader& file, const QV7_TextureList* buggyTextures, IDirect3DDevice9* device);
    // One inline mesh object block into a new mesh of meshes.
    BuggyMesh* ReadMesh(BinaryReader& file, const QV7_TextureList* buggyTextures, IDirect3DDevice9* device);
    // Deletes every object and mesh and empties the lists.
    void Clear();

    // The item index (position in objects) of an object; -1 when absent.
    int ItemIndex(const QV7_DataBase_MeshObject* object) const
    {
        return object ? objects.IndexOf(object) : -1;
    }
    // The object at an item index; null outside the list.
    QV7_DataBase_MeshObject* Item(int index) const;
    // The model at a model index; null outside the list.
    QV7_DataBase_MeshObject* Model(int index) const;
    // The model index of a buggy model; -1 when it is not one.
    int ModelIndex(const QV7_DataBase_MeshObject* object) const;

    // Drawing. Every entry point runs under a crash guard: a fault costs that
    // mesh for the frame, with a log line naming the step it stopped at.
    //
    // A whole mesh at its world matrix (the garage and menu pictures):
    // silhouette 1 draws it black; tint (r, g, b) replaces every material by
    // a lit white with that ambient and emissive colour. On the models at
    // positions 4 to 6 the subsets their bodies name for the late pass are
    // left out, and the last of them is blended over the rest.
    static void RenderMesh(BuggyMesh& mesh, int silhouette, const float* tint);
    // A racer's whole mesh at its world matrix: black (wrecked), mirrored (the
    // water reflection flips the culling), spin (subset 0 rolled by
    // spinAngle about its z axis: the chain gun's barrel) and the shadow pass
    // (depth from the sun through the session's shadow effect). Near the
    // camera, at high detail on an adapter with four stages, the advanced
    // path lays the island's shading over it.
    static void RenderPhysicsMesh(BuggyMesh& mesh, const QV7_Buggy* racer, int black, int mirrored, int spin,
                                  float spinAngle, int shadowPass);
    static void RenderPhysicsMeshAdvanced(BuggyMesh& mesh, const QV7_Buggy* racer, int black, int mirrored,
                                          int spin, float spinAngle, int shadowPass);
    // One subset at the pose of its physics body; alphaTest 1 draws it
    // alpha-tested (the late, see-through parts).
    static void RenderPhysicsGroup(BuggyMesh& mesh, const QV7_Buggy* racer, uint32_t subset, int black,
                                   int mirrored, int shadowPass, int alphaTest, const D3DXMATRIX& world);
    static void RenderPhysicsGroupAdvanced(BuggyMesh& mesh, const QV7_Buggy* racer, uint32_t subset,
                                           int black, int mirrored, int shadowPass, int alphaTest,
                                           const D3DXMATRIX& world);
    // Whether a racer is drawn by the advanced path: near the camera, high
    // detail or forced shadows, an adapter with four stages, not the shadow pass.
    static bool UsesAdvancedPath(const QV7_Buggy* racer, int shadowPass);
    // The shading pass's alpha reference: 64 per fade stage, at most 255 (one pass only).
    static DWORD ShadingReference(const QV7_Buggy& racer);
    // The shadow map the depth pass draws with: when set, this one's; else the race session's.
    static QV7_ShadowMap* (*s_ShadowMapSource)();

    QV7_Collection<BuggyMesh> meshes;
    DWORD vertexFormat;
    // Texture transforms of the reflection textures (the bias-matrix word chooses one).
    D3DXMATRIX biasMatrices[2];
    QV7_Collection<QV7_DataBase_MeshObject> objects;
    std::vector<QV7_DataBase_MeshObject*> models;    // type 0, file order
    std::vector<QV7_DataBase_MeshObject*> equipment; // types 1-5, 9, 12 with flag 0, by type, stable
    std::vector<QV7_DataBase_MeshObject*> extras;    // types 16-19, by type, stable

  private:
    void ReadObject(BinaryReader& file, int index, const QV7_TextureList* buggyTextures,
                    IDirect3DDevice9* device, std::vector<int32_t>& parents);
    void ReadNames(BinaryReader& file, QV7_DataBase_MeshObject& object);
    void ReadPlacement(BinaryReader& file, QV7_DataBase_MeshObject& object);
    void PlaceInLists(QV7_DataBase_MeshObject& object);
    void LinkChains(const std::vector<int32_t>& parents);
};

// The loaded buggy database the configurations read (the item database's);
// null while none is loaded.
extern QV7_BuggyMeshSystem* g_buggyMeshSystem;

// How the buggy database reads its meshes: its log lines and error source.
MeshReaderIdentity BuggyMeshReader();
