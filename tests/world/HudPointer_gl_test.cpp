// The HUD pointer drawn on the gl back-end: the demo's arrow lit with the
// material the HUD sets, then with a base texture, then with an environment
// texture added over it; the arrow's pixels show each colour and the rest of
// the frame stays clear.
#include "world/QV7_MapsSort.h"

#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "platform/d3dx/D3DXTexture.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/platform/gfx/SavePicture.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/MapsDatabaseWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstdlib>

namespace
{
constexpr uint32_t kGreenId = 7101, kBlueId = 7102;

class HudPointerGlTest : public enginetest::EngineFixture
{
  protected:
    HudPointerGlTest()
    {
        width = 256;
        height = 256;
    }
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        g_frameManager->m_ClearColour = 0xFF000000;
        AddTexture(kGreenId, 0xFF00FF00);
        AddTexture(kBlueId, 0xFF0000FF);
        g_itemTextures = &items;
    }
    void TearDown() override
    {
        g_itemTextures = nullptr;
        for (int i = 0; i < items.Count(); ++i)
            g_scene->ForgetTexture(items.At(i)->m_Texture);
        items.FreeAll();
        EngineFixture::TearDown();
    }
    void AddTexture(uint32_t id, uint32_t argb)
    {
        ImagePixels image;
        image.width = image.height = 8;
        image.argb.assign(64, argb);
        const std::vector<uint8_t> png = WritePng(image);
        TextureRecord* record = items.Append();
        record->m_CompileId = id;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(g_device, png.data(), UINT(png.size()), 0, 0, 0, 0,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                                      D3DX_DEFAULT, 0, nullptr, nullptr, &record->m_Texture),
                  D3D_OK);
    }
    // A database whose pointer is an arrow 400 long (40 once the mesh's tenth applies).
    std::unique_ptr<QV7_MapsSort> Load(uint32_t texture0, uint32_t texture1, uint32_t environment)
    {
        MeshObjectDescription arrow = MakeArrowMesh(400.0f, 80.0f, texture0, 1);
        arrow.materials[0].texture1Id = texture1;
        arrow.materials[0].words[MESH_WORD_ENVIRONMENT] = environment;
        arrow.materials[0].words[MESH_WORD_CULLMODE] = D3DCULL_NONE;
        BinaryWriter block;
        WriteMeshObjectBlock(block, arrow);
        MapsDatabaseFileRecord file;
        file.maps = {MakeMapRecord("Hill Island", 0, 1, 1)};
        file.pointerMeshFlag = 1;
        file.pointerMesh = block.Bytes();
        EXPECT_TRUE(WriteMapsDatabase(dir.Path() + "Maps_srt.qvx", file));
        EXPECT_TRUE(WritePilotsFile(dir.Path() + "Aip.dat", {}));
        return std::make_unique<QV7_MapsSort>(dir.Path());
    }
    // What the HUD does: camera, light and the pointer's place and colour, then one frame.
    gfx::PresentedFrame Draw(QV7_MapsSort& maps, D3DCOLORVALUE colour)
    {
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0, 20, -100), at(0, 20, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.0f, 1.0f, 1000.0f);
        g_device->SetTransform(D3DTS_VIEW, &view);
        g_device->SetTransform(D3DTS_PROJECTION, &projection);
        D3DLIGHT9 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {1, 1, 1, 1};
        light.Direction = {0, 0, 1};
        g_device->SetLight(0, &light);
        g_device->LightEnable(0, TRUE);
        g_device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);

        LodMeshObject& pointer = maps.m_PointerMesh;
        BuildPlacementMatrix(pointer);
        pointer.m_Materials[0].Diffuse = colour;
        pointer.m_Materials[0].Ambient = colour;
        g_frameManager->BeginFrame();
        maps.RenderHudPointer(pointer);
        g_frameManager->EndFrame();
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
        gltest::SavePicture(frame, "hud_pointer_" + std::to_string(++saved));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x] & 0xFFFFFF;
    }

    QV7_TextureList items;
    TempDir dir;
    int saved = 0;
};

TEST_F(HudPointerGlTest, LitByTheHudsMaterialThenTexturedThenReflecting)
{
    // The shaft's middle lies on the picture's centre column, above its middle row.
    const int x = 128, y = 90;
    std::unique_ptr<QV7_MapsSort> maps = Load(0, 0, 0);
    ASSERT_TRUE(maps->HasPointerMesh());
    gfx::PresentedFrame frame = Draw(*maps, {1, 0, 0, 1});
    EXPECT_EQ(At(frame, x, y), 0xFF0000u);
    EXPECT_EQ(At(frame, 10, 10), 0u);
    EXPECT_EQ(At(frame, 245, 128), 0u);

    maps = Load(kGreenId, 0, 0);
    frame = Draw(*maps, {1, 1, 1, 1});
    EXPECT_EQ(At(frame, x, y), 0x00FF00u);

    // The environment texture added over the base: green plus blue.
    maps = Load(kGreenId, kBlueId, 0);
    frame = Draw(*maps, {1, 1, 1, 1});
    EXPECT_EQ(At(frame, x, y), 0x00FFFFu);
    EXPECT_EQ(At(frame, 10, 10), 0u);
}
} // namespace
