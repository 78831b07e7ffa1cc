// The force-feedback effect of each of a controller's ten effect slots.
//
// The effect file the slots were once filled from is not read: its layout is
// not publicly documented. Each slot instead gets a built-in rumble that
// matches what starts it in a race, so a pad that rumbles feels every event.
#pragma once

#include "platform/input/DirectInput.h"

constexpr int FORCE_FEEDBACK_SLOTS = 10;

// Slot 0 weapon fire (and the wreck), 1 and 3 light weapon kicks, 2 cannon
// fire, 4 the driving controller's jolt, 5 impacts and crashes, 6 flame and
// ice hits, 7 chain-gun hits, 8 cannon hits, 9 tesla hits.
const input::RumbleEffect& BuiltInForceFeedbackEffect(int slot);
