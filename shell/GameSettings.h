// The Settings.ini values and the 26 bindable actions.
#pragma once

#include <cstdint>

// Storage order of the binding pairs.
enum KeyAction
{
    KEY_Respawn,
    KEY_HandBrake,
    KEY_Accelerate,
    KEY_Reverse,
    KEY_SteerLeft,
    KEY_SteerRight,
    KEY_Shoot,
    KEY_Turbo,
    KEY_Shield,
    KEY_SelectWeapon1,
    KEY_SelectWeapon2,
    KEY_SelectWeapon3,
    KEY_SelectWeapon4,
    KEY_SelectWeapon5,
    KEY_Jammer,
    KEY_Screenshot,
    KEY_CameraMode1,
    KEY_CameraMode2,
    KEY_CameraMode3,
    KEY_HideHUD,
    KEY_Pause,
    KEY_Horn,
    KEY_TeamChat,
    KEY_AllChat,
    KEY_NextWeapon,
    KEY_PreviousWeapon,
    KEY_ACTION_COUNT
};

// -1 none; 0..255 keyboard scan codes; 500.. joystick axes, hats and buttons.
using InputCode = int32_t;

struct KeyActionInfo
{
    const char* name; // as in Settings.ini after "Key1_"/"Key2_"
    InputCode key1;
    InputCode key2;
};

// Name and default bindings of each action, in storage order.
extern const KeyActionInfo kKeyActions[KEY_ACTION_COUNT];

struct GameSettings
{
    // [MAIN]
    int Debug = 0;
    int DebugAnim = 0;
    int Windowed = 0;
    int PerfHud = 0;
    int Version = 0;
    int Version_Branch = 0;
    // [Options]
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    int ScreenDepth = 0;
    int Detail = 0;
    int Adapter = 0;
    // [Custom]
    int force_FadingObjects = 0;
    int force_FadingBillBoards = 0;
    int force_TreeBillBoards = 0;
    int force_ReflectiveWater = 0;
    int force_HighResTextures = 0;
    int force_Shadow = 0;
    int force_Shore = 0;
    int force_HighResAnim = 0;
    int force_WaterRiples = 0;
    int FSAA = 0;
    int FSAF = 0;
    // [Sound]
    int INIT_SoundEnabled = 1;
    int SoundVolume = 50;
    int MusicVolume = 50;
    // [Language]
    char LanguageVersion[256] = "EN";
    int VersionNumber = 0;
    // [Controller]
    char ControllerDevice[260] = {};
    // [Keys]: Key1_ and Key2_ of every action.
    InputCode Keys[KEY_ACTION_COUNT][2];

    GameSettings();
    void ResetKeysToDefaults();
};
