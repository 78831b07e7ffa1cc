// QV7_EffectsList::Load: the effect library file. Every count is checked
// against the bytes left and every read against the end, so a damaged file
// fails the load with a log line instead of running past its end.
#include "effects/QV7_EffectsList.h"

#include "engine/QV7_Engine.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Logger.h"
#include "world/MeshObjectReader.h"

#include <cstdio>

namespace
{
constexpr const char* kModule = "QV7_EffectsList";
// Smallest records the counts are checked with: a one-character name is 5 bytes.
constexpr size_t kMinMeshBlock = 24;
constexpr size_t kMinTemplate = 5 + 5 * 4;
constexpr size_t kMinEmitter = 5 + 4 * 4 + 7 * 4 + 12 + 4;
constexpr size_t kMinKey = 8;
constexpr size_t kMinRecord = 4 + 4 + 5 + 4;

[[noreturn]] void Broken(const char* what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Effect library is broken: %s", what);
    ThrowBrokenString(kModule, line);
}

void Check(BinaryReader& file, const char* what, int line)
{
    if (file.Failed())
        Broken(what, line);
}

std::string Formatted(const char* format, int value)
{
    char text[128];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void ReadRecord(BinaryReader& file, EffectKeyRecord& record)
{
    record.start = file.ReadInt32();
    record.end = file.ReadInt32();
    Check(file, "key record window past the end", __LINE__);
    ReadString(record.name, sizeof record.name, file);
    record.kind = file.ReadInt32();
    Check(file, "key record kind past the end", __LINE__);
    if (!IsEffectKeyKind(record.kind))
        return; // no payload: the record is inert
    record.payload = EffectPayload::Defaults(record.kind);
    file.ReadBytes(record.payload.FileBytes(), EffectPayloadFileSize(record.kind));
    Check(file, "key record payload past the end", __LINE__);
}

void ReadKey(BinaryReader& file, EffectKey& key)
{
    key.kind = file.ReadInt32();
    const int32_t records = file.ReadCount(kMinRecord);
    Check(file, "key record count", __LINE__);
    if (!IsEffectKeyKind(key.kind))
        Broken(Formatted("key kind %d outside 1..24", key.kind).c_str(), __LINE__);
    for (int32_t i = 0; i < records; ++i)
        ReadRecord(file, *key.records.Add());
}

void ReadEmitter(BinaryReader& file, EffectEmitter& emitter)
{
    ReadString(emitter.name, sizeof emitter.name, file);
    emitter.keepOnLoop = file.ReadInt32();
    emitter.meshId = file.ReadInt32();
    emitter.textureId = file.ReadInt32();
    // The fourth word is a billboard emitter's texture and a mesh emitter's mesh.
    const int32_t fourth = file.ReadInt32();
    if (emitter.meshId == -1)
        emitter.textureId = fourth;
    else
        emitter.meshId = fourth;
    uint32_t* words = &emitter.render.alphaBlend;
    static_assert(sizeof(EmitterRenderWords) == 7 * sizeof(uint32_t));
    for (int i = 0; i < 7; ++i)
        words[i] = file.ReadUInt32();
    emitter.origin.x = file.ReadFloat();
    emitter.origin.y = file.ReadFloat();
    emitter.origin.z = file.ReadFloat();
    const int32_t keys = file.ReadCount(kMinKey);
    Check(file, "emitter past the end", __LINE__);
    for (int32_t i = 0; i < keys; ++i)
        ReadKey(file, *emitter.keys.Add());
}

// Spawn targets point into the same template's emitters; an index past them
// drops its record (logged) so no spawn ever reads a missing emitter.
void ResolveTemplateTargets(EffectTemplate& effect)
{
    for (EffectEmitter* emitter : effect.emitters)
        for (EffectKey* key : emitter->keys)
            for (int i = key->records.Count() - 1; i >= 0; --i)
            {
                EffectKeyRecord* record = key->records[i];
                if (record->kind != KEY_SPAWN && record->kind != KEY_PARTICLE_SPAWN)
                    continue;
                SpawnPayload& spawn = record->payload.spawn;
                if (spawn.targetIndex < 0)
                {
                    spawn.target = nullptr;
                    continue;
                }
                if (spawn.targetIndex >= effect.emitters.Count())
                {
                    QV7_Logger::Log(
                        g_logger,
                        "ERROR: Effect '%s': spawn target %d past its %d emitters, key record dropped",
                        effect.name, spawn.targetIndex, effect.emitters.Count());
                    key->records.DeleteAt(i);
                    continue;
                }
                spawn.target = effect.emitters[spawn.targetIndex];
            }
}
} // namespace

void QV7_EffectsList::ReadMeshes(BinaryReader& file)
{
    const int32_t meshes = file.ReadCount(kMinMeshBlock);
    Check(file, "mesh count", __LINE__);
    for (int32_t i = 0; i < meshes; ++i)
    {
        EffectMesh* mesh = m_Meshes.Add();
        mesh->m_Owner = this;
        MeshReaderIdentity identity{Formatted("Info: Loading Effect Mesh %d", i),
                                    Formatted("ERROR: Main Mesh System: Cloning error mesh %d", i), kModule,
                                    286, ""};
        ReadMeshObjectBlock(file, *mesh, m_MeshFvf, g_device, m_Textures, identity);
    }
}

void QV7_EffectsList::ReadTemplates(BinaryReader& file)
{
    const int32_t templates = file.ReadCount(kMinTemplate);
    Check(file, "template count", __LINE__);
    for (int32_t t = 0; t < templates; ++t)
    {
        EffectTemplate* effect = m_Templates.Add();
        effect->owner = this;
        ReadString(effect->name, sizeof effect->name, file);
        effect->id = file.ReadInt32();
        effect->duration = file.ReadInt32();
        effect->loop = file.ReadInt32();
        effect->sort = file.ReadInt32();
        const int32_t emitters = file.ReadCount(kMinEmitter);
        Check(file, "template past the end", __LINE__);
        // A duration below one tick would never end a cycle.
        if (effect->duration < kEffectTickMs)
            effect->duration = kEffectTickMs;
        for (int32_t e = 0; e < emitters; ++e)
            ReadEmitter(file, *effect->emitters.Add());
        ResolveTemplateTargets(*effect);
    }
}

void QV7_EffectsList::Load(BinaryReader& file)
{
    try
    {
        ReadMeshes(file);
        ReadTemplates(file);
    }
    catch (...)
    {
        // No half-read library is left to play from.
        m_Templates.Clear();
        m_Meshes.Clear();
        throw;
    }
}

void QV7_EffectsList::Load(const std::string& path, bool emptyIfMissing)
{
    BinaryReader file;
    if (!file.OpenFile(path) || file.Size() == 0)
    {
        if (emptyIfMissing)
        {
            QV7_Logger::Log(g_logger, "ERROR: Effect library '%s' missing or empty, no map effects",
                            path.c_str());
            return;
        }
        QV7_Logger::Log(g_logger, "ERROR: Unable to read effect library '%s'", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    Load(file);
}
