// The player's controls and the race around the driver, faked for the
// driving tests: a set of keys held, axis magnitudes, a session and the
// last checkpoint, and a record of the effects the driver asked for.
#pragma once

#include "race/QV7_PlayerController.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace drivetest
{
struct Fakes
{
    std::set<InputCode> keys;
    std::map<InputCode, int> axes;
    DriveSession session;
    bool hasCheckpoint = true;
    RespawnPoint point;
    float sincePassed = 0.0f;
    std::vector<std::string> effects;
    int cameraResets = 0;
    int shieldToggles = 0;
    int fire = 0;
};

inline Fakes*& Current()
{
    static Fakes* fakes = nullptr;
    return fakes;
}

// The first default binding of an action.
inline InputCode KeyFor(KeyAction action)
{
    return GameSettings().Keys[action][0];
}

// Installs the fakes as the driver's controls and race; the destructor puts
// the devices back.
class FakeRace
{
  public:
    FakeRace()
    {
        Current() = &fakes;
        QV7_PlayerController::s_KeyDown = [](InputCode code) { return int(Current()->keys.count(code)); };
        QV7_PlayerController::s_CodeState = [](InputCode code)
        {
            auto it = Current()->axes.find(code);
            return it == Current()->axes.end() ? 0 : it->second;
        };
        PlayerDriveHooks hooks;
        hooks.session = [] { return Current()->session; };
        hooks.respawnPoint = [](const QV7_Buggy&, RespawnPoint* point)
        {
            if (!Current()->hasCheckpoint)
                return false;
            *point = Current()->point;
            point->sincePassed = &Current()->sincePassed;
            return true;
        };
        hooks.createEffect = [](const char* name, const D3DXVECTOR3&, float, bool) -> void*
        {
            Current()->effects.emplace_back(name);
            return nullptr;
        };
        hooks.resetCamera = [](QV7_PlayerController&) { ++Current()->cameraResets; };
        hooks.toggleShield = [](QV7_Buggy&) { ++Current()->shieldToggles; };
        hooks.fireRequest = [](QV7_Buggy&, int firing) { Current()->fire = firing; };
        QV7_PlayerController::s_Hooks = hooks;
        fakes.point.poseCount = 1;
    }
    ~FakeRace()
    {
        QV7_PlayerController::s_Hooks = PlayerDriveHooks{};
        QV7_PlayerController::s_KeyDown = saved.keyDown;
        QV7_PlayerController::s_CodeState = saved.codeState;
        Current() = nullptr;
    }
    void Hold(KeyAction action) { fakes.keys.insert(KeyFor(action)); }
    void Release(KeyAction action) { fakes.keys.erase(KeyFor(action)); }

    Fakes fakes;

  private:
    struct Saved
    {
        int (*keyDown)(InputCode) = QV7_PlayerController::s_KeyDown;
        int (*codeState)(InputCode) = QV7_PlayerController::s_CodeState;
    } saved;
};
} // namespace drivetest
