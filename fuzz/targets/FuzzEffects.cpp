// Fuzz targets of the effect files: a library (Map-1.efx, Map%d.efx) through
// QV7_EffectsList::Load over a small texture list, then every template
// played in place for a few ticks and drawn, and played once more as a live
// instance; and the placed effects (Map%d.efm) through the manager's loader
// with the racers' slots bound and everything drawn. Seeds from our writers.
#include "effects/QV7_EffectsList.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "tools/demo/DemoEffects.h"
#include "tools/writers/EffectLibraryWriter.h"

namespace
{
void AddTexture(QV7_TextureList& list, uint32_t id)
{
    TextureRecord* record = list.Append();
    record->m_CompileId = id;
    if (g_device)
        g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture, nullptr);
}

void PlayAndDraw(QV7_EffectsList& library)
{
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    QV7_EffectsListMap manager;
    manager.m_GlobalLibrary = manager.m_MapLibrary = &library;
    for (EffectTemplate* effect : library.m_Templates)
    {
        effect->active = 1;
        effect->Advance(130.0f);
        library.RenderTemplate(effect, world);
        if (EffectInstance* instance = manager.CreateInstance(effect, 1))
            instance->m_Scale = 2.0f;
    }
    manager.Update(130.0f);
    manager.Render();
}

EffectLibraryDescription MeshAndTrails()
{
    EffectEmitterDescription mesh;
    mesh.name = "chunks";
    mesh.meshId = 5;
    mesh.textureId = demo::kSmokePictureId;
    mesh.Key(EffectRecord(1, 0, 1000).U(1).I(100).I(10).I(8).I(300))
        .Key(EffectRecord(8, 0, 1000).V(0, 1, 0).U(1).V(3, 0, 1))
        .Key(EffectRecord(10, 0, 1000).F(0.5f))
        .Key(EffectRecord(12, 0, 1000).F(0.5f).U(0).F(0.0f));
    EffectEmitterDescription trail;
    trail.name = "trail";
    trail.textureId = demo::kSparkPictureId;
    trail.Key(EffectRecord(1, 0, 1000).U(0).I(200).I(-1).I(20).I(200))
        .Key(EffectRecord(14, 0, 1000).I(3))
        .Key(EffectRecord(15, 0, 1000).V(-1, 0, -1).V(1, 1, 1).U(1).V(0, 0, 0).V(2, 2, 2))
        .Key(EffectRecord(11, 0, 1000).I(0).U(0).I(50).I(-1).I(20).I(100).U(1))
        .Key(EffectRecord(24, 0, 100).I(1).U(1).I(50).I(100).I(30).I(100).U(0))
        .Key(EffectRecord(16, 0, 1000).V(0, 10, 0).F(0.5f).U(1).V(10, 0, 0).F(1.0f).U(1).U(0))
        .Key(EffectRecord(19, 0, 1000).V(1, 0, 0).F(2.0f).U(0).V(0, 0, 0).F(1.0f));
    EffectTemplateDescription t;
    t.name = "Mesh and trails";
    t.id = 1;
    t.duration = 200;
    t.loop = 1;
    t.sort = 1;
    t.emitters = {mesh, trail};
    EffectLibraryDescription d;
    d.meshes.push_back(MakeBoxMesh({10, 5, 5}, demo::kSmokePictureId, 5));
    d.templates.push_back(t);
    return d;
}
} // namespace

int FuzzEffectLibrary(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    QV7_TextureList textures;
    for (int32_t id : DemoEffectPictureIds())
        AddTexture(textures, uint32_t(id));
    {
        QV7_EffectsList library;
        library.m_Textures = &textures;
        BinaryReader file(data, size);
        try
        {
            library.Load(file);
            PlayAndDraw(library);
        }
        catch (const CDException&)
        {
        }
    }
    textures.FreeAll();
    return 0;
}

int FuzzPlacedEffects(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    QV7_TextureList textures;
    for (int32_t id : DemoEffectPictureIds())
        AddTexture(textures, uint32_t(id));
    {
        QV7_EffectsList global, map;
        global.m_Textures = map.m_Textures = &textures;
        BinaryReader globalFile(BuildEffectLibrary(DemoGlobalEffects()).Bytes());
        global.Load(globalFile);
        BinaryReader mapFile(BuildEffectLibrary(DemoIslandEffects(1)).Bytes());
        map.Load(mapFile);
        QV7_EffectsListMap manager;
        manager.m_GlobalLibrary = &global;
        manager.m_MapLibrary = &map;
        BinaryReader file(data, size);
        manager.LoadPlacedEffects(file);
        manager.BindSlots();
        manager.Update(50.0f);
        manager.Render();
    }
    textures.FreeAll();
    return 0;
}

std::vector<FuzzSeed> EffectLibrarySeeds()
{
    return {{"global.efx", BuildEffectLibrary(DemoGlobalEffects()).Bytes()},
            {"island.efx", BuildEffectLibrary(DemoIslandEffects(2)).Bytes()},
            {"mesh_and_trails.efx", BuildEffectLibrary(MeshAndTrails()).Bytes()},
            {"empty.efx", BuildEffectLibrary({}).Bytes()}};
}

std::vector<FuzzSeed> PlacedEffectSeeds()
{
    PlacedEffectRecord smoke;
    smoke.templateId = 3;
    smoke.position = {10, 20, 30};
    smoke.rotation = {0.5f, 0.2f, 0.0f};
    PlacedEffectRecord far = smoke;
    far.templateId = 4;
    far.viewDistance = 1.0f;
    return {{"two.efm", BuildPlacedEffects({smoke, far}).Bytes()},
            {"empty.efm", BuildPlacedEffects({}).Bytes()}};
}
