// The driver-figure database (log name "Triggers System"): every figure of
// Triggers.qvx, loaded once at start-up by the item database. Three lists:
// the rigid substitutes, the skinned animated figures, and the named triggers
// that tie a name such as "TRIG_KRASKA_STUUR_LINKS" to a figure, one of its
// animation sets and a rigid substitute. The driver animation and the
// profile-page preview look triggers up by name and never touch the file.
//
// Start-up: construct (publishes g_lodObjects and g_skinnedEffect, registers
// the "Skinned" effect when g_shaders exists), then Load(g_dataDir +
// "Triggers.qvx") once the item database's textures (g_itemTextures) are in.
#pragma once

#include "figures/AnimatedMeshList.h"
#include "figures/DriverType.h"
#include "figures/QV7_LodObjects.h"
#include "figures/TriggerRecord.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

class BinaryReader;

class QV7_TriggersSystem
{
  public:
    QV7_TriggersSystem();
    ~QV7_TriggersSystem();
    QV7_TriggersSystem(const QV7_TriggersSystem&) = delete;
    QV7_TriggersSystem& operator=(const QV7_TriggersSystem&) = delete;

    // Reads the file. A file that cannot be opened is logged and leaves the
    // database empty (every look-up then finds nothing). A broken file (cut
    // short, a count beyond its bytes, a zero or over-long string, a broken
    // rigid mesh) is logged and throws CDException, leaving it empty. A figure
    // whose .x does not load is logged and left out; its triggers keep a null
    // figure.
    void Load(const std::string& path);
    // The same from a file already in memory.
    void Read(BinaryReader& file);
    // Deletes every trigger, figure and rigid mesh.
    void Clear();

    // The first trigger of this exact name in file order; null when none.
    TriggerRecord* FindTrigger(const char* name) const;
    // The first entry of an id-keyed list with this id; null when none.
    static AnimatedMesh* FindById(const QV7_Collection<AnimatedMesh>& list, int32_t id);
    static LodMeshObject* FindById(const QV7_Collection<LodMeshObject>& list, int32_t id);
    AnimatedMesh* FindAnimatedMesh(int32_t id) const { return FindById(m_Animated.m_Figures, id); }

    // The profile-page preview: the trigger's figure at `world`, seen by the
    // camera through `projection`. Nothing for a null trigger or one without
    // a figure.
    static void DrawTrigger(const TriggerRecord* trigger, const D3DXMATRIX& world,
                            const D3DXMATRIX& projection);

    void CreateSkinnedEffect();
    void ReleaseSkinnedEffect();

    QV7_Collection<TriggerRecord> m_Triggers;
    QV7_LodObjects m_Rigid;
    AnimatedMeshList m_Animated;

  private:
    void ReadRigidMeshes(BinaryReader& file);
    void ReadAnimatedMeshes(BinaryReader& file);
    void ReadTriggers(BinaryReader& file);
};
