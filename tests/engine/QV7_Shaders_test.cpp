// The effect registry and the effects on the null device: names are unique
// ignoring case (a duplicate dumps the registry and is fatal), a failed
// creation leaves no entry, unloading frees the name, device loss reaches
// every effect, and an effect records its parameters and passes.
#include "engine/QV7_Shaders.h"

#include "EngineTestSupport.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/d3dx/D3DXMath.h"
#include "platform/gfx/Resources.h"
#include "shell/QV7_Globals.h"

namespace
{
class ShadersTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        // Debug on: the log lines are written.
        windows->m_Settings.Debug = 1;
        Start();
        ASSERT_NE(g_shaders, nullptr);
    }
    ShaderEntry* Make(const char* name)
    {
        const std::string* bytes = FindEffectSource(name);
        EXPECT_NE(bytes, nullptr) << name;
        return g_shaders->Create(name, bytes->data(), unsigned(bytes->size()));
    }
};

TEST_F(ShadersTest, EveryRendererEffectIsCreatedWithItsInterface)
{
    for (const char* name : {"Effect_Billboards_0", "Effect_Billboards_1", "ShadowMap", "BillBoards",
                             "FadingVegetation", "Trees", "Skinned", "ShoreLines", "Items"})
    {
        ShaderEntry* entry = Make(name);
        ASSERT_NE(entry->m_Effect, nullptr) << name;
        EXPECT_STREQ(entry->m_Name, name);
    }
    ID3DXEffect* shadow = g_shaders->FindByName("shadowmap")->m_Effect;
    EXPECT_NE(shadow->GetTechniqueByName("RenderShadow"), nullptr);
    EXPECT_NE(shadow->GetParameterByName(nullptr, "g_mViewToLightProj"), nullptr);
    EXPECT_EQ(shadow->GetParameterByName(nullptr, "g_mMissing"), nullptr);
    EXPECT_EQ(FindEffectSource("Effect_Billboards_x"), nullptr);
    EXPECT_EQ(g_shaders->m_Entries.Count(), 9);
}

TEST_F(ShadersTest, DuplicateNameIgnoringCaseDumpsTheRegistryAndThrows)
{
    Make("Trees");
    Make("Items");
    enginetest::Log().clear();
    const std::string* trees = FindEffectSource("Trees");
    EXPECT_THROW(g_shaders->Create("trees", trees->data(), unsigned(trees->size())), CDException);
    const std::vector<std::string> expected = {"INFO: Creating shader with name trees",
                                               "ERROR: Same Shader name used, invalid! trees, still 2 shaders loaded",
                                               "DUMPING ERROR LOG", " 0 - Trees", " 1 - Items"};
    for (const std::string& line : expected)
        EXPECT_TRUE(enginetest::Logged(line)) << line;
    EXPECT_EQ(g_shaders->m_Entries.Count(), 2);
}

TEST_F(ShadersTest, FailedCreationLeavesNoEntryBehind)
{
    const char garbage[] = "\x01\x09\xFF\xFE not an effect";
    EXPECT_THROW(g_shaders->Create("Broken", garbage, sizeof garbage), CDException);
    EXPECT_TRUE(enginetest::Logged("ERROR: Create Effect shader failed! Broken"));
    EXPECT_EQ(g_shaders->FindByName("Broken"), nullptr);
    EXPECT_EQ(g_shaders->m_Entries.Count(), 0);
    // Loss and reset with nothing registered, and the name is free again.
    g_shaders->OnLostReset(1);
    g_shaders->OnLostReset(0);
    EXPECT_NE(Make("ShadowMap"), nullptr);
}

TEST_F(ShadersTest, UnloadFreesTheNameAndIdsAreNotReused)
{
    ShaderEntry* first = Make("ShoreLines");
    const int id = first->m_Id;
    g_shaders->Unload(first);
    EXPECT_TRUE(enginetest::Logged("INFO: Unloading shader with name ShoreLines"));
    g_shaders->Unload(nullptr);
    ShaderEntry* again = Make("ShoreLines");
    EXPECT_EQ(again->m_Id, id + 1);
}

TEST_F(ShadersTest, DeviceLossReachesEveryEffectInOrder)
{
    Make("Trees");
    Make("Items");
    gfx::null::ClearCalls();
    g_shaders->OnLostReset(1);
    g_shaders->OnLostReset(0);
    EXPECT_EQ(gfx::null::Calls(), (std::vector<std::string>{"Effect.OnLostDevice()", "Effect.OnLostDevice()",
                                                             "Effect.OnResetDevice()", "Effect.OnResetDevice()"}));
}

TEST_F(ShadersTest, AnEffectRecordsParametersAndPassesAndRestoresPassStates)
{
    const std::string bytes = "qv7-effect 1\nparam matrix World\nparam vector Tint\nparam float AlphaRef\n"
                              "param texture Skin\ntechnique Draw\npass P0\nstate ZWRITEENABLE 0\n"
                              "state CULLMODE 1\nsampler 0 Skin\n";
    ShaderEntry* entry = g_shaders->Create("Custom", bytes.data(), unsigned(bytes.size()));
    ID3DXEffect* effect = entry->m_Effect;
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(g_device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    gfx::null::ClearCalls();
    D3DMATRIX world{};
    world.m[3][0] = 7.0f;
    const float tint[4] = {1, 2, 3, 4};
    EXPECT_EQ(effect->SetMatrix("World", &world), D3D_OK);
    EXPECT_EQ(effect->SetVector("Tint", reinterpret_cast<const float(*)[4]>(tint)), D3D_OK);
    EXPECT_EQ(effect->SetFloat("AlphaRef", 0.5f), D3D_OK);
    EXPECT_EQ(effect->SetTexture("Skin", texture), D3D_OK);
    EXPECT_EQ(effect->SetFloat("Missing", 1.0f), D3DERR_INVALIDCALL);
    EXPECT_EQ(effect->SetTechnique("Draw"), D3D_OK);
    UINT passes = 0;
    EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_EQ(effect->BeginPass(0), D3D_OK);
    EXPECT_EQ(effect->CommitChanges(), D3D_OK);
    EXPECT_EQ(effect->EndPass(), D3D_OK);
    EXPECT_EQ(effect->End(), D3D_OK);
    const std::vector<std::string> expected = {
        "Effect.SetMatrix(World)",   "Effect.SetVector(Tint)",  "Effect.SetFloat(AlphaRef)",
        "Effect.SetTexture(Skin," + gfx::ResourceName(texture) + ")",
        "Effect.SetFloat(Missing)",  "Effect.SetTechnique(Draw)", "Effect.Begin(Draw)",
        "Effect.BeginPass(Draw,0)",  "SetRenderState(14,0)",    "SetRenderState(22,1)",
        "SetTexture(0," + gfx::ResourceName(texture) + ")",       "Effect.CommitChanges()",
        "SetTexture(0," + gfx::ResourceName(texture) + ")",       "Effect.EndPass()",
        "Effect.End()",              "SetRenderState(14,1)",    "SetRenderState(22,3)"};
    EXPECT_EQ(gfx::null::Calls(), expected);
    float stored[16] = {};
    effect->GetFloatArray("World", stored, 16);
    EXPECT_EQ(stored[12], 7.0f);
    g_device->SetTexture(0, nullptr);
    texture->Release();
}
} // namespace

TEST_F(ShadersTest, TheSkinnedEffectTakesAFullPaletteAndLeavesTheStageTexturesToTheFigure)
{
    ID3DXEffect* effect = Make("Skinned")->m_Effect;
    for (const char* technique : {"t0", "t1"})
        EXPECT_NE(effect->GetTechniqueByName(technique), nullptr) << technique;
    for (const char* parameter : {"World", "mViewProj", "View", "CurNumBones", "lightDir", "I_a", "I_d", "I_s",
                                  "k_a", "k_d", "k_e", "n", "AlphaRef"})
        EXPECT_NE(effect->GetParameterByName(nullptr, parameter), nullptr) << parameter;
    D3DXMATRIX palette[26];
    for (int i = 0; i < 26; ++i)
        D3DXMatrixTranslation(&palette[i], float(i), 0.0f, 0.0f);
    EXPECT_EQ(effect->SetMatrixArray("mWorldMatrixArray", palette, 26), D3D_OK);
    std::vector<float> stored(26 * 16);
    effect->GetFloatArray("mWorldMatrixArray", stored.data(), UINT(stored.size()));
    EXPECT_EQ(stored[25 * 16 + 12], 25.0f);

    gfx::null::ClearCalls();
    effect->SetTechnique("t0");
    UINT passes = 0;
    effect->Begin(&passes, 0);
    EXPECT_EQ(passes, 2u);
    effect->BeginPass(1);
    effect->EndPass();
    effect->End();
    // Cull counter-clockwise, alpha test on (End then puts back what the
    // device held); no stage texture is touched.
    const std::vector<std::string> expected = {"Effect.SetTechnique(t0)", "Effect.Begin(t0)",
                                               "Effect.BeginPass(t0,1)",  "SetRenderState(22,3)",
                                               "SetRenderState(15,1)",    "SetRenderState(25,7)",
                                               "Effect.EndPass()",        "Effect.End()"};
    std::vector<std::string> calls = gfx::null::Calls();
    ASSERT_GE(calls.size(), expected.size());
    calls.resize(expected.size());
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(gfx::null::CountCalls("SetTexture"), 0u);
}
