// Render surfaces on the null device: sizes and viewports, the scene bracket
// restoring the previous target and viewport, release and recreation on
// device loss as the call record shows them, and the list's bookkeeping.
#include "EngineTestSupport.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_RenderSurface.h"
#include "platform/gfx/DeviceBase.h"

namespace
{
class RenderSurfaceTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        Start();
        ASSERT_NE(g_renderSurfaces, nullptr);
    }
    static int LivePool() { return static_cast<gfx::DeviceBase*>(g_device)->LiveDefaultPool(); }
};

TEST_F(RenderSurfaceTest, SizesAndViewports)
{
    struct Case
    {
        int width, height, viewportWidth, viewportHeight;
        UINT expectWidth, expectHeight;
    };
    const Case cases[] = {
        {512, 512, 512, 512, 512, 512}, {1024, 768, 0, 0, 1024, 768}, {256, 256, 200, -1, 200, 256}};
    for (const Case& c : cases)
    {
        QV7_RenderSurface* surface =
            QV7_RenderSurface::Create(c.width, c.height, c.viewportWidth, c.viewportHeight);
        EXPECT_EQ(surface->m_Viewport.Width, c.expectWidth);
        EXPECT_EQ(surface->m_Viewport.Height, c.expectHeight);
        EXPECT_EQ(surface->m_Viewport.X, 0u);
        EXPECT_EQ(surface->m_Viewport.MaxZ, 1.0f);
        ASSERT_NE(surface->m_Texture, nullptr);
        D3DSURFACE_DESC description{};
        surface->m_Surface->GetDesc(&description);
        EXPECT_EQ(description.Format, D3DFMT_X8R8G8B8);
        EXPECT_EQ(description.Usage, DWORD(D3DUSAGE_RENDERTARGET));
    }
    EXPECT_EQ(g_renderSurfaces->Count(), 3);
}

TEST_F(RenderSurfaceTest, SceneBracketDrawsIntoTheSurfaceAndRestores)
{
    QV7_RenderSurface* surface = QV7_RenderSurface::Create(128, 64, 0, 0);
    surface->m_ClearColour = 0xFF102030;
    IDirect3DSurface9* before = nullptr;
    g_device->GetRenderTarget(0, &before);
    D3DVIEWPORT9 small{2, 3, 20, 10, 0.0f, 1.0f};
    g_device->SetViewport(&small);
    gfx::null::ClearCalls();

    surface->BeginScene();
    IDirect3DSurface9* during = nullptr;
    g_device->GetRenderTarget(0, &during);
    D3DSURFACE_DESC description{};
    during->GetDesc(&description);
    EXPECT_EQ(description.Width, 128u);
    during->Release();
    const int clear = gfx::null::FindCall("Clear(0,3,0xff102030,1,0)");
    EXPECT_GE(clear, 0);
    EXPECT_GT(gfx::null::FindCall("SetTransform(3,", size_t(std::max(clear, 0))), clear);
    EXPECT_GT(gfx::null::FindCall("SetTransform(2,", size_t(std::max(clear, 0))), clear);
    D3DMATRIX view{};
    g_device->GetTransform(D3DTS_VIEW, &view);
    EXPECT_EQ(std::memcmp(&view, &g_camera->m_View, sizeof view), 0);
    surface->EndScene();

    IDirect3DSurface9* after = nullptr;
    g_device->GetRenderTarget(0, &after);
    EXPECT_EQ(after, before);
    D3DVIEWPORT9 viewport{};
    g_device->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 2u);
    EXPECT_EQ(viewport.Width, 20u);
    after->Release();
    before->Release();
    EXPECT_EQ(gfx::null::CountCalls("BeginScene("), 1u);
    EXPECT_EQ(gfx::null::CountCalls("EndScene("), 1u);
}

TEST_F(RenderSurfaceTest, LossReleasesEverythingAndResetRecreatesInTheBackBufferFormat)
{
    const int baseline = LivePool();
    QV7_RenderSurface* surface = QV7_RenderSurface::Create(512, 512, 300, 200);
    EXPECT_GT(LivePool(), baseline);

    engine->OnLostReset(1);
    EXPECT_EQ(surface->m_Texture, nullptr);
    EXPECT_EQ(surface->m_RenderToSurface, nullptr);
    EXPECT_EQ(LivePool(), 0) << "a reset needs every default-pool object released";

    gfx::null::ClearCalls();
    engine->OnLostReset(0);
    ASSERT_NE(surface->m_Texture, nullptr);
    EXPECT_EQ(surface->m_Width, 512);
    EXPECT_EQ(surface->m_Viewport.Width, 300u);
    EXPECT_EQ(surface->m_Viewport.Height, 200u);
    const std::string format = std::to_string(unsigned(engine->m_PresentParameters.BackBufferFormat));
    EXPECT_GE(gfx::null::FindCall("CreateTexture(512,512,1,1," + format), 0);
    EXPECT_GE(gfx::null::FindCall("CreateDepthStencilSurface(512,512,75,"), 0);
}

TEST_F(RenderSurfaceTest, FailedTextureThrowsAndDeletingAStrangerIsLogged)
{
    gfx::null::Settings().refusedFormats = {D3DFMT_X8R8G8B8};
    EXPECT_THROW(QV7_RenderSurface::Create(64, 64, 0, 0), CDException);
    EXPECT_TRUE(
        enginetest::Logged("ERROR: D3DXCreateRenderToSurface: D3DERR_NOTAVAILABLE : This device does not "
                           "support the queried technique."));
    gfx::null::Settings().refusedFormats.clear();

    const int count = g_renderSurfaces->Count();
    QV7_RenderSurface stranger;
    DeleteRenderSurface(&stranger);
    EXPECT_EQ(g_renderSurfaces->Count(), count);
    EXPECT_TRUE(enginetest::Logged("ERROR: Memory Collecion Delete(T* Item) pointer unit not found."));

    QV7_RenderSurface* surface = QV7_RenderSurface::Create(64, 64, 0, 0);
    DeleteRenderSurface(surface);
    EXPECT_EQ(g_renderSurfaces->Count(), count);
}
} // namespace
