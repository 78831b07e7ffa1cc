#include "tools/standin/StandInDriver.h"

#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_WaypointList.h"
#include "shell/GameSettings.h"
#include "shell/QV7_Windows.h"

#include <cmath>

namespace
{
// How many links ahead the buggy aims: far enough to cut the waypoints'
// zig-zag, near enough to follow a hairpin.
constexpr int kAimLinks = 3;
// Beyond this angle off the aim the wheel is turned.
constexpr float kDeadAngle = 0.06f;
// Standing within this many units for this long asks for a respawn.
constexpr float kStillRadius = 150.0f;
constexpr float kStillMs = 4000.0f;

void Press(std::vector<int>& keys, int action)
{
    static const GameSettings defaults;
    const GameSettings& settings = g_windowsData ? g_windowsData->m_Settings : defaults;
    const InputCode code = settings.Keys[action][0];
    if (code >= 0 && code <= 255)
        keys.push_back(code);
}

D3DXVECTOR3 Forward(const QV7_Buggy& buggy)
{
    dBodyID chassis = buggy.ChassisBody();
    if (!chassis)
        return D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    // The chassis' nose is its local -x.
    dVector3 axis;
    dBodyVectorToWorld(chassis, -1, 0, 0, axis);
    return D3DXVECTOR3(float(axis[0]), float(axis[1]), float(axis[2]));
}

const WaypointRecord* Aim(const QV7_MapSystem& race, const D3DXVECTOR3& at)
{
    if (!race.waypoints)
        return nullptr;
    const WaypointRecord* w = race.waypoints->FindSegment(at);
    if (!w)
    {
        // Off the track: the nearest waypoint.
        float best = 1.0e30f;
        for (int i = 0; i < race.waypoints->Count(); ++i)
        {
            const WaypointRecord* c = race.waypoints->Waypoint(i);
            const D3DXVECTOR3 d = c->position - at;
            if (const float dd = d.x * d.x + d.z * d.z; dd < best)
            {
                best = dd;
                w = c;
            }
        }
    }
    for (int i = 0; w && i < kAimLinks && w->next; ++i)
        w = w->next;
    return w;
}
} // namespace

bool StandInDriver::Stuck(const D3DXVECTOR3& position, float frameMs)
{
    const D3DXVECTOR3 moved = position - m_Anchor;
    if (D3DXVec3Length(&moved) > kStillRadius)
    {
        m_Anchor = position;
        m_StillMs = 0.0f;
        return false;
    }
    m_StillMs += frameMs;
    if (m_StillMs < kStillMs)
        return false;
    m_StillMs = 0.0f;
    return true;
}

void StandInDriver::Drive(const QV7_MapSystem& race, float frameMs, std::vector<int>& keys)
{
    const QV7_Buggy* buggy = race.playerRacer;
    if (!buggy)
        return;
    m_ClockMs += frameMs;
    Press(keys, KEY_Accelerate);
    if (const WaypointRecord* aim = Aim(race, buggy->position))
    {
        const D3DXVECTOR3 forward = Forward(*buggy);
        const D3DXVECTOR3 to = aim->position - buggy->position;
        // Positive: the aim lies to the right of the nose, seen from above.
        const float side = forward.z * to.x - forward.x * to.z;
        const float ahead = forward.x * to.x + forward.z * to.z;
        const float angle = std::atan2(side, ahead);
        if (angle > kDeadAngle)
            Press(keys, KEY_SteerRight);
        else if (angle < -kDeadAngle)
            Press(keys, KEY_SteerLeft);
    }
    // A burst of fire every few seconds, as a player would.
    if (std::fmod(m_ClockMs, 3000.0f) < 400.0f)
        Press(keys, KEY_Shoot);
    // Standing on the grid through the countdown is no reason to respawn.
    if (race.releaseFlags[0])
        m_StillMs = 0.0f;
    else if (Stuck(buggy->position, frameMs))
    {
        Press(keys, KEY_Respawn);
        ++respawnsAsked;
    }
}
