// The credits page. The control IDCREDITS marks the scroll area: its font,
// its left and right edges as the box each line is centred in, its top and
// bottom as the area's bounds. Lines fade in over the bottom 36 pixels and
// out over the top 25.
#include "menus/QV7_CreditsPage.h"

#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "menus/QV7_PageLoop.h"

#include <algorithm>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kCreditsPage = "ID_CREDITS";
const char* const kBackdropPage = "ID_MM_BACKGROUND";
constexpr float kLineHeight = 17.0f;
constexpr D3DCOLOR kLineColour = 0xF0F0F0;

struct ScrollArea
{
    MenuFont* font = nullptr;
    float left = 0.0f;
    float width = 0.0f;
    float top = 0.0f;
    float bottom = 0.0f;
};

ScrollArea FindScrollArea()
{
    ScrollArea area;
    QV7_Menu_hWnd* control = g_menuManager ? g_menuManager->FindControl("IDCREDITS", kMenuAnyType) : nullptr;
    if (!control)
        return area;
    area.left = float(control->m_Left);
    area.width = float(control->m_Right - control->m_Left);
    area.top = float(control->m_Top);
    area.bottom = float(control->m_Bottom);
    if (control->m_Type == kMenuCaption)
    {
        FontSlot* slot = static_cast<QV7_Menu_Caption*>(control)->m_Font;
        area.font = slot ? slot->m_Font : nullptr;
    }
    return area;
}

int LineAlpha(const ScrollArea& area, float y)
{
    int alpha = 255;
    if (y < area.top + 25.0f)
        alpha = std::clamp(int(y - area.top) * 10, 0, 255);
    else if (y > area.bottom - 36.0f)
        alpha = std::clamp(int(area.bottom - 11.0f - y) * 10, 0, 255);
    return alpha;
}

void DrawCreditLines(const ScrollArea& area, float y0)
{
    if (!area.font)
        return;
    const auto& lines = g_menuManager->m_Strings;
    for (int i = 0; i < lines.Count(); ++i)
    {
        const float y = y0 + kLineHeight * float(i);
        if (y <= area.top || y >= area.bottom - 11.0f)
            continue;
        const D3DCOLOR colour = D3DCOLOR(uint32_t(LineAlpha(area, y)) << 24) | kLineColour;
        area.font->m_BoxLeft = area.left;
        area.font->m_BoxWidth = area.width;
        DrawFontText(area.font, area.left, y, colour, lines[i]->m_Text, kFontCentreInBox);
    }
}

// Until the last line has left the top, a press or a skip key, or a quit.
void ScrollCredits(ClickGuard& guard)
{
    const ScrollArea area = FindScrollArea();
    const int lineCount = g_menuManager ? g_menuManager->m_Strings.Count() : 0;
    float y0 = area.bottom;
    while (y0 >= area.top - kLineHeight * float(lineCount))
    {
        const FrameResult gate = StartPageFrame(kCreditsPage, 0);
        if (gate == FRAME_QUIT)
            return;
        if (gate == FRAME_SKIP)
            continue;
        DrawPageFrame(MenuCover::Nothing(), [&] { DrawCreditLines(area, y0); });
        if (guard.FreshPress() || MenuSkipKeyDown())
            return;
        y0 -= 0.02f * MenuFrameMs();
    }
}
} // namespace

void RunCreditsPage(float fade)
{
    ClickGuard guard;
    bool skipped = false;
    const auto watchForSkip = [&](const char*)
    {
        if (guard.FreshPress() || MenuSkipKeyDown())
            skipped = true;
    };
    if (!RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}, watchForSkip) ||
        !RunPageFade(fade, {kCreditsPage, 0, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f}, watchForSkip))
        return;
    // After a quit the fades below end at their first frame.
    if (!skipped)
        ScrollCredits(guard);
    if (RunPageFade(fade, {kCreditsPage, 0, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}
