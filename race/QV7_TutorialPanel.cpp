// The lessons' instruction texts (with the bound keys' names), the time-left
// line and the modal panel over the frozen race picture.
#include "race/QV7_Tutorial.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_Menu_ListBox.h"
#include "media/KeyNames.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/RaceHud.h"
#include "race/RaceMenuFrame.h"
#include "race/RaceMenuHooks.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"

#include <cstdio>
#include <cstring>

namespace
{
constexpr int kTextGroup = 1;
constexpr int kPanelHalfWidth = 256;
constexpr int kPanelHalfHeight = 128;
constexpr int kNoKey = -1;

struct TextEntry
{
    int lesson;
    int step;
    int entry;
    KeyAction keys[4];
    int keyCount;
};

const TextEntry kTexts[] = {
    {0, 0, 0, {KEY_Accelerate, KEY_SteerLeft, KEY_SteerRight, KEY_Reverse}, 4},
    {0, 1, 1, {KEY_Respawn, KEY_Respawn, KEY_Respawn}, 3},
    {0, 2, 2, {KEY_HandBrake, KEY_HandBrake}, 2},
    {0, 3, 3, {}, 0},
    {0, 4, 4, {}, 0},
    {1, 0, 5, {KEY_Shoot}, 1},
    {1, 1, 6, {KEY_Shoot}, 1},
    {1, 2, 7, {}, 0},
    {1, 3, 8, {}, 0},
    {1, 4, 9, {}, 0},
    {1, 5, 10, {}, 0},
    {2, 0, 11, {KEY_Shield}, 1},
    {2, 1, 12, {KEY_Jammer}, 1},
    {2, 2, 13, {KEY_Turbo}, 1},
    {2, 3, 14, {}, 0},
    {2, 4, 15, {}, 0},
    {2, 5, 16, {}, 0},
    {2, 6, 17, {}, 0},
    {2, 7, 18, {}, 0},
    {3, 0, 19, {}, 0},
    {3, 1, 20, {}, 0},
    {3, 2, 21, {}, 0},
};

const char* DefaultText(int entry)
{
    return g_windowsData ? g_windowsData->GetLanguageString(kTextGroup, entry) : "";
}

InputCode FirstBinding(KeyAction action)
{
    if (QV7_Tutorial::s_Hooks.binding)
        return QV7_Tutorial::s_Hooks.binding(action, 0);
    return g_windowsData ? g_windowsData->m_Settings.Keys[action][0] : kNoKey;
}

const uint8_t* Keyboard()
{
    if (QV7_Tutorial::s_Hooks.keyboard)
        return QV7_Tutorial::s_Hooks.keyboard();
    return g_input ? g_input->m_KeyState : nullptr;
}

void PauseSounds(int pause)
{
    if (g_soundSystem)
        g_soundSystem->Pause(pause);
}

void Place(QV7_Menu_hWnd* control, int dx, int dy)
{
    if (!control)
        return;
    control->m_Left = control->m_DesignLeft + dx;
    control->m_Right = control->m_DesignRight + dx;
    control->m_Top = control->m_DesignTop + dy;
    control->m_Bottom = control->m_DesignBottom + dy;
}

void DrawPanelCallback(void* context)
{
    auto* tutorial = static_cast<QV7_Tutorial*>(context);
    if (!g_screen2D)
        return;
    g_screen2D->Begin2D();
    QV7_Menu_hWnd* border = tutorial->finalPanel ? tutorial->finalFrame : tutorial->frame;
    if (border)
        border->Draw(1);
    if (tutorial->textList)
        tutorial->textList->Draw(1);
    g_screen2D->End2D();
}
} // namespace

// ---- texts ----

std::string QV7_Tutorial::FillKeyNames(const char* format, const std::vector<const char*>& names)
{
    std::string out;
    if (!format)
        return out;
    const size_t limit = size_t(kTextSize - 1);
    size_t next = 0;
    for (const char* p = format; *p && out.size() < limit; ++p)
    {
        if (p[0] == '%' && p[1] == 's')
        {
            const char* name = next < names.size() && names[next] ? names[next] : "?";
            ++next;
            out.append(name, std::min(std::strlen(name), limit - out.size()));
            ++p;
            continue;
        }
        out.push_back(*p);
    }
    return out;
}

std::string QV7_Tutorial::InstructionText() const
{
    for (const TextEntry& entry : kTexts)
    {
        if (entry.lesson != session.lesson || entry.step != step)
            continue;
        const char* format = s_Hooks.text ? s_Hooks.text(entry.entry) : DefaultText(entry.entry);
        std::vector<const char*> names;
        for (int k = 0; k < entry.keyCount; ++k)
            names.push_back(GetKeyName(FirstBinding(entry.keys[k])));
        return FillKeyNames(format ? format : "", names);
    }
    return std::string();
}

void QV7_Tutorial::BuildInstructionText()
{
    text = InstructionText();
    auto* list = dynamic_cast<QV7_Menu_List*>(textList);
    if (!list)
        return;
    list->m_Rows.Clear();
    list->AddText(text.c_str());
}

std::string QV7_Tutorial::TimeLeftText(const char* label, float limitMs, float elapsedMs)
{
    float seconds = (limitMs - elapsedMs) / 1000.0f;
    if (!(seconds > 0.0f))
        seconds = 0.0f;
    const int minutes = int(seconds / 60.0f);
    const int rest = int(seconds) - 60 * minutes;
    char line[300];
    std::snprintf(line, sizeof line, "%s %d:%.2d", label ? label : "", minutes, rest);
    return line;
}

void QV7_Tutorial::DrawTimeLeft(float limitMs)
{
    if (!timeLeft)
        return;
    SetControlText(timeLeft, TimeLeftText(ControlLabel(timeLeft), limitMs, elapsed).c_str());
    timeLeft->Draw(1);
}

// ---- the panel ----

void QV7_Tutorial::OpenPanel(const uint8_t* keys)
{
    if (keys)
        std::memcpy(panelKeys, keys, sizeof panelKeys);
    panelWait = kFinalWaitMs;
}

bool QV7_Tutorial::PanelFrame(float frameMs, const uint8_t* keys)
{
    panelWait = panelWait - frameMs > 0.0f ? panelWait - frameMs : 0.0f;
    const bool tDown = keys && (keys[kPanelKey] & 0x80) != 0;
    bool close = false;
    if (!tDown)
        panelLatch = 1;
    else if (panelLatch)
        close = true;
    if (finalPanel && keys)
    {
        if (panelWait > 0.0f)
            std::memcpy(panelKeys, keys, sizeof panelKeys);
        else if (std::memcmp(panelKeys, keys, sizeof panelKeys) != 0)
            close = true;
    }
    if (close)
        panelLatch = requestLatch = 0;
    return close;
}

void QV7_Tutorial::FreezeAndPause()
{
    if (session.session)
    {
        if (g_raceMenuHooks.applyCamera)
            g_raceMenuHooks.applyCamera(*session.session);
        // The race's own frame without HUD until the pages' hook is set.
        if (g_raceMenuHooks.renderFrameNoHud)
            racemenu::FreezePicture(*session.session);
        else
            QV7_MapSystem::RenderFrameNoHud(*session.session);
    }
    PauseSounds(1);
    if (g_soundSystem)
        g_soundSystem->StopAllWhilePaused();
}

void QV7_Tutorial::DrawPanel()
{
    const racemenu::ScreenSize screen = racemenu::Screen();
    const int dx = screen.width / 2 - kPanelHalfWidth, dy = screen.height / 2 - kPanelHalfHeight;
    for (QV7_Menu_hWnd* control : {frame, textList, finalFrame})
        Place(control, dx, dy);
}

void QV7_Tutorial::RunInstructionPanel()
{
    if (!session.session || !g_frameManager)
        return;
    QV7_MapSystem& race = *session.session;
    if (session.rerender)
        *session.rerender = 0;
    FreezeAndPause();
    OpenPanel(Keyboard());
    DrawPanel();
    for (;;)
    {
        const float frameMs = racemenu::FrameMs();
        race.UpdateMusic();
        if (session.rerender && *session.rerender)
        {
            *session.rerender = 0;
            FreezeAndPause();
        }
        const racemenu::MenuFrame shown = racemenu::RunMenuFrame(race, nullptr, &DrawPanelCallback, this);
        if (shown.gate == FRAME_QUIT)
        {
            PauseSounds(0);
            return;
        }
        if (!shown.Drawn())
            continue;
        if (PanelFrame(frameMs, Keyboard()))
            break;
    }
    PauseSounds(0);
}
