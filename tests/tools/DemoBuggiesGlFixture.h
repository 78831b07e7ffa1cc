// The demo buggy database read on the gl back-end (offscreen) with its
// textures, a fixed camera and light looking at a buggy from the front left,
// and the frames kept as PNGs when QV7_SAVE_PICTURES names a folder.
#pragma once

#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/D3D9.h"
#include "platform/io/BinaryReader.h"
#include "platform/win/Backend.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace demogl
{
constexpr UINT kSize = 256;
constexpr uint32_t kSky = 0xFF203040;

class DemoBuggiesGlFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        win::SetBackend(win::Backend::Real);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp{};
        pp.BackBufferWidth = pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = TRUE;
        pp.EnableAutoDepthStencil = TRUE;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        ASSERT_EQ(
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
            D3D_OK);
        g_device = device; // the texture loader's device
        ASSERT_TRUE(WriteWorldTextureContainer(dir.Path() + "Textures2.qvx", DemoBuggyTextures()));
        const std::vector<int32_t> ids = DemoBuggyTextureIds();
        textures.LoadBuggyTextures(dir.Path() + "Textures2.qvx", ids.data(), int(ids.size()));
        BinaryReader file(BuildBuggyDatabase(MakeDemoBuggyDatabase()).Bytes());
        system.Read(file, &textures, device);
    }
    void TearDown() override
    {
        system.Clear();
        textures.FreeAll();
        g_device = nullptr;
        if (device)
        {
            device->SetStreamSource(0, nullptr, 0, 0);
            device->SetIndices(nullptr);
            device->SetTexture(0, nullptr);
            device->Release();
        }
        if (d3d)
            d3d->Release();
    }
    void SetCamera()
    {
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(-150, 110, -170), at(0, 20, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 4, 1.0f, 10.0f, 1000.0f);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Ambient = {0.4f, 0.4f, 0.4f, 1};
        light.Direction = D3DXVECTOR3(0.5f, -0.8f, 0.3f);
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_AMBIENT, 0xFF606060);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device->SetRenderState(D3DRS_ZENABLE, TRUE);
    }
    // QV7_SAVE_PICTURES=DIR keeps a frame as DIR/name.png, to look at.
    static void Save(const gfx::PresentedFrame& frame, const std::string& name)
    {
        const char* folder = std::getenv("QV7_SAVE_PICTURES");
        if (!folder)
            return;
        ImagePixels image{uint32_t(frame.width), uint32_t(frame.height), frame.pixels};
        const std::vector<uint8_t> png = WritePng(image, false);
        std::ofstream(std::string(folder) + "/" + name + ".png", std::ios::binary)
            .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }
    // Clears to the sky, draws, presents and reads the frame back.
    template <class Draw> gfx::PresentedFrame Frame(Draw draw)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kSky, 1.0f, 0);
        device->BeginScene();
        draw();
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(device, frame));
        return frame;
    }

    TempDir dir;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    QV7_TextureList textures;
    QV7_BuggyMeshSystem system;
};
} // namespace demogl
