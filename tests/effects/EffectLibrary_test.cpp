// Effect library files: every payload kind through our writer and the
// loader, the emitter words, spawn targets, inert records, lookups and the
// broken files a race load must refuse.
#include "tests/effects/EffectsTestSupport.h"

#include "shell/QV7_Globals.h"

#include <cstring>

using namespace effectstest;

namespace
{
class EffectLibraryTest : public EffectsFixture
{
};

// Words that differ in every kind and field; a spawn's target index is 0.
EffectRecordDescription Distinct(int32_t kind)
{
    EffectRecordDescription r = EffectRecord(kind, 10 * kind, 10 * kind + 500, "rec" + std::to_string(kind));
    const size_t words = EffectPayloadFileSize(kind) / 4;
    for (size_t i = 0; i < words; ++i)
        r.U(kind == KEY_SPAWN || kind == KEY_PARTICLE_SPAWN ? (i == 0 ? 0u : uint32_t(kind * 1000 + i))
                                                            : uint32_t(kind * 1000 + i));
    return r;
}
} // namespace

TEST_F(EffectLibraryTest, EveryPayloadKindRoundTripsIntoTheSlotOfItsKind)
{
    std::vector<EffectRecordDescription> records;
    for (int kind = 1; kind <= 24; ++kind)
        records.push_back(Distinct(kind));
    QV7_EffectsList& library = Load(OneEmitter(records));
    ASSERT_EQ(library.m_Templates.Count(), 1);
    EffectEmitter& emitter = *library.m_Templates[0]->emitters[0];
    ASSERT_EQ(emitter.keys.Count(), 24);
    for (int kind = 1; kind <= 24; ++kind)
    {
        SCOPED_TRACE(kind);
        EffectKey& key = *emitter.keys[kind - 1];
        EXPECT_EQ(key.kind, kind);
        ASSERT_EQ(key.records.Count(), 1);
        EffectKeyRecord& record = *key.records[0];
        EXPECT_EQ(record.start, 10 * kind);
        EXPECT_EQ(record.end, 10 * kind + 500);
        EXPECT_STREQ(record.name, ("rec" + std::to_string(kind)).c_str());
        ASSERT_NE(record.Payload(kind), nullptr);
        EXPECT_EQ(record.Payload(kind == 1 ? 2 : 1), nullptr) << "only the slot of its kind is filled";
        const std::vector<uint32_t>& words = records[size_t(kind - 1)].words;
        EXPECT_EQ(std::memcmp(record.payload.FileBytes(), words.data(), words.size() * 4), 0);
    }
    EXPECT_EQ(emitter.keys[KEY_SPAWN - 1]->records[0]->payload.spawn.target, &emitter);
    EXPECT_EQ(emitter.keys[KEY_PARTICLE_SPAWN - 1]->records[0]->payload.spawn.target, &emitter);
    EXPECT_EQ(emitter.keys[0]->records[0]->payload.emit.accumulator, 0.0f);
}

TEST(EffectPayloadDefaults, EachKindStartsFromItsDefaults)
{
    EXPECT_EQ(EffectPayload::Defaults(KEY_EMIT).emit.rate, 5);
    EXPECT_EQ(EffectPayload::Defaults(KEY_EMIT).emit.life, 500);
    EXPECT_EQ(EffectPayload::Defaults(KEY_START_VELOCITY).vector.value.y, 10.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_DRIFT).vector.value.y, 0.01f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_RANDOM_PUSH).box.endMaximum.x, 0.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_TRAIL_JITTER).box.endMaximum.x, 1.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_RANDOM_ORIGIN).box.minimum.y, -1.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_FORCE).modeLast.value.y, -0.5f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_ROTATION).modeLast.value.x, 5.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_COLOUR).colour.end, 0xFF000000u);
    EXPECT_EQ(EffectPayload::Defaults(KEY_TEXTURE).integer.value, -1);
    EXPECT_EQ(EffectPayload::Defaults(KEY_TRAIL_COPIES).integer.value, 100);
    EXPECT_EQ(EffectPayload::Defaults(KEY_SIZE).scalar.end, 1.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_BOUNCE).scalar.value, 0.9f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_PARTICLE_SIZE).scalar.end, 200.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_PARTICLE_ALPHA).scalar.value, 255.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_SPAWN).spawn.targetIndex, -1);
    EXPECT_EQ(EffectPayload::Defaults(KEY_UV_OFFSET).uv.endV, 1.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_ATTRACT).attract.endPoint.x, -100.0f);
    EXPECT_EQ(EffectPayload::Defaults(KEY_COSINE_ORIGIN).wave.endAmplitude.z, 1.0f);
    EXPECT_EQ(EffectPayloadFileSize(0), 0u);
    EXPECT_EQ(EffectPayloadFileSize(25), 0u);
    EXPECT_EQ(EffectPayloadFileSize(KEY_ATTRACT), 44u);
}

TEST_F(EffectLibraryTest, TemplateAndEmitterFieldsWithTheFourthWordRule)
{
    EffectLibraryDescription d = OneEmitter({Emit(5, 10, 100)}, 1234, 1);
    d.templates[0].sort = 1;
    EffectEmitterDescription& billboard = d.templates[0].emitters[0];
    billboard.discardedWord = 99;
    billboard.keepOnLoop = 1;
    billboard.render = {0, 2, 1, 1, 0, 33, 44};
    billboard.origin = {1.0f, 2.0f, 3.0f};
    EffectEmitterDescription mesh;
    mesh.meshId = 42;
    mesh.textureId = 8;
    d.templates[0].emitters.push_back(mesh);
    QV7_EffectsList& library = Load(d);
    EffectTemplate& t = *library.m_Templates[0];
    EXPECT_STREQ(t.name, "T");
    EXPECT_EQ(t.id, 1);
    EXPECT_EQ(t.duration, 1234);
    EXPECT_EQ(t.loop, 1);
    EXPECT_EQ(t.sort, 1);
    EXPECT_EQ(t.owner, &library);
    EffectEmitter& b = *t.emitters[0];
    EXPECT_EQ(b.meshId, -1);
    EXPECT_EQ(b.textureId, 7) << "a billboard's texture is its fourth word, the third is ignored";
    EXPECT_EQ(b.keepOnLoop, 1);
    EXPECT_EQ(b.render.sourceBlend, 2u);
    EXPECT_EQ(b.render.alphaRefA, 33u);
    EXPECT_EQ(b.render.alphaRefB, 44u);
    EXPECT_EQ(b.origin.z, 3.0f);
    EffectEmitter& m = *t.emitters[1];
    EXPECT_EQ(m.meshId, 42);
    EXPECT_EQ(m.textureId, 8);
}

TEST_F(EffectLibraryTest, SpawnTargetsResolveWithinTheirOwnTemplate)
{
    auto spawn = [](int32_t index)
    { return EffectRecord(11, 0, 100).I(index).U(0).I(5).I(-1).I(10).I(100).U(0); };
    EffectLibraryDescription d = OneEmitter({spawn(1), spawn(-1)});
    d.templates[0].emitters.push_back(EffectEmitterDescription());
    d.templates.push_back(d.templates[0]);
    d.templates[1].name = "U";
    d.templates[1].emitters[0].keys.push_back({11, {spawn(5)}});
    QV7_EffectsList& library = Load(d);
    for (int t = 0; t < 2; ++t)
    {
        EffectEmitter& first = *library.m_Templates[t]->emitters[0];
        EXPECT_EQ(first.keys[0]->records[0]->payload.spawn.target, library.m_Templates[t]->emitters[1]);
        EXPECT_EQ(first.keys[1]->records[0]->payload.spawn.target, nullptr);
    }
    // An index past the emitters drops its record, logged.
    EXPECT_EQ(library.m_Templates[1]->emitters[0]->keys[2]->records.Count(), 0);
    EXPECT_TRUE(Logged("ERROR: Effect 'U': spawn target 5 past its 2 emitters, key record dropped"));
}

TEST_F(EffectLibraryTest, RecordsOfNoKindOrAnotherKindAreInert)
{
    EffectLibraryDescription d = OneEmitter({});
    EffectKeyDescription key{KEY_SIZE,
                             {EffectRecord(0, 0, 10), EffectRecord(25, 0, 10),
                              EffectRecord(KEY_BOUNCE, 0, 10).F(0.5f).U(0).F(0.0f),
                              EffectRecord(KEY_SIZE, 0, 10).F(3.0f).U(0).F(4.0f)}};
    d.templates[0].emitters[0].keys.push_back(key);
    QV7_EffectsList& library = Load(d);
    EffectKey& k = *library.m_Templates[0]->emitters[0]->keys[0];
    ASSERT_EQ(k.records.Count(), 4);
    EXPECT_EQ(k.records[0]->Payload(KEY_SIZE), nullptr);
    EXPECT_EQ(k.records[1]->Payload(KEY_SIZE), nullptr);
    EXPECT_EQ(k.records[2]->Payload(KEY_SIZE), nullptr) << "a bounce record under a size key does nothing";
    ASSERT_NE(k.records[3]->Payload(KEY_SIZE), nullptr);
    EXPECT_EQ(k.records[3]->payload.scalar.value, 3.0f);
}

TEST_F(EffectLibraryTest, EmptyPartsLoadAndDurationsBelowOneTickBecomeOneTick)
{
    EffectLibraryDescription d;
    EffectTemplateDescription none;
    none.name = "none";
    none.duration = 0;
    none.loop = 1;
    d.templates.push_back(none);
    EffectTemplateDescription negative = none;
    negative.duration = -5;
    negative.emitters.push_back(EffectEmitterDescription());
    negative.emitters[0].keys.push_back({KEY_EMIT, {}});
    d.templates.push_back(negative);
    QV7_EffectsList& library = Load(d);
    ASSERT_EQ(library.m_Templates.Count(), 2);
    EXPECT_EQ(library.m_Templates[0]->duration, 20);
    EXPECT_EQ(library.m_Templates[1]->duration, 20);
    EXPECT_EQ(library.m_Templates[1]->emitters[0]->keys[0]->records.Count(), 0);
}

TEST_F(EffectLibraryTest, LookupsByIdNameAndMesh)
{
    EffectLibraryDescription d = OneEmitter({});
    d.templates[0].name = "Sparks";
    d.templates[0].id = 4;
    d.templates.push_back(d.templates[0]);
    d.templates[1].name = "Second";
    AddTexture(3);
    d.meshes.push_back(MakeBoxMesh({1.0f, 2.0f, 3.0f}, 3, 17));
    QV7_EffectsList& library = Load(d);
    EXPECT_EQ(library.FindTemplateByName("SPARKS"), library.m_Templates[0]);
    EXPECT_EQ(library.FindTemplateById(4), library.m_Templates[0]) << "the first with the id";
    EXPECT_EQ(library.FindTemplateById(5), nullptr);
    Log().clear();
    EXPECT_EQ(library.FindTemplateByName(""), nullptr);
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(library.FindTemplateByName("Smoke"), nullptr);
    EXPECT_TRUE(Logged("ERROR: Unable to find Effect with name 'Smoke' "));
    EffectMesh* mesh = library.FindMeshById(17);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->m_Owner, &library);
    EXPECT_EQ(mesh->m_BoxMax.z, 3.0f);
    EXPECT_EQ(mesh->m_Textures[0], textures.FindByCompileId(3));
    EXPECT_EQ(library.FindMeshById(18), nullptr);
}

TEST_F(EffectLibraryTest, SetScaleRescalesTheBoundsFromTheOldScale)
{
    EffectLibraryDescription d;
    d.meshes.push_back(MakeBoxMesh({1.0f, 1.0f, 1.0f}, 0, 1));
    EffectMesh& mesh = *Load(d).FindMeshById(1);
    const float radius = mesh.m_SphereRadius;
    mesh.SetScale(2.0f);
    mesh.SetScale(3.0f);
    EXPECT_FLOAT_EQ(mesh.m_SphereRadius, radius * 3.0f);
    EXPECT_FLOAT_EQ(mesh.m_BoxMin.x, -3.0f);
    EXPECT_EQ(mesh.m_Scale, 3.0f);
}

namespace
{
struct BrokenCase
{
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
};

std::vector<uint8_t> Bytes(const EffectLibraryDescription& d)
{
    return BuildEffectLibrary(d).Bytes();
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep)
{
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

EffectLibraryDescription Full()
{
    return OneEmitter({Emit(5, 10, 100), EffectRecord(KEY_SIZE, 0, 100).F(1.0f).U(0).F(2.0f)});
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint32_t value)
{
    std::memcpy(bytes.data() + at, &value, 4);
    return bytes;
}
} // namespace

TEST_F(EffectLibraryTest, BrokenLibrariesFailWithALogLineAndLeaveNothing)
{
    const size_t full = Bytes(Full()).size();
    // Offsets in Full(): 0 mesh count, 4 template count, 8 name length.
    const BrokenCase cases[] = {
        {"empty", [] { return std::vector<uint8_t>(); }},
        {"mesh count too large", [] { return Patched(Bytes(Full()), 0, 5); }},
        {"template count far too large", [] { return Patched(Bytes(Full()), 4, 0x7FFFFFFF); }},
        {"name of length 0", [] { return Patched(Bytes(Full()), 8, 0); }},
        {"name longer than 260", [] { return Patched(Bytes(Full()), 8, 300); }},
        {"key kind 0",
         []
         {
             EffectLibraryDescription d = Full();
             d.templates[0].emitters[0].keys[0].kind = 0;
             return Bytes(d);
         }},
        {"key kind 25",
         []
         {
             EffectLibraryDescription d = Full();
             d.templates[0].emitters[0].keys[1].kind = 25;
             return Bytes(d);
         }},
        {"payload cut short", [full] { return Cut(Bytes(Full()), full - 2); }},
        {"cut in the middle", [full] { return Cut(Bytes(Full()), full / 2); }},
        {"cut after the counts", [] { return Cut(Bytes(Full()), 8); }},
        {"a broken mesh block",
         []
         {
             EffectLibraryDescription d = Full();
             d.meshes.push_back(MakeBoxMesh({1, 1, 1}, 0, 1));
             return Cut(Bytes(d), 40);
         }},
    };
    for (const BrokenCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Log().clear();
        QV7_EffectsList library;
        library.m_Textures = &textures;
        BinaryReader file(c.bytes());
        EXPECT_THROW(library.Load(file), CDException);
        EXPECT_FALSE(Log().empty());
        EXPECT_EQ(library.m_Templates.Count(), 0);
        EXPECT_EQ(library.m_Meshes.Count(), 0);
    }
}

TEST_F(EffectLibraryTest, AMissingGlobalLibraryFailsAndAMissingMapLibraryIsEmpty)
{
    QV7_EffectsList library;
    EXPECT_THROW(library.Load("/nonexistent/Map-1.efx"), CDException);
    EXPECT_TRUE(Logged("ERROR: Unable to read effect library '/nonexistent/Map-1.efx'"));
    EXPECT_NO_THROW(library.Load("/nonexistent/Map3.efx", true));
    EXPECT_TRUE(Logged("ERROR: Effect library '/nonexistent/Map3.efx' missing or empty, no map effects"));
    EXPECT_EQ(library.m_Templates.Count(), 0);
}
