// The gl back-end on SDL's offscreen driver: a cleared back buffer is
// presented and read back exactly, also after a reset to another size, with
// a multisampled back buffer and while the next frame is being drawn.
#include "GlTestSupport.h"
#include "platform/gfx/D3D9.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
class GlDeviceTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        d3d = gltest::StartOffscreenGl();
        ASSERT_NE(d3d, nullptr);
    }
    void TearDown() override
    {
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
    }
    D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height,
                                     D3DMULTISAMPLE_TYPE multiSample = D3DMULTISAMPLE_NONE)
    {
        D3DPRESENT_PARAMETERS pp = gltest::PictureParameters(width, height);
        pp.MultiSampleType = multiSample;
        return pp;
    }
    void Create(D3DPRESENT_PARAMETERS pp)
    {
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                    D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &pp,
                                    &device),
                  D3D_OK);
    }
    void ExpectFrame(int width, int height, uint32_t colour)
    {
        gfx::PresentedFrame frame;
        ASSERT_TRUE(gfx::ReadPresentedFrame(device, frame));
        ASSERT_EQ(frame.width, width);
        ASSERT_EQ(frame.height, height);
        ASSERT_EQ(frame.pixels.size(), size_t(width) * height);
        size_t wrong = 0;
        for (uint32_t pixel : frame.pixels)
            wrong += pixel != colour;
        EXPECT_EQ(wrong, 0u) << std::hex << "first pixel " << frame.pixels[0];
    }
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

TEST_F(GlDeviceTest, ClearPresentAndReadBackExactly)
{
    Create(Parameters(64, 48));
    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
    EXPECT_GE(D3DSHADER_VERSION_MAJOR(caps.PixelShaderVersion), 2u);
    ASSERT_EQ(
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF336699, 1.0f, 0),
        D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ExpectFrame(64, 48, 0xFF336699);
}

TEST_F(GlDeviceTest, ClearRectanglesUseTopLeftOrigin)
{
    Create(Parameters(16, 8));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    const D3DRECT topLeft{0, 0, 4, 2};
    device->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);

    // The back buffer reads back the same way (before the present: a
    // discarding present leaves it undefined).
    IDirect3DSurface9* back = nullptr;
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy), D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(back, copy), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[0], 0xFFFF0000u);
    EXPECT_EQ(static_cast<const uint32_t*>(locked.pBits)[2 * locked.Pitch / 4], 0xFF000000u);
    copy->UnlockRect();
    copy->Release();
    back->Release();

    device->Present(nullptr, nullptr, nullptr, nullptr);
    gfx::PresentedFrame frame;
    ASSERT_TRUE(gfx::ReadPresentedFrame(device, frame));
    EXPECT_EQ(frame.pixels[0], 0xFFFF0000u);
    EXPECT_EQ(frame.pixels[1 * 16 + 3], 0xFFFF0000u);
    EXPECT_EQ(frame.pixels[2 * 16 + 0], 0xFF000000u);
    EXPECT_EQ(frame.pixels[7 * 16 + 15], 0xFF000000u);
}

TEST_F(GlDeviceTest, ResetChangesTheBackBufferSize)
{
    Create(Parameters(32, 32));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ExpectFrame(32, 32, 0xFF112233);
    D3DPRESENT_PARAMETERS pp = Parameters(80, 20);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 80u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFC0FFEE, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ExpectFrame(80, 20, 0xFFC0FFEE);
}

TEST_F(GlDeviceTest, MultisampledBackBufferResolvesOnPresent)
{
    // Software rasterisers offer no multisampling unless a tester asks for it.
    setenv("QV7_GL_SOFTWARE_MULTISAMPLE", "1", 1);
    const bool offered = SUCCEEDED(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE,
                                                                   D3DMULTISAMPLE_4_SAMPLES, nullptr));
    unsetenv("QV7_GL_SOFTWARE_MULTISAMPLE");
    if (!offered)
        GTEST_SKIP() << "no 4x multisampling on this driver";
    Create(Parameters(24, 24, D3DMULTISAMPLE_4_SAMPLES));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    ExpectFrame(24, 24, 0xFF00FF00);
}

// The presented picture is kept without a copy per frame where the back
// buffer may be discarded: whatever the game draws after a present, a
// read-back is the picture last presented, and the back buffer reads what was
// drawn since. A copying swap also keeps the back buffer across the present.
TEST_F(GlDeviceTest, PresentedFrameStaysWhileTheNextOneIsDrawn)
{
    struct Case
    {
        const char* name;
        D3DSWAPEFFECT swap;
        D3DMULTISAMPLE_TYPE multiSample;
    };
    setenv("QV7_GL_SOFTWARE_MULTISAMPLE", "1", 1);
    const bool multisampled = SUCCEEDED(d3d->CheckDeviceMultiSampleType(
        0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_4_SAMPLES, nullptr));
    unsetenv("QV7_GL_SOFTWARE_MULTISAMPLE");
    for (const Case& c : {Case{"discard", D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE},
                          Case{"copy", D3DSWAPEFFECT_COPY, D3DMULTISAMPLE_NONE},
                          Case{"discard, 4x", D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_4_SAMPLES}})
    {
        if (c.multiSample != D3DMULTISAMPLE_NONE && !multisampled)
            continue;
        SCOPED_TRACE(c.name);
        D3DPRESENT_PARAMETERS pp = Parameters(20, 10, c.multiSample);
        pp.SwapEffect = c.swap;
        if (device)
        {
            ASSERT_EQ(device->Reset(&pp), D3D_OK);
        }
        else
            Create(pp);
        auto backBufferPixel = [&]
        {
            IDirect3DSurface9* back = nullptr;
            IDirect3DSurface9* copy = nullptr;
            uint32_t pixel = 0;
            if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) == D3D_OK &&
                device->CreateOffscreenPlainSurface(20, 10, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy) ==
                    D3D_OK &&
                device->GetRenderTargetData(back, copy) == D3D_OK)
            {
                D3DLOCKED_RECT locked{};
                if (copy->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK)
                {
                    pixel = static_cast<const uint32_t*>(locked.pBits)[5 * locked.Pitch / 4 + 7];
                    copy->UnlockRect();
                }
            }
            if (copy)
                copy->Release();
            if (back)
                back->Release();
            return pixel;
        };
        const uint32_t colours[] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colours[0], 1.0f, 0);
        ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        for (int frame = 1; frame < 4; ++frame)
        {
            if (c.swap == D3DSWAPEFFECT_COPY)
            {
                EXPECT_EQ(backBufferPixel(), colours[frame - 1]);
            }
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, colours[frame], 1.0f, 0);
            ExpectFrame(20, 10, colours[frame - 1]);
            EXPECT_EQ(backBufferPixel(), colours[frame]);
            ExpectFrame(20, 10, colours[frame - 1]);
            ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
            ExpectFrame(20, 10, colours[frame]);
        }
    }
}

TEST_F(GlDeviceTest, ForcedLossBlocksPresentUntilReset)
{
    Create(Parameters(8, 8));
    gfx::ForceDeviceLoss(device, gfx::DeviceLoss::Lost);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    gfx::ForceDeviceLoss(device, gfx::DeviceLoss::NotReset);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DPRESENT_PARAMETERS pp = Parameters(8, 8);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(GlDeviceTest, AdaptersAndModesInDirect3DTerms)
{
    EXPECT_GE(d3d->GetAdapterCount(), 1u);
    D3DDISPLAYMODE desktop{};
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
    EXPECT_GT(desktop.Width, 0u);
    D3DADAPTER_IDENTIFIER9 identifier{};
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &identifier), D3D_OK);
    EXPECT_GT(std::string(identifier.Description).size(), 0u);
    const UINT modes = d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8);
    for (UINT i = 0; i < modes; ++i)
    {
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode), D3D_OK);
        EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    }
}
} // namespace
