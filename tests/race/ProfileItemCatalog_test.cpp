// The profiles over a real buggy database: its object count, models and first
// equipment object as the profiles see them, a new profile built from them,
// and a stored object beyond the database dropped on load.
#include "BuggyDatabaseTestSupport.h"

#include "race/ProfileItemCatalog.h"
#include "race/QV7_Profiles.h"
#include "tests/race/ProfilesTestSupport.h"
#include "tools/writers/ProfilesWriter.h"

namespace
{
class ProfileItemCatalogTest : public buggytest::BuggyDatabaseFixture
{
  protected:
    void TearDown() override
    {
        g_profileItemCatalog = nullptr;
        g_dataDir = m_SavedDataDir;
        BuggyDatabaseFixture::TearDown();
    }
    TempDir dir;
    std::string m_SavedDataDir = g_dataDir;
};

// The small database: 11 objects, models at 0 and 7, equipment flamer (2) first.
TEST_F(ProfileItemCatalogTest, NewProfilesAndLoadsFollowTheDatabase)
{
    Read(buggytest::SmallDatabase());
    const ProfileItemCatalog catalog = ProfileItemCatalog::From(system);
    EXPECT_EQ(catalog.objectCount, 11);
    EXPECT_EQ(catalog.modelItems, (std::vector<int32_t>{0, 7}));
    EXPECT_EQ(catalog.firstEquipment, 2);
    g_profileItemCatalog = &catalog;

    const ProfileRecord fresh;
    ASSERT_EQ(fresh.ownedItems.Count(), 1);
    EXPECT_EQ(fresh.ownedItems[0]->item, 2);
    // Model 2 and the opponents' models 2 to 4 are beyond a database of two models.
    EXPECT_EQ(fresh.currentBuggy->model, -1);
    EXPECT_EQ(fresh.opponents[3].configuration.model, 7) << "model 1";

    g_dataDir = dir.Path();
    ProfileEntry entry;
    entry.ownedItems = {2, 11, 10};
    entry.buggies = {{7, {}}, {11, {}}};
    entry.currentBuggy = 1;
    WriteFileBytes(dir.Path() + "Profiles.dtx", BuildProfilesFile({entry}).Bytes());
    QV7_Profiles profiles;
    profiles.Load();
    ASSERT_EQ(profiles.profiles.Count(), 1);
    const ProfileRecord& p = *profiles.profiles[0];
    ASSERT_EQ(p.ownedItems.Count(), 2);
    EXPECT_EQ(p.ownedItems[1]->item, 10);
    ASSERT_EQ(p.ownedBuggies.Count(), 1);
    EXPECT_EQ(p.currentBuggy, p.ownedBuggies[0]);
}
} // namespace
