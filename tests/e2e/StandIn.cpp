#include "tests/e2e/StandIn.h"

#include "engine/QV7_FrameManager.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "race/QV7_Tutorial.h"
#include "race/QV7_TutorialInstall.h"
#include "media/QV7_Input.h"
#include "shell/QV7_Windows.h"

#include <algorithm>

#include <memory>
#include <vector>

namespace e2e
{
namespace
{
struct StandIn
{
    QV7_Buggy* buggy = nullptr;
    std::unique_ptr<QV7_AIController> driver;
    // The computer drivers pace themselves against the viewed racer: level
    // with it they hold back, a lap behind they drive flat out. The stand-in
    // is told it is a lap behind this marker, so it always drives at the
    // computer drivers' own best pace (it never gets more than they can).
    // Made once and kept for the whole run: its count is given back when it
    // is made, so it is never destroyed.
    QV7_Buggy* paceMarker = nullptr;
    StandInReport report;
    bool shieldLatch = false;
};
StandIn g_standIn;
void (*g_gameDrive)(QV7_Buggy&) = nullptr;

// What the race did to the player's driver this frame reaches the stand-in
// (hits, pick-ups), and what the stand-in did goes back where the HUD, the
// contact callback and the weapons read it.
void TakeFromPlayer(const QV7_PlayerController& player, QV7_AIController& driver)
{
    driver.health = player.health;
    driver.energy = player.energy;
    driver.turbo = player.turbo;
    driver.slowTimer = player.slowTimer;
    driver.steerLockTimer = player.steerLockTimer;
}

void GiveToPlayer(const QV7_AIController& driver, QV7_PlayerController& player)
{
    player.driveCommand = driver.driveCommand;
    player.groundSpeed = driver.groundSpeed;
    player.steerAngle = driver.steerAngle;
    player.forwardAxis = driver.forwardAxis;
    player.handBrakeOn = driver.handBrakeOn;
    player.reversing = driver.reversing;
    player.driveInput = driver.driveInput;
    player.turboBurning = driver.turboBurning;
    player.health = driver.health;
    player.energy = driver.energy;
    player.turbo = driver.turbo;
    player.destroyed = driver.destroyed;
    player.destroyedTime = driver.destroyedTime;
    player.slowTimer = driver.slowTimer;
    player.steerLockTimer = driver.steerLockTimer;
}

// The stand-in cannot win a fair race: the player's buggy grips the road
// as a player's controller wants it (its driven wheels slip along the nose,
// its steered ones twice as much as a computer racer's), and the computer
// driver's steering is tuned for the computer racers' grip, so at the
// player's wheels it runs wide and gets stuck: it passed a checkpoint every
// 7 to 10 s, the computer drivers every 5 s on island 1 and every 2.5 s on
// island 2; from an even start, or with one lap of head start, it finished
// last, and with 30 of the 48 checkpoints second on island 2. To secure the
// result the test gives it a head start in races against computer drivers:
// they wait on the grid (their driver is not called) until the stand-in has
// passed 40 of the championship's 48 checkpoints (four laps of twelve), 20
// of the racing lesson's 24, then race it at their own pace to the finish.
// The equipment lesson's lap against its one opponent (its step 4) gets 8
// of its 12 checkpoints.
constexpr int kChampionshipHeadStart = 40;
constexpr int kRacingLessonHeadStart = 20;
constexpr int kEquipmentLessonHeadStart = 8;
constexpr int kEquipmentLessonLapStep = 4;

bool OpponentsHeld()
{
    const QV7_Buggy* standIn = g_standIn.buggy;
    if (!standIn || !g_mapSystem)
        return false;
    if (g_mapSystem->mode == RACE_MODE_CHAMPIONSHIP)
        return standIn->checkpointsPassed < kChampionshipHeadStart;
    if (g_mapSystem->mode != RACE_MODE_TUTORIAL)
        return false;
    if (g_mapSystem->raceIndex == QV7_MapSystem::kFourRacerTutorial)
        return standIn->checkpointsPassed < kRacingLessonHeadStart;
    const QV7_Tutorial* tutorial = CurrentTutorial();
    return g_mapSystem->raceIndex == 2 && tutorial && tutorial->step == kEquipmentLessonLapStep &&
           standIn->checkpointsPassed < kEquipmentLessonHeadStart;
}

bool KeyHeld(KeyAction action)
{
    if (!g_input || !g_windowsData)
        return false;
    for (InputCode code : g_windowsData->m_Settings.Keys[action])
        if (code >= 0 && g_input->IsKeyDown(code) > 0)
            return true;
    return false;
}

// The stand-in only steers and drives: the player's own buttons still work.
// The shield and jammer keys reach the hooks the player's driver calls for
// them; the turbo key burns the player's turbo while the stand-in drives
// (the flag the HUD and the turbo lesson read; the computer driver's wheel
// speed is left as it set it).
void PlayerButtons(QV7_Buggy& buggy, QV7_PlayerController& player, float frameMs)
{
    const bool shield = KeyHeld(KEY_Shield);
    if (shield && !g_standIn.shieldLatch && QV7_PlayerController::s_Hooks.toggleShield)
        QV7_PlayerController::s_Hooks.toggleShield(buggy);
    g_standIn.shieldLatch = shield;
    if (KeyHeld(KEY_Jammer) && QV7_PlayerController::s_Hooks.requestJammer)
        QV7_PlayerController::s_Hooks.requestJammer(buggy);
    if (KeyHeld(KEY_Turbo) && player.turbo > 0.0f && player.driveInput)
    {
        player.turboBurning = 1;
        player.turbo = std::max(player.turbo - frameMs, 0.0f);
    }
}

void DriveWithStandIn(QV7_Buggy& buggy)
{
    if (&buggy != g_standIn.buggy || !buggy.playerController || !g_standIn.driver)
    {
        if (OpponentsHeld())
            return;
        if (g_gameDrive)
            g_gameDrive(buggy);
        return;
    }
    QV7_AIController& driver = *g_standIn.driver;
    TakeFromPlayer(*buggy.playerController, driver);
    // A respawn the race asked of the player's driver (the tutorial's stage
    // restarts) is the stand-in's to carry out.
    if (buggy.playerController->respawnRequested)
    {
        buggy.playerController->respawnRequested = 0;
        driver.respawnRequested = 1;
    }
    // A wrong checkpoint: the player presses respawn, as the game's own
    // computer drivers are told to.
    if (buggy.wrongCheckpoint && !driver.respawnRequested)
    {
        driver.respawnRequested = 1;
        ++g_standIn.report.wrongCheckpoints;
    }
    ComputerDrivingRace race = QV7_AIController::SessionRace();
    g_standIn.paceMarker->lapCounter = buggy.lapCounter + 1;
    g_standIn.paceMarker->checkpointsPassed = buggy.checkpointsPassed;
    race.viewed = g_standIn.paceMarker;
    const int respawnsBefore = driver.respawnCount;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    driver.DriveFrame(frameMs, race);
    g_standIn.report.respawns += driver.respawnCount - respawnsBefore;
    GiveToPlayer(driver, *buggy.playerController);
    PlayerButtons(buggy, *buggy.playerController, frameMs);
}
} // namespace

void AttachStandIn(QV7_Buggy& buggy)
{
    const std::vector<const QV7_DataBase_MeshObject*> parts = PartItems(buggy);
    // The computer driver with its budgets from the buggy's parts, taken off
    // the buggy again before the player's driver goes on as the game puts it.
    QV7_Buggy::AttachAIController(buggy, parts);
    std::unique_ptr<QV7_AIController> driver(buggy.computerController);
    buggy.computerController = nullptr;
    const bool noTurbo = g_mapSystem && g_mapSystem->mode == RACE_MODE_TUTORIAL && g_mapSystem->raceIndex <= 1;
    QV7_Buggy::AttachPlayerController(buggy, parts, noTurbo);
    if (noTurbo)
        driver->turbo = driver->turboMax = 0.0f;
    g_standIn.buggy = &buggy;
    g_standIn.driver = std::move(driver);
    if (!g_standIn.paceMarker)
    {
        // Not a racer: it must not take a racer's number (the grid lines
        // are released by number).
        g_standIn.paceMarker = new QV7_Buggy();
        --g_buggyCount;
        g_standIn.paceMarker->serial = 0;
    }
    g_standIn.report = StandInReport();
    // The physics group's drive hook is the game's from start-up on; the
    // stand-in goes in front of it for the player's racer only.
    if (QV7_PhysicsGroup::s_Hooks.drive != &DriveWithStandIn)
    {
        g_gameDrive = QV7_PhysicsGroup::s_Hooks.drive;
        QV7_PhysicsGroup::s_Hooks.drive = &DriveWithStandIn;
    }
}

const StandInReport& LastStandInReport()
{
    return g_standIn.report;
}
} // namespace e2e
