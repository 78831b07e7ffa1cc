// A quick race on the first island from the pilots' page, until the race
// choice screens come: the current pilot (or, without one, a new pilot
// kept for this run only) against one computer opponent, two laps.
#pragma once

// Loads island 1, runs the race and ends the session; back on the calling
// page afterwards. False when the island could not be loaded.
bool RunQuickRaceStandIn(const char* callingPageId);
