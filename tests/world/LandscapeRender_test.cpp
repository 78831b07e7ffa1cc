// Drawing the landscape on the null device: the calls of the main pass in
// order (fog, world, culling, lighting, camera-space texture coordinates,
// stages, material, strip, tiles), the texture cases, the reflection pass,
// the shadow sub-pass and the states the work space gives back.
#include "LandscapeTestSupport.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"
#include "platform/d3dx/Effect.h"
#include "platform/gfx/DeviceBase.h"
#include "tools/writers/LandscapeMapWriter.h"

#include <cstring>

namespace
{
std::string Call(const char* format, unsigned a, unsigned b)
{
    char text[96];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}
std::string State(D3DRENDERSTATETYPE state, unsigned value)
{
    return Call("SetRenderState(%u,%u)", unsigned(state), value);
}
std::string Stage(unsigned stage, D3DTEXTURESTAGESTATETYPE type, unsigned value)
{
    return Call("SetTextureStageState(%u,%u,", stage, unsigned(type)) + std::to_string(value) + ")";
}

class LandscapeRenderTest : public landscapetest::LandscapeFixture
{
  protected:
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        QV7_Landscape& land = *g_landscape;
        land.Create();
        land.m_CameraCell = D3DXVECTOR3(-1.0f, -1.0f, -1.0f);
        land.m_Light.Type = D3DLIGHT_DIRECTIONAL;
        land.m_Light.Direction = {0.0f, -1.0f, 0.0f};
        land.m_Material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
        std::memcpy(
            land.m_Fog,
            MakeLandscapeFog(true, 0xFF112233u, D3DFOG_LINEAR, D3DFOG_EXP, 500.0f, 9000.0f, 0.5f, true).words,
            sizeof land.m_Fog);
        g_camera->SetEye(10000.0f, 300.0f, 10000.0f);
        g_camera->SetTarget(12000.0f, 0.0f, 12500.0f);
        // Contrary values, so that every state the landscape sets shows as a call.
        g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
        g_scene->SetRenderState(FALSE, D3DRS_LIGHTING);
        g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &stray, nullptr),
                  D3D_OK);
        g_scene->SetTexture(stray, 1);
    }
    void TearDown() override
    {
        QV7_Landscape::s_SessionShadowMap = nullptr;
        if (g_scene)
            g_scene->ForgetTexture(stray);
        stray->Release();
        LandscapeFixture::TearDown();
    }
    // Each prefix found after the one before it.
    static void ExpectInOrder(const std::vector<std::string>& prefixes)
    {
        int at = 0;
        for (const std::string& prefix : prefixes)
        {
            const int found = gfx::null::FindCall(prefix, size_t(at));
            EXPECT_GE(found, at) << prefix;
            if (found >= 0)
                at = found + 1;
        }
    }
    static size_t VisibleTiles()
    {
        size_t visible = 0;
        g_landscape->ForEachTile([&](TerrainTile& tile) { visible += tile.m_Visible; });
        return visible;
    }
    static std::string Draw() { return "DrawIndexedPrimitive(5,0,0,289,0,574)"; }
    IDirect3DTexture9* stray = nullptr;
};

TEST_F(LandscapeRenderTest, MainPassSetsItsStatesInOrderAndDrawsTheVisibleTiles)
{
    QV7_TextureList textures;
    for (uint32_t id : {1u, 2u})
    {
        TextureRecord* record = textures.Append();
        record->m_CompileId = id;
        ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture,
                                          nullptr),
                  D3D_OK);
    }
    g_landscape->m_BaseTexture = textures.At(0);
    g_landscape->m_DetailTexture = textures.At(1);
    const std::string base = gfx::ResourceName(textures.At(0)->m_Texture);
    const std::string detail = gfx::ResourceName(textures.At(1)->m_Texture);
    const QV7_Scene::Tables before = g_scene->m_Tables;
    gfx::null::ClearCalls();
    g_landscape->Render(0);

    ExpectInOrder({
        State(D3DRS_FOGENABLE, 1),
        State(D3DRS_FOGCOLOR, 0xFF112233u),
        State(D3DRS_FOGTABLEMODE, D3DFOG_EXP),
        State(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR),
        State(D3DRS_FOGSTART, 0x43FA0000u),
        State(D3DRS_FOGEND, 0x460CA000u),
        State(D3DRS_FOGDENSITY, 0x3F000000u),
        State(D3DRS_RANGEFOGENABLE, 1),
        "SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,9216,0,9216,1)",
        State(D3DRS_CULLMODE, D3DCULL_CCW),
        State(D3DRS_LIGHTING, TRUE),
        "SetFVF(18)",
        Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2),
        Stage(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION),
        Stage(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2),
        Stage(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION),
        "SetTransform(16,",
        "SetTransform(17,",
        "SetTexture(0," + base + ")",
        Stage(1, D3DTSS_COLOROP, D3DTOP_ADDSIGNED),
        "SetTexture(1," + detail + ")",
        "SetMaterial(0.5,0.25,1,1,",
        "SetIndices(",
        "SetStreamSource(0,",
        Draw(),
    });
    EXPECT_EQ(gfx::null::CountCalls("SetRenderState(" + std::to_string(D3DRS_NORMALIZENORMALS) + ","), 0u)
        << "the normals' lengths are the land's brightness";
    const size_t visible = VisibleTiles();
    EXPECT_GT(visible, 8u);
    EXPECT_LT(visible, 64u) << "tiles behind the camera are culled";
    EXPECT_EQ(gfx::null::CountCalls(Draw()), visible);
    EXPECT_EQ(gfx::null::CountCalls("SetStreamSource(0,"), visible);
    // The work space gives every state back.
    EXPECT_EQ(std::memcmp(&before, &g_scene->m_Tables, sizeof before), 0);
    g_landscape->m_BaseTexture = g_landscape->m_DetailTexture = nullptr;
}

TEST_F(LandscapeRenderTest, TextureCoordinatesComeFromWorldXAndZ)
{
    gfx::null::ClearCalls();
    g_landscape->Render(0);
    D3DXMATRIX texture0, texture1;
    ASSERT_EQ(g_device->GetTransform(D3DTS_TEXTURE0, &texture0), D3D_OK);
    ASSERT_EQ(g_device->GetTransform(D3DTS_TEXTURE1, &texture1), D3D_OK);
    // A world point seen through the view, then through the texture matrix.
    const D3DXVECTOR3 world(12345.0f, 77.0f, 40000.0f);
    D3DXVECTOR3 camera;
    D3DXVec3TransformCoord(&camera, &world, &g_camera->m_View);
    // Two coordinates (COUNT2): no division by w.
    auto texgen = [&](const D3DXMATRIX& m)
    {
        return D3DXVECTOR3(camera.x * m._11 + camera.y * m._21 + camera.z * m._31 + m._41,
                           camera.x * m._12 + camera.y * m._22 + camera.z * m._32 + m._42, 0.0f);
    };
    const D3DXVECTOR3 uv0 = texgen(texture0), uv1 = texgen(texture1);
    EXPECT_NEAR(uv0.x, 12345.0f / 65536.0f, 1e-5f);
    EXPECT_NEAR(uv0.y, 40000.0f / 65536.0f, 1e-5f);
    EXPECT_NEAR(uv1.x, 12345.0f / 204.8f, 2e-3f);
    EXPECT_NEAR(uv1.y, 40000.0f / 204.8f, 2e-3f);
}

TEST_F(LandscapeRenderTest, WithoutTexturesTheLandIsLitButUntextured)
{
    g_scene->SetTexture(stray, 0);
    gfx::null::ClearCalls();
    g_landscape->Render(0);
    ExpectInOrder({"SetTexture(0,null)", "SetTexture(1,null)", Stage(1, D3DTSS_COLOROP, D3DTOP_DISABLE),
                   "SetMaterial(", Draw()});
}

TEST_F(LandscapeRenderTest, ReflectionPassDrawsTheLandLowerAndCullsClockwise)
{
    gfx::null::ClearCalls();
    g_landscape->Render(1);
    ExpectInOrder({"SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,9216,-7,9216,1)",
                   State(D3DRS_CULLMODE, D3DCULL_CW), Draw()});
    EXPECT_EQ(g_landscape->m_World._42, 0.0f) << "the stored world stays at ground level";
    EXPECT_EQ(gfx::null::CountCalls(Draw()), VisibleTiles());
}

class LandscapeShadowTest : public LandscapeRenderTest
{
  protected:
    void SetUp() override
    {
        LandscapeRenderTest::SetUp();
        windows->m_Settings.Detail = 4;
        s_shadow = &shadow;
        shadow.Create();
        ASSERT_EQ(shadow.m_Enabled, 1);
        QV7_Landscape::s_SessionShadowMap = [] { return s_shadow; };
    }
    void TearDown() override
    {
        shadow.Destroy();
        s_shadow = nullptr;
        LandscapeRenderTest::TearDown();
    }
    QV7_ShadowMap shadow;
    static QV7_ShadowMap* s_shadow;
};
QV7_ShadowMap* LandscapeShadowTest::s_shadow = nullptr;

TEST_F(LandscapeShadowTest, ShadowSubPassDrawsTheTilesAgainWithTheLandLifted)
{
    gfx::null::ClearCalls();
    g_landscape->Render(0);
    const size_t visible = VisibleTiles();
    EXPECT_EQ(gfx::null::CountCalls(Draw()), 2 * visible);
    const int second = gfx::null::FindCall("Effect.SetTexture(g_txShadow,");
    ASSERT_GE(second, 0);
    EXPECT_EQ(gfx::null::FindCall(Draw(), size_t(second + 1)) - second > 0, true);
    ExpectInOrder({Stage(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE), Stage(0, D3DTSS_TEXCOORDINDEX, 0),
                   "Effect.SetTexture(g_txShadow,", "Effect.SetTechnique(RenderScene)",
                   "Effect.SetMatrix(g_mProj)", "Effect.SetMatrix(g_mWorldView)",
                   "Effect.SetMatrix(g_mViewToLightProj)", "Effect.Begin(RenderScene)",
                   "Effect.BeginPass(RenderScene,0)", Draw(), "Effect.EndPass()", "Effect.End()"});
    float worldView[16];
    ASSERT_EQ(shadow.m_Shader->m_Effect->GetFloatArray("g_mWorldView", worldView, 16), D3D_OK);
    D3DXMATRIX lifted = g_landscape->m_World, expected;
    lifted._42 += 1.0f;
    D3DXMatrixMultiply(&expected, &lifted, &g_camera->m_View);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(worldView[i], (&expected._11)[i], 1e-3f) << i;

    // The reflection never gets the shadow.
    gfx::null::ClearCalls();
    g_landscape->Render(1);
    EXPECT_EQ(gfx::null::CountCalls("Effect."), 0u);
}

TEST_F(LandscapeShadowTest, AShadowMapSwitchedOffLeavesOneSubPass)
{
    shadow.m_Enabled = 0;
    gfx::null::ClearCalls();
    g_landscape->Render(0);
    EXPECT_EQ(gfx::null::CountCalls(Draw()), VisibleTiles());
    EXPECT_EQ(gfx::null::CountCalls("Effect."), 0u);
}
} // namespace
