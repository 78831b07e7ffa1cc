// The OpenAL back-end rendered through a loopback device into memory: what a
// buffer plays is asserted on the mixed samples (volume, pitch, mixing,
// looping, one-shot end, stop and resume, duplicates).
#include "platform/sound/DirectSound.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace
{
using namespace snd;

constexpr uint32_t kRate = 8000;

class LoopbackTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const HRESULT hr = CreateLoopbackSoundDevice(kRate, m_Device);
        if (hr == DSERR_NODRIVER)
            GTEST_SKIP() << "OpenAL offers no loopback device";
        ASSERT_EQ(hr, DS_OK);
    }

    // A mono 16-bit buffer holding the given samples.
    std::unique_ptr<SoundBuffer> MakeBuffer(const std::vector<int16_t>& samples, uint32_t flags = DSBCAPS_CTRLVOLUME,
                                            uint16_t channels = 1)
    {
        BufferDesc desc;
        desc.flags = flags;
        desc.bufferBytes = uint32_t(samples.size() * 2);
        const uint16_t align = uint16_t(channels * 2);
        desc.format = {WAVE_FORMAT_PCM, channels, kRate, kRate * align, align, 16};
        std::unique_ptr<SoundBuffer> buffer;
        EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), DS_OK);
        void* p = nullptr;
        uint32_t n = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        std::memcpy(p, samples.data(), n);
        EXPECT_EQ(buffer->Unlock(p, n, nullptr, 0), DS_OK);
        return buffer;
    }

    // Renders frames and returns the left channel (the right must match it).
    std::vector<float> Render(int frames)
    {
        std::vector<float> stereo(size_t(frames) * 2);
        EXPECT_TRUE(m_Device->RenderFrames(stereo.data(), frames));
        std::vector<float> left(static_cast<size_t>(frames));
        for (int i = 0; i < frames; ++i)
        {
            left[i] = stereo[size_t(i) * 2];
            EXPECT_FLOAT_EQ(stereo[size_t(i) * 2 + 1], left[i]) << "frame " << i;
        }
        return left;
    }

    static std::vector<int16_t> Constant(size_t frames, int16_t value) { return std::vector<int16_t>(frames, value); }
    static std::vector<int16_t> Ramp(size_t frames)
    {
        std::vector<int16_t> v(frames);
        for (size_t i = 0; i < frames; ++i)
            v[i] = int16_t(i * 16);
        return v;
    }

    std::unique_ptr<SoundDevice> m_Device;
};

TEST_F(LoopbackTest, MonoPlaysAtFullLevelOnBothSides)
{
    auto buffer = MakeBuffer(Constant(4000, 16384));
    ASSERT_EQ(buffer->Play(0), DS_OK);
    const auto out = Render(1000);
    for (int i = 0; i < 1000; i += 97)
        EXPECT_NEAR(out[i], 0.5f, 1e-4) << i;
}

TEST_F(LoopbackTest, VolumeIsMillibelsOfGain)
{
    for (int32_t millibels : {0, -600, -2000, -4000})
    {
        auto buffer = MakeBuffer(Constant(4000, 16384));
        ASSERT_EQ(buffer->SetVolume(millibels), DS_OK);
        buffer->Play(0);
        const auto out = Render(512);
        EXPECT_NEAR(out[400], 0.5f * std::pow(10.0f, millibels / 2000.0f), 1e-4) << millibels;
        buffer->Stop();
    }
}

TEST_F(LoopbackTest, VolumeChangeWhilePlayingTakesEffect)
{
    auto buffer = MakeBuffer(Constant(8000, 16384));
    buffer->Play(0);
    Render(256);
    buffer->SetVolume(-2000);
    // OpenAL glides to a new gain (no click), then holds it.
    const auto out = Render(4096);
    for (int i = 1; i < 4096; ++i)
        ASSERT_LE(out[i], out[i - 1]) << i;
    EXPECT_NEAR(out[3000], 0.05f, 1e-4);
}

TEST_F(LoopbackTest, BuffersMix)
{
    auto a = MakeBuffer(Constant(2000, 8192));
    auto b = MakeBuffer(Constant(1000, 4096));
    a->Play(0);
    b->Play(0);
    const auto out = Render(1500);
    EXPECT_NEAR(out[500], (8192 + 4096) / 32768.0f, 1e-4);
    EXPECT_NEAR(out[1200], 8192 / 32768.0f, 1e-4);
}

TEST_F(LoopbackTest, OneShotEndsInSilenceWithTheCursorAtZero)
{
    auto buffer = MakeBuffer(Constant(300, 10000));
    buffer->Play(0);
    const auto out = Render(600);
    EXPECT_NEAR(out[299], 10000 / 32768.0f, 1e-4);
    for (int i = 300; i < 600; ++i)
        ASSERT_EQ(out[i], 0.0f) << i;
    uint32_t status = 1, position = 1;
    buffer->GetStatus(status);
    buffer->GetCurrentPosition(&position, nullptr);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(position, 0u);
}

TEST_F(LoopbackTest, LoopingRepeatsTheBuffer)
{
    auto buffer = MakeBuffer(Ramp(100));
    buffer->Play(DSBPLAY_LOOPING);
    const auto out = Render(350);
    for (int i = 0; i < 350; ++i)
        ASSERT_NEAR(out[i], (i % 100) * 16 / 32768.0f, 1e-5) << i;
    uint32_t status = 0;
    buffer->GetStatus(status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
}

TEST_F(LoopbackTest, DoubleFrequencyPlaysAtTwiceTheSpeed)
{
    auto buffer = MakeBuffer(Ramp(1000), DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLFREQUENCY);
    ASSERT_EQ(buffer->SetFrequency(kRate * 2), DS_OK);
    buffer->Play(0);
    const auto out = Render(600);
    for (int i = 10; i < 490; ++i)
        ASSERT_NEAR(out[i], i * 2 * 16 / 32768.0f, 2e-4) << i;
    EXPECT_EQ(out[550], 0.0f); // 1000 frames played in 500
}

TEST_F(LoopbackTest, StopAndPlayResumeWhereItLeftOff)
{
    auto buffer = MakeBuffer(Ramp(1000));
    buffer->Play(0);
    Render(200);
    buffer->Stop();
    uint32_t position = 0;
    buffer->GetCurrentPosition(&position, nullptr);
    EXPECT_EQ(position, 400u);
    const auto silent = Render(100);
    EXPECT_EQ(silent[50], 0.0f);
    buffer->Play(0);
    const auto out = Render(100);
    EXPECT_NEAR(out[10], 210 * 16 / 32768.0f, 1e-5);
}

TEST_F(LoopbackTest, SetCurrentPositionBeforePlay)
{
    auto buffer = MakeBuffer(Ramp(1000));
    ASSERT_EQ(buffer->SetCurrentPosition(1000), DS_OK); // frame 500
    buffer->Play(0);
    const auto out = Render(10);
    EXPECT_NEAR(out[0], 500 * 16 / 32768.0f, 1e-5);
}

TEST_F(LoopbackTest, DuplicatesPlayTheSameSamplesIndependently)
{
    auto original = MakeBuffer(Constant(2000, 8192));
    std::unique_ptr<SoundBuffer> duplicate;
    ASSERT_EQ(m_Device->DuplicateSoundBuffer(*original, duplicate), DS_OK);
    duplicate->SetVolume(-600);
    original->Play(0);
    duplicate->Play(0);
    auto out = Render(400);
    EXPECT_NEAR(out[300], 0.25f * (1.0f + std::pow(10.0f, -0.3f)), 1e-4);
    original.reset(); // the duplicate keeps the shared samples
    out = Render(400);
    EXPECT_NEAR(out[300], 0.25f * std::pow(10.0f, -0.3f), 1e-4);
}

TEST_F(LoopbackTest, StereoChannelsStayApart)
{
    std::vector<int16_t> frames;
    for (int i = 0; i < 500; ++i)
    {
        frames.push_back(8192);
        frames.push_back(-4096);
    }
    auto buffer = MakeBuffer(frames, DSBCAPS_CTRLVOLUME, 2);
    buffer->Play(0);
    std::vector<float> stereo(400 * 2);
    ASSERT_TRUE(m_Device->RenderFrames(stereo.data(), 400));
    EXPECT_NEAR(stereo[600], 0.25f, 1e-4);
    EXPECT_NEAR(stereo[601], -0.125f, 1e-4);
}
} // namespace

namespace
{
// With no sound card (as on a build machine) the real back-end still gives a
// working device: OpenAL's null driver, or a silent one.
TEST(RealSoundDevice, OpensWithoutASoundCard)
{
    win::SetBackend(win::Backend::Real);
    std::unique_ptr<SoundDevice> device;
    ASSERT_EQ(DirectSoundCreate8(device), DS_OK);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DS_OK);
    BufferDesc desc;
    desc.flags = DSBCAPS_CTRLVOLUME;
    desc.bufferBytes = 8000;
    desc.format = {WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16};
    std::unique_ptr<SoundBuffer> buffer;
    ASSERT_EQ(device->CreateSoundBuffer(desc, buffer), DS_OK);
    EXPECT_EQ(buffer->Play(DSBPLAY_LOOPING), DS_OK);
    uint32_t status = 0;
    buffer->GetStatus(status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    win::SetBackend(win::Backend::Null);
}
} // namespace
