// The render-state cache against the null device's call record: redundant
// sets, the exact restore of a work space, keeping textures, nesting, and the
// values a device reset brings back.
#include "engine/QV7_Scene.h"

#include "EngineTestSupport.h"
#include "shell/QV7_Globals.h"

namespace
{
class SceneTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        ASSERT_NE(g_scene, nullptr);
        gfx::null::ClearCalls();
    }
    const std::vector<std::string>& Calls() { return gfx::null::Calls(); }
};

TEST_F(SceneTest, InitialValuesAreDirect3DsDefaultsWithAlphaTesting)
{
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHAREF), 1u);
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
    EXPECT_EQ(g_scene->m_Tables.stageStates[0][D3DTSS_COLOROP], DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(g_scene->m_Tables.stageStates[2][D3DTSS_ALPHAOP], DWORD(D3DTOP_DISABLE));
    EXPECT_EQ(g_scene->m_Tables.stageStates[3][D3DTSS_TEXCOORDINDEX], 3u);
    // Detail 0: linear filtering on samplers 0 and 1.
    EXPECT_EQ(g_scene->m_Tables.samplerStates[1][D3DSAMP_MINFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(g_scene->m_Tables.samplerStates[2][D3DSAMP_MINFILTER], DWORD(D3DTEXF_POINT));
}

TEST_F(SceneTest, RedundantSetsMakeNoDeviceCall)
{
    g_scene->SetRenderState(D3DCULL_CCW, D3DRS_CULLMODE);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetSamplerState(D3DSAMP_ADDRESSU, 0, D3DTADDRESS_WRAP);
    g_scene->SetTexture(nullptr, 2);
    EXPECT_TRUE(Calls().empty());
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    EXPECT_EQ(Calls(), std::vector<std::string>{"SetRenderState(22,1)"});
}

TEST_F(SceneTest, EndWorkSpaceRestoresExactlyWhatChanged)
{
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    g_scene->SetRenderState(0, D3DRS_ZWRITEENABLE);
    gfx::null::ClearCalls();
    g_scene->EndWorkSpace(0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetRenderState(14,1)", "SetRenderState(22,3)"}));
    EXPECT_EQ(g_scene->m_Open, 0);

    // Changed and changed back inside the group: nothing to restore.
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(5, D3DRS_ALPHAREF);
    g_scene->SetRenderState(1, D3DRS_ALPHAREF);
    gfx::null::ClearCalls();
    g_scene->EndWorkSpace(0);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(SceneTest, RestoreOrderIsTexturesSamplersStagesThenRenderStates)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(g_device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
    g_scene->SetSamplerState(D3DSAMP_ADDRESSV, 3, D3DTADDRESS_CLAMP);
    g_scene->SetTexture(texture, 1);
    gfx::null::ClearCalls();
    g_scene->EndWorkSpace(0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"SetTexture(1,null)", "SetSamplerState(3,2,1)",
                                                 "SetTextureStageState(1,1,1)", "SetRenderState(28,0)"}));
    texture->Release();
}

TEST_F(SceneTest, KeepTexturesLeavesTheGroupsTextureBound)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(g_device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    g_scene->StartWorkSpace();
    g_scene->SetTexture(texture, 0);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    gfx::null::ClearCalls();
    g_scene->EndWorkSpace(1);
    EXPECT_EQ(Calls(), std::vector<std::string>{"SetRenderState(27,0)"});
    EXPECT_EQ(g_scene->m_Tables.textures[0], texture);
    g_scene->SetTexture(nullptr, 0);
    texture->Release();
}

TEST_F(SceneTest, NestedStartIsFatalInDebugAndAnImplicitCloseOtherwise)
{
    g_windowsData->m_Settings.Debug = 0;
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    gfx::null::ClearCalls();
    g_scene->StartWorkSpace();
    // The first group's change is undone before the second snapshot.
    EXPECT_EQ(Calls(), std::vector<std::string>{"SetRenderState(22,3)"});
    EXPECT_EQ(g_scene->m_Open, 1);
    g_scene->EndWorkSpace(0);

    g_windowsData->m_Settings.Debug = 1;
    g_scene->StartWorkSpace();
    EXPECT_THROW(g_scene->StartWorkSpace(), CDException);
    EXPECT_TRUE(enginetest::Logged("ERROR: Scene StartWorkSpace Called without closing last WorkSpace."));
    g_windowsData->m_Settings.Debug = 0;
    g_scene->EndWorkSpace(0);
}

TEST_F(SceneTest, ResetWritesEveryDefinedStateAndLeavesAlphaFuncGreaterEqual)
{
    g_scene->SetRenderState(D3DCMP_ALWAYS, D3DRS_ALPHAFUNC);
    gfx::null::ClearCalls();
    g_scene->OnLostReset(1);
    EXPECT_TRUE(Calls().empty());
    g_scene->OnLostReset(0);
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ALPHAFUNC), DWORD(D3DCMP_GREATEREQUAL));
    // 103 defined render states, per stage a texture, 18 stage states and 13 sampler states,
    // then ALPHAFUNC through the cache and the filters of samplers 0 and 1.
    EXPECT_EQ(gfx::null::CountCalls("SetRenderState("), 103u + 1u);
    EXPECT_EQ(gfx::null::CountCalls("SetTexture("), 4u);
    EXPECT_EQ(gfx::null::CountCalls("SetTextureStageState("), 4u * 18u);
    EXPECT_EQ(gfx::null::FindCall("SetRenderState(25,7)") > gfx::null::FindCall("SetRenderState(209,1)"), true);
}

TEST_F(SceneTest, AnisotropicDetailUsesTheCapsAndTheSetting)
{
    g_windowsData->m_Settings.Detail = -1;
    g_windowsData->m_Settings.FSAF = 8;
    g_scene->ResetCache();
    EXPECT_EQ(g_scene->m_Tables.samplerStates[0][D3DSAMP_MAGFILTER], DWORD(D3DTEXF_ANISOTROPIC));
    EXPECT_EQ(g_scene->m_Tables.samplerStates[3][D3DSAMP_MAXANISOTROPY], 8u);
    g_windowsData->m_Settings.Detail = 4;
    g_scene->ResetCache();
    EXPECT_EQ(g_scene->m_Tables.samplerStates[2][D3DSAMP_MAXANISOTROPY], 2u);
}
} // namespace
