// The sentences the sound system logs for DirectSound result codes: each
// failed call names the codes it explains, every other code gets that call's
// "unknown" text.
#pragma once

#include "platform/sound/DirectSound.h"

#include <initializer_list>

// The description of a result code followed by a space, as the DirectSound
// documentation words it; null for a code it does not describe.
const char* DirectSoundErrorText(snd::HRESULT hr);

// The description when hr is one of known, else unknownText.
const char* DirectSoundReason(snd::HRESULT hr, std::initializer_list<snd::HRESULT> known, const char* unknownText);
