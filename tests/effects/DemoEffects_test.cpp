// The demo's effect files: Map-1.efx holds every template the race code
// looks up by name, each island's library its wheel dust, every emitter's
// picture is in the list its library draws from, and every placed effect
// names a template of its island's library.
#include "tests/effects/EffectsTestSupport.h"

#include "effects/QV7_EffectsListMap.h"
#include "tools/demo/DemoEffects.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoItemTextures.h"
#include "tools/demo/DemoPictures.h"

#include <algorithm>

using namespace effectstest;

namespace
{
bool Contains(const std::vector<int32_t>& ids, int32_t id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void ExpectPicturesIn(const EffectLibraryDescription& library, const std::vector<int32_t>& ids)
{
    for (const EffectTemplateDescription& t : library.templates)
        for (const EffectEmitterDescription& e : t.emitters)
            EXPECT_TRUE(Contains(ids, e.textureId)) << t.name << " / " << e.name;
}

class DemoEffectsTest : public EffectsFixture
{
};
} // namespace

TEST_F(DemoEffectsTest, TheGlobalLibraryHoldsEveryNameTheRaceLooksUp)
{
    QV7_EffectsList& global = Load(DemoGlobalEffects());
    for (const char* name :
         {"Exhaust", "Turbo", "buggy10effect", "Broken", "Shield", "Shield jammer", "Chaing", "Checkpoint"})
        EXPECT_NE(global.FindTemplateByName(name), nullptr) << name;
    for (const char* name : kWeaponEffectNames)
    {
        if (!name)
            continue;
        EXPECT_NE(global.FindTemplateByName(name), nullptr) << name;
    }
    ExpectPicturesIn(DemoGlobalEffects(), DemoItemTextureIds());
}

TEST_F(DemoEffectsTest, EachIslandHasItsDustAndPlacesEffectsOfItsOwnLibrary)
{
    const std::vector<int32_t> mapIds = DemoWorldPictureIds();
    for (int island = 1; island <= demo::kDemoIslandCount; ++island)
    {
        SCOPED_TRACE(island);
        QV7_EffectsList& map = Load(DemoIslandEffects(island));
        EXPECT_NE(map.FindTemplateByName("Wheel dust"), nullptr);
        EXPECT_NE(map.FindTemplateByName("Wheel dust 1"), nullptr);
        ExpectPicturesIn(DemoIslandEffects(island), mapIds);
        const std::vector<PlacedEffectRecord> placed = DemoPlacedEffects(island);
        EXPECT_GE(placed.size(), 3u) << "smoke, a fire and sparkles over the water";
        for (const PlacedEffectRecord& p : placed)
            EXPECT_NE(map.FindTemplateById(int(p.templateId)), nullptr) << p.templateId;
    }
}

TEST_F(DemoEffectsTest, ShieldSlotsHoldOneParticleForAsLongAsTheyPlay)
{
    for (int32_t id : DemoEffectPictureIds())
        AddTexture(uint32_t(id));
    QV7_EffectsListMap manager;
    manager.m_GlobalLibrary = &Load(DemoGlobalEffects());
    manager.m_MapLibrary = &Load(DemoIslandEffects(1));
    manager.BindSlots();
    for (EffectInstance* slot :
         {manager.m_ShieldEffect[0], manager.m_JammerEffect[0], manager.m_ChainEffect[0]})
    {
        ASSERT_NE(slot, nullptr);
        slot->m_Active = 1;
    }
    for (int frame = 0; frame < 300; ++frame)
        EXPECT_NO_THROW(manager.Update(33.0f));
    EXPECT_EQ(manager.m_ShieldEffect[0]->m_EmitterStates[0]->m_Particles.Count(), 1);
    EXPECT_EQ(manager.m_ChainEffect[0]->m_EmitterStates[0]->m_Particles.Count(), 1);
    manager.m_Instances.Clear();
}
