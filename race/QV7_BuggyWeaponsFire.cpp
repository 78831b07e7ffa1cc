// The five weapon kinds: their energy, ammunition, cool-downs and levels,
// the chain gun's spin, and each shot made a projectile with its effect.
#include "race/QV7_BuggyWeapons.h"

#include "media/QV7_SoundSystem.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_Globals.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kTwoPi = 6.28318531f;
constexpr float kPi = 3.14159265f;
constexpr float kSpinMax = 0.2f;

struct WeaponRow
{
    int ammoIndex; // -1: none
    float powerCost;
    float cooldown[3];
    const char* effect[3];
    float effectScale; // < 0: the effect's own
    SoundSlot fireSound;
};

// Rows by item type 1-5; lifetimes are 2000 / 3000 / 4000 for all.
const WeaponRow kWeapons[5] = {
    {0, 0.7f, {400, 300, 200}, {"Flamer", "Flamer", "Flamer high"}, 0.4f, SOUND_FLAMEFIRE},
    {1, 0.7f, {400, 300, 200}, {"Ice cannon", "Ice cannon", "Ice cannon high"}, 0.3f, SOUND_ICEFIRE},
    {2, 0.2f, {100, 90, 80}, {"Chain gun", "Chain gun", "Chain gun"}, -1.0f, SOUND_CHAINGUN},
    {3, 0.4f, {500, 400, 350}, {"cannon", "cannon", "cannon"}, 0.1f, SOUND_CANNON},
    {-1, 4.0f, {700, 700, 700}, {"Tesla Coil", "Tesla Coil", "Tesla Coil"}, 0.8f, SOUND_TESLAFIRE},
};

// Levels 0 and 1 have their own columns; every other level is the top one.
int Column(int level)
{
    return level == 0 || level == 1 ? level : 2;
}

float Lifetime(int level)
{
    static const float kLifetimes[3] = {2000.0f, 3000.0f, 4000.0f};
    return kLifetimes[Column(level)];
}

float ShotYaw(int kind)
{
    return kind == ITEM_CHAIN_GUN || kind == ITEM_TESLA_COIL ? 0.0f : kPi;
}

void PlayAt(SoundSlot slot, const D3DXVECTOR3& at)
{
    if (g_soundSystem)
        g_soundSystem->PlaySoundAt(g_soundSystem->m_Slots[slot], at.x, at.y, at.z);
}

float Jitter()
{
    return (2.0f * float(GameRand()) / float(GAME_RAND_MAX) - 1.0f) * 0.001f;
}
} // namespace

float QV7_BuggyWeapons::LerpByDistance(float value, float a, float b)
{
    if (value < 500.0f)
        return (500.0f - value) / 500.0f * a + value / 500.0f * b;
    return b;
}

D3DXMATRIX QV7_BuggyWeapons::ShotMatrix(const D3DXVECTOR3& position, D3DXVECTOR3 direction, float yaw,
                                        float scale, float pitch)
{
    if (!(D3DXVec3LengthSq(&direction) > 0.0f))
        direction = D3DXVECTOR3(0.0f, 0.0f, -1.0f);
    // Looking straight along the up vector has no sideways axis: a vertical
    // shot looks with +z as its up instead, which keeps the matrix whole.
    D3DXVECTOR3 up(0.0f, 1.0f, 0.0f), side;
    D3DXVec3Cross(&side, &up, &direction);
    if (D3DXVec3LengthSq(&side) < 1e-12f)
        up = D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 at = position + direction;
    D3DXMATRIX look, lookInverse, turn, scaling, m;
    D3DXMatrixLookAtLH(&look, &position, &at, &up);
    D3DXMatrixInverse(&lookInverse, nullptr, &look);
    D3DXMatrixRotationYawPitchRoll(&turn, yaw, pitch, 0.0f);
    D3DXMatrixScaling(&scaling, scale, scale, scale);
    D3DXMatrixMultiply(&m, &scaling, &turn);
    D3DXMatrixMultiply(&m, &m, &lookInverse);
    m._41 = position.x, m._42 = position.y, m._43 = position.z;
    return m;
}

ProjectileRecord* QV7_BuggyWeapons::Shoot(int kind, int level, const D3DXVECTOR3& muzzle,
                                          D3DXVECTOR3 direction)
{
    const WeaponRow& row = kWeapons[kind - 1];
    ProjectileRecord* shot = AddProjectile();
    shot->kind = kind;
    shot->position = muzzle;
    if (D3DXVec3LengthSq(&direction) > 0.0f)
        D3DXVec3Normalize(&direction, &direction);
    shot->direction = direction;
    shot->lifetime = Lifetime(level);
    if (s_Hooks.createEffect)
    {
        WeaponEffectRequest request;
        request.name = row.effect[Column(level)];
        request.position = muzzle;
        request.scale = row.effectScale < 0.0f ? 1.0f : row.effectScale;
        request.autoDelete = 0;
        request.useMatrix = 1;
        request.matrix = ShotMatrix(muzzle, direction, ShotYaw(kind), kind <= 2 ? 0.01f : request.scale);
        request.meshNoMip = kind == ITEM_CHAIN_GUN;
        request.preTicks = 60;
        // Where the projectile's effect instance is made.
        shot->effect = s_Hooks.createEffect(request);
    }
    QV7_DriveController& driver = *owner->Controller();
    if (row.ammoIndex >= 0 && owner->ammo)
        --owner->ammo[row.ammoIndex];
    driver.energy -= row.powerCost;
    return shot;
}

bool QV7_BuggyWeapons::Fire()
{
    const EquipmentSlots& e = owner->equipment;
    const int kind = e.currentWeapon ? e.currentWeapon->type : 0;
    if (kind == ITEM_CHAIN_GUN || barrelSpin > 0.0f)
    {
        barrelSpin = std::clamp(barrelSpin + (fireRequest == 1 && kind == ITEM_CHAIN_GUN ? 0.004f : -0.0012f),
                                0.0f, kSpinMax);
        // Fifty steps of 0.004 reach the top, whatever the float sum leaves short.
        if (barrelSpin > kSpinMax - 1e-5f)
            barrelSpin = kSpinMax;
        barrelAngle += barrelSpin;
        while (barrelAngle > kTwoPi)
            barrelAngle -= kTwoPi;
    }
    if (kind < ITEM_FLAMER || kind > ITEM_TESLA_COIL || fireRequest != 1)
        return false;
    const WeaponRow& row = kWeapons[kind - 1];
    const int level = e.levels[e.selected - 1];
    QV7_DriveController& driver = *owner->Controller();
    const bool isPlayer = owner->controllerKind == QV7_Buggy::CONTROLLER_PLAYER && owner->playerController;
    int32_t* ammo = row.ammoIndex >= 0 && owner->ammo ? &owner->ammo[row.ammoIndex] : nullptr;
    if (row.ammoIndex >= 0 && (!ammo || *ammo < 1))
    {
        if (isPlayer)
            owner->playerController->noAmmoNotice = 1;
        return false;
    }
    if (kind == ITEM_CHAIN_GUN && barrelSpin < kSpinMax)
        return false;
    if (cooldown != 0.0f)
        return kind == ITEM_CHAIN_GUN; // waiting at full spin: the loop keeps on
    if (!(driver.energy > row.powerCost))
    {
        LowPower();
        return false;
    }
    D3DXVECTOR3 muzzle = muzzleA;
    D3DXVECTOR3 direction = fireDirection;
    const bool topCannon = kind == ITEM_CANNON && Column(level) == 2;
    if (kind == ITEM_CANNON && !topCannon)
    {
        alternateMuzzle ^= 1;
        muzzle = alternateMuzzle ? muzzleB : muzzleA;
    }
    if (kind == ITEM_CHAIN_GUN)
        direction += D3DXVECTOR3(Jitter(), Jitter(), Jitter());
    Shoot(kind, level, muzzle, direction);
    if (topCannon)
    {
        if (*ammo > 0 && driver.energy > row.powerCost)
            Shoot(kind, level, muzzleB, direction);
        muzzle = muzzleB;
    }
    cooldown = row.cooldown[Column(level)];
    if (isPlayer && s_Hooks.forceFeedback)
        s_Hooks.forceFeedback(kind == ITEM_CANNON && !topCannon ? 2 : 0);
    if (kind == ITEM_CHAIN_GUN)
    {
        chainFlashTime = 68.0f;
        if (chainGunSound && g_soundSystem)
        {
            g_soundSystem->UpdateInstance(chainGunSound, muzzleA.x, muzzleA.y, muzzleA.z);
            g_soundSystem->PlayInstance(chainGunSound);
        }
        return true;
    }
    PlayAt(row.fireSound, muzzle);
    return false;
}
