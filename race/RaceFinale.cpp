// The championship finale's pages: the won screen faded in until the
// player presses on, the credits' backdrop faded over it, the credit lines
// scrolling up through their box, and a fade to black.
#include "race/RaceFinale.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/MenuPage.h"
#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "media/QV7_Input.h"
#include "race/ProfileRecord.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Profiles.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "world/QV7_Landscape.h"

#include <algorithm>

namespace
{
constexpr int kSkipKeys[] = {1, 57, 28};

bool PressDown()
{
    if (!g_input)
        return false;
    for (uint8_t button : g_input->m_MouseState.rgbButtons)
        if (button & 0x80)
            return true;
    for (int key : kSkipKeys)
        if (g_input->IsKeyDown(key) > 0)
            return true;
    return false;
}

float FrameMs()
{
    if (QV7_MapSystem::s_Hooks.frameMs)
        return QV7_MapSystem::s_Hooks.frameMs();
    return g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
}

// One frame of the current page with what draw adds in its 2D bracket;
// false when the game is to end.
template <class Draw> bool PageFrame(Draw draw)
{
    const FrameResult gate = PumpFrame();
    if (gate == FRAME_QUIT)
        return false;
    if (gate == FRAME_SKIP)
        return true;
    if (g_input)
        g_input->Poll();
    g_frameManager->BeginFrame();
    if (g_menuManager)
        g_menuManager->RenderCurrentPage();
    if (g_screen2D)
    {
        g_screen2D->Begin2D();
        draw();
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    return true;
}

IDirect3DTexture9* Backdrop(const char* pageId)
{
    MenuPage* page = g_menuManager ? g_menuManager->FindPage(pageId) : nullptr;
    return page && page->m_Background ? page->m_Background->m_Texture : nullptr;
}

// The won screen: faded in until a press.
bool WonScreen()
{
    float level = 0.0f;
    for (;;)
    {
        if (!PageFrame([&] { g_screen2D->DrawFade(int(level)); }))
            return false;
        if (PressDown())
            return true;
        level = std::min(255.0f, level + 0.1f * FrameMs());
    }
}

bool CrossFade()
{
    IDirect3DTexture9* credits = Backdrop("ID_WON_SCREEN_CREDITS");
    for (float level = 255.0f; level > 0.0f;)
    {
        if (!PageFrame([&] { g_screen2D->DrawTexturedFade(int(level), credits); }))
            return false;
        level -= 0.1f * std::max(FrameMs(), 1.0f);
    }
    return true;
}

int LineAlpha(float y, float top, float bottom)
{
    float alpha = 255.0f;
    if (y < top + 25.0f)
        alpha = 10.0f * (y - top);
    else if (y > bottom - 36.0f)
        alpha = 10.0f * ((bottom - 11.0f) - y);
    return std::clamp(int(alpha), 0, 255);
}

bool Credits()
{
    if (!g_menuManager)
        return true;
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_WON_SCREEN_CREDITS");
    auto* box = dynamic_cast<QV7_Menu_Caption*>(g_menuManager->FindControl("IDCREDITS", kMenuAnyType));
    const float top = box ? float(box->m_Top) : 0.0f, bottom = box ? float(box->m_Bottom) : 0.0f;
    const int lines = g_menuManager->m_Strings.Count();
    float scroll = bottom;
    bool released = false;
    while (scroll > top - 17.0f * float(lines))
    {
        auto draw = [&]
        {
            MenuFont* font = box && box->m_Font ? box->m_Font->m_Font : nullptr;
            // Text opens its own state work space, outside the 2D one.
            g_screen2D->End2D();
            for (int i = 0; i < lines && font; ++i)
            {
                const float y = scroll + 17.0f * float(i);
                if (y > top && y < bottom - 11.0f)
                    DrawFontText(font, float(box->m_Left), y,
                                 (D3DCOLOR(LineAlpha(y, top, bottom)) << 24) | 0xF0F0F0,
                                 g_menuManager->m_Strings[i]->m_Text, 0);
            }
            g_screen2D->Begin2D();
        };
        if (!PageFrame(draw))
            return false;
        // The press that ended the won screen does not end the credits.
        const bool down = PressDown();
        if (released && down)
            break;
        released = released || !down;
        scroll -= 0.02f * FrameMs();
    }
    return true;
}
} // namespace

void RunFinaleScreens()
{
    if (!g_frameManager || !g_menuManager)
        return;
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    g_menuManager->m_CursorFlag = 0;
    g_menuManager->m_CurrentPage =
        g_menuManager->FindPageIndex(!profile || profile->gender == 1 ? "ID_WON_SCREEN" : "ID_WON_SCREENF");
    if (!WonScreen() || !CrossFade() || !Credits())
        return;
    for (float level = 255.0f; level > 0.0f;)
    {
        if (!PageFrame([&] { g_screen2D->DrawFade(int(level)); }))
            return;
        level -= 0.1f * std::max(FrameMs(), 1.0f);
    }
}
