// Render-to-texture and shadows on the gl back-end: a picture drawn into a
// render surface and then drawn from it keeps its colours, and a box lit by a
// slanted sun darkens the plane below it where its shadow falls and nowhere
// beside it.
#include "EngineTestSupport.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"

#include <cmath>

namespace
{
struct ColouredVertex
{
    float x, y, z, rhw;
    D3DCOLOR colour;
};
struct TexturedVertex
{
    float x, y, z, rhw;
    float u, v;
};
struct WorldVertex
{
    float x, y, z;
    D3DCOLOR colour;
};

class GlPictureTest : public enginetest::EngineFixture
{
  protected:
    GlPictureTest()
    {
        width = 160;
        height = 120;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Detail = 4;
        Start();
    }
    void TearDown() override
    {
        QV7_ShadowMap::s_SunDirection = nullptr;
        EngineFixture::TearDown();
    }
    static void PlainStates()
    {
        g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
        g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
        g_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        g_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    static void Quad(float x0, float y0, float x1, float y1, D3DCOLOR colour)
    {
        const ColouredVertex v[4] = {{x0, y0, 0.5f, 1.0f, colour},
                                     {x1, y0, 0.5f, 1.0f, colour},
                                     {x0, y1, 0.5f, 1.0f, colour},
                                     {x1, y1, 0.5f, 1.0f, colour}};
        g_device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
    }
    gfx::PresentedFrame Present()
    {
        g_device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
    }
};

TEST_F(GlPictureTest, RenderSurfaceKeepsTheColoursDrawnIntoIt)
{
    QV7_RenderSurface* surface = QV7_RenderSurface::Create(64, 64, 0, 0);
    surface->m_ClearColour = 0xFF0000FF;
    surface->BeginScene();
    PlainStates();
    g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    // Red top left, green top right, white bottom left; the bottom right keeps the clear colour.
    Quad(0, 0, 32, 32, 0xFFFF0000);
    Quad(32, 0, 64, 32, 0xFF00FF00);
    Quad(0, 32, 32, 64, 0xFFFFFFFF);
    surface->EndScene();

    // The back buffer is the target again, with its own size.
    D3DVIEWPORT9 viewport{};
    g_device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 160u);

    g_device->BeginScene();
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    PlainStates();
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    g_device->SetTexture(0, surface->m_Texture);
    g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    // Drawn 1:1 at (10, 20), pixel centres on texel centres.
    const float x0 = 10.0f - 0.5f, y0 = 20.0f - 0.5f;
    const TexturedVertex v[4] = {{x0, y0, 0.5f, 1.0f, 0.0f, 0.0f},
                                 {x0 + 64, y0, 0.5f, 1.0f, 1.0f, 0.0f},
                                 {x0, y0 + 64, 0.5f, 1.0f, 0.0f, 1.0f},
                                 {x0 + 64, y0 + 64, 0.5f, 1.0f, 1.0f, 1.0f}};
    g_device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
    g_device->SetTexture(0, nullptr);
    g_device->EndScene();
    const gfx::PresentedFrame frame = Present();

    struct Probe
    {
        int x, y;
        uint32_t colour;
    };
    const Probe probes[] = {{10, 20, 0xFF0000}, {41, 51, 0xFF0000}, {42, 20, 0x00FF00}, {73, 51, 0x00FF00},
                            {10, 52, 0xFFFFFF}, {41, 83, 0xFFFFFF}, {42, 52, 0x0000FF}, {73, 83, 0x0000FF},
                            {9, 20, 0x000000},  {74, 83, 0x000000}, {10, 84, 0x000000}};
    for (const Probe& p : probes)
        EXPECT_EQ(At(frame, p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(GlPictureTest, BoxShadowDarkensThePlaneBehindItOnly)
{
    QV7_ShadowMap shadow;
    shadow.Create();
    ASSERT_EQ(shadow.m_Enabled, 1);
    ID3DXEffect* effect = shadow.m_Shader->m_Effect;
    // The sun travels along +x as it comes down: a point h above the plane
    // throws its shadow h further along x.
    QV7_ShadowMap::s_SunDirection = [](D3DXVECTOR3* d)
    {
        *d = D3DXVECTOR3(1.0f, -1.0f, 0.0f);
        return true;
    };
    g_camera->SetEye(0.0f, 800.0f, -500.0f);
    g_camera->SetTarget(0.0f, 0.0f, 0.0f);

    // A box of 100 x 100 x 100 from 50 to 150 above the plane: its shadow
    // covers x 0..200, z -50..50 on the plane.
    std::vector<WorldVertex> box;
    const float lo[3] = {-50.0f, 50.0f, -50.0f}, hi[3] = {50.0f, 150.0f, 50.0f};
    auto corner = [&](int i) {
        return WorldVertex{i & 1 ? hi[0] : lo[0], i & 2 ? hi[1] : lo[1], i & 4 ? hi[2] : lo[2], 0xFF808080};
    };
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& f : faces)
        for (int k : {0, 1, 2, 0, 2, 3})
            box.push_back(corner(f[k]));
    const WorldVertex plane[4] = {{-600.0f, 0.0f, -600.0f, 0xFFFFFFFF},
                                  {600.0f, 0.0f, -600.0f, 0xFFFFFFFF},
                                  {-600.0f, 0.0f, 600.0f, 0xFFFFFFFF},
                                  {600.0f, 0.0f, 600.0f, 0xFFFFFFFF}};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    g_device->SetTransform(D3DTS_WORLD, &identity);
    g_device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);

    auto drawWithEffect =
        [&](D3DXHANDLE technique, const WorldVertex* vertices, D3DPRIMITIVETYPE type, UINT count)
    {
        effect->SetTechnique(technique);
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        // One plane only: the receiving pass needs no depth test here.
        if (technique == shadow.m_RenderScene)
            g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        g_device->DrawPrimitiveUP(type, count, vertices, sizeof(WorldVertex));
        effect->EndPass();
        effect->End();
    };

    // The shadow pass: the box seen from the light.
    ASSERT_EQ(shadow.BeginShadowPass(), 1);
    effect->SetMatrix("g_mWorldView", &g_camera->m_View);
    effect->SetMatrix("g_mProj", &g_camera->m_Projection);
    drawWithEffect(shadow.m_RenderShadow, box.data(), D3DPT_TRIANGLELIST, UINT(box.size() / 3));
    shadow.EndShadowPass();

    // The frame: the lit plane, then the receiving pass over it.
    g_device->BeginScene();
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    PlainStates();
    g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, plane, sizeof plane[0]);

    D3DXMATRIX inverseView, viewToLight;
    D3DXMatrixInverse(&inverseView, nullptr, &g_camera->m_View);
    D3DXMatrixMultiply(&viewToLight, &inverseView, &shadow.m_LightView);
    D3DXMatrixMultiply(&viewToLight, &viewToLight, &shadow.m_LightProjection);
    effect->SetMatrix("g_mWorldView", &g_camera->m_View);
    effect->SetMatrix("g_mProj", &g_camera->m_Projection);
    effect->SetMatrix("g_mViewToLightProj", &viewToLight);
    effect->SetTexture("g_txShadow", shadow.m_Texture);
    drawWithEffect(shadow.m_RenderScene, plane, D3DPT_TRIANGLESTRIP, 2);
    g_device->SetTexture(0, nullptr);
    g_device->EndScene();
    const gfx::PresentedFrame frame = Present();

    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &g_camera->m_View, &g_camera->m_Projection);
    auto screen = [&](float x, float z)
    {
        const D3DXVECTOR3 world(x, 0.0f, z);
        D3DXVECTOR3 ndc;
        D3DXVec3TransformCoord(&ndc, &world, &viewProjection);
        const int sx = int((ndc.x + 1.0f) * 0.5f * float(frame.width));
        const int sy = int((1.0f - ndc.y) * 0.5f * float(frame.height));
        return At(frame, sx, sy);
    };
    struct Probe
    {
        const char* where;
        float x, z;
        bool shadowed;
    };
    const Probe probes[] = {{"under the box's top", 150.0f, 0.0f, true},
                            {"under the box's bottom", 40.0f, 10.0f, true},
                            {"up-sun of the box", -200.0f, 0.0f, false},
                            {"beside, towards the camera", 150.0f, -200.0f, false},
                            {"beside, away from the camera", 150.0f, 250.0f, false},
                            {"beyond the shadow", 350.0f, 0.0f, false}};
    for (const Probe& p : probes)
    {
        const uint32_t pixel = screen(p.x, p.z);
        for (int shift : {0, 8, 16})
        {
            const int channel = int((pixel >> shift) & 0xFF);
            if (p.shadowed)
                EXPECT_NEAR(channel, 128, 4) << p.where;
            else
                EXPECT_EQ(channel, 255) << p.where;
        }
    }
    shadow.Destroy();
}
} // namespace
