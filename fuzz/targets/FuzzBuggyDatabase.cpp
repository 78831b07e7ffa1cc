// Fuzz target of DatA.dat: the whole buggy database through the mesh
// system's reader, then what the game does with it afterwards: every
// physics definition cloned and searched for its markers, every upgrade
// chain walked, every mesh drawn once.
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "shell/QV7_Globals.h"

#include <memory>

namespace
{
void UseObject(const QV7_DataBase_MeshObject& object)
{
    std::unique_ptr<BuggyPhysicsDefinition> clone(object.physics.Clone());
    for (const char* marker : {"uitlaat", "uit1", "uit2", "effect"})
        clone->FindBody(marker);
    for (const JointRef* joint : clone->jointOrder)
        if (!joint->record)
            __builtin_trap(); // racer construction follows every joint of the order
    if (object.Level() < 1 || !object.ChainBase())
        __builtin_trap();
}

void DrawOnce(const BuggyMesh& mesh)
{
    g_device->BeginScene();
    mesh.Draw(g_device, MESH_OBJECT_FVF);
    g_device->EndScene();
    g_device->SetStreamSource(0, nullptr, 0, 0);
    g_device->SetIndices(nullptr);
}
} // namespace

int FuzzBuggyDatabase(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    BinaryReader file(data, size);
    QV7_TextureList textures;
    for (uint32_t id : {5001u, 5002u})
        textures.Append()->m_CompileId = id;
    QV7_BuggyMeshSystem system;
    try
    {
        system.Read(file, &textures, g_device);
    }
    catch (const CDException&)
    {
        return 0; // the file's own refusal
    }
    for (const QV7_DataBase_MeshObject* object : system.objects)
        UseObject(*object);
    for (const BuggyMesh* mesh : system.meshes)
        DrawOnce(*mesh);
    return 0;
}
