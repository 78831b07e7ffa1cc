// The menu manager (g_menuManager): loads Menu.qvx (Menu_%s.qvx for another
// language) and Menu_c.qvx once at start-up, owns every page, control and menu
// font, and gives the screens their per-frame pair: UpdateCurrentPage, then
// RenderCurrentPage, which draws the current page (pop-up chains outermost
// first) and the mouse cursor with its spark trail, and returns the id of the
// control clicked in this frame. Screens make a page current by assigning
// FindPageIndex of its id to m_CurrentPage and find controls by id and type.
#pragma once

#include "gui/MenuPage.h"
#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_Menu_hWnd.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

struct MenuFileRecord;
struct ScreenEmitter;
struct TextureRecord;

// The race map's three pictures that stay loaded through a race (its loading
// picture, minimap and minimap dot), as the map record holds them.
struct RaceMapPictures
{
    TextureRecord* m_Loading = nullptr;
    TextureRecord* m_Minimap = nullptr;
    TextureRecord* m_MinimapDot = nullptr;
};

// One menu string of Menu_c.qvx.
struct MenuString
{
    char m_Text[260] = {};
};

class QV7_MenuManager
{
  public:
    // Loads everything from g_dataDir and publishes g_menuManager. A menu file
    // that can't be read, is broken or holds no page, and a broken Menu_c.qvx,
    // are logged and throw CDException (nothing stays published); a missing
    // Menu_c.qvx is logged and leaves no strings.
    QV7_MenuManager();
    // Clears g_menuManager; destroys the pages from the last to the first, the strings and the fonts.
    ~QV7_MenuManager();
    QV7_MenuManager(const QV7_MenuManager&) = delete;
    QV7_MenuManager& operator=(const QV7_MenuManager&) = delete;

    // Index of the first page with this id (exact); 0 when null or none matches.
    int FindPageIndex(const char* id) const;
    // The first page with this id, null when none or null.
    MenuPage* FindPage(const char* id) const;
    // On the current page: the first control with this id and type code
    // (kMenuAnyType: any type); null when none, the id is null or there is no current page.
    QV7_Menu_hWnd* FindControl(const char* id, int type) const;
    // Swaps the first control with this id and the first control of the current page.
    void BringControlToFront(const char* id);

    // Picture Ticks of the current page and its parent chain.
    void UpdateCurrentPage();
    // Draws the current page and the cursor; returns the id of the control
    // clicked in this frame (its own id buffer) or null. The argument has no effect.
    const char* RenderCurrentPage(int unused = 0);

    // Every control of the current page back to its loaded value.
    void ResetPageControls();
    void MarkPageTexturesUsed(int pageIndex);
    // Releases (mode 1, a race begins) or reloads (mode 0) the menu and item
    // textures; nothing when the mode is already set. Returns what releasing
    // the item textures returns, or null. mapPictures may be null.
    TextureRecord* SwapTextureSet(int mode, int showProgress, float progressSpan,
                                  const RaceMapPictures* mapPictures);
    // The named page's background over the whole page at opacity (255 - alpha) / 255.
    // Inside Begin2D / End2D; an unknown id draws nothing.
    void DrawPageBackdrop(const char* id, int alpha);
    // Device loss (1) and recreation (0) of the fonts' buffers.
    void OnLostReset(int lost);

    // The current page or null when the index is -1 or out of range.
    MenuPage* CurrentPage() const;
    // Manager's clicked id; the controls set it from OnClick and slider drag ends.
    void SetClickedId(const char* id) { m_ClickedId = id; }

    // -1 = no page; screens assign FindPageIndex of their page.
    int m_CurrentPage = 1;
    // 1 = draw the cursor and its trail and let the page take mouse input; the screens set it.
    int m_CursorFlag = 0;
    ScreenEmitter* m_CursorTrail = nullptr;
    TextureRecord* m_CursorPicture = nullptr;
    TextureRecord* m_TrailPicture = nullptr;
    const char* m_ClickedId = nullptr;
    QV7_FontsHandler m_Fonts;
    QV7_Collection<MenuString> m_Strings;
    QV7_Collection<MenuPage> m_Pages;
    // 0 = menu textures loaded, 1 = race set.
    int m_TextureSetMode = 0;
    // The item database's texture ids, reloaded from Textures2.qvx when the
    // menus come back after a race; the item database sets them.
    const int32_t* m_ItemTextureIds = nullptr;
    int m_ItemTextureIdCount = 0;

    // The menu file for the [Language] Version of the settings: "Menu.qvx" for
    // "EN", else "Menu_%s.qvx" with the code.
    static std::string MenuFileName(const char* language);

  private:
    void Load();
    void Release();
    void LoadMenuFile(const std::string& path);
    void BuildPages(MenuFileRecord& file);
    // Links each pop-up to its parent; a cycle of parents is cut (logged).
    void ResolveParents();
    void CreateCursorTrail();
    void LoadStrings(const std::string& path);
    void DrawCursor();
};

extern QV7_MenuManager* g_menuManager;
