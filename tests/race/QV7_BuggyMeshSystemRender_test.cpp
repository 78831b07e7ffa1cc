// Buggy drawing on the null device: which texture stages a subset gets, the
// culling of the mirrored pass, the black and tinted materials, the late
// parts (blended last in the menus, alpha-tested in the race), the spinning
// barrel, the shadow pass through the sun's effect, and when a racer near
// the camera gets the island's shading as a second pass.
#include "race/QV7_BuggyMeshSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_ShadowMap.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "race/BuggyMeshStages.h"
#include "race/QV7_Buggy.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/demo/DemoBuggies.h"
#include "world/QV7_Landscape.h"

#include <cstring>
#include <stdexcept>

namespace
{
using S = BuggyStageSource;

std::string State(D3DRENDERSTATETYPE state, DWORD value)
{
    return "SetRenderState(" + std::to_string(unsigned(state)) + "," + std::to_string(value) + ")";
}

// Rows: textures present, multi-stage word, stages the adapter blends -> the layout.
TEST(BuggyMeshStagesTest, TheLayoutFollowsTheTexturesTheWordAndTheAdapter)
{
    struct Row
    {
        bool base, reflection;
        DWORD word, adapter;
        bool multi;
        S s0, s1, s2;
        DWORD op0, op1, used, normalize;
    };
    const DWORD X = D3DTOP_DISABLE;
    const Row rows[] = {
        {true, true, 1, 8, true, S::Reflection, S::Base, S::None, D3DTOP_SELECTARG1,
         D3DTOP_MODULATEALPHA_ADDCOLOR, 3, TRUE},
        {false, true, 1, 8, true, S::Reflection, S::None, S::None, D3DTOP_MODULATE, X, 1, TRUE},
        {true, false, 1, 8, true, S::Base, S::None, S::None, D3DTOP_MODULATE, X, 1, FALSE},
        {false, false, 1, 8, true, S::None, S::None, S::None, D3DTOP_SELECTARG1, X, 1, TRUE},
        // Two stages only: the simple layout, and the word keeps the reflection off stage 1.
        {true, true, 1, 2, false, S::Base, S::None, S::None, D3DTOP_MODULATE, X, 1, FALSE},
        {true, true, 0, 8, false, S::Base, S::Reflection, S::None, D3DTOP_MODULATE, D3DTOP_ADD, 2, TRUE},
        {false, true, 0, 8, false, S::Reflection, S::None, S::None, D3DTOP_MODULATE, X, 1, TRUE},
        {true, false, 0, 8, false, S::Base, S::None, S::None, D3DTOP_MODULATE, X, 1, FALSE},
        {false, false, 0, 1, false, S::None, S::None, S::None, D3DTOP_SELECTARG1, X, 1, TRUE},
    };
    for (const Row& r : rows)
    {
        const BuggyStagePlan plan = PlanBuggyStages(r.base, r.reflection, r.word, r.adapter);
        const std::string row = std::to_string(r.base) + std::to_string(r.reflection) + " word " +
                                std::to_string(r.word) + " adapter " + std::to_string(r.adapter);
        EXPECT_EQ(plan.multiStage, r.multi) << row;
        EXPECT_EQ(plan.stages[0].source, r.s0) << row;
        EXPECT_EQ(plan.stages[1].source, r.s1) << row;
        EXPECT_EQ(plan.stages[2].source, r.s2) << row;
        EXPECT_EQ(plan.stages[0].colourOp, r.op0) << row;
        EXPECT_EQ(plan.stages[1].colourOp, r.op1) << row;
        EXPECT_EQ(plan.used, r.used) << row;
        EXPECT_EQ(plan.normalizeNormals, r.normalize) << row;
    }
}

class BuggyMeshRenderTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Detail = 1;
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        Start();
        BinaryReader file(BuildBuggyDatabase(MakeDemoBuggyDatabase()).Bytes());
        system.Read(file, nullptr, g_device);
        g_buggyMeshSystem = &system;
        mesh = system.models[2]->mesh;
        ASSERT_NE(mesh, nullptr);
        ASSERT_GE(mesh->m_SubsetCount, 10u);
        g_camera->SetEye(0.0f, 200.0f, -800.0f);
        g_camera->SetTarget(0.0f, 0.0f, 0.0f);
        D3DXMatrixIdentity(&world);
        mesh->m_World = world;
        racer.position = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    }
    void TearDown() override
    {
        QV7_BuggyMeshSystem::s_ShadowMapSource = nullptr;
        QV7_ShadowMap::s_SunDirection = nullptr;
        g_buggyMeshSystem = nullptr;
        system.Clear();
        EngineFixture::TearDown();
    }
    size_t Draws() const { return gfx::null::CountCalls("DrawIndexedPrimitive("); }
    // The value the last call setting this state before call `before` gave it; -1 when none did.
    static long LastState(D3DRENDERSTATETYPE state, int before)
    {
        const std::string prefix = "SetRenderState(" + std::to_string(unsigned(state)) + ",";
        const std::vector<std::string>& calls = gfx::null::Calls();
        for (int i = before - 1; i >= 0; --i)
            if (calls[size_t(i)].rfind(prefix, 0) == 0)
                return std::stol(calls[size_t(i)].substr(prefix.size()));
        return -1;
    }
    // A shading picture on the island, so the advanced path has its second pass.
    void IslandWithShading()
    {
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &shading, nullptr),
                  D3D_OK);
        g_landscape->m_ShadowTexture = shading;
        g_landscape->m_Created = 1;
    }
    void DropIsland()
    {
        g_landscape->m_ShadowTexture = nullptr;
        g_landscape->m_Created = 0;
        if (shading)
            shading->Release();
        shading = nullptr;
    }

    QV7_BuggyMeshSystem system;
    BuggyMesh* mesh = nullptr;
    D3DXMATRIX world;
    QV7_Buggy racer;
    IDirect3DTexture9* shading = nullptr;
};

TEST_F(BuggyMeshRenderTest, TheMirroredPassSwapsClockwiseAndCounterClockwiseCulling)
{
    const DWORD rows[][2] = {
        {D3DCULL_CW, D3DCULL_CCW}, {D3DCULL_CCW, D3DCULL_CW}, {D3DCULL_NONE, D3DCULL_NONE}};
    for (const auto& row : rows)
    {
        mesh->m_SubsetWords[MESH_WORD_CULLMODE][3] = row[0];
        for (int mirrored : {0, 1})
        {
            // A value no subset has, so the cache passes every cull state on.
            g_scene->m_Tables.renderStates[D3DRS_CULLMODE] = 99;
            gfx::null::ClearCalls();
            QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 3, 0, mirrored, 0, 0, world);
            const int draw = gfx::null::FindCall("DrawIndexedPrimitive(");
            ASSERT_GE(draw, 0);
            EXPECT_EQ(LastState(D3DRS_CULLMODE, draw), long(mirrored ? row[1] : row[0]))
                << "word " << row[0] << " mirrored " << mirrored;
        }
    }
}

TEST_F(BuggyMeshRenderTest, BlackAndSilhouetteDrawWithAnAllZeroMaterialAndTintLightsItWhite)
{
    const std::string zero = "SetMaterial(0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0)";
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsMesh(*mesh, &racer, 1, 0, 0, 0.0f, 0);
    EXPECT_EQ(gfx::null::CountCalls(zero), gfx::null::CountCalls("SetMaterial("));
    EXPECT_EQ(gfx::null::CountCalls(zero), size_t(mesh->m_SubsetCount));

    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderMesh(*mesh, 1, nullptr);
    EXPECT_EQ(gfx::null::CountCalls(zero), size_t(mesh->m_SubsetCount));

    const float tint[3] = {0.25f, 0.5f, 0.75f};
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderMesh(*mesh, 0, tint);
    EXPECT_EQ(gfx::null::CountCalls("SetMaterial(1,1,1,1,0.25,0.5,0.75,0,0,0,0,0,0.25,0.5,0.75,0,0.1)"),
              size_t(mesh->m_SubsetCount))
        << ::testing::PrintToString(gfx::null::Calls());
}

TEST_F(BuggyMeshRenderTest, ALatePartIsDrawnAlphaTestedAndTheStatesComeBack)
{
    const QV7_Scene::Tables before = g_scene->m_Tables;
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 4, 0, 0, 0, 1, world);
    const int draw = gfx::null::FindCall("DrawIndexedPrimitive(");
    ASSERT_GE(draw, 0);
    EXPECT_EQ(LastState(D3DRS_ALPHATESTENABLE, draw), 1);
    EXPECT_EQ(LastState(D3DRS_ALPHAREF, draw), 112);
    EXPECT_EQ(std::memcmp(&before, &g_scene->m_Tables, sizeof before), 0);
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHATESTENABLE), before.renderStates[D3DRS_ALPHATESTENABLE]);
}

TEST_F(BuggyMeshRenderTest, ASubsetPastTheMeshIsSkippedWithOneLogLine)
{
    gfx::null::ClearCalls();
    for (int i = 0; i < 3; ++i)
        QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, mesh->m_SubsetCount + uint32_t(i), 0, 0, 0, 0,
                                                world);
    EXPECT_EQ(Draws(), 0u);
    EXPECT_EQ(std::count(enginetest::Log().begin(), enginetest::Log().end(),
                         "ERROR: Skipped Mesh Group Due to a malfunction, message will NOT repeat."),
              1);
}

TEST_F(BuggyMeshRenderTest, InTheMenusTheModelsLatePartIsBlendedOverTheRest)
{
    BuggyMesh& late = *system.models[4]->mesh;
    late.m_World = world;
    QV7_Collection<PhysicsBodyDef>& bodies = system.models[4]->physics.bodies;
    bodies[2]->id3 = 2;
    bodies[5]->id3 = 6;
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderMesh(late, 0, nullptr);
    // Subset 2 is left out; subset 6 comes last.
    EXPECT_EQ(Draws(), size_t(late.m_SubsetCount) - 1);
    const std::vector<std::string>& calls = gfx::null::Calls();
    int lastDraw = -1;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].rfind("DrawIndexedPrimitive(", 0) == 0)
            lastDraw = int(i);
    ASSERT_GE(lastDraw, 0);
    const D3DXATTRIBUTERANGE* range = late.SubsetRange(6);
    ASSERT_NE(range, nullptr);
    EXPECT_NE(calls[size_t(lastDraw)].find("," + std::to_string(range->FaceStart * 3) + ","),
              std::string::npos)
        << calls[size_t(lastDraw)];
    EXPECT_EQ(LastState(D3DRS_ALPHABLENDENABLE, lastDraw), 1);
    EXPECT_EQ(LastState(D3DRS_SRCBLEND, lastDraw), D3DBLEND_SRCALPHA);
    EXPECT_EQ(LastState(D3DRS_DESTBLEND, lastDraw), D3DBLEND_INVSRCALPHA);
    EXPECT_GT(gfx::null::FindCall(State(D3DRS_ALPHABLENDENABLE, 0), size_t(lastDraw)), lastDraw);
}

TEST_F(BuggyMeshRenderTest, TheSpinningBarrelIsSubsetZeroRolledAboutItsZAxis)
{
    D3DXMatrixTranslation(&world, 10.0f, 20.0f, 30.0f);
    mesh->m_World = world;
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsMesh(*mesh, &racer, 0, 0, 1, D3DX_PI / 2, 0);
    D3DXMATRIX roll, rolled;
    D3DXMatrixRotationZ(&roll, D3DX_PI / 2);
    D3DXMatrixMultiply(&rolled, &roll, &world);
    char expected[400];
    const float* m = &rolled._11;
    std::snprintf(expected, sizeof expected,
                  "SetTransform(256,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g,%g)", m[0], m[1], m[2], m[3],
                  m[4], m[5], m[6], m[7], m[8], m[9], m[10], m[11], m[12], m[13], m[14], m[15]);
    const int spun = gfx::null::FindCall(expected);
    ASSERT_GE(spun, 0) << ::testing::PrintToString(gfx::null::Calls());
    const int firstDraw = gfx::null::FindCall("DrawIndexedPrimitive(");
    EXPECT_LT(spun, firstDraw);
    // The next subset goes back to the unrolled world.
    EXPECT_GT(gfx::null::FindCall("SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,10,20,30,1)", size_t(firstDraw)),
              firstDraw);
}

TEST_F(BuggyMeshRenderTest, TheShadowPassDrawsDepthThroughTheSunsEffectWithoutTextures)
{
    windows->m_Settings.Detail = 4;
    static QV7_ShadowMap* s_shadow = nullptr;
    QV7_ShadowMap shadow;
    shadow.Create();
    ASSERT_EQ(shadow.m_Enabled, 1);
    s_shadow = &shadow;
    QV7_BuggyMeshSystem::s_ShadowMapSource = [] { return s_shadow; };
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 3, 0, 0, 1, 0, world);
    const std::vector<std::string> order = {"Effect.SetTechnique(RenderShadow)",
                                            "Effect.SetMatrix(g_mProj)",
                                            "Effect.SetMatrix(g_mWorldView)",
                                            "Effect.BeginPass(RenderShadow,0)",
                                            "DrawIndexedPrimitive(",
                                            "Effect.EndPass(",
                                            "Effect.End("};
    int at = 0;
    for (const std::string& call : order)
    {
        const int found = gfx::null::FindCall(call, size_t(at));
        ASSERT_GE(found, at) << call << " " << ::testing::PrintToString(gfx::null::Calls());
        at = found;
    }
    EXPECT_EQ(gfx::null::CountCalls("SetTexture("), 0u) << "no stages in the depth pass";
    // Without a shadow map the depth pass draws nothing.
    s_shadow = nullptr;
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 3, 0, 0, 1, 0, world);
    EXPECT_EQ(Draws(), 0u);
}

// Detail, distance and fade decide between one pass, the shading's second
// pass, and the simple path.
TEST_F(BuggyMeshRenderTest, ANearRacerAtHighDetailGetsTheIslandsShadingAsASecondPass)
{
    ASSERT_NO_FATAL_FAILURE(IslandWithShading());
    struct Row
    {
        int detail, force;
        float distance;
        int fade;
        size_t drawsPerSubset;
    };
    const Row rows[] = {{4, 0, 500.0f, 0, 2}, {3, 0, 9999.0f, 3, 2}, {4, 0, 10000.0f, 0, 1},
                        {4, 0, 500.0f, 4, 1}, {2, 0, 500.0f, 0, 1},  {1, 1, 500.0f, 0, 2}};
    for (const Row& r : rows)
    {
        windows->m_Settings.Detail = r.detail;
        windows->m_Settings.force_Shadow = r.force;
        racer.position = g_camera->m_Eye + D3DXVECTOR3(r.distance, 0.0f, 0.0f);
        racer.contactLevel = r.fade;
        gfx::null::ClearCalls();
        QV7_BuggyMeshSystem::RenderPhysicsMesh(*mesh, &racer, 0, 0, 0, 0.0f, 0);
        EXPECT_EQ(Draws(), r.drawsPerSubset * mesh->m_SubsetCount)
            << "detail " << r.detail << " distance " << r.distance << " fade " << r.fade;
        if (r.drawsPerSubset == 2)
        {
            const int second = gfx::null::FindCall("SetTexture(", 0);
            EXPECT_GE(second, 0);
            EXPECT_GE(gfx::null::FindCall(State(D3DRS_ALPHAREF, DWORD(r.fade * 64))), 0);
            EXPECT_GE(gfx::null::FindCall("SetTextureStageState(1,11," +
                                          std::to_string(unsigned(D3DTSS_TCI_CAMERASPACEPOSITION)) + ")"),
                      0)
                << "the demo subsets use one stage, the shading takes the next";
        }
    }
    DropIsland();
}
} // namespace

namespace
{
// A fault while drawing costs the mesh, not the frame: the guard logs the
// method and the step it stopped at, and the states come back.
TEST_F(BuggyMeshRenderTest, AFaultInsideADrawIsLoggedWithItsStepAndTheStatesComeBack)
{
    QV7_BuggyMeshSystem::s_ShadowMapSource = []() -> QV7_ShadowMap* { throw std::runtime_error("lost"); };
    const QV7_Scene::Tables before = g_scene->m_Tables;
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 3, 0, 0, 1, 0, world);
    EXPECT_TRUE(enginetest::Logged("ERROR: QV7_BuggyMeshSystem::RenderPhysicsGroup(3)"))
        << ::testing::PrintToString(enginetest::Log());
    EXPECT_EQ(g_scene->m_Open, 0);
    EXPECT_EQ(std::memcmp(&before, &g_scene->m_Tables, sizeof before), 0);
    QV7_BuggyMeshSystem::RenderPhysicsMesh(*mesh, &racer, 0, 0, 0, 0.0f, 1);
    EXPECT_TRUE(enginetest::Logged("ERROR: QV7_BuggyMeshSystem::RenderPhysicsMesh(3)"));
    // The next frame draws again.
    QV7_BuggyMeshSystem::s_ShadowMapSource = nullptr;
    gfx::null::ClearCalls();
    QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, 3, 0, 0, 0, 0, world);
    EXPECT_EQ(Draws(), 1u);
}
} // namespace
