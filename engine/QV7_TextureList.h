// Texture lists: ordered lists of loaded textures searched by compile ID, the
// 32-bit number the data files store in place of a file name. Four lists live
// at run time: the loading-screen list (g_textureList, loose ldat*.gfx files),
// the menu list (g_menuTextures, from Textures1.qvx), the item database's list
// and the race map list (both from Textures2.qvx). The race-time texture swap
// releases what a race does not need and loads it back afterwards.
#pragma once

#include "platform/d3dx/D3DXImage.h"
#include "platform/gfx/D3D9.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

class QV7_MenuManager;

// One loaded texture, owned by its list. The flag means "keep during a race"
// in the menu list and "swappable picture" (1) in the item database's list.
struct TextureRecord
{
    TextureRecord() = default;
    ~TextureRecord();
    TextureRecord(const TextureRecord&) = delete;
    TextureRecord& operator=(const TextureRecord&) = delete;

    // Releases the texture if there is one; the record keeps its place and ID.
    void Release();

    D3DXIMAGE_INFO m_Info = {};
    IDirect3DTexture9* m_Texture = nullptr;
    uint32_t m_CompileId = 0;
    uint32_t m_Flag = 0;
};

// The record's texture, or null for a null record.
inline IDirect3DTexture9* TextureOf(const TextureRecord* record) { return record ? record->m_Texture : nullptr; }

// Which global, if any, a list publishes while it lives.
enum class TextureListRole
{
    Plain,         // item database and race map lists: no global
    LoadingScreen, // g_textureList
    Menu,          // g_menuTextures
};

class QV7_TextureList
{
  public:
    explicit QV7_TextureList(TextureListRole role = TextureListRole::Plain);
    // Clears the global it published, then FreeAll.
    ~QV7_TextureList();
    QV7_TextureList(const QV7_TextureList&) = delete;
    QV7_TextureList& operator=(const QV7_TextureList&) = delete;

    // Empty list with the designated records null / FreeAll, for the lists
    // whose lifetime is a session inside a longer-lived owner.
    void Init();
    void Destroy();
    // Releases and deletes every record from the last to the first.
    void FreeAll();

    int Count() const { return m_Records.Count(); }
    TextureRecord* At(int index) const;
    // The first record with this compile ID, null when none.
    TextureRecord* FindByCompileId(uint32_t id) const;
    // Appends a new zeroed record; the list owns it.
    TextureRecord* Append();

    // One loose image file, appended; null (and the list unchanged) on failure.
    TextureRecord* Load(const std::string& path);
    // Removes the record with this pointer; null does nothing, an absent one is logged.
    void Remove(TextureRecord* record);
    void RemoveAt(int index);

    // Fills this list from Textures2.qvx with the records whose ID is among ids.
    void LoadBuggyTextures(const std::string& path, const int32_t* ids, int idCount);
    // The race map list: the IDs of Map%d.tex, the images of Textures2.qvx.
    // progressOwner non-null shows the progress page of the menus meanwhile.
    void LoadMapTextures(const std::string& listPath, const std::string& containerPath,
                         QV7_MenuManager* progressOwner);

    // Item database list, around a race: releases every swappable picture
    // except the race map's three, which become the kept records; returns the first.
    TextureRecord* ReleaseBuggyTextures(TextureRecord* loadingPicture, TextureRecord* minimapPicture,
                                        TextureRecord* minimapDotPicture);
    // Recreates the released swappable pictures from Textures2.qvx.
    void ReloadBuggyTextures(const std::string& path, const int32_t* ids, int idCount);

    // The same search on the menu list; null when there is no menu list.
    static TextureRecord* FindMenuTexture(uint32_t id);
    // Fills the menu list from Textures1.qvx with the wanted IDs (duplicates
    // are removed from wanted first).
    static void LoadMenuTextures(const std::string& path, QV7_Collection<int>& wanted);
    // Menu list, around a race: releases the textures not marked in use / loads them back.
    static void ReleaseUnused();
    static void ReloadMenuTextures(const std::string& path, bool showProgress, float progressSpan);

    // Loading-screen list: the start-up logos, the loading picture and the
    // progress bar as Load returned them for ldat1.gfx to ldat4.gfx.
    TextureRecord* m_Logo1 = nullptr;
    TextureRecord* m_Logo2 = nullptr;
    TextureRecord* m_LoadingPicture = nullptr;
    TextureRecord* m_ProgressBar = nullptr;
    // Item database list: the race map's pictures kept through a race.
    TextureRecord* m_Kept[3] = {};

  private:
    TextureListRole m_Role;
    QV7_Collection<TextureRecord> m_Records;
};

// The loading-screen list while it exists.
extern QV7_TextureList* g_textureList;
// The menu list while it exists.
extern QV7_TextureList* g_menuTextures;
// The item database's list; the item database sets and clears it.
extern QV7_TextureList* g_itemTextures;

void CreateMenuTextureList();
void DestroyMenuTextureList();

// Loads ldat1.gfx to ldat4.gfx from dataDir into the loading-screen list and
// sets its four designated records.
void LoadLoadingScreen(QV7_TextureList& list, const std::string& dataDir);

// A texture from a loose image file outside any list; null on failure, nothing logged.
IDirect3DTexture9* LoadTextureFromFile(const std::string& path);

// Removes the record with this compile ID from the item database's list.
void DeleteBuggyTexture(int32_t id);

// One frame of the start-up loading screen: the bar at percent, alpha 255 fully
// visible; mode 1 fades in the main menu's backdrop as alpha falls.
void DrawLoadingScreen(QV7_TextureList* list, int percent, float alpha, int mode);
