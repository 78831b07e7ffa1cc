// The lessons' step machines, the stage changes and the requests they leave
// for the end of the frame.
#include "race/QV7_Tutorial.h"

#include "effects/QV7_EffectsListMap.h"
#include "gui/QV7_Menu_hWnd.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/RaceRules.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_ZephyrionItems.h"

#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "shell/QV7_Windows.h"

#include <algorithm>

TutorialHooks QV7_Tutorial::s_Hooks;

namespace
{
constexpr int kStageFlags = 5;
constexpr InputCode kFirstAxisCode = 500;
constexpr InputCode kLastAxisCode = 511;

InputCode DefaultPressedCode()
{
    return g_input ? g_input->GetPressedCode() : -1;
}

InputCode DefaultMovedAxisCode()
{
    return g_input && g_input->m_Joysticks ? g_input->m_Joysticks->GetMovedAxisCode() : -1;
}

InputCode DefaultPovCode()
{
    return g_input && g_input->m_Joysticks ? g_input->m_Joysticks->GetPressedPovCode() : -1;
}

InputCode DefaultBinding(KeyAction action, int which)
{
    return g_windowsData ? g_windowsData->m_Settings.Keys[action][which] : -1;
}

InputCode Call(InputCode (*hook)(), InputCode (*fallback)())
{
    return hook ? hook() : fallback();
}

bool IsAxis(InputCode code)
{
    return code >= kFirstAxisCode && code <= kLastAxisCode;
}

QV7_DriveController* DriverOf(QV7_Buggy* racer)
{
    return racer ? racer->Controller() : nullptr;
}
} // namespace

QV7_Tutorial::QV7_Tutorial() = default;

void QV7_Tutorial::Bind(QV7_MapSystem& race, const std::vector<StaticObjectInstance*>& islandTargets)
{
    session.lesson = race.raceIndex;
    session.group = race.physicsGroup.get();
    session.player = race.playerRacer;
    session.checkpoints = race.checkpoints.get();
    session.effects = race.liveEffects.get();
    session.items = race.items.get();
    session.won = &race.won;
    session.rerender = &race.deviceReset;
    session.countdown = &race.countdown;
    session.releaseFlags = race.releaseFlags;
    session.viewedBuggy = &race.viewedBuggy;
    session.session = &race;
    targets = islandTargets;
}

void QV7_Tutorial::Setup(QV7_Menu_hWnd* list, QV7_Menu_hWnd* panelFrame, QV7_Menu_hWnd* timeText,
                         QV7_Menu_hWnd* hint, QV7_Menu_hWnd* closingFrame)
{
    textList = list;
    frame = panelFrame;
    timeLeft = timeText;
    keyHint = hint;
    finalFrame = closingFrame;
    armed = 1;
    countdownEnabled = session.lesson == 3 ? 1 : 0;
    BuildInstructionText();
}

bool QV7_Tutorial::ActionPressed(KeyAction action) const
{
    InputCode (*binding)(KeyAction, int) = s_Hooks.binding ? s_Hooks.binding : &DefaultBinding;
    const InputCode first = binding(action, 0), second = binding(action, 1);
    const InputCode pressed = Call(s_Hooks.pressedCode, &DefaultPressedCode);
    if (pressed >= 0 && (pressed == first || pressed == second))
        return true;
    if (!IsAxis(first) && !IsAxis(second))
        return false;
    const InputCode axis = Call(s_Hooks.movedAxisCode, &DefaultMovedAxisCode);
    const InputCode pov = Call(s_Hooks.povCode, &DefaultPovCode);
    for (InputCode code : {axis, pov})
        if (code >= 0 && (code == first || code == second))
            return true;
    return false;
}

// ---- per frame ----

void QV7_Tutorial::Update(float frameMs)
{
    if (!armed)
        return;
    if (keyHint && DriverOf(session.player))
        keyHint->Draw(1);
    elapsed += frameMs;
    targetLockout = targetLockout - frameMs > 0.0f ? targetLockout - frameMs : 0.0f;
    if (delay > 0.0f)
    {
        delay -= frameMs;
        if (delay <= 0.0f)
        {
            delay = 0.0f;
            delayDone = 1;
        }
    }
    switch (session.lesson)
    {
    case 0:
        Lesson0();
        break;
    case 1:
        Lesson1();
        break;
    case 2:
        Lesson2(frameMs);
        break;
    case 3:
        Lesson3();
        break;
    default:
        break;
    }
}

void QV7_Tutorial::HandleRequests()
{
    if (regridRequest)
    {
        regridRequest = 0;
        if (session.group)
        {
            for (QV7_Buggy* racer : session.group->racers)
                if (QV7_DriveController* driver = racer->Controller())
                    driver->respawnRequested = 0;
            session.group->PlaceOnStartGrid();
        }
    }
    const InputCode pressed = Call(s_Hooks.pressedCode, &DefaultPressedCode);
    if (pressed != kPanelKey)
        requestLatch = 1;
    else if (requestLatch)
    {
        panelRequest = 1;
        requestLatch = 0;
    }
    if (panelRequest)
    {
        if (session.rerender)
            *session.rerender = 1;
        if (s_Hooks.runPanel)
            s_Hooks.runPanel(*this);
        else
            RunInstructionPanel();
        panelRequest = 0;
    }
    if (stageResetRequest)
    {
        targetLockout = kLockoutMs;
        ResetRacersForStage();
        ClearTargetFlags();
        stageResetRequest = 0;
    }
}

void QV7_Tutorial::Reset()
{
    step = 0;
    finished = 0;
    countdownEnabled = session.lesson == 3 ? 1 : 0;
    for (int& flag : flags)
        flag = 0;
    ClearTargetFlags();
    elapsed = 0.0f;
    delay = 0.0f;
    delayDone = 0;
    targetCount = 0;
    finalPanel = 0;
    panelRequest = 1;
    BuildInstructionText();
    RemoveOpponents();
}

bool QV7_Tutorial::CountTargetHit(StaticObjectInstance* target, int kind)
{
    if (!target || targetLockout > 0.0f || session.lesson != 1)
        return false;
    const int highestKind = step == 0 ? 0 : step == 1 ? 1 : step == 2 ? 2 : -1;
    if (kind < 0 || kind > highestKind || target->dark)
        return false;
    target->dark = 1;
    ++targetCount;
    if (session.effects)
        if (EffectInstance* blast = session.effects->CreateInstanceByName("Explode", 1))
        {
            blast->m_Scale = 1.0f;
            blast->m_AutoDelete = 1;
            blast->m_Position = target->position + D3DXVECTOR3(0.0f, 50.0f, 0.0f);
        }
    if (g_soundSystem && session.player)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[SOUND_EXPLOSION], session.player->position.x,
                                   session.player->position.y, session.player->position.z);
    return true;
}

// ---- stage changes ----

CheckpointRecord* QV7_Tutorial::FirstCheckpoint() const
{
    // The start grid's checkpoint is where every lesson starts; a list
    // without one falls back on its first record.
    if (session.checkpoints && session.checkpoints->finish)
        return session.checkpoints->finish;
    if (session.checkpoints && session.checkpoints->checkpoints.count > 0)
        return session.checkpoints->checkpoints[0];
    return nullptr;
}

QV7_Buggy* QV7_Tutorial::Opponent() const
{
    if (!session.group || session.group->racers.count < 2)
        return nullptr;
    QV7_Buggy* opponent = session.group->racers[1];
    return opponent->controllerKind == QV7_Buggy::CONTROLLER_COMPUTER && opponent->computerController
               ? opponent
               : nullptr;
}

void QV7_Tutorial::StartDelay()
{
    if (delay > 0.0f || delayDone)
        return;
    delay = kDelayMs;
}

void QV7_Tutorial::RestartCountdown()
{
    if (session.countdown)
        *session.countdown = QV7_MapSystem::kCountdownMs;
    // The countdown only runs while a grid line is held.
    if (session.releaseFlags)
        for (int i = 0; i < QV7_MapSystem::kReleaseFlagCount; ++i)
            session.releaseFlags[i] = 1;
}

void QV7_Tutorial::ClearTargetFlags()
{
    for (StaticObjectInstance* target : targets)
        if (target)
            target->dark = 0;
}

void QV7_Tutorial::ResetRacersForStage()
{
    if (!session.group)
        return;
    for (QV7_Buggy* racer : session.group->racers)
    {
        racer->lapCounter = 1;
        racer->weapons.Reset();
    }
}

void QV7_Tutorial::RespawnPlayer(int passed)
{
    QV7_Buggy* player = session.player;
    if (!player || player->controllerKind != QV7_Buggy::CONTROLLER_PLAYER || !player->playerController)
        return;
    CheckpointRecord* first = FirstCheckpoint();
    player->playerController->respawnRequested = 1;
    player->currentCheckpoint = passed > 0 && first && first->next ? first->next : first;
    player->checkpointsPassed = passed;
    player->position = D3DXVECTOR3(0.0f, 100000.0f, 0.0f);
}

void QV7_Tutorial::RestartStage(int newStep, const Change& change)
{
    for (int& flag : flags)
        flag = 0;
    ResetRacersForStage();
    if (change.respawn)
        RespawnPlayer(change.passedTo);
    if ((session.lesson == 0 || session.lesson == 1) && session.effects)
        session.effects->PurgeFinished();
    elapsed = 0.0f;
    delay = 0.0f;
    delayDone = 0;
    stageResetRequest = 1;
    step = newStep;
    BuildInstructionText();
    if (change.panel)
        panelRequest = 1;
    if (change.viaA)
        flags[0] = 1;
    if (change.regrid)
        regridRequest = 1;
    if (change.countdown)
    {
        countdownEnabled = 1;
        RestartCountdown();
    }
}

bool QV7_Tutorial::WaitingStep()
{
    if (flags[0])
    {
        flags[0] = 0;
        panelRequest = 1;
        return true;
    }
    return panelRequest != 0;
}

void QV7_Tutorial::FinalStep()
{
    // The lesson's last panel shows until its wait is over; then the lesson is won.
    if (flags[0])
        finalPanel = 1;
    if (WaitingStep())
        return;
    finished = 1;
    finalPanel = 0;
    if (session.won)
        *session.won = 1;
}

// ---- the lessons ----

void QV7_Tutorial::Lesson0()
{
    QV7_Buggy* player = session.player;
    switch (step)
    {
    case 0:
    {
        const KeyAction actions[4] = {KEY_SteerRight, KEY_SteerLeft, KEY_Accelerate, KEY_Reverse};
        for (int i = 0; i < 4; ++i)
            if (ActionPressed(actions[i]))
                flags[i] = 1;
        if (flags[0] && flags[1] && flags[2] && flags[3])
            RestartStage(1, Change{1, 1, 0, 0, 0, 0});
        break;
    }
    case 1:
        if (!flags[0] && player && player->checkpointsPassed >= 1)
            flags[0] = 1;
        if (flags[0] && !flags[1] && ActionPressed(KEY_Respawn))
        {
            flags[1] = 1;
            StartDelay();
        }
        if (flags[1] && delayDone)
            RestartStage(2, Change{1, 1, 0, 1, 0, 0});
        break;
    case 2:
        if (!flags[1] && player && player->checkpointsPassed >= 2)
            flags[1] = 1;
        if (flags[1] && !flags[0] && ActionPressed(KEY_HandBrake))
        {
            flags[0] = 1;
            StartDelay();
        }
        if (flags[0] && delayDone)
            RestartStage(3, Change{1, 1, 0, 0, 0, 0});
        break;
    case 3:
        if (player && player->lapCounter >= 2)
            RestartStage(4, Change{0, 0, 1, 0, 0, 0});
        break;
    case 4:
        FinalStep();
        break;
    default:
        break;
    }
}

void QV7_Tutorial::Lesson1()
{
    auto restart = [this](int newStep, bool panel)
    {
        RestartStage(newStep, Change{1, panel ? 1 : 0, panel ? 0 : 1, 0, 0, 0});
        targetCount = 0;
        ClearTargetFlags();
    };
    switch (step)
    {
    case 0:
        if (targetCount > 0)
            StartDelay();
        if (delayDone)
            restart(1, true);
        break;
    case 1:
    case 2:
    {
        const bool first = step == 1;
        const float limit = first ? kFirstTargetLimitMs : kSecondTargetLimitMs;
        const int needed = first ? 10 : 27;
        DrawTimeLeft(limit);
        if (targetCount >= needed)
            StartDelay();
        if (!delayDone && elapsed <= limit)
            break;
        const bool passed = targetCount >= needed;
        if (first)
            restart(passed ? 2 : 4, passed);
        else
            restart(passed ? 3 : 5, false);
        break;
    }
    case 3:
        FinalStep();
        break;
    case 4:
    case 5:
        if (WaitingStep())
            break;
        step = step == 4 ? 1 : 2;
        elapsed = 0.0f;
        panelRequest = 1;
        BuildInstructionText();
        break;
    default:
        break;
    }
}

void QV7_Tutorial::Lesson2(float frameMs)
{
    QV7_Buggy* player = session.player;
    QV7_DriveController* driver = DriverOf(player);
    switch (step)
    {
    case 0:
        if (player && player->weapons.shieldOpen > 0.0f)
            flags[0] = 1;
        else if (flags[0] && player && player->weapons.shieldOpen <= 0.0f)
            flags[1] = 1;
        if (flags[1])
            RestartStage(1, Change{1, 1, 0, 0, 0, 0});
        break;
    case 1:
        if (player && player->weapons.jammerWave > 0.0f)
            flags[0] = 1;
        else if (flags[0])
            flags[1] = 1;
        if (flags[1])
        {
            RestartStage(2, Change{1, 1, 0, 0, 0, 0});
            turboHold = 0.0f;
            if (driver)
                driver->turbo = driver->turboMax;
        }
        break;
    case 2:
        if (driver)
            driver->turbo = driver->turboMax;
        turboHold = driver && driver->turboBurning == 1 ? turboHold + frameMs : 0.0f;
        if (turboHold > kTurboHoldMs)
        {
            if (QV7_Buggy* opponent = Opponent())
                opponent->computerController->respawnRequested = 1;
            RestartStage(3, Change{1, 1, 1, 0, 1, 1});
            opponentDelay = kDelayMs;
            AddOpponent();
        }
        break;
    default:
        Lesson2Race(frameMs);
        break;
    }
}

void QV7_Tutorial::Lesson2Race(float frameMs)
{
    QV7_Buggy* player = session.player;
    QV7_Buggy* opponent = Opponent();
    switch (step)
    {
    case 3:
        // Without its opponent the step has nothing to watch.
        if (!opponent)
            break;
        if (opponent->lapCounter > 1)
            RestartStage(6, Change{1, 0, 1, 0, 1, 1});
        else if (opponent->computerController->destroyedNotice == 1)
        {
            opponentDelay -= frameMs;
            if (opponentDelay < 0.0f)
            {
                RestartStage(4, Change{1, 1, 1, 0, 1, 1});
                opponent->computerController->destroyedNotice = 0;
            }
        }
        break;
    case 4:
        if (opponent && opponent->lapCounter > 1)
        {
            RestartStage(7, Change{1, 0, 1, 0, 1, 1});
            break;
        }
        if (player && player->lapCounter > 1)
        {
            for (int i = 1; i < kStageFlags; ++i)
                flags[i] = 0;
            flags[0] = 1;
            elapsed = 0.0f;
            stageResetRequest = 1;
            step = 5;
            BuildInstructionText();
        }
        break;
    case 5:
        FinalStep();
        break;
    case 6:
    case 7:
        if (WaitingStep())
            break;
        if (step == 6)
            opponentDelay = kDelayMs;
        step = step == 6 ? 3 : 4;
        RestartCountdown();
        panelRequest = 1;
        BuildInstructionText();
        break;
    default:
        break;
    }
}

void QV7_Tutorial::Lesson3()
{
    QV7_Buggy* player = session.player;
    switch (step)
    {
    case 0:
    {
        if (!player || player->lapCounter <= 2)
            break;
        std::vector<const QV7_Buggy*> racers;
        if (session.group)
            racers.assign(session.group->racers.begin(), session.group->racers.end());
        const size_t playerIndex =
            session.group ? size_t(std::max(0, session.group->racers.IndexOf(player))) : 0;
        const bool first = racers.empty() || race::RacePosition(racers, playerIndex) == 1;
        if (!first)
        {
            ResetRacersForStage();
            RespawnPlayer(0);
        }
        for (int& flag : flags)
            flag = 0;
        flags[0] = 1;
        elapsed = 0.0f;
        stageResetRequest = 1;
        step = first ? 1 : 2;
        BuildInstructionText();
        break;
    }
    case 1:
        FinalStep();
        break;
    case 2:
        if (WaitingStep())
            break;
        if (session.group)
            session.group->PlaceOnStartGrid();
        RestartCountdown();
        if (session.items)
            session.items->Reset();
        Reset();
        break;
    default:
        break;
    }
}
