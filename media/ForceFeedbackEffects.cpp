// Strength and length of the built-in rumble of each effect slot: firing is
// short and light, being hit is longer, crashes and cannon hits are the
// heaviest.
#include "media/ForceFeedbackEffects.h"

namespace
{
const input::RumbleEffect kEffects[FORCE_FEEDBACK_SLOTS] = {
    {0.55f, 120}, // weapon fire, wreck
    {0.35f, 80},  // light weapon kick
    {0.80f, 180}, // cannon fire
    {0.45f, 100}, // weapon kick
    {1.00f, 400}, // driving jolt
    {0.90f, 250}, // impact, crash
    {0.50f, 300}, // flame or ice hit
    {0.40f, 90},  // chain-gun hit
    {1.00f, 350}, // cannon hit
    {0.70f, 450}, // tesla hit
};
const input::RumbleEffect kNone{};
} // namespace

const input::RumbleEffect& BuiltInForceFeedbackEffect(int slot)
{
    return slot >= 0 && slot < FORCE_FEEDBACK_SLOTS ? kEffects[slot] : kNone;
}
