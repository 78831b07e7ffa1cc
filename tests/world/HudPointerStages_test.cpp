// The HUD pointer's stage table on the render-state cache over the null
// device: environment flag x texture stages x which of the two textures a
// subset has, and a subset never inheriting the stages of the one before.
#include "world/HudPointerStages.h"

#include "engine/QV7_Scene.h"
#include "tests/engine/EngineTestSupport.h"

namespace
{
enum Tex
{
    NONE,
    T0,
    T1
};

struct StageExpect
{
    Tex texture;
    DWORD op;
    DWORD coordinates; // 0 plain, else reflection
};

struct Row
{
    DWORD environment;
    DWORD maxTextures;
    bool hasT0, hasT1;
    StageExpect stages[3];
};

const DWORD kReflect = D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR;
const StageExpect kOff = {NONE, D3DTOP_DISABLE, 0};

class HudPointerStagesTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &base, nullptr),
                  D3D_OK);
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &reflection, nullptr),
                  D3D_OK);
    }
    void TearDown() override
    {
        g_scene->ForgetTexture(base);
        g_scene->ForgetTexture(reflection);
        base->Release();
        reflection->Release();
        EngineFixture::TearDown();
    }
    IDirect3DBaseTexture9* Texture(Tex t) const
    {
        return t == T0   ? static_cast<IDirect3DBaseTexture9*>(base)
               : t == T1 ? static_cast<IDirect3DBaseTexture9*>(reflection)
                         : nullptr;
    }
    HudPointerSubset Subset(DWORD environment, bool hasT0, bool hasT1) const
    {
        HudPointerSubset s;
        s.environmentFlag = environment;
        s.texture0 = hasT0 ? Texture(T0) : nullptr;
        s.texture1 = hasT1 ? Texture(T1) : nullptr;
        return s;
    }
    void ExpectStages(const Row& row, const std::string& what)
    {
        const QV7_Scene::Tables& t = g_scene->m_Tables;
        for (DWORD stage = 0; stage < 3; ++stage)
        {
            const StageExpect& e = row.stages[stage];
            EXPECT_EQ(t.textures[stage], Texture(e.texture)) << what << " stage " << stage;
            EXPECT_EQ(t.stageStates[stage][D3DTSS_COLOROP], e.op) << what << " stage " << stage;
            if (e.texture != NONE)
            {
                EXPECT_EQ(t.stageStates[stage][D3DTSS_TEXCOORDINDEX], e.coordinates)
                    << what << " stage " << stage;
            }
        }
        // Nothing past the last stage in use takes part.
        if (row.stages[2].op != D3DTOP_DISABLE)
        {
            EXPECT_EQ(t.stageStates[3][D3DTSS_COLOROP], DWORD(D3DTOP_DISABLE)) << what;
        }
        EXPECT_EQ(t.renderStates[D3DRS_NORMALIZENORMALS], DWORD(TRUE)) << what;
    }

    IDirect3DTexture9* base = nullptr;
    IDirect3DTexture9* reflection = nullptr;
};

const Row kRows[] = {
    // Three stages and environment flag 1: the reflection first, the base laid over it.
    {1, 8, false, false, {{NONE, D3DTOP_MODULATE, 0}, kOff, kOff}},
    {1, 8, true, false, {{T0, D3DTOP_MODULATE, 0}, kOff, kOff}},
    {1, 8, false, true, {{T1, D3DTOP_MODULATE, kReflect}, kOff, kOff}},
    {1,
     8,
     true,
     true,
     {{T1, D3DTOP_SELECTARG1, kReflect}, {T0, D3DTOP_MODULATEALPHA_ADDCOLOR, 0}, {NONE, D3DTOP_MODULATE, 0}}},
    // Every other case: the base modulated, the reflection added when the flag is 0.
    {0, 8, false, false, {{NONE, D3DTOP_MODULATE, 0}, kOff, kOff}},
    {0, 8, true, false, {{T0, D3DTOP_MODULATE, 0}, kOff, kOff}},
    {0, 8, false, true, {{T1, D3DTOP_MODULATE, kReflect}, kOff, kOff}},
    {0, 8, true, true, {{T0, D3DTOP_MODULATE, 0}, {T1, D3DTOP_ADD, kReflect}, kOff}},
    {0, 2, true, true, {{T0, D3DTOP_MODULATE, 0}, {T1, D3DTOP_ADD, kReflect}, kOff}},
    // Flag 1 with only two stages, or any other flag: no reflection over a base.
    {1, 2, true, true, {{T0, D3DTOP_MODULATE, 0}, kOff, kOff}},
    {1, 2, false, true, {{T1, D3DTOP_MODULATE, kReflect}, kOff, kOff}},
    {2, 8, true, true, {{T0, D3DTOP_MODULATE, 0}, kOff, kOff}},
};

std::string Describe(const Row& r)
{
    return "env " + std::to_string(r.environment) + " stages " + std::to_string(r.maxTextures) +
           (r.hasT0 ? " T0" : "") + (r.hasT1 ? " T1" : "");
}

TEST_F(HudPointerStagesTest, EachCaseSetsItsStages)
{
    for (const Row& row : kRows)
    {
        g_scene->StartWorkSpace();
        SetHudPointerStages(*g_scene, Subset(row.environment, row.hasT0, row.hasT1), row.maxTextures);
        ExpectStages(row, Describe(row));
        g_scene->EndWorkSpace(0);
    }
}

TEST_F(HudPointerStagesTest, ASubsetInheritsNothingFromTheOneBefore)
{
    g_scene->StartWorkSpace();
    for (const Row& row : kRows)
        for (const Row& next : kRows)
        {
            SetHudPointerStages(*g_scene, Subset(row.environment, row.hasT0, row.hasT1), row.maxTextures);
            SetHudPointerStages(*g_scene, Subset(next.environment, next.hasT0, next.hasT1), next.maxTextures);
            ExpectStages(next, Describe(row) + " then " + Describe(next));
        }
    g_scene->EndWorkSpace(0);
}

TEST_F(HudPointerStagesTest, RenderWordsAndMipFilter)
{
    HudPointerSubset s = Subset(0, true, true);
    s.cullMode = D3DCULL_NONE;
    s.blendMode = 2; // alpha-tested and blended: blending is on
    s.sourceBlend = D3DBLEND_SRCALPHA;
    s.destinationBlend = D3DBLEND_INVSRCALPHA;
    s.specularEnable = 1;
    s.mipFlag = 1;
    g_scene->StartWorkSpace();
    gfx::null::ClearCalls();
    SetHudPointerStages(*g_scene, s, 8);
    const QV7_Scene::Tables& t = g_scene->m_Tables;
    EXPECT_EQ(t.renderStates[D3DRS_CULLMODE], DWORD(D3DCULL_NONE));
    EXPECT_EQ(t.renderStates[D3DRS_ALPHABLENDENABLE], DWORD(TRUE));
    EXPECT_EQ(t.renderStates[D3DRS_SRCBLEND], DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(t.renderStates[D3DRS_DESTBLEND], DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(t.renderStates[D3DRS_SPECULARENABLE], 1u);
    EXPECT_EQ(t.samplerStates[0][D3DSAMP_MIPFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(t.samplerStates[1][D3DSAMP_MIPFILTER], DWORD(D3DTEXF_LINEAR));
    EXPECT_EQ(t.stageStates[1][D3DTSS_TEXTURETRANSFORMFLAGS], DWORD(D3DTTFF_COUNT2));
    // The reflection stage's transform is set to identity on the device itself.
    EXPECT_GE(gfx::null::FindCall("SetTransform(17,"), 0) << ::testing::PrintToString(gfx::null::Calls());

    s.mipFlag = 0;
    s.blendMode = 0;
    s.texture1 = nullptr;
    SetHudPointerStages(*g_scene, s, 8);
    EXPECT_EQ(t.renderStates[D3DRS_ALPHABLENDENABLE], DWORD(FALSE));
    EXPECT_EQ(t.samplerStates[0][D3DSAMP_MIPFILTER], DWORD(D3DTEXF_NONE));
    // Sampler 1 is left as it was when the subset has no environment texture.
    EXPECT_EQ(t.samplerStates[1][D3DSAMP_MIPFILTER], DWORD(D3DTEXF_LINEAR));
    g_scene->EndWorkSpace(0);
}
} // namespace
