// Fuzz target of the mesh object block: up to three blocks back to back, read
// alternately into a MeshObject (as the trees read theirs) and a
// LodMeshObject (as the maps database reads its pointer), each drawn once.
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "world/LodMeshObject.h"
#include "world/MeshObjectReader.h"

namespace
{
void DrawOnce(const MeshObject& object)
{
    g_device->BeginScene();
    object.Draw(g_device, MESH_OBJECT_FVF);
    g_device->EndScene();
    g_device->SetStreamSource(0, nullptr, 0, 0);
    g_device->SetIndices(nullptr);
}

// False when the block was refused.
bool ReadOne(BinaryReader& file, int index, const QV7_TextureList& textures)
{
    try
    {
        if (index % 2 == 0)
        {
            MeshObject object;
            ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, g_device, &textures, TreesMeshReader());
            DrawOnce(object);
        }
        else
        {
            LodMeshObject object;
            ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, g_device, &textures, MapsSortMeshReader());
            DrawOnce(object);
        }
        return true;
    }
    catch (const CDException&)
    {
        return false; // the block's own refusal
    }
}
} // namespace

int FuzzMeshObject(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    BinaryReader file(data, size);
    QV7_TextureList textures;
    for (uint32_t id : {11u, 12u})
        textures.Append()->m_CompileId = id;
    for (int i = 0; i < 3 && !file.AtEnd(); ++i)
        if (!ReadOne(file, i, textures))
            break;
    return 0;
}
