// What the race frame asks of the parts of the race built beside it:
// checkpoints, cameras, scenery, effects, weapons, the tutorial, the in-race
// pages and the results pages. Every hook is skipped when it is not set;
// RaceWiring sets them all.
#pragma once

#include "platform/d3dx/D3DXMath.h"

class QV7_Buggy;
class QV7_MapSystem;

struct RaceLoopHooks
{
    // The racer's driver moves its chase camera (every racer, every frame).
    void (*updateCamera)(QV7_Buggy& buggy) = nullptr;
    // The viewed racer's camera becomes the scene camera.
    void (*applyCamera)(QV7_Buggy& buggy) = nullptr;

    // Race logic before the passes.
    void (*testPassing)() = nullptr;   // checkpoints and laps over the group
    void (*updatePickups)() = nullptr; // track items
    void (*updateTeleporters)() = nullptr;

    // Scenery of the passes; pass 0 main, 1 reflection.
    void (*renderStaticObjects)(int pass) = nullptr;
    void (*renderBlendedStaticObjects)() = nullptr;
    void (*renderCheckpoints)() = nullptr;
    void (*renderMovingScenery)() = nullptr;
    void (*renderTrees)(int pass) = nullptr;
    void (*renderTrackItems)() = nullptr;
    void (*renderShorelines)() = nullptr;
    void (*renderVegetation)() = nullptr;
    void (*updateEffects)() = nullptr;
    void (*renderEffects)() = nullptr;
    void (*updatePathFollowing)() = nullptr;
    // After the step, every racer: its weapons' effects follow it.
    void (*placeWeaponEffects)(QV7_Buggy& buggy) = nullptr;

    // The HUD pointer's target (the next checkpoint's first marker, or the
    // one after it when the racer is close); false: no pointer.
    bool (*pointerTarget)(const QV7_Buggy& player, D3DXVECTOR3* target) = nullptr;

    // The tutorial: controls handed over once, its frame inside the 2D
    // bracket, its requests after the frame; lessonDone ends the race;
    // countdownWanted 0 starts without a countdown.
    void (*tutorialSetup)() = nullptr;
    void (*tutorialUpdate)() = nullptr;
    void (*tutorialHandleRequests)() = nullptr;
    bool (*tutorialDone)() = nullptr;
    bool (*tutorialCountdownWanted)() = nullptr;

    // The in-race pages over the frozen picture. runEscMenu returns 1 to
    // leave the race; unset, Escape leaves the race at once.
    void (*runPauseScreen)(QV7_MapSystem& session, const char* controlId) = nullptr;
    int (*runEscMenu)(QV7_MapSystem& session) = nullptr;
    void (*showRaceResults)(QV7_MapSystem& session) = nullptr;
    void (*showTimeTrialResults)(QV7_MapSystem& session) = nullptr;

    // The debug console's line; unset: the log.
    void (*consolePrint)(const char* line) = nullptr;
    // Sees every finished race frame (tests take their pictures here).
    void (*afterFrame)(QV7_MapSystem& session) = nullptr;
};

extern RaceLoopHooks g_raceLoopHooks;
