// The live-effect manager of one race: the map's placed effects, every
// playing EffectInstance, the instances bound to each racer at load and the
// weapon effect table. It points at the race's two libraries and owns
// every instance; whoever deletes an instance through it has every slot
// and parent that pointed at the instance cleared.
#pragma once

#include "effects/EffectInstance.h"

#include <string>

class BinaryReader;
class QV7_EffectsList;

struct PlacedEffect
{
    uint32_t m_TemplateId = uint32_t(-1);
    float m_ViewDistanceSq = 4000.0f * 4000.0f;
    D3DXVECTOR3 m_Position{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_Rotation{0.0f, 0.0f, 0.0f};
    float m_Scale = 1.0f;
    int32_t m_Value = -1;
};

constexpr int kEffectRacers = 8;
constexpr int kWeaponEffects = 21;

// Templates of the global library the weapon code plays by index.
struct WeaponEffectTable
{
    EffectTemplate* entries[kWeaponEffects] = {};
};

// The names of the table's entries; null for the three unused ones.
extern const char* const kWeaponEffectNames[kWeaponEffects];

// The owner's chassis rotation as a matrix, for instances attached to its
// body; set by the race code (false, or null, leaves the offset unturned).
extern bool (*g_effectOwnerRotation)(const QV7_Buggy* owner, D3DXMATRIX* rotation);

class QV7_EffectsListMap
{
  public:
    QV7_EffectsListMap();
    ~QV7_EffectsListMap();
    QV7_EffectsListMap(const QV7_EffectsListMap&) = delete;
    QV7_EffectsListMap& operator=(const QV7_EffectsListMap&) = delete;

    // Map%d.efm, then the racers' slots and the weapon table. A missing,
    // empty or short file is logged and gives no placed effects.
    void Load(const std::string& path);
    void LoadPlacedEffects(BinaryReader& file);
    void BindSlots();

    // A null template is logged once and gives null.
    EffectInstance* CreateInstance(EffectTemplate* effect, int autoDelete);
    // Global library with flag 1, the map's otherwise; null when absent.
    EffectInstance* CreateInstanceByName(const char* name, int globalLibrary);
    // Deletes the instance after clearing every slot and parent pointing at it.
    void DeleteInstance(EffectInstance* instance);
    // Transient instances of the owner go; the owner's row of dust and
    // racer slots is reset and stopped.
    void RemoveOwnerInstances(QV7_Buggy* owner, int racerRow);
    // Deletes the instances a racer row holds in its racer, turbo and extra
    // slots (before the row is filled again or when its racer goes).
    void ClearRacerRow(int racerRow);
    void PurgeFinished();
    void TransformAttachedParticles(D3DXVECTOR3 oldOrigin, D3DXVECTOR3 newOrigin, D3DXMATRIX first,
                                    D3DXMATRIX second);

    // One frame at the frame manager's last frame time.
    void Update();
    void Update(float elapsedMs);
    void Render();

    QV7_Collection<PlacedEffect> m_PlacedEffects;
    QV7_EffectsList* m_GlobalLibrary = nullptr;
    QV7_EffectsList* m_MapLibrary = nullptr;
    QV7_Collection<EffectInstance> m_Instances;
    EffectInstance* m_WheelDust[kEffectRacers][4] = {};
    EffectInstance* m_WheelDustAlt[kEffectRacers][4] = {};
    EffectInstance* m_RacerEffects[kEffectRacers][6] = {};
    EffectInstance* m_RacerEffectsB[kEffectRacers][2] = {};
    EffectInstance* m_BrokenEffect[kEffectRacers] = {};
    EffectInstance* m_ShieldEffect[kEffectRacers] = {};
    EffectInstance* m_JammerEffect[kEffectRacers] = {};
    EffectInstance* m_ChainEffect[kEffectRacers] = {};
    EffectInstance* m_RacerExtraEffect[kEffectRacers] = {};
    WeaponEffectTable m_WeaponEffects;

  private:
    void ForgetInstance(const EffectInstance* instance);
    void FollowOwner(EffectInstance& instance) const;
    void RenderPlaced();
    void RenderInstance(EffectInstance& instance);
    bool logNullTemplate = true;
};
