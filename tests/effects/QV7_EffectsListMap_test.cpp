// The live-effect manager: placed-effect files, the racers' slots, creation
// and removal of instances with every reference to them cleared, the
// instance tick's own rules, and the frame's update.
#include "tests/effects/EffectsTestSupport.h"

#include "effects/QV7_EffectsListMap.h"
#include "shell/QV7_Globals.h"

using namespace effectstest;

namespace
{
class EffectsListMapTest : public EffectsFixture
{
  protected:
    void SetUp() override
    {
        EffectsFixture::SetUp();
        global = &Load(Named(GlobalNames()));
        map = &Load(Named({"Wheel dust", "Wheel dust 1", "Chimney"}, 1));
        manager.m_GlobalLibrary = global;
        manager.m_MapLibrary = map;
    }
    void TearDown() override
    {
        manager.m_Instances.Clear();
        EffectsFixture::TearDown();
    }
    QV7_EffectsList* global = nullptr;
    QV7_EffectsList* map = nullptr;
    QV7_EffectsListMap manager;
};

QV7_Buggy* Racer(int n)
{
    return reinterpret_cast<QV7_Buggy*>(uintptr_t(0x1000 * n)); // only compared
}
} // namespace

TEST_F(EffectsListMapTest, BindingCreatesTheNinetySixSlotInstancesAndTheWeaponTable)
{
    BinaryReader empty;
    manager.LoadPlacedEffects(empty);
    manager.BindSlots();
    EXPECT_EQ(manager.m_PlacedEffects.Count(), 0);
    EXPECT_EQ(manager.m_Instances.Count(), 96);
    EXPECT_EQ(manager.m_Instances[0], manager.m_WheelDust[0][0]);
    EXPECT_EQ(manager.m_Instances[1], manager.m_WheelDustAlt[0][0]);
    EXPECT_EQ(manager.m_WheelDust[7][3]->m_Template, map->FindTemplateByName("Wheel dust"));
    EXPECT_EQ(manager.m_WheelDust[7][3]->m_Active, 0);
    EXPECT_EQ(manager.m_BrokenEffect[2]->m_Hidden, 1);
    EffectInstance& shield = *manager.m_ShieldEffect[5];
    EXPECT_EQ(shield.m_Template, global->FindTemplateByName("Shield"));
    EXPECT_EQ(shield.m_LockEffect, 1);
    EXPECT_EQ(shield.m_SecondPass, 1);
    EXPECT_EQ(shield.m_NoZWrite, 1);
    EXPECT_EQ(shield.m_Hidden, 1);
    EXPECT_EQ(shield.m_Active, 0);
    EXPECT_EQ(manager.m_RacerEffects[0][0], nullptr);
    EXPECT_EQ(manager.m_WeaponEffects.entries[1], global->FindTemplateByName("Sparks"));
    EXPECT_EQ(manager.m_WeaponEffects.entries[12], global->FindTemplateByName("cannon"));
    EXPECT_EQ(manager.m_WeaponEffects.entries[0], nullptr) << "missing names leave null entries";
    for (int unused : {11, 13, 15})
        EXPECT_EQ(manager.m_WeaponEffects.entries[unused], nullptr);
}

TEST_F(EffectsListMapTest, PlacedEffectFilesShortMissingAndTrailing)
{
    PlacedEffectRecord chimney;
    chimney.templateId = 3;
    chimney.position = {10.0f, 20.0f, 30.0f};
    chimney.rotation = {0.5f, 0.0f, 0.0f};
    chimney.scale = 2.0f;
    chimney.value = 9;
    chimney.viewDistance = 300.0f;
    std::vector<uint8_t> bytes = BuildPlacedEffects({chimney, chimney}).Bytes();
    bytes.push_back(0xAB); // trailing bytes are ignored
    BinaryReader file(bytes);
    manager.LoadPlacedEffects(file);
    ASSERT_EQ(manager.m_PlacedEffects.Count(), 2);
    const PlacedEffect& p = *manager.m_PlacedEffects[1];
    EXPECT_EQ(p.m_TemplateId, 3u);
    EXPECT_EQ(p.m_Position.z, 30.0f);
    EXPECT_EQ(p.m_Rotation.x, 0.5f);
    EXPECT_EQ(p.m_Scale, 2.0f);
    EXPECT_EQ(p.m_Value, 9);
    EXPECT_EQ(p.m_ViewDistanceSq, 90000.0f);

    QV7_EffectsListMap shortFile;
    bytes.resize(4 + 40 + 20);
    BinaryReader cut(bytes);
    shortFile.LoadPlacedEffects(cut);
    EXPECT_EQ(shortFile.m_PlacedEffects.Count(), 1);
    EXPECT_TRUE(Logged("ERROR: Placed effects file short: 2 records, room for 1"));

    QV7_EffectsListMap missing;
    missing.m_GlobalLibrary = global;
    missing.m_MapLibrary = map;
    missing.Load("/nonexistent/Map2.efm");
    EXPECT_EQ(missing.m_PlacedEffects.Count(), 0);
    EXPECT_EQ(missing.m_Instances.Count(), 96) << "the slots are bound all the same";
}

TEST_F(EffectsListMapTest, CreateByNameSearchesOnlyTheLibraryItIsTold)
{
    EffectInstance* exhaust = manager.CreateInstanceByName("EXHAUST", 1);
    ASSERT_NE(exhaust, nullptr);
    EXPECT_EQ(exhaust->m_AutoDelete, 0);
    EXPECT_EQ(exhaust->m_EmitterStates.Count(), 1);
    EXPECT_EQ(exhaust->m_EmitterStates[0]->m_RenderSettings.words.alphaRefB, 200u);
    EXPECT_EQ(manager.CreateInstanceByName("Exhaust", 0), nullptr);
    EXPECT_EQ(manager.CreateInstanceByName("Chimney", 1), nullptr);
    EXPECT_EQ(manager.CreateInstance(nullptr, 1), nullptr);
    EXPECT_EQ(manager.m_Instances.Count(), 1);
}

TEST_F(EffectsListMapTest, RemovalKeepsOtherOwnersAndResetsOnlyTheOwnersRow)
{
    manager.BindSlots();
    EffectInstance* exhaust = manager.CreateInstanceByName("Exhaust", 1);
    manager.m_RacerEffects[2][0] = exhaust;
    exhaust->m_Owner = Racer(3);
    EffectInstance* mine = manager.CreateInstance(global->FindTemplateByName("Crash"), 1);
    mine->m_Owner = Racer(3);
    EffectInstance* theirs = manager.CreateInstance(global->FindTemplateByName("Crash"), 1);
    theirs->m_Owner = Racer(4);
    manager.m_WheelDust[2][1]->m_Active = 1;
    manager.m_WheelDust[3][1]->m_Active = 1;
    manager.Update(100.0f);
    ASSERT_GT(exhaust->m_EmitterStates[0]->m_Particles.Count(), 0);
    const int before = manager.m_Instances.Count();
    manager.RemoveOwnerInstances(Racer(3), 2);
    EXPECT_EQ(manager.m_Instances.Count(), before - 1);
    EXPECT_EQ(manager.m_Instances.IndexOf(mine), -1);
    EXPECT_GE(manager.m_Instances.IndexOf(theirs), 0);
    EXPECT_GE(manager.m_Instances.IndexOf(exhaust), 0) << "kept instances stay";
    EXPECT_EQ(exhaust->m_Active, 0);
    EXPECT_EQ(exhaust->m_EmitterStates[0]->m_Particles.Count(), 0);
    EXPECT_EQ(manager.m_WheelDust[2][1]->m_Active, 0);
    EXPECT_EQ(manager.m_WheelDust[3][1]->m_Active, 1) << "another racer's row is left alone";

    manager.PurgeFinished();
    EXPECT_EQ(manager.m_Instances.IndexOf(theirs), -1);
    EXPECT_EQ(manager.m_Instances.Count(), 97);
}

TEST_F(EffectsListMapTest, DeletingAnInstanceClearsEverySlotAndParentPointingAtIt)
{
    manager.BindSlots();
    EffectInstance* turbo = manager.CreateInstanceByName("Exhaust", 1);
    manager.m_RacerEffectsB[1][1] = turbo;
    EffectInstance* hit = manager.CreateInstance(global->FindTemplateByName("Shiel hit"), 1);
    hit->m_Parent = manager.m_ShieldEffect[1];
    EffectInstance* child = manager.CreateInstance(global->FindTemplateByName("Crash"), 0);
    child->m_Parent = turbo;
    manager.ClearRacerRow(1);
    EXPECT_EQ(manager.m_RacerEffectsB[1][1], nullptr);
    EXPECT_EQ(child->m_Parent, nullptr);
    manager.DeleteInstance(manager.m_ShieldEffect[1]);
    EXPECT_EQ(manager.m_ShieldEffect[1], nullptr);
    EXPECT_EQ(hit->m_Parent, nullptr);
    Log().clear();
    manager.DeleteInstance(reinterpret_cast<EffectInstance*>(&manager));
    EXPECT_TRUE(Logged("ERROR: Memory Collecion Delete(T* Item) pointer unit not found."));
}

TEST_F(EffectsListMapTest, FramesRunWholeTicksAndTransientInstancesGoWhenTheyStop)
{
    QV7_EffectsList& once = Load(Named({"Once"}, 1, 100, 0));
    EffectInstance* a = manager.CreateInstance(once.m_Templates[0], 1);
    EffectInstance* b = manager.CreateInstance(once.m_Templates[0], 0);
    manager.Update(20.0f);
    EXPECT_EQ(a->m_Age, 0.0f);
    manager.Update(1.0f);
    EXPECT_EQ(a->m_Age, 20.0f);
    manager.Update(65.0f);
    EXPECT_EQ(a->m_Age, 80.0f);
    EXPECT_FLOAT_EQ(a->m_TimeAccumulator, 6.0f);
    manager.Update(20.0f);
    EXPECT_EQ(manager.m_Instances.IndexOf(a), -1);
    ASSERT_EQ(manager.m_Instances.IndexOf(b), 0);
    EXPECT_EQ(b->m_Active, 0);
    EXPECT_EQ(map->m_Templates[0]->active, 1) << "the map's templates always play";
}

TEST_F(EffectsListMapTest, ALoopCarriesItsAccumulator)
{
    EffectInstance* loop = manager.CreateInstanceByName("Sparks", 1);
    loop->Advance(980.0f + 12.0f + 20.0f); // 50 ticks reach 1000 with 12 left
    EXPECT_EQ(loop->m_Age, 0.0f);
    EXPECT_FLOAT_EQ(loop->m_TimeAccumulator, 12.0f);
    EXPECT_EQ(loop->m_Active, 1);
}

TEST_F(EffectsListMapTest, InstanceAlphaCapsParticleAlphaKeys)
{
    for (float asked : {255.0f, 50.0f})
    {
        EffectLibraryDescription d = OneEmitter(
            {Emit(60, 100, 10000), EffectRecord(KEY_PARTICLE_ALPHA, 0, 1000).F(asked).U(0).F(0.0f)});
        EffectInstance* instance = manager.CreateInstance(Load(d).m_Templates[0], 0);
        instance->m_Alpha = 100;
        instance->Tick();
        const InstanceParticle& p = *instance->m_EmitterStates[0]->m_Particles[0];
        EXPECT_EQ(p.alpha, asked > 100.0f ? 100 : 50);
        EXPECT_EQ(p.colour >> 24, uint32_t(p.alpha));
        EXPECT_EQ(p.maxAlpha, 100);
    }
}

TEST_F(EffectsListMapTest, TimeScaleStretchesOnlyParticleColourAndSpawnKeys)
{
    EffectRecordDescription colour =
        EffectRecord(KEY_PARTICLE_COLOUR, 0, 500).C(0xFFFFFFFFu).U(1).C(0xFF000000u);
    EffectRecordDescription size = EffectRecord(KEY_PARTICLE_SIZE, 0, 500).F(0.0f).U(1).F(500.0f);
    EffectInstance* instance =
        manager.CreateInstance(Load(OneEmitter({Emit(60, 1, 100000), colour, size})).m_Templates[0], 0);
    instance->m_TimeScale = 2.0f;
    for (int i = 0; i < 25; ++i)
        instance->Advance(20.5f);
    const InstanceParticle& p = *instance->m_EmitterStates[0]->m_Particles[0];
    EXPECT_EQ(p.size, 500.0f) << "the size key keeps its own window";
    EXPECT_EQ(p.colour & 0xFF, 128u) << "half way through a colour window stretched to 1000 ms";
}

TEST_F(EffectsListMapTest, PausedEmissionMakesNothingAndKeepsTheAccumulator)
{
    EffectInstance* instance = manager.CreateInstanceByName("Sparks", 1);
    instance->m_EmissionPaused = 1;
    instance->Tick();
    EXPECT_EQ(instance->m_EmitterStates[0]->m_Particles.Count(), 0);
    EXPECT_EQ(instance->m_EmitterStates[0]->m_EmitAccumulator[0], 0.0f);
    instance->m_EmissionPaused = 0;
    instance->m_OverrideVelocity = 1;
    instance->m_Velocity = {1.0f, 2.0f, 3.0f};
    EffectLibraryDescription d = OneEmitter(
        {Emit(60, 100, 10000), EffectRecord(KEY_START_VELOCITY, 0, 1000).U(0).V(0, 10, 0).V(0, 0, 0)});
    EffectInstance* moving = manager.CreateInstance(Load(d).m_Templates[0], 0);
    moving->m_OverrideVelocity = 1;
    moving->m_Velocity = {1.0f, 2.0f, 3.0f};
    moving->Tick();
    EXPECT_EQ(moving->m_EmitterStates[0]->m_Particles[0]->position.z, 3.0f);
}

TEST_F(EffectsListMapTest, LockedEffectsKeepTheirOneParticleAndRefuseMore)
{
    EffectInstance* single = manager.CreateInstance(Load(OneEmitter({Emit(60, 0, 40)})).m_Templates[0], 0);
    single->m_LockEffect = 1;
    for (int i = 0; i < 100; ++i)
        single->Tick();
    EXPECT_EQ(single->m_EmitterStates[0]->m_Particles.Count(), 1);

    EffectInstance* several = manager.CreateInstance(Load(OneEmitter({Emit(60, 10, 40)})).m_Templates[0], 0);
    several->m_LockEffect = 1;
    EXPECT_THROW(for (int i = 0; i < 100; ++i) several->Tick(), CDException);
    EXPECT_TRUE(Logged("ERROR: Effect m_LockEffect variable set on invalid effect type."));
}

TEST_F(EffectsListMapTest, BillboardsBounceOnTheGroundUnderTheInstance)
{
    EffectLibraryDescription d = OneEmitter(
        {Emit(60, 1, 10000), EffectRecord(KEY_START_VELOCITY, 0, 1000).U(0).V(0, -10, 0).V(0, 0, 0),
         EffectRecord(KEY_BOUNCE, 0, 10000).F(0.5f).U(0).F(0.0f)});
    EffectInstance* instance = manager.CreateInstance(Load(d).m_Templates[0], 0);
    instance->m_Position = {0.0f, 5.0f, 0.0f}; // no landscape: the ground is at 0
    instance->m_Scale = 0.5f;
    instance->Tick(); // made at 0, moved to local -10: world 0, on the ground
    instance->Tick(); // not below it yet; moved to local -20
    instance->Tick(); // world -5: back to local -10, velocity 10 x 0.5, then moved
    const InstanceParticle& p = *instance->m_EmitterStates[0]->m_Particles[0];
    EXPECT_FLOAT_EQ(p.velocity.y, 5.0f);
    EXPECT_FLOAT_EQ(p.position.y, -10.0f + 5.0f);
}

TEST_F(EffectsListMapTest, MovingSceneryCarriesParticlesAndPositions)
{
    EffectInstance* carried = manager.CreateInstanceByName("Sparks", 1);
    carried->m_CarryParticles = 1;
    carried->m_CarryPosition = 1;
    carried->m_Position = {1.0f, 0.0f, 0.0f};
    carried->Tick();
    carried->m_EmitterStates[0]->m_Particles[0]->position = {2.0f, 0.0f, 0.0f};
    D3DXMATRIX turn, identity;
    D3DXMatrixRotationY(&turn, D3DX_PI / 2);
    D3DXMatrixIdentity(&identity);
    manager.TransformAttachedParticles({0, 0, 0}, {0, 10, 0}, turn, identity);
    EXPECT_NEAR(carried->m_Position.y, 10.0f, 1e-5f);
    EXPECT_NEAR(carried->m_Position.z, -1.0f, 1e-5f);
    EXPECT_NEAR(carried->m_EmitterStates[0]->m_Particles[0]->position.z, -2.0f, 1e-5f);
}

TEST_F(EffectsListMapTest, OwnersAreFollowedWithTheirOffsets)
{
    D3DXVECTOR3 chassis{100.0f, 2.0f, 50.0f};
    EffectInstance* follow = manager.CreateInstanceByName("Exhaust", 1);
    follow->m_FollowOwner = 1;
    follow->m_OwnerPosition = &chassis;
    follow->m_MatrixFollowsOwner = 1;
    follow->m_UseOffset = 1;
    follow->m_Offset = {0.0f, 1.0f, 0.0f};
    EffectInstance* attached = manager.CreateInstanceByName("Exhaust", 1);
    attached->m_AttachToBody = 1;
    attached->m_OwnerPosition = &chassis;
    attached->m_LocalOffset = {0.0f, 0.0f, 3.0f};
    manager.Update(1.0f);
    EXPECT_EQ(follow->m_Position, D3DXVECTOR3(100.0f, 3.0f, 50.0f));
    EXPECT_EQ(follow->m_Matrix._42, 3.0f);
    EXPECT_EQ(attached->m_Position, D3DXVECTOR3(100.0f, 2.0f, 53.0f));
}
