// What each debug command does to the race and the profile.
#include "race/QV7_DebugCommands.h"

#include "world/QV7_PathFollowing.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_DebugConsole.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_MapSystem.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_Profiles.h"
#include "race/QV7_WaypointList.h"

#include <cstdio>

DebugCommandTargets QV7_DebugCommands::s_Targets;

namespace
{
using C = QV7_DebugConsole;

const char* const kNoSession = "> Invalid, QV7MapSystem not loaded!";
const char* const kNoProfile = "> Invalid, no current profile!";
constexpr float kBoost = 99999.0f;
constexpr int32_t kFullAmmo = 99999;
constexpr int kTopLap = 5;
constexpr int kNudges = 100;

QV7_Buggy* Racer(int index)
{
    if (!g_mapSystem || !g_mapSystem->physicsGroup)
        return nullptr;
    const QV7_Collection<QV7_Buggy>& racers = g_mapSystem->physicsGroup->racers;
    return index >= 0 && index < racers.Count() ? racers.items[index] : nullptr;
}

QV7_Buggy* Viewed()
{
    return g_mapSystem && g_mapSystem->viewedBuggy ? g_mapSystem->viewedBuggy
                                                   : (g_mapSystem ? g_mapSystem->playerRacer : nullptr);
}

ProfileRecord* Profile()
{
    return g_profiles ? g_profiles->currentProfile : nullptr;
}

// Every computer driver's health set to value.
std::string SlayComputers(float value, const char* reply)
{
    if (!g_mapSystem || !g_mapSystem->physicsGroup)
        return kNoSession;
    const QV7_Collection<QV7_Buggy>& racers = g_mapSystem->physicsGroup->racers;
    for (int i = 0; i < racers.Count(); ++i)
        if (racers.items[i]->controllerKind == QV7_Buggy::CONTROLLER_COMPUTER)
            if (QV7_DriveController* driver = racers.items[i]->Controller())
                driver->health = value;
    return reply;
}

// A part of the race switched through its hook.
std::string Switch(bool (*hook)(int), int on, const char* reply, const char* missing)
{
    if (!g_mapSystem)
        return kNoSession;
    return hook && hook(on) ? reply : missing;
}

std::string RunPlayerCommand(int command)
{
    QV7_Buggy* player = g_mapSystem ? g_mapSystem->playerRacer : nullptr;
    QV7_DriveController* driver = player ? player->Controller() : nullptr;
    if (!driver)
        return kNoSession;
    switch (command)
    {
    case C::CMD_WAGON_BOOST:
        driver->turbo = driver->turboMax = kBoost;
        return "> Turbo changed to 99999.0";
    case C::CMD_WAGON_SHOT:
        for (int k = 0; k < 4 && player->ammo; ++k)
            player->ammo[k] = kFullAmmo;
        return "> Ammo changed to 99999.0";
    default:
        player->lapCounter = kTopLap;
        return "> Current Lap Set to 5";
    }
}

std::string RunProfileCommand(int command, const std::string& text)
{
    ProfileRecord* profile = Profile();
    if (!profile)
        return kNoProfile;
    switch (command)
    {
    case C::CMD_ZEPHYRIONS:
    {
        int value = 0;
        const size_t at = text.find("magic zephyrions");
        if (std::sscanf(text.c_str() + at, "magic zephyrions %d", &value) == 1)
            profile->money = value;
        return "> Zephyrions Value Changed";
    }
    case C::CMD_OPENER:
        for (int32_t& unlocked : profile->raceUnlocked)
            unlocked = 1;
        for (int32_t& unlocked : profile->tutorialUnlocked)
            unlocked = 1;
        return "> All Maps Unlocked";
    default:
        for (int i = 0; i < kNudges; ++i)
            ProfileRecord::SetupOpponents(profile);
        return "> A.I. Buggies Tweaked";
    }
}

std::string RunCameraCommand(int command)
{
    if (!g_mapSystem)
        return kNoSession;
    if (command == C::CMD_VIEWER_OPEN)
    {
        QV7_Buggy* viewed = Viewed();
        if (QV7_DriveController* driver = viewed ? viewed->Controller() : nullptr)
        {
            driver->cameraMode = 0; // the free camera
            if (QV7_DebugCommands::s_Targets.freeCameraReset)
                QV7_DebugCommands::s_Targets.freeCameraReset(*viewed);
        }
        return "> Camera Set to Free Mode";
    }
    const int k = command - C::CMD_VIEWER_WAGON_1 + 1;
    char reply[64];
    QV7_Buggy* racer = Racer(k - 1);
    if (!racer)
    {
        std::snprintf(reply, sizeof reply, "> Invalid, no buggy %d in this race!", k);
        return reply;
    }
    g_mapSystem->viewedBuggy = racer;
    std::snprintf(reply, sizeof reply, "> Camera switched to buggy %d", k);
    return reply;
}

std::string RunSessionCommand(int command)
{
    if (!g_mapSystem)
        return kNoSession;
    switch (command)
    {
    case C::CMD_HOUR_UP:
    case C::CMD_HOUR_OUT:
        g_mapSystem->frozenTime = command == C::CMD_HOUR_OUT ? 1 : 0;
        return command == C::CMD_HOUR_UP ? "> Time Enabled" : "> Time Disabled";
    case C::CMD_ROUTEMARK_UP:
    case C::CMD_ROUTEMARK_OUT:
        if (!g_mapSystem->waypoints)
            return "> Invalid, no waypoints loaded!";
        g_mapSystem->waypoints->m_DebugDraw = command == C::CMD_ROUTEMARK_UP ? 1 : 0;
        return command == C::CMD_ROUTEMARK_UP ? "> Waypoints Debug Mode Enabled"
                                              : "> Waypoints Debug Mode Disabled";
    case C::CMD_VIEWER_WAGON_SLAY:
    {
        QV7_Buggy* viewed = Viewed();
        if (QV7_DriveController* driver = viewed ? viewed->Controller() : nullptr)
            driver->health = 0.1f;
        return "> Health reduced to 1";
    }
    default:
        // The camera's movie mode is the moving scenery's camera ride: one flag.
        if (!g_pathFollowing)
            return "> Invalid, no moving scenery on this island";
        g_pathFollowing->m_CameraRide = 1;
        return "> Movie mode On";
    }
}

std::string RunSwitch(int command)
{
    const DebugCommandTargets& t = QV7_DebugCommands::s_Targets;
    switch (command)
    {
    case C::CMD_WAYSTATIONS_DEBUG_UP:
        return Switch(t.checkpointsDebug, 1, "> Checkpoints Debug Mode Enabled",
                      "> Invalid, no checkpoints!");
    case C::CMD_WAYSTATIONS_DEBUG_OUT:
        return Switch(t.checkpointsDebug, 0, "> Checkpoints Debug Mode Disabled",
                      "> Invalid, no checkpoints!");
    case C::CMD_WAYSTATIONS_REVEAL_UP:
        return Switch(t.checkpointsShown, 1, "> Checkpoints render enabled", "> Invalid, no checkpoints!");
    case C::CMD_WAYSTATIONS_REVEAL_OUT:
        return Switch(t.checkpointsShown, 0, "> Checkpoints render disabled", "> Invalid, no checkpoints!");
    case C::CMD_ENTRIES_REVEAL_UP:
        return Switch(t.staticObjectsShown, 1, "> Objects render enabled", "> Invalid, no static objects!");
    case C::CMD_ENTRIES_REVEAL_OUT:
        return Switch(t.staticObjectsShown, 0, "> Objects render disabled", "> Invalid, no static objects!");
    case C::CMD_PINES_REVEAL_UP:
        return Switch(t.treesShown, 1, "> Trees render enabled", "> Invalid, no trees!");
    default:
        return Switch(t.treesShown, 0, "> Trees render disabled", "> Invalid, no trees!");
    }
}
} // namespace

void QV7_DebugCommands::Install()
{
    QV7_DebugConsole::s_GameCommand = &Run;
}

std::string QV7_DebugCommands::Run(int command, const std::string& text)
{
    if (command >= C::CMD_WAYSTATIONS_DEBUG_UP && command <= C::CMD_PINES_REVEAL_OUT &&
        command != C::CMD_ROUTEMARK_OUT && command != C::CMD_ROUTEMARK_UP)
        return RunSwitch(command);
    switch (command)
    {
    case C::CMD_ZEPHYRIONS:
    case C::CMD_OPENER:
    case C::CMD_CP_NUDGE:
        return RunProfileCommand(command, text);
    case C::CMD_WAGON_BOOST:
    case C::CMD_WAGON_SHOT:
    case C::CMD_PLAY_TOP:
        return RunPlayerCommand(command);
    case C::CMD_WAGON_ANY_SLAY:
        return SlayComputers(0.1f, "> A.I. Buggies Health reduced to 1");
    case C::CMD_SHATTER:
        return SlayComputers(0.0f, "> A.I. Buggies Health reduced to 0");
    case C::CMD_VIEWER_OPEN:
        return RunCameraCommand(command);
    default:
        if (command >= C::CMD_VIEWER_WAGON_1 && command < C::CMD_VIEWER_WAGON_1 + 6)
            return RunCameraCommand(command);
        return RunSessionCommand(command);
    }
}
