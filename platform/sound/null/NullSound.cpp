// The null sound back-end: buffer state without audio output.
#include "platform/sound/null/NullSound.h"

#include "platform/sound/SoundSamples.h"

#include <array>
#include <chrono>
#include <cmath>

namespace snd::null
{
namespace
{
std::array<HRESULT, size_t(Call::Count)> s_failures{};
double s_testClockMs = 0.0;
int s_liveBuffers = 0;

enum class Clock
{
    Test,
    Steady
};

double NowMs(Clock clock)
{
    if (clock == Clock::Test)
        return s_testClockMs;
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

class NullBuffer final : public SoundBuffer
{
  public:
    NullBuffer(std::shared_ptr<Samples> samples, Clock clock, bool injectable)
        : SoundBuffer(std::move(samples)), m_Clock(clock), m_Injectable(injectable)
    {
        ++s_liveBuffers;
    }
    ~NullBuffer() override { --s_liveBuffers; }

    HRESULT Play(uint32_t flags) override
    {
        if (const HRESULT hr = Injected(Call::Play); !Succeeded(hr))
            return hr;
        if (m_Locked)
            return DSERR_INVALIDCALL;
        Sync();
        m_Looping = (flags & DSBPLAY_LOOPING) != 0;
        m_Playing = true;
        return DS_OK;
    }

    HRESULT Stop() override
    {
        Sync();
        m_Playing = false;
        return DS_OK;
    }

    HRESULT GetStatus(uint32_t& status) override
    {
        Sync();
        status = m_Playing ? (DSBSTATUS_PLAYING | (m_Looping ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(uint32_t* play, uint32_t* write) override
    {
        Sync();
        const uint32_t bytes = uint32_t(m_Frames) * Format().blockAlign;
        if (play)
            *play = bytes;
        if (write)
            *write = bytes;
        return DS_OK;
    }

    HRESULT SetCurrentPosition(uint32_t position) override
    {
        if (position >= SizeInBytes())
            return DSERR_INVALIDPARAM;
        Sync();
        m_Frames = double(position / Format().blockAlign);
        return DS_OK;
    }

    HRESULT Duplicate(std::unique_ptr<SoundBuffer>& duplicate) const
    {
        duplicate = std::make_unique<NullBuffer>(m_Samples, m_Clock, m_Injectable);
        return DS_OK;
    }

    HRESULT Injected(Call call) const { return m_Injectable ? s_failures[size_t(call)] : DS_OK; }

  protected:
    HRESULT CheckLock() override { return Injected(Call::Lock); }
    void ApplyFrequency() override { Sync(); }

  private:
    // Brings the cursor up to the clock at the rate that applied since the last sync.
    void Sync()
    {
        const double now = NowMs(m_Clock);
        const double elapsed = now - m_LastSyncMs;
        m_LastSyncMs = now;
        const double rate = m_Rate;
        m_Rate = PlayingRate();
        if (!m_Playing || elapsed <= 0.0)
            return;
        const double total = double(SizeInBytes() / Format().blockAlign);
        m_Frames += elapsed * rate / 1000.0;
        if (m_Frames < total)
            return;
        if (m_Looping)
            m_Frames = std::fmod(m_Frames, total);
        else
        {
            m_Playing = false;
            m_Frames = 0.0;
        }
    }

    Clock m_Clock;
    bool m_Injectable;
    bool m_Playing = false;
    bool m_Looping = false;
    double m_Frames = 0.0;
    double m_Rate = PlayingRate();
    double m_LastSyncMs = NowMs(m_Clock);
};

class NullDevice final : public SoundDevice
{
  public:
    NullDevice(Clock clock, bool injectable) : m_Clock(clock), m_Injectable(injectable) {}

    HRESULT SetCooperativeLevel(void*, uint32_t level) override
    {
        if (const HRESULT hr = Injected(Call::SetCooperativeLevel); !Succeeded(hr))
            return hr;
        return (level >= DSSCL_NORMAL && level <= DSSCL_WRITEPRIMARY) ? DS_OK : DSERR_INVALIDPARAM;
    }

    HRESULT GetCaps(Caps& caps) override
    {
        if (const HRESULT hr = Injected(Call::GetCaps); !Succeeded(hr))
            return hr;
        if (caps.size != 96)
            return DSERR_INVALIDPARAM;
        caps.flags = DSCAPS_CERTIFIED | DSCAPS_CONTINUOUSRATE;
        caps.minSecondarySampleRate = DSBFREQUENCY_MIN;
        caps.maxSecondarySampleRate = DSBFREQUENCY_MAX;
        caps.freeHwMemBytes = 0;
        return DS_OK;
    }

    HRESULT CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<SoundBuffer>& buffer) override
    {
        buffer.reset();
        if (const HRESULT hr = Injected(Call::CreateSoundBuffer); !Succeeded(hr))
            return hr;
        if (const HRESULT hr = ValidateBufferDesc(desc); !Succeeded(hr))
            return hr;
        std::shared_ptr<SoundBuffer::Samples> samples;
        if (const HRESULT hr = MakeSamples(desc, samples); !Succeeded(hr))
            return hr;
        buffer = std::make_unique<NullBuffer>(std::move(samples), m_Clock, m_Injectable);
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(SoundBuffer& original, std::unique_ptr<SoundBuffer>& duplicate) override
    {
        duplicate.reset();
        if (const HRESULT hr = Injected(Call::DuplicateSoundBuffer); !Succeeded(hr))
            return hr;
        auto* source = dynamic_cast<NullBuffer*>(&original);
        if (!source)
            return DSERR_INVALIDPARAM;
        return source->Duplicate(duplicate);
    }

  private:
    HRESULT Injected(Call call) const { return m_Injectable ? s_failures[size_t(call)] : DS_OK; }

    Clock m_Clock;
    bool m_Injectable;
};
} // namespace

void SetFailure(Call call, HRESULT hr) { s_failures[size_t(call)] = hr; }
void ClearFailures() { s_failures.fill(DS_OK); }
void AdvanceTime(double milliseconds) { s_testClockMs += milliseconds; }
int LiveBufferCount() { return s_liveBuffers; }

HRESULT CreateDevice(std::unique_ptr<SoundDevice>& device)
{
    device.reset();
    if (const HRESULT hr = s_failures[size_t(Call::Create)]; !Succeeded(hr))
        return hr;
    device = std::make_unique<NullDevice>(Clock::Test, true);
    return DS_OK;
}

HRESULT CreateSilentDevice(std::unique_ptr<SoundDevice>& device)
{
    device = std::make_unique<NullDevice>(Clock::Steady, false);
    return DS_OK;
}
} // namespace snd::null
