#include "race/QV7_MapSystem.h"

#include "effects/QV7_EffectsList.h"
#include "effects/QV7_EffectsListMap.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_ShadowMap.h"
#include "gui/MenuPage.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "media/KeyBindings.h"
#include "media/QV7_Input.h"
#include "media/QV7_Joysticks.h"
#include "media/QV7_SoundSystem.h"
#include "platform/win/Ini.h"
#include "race/BuggyConfiguration.h"
#include "race/PathCarryRacer.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Checkpoint.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_Rotation.h"
#include "race/QV7_Teleporters.h"
#include "race/QV7_WaypointList.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"
#include "world/LandscapeMapFile.h"
#include "world/MapRecord.h"
#include "world/QV7_FadingVegetation.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_ShoreLines.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_TreeVegetation.h"
#include "world/QV7_Water.h"
#include "world/QV7_ZephyrionItems.h"

#include <cmath>
#include <cstring>
#include <vector>

QV7_MapSystem* g_mapSystem = nullptr;
MapSystemHooks QV7_MapSystem::s_Hooks;

namespace
{
constexpr int kLoadingPage = 0;

std::string MapFile(const char* format, int mapNumber)
{
    char name[64];
    std::snprintf(name, sizeof name, format, mapNumber);
    return g_dataDir + name;
}

GameSettings* Settings()
{
    return g_windowsData ? &g_windowsData->m_Settings : nullptr;
}

int MusicVolumeSetting()
{
    const GameSettings* settings = Settings();
    return settings ? settings->MusicVolume : 0;
}

// The page of the menus shown under a fade or the loading caption.
void ShowPage(int pageIndex, int cursorFlag)
{
    if (!g_menuManager)
        return;
    g_menuManager->m_CurrentPage = pageIndex;
    g_menuManager->m_CursorFlag = cursorFlag;
}

void BeginPageFrame()
{
    if (g_input)
        g_input->Poll();
    if (g_menuManager)
        g_menuManager->UpdateCurrentPage();
    g_frameManager->BeginFrame();
    if (g_menuManager)
        g_menuManager->RenderCurrentPage();
}

// One frame of a fade over the current page; false when the game is to end.
bool FadeFrame(float level)
{
    const FrameResult gate = PumpFrame();
    if (gate == FRAME_QUIT)
        return false;
    if (gate == FRAME_SKIP)
        return true;
    BeginPageFrame();
    if (g_screen2D)
    {
        g_screen2D->Begin2D();
        g_screen2D->DrawFade(int(level));
        g_screen2D->End2D();
    }
    g_frameManager->EndFrame();
    return true;
}

float FrameMs()
{
    if (QV7_MapSystem::s_Hooks.frameMs)
        return QV7_MapSystem::s_Hooks.frameMs();
    return g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
}

int MusicVolumeAt(float level)
{
    const int music = MusicVolumeSetting();
    if (music == 0)
        return -10000;
    return int(level / 255.0f * float(music) - 100.0f) * 50;
}

// Runs a fade from level until step brings it to target; the second music
// piece follows the level down when asked.
void RunFade(float level, float target, float (*step)(float, float), bool musicFollows)
{
    if (!g_frameManager)
        return;
    while (level != target)
    {
        if (musicFollows && g_soundSystem)
            g_soundSystem->SetVolume(g_soundSystem->m_MusicB, MusicVolumeAt(level));
        if (!FadeFrame(level))
            return;
        level = step(level, FrameMs());
    }
}

void SetProgress(int progress)
{
    if (!g_menuManager)
        return;
    ShowPage(kLoadingPage, 0);
    auto* bar = dynamic_cast<QV7_Menu_Progress*>(g_menuManager->FindControl("IDPROGRESSBAR", kMenuAnyType));
    if (bar)
        bar->m_Value = float(progress);
}

// The map record's picture of the given slot from the item database's
// list, read from Textures2.qvx when it is not there (or was released).
TextureRecord* MapPicture(MapRecord& map, int slot)
{
    const uint32_t id = map.textureIds[slot];
    if (!g_itemTextures || id == 0)
        return map.textures[slot];
    TextureRecord* found = g_itemTextures->FindByCompileId(id);
    if (!found || !found->m_Texture)
    {
        const int32_t wanted = int32_t(id);
        g_itemTextures->LoadBuggyTextures(g_dataDir + "Textures2.qvx", &wanted, 1);
        for (int i = g_itemTextures->Count() - 1; i >= 0 && (!found || !found->m_Texture); --i)
            if (g_itemTextures->At(i)->m_CompileId == id)
                found = g_itemTextures->At(i);
    }
    map.textures[slot] = found;
    return found;
}

// The loading page's background and the HUD minimap from the map record.
void PrepareLoadingPage(MapRecord* map)
{
    if (!g_menuManager)
        return;
    if (map)
    {
        if (MenuPage* loading = g_menuManager->FindPage("ID_LOADING_GAME"))
            loading->m_BackgroundOverride = MapPicture(*map, MAP_PICTURE_LOADING);
        const int hud = g_menuManager->FindPageIndex("ID_HUD");
        if (hud >= 0)
        {
            g_menuManager->m_CurrentPage = hud;
            if (auto* minimap =
                    dynamic_cast<QV7_Menu_Picture*>(g_menuManager->FindControl("IDMINIMAP", kMenuAnyType)))
                minimap->m_Picture = MapPicture(*map, MAP_PICTURE_MINIMAP);
            MapPicture(*map, MAP_PICTURE_MARKER);
        }
    }
    g_menuManager->m_CurrentPage = g_menuManager->FindPageIndex("ID_LOADING_GAME");
    g_menuManager->m_CursorFlag = 0;
    auto* bar = dynamic_cast<QV7_Menu_Progress*>(g_menuManager->FindControl("IDPROGRESSBAR", kMenuAnyType));
    if (bar)
        bar->m_Value = 0.0f;
}

void SetSamplers(DWORD mag, DWORD min, DWORD mip, DWORD anisotropy)
{
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, mag);
        g_device->SetSamplerState(sampler, D3DSAMP_MINFILTER, min);
        g_device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, mip);
    }
    for (DWORD sampler = 0; sampler < 4; ++sampler)
        g_device->SetSamplerState(sampler, D3DSAMP_MAXANISOTROPY, anisotropy);
}

void SetAnisotropic(const D3DCAPS9& caps, DWORD anisotropy)
{
    const DWORD mag =
        (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
    const DWORD min =
        (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC) ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR;
    SetSamplers(mag, min, D3DTEXF_LINEAR, anisotropy);
}
// ---- the session's answers to the physics group ----

int SessionRaceMode()
{
    return g_mapSystem ? int(g_mapSystem->mode) : 0;
}

int SessionTutorialIndex()
{
    return g_mapSystem ? g_mapSystem->raceIndex : 0;
}

// Until the island's checkpoints give the start: the first waypoint of the
// island's path, facing the second, a little above the ground.
bool WaypointStartPose(StartGridPose* pose)
{
    if (!g_mapSystem || !g_landscape)
        return false;
    QV7_WaypointList* published = g_waypointList;
    bool found = false;
    try
    {
        QV7_WaypointList path;
        path.Load(MapFile("Map%d.wap", g_mapSystem->mapNumber));
        const WaypointRecord* first = path.Waypoint(0);
        if (first && first->next)
        {
            pose->position = first->position;
            pose->yaw = std::atan2(first->next->position.x - first->position.x,
                                   first->next->position.z - first->position.z);
            pose->position.y = g_landscape->GetHeight(pose->position.x, pose->position.z) + 40.0f;
            found = true;
        }
    }
    catch (const CDException&)
    {
        // The path's own load at its step reports the broken file.
    }
    g_waypointList = published;
    return found;
}

void SessionLostReset(int lost)
{
    if (g_mapSystem)
        g_mapSystem->OnLostReset(lost);
}
} // namespace

std::vector<const QV7_DataBase_MeshObject*> PartItems(const QV7_Buggy& buggy)
{
    std::vector<const QV7_DataBase_MeshObject*> items;
    const QV7_BuggyMeshSystem* db = QV7_Buggy::s_items ? QV7_Buggy::s_items
                                    : g_itemDatabase   ? &g_itemDatabase->meshSystem
                                                       : nullptr;
    if (!db)
        return items;
    const QV7_Collection<MountedPart>& parts = buggy.configuration ? buggy.configuration->parts : buggy.parts;
    for (const MountedPart* part : parts)
        if (const QV7_DataBase_MeshObject* item = db->Item(part->item))
            items.push_back(item);
    return items;
}

// ---- loading ----

QV7_MapSystem* QV7_MapSystem::Load(int alreadyWon, int mapNumber, int callingPage, MapRecord* mapRecord,
                                   RaceMode mode, int raceIndex)
{
    // The session is far too big for a caller's stack.
    auto* session = new QV7_MapSystem();
    session->mode = mode;
    session->raceIndex = raceIndex;
    session->alreadyWon = alreadyWon;
    session->mapRecord = mapRecord;
    session->mapNumber = mapNumber;
    try
    {
        session->Construct();
        ShowPage(callingPage, 1);
        RunFade(255.0f, 0.0f, &FadeOutStep, true);
        if (g_soundSystem)
            g_soundSystem->StopSound(g_soundSystem->m_MusicB);
        PrepareLoadingPage(mapRecord);
        ShowPage(kLoadingPage, 0);
        RunFade(0.0f, 255.0f, &FadeInStep, false);
        session->LoadFiles();
        if (s_Hooks.sessionStart)
            s_Hooks.sessionStart(*session);
        session->callingPage = callingPage;
        Step(100, "Done...");
        if (GameSettings* settings = Settings())
        {
            const int antiAliasing = ApplyRaceTextureFiltering(*settings);
            if (g_engine)
                g_engine->m_MultisampleWish = antiAliasing;
            if (g_joysticks)
                CheckController(*settings, *g_joysticks, g_programDir + "Settings.ini");
        }
        session->playerPosition = 1;
        ShowPage(kLoadingPage, 0);
        RunFade(255.0f, 0.0f, &FinalFadeStep, false);
        session->loaded = 1;
    }
    catch (const CDException&)
    {
        QV7_Logger::Log(g_logger, "ERROR: Race Loading of Map %d failed, back to the menus", mapNumber);
        EndSession(session);
        return nullptr;
    }
    return session;
}

void QV7_MapSystem::Construct()
{
    mapTextures.Init();
    skyDome = std::make_unique<QV7_SkyDome>();
    water = std::make_unique<QV7_Water>();
    physicsGroup = std::make_unique<QV7_PhysicsGroup>();
    waypoints = std::make_unique<QV7_WaypointList>();
    teleporters = std::make_unique<QV7_Teleporters>();
    shadowMap = std::make_unique<QV7_ShadowMap>();
    shadowMap->Create();
    items = std::make_unique<QV7_ZephyrionItems>();
    shoreLines = std::make_unique<QV7_ShoreLines>();
    vegetation = std::make_unique<QV7_FadingVegetation>();
    vegetation->m_RaceIndex = raceIndex;
    QV7_ZephyrionItems::s_CurrencyCounter = [](int racer) -> int*
    { return g_profiles && racer >= 0 && racer < 6 ? &g_profiles->words[racer] : nullptr; };
    frozenTime = 0;
    deviceReset = 0;
    countdown = kCountdownMs;
    musicFlag = 1;
    won = 0;
    countdownDisplay = 0;
    g_mapSystem = this;
    g_raceSessionLostReset = &SessionLostReset;
    sceneryHold = 0;
    pauseSurface = nullptr;
    for (int& flag : releaseFlags)
        flag = 1;
}

void QV7_MapSystem::Step(int progress, const char* caption)
{
    SetProgress(progress);
    if (s_Hooks.onLoadingText)
        s_Hooks.onLoadingText(caption, progress);
    DrawLoadingText(caption);
}

void QV7_MapSystem::LoadFiles()
{
    Step(10, "Cleaning up memory...");
    if (g_menuManager)
    {
        // The race draws the HUD page's pictures; the map's own three stay loaded.
        g_menuManager->MarkPageTexturesUsed(g_menuManager->FindPageIndex("ID_HUD"));
        RaceMapPictures pictures;
        if (mapRecord)
        {
            pictures.m_Loading = mapRecord->textures[MAP_PICTURE_LOADING];
            pictures.m_Minimap = mapRecord->textures[MAP_PICTURE_MINIMAP];
            pictures.m_MinimapDot = mapRecord->textures[MAP_PICTURE_MARKER];
        }
        g_menuManager->SwapTextureSet(1, 0, 0.0f, &pictures);
    }
    Step(15, "Loading Textures...");
    mapTextures.LoadMapTextures(MapFile("Map%d.tex", mapNumber), g_dataDir + "Textures2.qvx", nullptr);
    Step(55, "Loading Landscape...");
    if (g_landscape)
    {
        LoadLandscapeMap(*g_landscape, g_dataDir, mapNumber, &mapTextures);
        SetLight();
    }
    Step(59, "Loading Effects...");
    LoadEffects();
    Step(60, "Loading Physics...");
    LoadPhysics();
    Step(65, "Loading Static Objects...");
    staticObjects = std::make_unique<QV7_Mesh_StaticObjects>();
    staticObjects->Load(MapFile("Map%d.sob", mapNumber), g_device, &mapTextures, SceneryGeomSink());
    Step(70, "Loading Fading Vegetation...");
    vegetation->Load(MapFile("Map%d.fvf", mapNumber), &mapTextures);
    Step(75, "Loading CheckPoints..."); // the checkpoints, then the start grid at the finish
    LoadCheckpoints();
    physicsGroup->PlaceOnStartGrid();
    Step(77, "Loading Music...");
    if (g_soundSystem)
        g_soundSystem->LoadMapSounds(mapNumber);
    Step(80, "Loading Shadows...");
    Step(82, "Loading Trees...");
    trees = std::make_unique<QV7_TreeVegetation>();
    trees->Load(MapFile("MapT%d.trs", mapNumber), g_device, &mapTextures, SceneryGeomSink());
    Step(84, "Loading Path Nodes...");
    pathFollowing = std::make_unique<QV7_PathFollowing>();
    pathFollowing->Load(MapFile("Map%d.pf", mapNumber), g_device, &mapTextures, SceneryGeomSink());
    InstallSessionPathHooks(nullptr);
    Step(85, "Loading Path Nodes...");
    waypoints->Load(MapFile("Map%d.wap", mapNumber));
    Step(86, "Loading Teleporters...");
    teleporters->Load(MapFile("Map%d.tel", mapNumber));
    Step(87, "Loading Zephyrion Items..."); // Map%d.zph items, Map%d.ssh shorelines
    items->Load(MapFile("Map%d.zph", mapNumber), &mapTextures);
    shoreLines->Load(MapFile("Map%d.ssh", mapNumber), &mapTextures);
    Step(90, "...");
}

void QV7_MapSystem::LoadCheckpoints()
{
    checkpoints = std::make_unique<QV7_Checkpoint>();
    checkpoints->Load(MapFile("Map%d.chk", mapNumber), &mapTextures);
    // The finish's pose is the start grid's; it takes over from the waypoint stand-in.
    if (!QV7_PhysicsGroup::s_Hooks.findStartPose ||
        QV7_PhysicsGroup::s_Hooks.findStartPose == &WaypointStartPose)
        QV7_PhysicsGroup::s_Hooks.findStartPose = &QV7_Checkpoint::FindLoadedStartPose;
}

int QV7_MapSystem::RacerCount(RaceMode mode, int raceIndex)
{
    switch (mode)
    {
    case RACE_MODE_CHAMPIONSHIP:
        return 6;
    case RACE_MODE_QUICK_RACE:
        return 2;
    case RACE_MODE_TUTORIAL:
        return raceIndex == kFourRacerTutorial ? 4 : 1;
    case RACE_MODE_TIME_TRIAL:
    default:
        return 1;
    }
}

void QV7_MapSystem::LoadEffects()
{
    // Effects attached to a racer's body turn with its chassis.
    g_effectOwnerRotation = [](const QV7_Buggy* owner, D3DXMATRIX* rotation)
    {
        const dBodyID chassis = owner ? owner->ChassisBody() : nullptr;
        if (!chassis)
            return false;
        OdeRotationToMatrix(rotation, dBodyGetRotation(chassis));
        return true;
    };
    globalEffects = std::make_unique<QV7_EffectsList>();
    globalEffects->m_Textures = g_itemTextures;
    globalEffects->Load(g_dataDir + "Map-1.efx");
    mapEffects = std::make_unique<QV7_EffectsList>();
    mapEffects->m_Textures = &mapTextures;
    mapEffects->Load(MapFile("Map%d.efx", mapNumber), true);
    liveEffects = std::make_unique<QV7_EffectsListMap>();
    liveEffects->m_GlobalLibrary = globalEffects.get();
    liveEffects->m_MapLibrary = mapEffects.get();
    liveEffects->Load(MapFile("Map%d.efm", mapNumber));
}

StaticGeomSink QV7_MapSystem::SceneryGeomSink() const
{
    StaticGeomSink sink;
    if (physicsGroup)
        sink.space = physicsGroup->staticSpace, sink.geoms = &physicsGroup->geoms;
    return sink;
}

void QV7_MapSystem::LoadPhysics()
{
    if (!QV7_PhysicsGroup::s_Hooks.raceMode)
        QV7_PhysicsGroup::s_Hooks.raceMode = &SessionRaceMode;
    if (!QV7_PhysicsGroup::s_Hooks.tutorialIndex)
        QV7_PhysicsGroup::s_Hooks.tutorialIndex = &SessionTutorialIndex;
    if (!QV7_PhysicsGroup::s_Hooks.findStartPose)
        QV7_PhysicsGroup::s_Hooks.findStartPose = &WaypointStartPose;
    physicsGroup->CreateWorld(RacerCount(mode, raceIndex));
    if (physicsGroup->racers.Count() == 0)
        return;
    playerRacer = physicsGroup->racers[0];
    viewedBuggy = playerRacer;
    AttachDrivers();
}

void QV7_MapSystem::AttachDrivers()
{
    if (s_Hooks.attachPlayerController)
        s_Hooks.attachPlayerController(*playerRacer);
    else
    {
        // The first two lessons teach driving before the turbo.
        const bool noTurbo = mode == RACE_MODE_TUTORIAL && raceIndex <= 1;
        QV7_Buggy::AttachPlayerController(*playerRacer, PartItems(*playerRacer), noTurbo);
    }
    for (int i = 1; i < physicsGroup->racers.Count(); ++i)
    {
        QV7_Buggy& racer = *physicsGroup->racers[i];
        if (s_Hooks.attachAIController)
            s_Hooks.attachAIController(racer, i);
        else
            QV7_Buggy::AttachAIController(racer, PartItems(racer));
    }
}

void QV7_MapSystem::SetLight() const
{
    if (!g_device || !g_landscape)
        return;
    g_device->SetLight(0, &g_landscape->m_Light);
    g_device->LightEnable(0, TRUE);
}

// ---- fades ----

float QV7_MapSystem::FadeOutStep(float level, float frameMs)
{
    if (frameMs == 0.0f)
        frameMs = 1.0f;
    level -= 0.1f * frameMs;
    return level < 0.0f ? 0.0f : level;
}

float QV7_MapSystem::FadeInStep(float level, float frameMs)
{
    level += frameMs > 100.0f ? 0.1f : 0.1f * frameMs;
    // A frame time of 0 would never finish the fade.
    if (frameMs <= 0.0f)
        level += 0.1f;
    return level > 255.0f ? 255.0f : level;
}

float QV7_MapSystem::FinalFadeStep(float level, float frameMs)
{
    if (frameMs >= 1000.0f)
        return level;
    level -= 0.1f * (frameMs <= 0.0f ? 1.0f : frameMs);
    return level < 0.0f ? 0.0f : level;
}

// ---- settings ----

int QV7_MapSystem::ApplyRaceTextureFiltering(const GameSettings& settings)
{
    if (!g_device)
        return 0;
    D3DCAPS9 caps{};
    g_device->GetDeviceCaps(&caps);
    int antiAliasing = 0;
    if (settings.Detail == -1)
    {
        if (settings.FSAF == 0)
            SetSamplers(D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 1);
        else
            SetAnisotropic(caps, DWORD(settings.FSAF));
        antiAliasing = settings.FSAA;
    }
    else
        SetSamplers(D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_LINEAR, 1);
    if (settings.Detail == 4)
    {
        SetAnisotropic(caps, 2);
        antiAliasing = 2;
    }
    return antiAliasing;
}

void QV7_MapSystem::CheckController(GameSettings& settings, QV7_Joysticks& joysticks,
                                    const std::string& iniPath)
{
    int found = NO_JOYSTICK_SELECTED;
    for (int i = 0; i < joysticks.m_Devices.Count(); ++i)
        if (joysticks.m_Devices[i]->m_Instance.productName == settings.ControllerDevice)
            found = i;
    if (found != NO_JOYSTICK_SELECTED)
    {
        joysticks.Select(found);
        return;
    }
    joysticks.Select(NO_JOYSTICK_SELECTED);
    if (std::strcmp(settings.ControllerDevice, "0") != 0)
    {
        ResetKeyBindings();
        SaveKeyBindings();
    }
    std::strcpy(settings.ControllerDevice, "0");
    win::WritePrivateProfileStringA("Controller", "Device", "0", iniPath);
}

// ---- running ----

void DrawLoadingText(const char* text)
{
    if (!g_frameManager)
        return;
    ShowPage(kLoadingPage, 0);
    QV7_Menu_hWnd* control =
        g_menuManager ? g_menuManager->FindControl("IDLOADINGTEXT", kMenuAnyType) : nullptr;
    BeginPageFrame();
    auto* caption = dynamic_cast<QV7_Menu_Caption*>(control);
    if (caption && caption->m_Font)
        DrawFontText(caption->m_Font->m_Font, 200.0f, float(caption->m_Top + 2), caption->m_Colour, text, 0);
    g_frameManager->EndFrame();
}

void QV7_MapSystem::UpdateMusic()
{
    if (!g_soundSystem)
        return;
    SoundEntry* current = musicFlag ? g_soundSystem->m_MusicA : g_soundSystem->m_MusicB;
    SoundEntry* next = musicFlag ? g_soundSystem->m_MusicB : g_soundSystem->m_MusicA;
    if (g_soundSystem->KeepPlaying(current))
        return;
    const int music = MusicVolumeSetting();
    g_soundSystem->SetVolume(next, music == 0 ? -10000 : (music - 100) * 50);
    g_soundSystem->PlaySound(next, false);
    musicFlag = musicFlag ? 0 : 1;
}

void QV7_MapSystem::OnLostReset(int lost)
{
    // Fading vegetation, trees, track items and the two effect libraries come
    // before the shadow map, and the shorelines after it, once they exist.
    for (QV7_EffectsList* library : {globalEffects.get(), mapEffects.get()})
        if (library)
            library->OnLostReset(lost);
    if (vegetation)
        vegetation->OnLostReset(lost);
    if (items)
        items->OnLostReset(lost);
    if (trees)
        trees->OnLostReset(lost);
    if (shadowMap)
        shadowMap->OnLostReset(lost);
    if (shoreLines)
        shoreLines->OnLostReset(lost);
    if (lost == 1)
        return;
    SetLight();
    deviceReset = 1;
}

// ---- teardown ----

QV7_MapSystem::~QV7_MapSystem()
{
    if (g_mapSystem == this)
    {
        g_mapSystem = nullptr;
        g_raceSessionLostReset = nullptr;
    }
    if (QV7_PhysicsGroup::s_Hooks.findStartPose == &WaypointStartPose)
        QV7_PhysicsGroup::s_Hooks.findStartPose = nullptr;
    waypoints.reset();
    checkpoints.reset();
    items.reset();
    shoreLines.reset();
    vegetation.reset();
    pathFollowing.reset();
    trees.reset();
    staticObjects.reset();
    physicsGroup.reset();
    liveEffects.reset();
    g_effectOwnerRotation = nullptr;
    mapEffects.reset();
    globalEffects.reset();
    if (shadowMap)
        shadowMap->Destroy();
    shadowMap.reset();
    water.reset();
    skyDome.reset();
    mapTextures.Destroy();
}
