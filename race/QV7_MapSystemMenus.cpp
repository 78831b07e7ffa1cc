// The pages a player reaches inside a race: the escape menu with its
// restart, leave and options, and the pause screen. Each is a modal loop over
// the frozen race picture; only the music keeps playing under them.
#include "race/QV7_MapSystem.h"

#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/RaceMenuFrame.h"
#include "race/RaceMenuHooks.h"

#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Windows.h"

#include <algorithm>

using namespace racemenu;

namespace
{
constexpr int kEscapeKey = 1;
const char* const kEscMenuPage = "ID_ESC_MENU";
// Space, Enter and keypad Enter end the pause screen as Escape does.
const int kPauseEndKeys[] = {kEscapeKey, 57, 28, 156};

void StopEffectsWhilePaused()
{
    if (g_soundSystem)
        g_soundSystem->StopAllWhilePaused();
}

// The page centred on the screen by its frame's right and bottom edges.
void OpenCentredEscMenu()
{
    OpenPage(kEscMenuPage, 0, 0);
    QV7_Menu_hWnd* frame = FindControl(kEscMenuPage, "IDESCMENU", kMenuAnyType);
    if (!frame)
        return;
    const ScreenSize screen = Screen();
    const int dx = int(float(screen.width) * 0.5f - float(frame->m_DesignRight) * 0.5f);
    const int dy = int(float(screen.height) * 0.5f - float(frame->m_DesignBottom) * 0.5f);
    OpenPage(kEscMenuPage, dx, dy);
}

void FadeOver(void* level)
{
    if (!g_screen2D)
        return;
    g_screen2D->Begin2D();
    g_screen2D->DrawFade(*static_cast<const int*>(level));
    g_screen2D->End2D();
}

// Leaving costs no ammunition: every racer gets back what it started with.
// Then the page fades to black and one black frame follows.
int LeaveRace(QV7_MapSystem& session)
{
    if (session.physicsGroup)
        for (int i = 0; i < session.physicsGroup->racers.count; ++i)
        {
            QV7_Buggy& racer = *session.physicsGroup->racers.items[i];
            if (racer.ammo)
                std::copy(racer.ammoStart, racer.ammoStart + 4, racer.ammo);
        }
    if (g_menuManager)
        g_menuManager->m_CursorFlag = 0;
    float level = 255.0f;
    for (bool black = false; !black;)
    {
        black = level <= 0.0f;
        int fade = int(level);
        const MenuFrame frame = RunMenuFrame(session, kEscMenuPage, &FadeOver, &fade);
        if (frame.gate == FRAME_QUIT)
            break;
        if (frame.Drawn())
            level = std::max(level - 0.8f * FrameMs(), 0.0f);
        else
            black = false;
    }
    return 1;
}

// The racers back on the grid and the full countdown with every grid line held.
int RestartRace(QV7_MapSystem& session)
{
    if (session.physicsGroup)
        session.physicsGroup->PlaceOnStartGrid();
    session.countdown = QV7_MapSystem::kCountdownMs;
    std::fill(session.releaseFlags, session.releaseFlags + QV7_MapSystem::kReleaseFlagCount, 1);
    session.countdownDisplay = 0;
    if (g_raceMenuHooks.resetTrackItems)
        g_raceMenuHooks.resetTrackItems(session);
    if (session.mode == RACE_MODE_TUTORIAL && g_raceMenuHooks.resetTutorial)
        g_raceMenuHooks.resetTutorial(session);
    return 2;
}

bool PauseKeyDown()
{
    const InputCode* codes = g_windowsData ? g_windowsData->m_Settings.Keys[KEY_Pause] : nullptr;
    static const GameSettings defaults;
    if (!codes)
        codes = defaults.Keys[KEY_Pause];
    return (codes[0] >= 0 && KeyDown(codes[0])) || (codes[1] >= 0 && KeyDown(codes[1]));
}

// A click or an ending key, or a new press of Pause once the one that opened
// the screen is up.
bool PauseEnds(bool& pauseHeld)
{
    if (AnyMouseButtonDown())
        return true;
    for (int key : kPauseEndKeys)
        if (KeyDown(key))
            return true;
    if (!PauseKeyDown())
    {
        pauseHeld = false;
        return false;
    }
    return !pauseHeld;
}

void DrawPauseControl(void* control)
{
    if (!control || !g_screen2D)
        return;
    g_screen2D->Begin2D();
    static_cast<QV7_Menu_hWnd*>(control)->Draw(1);
    g_screen2D->End2D();
}
} // namespace

int QV7_MapSystem::RunEscMenu()
{
    FreezePicture(*this);
    OpenCentredEscMenu();
    // An Escape still held from the press that opened the menu must be let go first.
    bool escapeHeld = KeyDown(kEscapeKey);
    for (;;)
    {
        UpdateMusic();
        StopEffectsWhilePaused();
        if (!KeyDown(kEscapeKey))
            escapeHeld = false;
        else if (!escapeHeld)
            return 0;
        const MenuFrame frame = RunMenuFrame(*this, kEscMenuPage);
        if (frame.gate == FRAME_QUIT)
            return 1;
        if (Is(frame.clicked, "IDRETURN"))
            return 0;
        if (Is(frame.clicked, "IDEXIT"))
            return LeaveRace(*this);
        if (Is(frame.clicked, "IDRESTART"))
            return RestartRace(*this);
        if (!Is(frame.clicked, "IDOPTIONS"))
            continue;
        RunOptionsMenu();
        OpenCentredEscMenu();
        escapeHeld = KeyDown(kEscapeKey);
    }
}

// The options open on the controls page; each page names the next one
// (the sound page 0 for the controls, the controls page 1 for the sound).
void QV7_MapSystem::RunOptionsMenu()
{
    int next = 1;
    for (bool controls = true; next != -1; controls = controls ? next != 1 : next == 0)
    {
        UpdateMusic();
        if (KeyDown(kEscapeKey))
            break;
        next = controls ? RunControlsMenu() : RunSoundMenu();
    }
}

int QV7_MapSystem::RunPauseScreen(QV7_Menu_hWnd* control)
{
    FreezePicture(*this);
    bool pauseHeld = PauseKeyDown();
    for (;;)
    {
        UpdateMusic();
        StopEffectsWhilePaused();
        const MenuFrame frame = RunMenuFrame(*this, nullptr, &DrawPauseControl, control);
        if (frame.gate == FRAME_QUIT)
            break;
        if (frame.Drawn() && PauseEnds(pauseHeld))
            break;
    }
    return 1;
}
