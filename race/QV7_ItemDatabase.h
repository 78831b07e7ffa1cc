// The program-wide catalogue of everything a player can own or race with:
// buggy models, weapons, shield, jammer, upgrade parts and ammunition, with
// their meshes, textures and physics templates, and the driver figures.
// Start-up builds it once, before the maps database and the profiles; the
// garage pages, the profiles and racer construction address items through
// the mesh system's lists.
#pragma once

#include "engine/QV7_TextureList.h"
#include "figures/QV7_TriggersSystem.h"
#include "platform/gfx/D3D9.h"
#include "race/ProfileItemCatalog.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>
#include <vector>

// Items are addressed by ItemType (QV7_DataBase_MeshObject.h), the type of each object.
class QV7_ItemDatabase
{
  public:
    // Loads everything from g_dataDir on g_device, drawing the start-up
    // loading screen (g_textureList) as it goes.
    QV7_ItemDatabase();
    // The same from another data folder (ending in '/'). A broken file throws
    // CDException with nothing left published.
    QV7_ItemDatabase(const std::string& dataDir, IDirect3DDevice9* device);
    ~QV7_ItemDatabase();
    QV7_ItemDatabase(const QV7_ItemDatabase&) = delete;
    QV7_ItemDatabase& operator=(const QV7_ItemDatabase&) = delete;

    // The loaded IDs as the texture loader and the race-time swap take them.
    const int32_t* TextureIdArray() const { return textureIdArray.data(); }
    int TextureIdCount() const { return int(textureIdArray.size()); }

    // Destroyed from the last to the first: the ID array, the IDs, the figures,
    // the mesh system, then the textures its meshes point at.
    QV7_TextureList textures; // published as g_itemTextures
    QV7_BuggyMeshSystem meshSystem;
    QV7_TriggersSystem figures; // the driver figures of Triggers.qvx
    QV7_Collection<int32_t> textureIds;
    std::vector<int32_t> textureIdArray;

  private:
    // Published as g_profileItemCatalog once DatA.dat is read.
    ProfileItemCatalog m_Catalog;

    void Load(const std::string& dataDir, IDirect3DDevice9* device);
    void Unpublish();
};

extern QV7_ItemDatabase* g_itemDatabase;
