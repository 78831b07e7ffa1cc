// The sound system on the null sound back-end: loading from the sound packs,
// the volume rules, positional one-shots and persistent instances, pause,
// the per-frame clean-up, music looping, and every failure path logging its
// lines while the game goes on.
#include "SoundTestSupport.h"
#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "media/QV7_SoundSystem.h"
#include "platform/io/BinaryWriter.h"

namespace
{
using namespace snd;

int VolumeOf(SoundBuffer& buffer)
{
    int32_t volume = 1;
    EXPECT_EQ(buffer.GetVolume(volume), DS_OK);
    return volume;
}
uint32_t StatusOf(SoundBuffer& buffer)
{
    uint32_t status = 0;
    buffer.GetStatus(status);
    return status;
}

class SoundSystemTest : public SoundTestBase
{
  protected:
    // Front end: Sfx1 (1 s) then Sfx2 (0.5 s); map 4: Sfx3, Sfx4. Effects:
    // the horn Sfx10 (0.25 s), the engine Sfx11 and the cannon Sfx12.
    void WriteStandardPack()
    {
        ASSERT_TRUE(SaveMusicTable(m_Dir + "GraphicsSfx.dat", {{4, 3, 4}, {kFrontEndMusicKey, 1, 2}, {5, 3, -1}}));
        ASSERT_TRUE(SaveSoundEffectTable(m_Dir + "SndSfx.dat", {{"SOUND_STARTHORN", 10},
                                                                {"SOUND_ENGINE", 11},
                                                                {"SOUND_CANNON", 12},
                                                                {"SOUND_HORN", -1},
                                                                {"SOUND_ENGINEX", 11}}));
        WriteSfx(1, 1.0);
        WriteSfx(2, 0.5);
        WriteSfx(3, 0.5);
        WriteSfx(4, 0.5);
        WriteSfx(10, 0.25);
        WriteSfx(11, 0.5);
        WriteSfx(12, 0.2);
    }

    std::unique_ptr<QV7_SoundSystem> Start()
    {
        auto sound = std::make_unique<QV7_SoundSystem>();
        EXPECT_TRUE(sound->InitDevice(nullptr));
        return sound;
    }

    // One race frame of the given length, as the frame manager measured it.
    void Frame(QV7_SoundSystem& sound, float ms)
    {
        if (!m_Frames)
            m_Frames = std::make_unique<QV7_FrameManager>();
        m_Frames->m_LastFrameMs = ms;
        sound.Update();
    }

    std::unique_ptr<QV7_FrameManager> m_Frames;
};

TEST_F(SoundSystemTest, ConstructionReadsTheMusicTable)
{
    WriteStandardPack();
    QV7_SoundSystem sound;
    EXPECT_EQ(g_soundSystem, &sound);
    ASSERT_EQ(sound.m_MusicTable.Count(), 2);
    EXPECT_EQ(sound.m_MusicTable[0]->key, 4);
    EXPECT_EQ(sound.m_MusicTable[1]->sfxB, -1);
    EXPECT_EQ(sound.m_FrontEndMusicA, 1);
    EXPECT_EQ(sound.m_FrontEndMusicB, 2);
}

TEST_F(SoundSystemTest, MissingTablesLeaveEverythingEmpty)
{
    {
        QV7_SoundSystem sound;
        EXPECT_TRUE(Logged("ERROR: Sounds: Failed to open: " + m_Dir + "GraphicsSfx.dat"));
        EXPECT_EQ(sound.m_FrontEndMusicA, -1);
        ASSERT_TRUE(sound.InitDevice(nullptr));
        sound.LoadMenuSounds();
        EXPECT_EQ(sound.m_MusicA, nullptr);
        EXPECT_EQ(sound.m_Slots[SOUND_STARTHORN], nullptr);
    }
    EXPECT_EQ(g_soundSystem, nullptr);
}

TEST_F(SoundSystemTest, DeviceStartLogsTheCaps)
{
    auto sound = Start();
    const char* expected[] = {
        "INFO: Loading Direct Sound Device",
        "INFO: DirectSound Caps: Driver IS certified for DirectSound.",
        "INFO: DirectSound Caps: DirectSound driver installed.",
        "INFO: DirectSound Caps: The device supports all sample rates.",
        "INFO: DirectSound Caps: Sample Rate Min: 100 Max: 200000",
        "INFO: DirectSound Caps: 0 bytes free memory on the hardware sound card. (can be shared with CPU memory)",
    };
    int last = -1;
    for (const char* line : expected)
    {
        const int at = LogIndex(line);
        EXPECT_GT(at, last) << line;
        last = at;
    }
    EXPECT_EQ(sound->m_Disabled, 0);
}

TEST_F(SoundSystemTest, DeviceFailuresDisableSoundWithTheirLines)
{
    struct Case
    {
        null::Call call;
        HRESULT hr;
        bool result;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {null::Call::Create,
         DSERR_NODRIVER,
         false,
         {"WARNING: Direct Sound Device Failed, Music & Sound will be disabled",
          "WARNING: DirectSoundCreate8: No sound driver is available for use, or the given GUID is not a valid "
          "DirectSound device ID."}},
        {null::Call::Create,
         DSERR_OUTOFMEMORY,
         false,
         {"ERROR: DirectSoundCreate8: The DirectSound subsystem could not allocate sufficient memory to complete "
          "the caller's request. "}},
        {null::Call::Create, DSERR_GENERIC, false, {"ERROR: DirectSoundCreate8: Unknown Error "}},
        {null::Call::SetCooperativeLevel,
         DSERR_ALLOCATED,
         false,
         {"WARNING: Direct Sound SetCooperativeLevel Failed, Music & Sound will be disabled",
          "ERROR: DirectSound->SetCooperativeLevel: The request failed because resources, such as a priority "
          "level, were already in use by another caller. "}},
        {null::Call::SetCooperativeLevel, DSERR_BUFFERLOST, false,
         {"ERROR: DirectSound->SetCooperativeLevel: Unknown Error "}},
        {null::Call::GetCaps,
         DSERR_GENERIC,
         true,
         {"ERROR: DirectSound->GetCaps: An undetermined error occurred inside the DirectSound subsystem. ",
          "WARNING: DirectSound Caps: Driver is NOT certified for DirectSound."}},
    };
    WriteStandardPack();
    for (const Case& c : cases)
    {
        null::ClearFailures();
        null::SetFailure(c.call, c.hr);
        CapturedLog().clear();
        QV7_SoundSystem sound;
        EXPECT_EQ(sound.InitDevice(nullptr), c.result) << c.lines[0];
        EXPECT_EQ(sound.m_Disabled, c.result ? 0 : 1) << c.lines[0];
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Logged(line)) << line;
        // Nothing below may fail or load anything once sound is off.
        null::ClearFailures();
        sound.LoadMenuSounds();
        if (!c.result)
        {
            EXPECT_EQ(sound.m_MusicA, nullptr);
        }
    }
}

TEST_F(SoundSystemTest, SoundDisabledInTheSettings)
{
    WriteStandardPack();
    Settings().INIT_SoundEnabled = 0;
    QV7_SoundSystem sound;
    EXPECT_TRUE(sound.InitDevice(nullptr));
    EXPECT_TRUE(Logged("INFO: Sound & Music disabled in Game Settings"));
    EXPECT_EQ(sound.m_Disabled, 1);
    EXPECT_EQ(sound.m_Device, nullptr);
    sound.LoadMapSounds(4);
    EXPECT_EQ(sound.m_MusicA, nullptr);
    EXPECT_EQ(sound.m_LoadedSounds.Count(), 0);
}

TEST_F(SoundSystemTest, EveryCallIsSafeWithoutADevice)
{
    WriteStandardPack();
    QV7_SoundSystem sound; // InitDevice never called
    SoundEntry entry;      // not loaded
    SoundInstance instance;
    sound.LoadMenuSounds();
    sound.LoadMapSounds(4);
    EXPECT_EQ(sound.LoadSfx(m_Dir + "Sfx1.dat", false), nullptr);
    for (SoundEntry* e : {static_cast<SoundEntry*>(nullptr), &entry})
    {
        sound.PlaySound(e, true);
        sound.StopSound(e);
        EXPECT_FALSE(sound.KeepPlaying(e));
        sound.SetVolume(e, -100);
        sound.PlaySoundAt(e, 0, 0, 0);
        EXPECT_EQ(sound.CreateInstance(e), nullptr);
    }
    for (SoundInstance* i : {static_cast<SoundInstance*>(nullptr), &instance})
    {
        sound.UpdateInstance(i, 0, 0, 0);
        sound.PlayInstance(i);
        sound.StopInstance(i);
        sound.SetInstanceFrequency(i, 20000);
    }
    sound.Pause(1);
    sound.StopAllWhilePaused();
    sound.Pause(0);
    Frame(sound, 16.0f);
}

TEST_F(SoundSystemTest, MenuSoundsAreTheFrontEndPairAndTheStartHorn)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMenuSounds();
    ASSERT_NE(sound->m_MusicA, nullptr);
    ASSERT_NE(sound->m_MusicB, nullptr);
    EXPECT_NEAR(sound->m_MusicA->m_DurationMs, 1000.0f, 0.5f);
    EXPECT_EQ(sound->m_MusicA->m_DecodedSize, 16000u);
    EXPECT_EQ(sound->m_MusicA->m_Info.rate, 8000);
    EXPECT_EQ(sound->m_MusicA->m_Pcm.size(), 16000u);
    ASSERT_NE(sound->m_Slots[SOUND_STARTHORN], nullptr);
    for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot)
        if (slot != SOUND_STARTHORN)
        {
            EXPECT_EQ(sound->m_Slots[slot], nullptr) << kSoundSlotNames[slot];
        }
    EXPECT_EQ(sound->m_LoadedSounds.Count(), 3);
    EXPECT_TRUE(Logged("Info: Loading " + m_Dir + "Sfx1.dat"));
    EXPECT_TRUE(Logged("Info: Loading Done"));
}

TEST_F(SoundSystemTest, MapSoundsLoadThePairAndEveryEffect)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMapSounds(4);
    ASSERT_NE(sound->m_MusicA, nullptr);
    ASSERT_NE(sound->m_MusicB, nullptr);
    ASSERT_NE(sound->m_Slots[SOUND_ENGINE], nullptr);
    ASSERT_NE(sound->m_Slots[SOUND_CANNON], nullptr);
    EXPECT_EQ(sound->m_Slots[SOUND_HORN], nullptr); // file number -1
    // Pair, start horn, engine, cannon and the unnamed "SOUND_ENGINEX".
    ASSERT_EQ(sound->m_LoadedSounds.Count(), 6);
    EXPECT_TRUE(sound->m_Slots[SOUND_ENGINE]->m_Buffer->Flags() & DSBCAPS_CTRLFREQUENCY);
    EXPECT_FALSE(sound->m_Slots[SOUND_CANNON]->m_Buffer->Flags() & DSBCAPS_CTRLFREQUENCY);
    SoundEntry* unnamed = sound->m_LoadedSounds[5];
    EXPECT_FALSE(unnamed->m_Buffer->Flags() & DSBCAPS_CTRLFREQUENCY);
    for (SoundEntry* slot : sound->m_Slots)
        EXPECT_NE(slot, unnamed);

    // A row without its second piece.
    sound->LoadMapSounds(5);
    EXPECT_NE(sound->m_MusicA, nullptr);
    EXPECT_EQ(sound->m_MusicB, nullptr);
    EXPECT_FALSE(sound->KeepPlaying(sound->m_MusicB));
}

TEST_F(SoundSystemTest, AMapWithoutARowGetsNoSound)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMapSounds(4);
    sound->LoadMapSounds(77);
    EXPECT_TRUE(Logged(
        "***WARNING*** Sound System MapNumber 77 requested, no object in sound database with number found."));
    EXPECT_EQ(sound->m_MusicA, nullptr);
    EXPECT_EQ(sound->m_MusicB, nullptr);
    for (SoundEntry* slot : sound->m_Slots)
        EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(sound->m_LoadedSounds.Count(), 0);
}

TEST_F(SoundSystemTest, TwoStartHornsInFrontEndModeLeaveTheLaterInTheSlot)
{
    WriteStandardPack();
    ASSERT_TRUE(SaveSoundEffectTable(m_Dir + "SndSfx.dat",
                                     {{"SOUND_STARTHORN", 10}, {"SOUND_CANNON", 12}, {"SOUND_STARTHORN", 11}}));
    auto sound = Start();
    sound->LoadMenuSounds();
    ASSERT_EQ(sound->m_LoadedSounds.Count(), 4);
    EXPECT_EQ(sound->m_Slots[SOUND_STARTHORN], sound->m_LoadedSounds[3]);
    EXPECT_NEAR(sound->m_Slots[SOUND_STARTHORN]->m_DurationMs, 500.0f, 0.5f);
}

TEST_F(SoundSystemTest, MusicVolumeSetsTheStoredVolumeOfEverySound)
{
    WriteStandardPack();
    for (auto [music, expected] : {std::pair{0, -10000}, {100, 0}, {50, -2500}, {1, -4950}})
    {
        Settings().MusicVolume = music;
        auto sound = Start();
        sound->LoadMenuSounds();
        EXPECT_EQ(sound->m_MusicA->m_Volume, expected) << music;
        EXPECT_EQ(sound->m_Slots[SOUND_STARTHORN]->m_Volume, expected) << music;
        sound->PlaySound(sound->m_MusicA, false);
        EXPECT_EQ(VolumeOf(*sound->m_MusicA->m_Buffer), expected) << music;
    }
}

TEST_F(SoundSystemTest, BrokenSoundFilesLeaveTheirSlotEmpty)
{
    WriteStandardPack();
    std::filesystem::remove(m_Dir + "Sfx12.dat");
    WriteRawFile("Sfx11.dat", std::vector<uint8_t>(300, 0x33));
    WriteRawFile("Sfx10.dat", EncodeOggVorbis({}, 1, 8000)); // opens, but no sound
    auto sound = Start();
    sound->LoadMapSounds(4);
    EXPECT_EQ(sound->m_Slots[SOUND_CANNON], nullptr);
    EXPECT_EQ(sound->m_Slots[SOUND_ENGINE], nullptr);
    EXPECT_EQ(sound->m_Slots[SOUND_STARTHORN], nullptr);
    EXPECT_TRUE(Logged("ERROR: FAILED to Load (acces filename) Music or Sound " + m_Dir + "Sfx12.dat"));
    EXPECT_TRUE(Logged("ERROR: Vorbis: the stream holds no sound."));
    EXPECT_NE(sound->m_MusicA, nullptr);
}

// A broken name in SndSfx.dat is a broken data file like any other: the load
// throws CDException to whoever loads the sounds. With sound disabled the
// table is never read.
TEST_F(SoundSystemTest, ABrokenEffectNameThrowsFromTheSoundLoads)
{
    WriteStandardPack();
    BinaryWriter table;
    table.WriteInt32(2);
    WriteString("SOUND_STARTHORN", table);
    table.WriteInt32(10);
    table.WriteInt32(0); // the second name is empty
    ASSERT_TRUE(table.SaveToFile(m_Dir + "SndSfx.dat"));
    {
        auto sound = Start();
        EXPECT_THROW(sound->LoadMenuSounds(), CDException);
        EXPECT_THROW(sound->LoadMapSounds(4), CDException);
        EXPECT_TRUE(Logged(
            "Critical Problem, File Broken, Application will crash to avoid any additional problems."));
    }
    Settings().INIT_SoundEnabled = 0;
    auto silent = Start();
    EXPECT_NO_THROW(silent->LoadMenuSounds());
}

TEST_F(SoundSystemTest, BufferFailuresAreLoggedAndTheEntryStaysUnloaded)
{
    WriteStandardPack();
    auto sound = Start();
    null::SetFailure(null::Call::CreateSoundBuffer, DSERR_BADFORMAT);
    EXPECT_EQ(sound->LoadSfx(m_Dir + "Sfx1.dat", false), nullptr);
    EXPECT_TRUE(Logged("ERROR: DirectSound, CreateSoundBuffer: The specified wave format is not supported. "));
    null::SetFailure(null::Call::CreateSoundBuffer, DSERR_NODRIVER);
    EXPECT_EQ(sound->LoadSfx(m_Dir + "Sfx1.dat", false), nullptr);
    EXPECT_TRUE(Logged("ERROR: DirectSound, CreateSoundBuffer: Unknown Error"));
    null::ClearFailures();
    null::SetFailure(null::Call::Lock, DSERR_BUFFERLOST);
    EXPECT_EQ(sound->LoadSfx(m_Dir + "Sfx1.dat", false), nullptr);
    EXPECT_TRUE(Logged("ERROR: DirectSound, Buffer->Lock: The buffer memory has been lost and must be restored. "));
    ASSERT_EQ(sound->m_LoadedSounds.Count(), 3);
    for (SoundEntry* entry : sound->m_LoadedSounds)
        EXPECT_EQ(entry->m_Loaded, 0);
}

TEST_F(SoundSystemTest, PositionalVolumeFallsWithDistance)
{
    WriteStandardPack();
    struct Case
    {
        int soundVolume;
        float distance;
        bool plays;
        int volume;
    };
    const Case cases[] = {
        {100, 0.0f, true, 0},        {100, 5000.0f, true, -2500}, {100, 9999.0f, true, -4999},
        {100, 10000.0f, false, 0},   {100, 25000.0f, false, 0},   {30, 2000.0f, true, -4500},
        {30, 3000.0f, false, 0},     {30, 3500.0f, false, 0},     {0, 0.0f, false, 0},
    };
    QV7_Camera camera;
    camera.SetEye(100.0f, 50.0f, -20.0f);
    for (const Case& c : cases)
    {
        Settings().SoundVolume = c.soundVolume;
        auto sound = Start();
        sound->LoadMapSounds(4);
        SoundEntry* cannon = sound->m_Slots[SOUND_CANNON];
        // Along a diagonal, so all three axes count.
        const float d = c.distance / std::sqrt(3.0f);
        sound->PlaySoundAt(cannon, 100.0f + d, 50.0f + d, -20.0f + d);
        ASSERT_EQ(cannon->m_OneShots.Count(), c.plays ? 1 : 0) << c.soundVolume << " " << c.distance;
        if (!c.plays)
            continue;
        SoundBuffer& buffer = *cannon->m_OneShots[0]->m_Buffer;
        EXPECT_NEAR(VolumeOf(buffer), c.volume, 1) << c.soundVolume << " " << c.distance;
        EXPECT_EQ(StatusOf(buffer), DSBSTATUS_PLAYING);
        EXPECT_EQ(StatusOf(*cannon->m_Buffer), 0u); // the duplicate plays, not the sound itself
    }
}

TEST_F(SoundSystemTest, LevelsFollowTheCameraEyeAndNeedNoCamera)
{
    WriteStandardPack();
    Settings().SoundVolume = 100;
    auto sound = Start();
    sound->LoadMapSounds(4);
    SoundInstance* engine = sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    ASSERT_NE(engine, nullptr);
    auto camera = std::make_unique<QV7_Camera>(); // its start eye is (0, 20, 0)
    sound->UpdateInstance(engine, 0.0f, 20.0f, 2000.0f);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), -1000);
    // The race camera moves; the next update hears the buggy from there.
    SetCameraEye(0.0f, 20.0f, 1000.0f);
    sound->UpdateInstance(engine, 0.0f, 20.0f, 2000.0f);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), -500);
    SetCameraEye(0.0f, 20.0f, 13000.0f);
    sound->UpdateInstance(engine, 0.0f, 20.0f, 2000.0f);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), 0u) << "out of hearing";

    // With no camera there is nowhere to hear from: a sound counts as at the
    // listener and plays at the level of the effects volume alone.
    camera.reset();
    ASSERT_EQ(g_camera, nullptr);
    sound->UpdateInstance(engine, 0.0f, 20.0f, 2000.0f);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), 0);
    Settings().SoundVolume = 60;
    SoundEntry* cannon = sound->m_Slots[SOUND_CANNON];
    sound->PlaySoundAt(cannon, 50000.0f, 0.0f, 0.0f);
    ASSERT_EQ(cannon->m_OneShots.Count(), 1);
    EXPECT_EQ(VolumeOf(*cannon->m_OneShots[0]->m_Buffer), -2000);
}

TEST_F(SoundSystemTest, UpdateDropsOneShotsOnceTheirSoundHasEnded)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMapSounds(4);
    SoundEntry* cannon = sound->m_Slots[SOUND_CANNON]; // 200 ms
    const int buffersBefore = null::LiveBufferCount();
    sound->PlaySoundAt(cannon, 0, 0, 0);
    sound->Update(); // no frame manager yet: no time has passed
    EXPECT_EQ(cannon->m_OneShots[0]->m_ElapsedMs, 0.0f);
    Frame(*sound, 100.0f);
    sound->PlaySoundAt(cannon, 0, 0, 0);
    EXPECT_EQ(null::LiveBufferCount(), buffersBefore + 2);
    Frame(*sound, 100.0f); // first at 200: not past its length yet
    EXPECT_EQ(cannon->m_OneShots.Count(), 2);
    Frame(*sound, 0.5f);
    ASSERT_EQ(cannon->m_OneShots.Count(), 1);
    EXPECT_FLOAT_EQ(cannon->m_OneShots[0]->m_ElapsedMs, 100.5f);
    Frame(*sound, 100.0f);
    EXPECT_EQ(cannon->m_OneShots.Count(), 0);
    EXPECT_EQ(null::LiveBufferCount(), buffersBefore);
}

TEST_F(SoundSystemTest, PersistentInstancesFollowTheirObject)
{
    WriteStandardPack();
    Settings().SoundVolume = 100;
    QV7_Camera camera;
    camera.SetEye(0.0f, 0.0f, 0.0f);
    auto sound = Start();
    sound->LoadMapSounds(4);
    SoundInstance* engine = sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    ASSERT_NE(engine, nullptr);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), -10000);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), 0u);

    sound->UpdateInstance(engine, 0.0f, 0.0f, 2000.0f);
    EXPECT_EQ(engine->m_Z, 2000.0f);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), -1000);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

    sound->UpdateInstance(engine, 0.0f, 0.0f, 12000.0f);
    EXPECT_EQ(VolumeOf(*engine->m_Buffer), -10000);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), 0u);

    sound->SetInstanceFrequency(engine, 25000);
    uint32_t hertz = 0;
    engine->m_Buffer->GetFrequency(hertz);
    EXPECT_EQ(hertz, 25000u);

    SoundInstance* cannon = sound->CreateInstance(sound->m_Slots[SOUND_CANNON]);
    sound->SetInstanceFrequency(cannon, 25000); // no frequency control: no effect
    EXPECT_EQ(cannon->m_Buffer->GetFrequency(hertz), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(sound->m_Slots[SOUND_CANNON]->m_Persistent.Count(), 1);
}

TEST_F(SoundSystemTest, PauseStopsEverythingAndResumesOnlyPlayingPersistentSounds)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMapSounds(4);
    SoundInstance* engine = sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    SoundInstance* idle = sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    sound->UpdateInstance(engine, 0, 0, 0);
    SoundEntry* explosion = sound->m_Slots[SOUND_CANNON];
    sound->PlaySoundAt(explosion, 0, 0, 0);
    SoundInstance* oneShot = explosion->m_OneShots[0];

    sound->Pause(1);
    EXPECT_EQ(sound->m_Paused, 1);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), 0u);
    EXPECT_EQ(StatusOf(*oneShot->m_Buffer), 0u);
    sound->UpdateInstance(engine, 0, 0, 0); // the race code may still run a frame
    sound->StopAllWhilePaused();
    EXPECT_EQ(StatusOf(*engine->m_Buffer), 0u);

    sound->Pause(0);
    EXPECT_EQ(sound->m_Paused, 0);
    EXPECT_EQ(StatusOf(*engine->m_Buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(StatusOf(*idle->m_Buffer), 0u);
    EXPECT_EQ(StatusOf(*oneShot->m_Buffer), 0u);
    EXPECT_EQ(oneShot->m_WasPlaying, 0);
    Frame(*sound, 250.0f);
    EXPECT_EQ(explosion->m_OneShots.Count(), 0);

    sound->StopAllWhilePaused(); // not paused: nothing happens
    EXPECT_EQ(StatusOf(*engine->m_Buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(SoundSystemTest, KeepPlayingRunsTheMusicPair)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMenuSounds();
    SoundEntry* a = sound->m_MusicA; // 1 s, played once
    SoundEntry* b = sound->m_MusicB; // 0.5 s, looped
    EXPECT_FALSE(sound->KeepPlaying(a)); // not started
    sound->PlaySound(a, false);
    null::AdvanceTime(600);
    EXPECT_TRUE(sound->KeepPlaying(a));
    null::AdvanceTime(500);
    EXPECT_FALSE(sound->KeepPlaying(a));

    sound->PlaySound(b, true);
    EXPECT_EQ(b->m_Looping, 1);
    null::AdvanceTime(1300);
    EXPECT_TRUE(sound->KeepPlaying(b));
    b->m_Buffer->Stop(); // stopped behind the system's back: a looping piece starts again
    EXPECT_TRUE(sound->KeepPlaying(b));
    EXPECT_EQ(StatusOf(*b->m_Buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);

    sound->StopSound(b);
    EXPECT_EQ(b->m_Looping, 0);
    EXPECT_FALSE(sound->KeepPlaying(b));

    sound->SetVolume(b, -1234);
    EXPECT_EQ(b->m_Volume, -1234);
    EXPECT_EQ(VolumeOf(*b->m_Buffer), -1234);
    sound->SetVolume(b, -20000); // kept as given, applied within range
    EXPECT_EQ(VolumeOf(*b->m_Buffer), -10000);
}

TEST_F(SoundSystemTest, PlayAndDuplicateFailuresAreLogged)
{
    WriteStandardPack();
    auto sound = Start();
    sound->LoadMapSounds(4);
    SoundInstance* engine = sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    sound->UpdateInstance(engine, 0, 0, 0);
    sound->Pause(1);

    null::SetFailure(null::Call::Play, DSERR_BUFFERLOST);
    sound->PlaySound(sound->m_MusicA, false);
    const int failed = LogIndex("ERROR: Play Sound Failed");
    ASSERT_GE(failed, 0);
    EXPECT_EQ(CapturedLog()[size_t(failed) + 1],
              "ERROR: Play Sound: The buffer memory has been lost and must be restored. ");
    null::SetFailure(null::Call::Play, DSERR_NODRIVER);
    sound->Pause(0);
    const int undo = LogIndex("ERROR: Undo Pause: Play Sound Failed");
    ASSERT_GE(undo, 0);
    EXPECT_EQ(CapturedLog()[size_t(undo) + 1], "ERROR: Play Sound: Unknown Error");

    null::ClearFailures();
    null::SetFailure(null::Call::DuplicateSoundBuffer, DSERR_OUTOFMEMORY);
    SoundEntry* cannon = sound->m_Slots[SOUND_CANNON];
    EXPECT_EQ(sound->CreateInstance(cannon), nullptr);
    sound->PlaySoundAt(cannon, 0, 0, 0);
    EXPECT_EQ(cannon->m_Persistent.Count(), 0);
    EXPECT_EQ(cannon->m_OneShots.Count(), 0);
    EXPECT_TRUE(Logged("ERROR: DuplicateSoundBuffer: The DirectSound subsystem could not allocate sufficient "
                       "memory to complete the caller's request. "));
    null::SetFailure(null::Call::DuplicateSoundBuffer, DSERR_BADFORMAT);
    EXPECT_EQ(sound->CreateInstance(cannon), nullptr);
    EXPECT_TRUE(Logged("ERROR: DuplicateSoundBuffer: Uknown Error"));
}

TEST_F(SoundSystemTest, ReloadingFreesEveryInstance)
{
    WriteStandardPack();
    auto sound = Start();
    const int before = null::LiveBufferCount();
    sound->LoadMapSounds(4);
    sound->CreateInstance(sound->m_Slots[SOUND_ENGINE]);
    sound->PlaySoundAt(sound->m_Slots[SOUND_CANNON], 0, 0, 0);
    sound->LoadMenuSounds();
    EXPECT_EQ(null::LiveBufferCount(), before + 3);
    sound.reset();
    EXPECT_EQ(null::LiveBufferCount(), before);
}
} // namespace
