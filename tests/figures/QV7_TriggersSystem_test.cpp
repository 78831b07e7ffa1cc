// The driver-figure database read back from files our writer made: rigid
// meshes under the id before their block, figures with their bones, sets,
// material and texture, triggers resolved to both (or to nothing), look-ups
// by name and id; an empty file; and the global lists' lifetimes.
#include "figures/QV7_TriggersSystem.h"

#include "engine/QV7_Shaders.h"
#include "tests/figures/FiguresTestSupport.h"
#include "tests/shell/TestLog.h"

#include <cstring>

namespace
{
using figurestest::FiguresFixture;

class TriggersSystemTest : public FiguresFixture
{
};

TEST_F(TriggersSystemTest, ReadsEverySectionBackAsWritten)
{
    const TriggersFileDescription written = figurestest::SmallFile();
    Read(written);

    ASSERT_EQ(triggers->m_Rigid.m_Objects.Count(), 2);
    EXPECT_EQ(triggers->m_Rigid.m_Objects[0]->m_Id, 10u) << "the id before the block, not the block's 99";
    EXPECT_EQ(triggers->m_Rigid.m_Objects[1]->m_Id, 11u);
    EXPECT_EQ(triggers->m_Rigid.m_Objects[0]->Texture(0),
              items.FindByCompileId(figurestest::kTextureA)->m_Texture);
    EXPECT_EQ(triggers->m_Rigid.m_VertexFormat, 274u);

    ASSERT_EQ(triggers->m_Animated.m_Figures.Count(), 2);
    const AnimatedMesh& first = *triggers->m_Animated.m_Figures[0];
    EXPECT_EQ(first.m_Id, 1);
    EXPECT_EQ(first.m_Bones, 5);
    EXPECT_EQ(first.m_Texture, items.FindByCompileId(figurestest::kTextureA));
    EXPECT_EQ(std::memcmp(&first.m_Material, &written.animated[0].material, sizeof first.m_Material), 0);
    ASSERT_NE(first.m_Skinned, nullptr);
    EXPECT_EQ(first.m_Skinned->NumPaletteEntries, 5u);
    EXPECT_EQ(first.m_AttributeTable.size(), first.m_Skinned->NumBoneCombinations);
    EXPECT_EQ(first.m_VertexFormat & D3DFVF_LASTBETA_UBYTE4, DWORD(D3DFVF_LASTBETA_UBYTE4));
    for (D3DXMATRIX* bone : first.m_BoneMatrices)
        EXPECT_NE(bone, nullptr);
    EXPECT_EQ(triggers->m_Animated.m_Figures[1]->m_Texture, nullptr) << "texture 4242 is in no list";

    ASSERT_EQ(triggers->m_Triggers.Count(), 5);
    const TriggerRecord& bump = *triggers->m_Triggers[1];
    EXPECT_STREQ(bump.m_Name, "TRIG_A_BUMP/BOTS");
    EXPECT_STREQ(bump.m_AnimationSetName, "BUMP_BOTS");
    EXPECT_EQ(bump.m_AnimatedMeshId, 1);
    EXPECT_EQ(bump.m_RigidMeshId, 10);
    EXPECT_EQ(bump.m_AnimatedMesh, triggers->m_Animated.m_Figures[0]);
    EXPECT_EQ(bump.m_RigidMesh, triggers->m_Rigid.m_Objects[0]);
    // Every set a trigger names is on its figure's controller.
    for (const TriggerRecord* trigger : triggers->m_Triggers)
        if (trigger->m_AnimatedMesh)
        {
            ID3DXAnimationSet* set = nullptr;
            EXPECT_EQ(trigger->m_AnimatedMesh->m_Controller->GetAnimationSetByName(
                          trigger->m_AnimationSetName, &set),
                      D3D_OK)
                << trigger->m_Name;
            if (set)
                set->Release();
        }
}

TEST_F(TriggersSystemTest, LooksTriggersAndFiguresUp)
{
    Read(figurestest::SmallFile());
    // Two triggers share a name: the earlier one wins.
    const TriggerRecord* idle = triggers->FindTrigger("TRIG_A_IDLE");
    ASSERT_NE(idle, nullptr);
    EXPECT_EQ(idle, triggers->m_Triggers[0]);
    EXPECT_EQ(triggers->FindTrigger("TRIG_A_idle"), nullptr) << "names compare exactly";
    EXPECT_EQ(triggers->FindTrigger("TRIG_A_IDLE "), nullptr);
    EXPECT_EQ(triggers->FindTrigger(nullptr), nullptr);
    // A trigger naming a figure that is not there keeps a null figure and its rigid mesh.
    const TriggerRecord* lost = triggers->FindTrigger("TRIG_LOST");
    ASSERT_NE(lost, nullptr);
    EXPECT_EQ(lost->m_AnimatedMesh, nullptr);
    EXPECT_EQ(lost->m_RigidMesh, triggers->m_Rigid.m_Objects[1]);

    EXPECT_EQ(triggers->FindAnimatedMesh(2), triggers->m_Animated.m_Figures[1]);
    EXPECT_EQ(triggers->FindAnimatedMesh(7), nullptr);
    EXPECT_EQ(QV7_TriggersSystem::FindById(triggers->m_Rigid.m_Objects, 10), triggers->m_Rigid.m_Objects[0]);
    EXPECT_EQ(QV7_TriggersSystem::FindById(triggers->m_Rigid.m_Objects, 99), nullptr);
}

TEST_F(TriggersSystemTest, LoadsAnEmptyFileAndLogsBothLines)
{
    TempDir dir;
    ASSERT_TRUE(SaveTriggersFile(dir.Path() + "Triggers.qvx", {}));
    triggers->Load(dir.Path() + "Triggers.qvx");
    EXPECT_EQ(triggers->m_Rigid.m_Objects.Count(), 0);
    EXPECT_EQ(triggers->m_Animated.m_Figures.Count(), 0);
    EXPECT_EQ(triggers->m_Triggers.Count(), 0);
    EXPECT_TRUE(enginetest::Logged("INFO: Start Loading Triggers System"));
    EXPECT_TRUE(enginetest::Logged("INFO: Triggers System Closed"));
}

TEST_F(TriggersSystemTest, AMissingFileLeavesAnEmptyDatabase)
{
    Read(figurestest::SmallFile());
    triggers->Load("/nonexistent/Triggers.qvx");
    EXPECT_EQ(triggers->m_Triggers.Count(), 0);
    EXPECT_EQ(triggers->m_Animated.m_Figures.Count(), 0);
    EXPECT_EQ(triggers->FindTrigger("TRIG_A_IDLE"), nullptr);
}

TEST_F(TriggersSystemTest, PublishesItsListsWhileItLives)
{
    EXPECT_EQ(g_lodObjects, &triggers->m_Rigid);
    EXPECT_EQ(g_skinnedEffect, &triggers->m_Animated);
    ASSERT_NE(triggers->m_Animated.m_Effect, nullptr);
    EXPECT_NE(g_shaders->FindByName("Skinned"), nullptr);
    triggers.reset();
    EXPECT_EQ(g_lodObjects, nullptr);
    EXPECT_EQ(g_skinnedEffect, nullptr);
    EXPECT_EQ(g_shaders->FindByName("Skinned"), nullptr);
}
} // namespace
