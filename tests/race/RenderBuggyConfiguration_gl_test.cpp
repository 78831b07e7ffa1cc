// One demo buggy configuration drawn for a menu picture on the gl back-end:
// model 4 with its default parts, armour bars and a front spoiler, and the
// profile's chain gun on its mount. The parts widen the buggy's outline; the
// gun changes the deck inside it.
#include "race/BuggyConfiguration.h"
#include "race/ProfileItemCatalog.h"
#include "race/QV7_Profiles.h"
#include "race/RenderBuggyConfiguration.h"
#include "tests/tools/DemoBuggiesGlFixture.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
using demogl::kSize;
using demogl::kSky;

constexpr int kModel = 4;

class RenderBuggyConfigurationGlTest : public demogl::DemoBuggiesGlFixture
{
  protected:
    void SetUp() override
    {
        DemoBuggiesGlFixture::SetUp();
        catalog = ProfileItemCatalog::From(system);
        g_profileItemCatalog = &catalog;
        g_buggyMeshSystem = &system;
        profiles = std::make_unique<QV7_Profiles>();
        profile = profiles->AddProfile();
        profiles->currentProfile = profile;
        profile->ownedItems.Clear();
        buggy = profile->currentBuggy;
        buggy->parts.Clear();
        buggy->model = system.ItemIndex(system.models[kModel]);
        BuggyConfiguration::EquipDefaultParts(buggy);
        // The model's own placement (its scale) sets the picture's size, as for the bare demo buggies.
        world = system.models[kModel]->mesh->m_World;
        SetCamera();
    }
    void TearDown() override
    {
        profiles.reset();
        g_buggyMeshSystem = nullptr;
        g_profileItemCatalog = nullptr;
        DemoBuggiesGlFixture::TearDown();
    }
    const QV7_DataBase_MeshObject* FirstOfType(int32_t type) const
    {
        for (const QV7_DataBase_MeshObject* object : system.objects)
            if (object->type == type && object->flag == 0)
                return object->ChainBase();
        return nullptr;
    }
    gfx::PresentedFrame Draw(const std::string& name)
    {
        BuggyConfiguration::MountParts(buggy);
        const gfx::PresentedFrame frame =
            Frame([&] { RenderBuggyConfiguration(buggy, nullptr, 1, 0, world); });
        Save(frame, name);
        return frame;
    }
    static int Covered(const gfx::PresentedFrame& frame)
    {
        int covered = 0;
        for (uint32_t pixel : frame.pixels)
            covered += pixel != kSky;
        return covered;
    }
    static int Changed(const gfx::PresentedFrame& before, const gfx::PresentedFrame& after)
    {
        int changed = 0;
        for (size_t i = 0; i < before.pixels.size(); ++i)
            changed += before.pixels[i] != after.pixels[i];
        return changed;
    }

    D3DXMATRIX world;
    ProfileItemCatalog catalog;
    std::unique_ptr<QV7_Profiles> profiles;
    ProfileRecord* profile = nullptr;
    BuggyConfiguration* buggy = nullptr;
};

TEST_F(RenderBuggyConfigurationGlTest, PartsAndTheWeaponAddToTheBuggysPicture)
{
    const gfx::PresentedFrame defaults = Draw("configuration_defaults");
    for (int32_t type : {ITEM_STRENGTH, ITEM_PART})
        buggy->parts.Add()->item = system.ItemIndex(FirstOfType(type));
    const gfx::PresentedFrame parts = Draw("configuration_parts");
    MountedPart& gun = *profile->ownedItems.Add();
    gun.item = system.ItemIndex(FirstOfType(ITEM_CHAIN_GUN));
    const gfx::PresentedFrame armed = Draw("configuration_armed");
    ASSERT_EQ(gun.visible, 1);

    EXPECT_GT(Covered(defaults), int(kSize * kSize / 10));
    EXPECT_GT(Covered(parts), Covered(defaults));
    // The gun lies on the deck, inside the hull's outline, in its own dark paint.
    EXPECT_GT(Changed(parts, armed), 200);
    EXPECT_EQ(Covered(armed), Covered(parts));
}
} // namespace
