// Fading vegetation on the null device: the file read back, broken files
// refused, the detail switches, the cell walk round the camera, batching,
// the wind phase, the fog techniques and the render's own error handling.
#include "WorldTestSupport.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tools/writers/FadingVegetationWriter.h"
#include "world/QV7_FadingVegetation.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace
{
std::string TempPath(const char* name)
{
    // ctest runs the cases side by side, each in its own process.
    return (std::filesystem::temp_directory_path() /
            (std::string("qv7_fvf_") + std::to_string(getpid()) + "_" + name))
        .string();
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// A stone: four vertices, two triangles.
std::vector<FadingMeshVertexRecord> Stone(float x, float z)
{
    return {{x, 0, z, 0xFF808080, 0, 0},
            {x + 20, 0, z, 0xFF808080, 1, 0},
            {x, 15, z + 5, 0xFF808080, 0, 1},
            {x + 20, 15, z + 5, 0xFF808080, 1, 1}};
}

// Layer 0: grass, one plant in each cell of a 9 x 9 block round cell (32, 32);
// layer 1: stones, two in cell (32, 32). E + F = 3000 in both.
std::vector<VegetationLayerRecord> SampleLayers()
{
    VegetationLayerRecord grass;
    grass.name = "grass";
    grass.textureId = 5;
    grass.blend = 0;
    grass.fadeLength = 1000.0f;
    grass.endDistance = 2000.0f;
    grass.alphaRef = 100.0f;
    for (int cz = 28; cz <= 36; ++cz)
        for (int cx = 28; cx <= 36; ++cx)
            AddPlantBillboard(grass, 1024.0f * float(cx) + 100.0f, 0.0f, 1024.0f * float(cz) + 100.0f, 20.0f,
                              40.0f, 0xFFFFFFFF, 0.0f, 1.0f);
    VegetationLayerRecord stones;
    stones.name = "stones";
    stones.kind = 1;
    stones.blend = 1;
    stones.endDistance = 2500.0f;
    stones.fadeLength = 500.0f;
    stones.verticesPerInstance = 4;
    stones.instanceIndices = {0, 1, 2, 1, 3, 2};
    AddMeshInstance(stones, Stone(32800.0f, 32800.0f));
    AddMeshInstance(stones, Stone(33000.0f, 32900.0f));
    return {grass, stones};
}

class VegetationTest : public enginetest::EngineFixture
{
  protected:
    void Make(int detail, int forceObjects = 0, int forceBillboards = 0)
    {
        windows->m_Settings.Debug = 1; // the log lines
        windows->m_Settings.Detail = detail;
        windows->m_Settings.force_FadingObjects = forceObjects;
        windows->m_Settings.force_FadingBillBoards = forceBillboards;
        Start();
        vegetation = std::make_unique<QV7_FadingVegetation>();
        path = TempPath("sample.fvf");
        Save(path, BuildFadingVegetationFile(SampleLayers()).Bytes());
    }
    void TearDown() override
    {
        vegetation.reset();
        std::remove(path.c_str());
        EngineFixture::TearDown();
    }
    // A frame seen from high above cell (32, 32), looking down.
    void Frame(float frameMs = 16.0f)
    {
        worldtest::PlaceCamera(D3DXVECTOR3(32768.0f + 512.0f, 9000.0f, 32768.0f + 512.0f),
                               D3DXVECTOR3(32768.0f + 512.0f, 0.0f, 32768.0f + 513.0f));
        g_frameManager->m_LastFrameMs = frameMs;
        gfx::null::ClearCalls();
        g_device->BeginScene();
        vegetation->Render();
        g_device->EndScene();
    }
    std::unique_ptr<QV7_FadingVegetation> vegetation;
    std::string path;
};

TEST_F(VegetationTest, ReadsBackWhatWasWritten)
{
    Make(2);
    vegetation->Load(path, nullptr);
    const std::vector<VegetationLayerRecord> layers = SampleLayers();
    ASSERT_EQ(vegetation->m_Layers.size(), 2u);
    for (size_t l = 0; l < 2; ++l)
    {
        const VegetationLayer& layer = *vegetation->m_Layers[l];
        EXPECT_STREQ(layer.name, layers[l].name.c_str());
        EXPECT_EQ(layer.kind, layers[l].kind);
        EXPECT_EQ(layer.blend, layers[l].blend);
        EXPECT_EQ(layer.endDistance, layers[l].endDistance);
        EXPECT_EQ(layer.capacity, 8000u);
        for (size_t c = 0; c < 4096; ++c)
        {
            ASSERT_EQ(layer.cells[c].vertexCount, layers[l].cells[c].vertexCount);
            EXPECT_EQ(layer.cells[c].vertices, layers[l].cells[c].vertices);
            EXPECT_EQ(layer.cells[c].x, c % 64);
            EXPECT_EQ(layer.cells[c].z, c / 64);
        }
    }
    const VegetationLayer& stones = *vegetation->m_Layers[1];
    EXPECT_EQ(stones.indexCapacity, 24000u);
    EXPECT_EQ(stones.cells[32 * 64 + 32].indexCount, 12u);
    // The index buffer repeats the template instance after instance, in 16 bits.
    void* data = nullptr;
    ASSERT_EQ(stones.indexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    const auto* indices = static_cast<const uint16_t*>(data);
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(indices[5], 2);
    EXPECT_EQ(indices[6], 4);
    EXPECT_EQ(indices[10], 7);
    EXPECT_EQ(indices[23999], 4 * 3999 + 2); // the last entry: instance 3999's last
    stones.indexBuffer->Unlock();
    EXPECT_NE(vegetation->m_Layers[0]->vertexBuffer, nullptr);
    EXPECT_EQ(vegetation->m_Layers[0]->indexBuffer, nullptr);
}

TEST_F(VegetationTest, BrokenFilesAreRefused)
{
    Make(2);
    auto built = [](std::vector<VegetationLayerRecord> layers)
    { return BuildFadingVegetationFile(layers).Bytes(); };
    std::vector<VegetationLayerRecord> wrongSize = SampleLayers();
    wrongSize[0].cells[28 * 64 + 28].vertices.resize(30);
    std::vector<VegetationLayerRecord> kindTwo = SampleLayers();
    kindTwo[0].kind = 2;
    std::vector<VegetationLayerRecord> outsideTemplate = SampleLayers();
    outsideTemplate[1].instanceIndices[4] = 4;
    std::vector<VegetationLayerRecord> partial = SampleLayers();
    {
        VegetationCellRecord& cell = partial[1].cells[32 * 64 + 32];
        cell.vertices.resize(cell.vertices.size() - 24);
        cell.vertexCount -= 1;
    }
    std::vector<VegetationLayerRecord> indexCount = SampleLayers();
    indexCount[1].cells[32 * 64 + 32].indexCount = 13;
    std::vector<VegetationLayerRecord> noName = SampleLayers();
    const std::vector<uint8_t> good = built(SampleLayers());
    std::vector<uint8_t> countTooLarge = good;
    countTooLarge[1] = 0x10;
    std::vector<uint8_t> nameLength = good;
    nameLength[4] = 0xFF;
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"cut short", std::vector<uint8_t>(good.begin(), good.end() - 3)},
        {"byte size not n x stride", built(wrongSize)},
        {"kind 2", built(kindTwo)},
        {"template outside the instance", built(outsideTemplate)},
        {"partial instance", built(partial)},
        {"index count not instances x 3T", built(indexCount)},
        {"layer count beyond the file", countTooLarge},
        {"name length", nameLength},
    };
    for (const auto& c : cases)
    {
        Save(path, c.bytes);
        EXPECT_THROW(vegetation->Load(path, nullptr), CDException) << c.what;
    }
    EXPECT_THROW(vegetation->Load(TempPath("missing.fvf"), nullptr), CDException);
    Save(path, good);
    EXPECT_NO_THROW(vegetation->Load(path, nullptr));
}

TEST_F(VegetationTest, DetailDecidesTheKinds)
{
    const struct
    {
        int detail, forceObjects, forceBillboards;
        bool billboards, meshes;
    } cases[] = {{0, 0, 0, false, false},
                 {1, 0, 0, true, false},
                 {2, 0, 0, true, true},
                 {0, 1, 0, false, true},
                 {-1, 0, 1, true, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.detail * 100 + c.forceObjects * 10 + c.forceBillboards);
        Make(c.detail, c.forceObjects, c.forceBillboards);
        vegetation->Load(path, nullptr);
        EXPECT_EQ(vegetation->m_BillboardShader != nullptr, c.billboards);
        EXPECT_EQ(vegetation->m_MeshShader != nullptr, c.meshes);
        EXPECT_EQ(vegetation->m_Layers[0]->vertexBuffer != nullptr, c.billboards);
        EXPECT_EQ(vegetation->m_Layers[1]->capacity != 0, c.meshes);
        Frame();
        EXPECT_EQ(gfx::null::FindCall("DrawPrimitive(4,") >= 0, c.billboards);
        EXPECT_EQ(gfx::null::FindCall("DrawIndexedPrimitive(4,0,0,8,0,4)") >= 0, c.meshes);
        vegetation.reset();
        engine.reset();
    }
}

TEST_F(VegetationTest, WalksTheCellsRoundTheCamera)
{
    Make(2);
    vegetation->Load(path, nullptr);
    Frame();
    // E + F = 3000: three cells each way, 7 x 7 plants of two triangles in one batch.
    EXPECT_EQ(worldtest::MissingInOrder({"Effect.BeginPass(TBillBoard_AlphaTest,0)", "DrawPrimitive(4,0,98)",
                                         "Effect.BeginPass(TFading,0)", "DrawIndexedPrimitive(4,0,0,8,0,4)"}),
              "");
    // Off the island nothing is drawn.
    worldtest::PlaceCamera(D3DXVECTOR3(-1.0f, 9000.0f, 500.0f), D3DXVECTOR3(-1.0f, 0.0f, 501.0f));
    gfx::null::ClearCalls();
    vegetation->Render();
    EXPECT_LT(gfx::null::FindCall("Draw"), 0);
    VegetationLayer& layer = *vegetation->m_Layers[0];
    EXPECT_EQ(vegetation->FindCameraCell(layer, 65535.9f, 0.0f), &layer.cells[63]);
    EXPECT_EQ(vegetation->FindCameraCell(layer, 65536.0f, 0.0f), nullptr);
}

TEST_F(VegetationTest, AFullCellIsDrawnAlone)
{
    Make(1);
    std::vector<VegetationLayerRecord> layers = SampleLayers();
    layers.resize(1);
    VegetationLayerRecord& grass = layers[0];
    grass.cells = VegetationLayerRecord::MakeCells();
    for (int i = 0; i < 8000 / 6; ++i)
        AddPlantBillboard(grass, 32768.0f + 500.0f, 0.0f, 32768.0f + 500.0f, 5, 5, 0xFFFFFFFF, 0, 1);
    AddPlantBillboard(grass, 32768.0f + 1500.0f, 0.0f, 32768.0f + 500.0f, 5, 5, 0xFFFFFFFF, 0, 1);
    AddPlantBillboard(grass, 32768.0f + 1600.0f, 0.0f, 32768.0f + 500.0f, 5, 5, 0xFFFFFFFF, 0, 1);
    grass.cells[32 * 64 + 32].vertices.resize(8000 * 36);
    grass.cells[32 * 64 + 32].vertexCount = 8000;
    Save(path, BuildFadingVegetationFile(layers).Bytes());
    vegetation->Load(path, nullptr);
    Frame();
    // Column 32 is walked before column 33: the full cell goes first, alone.
    EXPECT_EQ(worldtest::MissingInOrder({"DrawPrimitive(4,0,2666)", "DrawPrimitive(4,0,4)"}), "");
}

TEST_F(VegetationTest, WindPhaseKeepsItsRemainderAndRace14Fogs)
{
    Make(2);
    vegetation->Load(path, nullptr);
    Frame(2200.0f); // 6.6 radians
    EXPECT_NEAR(vegetation->m_WindPhase, 6.6f - QV7_FadingVegetation::kTwoPi, 1e-5f);
    EXPECT_LT(gfx::null::FindCall("Effect.BeginPass(TBillBoard_AlphaTestFog"), 0);
    vegetation->m_RaceIndex = 14;
    Frame();
    EXPECT_GE(gfx::null::FindCall("Effect.BeginPass(TBillBoard_AlphaTestFog,0)"), 0);
}

TEST_F(VegetationTest, AnIndexOverflowEndsTheFrameCleanly)
{
    Make(2);
    vegetation->Load(path, nullptr);
    vegetation->m_Layers[1]->indexCapacity = 6; // less than the cell's 12
    Frame();
    EXPECT_TRUE(enginetest::Logged("ERROR: Wrong Index Buffer Size, Used Count: 12 Limitation: 6"));
    EXPECT_TRUE(enginetest::Logged("ERROR: Small Vegetation"));
    EXPECT_TRUE(enginetest::Logged("OUTPUT: Error in 'ACTIVE' rendering environment"));
    EXPECT_EQ(g_scene->m_Open, 0);
}
} // namespace
