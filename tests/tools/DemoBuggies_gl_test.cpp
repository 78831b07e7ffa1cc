// The demo buggies drawn on the gl back-end with their textures: each model
// with a weapon on its mount, seen from the front left. The pictures show
// the buggy the right way up, painted in its own colour, with the barrel
// pointing along the nose.
#include "engine/QV7_Engine.h"
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

#include <cstdlib>
#include <fstream>

namespace
{
constexpr UINT kSize = 256;
constexpr uint32_t kSky = 0xFF203040;

class DemoBuggiesGlTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(gltest::CreatePictureDevice(kSize, kSize, d3d, device));
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
    // Model m with its level-1 weapon of a type on the weapon mount.
    gfx::PresentedFrame DrawModel(int m, int32_t weaponType)
    {
        SetCamera();
        BuggyMesh& model = *system.models[size_t(m)]->mesh;
        const QV7_DataBase_MeshObject* weapon = nullptr;
        for (const QV7_DataBase_MeshObject* item : system.equipment)
            if (item->type == weaponType && !weapon)
                weapon = item;
        const AttachPoint& mount = weapon->attachPoints[m];
        D3DXMATRIX mountMatrix;
        D3DXMatrixRotationYawPitchRoll(&mountMatrix, mount.rotation[0], mount.rotation[1], mount.rotation[2]);
        mountMatrix._41 = mount.position[0], mountMatrix._42 = mount.position[1],
        mountMatrix._43 = mount.position[2];
        D3DXMatrixMultiply(&weapon->mesh->m_World, &mountMatrix, &model.m_World);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kSky, 1.0f, 0);
        device->BeginScene();
        model.Draw(device, MESH_OBJECT_FVF);
        weapon->mesh->Draw(device, MESH_OBJECT_FVF);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(device, frame));
        gltest::SavePicture(frame, "demo_buggy_" + std::to_string(m));
        return frame;
    }

    TempDir dir;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    QV7_TextureList textures;
    QV7_BuggyMeshSystem system;
};

// The share of the picture in the paint's dominant channel, and the share covered.
struct Coverage
{
    float covered = 0, painted = 0;
};

Coverage Measure(const gfx::PresentedFrame& frame, int channelShift)
{
    Coverage coverage;
    for (uint32_t pixel : frame.pixels)
    {
        if (pixel == kSky)
            continue;
        coverage.covered += 1;
        const int c = int((pixel >> channelShift) & 0xFF);
        const int others = int((pixel >> ((channelShift + 8) % 24)) & 0xFF) / 2 +
                           int((pixel >> ((channelShift + 16) % 24)) & 0xFF) / 2;
        if (c > others + 20)
            coverage.painted += 1;
    }
    const float total = float(frame.pixels.size());
    coverage.covered /= total;
    coverage.painted /= total;
    return coverage;
}

TEST_F(DemoBuggiesGlTest, EachModelFillsThePictureInItsOwnPaint)
{
    ASSERT_EQ(system.models.size(), 5u);
    ASSERT_EQ(textures.Count(), int(DemoBuggyTextureIds().size()));
    // Red, yellow (red and green), green, blue, orange (red).
    const int dominant[5] = {16, 8, 8, 0, 16};
    for (int m = 0; m < 5; ++m)
    {
        SCOPED_TRACE(m);
        const gfx::PresentedFrame frame = DrawModel(m, 1 + m % 5);
        const Coverage coverage = Measure(frame, dominant[m]);
        EXPECT_GT(coverage.covered, 0.15f);
        EXPECT_LT(coverage.covered, 0.9f) << "the buggy stands in the picture, not over it";
        EXPECT_GT(coverage.painted, 0.03f);
        // Above the middle is the cage and sky, not the ground-hugging chassis.
        EXPECT_EQ(frame.pixels[5 * kSize + 5], kSky);
    }
}
} // namespace
