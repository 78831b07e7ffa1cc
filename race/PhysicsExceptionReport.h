// The physics step's own fault reporter: the game's exception table under its
// own first line, with its own retry count and a limit of two retries.
#pragma once

#include <cstdint>

// Faults reported since the step last gave a frame up.
extern int g_physicsExceptionRetries;

// Logs the fault and returns the verdict (-1 carry on, 0 pass it on, 1 give
// the frame up); past two retries only "ERROR: Retry and Continue FAILED".
int PhysicsExceptionReport(uint32_t code, const void* faultAddress);
