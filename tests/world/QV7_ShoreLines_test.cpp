// Shorelines on the null device: the switch, the file read back, broken files
// refused, buffers only through a device reset, the camera cell and the draw.
#include "WorldTestSupport.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tools/writers/ShoreLinesWriter.h"
#include "world/QV7_ShoreLines.h"

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
            (std::string("qv7_shore_") + std::to_string(getpid()) + "_" + name))
        .string();
}

// Two quads in cell (1, 0) and one in cell (0, 31).
ShoreLinesFile SampleFile()
{
    ShoreLinesFile file;
    file.textureId = 9;
    for (int q = 0; q < 2; ++q)
    {
        const auto quad = MakeShoreQuad(2100.0f + 100.0f * float(q), 50.0f, 2200.0f + 100.0f * float(q),
                                        50.0f, 200.0f, 0.0f, -100.0f, 0.0f, -100.0f, 0.0f, 1.0f);
        file.cells[1].vertices.insert(file.cells[1].vertices.end(), quad.begin(), quad.end());
    }
    const auto quad = MakeShoreQuad(10.0f, 64000.0f, 60.0f, 64000.0f, 200.0f, 0, 90, 0, 90, 0, 1);
    file.cells[31 * 32].vertices.assign(quad.begin(), quad.end());
    file.cells[1].words[2] = 77;
    return file;
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

class ShoreLinesTest : public enginetest::EngineFixture
{
  protected:
    void Make(int detail, int force)
    {
        windows->m_Settings.Detail = detail;
        windows->m_Settings.force_Shore = force;
        Start();
        shore = std::make_unique<QV7_ShoreLines>();
        path = TempPath("sample.ssh");
        Save(path, BuildShoreLinesFile(SampleFile()).Bytes());
    }
    void TearDown() override
    {
        shore.reset();
        std::remove(path.c_str());
        EngineFixture::TearDown();
    }
    std::unique_ptr<QV7_ShoreLines> shore;
    std::string path;
};

TEST_F(ShoreLinesTest, ReadsBackAndGetsBuffersAtTheReset)
{
    Make(0, 0);
    shore->Load(path, nullptr);
    const ShoreLinesFile file = SampleFile();
    for (size_t c = 0; c < 1024; ++c)
    {
        const ShoreCell& cell = shore->m_Cells[c];
        ASSERT_EQ(cell.vertexCount, file.cells[c].vertices.size());
        EXPECT_TRUE(cell.vertices.empty() || std::memcmp(cell.vertices.data(), file.cells[c].vertices.data(),
                                                         cell.vertices.size()) == 0);
        EXPECT_EQ(cell.vertexBuffer, nullptr);
    }
    EXPECT_EQ(shore->m_Cells[1].words[2], 77u);
    shore->OnLostReset(0);
    for (const ShoreCell& cell : shore->m_Cells)
        EXPECT_EQ(cell.vertexBuffer != nullptr, cell.vertexCount > 0);
    shore->OnLostReset(1);
    for (const ShoreCell& cell : shore->m_Cells)
        EXPECT_EQ(cell.vertexBuffer, nullptr);
}

TEST_F(ShoreLinesTest, BrokenFilesAreRefused)
{
    Make(0, 0);
    const std::vector<uint8_t> good = BuildShoreLinesFile(SampleFile()).Bytes();
    auto withFirstCount = [&](uint32_t n)
    {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data(), &n, 4);
        return bytes;
    };
    const std::vector<std::vector<uint8_t>> cases = {{},
                                                     withFirstCount(6),
                                                     withFirstCount(10004),
                                                     withFirstCount(0x40000000),
                                                     std::vector<uint8_t>(good.begin(), good.end() - 1)};
    for (const auto& bytes : cases)
    {
        Save(path, bytes);
        EXPECT_THROW(shore->Load(path, nullptr), CDException) << bytes.size();
    }
    EXPECT_THROW(shore->Load(TempPath("missing.ssh"), nullptr), CDException);
    // 10000 vertices in a cell is the most, and allowed.
    ShoreLinesFile most;
    most.cells[0].vertices.assign(10000, ShoreVertexRecord{1, 2, 3, 0, 0, 0});
    Save(path, BuildShoreLinesFile(most).Bytes());
    EXPECT_NO_THROW(shore->Load(path, nullptr));
    EXPECT_EQ(shore->m_Cells[0].vertexCount, 10000u);
}

TEST_F(ShoreLinesTest, OffAtLowestDetailUnlessForced)
{
    Make(-1, 0);
    EXPECT_FALSE(QV7_ShoreLines::Enabled());
    EXPECT_EQ(shore->m_Shader, nullptr);
    EXPECT_EQ(shore->m_QuadIndices, nullptr);
    EXPECT_NO_THROW(shore->Load(TempPath("missing.ssh"), nullptr)); // never opened
    windows->m_Settings.force_Shore = 1;
    EXPECT_TRUE(QV7_ShoreLines::Enabled());
}

TEST_F(ShoreLinesTest, CameraCellEdges)
{
    Make(0, 0);
    EXPECT_EQ(shore->FindCameraCell(2047.9f, 0.0f), &shore->m_Cells[0]);
    EXPECT_EQ(shore->FindCameraCell(2048.0f, 0.0f), &shore->m_Cells[1]);
    EXPECT_EQ(shore->FindCameraCell(-0.1f, 10.0f), nullptr);
    EXPECT_EQ(shore->FindCameraCell(65536.0f, 10.0f), nullptr);
    EXPECT_EQ(shore->FindCameraCell(65535.0f, 65535.0f), &shore->m_Cells[1023]);
}

TEST_F(ShoreLinesTest, DrawsTheCameraCellAndRollsThePhase)
{
    Make(0, 0);
    shore->Load(path, nullptr);
    shore->OnLostReset(0);
    worldtest::PlaceCamera(D3DXVECTOR3(2500.0f, 400.0f, 300.0f), D3DXVECTOR3(2500.0f, 0.0f, 0.0f));
    g_frameManager->m_LastFrameMs = 13000.0f; // 6.5 radians: wraps once
    gfx::null::ClearCalls();
    g_device->BeginScene();
    shore->Render();
    EXPECT_NEAR(shore->m_Phase, 6.5f - QV7_ShoreLines::kTwoPi, 1e-5f);
    EXPECT_EQ(worldtest::MissingInOrder({"SetVertexDeclaration(decl", "SetIndices(", "SetStreamSource(0,",
                                         "DrawIndexedPrimitive(4,0,0,8,0,4)"}),
              "");
    // A cell without quads draws nothing and keeps the phase.
    worldtest::PlaceCamera(D3DXVECTOR3(30000.0f, 400.0f, 30000.0f), D3DXVECTOR3(30000.0f, 0.0f, 29000.0f));
    gfx::null::ClearCalls();
    shore->Render();
    g_device->EndScene();
    EXPECT_LT(gfx::null::FindCall("DrawIndexedPrimitive"), 0);
    EXPECT_NEAR(shore->m_Phase, 6.5f - QV7_ShoreLines::kTwoPi, 1e-5f);
}
} // namespace
