// The tutorial's hooks: made for the race session when the race starts,
// answered only while that session is the running tutorial race.
#include "race/QV7_TutorialInstall.h"

#include "engine/QV7_FrameManager.h"
#include "gui/QV7_MenuManager.h"
#include "race/QV7_BuggyWeapons.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_Tutorial.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceMenuHooks.h"
#include "world/QV7_Mesh_StaticObjects.h"

#include <memory>

namespace
{
std::unique_ptr<QV7_Tutorial> g_tutorialOfRace;

QV7_Menu_hWnd* HudControl(const char* id)
{
    return g_menuManager ? g_menuManager->FindControl(id, kMenuAnyType) : nullptr;
}

void Setup()
{
    g_tutorialOfRace.reset();
    if (!g_mapSystem || g_mapSystem->mode != RACE_MODE_TUTORIAL)
        return;
    static const std::vector<StaticObjectInstance*> kNone;
    g_tutorialOfRace = std::make_unique<QV7_Tutorial>();
    g_tutorialOfRace->Bind(
        *g_mapSystem, g_mapSystem->staticObjects ? g_mapSystem->staticObjects->m_TutorialTargets : kNone);
    g_tutorialOfRace->Setup(HudControl("IDTUTLISTBOX"), HudControl("IDTUTKADER"),
                            HudControl("IDTIMEREMANING"), HudControl("IDTKEY"), HudControl("IDTKEY2"));
}

void Update()
{
    if (QV7_Tutorial* tutorial = CurrentTutorial())
        tutorial->Update(g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void HandleRequests()
{
    if (QV7_Tutorial* tutorial = CurrentTutorial())
        tutorial->HandleRequests();
}

bool Done()
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    return tutorial && tutorial->finished == 1;
}

bool CountdownWanted()
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    return !tutorial || tutorial->countdownEnabled != 0;
}

void ResetTutorial(QV7_MapSystem& session)
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (tutorial && tutorial->session.session == &session)
        tutorial->Reset();
}

// Only a tag of the running race's own scenery is read: anything else the
// hit test hands over is not a target.
void CountTargetHit(void* data)
{
    QV7_Tutorial* tutorial = CurrentTutorial();
    if (!tutorial || !data || !g_mapSystem->staticObjects)
        return;
    for (const auto& tag : g_mapSystem->staticObjects->m_GeomTags)
        if (tag.get() == data)
        {
            if (tag->surfaceClass >= 0 && tag->instance)
                tutorial->CountTargetHit(tag->instance, tag->surfaceClass);
            return;
        }
}
} // namespace

QV7_Tutorial* CurrentTutorial()
{
    QV7_Tutorial* tutorial = g_tutorialOfRace.get();
    if (!tutorial || !g_mapSystem || g_mapSystem->mode != RACE_MODE_TUTORIAL ||
        tutorial->session.session != g_mapSystem)
        return nullptr;
    return tutorial;
}

void InstallTutorialHooks()
{
    g_raceLoopHooks.tutorialSetup = &Setup;
    g_raceLoopHooks.tutorialUpdate = &Update;
    g_raceLoopHooks.tutorialHandleRequests = &HandleRequests;
    g_raceLoopHooks.tutorialDone = &Done;
    g_raceLoopHooks.tutorialCountdownWanted = &CountdownWanted;
    g_raceMenuHooks.resetTutorial = &ResetTutorial;
    QV7_BuggyWeapons::s_Hooks.countTargetHit = &CountTargetHit;
}
