// The null sound back-end keeps DirectSound buffer state with a test clock:
// cursor movement, looping, one-shot end, stop and resume, frequency, volume,
// duplicates and injected failures.
#include "platform/sound/DirectSound.h"
#include "platform/sound/null/NullSound.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace snd;

BufferDesc MonoDesc(uint32_t frames, uint32_t rate = 1000, uint32_t flags = DSBCAPS_CTRLVOLUME)
{
    BufferDesc desc;
    desc.flags = flags;
    desc.bufferBytes = frames * 2;
    desc.format = {WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16};
    return desc;
}

class NullSoundTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        null::ClearFailures();
        ASSERT_EQ(DirectSoundCreate8(m_Device), DS_OK);
        ASSERT_NE(m_Device, nullptr);
    }
    void TearDown() override { null::ClearFailures(); }

    std::unique_ptr<SoundBuffer> MakeBuffer(const BufferDesc& desc)
    {
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), DS_OK);
        return buffer;
    }

    static uint32_t Position(SoundBuffer& buffer)
    {
        uint32_t play = 99, write = 99;
        EXPECT_EQ(buffer.GetCurrentPosition(&play, &write), DS_OK);
        return play;
    }
    static uint32_t Status(SoundBuffer& buffer)
    {
        uint32_t status = 99;
        EXPECT_EQ(buffer.GetStatus(status), DS_OK);
        return status;
    }

    std::unique_ptr<SoundDevice> m_Device;
};

TEST_F(NullSoundTest, OneShotAdvancesWithTheClockAndEndsAtZero)
{
    auto buffer = MakeBuffer(MonoDesc(1000)); // one second at 1000 Hz
    EXPECT_EQ(Status(*buffer), 0u);
    ASSERT_EQ(buffer->Play(0), DS_OK);
    EXPECT_EQ(Status(*buffer), DSBSTATUS_PLAYING);
    null::AdvanceTime(250);
    EXPECT_EQ(Position(*buffer), 500u); // 250 frames x 2 bytes
    null::AdvanceTime(749);
    EXPECT_EQ(Status(*buffer), DSBSTATUS_PLAYING);
    null::AdvanceTime(1);
    EXPECT_EQ(Status(*buffer), 0u);
    EXPECT_EQ(Position(*buffer), 0u);
}

TEST_F(NullSoundTest, LoopingWrapsAndReportsLooping)
{
    auto buffer = MakeBuffer(MonoDesc(1000));
    ASSERT_EQ(buffer->Play(DSBPLAY_LOOPING), DS_OK);
    null::AdvanceTime(2300);
    EXPECT_EQ(Status(*buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(Position(*buffer), 600u);
}

TEST_F(NullSoundTest, StopKeepsTheCursorAndPlayResumesThere)
{
    auto buffer = MakeBuffer(MonoDesc(1000));
    buffer->Play(0);
    null::AdvanceTime(400);
    ASSERT_EQ(buffer->Stop(), DS_OK);
    null::AdvanceTime(400);
    EXPECT_EQ(Position(*buffer), 800u);
    buffer->Play(0);
    null::AdvanceTime(100);
    EXPECT_EQ(Position(*buffer), 1000u);
}

TEST_F(NullSoundTest, PlayWhilePlayingOnlyChangesLooping)
{
    auto buffer = MakeBuffer(MonoDesc(1000));
    buffer->Play(0);
    null::AdvanceTime(900);
    buffer->Play(DSBPLAY_LOOPING);
    EXPECT_EQ(Position(*buffer), 1800u);
    null::AdvanceTime(200); // past the end: wraps instead of stopping
    EXPECT_EQ(Status(*buffer), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    EXPECT_EQ(Position(*buffer), 200u);
}

TEST_F(NullSoundTest, SetCurrentPositionMovesTheCursor)
{
    auto buffer = MakeBuffer(MonoDesc(1000));
    EXPECT_EQ(buffer->SetCurrentPosition(1001), DS_OK); // rounded down to a whole frame
    EXPECT_EQ(Position(*buffer), 1000u);
    EXPECT_EQ(buffer->SetCurrentPosition(2000), DSERR_INVALIDPARAM);
}

TEST_F(NullSoundTest, FrequencyNeedsItsControlAndChangesTheRate)
{
    auto plain = MakeBuffer(MonoDesc(1000));
    EXPECT_EQ(plain->SetFrequency(2000), DSERR_CONTROLUNAVAIL);

    auto buffer = MakeBuffer(MonoDesc(1000, 1000, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY));
    uint32_t hertz = 0;
    EXPECT_EQ(buffer->GetFrequency(hertz), DS_OK);
    EXPECT_EQ(hertz, 1000u);
    EXPECT_EQ(buffer->SetFrequency(50), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(200001), DSERR_INVALIDPARAM);
    buffer->Play(0);
    null::AdvanceTime(100); // 100 frames at 1000 Hz
    ASSERT_EQ(buffer->SetFrequency(2000), DS_OK);
    null::AdvanceTime(100); // 200 frames at 2000 Hz
    EXPECT_EQ(Position(*buffer), 600u);
    ASSERT_EQ(buffer->SetFrequency(DSBFREQUENCY_ORIGINAL), DS_OK);
    EXPECT_EQ(buffer->GetFrequency(hertz), DS_OK);
    EXPECT_EQ(hertz, 1000u);
}

TEST_F(NullSoundTest, VolumeNeedsItsControlAndStaysInRange)
{
    auto plain = MakeBuffer(MonoDesc(10, 1000, 0));
    EXPECT_EQ(plain->SetVolume(-100), DSERR_CONTROLUNAVAIL);

    auto buffer = MakeBuffer(MonoDesc(10));
    int32_t volume = 1;
    EXPECT_EQ(buffer->GetVolume(volume), DS_OK);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-2500), DS_OK);
    EXPECT_EQ(buffer->GetVolume(volume), DS_OK);
    EXPECT_EQ(volume, -2500);
}

TEST(SoundGain, MillibelsToGain)
{
    EXPECT_FLOAT_EQ(GainFromMillibels(0), 1.0f);
    EXPECT_NEAR(GainFromMillibels(-2000), 0.1f, 1e-6);
    EXPECT_NEAR(GainFromMillibels(-600), 0.501187f, 1e-5);
    EXPECT_LT(GainFromMillibels(-10000), 1.1e-5f);
}

TEST_F(NullSoundTest, BufferDescriptionsAreChecked)
{
    struct Case
    {
        const char* what;
        BufferDesc desc;
        HRESULT expected;
    };
    BufferDesc good = MonoDesc(100);
    auto with = [&](auto change) {
        BufferDesc d = good;
        change(d);
        return d;
    };
    const Case cases[] = {
        {"mono 16-bit", good, DS_OK},
        {"stereo 8-bit", with([](BufferDesc& d) { d.format = {WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8}; }), DS_OK},
        {"not PCM", with([](BufferDesc& d) { d.format.formatTag = 3; }), DSERR_BADFORMAT},
        {"three channels", with([](BufferDesc& d) { d.format.channels = 3; }), DSERR_BADFORMAT},
        {"24 bits", with([](BufferDesc& d) { d.format.bitsPerSample = 24; }), DSERR_BADFORMAT},
        {"wrong block align", with([](BufferDesc& d) { d.format.blockAlign = 4; }), DSERR_BADFORMAT},
        {"wrong byte rate", with([](BufferDesc& d) { d.format.avgBytesPerSec = 1; }), DSERR_BADFORMAT},
        {"rate too low", with([](BufferDesc& d) { d.format = {WAVE_FORMAT_PCM, 1, 99, 198, 2, 16}; }),
         DSERR_BADFORMAT},
        {"empty", with([](BufferDesc& d) { d.bufferBytes = 0; }), DSERR_INVALIDPARAM},
        {"primary", with([](BufferDesc& d) { d.flags |= DSBCAPS_PRIMARYBUFFER; }), DSERR_UNSUPPORTED},
    };
    for (const Case& c : cases)
    {
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(m_Device->CreateSoundBuffer(c.desc, buffer), c.expected) << c.what;
        EXPECT_EQ(buffer != nullptr, c.expected == DS_OK) << c.what;
    }
}

TEST_F(NullSoundTest, LockWrapsRoundTheEndAndUnlockChecksItsParts)
{
    auto buffer = MakeBuffer(MonoDesc(100));
    void *p1 = nullptr, *p2 = nullptr;
    uint32_t b1 = 0, b2 = 0;
    ASSERT_EQ(buffer->Lock(150, 100, &p1, &b1, &p2, &b2, 0), DS_OK);
    EXPECT_EQ(b1, 50u);
    EXPECT_EQ(b2, 50u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 150);
    void *q1 = nullptr;
    uint32_t c1 = 0;
    EXPECT_EQ(buffer->Lock(0, 10, &q1, &c1, nullptr, nullptr, 0), DSERR_INVALIDCALL); // already locked
    EXPECT_EQ(buffer->Play(0), DSERR_INVALIDCALL);
    EXPECT_EQ(buffer->Unlock(p1, b1 + 1, p2, b2), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(p1, b1, p2, b2), DS_OK);
    EXPECT_EQ(buffer->Unlock(p1, b1, p2, b2), DSERR_INVALIDCALL);

    ASSERT_EQ(buffer->Lock(0, 0, &p1, &b1, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
    EXPECT_EQ(b1, 200u);
    EXPECT_EQ(buffer->Unlock(p1, b1, nullptr, 0), DS_OK);
}

TEST_F(NullSoundTest, DuplicatesShareSamplesButNotState)
{
    auto original = MakeBuffer(MonoDesc(1000, 1000, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY));
    std::unique_ptr<SoundBuffer> duplicate;
    ASSERT_EQ(m_Device->DuplicateSoundBuffer(*original, duplicate), DS_OK);
    EXPECT_EQ(duplicate->Flags(), original->Flags());
    EXPECT_EQ(duplicate->SizeInBytes(), 2000u);

    void* p = nullptr;
    uint32_t n = 0;
    ASSERT_EQ(original->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DS_OK);
    std::memset(p, 0x7F, n);
    original->Unlock(p, n, nullptr, 0);
    ASSERT_EQ(duplicate->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DS_OK);
    EXPECT_EQ(static_cast<uint8_t*>(p)[3], 0x7F);
    duplicate->Unlock(p, n, nullptr, 0);

    duplicate->SetVolume(-5000);
    duplicate->Play(0);
    null::AdvanceTime(10);
    int32_t volume = 1;
    original->GetVolume(volume);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(Status(*original), 0u);
    EXPECT_EQ(Position(*duplicate), 20u);

    const int live = null::LiveBufferCount();
    original.reset();
    EXPECT_EQ(null::LiveBufferCount(), live - 1);
    EXPECT_EQ(Status(*duplicate), DSBSTATUS_PLAYING); // the samples live on with the duplicate
}

TEST_F(NullSoundTest, InjectedFailuresAreReturned)
{
    null::SetFailure(null::Call::Create, DSERR_NODRIVER);
    std::unique_ptr<SoundDevice> device;
    EXPECT_EQ(DirectSoundCreate8(device), DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    null::ClearFailures();

    auto buffer = MakeBuffer(MonoDesc(10));
    null::SetFailure(null::Call::Play, DSERR_BUFFERLOST);
    null::SetFailure(null::Call::DuplicateSoundBuffer, DSERR_OUTOFMEMORY);
    null::SetFailure(null::Call::Lock, DSERR_PRIOLEVELNEEDED);
    null::SetFailure(null::Call::SetCooperativeLevel, DSERR_ALLOCATED);
    null::SetFailure(null::Call::GetCaps, DSERR_GENERIC);
    EXPECT_EQ(buffer->Play(0), DSERR_BUFFERLOST);
    std::unique_ptr<SoundBuffer> duplicate;
    EXPECT_EQ(m_Device->DuplicateSoundBuffer(*buffer, duplicate), DSERR_OUTOFMEMORY);
    void* p = nullptr;
    uint32_t n = 0;
    EXPECT_EQ(buffer->Lock(0, 4, &p, &n, nullptr, nullptr, 0), DSERR_PRIOLEVELNEEDED);
    EXPECT_EQ(m_Device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_ALLOCATED);
    Caps caps;
    EXPECT_EQ(m_Device->GetCaps(caps), DSERR_GENERIC);
    null::SetFailure(null::Call::CreateSoundBuffer, DSERR_BADFORMAT);
    std::unique_ptr<SoundBuffer> other;
    EXPECT_EQ(m_Device->CreateSoundBuffer(MonoDesc(10), other), DSERR_BADFORMAT);
}

TEST_F(NullSoundTest, CapsNeedTheirSizeField)
{
    Caps caps;
    ASSERT_EQ(m_Device->GetCaps(caps), DS_OK);
    EXPECT_TRUE(caps.flags & DSCAPS_CONTINUOUSRATE);
    caps.size = 20;
    EXPECT_EQ(m_Device->GetCaps(caps), DSERR_INVALIDPARAM);
    EXPECT_FALSE(m_Device->RenderFrames(nullptr, 0));
}
} // namespace
