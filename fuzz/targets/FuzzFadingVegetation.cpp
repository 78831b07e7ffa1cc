// Fuzz target of the island's fading vegetation, Map%d.fvf: the file through
// the race loader at the highest detail (both kinds made), then frames drawn
// from the middle of every cell that holds vertices, a device loss and reset;
// its seeds come from our writer.
#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "tools/writers/FadingVegetationWriter.h"
#include "world/QV7_FadingVegetation.h"

#include <cstring>

using fuzzworld::ScratchFile;

namespace
{
void DrawCells(QV7_FadingVegetation& vegetation)
{
    if (!g_camera || !g_device)
        return;
    int frames = 0;
    for (const auto& layer : vegetation.m_Layers)
        for (const VegetationCell& cell : layer->cells)
        {
            if (cell.vertexCount == 0 || ++frames > 16)
                continue;
            float at[3];
            std::memcpy(at, cell.vertices.data(), sizeof at);
            g_camera->m_Eye = D3DXVECTOR3(at[0], at[1] + 300.0f, at[2]);
            g_camera->m_Target = D3DXVECTOR3(at[0] + 500.0f, at[1], at[2] + 10.0f);
            g_camera->UpdateView();
            g_device->BeginScene();
            vegetation.Render();
            g_device->EndScene();
        }
}
} // namespace

int FuzzFadingVegetation(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    if (g_windowsData)
        g_windowsData->m_Settings.Detail = 2;
    ScratchFile input(fuzzworld::DataDir() + "Map1.fvf", data, size);
    QV7_FadingVegetation vegetation;
    try
    {
        vegetation.Load(input.Path(), nullptr);
    }
    catch (const CDException&)
    {
        return 0;
    }
    DrawCells(vegetation);
    vegetation.OnLostReset(1);
    vegetation.OnLostReset(0);
    DrawCells(vegetation);
    return 0;
}

std::vector<FuzzSeed> FadingVegetationSeeds()
{
    VegetationLayerRecord grass;
    grass.name = "grass";
    for (int i = 0; i < 40; ++i)
        AddPlantBillboard(grass, 3000.0f + 37.0f * float(i), 0.0f, 3000.0f + 23.0f * float(i % 7), 10, 20,
                          0xFFFFFFFF, 0, 1);
    VegetationLayerRecord stones;
    stones.name = "stones";
    stones.kind = 1;
    stones.verticesPerInstance = 3;
    stones.instanceIndices = {0, 1, 2, 0, 2, 1};
    for (int i = 0; i < 10; ++i)
        AddMeshInstance(stones, {{3000.0f + 50.0f * float(i), 0, 3000, 0xFF808080, 0, 0},
                                 {3020.0f + 50.0f * float(i), 0, 3000, 0xFF808080, 1, 0},
                                 {3010.0f + 50.0f * float(i), 15, 3005, 0xFF808080, 0, 1}});
    return {{"grass_and_stones.fvf", BuildFadingVegetationFile({grass, stones}).Bytes()},
            {"no_layers.fvf", BuildFadingVegetationFile({}).Bytes()}};
}
