// The demo Triggers.qvx as the game reads it: every character's eight
// triggers and the four profile-page ones are there, each with its figure,
// rigid substitute and texture, and every set a character's triggers name is
// on the controller of its IDLE trigger's figure, where the driver animation
// looks them up.
#include "figures/QV7_TriggersSystem.h"

#include "tests/figures/FiguresTestSupport.h"
#include "tools/demo/DemoFigures.h"

namespace
{
class DemoFiguresTest : public figurestest::FiguresFixture
{
  protected:
    void SetUp() override
    {
        FiguresFixture::SetUp();
        for (const TextureContainerRecord& picture : DemoFigureTextures())
            items.Append()->m_CompileId = uint32_t(picture.compileId);
        Read(MakeDemoTriggersFile());
    }
    void ExpectSetOnIdleFigure(int type, const TriggerRecord& trigger)
    {
        const TriggerRecord* idle = triggers->FindTrigger(DriverTriggerName(type, "IDLE").c_str());
        ASSERT_NE(idle, nullptr);
        ASSERT_NE(idle->m_AnimatedMesh, nullptr);
        ID3DXAnimationSet* set = nullptr;
        EXPECT_EQ(idle->m_AnimatedMesh->m_Controller->GetAnimationSetByName(trigger.m_AnimationSetName, &set),
                  D3D_OK)
            << trigger.m_Name;
        if (set)
        {
            EXPECT_GT(set->GetPeriod(), 0.0) << trigger.m_Name;
            set->Release();
        }
    }
};

TEST_F(DemoFiguresTest, EveryCharacterHasItsTriggersFiguresAndSets)
{
    EXPECT_EQ(triggers->m_Animated.m_Figures.Count(), kDriverTypeCount);
    EXPECT_EQ(triggers->m_Rigid.m_Objects.Count(), kDriverTypeCount);
    EXPECT_EQ(triggers->m_Triggers.Count(), kDriverTypeCount * kDriverAnimationCount + 4);
    for (int type = 0; type < kDriverTypeCount; ++type)
        for (const char* animation : kDriverAnimationNames)
        {
            const std::string name = DriverTriggerName(type, animation);
            const TriggerRecord* trigger = triggers->FindTrigger(name.c_str());
            ASSERT_NE(trigger, nullptr) << name;
            ASSERT_NE(trigger->m_AnimatedMesh, nullptr) << name;
            EXPECT_NE(trigger->m_RigidMesh, nullptr) << name;
            EXPECT_NE(trigger->m_AnimatedMesh->m_Texture, nullptr) << name;
            EXPECT_NE(trigger->m_RigidMesh->m_Textures[0], nullptr) << name;
            ExpectSetOnIdleFigure(type, *trigger);
        }
    for (int type : {PLAYERF, PLAYERM})
        for (const char* animation : {"MENU_IDLE", "MENU_MOVE"})
        {
            const TriggerRecord* trigger = triggers->FindTrigger(DriverTriggerName(type, animation).c_str());
            ASSERT_NE(trigger, nullptr);
            ExpectSetOnIdleFigure(type, *trigger);
        }
    // GRONK is the big one.
    const AnimatedMesh* gronk = triggers->FindTrigger("TRIG_GRONK_IDLE")->m_AnimatedMesh;
    const AnimatedMesh* playerf = triggers->FindTrigger("TRIG_PLAYERF_IDLE")->m_AnimatedMesh;
    const LodMeshObject* big = triggers->FindTrigger("TRIG_GRONK_IDLE")->m_RigidMesh;
    const LodMeshObject* small = triggers->FindTrigger("TRIG_PLAYERF_IDLE")->m_RigidMesh;
    EXPECT_GT(big->m_BoxMax.y - big->m_BoxMin.y, 1.3f * (small->m_BoxMax.y - small->m_BoxMin.y));
    EXPECT_NE(gronk, playerf);
}
} // namespace
