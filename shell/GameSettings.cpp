// Action names and default bindings.
#include "shell/GameSettings.h"

const KeyActionInfo kKeyActions[KEY_ACTION_COUNT] = {
    {"Respawn", 28, 19},        {"HandBrake", 57, 48},      {"Accelerate", 200, 72},   {"Reverse", 208, 80},
    {"SteerLeft", 203, 75},     {"SteerRight", 205, 77},    {"Shoot", 157, 29},        {"Turbo", 42, 54},
    {"Shield", 31, 82},         {"SelectWeapon1", 2, -1},   {"SelectWeapon2", 3, -1},  {"SelectWeapon3", 4, -1},
    {"SelectWeapon4", 5, -1},   {"SelectWeapon5", 6, -1},   {"Jammer", 36, 83},        {"Screenshot", 87, -1},
    {"CameraMode1", 59, -1},    {"CameraMode2", 60, -1},    {"CameraMode3", 61, -1},   {"HideHUD", 35, -1},
    {"Pause", 25, 197},         {"Horn", 184, 56},          {"TeamChat", 20, -1},      {"AllChat", 46, -1},
    {"NextWeapon", 209, -1},    {"PreviousWeapon", 201, -1},
};

GameSettings::GameSettings() { ResetKeysToDefaults(); }

void GameSettings::ResetKeysToDefaults()
{
    for (int i = 0; i < KEY_ACTION_COUNT; ++i)
    {
        Keys[i][0] = kKeyActions[i].key1;
        Keys[i][1] = kKeyActions[i].key2;
    }
}
