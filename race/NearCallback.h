// The collision pass's pair callback: decides whether two geoms may touch,
// makes at most one contact joint with the surface the racer's wheel and
// driver call for, records the racer's contact state for the physics step,
// and handles two racers running into each other. Effects, sound and the
// joystick's kick go through hooks that are skipped while they are not set.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <ode/ode.h>

class QV7_Buggy;
struct PhysicsBodyDef;

// The racer-against-racer hit cool-down and the crash sound's, in ms; set
// here, counted down by the physics step.
extern float g_physicsTimeA;
extern float g_physicsTimeB;

struct ContactHooks
{
    // The racer's shield strength (0 = down).
    float (*shieldOpen)(const QV7_Buggy& racer) = nullptr;
    // A shield took the hit at point (render units).
    void (*shieldHitEffect)(QV7_Buggy& racer, const D3DXVECTOR3& point, float shield) = nullptr;
    // An unshielded hit at point (render units), effect scale 0.2.
    void (*hitEffect)(const D3DXVECTOR3& point, float scale) = nullptr;
    // The selected joystick's force-feedback kick.
    void (*forceFeedback)() = nullptr;
    // Plays the crash sound at point; false when the sound is not loaded.
    bool (*playCrashSound)(const D3DXVECTOR3& point) = nullptr;
};
extern ContactHooks g_contactHooks;

// The surface the pair's racer body gets from its wheel and its driver.
struct ContactSurfaceChoice
{
    int mode = 0;
    dReal slip = 0;
    dReal softCfm = 0;
    bool steering = false;
    dVector3 fdir1 = {0, 0, 0, 0};
};

// Steps 4-6 of the surface choice, for a pair whose racer body has the
// definition racerBody (null: no racer body) and whose geoms include the
// landscape (landscape) or a box (box).
ContactSurfaceChoice ChooseContactSurface(const PhysicsBodyDef* racerBody, bool landscape, bool box);

// ODE's dNearCallback; data is not used.
void NearCallback(void* data, dGeomID o1, dGeomID o2);
