// The demo buggy database read on the gl back-end (offscreen) with its
// textures, a fixed camera and light looking at a buggy from the front left,
// and the frames kept as PNGs when QV7_SAVE_PICTURES names a folder.
#pragma once

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/D3D9.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "tests/platform/gfx/GlTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/shell/TestLog.h"
#include "tools/demo/DemoBuggies.h"
#include "tools/writers/ImageWriters.h"

#include <gtest/gtest.h>

#include <memory>
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
        ASSERT_NO_FATAL_FAILURE(gltest::CreatePictureDevice(kSize, kSize, d3d, device));
        g_device = device;                     // the texture loader's device
        scene = std::make_unique<QV7_Scene>(); // the buggy renderers' state cache
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
        scene.reset();
        g_device = nullptr;
        gltest::ReleasePictureDevice(d3d, device);
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
        gltest::SavePicture(frame, name);
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
    std::unique_ptr<QV7_Scene> scene;
    QV7_TextureList textures;
    QV7_BuggyMeshSystem system;
};
} // namespace demogl
