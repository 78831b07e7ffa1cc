// The shadow map on the null device: the Detail, force_Shadow and caps gates
// with their log lines, the effect failure, the light placement and the
// shadow pass bracket, device reset, and switching off after a fault.
#include "EngineTestSupport.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/gfx/DeviceBase.h"

#include <cmath>

namespace
{
class ShadowMapTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        windows->m_Settings.Detail = 4;
        Start();
    }
    void TearDown() override
    {
        QV7_ShadowMap::s_SunDirection = nullptr;
        EngineFixture::TearDown();
    }
    static int LivePool() { return static_cast<gfx::DeviceBase*>(g_device)->LiveDefaultPool(); }
    static int EffectsNamed(const char* name)
    {
        return int(std::count_if(g_shaders->m_Entries.begin(), g_shaders->m_Entries.end(),
                                 [&](const ShaderEntry* entry) { return entry->m_Name == std::string(name); }));
    }
    size_t ShadowLogLines() const
    {
        return size_t(std::count_if(enginetest::Log().begin(), enginetest::Log().end(),
                                    [](const std::string& line)
                                    { return line.find("Shadow Map") != std::string::npos; }));
    }
};

TEST_F(ShadowMapTest, DetailAndForceGates)
{
    struct Case
    {
        int detail, force;
        int enabled;
    };
    const Case cases[] = {{3, 0, 0}, {0, 0, 0}, {4, 0, 1}, {5, 0, 1}, {3, 1, 1}, {1, 1, 1}, {3, 2, 0}};
    for (const Case& c : cases)
    {
        windows->m_Settings.Detail = c.detail;
        windows->m_Settings.force_Shadow = c.force;
        enginetest::Log().clear();
        QV7_ShadowMap shadow;
        shadow.Create();
        EXPECT_EQ(shadow.m_Enabled, c.enabled) << c.detail << "/" << c.force;
        EXPECT_EQ(shadow.m_Texture != nullptr, c.enabled == 1);
        if (!c.enabled)
        {
            EXPECT_EQ(ShadowLogLines(), 0u) << "the settings gate is silent";
        }
        if (c.enabled)
        {
            D3DSURFACE_DESC colour{}, depth{};
            shadow.m_Texture->GetLevelDesc(0, &colour);
            shadow.m_TextureSurf->GetLevelDesc(0, &depth);
            EXPECT_EQ(colour.Format, D3DFMT_R32F);
            EXPECT_EQ(colour.Width, 2048u);
            EXPECT_EQ(colour.Usage, DWORD(D3DUSAGE_RENDERTARGET));
            EXPECT_EQ(depth.Format, D3DFMT_D24S8);
            EXPECT_EQ(depth.Usage, DWORD(D3DUSAGE_DEPTHSTENCIL));
            EXPECT_NE(shadow.m_RenderShadow, nullptr);
            EXPECT_NE(shadow.m_RenderScene, nullptr);
        }
        shadow.Destroy();
        EXPECT_EQ(g_shaders->FindByName("ShadowMap"), nullptr);
    }
}

TEST_F(ShadowMapTest, HardwareAndEffectFailuresSwitchOffWithTheirLines)
{
    struct Case
    {
        std::vector<D3DFORMAT> refused;
        const char* line;
    };
    const Case cases[] = {
        {{D3DFMT_D24S8}, "INFO: Shadow Maps not supported on current hardware."},
        {{D3DFMT_R32F},
         "ERROR: Shadow Maps not supported on current hardware.; CreateTexture for m_Texture Failed"},
    };
    for (const Case& c : cases)
    {
        gfx::null::Settings().refusedFormats = c.refused;
        QV7_ShadowMap shadow;
        shadow.Create();
        EXPECT_EQ(shadow.m_Enabled, 0);
        EXPECT_EQ(shadow.m_Texture, nullptr);
        EXPECT_TRUE(enginetest::Logged(c.line)) << c.line;
    }
    gfx::null::Settings().refusedFormats.clear();

    // The registry refuses a second "ShadowMap": the effect cannot be made.
    const std::string* bytes = FindEffectSource("ShadowMap");
    ASSERT_NE(bytes, nullptr);
    ShaderEntry* taken = g_shaders->Create("ShadowMap", bytes->data(), unsigned(bytes->size()));
    QV7_ShadowMap shadow;
    shadow.Create();
    EXPECT_EQ(shadow.m_Enabled, 0);
    EXPECT_TRUE(enginetest::Logged(
        "ERROR: Shadow Maps Shader not supported on current hardware; Create shader failed"));
    EXPECT_EQ(shadow.BeginShadowPass(), 0);
    g_shaders->Unload(taken);
}

TEST_F(ShadowMapTest, ShadowPassPlacesTheLightAndRestoresTheCamera)
{
    QV7_ShadowMap shadow;
    shadow.Create();
    ASSERT_EQ(shadow.m_Enabled, 1);
    g_camera->SetEye(100.0f, 50.0f, -20.0f);
    g_camera->SetTarget(200.0f, 50.0f, -20.0f);
    const D3DXMATRIX view = g_camera->m_View, projection = g_camera->m_Projection;
    IDirect3DSurface9* target = nullptr;
    g_device->GetRenderTarget(0, &target);
    gfx::null::ClearCalls();

    ASSERT_EQ(shadow.BeginShadowPass(), 1);
    // Sun straight down: the light is 7000 units above the eye, looking down.
    EXPECT_FLOAT_EQ(shadow.m_LightEye.x, 100.0f);
    EXPECT_FLOAT_EQ(shadow.m_LightEye.y, 7050.0f);
    EXPECT_FLOAT_EQ(shadow.m_LightEye.z, -20.0f);
    D3DXVECTOR3 below(100.0f, 0.0f, -20.0f), inLight;
    D3DXVec3TransformCoord(&inLight, &below, &shadow.m_LightView);
    EXPECT_NEAR(inLight.x, 0.0f, 1e-2);
    EXPECT_NEAR(inLight.y, 0.0f, 1e-2);
    EXPECT_NEAR(inLight.z, 7050.0f, 1e-1);
    EXPECT_EQ(std::memcmp(&g_camera->m_View, &shadow.m_LightView, sizeof view), 0);
    EXPECT_NEAR(shadow.m_LightProjection._22, 1.0 / std::tan(3.14159265 / 8.0), 1e-5);
    EXPECT_NEAR(shadow.m_LightProjection._11, shadow.m_LightProjection._22, 1e-6);
    // Blue only: the red channel of the float target is cleared to 0.
    EXPECT_GE(gfx::null::FindCall("Clear(0,3,0x000000ff,1,0)"), 0);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(g_device->GetDepthStencilSurface(&depth), D3D_OK);
    D3DSURFACE_DESC depthDescription{};
    depth->GetDesc(&depthDescription);
    EXPECT_EQ(depthDescription.Format, D3DFMT_D24S8);
    EXPECT_EQ(depthDescription.Width, 2048u);
    depth->Release();
    IDirect3DSurface9* during = nullptr;
    g_device->GetRenderTarget(0, &during);
    D3DSURFACE_DESC description{};
    during->GetDesc(&description);
    EXPECT_EQ(description.Format, D3DFMT_R32F);
    during->Release();

    shadow.EndShadowPass();
    EXPECT_EQ(std::memcmp(&g_camera->m_View, &view, sizeof view), 0);
    EXPECT_EQ(std::memcmp(&g_camera->m_Projection, &projection, sizeof projection), 0);
    IDirect3DSurface9* after = nullptr;
    g_device->GetRenderTarget(0, &after);
    EXPECT_EQ(after, target);
    after->Release();
    target->Release();
    D3DMATRIX sent{};
    g_device->GetTransform(D3DTS_VIEW, &sent);
    EXPECT_EQ(std::memcmp(&sent, &view, sizeof sent), 0);

    // A slanted sun: the light sits up-light of the eye along the normalised direction.
    QV7_ShadowMap::s_SunDirection = [](D3DXVECTOR3* d)
    {
        *d = D3DXVECTOR3(3.0f, -4.0f, 0.0f);
        return true;
    };
    ASSERT_EQ(shadow.BeginShadowPass(), 1);
    EXPECT_NEAR(shadow.m_LightEye.x, 100.0f - 7000.0f * 0.6f, 1e-2);
    EXPECT_NEAR(shadow.m_LightEye.y, 50.0f + 7000.0f * 0.8f, 1e-2);
    shadow.EndShadowPass();
}

TEST_F(ShadowMapTest, CreatingAgainReleasesWhatTheFirstCreationMade)
{
    const int baseline = LivePool();
    QV7_ShadowMap shadow;
    shadow.Create();
    ASSERT_EQ(shadow.m_Enabled, 1);
    const int afterFirst = LivePool();
    EXPECT_EQ(afterFirst, baseline + 2);

    enginetest::Log().clear();
    shadow.Create();
    EXPECT_EQ(shadow.m_Enabled, 1) << "the effect registry takes the effect again";
    EXPECT_EQ(ShadowLogLines(), 0u);
    EXPECT_EQ(LivePool(), afterFirst);
    EXPECT_EQ(EffectsNamed("ShadowMap"), 1);
    ASSERT_EQ(shadow.BeginShadowPass(), 1);
    shadow.EndShadowPass();

    // Switched off by the settings, a new creation still gives everything back.
    windows->m_Settings.Detail = 2;
    shadow.Create();
    EXPECT_EQ(shadow.m_Enabled, 0);
    EXPECT_EQ(shadow.m_Texture, nullptr);
    EXPECT_EQ(LivePool(), baseline);
    EXPECT_EQ(EffectsNamed("ShadowMap"), 0);
}

TEST_F(ShadowMapTest, ResetRecreatesOnlyWhenOn)
{
    QV7_ShadowMap on;
    on.Create();
    windows->m_Settings.Detail = 2;
    QV7_ShadowMap off;
    off.Create();
    on.OnLostReset(1);
    off.OnLostReset(1);
    EXPECT_EQ(on.m_Texture, nullptr);
    gfx::null::ClearCalls();
    on.OnLostReset(0);
    off.OnLostReset(0);
    EXPECT_NE(on.m_Texture, nullptr);
    EXPECT_NE(on.m_TextureSurf, nullptr);
    EXPECT_EQ(off.m_Texture, nullptr);
    EXPECT_EQ(gfx::null::CountCalls("CreateTexture(2048,2048"), 2u);

    // A texture that cannot be made again switches shadows off.
    on.OnLostReset(1);
    gfx::null::Settings().refusedFormats = {D3DFMT_R32F};
    on.OnLostReset(0);
    EXPECT_EQ(on.m_Enabled, 0);
    EXPECT_TRUE(enginetest::Logged(
        "ERROR: Shadow Maps not supported on current hardware. CreateTexture for m_Texture Failed"));
    gfx::null::Settings().refusedFormats.clear();
}

TEST_F(ShadowMapTest, AFaultSwitchesShadowsOffForGood)
{
    QV7_ShadowMap shadow;
    shadow.Create();
    ASSERT_EQ(shadow.m_Enabled, 1);
    // A texture the device will not render into makes the pass fail half way.
    IDirect3DTexture9* plain = nullptr;
    ASSERT_EQ(g_device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr),
              D3D_OK);
    std::swap(plain, shadow.m_Texture);
    IDirect3DSurface9* target = nullptr;
    g_device->GetRenderTarget(0, &target);
    EXPECT_EQ(shadow.BeginShadowPass(), 0);
    EXPECT_EQ(shadow.m_Enabled, 0);
    EXPECT_EQ(shadow.m_SavedTarget, nullptr);
    IDirect3DSurface9* after = nullptr;
    g_device->GetRenderTarget(0, &after);
    EXPECT_EQ(after, target);
    after->Release();
    target->Release();
    std::swap(plain, shadow.m_Texture);
    plain->Release();
    EXPECT_EQ(shadow.BeginShadowPass(), 0) << "off for the rest of the race";
}
} // namespace
