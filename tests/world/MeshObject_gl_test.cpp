// Mesh objects drawn on the gl back-end: the writer's winding keeps the
// outside with the blocks' counter-clockwise cull word, normals light the
// side that faces the light, and a pointer arrow looks like one.
#include "engine/QV7_TextureList.h"
#include "platform/gfx/D3D9.h"
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "tests/platform/gfx/GlTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/MeshObjectWriter.h"
#include "world/MeshObject.h"
#include "world/MeshObjectReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace
{
constexpr UINT kSize = 64;

using gltest::Blue;
using gltest::Red;

class MeshObjectGlTest : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(gltest::CreatePictureDevice(kSize, kSize, d3d, device)); }
    void TearDown() override
    {
        object.Release();
        gltest::ReleasePictureDevice(d3d, device);
    }
    void Load(const MeshObjectDescription& mesh)
    {
        BinaryWriter writer;
        WriteMeshObjectBlock(writer, mesh);
        BinaryReader file(writer.Bytes());
        ReadMeshObjectBlock(file, object, MESH_OBJECT_FVF, device, nullptr, TreesMeshReader());
    }
    // One frame of the object seen from -z, lit by a white light shining
    // along +z (from the camera), culling with cull.
    gfx::PresentedFrame Draw(DWORD cull, const D3DXVECTOR3& eye = D3DXVECTOR3(0, 0, -5))
    {
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 at(0, 0, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 3, 1.0f, 1.0f, 100.0f);
        device->SetTransform(D3DTS_VIEW, &view);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        D3DXVECTOR3 direction = at - eye;
        D3DXVec3Normalize(&direction, &direction);
        light.Direction = direction;
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetRenderState(D3DRS_LIGHTING, TRUE);
        device->SetRenderState(D3DRS_CULLMODE, cull);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
        device->BeginScene();
        object.Draw(device, MESH_OBJECT_FVF);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(device, frame));
        gltest::SavePicture(frame, gltest::TestPictureName(++saved));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[y * frame.width + x];
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    MeshObject object;
    int saved = 0;
};

TEST_F(MeshObjectGlTest, CounterClockwiseCullKeepsTheLitOutside)
{
    Load(MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 0));
    const gfx::PresentedFrame outside = Draw(D3DCULL_CCW);
    EXPECT_GT(Red(At(outside, 32, 32)), 240) << "the near side faces the light";
    EXPECT_EQ(At(outside, 2, 2), 0xFF0000FFu) << "the box leaves the corners clear";
    const gfx::PresentedFrame inside = Draw(D3DCULL_CW);
    EXPECT_LT(Red(At(inside, 32, 32)), 16) << "only the far side's unlit inside is left";
    EXPECT_LT(Blue(At(inside, 32, 32)), 16);
}

TEST_F(MeshObjectGlTest, APointerArrowStandsOnItsTip)
{
    Load(MakeArrowMesh(4.0f, 1.0f, 0));
    object.m_Position = D3DXVECTOR3(0, -2, 0);
    object.m_Rotation = D3DXVECTOR3(D3DX_PI / 4, 0, 0);
    BuildPlacementMatrix(object);
    const gfx::PresentedFrame frame = Draw(D3DCULL_CCW, D3DXVECTOR3(0, 1, -6));
    // Shaft in the upper middle, the head widest just below it, the tip low.
    EXPECT_NE(At(frame, 32, 22), 0xFF0000FFu);
    EXPECT_NE(At(frame, 24, 38), 0xFF0000FFu);
    EXPECT_EQ(At(frame, 24, 22), 0xFF0000FFu) << "the shaft is narrower than the head";
    EXPECT_EQ(At(frame, 32, 60), 0xFF0000FFu) << "nothing below the tip";
}
} // namespace
