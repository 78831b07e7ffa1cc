// Fuzz targets of the island's track items, Map%d.zph, and its shorelines,
// Map%d.ssh: each file through its race loader, then what a race does with
// it (a racer driven past every item, a restart, a device loss, frames drawn
// from the cells the items lie in); their seeds come from our writers.
#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/ShoreLinesWriter.h"
#include "tools/writers/TrackItemsWriter.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_ZephyrionItems.h"

#include <cstring>

using fuzzworld::ScratchFile;

namespace
{
void DrawFrom(const D3DXVECTOR3& eye)
{
    if (!g_camera || !g_device)
        return;
    g_camera->m_Eye = eye;
    g_camera->m_Target = D3DXVECTOR3(eye.x + 100.0f, eye.y - 50.0f, eye.z);
    g_camera->UpdateView();
}

void Race(QV7_ZephyrionItems& items)
{
    QV7_PhysicsGroup group;
    QV7_Buggy* racer = group.racers.Add();
    racer->playerController = new QV7_PlayerController();
    racer->playerController->turbo = 1.0f;
    racer->ammo = racer->ownAmmo;
    for (size_t i = 0; i < items.m_Items.size() && i < 64; ++i)
    {
        racer->position = items.m_Items[i]->position;
        items.UpdatePickups(group);
        DrawFrom(racer->position);
        if (g_device)
        {
            g_device->BeginScene();
            items.Render();
            g_device->EndScene();
        }
    }
    items.OnLostReset(1);
    items.OnLostReset(0);
    items.Reset();
}
} // namespace

int FuzzTrackItems(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.zph", data, size);
    QV7_ZephyrionItems items;
    try
    {
        items.Load(input.Path(), nullptr);
    }
    catch (const CDException&)
    {
        return 0;
    }
    Race(items);
    return 0;
}

int FuzzShoreLines(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile input(fuzzworld::DataDir() + "Map1.ssh", data, size);
    QV7_ShoreLines shore;
    try
    {
        shore.Load(input.Path(), nullptr);
    }
    catch (const CDException&)
    {
        return 0;
    }
    shore.OnLostReset(0);
    for (const ShoreCell& cell : shore.m_Cells)
    {
        if (cell.vertexCount == 0)
            continue;
        float position[3];
        std::memcpy(position, cell.vertices.data(), sizeof position);
        DrawFrom(D3DXVECTOR3(position[0], position[1] + 200.0f, position[2]));
        if (g_device)
        {
            g_device->BeginScene();
            shore.Render();
            g_device->EndScene();
        }
    }
    shore.OnLostReset(1);
    return 0;
}

std::vector<FuzzSeed> TrackItemSeeds()
{
    TrackItemsFile file;
    file.textureId = 1;
    for (int k = 0; k < 10; ++k)
        file.meshes[size_t(k)] = MakeBoxMesh(D3DXVECTOR3(5, 5, 5), 0, uint32_t(k));
    for (int type = 0; type <= 10; ++type)
        file.items.push_back(MakeTrackItem(type, 3000.0f + 400.0f * float(type), 10.0f, 4000.0f, 0.3f));
    file.items.push_back(MakeTrackItem(0, 100.0f, 0.0f, 65400.0f, 0.0f));
    PlaceTrackItems(file);
    TrackItemsFile empty;
    for (int k = 0; k < 10; ++k)
        empty.meshes[size_t(k)] = MakeBoxMesh(D3DXVECTOR3(1, 1, 1), 0, uint32_t(k));
    return {{"every_type.zph", BuildTrackItemsFile(file).Bytes()},
            {"no_items.zph", BuildTrackItemsFile(empty).Bytes()}};
}

std::vector<FuzzSeed> ShoreLineSeeds()
{
    std::vector<std::array<ShoreVertexRecord, 4>> quads;
    for (int i = 0; i < 12; ++i)
        quads.push_back(MakeShoreQuad(2000.0f + 150.0f * float(i), 3000.0f, 2150.0f + 150.0f * float(i),
                                      3000.0f, 200.0f, 0, 120, 0, 120, 0, 1));
    ShoreLinesFile file;
    file.textureId = 3;
    PlaceShoreQuads(file, quads, 3000.0f);
    return {{"strip.ssh", BuildShoreLinesFile(file).Bytes()},
            {"empty.ssh", BuildShoreLinesFile(ShoreLinesFile{}).Bytes()}};
}
