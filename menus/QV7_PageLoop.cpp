// The page loop shared by every menu screen.
#include "menus/QV7_PageLoop.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_Input.h"

#include <algorithm>

namespace
{
const int kSkipKeys[] = {1, 57, 28}; // Escape, Space, Enter

void DrawCover(const MenuCover& cover)
{
    if (cover.kind == MenuCover::None || cover.fade >= 255.0f || !g_screen2D)
        return;
    g_screen2D->Begin2D();
    if (cover.kind == MenuCover::Black)
        g_screen2D->DrawFade(int(cover.fade));
    else if (g_menuManager)
        g_menuManager->DrawPageBackdrop(cover.backdropPage, int(cover.fade));
    g_screen2D->End2D();
}
} // namespace

float MenuFrameMs()
{
    const float ms = g_frameManager ? g_frameManager->m_LastFrameMs : 1.0f;
    return ms == 0.0f ? 1.0f : ms;
}

bool MenuButtonDown()
{
    return g_input && (g_input->m_MouseState.rgbButtons[0] & 0x80) != 0;
}

bool AnyMenuButtonDown()
{
    if (!g_input)
        return false;
    for (uint8_t button : g_input->m_MouseState.rgbButtons)
        if (button & 0x80)
            return true;
    return false;
}

bool MenuSkipKeyDown()
{
    if (!g_input)
        return false;
    for (int key : kSkipKeys)
        if (g_input->IsKeyDown(key) > 0)
            return true;
    return false;
}

void ClickGuard::Note()
{
    m_Held = MenuButtonDown();
}

const char* ClickGuard::Filter(const char* clicked)
{
    if (!m_Held)
        return clicked;
    if (!MenuButtonDown())
        m_Held = false;
    return nullptr;
}

bool ClickGuard::FreshPress()
{
    return Filter(MenuButtonDown() ? "" : nullptr) != nullptr;
}

FrameResult StartPageFrame(const char* pageId, int menuInput)
{
    if (g_menuManager)
    {
        g_menuManager->m_CursorFlag = menuInput;
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(pageId);
    }
    const FrameResult gate = PumpFrame();
    if (gate == FRAME_SKIP || gate == FRAME_QUIT)
        return gate;
    if (g_input)
        g_input->Poll();
    if (g_menuManager)
        g_menuManager->UpdateCurrentPage();
    return gate;
}

const char* DrawPageFrame(const MenuCover& cover, const std::function<void()>& drawOver)
{
    g_frameManager->BeginFrame();
    const char* clicked = g_menuManager ? g_menuManager->RenderCurrentPage(0) : nullptr;
    if (drawOver)
        drawOver();
    DrawCover(cover);
    g_frameManager->EndFrame();
    return clicked;
}

PageFrame RunPageFrame(const char* pageId, int menuInput, const MenuCover& cover)
{
    PageFrame frame;
    frame.gate = StartPageFrame(pageId, menuInput);
    if (frame.Drawn())
        frame.clicked = DrawPageFrame(cover);
    return frame;
}

bool RunPageFade(float& fade, const PageFade& fadePlan, const std::function<void(const char*)>& onFrame)
{
    const bool rising = fadePlan.target >= fade;
    while (rising ? fade < fadePlan.target : fade > fadePlan.target)
    {
        const PageFrame frame =
            RunPageFrame(fadePlan.page, fadePlan.menuInput, {fadePlan.cover, fadePlan.backdropPage, fade});
        if (frame.gate == FRAME_QUIT)
            return false;
        if (!frame.Drawn())
            continue;
        if (onFrame)
            onFrame(frame.clicked);
        const float step = fadePlan.factor * MenuFrameMs();
        fade = rising ? std::min(fadePlan.target, fade + step) : std::max(fadePlan.target, fade - step);
    }
    return true;
}

bool HoldAdvertPage(const char* page)
{
    float held = 0.0f;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 0);
        if (frame.gate == FRAME_QUIT)
            return false;
        if (!frame.Drawn())
            continue;
        held += 0.1f * MenuFrameMs();
        if (held > 100.0f && (AnyMenuButtonDown() || MenuSkipKeyDown()))
            return true;
    }
}
