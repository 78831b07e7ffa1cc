// The OpenAL Soft sound back-end.
//
// Each buffer plays through its own source, placed on the listener with no
// distance attenuation, and its samples are always uploaded as stereo and
// played with direct channels: a mono sound then reaches both speakers at full
// level, as DirectSound plays it, instead of being panned 3 dB down.
#include "platform/sound/openal/OpenALSound.h"

#include "platform/sound/SoundSamples.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace snd::openal
{
namespace
{
bool PathExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Whether any audio output could exist: a sound card node or a sound server.
bool AudioOutputLikely()
{
    if (PathExists("/dev/snd") || std::getenv("PULSE_SERVER"))
        return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && (PathExists(std::string(runtime) + "/pulse/native") ||
                       PathExists(std::string(runtime) + "/pipewire-0"));
}

// OpenAL Soft reads its driver list once, at its first call, so the choice of
// the null driver has to come before any device is opened.
void ChooseDriversOnce()
{
    static bool chosen = false;
    if (chosen)
        return;
    chosen = true;
    if (!std::getenv("ALSOFT_DRIVERS") && !AudioOutputLikely())
        ::setenv("ALSOFT_DRIVERS", "null", 0);
}

struct AlContext
{
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;

    ~AlContext()
    {
        if (alcGetCurrentContext() == context)
            alcMakeContextCurrent(nullptr);
        if (context)
            alcDestroyContext(context);
        if (device)
            alcCloseDevice(device);
    }
    void MakeCurrent() const
    {
        if (alcGetCurrentContext() != context)
            alcMakeContextCurrent(context);
    }
};

// The OpenAL buffer shared by an original and its duplicates, with the
// sources that play it (its storage can only change while none holds it).
struct AlSamples
{
    std::shared_ptr<AlContext> context;
    ALuint buffer = 0;
    std::vector<ALuint> sources;

    ~AlSamples()
    {
        context->MakeCurrent();
        alDeleteBuffers(1, &buffer);
    }

    void Upload(const SoundBuffer::Samples& samples)
    {
        const WaveFormat& f = samples.desc.format;
        const size_t bytesPerSample = f.bitsPerSample / 8;
        std::vector<uint8_t> stereo;
        const std::vector<uint8_t>* data = &samples.bytes;
        if (f.channels == 1)
        {
            const size_t count = samples.bytes.size() / bytesPerSample;
            stereo.resize(count * 2 * bytesPerSample);
            for (size_t i = 0; i < count; ++i)
                for (int side = 0; side < 2; ++side)
                    std::copy_n(&samples.bytes[i * bytesPerSample], bytesPerSample,
                                &stereo[(i * 2 + side) * bytesPerSample]);
            data = &stereo;
        }
        const ALenum format = bytesPerSample == 1 ? AL_FORMAT_STEREO8 : AL_FORMAT_STEREO16;

        context->MakeCurrent();
        struct Held
        {
            ALuint source;
            ALint state;
            ALint offset;
        };
        std::vector<Held> held;
        for (ALuint source : sources)
        {
            Held h{source, AL_STOPPED, 0};
            alGetSourcei(source, AL_SOURCE_STATE, &h.state);
            alGetSourcei(source, AL_SAMPLE_OFFSET, &h.offset);
            alSourceStop(source);
            alSourcei(source, AL_BUFFER, 0);
            held.push_back(h);
        }
        alBufferData(buffer, format, data->data(), ALsizei(data->size()), ALsizei(f.samplesPerSec));
        for (const Held& h : held)
        {
            alSourcei(h.source, AL_BUFFER, ALint(buffer));
            if (h.state == AL_PLAYING)
            {
                alSourcei(h.source, AL_SAMPLE_OFFSET, h.offset);
                alSourcePlay(h.source);
            }
        }
    }
};

class AlBuffer final : public SoundBuffer
{
  public:
    AlBuffer(std::shared_ptr<Samples> samples, std::shared_ptr<AlSamples> al)
        : SoundBuffer(std::move(samples)), m_Al(std::move(al))
    {
        m_Al->context->MakeCurrent();
        alGenSources(1, &m_Source);
        alSourcei(m_Source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(m_Source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(m_Source, AL_ROLLOFF_FACTOR, 0.0f);
        alSourcei(m_Source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        alSourcei(m_Source, AL_BUFFER, ALint(m_Al->buffer));
        m_Al->sources.push_back(m_Source);
    }

    ~AlBuffer() override
    {
        m_Al->context->MakeCurrent();
        alSourceStop(m_Source);
        alSourcei(m_Source, AL_BUFFER, 0);
        alDeleteSources(1, &m_Source);
        auto& list = m_Al->sources;
        list.erase(std::remove(list.begin(), list.end(), m_Source), list.end());
    }

    bool Valid() const { return m_Source != 0; }

    HRESULT Play(uint32_t flags) override
    {
        if (m_Locked)
            return DSERR_INVALIDCALL;
        m_Al->context->MakeCurrent();
        m_Looping = (flags & DSBPLAY_LOOPING) != 0;
        alSourcei(m_Source, AL_LOOPING, m_Looping ? AL_TRUE : AL_FALSE);
        if (State() == AL_PLAYING)
            return DS_OK;
        // OpenAL starts a stopped source at its beginning; the cursor is set
        // right after, before the mixer has run.
        alSourcePlay(m_Source);
        if (m_CursorFrames != 0)
            alSourcei(m_Source, AL_SAMPLE_OFFSET, ALint(m_CursorFrames));
        m_CursorFrames = 0;
        return alGetError() == AL_NO_ERROR ? DS_OK : DSERR_GENERIC;
    }

    HRESULT Stop() override
    {
        m_Al->context->MakeCurrent();
        if (State() == AL_PLAYING)
        {
            ALint offset = 0;
            alGetSourcei(m_Source, AL_SAMPLE_OFFSET, &offset);
            alSourceStop(m_Source);
            m_CursorFrames = uint32_t(offset);
        }
        return DS_OK;
    }

    HRESULT GetStatus(uint32_t& status) override
    {
        m_Al->context->MakeCurrent();
        status = State() == AL_PLAYING ? (DSBSTATUS_PLAYING | (m_Looping ? DSBSTATUS_LOOPING : 0)) : 0;
        return DS_OK;
    }

    HRESULT GetCurrentPosition(uint32_t* play, uint32_t* write) override
    {
        m_Al->context->MakeCurrent();
        uint32_t frames = m_CursorFrames;
        if (State() == AL_PLAYING)
        {
            ALint offset = 0;
            alGetSourcei(m_Source, AL_SAMPLE_OFFSET, &offset);
            frames = uint32_t(offset);
        }
        const uint32_t bytes = frames * Format().blockAlign;
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
        m_Al->context->MakeCurrent();
        const uint32_t frames = position / Format().blockAlign;
        if (State() == AL_PLAYING)
            alSourcei(m_Source, AL_SAMPLE_OFFSET, ALint(frames));
        else
            m_CursorFrames = frames;
        return DS_OK;
    }

    HRESULT Duplicate(std::unique_ptr<SoundBuffer>& duplicate) const
    {
        auto copy = std::make_unique<AlBuffer>(m_Samples, m_Al);
        if (!copy->Valid())
            return DSERR_OUTOFMEMORY;
        duplicate = std::move(copy);
        return DS_OK;
    }

  protected:
    void ApplyVolume() override
    {
        m_Al->context->MakeCurrent();
        alSourcef(m_Source, AL_GAIN, GainFromMillibels(m_Volume));
    }
    void ApplyFrequency() override
    {
        m_Al->context->MakeCurrent();
        alSourcef(m_Source, AL_PITCH, float(PlayingRate()) / float(Format().samplesPerSec));
    }
    void ApplySamples() override { m_Al->Upload(*m_Samples); }

  private:
    ALint State() const
    {
        ALint state = AL_INITIAL;
        alGetSourcei(m_Source, AL_SOURCE_STATE, &state);
        return state;
    }

    std::shared_ptr<AlSamples> m_Al;
    ALuint m_Source = 0;
    bool m_Looping = false;
    // The play cursor while the source is not playing.
    uint32_t m_CursorFrames = 0;
};

class AlDevice final : public SoundDevice
{
  public:
    AlDevice(std::shared_ptr<AlContext> context, bool loopback)
        : m_Context(std::move(context)), m_Loopback(loopback)
    {
    }

    HRESULT SetCooperativeLevel(void*, uint32_t level) override
    {
        return (level >= DSSCL_NORMAL && level <= DSSCL_WRITEPRIMARY) ? DS_OK : DSERR_INVALIDPARAM;
    }

    HRESULT GetCaps(Caps& caps) override
    {
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
        if (const HRESULT hr = ValidateBufferDesc(desc); !Succeeded(hr))
            return hr;
        std::shared_ptr<SoundBuffer::Samples> samples;
        if (const HRESULT hr = MakeSamples(desc, samples); !Succeeded(hr))
            return hr;
        m_Context->MakeCurrent();
        alGetError();
        auto al = std::make_shared<AlSamples>();
        al->context = m_Context;
        alGenBuffers(1, &al->buffer);
        if (alGetError() != AL_NO_ERROR)
            return DSERR_OUTOFMEMORY;
        al->Upload(*samples);
        if (alGetError() != AL_NO_ERROR)
            return DSERR_OUTOFMEMORY;
        auto created = std::make_unique<AlBuffer>(std::move(samples), std::move(al));
        if (!created->Valid() || alGetError() != AL_NO_ERROR)
            return DSERR_ALLOCATED;
        buffer = std::move(created);
        return DS_OK;
    }

    HRESULT DuplicateSoundBuffer(SoundBuffer& original, std::unique_ptr<SoundBuffer>& duplicate) override
    {
        duplicate.reset();
        auto* source = dynamic_cast<AlBuffer*>(&original);
        if (!source)
            return DSERR_INVALIDPARAM;
        m_Context->MakeCurrent();
        alGetError();
        return source->Duplicate(duplicate);
    }

    bool RenderFrames(float* out, int frames) override
    {
        if (!m_Loopback || frames < 0)
            return false;
        static auto render =
            reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
        if (!render)
            return false;
        render(m_Context->device, out, frames);
        return true;
    }

  private:
    std::shared_ptr<AlContext> m_Context;
    bool m_Loopback;
};
} // namespace

HRESULT CreateDevice(std::unique_ptr<SoundDevice>& device)
{
    device.reset();
    ChooseDriversOnce();
    auto context = std::make_shared<AlContext>();
    context->device = alcOpenDevice(nullptr);
    if (!context->device)
        return DSERR_NODRIVER;
    context->context = alcCreateContext(context->device, nullptr);
    if (!context->context)
        return DSERR_NODRIVER;
    device = std::make_unique<AlDevice>(std::move(context), false);
    return DS_OK;
}

HRESULT CreateLoopbackDevice(uint32_t sampleRate, std::unique_ptr<SoundDevice>& device)
{
    device.reset();
    ChooseDriversOnce();
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback"))
        return DSERR_NODRIVER;
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    if (!open)
        return DSERR_NODRIVER;
    auto context = std::make_shared<AlContext>();
    context->device = open(nullptr);
    if (!context->device)
        return DSERR_NODRIVER;
    // Float output is never dithered and the limiter is off, so what a test
    // reads back is exactly the mix of its sources.
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 ALCint(sampleRate),
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 ALC_OUTPUT_LIMITER_SOFT,
                                 ALC_FALSE,
                                 0};
    context->context = alcCreateContext(context->device, attributes);
    if (!context->context)
        return DSERR_BADFORMAT;
    device = std::make_unique<AlDevice>(std::move(context), true);
    return DS_OK;
}
} // namespace snd::openal
