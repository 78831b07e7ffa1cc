// qv7-dump on effect files: a library our writer made prints its templates,
// emitters, payload words and resolved spawn targets; placed effects print
// each record; a broken library ends with 1 and the loader's log line.
#include "tools/writers/EffectLibraryWriter.h"

#include "tests/shell/TestLog.h"
#include "tests/tools/DumpToolRun.h"

#include <gtest/gtest.h>

namespace
{
class DumpEffectsTest : public ::testing::Test
{
  protected:
    TempDir temp;
    const std::string dir = temp.Path();
};

EffectLibraryDescription Library()
{
    EffectEmitterDescription sparks;
    sparks.name = "sparks";
    sparks.textureId = 12;
    sparks.Key(EffectRecord(1, 0, 40, "burst").U(0).I(50).I(-1).I(10).I(300));
    sparks.Key(EffectRecord(11, 0, 100).I(1).U(0).I(5).I(-1).I(10).I(100).U(0));
    EffectEmitterDescription chunks;
    chunks.name = "chunks";
    chunks.meshId = 3;
    EffectTemplateDescription t;
    t.name = "Crash";
    t.id = 24;
    t.duration = 900;
    t.emitters = {sparks, chunks};
    EffectLibraryDescription d;
    d.templates.push_back(t);
    return d;
}
} // namespace

TEST_F(DumpEffectsTest, PrintsTheLibraryAndThePlacedEffects)
{
    ASSERT_TRUE(WriteEffectLibrary(dir + "Map-1.efx", Library()));
    std::string out, err;
    ASSERT_EQ(RunDump(dir + "Map-1.efx", out, err), 0) << err;
    for (const char* expected :
         {"\"kind\":\"Map%d.efx\",\"map\":-1",
          "\"name\":\"Crash\",\"id\":24,\"duration\":900,\"loop\":0,\"sort\":0",
          "\"name\":\"sparks\",\"keepOnLoop\":0,\"meshId\":-1,\"textureId\":12",
          "\"render\":[1,5,6,0,1,80,200]",
          "{\"start\":0,\"end\":40,\"name\":\"burst\",\"kind\":1,\"words\":[0,50,4294967295,10,300]}",
          "\"target\":1", "\"name\":\"chunks\",\"keepOnLoop\":0,\"meshId\":3"})
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n" << out;

    PlacedEffectRecord placed;
    placed.templateId = 3;
    placed.position = {1.0f, 2.0f, 3.0f};
    placed.viewDistance = 10.0f;
    ASSERT_TRUE(WritePlacedEffects(dir + "Map2.efm", {placed}));
    ASSERT_EQ(RunDump(dir + "Map2.efm", out, err), 0) << err;
    EXPECT_NE(out.find("{\"templateId\":3,\"position\":[1,2,3],\"rotation\":[0,0,0],\"scale\":1,\"value\":-1,"
                       "\"viewDistanceSq\":100}"),
              std::string::npos)
        << out;
}

TEST_F(DumpEffectsTest, ABrokenLibraryEndsWithOne)
{
    std::vector<uint8_t> bytes = BuildEffectLibrary(Library()).Bytes();
    bytes.resize(bytes.size() - 3);
    FILE* file = std::fopen((dir + "Map4.efx").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    std::string out, err;
    EXPECT_EQ(RunDump(dir + "Map4.efx", out, err), 1);
    EXPECT_NE(err.find("Effect library is broken"), std::string::npos) << err;
}
