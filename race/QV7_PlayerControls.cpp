// The player's weapon, camera and horn keys, and what the driving shows
// around the buggy: splashes, wheel dust and the turbo's wider view.
#include "race/QV7_Buggy.h"
#include "race/QV7_PlayerController.h"
#include "race/WheelEffects.h"

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
    SplashWheels(*this, dt, session, kPlayerWheelEffects, s_Hooks.createEffect);
}

void QV7_PlayerController::RaiseDust(const DriveSession& session)
{
    RaiseWheelDust(*this, session, kPlayerWheelEffects, s_Hooks.wheelDust);
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
