// The sample memory a sound buffer shares with its duplicates, and the checks
// every back-end applies to a buffer description. Private to the sound layer.
#pragma once

#include "platform/sound/DirectSound.h"

#include <vector>

namespace snd
{
struct SoundBuffer::Samples
{
    BufferDesc desc;
    std::vector<uint8_t> bytes;
};

// DS_OK, DSERR_BADFORMAT for a PCM layout the layer cannot play (8 or 16 bits,
// one or two channels, consistent block align and byte rate), DSERR_INVALIDPARAM
// for a size out of range, DSERR_UNSUPPORTED for a primary buffer.
HRESULT ValidateBufferDesc(const BufferDesc& desc);

// Zeroed samples for a validated description; DSERR_OUTOFMEMORY when they
// cannot be allocated.
HRESULT MakeSamples(const BufferDesc& desc, std::shared_ptr<SoundBuffer::Samples>& samples);
} // namespace snd
