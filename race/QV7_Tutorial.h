// The scripted lessons of a tutorial race: the race index picks one of four
// (0 driving, 1 shooting at targets, 2 shield, jammer, turbo and one computer
// opponent, 3 a two-lap race against three). Each lesson is a small machine of
// numbered steps: the step's instructions open in a panel over the frozen race
// picture, the script watches what the player does, restarts the stage, moves
// on or sends the player to a retry, and at the end sets the session's won
// flag, which the simulator page turns into the next lesson's unlock.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "shell/GameSettings.h"

#include <cstdint>
#include <string>
#include <vector>

class QV7_Buggy;
class QV7_Checkpoint;
class QV7_EffectsListMap;
class QV7_MapSystem;
class QV7_Menu_hWnd;
class QV7_PhysicsGroup;
class QV7_ZephyrionItems;
struct CheckpointRecord;
struct StaticObjectInstance;

// The parts of the race session the script reads and writes. Bind fills it
// from a session; tests fill it by hand. Null members are skipped.
struct TutorialSession
{
    int lesson = 0;
    QV7_PhysicsGroup* group = nullptr;
    QV7_Buggy* player = nullptr;
    QV7_Checkpoint* checkpoints = nullptr;
    QV7_EffectsListMap* effects = nullptr;
    QV7_ZephyrionItems* items = nullptr;
    int* won = nullptr;
    // The session's re-render request (the frozen picture is drawn again).
    int* rerender = nullptr;
    float* countdown = nullptr;
    int* releaseFlags = nullptr; // five
    QV7_Buggy** viewedBuggy = nullptr;
    QV7_MapSystem* session = nullptr;
};

// What the script asks of input, texts and the screen; each has a default
// on the game's own objects, and tests replace them.
struct TutorialHooks
{
    // This frame's pressed code (-1: none), and the controller's moved axis
    // and straight hat codes (-1: none).
    InputCode (*pressedCode)() = nullptr;
    InputCode (*movedAxisCode)() = nullptr;
    InputCode (*povCode)() = nullptr;
    // The keyboard's 256 states the panel watches.
    const uint8_t* (*keyboard)() = nullptr;
    // Instruction text entry (language group 1); "" when absent.
    const char* (*text)(int entry) = nullptr;
    // The first binding of an action.
    InputCode (*binding)(KeyAction action, int which) = nullptr;
    // The modal instruction panel; unset: RunInstructionPanel.
    void (*runPanel)(class QV7_Tutorial& tutorial) = nullptr;
    // The player's racer for an added opponent: its driver and build.
    void (*attachComputerDriver)(QV7_Buggy& racer, int racerIndex) = nullptr;
};

class QV7_Tutorial
{
  public:
    static constexpr int kTextSize = 2000;
    static constexpr InputCode kPanelKey = 20; // T
    static constexpr float kDelayMs = 1000.0f;
    static constexpr float kLockoutMs = 1000.0f;
    static constexpr float kFinalWaitMs = 1500.0f;
    static constexpr float kTurboHoldMs = 2000.0f;
    static constexpr float kFirstTargetLimitMs = 90000.0f;
    static constexpr float kSecondTargetLimitMs = 180000.0f;
    static constexpr int kOpponentIndex = 3;

    QV7_Tutorial();
    QV7_Tutorial(const QV7_Tutorial&) = delete;
    QV7_Tutorial& operator=(const QV7_Tutorial&) = delete;

    // The session's parts and the island's targets (not owned).
    void Bind(QV7_MapSystem& session, const std::vector<StaticObjectInstance*>& targets);
    // Takes the HUD's five widgets (any may be null), arms the script and
    // builds the first text.
    void Setup(QV7_Menu_hWnd* textList, QV7_Menu_hWnd* frame, QV7_Menu_hWnd* timeLeft, QV7_Menu_hWnd* keyHint,
               QV7_Menu_hWnd* finalFrame);
    // Once a frame inside the race's 2D bracket, then the requests after it.
    void Update(float frameMs);
    void HandleRequests();
    // Back to the lesson's first step (the in-race restart, lesson 3's retry).
    void Reset();
    // A shot struck target (of target class kind); true when it counted.
    bool CountTargetHit(StaticObjectInstance* target, int kind);

    // The instruction text of (lesson, step) with the bound keys' names.
    std::string InstructionText() const;
    void BuildInstructionText();
    // "%s" tokens of format replaced in order by names (a missing name, or
    // a token past the last name, gives "?"); nothing else of the text is
    // interpreted. At most kTextSize - 1 characters.
    static std::string FillKeyNames(const char* format, const std::vector<const char*>& names);
    // "<label> m:ss" of the time left before limit, never below 0:00.
    static std::string TimeLeftText(const char* label, float limitMs, float elapsedMs);
    void DrawTimeLeft(float limitMs);

    // The modal panel over the frozen picture.
    void RunInstructionPanel();
    // One panel frame's close test: T pressed after a release, or for the
    // final panel any key changed once the wait ran out. keys: 256 states.
    bool PanelFrame(float frameMs, const uint8_t* keys);
    void OpenPanel(const uint8_t* keys);

    void AddOpponent();
    void RemoveOpponents();

    // An action's key pressed this frame (either binding, or the
    // controller's axis or hat when a binding is an axis).
    bool ActionPressed(KeyAction action) const;

    static TutorialHooks s_Hooks;

    TutorialSession session;
    int finished = 0;
    std::vector<StaticObjectInstance*> targets;
    int countdownEnabled = 0;
    int armed = 0;
    int step = 0;
    int flags[5] = {};
    int targetCount = 0;
    float elapsed = 0.0f;
    float delay = 0.0f;
    int delayDone = 0;
    int regridRequest = 0;
    int opponentAdded = 0;
    QV7_Menu_hWnd* textList = nullptr;
    QV7_Menu_hWnd* frame = nullptr;
    QV7_Menu_hWnd* timeLeft = nullptr;
    QV7_Menu_hWnd* keyHint = nullptr;
    QV7_Menu_hWnd* finalFrame = nullptr;
    uint8_t panelLatch = 0;
    uint8_t requestLatch = 0;
    uint8_t panelRequest = 1;
    uint8_t stageResetRequest = 0;
    float targetLockout = 0.0f;
    float turboHold = 0.0f;
    float opponentDelay = 0.0f;
    uint8_t finalPanel = 0;
    // The text last built (what the panel's list shows).
    std::string text;
    // The panel's wait and remembered keyboard.
    float panelWait = 0.0f;
    uint8_t panelKeys[256] = {};

  private:
    // How a stage change goes on.
    struct Change
    {
        int respawn = 1;   // the player back at a checkpoint
        int panel = 0;     // the new text opens at once
        int viaA = 0;      // the waiting step opens it
        int passedTo = 0;  // checkpoints passed after the respawn (1: the one after the first)
        int regrid = 0;    // every racer back on the start grid
        int countdown = 0; // the start countdown restarted
    };
    void RestartStage(int newStep, const Change& change);
    // A retry or end step; true while it waits (its panel not yet closed).
    bool WaitingStep();
    // The last step of every lesson: its final panel, then the won flag.
    void FinalStep();
    void StartDelay();
    void RestartCountdown();
    void ClearTargetFlags();
    void ResetRacersForStage();
    void RespawnPlayer(int passed);
    CheckpointRecord* FirstCheckpoint() const;
    QV7_Buggy* Opponent() const;

    void Lesson0();
    void Lesson1();
    void Lesson2(float frameMs);
    void Lesson3();
    void Lesson2Race(float frameMs);

    void DrawPanel();
    void FreezeAndPause();
    void DestroyRacerPhysics(QV7_Buggy& racer);
};
