// The item database built from a data folder our writers fill: which buggy
// textures it loads (Textures2.dbs less Maps_srt_ex.qvx), the broken ID
// lists, its log lines and loading-screen progress in order, and the lookups
// of its texture list by the DatA.dat meshes and the maps database.
#include "BuggyDatabaseTestSupport.h"

#include "race/BuggyTextureIds.h"
#include "race/ProfileItemCatalog.h"
#include "race/ProfilesFile.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Globals.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/figures/FiguresTestSupport.h"
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/demo/DemoItemTextures.h"
#include "tools/demo/DemoMapsDatabase.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/TextureContainerWriter.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>

namespace
{
using Bytes = std::vector<uint8_t>;
using Ids = std::vector<int32_t>;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

Bytes Picture(uint32_t argb)
{
    ImagePixels image;
    image.width = 4;
    image.height = 4;
    image.argb.assign(16, argb);
    return WritePng(image);
}

Bytes IdFile(const Ids& ids)
{
    return BuildBuggyTextureIdList(ids).Bytes();
}
Bytes ExclusionFile(const Ids& ids)
{
    return BuildMapTextureList(ids).Bytes();
}

class ItemDatabaseTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        windows->m_Active = 1;         // the loading screen pumps the frame gate
        Start();
        // The container holds more than the lists choose: 6000 is never asked for.
        Save("Textures2.qvx", BuildWorldTextureContainer({{5001, Picture(0xFF102030)},
                                                          {5002, Picture(0xFF405060)},
                                                          {4001, Picture(0xFF708090)},
                                                          {6000, Picture(0xFFA0B0C0)},
                                                          {figurestest::kTextureA, Picture(0xFF00FF00)}})
                                  .Bytes());
    }

    void Save(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream(dir.Path() + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::unique_ptr<QV7_ItemDatabase> Build()
    {
        return std::make_unique<QV7_ItemDatabase>(dir.Path(), g_device);
    }

    // Builds a database that must be refused; returns the exception's details.
    std::string BuildBroken()
    {
        try
        {
            Build();
        }
        catch (const CDException& e)
        {
            EXPECT_EQ(g_itemDatabase, nullptr);
            EXPECT_EQ(g_itemTextures, nullptr);
            return e.Details();
        }
        ADD_FAILURE() << "the data folder was accepted";
        return {};
    }

    static Ids LoadedIds(const QV7_ItemDatabase& database)
    {
        Ids ids;
        for (int i = 0; i < database.textures.Count(); ++i)
            ids.push_back(int32_t(database.textures.At(i)->m_CompileId));
        return ids;
    }

    TempDir dir;
};

// One row: the two ID files (nullopt: no file), the IDs kept and the lines logged.
struct IdRow
{
    const char* name;
    std::optional<Bytes> ids;
    std::optional<Bytes> excluded;
    Ids kept;
    std::vector<std::string> lines;
};

TEST_F(ItemDatabaseTest, KeepsTheListedIdsLessTheExcludedOnes)
{
    Bytes cut = IdFile({5001, 5002});
    cut.resize(cut.size() + 3, 0x77);
    const std::vector<IdRow> rows = {
        {"plain list", IdFile({5002, 5001}), std::nullopt, {5002, 5001}, {}},
        {"empty list", Bytes{}, ExclusionFile({5001}), {}, {}},
        {"twice listed, once excluded: the later copy goes",
         IdFile({5001, 5002, 4001, 5001}),
         ExclusionFile({5001}),
         {5001, 5002, 4001},
         {}},
        {"excluded twice", IdFile({5001, 5002, 5001}), ExclusionFile({5001, 5001}), {5002}, {}},
        {"an absent exclusion removes nothing",
         IdFile({5001, 5002}),
         ExclusionFile({4001, 9}),
         {5001, 5002},
         {}},
        {"an empty exclusion list", IdFile({5001}), ExclusionFile({}), {5001}, {}},
        {"an ID the container lacks", IdFile({7000, 5002}), std::nullopt, {7000, 5002}, {}},
        {"no list",
         std::nullopt,
         ExclusionFile({5001}),
         {},
         {"Error: Buggies Number file while accesing " + dir.Path() + "Textures2.dbs (A)",
          "Error: Buggies Number file while accesing " + dir.Path() + "Textures2.dbs (B)"}},
        {"a list cut inside its last ID keeps the whole ones",
         cut,
         std::nullopt,
         {5001, 5002},
         {"Warning: Buggies Number file " + dir.Path() +
          "Textures2.dbs ends inside a texture id, its last 3 bytes are ignored"}},
    };
    for (const IdRow& row : rows)
    {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(dir.Path() + "Textures2.dbs");
        std::filesystem::remove(dir.Path() + "Maps_srt_ex.qvx");
        if (row.ids)
            Save("Textures2.dbs", *row.ids);
        if (row.excluded)
            Save("Maps_srt_ex.qvx", *row.excluded);
        enginetest::Log().clear();
        const std::unique_ptr<QV7_ItemDatabase> database = Build();
        EXPECT_THAT(database->textureIdArray, ElementsAreArray(row.kept));
        ASSERT_EQ(database->textureIds.Count(), database->TextureIdCount());
        for (int i = 0; i < database->textureIds.Count(); ++i)
            EXPECT_EQ(*database->textureIds[i], database->TextureIdArray()[i]);
        // Each chosen record once, in the container's order.
        Ids loadable;
        for (int32_t id : {5001, 5002, 4001, 6000})
            if (std::count(row.kept.begin(), row.kept.end(), id))
                loadable.push_back(id);
        EXPECT_THAT(LoadedIds(*database), ElementsAreArray(loadable));
        for (const std::string& line : row.lines)
            EXPECT_TRUE(enginetest::Logged(line)) << line << "\n"
                                                  << ::testing::PrintToString(enginetest::Log());
    }
}

TEST_F(ItemDatabaseTest, RefusesAnExclusionListWhoseCountDoesNotFit)
{
    Save("Textures2.dbs", IdFile({5001}));
    const std::string path = dir.Path() + "Maps_srt_ex.qvx";
    Bytes negative = ExclusionFile({5001});
    negative[0] = 0xFF, negative[1] = 0xFF, negative[2] = 0xFF, negative[3] = 0xFF;
    Bytes beyond = ExclusionFile({5001, 5002});
    beyond.resize(beyond.size() - 1);
    const std::vector<std::pair<Bytes, std::string>> rows = {
        {negative, "a count of -1 for 4 bytes"},
        {beyond, "a count of 2 for 7 bytes"},
        {Bytes{0x01, 0x00}, "it holds no count"},
    };
    for (const auto& [bytes, what] : rows)
    {
        SCOPED_TRACE(what);
        Save("Maps_srt_ex.qvx", bytes);
        enginetest::Log().clear();
        EXPECT_THAT(BuildBroken(), ::testing::StartsWith("FILE .\\QV7_ItemDatabase LINE "));
        EXPECT_TRUE(enginetest::Logged("ERROR: Buggy texture exclusion file " + path + " is broken: " + what))
            << ::testing::PrintToString(enginetest::Log());
    }
}

TEST_F(ItemDatabaseTest, WritersAndReadersAgreeOnBothIdFiles)
{
    const Ids ids = {5001, -7, 0, 2147483647, 5001};
    BinaryReader list(IdFile(ids));
    QV7_Collection<int32_t> read;
    ReadBuggyTextureIds(list, "Textures2.dbs", read);
    ASSERT_EQ(read.Count(), 5);
    for (int i = 0; i < read.Count(); ++i)
        EXPECT_EQ(*read[i], ids[size_t(i)]);
    BinaryReader excluded(ExclusionFile(ids));
    EXPECT_EQ(ReadExcludedTextureIds(excluded, "Maps_srt_ex.qvx"), ids);
    EXPECT_EQ(IdFile({}).size(), 0u);
    EXPECT_EQ(ExclusionFile({}).size(), 4u);
}

TEST_F(ItemDatabaseTest, MeshesAndTheMapsDatabaseFindTheirTexturesInItsList)
{
    Save("Textures2.dbs", IdFile({5001, 4001}));
    Save("DatA.dat", BuildBuggyDatabase(buggytest::SmallDatabase()).Bytes());
    {
        const std::unique_ptr<QV7_ItemDatabase> database = Build();
        EXPECT_EQ(g_itemDatabase, database.get());
        EXPECT_EQ(g_itemTextures, &database->textures);
        const QV7_BuggyMeshSystem& system = database->meshSystem;
        ASSERT_EQ(system.objects.count, 11);
        const BuggyMesh* mesh = system.objects[0]->mesh;
        ASSERT_NE(mesh, nullptr);
        ASSERT_NE(mesh->m_Textures[0], nullptr);
        EXPECT_EQ(mesh->m_Textures[0], database->textures.FindByCompileId(5001));
        EXPECT_NE(TextureOf(mesh->m_Textures[0]), nullptr);
        EXPECT_EQ(mesh->m_Textures[1], nullptr) << "5002 is not listed";
        // A map picture resolves the way the maps database looks it up.
        EXPECT_NE(TextureOf(g_itemTextures->FindByCompileId(4001)), nullptr);
        EXPECT_EQ(g_itemTextures->FindByCompileId(6000), nullptr);
        // The flagged flamer is an object, not equipment.
        const QV7_DataBase_MeshObject* tutorialFlamer = system.objects[3];
        EXPECT_EQ(tutorialFlamer->flag, 1u);
        EXPECT_EQ(std::count(system.equipment.begin(), system.equipment.end(), tutorialFlamer), 0);
    }
    EXPECT_EQ(g_itemDatabase, nullptr);
    EXPECT_EQ(g_itemTextures, nullptr);
}

TEST_F(ItemDatabaseTest, ABrokenBuggyDatabaseLeavesNothingPublished)
{
    Save("Textures2.dbs", IdFile({5001}));
    Bytes data = BuildBuggyDatabase(buggytest::SmallDatabase()).Bytes();
    data.resize(data.size() / 2);
    Save("DatA.dat", data);
    EXPECT_THAT(BuildBroken(), ::testing::StartsWith("FILE QV7_BuggyMeshSystem LINE "));
}

// The loading screen's bar, read back from the null device: each frame draws
// the picture, the bar (its right texture coordinate is the percent times
// 0.75195) and the fade.
std::vector<int> DrawnPercents()
{
    std::vector<int> percents;
    const std::vector<gfx::null::UserDraw>& draws = gfx::null::UserDraws();
    for (size_t i = 1; i < draws.size(); i += 3)
    {
        float right = 0.0f;
        for (size_t at = 20; at + 4 <= draws[i].vertices.size(); at += draws[i].stride)
        {
            float u;
            std::memcpy(&u, &draws[i].vertices[at], sizeof u);
            right = std::max(right, u);
        }
        percents.push_back(int(std::lround(right / 0.75195f * 100.0f)));
    }
    return percents;
}

TEST_F(ItemDatabaseTest, LogsAndDrawsItsProgressInOrder)
{
    Save("Textures2.dbs", IdFile({5001, 5002, 4001, 7000}));
    Save("Maps_srt_ex.qvx", ExclusionFile({7000}));
    BuggyDatabaseDescription five;
    for (int i = 0; i < 5; ++i)
        five.Add(buggytest::Object(i == 0 ? 0 : 16, "Item " + std::to_string(i)));
    Save("DatA.dat", BuildBuggyDatabase(five).Bytes());
    // The loading-screen list publishes itself as g_textureList, which every
    // loader draws its progress through.
    QV7_TextureList loadingScreen(TextureListRole::LoadingScreen);
    gfx::null::Settings().keepUserDraws = true;
    gfx::null::ClearCalls();
    enginetest::Log().clear();
    const std::unique_ptr<QV7_ItemDatabase> database = Build();
    // Three textures of three IDs from 10 to 30, then five objects from 30 to 50.
    EXPECT_THAT(DrawnPercents(), ElementsAre(16, 23, 30, 30, 34, 38, 42, 46));
    std::vector<std::string> lines;
    for (const std::string& line : enginetest::Log())
        if (line.rfind("Info: ", 0) == 0)
            lines.push_back(line);
    EXPECT_THAT(lines,
                ::testing::IsSupersetOf({"Info: Loading Buggy Textures", "Info: Buggy Textures Loaded"}));
    const auto at = [&](const char* line)
    { return std::find(lines.begin(), lines.end(), line) - lines.begin(); };
    EXPECT_LT(at("Info: Loading Buggy Textures"), at("Info: Buggy Textures Loaded"));
    EXPECT_EQ(lines.front(), "Info: Loading Buggy Textures");
}

// The demo's lists choose every texture a demo buggy names and every picture
// the maps database shows, and leave the islands' loading pages to the race.
TEST_F(ItemDatabaseTest, TheDemoBuggiesAndRaceListsFindEveryTextureTheyName)
{
    ASSERT_TRUE(WriteDemoBuggies(dir.Path()));
    ASSERT_TRUE(WriteDemoItemTextures(dir.Path()));
    ASSERT_TRUE(WriteWorldTextureContainer(dir.Path() + "Textures2.qvx", DemoWorldPictures()));
    const std::unique_ptr<QV7_ItemDatabase> database = Build();
    const BuggyDatabaseDescription demo = MakeDemoBuggyDatabase();
    const QV7_BuggyMeshSystem& system = database->meshSystem;
    ASSERT_EQ(system.objects.count, int(demo.objects.size()));
    int textured = 0;
    for (size_t i = 0; i < demo.objects.size(); ++i)
    {
        if (!demo.objects[i].mesh)
            continue;
        const BuggyMesh* mesh = system.objects[int(i)]->mesh;
        ASSERT_NE(mesh, nullptr);
        const std::vector<MeshObjectMaterial>& materials = demo.objects[i].mesh->materials;
        ASSERT_EQ(mesh->m_Textures.size(), materials.size());
        for (size_t s = 0; s < materials.size(); ++s)
            if (materials[s].texture0Id)
            {
                EXPECT_NE(TextureOf(mesh->m_Textures[s]), nullptr)
                    << "object " << i << " subset " << s << " texture " << materials[s].texture0Id;
                ++textured;
            }
    }
    EXPECT_GT(textured, 50);
    for (int32_t id : DemoMapsPictureIds())
    {
        const bool loadingPage =
            id >= int32_t(demo::kIslandLoadingId) && id < int32_t(demo::kIslandMiniMapId);
        EXPECT_EQ(g_itemTextures->FindByCompileId(uint32_t(id)) == nullptr, loadingPage) << id;
    }
}

// The driver figures load last, and their textures come from its list.
TEST_F(ItemDatabaseTest, TheDriverFiguresLoadLastWithTheirTexturesFromItsList)
{
    Save("Textures2.dbs", IdFile({5001, int32_t(figurestest::kTextureA)}));
    Save("DatA.dat", BuildBuggyDatabase(buggytest::SmallDatabase()).Bytes());
    Save("Triggers.qvx", WriteTriggersFile(figurestest::SmallFile()));
    enginetest::Log().clear();
    {
        const std::unique_ptr<QV7_ItemDatabase> database = Build();
        const TriggerRecord* trigger = database->figures.FindTrigger("TRIG_A_IDLE");
        ASSERT_NE(trigger, nullptr);
        ASSERT_NE(trigger->m_AnimatedMesh, nullptr);
        EXPECT_EQ(trigger->m_AnimatedMesh->m_Texture,
                  database->textures.FindByCompileId(figurestest::kTextureA));
        EXPECT_NE(TextureOf(trigger->m_AnimatedMesh->m_Texture), nullptr);
        const std::vector<std::string>& log = enginetest::Log();
        const auto at = [&](const char* line)
        { return std::find(log.begin(), log.end(), line) - log.begin(); };
        ASSERT_LT(at("INFO: Start Loading Triggers System"), std::ptrdiff_t(log.size()));
        EXPECT_LT(at("Info: Buggy Textures Loaded"), at("Info: Buggy Mesh System: Mesh Loading Done"));
        EXPECT_LT(at("Info: Buggy Mesh System: Mesh Loading Done"),
                  at("INFO: Start Loading Triggers System"));
    }
    // A broken figure file ends the start-up like a broken buggy database.
    std::vector<uint8_t> cut = WriteTriggersFile(figurestest::SmallFile());
    cut.resize(cut.size() - 5);
    Save("Triggers.qvx", cut);
    EXPECT_THAT(BuildBroken(), ::testing::StartsWith("FILE "));
    // The last trigger's name is cut: the string reader's line.
    EXPECT_TRUE(enginetest::Logged(
        "Critical Problem, File Broken, Application will crash to avoid any additional problems."));
}
// Start-up reads DatA.dat before the profiles, so a profile naming an object
// the database does not hold loses that object; the catalog goes with the database.
TEST_F(ItemDatabaseTest, PublishesItsCatalogSoTheProfilesDropUnknownItems)
{
    ASSERT_TRUE(WriteDemoBuggies(dir.Path()));
    QV7_Collection<ProfileRecord> stored;
    ProfileRecord& record = *stored.Add();
    std::strcpy(record.name, "Ann");
    const int32_t objectCount = int32_t(MakeDemoBuggyDatabase().objects.size());
    record.ownedItems.Add()->item = 3;
    record.ownedItems.Add()->item = objectCount;
    BinaryWriter bytes;
    ProfilesFile::Write(stored, bytes);
    Save("Profiles.dtx", bytes.Bytes());
    const std::string savedDataDir = g_dataDir;
    g_dataDir = dir.Path();

    std::unique_ptr<QV7_ItemDatabase> database = Build();
    ASSERT_NE(g_profileItemCatalog, nullptr);
    EXPECT_EQ(g_profileItemCatalog->objectCount, objectCount);
    EXPECT_EQ(g_buggyMeshSystem, &database->meshSystem);
    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 1);
    const QV7_Collection<MountedPart>& owned = profiles.profiles[0]->ownedItems;
    ASSERT_EQ(owned.Count(), 1);
    EXPECT_EQ(owned[0]->item, 3);
    EXPECT_TRUE(enginetest::Logged("WARNING: Profile Ann: owned item " + std::to_string(objectCount) +
                                   " is not in the buggy database, dropped."));

    database.reset();
    EXPECT_EQ(g_profileItemCatalog, nullptr);
    EXPECT_EQ(g_buggyMeshSystem, nullptr);
    g_dataDir = savedDataDir;
}

} // namespace
