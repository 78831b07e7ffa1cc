// Binding a racer's driver to its character and the per-frame animation:
// the steering scrub, the reverse blend, the bump, the seat and the choice
// between the skinned figure and its rigid substitute.
#include "figures/DriverAnimation.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "figures/AnimatedMesh.h"
#include "figures/QV7_LodObjects.h"
#include "figures/QV7_TriggersSystem.h"
#include "race/QV7_Buggy.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <algorithm>

int (*DriverAnimation::s_LookBack)(const QV7_Buggy& racer) = nullptr;

namespace
{
constexpr int kSeatModels = 10;
// Seat translations (x, y) by character row and model; the last column is
// every model past the tenth.
struct SeatRow
{
    float seat[kSeatModels + 1][2];
};
constexpr SeatRow kPlayers = {{{0, 200},
                               {-15, 170},
                               {15, 210},
                               {-15, 170},
                               {8, 185},
                               {-76, 180},
                               {-76, 180},
                               {-54, 180},
                               {-60, 180},
                               {-12, 130},
                               {0, 200}}};
constexpr SeatRow kCalec = {{{0, 195},
                             {-15, 165},
                             {15, 205},
                             {-15, 165},
                             {8, 180},
                             {-76, 175},
                             {-76, 175},
                             {-54, 175},
                             {-60, 175},
                             {-7, 125},
                             {0, 195}}};
constexpr SeatRow kCassandra = {{{10, 200},
                                 {-5, 170},
                                 {25, 210},
                                 {-5, 170},
                                 {18, 185},
                                 {-66, 180},
                                 {-66, 180},
                                 {-44, 180},
                                 {-50, 180},
                                 {-2, 130},
                                 {10, 200}}};
constexpr SeatRow kBeverly = {{{-10, 200},
                               {-25, 170},
                               {5, 210},
                               {-25, 170},
                               {-2, 185},
                               {-86, 180},
                               {-86, 180},
                               {-64, 180},
                               {-70, 180},
                               {-22, 130},
                               {-10, 200}}};
constexpr SeatRow kGronk = {{{0, 275},
                             {-15, 245},
                             {15, 285},
                             {-15, 245},
                             {8, 260},
                             {-60, 265},
                             {-55, 265},
                             {-54, 255},
                             {-60, 255},
                             {3, 205},
                             {0, 185}}};
constexpr int kTiltedModel = 9;
constexpr float kTilt = -0.2f;
constexpr float kFigureScale = 2.5f;

const SeatRow& RowOf(int driverType)
{
    switch (driverType)
    {
    case CALEC:
        return kCalec;
    case CASSANDRA:
        return kCassandra;
    case BEVERLY:
        return kBeverly;
    case GRONK:
        return kGronk;
    default:
        return kPlayers;
    }
}

float FrameMs()
{
    return g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
}

const TriggerRecord* Find(const QV7_TriggersSystem& figures, int type, const char* animation)
{
    return figures.FindTrigger(DriverTriggerName(type, animation).c_str());
}

// The trigger's set on the shared controller; null when either is missing.
// The controller keeps its sets for the figure's life, so the reference the
// look-up hands out is given back at once.
ID3DXAnimationSet* SetOf(ID3DXAnimationController* controller, const TriggerRecord* trigger)
{
    ID3DXAnimationSet* set = nullptr;
    if (!controller || !trigger ||
        controller->GetAnimationSetByName(trigger->m_AnimationSetName, &set) != D3D_OK)
        return nullptr;
    if (set)
        set->Release();
    return set;
}

double PeriodOf(ID3DXAnimationSet* set)
{
    return set ? set->GetPeriod() : 0.0;
}
} // namespace

void DriverAnimation::Bind(QV7_Buggy* buggy, int type, const QV7_TriggersSystem& figures)
{
    const TriggerRecord* idle = IsDriverType(type) ? Find(figures, type, "IDLE") : nullptr;
    if (!idle)
    {
        QV7_Logger::Log(g_logger, "ERROR: Driver figure %d not found, the buggy is drawn without a driver",
                        type);
        return;
    }
    owner = buggy;
    driverType = type;
    idleTrigger = idle;
    rightTrigger = Find(figures, type, "STUUR_RECHTS");
    rightBackTrigger = Find(figures, type, "STUUR_RECHTS_TERUG");
    leftTrigger = Find(figures, type, "STUUR_LINKS");
    leftBackTrigger = Find(figures, type, "STUUR_LINKS_TERUG");
    bumpTrigger = Find(figures, type, "BUMP/BOTS");
    reverseTrigger = Find(figures, type, "ACHTERUIT");
    reverseBackTrigger = Find(figures, type, "ACHTERUIT_TERUG");
    figure = idle->m_AnimatedMesh;
    controller = figure ? figure->m_Controller : nullptr;
    idleSet = SetOf(controller, idleTrigger);
    rightSet = SetOf(controller, rightTrigger);
    rightBackSet = SetOf(controller, rightBackTrigger);
    leftSet = SetOf(controller, leftTrigger);
    leftBackSet = SetOf(controller, leftBackTrigger);
    bumpSet = SetOf(controller, bumpTrigger);
    reverseSet = SetOf(controller, reverseTrigger);
    reverseBackSet = SetOf(controller, reverseBackTrigger);
    rightPeriod = PeriodOf(rightSet);
    leftPeriod = PeriodOf(leftSet);
    bumpPeriod = PeriodOf(bumpSet);
    reversePeriod = PeriodOf(reverseSet);
    reverseBackPeriod = PeriodOf(reverseBackSet);
    if (!Animated())
        return;
    for (UINT track = 0; track < kTracks; ++track)
    {
        controller->SetTrackAnimationSet(track, idleSet);
        controller->SetTrackWeight(track, track == 0 ? 1.0f : 0.0f);
        controller->SetTrackEnable(track, TRUE);
        controller->SetTrackSpeed(track, kBindSpeed);
        controller->SetTrackPriority(track, D3DXPRIORITY_HIGH);
        tracks[track].set = idleSet;
    }
}

bool DriverAnimation::Animated() const
{
    return controller && idleSet && rightSet && rightBackSet && leftSet && leftBackSet && bumpSet &&
           reverseSet && reverseBackSet && rightPeriod > 0.0 && leftPeriod > 0.0 && bumpPeriod > 0.0 &&
           reversePeriod > 0.0 && reverseBackPeriod > 0.0;
}

DriverAnimation::Figure DriverAnimation::ChooseFigure(float distance, const GameSettings& settings)
{
    const bool highDetail = settings.Detail >= 2 || (settings.Detail == -1 && settings.force_HighResAnim);
    if (distance <= kSkinnedDistance && highDetail)
        return Figure::Skinned;
    return distance < kRigidDistance ? Figure::Rigid : Figure::None;
}

D3DXVECTOR2 DriverAnimation::Seat(int type, int model, bool skinned)
{
    if (skinned && type == GRONK && model == 5)
        return D3DXVECTOR2(-60.0f, 275.0f);
    const int column = model >= 0 && model < kSeatModels ? model : kSeatModels;
    const float* seat = RowOf(type).seat[column];
    return D3DXVECTOR2(seat[0], seat[1]);
}

D3DXMATRIX DriverAnimation::SeatMatrix(const D3DXMATRIX& buggyWorld, bool skinned) const
{
    const int model = owner ? owner->modelIndex : -1;
    const D3DXVECTOR2 seat = Seat(driverType, model, skinned);
    D3DXMATRIX m, tilt, place;
    D3DXMatrixScaling(&m, kFigureScale, kFigureScale, kFigureScale);
    if (model == kTiltedModel)
    {
        D3DXMatrixRotationZ(&tilt, kTilt);
        D3DXMatrixMultiply(&m, &m, &tilt);
    }
    D3DXMatrixTranslation(&place, seat.x, seat.y, 0.0f);
    D3DXMatrixMultiply(&m, &m, &place);
    D3DXMatrixMultiply(&m, &m, &buggyWorld);
    return m;
}

double DriverAnimation::Position(UINT track) const
{
    D3DXTRACK_DESC desc{};
    controller->GetTrackDesc(track, &desc);
    return desc.Position;
}

void DriverAnimation::Arrive()
{
    for (UINT track = 0; track < kTracks; ++track)
    {
        DriverTrackState& t = tracks[track];
        if (!t.set)
            continue;
        const double period = t.set->GetPeriod();
        double p = Position(track);
        if (t.holding == 0 && (p >= t.target || p >= period))
        {
            t.target = std::min(t.target, period);
            controller->SetTrackSpeed(track, 0.0f);
            p = t.target;
            controller->SetTrackPosition(track, p);
            t.running = 0;
        }
        if (p > period && period > 0.0)
        {
            while (p > period)
                p -= period;
            controller->SetTrackPosition(track, p);
        }
    }
}

float DriverAnimation::PoseOf(double* x) const
{
    *x = 0.0;
    if (!tracks[0].assigned)
        return 0.0f;
    const ID3DXAnimationSet* set = tracks[0].set;
    const double p = Position(0);
    if (set == rightSet)
    {
        *x = p;
        return float(-kPoseLimit * p / rightPeriod);
    }
    if (set == rightBackSet)
    {
        *x = rightPeriod - p;
        return float(-kPoseLimit * (rightPeriod - p) / rightPeriod);
    }
    if (set == leftSet)
    {
        *x = p;
        return float(kPoseLimit * p / leftPeriod);
    }
    if (set == leftBackSet)
    {
        *x = leftPeriod - p;
        return float(kPoseLimit * (leftPeriod - p) / leftPeriod);
    }
    return 0.0f;
}

void DriverAnimation::Aim(UINT track, ID3DXAnimationSet* set, double target)
{
    controller->SetTrackAnimationSet(track, set);
    DriverTrackState& t = tracks[track];
    t.set = set;
    t.target = target;
    t.holding = 0;
    t.assigned = 1;
}

void DriverAnimation::Steer(float s, double x)
{
    const float st = steering;
    const float right = std::clamp(-st, 0.0f, kPoseLimit);
    const float left = std::clamp(st, 0.0f, kPoseLimit);
    ID3DXAnimationSet* set = nullptr;
    double position = 0.0, target = 0.0;
    if (s < -kDeadZone && st > s)
    {
        set = rightBackSet, position = rightPeriod - x;
        target = right == 0.0f ? rightPeriod - 0.000001 : (kPoseLimit - right) * kPoseScale * rightPeriod;
    }
    else if (s > kDeadZone && st < s)
    {
        set = leftBackSet, position = leftPeriod - x;
        target = left == 0.0f ? leftPeriod - 0.000001 : (kPoseLimit - left) * kPoseScale * leftPeriod;
    }
    else if (st < kDeadZone && st < s && s <= kDeadZone)
        set = rightSet, position = x, target = right * kPoseScale * rightPeriod;
    else if (st > -kDeadZone && s < st && s > -kDeadZone)
        set = leftSet, position = x, target = left * kPoseScale * leftPeriod;
    if (!set)
    {
        // Neutral: the steer-right animation held at its first pose.
        controller->SetTrackAnimationSet(0, rightSet);
        controller->SetTrackPosition(0, 0.0);
        controller->SetTrackWeight(0, 1.0f);
        controller->SetTrackSpeed(0, 0.0f);
        controller->SetTrackWeight(1, 0.0f);
        tracks[0].set = rightSet;
        tracks[0].assigned = 1;
        return;
    }
    Aim(0, set, target);
    controller->SetTrackPosition(0, position);
    controller->SetTrackWeight(0, 1.0f);
    controller->SetTrackWeight(1, 0.0f);
    controller->SetTrackSpeed(0, kSteerSpeed);
    tracks[0].running = 1;
    tracks[0].steeringAtTarget = st;
}

void DriverAnimation::RestartBlendTrack(float w)
{
    if (!controller)
        return;
    controller->SetTrackPosition(1, 0.0);
    controller->SetTrackWeight(1, w);
    controller->SetTrackWeight(0, 1.0f - w);
}

void DriverAnimation::Reverse(float frameMs)
{
    const bool lookingBack = s_LookBack && owner && s_LookBack(*owner) == 1;
    if (lookingBack)
    {
        if (!reversing)
        {
            controller->SetTrackPosition(1, reversePeriod - Position(1));
            controller->SetTrackSpeed(1, kReverseSpeed);
            reverseWeight = 0.0f;
            tracks[1].running = 1;
            reversing = 1;
        }
        if (reverseWeight >= 1.0f)
        {
            Aim(1, reverseSet, reversePeriod - 0.01);
            controller->SetTrackWeight(0, 0.0f);
            controller->SetTrackWeight(1, 1.0f);
            return;
        }
        reverseWeight = std::min(reverseWeight + frameMs * kBlendPerMs, 1.0f);
        Aim(1, reverseSet, reversePeriod - 0.01);
        RestartBlendTrack(reverseWeight);
        return;
    }
    if (reversing)
    {
        controller->SetTrackPosition(1, reversePeriod - Position(1));
        controller->SetTrackSpeed(1, kReverseSpeed);
        tracks[1].running = 1;
        reversing = 0;
        return;
    }
    Aim(1, reverseBackSet, reverseBackPeriod - 0.01);
    if (reverseWeight > 0.0f)
    {
        reverseWeight = std::max(reverseWeight - frameMs * kBlendPerMs, 0.0f);
        controller->SetTrackWeight(1, reverseWeight);
        controller->SetTrackWeight(0, 1.0f - reverseWeight);
    }
}

void DriverAnimation::Bump(float frameMs)
{
    if (bumpRequest)
    {
        bumpPlaying = 1;
        // From the bump's first pose: track 1 may still stand at the end of
        // another animation, which would end the bump before it showed.
        controller->SetTrackPosition(1, 0.0);
        controller->SetTrackSpeed(1, kBumpSpeed);
        bumpWeight = 0.0f;
        tracks[1].running = 1;
    }
    bumpRequest = 0;
    if (!bumpPlaying)
        return;
    Aim(1, bumpSet, bumpPeriod);
    if (Position(1) < 0.75 * bumpPeriod)
    {
        if (bumpWeight == 0.0f)
        {
            controller->SetTrackWeight(1, 1.0f);
            controller->SetTrackWeight(0, 0.0f);
        }
    }
    else if (bumpWeight < 1.0f)
    {
        // The last quarter hands the pose back to the steering over a second.
        bumpWeight = std::min(bumpWeight + frameMs * kBlendPerMs, 1.0f);
        controller->SetTrackWeight(1, 1.0f - bumpWeight);
        controller->SetTrackWeight(0, bumpWeight);
    }
    if (tracks[1].running == 0)
        bumpPlaying = 0;
}

void DriverAnimation::Animate(float steer, float frameMs)
{
    if (!Animated())
        return;
    steering = steer;
    Arrive();
    double x = 0.0;
    const float pose = PoseOf(&x);
    for (UINT track = 0; track < kTracks; ++track)
    {
        controller->SetTrackWeight(track, 0.0f);
        tracks[track].assigned = 0;
    }
    controller->SetTrackSpeed(0, 0.0f);
    Steer(pose, x);
    Reverse(frameMs);
    Bump(frameMs);
}

void DriverAnimation::Draw(const D3DXMATRIX& buggyWorld, bool advance)
{
    if (!owner || !g_windowsData || !g_camera)
        return;
    const D3DXVECTOR3 apart = owner->position - g_camera->m_Eye;
    Figure choice = ChooseFigure(D3DXVec3Length(&apart), g_windowsData->m_Settings);
    if (choice == Figure::Skinned && !(figure && controller))
        choice = Figure::Rigid;
    if (choice == Figure::Skinned)
    {
        if (advance)
            Animate(steering, FrameMs());
        figure->m_World = SeatMatrix(buggyWorld, true);
        controller->AdvanceTime(0.0, nullptr);
        QV7_Skin_Allocator::RenderRaceFigure(*figure, *owner, advance);
        return;
    }
    LodMeshObject* rigid = idleTrigger ? idleTrigger->m_RigidMesh : nullptr;
    if (choice == Figure::Rigid && rigid)
    {
        rigid->m_World = SeatMatrix(buggyWorld, false);
        QV7_LodObjects::Render(*rigid);
    }
}

void DriverAnimation::UpdateAndDraw(float steer, const D3DXMATRIX& buggyWorld)
{
    steering = steer;
    Draw(buggyWorld, true);
}

void DriverAnimation::DrawOnly(const D3DXMATRIX& buggyWorld)
{
    Draw(buggyWorld, false);
}
