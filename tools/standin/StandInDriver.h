// A stand-in for the person at the keyboard in automated runs: it drives the
// player's buggy with the player's own keys, added to the input script's
// frames, so the race sees exactly what a player's keyboard would give it
// (the player's controller, the end test, the results). It
// steers for a waypoint a few links ahead, fires now and then, and asks for
// a respawn when the buggy has stood still too long. It lives beside the
// tests and the soak, never in the game.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <vector>

class QV7_MapSystem;

class StandInDriver
{
  public:
    // This frame's keys for the race (scan codes), from the race as it stands.
    void Drive(const QV7_MapSystem& race, float frameMs, std::vector<int>& keys);

    int respawnsAsked = 0;

  private:
    bool Stuck(const D3DXVECTOR3& position, float frameMs);

    D3DXVECTOR3 m_Anchor{0.0f, 0.0f, 0.0f};
    float m_StillMs = 0.0f;
    float m_ClockMs = 0.0f;
};
