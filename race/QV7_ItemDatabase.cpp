// Building the item database: the buggy texture IDs, their textures, DatA.dat
// and the driver figures, in that order, since the meshes resolve their
// textures while they load.
#include "race/QV7_ItemDatabase.h"

#include "engine/QV7_Engine.h"
#include "race/BuggyTextureIds.h"
#include "race/ProfileItemCatalog.h"
#include "shell/QV7_Globals.h"

QV7_ItemDatabase* g_itemDatabase = nullptr;

QV7_ItemDatabase::QV7_ItemDatabase() : QV7_ItemDatabase(g_dataDir, g_device) {}

QV7_ItemDatabase::QV7_ItemDatabase(const std::string& dataDir, IDirect3DDevice9* device)
{
    g_itemDatabase = this;
    g_itemTextures = &textures;
    try
    {
        Load(dataDir, device);
        // The profiles check and build their items against this database.
        m_Catalog = ProfileItemCatalog::From(meshSystem);
        g_profileItemCatalog = &m_Catalog;
        g_buggyMeshSystem = &meshSystem;
    }
    catch (...)
    {
        // The members go by themselves; nothing may point at them afterwards.
        Unpublish();
        throw;
    }
}

QV7_ItemDatabase::~QV7_ItemDatabase()
{
    Unpublish();
}

void QV7_ItemDatabase::Unpublish()
{
    if (g_itemDatabase == this)
        g_itemDatabase = nullptr;
    if (g_itemTextures == &textures)
        g_itemTextures = nullptr;
    if (g_profileItemCatalog == &m_Catalog)
        g_profileItemCatalog = nullptr;
    if (g_buggyMeshSystem == &meshSystem)
        g_buggyMeshSystem = nullptr;
}

void QV7_ItemDatabase::Load(const std::string& dataDir, IDirect3DDevice9* device)
{
    LoadBuggyTextureIds(dataDir + "Textures2.dbs", textureIds);
    ExcludeTextureIds(dataDir + "Maps_srt_ex.qvx", textureIds);
    textureIdArray.reserve(size_t(textureIds.Count()));
    for (int i = 0; i < textureIds.Count(); ++i)
        textureIdArray.push_back(*textureIds[i]);
    textures.LoadBuggyTextures(dataDir + "Textures2.qvx", TextureIdArray(), TextureIdCount());
    meshSystem.Load(dataDir + "DatA.dat", &textures, device);
    figures.Load(dataDir + "Triggers.qvx");
}
