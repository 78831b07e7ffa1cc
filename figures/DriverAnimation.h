// The seated driver of one racer: bound once to its character's triggers when
// the buggy joins the race, then placed on the seat and animated every frame.
// Steering scrubs the steer-left and steer-right animations to the pose that
// matches the steering value (and plays their returns back to neutral), the
// reverse pose blends in over a second while the driver looks back, and an
// impact plays the bump. Near the camera the skinned figure is drawn, farther
// away its rigid substitute, beyond 30000 units nothing.
//
// Figures are shared: every racer of one character drives the same
// animation controller, so the track states here say where this racer wants
// the shared tracks, and each frame sets them again before drawing.
#pragma once

#include "figures/DriverType.h"
#include "platform/d3dx/D3DXAnimation.h"
#include "platform/d3dx/D3DXMath.h"

#include <cstdint>

class AnimatedMesh;
class QV7_Buggy;
class QV7_TriggersSystem;
struct GameSettings;
struct TriggerRecord;

// What this racer last asked of one controller track.
struct DriverTrackState
{
    uint8_t assigned = 0; // the track got its set this frame
    ID3DXAnimationSet* set = nullptr;
    float unused = 0.0f;
    uint8_t holding = 1; // 1: no target pending; 0: moving to the target
    double target = 0.0;
    float steeringAtTarget = 0.0f;
    uint8_t running = 1; // from a new target until it is reached
};

class DriverAnimation
{
  public:
    static constexpr int kTracks = 4;
    static constexpr float kPoseLimit = 0.456f;
    static constexpr float kPoseScale = 2.192982f;
    static constexpr float kDeadZone = 0.0001f;
    static constexpr float kSteerSpeed = 0.24999f;
    static constexpr float kReverseSpeed = 0.249999f;
    static constexpr float kBumpSpeed = 0.449999f;
    static constexpr float kBlendPerMs = 0.001f;
    static constexpr float kBindSpeed = 0.16666f;
    static constexpr float kSkinnedDistance = 10000.0f;
    static constexpr float kRigidDistance = 30000.0f;

    enum class Figure
    {
        Skinned,
        Rigid,
        None
    };

    // Looks up the character's eight triggers in figures and puts the idle
    // set on every track. A driver type outside 0-6 or a character without an
    // idle trigger leaves the racer without a figure (logged); a character
    // without a skinned figure or without all its animations is drawn rigid.
    void Bind(QV7_Buggy* owner, int driverType, const QV7_TriggersSystem& figures);
    // Once per frame in the main pass: the steering of the frame, then the
    // figure on the seat of the buggy at buggyWorld.
    void UpdateAndDraw(float steering, const D3DXMATRIX& buggyWorld);
    // The mirrored pass: the figure in its current pose, nothing advanced.
    void DrawOnly(const D3DXMATRIX& buggyWorld);
    // Track 1 back at its start with weight w, track 0 with the rest.
    void RestartBlendTrack(float w);

    // The character of racer `index` of a race: the player's by the profile's
    // gender (1 male, 2 female), opponent k's is k + 1.
    static int DriverTypeOf(int index, int gender)
    {
        return index == 0 ? (gender == 2 ? PLAYERF : PLAYERM) : index + 1;
    }
    // Which figure a buggy at distance from the eye gets under the settings.
    static Figure ChooseFigure(float distance, const GameSettings& settings);
    // The seat (x, y) in buggy space of a character in a buggy model.
    static D3DXVECTOR2 Seat(int driverType, int model, bool skinned);
    // Scale(2.5) x the model's seat tilt x the seat's translation x buggyWorld.
    D3DXMATRIX SeatMatrix(const D3DXMATRIX& buggyWorld, bool skinned) const;
    // Steps 2 to 8 of a frame: arrival, pose, steering, reverse and bump.
    void Animate(float steering, float frameMs);

    // Whether the racer's driver looks back over the shoulder (reversing
    // from near standstill); no racer does while it is not set.
    static int (*s_LookBack)(const QV7_Buggy& racer);

    QV7_Buggy* owner = nullptr;
    float steering = 0.0f;
    AnimatedMesh* figure = nullptr;
    ID3DXAnimationController* controller = nullptr;
    const TriggerRecord* idleTrigger = nullptr;
    ID3DXAnimationSet* idleSet = nullptr;
    const TriggerRecord* rightTrigger = nullptr;
    ID3DXAnimationSet* rightSet = nullptr;
    const TriggerRecord* rightBackTrigger = nullptr;
    ID3DXAnimationSet* rightBackSet = nullptr;
    double rightPeriod = 0.0;
    const TriggerRecord* leftTrigger = nullptr;
    ID3DXAnimationSet* leftSet = nullptr;
    const TriggerRecord* leftBackTrigger = nullptr;
    ID3DXAnimationSet* leftBackSet = nullptr;
    double leftPeriod = 0.0;
    const TriggerRecord* bumpTrigger = nullptr;
    ID3DXAnimationSet* bumpSet = nullptr;
    double bumpPeriod = 0.0;
    const TriggerRecord* reverseTrigger = nullptr;
    ID3DXAnimationSet* reverseSet = nullptr;
    double reversePeriod = 0.0;
    const TriggerRecord* reverseBackTrigger = nullptr;
    ID3DXAnimationSet* reverseBackSet = nullptr;
    double reverseBackPeriod = 0.0;
    uint8_t reversing = 0;
    float reverseWeight = 0.0f;
    uint8_t bumpPlaying = 0;
    uint8_t bumpRequest = 0; // set by the physics step on an impact
    float bumpWeight = 5.0f;
    int32_t driverType = 0;
    DriverTrackState tracks[kTracks];

  private:
    bool Animated() const;
    double Position(UINT track) const;
    void Arrive();
    // The pose track 0 showed last frame: its steering value and its place x
    // along the steer animation.
    float PoseOf(double* x) const;
    void Steer(float pose, double x);
    void Aim(UINT track, ID3DXAnimationSet* set, double target);
    void Reverse(float frameMs);
    void Bump(float frameMs);
    void Draw(const D3DXMATRIX& buggyWorld, bool advance);
};
