// What both sound back-ends share: the checked volume, frequency and lock
// operations of a buffer, the buffer description rules, and the choice of
// back-end for the default device.
#include "platform/sound/DirectSound.h"

#include "platform/sound/SoundSamples.h"
#include "platform/sound/null/NullSound.h"
#include "platform/sound/openal/OpenALSound.h"
#include "platform/win/Backend.h"

#include <cmath>
#include <new>

namespace snd
{
float GainFromMillibels(int32_t millibels)
{
    return std::pow(10.0f, float(millibels) / 2000.0f);
}

HRESULT ValidateBufferDesc(const BufferDesc& desc)
{
    if (desc.flags & DSBCAPS_PRIMARYBUFFER)
        return DSERR_UNSUPPORTED;
    const WaveFormat& f = desc.format;
    const bool layoutOk = f.formatTag == WAVE_FORMAT_PCM && (f.channels == 1 || f.channels == 2) &&
                          (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
                          f.blockAlign == f.channels * f.bitsPerSample / 8 && f.samplesPerSec >= DSBFREQUENCY_MIN &&
                          f.samplesPerSec <= DSBFREQUENCY_MAX && f.avgBytesPerSec == f.samplesPerSec * f.blockAlign;
    if (!layoutOk)
        return DSERR_BADFORMAT;
    if (desc.bufferBytes < DSBSIZE_MIN || desc.bufferBytes > DSBSIZE_MAX || desc.bufferBytes < f.blockAlign)
        return DSERR_INVALIDPARAM;
    return DS_OK;
}

HRESULT MakeSamples(const BufferDesc& desc, std::shared_ptr<SoundBuffer::Samples>& samples)
{
    try
    {
        samples = std::make_shared<SoundBuffer::Samples>();
        samples->desc = desc;
        // Silence: 8-bit PCM is unsigned.
        samples->bytes.assign(desc.bufferBytes, desc.format.bitsPerSample == 8 ? 0x80 : 0);
    }
    catch (const std::bad_alloc&)
    {
        samples.reset();
        return DSERR_OUTOFMEMORY;
    }
    return DS_OK;
}

SoundBuffer::SoundBuffer(std::shared_ptr<Samples> samples) : m_Samples(std::move(samples)) {}

uint32_t SoundBuffer::Flags() const { return m_Samples->desc.flags; }
uint32_t SoundBuffer::SizeInBytes() const { return uint32_t(m_Samples->bytes.size()); }
const WaveFormat& SoundBuffer::Format() const { return m_Samples->desc.format; }

uint32_t SoundBuffer::PlayingRate() const
{
    return m_Frequency == DSBFREQUENCY_ORIGINAL ? Format().samplesPerSec : m_Frequency;
}

HRESULT SoundBuffer::SetVolume(int32_t millibels)
{
    if (!(Flags() & DSBCAPS_CTRLVOLUME))
        return DSERR_CONTROLUNAVAIL;
    if (millibels < DSBVOLUME_MIN || millibels > DSBVOLUME_MAX)
        return DSERR_INVALIDPARAM;
    m_Volume = millibels;
    ApplyVolume();
    return DS_OK;
}

HRESULT SoundBuffer::GetVolume(int32_t& millibels) const
{
    if (!(Flags() & DSBCAPS_CTRLVOLUME))
        return DSERR_CONTROLUNAVAIL;
    millibels = m_Volume;
    return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(uint32_t hertz)
{
    if (!(Flags() & DSBCAPS_CTRLFREQUENCY))
        return DSERR_CONTROLUNAVAIL;
    if (hertz != DSBFREQUENCY_ORIGINAL && (hertz < DSBFREQUENCY_MIN || hertz > DSBFREQUENCY_MAX))
        return DSERR_INVALIDPARAM;
    m_Frequency = hertz;
    ApplyFrequency();
    return DS_OK;
}

HRESULT SoundBuffer::GetFrequency(uint32_t& hertz) const
{
    if (!(Flags() & DSBCAPS_CTRLFREQUENCY))
        return DSERR_CONTROLUNAVAIL;
    hertz = PlayingRate();
    return DS_OK;
}

HRESULT SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                          uint32_t* bytes2, uint32_t flags)
{
    const uint32_t size = SizeInBytes();
    if (!part1 || !bytes1)
        return DSERR_INVALIDPARAM;
    if (m_Locked)
        return DSERR_INVALIDCALL;
    if (const HRESULT hr = CheckLock(); !Succeeded(hr))
        return hr;
    if (flags & DSBLOCK_FROMWRITECURSOR)
        GetCurrentPosition(nullptr, &offset);
    if (flags & DSBLOCK_ENTIREBUFFER)
        bytes = size;
    if (offset >= size || bytes == 0 || bytes > size)
        return DSERR_INVALIDPARAM;
    uint8_t* base = m_Samples->bytes.data();
    const uint32_t first = (bytes <= size - offset) ? bytes : size - offset;
    *part1 = base + offset;
    *bytes1 = first;
    if (part2 && bytes2)
    {
        *part2 = first < bytes ? base : nullptr;
        *bytes2 = bytes - first;
    }
    else if (first < bytes)
        return DSERR_INVALIDPARAM;
    m_Locked = true;
    return DS_OK;
}

HRESULT SoundBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2)
{
    uint8_t* begin = m_Samples->bytes.data();
    uint8_t* end = begin + m_Samples->bytes.size();
    auto inside = [&](void* p, uint32_t n) {
        return !p ? n == 0 : (static_cast<uint8_t*>(p) >= begin && static_cast<uint8_t*>(p) + n <= end);
    };
    if (!m_Locked)
        return DSERR_INVALIDCALL;
    if (!part1 || !inside(part1, bytes1) || !inside(part2, bytes2))
        return DSERR_INVALIDPARAM;
    m_Locked = false;
    if (const HRESULT hr = CheckLock(); !Succeeded(hr))
        return hr;
    ApplySamples();
    return DS_OK;
}

bool SoundDevice::RenderFrames(float*, int) { return false; }

HRESULT DirectSoundCreate8(std::unique_ptr<SoundDevice>& device)
{
    device.reset();
    if (win::SelectedBackend() == win::Backend::Null)
        return null::CreateDevice(device);
    const HRESULT hr = openal::CreateDevice(device);
    if (hr == DSERR_NODRIVER)
    {
        // No output at all: a device that keeps every buffer's state but is
        // never heard, so the game runs on as it would with sound.
        return null::CreateSilentDevice(device);
    }
    return hr;
}

HRESULT CreateLoopbackSoundDevice(uint32_t sampleRate, std::unique_ptr<SoundDevice>& device)
{
    device.reset();
    return openal::CreateLoopbackDevice(sampleRate, device);
}
} // namespace snd
