// The buggy configurations' stage: a buggy database read on the null device
// and published as the loaded one, its profile catalog, and a profile list.
#pragma once

#include "race/BuggyConfiguration.h"
#include "race/ProfileItemCatalog.h"
#include "race/QV7_Profiles.h"
#include "tests/race/BuggyDatabaseTestSupport.h"

#include <memory>

namespace buggytest
{
class ConfigurationFixture : public BuggyDatabaseFixture
{
  protected:
    void TearDown() override
    {
        profiles.reset();
        g_buggyMeshSystem = nullptr;
        g_profileItemCatalog = nullptr;
        BuggyDatabaseFixture::TearDown();
    }
    // Reads the database and publishes it as the game's, then opens the profile list.
    void Publish(const BuggyDatabaseDescription& database)
    {
        Read(database);
        catalog = ProfileItemCatalog::From(system);
        g_profileItemCatalog = &catalog;
        g_buggyMeshSystem = &system;
        profiles = std::make_unique<QV7_Profiles>();
    }
    // A new default profile, made current.
    ProfileRecord& CurrentProfile()
    {
        profiles->currentProfile = profiles->AddProfile();
        return *profiles->currentProfile;
    }
    const QV7_DataBase_MeshObject* ItemOf(const MountedPart& part) const { return system.Item(part.item); }

    ProfileItemCatalog catalog;
    std::unique_ptr<QV7_Profiles> profiles;
};
} // namespace buggytest
