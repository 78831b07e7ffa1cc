// The race frame: race logic, the shadow, reflection and main passes, the
// physics step, the HUD, the countdown, the pause and Escape keys and the
// end of the race; and the same scene drawn into the pause surface.
#include "race/QV7_MapSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_ShadowMap.h"
#include "gui/QV7_MenuManager.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/RaceHud.h"
#include "race/RaceLoopHooks.h"
#include "race/RaceRules.h"
#include "race/StandInDriving.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

RaceLoopHooks g_raceLoopHooks;

namespace
{
constexpr InputCode kEscapeKey = 1;

RaceLoopHooks& Hooks()
{
    return g_raceLoopHooks;
}

GameSettings* Settings()
{
    return g_windowsData ? &g_windowsData->m_Settings : nullptr;
}

bool KeyDown(KeyAction action)
{
    const GameSettings* settings = Settings();
    if (!g_input || !settings)
        return false;
    return g_input->IsKeyDown(settings->Keys[action][0]) || g_input->IsKeyDown(settings->Keys[action][1]);
}

bool ReflectionsOn()
{
    const GameSettings* settings = Settings();
    return settings && (settings->Detail > 0 || settings->force_ReflectiveWater == 1);
}

int Detail()
{
    const GameSettings* settings = Settings();
    return settings ? settings->Detail : 0;
}

void ApplyViewedCamera(QV7_MapSystem& session)
{
    QV7_Buggy* viewed = session.viewedBuggy ? session.viewedBuggy : session.playerRacer;
    if (!viewed)
        return;
    if (Hooks().applyCamera)
        Hooks().applyCamera(*viewed);
}

void Call(void (*hook)())
{
    if (hook)
        hook();
}

void Call(void (*hook)(int), int pass)
{
    if (hook)
        hook(pass);
}

void ConsoleLine(const char* line)
{
    const GameSettings* settings = Settings();
    if (!settings || settings->Debug != 1)
        return;
    if (Hooks().consolePrint)
        Hooks().consolePrint(line);
    else
        QV7_Logger::Log(g_logger, "%s", line);
}

void RaceLogic(QV7_MapSystem& session, int& step)
{
    step = 1;
    if (Hooks().updateCamera && session.physicsGroup)
        for (QV7_Buggy* racer : session.physicsGroup->racers)
            Hooks().updateCamera(*racer);
    Call(Hooks().testPassing);
    step = 4;
    Call(Hooks().updatePickups);
    Call(Hooks().updateTeleporters);
}

void ShadowPass(QV7_MapSystem& session, int& step)
{
    step = 6;
    if (!session.shadowMap || session.shadowMap->BeginShadowPass() != 1)
        return;
    session.physicsGroup->DoRender(0, 1);
    session.shadowMap->EndShadowPass();
}

void ReflectionPass(QV7_MapSystem& session, int& step)
{
    if (!ReflectionsOn() || !session.water)
        return;
    step = 7;
    ApplyViewedCamera(session);
    step = 8;
    session.water->BeginReflection();
    step = 9;
    if (g_landscape)
        g_landscape->Render(1);
    if (Detail() > 1)
    {
        step = 11;
        session.physicsGroup->DoRender(1, 0);
        step = 12;
        Call(Hooks().renderStaticObjects, 1);
        step = 13;
        Call(Hooks().renderMovingScenery);
    }
    if (Detail() > 2)
    {
        step = 14;
        if (g_scene)
            g_scene->SetRenderState(0, D3DRS_CLIPPLANEENABLE);
        step = 15;
        Call(Hooks().renderTrees, 1);
    }
    step = 16;
    session.water->EndReflection();
}

// Everything of the main pass from the sky to the step; withReflection
// draws the reflective water from this frame's reflection.
void MainPass(QV7_MapSystem& session, int& step, bool firstPass)
{
    step = 19;
    if (session.skyDome)
        session.skyDome->Render(0);
    step = 20;
    if (firstPass)
        Call(Hooks().updateEffects);
    Call(Hooks().renderStaticObjects, 0);
    step = 21;
    Call(Hooks().renderCheckpoints);
    step = 22;
    if (g_landscape)
        g_landscape->Render(0);
    step = 23;
    Call(Hooks().renderMovingScenery);
    step = 24;
    Call(Hooks().renderTrees, 0);
    step = 25;
    Call(Hooks().renderTrackItems);
    step = 26;
    Call(Hooks().renderBlendedStaticObjects);
    step = 27;
    session.physicsGroup->DoRender(0, 0);
    if (session.water && ReflectionsOn())
    {
        step = 31;
        session.water->RenderReflective();
    }
    else if (session.water)
    {
        step = 32;
        session.water->RenderSimple();
    }
    Call(Hooks().renderShorelines);
    step = 33;
    Call(Hooks().renderVegetation);
    Call(Hooks().renderEffects);
    Call(Hooks().updatePathFollowing);
    session.physicsGroup->DoRenderLast();
    session.physicsGroup->Step();
    if (Hooks().placeWeaponEffects)
        for (QV7_Buggy* racer : session.physicsGroup->racers)
            Hooks().placeWeaponEffects(*racer);
}

// The clocks of a released race run every frame, with or without the HUD.
void AdvanceRaceClocks(QV7_MapSystem& session, float frameMs)
{
    if (session.releaseFlags[0] != 0 || !session.physicsGroup)
        return;
    for (QV7_Buggy* racer : session.physicsGroup->racers)
    {
        racer->currentLapTime += frameMs;
        racer->totalTime += frameMs;
    }
}

void RunCountdown(QV7_MapSystem& session, float frameMs)
{
    const std::vector<race::CountdownEvent> events =
        race::AdvanceCountdown({session.countdown, session.releaseFlags, session.countdownDisplay}, frameMs);
    for (const race::CountdownEvent& event : events)
    {
        ConsoleLine(event.line);
        if (event.sound == race::CountdownEvent::NONE || !g_soundSystem || !g_camera)
            continue;
        SoundEntry* horn =
            g_soundSystem
                ->m_Slots[event.sound == race::CountdownEvent::HORN ? SOUND_STARTHORN : SOUND_STARTHORNLONG];
        g_soundSystem->PlaySoundAt(horn, g_camera->m_Eye.x, g_camera->m_Eye.y, g_camera->m_Eye.z);
    }
}

void Pause(int pause)
{
    if (g_soundSystem)
        g_soundSystem->Pause(pause);
}

// Whether the player's race is over by its mode's rule; shows the results
// page that ends it.
bool RaceOver(QV7_MapSystem& session)
{
    QV7_Buggy* player = session.playerRacer;
    if (!player || player->controllerKind != QV7_Buggy::CONTROLLER_PLAYER)
        return false;
    if (session.mode == RACE_MODE_TUTORIAL)
    {
        if (!Hooks().tutorialDone || !Hooks().tutorialDone())
            return false;
        Pause(1);
        return true;
    }
    if (player->lapCounter < race::FinishLap(session.mode))
        return false;
    Pause(1);
    if (session.mode == RACE_MODE_TIME_TRIAL)
    {
        if (Hooks().showTimeTrialResults)
            Hooks().showTimeTrialResults(session);
        return true;
    }
    if (session.mode == RACE_MODE_CHAMPIONSHIP && session.raceIndex == QV7_MapSystem::FinalChampionshipRace() &&
        !session.alreadyWon)
    {
        std::vector<const QV7_Buggy*> racers(session.physicsGroup->racers.begin(),
                                             session.physicsGroup->racers.end());
        if (race::RacePosition(racers, 0) == 1)
            session.won = 1;
        return true;
    }
    if (Hooks().showRaceResults)
        Hooks().showRaceResults(session);
    return true;
}

// The pause and Escape keys; true when the player leaves the race.
bool HandleKeys(QV7_MapSystem& session, bool& pauseLatch, bool& escapeLatch)
{
    const bool pauseDown = KeyDown(KEY_Pause);
    if (pauseDown && !pauseLatch && Hooks().runPauseScreen)
    {
        Pause(1);
        Hooks().runPauseScreen(session, "IDGAMEP");
        Pause(0);
    }
    pauseLatch = pauseDown;
    const bool escapeDown = g_input && g_input->IsKeyDown(kEscapeKey);
    const bool pressed = escapeDown && !escapeLatch;
    escapeLatch = escapeDown;
    if (!pressed)
        return false;
    Pause(1);
    if (!Hooks().runEscMenu)
        return true;
    if (Hooks().runEscMenu(session) == 1)
        return true;
    Pause(0);
    // The key that closed the menu is still down: it must not open it again.
    escapeLatch = g_input && g_input->IsKeyDown(kEscapeKey);
    return false;
}

void WarmUpFrame(QV7_MapSystem& session)
{
    if (g_camera)
        g_camera->UpdateProjection();
    if (g_input)
        g_input->Poll();
    ApplyViewedCamera(session);
    g_frameManager->BeginFrame();
    if (session.skyDome)
        session.skyDome->Render(0);
    Call(Hooks().renderStaticObjects, 0);
    Call(Hooks().renderCheckpoints);
    if (g_landscape)
        g_landscape->Render(0);
    Call(Hooks().renderMovingScenery);
    session.physicsGroup->DoRender(0, 0);
    Call(Hooks().renderTrees, 0);
    Call(Hooks().renderVegetation);
    if (g_screen2D)
    {
        g_screen2D->Begin2D();
        g_screen2D->DrawFade(0);
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    session.physicsGroup->Step();
}

void PlayRaceMusic()
{
    if (!g_soundSystem)
        return;
    const GameSettings* settings = Settings();
    const int music = settings ? settings->MusicVolume : 0;
    g_soundSystem->SetVolume(g_soundSystem->m_MusicA, music == 0 ? -10000 : (music - 100) * 50);
    g_soundSystem->PlaySound(g_soundSystem->m_MusicA, false);
}

void LeaveRace()
{
    if (g_frameManager)
    {
        g_frameManager->BeginFrame();
        if (g_screen2D)
        {
            g_screen2D->Begin2D();
            g_screen2D->DrawFade(0);
            g_screen2D->End2D();
        }
        g_frameManager->EndFrame();
    }
    Pause(1);
}

enum class FrameEnd
{
    CONTINUE,
    LEAVE,
    QUIT
};

struct LoopState
{
    RaceHud hud;
    int hudState = 1;
    bool pauseLatch = true;
    bool escapeLatch = true;
    int step = 0;
};

FrameEnd RaceFrame(QV7_MapSystem& session, LoopState& loop)
{
    loop.step = 1;
    session.UpdateMusic();
    if (g_soundSystem)
        g_soundSystem->Update();
    const FrameResult gate = PumpFrame();
    if (gate == FRAME_QUIT)
        return FrameEnd::QUIT;
    if (gate == FRAME_SKIP)
        return FrameEnd::CONTINUE;
    if (g_input)
        g_input->Poll();
    RaceLogic(session, loop.step);
    ShadowPass(session, loop.step);
    ReflectionPass(session, loop.step);
    loop.step = 17;
    g_frameManager->BeginFrame();
    loop.step = 18;
    ApplyViewedCamera(session);
    if (session.frozenTime == 1)
        g_frameManager->m_LastFrameMs = 0.0f;
    const float frameMs = g_frameManager->m_LastFrameMs;
    MainPass(session, loop.step, true);
    AdvanceRaceClocks(session, frameMs);
    loop.hudState = race::NextHudState(loop.hudState, KeyDown(KEY_HideHUD));
    loop.step = 39;
    if (loop.hudState > 0)
        loop.hud.Draw(session);
    loop.step = 46;
    if (g_screen2D)
    {
        g_screen2D->Begin2D();
        if (session.mode == RACE_MODE_TUTORIAL)
            Call(Hooks().tutorialUpdate);
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    loop.step = 47;
    if (session.mode == RACE_MODE_TUTORIAL)
    {
        Call(Hooks().tutorialHandleRequests);
        if (Hooks().tutorialCountdownWanted && !Hooks().tutorialCountdownWanted())
            for (int& flag : session.releaseFlags)
                flag = 0;
    }
    RunCountdown(session, frameMs);
    if (Hooks().afterFrame)
        Hooks().afterFrame(session);
    loop.step = 48;
    if (HandleKeys(session, loop.pauseLatch, loop.escapeLatch))
        return FrameEnd::LEAVE;
    loop.step = 49;
    return RaceOver(session) ? FrameEnd::LEAVE : FrameEnd::CONTINUE;
}
} // namespace

int QV7_MapSystem::ReleaseFlagIndex(int racerIndex)
{
    if (racerIndex <= 1)
        return 0;
    return racerIndex - 1 < kReleaseFlagCount - 1 ? racerIndex - 1 : kReleaseFlagCount - 1;
}

void QV7_MapSystem::RunRace(QV7_MapSystem& session)
{
    if (!g_frameManager || !session.physicsGroup)
        return;
    if (g_profiles)
        for (int32_t& counter : g_profiles->words)
            counter = 0;
    auto loop = std::make_unique<LoopState>();
    const GameSettings* settings = Settings();
    int width = settings && settings->ScreenWidth > 0 ? settings->ScreenWidth : 800;
    int height = settings && settings->ScreenHeight > 0 ? settings->ScreenHeight : 600;
    loop->hud.Layout(width, height);
    if (g_menuManager && loop->hud.page >= 0)
        g_menuManager->m_CurrentPage = loop->hud.page;
    if (session.mode == RACE_MODE_TUTORIAL)
        Call(Hooks().tutorialSetup);
    // The drivers' own Drive replaces these when it is wired.
    const bool standInDriving = QV7_PhysicsGroup::s_Hooks.drive == nullptr;
    if (standInDriving)
        QV7_PhysicsGroup::s_Hooks.drive = &StandInDrive;
    WarmUpFrame(session);
    ResizeBackBuffer(width, height);
    // A window keeps its own size: the HUD and the frozen picture follow the
    // back buffer the race really draws into.
    if (g_engine && g_device)
    {
        const int drawnWidth = int(g_engine->m_PresentParameters.BackBufferWidth);
        const int drawnHeight = int(g_engine->m_PresentParameters.BackBufferHeight);
        if (drawnWidth > 0 && drawnHeight > 0 && (drawnWidth != width || drawnHeight != height))
        {
            width = drawnWidth;
            height = drawnHeight;
            loop->hud.Layout(width, height);
        }
    }
    if (!session.pauseSurface)
        session.pauseSurface = QV7_RenderSurface::Create(width, height, width, height);
    PlayRaceMusic();
    for (;;)
    {
        FrameEnd end = FrameEnd::CONTINUE;
        try
        {
            end = RaceFrame(session, *loop);
        }
        catch (const CDException&)
        {
            throw;
        }
        catch (...)
        {
            QV7_Logger::Log(g_logger, "ERROR: QV7_MapSystem Game Session Crash");
            QV7_Logger::Log(g_logger, "ERROR: ERROR CODE: ING%d", loop->step);
            if (g_scene && g_scene->m_Open)
            {
                QV7_Logger::Log(g_logger, "OUTPUT: Error in 'ACTIVE' rendering environment");
                g_scene->EndWorkSpace(0);
            }
            break;
        }
        if (end == FrameEnd::QUIT)
            break;
        if (end == FrameEnd::LEAVE)
        {
            LeaveRace();
            break;
        }
    }
    if (standInDriving && QV7_PhysicsGroup::s_Hooks.drive == &StandInDrive)
        QV7_PhysicsGroup::s_Hooks.drive = nullptr;
}

void QV7_MapSystem::ResizeBackBuffer(int width, int height)
{
    if (!g_engine || !g_device)
        return;
    g_engine->m_FullScreenWidth = width;
    g_engine->m_FullScreenHeight = height;
    g_engine->Initialize(1);
}

void QV7_MapSystem::RenderFrameNoHud(QV7_MapSystem& session)
{
    if (!session.physicsGroup)
        return;
    int step = 0;
    RaceLogic(session, step);
    ShadowPass(session, step);
    if (session.pauseSurface)
        session.pauseSurface->BeginScene();
    ApplyViewedCamera(session);
    MainPass(session, step, false);
    if (session.pauseSurface)
        session.pauseSurface->EndScene();
}
