// Map%d.map through the race loader's landscape step: what our writer writes
// reads back field for field, textures resolve in the map's list, and a
// missing, short or broken file is logged, leaves nothing loaded and throws.
#include "LandscapeTestSupport.h"

#include "platform/io/BinaryReader.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace
{
using landscapetest::LandscapeFixture;

class LandscapeMapFileTest : public LandscapeFixture
{
};

LandscapeMapDescription DistinctMap()
{
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    for (int i = 0; i < LandscapeMapDescription::kSamples; ++i)
    {
        map.heights[size_t(i)] = float(i % 977) * 0.25f - 20.0f;
        map.brightness[size_t(i)] = float(i % 13) * 0.1f;
        map.thirdLayer[size_t(i)] = float(i % 7);
    }
    map.shadeLevel = -0.25f;
    map.spare[0] = 1.5f, map.spare[1] = -2.5f, map.spare[2] = 3.5f;
    map.baseTextureId = 3001;
    map.detailTextureId = 3002;
    map.material.Diffuse = {0.9f, 0.8f, 0.7f, 1.0f};
    map.material.Ambient = {0.3f, 0.2f, 0.1f, 1.0f};
    map.material.Power = 4.0f;
    map.light.Diffuse = {1.0f, 0.95f, 0.9f, 1.0f};
    map.light.Direction = {0.3f, -0.7f, 0.2f};
    map.light.Range = 1000.0f;
    map.fog = MakeLandscapeFog(true, 0xFF405060u, D3DFOG_NONE, D3DFOG_EXP2, 100.0f, 9000.0f, 0.0003f, true);
    map.skyTextureId = 3003;
    map.waterTextureId1 = 3004;
    map.waterTextureId2 = -7;
    map.waterLevel = 12.5f;
    return map;
}

// A map texture list holding compile ids ids, each with a small texture.
void FillList(QV7_TextureList& list, std::initializer_list<uint32_t> ids)
{
    for (uint32_t id : ids)
    {
        TextureRecord* record = list.Append();
        record->m_CompileId = id;
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture,
                                          nullptr),
                  D3D_OK);
    }
}

TEST_F(LandscapeMapFileTest, WriterAndReaderAgreeOnEveryField)
{
    const LandscapeMapDescription map = DistinctMap();
    EXPECT_EQ(BuildLandscapeMap(map).Bytes().size(), LandscapeMapDescription::kFileSize);
    EXPECT_EQ(kLandscapeMapFileSize, LandscapeMapDescription::kFileSize);
    QV7_TextureList textures;
    FillList(textures, {3002, 3001});
    gfx::null::ClearCalls();
    WriteAndLoad(map, &textures);

    const QV7_Landscape& land = *g_landscape;
    ASSERT_TRUE(land.IsCreated());
    EXPECT_EQ(std::vector<float>(land.m_Heights.begin(), land.m_Heights.end()), map.heights);
    EXPECT_EQ(std::vector<float>(land.m_Brightness.begin(), land.m_Brightness.end()), map.brightness);
    EXPECT_EQ(std::vector<float>(land.m_ThirdLayer.begin(), land.m_ThirdLayer.end()), map.thirdLayer);
    EXPECT_EQ(land.m_ShadeLevel, map.shadeLevel);
    EXPECT_EQ(std::memcmp(land.m_Spare, map.spare, sizeof map.spare), 0);
    EXPECT_EQ(land.m_BaseTexture, textures.At(1));
    EXPECT_EQ(land.m_DetailTexture, textures.At(0));
    EXPECT_EQ(std::memcmp(&land.m_Material, &map.material, sizeof map.material), 0);
    EXPECT_EQ(std::memcmp(&land.m_Light, &map.light, sizeof map.light), 0);
    EXPECT_EQ(std::memcmp(land.m_Fog, map.fog.words, sizeof map.fog.words), 0);
    EXPECT_EQ(land.m_SkyTextureId, 3003);
    EXPECT_EQ(land.m_WaterTextureIds[0], 3004);
    EXPECT_EQ(land.m_WaterTextureIds[1], -7);
    EXPECT_EQ(land.m_WaterLevel, 12.5f);
    EXPECT_EQ(land.m_MaxHeight, 976.0f * 0.25f - 20.0f);
    // The next frame rebuilds every tile; the sun is device light 0.
    EXPECT_EQ(land.m_CameraCell.x, -1.0f);
    EXPECT_GE(gfx::null::FindCall("SetLight(0,3)"), 0);
    EXPECT_GE(gfx::null::FindCall("LightEnable(0,1)"), 0);
    EXPECT_TRUE(enginetest::Logged("INFO: Landscape: Creating Width: 1024 Height: 1024"));
    EXPECT_TRUE(enginetest::Logged("INFO: Landscape: Created"));
}

TEST_F(LandscapeMapFileTest, UnknownTextureIdsLeaveTheStagesEmpty)
{
    QV7_TextureList textures;
    FillList(textures, {5});
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    map.baseTextureId = 3001;
    map.detailTextureId = 3002;
    WriteAndLoad(map, &textures);
    EXPECT_EQ(g_landscape->m_BaseTexture, nullptr);
    EXPECT_EQ(g_landscape->m_DetailTexture, nullptr);
}

TEST_F(LandscapeMapFileTest, MapLoadedHookSeesTheWholeMap)
{
    static const QV7_Landscape* seen = nullptr;
    static float level = 0.0f;
    g_onLandscapeMapLoaded = [](const QV7_Landscape& land, const QV7_TextureList*)
    {
        seen = &land;
        level = land.m_WaterLevel;
    };
    LandscapeMapDescription map = MakeFlatLandscapeMap();
    map.waterLevel = -3.0f;
    WriteAndLoad(map);
    g_onLandscapeMapLoaded = nullptr;
    EXPECT_EQ(seen, g_landscape);
    EXPECT_EQ(level, -3.0f);
}

TEST_F(LandscapeMapFileTest, ShadingPictureIsLoadedReplacedAndKeptThroughUnload)
{
    Write(MakeFlatLandscapeMap());
    ASSERT_TRUE(Load());
    ASSERT_NE(g_landscape->m_ShadowTexture, nullptr);
    D3DSURFACE_DESC desc{};
    g_landscape->m_ShadowTexture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 4u);
    g_landscape->Unload();
    EXPECT_NE(g_landscape->m_ShadowTexture, nullptr);
    // A missing picture is a warning only: the island loads without it.
    std::remove((dir + "MapSHD1.map").c_str());
    ASSERT_TRUE(Load());
    EXPECT_EQ(g_landscape->m_ShadowTexture, nullptr);
    EXPECT_TRUE(
        enginetest::Logged("WARNING: Map shading picture " + dir + "MapSHD1.map could not be loaded"));
}

TEST_F(LandscapeMapFileTest, MissingFileIsLoggedAndThrows)
{
    EXPECT_FALSE(Load());
    EXPECT_TRUE(enginetest::Logged("Error: Loading Map File " + MapPath()));
    EXPECT_FALSE(g_landscape->IsCreated());
    EXPECT_EQ(g_landscape->GetHeight(100.0f, 100.0f), 0.0f);
}

// One broken file: the flat map with bytes changed at offset, or cut to size.
struct BrokenCase
{
    const char* name;
    size_t cutTo;       // 0: full length
    size_t offset;      // where the bytes go
    uint32_t word;      // the u32 written there (unless cut)
    const char* reason; // what the log line says after "is broken: "
};

constexpr size_t kLayer = 4194304;
constexpr size_t kTail = 3 * kLayer;
constexpr uint32_t kNaN = 0x7FC00000u, kInfinity = 0x7F800000u;

const BrokenCase kBroken[] = {
    {"empty", 1, 0, 0, "1 bytes, a map holds 12583156"},
    {"inside heights", 100, 0, 0, "100 bytes, a map holds 12583156"},
    {"inside brightness", kLayer + 8, 0, 0, "4194312 bytes, a map holds 12583156"},
    {"inside third layer", 2 * kLayer + 12, 0, 0, "8388620 bytes, a map holds 12583156"},
    {"inside shade level", kTail + 2, 0, 0, "12582914 bytes, a map holds 12583156"},
    {"inside spare floats", kTail + 8, 0, 0, "12582920 bytes, a map holds 12583156"},
    {"inside texture ids", kTail + 18, 0, 0, "12582930 bytes, a map holds 12583156"},
    {"inside material", kTail + 60, 0, 0, "12582972 bytes, a map holds 12583156"},
    {"inside light", kTail + 150, 0, 0, "12583062 bytes, a map holds 12583156"},
    {"inside fog", kTail + 200, 0, 0, "12583112 bytes, a map holds 12583156"},
    {"inside sky id", kTail + 230, 0, 0, "12583142 bytes, a map holds 12583156"},
    {"inside water level", kTail + 243, 0, 0, "12583155 bytes, a map holds 12583156"},
    {"NaN height", 0, (7 * 1024 + 5) * 4, kNaN, "height at sample (5, 7) is nan"},
    {"height past any island", 0, (1023 * 1024 + 1023) * 4, 0x4A000000u /* 2^21 */,
     "height at sample (1023, 1023) is 2.09715e+06"},
    {"infinite brightness", 0, kLayer + 4, kInfinity, "brightness at sample (1, 0) is inf"},
    {"NaN shade level", 0, kTail, kNaN, "shade level nan is not a number"},
    {"NaN material", 0, kTail + 24 + 20, kNaN, "the material holds a value that is not a colour"},
    {"light type 0", 0, kTail + 92, 0, "light type 0 is not a point, spot or directional light"},
    {"light type 4", 0, kTail + 92, 4, "light type 4 is not a point, spot or directional light"},
    {"NaN light range", 0, kTail + 92 + 76, kNaN, "the sun light holds a value that is not a number"},
    {"sun without direction", 0, kTail + 92 + 68, 0, "the sun light has no direction"},
    {"fog enable 2", 0, kTail + 196, 2, "fog switch words 2 and 0 must be 0 or 1"},
    {"fog vertex mode 4", 0, kTail + 196 + 8, 4, "fog vertex mode 4 or table mode 0 is not a fog mode"},
    {"fog table mode 9", 0, kTail + 196 + 12, 9, "fog vertex mode 3 or table mode 9 is not a fog mode"},
    {"NaN fog end", 0, kTail + 196 + 20, kNaN, "fog start, end or density 0x7fc00000 is not a number"},
    {"range fog 5", 0, kTail + 196 + 28, 5, "fog switch words 0 and 5 must be 0 or 1"},
    {"infinite water level", 0, kTail + 240, kInfinity, "water level inf is not a number"},
};

TEST_F(LandscapeMapFileTest, BrokenFilesAreLoggedAndRefused)
{
    LandscapeMapDescription flat = MakeFlatLandscapeMap();
    // The sun straight down, so that a zeroed direction component alone
    // still leaves a direction, and the zero-direction case zeroes all three.
    flat.light.Direction = {0.0f, -1.0f, 0.0f};
    const std::vector<uint8_t> good = BuildLandscapeMap(flat).Bytes();
    for (const BrokenCase& c : kBroken)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = good;
        if (c.cutTo)
            bytes.resize(c.cutTo);
        else
            std::memcpy(bytes.data() + c.offset, &c.word, 4);
        ASSERT_TRUE(SaveBytes(bytes));
        enginetest::Log().clear();
        EXPECT_FALSE(Load());
        EXPECT_TRUE(enginetest::Logged("Error: Map File " + MapPath() + " is broken: " + c.reason));
        EXPECT_TRUE(enginetest::Logged(
            "Critical Problem, File Broken, Application will crash to avoid any additional problems."));
        EXPECT_FALSE(g_landscape->IsCreated());
        EXPECT_EQ(g_landscape->GetHeight(640.0f, 640.0f), 0.0f);
    }
    // Bytes after the map are ignored.
    std::vector<uint8_t> longer = good;
    longer.resize(good.size() + 10, 0xEE);
    ASSERT_TRUE(SaveBytes(longer));
    EXPECT_TRUE(Load());
}
} // namespace
