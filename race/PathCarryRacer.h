// What the race moves when moving scenery carries the player: its ODE bodies
// and the chase camera's points, by one frame's motion of the object
// (PathCarry, world/QV7_PathFollowing.h).
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "world/QV7_PathFollowing.h"

#include <ode/ode.h>

#include <vector>

// Every body: orientation turned with the object, position (render units =
// ODE units x 200) carried along.
void CarryBodies(const std::vector<dBodyID>& bodies, const PathCarry& carry);
// A chase camera point K and its history points, stored relative to K: each
// made absolute with the old K, carried, and stored relative to the new K.
void CarryCameraPoints(D3DXVECTOR3& point, D3DXVECTOR3* history, int count, const PathCarry& carry);

// The moving scenery's hooks for a race: the player is racer 0 of the
// physics group; its bodies ride along, then extraCarry (when set) moves the
// rest (weapon points, carried particles, the chase camera); the session's
// carried flag is its scenery hold value. Installed by the race load.
void InstallSessionPathHooks(void (*extraCarry)(const PathCarry& carry));
