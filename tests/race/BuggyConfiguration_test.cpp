// Buggy configurations on a published buggy database: the parts a model
// comes with and the garage's stats on the demo database, where parts sit and
// which show, the profile's equipment that fits or not, the opponents'
// weapons and the guards against a database that lacks what a model needs.
#include "tests/race/BuggyConfigurationTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gmock/gmock.h>

#include <cmath>
#include <utility>
#include <vector>

namespace
{
using buggytest::Object;
using TypeLevel = std::pair<int32_t, int>;

class BuggyConfigurationTest : public buggytest::ConfigurationFixture
{
  protected:
    std::vector<TypeLevel> TypesAndLevels(const QV7_Collection<MountedPart>& parts) const
    {
        std::vector<TypeLevel> found;
        for (int i = 0; i < parts.Count(); ++i)
        {
            const QV7_DataBase_MeshObject* item = ItemOf(*parts[i]);
            found.push_back(item ? TypeLevel{item->type, item->Level()} : TypeLevel{-1, 0});
        }
        return found;
    }
    static std::vector<std::string> Warnings()
    {
        std::vector<std::string> warnings;
        for (const std::string& line : meshtest::Log())
            if (line.find("WARNING") != std::string::npos)
                warnings.push_back(line);
        return warnings;
    }
    static void ExpectMatrix(const D3DXMATRIX& actual, const D3DXMATRIX& expected, const char* what)
    {
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(actual.m[r][c], expected.m[r][c], 1e-5f) << what << " [" << r << "][" << c << "]";
    }
};

TEST_F(BuggyConfigurationTest, TheDefaultProfilesBuggyGetsItsModelsPartsAndStatsOnTheDemoDatabase)
{
    Publish(MakeDemoBuggyDatabase());
    ProfileRecord& profile = CurrentProfile();
    BuggyConfiguration& buggy = *profile.currentBuggy;
    ASSERT_EQ(buggy.ModelIndex(), 2);
    // Model 2: engine level 2, then level 1 of repair, power and alternator.
    EXPECT_THAT(TypesAndLevels(buggy.parts),
                ::testing::ElementsAre(TypeLevel{7, 2}, TypeLevel{8, 1}, TypeLevel{10, 1}, TypeLevel{11, 1}));
    // Made before it was current, so the stats wait for the garage's mount.
    EXPECT_EQ(buggy.maxSpeed, 0);
    BuggyConfiguration::MountParts(&buggy);
    int32_t value = int32_t(system.models[2]->value2);
    for (int i = 0; i < buggy.parts.Count(); ++i)
        value += int32_t(ItemOf(*buggy.parts[i])->value2);
    EXPECT_EQ(buggy.value, value);
    EXPECT_EQ(buggy.strength, 120);
    EXPECT_EQ(buggy.energy, 20);
    EXPECT_EQ(buggy.repair, 0); // a level-1 repair kit adds nothing
    EXPECT_EQ(buggy.maxSpeed, 65 + 15 * 2);
    EXPECT_EQ(buggy.acceleration, 10 + 5 * 2);
    EXPECT_EQ(buggy.alternator, 2);
    // Engine and alternator show; repair kit and power cell never do.
    std::vector<int32_t> visible;
    for (int i = 0; i < buggy.parts.Count(); ++i)
        visible.push_back(buggy.parts[i]->visible);
    EXPECT_THAT(visible, ::testing::ElementsAre(1, 0, 0, 1));
    ExpectMatrix(buggy.parts[1]->mount, MountMatrix(ItemOf(*buggy.parts[1])->attachPoints[2]),
                 "hidden repair kit");
    // The profile's flamer fits model 2 and sits on its mount.
    ASSERT_EQ(profile.ownedItems.Count(), 1);
    EXPECT_EQ(profile.ownedItemsFit, 1);
    EXPECT_EQ(profile.ownedItems[0]->visible, 1);
    ExpectMatrix(profile.ownedItems[0]->mount, MountMatrix(ItemOf(*profile.ownedItems[0])->attachPoints[2]),
                 "owned flamer");
    // The opponents' buggies get their own models' parts.
    const int levels[5][4] = {{3, 2, 2, 2}, {2, 1, 1, 1}, {2, 3, 2, 2}, {1, 2, 1, 1}, {2, 3, 2, 2}};
    for (int o = 0; o < PROFILE_OPPONENT_COUNT; ++o)
        EXPECT_THAT(TypesAndLevels(profile.opponents[o].configuration.parts),
                    ::testing::ElementsAre(TypeLevel{7, levels[o][0]}, TypeLevel{8, levels[o][1]},
                                           TypeLevel{10, levels[o][2]}, TypeLevel{11, levels[o][3]}))
            << "opponent " << o;
}

// A model whose placement says the object does not fit it, and an item the
// database no longer has.
TEST_F(BuggyConfigurationTest, EquipmentThatDoesNotFitClearsTheFitFlagAndKeepsItsMount)
{
    Publish(MakeDemoBuggyDatabase());
    ProfileRecord& profile = CurrentProfile();
    BuggyConfiguration& buggy = *profile.currentBuggy;
    MountedPart& flamer = *profile.ownedItems[0];
    const_cast<QV7_DataBase_MeshObject*>(ItemOf(flamer))->attachWords[2] = 0;
    D3DXMatrixTranslation(&flamer.mount, 1, 2, 3);
    const D3DXMATRIX kept = flamer.mount;
    flamer.visible = 1;
    BuggyConfiguration::MountParts(&buggy);
    EXPECT_EQ(profile.ownedItemsFit, 0);
    EXPECT_EQ(flamer.visible, 0);
    ExpectMatrix(flamer.mount, kept, "unfitting flamer");
    const int32_t speed = buggy.maxSpeed;
    // Without a current profile the stats stay as they were.
    profiles->currentProfile = nullptr;
    buggy.parts.Clear();
    BuggyConfiguration::MountParts(&buggy);
    EXPECT_EQ(buggy.maxSpeed, speed);
}

// Each opponent's weapons and shield by model: models 1 and 2 carry the
// flamer and the ice cannon, models 3 and up the chain gun and shield too.
TEST_F(BuggyConfigurationTest, SetupOpponentsTwiceGivesWhatOnceGives)
{
    Publish(MakeDemoBuggyDatabase());
    ProfileRecord& profile = CurrentProfile();
    const D3DXMATRIX ownedMount = profile.ownedItems[0]->mount;
    ProfileRecord::SetupOpponents(&profile);
    std::vector<std::vector<TypeLevel>> once;
    for (const OpponentRecord& opponent : profile.opponents)
        once.push_back(TypesAndLevels(opponent.ownedParts));
    const std::vector<TypeLevel> two = {{1, 1}, {2, 1}}, four = {{1, 1}, {2, 1}, {3, 1}, {9, 1}};
    EXPECT_THAT(once, ::testing::ElementsAre(four, two, four, two, four));
    ProfileRecord::SetupOpponents(&profile);
    for (int o = 0; o < PROFILE_OPPONENT_COUNT; ++o)
    {
        const OpponentRecord& opponent = profile.opponents[o];
        EXPECT_EQ(TypesAndLevels(opponent.ownedParts), once[size_t(o)]) << o;
        EXPECT_THAT(opponent.stats, ::testing::Each(1000));
        // The opponent's weapons sit on its own model, and its stats are computed.
        const int m = opponent.configuration.ModelIndex();
        EXPECT_EQ(opponent.ownedParts[0]->visible, 1);
        ExpectMatrix(opponent.ownedParts[0]->mount,
                     MountMatrix(ItemOf(*opponent.ownedParts[0])->attachPoints[m]), "opponent flamer");
        EXPECT_EQ(opponent.configuration.strength, 100 + 10 * m);
    }
    // Mounting the opponents leaves the player's equipment where the player's buggy put it.
    ExpectMatrix(profile.ownedItems[0]->mount, ownedMount, "player's flamer");
}

// A database with eleven models, an engine chain of two levels, no repair
// kit, power cells and alternators of five levels, and no weapons at all.
BuggyDatabaseDescription ThinDatabase()
{
    BuggyDatabaseDescription database;
    for (int m = 0; m < 11; ++m)
    {
        BuggyObjectDescription model = Object(0, "Model " + std::to_string(m));
        model.value2 = 100, model.value4 = m == 3 ? 0 : 1;
        database.Add(model);
    }
    auto chain = [&](int32_t type, int levels)
    {
        database.AddChain(levels,
                          [&](int level)
                          {
                              BuggyObjectDescription part = Object(type, "Part " + std::to_string(level));
                              for (int m = 0; m < 10; ++m)
                                  part.attachPoints[size_t(m)] = {{float(m), 0, 0}, {0.5f, 0, 0}, 1};
                              return part;
                          });
    };
    chain(7, 2);
    chain(10, 5);
    chain(11, 5);
    return database;
}

struct GuardRow
{
    const char* name;
    int model; // model index; -1: an object that is not a model
    std::vector<TypeLevel> parts;
    std::vector<const char*> warnings;
};

TEST_F(BuggyConfigurationTest, GuardsAgainstADatabaseThatLacksWhatAModelNeeds)
{
    Publish(ThinDatabase());
    const char* const kShortEngine =
        "WARNING: The upgrade chain of type 7 has 2 levels, level 3 wanted; using the top.";
    const char* const kNoRepair = "WARNING: The buggy database has no part of type 8 to equip.";
    const std::vector<GuardRow> rows = {
        {"model 0 comes bare", 0, {}, {}},
        {"model 1: everything its chains hold", 1, {{7, 1}, {10, 1}, {11, 1}}, {kNoRepair}},
        {"model 4: the engine chain is too short", 4, {{7, 2}, {10, 2}, {11, 2}}, {kShortEngine, kNoRepair}},
        {"model 10 has no placements", 10, {}, {}},
        {"not a model", -1, {}, {}},
    };
    for (const GuardRow& row : rows)
    {
        SCOPED_TRACE(row.name);
        meshtest::Log().clear();
        BuggyConfiguration config;
        config.model = row.model < 0 ? system.ItemIndex(system.objects[12])
                                     : system.ItemIndex(system.models[size_t(row.model)]);
        BuggyConfiguration::EquipDefaultParts(&config);
        EXPECT_EQ(TypesAndLevels(config.parts), row.parts);
        EXPECT_THAT(Warnings(), ::testing::ElementsAreArray(row.warnings));
        // A part on a model with no placement for it: left unshown at the identity.
        MountedPart* stray = config.parts.Add();
        stray->item = system.ItemIndex(system.objects[11]);
        stray->visible = 1;
        D3DXMatrixTranslation(&stray->mount, 5, 5, 5);
        BuggyConfiguration::MountParts(&config);
        const bool placed = row.model >= 0 && row.model < 10;
        EXPECT_EQ(stray->visible, 0);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        ExpectMatrix(stray->mount,
                     placed ? MountMatrix(system.objects[11]->attachPoints[row.model]) : identity,
                     "stray part");
    }
    // Weapons the database does not have are not handed out.
    ProfileRecord& profile = CurrentProfile();
    ProfileRecord::SetupOpponents(&profile);
    for (const OpponentRecord& opponent : profile.opponents)
    {
        EXPECT_EQ(opponent.ownedParts.Count(), 0);
        EXPECT_THAT(opponent.stats, ::testing::Each(1000));
    }
}

// The stats from the formulas, on a configuration whose parts are picked by hand.
TEST_F(BuggyConfigurationTest, StatsAddUpEachPartTypesLevels)
{
    BuggyDatabaseDescription database = ThinDatabase();
    for (int32_t type : {8, 13, 14, 15})
        database.AddChain(5, [&](int) { return Object(type, "Extra"); });
    Publish(database);
    CurrentProfile();
    auto levelOf = [&](int32_t type, int level)
    {
        for (const QV7_DataBase_MeshObject* object : system.objects)
            if (object->type == type && object->Level() == level)
                return system.ItemIndex(object);
        return -1;
    };
    struct Row
    {
        const char* name;
        int model;
        std::vector<TypeLevel> parts;
        std::vector<int32_t> stats; // value, strength, energy, repair, max speed, acceleration, alternator
    };
    const std::vector<Row> rows = {
        {"bare model 2", 2, {}, {100, 120, 0, 0, 65, 10, 0}},
        {"model 3 is priced at nothing", 3, {{7, 1}}, {0, 130, 0, 0, 80, 15, 0}},
        {"the last power cell counts",
         1,
         {{10, 4}, {10, 2}, {8, 1}, {8, 3}, {14, 1}, {14, 5}},
         {100 + 6 * 500, 114, 40, 2, 65, 10, 0}},
        {"speed and acceleration",
         2,
         {{7, 2}, {15, 3}, {13, 4}, {11, 2}, {11, 1}},
         {100 + 5 * 500, 120, 0, 0, 65 + 30 + 3, 10 + 10 + 3 + 4, 6}},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        BuggyConfiguration config;
        config.model = system.ItemIndex(system.models[size_t(row.model)]);
        for (const TypeLevel& part : row.parts)
            config.parts.Add()->item = levelOf(part.first, part.second);
        BuggyConfiguration::MountParts(&config);
        EXPECT_EQ((std::vector<int32_t>{config.value, config.strength, config.energy, config.repair,
                                        config.maxSpeed, config.acceleration, config.alternator}),
                  row.stats);
    }
}
} // namespace
