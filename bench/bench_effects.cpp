// The CPU time of one effect tick and one effects draw of a full race's live
// effects on the null back-end: six racers, each with its four wheel dusts,
// two exhausts, two turbo flames, broken smoke, shield and chain-gun flash
// playing, plus the island's placed effects, after three seconds of play.
#include "bench/BenchEngine.h"
#include "effects/QV7_EffectsList.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/io/BinaryReader.h"
#include "tools/demo/DemoEffects.h"
#include "tools/writers/EffectLibraryWriter.h"

#include <benchmark/benchmark.h>

namespace
{
struct RaceEffects
{
    RaceEffects()
    {
        for (int32_t id : DemoEffectPictureIds())
        {
            TextureRecord* record = textures.Append();
            record->m_CompileId = uint32_t(id);
            g_device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture,
                                    nullptr);
        }
        global.m_Textures = map.m_Textures = &textures;
        BinaryReader globalFile(BuildEffectLibrary(DemoGlobalEffects()).Bytes());
        global.Load(globalFile);
        BinaryReader mapFile(BuildEffectLibrary(DemoIslandEffects(1)).Bytes());
        map.Load(mapFile);
        live.m_GlobalLibrary = &global;
        live.m_MapLibrary = &map;
        BinaryReader placed(BuildPlacedEffects(DemoPlacedEffects(1)).Bytes());
        live.LoadPlacedEffects(placed);
        live.BindSlots();
        for (int r = 0; r < 6; ++r)
            StartRacer(r, D3DXVECTOR3(32768.0f + 300.0f * float(r), 400.0f, 32768.0f));
        g_camera->SetEye(32768.0f, 600.0f, 31500.0f);
        g_camera->SetTarget(32768.0f, 400.0f, 32768.0f);
        g_camera->UpdateView();
        for (int frame = 0; frame < 90; ++frame)
            live.Update(33.0f);
    }
    ~RaceEffects()
    {
        live.m_Instances.Clear();
        textures.FreeAll();
    }
    void StartRacer(int r, const D3DXVECTOR3& at)
    {
        positions[r] = at;
        for (int k = 0; k < 2; ++k)
        {
            live.m_RacerEffects[r][k] = live.CreateInstanceByName("Exhaust", 1);
            live.m_RacerEffectsB[r][k] = live.CreateInstanceByName("Turbo", 1);
        }
        for (EffectInstance* slot :
             {live.m_WheelDust[r][0], live.m_WheelDust[r][1], live.m_WheelDust[r][2], live.m_WheelDust[r][3],
              live.m_RacerEffects[r][0], live.m_RacerEffects[r][1], live.m_RacerEffectsB[r][0],
              live.m_RacerEffectsB[r][1], live.m_BrokenEffect[r], live.m_ShieldEffect[r],
              live.m_ChainEffect[r]})
        {
            slot->m_Active = 1;
            slot->m_Hidden = 0;
            slot->m_FollowOwner = 1;
            slot->m_OwnerPosition = &positions[r];
        }
    }
    QV7_TextureList textures;
    QV7_EffectsList global, map;
    QV7_EffectsListMap live;
    D3DXVECTOR3 positions[6];
};

void BM_EffectTick(benchmark::State& state)
{
    BenchEngine bench(win::Backend::Null);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    RaceEffects race;
    for (auto _ : state)
    {
        race.live.Update(20.5f); // one 20 ms tick of everything
        gfx::null::ClearCalls();
    }
    state.counters["instances"] = double(race.live.m_Instances.Count());
}
BENCHMARK(BM_EffectTick)->Unit(benchmark::kMicrosecond);

void BM_EffectDraw(benchmark::State& state)
{
    BenchEngine bench(win::Backend::Null);
    if (!bench.ready)
    {
        state.SkipWithError("no engine");
        return;
    }
    RaceEffects race;
    // The null device records every call; the record is emptied each frame
    // as the frame loop's present would leave it.
    for (auto _ : state)
    {
        race.live.Render();
        gfx::null::ClearCalls();
    }
}
BENCHMARK(BM_EffectDraw)->Unit(benchmark::kMicrosecond);
} // namespace
