// Water splashes and wheel dust round a driven buggy's wheels. The player's
// and the computer's drivers show the same effects, each with its own tuning.
#pragma once

#include "race/PlayerDriveHooks.h"

class QV7_DriveController;

struct WheelEffectTuning
{
    float splashSpeedDivisor; // splash scale: ground speed over this, 0.2..1
    float splashDepth;        // a wheel splashes this far below the water level
    float splashIntervalMs;   // a wheel splashes again after this long
    float firstDustRate;      // "Wheel dust" particles at full rate
    float secondDustRate;     // "Wheel dust 1" particles at full rate
    bool handBrakeDust;       // the hand-brake throws up more dust
};

constexpr WheelEffectTuning kPlayerWheelEffects{4.0f, 10.0f, 100.0f, 350.0f, 200.0f, true};
constexpr WheelEffectTuning kComputerWheelEffects{7.0f, 0.0f, 50.0f, 300.0f, 200.0f, false};

using CreateWheelEffect = void* (*)(const char* name, const D3DXVECTOR3& at, float scale, bool kept);
using ShowWheelDust = void (*)(QV7_Buggy& buggy, int wheel, const WheelDust& dust);

// Splashes where a wheel runs through the water, with the buggy's water
// sound there; the driver's splash timers count on by dt.
void SplashWheels(QV7_DriveController& driver, float dt, const DriveSession& session,
                  const WheelEffectTuning& tuning, CreateWheelEffect createEffect);

// Each wheel's dust: where it is and how much it throws up.
void RaiseWheelDust(const QV7_DriveController& driver, const DriveSession& session,
                    const WheelEffectTuning& tuning, ShowWheelDust showDust);
