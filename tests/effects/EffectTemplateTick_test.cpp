// Templates played in place: the 20 ms stepping, emission limits, particle
// life, hand-computed motion, the key windows, looping and the spawn guard.
#include "tests/effects/EffectsTestSupport.h"

#include "effects/EffectKeyTick.h"
#include "shell/QV7_Globals.h"

using namespace effectstest;

namespace
{
class EffectTickTest : public EffectsFixture
{
  protected:
    EffectTemplate& Play(const EffectLibraryDescription& d)
    {
        EffectTemplate& t = *Load(d).m_Templates[0];
        t.active = 1;
        return t;
    }
};

EffectRecordDescription Force(float y)
{
    return EffectRecord(KEY_FORCE, 0, 100000).V(0.0f, y, 0.0f).U(0).V(0.0f, 0.0f, 0.0f);
}

EffectRecordDescription StartVelocity(float y)
{
    return EffectRecord(KEY_START_VELOCITY, 0, 100000).U(0).V(0.0f, y, 0.0f).V(0.0f, 0.0f, 0.0f);
}
} // namespace

TEST(KeyWindow, OverlapAndFractionAtTheWindowEdges)
{
    struct Case
    {
        int32_t start, end, a;
        bool applies;
        int32_t overlap;
        float fraction;
    };
    const Case cases[] = {
        {0, 30, 0, true, 20, 20.0f / 30.0f}, {0, 30, 20, true, 10, 1.0f},
        {0, 30, 40, false, 0, 0.0f},         {50, 60, 20, false, 0, 0.0f},
        {40, 60, 20, true, 0, 0.0f},         {100, 100, 90, true, 0, 1.0f},
        {30, 200, 0, false, 0, 0.0f},        {10, 200, 0, true, 10, 10.0f / 190.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.start << ".." << c.end << " at " << c.a);
        const KeyWindow w = ComputeKeyWindow(c.start, c.end, c.a);
        EXPECT_EQ(w.applies, c.applies);
        if (!c.applies)
            continue;
        EXPECT_EQ(w.overlap, c.overlap);
        EXPECT_FLOAT_EQ(w.fraction, c.fraction);
    }
}

TEST_F(EffectTickTest, TicksRunOnlyWhileMoreThanTwentyMillisecondsArePending)
{
    EffectTemplate& t = Play(OneEmitter({Emit(60, 100, 10000)}, 5000, 1));
    t.Advance(20.0f);
    EXPECT_EQ(t.age, 0.0f);
    t.Advance(1.0f);
    EXPECT_EQ(t.age, 20.0f);
    EXPECT_FLOAT_EQ(t.accumulator, 1.0f);
    t.Advance(65.0f);
    EXPECT_EQ(t.age, 80.0f);
    EXPECT_FLOAT_EQ(t.accumulator, 6.0f);
}

TEST_F(EffectTickTest, ALoopOfFiveSecondsFedAtOnceRunsTwoHundredFiftyTicksAndCarriesTheRest)
{
    EffectTemplate& t = Play(OneEmitter({Emit(60, 100, 100000)}, 5000, 1));
    t.Advance(5010.0f);
    EXPECT_EQ(t.age, 0.0f);
    EXPECT_FLOAT_EQ(t.accumulator, 10.0f);
    EXPECT_EQ(t.active, 1);
    EXPECT_EQ(t.emitters[0]->particles.Count(), 0) << "a loop without keep-on-loop starts empty";
}

TEST_F(EffectTickTest, ATemplateWithoutLoopStopsAndFreesItsParticles)
{
    EffectTemplate& t = Play(OneEmitter({Emit(60, 100, 100000)}, 100, 0));
    t.Advance(90.0f);
    EXPECT_GT(t.emitters[0]->particles.Count(), 0);
    t.Advance(100.0f);
    EXPECT_EQ(t.active, 0);
    EXPECT_EQ(t.age, 0.0f);
    EXPECT_EQ(t.emitters[0]->particles.Count(), 0);
}

TEST_F(EffectTickTest, DurationsOfZeroOrLessNeverHang)
{
    for (int32_t duration : {0, -1, -100000})
    {
        EffectLibraryDescription d = OneEmitter({Emit(60, 100, 100)}, duration, 1);
        EffectTemplate& t = Play(d);
        t.duration = duration; // as if the file's value had reached it
        t.Advance(1000.0f);
        EXPECT_EQ(t.age, 0.0f);
        EXPECT_LE(t.accumulator, 20.0f);
    }
}

TEST_F(EffectTickTest, KeepOnLoopKeepsParticlesOverALoopAndTheOthersStartEmpty)
{
    EffectLibraryDescription d = OneEmitter({Emit(60, 100, 100000)}, 100, 1);
    d.templates[0].emitters.push_back(d.templates[0].emitters[0]);
    d.templates[0].emitters[0].keepOnLoop = 1;
    d.templates[0].emitters[1].keys.push_back(
        {KEY_ORIGIN, {EffectRecord(KEY_ORIGIN, 0, 100).V(5, 5, 5).U(0).V(0, 0, 0)}});
    EffectTemplate& t = Play(d);
    t.Advance(99.0f);
    EXPECT_EQ(t.emitters[1]->origin.x, 5.0f);
    const int kept = t.emitters[0]->particles.Count();
    t.Advance(2.0f); // the fifth tick ends the cycle
    EXPECT_EQ(t.age, 0.0f);
    EXPECT_GE(t.emitters[0]->particles.Count(), kept);
    EXPECT_EQ(t.emitters[1]->particles.Count(), 0);
    EXPECT_EQ(t.emitters[1]->origin.x, 0.0f);
}

TEST_F(EffectTickTest, ParticlePositionsFollowStartVelocityAndForceTickByTick)
{
    // Rate 60 gives 1.2 particles a tick: one particle in each of the first
    // four ticks, two in the fifth.
    EffectTemplate& t = Play(OneEmitter({Emit(60, 100, 10000), StartVelocity(10.0f), Force(-0.5f)}));
    t.Tick();
    ASSERT_EQ(t.emitters[0]->particles.Count(), 1);
    EffectParticle& first = *t.emitters[0]->particles[0];
    EXPECT_FLOAT_EQ(first.velocity.y, 9.5f);
    EXPECT_FLOAT_EQ(first.position.y, 9.5f);
    EXPECT_EQ(first.isNew, 0);
    EXPECT_EQ(first.age, 20);
    EXPECT_EQ(first.life, 9980);
    t.age += 20.0f;
    t.Tick();
    EXPECT_FLOAT_EQ(first.velocity.y, 9.0f) << "start velocity only once";
    EXPECT_FLOAT_EQ(first.position.y, 18.5f);
    ASSERT_EQ(t.emitters[0]->particles.Count(), 2);
    EXPECT_FLOAT_EQ(t.emitters[0]->particles[1]->position.y, 9.5f);
    for (int i = 0; i < 3; ++i)
    {
        t.age += 20.0f;
        t.Tick();
    }
    EXPECT_EQ(t.emitters[0]->particles.Count(), 6);
    EXPECT_FLOAT_EQ(first.position.y, 9.5f + 9.0f + 8.5f + 8.0f + 7.5f);
}

TEST_F(EffectTickTest, EmissionLimitsOfBillboardAndMeshEmitters)
{
    EffectLibraryDescription d = OneEmitter({Emit(5000, 10, 100000)});
    d.templates[0].emitters.push_back(d.templates[0].emitters[0]);
    d.templates[0].emitters[1].meshId = 3;
    EffectTemplate& t = Play(d);
    for (int i = 0; i < 5; ++i)
        t.Tick();
    EXPECT_EQ(t.emitters[0]->particles.Count(), 11);
    EXPECT_EQ(t.emitters[1]->meshParticles.Count(), 10);
}

TEST_F(EffectTickTest, AParticleOfLifeFiveHundredLivesTwentyFiveTicks)
{
    EffectTemplate& t = Play(OneEmitter({Emit(60, 1, 500, 0, 20)}));
    for (int i = 0; i < 25; ++i)
    {
        t.Tick();
        t.age += 20.0f;
    }
    ASSERT_EQ(t.emitters[0]->particles.Count(), 1);
    EXPECT_EQ(t.emitters[0]->particles[0]->life, 0);
    t.Tick();
    EXPECT_EQ(t.emitters[0]->particles.Count(), 0);
}

TEST_F(EffectTickTest, RandomPushUsesTheGamesGeneratorScaledToOne)
{
    EffectRecordDescription push =
        EffectRecord(KEY_RANDOM_PUSH, 0, 1000).V(-1, 0, -1).V(1, 2, 1).U(0).V(0, 0, 0).V(0, 0, 0);
    EffectTemplate& t = Play(OneEmitter({Emit(60, 1, 10000), push}));
    GameSRand(7);
    t.Tick();
    GameSRand(7);
    const float rx = float(GameRand()) / 32767.0f, ry = float(GameRand()) / 32767.0f,
                rz = float(GameRand()) / 32767.0f;
    const EffectParticle& p = *t.emitters[0]->particles[0];
    EXPECT_FLOAT_EQ(p.velocity.x, -1.0f + 2.0f * rx);
    EXPECT_FLOAT_EQ(p.velocity.y, 2.0f * ry);
    EXPECT_FLOAT_EQ(p.velocity.z, -1.0f + 2.0f * rz);
    EXPECT_LE(std::abs(p.velocity.x), 1.0f);
}

TEST_F(EffectTickTest, ParticleClockKeysFollowEachParticlesAgeAndColoursRound)
{
    EffectRecordDescription alpha = EffectRecord(KEY_PARTICLE_ALPHA, 0, 100).F(255.0f).U(1).F(0.0f);
    EffectRecordDescription colour = EffectRecord(KEY_COLOUR, 0, 100000).C(0xFF0000FFu).U(0).C(0);
    EffectTemplate& t = Play(OneEmitter({Emit(60, 1, 10000), colour, alpha}));
    t.Tick(); // the particle is made, then its own clock reads 0..20
    const EffectParticle& p = *t.emitters[0]->particles[0];
    EXPECT_EQ(p.alpha, 204); // 255 x (1 - 20/100)
    EXPECT_EQ(p.colour, 0xCC0000FFu);
    t.age += 20.0f;
    t.Tick();
    EXPECT_EQ(p.alpha, 153);
    EXPECT_EQ(p.colour & 0x00FFFFFFu, 0x0000FFu) << "colour keys leave the alpha to the particle";
}

TEST_F(EffectTickTest, ASpawnIntoItsOwnEmitterStopsAtItsMaximum)
{
    EffectRecordDescription spawn =
        EffectRecord(KEY_SPAWN, 0, 100000).I(0).U(0).I(100000).I(-1).I(50).I(1000).U(0);
    EffectTemplate& t = Play(OneEmitter({Emit(60, 1, 10000), spawn}));
    for (int i = 0; i < 10; ++i)
    {
        t.Tick();
        t.age += 20.0f;
    }
    EXPECT_LE(t.emitters[0]->particles.Count(), 52);
    EXPECT_GE(t.emitters[0]->particles.Count(), 51);
}

TEST_F(EffectTickTest, ADamagedRateCannotStallATick)
{
    EffectTemplate& t = Play(OneEmitter({Emit(2000000000, 2000000000, 10000)}));
    t.Tick();
    EXPECT_LE(t.emitters[0]->particles.Count(), kMaxEmitterParticles + 1);
}
