// The player's weapon, camera and horn keys, and what the driving shows
// around the buggy: splashes, wheel dust and the turbo's wider view.
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"

#include "engine/QV7_Camera.h"
#include "media/QV7_SoundSystem.h"

#include <algorithm>
#include <cmath>

namespace
{
// One action fires once per press: set when it fires, cleared when none of
// its keys is down.
int g_nextWeaponLatch = 0;
int g_previousWeaponLatch = 0;
int g_shieldLatch = 0;
int g_hornLatch = 0;

constexpr int kWeaponSlots = 5;
constexpr float kWheelLift = 0.10800929f; // wheel radius, physics units
constexpr float kRenderPerOde = 200.0f;
constexpr float kDustDrop = 21.6f;

// The first available slot stepping from the selected one, wrapping within 1..5.
int StepToAvailable(const EquipmentSlots& slots, int step)
{
    int slot = slots.selected;
    for (int i = 0; i < kWeaponSlots; ++i)
    {
        slot += step;
        if (slot > kWeaponSlots)
            slot = 1;
        if (slot < 1)
            slot = kWeaponSlots;
        if (slots.available[slot - 1])
            return slot;
    }
    return 0;
}

void Select(EquipmentSlots& slots, int slot)
{
    slots.selected = slot;
    slots.currentWeapon = slots.items[slot - 1];
}

// The action fires on the frame its key goes down.
bool Pressed(bool down, int& latch)
{
    if (!down)
    {
        latch = 0;
        return false;
    }
    if (latch)
        return false;
    latch = 1;
    return true;
}

float WheelHeight(dBodyID wheel)
{
    return (float(dBodyGetPosition(wheel)[1]) - kWheelLift) * kRenderPerOde;
}
} // namespace

// The looping horn follows the buggy while the key is held; its one-shot is
// heard once per press, not once per frame.
void QV7_PlayerController::RunHorn()
{
    if (!g_soundSystem)
        return;
    SoundEntry* horn = g_soundSystem->m_Slots[SOUND_HORN];
    if (!hornSound && horn)
        hornSound = g_soundSystem->CreateInstance(horn);
    const D3DXVECTOR3& at = buggy->position;
    if (!KeyOf(KEY_Horn))
    {
        g_hornLatch = 0;
        g_soundSystem->StopInstance(hornSound);
        return;
    }
    g_soundSystem->UpdateInstance(hornSound, at.x, at.y, at.z);
    g_soundSystem->PlayInstance(hornSound);
    if (Pressed(true, g_hornLatch))
        g_soundSystem->PlaySoundAt(horn, at.x, at.y, at.z);
}

void QV7_PlayerController::RunWeaponKeys()
{
    EquipmentSlots& slots = buggy->equipment;
    for (int k = 1; k <= kWeaponSlots; ++k)
        if (KeyOf(KeyAction(KEY_SelectWeapon1 + k - 1)) && slots.available[k - 1])
            Select(slots, k);
    if (Pressed(KeyOf(KEY_NextWeapon), g_nextWeaponLatch))
        if (const int slot = StepToAvailable(slots, +1))
            Select(slots, slot);
    if (Pressed(KeyOf(KEY_PreviousWeapon), g_previousWeaponLatch))
        if (const int slot = StepToAvailable(slots, -1))
            Select(slots, slot);
    const bool shieldFitted = slots.available[EquipmentSlots::kShieldSlot - 1] != 0;
    if (Pressed(shieldFitted && KeyOf(KEY_Shield), g_shieldLatch) && s_Hooks.toggleShield)
        s_Hooks.toggleShield(*buggy);
    const bool jammerFitted = slots.available[EquipmentSlots::kJammerSlot - 1] != 0;
    if (jammerFitted && KeyOf(KEY_Jammer) && s_Hooks.requestJammer)
        s_Hooks.requestJammer(*buggy);
}

void QV7_PlayerController::RunCameraKeys()
{
    const struct
    {
        KeyAction key;
        int mode;
    } modes[] = {{KEY_CameraMode1, 3}, {KEY_CameraMode2, 1}, {KEY_CameraMode3, 2}};
    for (const auto& m : modes)
    {
        if (!KeyOf(m.key))
            continue;
        cameraMode = m.mode;
        if (s_Hooks.resetCamera)
            s_Hooks.resetCamera(*this);
    }
}

void QV7_PlayerController::Splash(float dt, const DriveSession& session)
{
    const dBodyID wheels[4] = {buggy->rearWheelBodies[0], buggy->rearWheelBodies[1],
                               buggy->frontWheelBodies[0], buggy->frontWheelBodies[1]};
    if (groundSpeed > 0.2f && session.hasWater)
    {
        const float scale = std::clamp(groundSpeed / 4.0f, 0.2f, 1.0f);
        for (int i = 0; i < 4; ++i)
        {
            if (!wheels[i] || WheelHeight(wheels[i]) >= session.waterLevel - 10.0f ||
                splashTimers[i] <= 100.0f)
                continue;
            const dReal* p = dBodyGetPosition(wheels[i]);
            const D3DXVECTOR3 at(float(p[0]) * kRenderPerOde, session.waterLevel,
                                 float(p[2]) * kRenderPerOde);
            if (s_Hooks.createEffect)
                s_Hooks.createEffect("Water splashes", at, scale, false);
            splashTimers[i] = 0.0f;
            if (!g_soundSystem)
                continue;
            if (!buggy->waterSound && g_soundSystem->m_Slots[SOUND_WATERSPLASH])
                buggy->waterSound = g_soundSystem->CreateInstance(g_soundSystem->m_Slots[SOUND_WATERSPLASH]);
            g_soundSystem->UpdateInstance(buggy->waterSound, at.x, at.y, at.z);
            g_soundSystem->PlayInstance(buggy->waterSound);
        }
    }
    for (float& timer : splashTimers)
        if (timer < 5000.0f)
            timer += dt;
}

void QV7_PlayerController::RaiseDust(const DriveSession& session)
{
    if (!s_Hooks.wheelDust)
        return;
    const dBodyID wheels[4] = {buggy->rearWheelBodies[0], buggy->rearWheelBodies[1],
                               buggy->frontWheelBodies[0], buggy->frontWheelBodies[1]};
    const float g = std::min(groundSpeed / 8.0f, 1.0f);
    float rate = g + std::fabs(steerAngle) * 4.0f * g * 1.5f;
    if (handBrakeOn && groundSpeed > 0.1f)
        rate += 0.5f;
    for (int i = 0; i < 4; ++i)
    {
        if (!wheels[i])
            continue;
        const dReal* p = dBodyGetPosition(wheels[i]);
        WheelDust dust;
        dust.position = D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * kRenderPerOde;
        dust.position.y -= kDustDrop;
        dust.firstRate = int(350.0f * rate);
        dust.secondRate = int(200.0f * rate);
        const bool drowned = session.hasWater && WheelHeight(wheels[i]) < session.waterLevel;
        const bool off = groundSpeed < 0.1f || drowned;
        dust.firstEmitting = !off && !buggy->airborneFront;
        dust.secondEmitting = !off && !buggy->airborneRear;
        s_Hooks.wheelDust(*buggy, i, dust);
    }
}

void QV7_PlayerController::WidenView(float dt)
{
    if (cameraMode == 2 || !g_camera)
        return;
    const float fov = NextFov(g_camera->m_Fov, turboBurning != 0, groundSpeed, dt);
    if (fov == g_camera->m_Fov)
        return;
    g_camera->m_Fov = fov;
    g_camera->UpdateProjection();
}
