// The null sound back-end: devices and buffers that keep DirectSound state
// (playing, looping, play cursor, volume, frequency) without any audio
// library. The play cursor advances with a clock: the tests' clock, moved by
// AdvanceTime, for the null back-end; the steady clock for the silent device
// that stands in when no audio output exists at all.
//
// Tests can make any call fail with a chosen result code, so that every
// failure the game logs can be produced on demand.
#pragma once

#include "platform/sound/DirectSound.h"

namespace snd::null
{
enum class Call
{
    Create,
    SetCooperativeLevel,
    GetCaps,
    CreateSoundBuffer,
    DuplicateSoundBuffer,
    Lock, // also Unlock
    Play,
    Count
};

// Every later call of that kind on the null back-end returns hr (DS_OK clears).
void SetFailure(Call call, HRESULT hr);
void ClearFailures();

// Moves the null back-end's clock forward; playing buffers advance with it.
void AdvanceTime(double milliseconds);

// How many null buffers (originals and duplicates) exist right now.
int LiveBufferCount();

HRESULT CreateDevice(std::unique_ptr<SoundDevice>& device);
HRESULT CreateSilentDevice(std::unique_ptr<SoundDevice>& device);
} // namespace snd::null
