// The sound layer: DirectSound-style static buffers, duplicates that share a
// buffer's sample memory, volume in hundredths of a decibel, frequency
// control, play, stop and status. Two back-ends sit behind it: OpenAL Soft
// (openal/) and a null one (null/) that keeps the same buffer state without
// any audio library, advanced by a clock the tests control.
//
// Semantics the game relies on, kept alike by both back-ends:
// - Play on a playing buffer only changes its looping flag; otherwise playback
//   starts at the play cursor. Stop keeps the cursor where it is.
// - A buffer played once that reaches its end stops with the cursor back at 0.
// - A duplicate shares the original's samples and caps flags, but has its own
//   cursor, volume and frequency; it keeps the samples alive by itself.
// - Volume needs DSBCAPS_CTRLVOLUME and frequency DSBCAPS_CTRLFREQUENCY, else
//   DSERR_CONTROLUNAVAIL.
#pragma once

#include <cstdint>
#include <memory>

namespace snd
{
using HRESULT = int32_t;

// Result codes with the values DirectSound documents.
constexpr HRESULT DS_OK = 0;
constexpr HRESULT DS_NO_VIRTUALIZATION = 0x0878000A;
constexpr HRESULT DSERR_ALLOCATED = HRESULT(0x8878000Au);
constexpr HRESULT DSERR_CONTROLUNAVAIL = HRESULT(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDPARAM = HRESULT(0x80070057u);
constexpr HRESULT DSERR_INVALIDCALL = HRESULT(0x88780032u);
constexpr HRESULT DSERR_GENERIC = HRESULT(0x80004005u);
constexpr HRESULT DSERR_PRIOLEVELNEEDED = HRESULT(0x88780046u);
constexpr HRESULT DSERR_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT DSERR_BADFORMAT = HRESULT(0x88780064u);
constexpr HRESULT DSERR_UNSUPPORTED = HRESULT(0x80004001u);
constexpr HRESULT DSERR_NODRIVER = HRESULT(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = HRESULT(0x88780096u);
constexpr HRESULT DSERR_UNINITIALIZED = HRESULT(0x887800AAu);
constexpr HRESULT DSERR_NOAGGREGATION = HRESULT(0x80040110u);
constexpr HRESULT DSERR_BUFFERTOOSMALL = HRESULT(0x887800B4u);
constexpr HRESULT DSERR_DS8_REQUIRED = HRESULT(0x887800BEu);

inline bool Succeeded(HRESULT hr) { return hr >= 0; }

// Cooperative levels.
constexpr uint32_t DSSCL_NORMAL = 1;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr uint32_t DSSCL_EXCLUSIVE = 3;
constexpr uint32_t DSSCL_WRITEPRIMARY = 4;

// Buffer caps flags.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr uint32_t DSBCAPS_STATIC = 0x00000002;
constexpr uint32_t DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr uint32_t DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x00000040;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr uint32_t DSBCAPS_GLOBALFOCUS = 0x00008000;

constexpr uint32_t DSBPLAY_LOOPING = 0x00000001;

constexpr uint32_t DSBSTATUS_PLAYING = 0x00000001;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr uint32_t DSBSTATUS_LOOPING = 0x00000004;

constexpr uint32_t DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr uint32_t DSBFREQUENCY_ORIGINAL = 0;
constexpr uint32_t DSBFREQUENCY_MIN = 100;
constexpr uint32_t DSBFREQUENCY_MAX = 200000;
constexpr uint32_t DSBSIZE_MIN = 4;
constexpr uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

// Device caps flags.
constexpr uint32_t DSCAPS_CONTINUOUSRATE = 0x00000010;
constexpr uint32_t DSCAPS_EMULDRIVER = 0x00000020;
constexpr uint32_t DSCAPS_CERTIFIED = 0x00000040;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormat
{
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
};

struct BufferDesc
{
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;
    WaveFormat format;
};

// The fields of DSCAPS the game reads; size must be 96 as DirectSound wants.
struct Caps
{
    uint32_t size = 96;
    uint32_t flags = 0;
    uint32_t minSecondarySampleRate = 0;
    uint32_t maxSecondarySampleRate = 0;
    uint32_t freeHwMemBytes = 0;
};

// A linear gain for a volume in hundredths of a decibel: 10^(mB / 2000).
float GainFromMillibels(int32_t millibels);

class SoundBuffer
{
  public:
    virtual ~SoundBuffer() = default;

    virtual HRESULT Play(uint32_t flags) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetStatus(uint32_t& status) = 0;
    // Byte offsets; the write cursor equals the play cursor (static buffers).
    virtual HRESULT GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    virtual HRESULT SetCurrentPosition(uint32_t position) = 0;

    HRESULT SetVolume(int32_t millibels);
    HRESULT GetVolume(int32_t& millibels) const;
    // 0 (DSBFREQUENCY_ORIGINAL) goes back to the buffer's own rate.
    HRESULT SetFrequency(uint32_t hertz);
    HRESULT GetFrequency(uint32_t& hertz) const;

    // Locks bytes from offset (wrapping round the end into the second part);
    // the samples reach the back-end on Unlock.
    HRESULT Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2, uint32_t* bytes2,
                 uint32_t flags);
    HRESULT Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

    uint32_t Flags() const;
    uint32_t SizeInBytes() const;
    const WaveFormat& Format() const;

    // The sample memory shared with duplicates (defined by the layer).
    struct Samples;

  protected:
    explicit SoundBuffer(std::shared_ptr<Samples> samples);
    // Hooks for the back-end once a checked value changed.
    virtual HRESULT CheckLock() { return DS_OK; }
    virtual void ApplyVolume() {}
    virtual void ApplyFrequency() {}
    virtual void ApplySamples() {}

    // The playing rate in hertz: the set frequency or the buffer's own.
    uint32_t PlayingRate() const;

    std::shared_ptr<Samples> m_Samples;
    int32_t m_Volume = 0;
    uint32_t m_Frequency = DSBFREQUENCY_ORIGINAL;
    bool m_Locked = false;
};

class SoundDevice
{
  public:
    virtual ~SoundDevice() = default;

    virtual HRESULT SetCooperativeLevel(void* window, uint32_t level) = 0;
    virtual HRESULT GetCaps(Caps& caps) = 0;
    virtual HRESULT CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<SoundBuffer>& buffer) = 0;
    virtual HRESULT DuplicateSoundBuffer(SoundBuffer& original, std::unique_ptr<SoundBuffer>& duplicate) = 0;

    // Loopback devices only: mixes frames of interleaved stereo floats
    // (full scale 1.0) into out. False on every other device.
    virtual bool RenderFrames(float* out, int frames);
};

// The default device of the selected back-end. With no sound card the real
// back-end falls back to OpenAL's null driver, then to a silent device; it
// fails only when told to (null back-end) or out of memory.
HRESULT DirectSoundCreate8(std::unique_ptr<SoundDevice>& device);

// An OpenAL device that mixes into memory at sampleRate (stereo floats), for
// tests that assert on samples; DSERR_NODRIVER when OpenAL offers no loopback.
HRESULT CreateLoopbackSoundDevice(uint32_t sampleRate, std::unique_ptr<SoundDevice>& device);
} // namespace snd
