// The menus' screen particles on the null device: the fixed 17 ms step and
// its accumulator, the skipped long frame, spawning (interval, remainder,
// maximum, children), motion and quads, and the draw calls.
#include "gui/QV7_Particles2D.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "tests/engine/EngineTestSupport.h"

namespace
{
class Particles2DTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        ASSERT_NE(g_particles2D, nullptr);
        ASSERT_NE(g_frameManager, nullptr);
    }

    // A still emitter: no noise, so positions can be checked exactly.
    ScreenEmitter* Quiet(int interval)
    {
        ScreenEmitter* emitter = g_particles2D->CreateEmitter(5.0f, nullptr, 100.0f, 50.0f, 0.0f, 0.0f);
        emitter->m_SpawnInterval = interval;
        emitter->m_RandomColour = 0;
        *emitter->m_Colours.Add() = 0xFF806400;
        return emitter;
    }

    void Frame(ScreenEmitter* emitter, float ms)
    {
        g_frameManager->m_LastFrameMs = ms;
        g_particles2D->Update(emitter);
    }
};

TEST_F(Particles2DTest, TheEngineCreatesTheSystemAndCreateEmitterSetsItsValues)
{
    ScreenEmitter* emitter = g_particles2D->CreateEmitter(5.0f, nullptr, 400.0f, 300.0f, 6.0f, 6.0f);
    EXPECT_EQ(g_particles2D->m_Emitters.Count(), 1);
    EXPECT_EQ(emitter->m_Active, 1);
    EXPECT_EQ(emitter->m_SpawnInterval, 2);
    EXPECT_EQ(emitter->m_RandomColour, 1);
    EXPECT_FLOAT_EQ(emitter->m_Life, 1500.0f);
    EXPECT_EQ(emitter->m_MaxParticles, 10000);
    EXPECT_FLOAT_EQ(emitter->m_HalfSize, 5.0f);
    EXPECT_FLOAT_EQ(emitter->m_VelocityX, 6.0f);
    EXPECT_EQ(emitter->m_Blend, 1);

    engine.reset();
    EXPECT_EQ(g_particles2D, nullptr);
}

// Spawn interval 17: one particle per step, so the count is the step count.
TEST_F(Particles2DTest, TimeAdvancesInWhole17MsSteps)
{
    struct Case
    {
        float frameMs;
        int totalSteps;
    };
    const Case frames[] = {{16.0f, 0}, {2.0f, 1}, {17.0f, 2},  {34.0f, 4},
                           {51.0f, 7}, {0.0f, 7}, {300.0f, 24}};
    ScreenEmitter* emitter = Quiet(17);
    for (const Case& frame : frames)
    {
        Frame(emitter, frame.frameMs);
        EXPECT_EQ(emitter->m_Particles.Count(), frame.totalSteps) << "after a frame of " << frame.frameMs;
        EXPECT_FLOAT_EQ(g_frameManager->m_LastFrameMs, frame.frameMs);
    }
}

TEST_F(Particles2DTest, AFrameLongerThan300MsIsSkippedAndTheFrameTimeKept)
{
    ScreenEmitter* emitter = Quiet(17);
    Frame(emitter, 10.0f);
    Frame(emitter, 400.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 0);
    EXPECT_FLOAT_EQ(g_frameManager->m_LastFrameMs, 400.0f);
    // The 10 ms from before the pause are still owed.
    Frame(emitter, 8.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 1);
}

TEST_F(Particles2DTest, SpawnCountsFollowTheIntervalAndItsRemainder)
{
    ScreenEmitter* emitter = Quiet(2);
    std::vector<int> perStep;
    for (int step = 0; step < 4; ++step)
    {
        const int before = emitter->m_Particles.Count();
        Frame(emitter, 17.5f);
        perStep.push_back(emitter->m_Particles.Count() - before);
    }
    EXPECT_EQ(perStep, (std::vector<int>{8, 9, 8, 9}));
}

TEST_F(Particles2DTest, AnIntervalOfZeroOrLessSpawnsOnePerMillisecond)
{
    for (int interval : {0, -5})
    {
        ScreenEmitter* emitter = Quiet(interval);
        Frame(emitter, 18.0f);
        EXPECT_EQ(emitter->m_Particles.Count(), 17) << "interval " << interval;
    }
}

TEST_F(Particles2DTest, AFullEmitterSpawnsNothingUntilParticlesDie)
{
    ScreenEmitter* emitter = Quiet(1);
    emitter->m_MaxParticles = 20;
    emitter->m_Life = 40.0f;
    Frame(emitter, 18.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 17);
    Frame(emitter, 17.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 20);
    Frame(emitter, 17.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 20);
    // Fourth step: the first 17 reach 51 ms > 40 and die after the spawn found the list full.
    Frame(emitter, 17.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 3);
    // Fifth: 17 new ones fill the list again, then the last three die.
    Frame(emitter, 17.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 17);
    Frame(emitter, 17.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 20);
}

TEST_F(Particles2DTest, ParticlesMoveBy017OfTheirVelocityPerStepAndCarryTheirQuad)
{
    ScreenEmitter* emitter = Quiet(17);
    emitter->m_VelocityX = 10.0f;
    emitter->m_AccelerationY = 10.0f;
    Frame(emitter, 18.0f);
    ASSERT_EQ(emitter->m_Particles.Count(), 1);
    const ScreenParticle& p = *emitter->m_Particles[0];
    // Born with the fraction (17 - 0) x 0.01 of a step.
    EXPECT_FLOAT_EQ(p.m_X, 101.7f);
    EXPECT_FLOAT_EQ(p.m_VelocityY, 1.7f);
    Frame(emitter, 17.0f);
    EXPECT_FLOAT_EQ(p.m_X, 103.4f);
    EXPECT_FLOAT_EQ(p.m_Y, 50.0f + 0.17f * 1.7f);
    EXPECT_FLOAT_EQ(p.m_Age, 17.0f);
    EXPECT_FLOAT_EQ(p.m_Vertices[0].x, p.m_X - 5.0f);
    EXPECT_FLOAT_EQ(p.m_Vertices[3].y, p.m_Y + 5.0f);
    EXPECT_FLOAT_EQ(p.m_Vertices[1].u, 1.0f);
    EXPECT_FLOAT_EQ(p.m_Vertices[2].v, 1.0f);
    EXPECT_FLOAT_EQ(p.m_Vertices[0].rhw, 0.5f);
    EXPECT_EQ(p.m_Vertices[0].diffuse, 0xFF806400u);
    EXPECT_EQ(p.m_Vertices[0].specular, 0xFF806400u);
}

TEST_F(Particles2DTest, ColoursCycleThroughTheList)
{
    ScreenEmitter* emitter = Quiet(17);
    *emitter->m_Colours.Add() = 0xFF0000FF;
    Frame(emitter, 52.0f);
    ASSERT_EQ(emitter->m_Particles.Count(), 3);
    EXPECT_EQ(emitter->m_Particles[0]->m_Vertices[0].diffuse, 0xFF806400u);
    EXPECT_EQ(emitter->m_Particles[1]->m_Vertices[0].diffuse, 0xFF0000FFu);
    EXPECT_EQ(emitter->m_Particles[2]->m_Vertices[0].diffuse, 0xFF806400u);
}

TEST_F(Particles2DTest, ADyingParticleLeavesItsChildrenWhereItDied)
{
    ScreenEmitter* emitter = Quiet(17);
    emitter->m_ChildCount = 2;
    emitter->m_Life = 20.0f;
    emitter->m_VelocityX = 10.0f;
    Frame(emitter, 18.0f); // one particle, age 0
    Frame(emitter, 17.0f); // age 17, a second one
    Frame(emitter, 17.0f); // the first reaches 34 > 20: two children, no grandchildren
    ASSERT_EQ(emitter->m_Particles.Count(), 4);
    const ScreenParticle& child = *emitter->m_Particles[2];
    EXPECT_EQ(child.m_ChildCount, 0);
    EXPECT_FLOAT_EQ(child.m_Age, 0.0f);
    EXPECT_FLOAT_EQ(child.m_X, 100.0f + 1.7f * 3.0f);
}

TEST_F(Particles2DTest, AnInactiveEmitterNeitherStepsNorDraws)
{
    ScreenEmitter* emitter = Quiet(17);
    emitter->m_Active = 0;
    Frame(emitter, 40.0f);
    EXPECT_EQ(emitter->m_Particles.Count(), 0);
    // Only the first step's 17 ms were consumed.
    EXPECT_FLOAT_EQ(emitter->m_StepAccumulator, 23.0f);
    gfx::null::ClearCalls();
    g_particles2D->Draw(emitter);
    EXPECT_TRUE(gfx::null::Calls().empty());
}

TEST_F(Particles2DTest, DrawIsOneStripPerParticleWithAdditiveBlendingInsideAWorkSpace)
{
    ScreenEmitter* emitter = Quiet(17);
    Frame(emitter, 52.0f);
    gfx::null::ClearCalls();
    g_particles2D->Draw(emitter);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(5,2,32)"), 3u);
    EXPECT_NE(
        gfx::null::FindCall(
            "SetFVF(" + std::to_string(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1) + ")"),
        -1);
    // Source colour added to the picture behind.
    EXPECT_NE(gfx::null::FindCall("SetRenderState(27,1)"), -1);
    EXPECT_NE(gfx::null::FindCall("SetRenderState(19,3)"), -1);
    EXPECT_NE(gfx::null::FindCall("SetRenderState(20,2)"), -1);
    // The work space hands every state back.
    EXPECT_EQ(g_scene->m_Open, 0);
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));

    emitter->m_Blend = 0;
    gfx::null::ClearCalls();
    g_particles2D->Draw(emitter);
    EXPECT_EQ(gfx::null::FindCall("SetRenderState(27,1)"), -1);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(5,2,32)"), 3u);
}
} // namespace
