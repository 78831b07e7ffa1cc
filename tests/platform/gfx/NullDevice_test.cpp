// The null device: its call record, state, resources, presented frame, reset
// rules and loss states, which every later component's tests rely on.
#include "platform/gfx/D3D9.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

namespace
{
class NullDeviceTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        pp.BackBufferWidth = 8;
        pp.BackBufferHeight = 4;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
                  D3D_OK);
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        if (device)
        {
            EXPECT_EQ(device->Release(), 0u);
        }
        EXPECT_EQ(d3d->Release(), 0u);
    }
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp{};
};

TEST_F(NullDeviceTest, RecordsEveryCallInOrderAsReadableLines)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, 1);
    device->SetTexture(0, texture);
    device->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
    device->SetTexture(0, nullptr);
    texture->Release();
    // The back buffer and depth buffer took the first two names.
    const std::vector<std::string> expected = {
        "CreateTexture(4,4,1,0,21,1)=tex3", "SetRenderState(7,1)", "SetTexture(0,tex3)", "SetSamplerState(1,5,2)",
        "SetTextureStageState(0,1,4)", "Clear(0,1,0xff102030,1,0)", "SetTexture(0,null)"};
    EXPECT_EQ(gfx::null::Calls(), expected);
    EXPECT_EQ(gfx::null::CountCalls("SetTexture("), 2u);
    EXPECT_EQ(gfx::null::FindCall("Clear("), 5);
}

// A long run turns the record off: neither the Direct3D object's checks nor
// a device made afterwards may grow it.
TEST_F(NullDeviceTest, RecordsNothingWhenTheRecordIsOff)
{
    gfx::null::Settings().recordCalls = false;
    d3d->GetAdapterCount();
    d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8);
    IDirect3DDevice9* quiet = nullptr;
    D3DPRESENT_PARAMETERS quietParameters = pp;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &quietParameters,
                                &quiet),
              D3D_OK);
    quiet->SetRenderState(D3DRS_ZENABLE, 1);
    quiet->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    quiet->Present(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(quiet->Release(), 0u);
    EXPECT_TRUE(gfx::null::Calls().empty());
}

TEST_F(NullDeviceTest, StartsWithDirect3DDefaultsAndResetRestoresThem)
{
    struct Case
    {
        D3DRENDERSTATETYPE state;
        DWORD value;
    };
    const Case cases[] = {{D3DRS_ZENABLE, D3DZB_TRUE},         {D3DRS_CULLMODE, D3DCULL_CCW},
                          {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},    {D3DRS_LIGHTING, TRUE},
                          {D3DRS_SRCBLEND, D3DBLEND_ONE},      {D3DRS_COLORWRITEENABLE, 0xF},
                          {D3DRS_FOGEND, 0x3F800000},          {D3DRS_ALPHATESTENABLE, FALSE}};
    for (const Case& c : cases)
        device->SetRenderState(c.state, 12345);
    ASSERT_EQ(device->Reset(&pp), D3D_OK);
    for (const Case& c : cases)
    {
        DWORD value = 0;
        device->GetRenderState(c.state, &value);
        EXPECT_EQ(value, c.value) << "state " << c.state;
    }
    DWORD op = 0;
    device->GetTextureStageState(1, D3DTSS_COLOROP, &op);
    EXPECT_EQ(op, DWORD(D3DTOP_DISABLE));
    device->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &op);
    EXPECT_EQ(op, 1u);
}

TEST_F(NullDeviceTest, ClearIsLimitedToViewportAndPresentShowsTheFrame)
{
    gfx::PresentedFrame frame;
    EXPECT_FALSE(gfx::ReadPresentedFrame(device, frame));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    const D3DVIEWPORT9 viewport{2, 1, 3, 2, 0.0f, 1.0f};
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    const D3DRECT rect{0, 0, 8, 4};
    device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_TRUE(gfx::ReadPresentedFrame(device, frame));
    ASSERT_EQ(frame.width, 8);
    ASSERT_EQ(frame.height, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
        {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(frame.pixels[size_t(y * 8 + x)], inside ? 0xFF336699u : 0xFF000000u) << x << "," << y;
        }
    // The screenshot path: the front buffer into a system-memory surface.
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &surface), D3D_OK);
    ASSERT_EQ(device->GetFrontBufferData(0, surface), D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) + locked.Pitch);
    EXPECT_EQ(row[2], 0xFF336699u);
    surface->UnlockRect();
    surface->Release();
}

TEST_F(NullDeviceTest, TextureLevelsLockAndShareMemoryWithTheirSurfaces)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 5u); // 16x8, 8x4, 4x2, 2x1, 1x1
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(3, &desc);
    EXPECT_EQ(desc.Width, 2u);
    EXPECT_EQ(desc.Height, 1u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    EXPECT_EQ(texture->LockRect(1, &locked, nullptr, 0), D3DERR_INVALIDCALL); // already locked
    static_cast<uint32_t*>(locked.pBits)[9] = 0x80FF0000;
    ASSERT_EQ(texture->UnlockRect(1), D3D_OK);
    EXPECT_EQ(texture->UnlockRect(1), D3DERR_INVALIDCALL);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(1, &level), D3D_OK);
    texture->Release(); // the surface keeps the texture alive
    ASSERT_EQ(level->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(locked.pBits) + locked.Pitch)[1], 0x80FF0000u);
    level->UnlockRect();
    level->Release();

    IDirect3DTexture9* dxt = nullptr;
    ASSERT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &dxt), D3D_OK);
    ASSERT_EQ(dxt->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32); // four 8-byte blocks per row of blocks
    dxt->UnlockRect(0);
    dxt->Release();

    // Render targets and static default-pool textures are not lockable.
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    EXPECT_EQ(target->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    target->Release();
}

TEST_F(NullDeviceTest, BuffersLockWithinTheirSize)
{
    IDirect3DVertexBuffer9* vertices = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DPOOL_MANAGED,
                                         &vertices),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(vertices->Lock(64, 64, &data, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(vertices->Lock(64, 32, &data, 0), D3D_OK);
    EXPECT_EQ(vertices->Unlock(), D3D_OK);
    D3DVERTEXBUFFER_DESC desc{};
    vertices->GetDesc(&desc);
    EXPECT_EQ(desc.Size, 96u);
    EXPECT_EQ(desc.FVF, DWORD(D3DFVF_XYZ | D3DFVF_DIFFUSE));
    IDirect3DIndexBuffer9* indices = nullptr;
    EXPECT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices), D3D_OK);
    device->SetStreamSource(0, vertices, 0, 16);
    device->SetIndices(indices);
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 6, 0, 2), D3DERR_INVALIDCALL); // no scene
    device->BeginScene();
    EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 6, 0, 2), D3D_OK);
    device->EndScene();
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    vertices->Release();
    indices->Release();
}

TEST_F(NullDeviceTest, ResetNeedsDefaultPoolReleasedAndResizesTheBackBuffer)
{
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
              D3D_OK);
    D3DPRESENT_PARAMETERS bigger = pp;
    bigger.BackBufferWidth = 16;
    bigger.BackBufferHeight = 12;
    EXPECT_EQ(device->Reset(&bigger), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    target->Release();
    ASSERT_EQ(device->Reset(&bigger), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 16u);
    EXPECT_EQ(viewport.Height, 12u);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    device->Present(nullptr, nullptr, nullptr, nullptr);
    gfx::PresentedFrame frame;
    ASSERT_TRUE(gfx::ReadPresentedFrame(device, frame));
    EXPECT_EQ(frame.width, 16);
    EXPECT_EQ(frame.height, 12);
}

TEST_F(NullDeviceTest, LossStatesFollowDirect3D)
{
    gfx::ForceDeviceLoss(device, gfx::DeviceLoss::Lost);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&pp), D3DERR_DEVICELOST);
    gfx::ForceDeviceLoss(device, gfx::DeviceLoss::NotReset);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    gfx::null::Settings().failReset = true;
    EXPECT_EQ(device->Reset(&pp), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    gfx::null::Settings().failReset = false;
    EXPECT_EQ(device->Reset(&pp), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST_F(NullDeviceTest, ConfiguredFailuresAndCaps)
{
    gfx::null::Settings().failCreateDevice = true;
    IDirect3DDevice9* second = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &second), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(second, nullptr);
    gfx::null::Settings().failCreateDevice = false;

    gfx::null::AdapterOptions options;
    options.hardwareTnL = false;
    options.pixelShaderMajor = 0;
    options.maxMultiSample = 4;
    gfx::null::Settings().adapters = {gfx::null::MakeAdapter(), gfx::null::MakeAdapter(options)};
    EXPECT_EQ(d3d->GetAdapterCount(), 2u);
    D3DCAPS9 caps{};
    d3d->GetDeviceCaps(1, D3DDEVTYPE_HAL, &caps);
    EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
    EXPECT_EQ(caps.PixelShaderVersion, 0u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_4_SAMPLES,
                                              nullptr),
              D3D_OK);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(1, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, FALSE, D3DMULTISAMPLE_TYPE(6),
                                              nullptr),
              D3DERR_NOTAVAILABLE);
    // Hardware processing on an adapter without it is refused, as on Direct3D.
    EXPECT_EQ(d3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &second),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 3u);
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 1, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 800u);
}
} // namespace
