// The end of a race session: the menus' filtering back, the advert page,
// the championship finale after the last race is won, the loading page
// faded in over the fading race music, and every member destroyed behind
// the progress bar.
#include "race/QV7_MapSystem.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_ShadowMap.h"
#include "gui/MenuPage.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "media/QV7_Input.h"
#include "media/QV7_SoundSystem.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_WaypointList.h"
#include "race/RaceFinale.h"
#include "race/RaceRules.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_MapsSort.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <vector>

namespace
{
// The menus are laid out for 800 x 600 and always run at it.
constexpr int kMenuWidth = 800;
constexpr int kMenuHeight = 600;
constexpr int32_t kFinalePrize = 50000;

bool Quitting()
{
    return g_windowsData && g_windowsData->m_Quit != 0;
}

void Progress(int value, const char* caption)
{
    if (g_menuManager)
    {
        g_menuManager->m_CurrentPage = 0;
        if (auto* bar =
                dynamic_cast<QV7_Menu_Progress*>(g_menuManager->FindControl("IDPROGRESSBAR", kMenuAnyType)))
            bar->m_Value = float(value);
    }
    if (QV7_MapSystem::s_Hooks.onLoadingText)
        QV7_MapSystem::s_Hooks.onLoadingText(caption, value);
    if (!Quitting())
        DrawLoadingText(caption);
}

// The menus' anti-aliasing and filtering, from what the adapter offers.
void RestoreMenuFiltering()
{
    if (!g_engine || !g_device)
        return;
    const int menu = g_engine->m_HighestMultisample;
    g_engine->m_MultisampleWish = menu >= 4 ? 4 : menu == 2 ? 2 : 0;
    D3DCAPS9 caps{};
    g_device->GetDeviceCaps(&caps);
    const DWORD most = caps.MaxAnisotropy;
    const DWORD anisotropy = most >= 4 ? 4 : most == 2 ? 2 : 1;
    const bool aniso = anisotropy > 1;
    const DWORD mag = aniso && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)
                          ? D3DTEXF_ANISOTROPIC
                          : D3DTEXF_LINEAR;
    const DWORD min = aniso && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
                          ? D3DTEXF_ANISOTROPIC
                          : D3DTEXF_LINEAR;
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, mag);
        g_device->SetSamplerState(sampler, D3DSAMP_MINFILTER, min);
        g_device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
    for (DWORD sampler = 0; sampler < 4; ++sampler)
        g_device->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, anisotropy);
}

int MusicVolumeAt(float level)
{
    const int music = g_windowsData ? g_windowsData->m_Settings.MusicVolume : 0;
    if (music == 0)
        return -10000;
    return int((255.0f - level) / 255.0f * float(music) - 100.0f) * 50;
}

float FrameMs()
{
    if (QV7_MapSystem::s_Hooks.frameMs)
        return QV7_MapSystem::s_Hooks.frameMs();
    return g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
}

// The loading page faded in while both race music pieces fade out.
void FadeInLoadingPage()
{
    if (g_menuManager)
    {
        g_menuManager->m_CursorFlag = 0;
        g_menuManager->m_CurrentPage = 0;
        if (auto* bar =
                dynamic_cast<QV7_Menu_Progress*>(g_menuManager->FindControl("IDPROGRESSBAR", kMenuAnyType)))
            bar->m_Value = 0.0f;
    }
    for (float level = 0.0f; level < 255.0f && g_frameManager;)
    {
        if (g_soundSystem)
        {
            g_soundSystem->SetVolume(g_soundSystem->m_MusicA, MusicVolumeAt(level));
            g_soundSystem->SetVolume(g_soundSystem->m_MusicB, MusicVolumeAt(level));
        }
        const FrameResult gate = PumpFrame();
        if (gate == FRAME_QUIT)
            break;
        if (gate == FRAME_RENDER)
        {
            if (g_input)
                g_input->Poll();
            g_frameManager->BeginFrame();
            if (g_menuManager)
                g_menuManager->RenderCurrentPage();
            if (g_screen2D)
            {
                g_screen2D->Begin2D();
                g_screen2D->DrawFade(int(level));
                g_screen2D->End2D();
            }
            g_frameManager->EndFrame();
        }
        const float ms = FrameMs();
        level += 0.1f * (ms > 0.0f ? ms : 1.0f);
    }
    if (g_soundSystem)
    {
        g_soundSystem->StopSound(g_soundSystem->m_MusicA);
        g_soundSystem->StopSound(g_soundSystem->m_MusicB);
    }
}
} // namespace

int QV7_MapSystem::PlayerPlace() const
{
    if (!physicsGroup || physicsGroup->racers.Count() <= 1 || !playerRacer ||
        playerRacer->controllerKind != QV7_Buggy::CONTROLLER_PLAYER)
        return 1;
    std::vector<const QV7_Buggy*> racers(physicsGroup->racers.begin(), physicsGroup->racers.end());
    return race::RacePosition(racers, 0);
}

bool QV7_MapSystem::AdvertDue() const
{
    return loaded && raceIndex == 1 && PlayerPlace() == 1;
}

bool QV7_MapSystem::FinaleDue() const
{
    return loaded && mode == RACE_MODE_CHAMPIONSHIP && raceIndex == FinalChampionshipRace() && !alreadyWon &&
           PlayerPlace() == 1;
}

int QV7_MapSystem::FinalChampionshipRace()
{
    // A championship may have fewer races than the profile's 20 places (the
    // demo's has three); its finale must still be reachable.
    const int listed = g_mapsSort ? g_mapsSort->ListCount(QV7_MapsSort::kChampionshipList) : 0;
    return listed > 0 ? std::min(listed, PROFILE_RACE_COUNT) - 1 : PROFILE_RACE_COUNT - 1;
}

void QV7_MapSystem::PlayFinale()
{
    won = 1;
    if (s_Hooks.runFinaleScreens)
        s_Hooks.runFinaleScreens(*this);
    else
        RunFinaleScreens();
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (profile)
        profile->money += kFinalePrize;
    if (s_Hooks.recordBestTime)
        s_Hooks.recordBestTime(*this);
}

void QV7_MapSystem::EndSession(QV7_MapSystem* session)
{
    if (!session)
        return;
    if (s_Hooks.sessionEnd)
        s_Hooks.sessionEnd(*session);
    if (g_soundSystem)
        g_soundSystem->StopAllWhilePaused();
    if (g_renderSurfaces && session->pauseSurface)
        DeleteRenderSurface(session->pauseSurface);
    session->pauseSurface = nullptr;
    RestoreMenuFiltering();
    ResizeBackBuffer(kMenuWidth, kMenuHeight);
    if (session->AdvertDue() && s_Hooks.showAdvertPage)
        s_Hooks.showAdvertPage();
    if (g_mapSystem == session)
    {
        g_mapSystem = nullptr;
        g_raceSessionLostReset = nullptr;
    }
    if (session->FinaleDue())
        session->PlayFinale();
    if (g_frameManager)
        FadeInLoadingPage();
    session->TearDown();
    delete session;
}

void QV7_MapSystem::TearDown()
{
    Progress(1, "Cleaning Memory...");
    mapTextures.FreeAll();
    Progress(10, "Cleaning Memory...");
    if (g_landscape)
        g_landscape->Unload();
    Progress(20, "Loading menu textures...");
    if (g_menuManager)
        g_menuManager->SwapTextureSet(0, 0, 0.0f, nullptr);
    Progress(80, "Loading menu music...");
    if (g_soundSystem)
        g_soundSystem->LoadMenuSounds();
    if (g_menuManager)
        if (MenuPage* loading = g_menuManager->FindPage("ID_LOADING_GAME"))
            loading->m_BackgroundOverride = nullptr;
    // Tutorial, shorelines, then the shadow map; the effect libraries and
    // the scenery of the other members follow it in their places.
    if (shadowMap)
        shadowMap->Destroy();
    shadowMap.reset();
    waypoints.reset();
    physicsGroup.reset();
    water.reset();
    skyDome.reset();
}
