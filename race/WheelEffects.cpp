#include "race/WheelEffects.h"

#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kWheelLift = 0.10800929f; // wheel radius, physics units
constexpr float kRenderPerOde = 200.0f;
constexpr float kDustDrop = 21.6f;
constexpr float kTimerCeilingMs = 5000.0f;

float WheelHeight(dBodyID wheel)
{
    return (float(dBodyGetPosition(wheel)[1]) - kWheelLift) * kRenderPerOde;
}

// Rear 1, rear 2, front 1, front 2: the order of the timers and dust sets.
void Wheels(const QV7_Buggy& buggy, dBodyID wheels[4])
{
    wheels[0] = buggy.rearWheelBodies[0];
    wheels[1] = buggy.rearWheelBodies[1];
    wheels[2] = buggy.frontWheelBodies[0];
    wheels[3] = buggy.frontWheelBodies[1];
}

void PlayWaterSound(QV7_Buggy& buggy, const D3DXVECTOR3& at)
{
    if (!g_soundSystem)
        return;
    if (!buggy.waterSound && g_soundSystem->m_Slots[SOUND_WATERSPLASH])
        buggy.waterSound = g_soundSystem->CreateInstance(g_soundSystem->m_Slots[SOUND_WATERSPLASH]);
    g_soundSystem->UpdateInstance(buggy.waterSound, at.x, at.y, at.z);
    g_soundSystem->PlayInstance(buggy.waterSound);
}
} // namespace

void SplashWheels(QV7_DriveController& driver, float dt, const DriveSession& session,
                  const WheelEffectTuning& tuning, CreateWheelEffect createEffect)
{
    if (!driver.buggy)
        return;
    dBodyID wheels[4];
    Wheels(*driver.buggy, wheels);
    if (driver.groundSpeed > 0.2f && session.hasWater)
    {
        const float scale = std::clamp(driver.groundSpeed / tuning.splashSpeedDivisor, 0.2f, 1.0f);
        for (int i = 0; i < 4; ++i)
        {
            if (!wheels[i] || WheelHeight(wheels[i]) >= session.waterLevel - tuning.splashDepth ||
                driver.splashTimers[i] <= tuning.splashIntervalMs)
                continue;
            const dReal* p = dBodyGetPosition(wheels[i]);
            const D3DXVECTOR3 at(float(p[0]) * kRenderPerOde, session.waterLevel, float(p[2]) * kRenderPerOde);
            if (createEffect)
                createEffect("Water splashes", at, scale, false);
            driver.splashTimers[i] = 0.0f;
            PlayWaterSound(*driver.buggy, at);
        }
    }
    for (float& timer : driver.splashTimers)
        if (timer < kTimerCeilingMs)
            timer += dt;
}

void RaiseWheelDust(const QV7_DriveController& driver, const DriveSession& session,
                    const WheelEffectTuning& tuning, ShowWheelDust showDust)
{
    if (!showDust || !driver.buggy)
        return;
    dBodyID wheels[4];
    Wheels(*driver.buggy, wheels);
    const float g = std::min(driver.groundSpeed / 8.0f, 1.0f);
    float rate = g + std::fabs(driver.steerAngle) * 4.0f * g * 1.5f;
    if (tuning.handBrakeDust && driver.handBrakeOn && driver.groundSpeed > 0.1f)
        rate += 0.5f;
    for (int i = 0; i < 4; ++i)
    {
        if (!wheels[i])
            continue;
        const dReal* p = dBodyGetPosition(wheels[i]);
        WheelDust dust;
        dust.position = D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * kRenderPerOde;
        dust.position.y -= kDustDrop;
        dust.firstRate = int(tuning.firstDustRate * rate);
        dust.secondRate = int(tuning.secondDustRate * rate);
        const bool drowned = session.hasWater && WheelHeight(wheels[i]) < session.waterLevel;
        const bool off = driver.groundSpeed < 0.1f || drowned;
        dust.firstEmitting = !off && !driver.buggy->airborneFront;
        dust.secondEmitting = !off && !driver.buggy->airborneRear;
        showDust(*driver.buggy, i, dust);
    }
}
