// Filling and running the two end pages, and the session's entry points to them.
#include "race/QV7_ResultsPages.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Screen2D.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "media/QV7_Input.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/RaceResults.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "world/MapRecord.h"
#include "world/QV7_MapsSort.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
constexpr int kEnter = 28;
constexpr int kPadEnter = 156;
// The time-trial page's controls sit a little up and left, its rows lower.
constexpr int kTimeTrialShift = -21;
constexpr int kTimeTrialRowDrop = 11;

ProfileRecord* CurrentProfile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

// What racer index collected this race (the six per-racer currency counters).
int32_t CollectedItems(int racerIndex)
{
    return g_profiles && racerIndex >= 0 && racerIndex < 6 ? g_profiles->words[racerIndex] : 0;
}

int ScreenOffset(bool horizontal)
{
    D3DVIEWPORT9 viewport{0, 0, 800, 600, 0.0f, 1.0f};
    if (g_device)
        g_device->GetViewport(&viewport);
    return horizontal ? int(float(viewport.Width) * 0.5f - 401.0f)
                      : int(float(viewport.Height) * 0.5f - 301.0f);
}

// The control back at its design rectangle, moved for the screen and its group.
QV7_Menu_hWnd* Place(const std::string& id, int dx, int dy)
{
    QV7_Menu_hWnd* control = g_menuManager->FindControl(id.c_str(), kMenuAnyType);
    if (!control)
        return nullptr;
    control->m_Left = control->m_DesignLeft + ScreenOffset(true) + dx;
    control->m_Right = control->m_DesignRight + ScreenOffset(true) + dx;
    control->m_Top = control->m_DesignTop + ScreenOffset(false) + dy;
    control->m_Bottom = control->m_DesignBottom + ScreenOffset(false) + dy;
    return control;
}

void SetText(const std::string& id, const std::string& text)
{
    if (auto* caption = dynamic_cast<QV7_Menu_Caption*>(g_menuManager->FindControl(id.c_str(), kMenuAnyType)))
        std::snprintf(caption->m_Text, sizeof caption->m_Text, "%s", text.c_str());
}

void SetVisible(const std::string& id, bool visible)
{
    if (QV7_Menu_hWnd* control = g_menuManager->FindControl(id.c_str(), kMenuAnyType))
        control->m_Visible = visible ? 1 : 0;
}

std::string Numbered(const char* prefix, int row)
{
    return prefix + std::to_string(row);
}

// The item count controls of the time-trial rows keep their odd seventh name.
std::string ItemsId(int row)
{
    return row == 7 ? "IDZEPHYRION7" : Numbered("IDZEPHYRIONS", row);
}

void RecordRun(const ResultsRace& race, const QV7_Buggy& player)
{
    ProfileRecord* profile = CurrentProfile();
    if (!profile || race.raceIndex < 0 || race.raceIndex >= PROFILE_RACE_COUNT)
        return;
    RaceResults::RecordBestTime(profile->bestTimes[race.raceIndex], QV7_ResultsPages::s_Now(),
                                int32_t(player.bestLap), int32_t(player.totalTime), CollectedItems(0));
}

void DrawFrozenPicture(const ResultsRace& race)
{
    if (!g_screen2D || !race.frozen || !race.frozen->m_Texture)
        return;
    D3DVIEWPORT9 viewport{0, 0, 800, 600, 0.0f, 1.0f};
    g_device->GetViewport(&viewport);
    g_screen2D->Begin2D();
    g_screen2D->DrawTexturedRect(0xFFFFFFFF, race.frozen->m_Texture, 0.0f, 0.0f, float(viewport.Width),
                                 float(viewport.Height));
    g_screen2D->End2D();
}

// One frame: the frozen picture, the page, and a fade over both when asked.
const char* EndPageFrame(ResultsRace& race, int fade)
{
    if (race.deviceReset && *race.deviceReset && race.redrawFrozen)
    {
        race.redrawFrozen(race);
        *race.deviceReset = 0;
    }
    g_menuManager->UpdateCurrentPage();
    g_frameManager->BeginFrame();
    DrawFrozenPicture(race);
    const char* clicked = g_menuManager->RenderCurrentPage();
    if (fade >= 0 && g_screen2D)
    {
        g_screen2D->Begin2D();
        g_screen2D->DrawFade(fade);
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    return clicked;
}

// Until "IDOK", Enter or the end of the game; then the fade-out.
void RunEndPage(ResultsRace& race)
{
    if (!g_frameManager)
        return;
    for (;;)
    {
        const FrameResult gate = PumpFrame();
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_SKIP)
            continue;
        if (g_input)
            g_input->Poll();
        const char* clicked = EndPageFrame(race, -1);
        const int pressed = g_input ? g_input->GetPressedCode() : -1;
        if ((clicked && std::strcmp(clicked, "IDOK") == 0) || pressed == kEnter || pressed == kPadEnter)
            break;
    }
    g_menuManager->m_CursorFlag = 0;
    for (float level = 255.0f; level > 0.0f;)
    {
        const FrameResult gate = PumpFrame();
        if (gate == FRAME_QUIT)
            return;
        if (gate == FRAME_SKIP)
            continue;
        if (g_input)
            g_input->Poll();
        EndPageFrame(race, int(level));
        level -= 0.8f * g_frameManager->m_LastFrameMs;
        if (g_frameManager->m_LastFrameMs <= 0.0f)
            level -= 0.8f; // a frame of 0 ms would never end the fade
    }
}

void OpenPage(ResultsRace& race, const char* page)
{
    if (race.redrawFrozen)
        race.redrawFrozen(race);
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex(page);
    g_menuManager->m_CursorFlag = 1;
}

QV7_Buggy* Racer(const ResultsRace& race, int index)
{
    return race.racers && index < race.racers->count ? race.racers->items[index] : nullptr;
}

std::string PilotName(const QV7_Buggy& racer)
{
    const PilotRecord* pilot = g_mapsSort ? g_mapsSort->Pilot(racer.indexInGroup - 1) : nullptr;
    return " " + (pilot ? pilot->name : "Pilot " + std::to_string(racer.indexInGroup));
}

void FillTimeTrialRows(const BestTimeList& list)
{
    for (int row = 1; row <= RaceResults::kRows; ++row)
    {
        const bool shown = row <= list.count;
        for (const std::string& id :
             {Numbered("IDDATE", row), Numbered("IDBESTT", row), Numbered("IDBESTTT", row), ItemsId(row)})
            SetVisible(id, shown);
        if (!shown)
            continue;
        const BestTimeRecord& record = *list.items[row - 1];
        SetText(Numbered("IDDATE", row), record.date);
        SetText(Numbered("IDBESTT", row), RaceResults::FormatLapTime(record.bestLap));
        SetText(Numbered("IDBESTTT", row), RaceResults::FormatLapTime(record.total));
        SetText(ItemsId(row), std::to_string(record.items));
    }
}

// The table's rows: the player, then every other racer, the first six sorted.
void FillRaceRows(const ResultsRace& race, ResultRow* rows, int racerCount)
{
    for (int i = 0; i < RaceResults::kRows; ++i)
        rows[i] = ResultRow();
    const ProfileRecord* profile = CurrentProfile();
    for (int i = 0; i < racerCount && i < RaceResults::kRows; ++i)
    {
        const QV7_Buggy& racer = *Racer(race, i);
        const std::string name = i == 0 ? " " + std::string(profile ? profile->name : "") : PilotName(racer);
        rows[i] = RaceResults::RowOf(racer, name, CollectedItems(i));
    }
    RaceResults::SortResultRows(rows);
    for (int r = 0; r < RaceResults::kRows; ++r)
    {
        const int row = r + 1;
        const bool filled = r < racerCount;
        SetText(Numbered("IDPLAYER", row), filled ? rows[r].name : "");
        SetText(Numbered("IDBESTT", row), filled ? RaceResults::FormatLapTime(rows[r].bestLap) : "");
        SetText(Numbered("IDZEPHYR", row), filled ? std::to_string(rows[r].items) : "");
    }
}
} // namespace

void QV7_ResultsPages::FillTimeTrial(ResultsRace& race)
{
    if (!g_menuManager)
        return;
    OpenPage(race, "ID_END_MENU_TIME");
    for (const char* id : {"IDRACER", "IDENDT", "IDOK"})
        Place(id, kTimeTrialShift, kTimeTrialShift);
    for (int row = 1; row <= RaceResults::kRows; ++row)
        for (const std::string& id :
             {Numbered("IDDATE", row), Numbered("IDBESTT", row), Numbered("IDBESTTT", row), ItemsId(row)})
            Place(id, kTimeTrialShift, kTimeTrialShift + kTimeTrialRowDrop);
    g_menuManager->BringControlToFront("IDENDT");
    ProfileRecord* profile = CurrentProfile();
    const QV7_Buggy* player = Racer(race, 0);
    if (!profile || !player)
        return;
    profile->money += CollectedItems(0);
    RecordRun(race, *player);
    if (race.raceIndex >= 0 && race.raceIndex < PROFILE_RACE_COUNT)
        FillTimeTrialRows(profile->bestTimes[race.raceIndex]);
}

void QV7_ResultsPages::FillRace(ResultsRace& race)
{
    if (!g_menuManager)
        return;
    OpenPage(race, "ID_END_MENU");
    for (const char* id : {"IDSCORE", "IDHWND99368", "IDOK"})
        Place(id, 0, 0);
    for (int row = 1; row <= RaceResults::kRows; ++row)
        for (const char* prefix : {"IDPLAYER", "IDPOS", "IDBESTT", "IDZEPHYR", "IDWINB"})
            Place(Numbered(prefix, row), 0, 0);
    g_menuManager->BringControlToFront("IDHWND99368");
    const int racerCount = race.racers ? race.racers->count : 0;
    ProfileRecord* profile = CurrentProfile();
    if (racerCount == 0 || !profile)
        return;
    ResultRow rows[RaceResults::kRows];
    FillRaceRows(race, rows, racerCount);
    profile->money += CollectedItems(0);
    const int position = RaceResults::PlayerPosition(*race.racers);
    if (position == 1)
        race.won = 1;
    int32_t prizes[RaceResults::kRows];
    RaceResults::Prizes(race.mode, race.alreadyWon, prizes);
    if (position >= 1 && position <= RaceResults::kRows)
        profile->money += prizes[position - 1];
    for (int row = 1; row <= RaceResults::kRows; ++row)
        SetText(Numbered("IDWINB", row), std::to_string(prizes[row - 1]));
    if (race.mode == RACE_MODE_CHAMPIONSHIP)
        RecordRun(race, *Racer(race, 0));
}

void QV7_ResultsPages::Run(ResultsRace& race)
{
    if (g_menuManager)
        RunEndPage(race);
}

std::tm QV7_ResultsPages::LocalNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::tm (*QV7_ResultsPages::s_Now)() = &QV7_ResultsPages::LocalNow;

// ---- the session's end pages ----

namespace
{
ResultsRace RaceOf(QV7_MapSystem& session)
{
    ResultsRace race;
    race.racers = session.physicsGroup ? &session.physicsGroup->racers : nullptr;
    race.mode = session.mode;
    race.raceIndex = session.raceIndex;
    race.alreadyWon = session.alreadyWon;
    race.won = session.won;
    race.frozen = session.pauseSurface;
    race.deviceReset = &session.deviceReset;
    race.session = &session;
    if (QV7_MapSystem::s_RenderFrameNoHud)
        race.redrawFrozen = [](ResultsRace& r) { QV7_MapSystem::s_RenderFrameNoHud(*r.session); };
    return race;
}
} // namespace

void (*QV7_MapSystem::s_RenderFrameNoHud)(QV7_MapSystem& session) = nullptr;

void QV7_MapSystem::ShowTimeTrialResults(QV7_MapSystem* session)
{
    if (!session || !g_menuManager)
        return;
    ResultsRace race = RaceOf(*session);
    QV7_ResultsPages::FillTimeTrial(race);
    QV7_ResultsPages::Run(race);
}

void QV7_MapSystem::ShowRaceResults(QV7_MapSystem* session)
{
    if (!session || !g_menuManager)
        return;
    ResultsRace race = RaceOf(*session);
    QV7_ResultsPages::FillRace(race);
    session->won = race.won;
    QV7_ResultsPages::Run(race);
}
