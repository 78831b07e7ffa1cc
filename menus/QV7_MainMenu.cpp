// The main menu loop. It fades in from black on its first frame (and after a
// finished demo), hands the front-end music from the opening piece to the
// looping one, and opens the screens behind its buttons; coming back from one
// shows the menu at once.
#include "menus/QV7_MainMenu.h"

#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_TextField.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "menus/QV7_CreditsPage.h"
#include "menus/QV7_DemoPages.h"
#include "menus/QV7_OptionsPages.h"
#include "menus/QV7_PageLoop.h"
#include "menus/QV7_ProfilePages.h"
#include "shell/QV7_Windows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

bool g_demoFinished = false;

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kBackdropPage = "ID_MM_BACKGROUND";

void WriteVersionText()
{
    if (!g_menuManager)
        return;
    char text[32];
    const GameSettings& settings = g_windowsData->m_Settings;
    std::snprintf(text, sizeof text, "V%d.%d", settings.Version, settings.Version_Branch);
    QV7_Menu_hWnd* control = g_menuManager->FindControl("IDVERSION", kMenuAnyType);
    if (!control)
        return;
    if (control->m_Type == kMenuCaption)
        std::snprintf(static_cast<QV7_Menu_Caption*>(control)->m_Text, QV7_Menu_Caption::kTextSize, "%s",
                      text);
    else if (control->m_Type == kMenuText)
        std::snprintf(static_cast<QV7_Menu_Text*>(control)->m_Text, QV7_Menu_Text::kTextSize, "%s", text);
}

// Once the opening piece has ended by itself the looping one takes over.
void KeepMusicGoing(bool& musicStart)
{
    if (!musicStart || !g_soundSystem || g_soundSystem->KeepPlaying(g_soundSystem->m_MusicA))
        return;
    g_soundSystem->PlaySound(g_soundSystem->m_MusicB, true);
    musicStart = false;
}

// Any button cuts the opening piece short.
void SwitchToLoopingMusic()
{
    if (!g_soundSystem)
        return;
    g_soundSystem->StopSound(g_soundSystem->m_MusicA);
    g_soundSystem->PlaySound(g_soundSystem->m_MusicB, true);
}

// Acts on a main-menu click; true when the game is to end.
bool ActOnClick(const char* clicked, float fade)
{
    if (std::strcmp(clicked, "IDSINGLEPLAYER") == 0)
        RunProfilePage(fade);
    else if (std::strcmp(clicked, "IDCREDITS") == 0)
        RunCreditsPage(fade);
    else if (std::strcmp(clicked, "IDOPTIONS") == 0)
        RunOptionsPage(fade);
    else if (std::strcmp(clicked, "IDMULTIPLAYER") == 0)
        ShowDemoMultiplayerPage();
    else if (std::strcmp(clicked, "IDEXIT") == 0)
        return RunExitConfirm() == 1;
    return false;
}
} // namespace

void RunMainMenu()
{
    if (g_input)
        g_input->Poll();
    ClickGuard guard;
    if (g_menuManager)
        g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(kMainPage);
    WriteVersionText();
    float fade = 0.0f;
    bool musicStart = true;
    for (;;)
    {
        if (g_demoFinished)
        {
            g_demoFinished = false;
            fade = 0.0f;
        }
        const FrameResult gate = StartPageFrame(kMainPage, 1);
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_SKIP)
            continue;
        fade = std::min(255.0f, fade + 0.5f * MenuFrameMs());
        const char* clicked = guard.Filter(DrawPageFrame(MenuCover::PageBackdrop(kBackdropPage, fade)));
        KeepMusicGoing(musicStart);
        if (!clicked)
            continue;
        SwitchToLoopingMusic();
        if (ActOnClick(clicked, fade))
            break;
        fade = 255.0f;
        guard.Note();
    }
    ShowDemoAdvertPage("ID_MAIN_MENU_EXIT");
}

int RunExitConfirm()
{
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame("ID_MAIN_MENU_EXIT", 1);
        if (frame.gate == FRAME_QUIT)
            return 1;
        if (!frame.Drawn())
            continue;
        const char* clicked = guard.Filter(frame.clicked);
        if (!clicked)
            continue;
        if (std::strcmp(clicked, "IDYES") == 0)
            return 1;
        if (std::strcmp(clicked, "IDNO") == 0)
            return 0;
        guard.Note();
    }
}
