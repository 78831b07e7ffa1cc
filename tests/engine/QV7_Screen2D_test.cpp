// The 2D layer on the null back-end: the bracket's states as the cache and the
// device's record see them, their restoration by End2D, the bracket's misuse,
// and the blend set-ups of the fades.
#include "EngineTestSupport.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "shell/QV7_Globals.h"

#include <cstring>

namespace
{
class Screen2DTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        ASSERT_NE(g_screen2D, nullptr);
    }
    static DWORD State(D3DRENDERSTATETYPE state) { return g_scene->GetRenderState(state); }
};

TEST_F(Screen2DTest, BeginSetsTheTwoDStatesAndEndPutsEverythingBack)
{
    const QV7_Scene::Tables before = g_scene->m_Tables;
    gfx::null::ClearCalls();
    g_screen2D->Begin2D();
    EXPECT_EQ(g_screen2D->m_In2D, 1);
    EXPECT_EQ(State(D3DRS_LIGHTING), DWORD(FALSE));
    EXPECT_EQ(State(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(State(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
    EXPECT_EQ(State(D3DRS_ZWRITEENABLE), DWORD(FALSE));
    for (int sampler = 0; sampler < 2; ++sampler)
    {
        EXPECT_EQ(g_scene->m_Tables.samplerStates[sampler][D3DSAMP_MAGFILTER], DWORD(D3DTEXF_POINT));
        EXPECT_EQ(g_scene->m_Tables.samplerStates[sampler][D3DSAMP_MINFILTER], DWORD(D3DTEXF_POINT));
        EXPECT_EQ(g_scene->m_Tables.samplerStates[sampler][D3DSAMP_MIPFILTER], DWORD(D3DTEXF_NONE));
    }
    EXPECT_GE(gfx::null::FindCall("SetMaterial(1,1,1,1,0.1,0.1,0.1,1,0,0,0,0,0,0,0,0,0.1)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetTransform(256"), 0);

    g_screen2D->DrawTexturedFade(100, nullptr);
    g_screen2D->DrawTexturedRect(0xFFFFFFFF, nullptr, 0, 0, 10, 10);
    EXPECT_EQ(g_scene->m_Tables.samplerStates[0][D3DSAMP_ADDRESSU], DWORD(D3DTADDRESS_CLAMP));
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(TRUE)) << "the textured fade leaves blending on";
    g_screen2D->DrawFade(128);
    g_screen2D->End2D();
    EXPECT_EQ(g_screen2D->m_In2D, 0);
    EXPECT_EQ(std::memcmp(&before, &g_scene->m_Tables, sizeof before), 0);
    // The device saw the restoration too: the last lighting write is the old value.
    const std::string lighting = "SetRenderState(137," + std::to_string(before.renderStates[D3DRS_LIGHTING]) + ")";
    int last = -1;
    for (int at = 0; (at = gfx::null::FindCall("SetRenderState(137,", size_t(at))) >= 0; ++at)
        last = at;
    ASSERT_GE(last, 0);
    EXPECT_EQ(gfx::null::Calls()[size_t(last)], lighting);
}

TEST_F(Screen2DTest, NestedBeginAndStrayEndThrow)
{
    EXPECT_THROW(g_screen2D->End2D(), CDException);
    g_screen2D->Begin2D();
    EXPECT_THROW(g_screen2D->Begin2D(), CDException);
    // The bracket is still open after the refused nesting.
    EXPECT_EQ(g_screen2D->m_In2D, 1);
    g_screen2D->End2D();
    EXPECT_EQ(g_screen2D->m_In2D, 0);
}

TEST_F(Screen2DTest, FadesSetTheirBlendsAndDrawOneStripEach)
{
    g_screen2D->Begin2D();
    gfx::null::ClearCalls();
    g_screen2D->DrawFade(64);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(19,1)"), 0) << "SRCBLEND ZERO";
    EXPECT_GE(gfx::null::FindCall("SetRenderState(20,5)"), 0) << "DESTBLEND SRCALPHA";
    EXPECT_EQ(State(D3DRS_ALPHABLENDENABLE), DWORD(FALSE));
    EXPECT_EQ(State(D3DRS_ALPHATESTENABLE), DWORD(TRUE));
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(5,2,28)"), 1u);

    g_screen2D->DrawTexturedFade(64, nullptr);
    EXPECT_EQ(State(D3DRS_SRCBLEND), DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(State(D3DRS_DESTBLEND), DWORD(D3DBLEND_INVSRCALPHA));
    g_screen2D->DrawConsoleBackground(0, 0, 10, 10);
    g_screen2D->DrawLine2D(0xFFFFFFFF, 0, 0, 5, 5);
    g_screen2D->DrawLine3D(0xFFFFFFFF, 0, 0, 0, 1, 1, 1);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(5,2,28)"), 3u);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(2,1,28)"), 1u);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP(2,1,24)"), 1u);
    g_screen2D->End2D();
}
} // namespace
