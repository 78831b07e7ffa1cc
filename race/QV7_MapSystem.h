// One race session: every per-map object of the island being raced (the
// landscape itself is the global one), the racers' physics group, the
// countdown and the session flags. QV7_MapSystem::Load builds it on the heap,
// publishes it in g_mapSystem and reads the island's files behind the loading
// page; QV7_MapSystem::EndSession tears it down again.
#pragma once

#include "engine/QV7_TextureList.h"

#include "world/SceneryShapes.h"

#include <memory>
#include <string>
#include <vector>

class QV7_Buggy;
class QV7_DataBase_MeshObject;
class QV7_Checkpoint;
class QV7_Joysticks;
class QV7_Menu_hWnd;
class QV7_Mesh_StaticObjects;
class QV7_PathFollowing;
class QV7_MapSystem;
class QV7_PhysicsGroup;
class QV7_RenderSurface;
class QV7_ShadowMap;
class QV7_SkyDome;
class QV7_Teleporters;
class QV7_TreeVegetation;
class QV7_WaypointList;
class QV7_EffectsList;
class QV7_EffectsListMap;
class QV7_Water;
class QV7_ZephyrionItems;
class QV7_ShoreLines;
class QV7_FadingVegetation;
struct GameSettings;
struct MapRecord;

enum RaceMode
{
    RACE_MODE_CHAMPIONSHIP = 0,
    RACE_MODE_TIME_TRIAL = 1,
    RACE_MODE_QUICK_RACE = 2,
    RACE_MODE_TUTORIAL = 3,
};

// The item objects of a racer's mounted parts, as a race hands them to its
// driver: the tutorial build's own list, else its configuration's.
std::vector<const QV7_DataBase_MeshObject*> PartItems(const QV7_Buggy& buggy);

// What loading asks of parts of the race built elsewhere; each hook is
// skipped when it is not set.
struct MapSystemHooks
{
    void (*attachPlayerController)(QV7_Buggy& buggy) = nullptr;
    void (*attachAIController)(QV7_Buggy& buggy, int racerIndex) = nullptr;
    // Sees every loading caption with the progress bar value it is drawn under.
    void (*onLoadingText)(const char* text, int progress) = nullptr;
    // The frame time the fades advance by; the frame manager's last frame when not set.
    float (*frameMs)() = nullptr;
    // The session end's pages: the advert after the first championship race,
    // the finale's won screen and credits, and the best time of the last race.
    void (*showAdvertPage)() = nullptr;
    // Unset: the finale's own pages (RunFinaleScreens).
    void (*runFinaleScreens)(QV7_MapSystem& session) = nullptr;
    void (*recordBestTime)(QV7_MapSystem& session) = nullptr;
    // The race's parts joined up once the island is loaded, and let go
    // again first thing at the session end.
    void (*sessionStart)(QV7_MapSystem& session) = nullptr;
    void (*sessionEnd)(QV7_MapSystem& session) = nullptr;
};

class QV7_MapSystem
{
  public:
    static constexpr int kReleaseFlagCount = 5;
    static constexpr float kCountdownMs = 4000.0f;
    // The tutorial whose race has computer drivers.
    static constexpr int kFourRacerTutorial = 3;

    // Builds a session and loads island mapNumber for it. A broken or missing
    // island file ends the load: everything loaded so far is torn down, the
    // failure is logged and null comes back, so the caller returns to the menus.
    static QV7_MapSystem* Load(int alreadyWon, int mapNumber, int callingPage, MapRecord* mapRecord,
                               RaceMode mode, int raceIndex);
    // Closes the session: the menus' filtering, the advert page, the finale
    // after the last championship race was won, the loading page faded in,
    // then every member destroyed behind the progress bar; clears
    // g_mapSystem and frees the session. Null is ignored.
    static void EndSession(QV7_MapSystem* session);

    // The race itself, until it ends, the player leaves or the game quits;
    // the won flag tells the caller how it went.
    static void RunRace(QV7_MapSystem& session);
    // One race-logic and scene frame into the pause surface (the frozen
    // picture behind the in-race pages); the race moves on one step.
    static void RenderFrameNoHud(QV7_MapSystem& session);
    // The grid line (release flag index) a racer waits for: the first two
    // racers the first flag, then one line each, the sixth and later the fifth.
    static int ReleaseFlagIndex(int racerIndex);
    // A racer may drive: its grid line has been released.
    bool Released(int racerIndex) const { return releaseFlags[ReleaseFlagIndex(racerIndex)] == 0; }

    // Device loss (1) or recreation (0) of the session's device-bound members.
    void OnLostReset(int lost);
    // Once a frame: when the current music piece has ended the other one starts.
    void UpdateMusic();

    // The in-race pages, each a modal loop over the frozen race picture. The
    // escape menu returns 0 to resume, 1 to leave the race, 2 after a restart;
    // the sound page 0 for the controls page, -1 to go back; the controls page
    // 1 for the sound page, -1 to go back. The pause screen shows control
    // (may be null) until a click or key ends it, and returns 1.
    int RunEscMenu();
    void RunOptionsMenu();
    int RunSoundMenu();
    int RunControlsMenu();
    int RunPauseScreen(QV7_Menu_hWnd* control);

    // The championship race whose first win plays the finale: the last of
    // the maps database's championship list (race 19 with a full list of 20).
    static int FinalChampionshipRace();

    // Racers and computer drivers a mode races with.
    static int RacerCount(RaceMode mode, int raceIndex);
    static int ComputerDriverCount(RaceMode mode, int raceIndex) { return RacerCount(mode, raceIndex) - 1; }

    // One frame of each fade: the new level for a frame of frameMs.
    static float FadeOutStep(float level, float frameMs);
    static float FadeInStep(float level, float frameMs);
    static float FinalFadeStep(float level, float frameMs);
    // The controller named by the settings becomes the selected joystick;
    // with none connected the keyboard is used and "0" is saved as Device.
    static void CheckController(GameSettings& settings, QV7_Joysticks& joysticks, const std::string& iniPath);
    // Samplers for the race from the settings; returns the anti-aliasing level for the next reset.
    static int ApplyRaceTextureFiltering(const GameSettings& settings);
    // Resets the device to a back buffer of width x height (in full screen;
    // a window keeps its client size), which also applies the anti-aliasing
    // wished for the next reset. The race switches to its resolution and the
    // session's end back to the menus' 800 x 600.
    static void ResizeBackBuffer(int width, int height);

    static MapSystemHooks s_Hooks;

    // The end pages over the frozen race picture, until "IDOK" or Enter, then
    // a fade-out: the time trial's best times, or the results table with the
    // prizes (the won flag is set when the player is first).
    static void ShowTimeTrialResults(QV7_MapSystem* session);
    static void ShowRaceResults(QV7_MapSystem* session);
    // The race picture without the HUD into the pause surface; the end pages
    // draw it first and after a device reset.
    static void (*s_RenderFrameNoHud)(QV7_MapSystem& session);
    // The player's place judged now (more laps, checkpoints, less distance);
    // a computer-driven player or a lone racer is first.
    int PlayerPlace() const;
    // After the first championship race, when the player is first.
    bool AdvertDue() const;
    // The last championship race, not won before, the player first.
    bool FinaleDue() const;
    // Won flag, the finale's pages, the prize and the race's best time.
    void PlayFinale();

    RaceMode mode = RACE_MODE_CHAMPIONSHIP;
    int raceIndex = 0;
    int alreadyWon = 0;
    QV7_TextureList mapTextures;
    int won = 0;
    int callingPage = 0;
    std::unique_ptr<QV7_SkyDome> skyDome;
    std::unique_ptr<QV7_Water> water;
    std::unique_ptr<QV7_PhysicsGroup> physicsGroup;
    std::unique_ptr<QV7_Mesh_StaticObjects> staticObjects;
    std::unique_ptr<QV7_TreeVegetation> trees;
    std::unique_ptr<QV7_PathFollowing> pathFollowing;
    std::unique_ptr<QV7_WaypointList> waypoints;
    // The global (Map-1.efx) and map (Map%d.efx) effect libraries and the live effects.
    std::unique_ptr<QV7_EffectsList> globalEffects;
    std::unique_ptr<QV7_EffectsList> mapEffects;
    std::unique_ptr<QV7_EffectsListMap> liveEffects;
    std::unique_ptr<QV7_Teleporters> teleporters;
    std::unique_ptr<QV7_ShadowMap> shadowMap;
    std::unique_ptr<QV7_Checkpoint> checkpoints;
    std::unique_ptr<QV7_ZephyrionItems> items;
    std::unique_ptr<QV7_ShoreLines> shoreLines;
    std::unique_ptr<QV7_FadingVegetation> vegetation;
    int sceneryHold = 0;
    QV7_Buggy* playerRacer = nullptr;
    // The racer the cameras follow: the player's unless the debug console switches it.
    QV7_Buggy* viewedBuggy = nullptr;
    int releaseFlags[kReleaseFlagCount] = {1, 1, 1, 1, 1};
    float countdown = kCountdownMs;
    MapRecord* mapRecord = nullptr;
    int countdownDisplay = 0;
    QV7_RenderSurface* pauseSurface = nullptr;
    int musicFlag = 1;
    int playerPosition = 0;
    int deviceReset = 0;
    int frozenTime = 0;
    int mapNumber = 0;
    // Set when Load got to the end: a half-loaded session shows no end pages.
    int loaded = 0;

    ~QV7_MapSystem();

  private:
    QV7_MapSystem() = default;
    void Construct();
    void LoadFiles();
    void LoadPhysics();
    void LoadCheckpoints();
    void LoadEffects();
    // The physics group's space and geom list, where the scenery's static geoms go.
    StaticGeomSink SceneryGeomSink() const;
    // The player's driver on racer 0, computer drivers on the others.
    void AttachDrivers();
    void SetLight() const;
    static void Step(int progress, const char* caption);
    void TearDown();
};

// One frame of the loading page with text as its caption line.
void DrawLoadingText(const char* text);

extern QV7_MapSystem* g_mapSystem;
