// What the in-race pages ask of the race loop and of parts of the race built
// elsewhere. Each hook is skipped when it is not set.
#pragma once

class QV7_MapSystem;

struct RaceMenuHooks
{
    // One update and render of the race without its HUD into the session's
    // pause surface (the frozen picture the pages are drawn over).
    void (*renderFrameNoHud)(QV7_MapSystem& session) = nullptr;
    // The viewed buggy's camera handed to the scene camera.
    void (*applyCamera)(QV7_MapSystem& session) = nullptr;
    // A restart's resets beside the start grid: the track items, and in a
    // tutorial its script.
    void (*resetTrackItems)(QV7_MapSystem& session) = nullptr;
    void (*resetTutorial)(QV7_MapSystem& session) = nullptr;
};

extern RaceMenuHooks g_raceMenuHooks;
