// The maps database's pointer mesh on the null device: read from the block
// after the flag (textures from the item list), refused with the mesh
// reader's lines when the block is cut, and drawn by RenderHudPointer with
// the HUD's world matrix and material, each subset once, the device state
// given back afterwards; an empty mesh draws nothing.
#include "world/QV7_MapsSort.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/MapsDatabaseWriter.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstring>

namespace
{
using Bytes = std::vector<uint8_t>;

// An arrow of one subset and a box of two (textured 7001 and 7002, the
// second with an environment texture 7003), so the draw covers several subsets.
Bytes PointerBlock()
{
    MeshObjectDescription mesh = MakeBoxMesh({10.0f, 20.0f, 30.0f}, 7001, 5);
    mesh.materials.push_back(mesh.materials[0]);
    mesh.materials[1].texture0Id = 7002;
    mesh.materials[1].texture1Id = 7003;
    mesh.materials[1].words[MESH_WORD_ENVIRONMENT] = 1;
    for (size_t f = 0; f < mesh.faces.size() / 2; ++f)
        mesh.faces[f].subset = 1;
    BinaryWriter block;
    WriteMeshObjectBlock(block, mesh);
    return block.Bytes();
}

class MapsSortPointerTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        Start();
        for (uint32_t id : {7001u, 7002u, 7003u})
        {
            TextureRecord* record = items.Append();
            record->m_CompileId = id;
            ASSERT_EQ(g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                              &record->m_Texture, nullptr),
                      D3D_OK);
        }
        g_itemTextures = &items;
        ASSERT_TRUE(WritePilotsFile(dir.Path() + "Aip.dat", {}));
    }
    void TearDown() override
    {
        g_itemTextures = nullptr;
        for (int i = 0; i < items.Count(); ++i)
            g_scene->ForgetTexture(items.At(i)->m_Texture);
        items.FreeAll();
        EngineFixture::TearDown();
    }
    void WriteMaps(uint32_t flag, const Bytes& block)
    {
        MapsDatabaseFileRecord file;
        file.maps = {MakeMapRecord("Hill Island", 0, 1, 1)};
        file.pointerMeshFlag = flag;
        file.pointerMesh = block;
        ASSERT_TRUE(WriteMapsDatabase(dir.Path() + "Maps_srt.qvx", file));
    }

    QV7_TextureList items;
    TempDir dir;
};

TEST_F(MapsSortPointerTest, ReadsTheMeshAfterFlagOne)
{
    WriteMaps(1, PointerBlock());
    QV7_MapsSort maps(dir.Path());
    ASSERT_TRUE(maps.HasPointerMesh());
    const LodMeshObject& mesh = maps.m_PointerMesh;
    EXPECT_EQ(mesh.m_Id, 5u);
    EXPECT_EQ(mesh.m_SubsetCount, 2u);
    EXPECT_FLOAT_EQ(mesh.m_Scale, 0.1f);
    EXPECT_EQ(mesh.Texture(0), items.FindByCompileId(7001)->m_Texture);
    EXPECT_EQ(mesh.Texture2(1), items.FindByCompileId(7003)->m_Texture);
    EXPECT_TRUE(enginetest::Logged("Info: MapSort Mesh System: Mesh Loading Start"));
    EXPECT_TRUE(enginetest::Logged("Info: MapSort Mesh System: Mesh Loading Done"));
    // The maps are read all the same.
    EXPECT_EQ(maps.ListCount(QV7_MapsSort::kChampionshipList), 1);
}

TEST_F(MapsSortPointerTest, ACutBlockIsRefused)
{
    const Bytes block = PointerBlock();
    for (size_t keep : {size_t(0), size_t(10), size_t(20 + 32 * 3), block.size() / 2, block.size() - 1})
    {
        WriteMaps(1, Bytes(block.begin(), block.begin() + std::ptrdiff_t(keep)));
        enginetest::Log().clear();
        EXPECT_THROW(QV7_MapsSort maps(dir.Path()), CDException) << keep;
        EXPECT_EQ(g_mapsSort, nullptr);
        EXPECT_TRUE(enginetest::Logged(
            "Critical Problem, File Broken, Application will crash to avoid any additional problems."))
            << keep << ::testing::PrintToString(enginetest::Log());
    }
}

TEST_F(MapsSortPointerTest, RenderHudPointerDrawsEverySubsetWithTheHudsMatrix)
{
    WriteMaps(1, PointerBlock());
    QV7_MapsSort maps(dir.Path());
    LodMeshObject& mesh = maps.m_PointerMesh;
    D3DXMatrixTranslation(&mesh.m_World, 100.0f, 5.0f, -20.0f);
    mesh.m_Materials[0].Diffuse = {1.0f, 0.0f, 0.0f, 1.0f};
    // As another renderer may leave them: unlit, alpha-tested.
    g_scene->SetRenderState(FALSE, D3DRS_LIGHTING);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    const QV7_Scene::Tables before = g_scene->m_Tables;
    gfx::null::ClearCalls();

    maps.RenderHudPointer(mesh);

    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 2u)
        << ::testing::PrintToString(gfx::null::Calls());
    EXPECT_EQ(gfx::null::CountCalls("SetMaterial("), 2u);
    const int fvf = gfx::null::FindCall("SetFVF(274)");
    const int world = gfx::null::FindCall("SetTransform(256,");
    const int draw = gfx::null::FindCall("DrawIndexedPrimitive(");
    ASSERT_GE(fvf, 0);
    ASSERT_GE(world, 0);
    EXPECT_LT(fvf, draw);
    EXPECT_LT(world, draw);
    EXPECT_NE(gfx::null::Calls()[size_t(world)].find("100"), std::string::npos)
        << gfx::null::Calls()[size_t(world)];
    // Lighting on and alpha testing off while drawing; the work space gives everything back.
    EXPECT_GE(gfx::null::FindCall("SetRenderState(137,1)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(15,0)"), 0);
    EXPECT_EQ(std::memcmp(&before, &g_scene->m_Tables, sizeof before), 0);
    EXPECT_EQ(g_scene->m_Open, 0);
}

TEST_F(MapsSortPointerTest, WithoutAMeshNothingIsDrawn)
{
    for (uint32_t flag : {0u, 2u})
    {
        WriteMaps(flag, PointerBlock());
        QV7_MapsSort maps(dir.Path());
        EXPECT_FALSE(maps.HasPointerMesh());
        gfx::null::ClearCalls();
        maps.RenderHudPointer(maps.m_PointerMesh);
        EXPECT_TRUE(gfx::null::Calls().empty()) << flag;
    }
}
} // namespace
