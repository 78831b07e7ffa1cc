// Fuzz targets of the island's scenery files: Map%d.sob (static objects),
// MapT%d.trs (trees) and Map%d.pf (moving scenery), each through its race
// loader with real ODE geoms in a quad-tree space, then drawn in every pass
// (and the moving scenery stepped with a racer standing on it); seeds come
// from our writers.
#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/SceneryFileWriters.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_TreeVegetation.h"

#include <ode/ode.h>

using fuzzworld::ScratchFile;

namespace
{
// An ODE space for one run; the geoms it collects are destroyed with it.
class Physics
{
  public:
    Physics()
    {
        static const bool initialised = dInitODE2(0) != 0;
        (void)initialised;
        dVector3 centre = {0, 0, 0, 0}, extents = {400, 100, 400, 0};
        space = dQuadTreeSpaceCreate(nullptr, centre, extents, 6);
        sink.space = space;
        sink.geoms = &geoms;
    }
    ~Physics()
    {
        // The space destroys its geoms with it.
        dSpaceSetCleanup(space, 1);
        dSpaceDestroy(space);
    }
    // Everything collides once, as the physics step would.
    void Collide()
    {
        dSpaceCollide(space, nullptr, [](void*, dGeomID, dGeomID) {});
    }
    dSpaceID space;
    std::vector<dGeomID> geoms;
    StaticGeomSink sink;
};

QV7_TextureList& Textures()
{
    static QV7_TextureList textures;
    if (textures.Count() == 0)
        for (uint32_t id : {11u, 12u})
            textures.Append()->m_CompileId = id;
    return textures;
}

void LookAcross()
{
    if (!g_camera)
        return;
    SetCameraEye(0, 300, -2000);
    SetCameraTarget(0, 0, 0);
    g_camera->UpdateProjection();
    g_camera->UpdateFrustum();
}

void Unbind()
{
    g_device->SetStreamSource(0, nullptr, 0, 0);
    g_device->SetIndices(nullptr);
}

MeshObjectDescription Crate(uint32_t texture, uint32_t id)
{
    return MakeBoxMesh(D3DXVECTOR3(50, 50, 50), texture, id);
}
} // namespace

int FuzzStaticObjects(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.sob", data, size);
    Physics physics;
    QV7_Mesh_StaticObjects objects;
    try
    {
        objects.Load(input.Path(), g_device, &Textures(), physics.sink);
    }
    catch (const CDException&)
    {
    }
    physics.Collide();
    LookAcross();
    objects.Render(0);
    objects.Render(1);
    objects.RenderBlended();
    Unbind();
    return 0;
}

int FuzzTrees(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "MapT1.trs", data, size);
    Physics physics;
    QV7_TreeVegetation trees;
    try
    {
        trees.Load(input.Path(), g_device, &Textures(), physics.sink);
        trees.OnLostReset(1);
        trees.OnLostReset(0);
    }
    catch (const CDException&)
    {
    }
    physics.Collide();
    LookAcross();
    trees.Render(0);
    trees.Render(1);
    Unbind();
    return 0;
}

int FuzzMovingScenery(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.pf", data, size);
    Physics physics;
    QV7_PathFollowing paths;
    try
    {
        paths.Load(input.Path(), g_device, &Textures(), physics.sink);
    }
    catch (const CDException&)
    {
    }
    QV7_PathFollowing::s_Hooks.playerPosition = [](D3DXVECTOR3* p)
    {
        *p = D3DXVECTOR3(0, 60, 0);
        return true;
    };
    LookAcross();
    for (float frameMs : {0.0f, 16.0f, 3000.0f, 1.0e9f})
    {
        paths.UpdateFrame(frameMs);
        paths.Render();
    }
    paths.m_CameraRide = 1;
    paths.UpdateFrame(16.0f);
    paths.Render();
    QV7_PathFollowing::s_Hooks = PathFollowingHooks();
    physics.Collide();
    Unbind();
    return 0;
}

std::vector<FuzzSeed> StaticObjectsSeeds()
{
    StaticObjectsDescription d;
    d.types.resize(2);
    d.types[0].mesh = Crate(11, 1);
    d.types[0].shapes.boxes.push_back({});
    d.types[1].mesh = Crate(12, 2);
    d.types[1].mesh.materials[0].material.Power = 99.0f;
    d.types[1].mesh.materials[0].words[MESH_WORD_BLEND] = 2;
    d.types[1].shapes.spheres.push_back({});
    d.types[1].shapes.cylinders.push_back({});
    d.instances = {{0, {0, 0, 0}, {0.3f, 0, 0}, 1, 1}, {1, {300, 0, 0}, {}, 2, 0.5f}};
    return {{"two_types.sob", BuildStaticObjectsFile(d).Bytes()},
            {"empty.sob", BuildStaticObjectsFile({}).Bytes()}};
}

std::vector<FuzzSeed> TreesSeeds()
{
    TreeTypeDescription pine;
    pine.mesh = Crate(11, 3);
    pine.billboardTextureId = 12;
    pine.shapes.cylinders.push_back({});
    pine.trees = {{{0, 0, 0}, 1, {4, 0, 0}}, {{0, 0, 5000}, 2, {-7, 0, 0}}};
    TreeTypeDescription bare = pine;
    bare.trees.clear();
    return {{"pines.trs", BuildTreesFile({pine}).Bytes()},
            {"bare.trs", BuildTreesFile({bare, pine}).Bytes()}};
}

std::vector<FuzzSeed> MovingScenerySeeds()
{
    PathObjectDescription ferry;
    ferry.nodes = MakePathLoop({{0, 0, 0}, {1000, 0, 0}, {1000, 0, 1000}});
    ferry.nodes[1].flag = 1;
    ferry.mesh = Crate(11, 4);
    ferry.reverse = 1;
    ferry.waitTime = 100;
    ferry.shapes.boxes.push_back({});
    PathObjectDescription lone = ferry;
    lone.nodes = MakePathLoop({{5, 5, 5}});
    return {{"ferry.pf", BuildPathFile({ferry}).Bytes()},
            {"one_node.pf", BuildPathFile({lone, ferry}).Bytes()}};
}
