// Menu manager: loading the menu files into pages and controls, the per-frame
// page update and render with the cursor, and the page helpers the screens use.
#include "gui/QV7_MenuManager.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"
#include "gui/QV7_Particles2D.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

QV7_MenuManager* g_menuManager = nullptr;

std::string QV7_MenuManager::MenuFileName(const char* language)
{
    if (!language || std::strcmp(language, "EN") == 0)
        return "Menu.qvx";
    char name[300];
    std::snprintf(name, sizeof(name), "Menu_%s.qvx", language);
    return name;
}

QV7_MenuManager::QV7_MenuManager()
{
    g_menuManager = this;
    // No press carries over from an earlier manager's pages.
    g_mouseHeld = 0;
    g_capturedWidget = nullptr;
    try
    {
        Load();
    }
    catch (...)
    {
        // The destructor will not run: leave nothing published that points here.
        Release();
        throw;
    }
}

QV7_MenuManager::~QV7_MenuManager()
{
    Release();
}

void QV7_MenuManager::Release()
{
    if (g_menuManager == this)
        g_menuManager = nullptr;
    if (g_particles2D && m_CursorTrail && g_particles2D->m_Emitters.IndexOf(m_CursorTrail) >= 0)
        g_particles2D->m_Emitters.Delete(m_CursorTrail);
    m_CursorTrail = nullptr;
    // Pages first (each deletes its controls from the last), then strings, then fonts.
    m_Pages.Clear();
    m_Strings.Clear();
}

void QV7_MenuManager::Load()
{
    char language[260] = "EN";
    if (g_windowsData)
        std::snprintf(language, sizeof(language), "%s", g_windowsData->m_Settings.LanguageVersion);
    LoadMenuFile(g_dataDir + MenuFileName(language));
    MarkPageTexturesUsed(0);
    CreateCursorTrail();
    LoadStrings(g_dataDir + "Menu_c.qvx");
}

// Every screen shows a page of this file, so a file that can't be read, is
// broken or holds no page ends the start-up (CDException after its log line).
void QV7_MenuManager::LoadMenuFile(const std::string& path)
{
    BinaryReader reader;
    if (!reader.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: File %s in Data directory can't be accessed.", path.c_str());
        ThrowDataError(".\\QV7_MenuManager", __LINE__);
    }
    MenuFileRecord file;
    ReadMenuFile(reader, file, path);

    QV7_Collection<int> textureIds;
    for (int32_t id : file.textureIds)
        *textureIds.Add() = id;
    QV7_TextureList::LoadMenuTextures(g_dataDir + "Textures1.qvx", textureIds);

    QV7_Collection<int> fontIds;
    for (int32_t id : file.fontIds)
        *fontIds.Add() = id;
    m_Fonts.LoadFonts(g_dataDir + "Fonts.qvx", fontIds);
    for (FontSlot* slot : m_Fonts.m_Fonts)
        QV7_Logger::Log(g_logger, "Info: Menu Font Loaded ID: %d, %s, height %d", slot->m_FontId,
                        slot->m_Font ? slot->m_Font->m_Name : "", slot->m_Font ? slot->m_Font->m_Height : 0);

    m_CursorPicture = QV7_TextureList::FindMenuTexture(uint32_t(file.cursorId));
    m_TrailPicture = QV7_TextureList::FindMenuTexture(uint32_t(file.trailId));
    MarkPictureUsed(m_CursorPicture);
    MarkPictureUsed(m_TrailPicture);

    BuildPages(file);
    if (m_Pages.Count() == 0)
    {
        QV7_Logger::Log(g_logger, "ERROR: Menu file %s holds no page to show.", path.c_str());
        ThrowDataError(".\\QV7_MenuManager", __LINE__);
    }
    ResolveParents();
}

// A control whose numbers no screen could hold is dropped with its log line and
// a progress is kept within its percentage: the rest of the page still loads.
void QV7_MenuManager::BuildPages(MenuFileRecord& file)
{
    for (MenuPageRecord& pageRecord : file.pages)
    {
        MenuPage* page = m_Pages.Add();
        std::snprintf(page->m_Name, sizeof(page->m_Name), "%s", pageRecord.name.c_str());
        std::snprintf(page->m_Id, sizeof(page->m_Id), "%s", pageRecord.id.c_str());
        page->m_ParentNumber = pageRecord.parentNumber;
        page->m_OwnNumber = pageRecord.ownNumber;
        page->m_Background = QV7_TextureList::FindMenuTexture(uint32_t(pageRecord.backgroundId));
        for (MenuControlRecord& record : pageRecord.controls)
        {
            if (!MenuControlGeometryPlausible(record))
            {
                QV7_Logger::Log(
                    g_logger,
                    "WARNING: Menu page %s: control %s dropped, its place or size lies past any screen.",
                    page->m_Id, record.id.c_str());
                continue;
            }
            const float percent = MenuProgressPercent(record.percent);
            if (record.type == kMenuProgress && !(percent == record.percent))
            {
                QV7_Logger::Log(g_logger, "WARNING: Menu page %s: progress %s at %g percent, kept at %g.",
                                page->m_Id, record.id.c_str(), double(record.percent), double(percent));
                record.percent = percent;
            }
            for (int i = 0; i < MenuControlPictureCount(record.type); ++i)
                record.pictures[i] = QV7_TextureList::FindMenuTexture(uint32_t(record.pictureIds[i]));
            if (MenuControlHasFont(record.type))
                record.font = m_Fonts.FindFont(record.fontId);
            QV7_Menu_hWnd* control = CreateMenuControl(record.type);
            if (!control)
                continue; // the reader admits only the ten types
            control->m_Page = page;
            page->m_Controls.Append(control);
            control->LoadFields(record);
        }
    }
}

void QV7_MenuManager::ResolveParents()
{
    for (MenuPage* page : m_Pages)
    {
        page->m_Parent = nullptr;
        // -1 is the number of no page, even where a page leaves its own number at -1.
        if (page->m_ParentNumber == -1)
            continue;
        for (MenuPage* other : m_Pages)
            if (other->m_OwnNumber == page->m_ParentNumber)
                page->m_Parent = other;
    }
    // A pop-up chain that comes back to a page it has passed is cut at the
    // link that closes it, so every page still draws, the cut one as a page
    // of its own.
    std::vector<MenuPage*> chain;
    for (MenuPage* page : m_Pages)
    {
        chain.assign(1, page);
        for (MenuPage* p = page; p->m_Parent; p = p->m_Parent)
        {
            if (std::find(chain.begin(), chain.end(), p->m_Parent) != chain.end())
            {
                QV7_Logger::Log(
                    g_logger,
                    "WARNING: Menu page %s: its parent %s leads back to it; shown without a parent.", p->m_Id,
                    p->m_Parent->m_Id);
                p->m_Parent = nullptr;
                break;
            }
            chain.push_back(p->m_Parent);
        }
    }
}

void QV7_MenuManager::CreateCursorTrail()
{
    if (!g_particles2D)
        return;
    m_CursorTrail = g_particles2D->CreateEmitter(5.0f, m_TrailPicture, 400.0f, 300.0f, 6.0f, 6.0f);
    m_CursorTrail->m_JitterX = 5.0f;
    m_CursorTrail->m_JitterY = 5.0f;
    m_CursorTrail->m_SpreadX = 10.0f;
    m_CursorTrail->m_SpreadY = 10.0f;
    m_CursorTrail->m_ChildCount = 0;
    m_CursorTrail->m_RandomColour = 0;
    *m_CursorTrail->m_Colours.Add() = 0xFF806400;
}

void QV7_MenuManager::LoadStrings(const std::string& path)
{
    BinaryReader reader;
    if (!reader.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: File Menu_c.qvx in Data directory can't be accessed. %s",
                        path.c_str());
        return;
    }
    // A broken string ends the start-up like any data file's; see MenuFileReadIo.
    std::vector<std::string> strings;
    ReadMenuStrings(reader, strings, path);
    for (const std::string& text : strings)
        std::snprintf(m_Strings.Add()->m_Text, sizeof(MenuString::m_Text), "%s", text.c_str());
}

int QV7_MenuManager::FindPageIndex(const char* id) const
{
    if (!id)
        return 0;
    for (int i = 0; i < m_Pages.Count(); ++i)
        if (std::strcmp(m_Pages[i]->m_Id, id) == 0)
            return i;
    return 0;
}

MenuPage* QV7_MenuManager::FindPage(const char* id) const
{
    if (!id)
        return nullptr;
    for (MenuPage* page : m_Pages)
        if (std::strcmp(page->m_Id, id) == 0)
            return page;
    return nullptr;
}

MenuPage* QV7_MenuManager::CurrentPage() const
{
    return m_CurrentPage >= 0 && m_CurrentPage < m_Pages.Count() ? m_Pages[m_CurrentPage] : nullptr;
}

QV7_Menu_hWnd* QV7_MenuManager::FindControl(const char* id, int type) const
{
    MenuPage* page = CurrentPage();
    if (!id || !page)
        return nullptr;
    for (QV7_Menu_hWnd* control : page->m_Controls)
        if (std::strcmp(control->m_Id, id) == 0 && (type == kMenuAnyType || control->m_Type == type))
            return control;
    return nullptr;
}

void QV7_MenuManager::BringControlToFront(const char* id)
{
    MenuPage* page = CurrentPage();
    if (!id || !page)
        return;
    QV7_Menu_hWnd** controls = page->m_Controls.items;
    for (int i = 0; i < page->m_Controls.Count(); ++i)
        if (std::strcmp(controls[i]->m_Id, id) == 0)
        {
            std::swap(controls[0], controls[i]);
            return;
        }
}

void QV7_MenuManager::UpdateCurrentPage()
{
    if (MenuPage* page = CurrentPage())
        page->Update();
}

const char* QV7_MenuManager::RenderCurrentPage(int)
{
    m_ClickedId = nullptr;
    if (!g_screen2D || !g_scene)
        return nullptr;
    g_screen2D->Begin2D();
    g_scene->SetRenderState(FALSE, D3DRS_ZWRITEENABLE);
    MenuPage* page = CurrentPage();
    if (!page)
    {
        g_screen2D->End2D();
        return nullptr;
    }
    // With the cursor off the page sees no mouse at all, and no control may
    // keep holding it (a slider drag ends there).
    g_menuMouseInput = m_CursorFlag ? 1 : 0;
    if (!g_menuMouseInput)
        g_capturedWidget = nullptr;
    page->Render(0);
    if (m_CursorFlag == 1)
        DrawCursor();
    g_screen2D->End2D();
    return m_ClickedId;
}

void QV7_MenuManager::DrawCursor()
{
    const float x = MenuMouseX(), y = MenuMouseY();
    if (m_CursorTrail && g_particles2D)
    {
        g_screen2D->End2D();
        m_CursorTrail->m_X = x + 16.0f;
        m_CursorTrail->m_Y = y + 16.0f;
        g_particles2D->Update(m_CursorTrail);
        g_particles2D->Draw(m_CursorTrail);
        g_screen2D->Begin2D();
    }
    // Without a cursor picture (missing from Textures1.qvx) only the trail shows.
    if (TextureOf(m_CursorPicture))
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, m_CursorPicture->m_Texture, x, y,
                                     x + float(m_CursorPicture->m_Info.Width),
                                     y + float(m_CursorPicture->m_Info.Height));
}

void QV7_MenuManager::ResetPageControls()
{
    if (MenuPage* page = CurrentPage())
        page->ResetControls();
}

void QV7_MenuManager::MarkPageTexturesUsed(int pageIndex)
{
    if (pageIndex >= 0 && pageIndex < m_Pages.Count())
        m_Pages[pageIndex]->MarkTexturesUsed();
}

TextureRecord* QV7_MenuManager::SwapTextureSet(int mode, int showProgress, float progressSpan,
                                               const RaceMapPictures* mapPictures)
{
    if (mode == m_TextureSetMode)
        return nullptr;
    TextureRecord* result = nullptr;
    if (mode == 1)
    {
        QV7_TextureList::ReleaseUnused();
        if (g_itemTextures)
        {
            const RaceMapPictures none;
            const RaceMapPictures& map = mapPictures ? *mapPictures : none;
            result = g_itemTextures->ReleaseBuggyTextures(map.m_Loading, map.m_Minimap, map.m_MinimapDot);
        }
    }
    else if (mode == 0)
    {
        QV7_TextureList::ReloadMenuTextures(g_dataDir + "Textures1.qvx", showProgress != 0, progressSpan);
        if (g_itemTextures)
            g_itemTextures->ReloadBuggyTextures(g_dataDir + "Textures2.qvx", m_ItemTextureIds,
                                                m_ItemTextureIdCount);
    }
    m_TextureSetMode = mode;
    return result;
}

void QV7_MenuManager::DrawPageBackdrop(const char* id, int alpha)
{
    MenuPage* page = FindPage(id);
    if (!page || !TextureOf(page->m_Background) || !g_screen2D || !g_scene)
        return;
    g_screen2D->DrawTexturedFade(alpha, page->m_Background->m_Texture);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
}

void QV7_MenuManager::OnLostReset(int lost)
{
    m_Fonts.OnLostReset(lost);
}
