#include "tools/writers/EffectLibraryWriter.h"

#include "shell/QV7_Globals.h"

#include <cstring>

EffectRecordDescription& EffectRecordDescription::U(uint32_t value)
{
    words.push_back(value);
    return *this;
}

EffectRecordDescription& EffectRecordDescription::I(int32_t value)
{
    return U(uint32_t(value));
}

EffectRecordDescription& EffectRecordDescription::F(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return U(bits);
}

EffectRecordDescription& EffectRecordDescription::V(float x, float y, float z)
{
    return F(x).F(y).F(z);
}

EffectRecordDescription EffectRecord(int32_t kind, int32_t start, int32_t end, const std::string& name)
{
    EffectRecordDescription record;
    record.kind = kind;
    record.start = start;
    record.end = end;
    record.name = name;
    return record;
}

EffectEmitterDescription& EffectEmitterDescription::Key(const EffectRecordDescription& record)
{
    keys.push_back({record.kind, {record}});
    return *this;
}

namespace
{
void WriteEmitter(BinaryWriter& file, const EffectEmitterDescription& e)
{
    WriteString(e.name.c_str(), file);
    file.WriteUInt32(e.keepOnLoop);
    // Words 2-4: a billboard's texture sits in the fourth word, a mesh
    // emitter's mesh id in the fourth and its texture in the third.
    if (e.meshId == -1)
    {
        file.WriteInt32(-1);
        file.WriteUInt32(e.discardedWord);
        file.WriteInt32(e.textureId);
    }
    else
    {
        file.WriteInt32(e.meshId);
        file.WriteInt32(e.textureId);
        file.WriteInt32(e.meshId);
    }
    for (uint32_t word : e.render)
        file.WriteUInt32(word);
    file.WriteFloat(e.origin.x);
    file.WriteFloat(e.origin.y);
    file.WriteFloat(e.origin.z);
    file.WriteUInt32(uint32_t(e.keys.size()));
    for (const EffectKeyDescription& key : e.keys)
    {
        file.WriteInt32(key.kind);
        file.WriteUInt32(uint32_t(key.records.size()));
        for (const EffectRecordDescription& r : key.records)
        {
            file.WriteInt32(r.start);
            file.WriteInt32(r.end);
            WriteString(r.name.c_str(), file);
            file.WriteInt32(r.kind);
            for (uint32_t word : r.words)
                file.WriteUInt32(word);
        }
    }
}
} // namespace

BinaryWriter BuildEffectLibrary(const EffectLibraryDescription& library)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(library.meshes.size()));
    for (const MeshObjectDescription& mesh : library.meshes)
        WriteMeshObjectBlock(file, mesh);
    file.WriteUInt32(uint32_t(library.templates.size()));
    for (const EffectTemplateDescription& t : library.templates)
    {
        WriteString(t.name.c_str(), file);
        file.WriteInt32(t.id);
        file.WriteInt32(t.duration);
        file.WriteInt32(t.loop);
        file.WriteInt32(t.sort);
        file.WriteUInt32(uint32_t(t.emitters.size()));
        for (const EffectEmitterDescription& e : t.emitters)
            WriteEmitter(file, e);
    }
    return file;
}

bool WriteEffectLibrary(const std::string& path, const EffectLibraryDescription& library)
{
    return BuildEffectLibrary(library).SaveToFile(path);
}

BinaryWriter BuildPlacedEffects(const std::vector<PlacedEffectRecord>& records)
{
    BinaryWriter file;
    file.WriteUInt32(uint32_t(records.size()));
    for (const PlacedEffectRecord& r : records)
    {
        file.WriteUInt32(r.templateId);
        for (float f :
             {r.position.x, r.position.y, r.position.z, r.rotation.x, r.rotation.y, r.rotation.z, r.scale})
            file.WriteFloat(f);
        file.WriteInt32(r.value);
        file.WriteFloat(r.viewDistance);
    }
    return file;
}

bool WritePlacedEffects(const std::string& path, const std::vector<PlacedEffectRecord>& records)
{
    return BuildPlacedEffects(records).SaveToFile(path);
}
