// The race's live effects as the racers, drivers, weapons, contacts, track
// items and checkpoints ask for them: every request goes to the session's
// live-effect list, by its weapon-effect table name or its racer row, and a
// missing list, template or slot makes nothing.
#pragma once

class QV7_MapSystem;

class RaceWiringEffects
{
  public:
    static void Install();
    // Every racer's row of exhaust, turbo and model effects, and the
    // checkpoints' marker effect.
    static void SessionStart(QV7_MapSystem& session);
    static void SessionEnd(QV7_MapSystem& session);
    // The marker copies the checkpoints placed this frame go to their effect.
    static void CopyCheckpointMarkers(QV7_MapSystem& session);
};
