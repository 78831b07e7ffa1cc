// Loading Triggers.qvx: rigid meshes, animated figures, triggers, front to
// back. Every count is checked against the bytes left before anything is
// made, and a broken file empties the whole database before it is refused,
// so nobody is left holding half of it.
#include "figures/QV7_TriggersSystem.h"

#include "engine/QV7_Shaders.h"
#include "engine/effects/QV7_SkinnedEffect.h"
#include "figures/TriggersFileError.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstring>

namespace
{
// An id, then the smallest block a rigid mesh can be (its five words, the
// adjacency and material counts).
constexpr size_t kMinRigidEntry = 4 + 5 * 4 + 4 + 4;
// An id, the size and the material and texture id after the .x bytes.
constexpr size_t kMinFigureEntry = 4 + 4 + kFigureMaterialSize + 4;
// Two strings of at least one character and two ids.
constexpr size_t kMinTrigger = 2 * (4 + 2) + 2 * 4;

int ReadSectionCount(BinaryReader& file, size_t minEntry, const char* what)
{
    if (file.Remaining() < 4)
        RefuseTriggersFile("is cut short before the %s count", what);
    const int32_t announced = file.PeekInt32();
    const int count = file.ReadCount(minEntry);
    if (file.Failed())
        RefuseTriggersFile("%s count %d is larger than the file", what, announced);
    return count;
}
} // namespace

QV7_TriggersSystem::QV7_TriggersSystem()
{
    CreateSkinnedEffect();
}

QV7_TriggersSystem::~QV7_TriggersSystem()
{
    ReleaseSkinnedEffect();
    m_Animated.m_Figures.Clear();
    m_Rigid.DestroyList();
    m_Triggers.Clear();
}

void QV7_TriggersSystem::CreateSkinnedEffect()
{
    g_skinnedEffect = &m_Animated;
    if (!g_shaders)
        return;
    const std::string& bytes = SkinnedEffectSource();
    m_Animated.m_Effect = g_shaders->Create("Skinned", bytes.data(), unsigned(bytes.size()));
}

void QV7_TriggersSystem::ReleaseSkinnedEffect()
{
    if (g_shaders && m_Animated.m_Effect)
        g_shaders->Unload(m_Animated.m_Effect);
    m_Animated.m_Effect = nullptr;
    m_Animated.ReleaseWhiteTexture();
    if (g_skinnedEffect == &m_Animated)
        g_skinnedEffect = nullptr;
}

void QV7_TriggersSystem::Clear()
{
    m_Triggers.Clear();
    m_Animated.m_Figures.Clear();
    m_Rigid.m_Objects.Clear();
}

void QV7_TriggersSystem::Load(const std::string& path)
{
    QV7_Logger::Log(g_logger, "INFO: Start Loading Triggers System");
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        Clear();
        QV7_Logger::Log(g_logger, "ERROR: Triggers System: cannot open %s, no driver figures", path.c_str());
        return;
    }
    Read(file);
    QV7_Logger::Log(g_logger, "INFO: Triggers System Closed");
}

void QV7_TriggersSystem::Read(BinaryReader& file)
{
    Clear();
    try
    {
        ReadRigidMeshes(file);
        ReadAnimatedMeshes(file);
        ReadTriggers(file);
    }
    catch (...)
    {
        Clear();
        throw;
    }
}

void QV7_TriggersSystem::ReadRigidMeshes(BinaryReader& file)
{
    const int count = ReadSectionCount(file, kMinRigidEntry, "rigid mesh");
    for (int i = 0; i < count; ++i)
    {
        const uint32_t id = file.ReadUInt32();
        if (file.Failed())
            RefuseTriggersFile("is cut short before rigid mesh %d", i);
        m_Rigid.LoadMesh(file, id);
    }
}

void QV7_TriggersSystem::ReadAnimatedMeshes(BinaryReader& file)
{
    const int count = ReadSectionCount(file, kMinFigureEntry, "figure");
    for (int i = 0; i < count; ++i)
    {
        const int32_t id = file.ReadInt32();
        if (file.Failed())
            RefuseTriggersFile("is cut short before figure %d", i);
        LoadAnimatedMesh(m_Animated.m_Figures, file, id);
    }
}

void QV7_TriggersSystem::ReadTriggers(BinaryReader& file)
{
    const int count = ReadSectionCount(file, kMinTrigger, "trigger");
    for (int i = 0; i < count; ++i)
    {
        TriggerRecord* trigger = m_Triggers.Add();
        ReadString(trigger->m_Name, sizeof trigger->m_Name, file);
        trigger->m_AnimatedMeshId = file.ReadInt32();
        ReadString(trigger->m_AnimationSetName, sizeof trigger->m_AnimationSetName, file);
        trigger->m_RigidMeshId = file.ReadInt32();
        if (file.Failed())
            RefuseTriggersFile("is cut short in trigger %d", i);
        trigger->m_AnimatedMesh = FindAnimatedMesh(trigger->m_AnimatedMeshId);
        trigger->m_RigidMesh = FindById(m_Rigid.m_Objects, trigger->m_RigidMeshId);
    }
}

TriggerRecord* QV7_TriggersSystem::FindTrigger(const char* name) const
{
    if (!name)
        return nullptr;
    for (TriggerRecord* trigger : m_Triggers)
        if (std::strcmp(trigger->m_Name, name) == 0)
            return trigger;
    return nullptr;
}

AnimatedMesh* QV7_TriggersSystem::FindById(const QV7_Collection<AnimatedMesh>& list, int32_t id)
{
    for (AnimatedMesh* figure : list)
        if (figure->m_Id == id)
            return figure;
    return nullptr;
}

LodMeshObject* QV7_TriggersSystem::FindById(const QV7_Collection<LodMeshObject>& list, int32_t id)
{
    for (LodMeshObject* object : list)
        if (object->m_Id == uint32_t(id))
            return object;
    return nullptr;
}

void QV7_TriggersSystem::DrawTrigger(const TriggerRecord* trigger, const D3DXMATRIX& world,
                                     const D3DXMATRIX& projection)
{
    if (!trigger || !trigger->m_AnimatedMesh)
        return;
    trigger->m_AnimatedMesh->m_World = world;
    QV7_Skin_Allocator::RenderPreview(*trigger->m_AnimatedMesh, projection);
}
