// The two-track cross-fade the profile page's figure preview uses to move
// from one animation to another: the incoming track starts from its
// beginning while the outgoing one holds still, the weights move over, and
// the outgoing track gets its speed back when the fade is done. One fade at
// a time: the elapsed time is kept for the whole program.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"

// One frame of the fade (the frame manager's frame time); true on the frame
// the fade ends. rate x 0.000001 x elapsed ms is the incoming weight, so
// rate = 1,000,000 / durationMs brings it to 1 as the fade ends.
bool CrossFadeAnimationTracks(ID3DXAnimationController* controller, UINT incomingTrack, UINT outgoingTrack,
                              float durationMs, float rate);
