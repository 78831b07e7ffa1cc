// qv7-dump Map-1.efx / Map%d.efx: an effect library as the race loader keeps
// it (meshes, templates, emitters, keys, each record's payload words and a
// spawn record's resolved target); qv7-dump Map%d.efm: the placed effects.
#include "effects/QV7_EffectsList.h"
#include "effects/QV7_EffectsListMap.h"
#include "platform/io/BinaryReader.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/DumpNullDevice.h"
#include "tools/dump/JsonWriter.h"

#include <cstdio>
#include <cstring>

namespace
{
void Vector(JsonWriter& out, const char* key, const D3DXVECTOR3& v)
{
    out.NumberArray(key, {v.x, v.y, v.z});
}

void Record(JsonWriter& out, const EffectTemplate& effect, EffectKeyRecord& r)
{
    out.BeginObject();
    out.Field("start", r.start);
    out.Field("end", r.end);
    out.Field("name", r.name);
    out.Field("kind", r.kind);
    out.Key("words");
    out.BeginArray();
    const size_t words = EffectPayloadFileSize(r.kind) / 4;
    for (size_t i = 0; i < words; ++i)
    {
        uint32_t word;
        std::memcpy(&word, r.payload.FileBytes() + 4 * i, 4);
        out.Integer(word);
    }
    out.EndArray();
    if (r.kind == KEY_SPAWN || r.kind == KEY_PARTICLE_SPAWN)
        out.Field("target", effect.emitters.IndexOf(r.payload.spawn.target));
    out.EndObject();
}

void Emitter(JsonWriter& out, const EffectTemplate& effect, const EffectEmitter& e)
{
    out.BeginObject();
    out.Field("name", e.name);
    out.Field("keepOnLoop", e.keepOnLoop);
    out.Field("meshId", e.meshId);
    out.Field("textureId", e.textureId);
    const EmitterRenderWords& w = e.render;
    out.NumberArray("render",
                    {double(w.alphaBlend), double(w.sourceBlend), double(w.destinationBlend),
                     double(w.zWrite), double(w.alphaTest), double(w.alphaRefA), double(w.alphaRefB)});
    Vector(out, "origin", e.origin);
    out.Key("keys");
    out.BeginArray();
    for (EffectKey* key : e.keys)
    {
        out.BeginObject();
        out.Field("kind", key->kind);
        out.Key("records");
        out.BeginArray();
        for (EffectKeyRecord* r : key->records)
            Record(out, effect, *r);
        out.EndArray();
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
}

bool DumpLibrary(const DumpRequest& request, JsonWriter& out)
{
    DumpNullDevice device;
    BinaryReader file;
    if (!file.OpenFile(request.path))
    {
        std::fprintf(stderr, "qv7-dump: cannot read %s\n", request.path.c_str());
        return false;
    }
    QV7_EffectsList library;
    library.Load(file);
    out.BeginObject();
    out.Field("kind", "Map%d.efx");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Key("meshes");
    out.BeginArray();
    for (EffectMesh* mesh : library.m_Meshes)
    {
        out.BeginObject();
        out.Field("id", int64_t(mesh->m_Id));
        out.Field("faces", unsigned(mesh->m_FaceCount));
        out.Field("vertices", unsigned(mesh->m_VertexCount));
        out.Field("subsets", unsigned(mesh->m_SubsetCount));
        out.Field("radius", mesh->m_SphereRadius);
        out.EndObject();
    }
    out.EndArray();
    out.Key("templates");
    out.BeginArray();
    for (EffectTemplate* t : library.m_Templates)
    {
        out.BeginObject();
        out.Field("name", t->name);
        out.Field("id", t->id);
        out.Field("duration", t->duration);
        out.Field("loop", t->loop);
        out.Field("sort", t->sort);
        out.Key("emitters");
        out.BeginArray();
        for (EffectEmitter* e : t->emitters)
            Emitter(out, *t, *e);
        out.EndArray();
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    return true;
}

bool DumpPlaced(const DumpRequest& request, JsonWriter& out)
{
    BinaryReader file;
    if (!file.OpenFile(request.path))
    {
        std::fprintf(stderr, "qv7-dump: cannot read %s\n", request.path.c_str());
        return false;
    }
    QV7_EffectsListMap manager;
    manager.LoadPlacedEffects(file);
    out.BeginObject();
    out.Field("kind", "Map%d.efm");
    out.Field("map", NumberInName(request.fileName, "Map"));
    out.Key("placed");
    out.BeginArray();
    for (PlacedEffect* p : manager.m_PlacedEffects)
    {
        out.BeginObject();
        out.Field("templateId", int64_t(p->m_TemplateId));
        Vector(out, "position", p->m_Position);
        Vector(out, "rotation", p->m_Rotation);
        out.Field("scale", p->m_Scale);
        out.Field("value", p->m_Value);
        out.Field("viewDistanceSq", p->m_ViewDistanceSq);
        out.EndObject();
    }
    out.EndArray();
    out.EndObject();
    return true;
}
} // namespace

bool IsEffectLibrary(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".efx");
}

bool IsPlacedEffects(const std::string& name)
{
    return MatchesNumberedName(name, "Map", ".efm");
}

bool DumpEffectLibrary(const DumpRequest& request, JsonWriter& out)
{
    return DumpLibrary(request, out);
}

bool DumpPlacedEffects(const DumpRequest& request, JsonWriter& out)
{
    return DumpPlaced(request, out);
}
