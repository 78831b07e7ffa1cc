// Track items on the null device: the file read back as written, broken
// files refused, pick-ups by reach with each reward, hiding and bringing back
// the billboards, and what one frame draws from the camera's cell.
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "platform/gfx/null/NullGfx.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_Globals.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/TrackItemsWriter.h"
#include "world/MeshObject.h"
#include "world/QV7_ZephyrionItems.h"

#include <gtest/gtest.h>

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
            (std::string("qv7_items_") + std::to_string(getpid()) + "_" + name))
        .string();
}

// Ten small boxes, then one item of each type along x at z 5000 (cells 0-3,
// row 1), and a second coin far away in cell 255.
TrackItemsFile SampleFile()
{
    TrackItemsFile file;
    file.textureId = 7;
    for (int k = 0; k < 10; ++k)
        file.meshes[size_t(k)] =
            MakeBoxMesh(D3DXVECTOR3(10.0f, 10.0f, 10.0f), 100 + uint32_t(k), uint32_t(k));
    for (int type = 0; type <= 10; ++type)
        file.items.push_back(MakeTrackItem(type, 1000.0f + 1000.0f * float(type), 50.0f, 5000.0f, 0.5f));
    file.items.push_back(MakeTrackItem(0, 65000.0f, 10.0f, 65000.0f, 0.0f));
    PlaceTrackItems(file);
    return file;
}

std::vector<uint8_t> Bytes(const TrackItemsFile& file)
{
    return BuildTrackItemsFile(file).Bytes();
}

void Save(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

float Visibility(const ItemGridCell& cell, int vertex)
{
    float w;
    std::memcpy(&w, cell.vertices.data() + size_t(vertex) * 44 + 28, 4);
    return w;
}

class ItemsTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        items = std::make_unique<QV7_ZephyrionItems>();
        path = TempPath("sample.zph");
        Save(path, Bytes(SampleFile()));
    }
    void TearDown() override
    {
        items.reset();
        group.reset();
        std::remove(path.c_str());
        QV7_ZephyrionItems::s_CurrencyCounter = nullptr;
        QV7_ZephyrionItems::s_CreateStars = nullptr;
        EngineFixture::TearDown();
    }
    // Racers at the given places, each with a player driver and its own ammunition.
    void MakeRacers(const std::vector<D3DXVECTOR3>& places)
    {
        group = std::make_unique<QV7_PhysicsGroup>();
        for (const D3DXVECTOR3& place : places)
        {
            QV7_Buggy* racer = group->racers.Add();
            racer->position = place;
            racer->playerController = new QV7_PlayerController();
            racer->ammo = racer->ownAmmo;
        }
    }
    std::unique_ptr<QV7_ZephyrionItems> items;
    std::unique_ptr<QV7_PhysicsGroup> group;
    std::string path;
};

TEST_F(ItemsTest, ReadsBackWhatWasWritten)
{
    const TrackItemsFile file = SampleFile();
    items->Load(path, nullptr);
    ASSERT_EQ(items->m_Meshes.size(), 10u);
    EXPECT_EQ(items->m_Meshes[3]->m_Id, 3u);
    ASSERT_EQ(items->m_Items.size(), file.items.size());
    for (size_t i = 0; i < file.items.size(); ++i)
    {
        const TrackItem& item = *items->m_Items[i];
        EXPECT_EQ(item.type, file.items[i].type);
        EXPECT_EQ(item.index, int(i));
        EXPECT_EQ(item.position.x, file.items[i].x);
        EXPECT_EQ(std::memcmp(&item.world, file.items[i].world, 64), 0);
        ASSERT_EQ(item.references.size(), file.items[i].references.size());
        for (size_t r = 0; r < item.references.size(); ++r)
        {
            EXPECT_EQ(item.references[r].cell, &items->m_Grid[file.items[i].references[r].first]);
            EXPECT_EQ(item.references[r].firstVertex, int(file.items[i].references[r].second));
        }
    }
    for (size_t c = 0; c < 256; ++c)
    {
        const ItemGridCell& cell = items->m_Grid[c];
        ASSERT_EQ(cell.vertices.size(), file.cells[c].vertices.size() * 44);
        EXPECT_TRUE(cell.vertices.empty() || std::memcmp(cell.vertices.data(), file.cells[c].vertices.data(),
                                                         cell.vertices.size()) == 0);
        EXPECT_EQ(cell.vertexBuffer != nullptr, cell.billboardCount > 0) << c;
        for (int k = 0; k < 10; ++k)
        {
            ASSERT_EQ(cell.lists[size_t(k)].size(), file.cells[c].lists[size_t(k)].size());
            for (size_t n = 0; n < cell.lists[size_t(k)].size(); ++n)
                EXPECT_EQ(cell.lists[size_t(k)][n]->index, int(file.cells[c].lists[size_t(k)][n]));
        }
    }
    // Mesh kinds hold their types: kind 4 lists the type-5 item near it.
    ASSERT_EQ(items->m_Grid[1 + 16].lists[4].size(), 1u);
    EXPECT_EQ(items->m_Grid[1 + 16].lists[4][0]->type, 5);
    EXPECT_TRUE(items->m_Grid[255].billboardCount > 0);
}

TEST_F(ItemsTest, BrokenFilesAreRefused)
{
    const std::vector<uint8_t> good = Bytes(SampleFile());
    // Where the item records start: after the id, the meshes and the reserved words.
    TrackItemsFile meshesOnly;
    for (int k = 0; k < 10; ++k)
        meshesOnly.meshes[size_t(k)] = SampleFile().meshes[size_t(k)];
    meshesOnly.cells.clear();
    const size_t itemsAt = BuildTrackItemsFile(meshesOnly).Bytes().size() - 4;
    auto patched = [&](size_t at, uint32_t value)
    {
        std::vector<uint8_t> bytes = good;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    const size_t first = itemsAt + 4;     // the first item record
    const size_t references = first + 84; // its reference count
    const size_t cells = good.size() - 4; // reaching back from the end: the last cell's last list count
    const struct
    {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"cut in the meshes", std::vector<uint8_t>(good.begin(), good.begin() + 200)},
        {"cut in the cells", std::vector<uint8_t>(good.begin(), good.end() - 2)},
        {"item count beyond the file", patched(itemsAt, 0x10000000)},
        {"type 11", patched(first + 16, 11)},
        {"type -1", patched(first + 16, 0xFFFFFFFF)},
        {"reference count beyond the file", patched(references, 0x7FFFFFFF)},
        {"reference to cell 256", patched(references + 4, 256)},
        {"reference past its cell's billboards", patched(references + 8, 6000)},
        {"list count beyond the file", patched(cells, 1000)},
    };
    for (const auto& c : cases)
    {
        Save(path, c.bytes);
        EXPECT_THROW(items->Load(path, nullptr), CDException) << c.what;
    }
    // An item index past the list, in the last cell's last list.
    std::vector<uint8_t> bytes = good;
    const uint32_t one = 1, far = 999;
    bytes.resize(bytes.size() - 4);
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&one),
                 reinterpret_cast<const uint8_t*>(&one) + 4);
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&far),
                 reinterpret_cast<const uint8_t*>(&far) + 4);
    Save(path, bytes);
    EXPECT_THROW(items->Load(path, nullptr), CDException);
    EXPECT_THROW(items->Load(TempPath("missing.zph"), nullptr), CDException);
    // A good file still loads after the broken ones.
    Save(path, good);
    EXPECT_NO_THROW(items->Load(path, nullptr));
}

TEST(ItemsReach, ReachByType)
{
    const struct
    {
        int type;
        float distance;
        bool taken;
    } cases[] = {{0, 99.99f, true},  {0, 110.0f, false}, {1, 110.0f, true},
                 {1, 120.0f, false}, {2, 169.99f, true}, {2, 170.0f, false},
                 {3, 169.0f, true},  {8, 119.0f, true},  {10, 121.0f, false}};
    for (const auto& c : cases)
        EXPECT_EQ(QV7_ZephyrionItems::ReachDistance(c.type, c.distance) < 100.0f, c.taken)
            << c.type << " at " << c.distance;
}

TEST_F(ItemsTest, RewardsByType)
{
    int counters[6] = {};
    static int* s_counters;
    s_counters = counters;
    QV7_ZephyrionItems::s_CurrencyCounter = [](int i) { return &s_counters[i]; };
    MakeRacers({D3DXVECTOR3(0, 0, 0)});
    QV7_Buggy& racer = *group->racers[0];
    QV7_DriveController& driver = *racer.playerController;
    driver.turbo = 10.0f, driver.turboMax = 500.0f;
    driver.energy = 15.0f, driver.energyMax = 30.0f;
    driver.health = 90.0f, driver.healthMax = 100.0f;
    for (int type = 0; type <= 10; ++type)
        QV7_ZephyrionItems::GiveReward(type, racer, 0);
    EXPECT_EQ(counters[0], 1111);
    EXPECT_EQ(racer.ammo[0], 20);
    EXPECT_EQ(racer.ammo[1], 20);
    EXPECT_EQ(racer.ammo[2], 50);
    EXPECT_EQ(racer.ammo[3], 10);
    EXPECT_EQ(driver.turboMax, 4500.0f);
    EXPECT_EQ(driver.turbo, 4500.0f);
    EXPECT_EQ(driver.energy, 30.0f); // capped
    EXPECT_EQ(driver.health, 100.0f);
    // An empty turbo tank gets nothing from a turbo item.
    driver.turbo = 0.0f;
    QV7_ZephyrionItems::GiveReward(8, racer, 0);
    EXPECT_EQ(driver.turbo, 0.0f);
    EXPECT_EQ(driver.turboMax, 4500.0f);
    // A computer driver gets the same; a racer without ammunition or a counter is left alone.
    racer.controllerKind = QV7_Buggy::CONTROLLER_COMPUTER;
    racer.computerController = new QV7_AIController();
    racer.computerController->health = 5.0f, racer.computerController->healthMax = 50.0f;
    QV7_ZephyrionItems::GiveReward(10, racer, 0);
    EXPECT_EQ(racer.computerController->health, 25.0f);
    racer.ammo = nullptr;
    QV7_ZephyrionItems::GiveReward(4, racer, 0);
    QV7_ZephyrionItems::s_CurrencyCounter = nullptr;
    QV7_ZephyrionItems::GiveReward(3, racer, 0);
    EXPECT_EQ(counters[0], 1111);
}

TEST_F(ItemsTest, PickupHidesBillboardsAndResetBringsThemBack)
{
    items->Load(path, nullptr);
    static std::vector<D3DXVECTOR3> stars;
    stars.clear();
    QV7_ZephyrionItems::s_CreateStars = [](const D3DXVECTOR3& at, float scale)
    {
        EXPECT_EQ(scale, 0.2f);
        stars.push_back(at);
    };
    // Racer 1 and racer 2 both reach the coin; the earlier one takes it.
    int counters[6] = {};
    static int* s_counters;
    s_counters = counters;
    QV7_ZephyrionItems::s_CurrencyCounter = [](int i) { return &s_counters[i]; };
    MakeRacers({D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1050, 50, 5000), D3DXVECTOR3(1000, 50, 5010)});
    items->UpdatePickups(*group);
    TrackItem& coin = *items->m_Items[0];
    EXPECT_EQ(coin.taken, 1);
    EXPECT_EQ(counters[1], 1);
    EXPECT_EQ(counters[2], 0);
    ASSERT_EQ(stars.size(), 1u);
    EXPECT_EQ(stars[0], coin.position);
    // Exactly the coin's six vertices are hidden, in memory and in every cell's buffer.
    for (const ItemBillboardRef& reference : coin.references)
    {
        const ItemGridCell& cell = *reference.cell;
        void* data = nullptr;
        ASSERT_EQ(cell.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
        EXPECT_EQ(std::memcmp(data, cell.vertices.data(), cell.vertices.size()), 0);
        cell.vertexBuffer->Unlock();
        for (int v = 0; v < 6 * cell.billboardCount; ++v)
        {
            const bool mine = v >= reference.firstVertex && v < reference.firstVertex + 6;
            EXPECT_EQ(Visibility(cell, v), mine ? 0.0f : 1.0f);
        }
    }
    // Taken once: the next frame gives nothing more.
    items->UpdatePickups(*group);
    EXPECT_EQ(counters[1], 1);
    // A device loss keeps it hidden; a restart brings it back.
    items->OnLostReset(1);
    EXPECT_EQ(items->m_Grid[16].vertexBuffer, nullptr);
    items->OnLostReset(0);
    ItemGridCell& cell = *coin.references[0].cell;
    EXPECT_EQ(Visibility(cell, coin.references[0].firstVertex), 0.0f);
    items->Reset();
    EXPECT_EQ(coin.taken, 0);
    EXPECT_EQ(Visibility(cell, coin.references[0].firstVertex), 1.0f);
    items->UpdatePickups(*group);
    EXPECT_EQ(counters[1], 2);
}

TEST_F(ItemsTest, GetCellEdges)
{
    EXPECT_EQ(items->GetCell(-0.5f, 10.0f), nullptr);
    EXPECT_EQ(items->GetCell(10.0f, -1.0f), nullptr);
    EXPECT_EQ(items->GetCell(65535.9f, 65535.9f), &items->m_Grid[255]);
    EXPECT_EQ(items->GetCell(65536.0f, 10.0f), nullptr);
    EXPECT_EQ(items->GetCell(4095.9f, 4096.0f), &items->m_Grid[16]);
    EXPECT_EQ(items->GetCell(std::nanf(""), 10.0f), nullptr);
}

TEST_F(ItemsTest, RenderDrawsTheCameraCellOnly)
{
    items->Load(path, nullptr);
    g_frameManager->m_LastFrameMs = 500.0f;
    // In cell (1, 1): the coin's billboards and the meshes of the items within 7000.
    g_camera->m_Eye = D3DXVECTOR3(5000.0f, 300.0f, 5000.0f);
    g_camera->m_Target = D3DXVECTOR3(6000.0f, 0.0f, 5000.0f);
    g_camera->UpdateView();
    ItemGridCell& cell = *items->GetCell(5000.0f, 5000.0f);
    const D3DXMATRIX fixedBefore = cell.lists[1][0]->world; // type 2: kind 1 stays still
    const D3DXMATRIX spinningBefore = cell.lists[0][0]->world;
    gfx::null::ClearCalls();
    g_device->BeginScene();
    items->Render();
    g_device->EndScene();
    EXPECT_EQ(items->m_Phase, 0.5f);
    EXPECT_GE(gfx::null::FindCall("SetVertexDeclaration(decl"), 0);
    EXPECT_GE(gfx::null::FindCall("DrawPrimitive(4,0," + std::to_string(2 * cell.billboardCount) + ")"), 0);
    int meshDraws = 0;
    for (const std::string& call : gfx::null::Calls())
        meshDraws += call.rfind("DrawIndexedPrimitive(", 0) == 0;
    // Ten mesh items lie within reach of the cell; the one at x 11000 is more than 7000 from the eye.
    int within = 0;
    for (const auto& list : cell.lists)
        for (TrackItem* item : list)
        {
            const D3DXVECTOR3 d = item->position - g_camera->m_Eye;
            within += D3DXVec3Length(&d) <= 7000.0f;
        }
    EXPECT_EQ(meshDraws, within);
    EXPECT_EQ(std::memcmp(&cell.lists[1][0]->world, &fixedBefore, 64), 0);
    EXPECT_NE(std::memcmp(&cell.lists[0][0]->world, &spinningBefore, 64), 0);
    // Outside the island nothing is drawn.
    g_camera->m_Eye = D3DXVECTOR3(-10.0f, 300.0f, 5000.0f);
    gfx::null::ClearCalls();
    items->Render();
    EXPECT_LT(gfx::null::FindCall("Draw"), 0);
}
} // namespace
