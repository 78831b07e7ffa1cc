// The OpenAL Soft sound back-end: one OpenAL source per DirectSound-style
// buffer or duplicate, duplicates sharing the original's OpenAL buffer.
#pragma once

#include "platform/sound/DirectSound.h"

namespace snd::openal
{
// Opens the default output device. Before the first OpenAL call, when this
// machine shows no audio output (no /dev/snd, no sound server socket), OpenAL
// is pointed at its null driver, which mixes into nothing. DSERR_NODRIVER
// when no device opens even so.
HRESULT CreateDevice(std::unique_ptr<SoundDevice>& device);

// A loopback device mixing stereo floats at sampleRate into memory.
HRESULT CreateLoopbackDevice(uint32_t sampleRate, std::unique_ptr<SoundDevice>& device);
} // namespace snd::openal
