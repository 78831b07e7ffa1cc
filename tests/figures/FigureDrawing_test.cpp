// Drawing figures on the null device. The preview draws the trigger's figure
// at the caller's world matrix with the "Skinned" effect, one draw per bone
// combination, with its texture (white where the texture is missing), and
// advances the shared controller by the frame time; a rigid substitute is
// drawn with its material's stages, its reflection texture alone going on
// stage 0 with reflection coordinates, and the landscape's fog left alone
// when there is no landscape.
#include "figures/QV7_TriggersSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "platform/gfx/Resources.h"
#include "race/QV7_Buggy.h"
#include "tests/figures/FiguresTestSupport.h"
#include "world/QV7_Landscape.h"

namespace
{
std::string Stage(unsigned stage, D3DTEXTURESTAGESTATETYPE type, unsigned value)
{
    return "SetTextureStageState(" + std::to_string(stage) + "," + std::to_string(unsigned(type)) + "," +
           std::to_string(value) + ")";
}

class FigureDrawingTest : public figurestest::FiguresFixture
{
  protected:
    D3DXMATRIX Placed() const
    {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, 30.0f, 0.0f, 70.0f);
        return world;
    }
};

TEST_F(FigureDrawingTest, DrawTriggerDrawsEveryBoneCombinationWithTheFiguresTexture)
{
    Read(figurestest::SmallFile());
    const TriggerRecord* trigger = triggers->FindTrigger("TRIG_A_IDLE");
    ASSERT_NE(trigger, nullptr);
    AnimatedMesh& figure = *trigger->m_AnimatedMesh;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.3f, 1.0f, 1000.0f);
    ASSERT_NE(g_frameManager, nullptr);
    g_frameManager->m_LastFrameMs = 250.0f;
    const double before = figure.m_Controller->GetTime();
    const QV7_Scene::Tables tables = g_scene->m_Tables;
    gfx::null::ClearCalls();

    QV7_TriggersSystem::DrawTrigger(trigger, Placed(), projection);

    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive(4,0,"), figure.m_Skinned->NumBoneCombinations)
        << ::testing::PrintToString(gfx::null::Calls());
    EXPECT_GE(gfx::null::FindCall("SetFVF(" + std::to_string(figure.m_VertexFormat) + ")"), 0);
    EXPECT_GE(gfx::null::FindCall("SetTexture(0," + gfx::ResourceName(TextureOf(figure.m_Texture)) + ")"), 0);
    const D3DXMATRIX placed = Placed();
    EXPECT_EQ(std::memcmp(&figure.m_World, &placed, sizeof placed), 0);
    EXPECT_NEAR(figure.m_Controller->GetTime() - before, 0.25, 1e-6);
    EXPECT_EQ(figure.m_LastStep, 0.0f) << "the preview leaves the race timing alone";
    EXPECT_EQ(std::memcmp(&tables, &g_scene->m_Tables, sizeof tables), 0)
        << "the work space gives it all back";

    // Figure 2's texture is in no list: it is drawn white.
    gfx::null::ClearCalls();
    QV7_TriggersSystem::DrawTrigger(triggers->FindTrigger("TRIG_B_IDLE"), Placed(), projection);
    ASSERT_NE(triggers->m_Animated.m_White, nullptr);
    EXPECT_GE(gfx::null::FindCall("SetTexture(0," + gfx::ResourceName(triggers->m_Animated.m_White) + ")"),
              0);
    EXPECT_GE(gfx::null::CountCalls("DrawIndexedPrimitive("), 1u);
}

TEST_F(FigureDrawingTest, WithoutTheEffectNothingIsDrawn)
{
    Read(figurestest::SmallFile());
    triggers->ReleaseSkinnedEffect();
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    gfx::null::ClearCalls();
    QV7_TriggersSystem::DrawTrigger(triggers->FindTrigger("TRIG_A_IDLE"), identity, identity);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
}

TEST_F(FigureDrawingTest, ARigidFigureWithOnlyAReflectionTextureMapsItOnStageZero)
{
    TriggersFileDescription file;
    MeshObjectDescription mesh = MakeBoxMesh({5.0f, 10.0f, 5.0f}, 0, 3);
    mesh.materials[0].texture0Id = 0;
    mesh.materials[0].texture1Id = figurestest::kTextureB;
    mesh.materials[0].words[MESH_WORD_ENVIRONMENT] = 0;
    file.rigid.push_back({3, mesh});
    Read(file);
    LodMeshObject& rigid = *triggers->m_Rigid.m_Objects[0];
    rigid.m_World = Placed();
    ASSERT_EQ(rigid.Texture(0), nullptr);
    gfx::null::ClearCalls();

    QV7_Landscape* landscape = g_landscape;
    g_landscape = nullptr;
    QV7_LodObjects::Render(rigid);
    g_landscape = landscape;

    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 1u)
        << ::testing::PrintToString(gfx::null::Calls());
    EXPECT_GE(gfx::null::FindCall("SetFVF(274)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,30,0,70,1)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetTexture(0," + gfx::ResourceName(rigid.Texture2(0)) + ")"), 0);
    EXPECT_GE(gfx::null::FindCall(Stage(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR)), 0);
    EXPECT_EQ(gfx::null::CountCalls("SetRenderState(" + std::to_string(D3DRS_FOGENABLE) + ","), 0u);
}
// The race path draws each bone combination once, and a second time through
// the island's shading picture when that is loaded, the detail is high (or
// shadows are forced), the buggy is within 10000 of the camera and has not
// faded out; afterwards the figure advances by the frame time.
TEST_F(FigureDrawingTest, TheRacePathDrawsItsSecondPassOnlyWhenEverythingAllowsIt)
{
    Read(figurestest::SmallFile());
    AnimatedMesh& figure = *triggers->FindTrigger("TRIG_A_IDLE")->m_AnimatedMesh;
    const unsigned combinations = figure.m_Skinned->NumBoneCombinations;
    IDirect3DTexture9* shading = nullptr;
    ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &shading, nullptr),
              D3D_OK);
    g_camera->m_Eye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    struct Case
    {
        const char* what;
        bool island;
        int detail, forceShadow, fadeStage;
        float distance;
        bool secondPass;
    };
    const Case cases[] = {
        {"no island", false, 3, 0, 0, 100.0f, false},
        {"detail 3, fade 0", true, 3, 0, 0, 100.0f, true},
        {"fade 3", true, 3, 0, 3, 100.0f, true},
        {"faded out", true, 3, 0, 4, 100.0f, false},
        {"detail 2", true, 2, 0, 0, 100.0f, false},
        {"detail 2, shadows forced", true, 2, 1, 0, 100.0f, true},
        {"at 10000", true, 3, 0, 0, 10000.0f, false},
    };
    g_frameManager->m_LastFrameMs = 40.0f;
    for (const Case& c : cases)
    {
        g_landscape->m_Created = c.island ? 1 : 0;
        g_landscape->m_ShadowTexture = shading;
        windows->m_Settings.Detail = c.detail;
        windows->m_Settings.force_Shadow = c.forceShadow;
        QV7_Buggy owner;
        owner.position = D3DXVECTOR3(c.distance, 0.0f, 0.0f);
        owner.contactLevel = c.fadeStage;
        const double time = figure.m_Controller->GetTime();
        const float summed = figure.m_SummedTime;
        gfx::null::ClearCalls();

        QV7_Skin_Allocator::RenderRaceFigure(figure, owner);

        EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), combinations * (c.secondPass ? 2u : 1u))
            << c.what;
        EXPECT_EQ(gfx::null::FindCall("SetTexture(1," + gfx::ResourceName(shading) + ")") >= 0, c.secondPass)
            << c.what;
        EXPECT_FLOAT_EQ(figure.m_LastStep, 0.04f) << c.what;
        EXPECT_FLOAT_EQ(figure.m_SummedTime - summed, 0.04f) << c.what;
        EXPECT_NEAR(figure.m_Controller->GetTime() - time, 0.04, 1e-6) << c.what;
    }
    g_landscape->m_Created = 0;
    g_landscape->m_ShadowTexture = nullptr;
    g_scene->ForgetTexture(shading);
    shading->Release();
}
} // namespace
