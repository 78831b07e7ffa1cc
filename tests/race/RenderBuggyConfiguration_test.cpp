// A configuration's menu picture on the null device: the model at the world
// matrix, each shown part at its mount, the highlighted part as its upgrade,
// and at most one piece of the profile's equipment.
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "race/RenderBuggyConfiguration.h"
#include "tests/race/BuggyConfigurationTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gmock/gmock.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace
{
// The world matrices of the drawn meshes, in order, as their translation rows.
std::vector<D3DXVECTOR3> WorldTranslations()
{
    std::vector<D3DXVECTOR3> found;
    for (const std::string& call : gfx::null::Calls())
    {
        if (call.rfind("SetTransform(256,", 0) != 0)
            continue;
        std::vector<float> values;
        std::stringstream numbers(call.substr(17));
        std::string number;
        while (std::getline(numbers, number, ','))
            values.push_back(std::strtof(number.c_str(), nullptr));
        if (values.size() == 16)
            found.emplace_back(values[12], values[13], values[14]);
    }
    return found;
}

class RenderBuggyConfigurationTest : public buggytest::ConfigurationFixture
{
  protected:
    void SetUp() override
    {
        ConfigurationFixture::SetUp();
        Publish(MakeDemoBuggyDatabase());
        g_device = device;
        scene = std::make_unique<QV7_Scene>();
        profile = &CurrentProfile();
        buggy = profile->currentBuggy;
        BuggyConfiguration::MountParts(buggy);
        D3DXMatrixTranslation(&world, 1000, 0, 0);
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        scene.reset();
        g_device = nullptr;
        ConfigurationFixture::TearDown();
    }
    D3DXVECTOR3 At(const D3DXMATRIX& mount) const
    {
        D3DXMATRIX placed;
        D3DXMatrixMultiply(&placed, &mount, &world);
        return D3DXVECTOR3(placed._41, placed._42, placed._43);
    }
    static void ExpectPlaces(const std::vector<D3DXVECTOR3>& actual, const std::vector<D3DXVECTOR3>& expected)
    {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i)
        {
            EXPECT_NEAR(actual[i].x, expected[i].x, 1e-3f) << "mesh " << i;
            EXPECT_NEAR(actual[i].y, expected[i].y, 1e-3f) << "mesh " << i;
            EXPECT_NEAR(actual[i].z, expected[i].z, 1e-3f) << "mesh " << i;
        }
    }

    std::unique_ptr<QV7_Scene> scene;
    ProfileRecord* profile = nullptr;
    BuggyConfiguration* buggy = nullptr;
    D3DXMATRIX world;
};

// Model 2 with engine II and alternator I shown (repair and power never are).
TEST_F(RenderBuggyConfigurationTest, DrawsTheModelThenEachShownPartAtItsMount)
{
    RenderBuggyConfiguration(buggy, nullptr, 0, 0, world);
    ExpectPlaces(WorldTranslations(),
                 {D3DXVECTOR3(1000, 0, 0), At(buggy->parts[0]->mount), At(buggy->parts[3]->mount)});
}

TEST_F(RenderBuggyConfigurationTest, AHighlightedPartShowsItsUpgrade)
{
    MountedPart& engine = *buggy->parts[0];
    const QV7_DataBase_MeshObject* upgrade = system.Item(engine.item)->parent;
    ASSERT_NE(upgrade, nullptr);
    RenderBuggyConfiguration(buggy, &engine, 0, 0, world);
    const std::vector<D3DXVECTOR3> places = WorldTranslations();
    ASSERT_EQ(places.size(), 3u);
    ExpectPlaces({places[1]}, {At(MountMatrix(upgrade->attachPoints[2]))});
    // Only one engine mesh is drawn, and it is the upgrade's.
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("),
              size_t(system.models[2]->mesh->m_SubsetCount + upgrade->mesh->m_SubsetCount +
                     system.Item(buggy->parts[3]->item)->mesh->m_SubsetCount));
}

// The flamer and a chain gun both fit; the gun (the higher type) is drawn,
// whichever comes first, and hidden or unfitting entries never are.
TEST_F(RenderBuggyConfigurationTest, WithEquipmentDrawsTheOneOfTheHighestType)
{
    const QV7_DataBase_MeshObject* gun = nullptr;
    for (const QV7_DataBase_MeshObject* object : system.equipment)
        if (object->type == ITEM_CHAIN_GUN && !gun)
            gun = object;
    ASSERT_NE(gun, nullptr);
    MountedPart& entry = *profile->ownedItems.Add();
    entry.item = system.ItemIndex(gun);
    entry.visible = 1;
    D3DXMatrixTranslation(&entry.mount, 0, 77, 0);
    RenderBuggyConfiguration(buggy, nullptr, 1, 0, world);
    std::vector<D3DXVECTOR3> places = WorldTranslations();
    ASSERT_EQ(places.size(), 4u);
    ExpectPlaces({places[3]}, {At(entry.mount)});

    entry.visible = 0;
    gfx::null::ClearCalls();
    RenderBuggyConfiguration(buggy, nullptr, 1, 0, world);
    places = WorldTranslations();
    ASSERT_EQ(places.size(), 4u);
    ExpectPlaces({places[3]}, {At(profile->ownedItems[0]->mount)});

    gfx::null::ClearCalls();
    RenderBuggyConfiguration(buggy, nullptr, 0, 0, world);
    EXPECT_EQ(WorldTranslations().size(), 3u);
}

TEST_F(RenderBuggyConfigurationTest, DrawsNothingWithoutADatabaseOrAConfiguration)
{
    RenderBuggyConfiguration(nullptr, nullptr, 1, 0, world);
    g_buggyMeshSystem = nullptr;
    RenderBuggyConfiguration(buggy, nullptr, 1, 0, world);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
}
} // namespace
