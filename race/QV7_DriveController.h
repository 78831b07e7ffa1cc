// The fields the player's and the computer's drivers share, under the names
// both drivers give them, so that the HUD, the weapons, the contact callback
// and the start grid read either driver the same way. The drivers' own
// driving (Drive), cameras and budgets build on this.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "race/ChaseCamera.h"

class QV7_Buggy;

class QV7_DriveController : public ChaseCamera
{
  public:
    // What the contact callback asks of the driver, as the drive code leaves
    // it once per frame: the second rear wheel's spin, the steering, the
    // chassis' forward axis, the hand-brake (extra slip while the wheels
    // still spin under it) and the ground speed (racer hits need > 0.5).
    float SlipSpeed() const { return driveCommand; }
    float SlipSteer() const { return steerAngle; }
    const D3DXVECTOR3& SlipDirection() const { return forwardAxis; }
    int SlipMode() const { return handBrakeOn; }
    float ImpactValue() const { return groundSpeed; }

    // Health, turbo and energy back at their maxima (start grid, restart).
    void RefillBudgets()
    {
        health = healthMax;
        turbo = turboMax;
        energy = energyMax;
    }

    int cameraMode = 0;
    QV7_Buggy* buggy = nullptr;
    float driveCommand = 0.0f;
    float groundSpeed = 0.0f;
    float steerAngle = 0.0f;
    D3DXVECTOR3 forwardAxis{0.0f, 0.0f, 0.0f};
    int handBrakeOn = 0;
    int reversing = 0;
    float health = 0.0f;
    float healthMax = 0.0f;
    float healthRegen = 0.0f;
    float turbo = 0.0f;
    float turboMax = 0.0f;
    int turboBurning = 0;
    float energy = 0.0f;
    float energyMax = 0.0f;
    float energyRegen = 0.0f;
    float enginePower = 0.0f;
    int exhaustFitted = 0;
    int respawnRequested = 0;
    // Reduced wheel speed while a freezing hit lasts (set by the weapons),
    // and steering held straight (set by a teleporter), ms left.
    float slowTimer = 0.0f;
    float steerLockTimer = 0.0f;
    // The wreck sequence and its time, ms.
    int destroyed = 0;
    float destroyedTime = 0.0f;
    int respawnLock = 0;
    float respawnLockTime = 0.0f;
    int driveInput = 0;
    // ms since each wheel last splashed (counted up to 5000); wheels 0-3.
    float splashTimers[6] = {};
};
