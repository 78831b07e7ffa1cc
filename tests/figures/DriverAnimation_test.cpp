// The seated driver's animation on the null device: binding to the
// character's triggers, the steering scrub and its returns, the reverse
// blend, the bump, the seat table and the choice between the skinned figure,
// its rigid substitute and nothing.
#include "figures/DriverAnimation.h"

#include "figures/CrossFadeAnimationTracks.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "race/QV7_Buggy.h"
#include "tests/figures/FiguresTestSupport.h"
#include "tools/demo/DemoFigures.h"

#include <cmath>
#include <cstring>

namespace
{
class DriverAnimationTest : public figurestest::FiguresFixture
{
  protected:
    void SetUp() override
    {
        FiguresFixture::SetUp();
        Read(MakeDemoTriggersFile());
        racer.modelIndex = 2;
        animation.Bind(&racer, KRASKA, *triggers);
        ASSERT_EQ(animation.owner, &racer);
        controller = animation.controller;
        ASSERT_NE(controller, nullptr);
    }
    void TearDown() override
    {
        DriverAnimation::s_LookBack = nullptr;
        FiguresFixture::TearDown();
    }
    // One frame as the race draws it: the time the last drawing advanced,
    // the animation step, and the new settings applied (the pose drawn).
    void Frame(float steering, float ms = 20.0f)
    {
        controller->AdvanceTime(ms * 0.001, nullptr);
        animation.Animate(steering, ms);
        controller->AdvanceTime(0.0, nullptr);
    }
    D3DXTRACK_DESC Track(UINT track) const
    {
        D3DXTRACK_DESC desc{};
        controller->GetTrackDesc(track, &desc);
        return desc;
    }
    ID3DXAnimationSet* SetOn(UINT track) const
    {
        ID3DXAnimationSet* set = nullptr;
        controller->GetTrackAnimationSet(track, &set);
        if (set)
            set->Release();
        return set;
    }

    QV7_Buggy racer;
    DriverAnimation animation;
    ID3DXAnimationController* controller = nullptr;
};

TEST_F(DriverAnimationTest, BindFindsTheCharactersEightAnimationsAndIdlesEveryTrack)
{
    EXPECT_EQ(animation.driverType, KRASKA);
    EXPECT_STREQ(animation.idleTrigger->m_Name, "TRIG_KRASKA_IDLE");
    EXPECT_STREQ(animation.bumpTrigger->m_Name, "TRIG_KRASKA_BUMP/BOTS");
    EXPECT_DOUBLE_EQ(animation.rightPeriod, 0.5);
    EXPECT_DOUBLE_EQ(animation.reversePeriod, 0.8);
    for (UINT track = 0; track < 4; ++track)
    {
        EXPECT_EQ(SetOn(track), animation.idleSet) << track;
        EXPECT_FLOAT_EQ(Track(track).Weight, track == 0 ? 1.0f : 0.0f) << track;
        EXPECT_FLOAT_EQ(Track(track).Speed, DriverAnimation::kBindSpeed) << track;
        EXPECT_EQ(Track(track).Priority, D3DXPRIORITY_HIGH) << track;
    }
}

TEST_F(DriverAnimationTest, AMissingCharacterLeavesTheRacerWithoutADriver)
{
    for (int type : {-1, 7})
    {
        DriverAnimation none;
        none.Bind(&racer, type, *triggers);
        EXPECT_EQ(none.owner, nullptr) << type;
        D3DXMATRIX world;
        D3DXMatrixIdentity(&world);
        gfx::null::ClearCalls();
        none.UpdateAndDraw(0.3f, world);
        EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
    }
}

TEST_F(DriverAnimationTest, SteeringScrubsTheSteerAnimationToItsPoseAndBack)
{
    const double right = animation.rightPeriod;
    // Neutral: the steer-right animation held at its first pose.
    Frame(0.0f);
    EXPECT_EQ(SetOn(0), animation.rightSet);
    EXPECT_DOUBLE_EQ(Track(0).Position, 0.0);
    EXPECT_FLOAT_EQ(Track(0).Speed, 0.0f);

    // Full right lock plays the steer-right animation to its end and stops there.
    Frame(-0.456f);
    EXPECT_EQ(SetOn(0), animation.rightSet);
    EXPECT_FLOAT_EQ(Track(0).Speed, DriverAnimation::kSteerSpeed);
    EXPECT_NEAR(animation.tracks[0].target, right, 1e-6);
    for (int i = 0; i < 150; ++i)
        Frame(-0.456f);
    EXPECT_NEAR(Track(0).Position, right, 1e-5);
    Frame(-0.456f);
    EXPECT_NEAR(Track(0).Position, right, 1e-5) << "and stays at the lock";

    // Back to straight: the return starts at its beginning and plays to just short of its end.
    Frame(0.0f);
    EXPECT_EQ(SetOn(0), animation.rightBackSet);
    EXPECT_NEAR(animation.tracks[0].target, right - 0.000001, 1e-9);
    EXPECT_LT(Track(0).Position, 0.01);
    Frame(0.0f);
    EXPECT_GT(Track(0).Position, 0.0);
    for (int i = 0; i < 150; ++i)
        Frame(0.0f);
    // Back at the neutral pose: the first pose of a steer animation.
    EXPECT_TRUE(SetOn(0) == animation.leftSet || SetOn(0) == animation.rightSet);
    EXPECT_LT(Track(0).Position, 1e-5);

    // Half left from neutral stops half way; beyond the lock counts as the lock.
    animation.tracks[0].assigned = 0;
    Frame(0.228f);
    EXPECT_EQ(SetOn(0), animation.leftSet);
    EXPECT_NEAR(animation.tracks[0].target, 0.5 * animation.leftPeriod, 1e-4);
    animation.tracks[0].assigned = 0;
    Frame(2.0f);
    EXPECT_NEAR(animation.tracks[0].target, animation.leftPeriod, 1e-4);
}

TEST_F(DriverAnimationTest, TheReversePoseBlendsInOverASecondAndOutOverAnother)
{
    static int lookBack = 0;
    DriverAnimation::s_LookBack = [](const QV7_Buggy&) { return lookBack; };
    lookBack = 1;
    Frame(0.0f, 500.0f);
    EXPECT_EQ(animation.reversing, 1);
    EXPECT_FLOAT_EQ(animation.reverseWeight, 0.5f);
    EXPECT_EQ(SetOn(1), animation.reverseSet);
    EXPECT_FLOAT_EQ(Track(1).Weight, 0.5f);
    EXPECT_FLOAT_EQ(Track(0).Weight, 0.5f);
    Frame(0.0f, 500.0f);
    Frame(0.0f, 500.0f);
    EXPECT_FLOAT_EQ(animation.reverseWeight, 1.0f);
    EXPECT_FLOAT_EQ(Track(1).Weight, 1.0f);
    EXPECT_FLOAT_EQ(Track(0).Weight, 0.0f);

    lookBack = 0;
    Frame(0.0f, 20.0f); // the turn back starts
    EXPECT_EQ(animation.reversing, 0);
    Frame(0.0f, 250.0f);
    EXPECT_EQ(SetOn(1), animation.reverseBackSet);
    EXPECT_FLOAT_EQ(animation.reverseWeight, 0.75f);
    EXPECT_FLOAT_EQ(Track(1).Weight, 0.75f);
    for (int i = 0; i < 4; ++i)
        Frame(0.0f, 250.0f);
    EXPECT_FLOAT_EQ(animation.reverseWeight, 0.0f);
    EXPECT_FLOAT_EQ(Track(1).Weight, 0.0f);
    EXPECT_FLOAT_EQ(Track(0).Weight, 1.0f);
}

TEST_F(DriverAnimationTest, AnImpactPlaysTheBumpAndHandsBackToTheSteering)
{
    animation.bumpRequest = 1;
    Frame(0.0f);
    EXPECT_EQ(animation.bumpRequest, 0);
    EXPECT_EQ(animation.bumpPlaying, 1);
    EXPECT_EQ(SetOn(1), animation.bumpSet);
    EXPECT_FLOAT_EQ(Track(1).Weight, 1.0f);
    EXPECT_FLOAT_EQ(Track(0).Weight, 0.0f);
    float lastBumpWeight = 1.0f;
    int frames = 0;
    while (animation.bumpPlaying && frames++ < 200)
    {
        Frame(0.0f);
        if (animation.bumpPlaying)
        {
            EXPECT_LE(Track(1).Weight, lastBumpWeight + 1e-6f) << "the bump only fades out";
            lastBumpWeight = Track(1).Weight;
        }
    }
    EXPECT_EQ(animation.bumpPlaying, 0);
    EXPECT_LT(frames, 200);
}

TEST_F(DriverAnimationTest, TheSeatFollowsTheCharacterAndTheModel)
{
    struct Row
    {
        int type, model;
        bool skinned;
        float x, y;
    };
    const Row rows[] = {{PLAYERM, 2, true, 15, 210},   {KRASKA, 5, true, -76, 180},
                        {CALEC, 9, true, -7, 125},     {CASSANDRA, 0, false, 10, 200},
                        {BEVERLY, 12, true, -10, 200}, {GRONK, 5, false, -60, 265},
                        {GRONK, 5, true, -60, 275},    {GRONK, -1, true, 0, 185}};
    for (const Row& r : rows)
    {
        const D3DXVECTOR2 seat = DriverAnimation::Seat(r.type, r.model, r.skinned);
        EXPECT_FLOAT_EQ(seat.x, r.x) << r.type << "/" << r.model;
        EXPECT_FLOAT_EQ(seat.y, r.y) << r.type << "/" << r.model;
    }
    D3DXMATRIX world;
    D3DXMatrixTranslation(&world, 100.0f, 0.0f, 0.0f);
    const D3DXMATRIX seat = animation.SeatMatrix(world, true);
    EXPECT_FLOAT_EQ(seat._11, 2.5f);
    EXPECT_FLOAT_EQ(seat._41, 100.0f + 15.0f); // KRASKA shares the players' seats: (15, 210) in model 2
    EXPECT_FLOAT_EQ(seat._42, 210.0f);
    racer.modelIndex = 9;
    const D3DXMATRIX tilted = animation.SeatMatrix(world, true);
    EXPECT_NEAR(tilted._12, 2.5f * std::sin(-0.2f), 1e-5);
}

TEST_F(DriverAnimationTest, DistanceAndDetailChooseTheFigure)
{
    EXPECT_EQ(DriverAnimation::DriverTypeOf(0, 1), PLAYERM);
    EXPECT_EQ(DriverAnimation::DriverTypeOf(0, 2), PLAYERF);
    EXPECT_EQ(DriverAnimation::DriverTypeOf(1, 2), CALEC);
    EXPECT_EQ(DriverAnimation::DriverTypeOf(5, 1), GRONK);
    using F = DriverAnimation::Figure;
    struct Row
    {
        float distance;
        int detail, forceHighRes;
        F figure;
    };
    const Row rows[] = {{100, 2, 0, F::Skinned}, {10000, 4, 0, F::Skinned}, {10001, 4, 0, F::Rigid},
                        {20000, 4, 0, F::Rigid}, {29999, 1, 0, F::Rigid},   {30000, 4, 0, F::None},
                        {100, 1, 0, F::Rigid},   {100, -1, 1, F::Skinned},  {100, -1, 0, F::Rigid}};
    for (const Row& r : rows)
    {
        GameSettings settings;
        settings.Detail = r.detail;
        settings.force_HighResAnim = r.forceHighRes;
        EXPECT_EQ(DriverAnimation::ChooseFigure(r.distance, settings), r.figure)
            << r.distance << " detail " << r.detail;
    }
}

TEST_F(DriverAnimationTest, UpdateAndDrawDrawsTheChosenFigureOnItsSeat)
{
    g_camera->SetEye(0.0f, 100.0f, -400.0f);
    g_camera->SetTarget(0.0f, 0.0f, 0.0f);
    g_frameManager->m_LastFrameMs = 20.0f;
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    AnimatedMesh& figure = *animation.figure;
    const size_t combinations = figure.m_Skinned->NumBoneCombinations;

    windows->m_Settings.Detail = 3;
    const double before = controller->GetTime();
    gfx::null::ClearCalls();
    animation.UpdateAndDraw(-0.2f, world);
    EXPECT_GE(gfx::null::CountCalls("DrawIndexedPrimitive("), combinations);
    EXPECT_NEAR(controller->GetTime() - before, 0.02, 1e-6) << "advanced once, by the frame";
    EXPECT_FLOAT_EQ(animation.steering, -0.2f);
    EXPECT_EQ(SetOn(0), animation.rightSet);
    const D3DXMATRIX seat = animation.SeatMatrix(world, true);
    EXPECT_EQ(std::memcmp(&figure.m_World, &seat, sizeof seat), 0);

    // The mirrored pass draws the same pose and leaves the clock alone.
    const double after = controller->GetTime();
    animation.DrawOnly(world);
    EXPECT_DOUBLE_EQ(controller->GetTime(), after);

    // Low detail: the rigid substitute, the animation left as it was.
    windows->m_Settings.Detail = 1;
    const DriverTrackState track0 = animation.tracks[0];
    gfx::null::ClearCalls();
    animation.UpdateAndDraw(0.4f, world);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("),
              size_t(animation.idleTrigger->m_RigidMesh->m_SubsetCount));
    EXPECT_EQ(animation.tracks[0].target, track0.target);

    // Out of sight range: nothing.
    racer.position = D3DXVECTOR3(0.0f, 100.0f, 29700.0f);
    gfx::null::ClearCalls();
    animation.UpdateAndDraw(0.4f, world);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
}
} // namespace

namespace
{
// The preview's fade from track 0 to track 1 over a second, at the rate that
// brings the incoming weight to 1 as it ends.
TEST_F(DriverAnimationTest, TheCrossFadeMovesTheWeightOverAndGivesTheSpeedBack)
{
    controller->SetTrackSpeed(0, 0.5f);
    controller->SetTrackPosition(1, 0.3);
    g_frameManager->m_LastFrameMs = 250.0f;
    EXPECT_FALSE(CrossFadeAnimationTracks(controller, 1, 0, 1000.0f, 1000.0f));
    EXPECT_DOUBLE_EQ(Track(1).Position, 0.0);
    EXPECT_FLOAT_EQ(Track(0).Speed, 0.0f) << "the outgoing track holds still";
    EXPECT_FALSE(CrossFadeAnimationTracks(controller, 1, 0, 1000.0f, 1000.0f));
    EXPECT_FLOAT_EQ(Track(1).Weight, 0.5f);
    EXPECT_FLOAT_EQ(Track(0).Weight, 0.5f);
    EXPECT_FALSE(CrossFadeAnimationTracks(controller, 1, 0, 1000.0f, 1000.0f));
    EXPECT_FALSE(CrossFadeAnimationTracks(controller, 1, 0, 1000.0f, 1000.0f))
        << "at the duration, not past it";
    EXPECT_FLOAT_EQ(Track(1).Weight, 1.0f);
    EXPECT_TRUE(CrossFadeAnimationTracks(controller, 1, 0, 1000.0f, 1000.0f));
    EXPECT_FLOAT_EQ(Track(1).Weight, 1.0f);
    EXPECT_FLOAT_EQ(Track(0).Speed, 0.5f);
    // The next call starts a new fade.
    EXPECT_FALSE(CrossFadeAnimationTracks(controller, 0, 1, 1000.0f, 1000.0f));
    EXPECT_DOUBLE_EQ(Track(0).Position, 0.0);
    g_frameManager->m_LastFrameMs = 2000.0f;
    EXPECT_TRUE(CrossFadeAnimationTracks(controller, 0, 1, 1000.0f, 1000.0f));
}
} // namespace
