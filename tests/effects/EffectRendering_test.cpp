// Drawing on the null device: billboard batches and their buffer segments,
// the quad corners of plain and streak particles, skipped emitters, and the
// manager's placed effects and two instance passes with their culling.
#include "tests/effects/EffectsTestSupport.h"

#include "effects/EmitterDraw.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Camera.h"

using namespace effectstest;

namespace
{
class EffectRenderingTest : public EffectsFixture
{
  protected:
    void SetUp() override
    {
        EffectsFixture::SetUp();
        AddTexture(7);
        g_camera->SetEye(0.0f, 0.0f, 0.0f);
        library = &Load(Named({"Smoke", "Sparks"}, 1));
        effect = library->m_Templates[0];
        gfx::null::ClearCalls();
    }
    EffectParticle* AddParticle(const D3DXVECTOR3& position)
    {
        EffectParticle* p = effect->emitters[0]->particles.Add();
        p->position = position;
        p->size = 2.0f;
        return p;
    }
    static size_t Draws() { return gfx::null::CountCalls("DrawPrimitive("); }
    QV7_EffectsList* library = nullptr;
    EffectTemplate* effect = nullptr;
    D3DXMATRIX identity = []
    {
        D3DXMATRIX m;
        D3DXMatrixIdentity(&m);
        return m;
    }();
};
} // namespace

TEST_F(EffectRenderingTest, FourHundredSixteenParticlesDrawInOneBatchAndOneMoreInTwo)
{
    for (int i = 0; i < 416; ++i)
        AddParticle({float(i), 0.0f, 0.0f});
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 1u);
    EXPECT_GE(gfx::null::FindCall("DrawPrimitive(4,0,832)"), 0);
    gfx::null::ClearCalls();
    AddParticle({0.0f, 0.0f, 0.0f});
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 2u);
    EXPECT_GE(gfx::null::FindCall("DrawPrimitive(4,0,832)"), 0);
    EXPECT_GE(gfx::null::FindCall("DrawPrimitive(4,2500,2)"), 0);
    EXPECT_GE(gfx::null::FindCall("Effect.Begin(Effects_BillBoard)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetFVF(338)"), 0);
}

TEST_F(EffectRenderingTest, BatchesFillFourSegmentsThenDiscardAndStartAgain)
{
    for (int i = 0; i < 416 * 5 + 1; ++i)
        AddParticle({0.0f, 0.0f, float(i)});
    library->RenderTemplate(effect, identity);
    const std::vector<std::string>& calls = gfx::null::Calls();
    std::vector<std::string> draws;
    for (const std::string& call : calls)
        if (call.rfind("DrawPrimitive(", 0) == 0)
            draws.push_back(call);
    const std::vector<std::string> expected = {"DrawPrimitive(4,0,832)",    "DrawPrimitive(4,2500,832)",
                                               "DrawPrimitive(4,5000,832)", "DrawPrimitive(4,7500,832)",
                                               "DrawPrimitive(4,0,832)",    "DrawPrimitive(4,2500,2)"};
    EXPECT_EQ(draws, expected);
}

TEST_F(EffectRenderingTest, QuadCornersOfPlainAndStreakParticles)
{
    EffectParticle* plain = AddParticle({1.0f, 2.0f, 3.0f});
    plain->u = 0.25f;
    plain->colour = 0x80FF0000u;
    D3DXMATRIX twice;
    D3DXMatrixScaling(&twice, 2.0f, 2.0f, 2.0f);
    library->RenderTemplate(effect, twice);
    const BillboardVertex* v = library->m_Staging.data();
    EXPECT_EQ(v[0].corner, D3DXVECTOR3(4.0f, -4.0f, 0.0f)) << "the half-size goes through the placement";
    EXPECT_EQ(v[5].corner, D3DXVECTOR3(-4.0f, -4.0f, 0.0f));
    EXPECT_EQ(v[0].centre, D3DXVECTOR3(2.0f, 4.0f, 6.0f));
    EXPECT_EQ(v[1].u, 1.25f);
    EXPECT_EQ(v[0].v, 1.0f);
    EXPECT_EQ(v[3].colour, 0x80FF0000u);

    // A streak whose last trail point is its own position is a zero-length streak.
    plain->streak = 1;
    plain->stretch = 3.0f;
    plain->trail.Add()->position = plain->position;
    gfx::null::ClearCalls();
    library->RenderTemplate(effect, identity);
    EXPECT_GE(gfx::null::FindCall("Effect.Begin(Effects_BillBoard2)"), 0);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(v[i].centre, plain->position);
    // A real streak: the -h rows at L + d e, the +h rows at P - d e.
    plain->trail[0]->position = {1.0f, 4.0f, 3.0f};
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(v[0].centre, D3DXVECTOR3(1.0f, 10.0f, 3.0f));
    EXPECT_EQ(v[1].centre, D3DXVECTOR3(1.0f, -4.0f, 3.0f));
    // No trail point yet: no quad at all.
    plain->trail.Clear();
    gfx::null::ClearCalls();
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 0u);
}

TEST_F(EffectRenderingTest, TrailCopiesSkipTheOldestPoint)
{
    EffectParticle* p = AddParticle({0.0f, 0.0f, 0.0f});
    p->trailCopies = 1;
    p->trailCopyCount = 2;
    for (int i = 0; i < 5; ++i)
        p->trail.Add()->position = {float(i), 0.0f, 0.0f};
    library->RenderTemplate(effect, identity);
    EXPECT_GE(gfx::null::FindCall("DrawPrimitive(4,0,6)"), 0) << "the particle and two copies";
    EXPECT_EQ(library->m_Staging[6].centre.x, 3.0f);
    EXPECT_EQ(library->m_Staging[12].centre.x, 4.0f);
}

TEST_F(EffectRenderingTest, AnEmitterWhoseTextureIsNotInTheListDrawsNothing)
{
    effect->emitters[0]->textureId = 99;
    AddParticle({0.0f, 0.0f, 0.0f})->texture = textures.FindByCompileId(7);
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 0u);
}

TEST_F(EffectRenderingTest, SortingPutsTheFarthestParticleFirst)
{
    std::vector<EffectParticle*> particles;
    EffectParticle near, far, middle;
    near.position = {1.0f, 0.0f, 0.0f};
    far.position = {0.0f, 0.0f, 9.0f};
    middle.position = {0.0f, -5.0f, 0.0f};
    particles = {&near, &far, &middle};
    SortParticlesByDepth(particles);
    EXPECT_EQ(particles, (std::vector<EffectParticle*>{&far, &middle, &near}));
    EXPECT_LT(CompareParticleDepth(&far, &near), 0);
    EXPECT_EQ(CompareParticleDepth(&near, &near), 0);
}

TEST_F(EffectRenderingTest, DeviceLossReleasesAndRemakesTheVertexBuffer)
{
    AddParticle({0.0f, 0.0f, 0.0f});
    library->OnLostReset(1);
    EXPECT_EQ(library->m_VertexBuffer, nullptr);
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 0u);
    library->OnLostReset(0);
    ASSERT_NE(library->m_VertexBuffer, nullptr);
    library->RenderTemplate(effect, identity);
    EXPECT_EQ(Draws(), 1u);
}

namespace
{
class ManagerRenderingTest : public EffectRenderingTest
{
  protected:
    EffectInstance* Instance(const D3DXVECTOR3& position)
    {
        EffectInstance* instance = manager.CreateInstance(library->m_Templates[1], 0);
        instance->m_Position = position;
        instance->Tick();
        return instance;
    }
    void TearDown() override
    {
        manager.m_Instances.Clear();
        EffectRenderingTest::TearDown();
    }
    QV7_EffectsListMap manager;
};
} // namespace

TEST_F(ManagerRenderingTest, PlacedEffectsAreDrawnOnlyInsideTheirViewDistance)
{
    manager.m_MapLibrary = library;
    AddParticle({0.0f, 0.0f, 0.0f});
    PlacedEffect* placed = manager.m_PlacedEffects.Add();
    placed->m_TemplateId = 1;
    placed->m_Position = {30.0f, 40.0f, 0.0f};
    placed->m_ViewDistanceSq = 2500.0f;
    manager.Render();
    EXPECT_EQ(Draws(), 0u) << "equal to the squared distance is too far";
    placed->m_ViewDistanceSq = 2500.5f;
    manager.Render();
    EXPECT_EQ(Draws(), 1u);
    placed->m_TemplateId = 77;
    manager.Render();
    EXPECT_EQ(Draws(), 1u) << "no template, nothing drawn";
}

TEST_F(ManagerRenderingTest, InstancesAreCulledAtTenThousandUnits)
{
    Instance({10000.0f, 0.0f, 0.0f});
    manager.Render();
    EXPECT_EQ(Draws(), 0u);
    Instance({9999.9f, 0.0f, 0.0f});
    manager.Render();
    EXPECT_EQ(Draws(), 1u);
}

TEST_F(ManagerRenderingTest, PassesHiddenAndMultiPositionInstances)
{
    EffectInstance* first = Instance({0.0f, 0.0f, 0.0f});
    EffectInstance* second = Instance({0.0f, 0.0f, 0.0f});
    second->m_SecondPass = 1;
    EffectInstance* both = Instance({0.0f, 0.0f, 0.0f});
    both->m_SecondPass = 2;
    EffectInstance* hidden = Instance({0.0f, 0.0f, 0.0f});
    hidden->m_Hidden = 1;
    manager.Render();
    EXPECT_EQ(Draws(), 4u);
    std::vector<std::string> order;
    (void)first;
    gfx::null::ClearCalls();
    first->m_Hidden = second->m_Hidden = both->m_Hidden = 1;
    EffectInstance* marker = Instance({0.0f, 0.0f, 0.0f});
    marker->m_MultiPosition = 1;
    const D3DCOLOR colours[3] = {0xFF00FF00u, 0xFFFF0000u, 0xFF0000FFu};
    for (D3DCOLOR c : colours)
    {
        EffectCopy* copy = marker->m_Copies.Add();
        copy->position = {float(c & 0xFF), 0.0f, 0.0f};
        copy->colourOverride = 1;
        copy->colour = c;
    }
    manager.Render();
    EXPECT_EQ(Draws(), 3u);
    EXPECT_EQ(library->m_Staging[0].colour, colours[2]) << "the last copy drawn in its own colour";
    EXPECT_EQ(library->m_Staging[0].centre.x, 255.0f);
}
