// The in-race pages' shared frame and set-up helpers.
#include "race/RaceMenuFrame.h"

#include "race/QV7_MapSystem.h"
#include "race/RaceMenuHooks.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_Input.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstring>
#include <set>
#include <string>

RaceMenuHooks g_raceMenuHooks;

namespace racemenu
{
namespace
{
// A line for a missing page or control, once per run.
void ReportOnce(const std::string& key, const char* page, const char* id)
{
    static std::set<std::string> reported;
    if (!reported.insert(key).second)
        return;
    if (id)
        QV7_Logger::Log(g_logger, "ERROR: In-race menu: control %s missing on page %s", id, page);
    else
        QV7_Logger::Log(g_logger, "ERROR: In-race menu: page %s missing", page);
}

void DrawFrozenPicture(const QV7_MapSystem& session)
{
    if (!g_screen2D || !session.pauseSurface || !session.pauseSurface->m_Texture)
        return;
    const ScreenSize screen = Screen();
    g_screen2D->Begin2D();
    g_screen2D->DrawTexturedRect(0xFFFFFFFF, session.pauseSurface->m_Texture, 0.0f, 0.0f, float(screen.width),
                                 float(screen.height));
    g_screen2D->End2D();
}
} // namespace

ScreenSize Screen()
{
    ScreenSize size;
    if (g_engine && g_engine->m_PresentParameters.BackBufferWidth > 0)
    {
        size.width = int(g_engine->m_PresentParameters.BackBufferWidth);
        size.height = int(g_engine->m_PresentParameters.BackBufferHeight);
    }
    return size;
}

bool KeyDown(int code)
{
    return g_input && g_input->IsKeyDown(code) > 0;
}

bool AnyMouseButtonDown()
{
    if (!g_input)
        return false;
    for (uint8_t button : g_input->m_MouseState.rgbButtons)
        if (button & 0x80)
            return true;
    return false;
}

float FrameMs()
{
    if (QV7_MapSystem::s_Hooks.frameMs)
        return QV7_MapSystem::s_Hooks.frameMs();
    return g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
}

void FreezePicture(QV7_MapSystem& session)
{
    if (g_raceMenuHooks.renderFrameNoHud)
        g_raceMenuHooks.renderFrameNoHud(session);
}

MenuFrame RunMenuFrame(QV7_MapSystem& session, const char* page, void (*drawOver)(void*), void* context)
{
    MenuFrame frame;
    if (g_menuManager && page)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
    frame.gate = PumpFrame();
    if (!frame.Drawn())
        return frame;
    if (g_input)
        g_input->Poll();
    if (session.deviceReset)
    {
        session.deviceReset = 0;
        if (g_raceMenuHooks.applyCamera)
            g_raceMenuHooks.applyCamera(session);
        FreezePicture(session);
    }
    if (g_menuManager && page)
        g_menuManager->UpdateCurrentPage();
    g_frameManager->BeginFrame();
    DrawFrozenPicture(session);
    if (g_menuManager && page)
        frame.clicked = g_menuManager->RenderCurrentPage(0);
    if (drawOver)
        drawOver(context);
    g_frameManager->EndFrame();
    return frame;
}

MenuPage* OpenPage(const char* id, int dx, int dy)
{
    if (!g_menuManager)
        return nullptr;
    g_menuManager->m_CursorFlag = 1;
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(id);
    MenuPage* page = g_menuManager->FindPage(id);
    if (!page)
    {
        ReportOnce(id, id, nullptr);
        return nullptr;
    }
    for (int i = 0; i < page->m_Controls.count; ++i)
    {
        QV7_Menu_hWnd& control = *page->m_Controls.items[i];
        control.m_Left = control.m_DesignLeft + dx;
        control.m_Top = control.m_DesignTop + dy;
        control.m_Right = control.m_DesignRight + dx;
        control.m_Bottom = control.m_DesignBottom + dy;
    }
    return page;
}

QV7_Menu_hWnd* FindControl(const char* page, const char* id, int type)
{
    QV7_Menu_hWnd* control = nullptr;
    if (g_menuManager && g_menuManager->FindPage(page))
        control = g_menuManager->FindControl(id, type);
    if (control)
        return control;
    ReportOnce(std::string(page) + "/" + id, page, id);
    return nullptr;
}

bool Is(const char* clicked, const char* id)
{
    return clicked && std::strcmp(clicked, id) == 0;
}
} // namespace racemenu
